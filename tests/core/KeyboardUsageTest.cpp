#include "core/KeyboardUsage.h"
#include "core/KeyDocument.h"

#include "TestData.h"

#include <QTest>

using core::KeyboardUsage;
using core::KeyDocument;
using core::KeyUse;

namespace {

constexpr int RowA = 0; // "0X1E"
constexpr int RowB = 1; // "0X30"
constexpr int RowWinL = 66;

QString rowList(const std::vector<int>& rows)
{
    QStringList parts;
    for (const int r : rows)
        parts << QString::number(r);
    return parts.join(QLatin1Char(','));
}

// Every key that a modifier value uses, as "modifier/table row use rows" ("2/0 multiple 0,3"), from computeAll; where
// compute, or computeAll keeping only the first row of each key, says otherwise, a text that begins with '!'.
QString counting(const KeyDocument& doc)
{
    const auto all = KeyboardUsage::computeAll(doc);
    const auto firstOnly = KeyboardUsage::computeAll(doc, 1);
    QStringList result;
    for (int m = 0; m < KeyboardUsage::ModifierCount; ++m) {
        const auto single = KeyboardUsage::compute(doc, m);
        if (single.modifier() != m || all[std::size_t(m)].modifier() != m)
            result << QStringLiteral("!wrong modifier for %1").arg(m);
        for (int key = 0; key < core::KeyCodeTable::KeyCount; ++key) {
            const auto& usage = all[std::size_t(m)].forTableRow(key);
            if (single.forTableRow(key).rows != usage.rows || single.forTableRow(key).use != usage.use
                || single.forTableRow(key).count != usage.rows.size() || usage.count != usage.rows.size())
                result << QStringLiteral("!compute and computeAll differ for %1/%2").arg(m).arg(key);
            const auto& first = firstOnly[std::size_t(m)].forTableRow(key);
            if (first.use != usage.use || first.count != usage.count
                || first.rows
                    != std::vector<int>(usage.rows.begin(), usage.rows.begin() + (usage.rows.empty() ? 0 : 1)))
                result << QStringLiteral("!the first row kept differs for %1/%2").arg(m).arg(key);
            if (usage.use != KeyUse::Free || !usage.rows.empty())
                result << QStringLiteral("%1/%2 %3 ").arg(m).arg(key).arg(core::keyUseName(usage.use))
                        + rowList(usage.rows);
        }
    }
    return result.join(QLatin1String("; "));
}

} // namespace

class KeyboardUsageTest : public QObject
{
    Q_OBJECT

private slots:
    // The rows that count for a key with a modifier value: one makes it assigned, more make it multiple.
    void countingLines_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("counting");
        const auto row = [](const char* name, const char* file, const char* counting = "") {
            QTest::newRow(name) << QByteArray(file) << QString::fromLatin1(counting);
        };
        row("one line", "SimA -1 0 0X1E 0 0XFFFFFFFF 0 1 \"a\"\n", "0/0 assigned 0");
        row("two lines", "SimA -1 0 0X1E 0 0 0 1\nSimB -1 0 0x1e 0 0 0 1\n", "0/0 multiple 0,1");
        row("in file order, others passed over",
            "SimA -1 0 0X1E 2 0 0 1\nSimB -1 0 0X1E 1 0 0 1\n# SimC -1 0 0X1E 2 0 0 1\nSimD -1 0 0X1E 2 0 0 1\n"
            "SimE -1 0 0X1E 2 0 0 1\n",
            "1/0 assigned 1; 2/0 multiple 0,3,4");
        row("code by value", "SimA -1 0 0x0db 0 0 0 1\n", "0/66 assigned 0");
        row("plus sign", "SimA -1 0 0X1E +1 0 0 1\n", "1/0 assigned 0");
        row("modifier 7", "SimA -1 0 0X30 7 0 0 1\n", "7/1 assigned 0");
        row("modifiers 3 to 6", "SimA -1 0 0X1E 3 0 0 1\nSimB -1 0 0X1E 4\nSimC -1 0 0X1E 5 0\nSimD -1 0 0X1E 6\n",
            "3/0 assigned 0; 4/0 assigned 1; 5/0 assigned 2; 6/0 assigned 3");
        row("combination and plain line", "SimA -1 0 0X1E 0 0X2E 4 1\nSimB -1 0 0X1E 0 0 0 1\n", "0/0 assigned 1");
        // Lines that count for no key.
        row("empty modifier cell", "SimA -1 0 0X1E\n");
        row("modifier not a number", "SimA -1 0 0X1E x 0 0 1\n");
        row("modifier out of range", "SimA -1 0 0X1E 8 0 0 1\nSimB -1 0 0X1E -1 0 0 1\n");
        row("combination key", "SimA -1 0 0X1E 0 0X2E 4 1\n");
        row("comment", "# SimA -1 0 0X1E 0 0 0 1\n");
        row("DirectX button with key-like cells", "SimA 0 -1 -2 0 0x1E 0");
        row("POV hat", "SimA 0 -1 -3 0 0x0 -1");
        row("no key", "SimA -1 0 0XFFFFFFFF 0 0XFFFFFFFF 0 -1 \"x\"\nSimB -1 0 0x0 0 0 0 1");
        row("code not in the table", "SimA -1 0 0xC5 0 0 0 1\nSimB -1 0 1E 0 0 0 1");
        QTest::newRow("binary") << testing::literalBytes("\x01\xff\x00\x1e 0 0") << QString();
    }

    void countingLines()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, counting);
        QCOMPARE(::counting(KeyDocument::fromBytes(file.toStdString())), counting);
    }

    // A document big enough to be read in chunks side by side: compute still gives every row, in file order.
    void bigDocumentReadInChunks()
    {
        std::string bytes;
        for (int i = 0; i < KeyboardUsage::ParallelRows + 5000; ++i) {
            bytes += "SimF" + std::to_string(i) + " -1 0 0x" + std::to_string(10 + i * 7 % 23) + ' '
                + std::to_string(i * 5 % 8) + " 0 0 1\n";
        }
        const QString result = counting(KeyDocument::fromBytes(bytes));
        QVERIFY(!result.isEmpty());
        QVERIFY2(!result.contains(QLatin1Char('!')), qPrintable(result.left(200)));
    }

    void editedRowsCount()
    {
        auto doc = KeyDocument::fromBytes("SimA -1 0 0X1E 0 0 0 1\nSimB -1 0 0X30 0 0 0 1\nSimC -1 0 0X2E 0 0 0 1\n");
        // An edited cell may hold what no line would split into: a space, a tab, a description in the key column.
        QVERIFY(doc.setCell(0, core::ModifierColumn, "2"));
        QVERIFY(doc.setCell(1, core::KeyColumn, "0x30 1"));
        QVERIFY(doc.setCell(2, core::ComboKeyColumn, "\"0\""));
        QCOMPARE(counting(doc), QStringLiteral("2/0 assigned 0"));
    }

    void hover_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("modifier");
        QTest::addColumn<int>("tableRow");
        QTest::addColumn<QString>("answer"); // scan code|assigned|matched|sim name|description

        const QByteArray plain = "SimPlain -1 0 0x1e 0 0 0 1 \"Plain\"\n";
        const QString plainAnswer = QStringLiteral("0X1E|1|1|SimPlain|\"Plain\" ");
        QTest::newRow("free key") << plain << 0 << RowB << "0X30|0|0||";
        QTest::newRow("free with these modifiers") << plain << 1 << RowA << "0X1E|0|0||";
        QTest::newRow("assigned key") << plain << 0 << RowA << plainAnswer;
        QTest::newRow("combination line comes first") << QByteArray("SimCombo -1 0 0X1E 0 0X2E 4 1 \"Combo\"\n" + plain)
                                                      << 0 << RowA << "0X1E|1|1|SimCombo|\"Combo\" ";
        QTest::newRow("comment passed over")
            << QByteArray("# SimX -1 0 0X1E 0 0 0 1 \"X\"\n" + plain) << 0 << RowA << plainAnswer;
        QTest::newRow("DirectX line passed over")
            << QByteArray("SimX 0 -1 -2 0 0x1E 0 1 \"X\"\n" + plain) << 0 << RowA << plainAnswer;
        QTest::newRow("other modifier passed over")
            << QByteArray("SimShift -1 0 0X1E 1 0 0 1 \"S\"\n" + plain) << 0 << RowA << plainAnswer;
        QTest::newRow("first of two") << QByteArray(plain + "SimSecond -1 0 0X1E 0 0 0 1 \"2\"\n") << 0 << RowA
                                      << plainAnswer;
        QTest::newRow("no description") << QByteArray("SimBare -1 0 0XDB 2 0 0 1\n") << 2 << RowWinL
                                        << "0XDB|1|1|SimBare|";
        QTest::newRow("last key") << QByteArray("SimEnter -1 0 0X9C 0 0 0 1\n") << 0 << 96 << "0X9C|1|1|SimEnter|";
        QTest::newRow("out of range") << plain << 0 << core::KeyCodeTable::KeyCount << "|0|0||";
        QTest::newRow("negative row") << plain << 0 << -1 << "|0|0||";
    }

    void hover()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, modifier);
        QFETCH(int, tableRow);
        QFETCH(QString, answer);
        const auto doc = KeyDocument::fromBytes(file.toStdString());
        const auto a = core::hoverAnswer(doc, KeyboardUsage::compute(doc, modifier), tableRow, modifier);
        QCOMPARE(QStringList(
                     {QString::fromStdString(a.scanCodeText), QString::number(a.assigned), QString::number(a.matched),
                         QString::fromStdString(a.simName), QString::fromStdString(a.description)})
                     .join(QLatin1Char('|')),
            answer);
    }

    void hoverWithoutMatchAfterAnEdit()
    {
        // The usage was computed before the edit; the hover reads the document as it is now and finds no line.
        auto doc = KeyDocument::fromBytes("SimA -1 0 0X1E 0 0 0 1 \"a\"\n");
        const auto usage = KeyboardUsage::compute(doc, 0);
        QVERIFY(doc.setCell(0, core::ModifierColumn, "3"));
        const auto answer = core::hoverAnswer(doc, usage, RowA, 0);
        QVERIFY(answer.assigned && !answer.matched && answer.simName.empty());
        QCOMPARE(answer.scanCodeText, std::string("0X1E"));
        QCOMPARE(KeyboardUsage::compute(doc, 3).forTableRow(RowA).use, KeyUse::Assigned);
    }

    // The sample file and the real key files: compute agrees with computeAll, and every used key answers the hover
    // with a sim name.
    void realFiles()
    {
        const QString sample = testing::samplePath(QStringLiteral("tarnwick-sample.key"));
        for (const QString& file : QStringList{sample} + testing::corpusKeyFiles()) {
            const auto doc = KeyDocument::fromBytes(testing::readBytes(file));
            QVERIFY(!counting(doc).contains(QLatin1Char('!')));
            int used = 0;
            for (int m = 0; m < KeyboardUsage::ModifierCount; ++m) {
                const auto usage = KeyboardUsage::compute(doc, m);
                for (int row = 0; row < core::KeyCodeTable::KeyCount; ++row) {
                    const auto answer = core::hoverAnswer(doc, usage, row, m);
                    used += answer.assigned ? 1 : 0;
                    QCOMPARE(answer.matched, answer.assigned);
                    QCOMPARE(answer.simName.empty(), !answer.assigned);
                }
            }
            QVERIFY(file != sample || used > 50);
        }
        // F1 with no modifier: OTWSelect2DCockpitMode, written "0x3B" in the sample.
        const auto doc = KeyDocument::fromBytes(testing::readBytes(sample));
        const auto f1 = KeyboardUsage::compute(doc, 0).forTableRow(27);
        QCOMPARE(f1.use, KeyUse::Assigned);
        QCOMPARE(doc.cell(f1.rows[0], core::SimNameColumn), std::string("OTWSelect2DCockpitMode"));
    }
};

QTEST_APPLESS_MAIN(KeyboardUsageTest)
#include "KeyboardUsageTest.moc"

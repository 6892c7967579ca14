#include "core/KeyboardUsage.h"
#include "core/KeyDocument.h"

#include "TestData.h"

#include <QTest>

#include <random>

using core::KeyboardUsage;
using core::KeyDocument;
using core::KeyUse;

Q_DECLARE_METATYPE(core::KeyUse)

namespace {

constexpr int RowA = 0; // "0X1E"
constexpr int RowB = 1; // "0X30"
constexpr int RowEsc = 26; // "0X1"
constexpr int RowWinL = 66;

QString rowList(const std::vector<int>& rows)
{
    QStringList parts;
    for (const int r : rows)
        parts << QString::number(r);
    return parts.join(QLatin1Char(','));
}

// Every key other than `except` is free.
bool othersFree(const KeyboardUsage& usage, int except)
{
    for (int row = 0; row < core::KeyCodeTable::KeyCount; ++row) {
        if (row != except && usage.forTableRow(row).use != KeyUse::Free)
            return false;
    }
    return true;
}

// The counting rules applied to the cells as the document gives them: for every modifier value and key, the rows
// that count, as "m/key:rows" texts for the keys that have any.
QStringList countingByCells(const KeyDocument& doc)
{
    std::vector<int> rows[KeyboardUsage::ModifierCount][core::KeyCodeTable::KeyCount];
    for (int r = 0; r < doc.rowCount(); ++r) {
        if (doc.isComment(r))
            continue;
        const auto cells = doc.cells(r);
        if (cells[core::KeyColumn] == "-2" || !core::namesNoKey(cells[core::ComboKeyColumn]))
            continue;
        const auto m = core::readWholeNumber(cells[core::ModifierColumn]);
        const auto key = core::keyRowOfCell(cells[core::KeyColumn]);
        if (m && *m >= 0 && *m < KeyboardUsage::ModifierCount && key)
            rows[*m][*key].push_back(r);
    }
    QStringList result;
    for (int m = 0; m < KeyboardUsage::ModifierCount; ++m) {
        for (int key = 0; key < core::KeyCodeTable::KeyCount; ++key) {
            if (!rows[m][key].empty())
                result << QStringLiteral("%1/%2:").arg(m).arg(key) + rowList(rows[m][key]);
        }
    }
    return result;
}

QStringList countingByUsage(const KeyDocument& doc)
{
    const auto all = KeyboardUsage::computeAll(doc);
    QStringList result;
    for (int m = 0; m < KeyboardUsage::ModifierCount; ++m) {
        const auto single = KeyboardUsage::compute(doc, m);
        for (int key = 0; key < core::KeyCodeTable::KeyCount; ++key) {
            const auto& rows = all[static_cast<std::size_t>(m)].forTableRow(key).rows;
            if (single.forTableRow(key).rows != rows)
                result << QStringLiteral("compute and computeAll differ for %1/%2").arg(m).arg(key);
            if (!rows.empty())
                result << QStringLiteral("%1/%2:").arg(m).arg(key) + rowList(rows);
        }
    }
    return result;
}

} // namespace

class KeyboardUsageTest : public QObject
{
    Q_OBJECT

private slots:
    void countingLines_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("modifier");
        QTest::addColumn<int>("tableRow");
        QTest::addColumn<KeyUse>("use");
        QTest::addColumn<QString>("rows");

        QTest::newRow("one line") << QByteArray("SimA -1 0 0X1E 0 0XFFFFFFFF 0 1 \"a\"\n") << 0 << RowA
                                  << KeyUse::Assigned << "0";
        QTest::newRow("two lines") << QByteArray("SimA -1 0 0X1E 0 0 0 1\nSimB -1 0 0X1E 0 0 0 1\n") << 0 << RowA
                                   << KeyUse::Multiple << "0,1";
        QTest::newRow("three lines") << QByteArray("SimA -1 0 0X1E 2 0 0 1\nSimB -1 0 0x1e 2 0 0 1\n"
                                                   "SimC -1 0 0X1E 2 0 0 1\n")
                                     << 2 << RowA << KeyUse::Multiple << "0,1,2";
        QTest::newRow("rows in file order, others passed over")
            << QByteArray("SimA -1 0 0X1E 0 0 0 1\nSimB -1 0 0X1E 1 0 0 1\nSimC -1 0 0X1E 0 0 0 1\n") << 0 << RowA
            << KeyUse::Multiple << "0,2";

        // Scan codes match by value.
        QTest::newRow("lower-case code") << QByteArray("SimA -1 0 0x1e 0 0 0 1\n") << 0 << RowA << KeyUse::Assigned
                                         << "0";
        QTest::newRow("leading zero") << QByteArray("SimA -1 0 0X01 0 0 0 1\n") << 0 << RowEsc << KeyUse::Assigned
                                      << "0";
        QTest::newRow("left Windows key")
            << QByteArray("SimA -1 0 0XDB 0 0 0 1\n") << 0 << RowWinL << KeyUse::Assigned << "0";

        // The modifier cell read as a whole number must equal the modifier value.
        QTest::newRow("other modifier") << QByteArray("SimA -1 0 0X1E 1 0 0 1\n") << 0 << RowA << KeyUse::Free << "";
        QTest::newRow("plus sign") << QByteArray("SimA -1 0 0X1E +1 0 0 1\n") << 1 << RowA << KeyUse::Assigned << "0";
        QTest::newRow("empty modifier cell") << QByteArray("SimA -1 0 0X1E\n") << 0 << RowA << KeyUse::Free << "";
        QTest::newRow("modifier not a number")
            << QByteArray("SimA -1 0 0X1E x 0 0 1\n") << 0 << RowA << KeyUse::Free << "";
        QTest::newRow("modifier out of range")
            << QByteArray("SimA -1 0 0X1E 8 0 0 1\n") << 0 << RowA << KeyUse::Free << "";
        QTest::newRow("once with 0 and once with 1, no box")
            << QByteArray("SimA -1 0 0X1E 0 0 0 1\nSimB -1 0 0X1E 1 0 0 1\n") << 0 << RowA << KeyUse::Assigned << "0";
        QTest::newRow("once with 0 and once with 1, Shift")
            << QByteArray("SimA -1 0 0X1E 0 0 0 1\nSimB -1 0 0X1E 1 0 0 1\n") << 1 << RowA << KeyUse::Assigned << "1";

        // Combination keys: only lines whose combination key names no key count.
        QTest::newRow("combination key") << QByteArray("SimA -1 0 0X1E 0 0X2E 4 1\n") << 0 << RowA << KeyUse::Free
                                         << "";
        QTest::newRow("combination 0") << QByteArray("SimA -1 0 0X1E 0 0 4 1\n") << 0 << RowA << KeyUse::Assigned
                                       << "0";
        QTest::newRow("combination 0x0") << QByteArray("SimA -1 0 0X1E 0 0x0 0 1\n") << 0 << RowA << KeyUse::Assigned
                                         << "0";
        QTest::newRow("combination marker lower case")
            << QByteArray("SimA -1 0 0X1E 0 0xffffffff 0 1\n") << 0 << RowA << KeyUse::Assigned << "0";
        QTest::newRow("combination cell missing")
            << QByteArray("SimA -1 0 0X1E 0\n") << 0 << RowA << KeyUse::Assigned << "0";
        QTest::newRow("combination and plain line") << QByteArray("SimA -1 0 0X1E 0 0X2E 4 1\nSimB -1 0 0X1E 0 0 0 1\n")
                                                    << 0 << RowA << KeyUse::Assigned << "1";

        // Comments never count.
        QTest::newRow("comment") << QByteArray("# SimA -1 0 0X1E 0 0 0 1\n") << 0 << RowA << KeyUse::Free << "";
        QTest::newRow("indented comment") << QByteArray("  #SimA -1 0 0X1E 0 0 0 1\nSimB -1 0 0X1E 0 0 0 1\n") << 0
                                          << RowA << KeyUse::Assigned << "1";
        QTest::newRow("comment between") << QByteArray("SimA -1 0 0X1E 0 0 0 1\n#x\nSimB -1 0 0X1E 0 0 0 1\n") << 0
                                         << RowA << KeyUse::Multiple << "0,2";
    }

    void countingLines()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, modifier);
        QFETCH(int, tableRow);
        QFETCH(KeyUse, use);
        QFETCH(QString, rows);
        const auto doc = KeyDocument::fromBytes(file.toStdString());
        const auto usage = KeyboardUsage::compute(doc, modifier);
        QCOMPARE(usage.modifier(), modifier);
        QCOMPARE(usage.forTableRow(tableRow).use, use);
        QCOMPARE(rowList(usage.forTableRow(tableRow).rows), rows);
        QVERIFY(othersFree(usage, tableRow));
    }

    void eachModifierValue_data()
    {
        QTest::addColumn<int>("modifier");
        for (int m = 0; m < KeyboardUsage::ModifierCount; ++m)
            QTest::newRow(qPrintable(QStringLiteral("modifier %1").arg(m))) << m;
    }

    void eachModifierValue()
    {
        // Line m binds key a with modifier m; key b is bound by every line after the first with modifier 7.
        QFETCH(int, modifier);
        std::string file;
        for (int m = 0; m < KeyboardUsage::ModifierCount; ++m)
            file += "SimA" + std::to_string(m) + " -1 0 0X1E " + std::to_string(m) + " 0 0 1\n";
        file += "SimB -1 0 0X30 7 0 0 1\nSimB2 -1 0 0X30 7 0 0 1\n";
        const auto doc = KeyDocument::fromBytes(file);
        const auto usage = KeyboardUsage::compute(doc, modifier);
        QCOMPARE(usage.forTableRow(RowA).use, KeyUse::Assigned);
        QCOMPARE(usage.forTableRow(RowA).rows, std::vector<int>{modifier});
        QCOMPARE(usage.forTableRow(RowB).use, modifier == 7 ? KeyUse::Multiple : KeyUse::Free);
        // All eight at once give the same.
        const auto all = KeyboardUsage::computeAll(doc);
        QCOMPARE(all[static_cast<std::size_t>(modifier)].modifier(), modifier);
        QCOMPARE(all[static_cast<std::size_t>(modifier)].forTableRow(RowA).rows, std::vector<int>{modifier});
        QCOMPARE(all[static_cast<std::size_t>(modifier)].forTableRow(RowB).use, usage.forTableRow(RowB).use);
    }

    void linesThatNameNoKeyColourNothing_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("DirectX button") << QByteArray("SimA 30 -1 -2 0 0x0 -1");
        QTest::newRow("DirectX button with key-like cells") << QByteArray("SimA 0 -1 -2 0 0x1E 0");
        QTest::newRow("POV hat") << QByteArray("SimA 0 -1 -3 0 0x0 -1");
        QTest::newRow("no key") << QByteArray("SimA -1 0 0XFFFFFFFF 0 0XFFFFFFFF 0 -1 \"x\"");
        QTest::newRow("key 0") << QByteArray("SimA -1 0 0 0 0 0 1");
        QTest::newRow("key 0x0") << QByteArray("SimA -1 0 0x0 0 0 0 1");
        QTest::newRow("code not in the table") << QByteArray("SimA -1 0 0xC5 0 0 0 1");
        QTest::newRow("not a code") << QByteArray("SimA -1 0 1E 0 0 0 1");
        QTest::newRow("key cell empty") << QByteArray("SimA");
        QTest::newRow("binary") << testing::literalBytes("\x01\xff\x00\x1e 0 0");
    }

    void linesThatNameNoKeyColourNothing()
    {
        QFETCH(QByteArray, line);
        const auto doc = KeyDocument::fromBytes(line.toStdString());
        for (const auto& usage : KeyboardUsage::computeAll(doc))
            QVERIFY(othersFree(usage, -1));
    }

    void agreesWithTheCellReader_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("counting"); // how many (modifier, key) pairs have rows
        QTest::newRow("tabs between fields") << QByteArray("SimA\t-1\t0\t0X1E\t0\t0\t0\t1\n") << 1;
        QTest::newRow("tab inside a word") << QByteArray("SimA -1 0 0X1E\t2 0 0 1\n") << 1;
        QTest::newRow("word that begins with a tab") << QByteArray("SimA -1 0 \t0X1E 0 0 0 1\n") << 0;
        QTest::newRow("two tabs make an empty field") << QByteArray("SimA -1 0\t\t0X1E 0 0 1\n") << 0;
        QTest::newRow("runs of spaces") << QByteArray("  SimA   -1 0   0X1E  3    0 0 1  \n") << 1;
        QTest::newRow("short line") << QByteArray("SimA -1 0 0X1E 4\n") << 1;
        QTest::newRow("description as combination key") << QByteArray("SimA -1 0 0X1E 0 \"0\" 1\n") << 0;
        QTest::newRow("description as modifier") << QByteArray("SimA -1 0 0X1E \"0\"\n") << 0;
        QTest::newRow("description after the combination key") << QByteArray("SimA -1 0 0X1E 0 0 \"x\"\n") << 1;
        QTest::newRow("quote inside a word") << QByteArray("SimA -1 0 0X1E 0 0x\"0 0 1\n") << 0;
        // A description that starts early and holds tabs supplies the key cells itself.
        QTest::newRow("early description with tabs") << QByteArray("SimA \"a\tb\t0x1E\t0\t0\tz\n") << 1;
        QTest::newRow("space after the description") << QByteArray("SimA \"a\tb\t0x1E\t0\t0\n") << 0;
        QTest::newRow("space after the description modifier") << QByteArray("SimA \"a\tb\t0x1E\t5\n") << 1;
        QTest::newRow("space after the description key") << QByteArray("SimA \"a\tb\t0x1E\n") << 0;
        QTest::newRow("mixed file") << QByteArray("# c\nSimA -1 0 0X1E 0 0 0 1\nSimB 0 -1 -2 0 0x0 -1\n"
                                                  "SimC -1 0 0x30 1 0x0 0 1 \"c\"\nSimD -1 0 0x30 1 0 0 1\n")
                                    << 2;
    }

    void agreesWithTheCellReader()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, counting);
        const auto doc = KeyDocument::fromBytes(file.toStdString());
        const QStringList expected = countingByCells(doc);
        QCOMPARE(expected.size(), counting);
        QCOMPARE(countingByUsage(doc), expected);
    }

    void agreesWithTheCellReaderOnEditedRows()
    {
        auto doc = KeyDocument::fromBytes("SimA -1 0 0X1E 0 0 0 1\nSimB -1 0 0X30 0 0 0 1\nSimC -1 0 0X2E 0 0 0 1\n");
        // An edited cell may hold what no line would split into: a space, a tab, a description in the key column.
        QVERIFY(doc.setCell(0, core::ModifierColumn, "2"));
        QVERIFY(doc.setCell(1, core::KeyColumn, "0x30 1"));
        QVERIFY(doc.setCell(2, core::ComboKeyColumn, "\"0\""));
        QCOMPARE(countingByUsage(doc), countingByCells(doc));
        QCOMPARE(countingByUsage(doc), QStringList{QStringLiteral("2/0:0")});
    }

    void agreesWithTheCellReaderOnGeneratedLines_data()
    {
        QTest::addColumn<unsigned>("seed");
        for (unsigned seed = 1; seed <= 20; ++seed)
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
    }

    void agreesWithTheCellReaderOnGeneratedLines()
    {
        QFETCH(unsigned, seed);
        const char* const tokens[] = {"SimA", "-1", "0", "1", "7", "0x1E", "0X30", "0XFFFFFFFF", "0x0", "-2", "x",
            "\"d", "\"", "e\"", "\t", " ", "  ", "#"};
        std::mt19937 rng(seed);
        std::string file;
        for (int line = 0; line < 400; ++line) {
            const auto count = rng() % 14;
            for (unsigned long i = 0; i < count; ++i) {
                file += tokens[rng() % std::size(tokens)];
                if (rng() % 3 != 0)
                    file += ' ';
            }
            file += '\n';
        }
        const auto doc = KeyDocument::fromBytes(file);
        QCOMPARE(countingByUsage(doc), countingByCells(doc));
    }

    void hover_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("modifier");
        QTest::addColumn<int>("tableRow");
        QTest::addColumn<QString>("scanCode");
        QTest::addColumn<bool>("assigned");
        QTest::addColumn<bool>("matched");
        QTest::addColumn<QString>("simName");
        QTest::addColumn<QString>("description");

        const QByteArray plain = "SimPlain -1 0 0x1e 0 0 0 1 \"Plain\"\n";
        QTest::newRow("free key") << plain << 0 << RowB << "0X30" << false << false << ""
                                  << "";
        QTest::newRow("free with these modifiers") << plain << 1 << RowA << "0X1E" << false << false << ""
                                                   << "";
        QTest::newRow("assigned key") << plain << 0 << RowA << "0X1E" << true << true << "SimPlain"
                                      << "\"Plain\" ";
        QTest::newRow("combination line comes first") << QByteArray("SimCombo -1 0 0X1E 0 0X2E 4 1 \"Combo\"\n" + plain)
                                                      << 0 << RowA << "0X1E" << true << true << "SimCombo"
                                                      << "\"Combo\" ";
        QTest::newRow("comment passed over") << QByteArray("# SimX -1 0 0X1E 0 0 0 1 \"X\"\n" + plain) << 0 << RowA
                                             << "0X1E" << true << true << "SimPlain"
                                             << "\"Plain\" ";
        QTest::newRow("other modifier passed over") << QByteArray("SimShift -1 0 0X1E 1 0 0 1 \"S\"\n" + plain) << 0
                                                    << RowA << "0X1E" << true << true << "SimPlain"
                                                    << "\"Plain\" ";
        QTest::newRow("first of two") << QByteArray(plain + "SimSecond -1 0 0X1E 0 0 0 1 \"2\"\n") << 0 << RowA
                                      << "0X1E" << true << true << "SimPlain"
                                      << "\"Plain\" ";
        QTest::newRow("no description") << QByteArray("SimBare -1 0 0XDB 2 0 0 1\n") << 2 << RowWinL << "0XDB" << true
                                        << true << "SimBare"
                                        << "";
        QTest::newRow("tabs between fields")
            << QByteArray("SimTab\t-1\t0\t0X30\t0\t0\t0\t1\t\"T\"\n") << 0 << RowB << "0X30" << true << true << "SimTab"
            << "\"T\"";
        QTest::newRow("out of range") << plain << 0 << core::KeyCodeTable::KeyCount << "" << false << false << ""
                                      << "";
        QTest::newRow("negative row") << plain << 0 << -1 << "" << false << false << ""
                                      << "";
    }

    void hover()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, modifier);
        QFETCH(int, tableRow);
        QFETCH(QString, scanCode);
        QFETCH(bool, assigned);
        QFETCH(bool, matched);
        QFETCH(QString, simName);
        QFETCH(QString, description);
        const auto doc = KeyDocument::fromBytes(file.toStdString());
        const auto answer = core::hoverAnswer(doc, KeyboardUsage::compute(doc, modifier), tableRow, modifier);
        QCOMPARE(QString::fromStdString(answer.scanCodeText), scanCode);
        QCOMPARE(answer.assigned, assigned);
        QCOMPARE(answer.matched, matched);
        QCOMPARE(QString::fromStdString(answer.simName), simName);
        QCOMPARE(QString::fromStdString(answer.description), description);
    }

    void hoverWithoutMatchAfterAnEdit()
    {
        // The usage was computed before the edit; the hover reads the document as it is now and finds no line.
        auto doc = KeyDocument::fromBytes("SimA -1 0 0X1E 0 0 0 1 \"a\"\n");
        const auto usage = KeyboardUsage::compute(doc, 0);
        QVERIFY(doc.setCell(0, core::ModifierColumn, "3"));
        const auto answer = core::hoverAnswer(doc, usage, RowA, 0);
        QVERIFY(answer.assigned);
        QVERIFY(!answer.matched);
        QCOMPARE(answer.scanCodeText, std::string("0X1E"));
        QVERIFY(answer.simName.empty());
        // Recomputing follows the edit.
        QCOMPARE(KeyboardUsage::compute(doc, 0).forTableRow(RowA).use, KeyUse::Free);
        QCOMPARE(KeyboardUsage::compute(doc, 3).forTableRow(RowA).use, KeyUse::Assigned);
    }

    void keyUseNames()
    {
        QCOMPARE(std::string(core::keyUseName(KeyUse::Free)), std::string("free"));
        QCOMPARE(std::string(core::keyUseName(KeyUse::Assigned)), std::string("assigned"));
        QCOMPARE(std::string(core::keyUseName(KeyUse::Multiple)), std::string("multiple"));
    }

    void sampleFile()
    {
        const auto doc
            = KeyDocument::fromBytes(testing::readBytes(testing::samplePath(QStringLiteral("tarnwick-sample.key"))));
        const auto all = KeyboardUsage::computeAll(doc);
        int used = 0;
        for (int m = 0; m < KeyboardUsage::ModifierCount; ++m) {
            const auto single = KeyboardUsage::compute(doc, m);
            for (int row = 0; row < core::KeyCodeTable::KeyCount; ++row) {
                const auto& key = single.forTableRow(row);
                QCOMPARE(all[static_cast<std::size_t>(m)].forTableRow(row).rows, key.rows);
                used += key.use == KeyUse::Free ? 0 : 1;
                // Every counting row answers the hover or an earlier row does.
                const auto answer = core::hoverAnswer(doc, single, row, m);
                QCOMPARE(answer.matched, key.use != KeyUse::Free);
                if (answer.matched)
                    QVERIFY(!answer.simName.empty());
            }
        }
        QVERIFY(used > 50);
        // F1 with no modifier: OTWSelect2DCockpitMode, written "0x3B" in the sample.
        const auto f1 = KeyboardUsage::compute(doc, 0).forTableRow(27);
        QCOMPARE(f1.use, KeyUse::Assigned);
        QCOMPARE(doc.cell(f1.rows[0], core::SimNameColumn), std::string("OTWSelect2DCockpitMode"));
    }

    void corpusFiles()
    {
        const QStringList files = testing::corpusKeyFiles();
        if (files.isEmpty())
            QSKIP("no corpus beside the checkout");
        for (const QString& file : files) {
            const auto doc = KeyDocument::fromBytes(testing::readBytes(file));
            QCOMPARE(countingByUsage(doc), countingByCells(doc));
            const auto all = KeyboardUsage::computeAll(doc);
            const auto again = KeyboardUsage::computeAll(doc);
            for (int m = 0; m < KeyboardUsage::ModifierCount; ++m) {
                for (int row = 0; row < core::KeyCodeTable::KeyCount; ++row) {
                    const auto& key = all[static_cast<std::size_t>(m)].forTableRow(row);
                    QCOMPARE(again[static_cast<std::size_t>(m)].forTableRow(row).rows, key.rows);
                    for (const int r : key.rows) {
                        QVERIFY(!doc.isComment(r));
                        QCOMPARE(core::keyRowOfCell(doc.cell(r, core::KeyColumn)), std::optional<int>(row));
                    }
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(KeyboardUsageTest)
#include "KeyboardUsageTest.moc"

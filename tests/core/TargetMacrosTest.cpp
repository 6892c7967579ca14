#include "core/TargetMacros.h"
#include "core/KeyCodeTable.h"
#include "core/KeyDocument.h"

#include "TestData.h"

#include <QRegularExpression>
#include <QTest>

#include <numeric>

namespace {

// The TARGET text of every row of `bytes`, read as a key file.
QByteArray target(const QByteArray& bytes, bool removeSim = false)
{
    const auto doc = core::KeyDocument::fromBytes(bytes.toStdString());
    std::vector<int> rows(static_cast<std::size_t>(doc.rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    return QByteArray::fromStdString(core::fillTargetMacros(doc, rows, removeSim));
}

// The table row of a USB usage, or -1.
int rowOfUsage(int usage)
{
    for (int row = 0; row < core::KeyCodeTable::KeyCount; ++row) {
        if (core::KeyCodeTable::row(row).usbUsage == usage)
            return row;
    }
    return -1;
}

} // namespace

class TargetMacrosTest : public QObject
{
    Q_OBJECT

private slots:
    void lines_data()
    {
        QTest::addColumn<QByteArray>("keyLine");
        QTest::addColumn<bool>("removeSim");
        QTest::addColumn<QByteArray>("text");

        const auto key = [](const QByteArray& cells, const QByteArray& name = "SimA") -> QByteArray {
            return name + " -1 0 " + cells + " 1 \"Desc\"";
        };
        const auto define = [](const QByteArray& keys, const QByteArray& name = "SimA") -> QByteArray {
            return "define " + name + '\t' + keys + "\t\t//Desc\r\n";
        };
        const auto commented = [](const QByteArray& why) -> QByteArray {
            return "//define SimA\t\t\t//Desc (not defined: " + why + ")\r\n";
        };
        const char* const modifiers[] = {"", "L_SHIFT+", "L_CTL+", "L_SHIFT+L_CTL+", "L_ALT+", "L_SHIFT+L_ALT+",
            "L_CTL+L_ALT+", "L_SHIFT+L_CTL+L_ALT+"};
        for (int m = 0; m < 8; ++m) {
            QTest::addRow("modifier %d", m) << key("0x1E " + QByteArray::number(m) + " 0 0") << false
                                            << define(QByteArray(modifiers[m]) + "USB[0x04]");
        }
        QTest::newRow("empty modifier cell")
            << QByteArray("SimA -1 0 0x2C") << false << QByteArray("define SimA\tUSB[0x1D]\t\t//\r\n");
        QTest::newRow("F1") << key("0X3B 0 0 0") << false << define("USB[0x3A]");
        QTest::newRow("left Windows") << key("0xDB 0 0 0") << false << define("USB[0xE3]");
        QTest::newRow("Apps") << key("0xDD 2 0 0") << false << define("L_CTL+USB[0x65]");
        QTest::newRow("unassigned") << key("0XFFFFFFFF 0 0 0") << false << define("USB[0x00]");
        QTest::newRow("unassigned with modifiers") << key("0xffffffff 3 0x2E 4") << false << define("USB[0x00]");
        QTest::newRow("zero key") << key("0 0 0 0") << false << define("USB[0x00]");
        QTest::newRow("combination") << key("0x2D 0 0x2E 4") << false
                                     << define("CHAIN(L_ALT+USB[0x06], D(), USB[0x1B])");
        QTest::newRow("combination with modifiers")
            << key("0x10 3 0x2E 5") << false << define("CHAIN(L_SHIFT+L_ALT+USB[0x06], D(), L_SHIFT+L_CTL+USB[0x14])");
        QTest::newRow("unassigned combination key") << key("0x2D 0 0XFFFFFFFF 4") << false << define("USB[0x1B]");
        QTest::newRow("unknown key") << key("0x2A 0 0 0") << false << commented("key 0x2A is not in the key table");
        QTest::newRow("Pause") << key("0xC5 1 0 0") << false << commented("key 0xC5 (Pause) is not in the key table");
        QTest::newRow("malformed key") << key("0xZZ 0 0 0") << false << commented("key \"0xZZ\" is not a scan code");
        QTest::newRow("modifier out of range")
            << key("0x1E 9 0 0") << false << commented("modifier \"9\" is not 0 to 7");
        QTest::newRow("unknown combination key")
            << key("0x1E 0 0xC5 0") << false << commented("combination key 0xC5 (Pause) is not in the key table");
        QTest::newRow("remove SIM") << key("0x1E 0 0 0", "SimAlpha") << true << define("USB[0x04]", "Alpha");
        QTest::newRow("remove SIM in capitals")
            << key("0x1E 0 0 0", "SIMAlpha") << true << define("USB[0x04]", "Alpha");
        QTest::newRow("remove SIM keeps a name that only ends alike")
            << key("0x1E 0 0 0", "SiXMAlpha") << true << define("USB[0x04]", "SiXMAlpha");
        QTest::newRow("name kept without remove SIM")
            << key("0x1E 0 0 0", "SimAlpha") << false << define("USB[0x04]", "SimAlpha");
        QTest::newRow("name made an identifier")
            << key("0x1E 0 0 0", "Sim-A.b\xc2\xb0\xb0") << false << define("USB[0x04]", "Sim_A_b__");
        QTest::newRow("first and last letters and digits kept")
            << key("0x1E 0 0 0", "azAZ09_") << false << define("USB[0x04]", "azAZ09_");
        QTest::newRow("leading zero") << key("0x1E 0 0 0", "0Shot") << false << define("USB[0x04]", "_0Shot");
        QTest::newRow("leading nine") << key("0x1E 0 0 0", "9Shot") << false << define("USB[0x04]", "_9Shot");
        QTest::newRow("description without quotes")
            << QByteArray("SimA -1 0 0x1E 0 0 0 1 \"SIM: Cover\" MANUALLY INSERTED") << false
            << QByteArray("define SimA\tUSB[0x04]\t\t//SIM: Cover MANUALLY INSERTED\r\n");
        QTest::newRow("headline") << QByteArray("SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"2. LEFT CONSOLE\"") << false
                                  << QByteArray("// 2. LEFT CONSOLE\r\n");
        QTest::newRow("DirectX") << QByteArray("SimA 4 -1 -2 0 0x0 -1 1 \"Desc\"") << false << QByteArray();
        QTest::newRow("POV") << QByteArray("SimA 0 -1 -3 6 0x0 -1 1 \"Desc\"") << false << QByteArray();
        // A name defined earlier gets the next free number; a line written as a comment defines nothing.
        QTest::newRow("repeated names get numbers")
            << QByteArray("SimA -1 0 0x1E 0 0 0 1 \"1\"\nSimA -1 0 0x30 0 0 0 1 \"2\"\nSimA_2 -1 0 0x2E 0 0 0 1 \"3\"\n"
                          "SimA -1 0 0x20 0 0 0 1 \"4\"\nSimB -1 0 0xC5 0 0 0 1 \"5\"\nSimB -1 0 0x12 0 0 0 1 \"6\"\n")
            << false
            << QByteArray("define SimA\tUSB[0x04]\t\t//1\r\ndefine SimA_2\tUSB[0x05]\t\t//2\r\n"
                          "define SimA_2_2\tUSB[0x06]\t\t//3\r\ndefine SimA_3\tUSB[0x07]\t\t//4\r\n"
                          "//define SimB\t\t\t//5 (not defined: key 0xC5 (Pause) is not in the key table)\r\n"
                          "define SimB\tUSB[0x08]\t\t//6\r\n");
    }

    void lines()
    {
        QFETCH(QByteArray, keyLine);
        QFETCH(bool, removeSim);
        QFETCH(QByteArray, text);
        QCOMPARE(target(keyLine, removeSim), text);
    }

    void rowsInTheOrderGiven()
    {
        const auto doc
            = core::KeyDocument::fromBytes("# c\nSimA -1 0 0x1E 0 0 0 1 \"a\"\nSimB -1 0 0x30 0 0 0 1 \"b\"\n");
        QCOMPARE(core::fillTargetMacros(doc, {2, 0, 1}, false),
            std::string("define SimB\tUSB[0x05]\t\t//b\r\ndefine SimA\tUSB[0x04]\t\t//a\r\n"));
    }

    // Every define line of a real TARGET macro file, its keys turned back into a key line through the table's USB
    // column, comes out as it stands there (modifiers in our order, the chain's default delay).
    void corpusTargetFileLines()
    {
        const QString file
            = testing::corpusFile(QStringLiteral("macros/04_target_F4_Allied_Force_keystrokes_Macros.ttm"));
        if (file.isEmpty())
            QSKIP("no corpus beside the checkout");
        const QList<QByteArray> lines = QByteArray::fromStdString(testing::readBytes(file)).split('\n');
        const QRegularExpression defineLine(QStringLiteral("^define (\\w+)\\t(.+)\\t\\t//(.*)\\r$"));
        const QRegularExpression strokes(QStringLiteral("^((?:L_\\w+\\+)*)USB\\[0x(..)\\]$"));
        int checked = 0;
        int defines = 0;
        for (const QByteArray& line : lines) {
            const auto match = defineLine.match(QString::fromLatin1(line));
            if (!match.hasMatch())
                continue;
            ++defines;
            QString keys = match.captured(2);
            QStringList parts{keys};
            if (keys.startsWith(QStringLiteral("CHAIN("))) {
                parts = keys.mid(6, keys.size() - 7).split(QStringLiteral(", "));
                QCOMPARE(parts.size(), 3);
                parts.removeAt(1);
            }
            QByteArrayList cells; // key, modifier for each stroke
            QStringList ours;
            bool known = true;
            for (const QString& part : parts) {
                const auto m = strokes.match(part);
                QVERIFY2(m.hasMatch(), line.constData());
                int modifier = 0;
                for (const QString& held : m.captured(1).split(QLatin1Char('+'), Qt::SkipEmptyParts))
                    modifier |= held == QLatin1String("L_SHIFT") ? 1 : held == QLatin1String("L_CTL") ? 2 : 4;
                const int usage = m.captured(2).toInt(nullptr, 16);
                const int row = usage == 0 ? core::KeyCodeTable::KeyCount : rowOfUsage(usage);
                known = known && row >= 0;
                if (row < 0)
                    break;
                cells << QByteArray(core::KeyCodeTable::row(row).scanCodeText.data()) << QByteArray::number(modifier);
                static const char* const held[] = {"L_SHIFT+", "L_CTL+", "L_ALT+"};
                QString stroke;
                for (int bit = 0; bit < 3; ++bit)
                    stroke += (modifier & (1 << bit)) ? QLatin1String(held[bit]) : QLatin1String();
                ours << stroke + QStringLiteral("USB[0x") + m.captured(2) + QLatin1Char(']');
            }
            if (!known)
                continue;
            const QByteArray combo = cells.size() == 4 ? cells[0] + ' ' + cells[1] : QByteArray("0 0");
            const QByteArray keyCells = cells.size() == 4 ? cells[2] + ' ' + cells[3] : cells[0] + ' ' + cells[1];
            const QByteArray keyLine = match.captured(1).toLatin1() + " -1 0 " + keyCells + ' ' + combo + " 1 \""
                + match.captured(3).toLatin1() + '"';
            const QString expected
                = ours.size() == 2 ? QStringLiteral("CHAIN(%1, D(), %2)").arg(ours[0], ours[1]) : ours[0];
            QCOMPARE(QString::fromLatin1(target(keyLine)),
                QStringLiteral("define %1\t%2\t\t//%3\r\n").arg(match.captured(1), expected, match.captured(3)));
            ++checked;
        }
        QCOMPARE(defines, 456);
        QCOMPARE(checked, defines); // the table knows every key the file uses
    }
};

QTEST_APPLESS_MAIN(TargetMacrosTest)
#include "TargetMacrosTest.moc"

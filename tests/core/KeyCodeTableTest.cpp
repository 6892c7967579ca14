#include "core/KeyCodeTable.h"

#include <QSet>
#include <QTest>

using core::KeyCodeTable;

class KeyCodeTableTest : public QObject
{
    Q_OBJECT

private slots:
    void tableHasNinetySevenDistinctKeysAndTheMarker()
    {
        QCOMPARE(KeyCodeTable::RowCount, 98);
        QSet<QString> codes, names;
        QSet<int> labels;
        for (int i = 0; i < KeyCodeTable::KeyCount; ++i) {
            const auto& row = KeyCodeTable::row(i);
            codes.insert(QString::fromLatin1(row.scanCodeText.data(), qsizetype(row.scanCodeText.size())));
            names.insert(QString::fromLatin1(row.keyName.data(), qsizetype(row.keyName.size())));
            labels.insert(row.labelIndex);
            // The scan-code text is "0X" and the value in upper-case hex without leading zeros.
            QCOMPARE(QString::fromLatin1(row.scanCodeText.data(), qsizetype(row.scanCodeText.size())),
                QStringLiteral("0X") + QString::number(row.scanCode, 16).toUpper());
        }
        QCOMPARE(codes.size(), 97);
        QCOMPARE(names.size(), 97);
        QCOMPARE(labels.size(), 97);
        QCOMPARE(KeyCodeTable::row(97).scanCodeText, std::string_view("0XFFFFFFFF"));
        QCOMPARE(KeyCodeTable::row(97).keyName, std::string_view("Unassigned"));
    }

    // Usages of the keyboard page, every key of the table: letters, digits, function and keypad keys in runs, then
    // the others one by one.
    void usbUsage_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("usage");
        const char* const letters = "abcdefghijklmnopqrstuvwxyz";
        for (int i = 0; i < 26; ++i)
            QTest::addRow("%c", letters[i]) << QString(QLatin1Char(letters[i])) << 0x04 + i;
        for (int i = 1; i <= 10; ++i)
            QTest::addRow("digit %d", i % 10) << QString::number(i % 10) << 0x1D + i;
        for (int i = 1; i <= 12; ++i)
            QTest::addRow("F%d", i) << QStringLiteral("F%1").arg(i) << 0x39 + i;
        for (int i = 1; i <= 9; ++i)
            QTest::addRow("KP%d", i) << QStringLiteral("KP%1").arg(i) << 0x58 + i;
        const std::pair<const char*, int> single[] = {{"ENT", 0x28}, {"ESC", 0x29}, {"BSP", 0x2A}, {"TAB", 0x2B},
            {"SPC", 0x2C}, {"-", 0x2D}, {"=", 0x2E}, {"[", 0x2F}, {"]", 0x30}, {"\\", 0x31}, {";", 0x33}, {"'", 0x34},
            {"`", 0x35}, {",", 0x36}, {".", 0x37}, {"/", 0x38}, {"CAPS", 0x39}, {"PRNTSCRN", 0x46}, {"SCRLCK", 0x47},
            {"INS", 0x49}, {"HOME", 0x4A}, {"PGUP", 0x4B}, {"DEL", 0x4C}, {"END", 0x4D}, {"PGDN", 0x4E},
            {"RARROW", 0x4F}, {"LARROW", 0x50}, {"DARROW", 0x51}, {"UARROW", 0x52}, {"NUML", 0x53}, {"KP/", 0x54},
            {"KP*", 0x55}, {"KP-", 0x56}, {"KP+", 0x57}, {"KPENT", 0x58}, {"KP0", 0x62}, {"KP.", 0x63}, {"Apps", 0x65},
            {"WinL", 0xE3}, {"WinR", 0xE7}};
        for (const auto& [name, usage] : single)
            QTest::newRow(name) << QString::fromLatin1(name) << usage;
    }

    void usbUsage()
    {
        QFETCH(QString, key);
        QFETCH(int, usage);
        for (int i = 0; i < KeyCodeTable::KeyCount; ++i) {
            const auto& row = KeyCodeTable::row(i);
            if (QString::fromLatin1(row.keyName.data(), qsizetype(row.keyName.size())) == key) {
                QCOMPARE(int(row.usbUsage), usage);
                return;
            }
        }
        QFAIL("no such key");
    }

    void labelIndexIsScanCodeExceptWindowsKeys()
    {
        for (int i = 0; i < KeyCodeTable::KeyCount; ++i) {
            const auto& row = KeyCodeTable::row(i);
            if (row.scanCode == 0xDB)
                QCOMPARE(row.labelIndex, 0);
            else if (row.scanCode == 0xDC)
                QCOMPARE(row.labelIndex, 84);
            else if (row.scanCode == 0xDD)
                QCOMPARE(row.labelIndex, 85);
            else
                QCOMPARE(row.labelIndex, int(row.scanCode));
        }
    }

    // Every row's own scan-code text, and its lower-case spelling, give the row's name.
    void everyRowLooksUpItsOwnName()
    {
        for (int i = 0; i < KeyCodeTable::RowCount; ++i) {
            const auto& row = KeyCodeTable::row(i);
            std::string text(row.scanCodeText);
            QCOMPARE(core::lookupKeyName(text), std::string(row.keyName));
            for (auto& c : text)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            QCOMPARE(core::lookupKeyName(text), std::string(row.keyName));
        }
    }

    void lookupRules_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("name");
        QTest::newRow("a") << "0X1E"
                           << "a";
        QTest::newRow("print screen") << "0XB7"
                                      << "PRNTSCRN";
        QTest::newRow("keypad enter") << "0X9C"
                                      << "KPENT";
        QTest::newRow("backslash") << "0X2B"
                                   << "\\";
        QTest::newRow("left windows") << "0XDB"
                                      << "WinL";
        QTest::newRow("marker") << "0XFFFFFFFF"
                                << "Unassigned";
        QTest::newRow("marker lower case") << "0xffffffff"
                                           << "Unassigned";
        QTest::newRow("lower-case x") << "0x1E"
                                      << "a";
        QTest::newRow("lower-case digit") << "0X1e"
                                          << "a";
        QTest::newRow("both lower") << "0x3b"
                                    << "F1";
        QTest::newRow("leading zero") << "0X03B"
                                      << "F1";
        QTest::newRow("escape with zero") << "0X01"
                                          << "ESC";
        QTest::newRow("eight digits") << "0x0000003B"
                                      << "F1";
        QTest::newRow("nine digits") << "0x00000003B"
                                     << "Not found";
        QTest::newRow("left shift has no row") << "0X2A"
                                               << "Not found";
        QTest::newRow("pause has no row") << "0xC5"
                                          << "Not found";
        QTest::newRow("malformed") << "0xZZ"
                                   << "Not found";
        QTest::newRow("prefix only") << "0x"
                                     << "Not found";
        QTest::newRow("trailing junk") << "0x3Bq"
                                       << "Not found";
        QTest::newRow("space inside") << "0x 3B"
                                      << "Not found";
        QTest::newRow("zero") << "0"
                              << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("one character") << "1"
                                       << "";
        QTest::newRow("no prefix") << "1E"
                                   << "";
        QTest::newRow("zero code") << "0x0"
                                   << "";
        QTest::newRow("zero code upper") << "0X0"
                                         << "";
        QTest::newRow("zero code padded") << "0x00000000"
                                          << "";
        QTest::newRow("directx marker") << "-2"
                                        << "";
        QTest::newRow("leading space") << " 0x3B"
                                       << "";
    }

    void lookupRules()
    {
        QFETCH(QString, cell);
        QFETCH(QString, name);
        QCOMPARE(QString::fromStdString(core::lookupKeyName(cell.toStdString())), name);
    }

    void namesNoKey_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<bool>("none");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("0") << "0" << true;
        QTest::newRow("0x0") << "0x0" << true;
        QTest::newRow("0X00") << "0X00" << true;
        QTest::newRow("marker") << "0XFFFFFFFF" << true;
        QTest::newRow("marker lower") << "0xffffffff" << true;
        QTest::newRow("a key") << "0x3B" << false;
        QTest::newRow("unknown key") << "0xC5" << false;
        QTest::newRow("minus one") << "-1" << false;
    }

    void namesNoKey()
    {
        QFETCH(QString, cell);
        QFETCH(bool, none);
        QCOMPARE(core::namesNoKey(cell.toStdString()), none);
    }

    void modifierText_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "";
        QTest::newRow("1") << 1 << "SHF";
        QTest::newRow("2") << 2 << "CTL";
        QTest::newRow("3") << 3 << "SHF CTL";
        QTest::newRow("4") << 4 << "ALT";
        QTest::newRow("5") << 5 << "SHF ALT";
        QTest::newRow("6") << 6 << "CTL ALT";
        QTest::newRow("7") << 7 << "SHF CTL ALT";
        QTest::newRow("8") << 8 << "???";
        QTest::newRow("-1") << -1 << "???";
        QTest::newRow("large") << 32768 << "???";
    }

    void modifierText()
    {
        QFETCH(int, value);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(core::modifierText(value)), text);
    }
};

QTEST_APPLESS_MAIN(KeyCodeTableTest)
#include "KeyCodeTableTest.moc"

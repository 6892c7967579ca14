#include "core/KeyCodeTable.h"
#include "core/Binding.h"

#include <QSet>
#include <QTest>

using core::KeyCodeTable;

namespace {

QString text(std::string_view view)
{
    return QString::fromLatin1(view.data(), qsizetype(view.size()));
}

} // namespace

class KeyCodeTableTest : public QObject
{
    Q_OBJECT

private slots:
    // 97 distinct keys and the marker. The scan-code text is "0X" and the value in upper-case hex without leading
    // zeros; the label index is the scan code except for the Windows and application keys. Every row's own text,
    // and its lower-case spelling, look up the row's name.
    void tableRows()
    {
        QCOMPARE(KeyCodeTable::RowCount, 98);
        QSet<QString> codes, names;
        QSet<int> labels;
        for (int i = 0; i < KeyCodeTable::RowCount; ++i) {
            const auto& row = KeyCodeTable::row(i);
            QCOMPARE(text(row.scanCodeText), QStringLiteral("0X") + QString::number(row.scanCode, 16).toUpper());
            QCOMPARE(core::lookupKeyName(row.scanCodeText), std::string(row.keyName));
            QCOMPARE(core::lookupKeyName(text(row.scanCodeText).toLower().toStdString()), std::string(row.keyName));
            if (i == KeyCodeTable::KeyCount)
                break;
            codes.insert(text(row.scanCodeText));
            names.insert(text(row.keyName));
            labels.insert(row.labelIndex);
            const int label = row.scanCode == 0xDB ? 0
                : row.scanCode == 0xDC             ? 84
                : row.scanCode == 0xDD             ? 85
                                                   : int(row.scanCode);
            QCOMPARE(row.labelIndex, label);
            QCOMPARE(KeyCodeTable::rowOfScanCode(row.scanCode), std::optional<int>(i));
            QCOMPARE(KeyCodeTable::rowOfLabel(row.labelIndex), std::optional<int>(i));
        }
        QCOMPARE(codes.size(), 97);
        QCOMPARE(names.size(), 97);
        QCOMPARE(labels.size(), 97);
        QCOMPARE(KeyCodeTable::row(97).scanCodeText, std::string_view("0XFFFFFFFF"));
        QCOMPARE(KeyCodeTable::row(97).keyName, std::string_view("Unassigned"));
        QCOMPARE(KeyCodeTable::rowOfScanCode(KeyCodeTable::NoKeyCode), std::nullopt);
        // Modifier values outside 0 to 7 (the words of the others are checked with the keys texts).
        QCOMPARE(core::modifierText(-1) + core::modifierText(8), std::string("??????"));
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

    // What a key cell names: its Cougar name ("" for no name), whether it names no key, and its table row.
    void lookupRules_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("none");
        QTest::addColumn<int>("row");
        const auto row = [](const char* name, const char* cell, const char* key, bool none = false, int tableRow = -1) {
            QTest::newRow(name) << QString::fromLatin1(cell) << QString::fromLatin1(key) << none << tableRow;
        };
        row("a", "0X1E", "a", false, 0);
        row("print screen", "0XB7", "PRNTSCRN", false, 39);
        row("keypad enter", "0X9C", "KPENT", false, 96);
        row("backslash", "0X2B", "\\", false, 58);
        row("left windows", "0XDB", "WinL", false, 66);
        row("marker", "0XFFFFFFFF", "Unassigned", true);
        row("marker lower case", "0xffffffff", "Unassigned", true);
        row("marker mixed case", "0xFfFfFFfF", "Unassigned", true);
        row("marker with one other digit", "0xFFFFFFFE", "Not found");
        row("marker with a byte past f", "0xFFFFFFFG", "Not found");
        row("marker with a high byte",
            "0xFFFFFF\xC6"
            "F",
            "Not found");
        row("lower-case x", "0x1E", "a", false, 0);
        row("leading zero", "0X03B", "F1", false, 27);
        row("eight digits", "0x0000003B", "F1", false, 27);
        row("nine digits", "0x00000003B", "Not found");
        row("left shift has no row", "0X2A", "Not found");
        row("pause has no row", "0xC5", "Not found");
        row("malformed", "0xZZ", "Not found");
        row("prefix only", "0x", "Not found");
        row("trailing junk", "0x3Bq", "Not found");
        row("space inside", "0x 3B", "Not found");
        row("letter past f", "0x3g", "Not found");
        row("letter past F", "0x3G", "Not found");
        row("byte before a", "0x3`", "Not found");
        row("byte before A", "0x3@", "Not found");
        row("byte after 9", "0x3:", "Not found");
        row("byte before 0", "0x3/", "Not found");
        row("high byte", "0x1\xE9", "Not found");
        row("mixed-case digits", "0xdB", "WinL", false, 66);
        row("lower-case digits", "0x3b", "F1", false, 27);
        row("zero", "0", "", true);
        row("empty", "", "", true);
        row("no prefix", "1E", "");
        row("zero code", "0x0", "", true);
        row("zero code padded", "0x00000000", "", true);
        row("leading space", " 0x3B", "");
    }

    void lookupRules()
    {
        QFETCH(QString, cell);
        QFETCH(QString, name);
        QFETCH(bool, none);
        QFETCH(int, row);
        const std::string text = cell.toStdString();
        QCOMPARE(QString::fromStdString(core::lookupKeyName(text)), name);
        QCOMPARE(core::namesNoKey(text), none);
        QCOMPARE(core::keyRowOfCell(text).value_or(-1), row);
        // The reference a binding keeps says the same.
        const auto ref = core::KeyRef::of(text);
        QCOMPARE(QString::fromStdString(ref.name()), name);
        QCOMPARE(ref.namesNoKey(), none);
        QCOMPARE(int(ref.tableRow), row);
        QCOMPARE(ref.isTableKey(), row >= 0);
    }
};

QTEST_APPLESS_MAIN(KeyCodeTableTest)
#include "KeyCodeTableTest.moc"

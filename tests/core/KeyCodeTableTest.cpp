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

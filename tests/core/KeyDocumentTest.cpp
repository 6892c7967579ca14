#include "core/KeyDocument.h"
#include "core/Binding.h"
#include "core/GenericOrder.h"

#include "TestData.h"

#include <QTest>

#include <algorithm>
#include <numeric>

using core::KeyDocument;

namespace {

// Cells 1..9 of a row, joined with '|' so a whole row compares in one go.
QString joined(const core::RecordCells& row)
{
    QStringList parts;
    for (int c = 1; c < core::ColumnCount; ++c)
        parts << QString::fromLatin1(row[std::size_t(c)].data(), qsizetype(row[std::size_t(c)].size()));
    return parts.join(QLatin1Char('|'));
}

} // namespace

/** Reading a key file into rows and cells, writing it back byte for byte, and the row states that undo relies on. */
class KeyDocumentTest : public QObject
{
    Q_OBJECT

private slots:
    void splitsRecordLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("cells");
        QTest::newRow("nine fields") << QByteArray("SimPickle -1 0 0X39 0 0XFFFFFFFF 0 1 \"Pickle\"")
                                     << "SimPickle|-1|0|0X39|0|0XFFFFFFFF|0|1|\"Pickle\" ";
        QTest::newRow("runs of spaces") << QByteArray("  SimA   1    2  \"d\"   ") << "SimA|1|2|\"d\" |||||";
        QTest::newRow("description keeps inner spaces and text after the quote")
            << QByteArray("SimA 1 \"a  b\" tail  x") << "SimA|1|\"a  b\" tail  x ||||||";
        QTest::newRow("quote inside a word is ordinary") << QByteArray("Sim\"A 1 x\"y") << "Sim\"A|1|x\"y||||||";
        QTest::newRow("first word never a description") << QByteArray("\"Sim 1 \"d\"") << "\"Sim|1|\"d\" ||||||";
        QTest::newRow("description right after the first word") << QByteArray("SimA \"d e\"") << "SimA|\"d e\" |||||||";
        QTest::newRow("single word") << QByteArray("SimAlone") << "SimAlone||||||||";
        QTest::newRow("tab splits a field") << QByteArray("SimA\t1 2") << "SimA|1|2||||||";
        QTest::newRow("tab in the description splits it") << QByteArray("SimA \"x\ty\"") << "SimA|\"x|y\" ||||||";
        QTest::newRow("extra fields join the last cell")
            << QByteArray("S 1 2 3 4 5 6 7 8 9 10") << "S|1|2|3|4|5|6|7|8 9 10";
        QTest::newRow("description beyond ninth field")
            << QByteArray("S 1 2 3 4 5 6 7 8 \"d x\"") << "S|1|2|3|4|5|6|7|8 \"d x\" ";
        QTest::newRow("binary bytes kept")
            << testing::literalBytes("S\x01\xff 2") << QString::fromLatin1("S\x01\xff|2|||||||");
        // Fields longer than a word, with the space at each place in one, and high bytes that are no spaces.
        QTest::newRow("long fields")
            << QByteArray("SimLongFunctionName1 12345678 123456789 0x0000001E 1234567 ABCDEFGHIJKLMNOP 0  \"long d\"")
            << "SimLongFunctionName1|12345678|123456789|0x0000001E|1234567|ABCDEFGHIJKLMNOP|0|\"long d\" |";
        QTest::newRow("long fields of high bytes")
            << testing::literalBytes("S\xe9\xa0\x80\xff\xc2\xa0\xa0\xa0\xa0 \xa0\xa0\xa0\xa0\xa0\xa0\xa0\xa0\xa0 2")
            << QString::fromLatin1(
                   "S\xe9\xa0\x80\xff\xc2\xa0\xa0\xa0\xa0|\xa0\xa0\xa0\xa0\xa0\xa0\xa0\xa0\xa0|2||||||");
        // The first 64 bytes are split from a bit per byte, the rest byte by byte: fields and spaces across the
        // 64th byte, and what comes only after it.
        const QByteArray name60 = "Sim" + QByteArray(57, 'N');
        QTest::newRow("field across the 64th byte")
            << (name60 + " 0x1E123 5 \"d\"") << QString::fromLatin1(name60 + "|0x1E123|5|\"d\" |||||");
        QTest::newRow("spaces across the 64th byte")
            << (name60 + "        1 2") << QString::fromLatin1(name60 + "|1|2||||||");
        QTest::newRow("space as the 64th byte") << (name60 + "abc 1") << QString::fromLatin1(name60 + "abc|1|||||||");
        QTest::newRow("line of 64 bytes") << (name60 + " 1 2") << QString::fromLatin1(name60 + "|1|2||||||");
        QTest::newRow("tab after the 64th byte")
            << (name60 + " 1 2 3\t4") << QString::fromLatin1(name60 + "|1|2|3|4||||");
        QTest::newRow("description after the 64th byte")
            << (name60 + " 1 2 3 \"d  e\"") << QString::fromLatin1(name60 + "|1|2|3|\"d  e\" ||||");
        QTest::newRow("tenth field after the 64th byte")
            << (name60 + " 1 2 3 4 5 6 7 8 9") << QString::fromLatin1(name60 + "|1|2|3|4|5|6|7|8 9");
    }

    void splitsRecordLines()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, cells);
        const auto doc = KeyDocument::fromBytes(line.toStdString());
        QCOMPARE(doc.rowCount(), 1);
        QCOMPARE(joined(doc.cells(0)), cells);
        // Splitting stops after the cells asked for, which come out as the full split gives them.
        const auto full = core::splitRecordLine(line.toStdString());
        for (int last = 1; last < core::ColumnCount; ++last) {
            const auto partial = core::splitRecordLine(line.toStdString(), last);
            for (int c = 1; c < core::ColumnCount; ++c)
                QCOMPARE(partial[std::size_t(c)], c <= last ? full[std::size_t(c)] : std::string());
        }
        // One cell asked for by itself is the full split's, whichever splitter gives it.
        for (int c = 1; c < core::ColumnCount; ++c)
            QCOMPARE(doc.cell(0, c), full[std::size_t(c)]);
        // The quick splitter gives the same cells (the description without its added space); it declines a line
        // with a tab or with fields joined into the ninth cell, and only those.
        core::RecordViews views;
        const std::string bytes = line.toStdString();
        const bool quick = core::splitRecordViews(bytes, views);
        const std::string& ninth = full[core::ColumnCount - 1];
        const bool joined = !ninth.empty() && ninth[0] != '"' && ninth.find(' ') != std::string::npos;
        QCOMPARE(quick, !line.contains('\t') && !joined);
        for (int c = 1; quick && c < core::ColumnCount; ++c) {
            const std::string view(views[std::size_t(c)]);
            QCOMPARE(c > 1 && view.starts_with('"') ? view + ' ' : view, full[std::size_t(c)]);
        }
        // A row that can be written is written normalised when edited, and reads back to the same cells.
        if (core::unwritableCell(doc.cells(0)))
            return;
        auto edited = doc;
        QVERIFY(edited.setCell(0, core::SimNameColumn, doc.cell(0, core::SimNameColumn) + "Y"));
        auto again = KeyDocument::fromBytes(edited.toBytes());
        QVERIFY(again.setCell(0, core::SimNameColumn, doc.cell(0, core::SimNameColumn)));
        QVERIFY(again.cells(0) == doc.cells(0));
    }

    // Rows are the non-blank lines; each carries its line number as a text editor counts lines ('#' marks a comment
    // row). An unchanged document is written back byte for byte.
    void rowsAndLineNumbers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("lines");
        QTest::newRow("empty file") << QByteArray() << "";
        QTest::newRow("blank lines only") << QByteArray("  \r\n\r\n \n") << "";
        QTest::newRow("CRLF") << QByteArray("SimA 1 0 0x1E 0 0 0 1 \"a\"\r\nSimB 1\r\n") << "1 2";
        QTest::newRow("blank second line") << QByteArray("A 1\r\n   \r\nC 3\r\n") << "1 3";
        QTest::newRow("mixed ends, none at the end") << QByteArray("A\r\nB\nC\rD") << "1 2 3 4";
        QTest::newRow("CR CR LF is two line ends") << QByteArray("A\r\r\nB") << "1 3";
        QTest::newRow("lone CR at the end") << QByteArray("SimA\r") << "1";
        QTest::newRow("tab-only line is a record") << QByteArray("A\n\t\nB") << "1 2 3";
        QTest::newRow("blank lines everywhere") << QByteArray("\r\n  \nSimA 1\n\n \t \nSimB\n\n  ") << "3 5 6";
        QTest::newRow("runs of lines between blank ones") << QByteArray("A\n\nB\nC\nD\n\n\nE\nF") << "1 3 4 5 8 9";
        QTest::newRow("comments, indented by spaces and tabs")
            << QByteArray("# note\n \t #x\nSimA 1 \"#x\"\n") << "1# 2# 3";
        QTest::newRow("comment after a byte order mark") << QByteArray("\xEF\xBB\xBF# c\r\n\r\nSimA\r\n") << "1# 3";
        QTest::newRow("spacing and tabs") << QByteArray("  SimA\t 1   2  \"d  \"   \r\n") << "1";
        QTest::newRow("eight-bit bytes") << QByteArray("SimA 1 \"25\xb0 \xc2\xb0\"\r\n") << "1";
        QTest::newRow("NUL bytes") << testing::literalBytes("Sim\0A 1\n\0\n") << "1 2";
        // Line ends are read off 64 bytes at a time: ends on either side of a block's edge, and lines longer than one.
        QTest::newRow("CRLF split by a block's edge") << (QByteArray(63, 'A') + "\r\nB\r\n") << "1 2";
        QTest::newRow("LF as a block's first byte") << (QByteArray(64, 'A') + "\nB") << "1 2";
        QTest::newRow("CR as a block's last byte") << (QByteArray(63, 'A') + "\r" + QByteArray(70, 'B')) << "1 2";
        QTest::newRow("a line of three blocks") << (QByteArray(200, 'A') + "\r\n\r\nB\n") << "1 3";
    }

    void rowsAndLineNumbers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, lines);
        const auto doc = KeyDocument::fromBytes(bytes.toStdString());
        QStringList actual;
        for (int r = 0; r < doc.rowCount(); ++r) {
            actual << QString::number(doc.lineNumber(r)) + (doc.isComment(r) ? QStringLiteral("#") : QString());
            QCOMPARE(doc.cell(r, core::LineColumn), std::to_string(doc.lineNumber(r)));
            QCOMPARE(doc.binding(r).isComment(), doc.isComment(r));
            QCOMPARE(doc.rowAtLine(doc.lineNumber(r)), r);
            QCOMPARE(
                doc.rowAtLine(doc.lineNumber(r) - 1), r - (r > 0 && doc.lineNumber(r - 1) == doc.lineNumber(r) - 1));
        }
        QCOMPARE(actual.join(QLatin1Char(' ')), lines);
        // Every line, blank or not, finds the first row on it or after it.
        for (int line = -1; line <= bytes.count('\n') + bytes.count('\r') + 2; ++line) {
            int first = 0;
            while (first < doc.rowCount() && doc.lineNumber(first) < line)
                ++first;
            QCOMPARE(doc.rowAtLine(line), first);
        }
        QCOMPARE(doc.rowAtLine(1 << 20), doc.rowCount());
        QCOMPARE(doc.toBytes(), bytes.toStdString());
    }

    void commentRowHoldsItsWholeLineAndRefusesEdits()
    {
        auto doc = KeyDocument::fromBytes("\xEF\xBB\xBF  # SimA 1 2 \"x\"  \r\nSimB 1\r\n");
        QVERIFY(doc.hasByteOrderMark());
        QCOMPARE(doc.cell(0, core::SimNameColumn), std::string("  # SimA 1 2 \"x\"  "));
        QCOMPARE(doc.cell(0, core::CockpitIdColumn), std::string());
        QVERIFY(!doc.setCell(0, core::SimNameColumn, "changed"));
        QVERIFY(!doc.setCell(1, core::LineColumn, "9"));
        QVERIFY(!doc.setCell(2, core::KeyColumn, "0"));
        QVERIFY(!doc.isEdited(0));
    }

    void editedRowIsNormalisedOthersStay()
    {
        const std::string original = "# top\r\n\r\nSimA  -1 0   0x1E 0 0 0 1  \"Alpha  one\"  \r\n"
                                     "SimB\t-1 0 0x30 0 0 0 1 \"Beta\"\nSimC 1";
        auto doc = KeyDocument::fromBytes(original);
        QVERIFY(doc.setCell(1, core::ModifierColumn, "3"));
        QVERIFY(doc.isEdited(1));
        QCOMPARE(doc.toBytes(),
            std::string("# top\r\n\r\nSimA -1 0 0x1E 3 0 0 1 \"Alpha  one\"\r\n"
                        "SimB\t-1 0 0x30 0 0 0 1 \"Beta\"\nSimC 1"));
        // Editing the last line keeps it without a line end.
        QVERIFY(doc.setCell(3, core::CockpitIdColumn, "2"));
        const std::string saved = doc.toBytes();
        QCOMPARE(saved.substr(saved.size() - 7), std::string("\nSimC 2"));
        // Line breaks typed into a cell do not split the record.
        QVERIFY(doc.setCell(2, core::CockpitIdColumn, "x\r\ny"));
        QCOMPARE(KeyDocument::fromBytes(doc.toBytes()).rowCount(), 4);
    }

    // A row changed and changed back is written as it was read, spacing included; row states put rows back.
    void rowsChangedBackAreUnedited()
    {
        const std::string original = "SimA  -1 0 0x1E  0 0 0 1 \"a\"\r\nSimB 1\r\n";
        auto doc = KeyDocument::fromBytes(original);
        const KeyDocument::RowState read = doc.rowState(0);
        QVERIFY(!read.edited);
        QVERIFY(doc.setCell(0, core::ModifierColumn, "2"));
        const KeyDocument::RowState edited = doc.rowState(0);
        QVERIFY(edited.edited);
        QCOMPARE(doc.binding(0).modifier.value, 2);
        QVERIFY(doc.setCell(0, core::ModifierColumn, "0"));
        QVERIFY(!doc.isEdited(0));
        QCOMPARE(doc.toBytes(), original);
        doc.restoreRow(0, edited);
        QCOMPARE(doc.binding(0).modifier.value, 2);
        QCOMPARE(doc.lineText(0), std::string("SimA -1 0 0x1E 2 0 0 1 \"a\""));
        doc.restoreRow(0, read);
        // A row that is not there is left alone.
        doc.restoreRow(-1, edited);
        doc.restoreRow(doc.rowCount(), edited);
        QCOMPARE(doc.toBytes(), original);
        QCOMPARE(doc.binding(0).modifier.value, 0);
        // A line at the top of a file without a byte order mark that begins with its bytes keeps them.
        auto bom = KeyDocument::fromBytes("SimA 1\r\n");
        QVERIFY(bom.setCell(0, core::SimNameColumn, "\xEF\xBB\xBF#A"));
        QCOMPARE(KeyDocument::fromBytes(bom.toBytes()).cell(0, core::SimNameColumn), std::string("\xEF\xBB\xBF#A"));
    }

    // A copy's bindings are taken only by the document it was copied from, and rows changed since are worked out
    // again. A binding taken shows as the copy's: the copy's row 0 is edited where the document's is not.
    void bindingsTakenFromACopy()
    {
        const std::string bytes = "SimA -1 0 0x1E 0 0 0 1 \"a\"\r\nSimB -1 0 0x30 0 0 0 1 \"b\"\r\n";
        const auto taken = [&bytes](bool sameBytes, std::vector<int> changed) {
            auto doc = KeyDocument::fromBytes(bytes);
            KeyDocument copy = sameBytes ? doc : KeyDocument::fromBytes(bytes);
            (void)copy.setCell(0, core::ModifierColumn, "2");
            (void)copy.setCell(1, core::ModifierColumn, "4");
            (void)copy.binding(0);
            (void)copy.binding(1);
            doc.takeBindings(std::move(copy), changed);
            return std::vector<int>{doc.binding(0).modifier.value, doc.binding(1).modifier.value};
        };
        QCOMPARE(taken(true, {}), std::vector<int>({2, 4}));
        QCOMPARE(taken(true, {1}), std::vector<int>({2, 0}));
        QCOMPARE(taken(true, {-1, 0, 2}), std::vector<int>({0, 4}));
        QCOMPARE(taken(false, {}), std::vector<int>({0, 0}));
    }

    // A copy shares the table of edited rows with the document it was copied from until one of them edits a row;
    // each then keeps its own edits, whichever edits first.
    void editsOfCopiesStayApart()
    {
        for (const bool copyFirst : {true, false}) {
            auto doc = KeyDocument::fromBytes("SimA 1\r\nSimB 2\r\n");
            QVERIFY(doc.setCell(0, core::CockpitIdColumn, "7"));
            KeyDocument copy = doc;
            KeyDocument& first = copyFirst ? copy : doc;
            KeyDocument& second = copyFirst ? doc : copy;
            QVERIFY(first.setCell(1, core::CockpitIdColumn, "8"));
            QVERIFY(second.setCell(0, core::CockpitIdColumn, "1")); // back to what the line says
            QCOMPARE(first.toBytes(), std::string("SimA 7\r\nSimB 8\r\n"));
            QCOMPARE(second.toBytes(), std::string("SimA 1\r\nSimB 2\r\n"));
        }
    }

    void genericCompare_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        const auto row = [](const char* name, const char* a, const char* b, int sign) {
            QTest::newRow(name) << QString::fromLatin1(a) << QString::fromLatin1(b) << sign;
        };
        row("numbers, not text", "2", "10", -1);
        row("nine is a number", "9", "10", -1);
        row("negative numbers", "-1", "0", -1);
        row("minus zero equals zero", "-0", "0", 0);
        row("decimals", "1.5", "1.25", 1);
        row("decimal point first", ".5", "0.25", 1);
        row("number against text", "10", "9a", -1);
        row("only digits begin a number", "nan", "1", 1);
        row("text ignores case", "simA", "SIMa", 0);
        row("text", "SimB", "SimA", 1);
        row("prefix first", "Sim", "SimA", -1);
        row("longer last", "SimA", "Sim", 1);
        row("hex codes are text", "0x1E", "0x3", -1);
        row("empty first", "", "a", -1);
        row("eighth letter decides", "abcdefgh", "ABCDEFGG", 1);
        row("twelfth letter decides", "simfunctioN1", "SIMFUNCTIOn0", 1);
        row("same first eight, shorter first", "SimFunct", "simfunction", -1);
        row("same first sixteen, shorter first", "SimFunctionNumbe", "simfunctionnumber", -1);
        row("eighteenth letter decides", "SimFunctionNumber1", "simfunctionnumber0", 1);
        row("long texts equal but for case", "SIMFUNCTIONNUMBER7", "simfunctionnumber7", 0);
        row("bytes above ASCII after letters", "\xe9", "z", 1);
        // Numbers longer than sixteen bytes keep their texts: they still compare as numbers, with each other and with
        // short ones, and as texts with texts.
        row("long numbers", "  0000000000000002  ", "000000000000000010", -1);
        row("long number and short one", "1.00000000000000000", "2", -1);
        row("short number and long one", "3", "   2.000000000000000", 1);
        row("long exponent", "1E1              ", "2", 1);
        row("long number and text", "00000000000000000009", "0000000000000000000a", -1);
    }

    void genericCompare()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        const int result = core::genericCompare(a.toStdString(), b.toStdString());
        QCOMPARE((result > 0) - (result < 0), sign);
    }

    void genericSortRows_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("order");
        // Rows: name, cockpit id, ignored; `given` is the order they are shown in ("" for 0,1,2,3,4).
        const auto row
            = [](const char* name, int first, int last, bool descending, const char* given, const char* order) {
                  QTest::newRow(name) << first << last << descending << QString::fromLatin1(given)
                                      << QString::fromLatin1(order);
              };
        row("names ascending", 0, 0, false, "", "a,B,b2,c,D");
        row("names descending", 0, 0, true, "", "D,c,b2,B,a");
        row("numbers, stable", 1, 1, false, "", "a,B,D,c,b2");
        row("two columns", 1, 2, false, "", "B,a,D,c,b2");
        row("range given backwards", 2, 1, false, "", "B,a,D,c,b2");
        row("descending keeps equal rows in order", 1, 1, true, "", "c,b2,D,a,B");
        row("range beyond the columns", -1, 7, false, "", "a,B,b2,c,D");
        row("range past the last column", 9, 5, false, "", "D,c,B,b2,a");
        row("equal rows keep the order shown", 1, 1, false, "4,3,2,1,0", "B,a,D,b2,c");
        row("descending, equal rows as shown", 1, 1, true, "4,3,2,1,0", "b2,c,D,B,a");
        row("two columns as shown", 1, 2, false, "3,0,4,2,1", "B,a,D,c,b2");
        row("some rows only", 0, 0, false, "3,1", "a,D");
        row("a row shown twice", 0, 0, true, "2,0,2", "c,B,B");
    }

    void genericSortRows()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(bool, descending);
        QFETCH(QString, given);
        QFETCH(QString, order);
        const std::vector<std::vector<std::string>> rows{
            {"c", "10", "1"}, {"a", "2", "9"}, {"B", "2", "1"}, {"D", "3", "0"}, {"b2", "10", "2"}};
        const auto [from, to] = core::columnRange(first, last, 3);
        QVERIFY(0 <= from && from <= to && to < 3);
        std::vector<int> shown;
        for (const QString& number : given.split(QLatin1Char(','), Qt::SkipEmptyParts))
            shown.push_back(number.toInt());
        if (given.isEmpty())
            shown = {0, 1, 2, 3, 4};
        const auto sortOrder = descending ? core::SortOrder::Descending : core::SortOrder::Ascending;
        const auto width = std::size_t(to - from + 1);
        QStringList names;
        for (const int i : core::genericSortRows(
                 shown, width,
                 [&rows, from](int row, std::size_t k, std::string&) {
                     return std::string_view(rows[std::size_t(row)][std::size_t(from) + k]);
                 },
                 sortOrder))
            names << QString::fromStdString(rows[std::size_t(i)][0]);
        QCOMPARE(names.join(QLatin1Char(',')), order);
        // The same sort of keys held row after row, for rows in their own order.
        if (!given.isEmpty())
            return;
        std::vector<std::string> keys;
        for (const auto& cells : rows)
            for (int c = from; c <= to; ++c)
                keys.push_back(cells[std::size_t(c)]);
        names.clear();
        for (const auto i : core::genericSortOrder(keys, width, sortOrder))
            names << QString::fromStdString(rows[i][0]);
        QCOMPARE(names.join(QLatin1Char(',')), order);
    }

    // Long texts, which only their whole text tells apart, sort as their lower-case bytes do, equal ones in the
    // order given: a hundred thousand of them, and two longer than a megabyte, several megabytes kept in all.
    void longTextsSortByTheirWholeText()
    {
        std::vector<std::string> keys;
        std::uint32_t seed = 7;
        for (int i = 0; i < 100000; ++i) {
            seed = seed * 1664525U + 1013904223U;
            std::string text = "Common Prefix Of Cells ";
            for (std::uint32_t v = seed >> 20; v != 0; v /= 7)
                text += static_cast<char>((i % 2 ? 'A' : 'a') + v % 7);
            keys.push_back(text);
        }
        keys[50000] = std::string(1 << 21, 'c') + "x";
        keys[50001] = std::string(1 << 21, 'C');
        // Texts of exactly sixteen bytes that begin the long ones, which come after them; the first long text kept
        // begins otherwise.
        keys[0] = "Zebra stripes, long enough";
        keys[10] = "Common Prefix Of";
        keys[11] = "COMMON PREFIX OF";
        const auto lower = [](std::string text) {
            for (char& c : text)
                c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
            return text;
        };
        std::vector<std::size_t> expected(keys.size());
        std::iota(expected.begin(), expected.end(), std::size_t{0});
        std::stable_sort(expected.begin(), expected.end(),
            [&](std::size_t a, std::size_t b) { return lower(keys[a]) < lower(keys[b]); });
        QVERIFY(core::genericSortOrder(keys, 1, core::SortOrder::Ascending) == expected);
    }

    // Many rows of numbers only, of texts only, and of both (whose order is not transitive: "2" < "10" < "1a" < "2"),
    // each way: the order a merge sort by the generic comparison gives, equal rows in the order given.
    void manyRowsSortAsAMergeSortDoes()
    {
        const std::vector<std::vector<std::string>> vocabularies{{"2", "10", "-1", " 3.5 ", "0", "-0", "1e3"},
            {"b", "A", "a", "0x1E", "Sim", "sim", ""}, {"2", "10", "1a", "b", "-1", "0x1E", ""}};
        std::uint32_t seed = 11;
        for (const auto& vocabulary : vocabularies) {
            std::vector<std::string> keys;
            for (int i = 0; i < 20000; ++i) {
                seed = seed * 1664525U + 1013904223U;
                keys.push_back(vocabulary[(seed >> 16) % vocabulary.size()]);
            }
            for (const auto order : {core::SortOrder::Ascending, core::SortOrder::Descending}) {
                const int sign = order == core::SortOrder::Ascending ? 1 : -1;
                std::vector<std::size_t> expected(keys.size());
                std::iota(expected.begin(), expected.end(), std::size_t{0});
                std::stable_sort(expected.begin(), expected.end(),
                    [&](std::size_t a, std::size_t b) { return core::genericCompare(keys[a], keys[b]) * sign < 0; });
                QVERIFY2(core::genericSortOrder(keys, 1, order) == expected, vocabulary[2].c_str());
            }
        }
    }

    void megabyteLineSplitsInLinearTime()
    {
        // Two hundred thousand words on one line: a quadratic splitter would not finish within the test timeout.
        std::string line = "SimLong";
        for (int i = 0; i < 200000; ++i)
            line += " w";
        const std::string last = KeyDocument::fromBytes(line + " \"end\"").cell(0, core::DescriptionColumn);
        QVERIFY(last.size() == 399992 && last.ends_with(" w \"end\" "));
    }
};

QTEST_APPLESS_MAIN(KeyDocumentTest)
#include "KeyDocumentTest.moc"

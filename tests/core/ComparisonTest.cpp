#include "core/Comparison.h"

#include "TestData.h"
#include "core/KeyDocument.h"

#include <QTest>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

using core::CompareInput;
using core::Report;

namespace {

CompareInput input(const QByteArray& bytes, const char* path = "one.key")
{
    return CompareInput{path, bytes.toStdString(), {}};
}

// File 2's bytes in pieces of `size`, or its read error.
core::ReadInPieces inPieces(const CompareInput& two, std::size_t size)
{
    return [&two, size](const std::function<void(std::string_view)>& use, std::string* error) {
        if (!two.bytes) {
            *error = two.readError;
            return false;
        }
        const std::string_view bytes = two.bytes->view();
        for (std::size_t pos = 0; pos < bytes.size(); pos += size)
            use(bytes.substr(pos, size));
        return true;
    };
}

// The report; where file 2 is bytes, the one made with them read in pieces of a few sizes must be the same (a line,
// a CRLF or a byte order mark cut between pieces).
Report compare(const CompareInput& one, const CompareInput& two)
{
    Report report = core::compareKeyFiles(one, two, testing::fixedTime());
    if (two.document)
        return report;
    for (const std::size_t size : {1, 2, 3, 5, 64, 1 << 20}) {
        const Report streamed
            = core::placedComparison(one, two.path, inPieces(two, size), testing::fixedTime()).toReport();
        if (!QTest::qVerify(streamed == report, "streamed == report",
                qPrintable(QStringLiteral("file 2 in pieces of %1 bytes").arg(size)), __FILE__, __LINE__))
            return {};
    }
    return report;
}

// The report line by line, each line as its styled pieces: K, B or G for the colour, * for bold and underlined,
// then the text in brackets. "Number of lines: 2   3" comes out as "K[Number of lines: ]B[2   ]G[3]". A last line
// without its CRLF is marked UNTERMINATED.
QStringList styledLines(const Report& report)
{
    QStringList lines;
    QString current;
    for (const auto& run : report.runs()) {
        QString style = run.colour == core::colours::Black ? QStringLiteral("K")
            : run.colour == core::colours::Blue            ? QStringLiteral("B")
            : run.colour == core::colours::Green           ? QStringLiteral("G")
                                                           : QStringLiteral("?");
        if (run.boldUnderline)
            style += QLatin1Char('*');
        std::size_t pos = 0;
        for (;;) {
            const std::size_t end = run.text.find("\r\n", pos);
            const std::size_t stop = end == std::string::npos ? run.text.size() : end;
            if (stop > pos || end != std::string::npos)
                current += style + QLatin1Char('[') + QString::fromLatin1(run.text.substr(pos, stop - pos))
                    + QLatin1Char(']');
            if (end == std::string::npos)
                break;
            lines << current;
            current.clear();
            pos = end + 2;
        }
    }
    if (!current.isEmpty())
        lines << QStringLiteral("UNTERMINATED ") + current;
    return lines;
}

// Texts written in the test as bytes; every byte is one character.
QStringList latin1(std::initializer_list<const char*> items)
{
    QStringList list;
    for (const char* item : items)
        list << QString::fromLatin1(item);
    return list;
}

const QString kMissingHeading = QStringLiteral("Sim functions that are only found in one of the files");
const QString kLinesHeading
    = QStringLiteral("Comparison of lines showing which are common to both files, and which are different or unique");

} // namespace

class ComparisonTest : public QObject
{
    Q_OBJECT

private slots:
    void readsLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines"); // text|sim name
        QTest::newRow("CRLF") << QByteArray("SimA 1\r\nSimB 2\r\n") << latin1({"SimA 1|SimA", "SimB 2|SimB"});
        QTest::newRow("mixed ends") << QByteArray("A 1\r\nB 2\nC 3\rD 4")
                                    << latin1({"A 1|A", "B 2|B", "C 3|C", "D 4|D"});
        QTest::newRow("LF CR is two ends") << QByteArray("A 1\n\rB 2") << latin1({"A 1|A", "B 2|B"});
        QTest::newRow("CR last") << QByteArray("A 1\r") << latin1({"A 1|A"});
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBFSimA 1\r\n") << latin1({"SimA 1|SimA"});
        QTest::newRow("byte order mark later is text")
            << QByteArray("A 1\n\xEF\xBB\xBFSimA 1\n") << latin1({"A 1|A", "\xEF\xBB\xBFSimA 1|\xEF\xBB\xBFSimA"});
        QTest::newRow("spaces trimmed") << QByteArray("   SimA   1   \n") << latin1({"SimA   1|SimA"});
        QTest::newRow("blank lines skipped") << QByteArray("\n   \r\n\r\nSimA 1\n  \n") << latin1({"SimA 1|SimA"});
        QTest::newRow("tab stays") << QByteArray("\tSimA 1\t\n") << latin1({"\tSimA 1\t|\tSimA"});
        QTest::newRow("no space, no sim name") << QByteArray("SimAlone\n") << latin1({"SimAlone|"});
        QTest::newRow("empty") << QByteArray() << latin1({});
        QTest::newRow("only a byte order mark") << QByteArray("\xEF\xBB\xBF") << latin1({});
        QTest::newRow("8-bit bytes") << QByteArray("Sim\xb0 x\xff\n") << latin1({"Sim\xb0 x\xff|Sim\xb0"});
    }

    void readsLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const std::string text = bytes.toStdString();
        QStringList actual;
        for (const auto& line : core::compareLines(text))
            actual << QString::fromLatin1(line.text) + QLatin1Char('|') + QString::fromLatin1(line.simName);
        QCOMPARE(actual, lines);
    }

    void dateLine_data()
    {
        QTest::addColumn<QList<int>>("time"); // day, month 0 to 11, years since 1900, hour, minute
        QTest::addColumn<QString>("text");
        QTest::newRow("afternoon") << QList<int>{4, 11, 126, 15, 26} << "04 December 2026, 3:26 pm";
        QTest::newRow("after midnight") << QList<int>{1, 0, 127, 0, 5} << "01 January 2027, 12:05 am";
        QTest::newRow("noon") << QList<int>{29, 1, 128, 12, 0} << "29 February 2028, 12:00 pm";
        QTest::newRow("last minute") << QList<int>{31, 9, 126, 23, 59} << "31 October 2026, 11:59 pm";
        QTest::newRow("eleven") << QList<int>{10, 8, 126, 11, 30} << "10 September 2026, 11:30 am";
        QTest::newRow("no such month") << QList<int>{1, 12, 126, 0, 0} << "01 ? 2026, 12:00 am";
        // The year is tm_year + 1900, more than an int holds at the top.
        QTest::newRow("largest year") << QList<int>{1, 0, std::numeric_limits<int>::max(), 0, 0}
                                      << "01 January 2147485547, 12:00 am";
        QTest::newRow("smallest year") << QList<int>{1, 0, std::numeric_limits<int>::min(), 0, 0}
                                       << "01 January -2147481748, 12:00 am";
        QTest::newRow("year 1") << QList<int>{1, 0, -1899, 0, 0} << "01 January 0001, 12:00 am";
    }

    void dateLine()
    {
        QFETCH(QList<int>, time);
        QFETCH(QString, text);
        std::tm t{};
        t.tm_mday = time[0];
        t.tm_mon = time[1];
        t.tm_year = time[2];
        t.tm_hour = time[3];
        t.tm_min = time[4];
        QCOMPARE(QString::fromStdString(core::comparisonDate(t)), text);
    }

    // One table for both sections: the sim names only one file has, then the comparison of lines. The hashed
    // report must equal the linear one made by scanning.
    void sections_data()
    {
        QTest::addColumn<QByteArray>("file1");
        QTest::addColumn<QByteArray>("file2");
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<QStringList>("lines");
        // No names missing: the report says so.
        const auto row = [](const char* name, const char* file1, const char* file2,
                             std::initializer_list<const char*> missing, std::initializer_list<const char*> lines) {
            QTest::newRow(name) << QByteArray(file1) << QByteArray(file2)
                                << (missing.size() ? latin1(missing)
                                                   : latin1({"K[None, they both have the same sim functions present]"}))
                                << latin1(lines);
        };
        row("a file against itself", "# c\nSimA 1\nSimB 2\n", "# c\nSimA 1\nSimB 2\n", {},
            {"K[# c]", "K[SimA 1]", "K[SimB 2]"});
        row("other order, other keys", "SimA 1\nSimB 2\n", "SimB 9\nSimA 8\n", {},
            {"B[SimA 1]", "B[SimB 2]", "G[SimB 9]", "G[SimA 8]"});
        row("reordered lines, file 1 leads", "A 1\nB 2\nC 3\n", "C 3\nA 1\nB 2\n", {}, {"K[A 1]", "K[B 2]", "K[C 3]"});
        row("blue then green, in file order", "SimX 1\nSimA 1\nSimY 1\n", "SimZ 1\nSimA 1\n",
            {"B[SimX]", "B[SimY]", "G[SimZ]"}, {"B[SimX 1]", "K[SimA 1]", "B[SimY 1]", "G[SimZ 1]"});
        row("twice in file 1, never in file 2", "SimD 1\nSimA 1\nSimD 2\n", "SimA 1\n", {"B[SimD]", "B[SimD]"},
            {"B[SimD 1]", "K[SimA 1]", "B[SimD 2]"});
        row("letter case counts", "SimA 1\n", "SimA 1\nsimA 1\n", {"G[simA]"}, {"K[SimA 1]", "G[simA 1]"});
        row("inner spacing differs", "SimA 1  2\nX 1\n", "SimA 1 2\nX 1\n", {},
            {"B[SimA 1  2]", "K[X 1]", "G[SimA 1 2]"});
        row("empty name unmatched", "Alone\nSimA 1\n", "SimA 1\n", {"B[]"}, {"B[Alone]", "K[SimA 1]"});
        row("empty names match", "Alone\n", "Other\n", {}, {"B[Alone]", "G[Other]"});
        row("3 lines against 5, file 2 leads", "A 1\nX 1\nB 1\n", "B 1\nC 1\nA 1\nD 1\nE 1\n",
            {"B[X]", "G[C]", "G[D]", "G[E]"}, {"K[B 1]", "G[C 1]", "K[A 1]", "G[D 1]", "G[E 1]", "B[X 1]"});
        row("duplicate in the leading file is black twice", "A 1\nA 1\nB 1\n", "A 1\n", {"B[B]"},
            {"K[A 1]", "K[A 1]", "B[B 1]"});
        row("duplicate only in the other file is listed twice", "A 1\nB 1\nC 1\n", "D 1\nD 1\n",
            {"B[A]", "B[B]", "B[C]", "G[D]", "G[D]"}, {"B[A 1]", "B[B 1]", "B[C 1]", "G[D 1]", "G[D 1]"});
        row("empty file 1", "", "A 1\n", {"G[A]"}, {"G[A 1]"});
        row("both empty", "", "", {}, {});
        row("comments are lines, not sim functions", "# Views\nSimA 1\n  #x 1\n", "SimA 1\n\t# y\n", {},
            {"B[# Views]", "K[SimA 1]", "B[#x 1]", "G[\t# y]"});
        // Names of 65,534 bytes and more are read off their lines again when they are needed.
        const std::string name(70000, 'L');
        row("a name of 70,000 bytes", (name + " 1\nSimA 1\n").c_str(), "SimA 1\n", {("B[" + name + "]").c_str()},
            {("B[" + name + " 1]").c_str(), "K[SimA 1]"});
        row("names of 70,000 bytes match", (name + " 1\n").c_str(), (name + " 2\n").c_str(), {},
            {("B[" + name + " 1]").c_str(), ("G[" + name + " 2]").c_str()});
    }

    void sections()
    {
        QFETCH(QByteArray, file1);
        QFETCH(QByteArray, file2);
        QFETCH(QStringList, missing);
        QFETCH(QStringList, lines);
        const auto hashed = compare(input(file1), input(file2));
        const QStringList expected = QStringList{"K*[" + kMissingHeading + "]", "K*[]"} + missing
            + QStringList{"K[]", "K*[" + kLinesHeading + "]", "K*[]"} + lines;
        QCOMPARE(styledLines(hashed).mid(10), expected);
        QCOMPARE(core::compareKeyFilesLinear(input(file1), input(file2), testing::fixedTime()), hashed);
    }

    // Real files against each other and against their own lines in reverse order (every line found far from where
    // the last one was): the table gives what scanning gives.
    void realFilesAgreeWithTheScan()
    {
        const QStringList files = testing::corpusKeyFiles();
        if (files.isEmpty())
            QSKIP("no corpus");
        for (qsizetype f = 0; f < files.size(); ++f) {
            const std::string bytes = testing::readBytes(files[f]);
            QByteArrayList lines = QByteArray::fromStdString(bytes).split('\n');
            std::reverse(lines.begin(), lines.end());
            const CompareInput one{"one.key", bytes, {}};
            for (const CompareInput& two :
                {CompareInput{"two.key", testing::readBytes(files[(f + 1) % files.size()]), {}},
                    CompareInput{"two.key", lines.join('\n').toStdString(), {}}}) {
                QVERIFY2(compare(one, two) == core::compareKeyFilesLinear(one, two, testing::fixedTime()),
                    qPrintable(files[f]));
            }
        }
    }

    // Random files from a few lines that repeat (sim names on many lines, comments, a line without a name), the
    // second made from the first by lines dropped, added and a block moved: the table, the look ahead and the names
    // read off the lines give what scanning gives.
    void randomFilesAgreeWithTheScan()
    {
        const std::vector<std::string> vocabulary{"SimA 1", "SimA 2", "SimB 1", "SimB 2", "SimC 1", "SimDoNothing 0",
            "SimDoNothing 9", "# ====", "# note", "Alone", "SimE 1", "SimF 3"};
        std::mt19937 random(20261207);
        const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
        // Some files go beyond the window looked in. The last round's have 40,000 lines each, which are looked for
        // two things side by side; each has every line of the vocabulary at its end, so that scanning finds each soon.
        for (int round = 0; round <= 300; ++round) {
            const std::size_t size = round == 300 ? 40000 : pick(round % 3 == 0 ? 200 : 40);
            std::vector<std::string> one(size);
            for (std::string& line : one)
                line = vocabulary[pick(vocabulary.size())];
            std::vector<std::string> two;
            for (const std::string& line : one) {
                if (pick(8) != 0)
                    two.push_back(line);
                if (pick(10) == 0)
                    two.push_back(vocabulary[pick(vocabulary.size())]);
            }
            if (two.size() > 4 && pick(2) == 0) { // a block's halves swapped
                const std::size_t length = 3 + pick(std::min<std::size_t>(two.size() - 3, 100));
                const auto from = two.begin() + std::ptrdiff_t(pick(two.size() - length + 1));
                std::rotate(from, from + std::ptrdiff_t(length / 2), from + std::ptrdiff_t(length));
            }
            if (round == 300) {
                one.insert(one.end(), vocabulary.begin(), vocabulary.end());
                two.insert(two.end(), vocabulary.begin(), vocabulary.end());
            }
            const auto joined = [](const std::vector<std::string>& lines) {
                std::string text;
                for (const std::string& line : lines)
                    text += line + "\n";
                return CompareInput{"f.key", text, {}};
            };
            const CompareInput a = joined(one);
            const CompareInput b = joined(two);
            QVERIFY2(compare(a, b) == core::compareKeyFilesLinear(a, b, testing::fixedTime()),
                qPrintable(QString::number(round)));
            QVERIFY2(compare(b, a) == core::compareKeyFilesLinear(b, a, testing::fixedTime()),
                qPrintable(QString::number(round)));
        }
    }

    // A document given instead of its bytes (the open file, saved) reads its lines from its rows: the report is the
    // one its bytes give, for files of every kind, with edited rows (a space put into a cell, a cell emptied) and as
    // either file.
    void documentComparedFromItsRows()
    {
        QStringList files = testing::corpusKeyFiles();
        for (const char* name : {"spacing-tabs-extras.key", "mixed-line-ends.key", "utf8-bom-degree.key",
                 "sections.key", "directx-pov.key"})
            files << testing::testDataPath(QString::fromLatin1(name));
        std::vector<std::string> texts;
        for (const QString& file : files)
            texts.push_back(testing::readBytes(file));
        texts.push_back("\r\n  \r\n\tSimTab 1\rSimCr 2  \r\r\n   # spaced comment   \nSimLast -1 0 0x1E");
        texts.push_back("\xef\xbb\xbfSimBom -1 0 0x1E 0 0 0 1 \"A\"\n\n");
        texts.push_back("");
        const CompareInput other{"other.key", texts[0], {}};
        for (const std::string& text : texts) {
            auto document = std::make_shared<core::KeyDocument>(core::KeyDocument::fromBytes(text));
            for (const bool edited : {false, true}) {
                if (edited) {
                    for (int r = 0; r < document->rowCount(); r += 3) {
                        (void)document->setCell(r, core::DescriptionColumn, "\"Edited " + std::to_string(r) + "\"");
                        (void)document->setCell(r + 1, core::SimNameColumn, "Sim Spaced");
                        (void)document->setCell(r + 2, core::ComboKeyColumn, "");
                    }
                }
                const CompareInput fromRows{"doc.key", std::nullopt, {}, document};
                const CompareInput fromBytes{"doc.key", document->toBytes(), {}};
                QVERIFY(fromRows.readable());
                QVERIFY(compare(fromRows, other) == compare(fromBytes, other));
                QVERIFY(compare(other, fromRows) == compare(other, fromBytes));
            }
        }
    }

    // The head of the report: which colour stands for which file, the date in the green before it, and a file that
    // could not be read named in its colour with a blank line after it, compared as empty.
    void unreadableFile_data()
    {
        QTest::addColumn<int>("unreadable"); // 0: none, 1 or 2: that file
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("note");
        QTest::newRow("both readable") << 0 << QString() << QString();
        QTest::newRow("file 1")
            << 1 << "Permission denied"
            << "B[Key file 1 could not be read (Permission denied); it is compared as an empty file.]";
        QTest::newRow("no reason given") << 1 << ""
                                         << "B[Key file 1 could not be read; it is compared as an empty file.]";
        QTest::newRow("file 2, line ends in the reason")
            << 2 << "bad\r\nthing"
            << "G[Key file 2 could not be read (bad  thing); it is compared as an empty file.]";
    }

    void unreadableFile()
    {
        QFETCH(int, unreadable);
        QFETCH(QString, reason);
        QFETCH(QString, note);
        const CompareInput readable = input("SimA 1\n\n\t# c\n", "C:\\keys\\good.key");
        const CompareInput bad{"bad.key", std::nullopt, reason.toStdString()};
        const CompareInput& one = unreadable == 1 ? bad : readable;
        const CompareInput& two = unreadable == 2 ? bad : readable;
        const auto report = compare(one, two);
        QStringList expected{QString::fromStdString("B[Text in blue relates to: " + one.path + "]"),
            QString::fromStdString("G[Text in green relates to: " + two.path + "]"),
            QStringLiteral("G[Comparison made: 04 December 2026, 3:26 pm]"), QStringLiteral("G[]")};
        if (!note.isEmpty())
            expected << note << note.left(1) + QStringLiteral("[]");
        // The readable file has two lines, one of them a comment, and so one sim function.
        const int lines1 = unreadable == 1 ? 0 : 2;
        const int lines2 = unreadable == 2 ? 0 : 2;
        expected << QStringLiteral("K*[Summary]") << QStringLiteral("K*[]")
                 << QStringLiteral("K[Number of lines: ]B[%1   ]G[%2]").arg(lines1).arg(lines2)
                 << QStringLiteral("K[Number of sim functions: ]B[%1   ]G[%2]").arg(lines1 / 2).arg(lines2 / 2);
        QCOMPARE(styledLines(report).mid(0, expected.size()), expected);
        QCOMPARE(core::compareKeyFilesLinear(one, two, testing::fixedTime()), report);
    }
};

QTEST_APPLESS_MAIN(ComparisonTest)
#include "ComparisonTest.moc"

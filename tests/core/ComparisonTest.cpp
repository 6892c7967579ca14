#include "core/Comparison.h"

#include "TestData.h"

#include <QTest>

#include <limits>
#include <random>

using core::CompareInput;
using core::Report;

namespace {

CompareInput input(const QByteArray& bytes, const char* path = "one.key")
{
    return CompareInput{path, bytes.toStdString(), {}};
}

QChar colourLetter(core::Rgb colour)
{
    if (colour == core::colours::Black)
        return QLatin1Char('K');
    if (colour == core::colours::Blue)
        return QLatin1Char('B');
    if (colour == core::colours::Green)
        return QLatin1Char('G');
    return QLatin1Char('?');
}

// The report line by line, each line as its styled pieces: K, B or G for the colour, * for bold and underlined,
// then the text in brackets. "Number of lines: 2   3" comes out as "K[Number of lines: ]B[2   ]G[3]". Every line
// must end with CRLF.
QStringList styledLines(const Report& report)
{
    QStringList lines;
    QString current;
    for (const auto& run : report.runs()) {
        const QString style = QString(colourLetter(run.colour)) + (run.boldUnderline ? QStringLiteral("*") : QString());
        std::size_t pos = 0;
        while (pos <= run.text.size()) {
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

// The lines of one section: from behind its heading and the blank line under it to the next heading (or the end),
// without the blank line before that heading.
QStringList section(const QStringList& lines, const QString& heading)
{
    const qsizetype start = lines.indexOf(QString(QStringLiteral("K*[") + heading + QLatin1Char(']')));
    if (start < 0)
        return {QStringLiteral("NO SECTION")};
    QStringList result;
    for (qsizetype i = start + 2; i < lines.size() && !lines[i].startsWith(QStringLiteral("K*[")); ++i)
        result << lines[i];
    if (!result.isEmpty() && result.last() == QStringLiteral("K[]") && start + 2 + result.size() < lines.size())
        result.removeLast();
    return result;
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
        QTest::newRow("lone CR") << QByteArray("SimA 1\rSimB 2") << latin1({"SimA 1|SimA", "SimB 2|SimB"});
        QTest::newRow("lone LF") << QByteArray("SimA 1\nSimB 2\n") << latin1({"SimA 1|SimA", "SimB 2|SimB"});
        QTest::newRow("mixed ends") << QByteArray("A 1\r\nB 2\nC 3\rD 4")
                                    << latin1({"A 1|A", "B 2|B", "C 3|C", "D 4|D"});
        QTest::newRow("LF CR is two ends") << QByteArray("A 1\n\rB 2") << latin1({"A 1|A", "B 2|B"});
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBFSimA 1\r\n") << latin1({"SimA 1|SimA"});
        QTest::newRow("byte order mark later is text")
            << QByteArray("A 1\n\xEF\xBB\xBFSimA 1\n") << latin1({"A 1|A", "\xEF\xBB\xBFSimA 1|\xEF\xBB\xBFSimA"});
        QTest::newRow("spaces trimmed") << QByteArray("   SimA   1   \n") << latin1({"SimA   1|SimA"});
        QTest::newRow("blank and space-only lines skipped")
            << QByteArray("\n   \r\n\r\nSimA 1\n  \n") << latin1({"SimA 1|SimA"});
        QTest::newRow("tab stays") << QByteArray("\tSimA 1\t\n") << latin1({"\tSimA 1\t|\tSimA"});
        QTest::newRow("tab-only line is a line") << QByteArray("\t\n") << latin1({"\t|"});
        QTest::newRow("no space, no sim name") << QByteArray("SimAlone\n") << latin1({"SimAlone|"});
        QTest::newRow("comment is a line") << QByteArray("# Views\n") << latin1({"# Views|#"});
        QTest::newRow("empty") << QByteArray() << latin1({});
        QTest::newRow("blank only") << QByteArray(" \r\n \n\r") << latin1({});
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
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<QString>("text");
        QTest::newRow("afternoon") << 4 << 11 << 2026 << 15 << 26 << "04 December 2026, 3:26 pm";
        QTest::newRow("after midnight") << 1 << 0 << 2027 << 0 << 5 << "01 January 2027, 12:05 am";
        QTest::newRow("noon") << 29 << 1 << 2028 << 12 << 0 << "29 February 2028, 12:00 pm";
        QTest::newRow("morning") << 15 << 6 << 2026 << 9 << 7 << "15 July 2026, 9:07 am";
        QTest::newRow("last minute of the day") << 31 << 9 << 2026 << 23 << 59 << "31 October 2026, 11:59 pm";
        QTest::newRow("eleven in the morning") << 10 << 8 << 2026 << 11 << 30 << "10 September 2026, 11:30 am";
    }

    void dateLine()
    {
        QFETCH(int, day);
        QFETCH(int, month);
        QFETCH(int, year);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(QString, text);
        std::tm t{};
        t.tm_mday = day;
        t.tm_mon = month;
        t.tm_year = year - 1900;
        t.tm_hour = hour;
        t.tm_min = minute;
        QCOMPARE(QString::fromStdString(core::comparisonDate(t)), text);
    }

    void dateLineOfFarYears_data()
    {
        QTest::addColumn<int>("yearsSince1900");
        QTest::addColumn<QString>("text");
        // The year is tm_year + 1900, more than an int holds at the top.
        QTest::newRow("largest") << std::numeric_limits<int>::max() << "01 January 2147485547, 12:00 am";
        QTest::newRow("smallest") << std::numeric_limits<int>::min() << "01 January -2147481748, 12:00 am";
        QTest::newRow("year 1") << -1899 << "01 January 0001, 12:00 am";
    }

    void dateLineOfFarYears()
    {
        QFETCH(int, yearsSince1900);
        QFETCH(QString, text);
        std::tm t{};
        t.tm_mday = 1;
        t.tm_year = yearsSince1900;
        QCOMPARE(QString::fromStdString(core::comparisonDate(t)), text);
    }

    void wholeReport()
    {
        const auto report
            = core::compareKeyFiles(input("SimA 1 0 0X1E 0 0 0 1\r\nSimB 1 0 0X30 0 0 0 1\r\n", "C:\\keys\\one.key"),
                input("SimA 1 0 0X1E 0 0 0 1\r\nSimC 1 0 0X2E 0 0 0 1\r\n", "C:\\keys\\two.key"), testing::fixedTime());
        const QStringList expected = latin1({
            "B[Text in blue relates to: C:\\keys\\one.key]",
            "G[Text in green relates to: C:\\keys\\two.key]",
            "G[Comparison made: 04 December 2026, 3:26 pm]",
            "G[]",
            "K*[Summary]",
            "K*[]",
            "K[Number of lines: ]B[2   ]G[2]",
            "K[Number of sim functions: ]B[2   ]G[2]",
            "K[(Note that the number of lines should be the number of sim functions. If they're not it's worth "
            "examining the files to find out why not.)]",
            "K[]",
            "K*[Sim functions that are only found in one of the files]",
            "K*[]",
            "B[SimB]",
            "G[SimC]",
            "K[]",
            "K*[Comparison of lines showing which are common to both files, and which are different or unique]",
            "K*[]",
            "K[SimA 1 0 0X1E 0 0 0 1]",
            "B[SimB 1 0 0X30 0 0 0 1]",
            "G[SimC 1 0 0X2E 0 0 0 1]",
        });
        QCOMPARE(styledLines(report), expected);
        // Runs of one style are joined, so the report has one run per change of style.
        for (std::size_t i = 1; i < report.runs().size(); ++i) {
            const auto& a = report.runs()[i - 1];
            const auto& b = report.runs()[i];
            QVERIFY(!(a.colour == b.colour && a.boldUnderline == b.boldUnderline));
        }
    }

    void counts_data()
    {
        QTest::addColumn<QByteArray>("file1");
        QTest::addColumn<QByteArray>("file2");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("names");
        QTest::newRow("duplicates and names-less lines count, a comment is a line only")
            << QByteArray("# c\nSimA 1\nSimA 1\nAlone\n") << QByteArray("SimA 1\n") << "K[Number of lines: ]B[4   ]G[1]"
            << "K[Number of sim functions: ]B[3   ]G[1]";
        QTest::newRow("indented comments")
            << QByteArray("SimA 1\n  #x 1\n\t# y\n") << QByteArray("SimA 1\n") << "K[Number of lines: ]B[3   ]G[1]"
            << "K[Number of sim functions: ]B[1   ]G[1]";
        QTest::newRow("empty file") << QByteArray() << QByteArray("A 1\nB 2\n") << "K[Number of lines: ]B[0   ]G[2]"
                                    << "K[Number of sim functions: ]B[0   ]G[2]";
        QTest::newRow("blank-only file") << QByteArray("A 1\n") << QByteArray("  \r\n\r\n")
                                         << "K[Number of lines: ]B[1   ]G[0]"
                                         << "K[Number of sim functions: ]B[1   ]G[0]";
    }

    void counts()
    {
        QFETCH(QByteArray, file1);
        QFETCH(QByteArray, file2);
        QFETCH(QString, lines);
        QFETCH(QString, names);
        const QStringList report = styledLines(core::compareKeyFiles(input(file1), input(file2), testing::fixedTime()));
        QVERIFY2(report.contains(lines), qPrintable(report.join(QLatin1Char('\n'))));
        QVERIFY2(report.contains(names), qPrintable(report.join(QLatin1Char('\n'))));
    }

    void simFunctionsInOneFile_data()
    {
        QTest::addColumn<QByteArray>("file1");
        QTest::addColumn<QByteArray>("file2");
        QTest::addColumn<QStringList>("section");

        const QStringList none{"K[None, they both have the same sim functions present]"};
        const QByteArray file = "SimA 1 0\nSimB 2 0\n# note\n";
        QTest::newRow("a file against itself") << file << file << none;
        QTest::newRow("other order, other keys")
            << QByteArray("SimA 1\nSimB 2\n") << QByteArray("SimB 9\nSimA 8\n") << none;
        QTest::newRow("blue then green, in file order")
            << QByteArray("SimX 1\nSimA 1\nSimY 1\n") << QByteArray("SimZ 1\nSimA 1\n")
            << latin1({"B[SimX]", "B[SimY]", "G[SimZ]"});
        QTest::newRow("twice in file 1, never in file 2")
            << QByteArray("SimD 1\nSimA 1\nSimD 2\n") << QByteArray("SimA 1\n") << latin1({"B[SimD]", "B[SimD]"});
        QTest::newRow("twice in file 1, once in file 2")
            << QByteArray("SimD 1\nSimD 2\n") << QByteArray("SimD 1\n") << none;
        QTest::newRow("letter case counts")
            << QByteArray("SimA 1\n") << QByteArray("simA 1\n") << latin1({"B[SimA]", "G[simA]"});
        QTest::newRow("tab before the name counts")
            << QByteArray("\tSimA 1\n") << QByteArray("SimA 1\n") << latin1({"B[\tSimA]", "G[SimA]"});
        QTest::newRow("empty name unmatched")
            << QByteArray("Alone\nSimA 1\n") << QByteArray("SimA 1\n") << latin1({"B[]"});
        QTest::newRow("empty names match each other") << QByteArray("Alone\n") << QByteArray("Other\n") << none;
        QTest::newRow("empty file 2") << QByteArray("SimA 1\nSimB 1\n") << QByteArray()
                                      << latin1({"B[SimA]", "B[SimB]"});
        QTest::newRow("both empty") << QByteArray() << QByteArray() << none;
        QTest::newRow("comments in one file are no sim functions")
            << QByteArray("# Views\nSimA 1\n  #x 1\n") << QByteArray("SimA 1\n\t# y\n") << none;
    }

    void simFunctionsInOneFile()
    {
        QFETCH(QByteArray, file1);
        QFETCH(QByteArray, file2);
        QFETCH(QStringList, section);
        const auto hashed = core::compareKeyFiles(input(file1), input(file2), testing::fixedTime());
        QCOMPARE(::section(styledLines(hashed), kMissingHeading), section);
        QCOMPARE(core::compareKeyFilesLinear(input(file1), input(file2), testing::fixedTime()), hashed);
    }

    void lineComparison_data()
    {
        QTest::addColumn<QByteArray>("file1");
        QTest::addColumn<QByteArray>("file2");
        QTest::addColumn<QStringList>("section");

        QTest::newRow("a file against itself")
            << QByteArray("# c\nSimA 1\nSimB 2\n") << QByteArray("# c\nSimA 1\nSimB 2\n")
            << latin1({"K[# c]", "K[SimA 1]", "K[SimB 2]"});
        QTest::newRow("reordered lines, file 1 leads")
            << QByteArray("A 1\nB 2\nC 3\n") << QByteArray("C 3\nA 1\nB 2\n") << latin1({"K[A 1]", "K[B 2]", "K[C 3]"});
        QTest::newRow("letter case differs")
            << QByteArray("SimA 1\n") << QByteArray("SimA 1\nsimA 1\n") << latin1({"K[SimA 1]", "G[simA 1]"});
        QTest::newRow("inner spacing differs") << QByteArray("SimA 1  2\nX 1\n") << QByteArray("SimA 1 2\nX 1\n")
                                               << latin1({"B[SimA 1  2]", "K[X 1]", "G[SimA 1 2]"});
        QTest::newRow("outer spacing does not")
            << QByteArray("  SimA 1   \n") << QByteArray("SimA 1\n") << latin1({"K[SimA 1]"});
        QTest::newRow("equal counts, file 1 leads")
            << QByteArray("A 1\nB 1\n") << QByteArray("C 1\nA 1\n") << latin1({"K[A 1]", "B[B 1]", "G[C 1]"});
        QTest::newRow("3 lines against 5, file 2 leads")
            << QByteArray("A 1\nX 1\nB 1\n") << QByteArray("B 1\nC 1\nA 1\nD 1\nE 1\n")
            << latin1({"K[B 1]", "G[C 1]", "K[A 1]", "G[D 1]", "G[E 1]", "B[X 1]"});
        QTest::newRow("file 1 longer leads") << QByteArray("A 1\nB 1\nC 1\n") << QByteArray("Z 1\nA 1\n")
                                             << latin1({"K[A 1]", "B[B 1]", "B[C 1]", "G[Z 1]"});
        QTest::newRow("duplicate in the leading file is black twice")
            << QByteArray("A 1\nA 1\nB 1\n") << QByteArray("A 1\n") << latin1({"K[A 1]", "K[A 1]", "B[B 1]"});
        QTest::newRow("duplicate only in the other file is listed twice")
            << QByteArray("A 1\nB 1\nC 1\n") << QByteArray("D 1\nD 1\n")
            << latin1({"B[A 1]", "B[B 1]", "B[C 1]", "G[D 1]", "G[D 1]"});
        QTest::newRow("empty file 1") << QByteArray() << QByteArray("A 1\n") << latin1({"G[A 1]"});
        QTest::newRow("both empty") << QByteArray() << QByteArray() << latin1({});
    }

    void lineComparison()
    {
        QFETCH(QByteArray, file1);
        QFETCH(QByteArray, file2);
        QFETCH(QStringList, section);
        const auto hashed = core::compareKeyFiles(input(file1), input(file2), testing::fixedTime());
        QCOMPARE(::section(styledLines(hashed), kLinesHeading), section);
        QCOMPARE(core::compareKeyFilesLinear(input(file1), input(file2), testing::fixedTime()), hashed);
    }

    void unreadableFile_data()
    {
        QTest::addColumn<bool>("first");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<QStringList>("lines");
        const QStringList blue = latin1({"B[SimA 1]", "B[SimB 2]"});
        const QStringList green = latin1({"G[SimA 1]", "G[SimB 2]"});
        QTest::newRow("file 1")
            << true << "Permission denied"
            << "B[Key file 1 could not be read (Permission denied); it is compared as an empty file.]"
            << "K[Number of lines: ]B[0   ]G[2]" << green;
        QTest::newRow("file 2") << false << "It is a folder, not a file"
                                << "G[Key file 2 could not be read (It is a folder, not a file); it is compared as an "
                                   "empty file.]"
                                << "K[Number of lines: ]B[2   ]G[0]" << blue;
        QTest::newRow("no reason given") << true << ""
                                         << "B[Key file 1 could not be read; it is compared as an empty file.]"
                                         << "K[Number of lines: ]B[0   ]G[2]" << green;
        QTest::newRow("line ends in the reason") << false << "bad\r\nthing"
                                                 << "G[Key file 2 could not be read (bad  thing); it is compared as an "
                                                    "empty file.]"
                                                 << "K[Number of lines: ]B[2   ]G[0]" << blue;
    }

    void unreadableFile()
    {
        QFETCH(bool, first);
        QFETCH(QString, reason);
        QFETCH(QString, note);
        QFETCH(QString, counts);
        QFETCH(QStringList, lines);
        const CompareInput readable = input("SimA 1\nSimB 2\n", "good.key");
        const CompareInput unreadable{"bad.key", std::nullopt, reason.toStdString()};
        const CompareInput& one = first ? unreadable : readable;
        const CompareInput& two = first ? readable : unreadable;
        const auto report = core::compareKeyFiles(one, two, testing::fixedTime());
        const QStringList styled = styledLines(report);
        // The note stands under the date line, in the file's colour and with a blank line after it.
        QCOMPARE(styled.value(4), note);
        QCOMPARE(styled.value(5), QString(note.left(1) + QStringLiteral("[]")));
        QCOMPARE(styled.value(6), QStringLiteral("K*[Summary]"));
        QVERIFY(styled.contains(counts));
        QCOMPARE(section(styled, kLinesHeading), lines);
        QCOMPARE(core::compareKeyFilesLinear(one, two, testing::fixedTime()), report);
    }

    void readableFilesHaveNoNote()
    {
        const QStringList lines = styledLines(core::compareKeyFiles(input(""), input(""), testing::fixedTime()));
        QCOMPARE(lines.value(3), QStringLiteral("G[]"));
        QCOMPARE(lines.value(4), QStringLiteral("K*[Summary]"));
    }

    void binaryFiles()
    {
        std::string binary1;
        std::string binary2;
        std::mt19937 rng(7);
        for (int i = 0; i < 4000; ++i) {
            binary1 += static_cast<char>(rng() % 256);
            binary2 += static_cast<char>(rng() % 8 == 0 ? '\n' : rng() % 256);
        }
        const CompareInput one{"b1", binary1, {}};
        const CompareInput two{"b2", binary2, {}};
        const auto report = core::compareKeyFiles(one, two, testing::fixedTime());
        QVERIFY(!report.empty());
        QCOMPARE(core::compareKeyFilesLinear(one, two, testing::fixedTime()), report);
        // Every line of the report ends with CRLF.
        QVERIFY(!styledLines(report).join(QLatin1Char('\n')).contains(QStringLiteral("UNTERMINATED")));
    }

    void hashedEqualsLinearOnGeneratedFiles_data()
    {
        QTest::addColumn<unsigned>("seed");
        for (unsigned seed = 1; seed <= 40; ++seed)
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
    }

    void hashedEqualsLinearOnGeneratedFiles()
    {
        // Small vocabularies make many repeated and shared lines and names.
        QFETCH(unsigned, seed);
        std::mt19937 rng(seed);
        const auto file = [&rng]() {
            std::string text;
            const auto lines = static_cast<unsigned>(rng() % 40);
            for (unsigned i = 0; i < lines; ++i) {
                switch (rng() % 6) {
                case 0:
                    text += "  ";
                    break;
                case 1:
                    text += "Alone" + std::to_string(rng() % 3);
                    break;
                default:
                    text += "Sim" + std::to_string(rng() % 6) + " " + std::to_string(rng() % 4) + "  x";
                }
                text += (rng() % 3 == 0) ? "\r" : (rng() % 2 == 0) ? "\n" : "\r\n";
            }
            return text;
        };
        const CompareInput one{"g1", file(), {}};
        const CompareInput two{"g2", file(), {}};
        QCOMPARE(core::compareKeyFilesLinear(one, two, testing::fixedTime()),
            core::compareKeyFiles(one, two, testing::fixedTime()));
        QCOMPARE(core::compareKeyFilesLinear(two, one, testing::fixedTime()),
            core::compareKeyFiles(two, one, testing::fixedTime()));
    }

    void corpusPairs()
    {
        const QStringList files = testing::corpusKeyFiles();
        if (files.isEmpty())
            QSKIP("no corpus beside the checkout");
        std::vector<CompareInput> inputs;
        for (const QString& file : files)
            inputs.push_back(CompareInput{file.toStdString(), testing::readBytes(file), {}});
        for (const auto& one : inputs) {
            for (const auto& two : inputs) {
                const auto report = core::compareKeyFiles(one, two, testing::fixedTime());
                QCOMPARE(core::compareKeyFilesLinear(one, two, testing::fixedTime()), report);
                const QStringList lines = styledLines(report);
                QVERIFY(!lines.join(QLatin1Char('\n')).contains(QStringLiteral("UNTERMINATED")));
                for (const QString& name : section(lines, kMissingHeading))
                    QVERIFY2(!name.mid(2).startsWith(QLatin1Char('#')), qPrintable(name));
                if (&one == &two) {
                    QCOMPARE(section(lines, kMissingHeading),
                        latin1({"K[None, they both have the same sim functions present]"}));
                    for (const QString& line : section(lines, kLinesHeading))
                        QVERIFY2(line.startsWith(QStringLiteral("K[")), qPrintable(line));
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(ComparisonTest)
#include "ComparisonTest.moc"

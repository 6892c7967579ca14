#include "core/Problems.h"
#include "core/Binding.h"
#include "core/KeyDocument.h"

#include "TestData.h"

#include <QTest>

#include <random>

using core::KeyDocument;

namespace {

KeyDocument documentOf(const QString& dataFile)
{
    return KeyDocument::fromBytes(testing::readBytes(testing::testDataPath(dataFile)));
}

// "LINE code", and the lines involved after it when there are several: "2 key-conflict 2,3".
QStringList summary(const std::vector<core::Problem>& problems)
{
    QStringList result;
    for (const core::Problem& p : problems) {
        QString text = QString::number(p.line) + QLatin1Char(' ') + QString::fromLatin1(core::problemCodeName(p.code));
        if (p.lines.size() > 1) {
            QStringList lines;
            for (const int line : p.lines)
                lines << QString::number(line);
            text += QLatin1Char(' ') + lines.join(QLatin1Char(','));
        }
        result << text;
    }
    return result;
}

} // namespace

/** The problems check: each rule on a line it reports and one it passes over, its texts, the check that follows
 *  edits, and the real files. */
class ProblemsTest : public QObject
{
    Q_OBJECT

private slots:
    void rules_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("key and modifier cells") << "problems-cells.key"
                                                << QStringList{"2 unknown-key", "4 malformed-key", "6 malformed-key",
                                                       "7 pause-key", "9 bad-modifier", "10 bad-modifier"};
        QTest::newRow("keys") << "problems-keys.key"
                              << QStringList{
                                     "2 key-conflict 2,3", "7 key-conflict 7,11", "12 short-line", "13 trailing-text"};
        QTest::newRow("DirectX and POV") << "problems-directx.key"
                                         << QStringList{"2 button-conflict 2,3", "9 pov-conflict 9,10", "13 bad-number",
                                                "14 bad-number", "15 short-line", "16 trailing-text"};
    }

    void rules()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, expected);
        core::ProblemCheck check;
        check.check(documentOf(file));
        QCOMPARE(summary(check.problems()), expected);
        QCOMPARE(check.count(), expected.size());
    }

    void texts_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("malformed") << QByteArray("S -1 0 0x3G 0 0 0 1 \"d\"") << "0x3G is not a key code";
        QTest::newRow("unknown") << QByteArray("S -1 0 0x54 0 0 0 1 \"d\"") << "0x54: no key has this code";
        QTest::newRow("unknown second key")
            << QByteArray("S -1 0 0x1E 0 0x54 0 1 \"d\"") << "0x54 (second key): no key has this code";
        QTest::newRow("pause") << QByteArray("S -1 0 0xc5 1 0 0 1 \"d\"")
                               << "0xc5 is the Pause key, which stops the simulator when pressed";
        QTest::newRow("modifier") << QByteArray("S -1 0 0x1E 1.5 0 0 1 \"d\"")
                                  << "Modifier 1.5 is not a whole number from 0 to 7";
        QTest::newRow("short key line") << QByteArray("S -1 0 0x1E") << "The line has 4 fields; a key line has 9";
        QTest::newRow("short POV line") << QByteArray("S 0 -1 -3 0") << "The line has 5 fields; a POV line has 7";
        QTest::newRow("trailing")
            << QByteArray("S -1 0 0x1E 0 0 0 1 \"d\" # mine")
            << "Text after the description (\"# mine\") is kept, but the simulator may misread it";
        QTest::newRow("trailing DirectX")
            << QByteArray("S 0 -1 -2 0 0x0 -1 #DX1 used")
            << "Text after the seventh field (\"#DX1 used\") is kept, but the simulator may read it as more fields";
        // Quoted trailing text is cut after 60 characters, and only after 60.
        QTest::newRow("trailing, 60 characters")
            << QByteArray("S -1 0 0x1E 0 0 0 1 \"d\" xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx")
            << "Text after the description (\"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\") is kept, "
               "but the simulator may misread it";
        QTest::newRow("trailing, 61 characters")
            << QByteArray("S -1 0 0x1E 0 0 0 1 \"d\" xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxy")
            << "Text after the description (\"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...\") is "
               "kept, but the simulator may misread it";
        QTest::newRow("key conflict") << QByteArray("A -1 0 0xC8 1 0 0 1 \"d\"\nB -1 0 0xc8 1 0 0 1 \"d\"")
                                      << "SHF UARROW is bound to 2 functions: A (line 1), B (line 2)";
        QTest::newRow("combination conflict")
            << QByteArray("A -1 0 0x10 0 0x2E 4 1 \"d\"\nB -1 0 0x10 0 0x2E 4 1 \"d\"")
            << "ALT c  q is bound to 2 functions: A (line 1), B (line 2)";
        QTest::newRow("release conflict")
            << QByteArray("A 40 -2 -2 0x42 0x0 -1\nB 40 -2 -2 0x42 0x0 -1")
            << "DX9, Device 02 on release is bound to 2 functions: A (line 1), B (line 2)";
        QTest::newRow("five functions")
            << QByteArray("A 0 -1 -3 2 0x0 -1\nB 0 -1 -3 2 0x0 -1\nA 0 -1 -3 2 0x0 -1\nC 0 -1 -3 2 0x0 -1\n"
                          "D 0 -1 -3 2 0x0 -1\nE 0 -1 -3 2 0x0 -1")
            << "POV1 Right is bound to 5 functions: A (line 1), B (line 2), C (line 4), D (line 5) and 1 more";
    }

    void texts()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const auto problems = core::checkDocument(KeyDocument::fromBytes(bytes.toStdString()));
        QVERIFY(!problems.empty());
        QCOMPARE(QString::fromStdString(problems.front().text), text);
    }

    void cellNames_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("name");
        QTest::newRow("line number: no cell of the file") << int(core::LineColumn) << QString();
        QTest::newRow("sim name") << int(core::SimNameColumn) << QStringLiteral("Sim name");
        QTest::newRow("second key") << int(core::ComboKeyColumn) << QStringLiteral("second Keys");
        QTest::newRow("description") << int(core::DescriptionColumn) << QStringLiteral("Description");
        QTest::newRow("past the last") << int(core::ColumnCount) << QString();
        QTest::newRow("negative") << -1 << QString();
    }

    void cellNames()
    {
        QFETCH(int, column);
        QFETCH(QString, name);
        QCOMPARE(QString::fromStdString(std::string(core::cellName(column))), name);
    }

    // An edited cell that saving could not give back: the sentence the save question shows, and an error of the
    // check for edited lines only.
    void unwritableCells_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, int column, const char* cell, const char* message = "") {
            QTest::newRow(name) << column << QString::fromLatin1(cell) << QString::fromLatin1(message);
        };
        row("empty Ignored", core::IgnoredColumn, "",
            "Line 7 has an empty Ignored cell; saving would move its later fields one column left.");
        row("empty description", core::DescriptionColumn, "");
        row("space in the name", core::SimNameColumn, "Sim Do",
            "Line 7 has a space in its Sim name cell; saving would split it into two fields.");
        row("quote in a key cell", core::ComboKeyColumn, "\"0",
            "Line 7 has a quote at the start of its second Keys cell; saving would make the rest of the line its "
            "description.");
        row("spaces in the description", core::DescriptionColumn, "\"B M S\"");
    }

    void unwritableCells()
    {
        QFETCH(int, column);
        QFETCH(QString, cell);
        QFETCH(QString, message);
        auto doc = KeyDocument::fromBytes("#\n\n#\n\n\n\nSimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"BMS - Full\"\n");
        QCOMPARE(doc.lineNumber(2), 7);
        QVERIFY(core::checkDocument(doc).empty());
        QVERIFY(doc.setCell(2, column, cell.toStdString()));
        const auto sentence = core::unwritableRowMessage(doc.lineNumber(2), doc.cells(2));
        QCOMPARE(QString::fromStdString(sentence.value_or("")), message);
        const QStringList codes = summary(core::checkDocument(doc));
        QCOMPARE(codes.contains(QStringLiteral("7 unwritable-cell")), !message.isEmpty());
    }

    // The check that follows edits row by row must always equal a check of the whole document.
    void updateFollowsEdits_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("edits"); // "row column text"
        QTest::newRow("a conflict ends and comes back")
            << "problems-keys.key" << QStringList{"2 5 3", "2 5 1", "1 1 SimAlsoShiftQ", "1 1 SimShiftQ"};
        QTest::newRow("one function becomes two")
            << "problems-keys.key" << QStringList{"4 1 SimOther", "4 1 SimControlQ"};
        QTest::newRow("lines leave and join groups")
            << "problems-keys.key"
            << QStringList{"10 8 -2", "6 1 SimDoNothing", "9 8 1", "5 6 0", "10 8 1", "6 1 SimW", "11 4 0x11"};
        QTest::newRow("errors come and go")
            << "problems-cells.key" << QStringList{"1 4 0x1E", "5 4 0x1E", "8 5 0", "6 4 0x3G", "7 1 SimPause", "2 3 "};
        QTest::newRow("buttons and hats")
            << "problems-directx.key" << QStringList{"2 3 -2", "2 5 0x42", "8 5 4", "5 1 SimX", "11 2 0", "15 8 "};
    }

    void updateFollowsEdits()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, edits);
        KeyDocument doc = documentOf(file);
        core::ProblemCheck check;
        check.check(doc);
        for (const QString& edit : edits) {
            const QStringList parts = edit.split(QLatin1Char(' '));
            const int row = parts[0].toInt();
            QVERIFY(doc.setCell(row, parts[1].toInt(), parts.value(2).toStdString()));
            check.update(doc, {row});
            const auto fresh = core::checkDocument(doc);
            QCOMPARE(summary(check.problems()), summary(fresh));
            QVERIFY(check.problems() == fresh);
            QCOMPARE(check.count(), int(fresh.size()));
        }
    }

    // Many lines changing keys at random: groups fill, empty and come back, so that the index of groups by key
    // takes keys out of runs of neighbours and puts them back, and still equals a fresh check after each edit.
    // Random edits, each followed by the check's update and compared with a fresh check. A few groups in a small
    // table put runs of keys across the table's end, where removals wrap around.
    void updateFollowsRandomEdits_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("codes");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("edits");
        QTest::newRow("many groups") << 300 << 40 << 8 << 400;
        QTest::newRow("few groups, a small table") << 12 << 40 << 8 << 6000;
    }

    void updateFollowsRandomEdits()
    {
        QFETCH(int, lines);
        QFETCH(int, codes);
        QFETCH(int, modifiers);
        QFETCH(int, edits);
        std::mt19937 rng(11);
        const auto code = [&rng, codes] { return "0x" + std::to_string(10 + rng() % unsigned(codes)); };
        const auto modifier = [&rng, modifiers] { return std::to_string(rng() % unsigned(modifiers)); };
        std::string bytes;
        for (int i = 0; i < lines; ++i)
            bytes
                += "SimF" + std::to_string(i % 37) + " -1 0 " + code() + ' ' + modifier() + " 0XFFFFFFFF 0 1 \"d\"\r\n";
        KeyDocument doc = KeyDocument::fromBytes(bytes);
        core::ProblemCheck check;
        check.check(doc);
        for (int edit = 0; edit < edits; ++edit) {
            const int row = static_cast<int>(rng() % unsigned(lines));
            const int pick = static_cast<int>(rng() % 3);
            const int column = pick == 0 ? core::KeyColumn : pick == 1 ? core::ModifierColumn : core::SimNameColumn;
            const std::string text = column == core::KeyColumn ? code()
                : column == core::ModifierColumn               ? modifier()
                                                               : "SimF" + std::to_string(rng() % 37);
            QVERIFY(doc.setCell(row, column, text));
            check.update(doc, {row});
            const auto fresh = core::checkDocument(doc);
            QVERIFY2(check.problems() == fresh, qPrintable(QStringLiteral("after edit %1").arg(edit)));
        }
    }

    // A whole file read on several threads: the same problems, in the same order, with the same counts, as on one.
    void sameProblemsOnAnyThreads_data()
    {
        QTest::addColumn<bool>("junk");
        QTest::addColumn<int>("lines");
        QTest::newRow("junk") << true << 0;
        QTest::newRow("keys, buttons and hats, some wrong") << false << 3000;
        QTest::newRow("fewer lines than threads") << false << 2;
        QTest::newRow("no lines") << false << 0;
    }

    void sameProblemsOnAnyThreads()
    {
        QFETCH(bool, junk);
        QFETCH(int, lines);
        std::mt19937 rng(5);
        std::string bytes;
        if (junk) {
            bytes.resize(64 * 1024);
            for (char& c : bytes)
                c = static_cast<char>(rng() % 7 == 0 ? ' ' : rng() % 5 == 0 ? '\n' : rng() % 256);
        }
        for (int i = 0; i < lines; ++i) {
            const std::string name = "SimF" + std::to_string(rng() % 50);
            const auto pick = rng() % 10;
            if (pick == 0) {
                bytes += name + " " + std::to_string(rng() % 6) + " -1 -2 " + (rng() % 2 ? "0" : "0x42") + " 0x0 "
                    + std::to_string(-1 - int(rng() % 2)) + "\r\n";
            } else if (pick == 1) {
                bytes += name + " " + std::to_string(rng() % 3) + " -1 -3 " + std::to_string(rng() % 9) + " 0x0 0\n";
            } else {
                const std::string key = rng() % 20 == 0 ? "0xZ1" : "0x" + std::to_string(10 + rng() % 12);
                const std::string second = rng() % 4 == 0 ? "0x2E" : "0XFFFFFFFF";
                bytes += name + " -1 0 " + key + ' ' + std::to_string(rng() % 9) + ' ' + second + " 0 1 \"d\""
                    + (rng() % 30 == 0 ? " tail" : "") + "\r\n";
            }
        }
        const KeyDocument doc = KeyDocument::fromBytes(bytes);
        core::ProblemCheck one;
        one.check(doc, 1);
        if (lines > 100)
            QVERIFY(one.errorCount() > 0 && one.warningCount() > 10);
        for (const unsigned threads : {2U, 3U, 7U}) {
            core::ProblemCheck several;
            several.check(doc, threads);
            QCOMPARE(several.problems(), one.problems());
            QCOMPARE(several.errorCount(), one.errorCount());
            QCOMPARE(several.warningCount(), one.warningCount());
        }
    }

    void junkFinishes()
    {
        std::mt19937 rng(7);
        std::string bytes(64 * 1024, '\0');
        for (char& c : bytes)
            c = static_cast<char>(rng() % 7 == 0 ? ' ' : rng() % 5 == 0 ? '\n' : rng() % 256);
        core::ProblemCheck check;
        const auto doc = KeyDocument::fromBytes(bytes);
        check.check(doc);
        QVERIFY(check.count() > 0);
        QCOMPARE(int(check.list().size()), check.count());
        QCOMPARE(int(check.list(10).size()), 10);
    }

    void corpus_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("01 stock full file") << "01_" << QStringList{};
        QTest::newRow("02 the Pause key") << "02_" << QStringList{"1049 pause-key", "1050 pause-key"};
        QTest::newRow("04 trailing comments")
            << "04_"
            << QStringList{"1060 trailing-text", "1431 trailing-text", "1432 trailing-text", "1504 trailing-text",
                   "1529 trailing-text", "1580 trailing-text", "1581 trailing-text"};
        QTest::newRow("08 two doubles") << "08_"
                                        << QStringList{"44 key-conflict 44,579", "195 key-conflict 195,580",
                                               "1028 trailing-text"};
    }

    void corpus()
    {
        QFETCH(QString, prefix);
        QFETCH(QStringList, expected);
        const QString path = testing::corpusKeyFile(prefix);
        if (path.isEmpty())
            QSKIP("the real key files are not here");
        const auto problems = core::checkDocument(KeyDocument::fromBytes(testing::readBytes(path)));
        QCOMPARE(summary(problems), expected);
        if (prefix == QLatin1String("08_"))
            QCOMPARE(QString::fromStdString(problems.front().text),
                QStringLiteral(
                    "SHF UARROW is bound to 2 functions: AFResetTrim (line 44), AFElevatorTrimUp (line 579)"));
    }
};

QTEST_GUILESS_MAIN(ProblemsTest)
#include "ProblemsTest.moc"

#include "core/Find.h"
#include "core/CougarMacros.h"
#include "core/KeyCombination.h"
#include "core/KeyDocument.h"
#include "core/SimplifiedList.h"

#include "TestData.h"

#include <QTest>

using core::KeyDocument;

namespace {

KeyDocument sectionsFile()
{
    return KeyDocument::fromBytes(testing::readBytes(testing::testDataPath(QStringLiteral("sections.key"))));
}

int rowOf(const KeyDocument& doc, const char* name)
{
    for (int r = 0; r < doc.rowCount(); ++r)
        if (doc.cell(r, core::SimNameColumn) == name)
            return r;
    return -1;
}

} // namespace

/** Finding lines (sections, the filter's words) and binding keys (reading keys texts, who has a combination, what a
 *  cell may hold). */
class FindTest : public QObject
{
    Q_OBJECT

private slots:
    void sectionsHaveTwoLevels()
    {
        const KeyDocument doc = sectionsFile();
        QStringList titles;
        for (const core::Section& s : core::sections(doc))
            titles << QString::number(s.level) + QLatin1Char(':') + QString::fromStdString(s.title);
        QCOMPARE(titles,
            QStringList({"1:Our test file", "1:1. FLIGHT CONTROLS", "2:1.01 GEAR PANEL", "2:1.02 TRIM", "1:2. COMMS"}));
        const auto list = core::sections(doc);
        QCOMPARE(core::sectionOfRow(list, rowOf(doc, "AFGearToggle")), 2);
        QCOMPARE(core::sectionOfRow(list, rowOf(doc, "SimHiddenMenuQ")), 4);
        QCOMPARE(core::sectionOfRow(list, 0), 0);
        // A file without headline lines has none.
        QVERIFY(core::sections(KeyDocument::fromBytes("SimA -1 0 0x1E 0 0 0 1 \"a\"\n")).empty());
        QCOMPARE(core::sectionOfRow({}, 3), -1);
    }

    // A headline read from the line's cells, before its binding is worked out, is what the binding says: key lines
    // with Assignable -1, not DirectX or POV lines, tab-split and edited lines through their binding. The sim name
    // read the same way is the cell's.
    void headlinesBeforeBindings()
    {
        std::vector<std::string> files = {testing::readBytes(testing::testDataPath(QStringLiteral("sections.key"))),
            "SimA -1 0 0x1E 0 0 0 -1 \"Title\"\r\nSimB 1 -1 -2 0 0x0 -1\r\nSimC 1 -1 -3 0 0x0 -1 -1\r\n"
            "SimD\t-1\t0\t0x1E\t0\t0\t0\t-1 \"Tabs\"\r\nSimE -1 0 0x1E 0 0 0 -1\r\n# x -1 0 0x1E 0 0 0 -1\r\n"
            "SimF -1 0 -1 0 0 0 -1 \"x\"\r\nSimG -1 0 0x1E 0 0 0 1 \"-1\" -1\r\nSimH -1 \"d\" 0 0 0 0 -1\r\n"
            "SimI  -1 0 0x1E 0 0   0 -1 x y z\r\n  SimJ -1 0 0x1E 0 0 0 -1\t\"t\"\r\nSimK -1 0 0x1E 0 0 0 -10\r\n"
            "Sim\tL 1 0 0x1E 0 0 0 1\r\n\tSimM 1\r\nSimN\r\n"};
        for (const QString& path : testing::corpusKeyFiles())
            files.push_back(testing::readBytes(path));
        for (const std::string& bytes : files) {
            KeyDocument fresh = KeyDocument::fromBytes(bytes);
            const KeyDocument bound = fresh;
            if (fresh.rowCount() > 1) // an edited row (unless a comment) is read from its cells
                (void)(fresh.setCell(1, core::AssignableColumn, "-1") || fresh.setCell(1, core::AssignableColumn, "1"));
            KeyDocument edited = fresh;
            int headlines = 0;
            std::string spare;
            for (int r = 0; r < fresh.rowCount(); ++r) {
                QCOMPARE(fresh.isHeadline(r), edited.binding(r).isHeadline());
                QCOMPARE(std::string(fresh.simName(r, spare)), fresh.cell(r, core::SimNameColumn));
                headlines += r != 1 && bound.binding(r).isHeadline() ? 1 : 0;
            }
            if (&bytes == &files[1]) // SimA, SimD, SimE, SimF, SimI and SimJ
                QCOMPARE(headlines, 6);
        }
    }

    // The kept entries answer as the rows' whole search texts do: for every word of every row, of the row before
    // it and a few more, in files with odd lines, after edits, after the bytes left behind are dropped, and for a
    // document of another size.
    void searchTextsMatchAsTheWholeTexts()
    {
        std::vector<KeyDocument> docs;
        docs.push_back(sectionsFile());
        docs.push_back(
            KeyDocument::fromBytes(std::string("\xef\xbb\xbf  SimA -1 0 0X1E 4 0x2e 2 1 \"Lift Gear\" trailing Text\r\n"
                                               "SimB\t-1 0 0x30 0 0 0 1 \"Tab\tSplit\"\n"
                                               "SimC -1 0 0x2E 0 0 0 1 \"Unclosed Quote\n"
                                               "SimD -1 0 0x2E 0 0 0 1 Extra Fields Here\n"
                                               "SimE 5 0 0X2E\n"
                                               "# Comment GEAR\n"
                                               "SimF -1 0 0xFFFFFFFF 0 0 0 -1 \"==== 1.02 \xc4\xd6 ====\"\n"
                                               "SimG 12 -2 0 -1 0 -1 \"Button\"\n"
                                               "SimH 0 -1 -2 0x20 -1 0 \"POV Up\"\n"
                                               "SimI \"Quoted Early\" -1 0 0x2E\n")
                // Names of 254 and 255 bytes, and a description beyond the first 255
                // bytes of its line.
                + "SimJ" + std::string(250, 'j') + " -1 0 0x2E 0 0 0 1\n" + "SimK" + std::string(251, 'k')
                + " -1 0 0x2E 0 0 0 1\n" + "SimL" + std::string(300, ' ') + "-1 0 0x2E 0 0 0 1 \"Far Description\"\n"));
        docs.push_back(docs[1]);
        QVERIFY(docs[2].setCell(0, core::DescriptionColumn, "\"Edited Gear\""));
        QVERIFY(docs[2].setCell(3, core::SimNameColumn, "SimEdited"));
        for (const QString& path : testing::corpusKeyFiles())
            docs.push_back(KeyDocument::fromBytes(testing::readBytes(path)));
        const auto wordsOf = [](const std::string& text) { return core::filterWords(text); };
        const std::vector<std::string> fixed{"gear", "0x1e", "0x2e", "\"", "ctl", "-1", "=", "\xe4", "alt", "dx"};
        const auto allMatch = [&](core::SearchTexts& texts, const KeyDocument& d) {
            std::vector<std::string> before;
            for (int r = 0; r < d.rowCount(); ++r) {
                const std::string whole = core::searchText(d, r);
                std::vector<std::string> words = wordsOf(whole);
                const std::size_t ownWords = words.size();
                for (std::size_t i = 0; i < ownWords; ++i) { // parts of words: a name's middle, a code's end
                    if (words[i].size() > 2)
                        words.push_back(words[i].substr(1, words[i].size() - 2));
                }
                words.insert(words.end(), before.begin(), before.end());
                words.insert(words.end(), fixed.begin(), fixed.end());
                for (const std::string& w : words) {
                    if (texts.matches(d, r, {w}) != core::containsAllWords(whole, {w})) {
                        qWarning("row %d, word \"%s\", text \"%s\"", r, w.c_str(), whole.c_str());
                        return false;
                    }
                }
                before = wordsOf(whole);
            }
            return true;
        };
        for (const KeyDocument& d : docs) {
            core::SearchTexts texts;
            QVERIFY(allMatch(texts, d));
        }
        KeyDocument doc = sectionsFile();
        core::SearchTexts texts;
        QVERIFY(allMatch(texts, doc));
        const int row = doc.rowCount() - 1;
        // Enough edits of one row to leave more than a MiB behind.
        for (int i = 0; i < 40000; ++i) {
            QVERIFY(doc.setCell(row, core::DescriptionColumn, "\"Edit number " + std::to_string(i) + "\""));
            texts.forget(row);
            QVERIFY(texts.matches(doc, row, {"number", std::to_string(i)}));
        }
        QVERIFY(!texts.matches(doc, row, {"number", "40000"}));
        QVERIFY(allMatch(texts, doc));
        const KeyDocument other = KeyDocument::fromBytes("SimX -1 0 0x2E 0 0 0 1 \"X\"\n");
        QVERIFY(texts.matches(other, 0, {"simx", "x", "0x2e"}));
        QVERIFY(!texts.matches(other, 0, {"number"}));
        texts.forget(-1);
        texts.forget(5);
        QVERIFY(allMatch(texts, doc));
    }

    void containsLowerCased_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("word");
        QTest::addColumn<bool>("contains");
        QTest::newRow("upper case in the text") << QByteArray("SimGearUP") << QByteArray("gearup") << true;
        QTest::newRow("at the very end") << QByteArray("xyzAB") << QByteArray("ab") << true;
        QTest::newRow("at the very start") << QByteArray("ABxyz") << QByteArray("ab") << true;
        QTest::newRow("one letter short") << QByteArray("xyzA") << QByteArray("ab") << false;
        QTest::newRow("longer than the text") << QByteArray("ab") << QByteArray("abc") << false;
        QTest::newRow("a first letter seen twice") << QByteArray("aaB") << QByteArray("ab") << true;
        QTest::newRow("other bytes exactly") << QByteArray("\xc4[Z]") << QByteArray("\xc4[z]") << true;
        QTest::newRow("no folding beyond Z") << QByteArray("\xc4") << QByteArray("\xe4") << false;
        QTest::newRow("no folding of @ and [") << QByteArray("@[") << QByteArray("`{") << false;
        QTest::newRow("an empty word") << QByteArray("") << QByteArray("") << true;
    }

    void containsLowerCased()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, word);
        QFETCH(bool, contains);
        QCOMPARE(core::containsLowerCased(text.toStdString(), word.toStdString()), contains);
    }

    void filterWords_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("a word of a name, any case") << "geartoggle" << QStringList{"AFGearToggle"};
        QTest::newRow("every word must be there") << "gear  toggle" << QStringList{"AFGearToggle", "SimHookToggle"};
        QTest::newRow("words of a description") << "landing GEAR" << QStringList{"AFGearToggle"};
        QTest::newRow("keys in words") << "ctl k" << QStringList{"SimHookToggle"};
        QTest::newRow("a code as written") << "0xC8" << QStringList{"AFElevatorTrimUp", "AFResetTrim"};
        QTest::newRow("a code in the table's spelling") << "0x10" << QStringList{"SimCommsWingman", "SimHiddenMenuQ"};
        QTest::newRow("a combination's first key")
            << "alt c  alt q" << QStringList{"SimCommsWingman", "SimHiddenMenuQ"};
        QTest::newRow("nothing") << "parachute" << QStringList{};
        QTest::newRow("odd bytes") << QString::fromLatin1("\xff\x01 \"") << QStringList{};
    }

    void filterWords()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, names);
        const KeyDocument doc = sectionsFile();
        const auto words = core::filterWords(filter.toStdString());
        QStringList found;
        for (int r = 0; r < doc.rowCount(); ++r) {
            if (!doc.binding(r).isHeadline() && core::containsAllWords(core::searchText(doc, r), words))
                found << QString::fromStdString(doc.cell(r, core::SimNameColumn));
        }
        found.removeAll(QStringLiteral("SimDoNothing"));
        QCOMPARE(found, names);
        QVERIFY(core::searchText(KeyDocument::fromBytes("# SimA gear\n"), 0).empty());
    }

    void parseKeys_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("words"); // as the list writes them, or the error
        QTest::addColumn<QString>("cells");
        const auto row = [](const char* name, const char* text, const char* words, const char* cells = "") {
            QTest::newRow(name) << QString::fromLatin1(text) << QString::fromLatin1(words)
                                << QString::fromLatin1(cells);
        };
        row("a key", "g", "g", "0X22 0 0 0");
        row("modifiers in any order and case", "alt ctl o", "CTL ALT o", "0X18 6 0 0");
        row("all three", "SHF CTL ALT F1", "SHF CTL ALT F1", "0X3B 7 0 0");
        row("two strokes", "ALT c  f", "ALT c  f", "0X21 0 0X2E 4");
        row("key names ignore case", "kp/", "KP/", "0XB5 0 0 0");
        row("capital letters", "CTL Z", "CTL z", "0X2C 2 0 0");
        row("backslash", "CTL \\", "CTL \\", "0X2B 2 0 0");
        row("none", " none ", "none");
        row("Pause refused", "SHF Pause", "the Pause key stops the simulator and cannot be bound");
        row("unknown key", "CTL zz", "\"zz\" names no key");
        row("unknown modifier", "WIN a", "\"WIN\" is not SHF, CTL or ALT");
        row("empty", "", "no key");
    }

    void parseKeys()
    {
        QFETCH(QString, text);
        QFETCH(QString, words);
        QFETCH(QString, cells);
        const core::ParsedKeys parsed = core::parseKeys(text.toStdString());
        if (parsed.none)
            QCOMPARE(QStringLiteral("none"), words);
        else if (!parsed.combination)
            QCOMPARE(QString::fromStdString(parsed.error), words);
        else {
            QCOMPARE(QString::fromStdString(parsed.combination->text()), words);
            QStringList written;
            for (const std::string& cell : parsed.combination->cells())
                written << QString::fromStdString(cell);
            QCOMPARE(written.join(QLatin1Char(' ')), cells);
            // Read back from the cells, the combination is the same.
            const auto doc
                = KeyDocument::fromBytes("S -1 0 " + written.join(QLatin1Char(' ')).toStdString() + " 1 \"d\"\n");
            QCOMPARE(core::combinationOf(doc.binding(0)), parsed.combination);
        }
    }

    void rowsBoundToACombination()
    {
        const KeyDocument doc = sectionsFile();
        const auto trim = core::parseKeys("SHF UARROW").combination;
        QVERIFY(trim);
        QCOMPARE(core::rowsBoundTo(doc, *trim).size(), std::size_t(2));
        QCOMPARE(
            core::rowsBoundTo(doc, *trim, rowOf(doc, "AFResetTrim")), std::vector<int>{rowOf(doc, "AFElevatorTrimUp")});
        // The same key without the combination's first stroke is another combination.
        const auto q = core::parseKeys("ALT q").combination;
        QVERIFY(core::rowsBoundTo(doc, *q).empty());
        const auto g = core::parseKeys("g").combination;
        const auto boundToG = core::rowsBoundTo(doc, *g);
        QCOMPARE(boundToG.size(), std::size_t(2));
        QVERIFY(!core::isPassiveLine(doc.binding(boundToG[0])));
        QVERIFY(core::isPassiveLine(doc.binding(boundToG[1]))); // the reference line
        QVERIFY(core::isPassiveLine(doc.binding(rowOf(doc, "SimHiddenMenuQ"))));
        // A key line whose modifier is not 0 to 7, or whose second key is not a key, binds no combination.
        for (const char* line : {"S -1 0 0x1E 9 0 0 1 \"d\"\n", "S -1 0 0x1E 0 0x3G 0 1 \"d\"\n"})
            QVERIFY(!core::combinationOf(KeyDocument::fromBytes(line).binding(0)));
    }

    // The list written straight from the lines is the list built entry by entry, for every file we have.
    void listWrittenInOnePass()
    {
        QStringList files = testing::corpusKeyFiles();
        files << testing::samplePath(QStringLiteral("tarnwick-sample.key"))
              << testing::testDataPath(QStringLiteral("spacing-tabs-extras.key"));
        for (const QString& file : files) {
            const KeyDocument doc = KeyDocument::fromBytes(testing::readBytes(file));
            for (const bool removeSim : {false, true}) {
                const auto list = core::SimplifiedList::build(doc, removeSim);
                QVERIFY2(core::listText(doc, removeSim) == list.toText(), qPrintable(file));
                // In pieces of 7 rows, as a long list is written, it is the same text.
                std::string pieces;
                std::string macroPieces;
                for (int row = 0; row < doc.rowCount(); row += 7) {
                    core::appendListText(pieces, doc, removeSim, row, row + 7);
                    core::appendCougarMacros(macroPieces, doc, removeSim, row, row + 7);
                }
                QVERIFY2(pieces == list.toText(), qPrintable(file));
                QVERIFY2(macroPieces == core::fillCougarMacros(doc, list.entries(), removeSim), qPrintable(file));
                QVERIFY2(
                    core::fillCougarMacros(doc, removeSim) == core::fillCougarMacros(doc, list.entries(), removeSim),
                    qPrintable(file));
                // Row by row in another order (a sorted list's), the lines are the entries' in that order.
                std::vector<core::SimplifiedEntry> reversed(list.entries().rbegin(), list.entries().rend());
                std::vector<int> rows;
                for (const core::SimplifiedEntry& entry : reversed)
                    rows.push_back(entry.row);
                QVERIFY2(
                    core::fillCougarMacros(doc, rows, removeSim) == core::fillCougarMacros(doc, reversed, removeSim),
                    qPrintable(file));
                // Rows out of range give no line.
                std::string none;
                core::CougarMacroWriter writer(doc, removeSim);
                QVERIFY(!writer.append(none, -1) && !writer.append(none, doc.rowCount()) && none.empty());
            }
        }
    }

    void cellRefusals_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("refusal");
        const QByteArray key = "SimA -1 0 0x1E 0 0 0 1 \"d\"";
        const QByteArray button = "SimB 3 -1 -2 0 0x0 -1";
        const auto row
            = [](const char* name, const QByteArray& line, int column, const char* text, const char* refusal = "") {
                  QTest::newRow(name) << line << column << QString::fromLatin1(text) << QString::fromLatin1(refusal);
              };
        row("a sim name", key, 1, "SimB");
        row("a name of two words", key, 1, "Sim B",
            "The Sim name cell cannot hold a space: the file separates its fields with spaces.");
        row("a name that makes a comment", key, 1, "#SimA",
            "A sim name cannot begin with #: the line would become a comment.");
        row("an empty name", key, 1, "", "A sim name cannot be empty.");
        row("a number", key, 2, "312");
        row("not a number", key, 3, "x", "The Ignored cell holds a whole number.");
        row("visibility -0", key, 8, "-0");
        row("an empty cell before others", key, 3, "",
            "The Ignored cell cannot be empty while later cells hold something: reading the file would move them one "
            "column left.");
        row("a description with spaces and quotes", key, 9, "\"Say \"hi\" now\"");
        row("a description without its quote", key, 9, "Landing gear",
            "A description begins with a double quote (\").");
        row("a quote starting a field", key, 8, "\"1", "The Assignable cell holds a whole number.");
        row("a joystick line's release cell is a word", button, 5, "0x42");
        row("a joystick line's sound is a number", button, 7, "x", "The Modifiers cell holds a whole number.");
    }

    void cellRefusals()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, refusal);
        core::RecordCells after = KeyDocument::fromBytes(line.toStdString()).cells(0);
        after[std::size_t(column)] = text.toStdString();
        QCOMPARE(QString::fromStdString(core::cellRefusal(after, column)), refusal);
    }
};

QTEST_APPLESS_MAIN(FindTest)
#include "FindTest.moc"

#include "core/Changes.h"
#include "core/ReportWriters.h"

#include "TestData.h"

#include <QRegularExpression>
#include <QTest>

#include <algorithm>

using core::ChangeKind;
using core::KeyDocument;

namespace {

KeyDocument document(const QByteArray& bytes)
{
    return KeyDocument::fromBytes(bytes.toStdString());
}

// Every function as "word name line1-line2 keys1>keys2", in the order of the changes.
QStringList described(const core::Changes& changes)
{
    QStringList lines;
    for (const auto& change : changes.functions()) {
        const core::ChangeTexts t = changes.texts(change);
        lines << QStringLiteral("%1 %2 %3-%4 %5>%6")
                     .arg(QLatin1String(core::changeKindWord(change.kind)), QString::fromStdString(t.simName))
                     .arg(t.line1)
                     .arg(t.line2)
                     .arg(QString::fromStdString(t.keys1), QString::fromStdString(t.keys2));
    }
    return lines;
}

QByteArray keyLine(const char* name, const char* keys, const char* description)
{
    return QByteArray(name) + " -1 0 " + keys + " 0 0 1 \"" + description + "\"\n";
}

} // namespace

class ChangesTest : public QObject
{
    Q_OBJECT

private slots:
    void pairsAndClasses_data()
    {
        QTest::addColumn<QByteArray>("file1");
        QTest::addColumn<QByteArray>("file2");
        QTest::addColumn<QStringList>("changes");

        const QByteArray a = keyLine("SimA", "0x1E 0", "A");
        const QByteArray b = keyLine("SimB", "0x30 0", "B");
        const QByteArray c = keyLine("SimC", "0x2E 0", "C");
        QTest::newRow("rebind") << a + b << keyLine("SimA", "0x1E 2", "A") + b
                                << QStringList{"rebound SimA 1-1 a>CTL a", "unchanged SimB 2-2 b>b"};
        QTest::newRow("spelling is no change")
            << QByteArray("SimA -1 0 0x1e 0 0 0 1 \"A\"\n")
            << QByteArray("  SimA   -1 0 0X1E 0 0XFFFFFFFF 3 1   \"A\"  \n") << QStringList{"unchanged SimA 1-1 a>a"};
        QTest::newRow("no key, whatever its modifier")
            << QByteArray("SimA -1 0 0 0 0 0 1\n") << QByteArray("SimA -1 0 0XFFFFFFFF 2 0 0 1\n")
            << QStringList{"unchanged SimA 1-1 >CTL Unassigned"};
        QTest::newRow("description change") << a + b << a + keyLine("SimB", "0x30 0", "Bee")
                                            << QStringList{"unchanged SimA 1-1 a>a", "description SimB 2-2 b>b"};
        QTest::newRow("moved line") << a + b + c
                                    << b + c
                + a << QStringList{"unchanged SimB 2-1 b>b", "unchanged SimC 3-2 c>c", "moved SimA 1-3 a>a"};
        QTest::newRow("added and removed, in file 2's order")
            << a + b + c << a + keyLine("SimD", "0x20 0", "D") + c
            << QStringList{
                   "unchanged SimA 1-1 a>a", "removed SimB 2-0 b>", "added SimD 0-2 >d", "unchanged SimC 3-3 c>c"};
        QTest::newRow("repeated name: same line, then description, then order")
            << keyLine("SimR", "0x10 0", "x") + keyLine("SimR", "0x10 1", "x") + keyLine("SimR", "0x11 0", "y")
                + keyLine("SimR", "0x12 0", "p")
            << keyLine("SimR", "0x10 1", "x") + keyLine("SimR", "0x10 2", "x") + keyLine("SimR", "0x11 0", "y")
                + keyLine("SimR", "0x13 0", "q")
            << QStringList{"unchanged SimR 2-1 SHF q>SHF q", "rebound SimR 1-2 q>CTL q", "unchanged SimR 3-3 w>w",
                   "rebound SimR 4-4 e>r"};
        QTest::newRow("repeated name: the description before the order")
            << keyLine("SimR", "0x12 0", "p") + keyLine("SimR", "0x10 0", "x")
            << keyLine("SimR", "0x10 1", "x") + keyLine("SimR", "0x13 0", "q")
            << QStringList{"rebound SimR 2-1 q>SHF q", "rebound SimR 1-2 e>r"};
        QTest::newRow("DirectX and POV lines pair among themselves")
            << QByteArray("SimFire -1 0 0x39 0 0 0 1 \"Fire\"\nSimFire 0 -1 -2 0 0x0 -1\nOTWViewUp 0 -1 -3 0 0x0 -1\n")
            << QByteArray("SimFire -1 0 0x39 0 0 0 1 \"Fire\"\nSimFire 3 -1 -2 0 0x0 -1\nOTWViewUp 0 -1 -3 2 0x0 -1\n")
            << QStringList{"unchanged SimFire 1-1 SPC>SPC", "rebound SimFire 2-2 DX1, Device 01>DX4, Device 01",
                   "rebound OTWViewUp 3-3 POV1 Up>POV1 Right"};
        QTest::newRow("a key line and a DirectX line do not pair")
            << QByteArray("SimFire -1 0 0x39 0 0 0 1\n") << QByteArray("SimFire 0 -1 -2 0 0x0 -1\n")
            << QStringList{"removed SimFire 1-0 SPC>", "added SimFire 0-1 >DX1, Device 01"};
        QTest::newRow("invocation shows its cells")
            << QByteArray("SimFire 0 -1 -2 0 0x0 -1\n") << QByteArray("SimFire 0 -2 -2 0x42 0x0 -1\n")
            << QStringList{"rebound SimFire 1-1 DX1, Device 01 [0 -1 0 0x0]>DX1, Device 01 [0 -2 0x42 0x0]"};
        QTest::newRow("comments, blank lines and headlines take no part")
            << "# one\n\n" + QByteArray("SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"== One ==\"\n") + a
            << "# two\n" + QByteArray("SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"== Two ==\"\n\n") + a
            << QStringList{"unchanged SimA 4-4 a>a"};
        QTest::newRow("empty files") << QByteArray() << QByteArray("\n# c\n") << QStringList();
        // A name on 17 lines in each file (pairs looked for through a table): the same lines pair first, wherever
        // they stand; file 2 has file 1's first line last.
        const char* const letters[]
            = {"q", "w", "e", "r", "t", "y", "u", "i", "o", "p", "a", "s", "d", "f", "g", "h", "j"};
        const char* const codes[] = {"0x10 0", "0x11 0", "0x12 0", "0x13 0", "0x14 0", "0x15 0", "0x16 0", "0x17 0",
            "0x18 0", "0x19 0", "0x1E 0", "0x1F 0", "0x20 0", "0x21 0", "0x22 0", "0x23 0", "0x24 0"};
        QByteArray many1;
        QByteArray many2;
        QStringList manyChanges;
        for (int i = 0; i < 17; ++i) {
            many1 += keyLine("SimR", codes[i], "x");
            if (i > 0) {
                many2 += keyLine("SimR", codes[i], "x");
                manyChanges
                    << QStringLiteral("unchanged SimR %1-%2 %3>%3").arg(i + 1).arg(i).arg(QLatin1String(letters[i]));
            }
        }
        many2 += keyLine("SimR", "0x10 0", "x");
        manyChanges << QStringLiteral("moved SimR 1-17 q>q");
        QTest::newRow("a name on 17 lines: the same lines pair first") << many1 << many2 << manyChanges;
    }

    void pairsAndClasses()
    {
        QFETCH(QByteArray, file1);
        QFETCH(QByteArray, file2);
        QFETCH(QStringList, changes);
        const auto result = core::Changes::between(document(file1), document(file2));
        QCOMPARE(described(result), changes);
        // The counts are those of the list.
        for (int k = 0; k < core::ChangeKindCount; ++k) {
            const auto kind = static_cast<ChangeKind>(k);
            QCOMPARE(result.count(kind),
                static_cast<int>(changes
                                     .filter(QRegularExpression(QStringLiteral("^")
                                         + QLatin1String(core::changeKindWord(kind)) + QStringLiteral(" ")))
                                     .size()));
        }
    }

    void sections_data()
    {
        QTest::addColumn<QByteArray>("headline");
        QTest::addColumn<QString>("section");
        QTest::newRow("equals signs and runs of spaces")
            << QByteArray("\"======== 1.01     UI FUNCTIONS ========\"") << "1.01 UI FUNCTIONS";
        QTest::newRow("plain") << QByteArray("\"2. LEFT CONSOLE\"") << "2. LEFT CONSOLE";
        QTest::newRow("spaces inside quotes") << QByteArray("\"      LEFT = RIGHT \"") << "LEFT = RIGHT";
        QTest::newRow("only equals signs") << QByteArray("\"=====\"") << "";
        QTest::newRow("no description") << QByteArray() << "";
    }

    void sections()
    {
        QFETCH(QByteArray, headline);
        QFETCH(QString, section);
        const QByteArray file1 = "SimB -1 0 0x30 0 0 0 1\nSimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 " + headline
            + "\nSimA -1 0 0x1E 0 0 0 1\nSimC -1 0 0x1E 0 0 0 1\n";
        const QByteArray file2 = "SimB -1 0 0x30 0 0 0 1\nSimA -1 0 0x1F 0 0 0 1\n";
        const auto changes = core::Changes::between(document(file1), document(file2));
        QStringList sections;
        for (const auto& change : changes.functions())
            sections << QString::fromStdString(changes.texts(change).section);
        // SimB and SimA take file 2's (none), the removed SimC file 1's.
        QCOMPARE(sections, QStringList({QString(), QString(), section}));
        // Rows outside a file have no section.
        for (const auto& [file, row] : {std::pair{0, -1}, std::pair{0, 4}, std::pair{1, 2}, std::pair{1, 1 << 20}})
            QCOMPARE(changes.section(file, row), std::string());
    }

    // The report: its head, then each section's title once over the changes in it, in the files' order; removed
    // functions blue, added ones green, the rest black; only the kinds shown.
    void report()
    {
        const auto changes = core::Changes::between(
            document(
                "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"== One ==\"\nSimA -1 0 0x1E 0 0 0 1\nSimB -1 0 0x30 0 0 0 1\n"
                "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"== Two ==\"\nSimC -1 0 0x2E 0 0 0 1\n"),
            document(
                "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"== One ==\"\nSimA -1 0 0x1F 0 0 0 1\nSimB -1 0 0x30 1 0 0 1\n"
                "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"== Two ==\"\nSimD -1 0 0x2E 0 0 0 1\n"));
        std::array<bool, core::ChangeKindCount> shown{};
        shown.fill(true);
        const core::Report all = core::changesReport(changes, "one.key", "two.key", shown, "6 December 2026");
        QCOMPARE(QString::fromStdString(core::reportText(all)),
            QStringLiteral(
                "Changes from key file 1 to key file 2\r\n\r\nKey file 1: one.key\r\nKey file 2: two.key\r\n"
                "Comparison made: 6 December 2026\r\n1 added, 1 removed, 2 rebound, 0 descriptions, 0 moved\r\n"
                "\r\nOne\r\nRebound  SimA  a -> s  (lines 2 / 2)\r\nRebound  SimB  b -> SHF b  (lines 3 / 3)\r\n"
                "\r\nTwo\r\nRemoved  SimC  c  (line 5 of key file 1)\r\nAdded  SimD  c  (line 5 of key file 2)\r\n"));
        const auto& runs = all.runs();
        QCOMPARE(runs.size(), std::size_t(9));
        QCOMPARE(runs[7].colour, core::colours::Blue); // the removed SimC
        QCOMPARE(runs[8].colour, core::colours::Green); // the added SimD
        QVERIFY(runs[6].boldUnderline && !runs[5].boldUnderline);
        shown[static_cast<std::size_t>(ChangeKind::Rebound)] = false;
        const std::string some = core::reportText(core::changesReport(changes, "one.key", "two.key", shown, "d"));
        QVERIFY(some.find("SimA") == std::string::npos);
        QVERIFY(some.find("\r\nTwo\r\nRemoved  SimC") != std::string::npos);
        QVERIFY(some.find("One") == std::string::npos);
        // Changes above every headline stand under a title of their own.
        shown.fill(true);
        const auto untitled
            = core::Changes::between(document("SimA -1 0 0x1E 0 0 0 1\n"), document("SimA -1 0 0x1F 0 0 0 1\n"));
        QVERIFY(core::reportText(core::changesReport(untitled, "1", "2", shown, "d"))
                    .find("moved\r\n\r\n(before the first headline)\r\nRebound  SimA")
            != std::string::npos);
    }

    void countsText()
    {
        std::array<int, core::ChangeKindCount> counts{3, 12, 41, 8, 2, 900};
        QCOMPARE(QString::fromStdString(core::changeCountsText(counts)),
            "12 added, 3 removed, 41 rebound, 8 descriptions, 2 moved");
        counts[static_cast<std::size_t>(ChangeKind::DescriptionChanged)] = 1;
        QCOMPARE(QString::fromStdString(core::changeCountsText(counts)),
            "12 added, 3 removed, 41 rebound, 1 description, 2 moved");
    }

    void takePlan_data()
    {
        QTest::addColumn<QByteArray>("into");
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QStringList>("plan"); // "line name: old > new, clashes with lines", then "missing line name"

        const QByteArray into = "# mine\n" + keyLine("SimA", "0x1E 0", "A") + keyLine("SimB", "0x30 0", "B")
            + "SimFire 0 -1 -2 0 0x0 -1\n";
        QTest::newRow("nothing differs") << into << into << QStringList();
        QTest::newRow("a free key, a clash, a button, a missing function")
            << into
            << keyLine("SimB", "0x1E 0", "B") + keyLine("SimA", "0x2E 4", "A") + "SimFire 4 -1 -2 0 0x0 -1\n"
                + keyLine("SimNew", "0x20 0", "N")
            << QStringList{"2 SimA: a > ALT c", "3 SimB: b > a, clashes with 2",
                   "4 SimFire: DX1, Device 01 > DX5, Device 01", "missing 4 SimNew"};
        QTest::newRow("spelling and description are not taken")
            << into << QByteArray("SimA -1 0 0X1E 0 0XFFFFFFFF 0 1 \"Other\"\n") << QStringList();
        QTest::newRow("a key taken away")
            << into << keyLine("SimA", "0XFFFFFFFF 0", "A") << QStringList{"2 SimA: a > Unassigned"};
        QTest::newRow("a short line fills short cells")
            << QByteArray("SimA -1 0 0x1E\n") << QByteArray("SimA -1 0 0x1F 2\n") << QStringList{"1 SimA: a > CTL s"};
        QTest::newRow("an empty cell before a filled one is not taken")
            << into << QByteArray("SimA -1 0 0x1F\n") << QStringList();
    }

    void takePlan()
    {
        QFETCH(QByteArray, into);
        QFETCH(QByteArray, from);
        QFETCH(QStringList, plan);
        const KeyDocument mine = document(into);
        const KeyDocument theirs = document(from);
        const core::TakePlan taken = core::planTakeBindings(mine, theirs);
        QStringList actual;
        for (const auto& p : taken.proposals) {
            QString line = QStringLiteral("%1 %2: %3 > %4")
                               .arg(mine.lineNumber(p.row))
                               .arg(QString::fromStdString(mine.cell(p.row, core::SimNameColumn)),
                                   QString::fromStdString(core::keysText(mine.binding(p.row))),
                                   QString::fromStdString(core::keysText(theirs.binding(p.fromRow))));
            QStringList clashes;
            for (const int row : p.clashes)
                clashes << QString::number(mine.lineNumber(row));
            if (!clashes.isEmpty())
                line += QStringLiteral(", clashes with ") + clashes.join(QLatin1Char(' '));
            actual << line;
            // Writing the proposal gives the other file's keys.
            KeyDocument result = mine;
            for (const auto& [column, text] : p.cells)
                QVERIFY(result.setCell(p.row, column, text));
            QCOMPARE(core::keysText(result.binding(p.row)), core::keysText(theirs.binding(p.fromRow)));
        }
        for (const int row : taken.missing)
            actual << QStringLiteral("missing %1 %2")
                          .arg(theirs.lineNumber(row))
                          .arg(QString::fromStdString(theirs.cell(row, core::SimNameColumn)));
        QCOMPARE(actual, plan);
    }

    // In 05 the Alt+I binding belongs to SimThrottleIdleDetent; 01 has renamed the family and has no such name.
    // Each function is one change, never a line of each file.
    void corpusUpdate()
    {
        const QString older = testing::corpusKeyFile(QStringLiteral("05_"));
        const QString newer = testing::corpusKeyFile(QStringLiteral("01_"));
        if (older.isEmpty() || newer.isEmpty())
            QSKIP("no corpus beside the checkout");
        const auto changes = core::Changes::between(
            KeyDocument::fromBytes(testing::readBytes(older)), KeyDocument::fromBytes(testing::readBytes(newer)));
        const QStringList all = described(changes);
        QCOMPARE(all.filter(QStringLiteral(" SimThrottleIdleDetent ")),
            QStringList{"removed SimThrottleIdleDetent 417-0 ALT i>"});
        QCOMPARE(all.filter(QStringLiteral(" SimThrottleIdleDetentLeftToggle ")),
            QStringList{"added SimThrottleIdleDetentLeftToggle 0-421 >ALT i"});
        QCOMPARE(all.filter(QStringLiteral(" SimThrottleIdleDetentForward ")),
            QStringList{"description SimThrottleIdleDetentForward 418-419 Unassigned>Unassigned"});
        QCOMPARE(QString::fromStdString(core::changeCountsText(changes.counts())),
            "21 added, 1 removed, 0 rebound, 18 descriptions, 0 moved");
        const auto forward = std::find_if(changes.functions().begin(), changes.functions().end(),
            [&changes](const auto& f) { return changes.texts(f).simName == "SimThrottleIdleDetentForward"; });
        const core::ChangeTexts texts = changes.texts(*forward);
        QCOMPARE(QString::fromStdString(texts.description1), "TQS: CUTOFF RELEASE - Idle Detent - Idle");
        QCOMPARE(QString::fromStdString(texts.description2), "TQS: Throttle - IDLE");
        QCOMPARE(QString::fromStdString(texts.section), "2.19 THROTTLE QUADRANT SYSTEM");
    }
};

QTEST_APPLESS_MAIN(ChangesTest)
#include "ChangesTest.moc"

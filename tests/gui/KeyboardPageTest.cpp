#include "WindowFixture.h"

#include "core/KeyboardUsage.h"
#include "gui/GridEditing.h"
#include "gui/KeyboardPage.h"
#include "gui/Twips.h"
#include "print/KeyboardLayout.h"

#include <QCheckBox>
#include <QListWidget>
#include <QTest>
#include <QTextEdit>
#include <QUndoStack>

using testing::WindowFixture;

namespace {

const char* const kFile = "# SimComment -1 0 0x1E 0 0XFFFFFFFF 0 1 \"not a line\"\r\n"
                          "SimOnce -1 0 0x1E 0 0XFFFFFFFF 0 1 \"Once\"\r\n"
                          "SimTwiceA -1 0 0x30 0 0XFFFFFFFF 0 1 \"Twice A\"\r\n"
                          "SimTwiceB -1 0 0X30 0 0 0 1 \"Twice B\"\r\n"
                          "SimShift -1 0 0x1E 1 0XFFFFFFFF 0 1 \"Shift a\"\r\n"
                          "SimCombo -1 0 0x2E 2 0x3B 0 1 \"Combination\"\r\n"
                          "SimCtlC -1 0 0x2E 2 0XFFFFFFFF 0 1 \"Control c\"\r\n"
                          "SimButton 5 -1 -2 0 0x0 -1\r\n";

struct KeyboardFixture : WindowFixture
{
    gui::KeyboardPage* page = nullptr;

    KeyboardFixture()
    {
        open(kFile);
        page = window->keyboardPage();
        showPage(gui::MainWindow::SpareKeysPageIndex);
    }

    QColor colour(int labelIndex) const { return page->keyLabel(labelIndex)->background(); }
    void tick(int box) { find<QCheckBox>(QStringLiteral("ChkModifier_%1").arg(box))->click(); }
    QString label(const QString& name) const { return find<QLabel>(name)->text(); }
    /** The hover read-outs: the key's code, the function and its description. */
    QStringList readOuts() const
    {
        return {label(QStringLiteral("Label3")), label(QStringLiteral("Label7")), label(QStringLiteral("Label8"))};
    }
    void hover(int labelIndex)
    {
        gui::KeyLabel* key = page->keyLabel(labelIndex);
        QTest::mouseMove(key, key->rect().center());
    }
};

} // namespace

class KeyboardPageTest : public QObject
{
    Q_OBJECT

private slots:
    // The page as it starts: 104 labels at their places, None in the paste labels, and the instructions.
    void layoutHas104LabelsAtTheirPlaces()
    {
        WindowFixture f(testing::created);
        f.showPage(gui::MainWindow::SpareKeysPageIndex);
        gui::KeyboardPage* page = f.window->keyboardPage();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(f.find<QLabel>(QStringLiteral("Label6_%1").arg(i))->text(), QStringLiteral("None"));
        const QString html = f.find<QTextEdit>(QStringLiteral("RichTextBox1"))->toPlainText();
        QVERIFY(html.startsWith(QStringLiteral("Instructions\n1.) Move your mouse over the virtual keyboard")));
        QVERIFY(html.contains(QStringLiteral("you must select both adjacent columns to paste into.")));
        QVERIFY(html.endsWith(QStringLiteral("because I'm too lazy to develop an appropriate help file!")));
        const QString source = gui::keyboardInstructionsHtml(10);
        for (const char* part : {"<b>Instructions</b>", "<span style=\"color:#0000ff\">2.)</span>", "<i>adjacent</i>",
                 "font-family:Arial; font-size:10pt"})
            QVERIFY2(source.contains(QLatin1String(part)), part);
        QCOMPARE(print::keyboardLayout().size(), 104);
        QCOMPARE(page->keyLabels().size(), 104);
        int disabled = 0;
        for (const auto& spec : print::keyboardLayout()) {
            gui::KeyLabel* key = page->keyLabel(spec.index);
            QVERIFY(key);
            QCOMPARE(key->caption(), spec.caption);
            QCOMPARE(key->isEnabled(), !spec.disabled);
            QCOMPARE(key->geometry(),
                gui::twipsRect(spec.twips.x(), spec.twips.y(), spec.twips.width(), spec.twips.height()));
            disabled += spec.disabled ? 1 : 0;
        }
        QCOMPARE(disabled, 7);
        // Frames and the instructions at their places in the tab control at the standard size.
        auto* tabs = f.tabs();
        QCOMPARE(f.find<QWidget>(QStringLiteral("Frame1"))->mapTo(tabs, QPoint()), QPoint(gui::px(180), gui::px(480)));
        QCOMPARE(f.find<QWidget>(QStringLiteral("Frame2"))->geometry().size(), QSize(gui::px(3315), gui::px(2955)));
        QCOMPARE(f.find<QWidget>(QStringLiteral("RichTextBox1"))->mapTo(tabs, QPoint()),
            QPoint(gui::px(120), gui::px(5400)));
        QCOMPARE(page->keyLabel(78)->caption(), QStringLiteral("      +"));
        QCOMPARE(page->keyLabel(156)->caption(), QStringLiteral("    Ent"));
        QCOMPARE(page->keyLabel(78)->height(), gui::px(735));
        // The keyboard grows with the window and keeps its proportions.
        f.window->resizeControls(30000, 20790);
        gui::KeyLabel* space = page->keyLabel(57);
        QVERIFY(qAbs(space->width() - 2 * 1755 / 15) <= 1);
        QVERIFY(qAbs(space->height() - 2 * 375 / 15) <= 1);
        f.window->resizeControls(15000, 10395);
        QCOMPARE(space->size(), QSize(gui::px(1755), gui::px(375)));
    }

    void colouringFollowsTheEngine_data()
    {
        QTest::addColumn<int>("modifier");
        for (int m = 0; m < 8; ++m)
            QTest::addRow("modifier %d", m) << m;
    }

    void colouringFollowsTheEngine()
    {
        QFETCH(int, modifier);
        WindowFixture f;
        f.start(testing::samplePath(QStringLiteral("tarnwick-sample.key")));
        f.showPage(gui::MainWindow::SpareKeysPageIndex);
        for (int box = 0; box < 3; ++box)
            if (modifier & (1 << box))
                f.find<QCheckBox>(QStringLiteral("ChkModifier_%1").arg(box))->click();
        const auto usage = core::KeyboardUsage::compute(f.session()->document(), modifier);
        gui::KeyboardPage* page = f.window->keyboardPage();
        int coloured = 0;
        for (int row = 0; row < core::KeyCodeTable::KeyCount; ++row) {
            const auto& key = core::KeyCodeTable::row(row);
            const core::KeyUse use = usage.forTableRow(row).use;
            const QColor expected = use == core::KeyUse::Free ? QColor()
                : use == core::KeyUse::Assigned               ? QColor(0, 255, 0)
                                                              : QColor(255, 0, 0);
            QVERIFY2(page->keyLabel(key.labelIndex)->background() == expected, key.keyName.data());
            coloured += use == core::KeyUse::Free ? 0 : 1;
        }
        QVERIFY(modifier == 7 || coloured > 0);
        // Disabled keys (the modifiers themselves) are never coloured.
        for (const auto& spec : print::keyboardLayout())
            QVERIFY(!spec.disabled || !page->keyLabel(spec.index)->background().isValid());
    }

    void hoverShowsTheFirstMatchingLine()
    {
        KeyboardFixture f;
        f.hover(48);
        QCOMPARE(f.readOuts(), QStringList({"0X30", "SimTwiceA", "\"Twice A\" "}));
        QCOMPARE(f.page->keyLabel(48)->toolTip(),
            QStringLiteral(
                "SimTwiceA\nSimTwiceB\n\nProblems:\nb is bound to 2 functions: SimTwiceA (line 3), SimTwiceB "
                "(line 4)"));
        // The Description caption stands clear of its read-out.
        QVERIFY(f.find<QLabel>(QStringLiteral("Label4_12"))->geometry().right()
            < f.find<QLabel>(QStringLiteral("Label8"))->x());
        // A free key: its code, and empty read-outs.
        f.hover(18);
        QCOMPARE(f.readOuts(), QStringList({"0X12", "", ""}));
        // A disabled label changes nothing.
        f.hover(48);
        QTest::mouseMove(f.page->keyLabel(42), f.page->keyLabel(42)->rect().center());
        QCOMPARE(f.label(QStringLiteral("Label3")), QStringLiteral("0X30"));
        // With Control, c is assigned; the first line with key c and modifier 2 is the combination line.
        f.tick(1);
        f.hover(46);
        QCOMPARE(f.label(QStringLiteral("Label7")), QStringLiteral("SimCombo"));
    }

    // A click copies the key for pasting; leaving for the page clears the hover read-outs but not the copy, and opening
    // a file resets the page.
    void clickCopiesTheKeyForPasting_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("modifier");
        QTest::addColumn<QString>("associated");
        QTest::newRow("no modifier keeps the space") << -1 << int(Qt::LeftButton) << "0" << QStringLiteral(" a");
        QTest::newRow("shift, right button") << 0 << int(Qt::RightButton) << "1" << QStringLiteral("SHF a");
        QTest::newRow("alt") << 2 << int(Qt::LeftButton) << "4" << QStringLiteral("ALT a");
    }

    void clickCopiesTheKeyForPasting()
    {
        QFETCH(int, box);
        QFETCH(int, button);
        QFETCH(QString, modifier);
        QFETCH(QString, associated);
        KeyboardFixture f;
        if (box >= 0)
            f.tick(box);
        f.hover(48);
        f.hover(30);
        QTest::mouseClick(f.page->keyLabel(30), Qt::MouseButton(button), {}, f.page->keyLabel(30)->rect().center());
        QCOMPARE(QStringList({f.label("Label6_0"), f.label("Label6_1"), f.label("Label6_2")}),
            QStringList({"0X1E", modifier, associated}));
        QCOMPARE(f.window->keyFilePage()->editing()->pasteKeyCode(), QStringLiteral("0X1E"));
        QCOMPARE(f.window->keyFilePage()->editing()->pasteModifier(), modifier.toInt());
        QTest::mouseMove(f.page, QPoint(f.page->width() - 5, f.page->height() - 5));
        QCOMPARE(f.readOuts(), QStringList({"", "", ""}));
        QCOMPARE(f.label(QStringLiteral("Label6_0")), QStringLiteral("0X1E"));
        QCOMPARE(f.panel(1), QStringLiteral(" Select the tab to display how you want to view the key file data."));
        f.hover(30);
        f.session()->open(f.dir.filePath(QStringLiteral("k.key")));
        QCOMPARE(QStringList({f.label("Label6_0"), f.label("Label3")}), QStringList({"", ""}));
        QVERIFY(box < 0 || !f.find<QCheckBox>(QStringLiteral("ChkModifier_%1").arg(box))->isChecked());
        QCOMPARE(f.window->keyFilePage()->editing()->pasteKeyCode(), QString());
        // The colours come back, from the file as opened, when the keyboard is next shown.
        f.showPage(gui::MainWindow::SpareKeysPageIndex);
        QCOMPARE(f.colour(30), QColor(0, 255, 0));
    }

    void toolTipOfAKeyUsedByManyLinesStaysShort()
    {
        std::string bytes;
        for (int i = 0; i < 25; ++i)
            bytes += "SimF" + std::to_string(i) + " -1 0 0x1E 0 0 0 1 \"d\"\r\n";
        WindowFixture f(bytes);
        f.showPage(gui::MainWindow::SpareKeysPageIndex);
        gui::KeyLabel* a = f.window->keyboardPage()->keyLabel(30);
        WindowFixture::hover(a, a->rect().center());
        const QStringList lines = a->toolTip().split(QLatin1Char('\n'));
        // Twenty functions, a count of the rest, and the problem (its text is the check's).
        QCOMPARE(lines.size(), 24);
        QCOMPARE(QStringList({lines.first(), lines[19], lines[20], lines[22]}),
            QStringList({"SimF0", "SimF19", "and 5 more", "Problems:"}));
    }

    // Keys involved in a problem carry a mark for the ticked modifiers; the list shows every combination at once and
    // ticks an item's modifiers when clicked. Both follow edits and undo.
    void problemKeysAreMarkedOnEveryLayer()
    {
        KeyboardFixture f;
        QListWidget* list = f.page->layersList();
        QVERIFY(f.page->keyLabel(48)->isMarked()); // b: two functions with no modifier
        QVERIFY(!f.page->keyLabel(30)->isMarked()); // a: one
        QCOMPARE(list->count(), 1);
        QCOMPARE(
            list->item(0)->text(), QStringLiteral("b is bound to 2 functions: SimTwiceA (line 3), SimTwiceB (line 4)"));

        // SimOnce moves to Shift+a, where SimShift is.
        QVERIFY(f.session()->edit({{1, core::ModifierColumn, QStringLiteral("1")}}, QStringLiteral("Edit")));
        QCOMPARE(list->count(), 2);
        QListWidgetItem* shiftA = list->item(1);
        QCOMPARE(shiftA->text(), QStringLiteral("SHF a is bound to 2 functions: SimOnce (line 2), SimShift (line 5)"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(shiftA).center());
        QCOMPARE(f.page->modifierValue(), 1);
        QVERIFY(f.page->keyLabel(30)->isMarked());
        QVERIFY(!f.page->keyLabel(48)->isMarked());

        // One function twice is red but no conflict: listed apart, without a mark.
        f.session()->undoStack()->undo();
        QVERIFY(f.session()->edit({{3, core::SimNameColumn, QStringLiteral("SimTwiceA")}}, QStringLiteral("Edit")));
        f.page->setModifierValue(0);
        QCOMPARE(f.colour(48), QColor(255, 0, 0));
        QVERIFY(!f.page->keyLabel(48)->isMarked());
        QCOMPARE(list->count(), 1);
        QVERIFY(list->item(0)->text().startsWith(QStringLiteral("b: red, not a conflict")));
    }
};

QTEST_MAIN(KeyboardPageTest)
#include "KeyboardPageTest.moc"

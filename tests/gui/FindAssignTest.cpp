#include "WindowFixture.h"

#include "core/KeyCodeTable.h"
#include "gui/GridEditing.h"
#include "gui/KeyAssigner.h"
#include "gui/KeyCaptureEdit.h"
#include "gui/KeyboardPage.h"
#include "gui/platform/NativeKeyCodes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QUndoStack>

using gui::AssignAnswer;
using testing::WindowFixture;

namespace {

struct FindFixture : WindowFixture
{
    QString path;
    gui::GridPage* page = nullptr;

    explicit FindFixture(bool background = false)
    {
        create();
        if (background) // as a big file is: checked, and its sections found, on a worker
            session()->setBackgroundCheckBytes(0);
        path = open(testing::readBytes(testing::testDataPath(QStringLiteral("sections.key"))));
        page = window->keyFilePage();
    }

    int rowOf(const char* name) const
    {
        const auto& doc = session()->document();
        for (int r = 0; r < doc.rowCount(); ++r)
            if (doc.cell(r, core::SimNameColumn) == name)
                return r;
        return -1;
    }
    QString count() const { return page->findBar()->count()->text(); }
    // A key press as the X server delivers it: by its evdev code plus 8, whatever the layout prints.
    static QKeyEvent press(std::uint32_t directInput, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const auto keycode = gui::platform::xkbKeycodeOfDirectInput(directInput);
        return QKeyEvent(QEvent::KeyPress, Qt::Key_unknown, modifiers, keycode.value_or(0), 0, 0);
    }
    AssignAnswer answer(AssignAnswer::Action action, const char* keys) const
    {
        AssignAnswer a;
        a.action = action;
        if (const auto combination = core::parseKeys(keys).combination)
            a.combination = *combination;
        return a;
    }
    void selectKeys(const char* name) const
    {
        const int view = page->viewRowOfDocument(rowOf(name));
        keyGrid()->selectBlock(view, core::KeyColumn, view, core::KeyColumn);
    }
};

} // namespace

/** The find bar, the key capture, the assign dialog and the in-cell editor. */
class FindAssignTest : public QObject
{
    Q_OBJECT

private slots:
    // Every key of the table, on each platform, maps to its code and back; the odd ones by name.
    void nativeCodeTables()
    {
        for (int row = 0; row < core::KeyCodeTable::KeyCount; ++row) {
            const std::uint32_t code = core::KeyCodeTable::row(row).scanCode;
            const auto xkb = gui::platform::xkbKeycodeOfDirectInput(code);
            QVERIFY2(xkb && gui::platform::directInputOfXkbKeycode(*xkb) == code,
                core::KeyCodeTable::row(row).keyName.data());
            const auto windows = gui::platform::windowsScanCodeOfDirectInput(code);
            QVERIFY(windows && gui::platform::directInputOfWindowsScanCode(*windows) == code);
        }
        QCOMPARE(gui::platform::directInputOfXkbKeycode(119 + 8), 0xC5u); // Pause
        QCOMPARE(gui::platform::directInputOfXkbKeycode(30 + 8), 0x1Eu); // a
        QCOMPARE(gui::platform::directInputOfXkbKeycode(103 + 8), 0xC8u); // up arrow
        QVERIFY(!gui::platform::directInputOfXkbKeycode(240 + 8));
        QCOMPARE(gui::platform::directInputOfWindowsScanCode(0x45), 0xC5u); // Pause, behind its E1 prefix
        QCOMPARE(gui::platform::directInputOfWindowsScanCode(0x145), 0x45u); // NumLock, sent as extended
        QCOMPARE(gui::platform::directInputOfWindowsScanCode(0x148), 0xC8u);
        QCOMPARE(gui::platform::directInputOfWindowsScanCode(0x1C), 0x1Cu);
    }

    // The filter shows matching lines, block edits stay in them; the section list goes to a section.
    void filterAndSections()
    {
        FindFixture f;
        QCOMPARE(f.count(), QStringLiteral("12 lines"));
        f.page->focusFilter(false);
        QTest::keyClicks(f.page->findBar()->filter(), QStringLiteral("TOGGLE landing"));
        QCOMPARE(f.count(), QStringLiteral("1 of 12 lines"));
        f.page->findBar()->filter()->setText(QStringLiteral("toggle"));
        QCOMPARE(WindowFixture::shownColumn(f.keyGrid(), 1), QStringList({"AFGearToggle", "SimHookToggle"}));
        // Paste over the whole view changes the two lines shown and nothing else.
        auto* editing = f.window->keyFilePage()->editing();
        editing->setPasteKey(QStringLiteral("0X3B"), 0);
        f.keyGrid()->selectBlock(0, 4, 1, 4);
        editing->paste();
        QCOMPARE(f.session()->cellText(f.rowOf("AFGearToggle"), 4), QStringLiteral("0X3B"));
        QCOMPARE(f.session()->cellText(f.rowOf("SimHookToggle"), 4), QStringLiteral("0X3B"));
        QCOMPARE(f.session()->cellText(f.rowOf("AFElevatorTrimUp"), 4), QStringLiteral("0xC8"));
        // Esc empties the filter; comments come back.
        QTest::keyClick(f.page->findBar()->filter(), Qt::Key_Escape);
        QCOMPARE(f.keyGrid()->model()->rowCount(), 13);
        QCOMPARE(f.count(), QStringLiteral("12 lines"));
        // A filter of thousands of characters finds nothing and hangs nothing.
        f.page->findBar()->filter()->setText(QString(5000, QLatin1Char('x')));
        QCOMPARE(f.count(), QStringLiteral("0 of 12 lines"));
        // The section list goes to a section hidden by the filter, which is cleared.
        QComboBox* sections = f.page->findBar()->sections();
        QCOMPARE(sections->count(), 5);
        QCOMPARE(sections->itemText(2), QStringLiteral("    1.01 GEAR PANEL"));
        sections->activated(3); // 1.02 TRIM
        QCOMPARE(f.page->findBar()->filter()->text(), QString());
        QCOMPARE(f.page->documentRowOfView(f.keyGrid()->anchorIndex().row()), 7);
        QCOMPARE(WindowFixture::shown(f.keyGrid(), f.keyGrid()->anchorIndex().row(), 1), QStringLiteral("1.02 TRIM"));
        QCOMPARE(f.keyGrid()->columnSpan(f.keyGrid()->anchorIndex().row(), 1), 9);
        // The list page has its own.
        QCOMPARE(f.window->keysAssignedPage()->findBar()->sections()->count(), 5);
        // A line edited into a headline is a section, spanned across the grid; undone, it is neither.
        const int hook = f.rowOf("SimHookToggle");
        QVERIFY(f.session()->edit({{hook, core::AssignableColumn, QStringLiteral("-1")}}, QStringLiteral("Edit")));
        QCOMPARE(sections->count(), 6);
        const int shown = f.page->viewRowOfDocument(hook);
        QCOMPARE(f.keyGrid()->columnSpan(shown, 1), 9);
        f.session()->undoStack()->undo();
        QCOMPARE(QList<int>({sections->count(), f.keyGrid()->columnSpan(shown, 1)}), QList<int>({5, 1}));
    }

    // A big file's sections come with its background check, which also hands its bindings to the window: a row
    // edited meanwhile keeps the binding of its edit.
    void sectionsAndBindingsFromTheBackgroundCheck_data()
    {
        QTest::addColumn<QString>("assignable");
        QTest::addColumn<int>("sections");
        QTest::newRow("nothing edited") << QString() << 5;
        QTest::newRow("edited into a headline meanwhile") << QStringLiteral("-1") << 6;
        QTest::newRow("a headline edited out meanwhile") << QStringLiteral("1") << 4;
    }

    void sectionsAndBindingsFromTheBackgroundCheck()
    {
        QFETCH(QString, assignable);
        QFETCH(int, sections);
        FindFixture f(true);
        QVERIFY(f.session()->problemsPending());
        const int row = f.rowOf(sections == 4 ? "SimDoNothing" : "SimHookToggle");
        if (!assignable.isEmpty())
            QVERIFY(f.session()->edit({{row, core::AssignableColumn, assignable}}, QStringLiteral("Edit")));
        QTRY_VERIFY(!f.session()->problemsPending());
        QCOMPARE(f.page->findBar()->sections()->count(), sections);
        QCOMPARE(f.window->keysAssignedPage()->findBar()->sections()->count(), sections);
        const core::KeyDocument& document = f.session()->document();
        for (int r = 0; r < document.rowCount(); ++r)
            QCOMPARE(document.binding(r),
                document.isComment(r) ? core::Binding::comment() : core::Binding::of(document.cells(r)));
    }

    void keyCaptureFindsTheLinesBoundToAKey()
    {
        FindFixture f;
        gui::KeyCaptureEdit* capture = f.page->findBar()->capture();
        QVERIFY(capture->takeKey(FindFixture::press(0x22))); // g
        QCOMPARE(capture->text(), QStringLiteral("g"));
        QCOMPARE(WindowFixture::shownColumn(f.keyGrid(), 1), QStringList({"AFGearToggle", "SimDoNothing"}));
        QCOMPARE(f.count(), QStringLiteral("2 of 12 lines"));
        capture->clearCombination();
        QVERIFY(capture->takeKey(FindFixture::press(0xC8, Qt::ShiftModifier)));
        QCOMPARE(capture->text(), QStringLiteral("SHF UARROW"));
        QCOMPARE(f.keyGrid()->model()->rowCount(), 2);
        // A second key soon after the first makes a two-stroke combination.
        capture->clearCombination();
        capture->takeKey(FindFixture::press(0x2E, Qt::AltModifier));
        capture->takeKey(FindFixture::press(0x10, Qt::AltModifier));
        QCOMPARE(capture->text(), QStringLiteral("ALT c  ALT q"));
        QCOMPARE(f.keyGrid()->model()->rowCount(), 2);
        capture->clearCombination();
        QVERIFY(capture->takeKey(FindFixture::press(0x3B, Qt::ControlModifier)));
        QCOMPARE(f.count(), QStringLiteral("free"));
        // Keys that key files cannot name, or must not bind.
        QVERIFY(!capture->takeKey(FindFixture::press(0xC5)));
        QCOMPARE(capture->text(), gui::KeyCaptureEdit::pauseText());
        QVERIFY(!capture->takeKey(QKeyEvent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, 250, 0, 0)));
        QCOMPARE(capture->text(), QStringLiteral("this key has no code in key files"));
        QCOMPARE(f.keyGrid()->model()->rowCount(), 0);
    }

    // The dialog's answer: a free key assigned; a taken one refused unless taken over, in one undo step.
    void assignDialog()
    {
        FindFixture f;
        const std::string bytes = f.session()->document().toBytes();
        f.selectKeys("AFGearToggle");
        f.prompts.answerAssign(f.answer(AssignAnswer::Assign, "CTL ALT o"));
        QVERIFY(f.window->keyFilePage()->editing()->assignKey());
        QCOMPARE(f.lastMessage(), QStringList({"AFGearToggle (line 5)", "g"}));
        QCOMPARE(f.prompts.lastPreview.cells, QStringList({"0X18", "6", "0", "0"}));
        QVERIFY(f.prompts.lastPreview.takenBy.isEmpty());
        QCOMPARE(QString::fromStdString(f.session()->document().lineText(f.rowOf("AFGearToggle"))),
            QStringLiteral("AFGearToggle -1 0 0X18 6 0 0 1 \"GEAR: Landing gear handle - Toggle\""));

        f.selectKeys("SimHookToggle");
        f.prompts.answerAssign(f.answer(AssignAnswer::Assign, "SHF UARROW"));
        QVERIFY(!f.window->keyFilePage()->editing()->assignKey());
        QVERIFY(f.prompts.lastPreview.blocked);
        QCOMPARE(f.prompts.lastPreview.takenBy,
            QStringList({"AFElevatorTrimUp (line 9, 1.02 TRIM)", "AFResetTrim (line 10, 1.02 TRIM)"}));
        f.prompts.answerAssign(f.answer(AssignAnswer::TakeOver, "SHF UARROW"));
        QVERIFY(f.window->keyFilePage()->editing()->assignKey());
        QCOMPARE(f.session()->undoStack()->undoText(), QStringLiteral("Take over key"));
        for (const char* name : {"AFElevatorTrimUp", "AFResetTrim"})
            QCOMPARE(f.session()->cellText(f.rowOf(name), 4), QStringLiteral("0XFFFFFFFF"));
        f.session()->undoStack()->undo();
        f.session()->undoStack()->undo();
        QCOMPARE(f.session()->document().toBytes(), bytes);
        // A reference line may share a key; the gear may not.
        f.prompts.answerAssign(f.answer(AssignAnswer::Assign, "g"));
        QVERIFY(!f.window->keyFilePage()->editing()->assignKey());
        QCOMPARE(f.prompts.lastPreview.takenBy,
            QStringList(
                {"AFGearToggle (line 5, 1.01 GEAR PANEL)", "SimDoNothing (line 7, 1.01 GEAR PANEL, may share it)"}));
        // Clear empties the keys.
        f.prompts.answerAssign(f.answer(AssignAnswer::Clear, ""));
        QVERIFY(f.window->keyFilePage()->editing()->assignKey());
        QCOMPARE(f.session()->cellText(f.rowOf("SimHookToggle"), 4), QStringLiteral("0XFFFFFFFF"));
    }

    // Two more ways to edit a line: the in-cell editor, which refuses what the cell cannot hold, and a free key of
    // the keyboard clicked for the selected line.
    void inCellEditorAndKeyboardClick()
    {
        FindFixture f;
        auto* editing = f.window->keyFilePage()->editing();
        const int view = f.page->viewRowOfDocument(f.rowOf("SimHookToggle"));
        f.prompts.answerMessage(gui::PromptAnswer::Ok);
        QVERIFY(!editing->commitCellText(view, core::IgnoredColumn, QStringLiteral("two words")));
        QCOMPARE(f.lastMessage(),
            QStringList({"Can't put that in the cell", "Line 6: The Ignored cell holds a whole number."}));
        QCOMPARE(f.session()->undoStack()->count(), 0);
        QVERIFY(editing->commitCellText(view, core::DescriptionColumn, QStringLiteral("\"Hook: up, down & \"out\"\"")));
        QCOMPARE(QString::fromStdString(f.session()->document().lineText(f.rowOf("SimHookToggle"))),
            QStringLiteral("SimHookToggle -1 0 0x25 2 0 0 1 \"Hook: up, down & \"out\"\""));
        QCOMPARE(f.session()->undoStack()->undoText(), QStringLiteral("Edit"));
        f.selectKeys("AFGearToggle");
        f.showPage(gui::MainWindow::SpareKeysPageIndex);
        f.find<QCheckBox>(QStringLiteral("ChkModifier_1"))->click();
        gui::KeyLabel* key = f.window->keyboardPage()->keyLabel(0x18); // o
        f.prompts.answerMessage(gui::PromptAnswer::Yes);
        QTest::mouseMove(key, QPoint(2, 2));
        QTest::mouseClick(key, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(f.prompts.asked.last().text, QStringLiteral("Assign CTL o to AFGearToggle (line 5)?"));
        QCOMPARE(f.session()->cellText(f.rowOf("AFGearToggle"), 4), QStringLiteral("0X18"));
        QCOMPARE(key->background(), gui::KeyboardPage::AssignedColour);
    }
};

QTEST_MAIN(FindAssignTest)
#include "FindAssignTest.moc"

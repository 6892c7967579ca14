#include "WindowFixture.h"

#include "gui/GridEditing.h"
#include "gui/GridProxy.h"
#include "gui/KeyboardPage.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QUndoStack>

using testing::WindowFixture;

namespace {

const std::string kFile = "# comment line\r\n"
                          "SimA  -1 0 0x1E 0 0XFFFFFFFF 0 1 \"Alpha\"\r\n"
                          "SimB -1 -1 0x30 1 0XFFFFFFFF 0 1 \"Beta\"\r\n"
                          "SimC -1 0 0x2E 2 0XFFFFFFFF 0 1 \"Gamma\"\r\n"
                          "SimD -1 32768 0x20 4 0XFFFFFFFF 0 1 \"Delta\"\r\n"
                          "SimE -1 x 0x12 0 0XFFFFFFFF 0 1 \"Echo\"\r\n";

struct EditFixture : WindowFixture
{
    gui::GridView* grid = nullptr;
    gui::GridEditing* editing = nullptr;
    QString path;

    EditFixture()
    {
        path = open(kFile, QStringLiteral("e.key"));
        grid = keyGrid();
        editing = window->keyFilePage()->editing();
    }

    QString cell(int row, int column) const { return session()->cellText(row, column); }
    QStringList block(int r1, int c1, int r2, int c2) const
    {
        QStringList cells;
        for (int r = r1; r <= r2; ++r)
            for (int c = c1; c <= c2; ++c)
                cells << cell(r, c);
        return cells;
    }
    bool popup() { return editing->popupMenu(QPoint(10, 10)); }
    void menuItem(QAction* action)
    {
        QVERIFY(popup());
        action->trigger();
        editing->menu()->hide();
    }
    QUndoStack* undo() const { return session()->undoStack(); }
    std::string bytes() const { return session()->document().toBytes(); }
};

} // namespace

/** Typing, the right-button menu, undo and redo, and the views that follow every change. */
class EditingTest : public QObject
{
    Q_OBJECT

private slots:
    void typing_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        const auto row = [](const char* name, Qt::Key key, Qt::KeyboardModifiers modifiers, const char* before,
                             const char* after) {
            QTest::newRow(name) << int(key) << int(modifiers) << QString::fromLatin1(before)
                                << QString::fromLatin1(after);
        };
        row("digit", Qt::Key_4, Qt::NoModifier, "0", "04");
        row("keypad digit", Qt::Key_7, Qt::KeypadModifier, "0", "07");
        row("letter", Qt::Key_A, Qt::NoModifier, "0x", "0xa");
        row("shift letter", Qt::Key_A, Qt::ShiftModifier, "0x", "0xA");
        // Keys held with Control or Alt are shortcuts (Ctrl+Z, Ctrl+F) and menus (Alt+F), never typed.
        row("control shift letter", Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier, "0x", "0x");
        row("alt letter", Qt::Key_Z, Qt::AltModifier, "", "");
        row("shift digit as symbol", Qt::Key_Exclam, Qt::ShiftModifier, "", "1");
        row("backspace", Qt::Key_Backspace, Qt::NoModifier, "0x1E", "0x1");
        // Keys that change no byte are no edit: the document stays saved.
        row("backspace on an empty cell", Qt::Key_Backspace, Qt::NoModifier, "", "");
        row("function key ignored", Qt::Key_F1, Qt::NoModifier, "0x1E", "0x1E");
        row("period ignored", Qt::Key_Period, Qt::NoModifier, "0x1E", "0x1E");
    }

    void typing()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, before);
        QFETCH(QString, after);
        EditFixture f;
        f.session()->edit({{1, 4, before}}, QStringLiteral("set up"));
        f.undo()->setClean();
        f.grid->selectBlock(1, 4, 1, 4);
        QTest::keyClick(f.grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(f.cell(1, 4), after);
        // A release whose press the grid never saw (a shortcut took it, Control let go first) types nothing.
        QTest::keyRelease(f.grid, Qt::Key(key), Qt::NoModifier);
        QCOMPARE(f.cell(1, 4), after);
        const bool modified = before != after;
        QCOMPARE(f.savedState(), modified ? gui::SavedState::Modified : gui::SavedState::Saved);
        QCOMPARE(f.panelTip(3),
            modified ? QStringLiteral("e.key has been modified and isn't saved") : QStringLiteral("e.key is saved"));
    }

    // Typing into one cell is one step, typed back is none; typing into a block or a comment is no edit at all.
    void typingIsOneStepPerCell()
    {
        EditFixture f;
        f.grid->selectBlock(2, 9, 2, 9);
        QTest::keyClick(f.grid, Qt::Key_X, Qt::NoModifier);
        QTest::keyClick(f.grid, Qt::Key_Y, Qt::NoModifier);
        QCOMPARE(f.cell(2, 9), QStringLiteral("\"Beta\" xy"));
        QCOMPARE(f.undo()->count(), 1);
        QCOMPARE(f.undo()->undoText(), QStringLiteral("Typing"));
        QTest::keyClick(f.grid, Qt::Key_Backspace, Qt::NoModifier);
        QTest::keyClick(f.grid, Qt::Key_Backspace, Qt::NoModifier);
        // Typed back to what was read: no step is left, and the file's own spacing is written again.
        QCOMPARE(f.undo()->count(), 0);
        QCOMPARE(f.savedState(), gui::SavedState::Saved);
        QCOMPARE(f.bytes(), kFile);
        // Typing into another cell is another step.
        QTest::keyClick(f.grid, Qt::Key_1, Qt::NoModifier);
        f.grid->selectBlock(2, 2, 2, 2);
        QTest::keyClick(f.grid, Qt::Key_2, Qt::NoModifier);
        QCOMPARE(f.undo()->count(), 2);
        // Typing into a block, typing into a comment and clearing a comment are no edit.
        f.grid->selectBlock(1, 4, 1, 5);
        QTest::keyClick(f.grid, Qt::Key_1, Qt::NoModifier);
        QCOMPARE(f.block(1, 4, 1, 5), QStringList({"0x1E", "0"}));
        f.grid->selectBlock(0, 1, 0, 1);
        QTest::keyClick(f.grid, Qt::Key_1, Qt::NoModifier);
        QCOMPARE(f.cell(0, 1), QStringLiteral("# comment line"));
        f.grid->selectBlock(0, 4, 0, 7);
        f.editing->clearAssignment();
        QCOMPARE(f.undo()->count(), 2);
    }

    void ignoredCellDecidesTheMenu_data()
    {
        QTest::addColumn<QString>("ignored");
        QTest::addColumn<bool>("opens");
        // "32767.5": a half rounds to even, out of range; "-0.4" rounds to 0; hex is not a number.
        for (const char* ignored : {"0", "32767", "-0.4"})
            QTest::newRow(ignored) << QString::fromLatin1(ignored) << true;
        for (const char* ignored : {"-1", "32768", "", "32767.5", "0x1"})
            QTest::newRow(ignored) << QString::fromLatin1(ignored) << false;
    }

    void ignoredCellDecidesTheMenu()
    {
        QFETCH(QString, ignored);
        QFETCH(bool, opens);
        QCOMPARE(gui::ignoredCellAllowsMenu(ignored), opens);
    }

    // The menu's conditions are those of the cell where the selection started, whichever way it was dragged.
    void menuOpensOverKeyAndModifierColumns_data()
    {
        QTest::addColumn<QPoint>("start"); // column, row
        QTest::addColumn<QPoint>("end");
        QTest::addColumn<bool>("opens");
        QTest::newRow("keys, ignored 0") << QPoint(4, 1) << QPoint(4, 1) << true;
        QTest::newRow("combination modifiers") << QPoint(7, 1) << QPoint(7, 1) << true;
        QTest::newRow("from modifiers left to ignored") << QPoint(5, 1) << QPoint(3, 1) << true;
        QTest::newRow("from keys right to description") << QPoint(4, 1) << QPoint(9, 1) << true;
        QTest::newRow("from description left to keys") << QPoint(9, 1) << QPoint(4, 1) << false;
        QTest::newRow("cockpit id column") << QPoint(2, 1) << QPoint(2, 1) << false;
        QTest::newRow("ignored -1") << QPoint(5, 2) << QPoint(5, 2) << false;
        QTest::newRow("comment row") << QPoint(4, 0) << QPoint(4, 0) << false;
    }

    void menuOpensOverKeyAndModifierColumns()
    {
        QFETCH(QPoint, start);
        QFETCH(QPoint, end);
        QFETCH(bool, opens);
        EditFixture f;
        for (int c = 1; c < 10; ++c)
            f.grid->setColumnWidth(c, 60);
        // A drag with the mouse: pressed on one cell, moved to the other.
        const QRect from = f.grid->visualRect(f.grid->model()->index(start.y(), start.x()));
        const QRect to = f.grid->visualRect(f.grid->model()->index(end.y(), end.x()));
        QTest::mousePress(f.grid->viewport(), Qt::LeftButton, {}, from.center());
        QMouseEvent move(QEvent::MouseMove, QPointF(to.center()), f.grid->viewport()->mapToGlobal(QPointF(to.center())),
            Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.grid->viewport(), &move);
        QTest::mouseRelease(f.grid->viewport(), Qt::LeftButton, {}, to.center());
        if (start.y() > 0) // a comment row is one cell across
            QCOMPARE(f.grid->anchorIndex().column(), start.x());
        QCOMPARE(f.popup(), opens);
        f.editing->menu()->hide();
    }

    void pasteIsEnabledOnlyWithACopiedKeyAndStaysAfterASave()
    {
        EditFixture f;
        // Paste and Clear enabled in the menu over the keys of line 2.
        const auto enabled = [&f] {
            f.grid->selectBlock(1, 4, 1, 4);
            const bool opened = f.popup();
            f.editing->menu()->hide();
            return QList<bool>{opened, f.editing->pasteAction()->isEnabled(), f.editing->clearAction()->isEnabled()};
        };
        QCOMPARE(enabled(), QList<bool>({true, false, true}));
        f.editing->setPasteKey(QStringLiteral("0X3B"), 3);
        f.trigger(QStringLiteral("mnuFileSave"));
        QCOMPARE(enabled(), QList<bool>({true, true, true}));
        // Opening a file forgets the copied key.
        f.window->session()->open(f.path);
        QCOMPARE(enabled(), QList<bool>({true, false, true}));
    }

    void pasteAndClearCoverTheBlockInAnyDirection_data()
    {
        QTest::addColumn<QRect>("drag"); // anchor (left, top) to selection end (right, bottom), as points
        QTest::newRow("down right") << QRect(QPoint(4, 1), QPoint(5, 3));
        QTest::newRow("up left") << QRect(QPoint(5, 3), QPoint(4, 1));
        QTest::newRow("down left") << QRect(QPoint(5, 1), QPoint(4, 3));
    }

    void pasteAndClearCoverTheBlockInAnyDirection()
    {
        QFETCH(QRect, drag);
        EditFixture f;
        f.editing->setPasteKey(QStringLiteral("0X3B"), 3);
        f.grid->selectBlock(drag.top(), drag.left(), drag.bottom(), drag.right());
        f.menuItem(f.editing->pasteAction());
        QCOMPARE(f.block(1, 4, 3, 5), QStringList({"0X3B", "3", "0X3B", "3", "0X3B", "3"}));
        QCOMPARE(f.block(4, 4, 4, 5), QStringList({"0x20", "4"}));
        QCOMPARE(f.block(1, 6, 1, 7), QStringList({"0XFFFFFFFF", "0"}));
        QCOMPARE(f.undo()->undoText(), QStringLiteral("Paste"));
        f.menuItem(f.editing->clearAction());
        QCOMPARE(f.block(1, 4, 3, 5), QStringList({"0XFFFFFFFF", "0", "0XFFFFFFFF", "0", "0XFFFFFFFF", "0"}));
    }

    void wideSelectionIsClippedToKeyAndModifierColumns()
    {
        EditFixture f;
        f.editing->setPasteKey(QStringLiteral("0X1F"), 6);
        f.grid->selectBlock(2, 2, 3, 9);
        f.editing->paste();
        QCOMPARE(f.block(2, 2, 2, 9), QStringList({"-1", "-1", "0X1F", "6", "0X1F", "6", "1", "\"Beta\" "}));
        QCOMPARE(f.cell(1, 4), QStringLiteral("0x1E"));
        QCOMPARE(f.cell(4, 4), QStringLiteral("0x20"));
        f.editing->clearAssignment();
        // Clearing puts "0" into the combination key, not the marker.
        QCOMPARE(f.block(3, 4, 3, 7), QStringList({"0XFFFFFFFF", "0", "0", "0"}));
        // The banner names the anchor cell's key: column 2 is not a key column, so it keeps its text.
        QCOMPARE(f.banner(), QStringLiteral("Ready"));
        f.grid->selectBlock(2, 4, 2, 4);
        f.editing->clearAssignment();
        QCOMPARE(f.banner(), QStringLiteral("Unassigned"));
    }

    // Every kind of edit undoes to the saved bytes and redoes to the edited ones; the saved state follows.
    void undoAndRedoEveryEdit_data() { testing::addRows("kind", {"typing", "paste", "clear"}); }

    void undoAndRedoEveryEdit()
    {
        QFETCH(QString, kind);
        EditFixture f;
        f.editing->setPasteKey(QStringLiteral("0X18"), 6);
        if (kind == QLatin1String("typing")) {
            f.grid->selectBlock(1, 5, 1, 5);
            QTest::keyClick(f.grid, Qt::Key_3, Qt::NoModifier);
        } else {
            f.grid->selectBlock(1, 4, 3, 5);
            kind == QLatin1String("paste") ? f.editing->paste() : f.editing->clearAssignment();
        }
        const std::string edited = f.bytes();
        QVERIFY(edited != kFile);
        auto* undo = f.window->findChild<QAction*>(QStringLiteral("mnuEditUndo"));
        auto* redo = f.window->findChild<QAction*>(QStringLiteral("mnuEditRedo"));
        QCOMPARE(undo->text(), QStringLiteral("&Undo ") + f.undo()->undoText());
        QCOMPARE(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(redo->shortcuts(),
            QList<QKeySequence>({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
        undo->trigger();
        QCOMPARE(f.bytes(), kFile);
        QCOMPARE(f.savedState(), gui::SavedState::Saved);
        redo->trigger();
        QCOMPARE(f.bytes(), edited);
        QCOMPARE(f.savedState(), gui::SavedState::Modified);
        // After a save, undo makes the document modified again and gives the bytes read at opening.
        f.trigger(QStringLiteral("mnuFileSave"));
        QCOMPARE(testing::readBytes(f.path), edited);
        QCOMPARE(f.savedState(), gui::SavedState::Saved);
        undo->trigger();
        QCOMPARE(f.savedState(), gui::SavedState::Modified);
        QCOMPARE(f.bytes(), kFile);
    }

    // Sorting is a view: the file keeps its order, and edits through a sorted grid reach the right lines.
    void sortingIsAView()
    {
        EditFixture f;
        f.grid->selectBlock(0, 1, 0, 1);
        f.click(QStringLiteral("Command2_1"));
        QCOMPARE(WindowFixture::shownColumn(f.grid, 1),
            QStringList({"SimE", "SimD", "SimC", "SimB", "SimA", "# comment line"}));
        QCOMPARE(f.grid->model()->headerData(0, Qt::Vertical).toInt(), 6);
        QCOMPARE(f.grid->columnSpan(5, 1), 9);
        f.editing->setPasteKey(QStringLiteral("0X3B"), 0);
        f.grid->selectBlock(3, 4, 4, 4); // SimB and SimA
        f.editing->paste();
        QCOMPARE(f.block(1, 4, 2, 4), QStringList({"0X3B", "0X3B"}));
        QCOMPARE(f.cell(3, 4), QStringLiteral("0x2E"));
        f.trigger(QStringLiteral("mnuFileSave"));
        QCOMPARE(QByteArray::fromStdString(testing::readBytes(f.path)).indexOf("SimA"),
            QByteArray::fromStdString(kFile).indexOf("SimA"));
        // Sorting by a number column, chosen by its header: numbers as numbers, then Reset back to file order.
        QHeaderView* header = f.grid->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, {header->sectionViewportPosition(3) + 4, 4});
        QCOMPARE(f.grid->selectedBlock(), QRect(QPoint(3, 0), QPoint(3, 5)));
        f.click(QStringLiteral("Command2_0"));
        QCOMPARE(WindowFixture::shownColumn(f.grid, 3), QStringList({"", "-1", "0", "0", "32768", "x"}));
        f.click(QStringLiteral("Command2_2"));
        QCOMPARE(WindowFixture::shownColumn(f.grid, 1).first(), QStringLiteral("# comment line"));
        // The list sorts apart from the file grid.
        f.showPage(gui::MainWindow::KeysAssignedPageIndex);
        f.listGrid()->selectBlock(0, 2, 0, 2);
        f.click(QStringLiteral("Command2_0"));
        QCOMPARE(WindowFixture::shownColumn(f.listGrid(), 2), QStringList({"ALT d", "CTL c", "e", "F1", "SHF F1"}));
        QCOMPARE(WindowFixture::shownColumn(f.grid, 1).first(), QStringLiteral("# comment line"));
    }

    // Rows map both ways in every state of the proxy, unsorted and unfiltered included, and a changed source row
    // reaches the view at its place, or not at all while the filter hides it.
    void proxyMapsRowsBothWays_data()
    {
        QTest::addColumn<bool>("sorted"); // by the one column, descending
        QTest::addColumn<bool>("filtered"); // source rows 1 and 3 hidden
        QTest::addColumn<QList<int>>("shown"); // view row -> source row
        QTest::newRow("the model's own order") << false << false << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("filtered") << false << true << QList<int>{0, 2, 4};
        QTest::newRow("sorted") << true << false << QList<int>{4, 3, 2, 1, 0};
        QTest::newRow("sorted and filtered") << true << true << QList<int>{4, 2, 0};
    }

    void proxyMapsRowsBothWays()
    {
        QFETCH(bool, sorted);
        QFETCH(bool, filtered);
        QFETCH(QList<int>, shown);
        QStandardItemModel model;
        const std::vector<std::string> texts{"a", "b", "c", "d", "e"};
        for (const std::string& text : texts)
            model.appendRow(new QStandardItem(QString::fromStdString(text)));
        gui::GridProxy proxy(&model,
            [&texts](int row, int, std::string&) { return std::string_view(texts[static_cast<std::size_t>(row)]); });
        if (filtered)
            proxy.setRowFilter([](int row) { return row != 1 && row != 3; });
        if (sorted)
            proxy.sortByColumns(0, 0, core::SortOrder::Descending);
        QCOMPARE(proxy.rowCount(), shown.size());
        for (int viewRow = 0; viewRow < shown.size(); ++viewRow)
            QCOMPARE(proxy.mapToSource(proxy.index(viewRow, 0)).row(), shown[viewRow]);
        for (int row = 0; row < model.rowCount(); ++row) {
            const QModelIndex place = proxy.mapFromSource(model.index(row, 0));
            QCOMPARE(place.isValid() ? place.row() : -1, static_cast<int>(shown.indexOf(row)));
        }
        QSignalSpy changed(&proxy, &QAbstractItemModel::dataChanged);
        model.item(3)->setText(QStringLiteral("x"));
        model.item(4)->setText(QStringLiteral("y"));
        // Each change is one signal for its view row; a hidden row's none.
        QList<int> rows;
        for (const QList<QVariant>& signal : changed)
            rows << signal[0].toModelIndex().row() << signal[1].toModelIndex().row();
        QList<int> expected;
        for (const int row : {3, 4}) {
            if (const auto place = shown.indexOf(row); place >= 0)
                expected << static_cast<int>(place) << static_cast<int>(place);
        }
        QCOMPARE(rows, expected);
    }

    // A big grid sorts on a worker thread: the order comes when it is done, the block selected again; a reset or
    // another sort meanwhile drops it.
    void sortingOnAWorker()
    {
        EditFixture f;
        gui::GridProxy* proxy = f.window->keyFilePage()->proxy();
        proxy->setBackgroundSortRows(0);
        const QStringList fileOrder = WindowFixture::shownColumn(f.grid, 1);
        const QStringList descending({"SimE", "SimD", "SimC", "SimB", "SimA", "# comment line"});
        f.grid->selectBlock(0, 1, 5, 1);
        f.click(QStringLiteral("Command2_1"));
        QVERIFY(proxy->sorting());
        QCOMPARE(WindowFixture::shownColumn(f.grid, 1), fileOrder);
        QTRY_VERIFY(!proxy->sorting());
        QCOMPARE(WindowFixture::shownColumn(f.grid, 1), descending);
        QCOMPARE(f.grid->selectedBlock(), QRect(QPoint(1, 0), QPoint(1, 5)));
        // Reset while the next sort runs: its order never comes.
        f.click(QStringLiteral("Command2_2"));
        f.grid->selectBlock(0, 1, 5, 1);
        f.click(QStringLiteral("Command2_1"));
        QVERIFY(proxy->sorting());
        f.click(QStringLiteral("Command2_2"));
        QVERIFY(!proxy->sorting());
        QTest::qWait(50);
        QCOMPARE(WindowFixture::shownColumn(f.grid, 1), fileOrder);
        // A second sort while the first runs: only the second's order comes, sorted from the rows as shown.
        f.grid->selectBlock(0, 1, 5, 1);
        f.click(QStringLiteral("Command2_1"));
        f.grid->selectBlock(0, 3, 5, 3);
        f.click(QStringLiteral("Command2_0"));
        QTRY_VERIFY(!proxy->sorting());
        QTest::qWait(50);
        QCOMPARE(WindowFixture::shownColumn(f.grid, 1),
            QStringList({"# comment line", "SimB", "SimA", "SimC", "SimD", "SimE"}));
    }

    // The list, the keyboard and its hover answer follow every edit, undo and redo at once.
    void viewsFollowTheDocument()
    {
        EditFixture f;
        f.editing->setPasteKey(QStringLiteral("0X18"), 6);
        f.grid->selectBlock(1, 4, 1, 5);
        f.editing->paste();
        QCOMPARE(WindowFixture::shown(f.listGrid(), 0, 2), QStringLiteral("CTL ALT o"));
        f.showPage(gui::MainWindow::SpareKeysPageIndex);
        f.find<QCheckBox>(QStringLiteral("ChkModifier_1"))->click();
        f.find<QCheckBox>(QStringLiteral("ChkModifier_2"))->click();
        gui::KeyboardPage* keyboard = f.window->keyboardPage();
        QCOMPARE(keyboard->keyLabel(24)->background(), gui::KeyboardPage::AssignedColour);
        WindowFixture::hover(keyboard->keyLabel(24));
        QCOMPARE(f.find<QLabel>(QStringLiteral("Label7"))->text(), QStringLiteral("SimA"));
        f.trigger(QStringLiteral("mnuEditUndo"));
        QVERIFY(!keyboard->keyLabel(24)->background().isValid());
        QCOMPARE(WindowFixture::shown(f.listGrid(), 0, 2), QStringLiteral("a"));
        f.trigger(QStringLiteral("mnuEditRedo"));
        QCOMPARE(keyboard->keyLabel(24)->background(), gui::KeyboardPage::AssignedColour);
    }

    void encodingIsDecidedAtOpening_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("Windows-1252") << QByteArray("# c\nSimA 1 \"25\xb0\"\n")
                                      << QByteArray("# c\nSimA \xb0 \"25\xb0\"\n");
        QTest::newRow("UTF-8") << QByteArray("\xEF\xBB\xBFSimA 1 \"25\xc2\xb0\"\r\n")
                               << QByteArray("\xEF\xBB\xBFSimA \xc2\xb0 \"25\xc2\xb0\"\r\n");
    }

    void encodingIsDecidedAtOpening()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, saved);
        WindowFixture f(bytes.toStdString());
        const int row = f.session()->document().rowCount() - 1;
        QCOMPARE(f.session()->cellText(row, 3), QString::fromUtf8("\"25\xc2\xb0\" "));
        QVERIFY(f.session()->edit({{row, 2, QString::fromUtf8("\xc2\xb0")}}, QStringLiteral("Edit")));
        QCOMPARE(QByteArray::fromStdString(f.session()->document().toBytes()), saved);
    }
};

QTEST_MAIN(EditingTest)
#include "EditingTest.moc"

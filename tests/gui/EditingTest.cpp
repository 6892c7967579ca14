#include "WindowFixture.h"

#include "gui/GridEditing.h"
#include "gui/GridView.h"
#include "gui/KeyFileModel.h"

#include <QAction>
#include <QMenu>
#include <QTest>

using testing::WindowFixture;

namespace {

const char* const kFile = "# comment line\r\n"
                          "SimA -1 0 0x1E 0 0XFFFFFFFF 0 1 \"Alpha\"\r\n"
                          "SimB -1 -1 0x30 1 0XFFFFFFFF 0 1 \"Beta\"\r\n"
                          "SimC -1 0 0x2E 2 0XFFFFFFFF 0 1 \"Gamma\"\r\n"
                          "SimD -1 32768 0x20 4 0XFFFFFFFF 0 1 \"Delta\"\r\n"
                          "SimE -1 x 0x12 0 0XFFFFFFFF 0 1 \"Echo\"\r\n";

struct EditFixture : WindowFixture
{
    gui::GridView* grid = nullptr;
    gui::KeyFileModel* model = nullptr;

    EditFixture()
    {
        create();
        window->startUp(writeKeyFile(QStringLiteral("e.key"), kFile));
        grid = find<gui::GridView>(QStringLiteral("GridData"));
        model = window->keyFileModel();
    }

    QStringList block(int r1, int c1, int r2, int c2) const
    {
        QStringList cells;
        for (int r = r1; r <= r2; ++r)
            for (int c = c1; c <= c2; ++c)
                cells << model->cellText(r, c);
        return cells;
    }
};

} // namespace

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
        QTest::addColumn<bool>("modified");
        const int none = Qt::NoModifier;
        QTest::newRow("digit") << int(Qt::Key_4) << none << "0"
                               << "04" << true;
        QTest::newRow("keypad digit") << int(Qt::Key_7) << int(Qt::KeypadModifier) << "0"
                                      << "07" << true;
        QTest::newRow("keypad zero") << int(Qt::Key_0) << int(Qt::KeypadModifier) << ""
                                     << "0" << true;
        QTest::newRow("letter") << int(Qt::Key_A) << none << "0x"
                                << "0xa" << true;
        QTest::newRow("shift letter") << int(Qt::Key_A) << int(Qt::ShiftModifier) << "0x"
                                      << "0xA" << true;
        QTest::newRow("control shift letter") << int(Qt::Key_A) << int(Qt::ShiftModifier | Qt::ControlModifier) << "0x"
                                              << "0xa" << true;
        QTest::newRow("alt letter") << int(Qt::Key_Z) << int(Qt::AltModifier) << ""
                                    << "z" << true;
        QTest::newRow("shift digit") << int(Qt::Key_1) << int(Qt::ShiftModifier) << ""
                                     << "1" << true;
        QTest::newRow("shift digit as symbol") << int(Qt::Key_Exclam) << int(Qt::ShiftModifier) << ""
                                               << "1" << true;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << none << "0x1E"
                                   << "0x1" << true;
        QTest::newRow("backspace on empty cell") << int(Qt::Key_Backspace) << none << ""
                                                 << "" << true;
        QTest::newRow("function key ignored") << int(Qt::Key_F1) << none << "0x1E"
                                              << "0x1E" << false;
        QTest::newRow("space ignored") << int(Qt::Key_Space) << none << "0x1E"
                                       << "0x1E" << false;
        QTest::newRow("period ignored") << int(Qt::Key_Period) << none << "0x1E"
                                        << "0x1E" << false;
    }

    void typing()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, modified);
        EditFixture f;
        f.model->setCellText(1, 4, before);
        f.model->setSavedState(core::SavedState::Saved);
        f.grid->selectBlock(1, 4, 1, 4);
        QTest::keyRelease(f.grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(f.model->cellText(1, 4), after);
        QCOMPARE(f.window->savedState(), modified ? core::SavedState::Modified : core::SavedState::Saved);
        QCOMPARE(f.panelTip(3),
            modified ? QStringLiteral("e.key has been modified and isn't saved") : QStringLiteral("e.key is saved"));
    }

    void typingWorksInEveryColumnButTheLineColumn()
    {
        EditFixture f;
        f.grid->selectBlock(2, 9, 2, 9);
        QTest::keyRelease(f.grid, Qt::Key_X, Qt::NoModifier);
        QCOMPARE(f.model->cellText(2, 9), QStringLiteral("\"Beta\" x"));
        f.grid->selectBlock(2, 1, 2, 1);
        QTest::keyRelease(f.grid, Qt::Key_Backspace, Qt::NoModifier);
        QCOMPARE(f.model->cellText(2, 1), QStringLiteral("Sim"));
    }

    void multiCellSelectionAndCommentsIgnoreTyping()
    {
        EditFixture f;
        f.grid->selectBlock(1, 4, 1, 5);
        QTest::keyRelease(f.grid, Qt::Key_1, Qt::NoModifier);
        QCOMPARE(f.block(1, 4, 1, 5), QStringList({"0x1E", "0"}));
        f.grid->selectBlock(0, 1, 0, 1);
        QTest::keyRelease(f.grid, Qt::Key_1, Qt::NoModifier);
        QCOMPARE(f.model->cellText(0, 1), QStringLiteral("# comment line"));
        QCOMPARE(f.window->savedState(), core::SavedState::Saved);
    }

    void ignoredCellDecidesTheMenu_data()
    {
        QTest::addColumn<QString>("ignored");
        QTest::addColumn<bool>("opens");
        QTest::newRow("-1") << "-1" << false;
        QTest::newRow("0") << "0" << true;
        QTest::newRow("32767") << "32767" << true;
        QTest::newRow("32768") << "32768" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("text") << "x" << false;
        QTest::newRow("rounds down into range") << "32767.4" << true;
        QTest::newRow("half rounds to even, out") << "32767.5" << false;
        QTest::newRow("small negative rounds to 0") << "-0.4" << true;
        QTest::newRow("hex is not a number") << "0x1" << false;
    }

    void ignoredCellDecidesTheMenu()
    {
        QFETCH(QString, ignored);
        QFETCH(bool, opens);
        QCOMPARE(gui::ignoredCellAllowsMenu(ignored), opens);
    }

    void menuOpensOnlyOverKeyAndModifierColumns_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("opens");
        QTest::newRow("keys, ignored 0") << 1 << 4 << true;
        QTest::newRow("combination modifiers") << 1 << 7 << true;
        QTest::newRow("cockpit id column") << 1 << 2 << false;
        QTest::newRow("description column") << 1 << 9 << false;
        QTest::newRow("ignored -1") << 2 << 5 << false;
        QTest::newRow("ignored 32768") << 4 << 4 << false;
        QTest::newRow("ignored text") << 5 << 4 << false;
        QTest::newRow("comment row") << 0 << 4 << false;
    }

    void menuOpensOnlyOverKeyAndModifierColumns()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(bool, opens);
        EditFixture f;
        f.grid->selectBlock(row, column, row, column);
        QCOMPARE(f.window->gridEditing()->popupMenu(QPoint(10, 10)), opens);
        f.window->gridEditing()->menu()->hide();
    }

    void pasteIsEnabledOnlyWithACopiedKey()
    {
        EditFixture f;
        auto* editing = f.window->gridEditing();
        f.grid->selectBlock(1, 4, 1, 4);
        QVERIFY(editing->popupMenu(QPoint(10, 10)));
        QVERIFY(!editing->pasteAction()->isEnabled());
        QVERIFY(editing->clearAction()->isEnabled());
        editing->menu()->hide();
        editing->setPasteKey(QStringLiteral("0X3B"), 3);
        QVERIFY(editing->popupMenu(QPoint(10, 10)));
        QVERIFY(editing->pasteAction()->isEnabled());
        editing->menu()->hide();
        // Opening a file forgets the copied key.
        f.window->openKeyFile(f.dir.filePath(QStringLiteral("e.key")));
        f.grid->selectBlock(1, 4, 1, 4);
        QVERIFY(editing->popupMenu(QPoint(10, 10)));
        QVERIFY(!editing->pasteAction()->isEnabled());
        editing->menu()->hide();
    }

    void pasteAndClearCoverTheBlockInAnyDirection_data()
    {
        QTest::addColumn<QRect>("drag"); // current cell (x = column, y = row) to selection end, as a rect of points
        QTest::newRow("down right") << QRect(QPoint(4, 1), QPoint(5, 3));
        QTest::newRow("up left") << QRect(QPoint(5, 3), QPoint(4, 1));
        QTest::newRow("up right") << QRect(QPoint(4, 3), QPoint(5, 1));
        QTest::newRow("down left") << QRect(QPoint(5, 1), QPoint(4, 3));
    }

    void pasteAndClearCoverTheBlockInAnyDirection()
    {
        QFETCH(QRect, drag);
        EditFixture f;
        auto* editing = f.window->gridEditing();
        editing->setPasteKey(QStringLiteral("0X3B"), 3);
        // The rect holds the current cell as (left, top) and the selection end as (right, bottom).
        f.grid->selectBlock(drag.top(), drag.left(), drag.bottom(), drag.right());
        QVERIFY(editing->popupMenu(QPoint(10, 10)));
        editing->pasteAction()->trigger();
        editing->menu()->hide();
        QCOMPARE(f.block(1, 4, 3, 5), QStringList({"0X3B", "3", "0X3B", "3", "0X3B", "3"}));
        QCOMPARE(f.block(4, 4, 4, 5), QStringList({"0x20", "4"}));
        QCOMPARE(f.block(1, 6, 1, 7), QStringList({"0XFFFFFFFF", "0"}));
        QCOMPARE(f.window->savedState(), core::SavedState::Modified);
        QVERIFY(editing->popupMenu(QPoint(10, 10)));
        editing->clearAction()->trigger();
        editing->menu()->hide();
        QCOMPARE(f.block(1, 4, 3, 5), QStringList({"0XFFFFFFFF", "0", "0XFFFFFFFF", "0", "0XFFFFFFFF", "0"}));
    }

    void wideSelectionIsClippedToKeyAndModifierColumns()
    {
        EditFixture f;
        auto* editing = f.window->gridEditing();
        editing->setPasteKey(QStringLiteral("0X1F"), 6);
        f.grid->selectBlock(2, 2, 3, 9);
        editing->paste();
        QCOMPARE(f.block(2, 2, 2, 9), QStringList({"-1", "-1", "0X1F", "6", "0X1F", "6", "1", "\"Beta\" "}));
        QCOMPARE(f.model->cellText(1, 4), QStringLiteral("0x1E"));
        QCOMPARE(f.model->cellText(4, 4), QStringLiteral("0x20"));
        editing->clearAssignment();
        // Clearing puts "0" into the combination key, not the marker.
        QCOMPARE(f.block(3, 4, 3, 7), QStringList({"0XFFFFFFFF", "0", "0", "0"}));
        // The banner names the current cell's key: column 2 is not a key column, so it keeps its text.
        QCOMPARE(f.banner(), QStringLiteral("Ready"));
        f.grid->selectBlock(2, 4, 2, 4);
        editing->clearAssignment();
        QCOMPARE(f.banner(), QStringLiteral("Unassigned"));
    }

    void bannerNamesTheClickedCell_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("banner");
        QTest::newRow("key") << 1 << 4 << "a";
        QTest::newRow("modifier") << 3 << 5 << "CTL";
        QTest::newRow("modifier zero") << 1 << 5 << "";
        QTest::newRow("combination key") << 1 << 6 << "Unassigned";
        QTest::newRow("cockpit id keeps the banner") << 1 << 2 << "Ready";
        QTest::newRow("sim name keeps the banner") << 1 << 1 << "Ready";
    }

    void bannerNamesTheClickedCell()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, banner);
        EditFixture f;
        const QRect cell = f.grid->visualRect(f.model->index(row, column));
        QTest::mousePress(f.grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseRelease(f.grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(f.grid->currentIndex(), f.model->index(row, column));
        QCOMPARE(f.banner(), banner);
        // The right button neither moves the current cell nor touches the banner.
        const QRect other = f.grid->visualRect(f.model->index(3, 4));
        QTest::mousePress(f.grid->viewport(), Qt::RightButton, {}, other.center());
        QCOMPARE(f.grid->currentIndex(), f.model->index(row, column));
        QCOMPARE(f.banner(), banner);
    }
};

QTEST_MAIN(EditingTest)
#include "EditingTest.moc"

#include "WindowFixture.h"

#include "core/KeyCodeTable.h"
#include "gui/ProblemsDock.h"
#include "gui/ProblemsModel.h"

#include <QAction>
#include <QLineEdit>
#include <QTableView>
#include <QUndoStack>

using testing::WindowFixture;

namespace {

// Line 3 and 5 bind Shift+a to two functions; line 4 binds a alone.
const std::string kFile = "# top\n\n"
                          "SimA -1 0 0x1E 1 0 0 1 \"A\"\n"
                          "SimB -1 0 0x1E 0 0 0 1 \"B\"\n"
                          "SimC -1 0 0x1E 1 0 0 1 \"C\"\n";
const QString kDoubled = QStringLiteral("Warning|3|SHF a is bound to 2 functions: SimA (line 3), SimC (line 5)");

struct ProblemsFixture : WindowFixture
{
    gui::ProblemsDock* dock = nullptr;

    explicit ProblemsFixture(const std::string& bytes = kFile, bool background = false)
    {
        create();
        if (background) // as a big file is: checked on a worker while the window goes on
            session()->setBackgroundCheckBytes(0);
        open(bytes);
        dock = window->problemsDock();
        watch(dock->model());
        watch(dock->table()->model());
    }

    QString count() const { return find<QToolButton>(QStringLiteral("StatusProblems"))->text(); }
    // The view's list in its model's order against the check's first problems.
    bool modelMatchesCheck() const
    {
        const auto problems = session()->problems().list(gui::ProblemsModel::DisplayLimit);
        const gui::ProblemsModel* model = dock->model();
        if (model->rowCount() != int(problems.size()))
            return false;
        for (int r = 0; r < model->rowCount(); ++r) {
            if (model->index(r, gui::ProblemsModel::LineColumn).data().toInt() != problems[std::size_t(r)]->line
                || model->index(r, gui::ProblemsModel::TextColumn).data().toString().toStdString()
                    != problems[std::size_t(r)]->text)
                return false;
        }
        return true;
    }
    QStringList shownTexts() const { return rows(dock->table()->model()); }
};

} // namespace

/** The Problems view: its count in the status bar, its list following edits and undo, and a click that selects the
 *  line in the key file grid. */
class ProblemsViewTest : public QObject
{
    Q_OBJECT

private slots:
    void countAndListFollowEditsAndUndo_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("background");
        const int modifier = core::ModifierColumn;
        QTest::newRow("the double ends") << 3 << modifier << QStringLiteral("2") << "No problems" << QStringList{}
                                         << false;
        QTest::newRow("edited while checked in the background")
            << 3 << modifier << QStringLiteral("2") << "No problems" << QStringList{} << true;
        QTest::newRow("an error on the same line")
            << 1 << int(core::ComboModifierColumn) << QStringLiteral("x") << "1 error, 1 warning"
            << QStringList{"Error|3|Second modifier x is not a whole number from 0 to 7", kDoubled} << false;
        QTest::newRow("an emptied cell")
            << 2 << int(core::IgnoredColumn) << QString() << "1 error, 1 warning"
            << QStringList{kDoubled,
                   "Error|4|The Ignored cell is empty; saving would move its later fields one column left"}
            << false;
    }

    void countAndListFollowEditsAndUndo()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, count);
        QFETCH(QStringList, shown);
        QFETCH(bool, background);
        ProblemsFixture f(kFile, background);
        const QStringList before{kDoubled};
        QCOMPARE(f.count(), background ? QStringLiteral("Checking ...") : QStringLiteral("0 errors, 1 warning"));
        QCOMPARE(f.shownTexts(), background ? QStringList() : before);
        QVERIFY(f.session()->edit({{row, column, text}}, QStringLiteral("Edit")));
        // The rows edited during a background check are checked again when its result comes.
        QTRY_VERIFY(!f.session()->problemsPending());
        QCOMPARE(f.shownTexts(), shown);
        QCOMPARE(QStringList({f.count(), f.dock->windowTitle()}), QStringList({count, "Problems: " + count}));
        f.session()->undoStack()->undo();
        QCOMPARE(f.count(), QStringLiteral("0 errors, 1 warning"));
        QCOMPARE(f.shownTexts(), before);
    }

    // Shown and hidden from the menu and the status bar; a click selects the problem's line in the key file grid,
    // wherever the grid's sort put it.
    void clickSelectsTheLine()
    {
        ProblemsFixture f(kFile + "SimD -1 0 0x3G 0 0 0 1 \"D\"\n");
        QList<bool> shown{f.dock->isVisible()};
        for (const bool menu : {false, true, true, false}) {
            menu ? f.trigger(QStringLiteral("mnuViewProblems")) : f.click(QStringLiteral("StatusProblems"));
            shown << f.dock->isVisible();
        }
        QCOMPARE(shown, QList<bool>({false, true, false, true, false}));
        f.click(QStringLiteral("StatusProblems"));
        f.window->keyFilePage()->proxy()->sortByColumns(
            core::SimNameColumn, core::SimNameColumn, core::SortOrder::Descending);
        f.showPage(gui::MainWindow::SpareKeysPageIndex);
        QTableView* table = f.dock->table();
        table->sortByColumn(gui::ProblemsModel::SeverityColumn, Qt::AscendingOrder);
        QCOMPARE(table->model()->index(0, gui::ProblemsModel::LineColumn).data().toInt(), 6); // the error first
        const auto clickFirst = [table] {
            QTest::mouseClick(
                table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(0, 2)).center());
        };
        clickFirst();
        QCOMPARE(f.tabs()->currentIndex(), int(gui::MainWindow::KeyFilePageIndex));
        gui::GridView* grid = f.keyGrid();
        QCOMPARE(grid->currentIndex(), grid->model()->index(0, core::SimNameColumn)); // SimD sorts first, descending
        QCOMPARE(grid->model()->headerData(0, Qt::Vertical).toInt(), 6);
        QCOMPARE(grid->selectedBlock(), QRect(QPoint(1, 0), QPoint(9, 0)));

        // A filter that hides the line is cleared.
        f.window->keyFilePage()->findBar()->filter()->setText(QStringLiteral("SimA"));
        QCOMPARE(f.window->keyFilePage()->viewRowOfDocument(4), -1);
        clickFirst();
        QVERIFY(f.window->keyFilePage()->findBar()->filter()->text().isEmpty());
        QCOMPARE(grid->model()->headerData(grid->currentIndex().row(), Qt::Vertical).toInt(), 6);
    }

    // Every line a double: the view lists the first thousands, says so, and follows edits.
    void thousandsOfProblems()
    {
        // Lines 2p+1 and 2p+2 share a key, a modifier and a second key, each pair its own.
        std::string bytes;
        const auto code = [](int k) { return std::string(core::KeyCodeTable::row(k).scanCodeText); };
        for (int i = 0; i < 12002; ++i) {
            const int pair = i / 2;
            bytes += "Sim" + std::to_string(i) + " -1 0 " + code(pair % 80) + " " + std::to_string(pair / 80 % 8) + " "
                + code(pair / 640 % 80) + " 0 1 \"d\"\n";
        }
        ProblemsFixture f(bytes);
        QCOMPARE(f.session()->problems().warningCount(), 6001);
        QCOMPARE(f.dock->model()->rowCount(), gui::ProblemsModel::DisplayLimit);
        const auto* summary = f.find<QLabel>(QStringLiteral("LabelProblems"));
        QVERIFY(!summary->isHidden());
        QCOMPARE(summary->text(), QStringLiteral("The first 5000 of 6001 problems are listed, in line order."));
        QVERIFY(f.session()->edit({{0, core::SimNameColumn, QStringLiteral("Sim1")}}, QStringLiteral("Edit")));
        QCOMPARE(f.session()->problems().warningCount(), 6000);
        QVERIFY(f.shownTexts().first().startsWith(QStringLiteral("Warning|3|")));
        QVERIFY(f.modelMatchesCheck());
        // Lines far apart leave their pairs and one becomes an error: rows change, go and come at both ends.
        QVERIFY(f.session()->edit({{2, core::ModifierColumn, QStringLiteral("x")}, {9000, core::KeyColumn, QString()},
                                      {4, core::ModifierColumn, QStringLiteral("7")}},
            QStringLiteral("Edit")));
        QVERIFY(f.modelMatchesCheck());
        f.session()->undoStack()->undo();
        QVERIFY(f.modelMatchesCheck());
        f.session()->undoStack()->undo();
        QVERIFY(f.modelMatchesCheck());
        QCOMPARE(f.session()->problems().warningCount(), 6001);
    }
};

QTEST_MAIN(ProblemsViewTest)
#include "ProblemsViewTest.moc"

#include "WindowFixture.h"

#include "gui/GridView.h"
#include "gui/KeyFileModel.h"
#include "gui/KeyListModel.h"
#include "gui/TabControl.h"
#include "gui/Twips.h"

#include <QCheckBox>
#include <QStatusBar>
#include <QTest>

using gui::px;
using testing::WindowFixture;

namespace {

QStringList column(const QAbstractItemModel* model, int c, int count = -1)
{
    QStringList values;
    const int n = count < 0 ? model->rowCount() : qMin(count, model->rowCount());
    for (int r = 0; r < n; ++r)
        values << model->index(r, c).data().toString();
    return values;
}

const char* const kSmallFile = "SimC -1 0 0x1E 1 0 0 1 \"c\"\r\n"
                               "# note\r\n"
                               "OTWA -1 0 0x30 0 0 0 1 \"a\"\r\n"
                               "SimB 10 0 0x2E 2 0 0 1 \"b\"\r\n"
                               "simD 9 0 0x20 0 0 0 1 \"d\"\r\n";

} // namespace

class WindowLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void resizingFollowsTheTable_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("standard") << 15000 << 10395;
        QTest::newRow("larger") << 18000 << 12000;
    }

    void resizingFollowsTheTable()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        WindowFixture f;
        f.create();
        f.window->resizeControls(width, height);
        auto* tabs = f.find<gui::TabControl>(QStringLiteral("SSTab1"));
        QCOMPARE(tabs->geometry(), QRect(0, px(780), px(width - 120), px(height - 1515)));
        const int tw = gui::twips(tabs->width());
        const int th = gui::twips(tabs->height());
        auto* grid = f.find<gui::GridView>(QStringLiteral("GridData"));
        auto* list = f.find<gui::GridView>(QStringLiteral("KeyGrid"));
        QCOMPARE(grid->size(), QSize(px(tw - 240), px(th - 560)));
        QCOMPARE(list->size(), QSize(px(tw - 240), px(th - 560)));
        QCOMPARE(grid->mapTo(tabs, QPoint(0, 0)), QPoint(px(60), px(420)));
        if (width == 15000) {
            QCOMPARE(tabs->size(), QSize(px(14880), px(8880)));
            QCOMPARE(grid->size(), QSize(px(14640), px(8320)));
        }
        // A client area too small leaves the sizes as they were.
        f.window->resizeControls(0, 0);
        QCOMPARE(grid->size(), QSize(px(tw - 240), px(th - 560)));
    }

    void pageSwitchingShowsOneLargeControl_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("gridVisible");
        QTest::addColumn<bool>("listVisible");
        QTest::addColumn<bool>("sortEnabled");
        QTest::addColumn<bool>("removeSimEnabled");
        QTest::newRow("key file") << 0 << true << false << true << false;
        QTest::newRow("keys assigned") << 1 << false << true << true << true;
        QTest::newRow("spare keys") << 2 << false << false << false << false;
        QTest::newRow("cougar") << 3 << false << false << false << true;
        QTest::newRow("compare") << 4 << false << false << false << false;
    }

    void pageSwitchingShowsOneLargeControl()
    {
        QFETCH(int, page);
        QFETCH(bool, gridVisible);
        QFETCH(bool, listVisible);
        QFETCH(bool, sortEnabled);
        QFETCH(bool, removeSimEnabled);
        WindowFixture f;
        f.create();
        auto* tabs = f.find<gui::TabControl>(QStringLiteral("SSTab1"));
        tabs->setCurrentIndex(page == 0 ? 1 : 0);
        tabs->setCurrentIndex(page);
        QCOMPARE(f.find<gui::GridView>(QStringLiteral("GridData"))->isVisible(), gridVisible);
        QCOMPARE(f.find<gui::GridView>(QStringLiteral("KeyGrid"))->isVisible(), listVisible);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(f.find<QToolButton>(QStringLiteral("Command2_%1").arg(i))->isEnabled(), sortEnabled);
        QCOMPARE(f.find<QCheckBox>(QStringLiteral("CHKRemoveSIM"))->isEnabled(), removeSimEnabled);
        // The tab row's buttons belong to their own page.
        QCOMPARE(f.find<QToolButton>(QStringLiteral("Command4_0"))->isVisible(), page == 0);
        QCOMPARE(f.find<QToolButton>(QStringLiteral("Command4_2"))->isVisible(), page == 1);
    }

    void startsOnTheFirstPageWithRemoveSimDisabled()
    {
        WindowFixture f;
        f.create();
        QCOMPARE(f.find<gui::TabControl>(QStringLiteral("SSTab1"))->currentIndex(), 0);
        QVERIFY(!f.find<QCheckBox>(QStringLiteral("CHKRemoveSIM"))->isEnabled());
    }

    void sortButtonsSortTheGridOfTheCurrentPage()
    {
        WindowFixture f;
        f.create();
        f.window->startUp(f.writeKeyFile(QStringLiteral("s.key"), kSmallFile));
        auto* grid = f.find<gui::GridView>(QStringLiteral("GridData"));
        auto* list = f.find<gui::GridView>(QStringLiteral("KeyGrid"));
        const auto* fileModel = f.window->keyFileModel();
        const auto* listModel = f.window->keyListModel();

        // Key file page: columns 1 to 2 selected, descending.
        grid->selectBlock(0, 1, 2, 2);
        f.click(QStringLiteral("Command2_1"));
        QCOMPARE(column(fileModel, 1),
            QStringList({QStringLiteral("simD"), QStringLiteral("SimC"), QStringLiteral("SimB"), QStringLiteral("OTWA"),
                QStringLiteral("# note")}));
        QCOMPARE(column(listModel, 1).first(), QStringLiteral("SimC"));
        // Cockpit ID column ascending: numbers as numbers, the comment's empty cell first.
        grid->selectBlock(0, 2, 0, 2);
        f.click(QStringLiteral("Command2_0"));
        QCOMPARE(column(fileModel, 2),
            QStringList(
                {QString(), QStringLiteral("-1"), QStringLiteral("-1"), QStringLiteral("9"), QStringLiteral("10")}));
        f.click(QStringLiteral("Command2_2"));
        QCOMPARE(column(fileModel, 0), QStringList({"1", "2", "3", "4", "5"}));

        // Keys assigned page: the list sorts, the file grid stays.
        f.find<gui::TabControl>(QStringLiteral("SSTab1"))->setCurrentIndex(1);
        list->selectBlock(0, 2, 0, 2);
        f.click(QStringLiteral("Command2_0"));
        QCOMPARE(column(listModel, 2),
            QStringList({QStringLiteral("b"), QStringLiteral("CTL c"), QStringLiteral("d"), QStringLiteral("SHF a")}));
        QCOMPARE(column(fileModel, 0), QStringList({"1", "2", "3", "4", "5"}));
        f.click(QStringLiteral("Command2_2"));
        QCOMPARE(column(listModel, 0), QStringList({"1", "3", "4", "5"}));
    }

    void resetOnTheKeyFilePageLeavesTheListAlone()
    {
        WindowFixture f;
        f.create();
        f.window->startUp(f.writeKeyFile(QStringLiteral("s.key"), kSmallFile));
        auto* tabs = f.find<gui::TabControl>(QStringLiteral("SSTab1"));
        tabs->setCurrentIndex(1);
        f.find<gui::GridView>(QStringLiteral("KeyGrid"))->selectBlock(0, 1, 0, 1);
        f.click(QStringLiteral("Command2_0"));
        const QStringList sorted = column(f.window->keyListModel(), 0);
        tabs->setCurrentIndex(0);
        f.click(QStringLiteral("Command2_2"));
        QCOMPARE(column(f.window->keyListModel(), 0), sorted);
        QVERIFY(sorted != QStringList({"1", "3", "4", "5"}));
    }

    void removeSimStripsInPlaceAndRebuildsWhenCleared()
    {
        WindowFixture f;
        f.create();
        f.window->startUp(f.writeKeyFile(QStringLiteral("s.key"), kSmallFile));
        auto* tabs = f.find<gui::TabControl>(QStringLiteral("SSTab1"));
        tabs->setCurrentIndex(1);
        f.find<gui::GridView>(QStringLiteral("KeyGrid"))->selectBlock(0, 1, 0, 1);
        f.click(QStringLiteral("Command2_1"));
        auto* box = f.find<QCheckBox>(QStringLiteral("CHKRemoveSIM"));
        box->click();
        QCOMPARE(column(f.window->keyListModel(), 1),
            QStringList({QStringLiteral("D"), QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("OTWA")}));
        QCOMPARE(f.banner(), QStringLiteral("Ready"));
        box->click();
        QCOMPARE(column(f.window->keyListModel(), 1),
            QStringList(
                {QStringLiteral("SimC"), QStringLiteral("OTWA"), QStringLiteral("SimB"), QStringLiteral("simD")}));
        // The file grid never loses its names.
        QCOMPARE(f.window->keyFileModel()->cellText(0, 1), QStringLiteral("SimC"));
    }

    void statusBarHasThreePanelsAtTheBottom()
    {
        WindowFixture f;
        f.create();
        auto* bar = f.find<QStatusBar>(QStringLiteral("StatusBar"));
        QVERIFY(bar);
        QCOMPARE(bar->geometry().bottom(), f.window->centralWidget()->height() - 1);
        QCOMPARE(f.panelTip(3), QStringLiteral("No file open"));
    }
};

QTEST_MAIN(WindowLayoutTest)
#include "WindowLayoutTest.moc"

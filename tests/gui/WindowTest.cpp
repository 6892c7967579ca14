#include "WindowFixture.h"

#include "gui/Accessibility.h"
#include "gui/ComparePage.h"
#include "gui/KeyboardPage.h"
#include "gui/StatusHelp.h"
#include "gui/Twips.h"
#include "gui/WidgetPrompts.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFont>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QUrl>

using gui::px;
using testing::AskedPrompt;
using testing::WindowFixture;

namespace {

const char* const kSmallFile = "SimC -1 0 0x1E 1 0 0 1 \"c\"\r\n"
                               "# note\r\n"
                               "\r\n"
                               "OTWA -1 0 0x30 0 0 0 1 \"a\"\r\n"
                               "SimB 10 0 0x2E 2 0 0 1 \"b\"\r\n"
                               "simD 9 0 0x20 0 0 0 1 \"d\"\r\n";

// Counts the paints a widget gets.
class PaintCounter final : public QObject
{
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

/** Start-up, opening, the window's layout and its status bar help. */
class WindowTest : public QObject
{
    Q_OBJECT

private slots:
    // The list holds every row but the comments, in file order, wherever the comments stand.
    void listRowsAroundComments_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("listed"); // the document row of each list row
        QTest::newRow("no comments") << QByteArray("A\nB\nC\n") << "0 1 2";
        QTest::newRow("comments only") << QByteArray("# a\n# b\n") << "";
        QTest::newRow("first and last") << QByteArray("# a\nB\nC\n# d\n") << "1 2";
        QTest::newRow("runs of comments") << QByteArray("A\n# b\n# c\nD\n# e\nF\n# g\n# h\n# i\nJ\n") << "0 3 5 9";
    }

    void listRowsAroundComments()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, listed);
        WindowFixture f(bytes.toStdString());
        const gui::KeyListModel* list = f.session()->listModel();
        QStringList rows;
        for (int row = 0; row < list->rowCount(); ++row) {
            rows << QString::number(list->documentRow(row));
            QCOMPARE(list->listRow(list->documentRow(row)), row);
        }
        QCOMPARE(rows.join(QLatin1Char(' ')), listed);
        const int documentRows = f.session()->document().rowCount();
        for (int row = -1; row <= documentRows; ++row)
            QCOMPARE(list->listRow(row) >= 0, rows.contains(QString::number(row)));
    }

    // A remembered file that is gone is forgotten: nothing opens, and the settings written at close name no file.
    void goneFileOpensNothingAndIsForgotten()
    {
        WindowFixture f;
        const QString gone = f.dir.filePath(QStringLiteral("gone.key"));
        testing::writeBytes(f.settings.path(), "[FileLocations]\nKeyFilePath=" + gone.toStdString() + "\n");
        f.start();
        QCOMPARE(f.window->windowTitle(), QStringLiteral("  Tarnwick vs. 1.3"));
        QCOMPARE(f.savedState(), gui::SavedState::NoFile);
        QCOMPARE(QStringList({f.panel(2), f.panelTip(2), f.panelTip(3), f.tabs()->tabText(0)}),
            QStringList({"No Key File Opened", "Location of currently opened .key file", "No file open", "Key file"}));
        QCOMPARE(f.tabs()->currentIndex(), 0);
        QVERIFY(!f.find<QCheckBox>(QStringLiteral("CHKRemoveSIM"))->isEnabled());
        // No default folder on this machine: the program's folder stands in.
        QCOMPARE(f.window->locations().keyFilesFolder, f.dir.path());
        f.window->close();
        const std::string ini = testing::readBytes(f.settings.path());
        QVERIFY(ini.find("KeyFilePath=\r\n") != std::string::npos || ini.find("KeyFilePath=\n") != std::string::npos);
        QVERIFY(ini.find("gone.key") == std::string::npos);
    }

    // The remembered file opens; the status bar shows its long path shortened in the middle, whole in the tip.
    void startUpReopensTheRememberedFile()
    {
        WindowFixture f;
        const QString name = QStringLiteral("My Keys ") + QString(120, QLatin1Char('x')) + QStringLiteral(".key");
        const QString path = f.copySample(name);
        testing::writeBytes(f.settings.path(),
            "[FileLocations]\r\nKeyFilesFolder=" + f.dir.path().toStdString() + "\r\nKeyFilePath=" + path.toStdString()
                + "\r\nKeyFileName=" + name.toStdString() + "\r\n");
        f.start();
        QCOMPARE(f.keyGrid()->model()->rowCount(), 221);
        QCOMPARE(f.listGrid()->model()->rowCount(), 198);
        QCOMPARE(QStringList({f.tabs()->tabText(0), f.panel(2), f.panelTip(2), f.banner(), f.panelTip(3)}),
            QStringList({name, path, path, "Ready", name + " is saved"}));
        auto* panel = f.find<QLabel>(QStringLiteral("StatusPanel2"));
        QVERIFY(panel->width() < panel->fontMetrics().horizontalAdvance(path));
        QVERIFY(panel->minimumSizeHint().width() < panel->width());
        QCOMPARE(
            f.panel(1), QStringLiteral(" You can click on the keys / modifiers columns to display the associated key"));
        // The grid: its headers; comments show across the row, and headline lines as their section's title.
        QCOMPARE(f.keyGrid()->model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Keys"));
        QCOMPARE(WindowFixture::shown(f.keyGrid(), 5, 1), QStringLiteral("Tarnwick sample"));
        QCOMPARE(f.keyGrid()->model()->index(5, 1).data(Qt::FontRole).value<QFont>().bold(), true);
        QCOMPARE(
            QList<int>({f.keyGrid()->columnSpan(0, 1), f.keyGrid()->columnSpan(5, 1), f.keyGrid()->columnSpan(9, 1)}),
            QList<int>({9, 9, 1}));
        // Spans follow the view: the last line, a comment, once scrolled to.
        f.keyGrid()->scrollToBottom();
        QCOMPARE(f.keyGrid()->columnSpan(220, 1), 9);
        QCOMPARE(f.keyGrid()->columnWidth(1), px(3540));
    }

    // A cancelled dialog keeps everything; the next one opens the other file, or refuses a file it cannot read and is
    // left with none.
    void openDialog_data() { testing::addRows("target", {"two.key", "no.key", "."}); }

    void openDialog()
    {
        QFETCH(QString, target);
        WindowFixture f;
        f.copySample();
        f.writeKeyFile(QStringLiteral("two.key"), "SimOnly -1 0 0x1E 0 0 0 1 \"One\"\r\n");
        f.start(f.dir.filePath(QStringLiteral("sample.key")));
        f.keyGrid()->scrollToBottom();
        f.showPage(gui::MainWindow::CompareFilesPageIndex);
        const QString path = f.dir.filePath(target); // "." is a folder
        const bool readable = target == QLatin1String("two.key");
        f.prompts.answerFile(QString());
        f.prompts.answerFile(path);
        if (!readable)
            f.prompts.answerMessage(gui::PromptAnswer::Ok);
        f.click(QStringLiteral("Command4_0"));
        QCOMPARE(f.keyGrid()->model()->rowCount(), 221);
        f.trigger(QStringLiteral("mnuFileOpen"));
        const AskedPrompt& asked = f.prompts.asked.first();
        QCOMPARE(asked.kind, AskedPrompt::OpenFile);
        QCOMPARE(QStringList({asked.request.title, asked.request.filter, asked.request.startFolder}),
            QStringList({"Select the key file to open ...", "Falcon .key files (*.key)|*.key|All files (*.*) |*.*",
                f.window->locations().keyFilesFolder}));
        if (!readable) {
            QCOMPARE(f.lastAsked().title, QStringLiteral("Unable to open key file"));
            QCOMPARE(f.lastAsked().icon, gui::PromptIcon::Critical);
            QVERIFY(f.lastAsked().text.startsWith(QStringLiteral("I couldn't open ") + path + QStringLiteral(": ")));
            QCOMPARE(f.savedState(), gui::SavedState::NoFile);
            QCOMPARE(f.keyGrid()->model()->rowCount(), 0);
            // No progress text is left behind, and the comparison no longer offers the old file.
            QCOMPARE(QStringList({f.panel(2), f.tabs()->tabText(0), f.panel(1), f.banner()}),
                QStringList({"No Key File Opened", "Key file", "", "Ready"}));
            QCOMPARE(f.window->comparePage()->path(0), QString());
            return;
        }
        QCOMPARE(f.keyGrid()->model()->rowCount(), 1);
        QCOMPARE(WindowFixture::shown(f.listGrid(), 0, 2), QStringLiteral("a"));
        QCOMPARE(QStringList({f.tabs()->tabText(0), f.window->locations().keyFileName}), QStringList(2, "two.key"));
        QCOMPARE(f.tabs()->currentIndex(), 0);
        QCOMPARE(f.window->comparePage()->path(0), path);
        // A newly opened file starts at its top.
        QCOMPARE(f.keyGrid()->verticalScrollBar()->value(), 0);
    }

    // The layout table's numbers at the standard size and two others, in twips of the client area.
    void layoutFollowsTheWindowSize_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QSize>("tabs");
        QTest::addColumn<QSize>("grid");
        QTest::newRow("standard") << 15000 << 10395 << QSize(px(14880), px(8880)) << QSize(px(14640), px(7870));
        QTest::newRow("larger") << 18000 << 12000 << QSize(px(17880), px(10485)) << QSize(px(17640), px(9475));
        QTest::newRow("smaller") << 12000 << 9000 << QSize(px(11880), px(7485)) << QSize(px(11640), px(6475));
    }

    void layoutFollowsTheWindowSize()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QSize, tabs);
        QFETCH(QSize, grid);
        WindowFixture f(testing::created);
        f.window->resizeControls(width, height);
        QCOMPARE(f.tabs()->geometry(), QRect(QPoint(0, px(780)), tabs));
        QCOMPARE(f.keyGrid()->size(), grid);
        QCOMPARE(f.listGrid()->size(), grid);
        QCOMPARE(f.keyGrid()->mapTo(f.tabs(), QPoint(0, 0)), QPoint(px(60), px(870)));
        QCOMPARE(f.find<QWidget>(QStringLiteral("FindBar"))->mapTo(f.tabs(), QPoint(0, 0)), QPoint(px(60), px(420)));
        // A client area too small leaves the sizes as they were.
        f.window->resizeControls(0, 0);
        QCOMPARE(f.keyGrid()->size(), grid);
        QCOMPARE(f.find<QStatusBar>(QStringLiteral("StatusBar"))->geometry().bottom(), px(height) - 1);
    }

    // Opening, sorting and filtering paint the grid once. A layout left to the paint, or a column header taking
    // its sections apart for a change of rows only, asked for a second paint of the whole grid after the first.
    void gridPaintedOncePerAnswer_data() { testing::addRows("action", {"open", "sort", "reset", "filter"}); }

    void gridPaintedOncePerAnswer()
    {
        QFETCH(QString, action);
        std::string lines;
        for (int i = 0; i < 300; ++i)
            lines += "SimF" + std::to_string(300 - i) + " -1 0 0x1E 0 0XFFFFFFFF 0 1 \"F\"\r\n";
        WindowFixture f(testing::created);
        const QString path = f.writeKeyFile(QStringLiteral("big.key"), lines);
        gui::GridView* grid = f.keyGrid();
        if (action != QLatin1String("open")) {
            f.window->startUp(path);
            grid->selectBlock(0, 1, 0, 1);
        }
        if (action == QLatin1String("reset"))
            f.click(QStringLiteral("Command2_0"));
        QTest::qWait(50);
        PaintCounter counter(grid->viewport());
        if (action == QLatin1String("open"))
            f.window->startUp(path);
        else if (action == QLatin1String("filter"))
            f.window->keyFilePage()->findBar()->filter()->setText(QStringLiteral("simf1"));
        else
            f.click(action == QLatin1String("sort") ? QStringLiteral("Command2_0") : QStringLiteral("Command2_2"));
        QTest::qWait(50);
        QCOMPARE(counter.paints, 1);
    }

    void pageSwitchingShowsOneLargeControl_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("sortEnabled");
        QTest::addColumn<bool>("removeSimEnabled");
        QTest::newRow("key file") << 0 << true << false;
        QTest::newRow("keys assigned") << 1 << true << true;
        QTest::newRow("spare keys") << 2 << false << false;
        QTest::newRow("cougar") << 3 << false << true;
        QTest::newRow("compare") << 4 << false << false;
    }

    void pageSwitchingShowsOneLargeControl()
    {
        QFETCH(int, page);
        QFETCH(bool, sortEnabled);
        QFETCH(bool, removeSimEnabled);
        WindowFixture f(testing::created);
        f.showPage(page == 0 ? 1 : 0);
        f.showPage(page);
        QCOMPARE(f.keyGrid()->isVisible(), page == 0);
        QCOMPARE(f.listGrid()->isVisible(), page == 1);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(f.find<QToolButton>(QStringLiteral("Command2_%1").arg(i))->isEnabled(), sortEnabled);
        QCOMPARE(f.find<QCheckBox>(QStringLiteral("CHKRemoveSIM"))->isEnabled(), removeSimEnabled);
        // The tab row's buttons belong to their own page.
        QCOMPARE(f.find<QToolButton>(QStringLiteral("Command4_0"))->isVisible(), page == 0);
        QCOMPARE(f.find<QToolButton>(QStringLiteral("Command4_2"))->isVisible(), page == 1);
    }

    // The line number is the file's, as wide as the largest one, and stays in view when scrolled sideways.
    void lineNumbersStayInView()
    {
        WindowFixture f;
        std::string bytes;
        for (int i = 0; i < 12000; ++i)
            bytes += "SimLine" + std::to_string(i) + " -1 0 0x1E 0 0 0 1 \"d\"\r\n\r\n";
        f.open(bytes);
        gui::GridView* grid = f.keyGrid();
        QCOMPARE(grid->model()->headerData(11999, Qt::Vertical).toInt(), 23999);
        QVERIFY(grid->isColumnHidden(0));
        QVERIFY(grid->verticalHeader()->isVisible());
        QVERIFY(grid->verticalHeader()->width() >= grid->fontMetrics().horizontalAdvance(QStringLiteral("23999")));
        grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
        QVERIFY(grid->verticalHeader()->isVisible());
        QCOMPARE(grid->verticalHeader()->x(), grid->frameWidth());
    }

    void dialogFiltersBecomeQtNameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("key files") << QStringLiteral("Falcon .key files (*.key)|*.key|All files (*.*) |*.*")
                                   << QStringList{"Falcon .key files (*.key)", "All files (*.*)"};
        QTest::newRow("caption without pattern") << QStringLiteral("Keys|*.key") << QStringList{"Keys (*.key)"};
    }

    void dialogFiltersBecomeQtNameFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, names);
        QCOMPARE(gui::WidgetPrompts::qtFilters(filter), names);
    }

    // A file given on the command line opens rather than the remembered one. Recent files, the window's place and its
    // columns come back in the next run; the old keys keep their meaning.
    void windowStateIsRememberedBetweenRuns()
    {
        WindowFixture f;
        const QString one = f.writeKeyFile(QStringLiteral("one.key"), kSmallFile);
        testing::writeBytes(f.settings.path(), "[FileLocations]\nKeyFilePath=" + one.toStdString() + "\n");
        const QString two = f.open(kSmallFile, QStringLiteral("two.key"));
        QCOMPARE(f.session()->path(), two);
        f.session()->open(one);
        f.window->setGeometry(40, 50, 1100, 760);
        f.keyGrid()->setColumnWidth(2, 123);
        QVERIFY(f.window->close());
        const std::string ini = testing::readBytes(f.settings.path());
        QVERIFY(ini.find("KeyFilePath=" + one.toStdString()) != std::string::npos);
        QVERIFY(ini.find("Recent1=" + one.toStdString()) != std::string::npos);
        QVERIFY(ini.find("Recent2=" + two.toStdString()) != std::string::npos);

        QFile::remove(two);
        WindowFixture again;
        QFile::copy(f.settings.path(), again.settings.path());
        again.start();
        QCOMPARE(again.window->size(), QSize(1100, 760));
        QCOMPARE(again.keyGrid()->columnWidth(2), 123);
        QCOMPARE(again.session()->path(), one);
        auto* recent = again.window->findChild<QMenu*>(QStringLiteral("mnuFileRecent"));
        emit recent->aboutToShow();
        QCOMPARE(recent->actions().size(), 2);
        QVERIFY(recent->actions()[0]->isEnabled());
        QVERIFY(!recent->actions()[1]->isEnabled()); // the file that is gone, greyed
    }

    void droppedKeyFileOpensThroughTheSaveOffer()
    {
        WindowFixture f(kSmallFile);
        const QString other = f.writeKeyFile(QStringLiteral("other.key"), "SimOther -1 0 0x1E 0 0 0 1 \"o\"\r\n");
        f.session()->edit({{0, 2, QStringLiteral("7")}}, QStringLiteral("Edit"));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(other)});
        QCOMPARE(gui::MainWindow::droppedFile(&data), other);
        f.prompts.answerMessage(gui::PromptAnswer::No); // do not save k.key
        QVERIFY(f.window->acceptDrops());
        QVERIFY(f.window->openDropped(&data));
        QCOMPARE(f.prompts.asked.first().title, QStringLiteral(" Save k.key now?"));
        QCOMPARE(f.session()->path(), other);
        data.setUrls({QUrl::fromLocalFile(other), QUrl::fromLocalFile(other)});
        QCOMPARE(gui::MainWindow::droppedFile(&data), QString());
    }

    // Another program rewrites, replaces or deletes the open file: a bar says so, and a save asks first.
    void fileChangedOnDisk_data() { testing::addRows("how", {"rewrite", "replace", "delete"}); }

    void fileChangedOnDisk()
    {
        QFETCH(QString, how);
        const QString text = how == QLatin1String("delete")
            ? QStringLiteral("k.key has been deleted or moved by another program.")
            : QStringLiteral("k.key has been changed on disk by another program.");
        WindowFixture f;
        const QString path = f.open(kSmallFile);
        auto* bar = f.find<QWidget>(QStringLiteral("DiskChangedBar"));
        // Our own save is no change from outside.
        f.session()->edit({{0, 2, QStringLiteral("7")}}, QStringLiteral("Edit"));
        f.trigger(QStringLiteral("mnuFileSave"));
        QTest::qWait(200);
        QVERIFY(!bar->isVisible());
        const std::string theirs = "SimTheirs -1 0 0x1E 0 0 0 1 \"t\"\r\n";
        if (how == QLatin1String("rewrite")) {
            testing::writeBytes(path, theirs);
        } else if (how == QLatin1String("replace")) {
            testing::writeBytes(path + QStringLiteral(".new"), theirs);
            QFile::remove(path);
            QFile::rename(path + QStringLiteral(".new"), path);
        } else {
            QFile::remove(path);
        }
        QTRY_VERIFY(bar->isVisible());
        QCOMPARE(f.find<QLabel>(QStringLiteral("DiskChangedText"))->text(), text);
        QCOMPARE(f.find<QPushButton>(QStringLiteral("ReloadButton"))->isEnabled(), how != QLatin1String("delete"));
        QVERIFY(f.tabs()->y() > bar->y());
        if (how == QLatin1String("delete")) {
            f.find<QPushButton>(QStringLiteral("KeepMineButton"))->click();
            QCOMPARE(f.savedState(), gui::SavedState::Modified);
            QVERIFY(!bar->isVisible());
            return;
        }
        // A save now asks before it overwrites their change; No keeps it.
        f.prompts.answerMessage(gui::PromptAnswer::No);
        f.trigger(QStringLiteral("mnuFileSave"));
        QCOMPARE(f.lastAsked().title, QStringLiteral(" Overwrite k.key?"));
        QCOMPARE(testing::readBytes(path), theirs);
        // Reload takes their file, asking first since there are edits.
        f.session()->edit({{0, 2, QStringLiteral("8")}}, QStringLiteral("Edit"));
        f.prompts.answerMessage(gui::PromptAnswer::Yes);
        f.find<QPushButton>(QStringLiteral("ReloadButton"))->click();
        QCOMPARE(f.lastAsked().title, QStringLiteral(" Reload k.key?"));
        QCOMPARE(f.session()->cellText(0, 1), QStringLiteral("SimTheirs"));
        QVERIFY(!bar->isVisible());
        QCOMPARE(f.savedState(), gui::SavedState::Saved);
    }

    void aboutAndAccessibleNames()
    {
        WindowFixture f(kSmallFile);
        f.prompts.answerMessage(gui::PromptAnswer::Ok);
        f.trigger(QStringLiteral("mnuHelpAbout"));
        QCOMPARE(f.lastAsked().title, QStringLiteral("About Tarnwick"));
        QVERIFY(f.lastAsked().text.startsWith(QStringLiteral("Tarnwick 1.3\n")));
        QVERIFY(f.lastAsked().text.contains(QStringLiteral("Licence: MIT")));
        QVERIFY(f.lastAsked().text.endsWith(QDir::toNativeSeparators(f.settings.path())));
        // Every control can be named by a screen reader; a key names itself with its state.
        for (QWidget* widget : f.window->findChildren<QWidget*>())
            QVERIFY2(!gui::isControl(widget) || !widget->accessibleName().trimmed().isEmpty(),
                widget->metaObject()->className());
        f.showPage(gui::MainWindow::SpareKeysPageIndex);
        QCOMPARE(f.window->keyboardPage()->keyLabel(48)->accessibleName(), QStringLiteral("b, assigned once"));
        QCOMPARE(f.window->keyboardPage()->keyLabel(59)->accessibleName(), QStringLiteral("F1, free"));
        // Alt+2 shows the second page.
        QTest::keyClick(f.window.get(), Qt::Key_2, Qt::AltModifier);
        QCOMPARE(f.tabs()->currentIndex(), 1);
    }

    void everyHelpTextByObjectName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, int page, const char* text) {
            QTest::newRow(name) << QString::fromLatin1(name) << page << QString::fromLatin1(text);
        };
        row("CHKRemoveSIM", 1,
            " Select this if you want to remove SIM from the name. Useful for Cougar macros and sorting.");
        row("Command1_1", 4, " Select the two key files you want to compare.");
        row("Command3_0", 3, " I reckon you're smart enough to figure out what this does!");
        row("Command3_2", 3,
            " Don't forget to use this if you've made any changes to the order or content of any grid cells.");
        row("Command4_0", 0, " Use this button to select and open up a key file for editing");
        row("Command4_1", 0, " Use this button to save the key file");
        row("Command4_2", 1, " Use this button to view this data in your default text editor.");
        row("Command4_3", 4, " Use this button to save the comparison text below.");
        row("Command5", 4,
            " Select the two key files you want to compare and press this button. Note comparisons are done on SAVED "
            "files only!");
        row("Frame1", 2,
            " I bet you're seeing how quickly you can move your mouse over these keys whilst watching the data for "
            "them change!");
        row("Frame3", 0, " Use these buttons to sort the selected columns. Don't worry, row data will be maintained.");
        row("Label1", 0, " You can click on the keys / modifiers columns and display the associated key in here");
        row("Label4_11", 2, " Howdy."); // a caption
        row("Label5_0", 2, "  Dorvo by name, dorvo by nature!"); // two spaces
        row("Label5_2", 2, " Red indicates that I've detected the same keys allocated to different functions.");
        row("CmbJoystickDevice", 5, " Show the buttons of every device, or of one.");
        row("StatusPanel2", 0, " I'm the Status Bar. Move your mouse over items and I'll tell you what they do.");
        row("GridData", 0, " Click on the keys or modifier columns");
        row("KeyGrid", 1, " This is a simplified version of the key file.");
        row("RTBCougar", 3, " Note you will need to add slash modifiers");
        row("RTBcompare", 4, " You can copy and edit in here before saving");
    }

    void everyHelpTextByObjectName()
    {
        QFETCH(QString, name);
        QFETCH(int, page);
        QFETCH(QString, text);
        WindowFixture f(testing::created);
        f.showPage(page);
        QWidget* widget = f.find<QWidget>(name);
        QVERIFY2(widget && widget->isVisible(), qPrintable(name));
        // Grids and text boxes show their help from their viewport, the start of a longer text.
        if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
            WindowFixture::hover(area->viewport(), QPoint(20, 20));
            QVERIFY2(f.panel(1).startsWith(text), qPrintable(f.panel(1)));
            return;
        }
        WindowFixture::hover(widget, QPoint(2, 2));
        QCOMPARE(f.panel(1), text);
    }

    void panelIsNotRewrittenWhenTheTextIsThere()
    {
        WindowFixture f(testing::created);
        f.showPage(gui::MainWindow::CougarMacrosPageIndex);
        gui::StatusHelp* help = f.window->statusHelp();
        QTest::mouseMove(f.find<QWidget>(QStringLiteral("Command3_0")), QPoint(3, 3));
        const int writes = help->writes();
        QTest::mouseMove(f.find<QWidget>(QStringLiteral("Command3_1")), QPoint(3, 3));
        QTest::mouseMove(f.find<QWidget>(QStringLiteral("Command3_0")), QPoint(5, 5));
        QCOMPARE(help->writes(), writes);
        // A control without help leaves the text in place.
        f.showPage(gui::MainWindow::SpareKeysPageIndex);
        QTest::mouseMove(f.find<QWidget>(QStringLiteral("ChkModifier_0")), QPoint(3, 3));
        QCOMPARE(f.panel(1), QStringLiteral(" I reckon you're smart enough to figure out what this does!"));
        QCOMPARE(help->writes(), writes);
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"

#pragma once

#include "ScriptedPrompts.h"
#include "TestData.h"

#include "gui/GridPages.h"
#include "gui/GridProxy.h"
#include "gui/GridView.h"
#include "gui/KeyFileModel.h"
#include "gui/KeyFileSession.h"
#include "gui/KeyListModel.h"
#include "gui/MainWindow.h"
#include "gui/TabControl.h"
#include "io/SettingsFile.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <vector>

namespace testing {

/** In a _data function: a QString column `column` and one row for each value, named by it. */
inline void addRows(const char* column, const QStringList& values)
{
    QTest::addColumn<QString>(column);
    for (const QString& value : values)
        QTest::newRow(qPrintable(value)) << value;
}

/** Asks WindowFixture for a window that is created and shown at once: `WindowFixture f(testing::created);`. */
enum Created { created };

/**
 * A main window over scripted prompts, a recording desktop and a settings file in a temporary folder. Every model
 * of the window runs under QAbstractItemModelTester for the whole test, and a test that leaves a scripted answer
 * unused fails.
 */
struct WindowFixture
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    RecordingDesktop desktop;
    io::SettingsFile settings{dir.filePath(QStringLiteral("BremKeyDecode.ini"))};
    std::unique_ptr<gui::MainWindow> window;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    bool exposed = false;

    WindowFixture() = default;
    /** A window created and shown, with no file started. */
    explicit WindowFixture(Created) { create(); }
    /** A window started on a new key file of these bytes. */
    explicit WindowFixture(const std::string& bytes, const QString& name = QStringLiteral("k.key"))
    {
        open(bytes, name);
    }

    ~WindowFixture()
    {
        if (!prompts.allAnswersUsed())
            QTest::qFail("a scripted answer was left unused", __FILE__, __LINE__);
    }

    void create()
    {
        window = std::make_unique<gui::MainWindow>(gui::WindowContext{prompts, desktop, settings, dir.path()});
        for (QAbstractItemModel* model : std::initializer_list<QAbstractItemModel*>{
                 session()->fileModel(), session()->listModel(), keyGrid()->model(), listGrid()->model()})
            watch(model);
        window->show();
        // Pointer moves reach a window only once it is on screen.
        exposed = QTest::qWaitForWindowExposed(window.get());
    }

    /** Creates the window and starts it as the program does: on `path`, or else on the file the settings remember. */
    void start(const QString& path = {})
    {
        create();
        window->startUp(path);
    }

    /** Creates the window and starts it on a new key file of these bytes. */
    QString open(const std::string& bytes, const QString& name = QStringLiteral("k.key"))
    {
        const QString path = writeKeyFile(name, bytes);
        if (!window)
            create();
        window->startUp(path);
        return path;
    }

    QString writeKeyFile(const QString& name, const std::string& bytes)
    {
        const QString path = dir.filePath(name);
        writeBytes(path, bytes);
        return path;
    }

    QString copySample(const QString& name = QStringLiteral("sample.key"))
    {
        return writeKeyFile(name, readBytes(samplePath(QStringLiteral("tarnwick-sample.key"))));
    }

    /** Runs `model` under QAbstractItemModelTester until the fixture ends. */
    void watch(QAbstractItemModel* model)
    {
        testers.push_back(
            std::make_unique<QAbstractItemModelTester>(model, QAbstractItemModelTester::FailureReportingMode::QtTest));
    }

    template <typename T> T* find(const QString& name) const { return window->findChild<T*>(name); }

    gui::KeyFileSession* session() const { return window->session(); }
    gui::SavedState savedState() const { return session()->savedState(); }
    gui::GridView* keyGrid() const { return find<gui::GridView>(QStringLiteral("GridData")); }
    gui::GridView* listGrid() const { return find<gui::GridView>(QStringLiteral("KeyGrid")); }
    gui::TabControl* tabs() const { return find<gui::TabControl>(QStringLiteral("SSTab1")); }
    void showPage(int page) const { tabs()->setCurrentIndex(page); }

    /** What a grid shows in view row `row`. */
    static QString shown(const gui::GridView* grid, int row, int column)
    {
        return grid->model()->index(row, column).data().toString();
    }
    /** A grid's column as shown, top to bottom. */
    static QStringList shownColumn(const gui::GridView* grid, int column)
    {
        QStringList values;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            values << shown(grid, r, column);
        return values;
    }

    /** A model's rows as shown, each its cells joined by '|'. */
    static QStringList rows(const QAbstractItemModel* model)
    {
        QStringList lines;
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c)
                cells << model->index(r, c).data().toString();
            lines << cells.join(QLatin1Char('|'));
        }
        return lines;
    }
    /** Moves the pointer onto `widget` twice: a pointer that stays where the previous window left it reports no
     *  move. */
    static void hover(QWidget* widget, QPoint at = QPoint(3, 3))
    {
        QTest::mouseMove(widget, at + QPoint(1, 1));
        QTest::mouseMove(widget, at);
    }
    static void clickCell(gui::GridView* grid, int row, int column, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(grid->viewport(), button, {}, grid->visualRect(grid->model()->index(row, column)).center());
    }
    const AskedPrompt& lastAsked() const { return prompts.asked.last(); }
    /** The title and the text of the last question. */
    QStringList lastMessage() const { return {lastAsked().title, lastAsked().text}; }
    QStringList askedTitles() const
    {
        QStringList titles;
        for (const AskedPrompt& asked : prompts.asked)
            titles << asked.title;
        return titles;
    }

    QString panel(int n) const { return find<QLabel>(QStringLiteral("StatusPanel%1").arg(n))->text(); }
    QString panelTip(int n) const { return find<QLabel>(QStringLiteral("StatusPanel%1").arg(n))->toolTip(); }
    QString banner() const { return find<QLabel>(QStringLiteral("Label1"))->text(); }
    void click(const QString& name) const { find<QToolButton>(name)->click(); }
    void trigger(const QString& action) const { window->findChild<QAction*>(action)->trigger(); }
};

} // namespace testing

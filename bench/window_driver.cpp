// Drives the real window as a user would and times each action from its input to the window drawn again, with the
// event loop timestamped by a heartbeat: the longest time the loop did not turn is the longest freeze the user felt,
// background steps (a report filling its box) included.
//
//   window_driver [--lines N] [--file PATH] [--short] [--events] [--shots DIR] [--window-only] [--full-repaint]
//
// Without --file it writes two generated key files of N lines (default 32767, the most a key file holds in the
// window's grid of old). With --file it opens that file and compares it with a copy that lacks every 100th line.
// Each action's answer time is printed with the floor it is measured against where there is one: the empty
// window's start, a line count of the file as `wc -l` makes it, the engine's comparison of the same files.
// --short (CI) runs every action once on 2,000 lines, to check that the driver still runs and prints. --events
// prints the events that took longer than 5 ms while an action's queued work ran: where its time went. --shots
// saves a picture of the window on the Cougar page and on the comparison's report in DIR, to look at what was timed.
// --window-only leaves the floors out, so that a memory profiler's peak is the window's. An answer ends when the
// event loop has painted what the action changed; --full-repaint then draws the whole window once more, as the
// figures measured before 2026-12-07 did (12 to 17 ms more at 32,767 lines).
#include "BenchData.h"
#include "WindowDoubles.h"

#include "core/Comparison.h"
#include "core/KeyDocument.h"
#include "gui/ComparePage.h"
#include "gui/CougarPage.h"
#include "gui/Desktop.h"
#include "gui/GridPages.h"
#include "gui/GridProxy.h"
#include "gui/GridView.h"
#include "gui/JoystickPage.h"
#include "gui/KeyFileSession.h"
#include "gui/MainWindow.h"
#include "gui/Prompts.h"
#include "gui/TabControl.h"
#include "io/FileIo.h"
#include "io/Platform.h"
#include "io/SettingsFile.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

double msSince(const QElapsedTimer& clock, qint64 startNs)
{
    return double(clock.nsecsElapsed() - startNs) / 1e6;
}

/** A memory figure of this process in MiB, where the system tells it (Linux: "VmHWM:" the peak, "VmRSS:" now); 0
 *  elsewhere. */
double memoryMiB(const char* field = "VmHWM:")
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

/** Starts the system's count of the peak afresh (Linux: "5" written to /proc/self/clear_refs), so that the next
 *  peak read is of what comes after; false where it cannot, and the peak then counts from the start. */
bool restartPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

/** What `wc -l` does: the file read in blocks and its line ends counted. */
double lineCountMs(const QString& path)
{
    QElapsedTimer clock;
    clock.start();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    std::vector<char> block(128 * 1024);
    long long lines = 0;
    for (qint64 n; (n = file.read(block.data(), qint64(block.size()))) > 0;) {
        for (const char *p = block.data(), *end = p + n;
             (p = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)))); ++p)
            ++lines;
    }
    std::printf("  (%lld lines)\n", lines);
    return msSince(clock, 0);
}

/** With --events, the events that took longer than 5 ms while an action's queued work ran: where the time went. */
class TimedApplication final : public QApplication
{
public:
    using QApplication::QApplication;
    bool timing = false;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (!timing)
            return QApplication::notify(receiver, event);
        QElapsedTimer clock;
        clock.start();
        const bool result = QApplication::notify(receiver, event);
        if (const double ms = double(clock.nsecsElapsed()) / 1e6; ms > 5) {
            const QObject* parent = receiver->parent();
            std::printf("      event %d to %s %s (in %s %s): %.1f ms\n", int(event->type()),
                receiver->metaObject()->className(), qPrintable(receiver->objectName()),
                parent ? parent->metaObject()->className() : "-", parent ? qPrintable(parent->objectName()) : "", ms);
        }
        return result;
    }
};

class Driver
{
public:
    static constexpr int PauseMs = 300;

    Driver(gui::MainWindow* window, bool events, bool fullRepaint)
        : m_window(window)
        , m_events(events)
        , m_fullRepaint(fullRepaint)
    {
        m_clock.start();
        m_heartbeat.setInterval(1);
        QObject::connect(&m_heartbeat, &QTimer::timeout, [this] { beat(); });
    }

    /** Runs `action` as one input; returns the time until the window is drawn again and prints it with the longest
     *  freeze until `settled` holds (background steps included). */
    double answer(const char* name, const std::function<void()>& action, const std::function<bool()>& settled = {})
    {
        QTest::qWait(PauseMs); // a user's pause between two actions, in which background steps go on
        m_peak = std::max(m_peak, memoryMiB());
        const bool ownPeak = restartPeak();
        const qint64 start = m_clock.nsecsElapsed();
        // An action that waits for a worker in an event loop of its own (a big file's save) lets the window draw
        // meanwhile: the heartbeat runs through the action, and its longest freeze is the longest time without a
        // beat. Without such a loop the action is one freeze, as before.
        m_longestGap = 0;
        m_lastBeat = start;
        m_heartbeat.start();
        action();
        m_heartbeat.stop();
        const double acted = msSince(m_clock, start);
        auto* application = static_cast<TimedApplication*>(qApp);
        application->timing = m_events;
        QApplication::processEvents(); // what the input queued, the window's paint of what it changed among it
        application->timing = false;
        const double queued = msSince(m_clock, start);
        // A paint asked for while the queued work ran. A forced repaint of the whole window, as a user never sees one
        // after the event loop painted what changed, is only for comparing with figures measured that way.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        if (m_fullRepaint)
            m_window->repaint();
        if (m_events)
            std::printf("   [the action %.1f ms, its queued work %.1f ms, the drawing %.1f ms]\n", acted,
                queued - acted, msSince(m_clock, start) - queued);
        const double answered = msSince(m_clock, start);
        beat();
        m_heartbeat.start();
        while (settled && !settled())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        m_heartbeat.stop();
        const double whole = msSince(m_clock, start);
        // The action's own peak, where the system can count it afresh; else the peak so far, which only grows.
        const double peak = memoryMiB();
        m_peak = std::max(m_peak, peak);
        std::printf("%-34s %9.1f ms   longest freeze %7.1f ms   until done %9.1f ms   resident %6.0f MiB   %s %6.0f "
                    "MiB\n",
            name, answered, m_longestGap, whole, memoryMiB("VmRSS:"), ownPeak ? "its peak" : "peak", peak);
        m_worst = std::max(m_worst, m_longestGap);
        return whole;
    }

    double worstFreeze() const { return m_worst; }
    /** The highest peak of the window so far. */
    double peakMiB() const { return std::max(m_peak, memoryMiB()); }

private:
    void beat()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longestGap = std::max(m_longestGap, double(now - m_lastBeat) / 1e6);
        m_lastBeat = now;
    }

    gui::MainWindow* m_window;
    bool m_events;
    bool m_fullRepaint;
    QElapsedTimer m_clock;
    QTimer m_heartbeat;
    qint64 m_lastBeat = 0;
    double m_longestGap = 0;
    double m_worst = 0;
    double m_peak = 0;
};

void clickTab(gui::MainWindow* window, int index)
{
    QTabBar* bar = window->tabs()->findChild<QTabBar*>();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

} // namespace

int main(int argc, char** argv)
{
    io::returnBigBlocksAtOnce(); // as the program starts
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApplication app(argc, argv);
    int lines = 32767;
    QString file;
    bool quick = false;
    bool events = false;
    bool fullRepaint = false; // each answer ends with the whole window drawn once more, as figures before 2026-12-07
    bool openOnly = false; // for profiling the opening alone
    bool windowOnly = false;
    QString shots;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--short"))
            quick = true;
        else if (args[i] == QLatin1String("--open-only"))
            openOnly = true;
        else if (args[i] == QLatin1String("--window-only"))
            windowOnly = true;
        else if (args[i] == QLatin1String("--events"))
            events = true;
        else if (args[i] == QLatin1String("--full-repaint"))
            fullRepaint = true;
        else if (args[i] == QLatin1String("--lines") && i + 1 < args.size())
            lines = args[++i].toInt();
        else if (args[i] == QLatin1String("--file") && i + 1 < args.size())
            file = args[++i];
        else if (args[i] == QLatin1String("--shots") && i + 1 < args.size())
            shots = args[++i];
    }
    if (quick)
        lines = 2000;

    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("one.key"));
    const QString second = dir.filePath(QStringLiteral("two.key"));
    {
        std::string one, two;
        io::FileError error;
        if (file.isEmpty()) {
            one = bench::generateKeyFile(lines, 1);
            two = bench::generateKeyFile(lines, 2);
        } else if (!io::readFileBytes(file, &one, &error)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file));
            return 2;
        } else {
            std::size_t start = 0;
            for (int n = 0; start < one.size(); ++n) {
                std::size_t end = one.find('\n', start);
                end = end == std::string::npos ? one.size() : end + 1;
                if (n % 100 != 99)
                    two.append(one, start, end - start);
                start = end;
            }
        }
        if (!io::writeFileAtomically(first, one, &error) || !io::writeFileAtomically(second, two, &error))
            return 2;
    }
    std::printf("key file: %s, %.1f MiB\n", qPrintable(file.isEmpty() ? QStringLiteral("generated") : file),
        double(QFileInfo(first).size()) / (1024 * 1024));

    bench::FixedPrompts prompts(gui::PromptAnswer::Yes);
    bench::NoDesktop desktop;
    io::SettingsFile settings(dir.filePath(QStringLiteral("settings.ini")));
    QElapsedTimer clock;
    clock.start();
    gui::MainWindow window(gui::WindowContext{prompts, desktop, settings, dir.path()});
    window.resize(1200, 800);
    window.show();
    QApplication::processEvents();
    window.repaint();
    const double startMs = msSince(clock, 0);
    std::printf("%-34s %9.1f ms\n", "empty window's start", startMs);

    Driver driver(&window, events, fullRepaint);
    gui::KeyFileSession* session = window.session();
    gui::KeyFilePage* grid = window.keyFilePage();
    prompts.fileToOpen = first;
    const double openMs = driver.answer(
        "open (File > Open)", [&] { window.findChild<QAction*>(QStringLiteral("mnuFileOpen"))->trigger(); });
    if (openOnly)
        return 0;
    const char* const pages[] = {
        "page: Keys assigned", "page: Keyboard", "page: Cougar", "page: Compare", "page: Joystick", "page: Key file"};
    const auto shoot = [&](const char* name) {
        if (!shots.isEmpty())
            window.grab().save(QDir(shots).filePath(QString::fromLatin1(name)));
    };
    for (int i = 0; i < 6; ++i) {
        // A big file's macro text and joystick lines are made on workers: a page is done when they show.
        driver.answer(
            pages[i], [&] { clickTab(&window, (i + 1) % 6); },
            [&] { return !window.cougarPage()->making() && !window.joystickPage()->reading(); });
        if (i == 2)
            shoot("cougar.png");
    }
    clickTab(&window, 2);
    auto* shift = window.findChild<QCheckBox*>(QStringLiteral("ChkModifier_0"));
    driver.answer("modifier tick (Shift)", [&] { QTest::mouseClick(shift, Qt::LeftButton); });
    driver.answer("modifier untick (Shift)", [&] { QTest::mouseClick(shift, Qt::LeftButton); });
    clickTab(&window, 0);
    // A sort as the user makes one: the column chosen by its header, then a sort button.
    QHeaderView* header = grid->grid()->horizontalHeader();
    const struct
    {
        const char* name;
        int column;
        const char* button;
    } sorts[] = {{"sort by sim name (ascending)", core::SimNameColumn, "Command2_0"},
        {"sort by scan code (descending)", core::KeyColumn, "Command2_1"},
        {"sort reset", core::KeyColumn, "Command2_2"}, {"sort by description", core::DescriptionColumn, "Command2_0"}};
    for (const auto& sort : sorts) {
        // The column brought into view first, as a user scrolls to it: the description is the last of ten.
        grid->grid()->scrollTo(grid->grid()->model()->index(0, sort.column));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(sort.column) + 4, header->height() / 2));
        auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(sort.button));
        driver.answer(
            sort.name, [&] { QTest::mouseClick(button, Qt::LeftButton); }, [&] { return !grid->proxy()->sorting(); });
    }
    QLineEdit* filter = grid->findBar()->filter();
    driver.answer("find (Edit > Find)", [&] { window.findChild<QAction*>(QStringLiteral("mnuEditFind"))->trigger(); });
    driver.answer("filter keystroke", [&] { QTest::keyClick(filter, Qt::Key_S); });
    driver.answer("filter second keystroke", [&] { QTest::keyClick(filter, Qt::Key_I); });
    driver.answer("filter cleared (Esc)", [&] { QTest::keyClick(filter, Qt::Key_Escape); });
    driver.answer("edit (one cell)", [&] {
        session->edit({{lines / 2, core::ModifierColumn, QStringLiteral("3")}}, QStringLiteral("Edit"));
    });
    driver.answer("undo (Edit > Undo)", [&] { window.findChild<QAction*>(QStringLiteral("mnuEditUndo"))->trigger(); });
    driver.answer("redo (Edit > Redo)", [&] { window.findChild<QAction*>(QStringLiteral("mnuEditRedo"))->trigger(); });
    driver.answer("save (File > Save)", [&] { window.findChild<QAction*>(QStringLiteral("mnuFileSave"))->trigger(); });
    clickTab(&window, 3);
    // The user copies the text once it shows: a big file's text is made on a worker after the edits above.
    while (window.cougarPage()->making())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    driver.answer("Cougar: Copy all",
        [&] { QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command3_0")), Qt::LeftButton); });
    // Another program pastes it: the window makes the text then, while the paste waits.
    qsizetype pasted = 0;
    driver.answer("Cougar: the copied text pasted", [&] { pasted = desktop.pasteUtf8().size(); });
    if (pasted == 0) {
        std::fprintf(stderr, "the pasted text is empty\n");
        return 1;
    }
    clickTab(&window, 4);
    gui::ComparePage* compare = window.comparePage();
    compare->setPath(0, first);
    compare->setPath(1, second);
    const double compareMs = driver.answer(
        "compare: first screen .. whole report",
        [&] { QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command5")), Qt::LeftButton); },
        [&] { return !compare->filling(); });
    shoot("report.png");

    // The window's peak, before the floors below read and compare both files once more in this process.
    const double windowPeakMiB = driver.peakMiB();
    if (windowOnly) {
        std::printf("\npeak memory / file size: %.1f (%.0f MiB)\n",
            windowPeakMiB * 1024 * 1024 / double(QFileInfo(first).size()), windowPeakMiB);
        return 0;
    }
    // The floors, after the window's work so that the file is in the cache for both.
    const double countMs = lineCountMs(first);
    QElapsedTimer engine;
    engine.start();
    {
        std::string one, two;
        io::FileError error;
        (void)io::readFileBytes(first, &one, &error);
        (void)io::readFileBytes(second, &two, &error);
        // The bytes are moved in, as the window's comparison takes them, and the report kept as places, as the
        // window keeps it.
        (void)core::placedComparison(
            {first.toStdString(), std::move(one), {}}, {second.toStdString(), std::move(two), {}}, std::tm{});
    }
    const double engineMs = msSince(engine, 0);
    std::printf("\nopen / (line count + empty start):  %.2f  (%.1f ms, %.1f ms + %.1f ms)\n",
        openMs / (countMs + startMs), openMs, countMs, startMs);
    std::printf(
        "whole report / engine comparison:   %.2f  (%.1f ms, %.1f ms)\n", compareMs / engineMs, compareMs, engineMs);
    std::printf("longest freeze: %.1f ms; peak memory / file size: %.1f (%.0f MiB)\n", driver.worstFreeze(),
        windowPeakMiB * 1024 * 1024 / double(QFileInfo(first).size()), windowPeakMiB);
    return 0;
}

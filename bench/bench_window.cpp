// The window's own sequences against the engine alone, offscreen: opening a 32767-line key file until "Ready",
// and comparing two 32767-line files until the report is in its box.
#include "BenchData.h"

#include "core/Comparison.h"
#include "core/KeyDocument.h"
#include "gui/ComparePage.h"
#include "gui/Desktop.h"
#include "gui/MainWindow.h"
#include "gui/Prompts.h"
#include "io/FileIo.h"
#include "io/SettingsFile.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

namespace {

class SilentPrompts final : public gui::Prompts
{
public:
    gui::PromptAnswer message(QWidget*, const QString&, const QString&, gui::PromptButtons, gui::PromptIcon) override
    {
        return gui::PromptAnswer::Cancel;
    }
    QString openFileName(QWidget*, const gui::FileDialogRequest&) override { return {}; }
    QString saveFileName(QWidget*, const gui::FileDialogRequest&) override { return {}; }
};

class NoDesktop final : public gui::Desktop
{
public:
    void clearClipboard() override { }
    void setClipboardText(const QString&) override { }
    bool openDocument(const QString&) override { return true; }
    bool openInTextEditor(const QString&) override { return true; }
};

struct Setup
{
    QTemporaryDir dir;
    QString file1 = dir.filePath(QStringLiteral("one.key"));
    QString file2 = dir.filePath(QStringLiteral("two.key"));
    SilentPrompts prompts;
    NoDesktop desktop;
    io::SettingsFile settings{dir.filePath(QStringLiteral("BremKeyDecode.ini"))};
    std::unique_ptr<gui::MainWindow> window;

    Setup()
    {
        const std::string one = bench::generateKeyFile(32767, 1);
        const std::string two = bench::generateKeyFile(32767, 2);
        io::FileError error;
        (void)io::writeFileAtomically(file1, one, &error);
        (void)io::writeFileAtomically(file2, two, &error);
        window = std::make_unique<gui::MainWindow>(gui::WindowContext{prompts, desktop, settings, dir.path()});
        window->show();
        QApplication::processEvents();
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

void BM_EngineRead(benchmark::State& state)
{
    for (auto _ : state) {
        std::string bytes;
        io::FileError error;
        (void)io::readFileBytes(setup().file1, &bytes, &error);
        benchmark::DoNotOptimize(core::KeyDocument::fromBytes(std::move(bytes)));
    }
}
BENCHMARK(BM_EngineRead)->Unit(benchmark::kMillisecond);

// From the start of the opening to the grid drawn with the new file.
void BM_WindowOpen(benchmark::State& state)
{
    auto* banner = setup().window->findChild<QLabel*>(QStringLiteral("Label1"));
    auto* grid = setup().window->findChild<QAbstractItemView*>(QStringLiteral("GridData"));
    for (auto _ : state) {
        setup().window->openKeyFile(setup().file1);
        grid->viewport()->repaint();
        if (banner->text() != QLatin1String("Ready"))
            state.SkipWithError("not ready");
    }
}
BENCHMARK(BM_WindowOpen)->Unit(benchmark::kMillisecond);

// The same, and the list, keyboard colours and macro text that the other pages show built as well.
void BM_WindowOpenAllPages(benchmark::State& state)
{
    for (auto _ : state) {
        setup().window->openKeyFile(setup().file1);
        benchmark::DoNotOptimize(setup().window->keyListModel());
    }
}
BENCHMARK(BM_WindowOpenAllPages)->Unit(benchmark::kMillisecond);

void BM_EngineCompare(benchmark::State& state)
{
    std::string one, two;
    io::FileError error;
    (void)io::readFileBytes(setup().file1, &one, &error);
    (void)io::readFileBytes(setup().file2, &two, &error);
    const std::tm now{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            core::compareKeyFiles({setup().file1.toStdString(), one, {}}, {setup().file2.toStdString(), two, {}}, now));
    }
}
BENCHMARK(BM_EngineCompare)->Unit(benchmark::kMillisecond);

void BM_WindowCompare(benchmark::State& state)
{
    gui::ComparePage* page = setup().window->comparePage();
    page->setPath(0, setup().file1);
    page->setPath(1, setup().file2);
    auto* button = setup().window->findChild<QPushButton*>(QStringLiteral("Command5"));
    auto* box = setup().window->findChild<QTextEdit*>(QStringLiteral("RTBcompare"));
    for (auto _ : state) {
        button->click();
        box->viewport()->repaint(); // the report's first screen
        if (box->document()->isEmpty())
            state.SkipWithError("no report");
    }
    page->reportBox(); // the rest of the last report
}
BENCHMARK(BM_WindowCompare)->Unit(benchmark::kMillisecond);

// Until the whole report is in its box.
void BM_WindowCompareWhole(benchmark::State& state)
{
    gui::ComparePage* page = setup().window->comparePage();
    page->setPath(0, setup().file1);
    page->setPath(1, setup().file2);
    auto* button = setup().window->findChild<QPushButton*>(QStringLiteral("Command5"));
    for (auto _ : state) {
        button->click();
        benchmark::DoNotOptimize(page->reportBox());
    }
}
BENCHMARK(BM_WindowCompareWhole)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    setup().window.reset();
    return 0;
}

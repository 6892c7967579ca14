// The window's own sequences against the engine alone, offscreen: opening a 32767-line key file until "Ready",
// comparing two 32767-line files until the report is in its box, and editing: one edit with every view brought up
// to date, one edit with the Problems view shown, undoing a Paste of 1,000 rows, and a save against writing the same
// bytes with one fwrite.
#include "BenchData.h"
#include "WindowDoubles.h"

#include "core/Comparison.h"
#include "core/Find.h"
#include "core/KeyDocument.h"
#include "core/KeyboardUsage.h"
#include "gui/ComparePage.h"
#include "gui/Desktop.h"
#include "gui/GridEditing.h"
#include "gui/GridPages.h"
#include "gui/GridProxy.h"
#include "gui/GridView.h"
#include "gui/KeyFileModel.h"
#include "gui/KeyFileSession.h"
#include "gui/KeyListModel.h"
#include "gui/MainWindow.h"
#include "gui/ProblemsDock.h"
#include "gui/ProblemsModel.h"
#include "gui/Prompts.h"
#include "io/FileIo.h"
#include "io/SettingsFile.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QUndoStack>

#include <cstdio>

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

namespace {

struct Setup
{
    QTemporaryDir dir;
    QString file1 = dir.filePath(QStringLiteral("one.key"));
    QString file2 = dir.filePath(QStringLiteral("two.key"));
    QString doubles = dir.filePath(QStringLiteral("doubles.key"));
    bench::FixedPrompts prompts{gui::PromptAnswer::Cancel};
    bench::NoDesktop desktop;
    io::SettingsFile settings{dir.filePath(QStringLiteral("BremKeyDecode.ini"))};
    std::unique_ptr<gui::MainWindow> window;

    Setup()
    {
        const std::string one = bench::generateKeyFile(32767, 1);
        const std::string two = bench::generateKeyFile(32767, 2);
        io::FileError error;
        (void)io::writeFileAtomically(file1, one, &error);
        (void)io::writeFileAtomically(file2, two, &error);
        // Every line a double: lines 2n and 2n+1 bind one key, modifier and combination to two functions.
        std::string pairs;
        for (int i = 0; i < 32767; ++i) {
            const int pair = i / 2;
            pairs += "SimFunction" + std::to_string(i) + " -1 0 0x" + std::to_string(1 + pair % 60) + " "
                + std::to_string(pair / 60 % 8) + " 0x" + std::to_string(1 + pair / 480 % 60) + " 0 1 \"d\"\r\n";
        }
        (void)io::writeFileAtomically(doubles, pairs, &error);
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
        setup().window->session()->open(setup().file1);
        grid->viewport()->repaint();
        if (banner->text() != QLatin1String("Ready"))
            state.SkipWithError("not ready");
    }
}
BENCHMARK(BM_WindowOpen)->Unit(benchmark::kMillisecond);

// One edit of a cell with every view up to date: the grid's and the list's row, the keyboard usage of all eight
// modifier values and the hover answer of the edited key.
void BM_EditWithViews(benchmark::State& state)
{
    gui::KeyFileSession* session = setup().window->session();
    session->open(setup().file1);
    int modifier = 0;
    for (auto _ : state) {
        modifier = (modifier + 1) % 8;
        session->edit({{100, core::ModifierColumn, QString::number(modifier)}}, QStringLiteral("Edit"));
        const auto& usage = session->keyboardUsage();
        benchmark::DoNotOptimize(session->listModel()->index(100, 2).data());
        benchmark::DoNotOptimize(core::hoverAnswer(session->document(), usage[std::size_t(modifier)], 0, modifier));
    }
}
BENCHMARK(BM_EditWithViews)->Unit(benchmark::kMicrosecond);

// One edit with the Problems view shown and drawn: the check follows the edited row, the view's list the changed
// problems. Argument 0: the generated file; 1: every line a double (the view lists its first 5000 problems).
void BM_EditWithProblemsView(benchmark::State& state)
{
    gui::KeyFileSession* session = setup().window->session();
    session->open(state.range(0) == 0 ? setup().file1 : setup().doubles);
    gui::ProblemsDock* dock = setup().window->problemsDock();
    dock->show();
    QApplication::processEvents();
    int modifier = 0;
    for (auto _ : state) {
        modifier = (modifier + 1) % 8;
        session->edit({{101, core::ModifierColumn, QString::number(modifier)}}, QStringLiteral("Edit"));
        dock->table()->viewport()->repaint();
    }
    state.counters["problems"] = session->problems().count();
    dock->hide();
}
BENCHMARK(BM_EditWithProblemsView)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The problem list's share of one edit: a session without a window, with and without the Problems view's model and
// its sorted view (argument 1 and 0). The difference is what the list costs beyond the check's own update, which
// bench_problems measures (BM_EditUpdate).
void BM_SessionEdit(benchmark::State& state)
{
    bench::FixedPrompts prompts(gui::PromptAnswer::Cancel);
    gui::KeyFileSession session(prompts, nullptr);
    session.open(setup().file1);
    std::unique_ptr<gui::ProblemsModel> model;
    QSortFilterProxyModel sorted;
    if (state.range(0) == 1) {
        model = std::make_unique<gui::ProblemsModel>(&session);
        sorted.setSourceModel(model.get());
        sorted.setSortRole(gui::ProblemsModel::SortRole);
        sorted.sort(gui::ProblemsModel::LineColumn);
    }
    int modifier = 0;
    for (auto _ : state) {
        modifier = (modifier + 1) % 8;
        session.edit({{101, core::ModifierColumn, QString::number(modifier)}}, QStringLiteral("Edit"));
        benchmark::DoNotOptimize(sorted.rowCount());
    }
}
BENCHMARK(BM_SessionEdit)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Paste over 1,000 rows, then its undo with the views up to date; only the undo is timed.
void BM_UndoPasteOf1000Rows(benchmark::State& state)
{
    gui::KeyFileSession* session = setup().window->session();
    session->open(setup().file1);
    gui::GridEditing* editing = setup().window->keyFilePage()->editing();
    editing->setPasteKey(QStringLiteral("0X3B"), 5);
    for (auto _ : state) {
        state.PauseTiming();
        setup().window->keyFilePage()->grid()->selectBlock(2000, 4, 2999, 5);
        editing->paste();
        state.ResumeTiming();
        session->undoStack()->undo();
        benchmark::DoNotOptimize(session->keyboardUsage());
    }
}
BENCHMARK(BM_UndoPasteOf1000Rows)->Unit(benchmark::kMillisecond);

// A keystroke in the filter box with each row's search text cached: the view filtered and its count written.
void BM_FilterKeystroke(benchmark::State& state)
{
    gui::KeyFileSession* session = setup().window->session();
    session->open(setup().file1);
    auto* filter = setup().window->keyFilePage()->findBar()->filter();
    filter->setText(QStringLiteral("x")); // the first filter fills the cache
    int i = 0;
    for (auto _ : state) {
        filter->setText(QStringLiteral("func") + QString::number(i++ % 10));
        benchmark::DoNotOptimize(setup().window->keyFilePage()->proxy()->rowCount());
    }
    filter->clear();
}
BENCHMARK(BM_FilterKeystroke)->Unit(benchmark::kMillisecond);

// The section list of the document from its bindings.
void BM_SectionList(benchmark::State& state)
{
    const auto doc = core::KeyDocument::fromBytes(bench::generateKeyFile(32767, 1));
    (void)doc.binding(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(core::sections(doc));
}
BENCHMARK(BM_SectionList)->Unit(benchmark::kMillisecond);

// A save of an edited document (the write only), against the same bytes written with one fwrite.
void BM_Save(benchmark::State& state)
{
    gui::KeyFileSession* session = setup().window->session();
    session->open(setup().file1);
    session->edit({{10, core::ModifierColumn, QStringLiteral("3")}}, QStringLiteral("Edit"));
    const QString target = setup().dir.filePath(QStringLiteral("saved.key"));
    for (auto _ : state) {
        if (!session->saveTo(target))
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

void BM_Fwrite(benchmark::State& state)
{
    const std::string bytes = setup().window->session()->document().toBytes();
    const QByteArray target = setup().dir.filePath(QStringLiteral("fwrite.key")).toLocal8Bit();
    for (auto _ : state) {
        std::FILE* file = std::fopen(target.constData(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}
BENCHMARK(BM_Fwrite)->Unit(benchmark::kMillisecond);

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
    auto* box = setup().window->findChild<QPlainTextEdit*>(QStringLiteral("RTBcompare"));
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

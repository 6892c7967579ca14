// The views of a 32767-line key file (simplified list, keyboard usage for every modifier value, Cougar and TARGET
// macros), the comparison of two such files and the changes between them, against a baseline that only splits the
// bytes into lines.
#include "BenchData.h"

#include "core/Changes.h"
#include "core/Comparison.h"
#include "core/CougarMacros.h"
#include "core/GenericOrder.h"
#include "core/Joystick.h"
#include "core/KeyDocument.h"
#include "core/KeyboardUsage.h"
#include "core/SimplifiedList.h"
#include "core/TargetMacros.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>

namespace {

constexpr int kLines = 32767;

const std::string& input(unsigned seed)
{
    static const std::string first = bench::generateKeyFile(kLines, 1);
    static const std::string second = bench::generateKeyFile(kLines, 2);
    return seed == 1 ? first : second;
}

std::tm fixedTime()
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 4;
    t.tm_hour = 15;
    t.tm_min = 26;
    return t;
}

void BM_SplitLines(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::splitLines(input(1)));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input(1).size()));
}
BENCHMARK(BM_SplitLines)->Unit(benchmark::kMillisecond);

// Everything that opening a file rebuilds apart from the grid: the document, the list, the keyboard for all eight
// modifier values and the macro text.
void BM_BuildViews(benchmark::State& state)
{
    for (auto _ : state) {
        const auto doc = core::KeyDocument::fromBytes(input(1));
        const auto list = core::SimplifiedList::build(doc, false);
        const auto usage = core::KeyboardUsage::computeAll(doc);
        const std::string macros = core::fillCougarMacros(doc, list.entries(), false);
        benchmark::DoNotOptimize(usage);
        benchmark::DoNotOptimize(macros.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input(1).size()));
}
BENCHMARK(BM_BuildViews)->Unit(benchmark::kMillisecond);

// The macro page's text of an open document, rows in file order: the Cougar text from the readable list as the
// page builds it (the list, then the lines), and the TARGET text from the rows.
const core::KeyDocument& openDocument()
{
    static const core::KeyDocument doc = [] {
        auto d = core::KeyDocument::fromBytes(input(1));
        for (int r = 0; r < d.rowCount(); ++r)
            d.binding(r); // derived once, as an open document's are
        return d;
    }();
    return doc;
}

void BM_CougarMacros(benchmark::State& state)
{
    const auto& doc = openDocument();
    for (auto _ : state) {
        const auto list = core::SimplifiedList::build(doc, false);
        benchmark::DoNotOptimize(core::fillCougarMacros(doc, list.entries(), false));
    }
}
BENCHMARK(BM_CougarMacros)->Unit(benchmark::kMillisecond);

// The Cougar lines alone, from a list already built.
void BM_CougarMacrosFromList(benchmark::State& state)
{
    const auto& doc = openDocument();
    const auto list = core::SimplifiedList::build(doc, false);
    for (auto _ : state)
        benchmark::DoNotOptimize(core::fillCougarMacros(doc, list.entries(), false));
}
BENCHMARK(BM_CougarMacrosFromList)->Unit(benchmark::kMillisecond);

void BM_TargetMacros(benchmark::State& state)
{
    const auto& doc = openDocument();
    std::vector<int> rows;
    for (int r = 0; r < doc.rowCount(); ++r)
        rows.push_back(r);
    for (auto _ : state)
        benchmark::DoNotOptimize(core::fillTargetMacros(doc, rows, false));
}
BENCHMARK(BM_TargetMacros)->Unit(benchmark::kMillisecond);

// A sort of the grid by one column (argument: the column), each cell read once as a number or text, against the
// floor of a stable sort of the same cells as plain strings. The sort takes its keys, so both copy them first.
void BM_GenericSortOrder(benchmark::State& state)
{
    const auto doc = core::KeyDocument::fromBytes(input(1));
    std::vector<std::string> keys;
    for (int row = 0; row < doc.rowCount(); ++row)
        keys.emplace_back(doc.cell(row, static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(core::genericSortOrder(keys, 1, core::SortOrder::Ascending));
}
BENCHMARK(BM_GenericSortOrder)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

// The grid's sort by a range of columns (arguments: first and last column), each cell read once from the
// document's lines.
void BM_GridSort(benchmark::State& state)
{
    const auto doc = core::KeyDocument::fromBytes(input(1));
    const auto first = static_cast<int>(state.range(0));
    const auto width = static_cast<std::size_t>(state.range(1) - state.range(0) + 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(core::genericSortOrder(
            static_cast<std::size_t>(doc.rowCount()), width,
            [&doc, first](std::size_t row, std::size_t k, std::string& spare) {
                return doc.cellView(static_cast<int>(row), first + static_cast<int>(k), spare);
            },
            core::SortOrder::Descending));
}
BENCHMARK(BM_GridSort)->Args({1, 1})->Args({4, 7})->Unit(benchmark::kMillisecond);

// The grid's sort by the keys (column 3) from the order a sort by name left (argument 1) or from the file's order
// (argument 0): the cells are read in the file's order either way.
void BM_GridSortShown(benchmark::State& state)
{
    const auto doc = core::KeyDocument::fromBytes(input(1));
    const auto cellText = [&doc](int column) {
        return [&doc, column](int row, std::size_t, std::string& spare) { return doc.cellView(row, column, spare); };
    };
    std::vector<int> shown(static_cast<std::size_t>(doc.rowCount()));
    std::iota(shown.begin(), shown.end(), 0);
    if (state.range(0) == 1)
        shown = core::genericSortRows(shown, 1, cellText(core::SimNameColumn), core::SortOrder::Ascending);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            core::genericSortRows(shown, 1, cellText(core::KeyColumn), core::SortOrder::Descending));
}
BENCHMARK(BM_GridSortShown)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The joystick page's lines: every DirectX and POV line placed, described and sorted.
void BM_JoystickLines(benchmark::State& state)
{
    const auto doc = core::KeyDocument::fromBytes(input(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(core::joystickLines(doc, core::JoystickSettings{}));
}
BENCHMARK(BM_JoystickLines)->Unit(benchmark::kMillisecond);

void BM_PlainStringSort(benchmark::State& state)
{
    const auto doc = core::KeyDocument::fromBytes(input(1));
    std::vector<std::string> keys;
    for (int row = 0; row < doc.rowCount(); ++row)
        keys.emplace_back(doc.cell(row, static_cast<int>(state.range(0))));
    for (auto _ : state) {
        const std::vector<std::string> copy = keys;
        std::vector<std::size_t> order(copy.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(), [&copy](auto a, auto b) { return copy[a] < copy[b]; });
        benchmark::DoNotOptimize(order);
    }
}
BENCHMARK(BM_PlainStringSort)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

// What a click on a modifier box costs: the keyboard for one modifier value of an open document.
void BM_KeyboardUsageOneModifier(benchmark::State& state)
{
    const auto doc = core::KeyDocument::fromBytes(input(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(core::KeyboardUsage::compute(doc, 3));
}
BENCHMARK(BM_KeyboardUsageOneModifier)->Unit(benchmark::kMillisecond);

void BM_CompareHashed(benchmark::State& state)
{
    const core::CompareInput one{"one.key", input(1), {}};
    const core::CompareInput two{"two.key", input(2), {}};
    for (auto _ : state)
        benchmark::DoNotOptimize(core::compareKeyFiles(one, two, fixedTime()));
}
BENCHMARK(BM_CompareHashed)->Unit(benchmark::kMillisecond);

// Function by function, from the bytes: both documents read, every line split into its cells and paired. To be
// set against BM_CompareHashed, the report's engine.
void BM_Changes(benchmark::State& state)
{
    for (auto _ : state) {
        const auto changes
            = core::Changes::between(core::KeyDocument::fromBytes(input(1)), core::KeyDocument::fromBytes(input(2)));
        benchmark::DoNotOptimize(changes.counts());
    }
}
BENCHMARK(BM_Changes)->Unit(benchmark::kMillisecond);

// The reference: every line and name looked up by scanning the other file's list from its start.
void BM_CompareLinear(benchmark::State& state)
{
    const core::CompareInput one{"one.key", input(1), {}};
    const core::CompareInput two{"two.key", input(2), {}};
    for (auto _ : state)
        benchmark::DoNotOptimize(core::compareKeyFilesLinear(one, two, fixedTime()));
}
BENCHMARK(BM_CompareLinear)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();

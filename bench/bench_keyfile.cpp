// Reading and writing a 32767-line key file, against a baseline that only splits the bytes into lines (and one that
// copies them first, as reading does).
#include "BenchData.h"

#include "core/KeyDocument.h"

#include <benchmark/benchmark.h>

namespace {

const std::string& input()
{
    static const std::string bytes = bench::generateKeyFile(32767);
    return bytes;
}

void BM_SplitLines(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::splitLines(input()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input().size()));
}
BENCHMARK(BM_SplitLines)->Unit(benchmark::kMillisecond);

// Reading takes its bytes by value, so each iteration below copies the input first: this is its baseline, like
// with like.
void BM_CopyAndSplitLines(benchmark::State& state)
{
    for (auto _ : state) {
        const std::string bytes = input();
        benchmark::DoNotOptimize(bench::splitLines(bytes));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input().size()));
}
BENCHMARK(BM_CopyAndSplitLines)->Unit(benchmark::kMillisecond);

// Reading makes the rows; every cell is then split once, as the grid and the views do.
void BM_ReadKeyFile(benchmark::State& state)
{
    for (auto _ : state) {
        const auto doc = core::KeyDocument::fromBytes(input());
        std::size_t cells = 0;
        for (int r = 0; r < doc.rowCount(); ++r)
            cells += doc.cells(r)[core::DescriptionColumn].size();
        benchmark::DoNotOptimize(cells);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input().size()));
}
BENCHMARK(BM_ReadKeyFile)->Unit(benchmark::kMillisecond);

void BM_ReadOnly(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(core::KeyDocument::fromBytes(input()));
}
BENCHMARK(BM_ReadOnly)->Unit(benchmark::kMillisecond);

// The quick splitter over every line, the work each view of a big file starts with.
void BM_SplitRecordViews(benchmark::State& state)
{
    const std::vector<std::string_view> lines = bench::splitLines(input());
    for (auto _ : state) {
        core::RecordViews views;
        std::size_t fields = 0;
        for (const std::string_view line : lines) {
            if (core::splitRecordViews(line, views))
                fields += views[core::KeyColumn].size();
        }
        benchmark::DoNotOptimize(fields);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(BM_SplitRecordViews)->Unit(benchmark::kMicrosecond);

void BM_WriteKeyFile(benchmark::State& state)
{
    auto doc = core::KeyDocument::fromBytes(input());
    for (int r = 0; r < doc.rowCount(); r += 10)
        doc.setCell(r, core::ModifierColumn, "1");
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.toBytes());
}
BENCHMARK(BM_WriteKeyFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// The problem check of a 32767-line key file against deriving the lines' bindings, which it reads; and what one
// edit costs the check that follows the document.
#include "BenchData.h"

#include "core/Binding.h"
#include "core/KeyDocument.h"
#include "core/Problems.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kLines = 32767;

// The generated file: every kind of line, hundreds of keys bound to several functions.
const std::string& mixedFile()
{
    static const std::string bytes = bench::generateKeyFile(kLines, 1);
    return bytes;
}

// Every line a double: lines 2n and 2n+1 bind one key and modifier to two functions.
const std::string& doublesFile()
{
    static const std::string bytes = [] {
        std::string out;
        for (int i = 0; i < kLines; ++i) {
            const int pair = i / 2;
            out += "SimFunction" + std::to_string(i) + " -1 0 0x" + std::to_string(1 + pair % 60) + " "
                + std::to_string(pair / 60 % 8) + " 0x" + std::to_string(1 + pair / 480 % 60) + " 0 1 \"d\"\r\n";
        }
        return out;
    }();
    return bytes;
}

// One key bound to every line: the largest group an edit can touch.
const std::string& oneKeyFile()
{
    static const std::string bytes = [] {
        std::string out;
        for (int i = 0; i < kLines; ++i)
            out += "SimFunction" + std::to_string(i) + " -1 0 0x1E 1 0 0 1 \"d\"\r\n";
        return out;
    }();
    return bytes;
}

const std::string& inputOf(int which)
{
    return which == 0 ? mixedFile() : which == 1 ? doublesFile() : oneKeyFile();
}

void deriveAll(const core::KeyDocument& doc)
{
    for (int r = 0; r < doc.rowCount(); ++r)
        benchmark::DoNotOptimize(doc.binding(r));
}

// The baseline: the bindings of every line of a document just read.
void BM_DeriveBindings(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = core::KeyDocument::fromBytes(inputOf(static_cast<int>(state.range(0))));
        state.ResumeTiming();
        deriveAll(doc);
    }
}
BENCHMARK(BM_DeriveBindings)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The whole check of a document whose bindings are derived.
void BM_CheckProblems(benchmark::State& state)
{
    auto doc = core::KeyDocument::fromBytes(inputOf(static_cast<int>(state.range(0))));
    deriveAll(doc);
    core::ProblemCheck check;
    for (auto _ : state) {
        check.check(doc);
        benchmark::DoNotOptimize(check.count());
    }
    state.counters["problems"] = check.count();
}
BENCHMARK(BM_CheckProblems)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// One edit as the window makes it: a cell of one line changes, its binding is derived again and the check follows.
// The edits move lines between keys, so groups are left and joined every time.
void BM_EditUpdate(benchmark::State& state)
{
    auto doc = core::KeyDocument::fromBytes(inputOf(static_cast<int>(state.range(0))));
    core::ProblemCheck check;
    check.check(doc);
    int step = 0;
    for (auto _ : state) {
        const int row = (step * 7919) % doc.rowCount();
        doc.setCell(row, core::ModifierColumn, std::to_string(step % 8));
        check.update(doc, {row});
        benchmark::DoNotOptimize(check.count());
        ++step;
    }
    state.counters["problems"] = check.count();
}
BENCHMARK(BM_EditUpdate)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// The list a view shows after an edit: the first 5000 problems in line order.
void BM_ListFirst5000(benchmark::State& state)
{
    auto doc = core::KeyDocument::fromBytes(inputOf(static_cast<int>(state.range(0))));
    core::ProblemCheck check;
    check.check(doc);
    for (auto _ : state)
        benchmark::DoNotOptimize(check.list(5000));
}
BENCHMARK(BM_ListFirst5000)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();

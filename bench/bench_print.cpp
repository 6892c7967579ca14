// The printed reference of the stock full key file (../shared/corpus beside the checkout): the reference's data,
// its PDF (keyboard maps and bindings sheet) and its web page, offscreen.
#include "core/KeyDocument.h"
#include "core/Reference.h"
#include "print/ReferencePdf.h"

#include <QFile>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <string>

namespace {

const std::string& stockFullFile()
{
    static const std::string bytes = [] {
        QFile file(QStringLiteral(TARNWICK_SOURCE_DIR "/../shared/corpus/keyfiles/01_bms438_BMS-Full.key"));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }();
    return bytes;
}

// Everything File > Print reference does between the dialog and the write.
void BM_PrintReferencePdf(benchmark::State& state)
{
    if (stockFullFile().empty()) {
        state.SkipWithError("no corpus beside the checkout");
        return;
    }
    for (auto _ : state) {
        const auto doc = core::KeyDocument::fromBytes(stockFullFile());
        const auto reference = core::Reference::build(doc, "BMS - Full.key");
        benchmark::DoNotOptimize(print::printReference(reference, print::Paper::A4).pdf.size());
    }
}
BENCHMARK(BM_PrintReferencePdf)->Unit(benchmark::kMillisecond);

void BM_PrintReferenceHtml(benchmark::State& state)
{
    if (stockFullFile().empty()) {
        state.SkipWithError("no corpus beside the checkout");
        return;
    }
    for (auto _ : state) {
        const auto doc = core::KeyDocument::fromBytes(stockFullFile());
        benchmark::DoNotOptimize(core::referenceHtml(core::Reference::build(doc, "BMS - Full.key")));
    }
}
BENCHMARK(BM_PrintReferenceHtml)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    int qtArgc = 3;
    char name[] = "bench_print";
    char option[] = "-platform";
    char platform[] = "offscreen";
    char* qtArgv[] = {name, option, platform, nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

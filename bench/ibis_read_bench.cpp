// Reading speed of the IBIS library on the largest vendor's file of the
// shared corpus (2.5 MB, 44,000 lines, 384 V-T tables), against the floor
// any reader pays: finding the lines and the fields of each. The ratio of
// the two is the figure to watch; the file is skipped where the shared data
// folder is absent.

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "bench/CpuName.h"
#include "ibis/IbisFile.h"
#include "ibis/IbisRules.h"

namespace {

const std::string& Text()
{
    static const std::string text = [] {
        std::string t, error;
        IbisFile::ReadText(std::string(HALVEX_SHARED_DATA) + "/ibis-corpus/eispice_spartan3.ibs", IbisFile::MaxBytes, t,
                           error);
        return t;
    }();
    return text;
}

// The floor: every line found, every blank-separated field of it counted.
void BM_IbisLinesAndFields(benchmark::State& state)
{
    const std::string& text = Text();
    if (text.empty())
        state.SkipWithError("the shared corpus is absent");
    for (auto _ : state) {
        std::size_t fields = 0;
        bool inField = false;
        for (const char c : text) {
            const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
            fields += !blank && !inField;
            inField = !blank;
        }
        benchmark::DoNotOptimize(fields);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_IbisLinesAndFields)->Unit(benchmark::kMillisecond);

// Read alone (Arg 0) or read and checked against every rule (Arg 1).
void BM_IbisRead(benchmark::State& state)
{
    const std::string& text = Text();
    if (text.empty()) {
        state.SkipWithError("the shared corpus is absent");
        return;
    }
    const bool check = state.range(0) != 0;
    for (auto _ : state) {
        IbisFile file;
        std::string error;
        benchmark::DoNotOptimize(IbisFile::Read(text, "spartan3.ibs", file, error));
        if (check)
            benchmark::DoNotOptimize(IbisRules::Check(file));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_IbisRead)->ArgName("check")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return RunNamingTheCpu(argc, argv); }

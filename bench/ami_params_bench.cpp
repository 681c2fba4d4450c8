// Parsing and looking up a 1 MB AMI parameter text.
//
// Reference: copying the text and counting its parentheses, the two plain
// passes that any parse of it makes; the parse figures are read as ratios to
// it. Texts: an .ami-style model block repeated (branches four levels deep,
// quoted descriptions, ranges and lists), and a flat list of leaves.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/CpuName.h"
#include "params/AmiParameters.h"
#include "params/AmiTree.h"

namespace {

const std::size_t textBytes = 1 << 20;

std::string AmiStyleText()
{
    std::string text = "(Halvex_tx\n";
    for (int i = 0; text.size() < textBytes - 400; ++i) {
        const std::string n = std::to_string(i);
        text += " (Block" + n + "\n  (de" + n + " (Usage In) (Type Integer) (Format Range 15 0 15) (Default 15)\n"
                "   (Description \"De-emphasis (0 = none, 15 = strongest)\"))\n  (swing" + n +
                " (Usage In) (Type Float) (Format List 0.8 0.9 1.0) (Labels \"800 mV\" \"900 mV\" \"1 V\")))\n";
    }
    return text + " (de 3))";
}

std::string FlatText()
{
    std::string text = "(Halvex_tx";
    for (int i = 0; text.size() < textBytes - 40; ++i)
        text += " (p" + std::to_string(i) + " 1.25e-3)";
    return text + " (de 3))";
}

void ReferenceCopyAndCount(benchmark::State& state, const std::string& text)
{
    for (auto _ : state) {
        char* copy = static_cast<char*>(std::malloc(text.size() + 1));
        std::memcpy(copy, text.c_str(), text.size() + 1);
        long opens = 0;
        for (const char* s = copy; *s != '\0'; ++s)
            opens += *s == '(';
        benchmark::DoNotOptimize(opens);
        std::free(copy);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void Parse(benchmark::State& state, const std::string& text)
{
    for (auto _ : state) {
        AmiTree* tree = nullptr;
        if (ParseAmiTree(text.c_str(), &tree) != AmiParseOk)
            state.SkipWithError("parse failed");
        ReleaseAmiTree(&tree);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The simulator's lookup of the last leaf: every branch before it is passed.
void LookUpLast(benchmark::State& state, const std::string& text)
{
    AmiParameters params(text.c_str());
    double de = 0.0;
    for (auto _ : state) {
        if (!params.GetDouble(de, "Halvex_tx.de"))
            state.SkipWithError("lookup failed");
        benchmark::DoNotOptimize(de);
    }
}

void BM_ReferenceCopyAndCount(benchmark::State& state) { ReferenceCopyAndCount(state, AmiStyleText()); }
void BM_ParseAmiStyle1MB(benchmark::State& state) { Parse(state, AmiStyleText()); }
void BM_ParseFlat1MB(benchmark::State& state) { Parse(state, FlatText()); }
void BM_LookUpLastAmiStyle1MB(benchmark::State& state) { LookUpLast(state, AmiStyleText()); }
void BM_LookUpLastFlat1MB(benchmark::State& state) { LookUpLast(state, FlatText()); }

} // namespace

BENCHMARK(BM_ReferenceCopyAndCount)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseAmiStyle1MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseFlat1MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookUpLastAmiStyle1MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookUpLastFlat1MB)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return RunNamingTheCpu(argc, argv); }

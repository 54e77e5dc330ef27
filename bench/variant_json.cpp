// Writing and reading the canonical JSON form of a job-request-sized Variant (transcripts and the
// command-line client do this per call), and copying it (Variants cross threads by value).
#include <benchmark/benchmark.h>

#include "platform/core/VariantJson.h"

using namespace plat;

namespace {

// About the shape of a job request: environment, [caption, name] pairs, values, a 2-dim block.
Variant Request() {
    Variant env = VarArrayOf({"U001", "C01", "DEMO", 20240305, Variant::Date(45356.25)});
    Variant options = VarArrayCreate({0, 39});
    Variant values = VarArrayCreate({0, 39});
    for (int i = 0; i < 40; ++i) {
        options[i] = VarArrayOf({Variant::Wide("费用预算 " + std::to_string(i)), "sp" + std::to_string(i)});
        values[i] = VarArrayOf({"\x04", "A" + std::to_string(i), "Z" + std::to_string(i), 1.25 * i});
    }
    Variant grid = VarArrayCreate({0, 9, 1, 12});
    for (int i = 0; i <= 9; ++i)
        for (int j = 1; j <= 12; ++j) grid.At(i, j) = i * 100.5 + j;
    return VarArrayOf({env, options, values, grid});
}

void BM_VariantToJson(benchmark::State& state) {
    Variant v = Request();
    for (auto _ : state) benchmark::DoNotOptimize(VariantToJson(v));
}
BENCHMARK(BM_VariantToJson);

void BM_VariantFromJson(benchmark::State& state) {
    std::string json = VariantToJson(Request());
    for (auto _ : state) benchmark::DoNotOptimize(VariantFromJson(json));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(json.size()));
}
BENCHMARK(BM_VariantFromJson);

void BM_VariantDeepCopy(benchmark::State& state) {
    Variant v = Request();
    for (auto _ : state) {
        Variant copy = v;
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_VariantDeepCopy);

}  // namespace

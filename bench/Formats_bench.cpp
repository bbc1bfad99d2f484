// FormatPosition beside a bare snprintf of the same layout on the same values:
// the routine's range check, split and field copy are its cost over the
// baseline.
#include "textfunctions/TextFunctions.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct Input {
    double degrees;
    int axis;
};

std::vector<Input> Inputs() {
    std::vector<Input> inputs;
    for (int i = 0; i < 256; ++i) {
        const double degrees = -359.75 + i * 2.8137;
        inputs.push_back({degrees, i % 2 ? kLongitude : kLatitude});
    }
    return inputs;
}

void BM_FormatPosition(benchmark::State& state) {
    const std::vector<Input> inputs = Inputs();
    char dest[kPositionFieldSize];
    for (auto _ : state) {
        for (const Input& in : inputs) {
            FormatPosition(dest, in.degrees, in.axis);
            benchmark::DoNotOptimize(dest);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(inputs.size()));
}

void BM_SnprintfBaseline(benchmark::State& state) {
    const std::vector<Input> inputs = Inputs();
    char dest[kPositionFieldSize];
    for (auto _ : state) {
        for (const Input& in : inputs) {
            const double a = std::fabs(in.degrees);
            const int d = static_cast<int>(a);
            const double m = (a - d) * 60;
            const int mi = static_cast<int>(m);
            const int t = static_cast<int>((m - mi) * 10);
            const char letter =
                in.axis == kLatitude ? (in.degrees < 0 ? 'S' : 'N') : (in.degrees < 0 ? 'W' : 'E');
            std::snprintf(dest, sizeof dest,
                          in.axis == kLatitude ? "%02d%02d.%1d%c" : "%03d%02d.%1d%c", d, mi, t,
                          letter);
            benchmark::DoNotOptimize(dest);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(inputs.size()));
}

BENCHMARK(BM_SnprintfBaseline);
BENCHMARK(BM_FormatPosition);

} // namespace

BENCHMARK_MAIN();

// The bounded formatter and copy against the libc routines they wrap, on the
// texts the program hands them: error texts for the 100-byte message buffer,
// report paths for the 1024-byte path buffer, and hexadecimal numbers.
#include "textfunctions/TextFunctions.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::vector<std::string>& ErrorTexts() {
    static const std::vector<std::string> texts = {
        "TS_P_0001_02_Shm::TS_P_0001_02_Shm\nShared memory version mismatch",
        "BaseSharedMemory::Attach\nThe system cannot find the file specified.",
        "BaseSharedMemory::Create\nAccess is denied.",
        // Longer than the message buffer, so the formatter has to cut it.
        "TS_P_0001_02_Shm::CheckVersion\nUnrecongnisable shared memory layout: expected "
        "TS_P_0001_02 revision 1.12 but found a block stamped by another build",
    };
    return texts;
}

const std::vector<std::string>& Paths() {
    static const std::vector<std::string> paths = {
        "C:\\Sim\\R320\\Pedestal\\Config\\Pedestal_configuration.txt",
        "/home/rig/pedestal/reports/configuration-2026-12-07.txt",
        "D:\\Builds\\R320\\x64\\Release\\Reports\\ConfigControl\\Components\\Pedestal.cfg",
    };
    return paths;
}

const std::vector<std::string>& HexTexts() {
    static const std::vector<std::string> texts = {"1A", "0x7FFF", "DEADBEEF", "0x00c0ffee",
                                                   "12ab"};
    return texts;
}

void BM_FormatIntoBuffer(benchmark::State& state) {
    const auto& texts = ErrorTexts();
    char buffer[100];
    std::size_t i = 0;
    for (auto _ : state) {
        int result = FormatIntoBuffer(buffer, sizeof buffer, "%s", texts[i].c_str());
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
        i = (i + 1) % texts.size();
    }
}
BENCHMARK(BM_FormatIntoBuffer);

void BM_Snprintf(benchmark::State& state) {
    const auto& texts = ErrorTexts();
    char buffer[100];
    std::size_t i = 0;
    for (auto _ : state) {
        int result = std::snprintf(buffer, sizeof buffer, "%s", texts[i].c_str());
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
        i = (i + 1) % texts.size();
    }
}
BENCHMARK(BM_Snprintf);

// The destination size is the benchmark's argument: the 1024-byte path buffer
// and the 100-byte message buffer.
void BM_CopyBounded(benchmark::State& state) {
    const auto& paths = Paths();
    std::vector<char> buffer(static_cast<std::size_t>(state.range(0)));
    const int size = static_cast<int>(buffer.size());
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CopyBounded(buffer.data(), paths[i].c_str(), size));
        benchmark::ClobberMemory();
        i = (i + 1) % paths.size();
    }
}
BENCHMARK(BM_CopyBounded)->Arg(1024)->Arg(100);

void BM_Strncpy(benchmark::State& state) {
    const auto& paths = Paths();
    std::vector<char> buffer(static_cast<std::size_t>(state.range(0)));
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::strncpy(buffer.data(), paths[i].c_str(), buffer.size()));
        buffer.back() = '\0';
        benchmark::ClobberMemory();
        i = (i + 1) % paths.size();
    }
}
BENCHMARK(BM_Strncpy)->Arg(1024)->Arg(100);

void BM_ParseHex(benchmark::State& state) {
    const auto& texts = HexTexts();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseHex(texts[i].c_str()));
        i = (i + 1) % texts.size();
    }
}
BENCHMARK(BM_ParseHex);

void BM_Strtoul(benchmark::State& state) {
    const auto& texts = HexTexts();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::strtoul(texts[i].c_str(), nullptr, 16));
        i = (i + 1) % texts.size();
    }
}
BENCHMARK(BM_Strtoul);

} // namespace

BENCHMARK_MAIN();

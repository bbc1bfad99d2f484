// The cost of one tick of the pedestal core, without any window: with nothing
// changed (the usual tick) and with all four pictures changing, against the
// bare block work every tick must do (read the fields the display needs,
// write the speed brake and the heartbeat).
#include "panel/PedestalCore.h"
#include "shm/TS_P_0001_02_genericSim.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

struct BenchCore {
    BenchCore() : block(std::make_unique<GenericSimBlock>()) {
        core.GetAttachment().UseBlock(block.get());
        core.Tick();
        core.Tick();
    }
    std::unique_ptr<GenericSimBlock> block;
    PedestalCore core;
};

void BM_CoreTickNoChange(benchmark::State& state) {
    BenchCore bench;
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.core.Tick());
}
BENCHMARK(BM_CoreTickNoChange);

void BM_CoreTickAllPicturesChange(benchmark::State& state) {
    BenchCore bench;
    GenericSimBlock& block = *bench.block;
    bool landing = false;
    for (auto _ : state) {
        landing = !landing;
        std::memset(block.flapLever, 0, sizeof block.flapLever);
        block.flapLever[landing ? 4 : 0] = 1;
        block.thrustLever[0] = landing ? 0.0 : 98.0;
        block.gearLeverUp = landing ? 0 : 1;
        bench.core.SelectSpeedBrake(!landing);
        benchmark::DoNotOptimize(bench.core.Tick());
    }
}
BENCHMARK(BM_CoreTickAllPicturesChange);

// The floor: the fields a tick reads and the two it writes, nothing else.
void BM_CoreTickBaselineBlockWork(benchmark::State& state) {
    BenchCore bench;
    volatile GenericSimBlock& block = *bench.block;
    for (auto _ : state) {
        int flags = 0;
        for (int i = 0; i < 5; ++i)
            flags += block.flapLever[i];
        const double lever = block.thrustLever[0];
        const bool brakes =
            block.brakeDemand[0] > 0.5 || block.brakeDemand[1] > 0.5 || block.brakeDemand[2] > 0.5;
        const bool gear = block.gearLeverUp != 0;
        block.speedBrakeLever = 1;
        block.aidControlsHeartbeat =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(block.aidControlsHeartbeat) + 1u);
        benchmark::DoNotOptimize(flags);
        benchmark::DoNotOptimize(lever);
        benchmark::DoNotOptimize(brakes);
        benchmark::DoNotOptimize(gear);
    }
}
BENCHMARK(BM_CoreTickBaselineBlockWork);

} // namespace

BENCHMARK_MAIN();

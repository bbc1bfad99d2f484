// Attaching to and detaching from an existing simulator block, against the
// floor of the bare system calls that any attachment needs.
#include "shm/TS_P_0001_02_Shm.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <string>

namespace {

const std::string& BlockName() {
    static const std::string name = "PedestalBench_" + std::to_string(getpid());
    return name;
}

void BM_BareOpenMapUnmapClose(benchmark::State& state) {
    const std::string path = "/" + BlockName();
    for (auto _ : state) {
        int fd = shm_open(path.c_str(), O_RDWR, 0);
        void* view = mmap(nullptr, kGenericSimSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        benchmark::DoNotOptimize(view);
        munmap(view, kGenericSimSize);
        close(fd);
    }
}

// The same, touching the two pages that any attachment must touch: the
// version text on the first and the user count on the 29th. On virtual
// machines a first touch of a shared page costs far more than the calls.
void BM_BareWithVersionAndCountTouched(benchmark::State& state) {
    const std::string path = "/" + BlockName();
    for (auto _ : state) {
        int fd = shm_open(path.c_str(), O_RDWR, 0);
        void* view = mmap(nullptr, kGenericSimSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        auto* block = static_cast<GenericSimBlock*>(view);
        benchmark::DoNotOptimize(std::atomic_ref<char>(block->versionText[0]).load());
        std::atomic_ref<std::int32_t>(block->userCount).fetch_add(1);
        std::atomic_ref<std::int32_t>(block->userCount).fetch_sub(1);
        munmap(view, kGenericSimSize);
        close(fd);
    }
}

// The block exists and is stamped with no users, so every object opens it,
// checks the version, counts itself and, as the last user, releases it.
void BM_AttachDetach(benchmark::State& state) {
    for (auto _ : state) {
        TS_P_0001_02_Shm shm(BlockName().c_str());
        if (!shm.IsValid()) {
            state.SkipWithError(shm.GetErrorText());
            break;
        }
        benchmark::DoNotOptimize(shm.GetBlock());
    }
}

BENCHMARK(BM_BareOpenMapUnmapClose);
BENCHMARK(BM_BareWithVersionAndCountTouched);
BENCHMARK(BM_AttachDetach);

} // namespace

int main(int argc, char** argv) {
    shm_unlink(("/" + BlockName()).c_str());
    {
        TS_P_0001_02_Shm creator(BlockName().c_str());
        if (!creator.IsValid())
            return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shm_unlink(("/" + BlockName()).c_str());
    return 0;
}

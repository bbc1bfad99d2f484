// A stand-in pedestal for the process tests: attaches to the block named on
// the command line as the pedestal does, then on every 60 ms tick writes the
// speed-brake selection and raises the heartbeat with the window's own tick
// rules, until SIGTERM or the given number of seconds.
#include "panel/PedestalStatus.h"
#include "shm/TS_P_0001_02_Shm.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

volatile std::sig_atomic_t g_Stop = 0;

extern "C" void OnStop(int) {
    g_Stop = 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: simblock_test_pedestal NAME [SECONDS]\n");
        return 2;
    }
    const double seconds = argc > 2 ? std::strtod(argv[2], nullptr) : 60.0;
    std::signal(SIGTERM, OnStop);
    std::signal(SIGINT, OnStop);
    TS_P_0001_02_Shm shm(argv[1]);
    if (!shm.IsValid()) {
        std::fprintf(stderr, "%s\n", shm.GetErrorText());
        return 1;
    }
    std::printf("attached\n");
    std::fflush(stdout);
    GenericSimBlock& block = *shm.GetBlock();
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (g_Stop == 0 && std::chrono::steady_clock::now() < end) {
        block.speedBrakeLever = PedestalStatus::SpeedBrakeLeverValue(true);
        block.aidControlsHeartbeat = PedestalStatus::NextHeartbeat(block.aidControlsHeartbeat);
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
    return 0;
}

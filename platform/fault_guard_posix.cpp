// The SIGBUS guard of FaultGuard.h. The ranges live in a fixed array of
// atomics, so that the handler reads them without a lock; a counter of
// running handlers lets UnguardMappedRange wait until none can still be using
// a range it is about to give up.
#include "platform/FaultGuard.h"

#include <sched.h>
#include <signal.h>
#include <sys/mman.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <mutex>

namespace {

constexpr int kSlots = 32;
enum SlotState : int { kFree, kBusy, kActive };

struct Slot {
    std::atomic<int> state{kFree};
    std::atomic<std::uintptr_t> start{0};
    std::atomic<std::size_t> length{0};
    std::atomic<bool> faulted{false};
};

Slot g_Slots[kSlots];
std::atomic<int> g_HandlersRunning{0};
struct sigaction g_Previous {};

static_assert(std::atomic<std::uintptr_t>::is_always_lock_free);
static_assert(std::atomic<std::size_t>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);

// Zero pages over the range: the faulting access then completes.
bool CoverWithZeroPages(Slot& slot) {
    void* start = reinterpret_cast<void*>(slot.start.load());
    const int saved = errno;
    // An anonymous mapping takes no descriptor (-1), and it takes the place of
    // the view rather than being owned apart from it.
    const void* covered = mmap(start, slot.length.load(), PROT_READ | PROT_WRITE,
                               MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    errno = saved;
    if (covered == MAP_FAILED)
        return false;
    slot.faulted.store(true);
    return true;
}

bool CoverFaultAt(std::uintptr_t address) {
    for (Slot& slot : g_Slots) {
        if (slot.state.load() != kActive)
            continue;
        if (address - slot.start.load() < slot.length.load())
            return CoverWithZeroPages(slot);
    }
    return false;
}

extern "C" void OnBusError(int signal, siginfo_t* info, void*) {
    g_HandlersRunning.fetch_add(1);
    // si_code above 0: a fault of this thread's access, not a sent signal.
    const bool covered =
        info->si_code > 0 && CoverFaultAt(reinterpret_cast<std::uintptr_t>(info->si_addr));
    g_HandlersRunning.fetch_sub(1);
    if (covered)
        return;
    // Not ours: the earlier disposition takes over. A fault repeats when the
    // access runs again; a sent signal is sent again.
    sigaction(signal, &g_Previous, nullptr);
    if (info->si_code <= 0)
        raise(signal);
}

void InstallHandler() {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &g_Previous);
}

} // namespace

int GuardMappedRange(void* address, std::size_t bytes) {
    static std::once_flag installed;
    std::call_once(installed, InstallHandler);
    for (int guard = 0; guard < kSlots; ++guard) {
        Slot& slot = g_Slots[guard];
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kBusy))
            continue;
        slot.start.store(reinterpret_cast<std::uintptr_t>(address));
        slot.length.store(bytes);
        slot.faulted.store(false);
        slot.state.store(kActive);
        return guard;
    }
    return -1;
}

bool MappedRangeFaulted(int guard) {
    return guard >= 0 && guard < kSlots && g_Slots[guard].faulted.load();
}

void UnguardMappedRange(int guard) {
    if (guard < 0 || guard >= kSlots)
        return;
    Slot& slot = g_Slots[guard];
    slot.state.store(kBusy);
    // A handler that saw the range active may still be covering it.
    while (g_HandlersRunning.load() != 0)
        sched_yield();
    slot.state.store(kFree);
}

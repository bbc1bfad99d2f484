// One attaching Windows process for the cross-process tests. Usage:
//   shm_attach_helper_win NAME START_EVENT RELEASE_EVENT
// Waits until the named event START_EVENT is set ("-": no wait), attaches to
// NAME, claims a marker byte if nobody has, prints one line about the
// attachment, waits for RELEASE_EVENT, detaches and prints whether its view
// is still in its address space.
#include "shm/TS_P_0001_02_Shm.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A byte of the simulator's area: only tests use it.
constexpr std::size_t kMarkerOffset = 4000;
constexpr unsigned char kMarker = 0x4D;

void WaitForEvent(const char* name) {
    if (std::strcmp(name, "-") == 0)
        return;
    HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, name);
    if (event == nullptr) {
        std::fprintf(stderr, "shm_attach_helper_win: no event '%s'\n", name);
        std::exit(2);
    }
    WaitForSingleObject(event, INFINITE);
    CloseHandle(event);
}

std::string OneLine(const char* text) {
    std::string line;
    for (const char* p = text; *p != '\0'; ++p)
        line += *p == '\n' ? '|' : *p == '\r' ? '~' : *p;
    return line;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    WaitForEvent(argv[2]);

    auto* shm = new TS_P_0001_02_Shm(argv[1]);
    int wrote = 0;
    int count = -1;
    void* view = shm->GetData();
    if (shm->IsValid()) {
        auto* bytes = reinterpret_cast<unsigned char*>(shm->GetBlock());
        unsigned char expected = 0;
        wrote = std::atomic_ref<unsigned char>(bytes[kMarkerOffset])
                    .compare_exchange_strong(expected, kMarker);
        count = std::atomic_ref<std::int32_t>(shm->GetBlock()->userCount).load();
    }
    std::printf("attached valid=%d created=%d count=%d wrote=%d error=%s\n", shm->IsValid() ? 1 : 0,
                shm->CreatedBlock() ? 1 : 0, count, wrote, OneLine(shm->GetErrorText()).c_str());
    std::fflush(stdout);

    WaitForEvent(argv[3]);
    delete shm;
    std::printf("released mapped=%d\n", view != nullptr && GetMappedViewSize(view) != 0 ? 1 : 0);
    std::fflush(stdout);
    return 0;
}

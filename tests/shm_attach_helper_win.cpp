// One attaching Windows process for the cross-process tests. Usage:
//   shm_attach_helper_win NAME START_EVENT RELEASE_EVENT
// Waits until the named event START_EVENT is set ("-": no wait), attaches to
// NAME, claims a marker byte if nobody has, prints one line about the
// attachment, waits for RELEASE_EVENT, detaches and prints whether its view
// is still in its address space.
#include "shm/TS_P_0001_02_Shm.h"
#include "tests/ShmProcessLine.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

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

} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    WaitForEvent(argv[2]);

    auto* shm = new TS_P_0001_02_Shm(argv[1]);
    void* view = shm->GetData();
    const shmproc::Claim claim = shmproc::ClaimMarker(*shm);
    std::printf("attached valid=%d created=%d count=%d wrote=%d error=%s\n", shm->IsValid() ? 1 : 0,
                shm->CreatedBlock() ? 1 : 0, claim.count, claim.wrote,
                shmproc::OneLine(shm->GetErrorText()).c_str());
    std::fflush(stdout);

    WaitForEvent(argv[3]);
    delete shm;
    std::printf("released mapped=%d\n", view != nullptr && GetMappedViewSize(view) != 0 ? 1 : 0);
    std::fflush(stdout);
    return 0;
}

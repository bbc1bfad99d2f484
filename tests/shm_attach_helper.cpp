// One attaching process for the cross-process tests. Usage:
//   shm_attach_helper NAME START_FD RELEASE_FD
// Waits for end-of-file on START_FD (-1: no wait), attaches to NAME, claims a
// marker byte if nobody has, prints one line about the attachment, waits for
// end-of-file on RELEASE_FD, detaches and prints whether its view is still in
// its address space.
#include "shm/TS_P_0001_02_Shm.h"
#include "tests/ShmProcessLine.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

void WaitForEndOfFile(int fd) {
    char byte;
    while (fd >= 0 && read(fd, &byte, 1) > 0) {
    }
}

bool Mapped(const std::string& name) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.size() >= name.size() + 1 &&
            line.compare(line.size() - name.size() - 1, std::string::npos, "/" + name) == 0)
            return true;
    }
    return false;
}

// The descriptors come from the parent test (-1: none); a malformed one is
// its bug.
int Descriptor(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < -1 || value > INT_MAX) {
        std::fprintf(stderr, "shm_attach_helper: bad descriptor '%s'\n", text);
        std::exit(2);
    }
    return static_cast<int>(value);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    const std::string name = argv[1];
    WaitForEndOfFile(Descriptor(argv[2]));

    auto* shm = new TS_P_0001_02_Shm(name.c_str());
    const shmproc::Claim claim = shmproc::ClaimMarker(*shm);
    const auto view = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(shm->GetBlock()));
    std::printf("attached valid=%d created=%d found=%d count=%d wrote=%d view=%u error=%s\n",
                shm->IsValid() ? 1 : 0, shm->CreatedBlock() ? 1 : 0, shm->FoundExisting() ? 1 : 0,
                claim.count, claim.wrote, view, shmproc::OneLine(shm->GetErrorText()).c_str());
    std::fflush(stdout);

    WaitForEndOfFile(Descriptor(argv[3]));
    delete shm;
    std::printf("released mapped=%d\n", Mapped(name) ? 1 : 0);
    std::fflush(stdout);
    return 0;
}

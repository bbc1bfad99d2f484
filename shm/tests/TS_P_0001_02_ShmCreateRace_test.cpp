// The race between a failed open and the create, made certain: this program
// puts its own shm_open in front of the C library's, and when armed it lets
// "another process" create and initialise the block just after the pedestal's
// open has failed. The pedestal's create step then finds the block in use.
#include "shm/TS_P_0001_02_Shm.h"
#include "shm/tests/ShmTestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdarg>
#include <cstring>
#include <string>

namespace {

using ShmOpen = int (*)(const char*, int, mode_t);

const char kVersion[] = " TS_P_0001_02_genericSim $Revision: 5.4.0";
std::string s_ArmedFor;                 // object path whose next plain open loses the race
std::string s_StagedVersion = kVersion; // what the other process stamps
constexpr std::size_t kMarkerOffset = 4000;

ShmOpen RealShmOpen() {
    static ShmOpen real = reinterpret_cast<ShmOpen>(dlsym(RTLD_NEXT, "shm_open"));
    return real;
}

// The other process: creates, sizes, stamps, counts itself and writes data.
void CreateElsewhere(const char* path) {
    int fd = RealShmOpen()(path, O_RDWR | O_CREAT | O_EXCL, 0666);
    if (fd < 0)
        return;
    if (ftruncate(fd, 128648) == 0) {
        void* view = mmap(nullptr, 128648, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (view != MAP_FAILED) {
            auto* block = static_cast<GenericSimBlock*>(view);
            std::memcpy(block->versionText, s_StagedVersion.data(), s_StagedVersion.size());
            block->userCount = 1;
            static_cast<unsigned char*>(view)[kMarkerOffset] = 0x4D;
            munmap(view, 128648);
        }
    }
    close(fd);
}

} // namespace

extern "C" int shm_open(const char* path, int flags, mode_t mode) {
    if ((flags & O_CREAT) == 0 && !s_ArmedFor.empty() && s_ArmedFor == path) {
        s_ArmedFor.clear();
        CreateElsewhere(path);
        errno = ENOENT;
        return -1;
    }
    return RealShmOpen()(path, flags, mode);
}

TEST(TS_P_0001_02_ShmCreateRace, LoserOfCreateRaceAttachesAsOpener) {
    shmtest::ScopedName name("createrace");
    s_ArmedFor = shmtest::ObjectPath(name.str());
    TS_P_0001_02_Shm shm(name.c_str());
    EXPECT_TRUE(s_ArmedFor.empty()) << "the race was not staged";
    ASSERT_TRUE(shm.IsValid()) << shm.GetErrorText();
    EXPECT_FALSE(shm.CreatedBlock());
    EXPECT_TRUE(shm.FoundExisting());
    // Not cleared, not re-stamped, counted on top of the other user.
    EXPECT_EQ(shm.GetBlock()->userCount, 2);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(shm.GetBlock())[kMarkerOffset], 0x4D);
    EXPECT_EQ(shm.GetBlock()->sectionPointers[0], 0u);
    EXPECT_STREQ(shm.GetBlock()->versionText, kVersion);
}

TEST(TS_P_0001_02_ShmCreateRace, LoserMeetingForeignVersionIsRefused) {
    shmtest::ScopedName name("createrace_foreign");
    s_StagedVersion = std::string(kVersion, 40) + "9";
    s_ArmedFor = shmtest::ObjectPath(name.str());
    TS_P_0001_02_Shm shm(name.c_str());
    s_StagedVersion = kVersion;
    EXPECT_TRUE(s_ArmedFor.empty()) << "the race was not staged";
    EXPECT_FALSE(shm.IsValid());
    EXPECT_TRUE(shm.FoundExisting());
    EXPECT_STREQ(shm.GetErrorText(), "TS_P_0001_02_Shm::TS_P_0001_02_Shm\nShared Memory Version "
                                     "Mismatch\nPlease rebuild software");
    shmtest::RawView view(name.str());
    ASSERT_TRUE(view.ok());
    EXPECT_EQ(view.block()->userCount, 1);
    EXPECT_EQ(std::string(view.block()->versionText), std::string(kVersion, 40) + "9");
}

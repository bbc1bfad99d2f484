// A block shrunk or replaced under its holder, as another program does it
// with plain POSIX calls: the checks see it, and a touch past the new end is
// survived inside a guarded range and deadly anywhere else.
#include "platform/BlockWatch.h"
#include "platform/FaultGuard.h"
#include "platform/Platform.h"
#include "platform/tests/MappingTestSupport_posix.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

// The sanitizer's own bus-error report would hide the default action the
// tests look for.
// The sanitizer looks the hook up under this name.
extern "C" const char* __asan_default_options() { // NOLINT(bugprone-reserved-identifier)
    return "handle_sigbus=0";
}

namespace {

struct ScopedName : mappingtest::ScopedName {
    explicit ScopedName(const char* tag) : mappingtest::ScopedName(std::string("watch_") + tag) {}
};

HANDLE Create(const ScopedName& scoped, DWORD size) {
    return mappingtest::Create(scoped.name, size);
}

void Resize(const ScopedName& scoped, off_t size) {
    const int fd = shm_open(scoped.path().c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, size), 0);
    close(fd);
}

// Runs body in a child process; returns its wait status.
template <typename Body> int InChild(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

} // namespace

TEST(BlockWatch, SizeComesFromTheKeptHandle) {
    ScopedName scoped("size");
    HANDLE mapping = Create(scoped, 8192);
    ASSERT_NE(mapping, nullptr);
    std::uint64_t size = 0;
    EXPECT_TRUE(MappingCovers(mapping, 8192, size));
    EXPECT_EQ(size, 8192u);
    Resize(scoped, 4096);
    EXPECT_FALSE(MappingCovers(mapping, 8192, size));
    EXPECT_EQ(size, 4096u);
    EXPECT_TRUE(MappingCovers(mapping, 4096, size));
    // The handle still holds the object after its name is gone.
    shm_unlink(scoped.path().c_str());
    EXPECT_TRUE(MappingCovers(mapping, 4096, size));
    ASSERT_EQ(CloseHandle(mapping), 1);
    EXPECT_FALSE(MappingCovers(mapping, 0, size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(EBADF));
    EXPECT_EQ(size, 0u);
}

TEST(BlockWatch, NameIsComparedWithTheHeldObject) {
    ScopedName scoped("name");
    HANDLE created = Create(scoped, 4096);
    HANDLE opened = OpenFileMappingA(FILE_MAP_READ, 0, scoped.name.c_str());
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(CheckMappingName(opened), MappingName::Same);
    EXPECT_EQ(CheckMappingName(created), MappingName::Same);
    shm_unlink(scoped.path().c_str());
    EXPECT_EQ(CheckMappingName(opened), MappingName::Missing);
    HANDLE successor = Create(scoped, 4096);
    ASSERT_NE(successor, nullptr);
    EXPECT_EQ(CheckMappingName(opened), MappingName::Replaced);
    EXPECT_EQ(CheckMappingName(successor), MappingName::Same);
    CloseHandle(successor);
    CloseHandle(created);
    CloseHandle(opened);
    EXPECT_EQ(CheckMappingName(opened), MappingName::Missing);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(EBADF));
}

TEST(FaultGuard, TouchPastTheShrunkEndOfAGuardedViewReadsZerosAndMarksIt) {
    ScopedName scoped("guarded");
    constexpr std::size_t kPage = 4096;
    HANDLE mapping = Create(scoped, 3 * kPage);
    auto* view = static_cast<volatile char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    view[0] = 'A';
    view[2 * kPage] = 'B';
    const int guard = GuardMappedRange(const_cast<char*>(view), 3 * kPage);
    ASSERT_GE(guard, 0);
    EXPECT_FALSE(MappedRangeFaulted(guard));
    EXPECT_EQ(view[2 * kPage], 'B');
    Resize(scoped, 4096);
    EXPECT_EQ(view[2 * 4096 + 10], 0);
    EXPECT_TRUE(MappedRangeFaulted(guard));
    // The whole range is covered at once, the part still backed too.
    EXPECT_EQ(view[0], 0);
    view[5000] = 'C';
    EXPECT_EQ(view[5000], 'C');
    UnguardMappedRange(guard);
    EXPECT_EQ(UnmapViewOfFile(const_cast<char*>(view)), 1);
    CloseHandle(mapping);
}

TEST(FaultGuard, EveryOtherBusErrorKeepsItsDefaultAction) {
    ScopedName scoped("unguarded");
    HANDLE mapping = Create(scoped, 2 * 4096);
    auto* view = static_cast<volatile char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    char elsewhere[64] = {};
    const int guard = GuardMappedRange(elsewhere, sizeof elsewhere);
    ASSERT_GE(guard, 0);
    Resize(scoped, 0);
    const int touched = InChild([&] { (void)view[4096]; });
    EXPECT_TRUE(WIFSIGNALED(touched) && WTERMSIG(touched) == SIGBUS) << touched;
    const int sent = InChild([] { kill(getpid(), SIGBUS); });
    EXPECT_TRUE(WIFSIGNALED(sent) && WTERMSIG(sent) == SIGBUS) << sent;
    UnguardMappedRange(guard);
    UnmapViewOfFile(const_cast<char*>(view));
    CloseHandle(mapping);
}

TEST(FaultGuard, SlotsAreReusedAfterUnguarding) {
    char ranges[40][16];
    for (int round = 0; round < 3; ++round) {
        int guards[40];
        int taken = 0;
        for (auto& range : ranges) {
            guards[taken] = GuardMappedRange(range, sizeof range);
            taken += guards[taken] >= 0 ? 1 : 0;
        }
        EXPECT_GE(taken, 30);
        EXPECT_LT(taken, 40);
        for (int i = 0; i < taken; ++i)
            UnguardMappedRange(guards[i]);
    }
}

#include "platform/Platform.h"
#include "platform/tests/MappingTestSupport_posix.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <limits.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <utility>

namespace {

struct ScopedName : mappingtest::ScopedName {
    explicit ScopedName(const char* tag)
        : mappingtest::ScopedName(std::string("platform_") + tag) {}
};

std::string ExecutablePath() {
    char path[PATH_MAX + 1] = {};
    ssize_t length = readlink("/proc/self/exe", path, PATH_MAX);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

using mappingtest::Create;

} // namespace

TEST(GetModuleFileNameA, GivesExecutablePathAndItsLength) {
    const std::string expected = ExecutablePath();
    ASSERT_FALSE(expected.empty());
    char buffer[1024];
    std::memset(buffer, '#', sizeof buffer);
    SetLastError(99);
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    EXPECT_EQ(length, expected.size());
    EXPECT_STREQ(buffer, expected.c_str());
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(buffer[length + 1], '#');

    // Exactly one byte more than the path: it still fits with its terminator.
    const DWORD fit = static_cast<DWORD>(expected.size() + 1);
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, fit), expected.size());
    EXPECT_STREQ(buffer, expected.c_str());
}

TEST(GetModuleFileNameA, CutsTooLongPathToFitAndTerminates) {
    const std::string expected = ExecutablePath();
    char buffer[64];
    for (DWORD size : {DWORD{1}, DWORD{5}, static_cast<DWORD>(expected.size())}) {
        ASSERT_LE(size, sizeof buffer - 1);
        std::memset(buffer, '#', sizeof buffer);
        SetLastError(0);
        EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, size), size);
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(std::string(buffer), expected.substr(0, size - 1));
        EXPECT_EQ(buffer[size], '#') << size;
    }
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 0), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(buffer[0], '#');
}

TEST(GetModuleFileNameA, RefusesOtherModulesAndNullBuffer) {
    char buffer[16] = "untouched";
    int anything = 0;
    EXPECT_EQ(GetModuleFileNameA(&anything, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(EINVAL));
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(GetModuleFileNameA(nullptr, nullptr, 10), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(EINVAL));
}

TEST(FileMapping, NewMappingIsSizedZeroedAndOpenToEveryUser) {
    ScopedName scoped("new");
    const mode_t saved = umask(0077);
    HANDLE mapping = Create(scoped.name, 10000);
    umask(saved);
    ASSERT_NE(mapping, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    struct stat status {};
    ASSERT_EQ(stat(("/dev/shm/" + scoped.name).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666u);
    EXPECT_EQ(status.st_size, 10000);
    // The pages are reserved now, not on first touch.
    EXPECT_GE(status.st_blocks * 512, 10000);

    auto* view = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(GetMappedViewSize(view), 10000u);
    for (int i = 0; i < 10000; ++i)
        ASSERT_EQ(view[i], 0) << i;
    EXPECT_EQ(UnmapViewOfFile(view), 1);
    EXPECT_EQ(GetMappedViewSize(view), 0u);
    EXPECT_EQ(CloseHandle(mapping), 1);
    // Nothing removes the object when its last user goes.
    EXPECT_EQ(stat(("/dev/shm/" + scoped.name).c_str(), &status), 0);
}

TEST(FileMapping, CreatingExistingMappingReturnsItAtItsSize) {
    ScopedName scoped("exists");
    HANDLE first = Create(scoped.name, 5000);
    ASSERT_NE(first, nullptr);
    auto* view = static_cast<char*>(MapViewOfFile(first, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    std::strcpy(view, "kept");

    HANDLE second = Create(scoped.name, 90000);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    auto* again = static_cast<char*>(MapViewOfFile(second, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetMappedViewSize(again), 5000u);
    EXPECT_STREQ(again, "kept");
    again[0] = 'K';
    EXPECT_EQ(view[0], 'K');
    UnmapViewOfFile(again);
    UnmapViewOfFile(view);
    CloseHandle(second);
    CloseHandle(first);
}

TEST(FileMapping, NamesAreRefusedWithTheSystemsError) {
    struct Case {
        std::string name;
        DWORD code;
    };
    for (const Case& c : {Case{"", EINVAL}, Case{"a/b", EINVAL}, Case{"/lead", EINVAL},
                          Case{std::string(NAME_MAX + 1, 'n'), ENAMETOOLONG}}) {
        SetLastError(0);
        EXPECT_EQ(Create(c.name, 4096), nullptr) << c.name;
        EXPECT_EQ(GetLastError(), c.code) << c.name;
        SetLastError(0);
        EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, 0, c.name.c_str()), nullptr);
        EXPECT_EQ(GetLastError(), c.code) << c.name;
    }
    EXPECT_EQ(Create("x", 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(EINVAL));
}

TEST(FileMapping, PlainNameIsTheObjectWithOneLeadingSlash) {
    ScopedName scoped("slash");
    HANDLE mapping = Create(scoped.name, 4096);
    ASSERT_NE(mapping, nullptr);
    CloseHandle(mapping);
    int fd = shm_open(("/" + scoped.name).c_str(), O_RDONLY, 0);
    EXPECT_GE(fd, 0);
    if (fd >= 0)
        close(fd);
}

TEST(FileMapping, OpeningMissingNameGivesCode2) {
    ScopedName scoped("missing");
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, 0, scoped.name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), 2u);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(FileMapping, ViewsNeverReachPastTheObject) {
    ScopedName scoped("bounds");
    int fd = shm_open(("/" + scoped.name).c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    close(fd);
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, 0, scoped.name.c_str());
    ASSERT_NE(mapping, nullptr);

    // An empty object gives a view of size 0 at a distinct address.
    void* empty = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(GetMappedViewSize(empty), 0u);
    EXPECT_EQ(UnmapViewOfFile(empty), 1);

    fd = shm_open(("/" + scoped.name).c_str(), O_RDWR, 0);
    ASSERT_EQ(ftruncate(fd, 3000), 0);
    close(fd);
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 3001), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ENXIO));
    void* part = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 100);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(GetMappedViewSize(part), 100u);
    EXPECT_EQ(UnmapViewOfFile(part), 1);
    EXPECT_EQ(CloseHandle(mapping), 1);
}

TEST(FileMapping, UnknownViewsAndHandlesAreRefused) {
    int local = 0;
    EXPECT_EQ(UnmapViewOfFile(&local), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(EINVAL));
    EXPECT_EQ(CloseHandle(&local), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(EBADF));
    EXPECT_EQ(CloseHandle(nullptr), 0);
    EXPECT_EQ(MapViewOfFile(&local, FILE_MAP_ALL_ACCESS, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(EBADF));
    EXPECT_EQ(GetMappedViewSize(&local), 0u);
}

TEST(FormatMessageA, GivesSystemTextWithLineEndInFreeableBuffer) {
    struct Case {
        DWORD code;
        const char* text;
    };
    for (const Case& c : {Case{2, "No such file or directory\n"}, Case{22, "Invalid argument\n"},
                          Case{28, "No space left on device\n"}}) {
        char* text = nullptr;
        const DWORD length =
            FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                               FORMAT_MESSAGE_FROM_SYSTEM,
                           nullptr, c.code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(length, std::strlen(c.text));
        EXPECT_EQ(LocalFree(text), nullptr);
    }
    char small[8];
    EXPECT_EQ(
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, 0, small, sizeof small, nullptr),
        0u);
    char room[64];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, 0, room, sizeof room, nullptr),
              26u);
    EXPECT_STREQ(room, "No such file or directory\n");
}

// One thread maps a handle while another closes it and opens other objects,
// which takes the freed descriptor number: each map must either see the
// handle's own object or be refused with EBADF, never touch freed memory.
TEST(FileMapping, HandleClosedOnAnotherThreadIsRefusedCleanly) {
    ScopedName target("race_target");
    ScopedName decoy("race_decoy");
    for (const auto& [name, mark] : {std::pair{&target.name, 'T'}, std::pair{&decoy.name, 'D'}}) {
        HANDLE mapping = Create(*name, 4096);
        ASSERT_NE(mapping, nullptr);
        auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        ASSERT_NE(view, nullptr);
        view[0] = mark;
        UnmapViewOfFile(view);
        CloseHandle(mapping);
    }
    std::atomic<HANDLE> shared{nullptr};
    std::atomic<bool> stop{false};
    std::thread closer([&] {
        while (!stop.load()) {
            if (HANDLE handle = shared.exchange(nullptr))
                CloseHandle(handle);
            if (HANDLE other = OpenFileMappingA(FILE_MAP_READ, 0, decoy.name.c_str()))
                CloseHandle(other);
        }
    });
    int mapped = 0;
    int refused = 0;
    int wrongObject = 0;
    int otherErrors = 0;
    for (int round = 0; round < 20000; ++round) {
        HANDLE handle = OpenFileMappingA(FILE_MAP_ALL_ACCESS, 0, target.name.c_str());
        ASSERT_NE(handle, nullptr);
        shared.store(handle);
        if (auto* view = static_cast<char*>(MapViewOfFile(handle, FILE_MAP_READ, 0, 0, 0))) {
            ++mapped;
            wrongObject += view[0] != 'T' ? 1 : 0;
            UnmapViewOfFile(view);
        } else if (GetLastError() == static_cast<DWORD>(EBADF)) {
            ++refused;
        } else {
            ++otherErrors;
        }
        if (HANDLE mine = shared.exchange(nullptr))
            CloseHandle(mine);
    }
    stop.store(true);
    closer.join();
    EXPECT_EQ(wrongObject, 0);
    EXPECT_EQ(otherErrors, 0);
    EXPECT_EQ(mapped + refused, 20000);
    RecordProperty("refused", refused);
}

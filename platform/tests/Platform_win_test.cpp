// What the shared-memory classes rely on from Windows itself, checked under
// the system (or Wine) the tests run on.
#include "platform/Platform.h"
#include "platform/tests/MappingTestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

namespace {

std::string UniqueName(const char* tag) {
    return mappingtest::UniqueName(std::string("platform_") + tag);
}

using mappingtest::Create;

std::string SystemText(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
        nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = length > 0 && text != nullptr ? std::string(text, length) : std::string();
    EXPECT_EQ(LocalFree(text), nullptr);
    return result;
}

} // namespace

TEST(FileMapping, BlockSizedMappingGivesWholePagesOfView) {
    const std::string name = UniqueName("pages");
    HANDLE mapping = Create(name, 128648);
    ASSERT_NE(mapping, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    auto* view = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(GetMappedViewSize(view), 131072u);
    for (int i = 0; i < 131072; ++i)
        ASSERT_EQ(view[i], 0) << i;
    // Only the start of a view names it.
    EXPECT_EQ(GetMappedViewSize(view + 4096), 0u);
    EXPECT_NE(UnmapViewOfFile(view), 0);
    EXPECT_EQ(GetMappedViewSize(view), 0u);
    EXPECT_NE(CloseHandle(mapping), 0);
}

TEST(FileMapping, MissingNameFailsWithCode2AndTheSystemsText) {
    const std::string name = UniqueName("missing");
    SetLastError(0);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), 2u);

    const std::string text = SystemText(2);
    ASSERT_GT(text.size(), 2u);
    // A sentence of the system's own, ending as Windows texts do.
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(text[0]))) << text;
    EXPECT_NE(text, SystemText(5));
}

TEST(FileMapping, CreatingExistingNameReturnsItAtItsOwnSize) {
    const std::string name = UniqueName("exists");
    HANDLE first = Create(name, 5000);
    ASSERT_NE(first, nullptr);
    auto* view = static_cast<char*>(MapViewOfFile(first, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    std::strcpy(view, "kept");

    SetLastError(0);
    HANDLE second = Create(name, 90000);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(second, first);
    auto* again = static_cast<char*>(MapViewOfFile(second, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetMappedViewSize(again), 8192u);
    EXPECT_STREQ(again, "kept");
    again[0] = 'K';
    EXPECT_EQ(view[0], 'K');
    UnmapViewOfFile(again);
    UnmapViewOfFile(view);
    CloseHandle(second);
    CloseHandle(first);
}

TEST(FileMapping, MappingIsGoneWhenItsLastHandleCloses) {
    const std::string name = UniqueName("lasthandle");
    HANDLE mapping = Create(name, 4096);
    ASSERT_NE(mapping, nullptr);
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    ASSERT_NE(view, nullptr);
    static_cast<char*>(view)[0] = 'x';

    // The name goes with the last handle, while the view itself stays usable.
    EXPECT_NE(CloseHandle(mapping), 0);
    SetLastError(0);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(static_cast<char*>(view)[0], 'x');
    EXPECT_EQ(GetMappedViewSize(view), 4096u);
    EXPECT_NE(UnmapViewOfFile(view), 0);

    // A new mapping of the name starts from zeros.
    HANDLE fresh = Create(name, 4096);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    auto* bytes = static_cast<char*>(MapViewOfFile(fresh, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[0], 0);
    UnmapViewOfFile(bytes);
    CloseHandle(fresh);
}

TEST(GetModuleFileNameA, GivesDriveLetterPathOfThisProgram) {
    char path[1024];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_GT(length, 3u);
    ASSERT_LT(length, sizeof path);
    const std::string text(path, length);
    EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(text[0]))) << text;
    EXPECT_EQ(text.substr(1, 2), ":\\") << text;
    EXPECT_EQ(text.find('/'), std::string::npos) << text;
    const std::string tail = "\\Platform_win_test.exe";
    ASSERT_GT(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

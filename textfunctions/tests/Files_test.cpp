#include "textfunctions/TextFunctions.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr char kFill = '#';
constexpr std::size_t kGuarded = 64;

// A path in a buffer of fill bytes, so that a routine that reads or writes
// past the path's terminator shows in the bytes after it.
struct PathBuffer {
    char bytes[kGuarded];
    explicit PathBuffer(const char* path) {
        std::memset(bytes, kFill, sizeof bytes);
        std::memcpy(bytes, path, std::strlen(path) + 1);
    }
    std::string Tail(std::size_t from) const { return std::string(bytes + from, kGuarded - from); }
};

struct PathCase {
    const char* path;
    const char* result;
};

void ExpectCut(char* (*cut)(char*), const PathCase& c) {
    PathBuffer buffer(c.path);
    EXPECT_EQ(cut(buffer.bytes), buffer.bytes);
    EXPECT_STREQ(buffer.bytes, c.result) << c.path;
    // Only the terminator may move; the bytes after the old one stay as they were.
    const std::size_t end = std::strlen(c.path) + 1;
    EXPECT_EQ(std::memcmp(buffer.bytes + std::strlen(c.result) + 1,
                          c.path + std::strlen(c.result) + 1, end - std::strlen(c.result) - 1),
              0)
        << c.path;
    EXPECT_EQ(buffer.Tail(end), std::string(kGuarded - end, kFill)) << c.path;
}

TEST(RemoveFileName, CutsAtLastBackslash) {
    const PathCase cases[] = {
        {"C:\\Sim\\data\\report.txt", "C:\\Sim\\data"},
        {"C:\\Sim\\", "C:\\Sim"},
        {"\\report.txt", ""},
        {"C:/Sim/data/report.txt", "C:/Sim/data/report.txt"}, // a slash is no separator
        {"report.txt", "report.txt"},
        {"", ""},
    };
    for (const PathCase& c : cases)
        ExpectCut(RemoveFileName, c);
    EXPECT_EQ(RemoveFileName(nullptr), nullptr);
}

TEST(CutToModuleDirectory, WindowsPathsCutBeforeFirstExe) {
    const PathCase cases[] = {
        {"C:\\Sim\\bin\\aid.exe", "C:\\Sim\\bin"},
        {"C:\\tools.exe\\bin\\aid.exe", "C:"}, // the first ".exe" wins
        {"C:\\aid.exe", "C:"},
        {"\\aid.exe", "\\aid.exe"}, // the first character is never cut
        {"\\\\aid.exe", "\\"},
        {"C:\\Sim\\bin/aid.exe", "C:\\Sim"},
        {"C:\\Sim\\bin\\aid.exe.bak", "C:\\Sim\\bin"},
        {".exe\\bin\\aid", ".exe\\bin\\aid"}, // nothing before ".exe" to walk
    };
    for (const PathCase& c : cases)
        ExpectCut(CutToModuleDirectory, c);
}

TEST(CutToModuleDirectory, WindowsPathsWithoutExeCutAtLastBackslash) {
    const PathCase cases[] = {
        {"C:\\Sim\\bin\\AID.EXE", "C:\\Sim\\bin"},
        {"C:\\Sim\\bin\\aid", "C:\\Sim\\bin"},
        {"\\aid", "\\aid"},
    };
    for (const PathCase& c : cases)
        ExpectCut(CutToModuleDirectory, c);
}

TEST(CutToModuleDirectory, PosixPathsCutAtLastSlash) {
    const PathCase cases[] = {
        {"/opt/pedestal/bin/Files_test", "/opt/pedestal/bin"},
        {"/opt/tools.exe/bin/aid", "/opt/tools.exe/bin"},
        {"/opt/bin/aid.exe", "/opt/bin"},
        {"/aid", "/aid"},
        {"aid.exe", "aid.exe"},
        {"aid", "aid"},
        {"", ""},
    };
    for (const PathCase& c : cases)
        ExpectCut(CutToModuleDirectory, c);
}

std::string TestProgramDirectory() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

TEST(GetModuleDirectory, GivesTheRunningProgramsDirectory) {
    const std::string expected = TestProgramDirectory();
    ASSERT_FALSE(expected.empty());
    char buffer[1024 + 8];
    std::memset(buffer, kFill, sizeof buffer);
    GetModuleDirectory(buffer, 1024);
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(std::string(buffer + 1024, 8), std::string(8, kFill));
}

TEST(GetModuleDirectory, PathThatDoesNotFitGivesEmptyTextInsideBuffer) {
    const std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
    const int exact = static_cast<int>(program.size()) + 1;
    struct Case {
        int size;
        std::string text;
    };
    const Case cases[] = {
        {exact, TestProgramDirectory()},
        {exact - 1, ""},
        {8, ""},
        {1, ""},
    };
    for (const Case& c : cases) {
        std::string buffer(static_cast<std::size_t>(exact) + 16, kFill);
        GetModuleDirectory(buffer.data(), c.size);
        EXPECT_EQ(buffer.substr(0, buffer.find('\0')), c.text) << c.size;
        EXPECT_EQ(buffer.substr(static_cast<std::size_t>(c.size)),
                  std::string(buffer.size() - static_cast<std::size_t>(c.size), kFill))
            << c.size;
    }
}

TEST(GetModuleDirectory, SizeOfZeroOrLessWritesNothing) {
    for (int size : {0, -1, -1024, INT_MIN}) {
        char buffer[kGuarded];
        std::memset(buffer, kFill, sizeof buffer);
        GetModuleDirectory(buffer, size);
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(kGuarded, kFill)) << size;
    }
}

} // namespace

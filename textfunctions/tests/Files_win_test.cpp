// The module-path helpers on Windows, where the program's path is a drive
// letter path with backslashes.
#include "platform/Platform.h"
#include "textfunctions/TextFunctions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string ProgramPath() {
    char path[1024];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

} // namespace

TEST(GetModuleDirectory, CutsProgramPathAtBackslashBeforeItsName) {
    const std::string program = ProgramPath();
    ASSERT_EQ(program.substr(1, 2), ":\\") << program;
    const std::string name = "\\Files_win_test.exe";
    ASSERT_EQ(program.substr(program.size() - name.size()), name) << program;

    char buffer[1024 + 8];
    std::memset(buffer, '#', sizeof buffer);
    GetModuleDirectory(buffer, 1024);
    const std::string directory(buffer);
    EXPECT_EQ(directory, program.substr(0, program.size() - name.size()));
    // The build puts this test beside the library's sources' build folder.
    EXPECT_EQ(directory.substr(directory.size() - 14), "\\textfunctions") << directory;
    EXPECT_EQ(std::string(buffer + 1024, 8), std::string(8, '#'));
}

TEST(GetModuleDirectory, PathThatDoesNotFitGivesEmptyText) {
    const std::string program = ProgramPath();
    const int exact = static_cast<int>(program.size()) + 1;
    for (int size : {exact - 1, 8, 1}) {
        std::string buffer(static_cast<std::size_t>(exact) + 16, '#');
        GetModuleDirectory(buffer.data(), size);
        EXPECT_EQ(buffer[0], '\0') << size;
        EXPECT_EQ(buffer.substr(static_cast<std::size_t>(size)),
                  std::string(buffer.size() - static_cast<std::size_t>(size), '#'))
            << size;
    }
}

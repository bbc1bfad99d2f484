// Pedestal.exe --input FILE starts and closes whether its bound device is
// there or not (Wine has none) and whatever the file holds.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Here() {
    char path[1024];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string text(path, length);
    return text.substr(0, text.rfind('\\'));
}

struct Found {
    DWORD process;
    HWND window;
};

HWND WindowOf(DWORD process) {
    Found found{process, nullptr};
    for (int i = 0; i < 400 && found.window == nullptr; ++i) {
        EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                auto* f = reinterpret_cast<Found*>(param);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner != f->process || !IsWindowVisible(window))
                    return TRUE;
                f->window = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        Sleep(25);
    }
    return found.window;
}

} // namespace

TEST(PedestalExeInput, StartsAndClosesWithAnAbsentDeviceAndWithABadFile) {
    if (std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "no DISPLAY for the window";
    const std::string file =
        Here() + "\\input_test_" + std::to_string(GetCurrentProcessId()) + ".toml";
    const char* files[] = {
        "[[device]]\nname = \"Absent Throttle\"\n[[device.axis]]\nindex = 0\n"
        "function = \"thrust\"\ndetents = [-32768, -9000, 14000, 30000]\n",
        "[[device]]\nname = 7\n",
    };
    for (const char* text : files) {
        SCOPED_TRACE(text);
        FILE* out = std::fopen(file.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fputs(text, out);
        std::fclose(out);
        std::string command =
            "\"" + Here() + "\\..\\..\\win32\\Pedestal.exe\" --block PedestalTest_" +
            std::to_string(GetCurrentProcessId()) + "_input --input \"" + file + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &info));
        CloseHandle(info.hThread);
        const HWND window = WindowOf(info.dwProcessId);
        EXPECT_NE(window, nullptr);
        Sleep(1500); // the file read and the devices polled a while
        if (window != nullptr)
            PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(info.hProcess, 10000) == WAIT_TIMEOUT)
            TerminateProcess(info.hProcess, 99);
        GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hProcess);
        EXPECT_EQ(code, 0u);
    }
    DeleteFileA(file.c_str());
}

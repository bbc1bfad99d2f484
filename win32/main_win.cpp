// Pedestal.exe: the pedestal window, attached to the simulator's block.
// Usage: Pedestal [--web [ADDRESS:]PORT] [--token TOKEN] [--block BLOCK] [--input FILE]
// With --web the window's pedestal is also served to browsers, from a server
// thread of its own that queues its work to the window's thread.
#include "input/Host.h"
#include "web/WindowHost.h"
#include "win32/PedestalDlg_win.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A window program has no console of its own: started from one, it writes
// the address to open and its complaints there.
void UseParentConsole() {
    if (GetStdHandle(STD_ERROR_HANDLE) == nullptr && AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    UseParentConsole();
    const std::vector<std::string> arguments(__argv + 1, __argv + __argc);
    web::WindowOptions options;
    if (!web::ParseWindowCommandLine("Pedestal", static_cast<int>(arguments.size()),
                                     arguments.data(), &options))
        return 2;

    // The thrust slider is a common control (msctls_trackbar32).
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CPedestalDlg dialog(options.blockName.empty() ? nullptr : options.blockName.c_str());
    web::WindowHost host;
    if (!host.Start("Pedestal", options, dialog.Core(), [&dialog](web::Server::CoreTask task) {
            dialog.PostCoreTask(std::move(task));
        })) {
        MessageBoxA(nullptr, host.Error().c_str(), "Pedestal", MB_OK | MB_ICONERROR);
        return 1;
    }
    pedestal::input::Hardware hardware;
    hardware.Start(
        options.input,
        [&dialog](pedestal::input::Hardware::CoreTask task) {
            dialog.PostCoreTask(std::move(task));
        },
        [](const std::string& line) {
            std::fprintf(stderr, "Pedestal: %s\n", line.c_str());
            std::fflush(stderr);
        });
    dialog.DoModal(instance);
    hardware.Stop();
    host.Stop();
    return 0;
}

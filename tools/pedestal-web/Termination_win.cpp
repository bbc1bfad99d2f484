#include "tools/pedestal-web/Termination.h"

#include <boost/asio/post.hpp>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

boost::asio::io_context* g_loop = nullptr;
std::atomic<bool> g_done{false};

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (g_loop == nullptr)
        return FALSE;
    boost::asio::io_context* loop = g_loop;
    boost::asio::post(*loop, [loop] { loop->stop(); });
    // Closing the console ends the process when this handler returns:
    // wait (within the system's grace of five seconds) for the detach.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        for (int i = 0; i < 90 && !g_done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return TRUE;
}

} // namespace

std::shared_ptr<void> StopOnTermination(boost::asio::io_context& loop) {
    g_loop = &loop;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    return nullptr;
}

void TerminationDone() {
    g_done = true;
}

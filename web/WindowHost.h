// The browser server beside a pedestal window, shared by the Qt window and
// the Win32 one: the window's command line, and starting and stopping the
// server as a further view of the window's own core.
#pragma once

#include "web/Server.h"

#include <memory>
#include <string>

namespace web {

struct WindowOptions {
    std::string blockName; // empty: the simulator's block
    bool web = false;
    std::string address = "127.0.0.1";
    unsigned short port = 0;
    std::string token;
    std::string input; // the levers' bindings file; empty: the default one
};

inline constexpr const char* kWindowDescription =
    "The A320 centre pedestal of the simulator rig in one window: thrust detents, flap lever, "
    "speed brake, landing gear and parking brakes. A click writes the lever position into the "
    "shared block GenericSimSharedMemory (created, cleared and stamped when no simulator has); "
    "every 60 ms the window shows the positions in force. Ctrl+C or SIGTERM closes the window "
    "as its close box does.";

// [--web [ADDRESS:]PORT] [--token TOKEN | --token-file FILE] [--block BLOCK]
// [--input FILE], the token also from PEDESTAL_TOKEN. False, after printing why to stderr,
// for anything else.
bool ParseWindowCommandLine(const std::string& program, int argc, const std::string* arguments,
                            WindowOptions* options);
// What --help prints: the options above, --help and --version.
std::string WindowHelp(const std::string& program);

class WindowHost {
public:
    WindowHost() = default;
    ~WindowHost();
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    // On the core's thread, before the window runs. Without --web nothing
    // starts. With it the server listens, watches the core and prints the
    // address to open; false, after printing why, when it cannot listen.
    // The poster queues work to the core's thread and never runs it inline.
    bool Start(const std::string& program, const WindowOptions& options, PedestalCore& core,
               Server::CorePoster poster);
    // On the core's thread, once the window has closed.
    void Stop();
    // Why Start failed.
    const std::string& Error() const { return m_Error; }

private:
    std::string m_Error;
    std::unique_ptr<Server> m_pServer;
    PedestalCore* m_pCore = nullptr;
};

} // namespace web

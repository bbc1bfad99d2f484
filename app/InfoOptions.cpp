#include "app/InfoOptions.h"

#include "PedestalVersion.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "Usage: pedestal [--web [ADDRESS:]PORT] [--token TOKEN] [--block BLOCK]\n"
    "       pedestal --help | --version\n"
    "The A320 centre pedestal of the simulator rig in one window: thrust detents,\n"
    "flap lever, speed brake, landing gear and parking brakes. A click writes the\n"
    "lever position into the shared block GenericSimSharedMemory (created, cleared\n"
    "and stamped when no simulator has); every 60 ms the window shows the positions\n"
    "in force. Ctrl+C or SIGTERM closes the window as its close box does.\n"
    "\n"
    "Options:\n"
    "  --web [ADDRESS:]PORT  also serve this pedestal to browsers; 127.0.0.1\n"
    "                        unless ADDRESS says otherwise\n"
    "  --token TOKEN         the browsers' token, required beyond loopback (made up\n"
    "                        when not given)\n"
    "  --block BLOCK         attach to the shared block BLOCK instead\n"
    "  --help                show this help and exit\n"
    "  --version             show the version and exit\n";

} // namespace

bool AnswerInfoOption(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help") {
            std::fputs(kUsage, stdout);
            return true;
        }
        if (option == "--version") {
            std::printf("pedestal %s\n", PEDESTAL_VERSION);
            return true;
        }
    }
    return false;
}

// A pedestal with no window for the process tests: the pedestal core attached
// to the block named on the command line, ticked every 60 ms as the window's
// timer does, until SIGTERM or the given number of seconds. Each line on
// standard input is a command by its wire name ("flap2", "gearup"), answered
// with "done NAME"; each notice of the core is printed as "notice TEXT" with
// its line breaks as " | ".
#include "panel/Commands.h"
#include "panel/PedestalCore.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

volatile std::sig_atomic_t g_Stop = 0;

extern "C" void OnStop(int) {
    g_Stop = 1;
}

std::string OneLine(std::string text) {
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at))
        text.replace(at, 1, " | ");
    return text;
}

// Runs the commands of the lines that have arrived; false at end of input.
bool RunCommands(PedestalCore& core, std::string& pending) {
    char buffer[256];
    const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0)
        return false;
    pending.append(buffer, static_cast<std::size_t>(got));
    for (std::size_t end = pending.find('\n'); end != std::string::npos;
         end = pending.find('\n')) {
        const std::string name = pending.substr(0, end);
        pending.erase(0, end + 1);
        const CommandInfo* info = FindCommand(name);
        const bool done = info != nullptr && core.Execute(info->command);
        std::printf("%s %s\n", done ? "done" : "refused", name.c_str());
        std::fflush(stdout);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: simblock_test_pedestal NAME [SECONDS]\n");
        return 2;
    }
    const double seconds = argc > 2 ? std::strtod(argv[2], nullptr) : 60.0;
    std::signal(SIGTERM, OnStop);
    std::signal(SIGINT, OnStop);
    PedestalCore core;
    if (!core.GetAttachment().Attach(argv[1])) {
        std::fprintf(stderr, "%s\n", core.GetAttachment().FailureText().c_str());
        return 1;
    }
    std::printf("attached\n");
    std::fflush(stdout);
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    const auto period = std::chrono::milliseconds(PedestalCore::kStatusPeriodMs);
    auto nextTick = Clock::now();
    bool input = true;
    std::string pending;
    while (g_Stop == 0 && Clock::now() < end) {
        const auto now = Clock::now();
        if (now >= nextTick) {
            if (core.Tick().changes & kNotice) {
                std::printf("notice %s\n", OneLine(core.Notice()).c_str());
                std::fflush(stdout);
            }
            nextTick += period;
            continue;
        }
        pollfd in{STDIN_FILENO, POLLIN, 0};
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - now).count() + 1;
        if (poll(&in, input ? 1 : 0, static_cast<int>(wait)) > 0 && in.revents != 0)
            input = RunCommands(core, pending);
    }
    return 0;
}

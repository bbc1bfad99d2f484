// pedestal-web: a pedestal with no window, served to browsers only. The core
// runs on the main thread with its own 60 ms tick; the server on its own.
// Usage: pedestal-web [--name BLOCK] [--bind ADDRESS] [--port N] [--token T]
//                     [--max-connections N] [--input FILE] [--quiet]
#include "input/Host.h"
#include "panel/PedestalCore.h"
#include "tools/pedestal-web/Termination.h"
#include "web/Server.h"

#include "PedestalVersion.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>

#include <charconv>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "usage: pedestal-web [--name BLOCK] [--bind ADDRESS] [--port N] [--token TOKEN]\n"
    "                    [--max-connections N] [--input FILE] [--quiet]\n"
    "       pedestal-web --help | --version\n"
    "Serves the pedestal to browsers. Listens on 127.0.0.1:8080 unless told\n"
    "otherwise; beyond loopback a token is required (made up when not given).\n";

struct Options {
    std::optional<std::string> blockName;
    std::string input; // the levers' bindings file; empty: the default one
    web::ServerOptions server;
    bool quiet = false;
};

bool ParseNumber(std::string_view text, unsigned long max, unsigned long* value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return error == std::errc() && end == text.data() + text.size() && *value <= max;
}

// False after printing why; *exitNow for --help and --version.
bool ParseOptions(int argc, char* argv[], Options* options, bool* exitNow) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            std::cout << kUsage;
            *exitNow = true;
            return true;
        }
        if (option == "--version") {
            std::cout << "pedestal-web " << PEDESTAL_VERSION << '\n';
            *exitNow = true;
            return true;
        }
        if (option == "--quiet") {
            options->quiet = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::cerr << "pedestal-web: " << option << " needs a value\n" << kUsage;
            return false;
        }
        const std::string value = argv[++i];
        unsigned long number = 0;
        if (option == "--name" && !value.empty()) {
            options->blockName = value;
        } else if (option == "--bind" && !value.empty()) {
            options->server.bindAddress = value;
        } else if (option == "--input" && !value.empty()) {
            options->input = value;
        } else if (option == "--token" && !value.empty()) {
            options->server.token = value;
        } else if (option == "--port" && ParseNumber(value, 65535, &number)) {
            options->server.port = static_cast<unsigned short>(number);
        } else if (option == "--max-connections" && ParseNumber(value, 100000, &number) &&
                   number > 0) {
            options->server.maxConnections = number;
        } else {
            std::cerr << "pedestal-web: bad option " << option << " '" << value << "'\n" << kUsage;
            return false;
        }
    }
    return true;
}

// Fixed-rate 60 ms ticks: a late tick does not push the next ones later.
class TickLoop {
public:
    TickLoop(boost::asio::io_context& loop, PedestalCore& core) : m_Timer(loop), m_Core(core) {}
    void Start() {
        m_Next = std::chrono::steady_clock::now();
        Schedule();
    }
    void Stop() { m_Timer.cancel(); }

private:
    void Schedule() {
        const auto period = std::chrono::milliseconds(PedestalCore::kStatusPeriodMs);
        m_Next += period;
        const auto now = std::chrono::steady_clock::now();
        if (m_Next < now - period)
            m_Next = now;
        m_Timer.expires_at(m_Next);
        m_Timer.async_wait([this](const boost::system::error_code& ec) {
            if (ec)
                return;
            m_Core.Tick();
            Schedule();
        });
    }

    boost::asio::steady_timer m_Timer;
    PedestalCore& m_Core;
    std::chrono::steady_clock::time_point m_Next;
};

} // namespace

static int Run(int argc, char* argv[]) {
    Options options;
    bool exitNow = false;
    if (!ParseOptions(argc, argv, &options, &exitNow))
        return 2;
    if (exitNow)
        return 0;
    if (!options.quiet)
        options.server.log = [](const std::string& line) {
            std::cerr << "pedestal-web: " << line << '\n';
        };

    boost::asio::io_context loop(1);
    PedestalCore core;
    Attachment& attachment = core.GetAttachment();
    if (!attachment.Attach(options.blockName ? options.blockName->c_str() : nullptr))
        std::cerr << "pedestal-web: " << attachment.FailureText()
                  << "\npedestal-web: running without a block: commands write nothing\n";

    web::Server server(options.server, [&loop, &core](web::Server::CoreTask task) {
        boost::asio::post(loop, [&core, task = std::move(task)] { task(core); });
    });
    std::string error;
    if (!server.Start(&error)) {
        std::cerr << "pedestal-web: " << error << '\n';
        return 1;
    }
    server.Watch(core);
    TickLoop ticks(loop, core);
    ticks.Start();
    StopOnTermination(loop, [&] {
        ticks.Stop();
        server.Unwatch(core);
        loop.stop();
    });
    std::cout << "pedestal-web: open " << server.Url() << std::endl;
    pedestal::input::Hardware hardware;
    hardware.Start(
        options.input,
        [&loop, &core](pedestal::input::Hardware::CoreTask task) {
            boost::asio::post(loop, [&core, task = std::move(task)] { task(core); });
        },
        [](const std::string& line) { std::cerr << "pedestal-web: " + line + "\n"; });

    loop.run();
    hardware.Stop();
    server.Stop();
    attachment.Detach();
    TerminationDone();
    return 0;
}

int main(int argc, char* argv[]) {
    // A failure the server could not handle (no memory, a broken system
    // call) ends the program with a message instead of an abort.
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "pedestal-web: " << error.what() << '\n';
        return 1;
    }
}

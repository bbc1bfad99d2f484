// pedestal-web: a pedestal with no window, served to browsers only. The core
// runs on the main thread with its own 60 ms tick; the server on its own.
#include "input/Host.h"
#include "panel/PedestalCore.h"
#include "tools/pedestal-web/Termination.h"
#include "web/CommandLine.h"
#include "web/Server.h"

#include "PedestalVersion.h"

#include <CLI/CLI.hpp>

#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>

#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

namespace {

struct Options {
    std::optional<std::string> blockName;
    std::string input; // the levers' bindings file; empty: the default one
    web::ServerOptions server;
    web::TokenOptions token;
    bool quiet = false;
};

void Describe(CLI::App& app, Options* options) {
    app.set_version_flag("--version", std::string("pedestal-web ") + PEDESTAL_VERSION,
                         "show the version and exit");
    app.add_option("--block,--name", options->blockName,
                   "attach to the shared block BLOCK instead of the simulator's")
        ->type_name("BLOCK")
        ->check([](const std::string& text) { return text.empty() ? "empty name" : ""; });
    app.add_option("--bind", options->server.bindAddress, "the address to listen on")
        ->type_name("ADDRESS")
        ->capture_default_str();
    app.add_option("--port", options->server.port, "the port; 0 takes any free one")
        ->check(CLI::Range(0, 65535))
        ->capture_default_str();
    web::AddTokenOptions(app, &options->token);
    app.add_option("--max-connections", options->server.maxConnections, "browsers served at once")
        ->check(CLI::Range(1, 100000))
        ->capture_default_str();
    app.add_option("--input", options->input,
                   "read the levers' bindings from FILE instead of the usual place")
        ->type_name("FILE");
    app.add_flag("--quiet", options->quiet, "log nothing but failures to start");
    app.footer(std::string("Ctrl+C or SIGTERM detaches from the block as closing the window "
                           "does. ") +
               web::kTokenAdvice);
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
    CLI::App app("Serves the pedestal to browsers, without a window. Listens on 127.0.0.1:8080 "
                 "unless told otherwise.",
                 "pedestal-web");
    Describe(app, &options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& failure) {
        // --help and --version end with 0; anything else is a usage error.
        return app.exit(failure) == 0 ? 0 : 2;
    }
    std::string error;
    if (!web::ResolveToken(options.token, &options.server.token, &error)) {
        std::cerr << "pedestal-web: " << error << '\n';
        return 2;
    }
    if (!options.quiet)
        options.server.log = [](const std::string& line) {
            std::cerr << "pedestal-web: " << line << '\n';
        };

    boost::asio::io_context loop(1);
    const std::shared_ptr<void> termination = StopOnTermination(loop);
    PedestalCore core;
    Attachment& attachment = core.GetAttachment();
    if (!attachment.Attach(options.blockName ? options.blockName->c_str() : nullptr))
        std::cerr << "pedestal-web: " << attachment.FailureText()
                  << "\npedestal-web: running without a block: commands write nothing\n";

    web::Server server(options.server, [&loop, &core](web::Server::CoreTask task) {
        boost::asio::post(loop, [&core, task = std::move(task)] { task(core); });
    });
    if (!server.Start(&error)) {
        std::cerr << "pedestal-web: " << error << '\n';
        return 1;
    }
    server.Watch(core);
    TickLoop ticks(loop, core);
    ticks.Start();
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
    ticks.Stop();
    server.Unwatch(core);
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

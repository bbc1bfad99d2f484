#include "web/WindowHost.h"

#include "web/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace web {
namespace {

// "PORT", "ADDRESS:PORT" or "[IPV6]:PORT".
bool ParseWebAddress(const std::string& text, std::string* address, unsigned short* port) {
    const auto colon = text.rfind(':');
    std::string host = colon == std::string::npos ? std::string() : text.substr(0, colon);
    const std::string number = colon == std::string::npos ? text : text.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || value > 65535)
        return false;
    if (!host.empty())
        *address = host;
    *port = static_cast<unsigned short>(value);
    return colon == std::string::npos || !host.empty();
}

void Describe(CLI::App& app, WindowOptions* options, std::string* web, TokenOptions* token) {
    app.add_option("--web", *web,
                   "also serve this pedestal to browsers; 127.0.0.1 unless ADDRESS says otherwise")
        ->type_name("[ADDRESS:]PORT")
        ->check(CLI::Validator(
            [](std::string& text) {
                std::string address;
                unsigned short port = 0;
                return ParseWebAddress(text, &address, &port) ? std::string()
                                                              : "not [ADDRESS:]PORT: " + text;
            },
            ""));
    AddTokenOptions(app, token);
    app.add_option("--block", options->blockName, "attach to the shared block BLOCK instead")
        ->type_name("BLOCK")
        ->check([](const std::string& text) { return text.empty() ? "empty name" : ""; });
    app.add_option("--input", options->input,
                   "read the levers' bindings from FILE instead of the usual place")
        ->type_name("FILE");
}

} // namespace

std::string WindowHelp(const std::string& program) {
    WindowOptions options;
    std::string web;
    TokenOptions token;
    CLI::App app(kWindowDescription, program);
    app.set_version_flag("--version", std::string(), "show the version and exit");
    Describe(app, &options, &web, &token);
    app.footer(kTokenAdvice);
    return app.help();
}

bool ParseWindowCommandLine(const std::string& program, int argc, const std::string* arguments,
                            WindowOptions* options) {
    std::string web;
    TokenOptions token;
    CLI::App app(kWindowDescription, program);
    Describe(app, options, &web, &token);
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(arguments, arguments + argc);
    std::reverse(reversed.begin(), reversed.end());
    std::string error;
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        // Where no terminal answered --help before the window (Pedestal.exe).
        std::fputs(app.help().c_str(), stdout);
        std::exit(0);
    } catch (const CLI::ParseError& failure) {
        error = failure.what();
    }
    if (!error.empty() || !ResolveToken(token, &options->token, &error)) {
        std::fprintf(stderr, "%s: %s\nRun with --help for more information.\n", program.c_str(),
                     error.c_str());
        return false;
    }
    if (!web.empty()) {
        options->web = true;
        ParseWebAddress(web, &options->address, &options->port);
    }
    return true;
}

WindowHost::~WindowHost() {
    Stop();
}

bool WindowHost::Start(const std::string& program, const WindowOptions& options, PedestalCore& core,
                       Server::CorePoster poster) {
    if (!options.web)
        return true;
    ServerOptions server;
    server.bindAddress = options.address;
    server.port = options.port;
    server.token = options.token;
    server.log = [program](const std::string& line) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), line.c_str());
    };
    m_pServer = std::make_unique<Server>(server, std::move(poster));
    if (!m_pServer->Start(&m_Error)) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), m_Error.c_str());
        m_pServer.reset();
        return false;
    }
    m_pCore = &core;
    m_pServer->Watch(core);
    std::printf("%s: open %s\n", program.c_str(), m_pServer->Url().c_str());
    std::fflush(stdout);
    return true;
}

void WindowHost::Stop() {
    if (!m_pServer)
        return;
    m_pServer->Unwatch(*m_pCore);
    m_pServer->Stop();
    m_pServer.reset();
}

} // namespace web

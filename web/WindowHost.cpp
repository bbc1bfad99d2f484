#include "web/WindowHost.h"

#include <charconv>
#include <cstdio>

namespace web {
namespace {

constexpr const char* kUsage =
    "usage: %s [--web [ADDRESS:]PORT] [--token TOKEN] [--block BLOCK] [--input FILE]\n";

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

} // namespace

bool ParseWindowCommandLine(const std::string& program, int argc, const std::string* arguments,
                            WindowOptions* options) {
    for (int i = 0; i < argc; ++i) {
        const std::string& option = arguments[i];
        const bool hasValue = i + 1 < argc && !arguments[i + 1].empty();
        bool ok = hasValue;
        if (ok && option == "--web") {
            options->web = true;
            ok = ParseWebAddress(arguments[++i], &options->address, &options->port);
        } else if (ok && option == "--token") {
            options->token = arguments[++i];
        } else if (ok && option == "--block") {
            options->blockName = arguments[++i];
        } else if (ok && option == "--input") {
            options->input = arguments[++i];
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "%s: bad option '%s'\n", program.c_str(), option.c_str());
            std::fprintf(stderr, kUsage, program.c_str());
            return false;
        }
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

// A pedestal on another PC, driven over the browser protocol: the address
// pedestal-web prints (with its token), a WebSocket to its /ws, one command
// message per action. A lost connection is told once and made again.
#pragma once

#include "input/Mapping.h"

#include <boost/asio/io_context.hpp>

#include <functional>
#include <memory>
#include <string>

namespace pedestal_input {

struct RemoteAddress {
    std::string host;
    std::string port;
    std::string target; // /ws, with the token
};

// http://HOST:PORT/?token=T (or ws://); false with why for anything else.
bool ParseAddress(const std::string& url, RemoteAddress* address, std::string* why);

// The protocol message for an action.
std::string CommandMessage(const pedestal::input::Action& action);

class RemoteClient {
public:
    using Log = std::function<void(const std::string&)>;
    RemoteClient(boost::asio::io_context& loop, RemoteAddress address, Log log);
    ~RemoteClient();
    // On the loop's thread.
    void Start();
    void Stop();
    // From any thread: queued to the loop, dropped while not connected (a
    // lever writes again when it next moves).
    void Send(const pedestal::input::Action& action);

private:
    struct Impl;
    std::shared_ptr<Impl> m_pImpl;
};

} // namespace pedestal_input

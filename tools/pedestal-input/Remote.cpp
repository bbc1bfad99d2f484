#include "tools/pedestal-input/Remote.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/url/encode.hpp>
#include <boost/url/parse.hpp>
#include <boost/url/rfc/unreserved_chars.hpp>
#include <nlohmann/json.hpp>

#include <deque>
#include <optional>

namespace pedestal_input {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using pedestal::input::Action;

bool ParseAddress(const std::string& url, RemoteAddress* address, std::string* why) {
    const auto parsed = boost::urls::parse_uri(url);
    if (!parsed) {
        *why = "\"" + url + "\" is no address (http://HOST:PORT/?token=...)";
        return false;
    }
    const std::string scheme = parsed->scheme();
    if (scheme != "http" && scheme != "ws") {
        *why = "the pedestal's address starts with http:// (as pedestal-web prints it)";
        return false;
    }
    address->host = parsed->host_address();
    address->port = parsed->has_port() ? std::string(parsed->port()) : "80";
    if (address->host.empty()) {
        *why = "\"" + url + "\" names no host";
        return false;
    }
    address->target = "/ws";
    const auto token = parsed->params().find("token");
    if (token != parsed->params().end() && (*token).has_value)
        address->target +=
            "?token=" + boost::urls::encode((*token).value, boost::urls::unreserved_chars);
    return true;
}

std::string CommandMessage(const Action& action) {
    nlohmann::json message = nlohmann::json::object();
    for (const auto table : {CommandTable, HardwareCommandTable}) {
        int count = 0;
        const CommandInfo* commands = table(&count);
        for (int i = 0; i < count; ++i) {
            if (commands[i].command == action.command)
                message["command"] = commands[i].name;
        }
    }
    switch (action.command) {
    case Command::ThrustBoth:
    case Command::ThrustLever1:
    case Command::ThrustLever2:
        message["value"] = static_cast<double>(action.argument) / kThrustArgumentPerPercent;
        break;
    case Command::FlapsDetent:
    case Command::SpeedBrakeDetent:
        message["value"] = action.argument;
        break;
    default:
        break;
    }
    return message.dump();
}

struct RemoteClient::Impl : std::enable_shared_from_this<Impl> {
    Impl(asio::io_context& loop, RemoteAddress address, Log log)
        : loop(loop), address(std::move(address)), log(std::move(log)), retry(loop) {}

    void Connect() {
        if (stopped)
            return;
        ws.emplace(loop);
        connected = false;
        ++generation;
        auto self = shared_from_this();
        resolver.emplace(loop);
        resolver->async_resolve(
            address.host, address.port,
            [self](beast::error_code ec, const tcp::resolver::results_type& found) {
                if (ec)
                    return self->Fail("cannot find " + self->address.host, ec);
                self->Open(found);
            });
    }

    void Open(const tcp::resolver::results_type& found) {
        auto self = shared_from_this();
        beast::get_lowest_layer(*ws).async_connect(
            found, [self](beast::error_code ec, const tcp::endpoint&) {
                if (ec)
                    return self->Fail("cannot connect", ec);
                self->ws->async_handshake(self->address.host + ":" + self->address.port,
                                          self->address.target, [self](beast::error_code ec) {
                                              if (ec)
                                                  return self->Fail("the pedestal refused", ec);
                                              self->Opened();
                                          });
            });
    }

    void Opened() {
        connected = true;
        told = false;
        log("driving the pedestal at " + address.host + ":" + address.port);
        Read();
    }

    void Read() {
        auto self = shared_from_this();
        ws->async_read(buffer, [self](beast::error_code ec, std::size_t) {
            if (ec)
                return self->Fail("lost the pedestal", ec);
            const auto reply = nlohmann::json::parse(beast::buffers_to_string(self->buffer.data()),
                                                     nullptr, false);
            self->buffer.consume(self->buffer.size());
            if (reply.is_object() && !reply.value("ok", true))
                self->log("the pedestal refused a command: " + reply.value("message", ""));
            self->Read();
        });
    }

    void Fail(const std::string& what, beast::error_code ec) {
        if (stopped || failed == generation)
            return;
        failed = generation;
        connected = false;
        outbox.clear();
        writing = false;
        if (!told)
            log(what + " at " + address.host + ":" + address.port + " (" + ec.message() +
                "); trying again every 2 s");
        told = true;
        beast::error_code ignored;
        beast::get_lowest_layer(*ws).socket().close(ignored);
        retry.expires_after(std::chrono::seconds(2));
        retry.async_wait([self = shared_from_this()](beast::error_code ec) {
            if (!ec)
                self->Connect();
        });
    }

    void Send(std::string text) {
        if (!connected)
            return;
        outbox.push_back(std::move(text));
        if (!writing)
            Write();
    }

    void Write() {
        writing = true;
        auto self = shared_from_this();
        ws->async_write(asio::buffer(outbox.front()), [self](beast::error_code ec, std::size_t) {
            if (ec)
                return self->Fail("lost the pedestal", ec);
            self->outbox.pop_front();
            self->writing = false;
            if (!self->outbox.empty())
                self->Write();
        });
    }

    void Stop() {
        stopped = true;
        retry.cancel();
        if (resolver)
            resolver->cancel();
        if (ws) {
            beast::error_code ignored;
            beast::get_lowest_layer(*ws).socket().close(ignored);
        }
    }

    asio::io_context& loop;
    RemoteAddress address;
    Log log;
    asio::steady_timer retry;
    std::optional<tcp::resolver> resolver;
    std::optional<websocket::stream<beast::tcp_stream>> ws;
    beast::flat_buffer buffer;
    std::deque<std::string> outbox;
    bool connected = false;
    bool writing = false;
    bool told = false;
    bool stopped = false;
    // A connection fails once: its other pending operations end quietly.
    unsigned generation = 0;
    unsigned failed = 0;
};

RemoteClient::RemoteClient(asio::io_context& loop, RemoteAddress address, Log log)
    : m_pImpl(std::make_shared<Impl>(loop, std::move(address), std::move(log))) {}

RemoteClient::~RemoteClient() = default;

void RemoteClient::Start() {
    m_pImpl->Connect();
}

void RemoteClient::Stop() {
    m_pImpl->Stop();
}

void RemoteClient::Send(const Action& action) {
    asio::post(m_pImpl->loop,
               [impl = m_pImpl, text = CommandMessage(action)] { impl->Send(text); });
}

} // namespace pedestal_input

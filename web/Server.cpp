#include "web/Server.h"

#include "panel/PedestalCore.h"
#include "web/Page.h"
#include "web/Protocol.h"
#include "web/SocketSetup.h"

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <deque>
#include <optional>
#include <random>
#include <thread>
#include <unordered_set>
#include <vector>

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;

namespace web {
namespace {

// Frames up to this size are read and refused with a reply; larger ones end
// the connection, so that no client makes the server hold much memory.
constexpr std::size_t kHardMessageLimit = 64 * 1024;
constexpr std::size_t kHeaderLimit = 8 * 1024;
constexpr auto kHttpTimeout = std::chrono::seconds(15);
constexpr auto kHandshakeTimeout = std::chrono::seconds(10);

using Message = std::shared_ptr<const std::string>;
using Request = http::request<http::empty_body>;
using Response = http::response<http::string_body>;

Message MakeMessage(std::string text) {
    return std::make_shared<const std::string>(std::move(text));
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// "name:port", "[v6]:port" or "name": the name alone.
std::string HostName(std::string_view host) {
    if (host.starts_with('[')) {
        const auto close = host.find(']');
        return std::string(host.substr(1, close == std::string_view::npos ? 0 : close - 1));
    }
    return std::string(host.substr(0, host.rfind(':')));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = i + 2 < text.size() && text[i] == '%' ? HexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

// The value of one query parameter, or nothing when absent.
std::optional<std::string> QueryParameter(std::string_view target, std::string_view name) {
    const auto question = target.find('?');
    if (question == std::string_view::npos)
        return std::nullopt;
    std::string_view query = target.substr(question + 1);
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        const auto equals = pair.find('=');
        if (pair.substr(0, equals) == name)
            return PercentDecode(equals == std::string_view::npos ? "" : pair.substr(equals + 1));
        query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
    }
    return std::nullopt;
}

// Compares without stopping at the first difference, so that timing tells
// an attacker nothing about how much of a guess was right.
bool SameSecret(std::string_view a, std::string_view b) {
    unsigned difference = a.size() == b.size() ? 0u : 1u;
    const std::size_t n = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(i < a.size() ? a[i] : 0);
        const auto y = static_cast<unsigned char>(i < b.size() ? b[i] : 0);
        difference |= static_cast<unsigned>(x ^ y);
    }
    return difference == 0;
}

class Connection;
class WsSession;

} // namespace

struct Server::Impl : std::enable_shared_from_this<Server::Impl> {
    Impl(ServerOptions o, CorePoster p) : options(std::move(o)), poster(std::move(p)) {}

    void Log(const std::string& line) const {
        if (options.log)
            options.log(line);
    }
    void Accept();
    void Beat();
    void Broadcast(const Message& message);
    void FinishStop();

    ServerOptions options;
    CorePoster poster;
    unsigned short port = 0;
    // Declared before the io_context so that they outlive the sessions
    // that the io_context's destruction may still release.
    std::unordered_set<Connection*> connections;
    std::unordered_set<WsSession*> clients;
    std::atomic<std::size_t> connectionCount{0};
    Message hello;
    Message fullState;
    Message heartbeatMessage = MakeMessage(HeartbeatMessage());
    asio::io_context ioc{1};
    tcp::acceptor acceptor{ioc};
    asio::steady_timer heartbeat{ioc};
    asio::steady_timer stopTimer{ioc};
    std::thread thread;
};

namespace {

class Connection {
public:
    explicit Connection(Server::Impl& impl) : m_Impl(impl) {
        impl.connections.insert(this);
        impl.connectionCount = impl.connections.size();
    }
    virtual ~Connection() {
        m_Impl.connections.erase(this);
        m_Impl.connectionCount = m_Impl.connections.size();
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    virtual void Close() = 0;

protected:
    Server::Impl& m_Impl;
};

class WsSession : public Connection, public std::enable_shared_from_this<WsSession> {
public:
    WsSession(Server::Impl& impl, tcp::socket&& socket)
        : Connection(impl), m_Ws(std::move(socket)) {}
    ~WsSession() override { m_Impl.clients.erase(this); }

    void Start(Request request) {
        m_Request = std::move(request);
        beast::get_lowest_layer(m_Ws).expires_never();
        websocket::stream_base::timeout timeout{};
        timeout.handshake_timeout = kHandshakeTimeout;
        timeout.idle_timeout = m_Impl.options.idleTimeout;
        timeout.keep_alive_pings = true;
        m_Ws.set_option(timeout);
        m_Ws.read_message_max(kHardMessageLimit);
        m_Ws.set_option(websocket::stream_base::decorator(
            [](websocket::response_type& response) { response.set(http::field::server, "pedestal"); }));
        m_Ws.async_accept(m_Request,
                          [self = shared_from_this()](beast::error_code ec) { self->OnAccept(ec); });
    }

    void Send(const Message& message) {
        if (!m_bOpen)
            return;
        if (m_Queue.size() >= m_Impl.options.maxQueuedMessages) {
            m_Impl.Log("dropping client " + m_Peer + ": it reads too slowly");
            Close();
            return;
        }
        m_Queue.push_back(message);
        if (!m_bWriting)
            Write();
    }

    void Read() {
        if (!m_bOpen)
            return;
        m_Ws.async_read(m_Buffer, [self = shared_from_this()](beast::error_code ec, std::size_t) {
            self->OnRead(ec);
        });
    }

    void Close() override {
        // Released last: the session may go with it.
        const std::shared_ptr<WsSession> keep = std::move(m_pBusy);
        m_bOpen = false;
        m_Impl.clients.erase(this);
        beast::get_lowest_layer(m_Ws).close();
    }

private:
    void OnAccept(beast::error_code ec) {
        if (ec) {
            m_Impl.Log("WebSocket handshake failed: " + ec.message());
            return;
        }
        beast::error_code ignored;
        m_Peer = beast::get_lowest_layer(m_Ws).socket().remote_endpoint(ignored).address().to_string();
        m_bOpen = true;
        m_Impl.clients.insert(this);
        Send(m_Impl.hello);
        Send(m_Impl.fullState);
        Read();
    }

    void OnRead(beast::error_code ec) {
        if (ec) {
            if (ec != websocket::error::closed && ec != asio::error::operation_aborted &&
                ec != asio::error::eof && m_bOpen)
                m_Impl.Log("client " + m_Peer + " dropped: " + ec.message());
            if (m_bOpen)
                Close();
            return;
        }
        const std::string text = beast::buffers_to_string(m_Buffer.data());
        m_Buffer.consume(m_Buffer.size());
        ParsedMessage parsed = ParseMessage(text, !m_Ws.got_text());
        if (!parsed.request) {
            m_Impl.Log("refused a message from " + m_Peer + ": " + parsed.refusal.message);
            Send(MakeMessage(RefusalMessage(parsed.id, parsed.refusal)));
            Read();
            return;
        }
        // One command in flight per client: the next read waits for the
        // reply, so that no client can pile work onto the core's thread.
        // With no read pending, the session keeps itself until the reply.
        m_pBusy = shared_from_this();
        m_Impl.poster([impl = m_Impl.weak_from_this(), self = weak_from_this(),
                       request = *parsed.request, id = parsed.id](PedestalCore& core) {
            const bool done = core.Execute(request.command, request.position);
            Message reply = MakeMessage(done ? OkMessage(id) : RefusalMessage(id, NoBlockRefusal()));
            if (auto server = impl.lock()) {
                asio::post(server->ioc, [self, reply] {
                    if (auto session = self.lock()) {
                        session->m_pBusy.reset();
                        session->Send(reply);
                        session->Read();
                    }
                });
            }
        });
    }

    void Write() {
        m_bWriting = true;
        m_Ws.text(true);
        m_Ws.async_write(asio::buffer(*m_Queue.front()),
                         [self = shared_from_this()](beast::error_code ec, std::size_t) {
                             self->OnWrite(ec);
                         });
    }

    void OnWrite(beast::error_code ec) {
        m_bWriting = false;
        if (ec) {
            if (m_bOpen)
                Close();
            return;
        }
        m_Queue.pop_front();
        if (!m_Queue.empty() && m_bOpen)
            Write();
    }

    websocket::stream<beast::tcp_stream> m_Ws;
    beast::flat_buffer m_Buffer;
    Request m_Request;
    std::deque<Message> m_Queue;
    std::string m_Peer;
    std::shared_ptr<WsSession> m_pBusy;
    bool m_bOpen = false;
    bool m_bWriting = false;
};

class HttpSession : public Connection, public std::enable_shared_from_this<HttpSession> {
public:
    HttpSession(Server::Impl& impl, tcp::socket&& socket)
        : Connection(impl), m_Stream(std::move(socket)) {}

    void Start() { Read(); }

    // Past the connection limit: one answer, without reading the request.
    void StartBusy() {
        Respond(Plain(http::status::service_unavailable, 11,
                      "Too many connections to this pedestal; try again later.\n"),
                true);
    }

    void Close() override {
        beast::error_code ignored;
        m_Stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
        m_Stream.close();
    }

private:
    void Read() {
        m_Parser.emplace();
        m_Parser->header_limit(kHeaderLimit);
        m_Parser->body_limit(0);
        m_Stream.expires_after(kHttpTimeout);
        http::async_read(m_Stream, m_Buffer, *m_Parser,
                         [self = shared_from_this()](beast::error_code ec, std::size_t) {
                             self->OnRead(ec);
                         });
    }

    void OnRead(beast::error_code ec) {
        if (ec) {
            if (ec != http::error::end_of_stream && ec != asio::error::operation_aborted &&
                ec != beast::error::timeout)
                m_Impl.Log("HTTP request refused: " + ec.message());
            Close();
            return;
        }
        Request request = m_Parser->release();
        const std::string_view target = request.target();
        const std::string_view path = target.substr(0, target.find('?'));
        if (path == "/ws" && websocket::is_upgrade(request)) {
            Upgrade(std::move(request));
            return;
        }
        Respond(Answer(request, path), !request.keep_alive());
    }

    Response Plain(http::status status, unsigned version, std::string_view text) const {
        Response response{status, version};
        response.set(http::field::content_type, "text/plain; charset=utf-8");
        response.body() = text;
        return response;
    }

    Response Answer(const Request& request, std::string_view path) const {
        const unsigned version = request.version();
        if (request.method() != http::verb::get && request.method() != http::verb::head) {
            Response response = Plain(http::status::method_not_allowed, version, "GET only.\n");
            response.set(http::field::allow, "GET, HEAD");
            return response;
        }
        if (path == "/ws") {
            Response response =
                Plain(http::status::upgrade_required, version, "WebSocket only.\n");
            response.set(http::field::upgrade, "websocket");
            return response;
        }
        Response response{http::status::ok, version};
        if (path == "/" || path == "/index.html") {
            response.set(http::field::content_type, "text/html; charset=utf-8");
            response.set(http::field::cache_control, "no-store");
            response.set("Content-Security-Policy",
                         "default-src 'none'; img-src 'self'; style-src 'unsafe-inline'; "
                         "script-src 'unsafe-inline'; connect-src 'self'; base-uri 'none'; "
                         "form-action 'none'; frame-ancestors 'none'");
            response.body() = PageHtml();
            return response;
        }
        if (path.starts_with("/res/")) {
            const std::string_view name = path.substr(5);
            const std::string_view bytes = ResourceFile(name);
            if (!bytes.empty()) {
                response.set(http::field::content_type,
                             name.ends_with(".ico") ? "image/x-icon" : "image/bmp");
                response.set(http::field::cache_control, "max-age=3600");
                response.body() = bytes;
                return response;
            }
        }
        return Plain(http::status::not_found, version, "Not found.\n");
    }

    // Why an upgrade is refused, or ok. Host and Origin guard against pages
    // of other sites (and DNS rebinding); the token against other machines.
    http::status CheckUpgrade(const Request& request, std::string* why) const {
        const std::string host = Lower(request[http::field::host]);
        const std::string& token = m_Impl.options.token;
        if (token.empty() && !IsLoopbackAddress(HostName(host))) {
            *why = "this pedestal answers only on its loopback address";
            return http::status::forbidden;
        }
        if (request.find(http::field::origin) != request.end() &&
            Lower(request[http::field::origin]) != "http://" + host) {
            *why = "the page comes from another site";
            return http::status::forbidden;
        }
        if (!token.empty()) {
            const std::optional<std::string> given = QueryParameter(request.target(), "token");
            if (!given) {
                *why = "a token is required: open the address the pedestal printed";
                return http::status::unauthorized;
            }
            if (!SameSecret(*given, token)) {
                *why = "wrong token";
                return http::status::forbidden;
            }
        }
        return http::status::ok;
    }

    void Upgrade(Request request) {
        std::string why;
        const http::status status = CheckUpgrade(request, &why);
        if (status != http::status::ok) {
            m_Impl.Log("WebSocket refused: " + why);
            Respond(Plain(status, request.version(), why + "\n"), true);
            return;
        }
        std::make_shared<WsSession>(m_Impl, m_Stream.release_socket())->Start(std::move(request));
    }

    void Respond(Response response, bool close) {
        response.set(http::field::server, "pedestal");
        response.set("X-Content-Type-Options", "nosniff");
        response.set("X-Frame-Options", "DENY");
        // The address may carry the token; it must not leave in a Referer.
        response.set("Referrer-Policy", "no-referrer");
        response.keep_alive(!close);
        response.prepare_payload();
        m_Response = std::move(response);
        m_Stream.expires_after(kHttpTimeout);
        http::async_write(m_Stream, m_Response,
                          [self = shared_from_this(), close](beast::error_code ec, std::size_t) {
                              if (ec || close)
                                  self->Close();
                              else
                                  self->Read();
                          });
    }

    beast::tcp_stream m_Stream;
    beast::flat_buffer m_Buffer;
    std::optional<http::request_parser<http::empty_body>> m_Parser;
    Response m_Response;
};

} // namespace

void Server::Impl::Accept() {
    acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted || !acceptor.is_open())
            return;
        if (ec) {
            Log("accept failed: " + ec.message());
        } else {
            beast::error_code ignored;
            socket.set_option(tcp::no_delay(true), ignored);
            if (options.sendBufferBytes > 0)
                socket.set_option(asio::socket_base::send_buffer_size(options.sendBufferBytes),
                                  ignored);
            auto session = std::make_shared<HttpSession>(*this, std::move(socket));
            if (connections.size() > options.maxConnections) {
                Log("connection refused: " + std::to_string(options.maxConnections) +
                    " are open");
                session->StartBusy();
            } else {
                session->Start();
            }
        }
        Accept();
    });
}

void Server::Impl::Beat() {
    heartbeat.expires_after(options.heartbeatPeriod);
    heartbeat.async_wait([this](beast::error_code ec) {
        if (ec)
            return;
        Broadcast(heartbeatMessage);
        Beat();
    });
}

void Server::Impl::Broadcast(const Message& message) {
    // Sending may drop a client, which leaves the set.
    const std::vector<WsSession*> receivers(clients.begin(), clients.end());
    for (WsSession* client : receivers) {
        if (clients.count(client) != 0)
            client->Send(message);
    }
}

void Server::Impl::FinishStop() {
    if (connections.empty()) {
        ioc.stop();
        return;
    }
    stopTimer.expires_after(std::chrono::milliseconds(10));
    stopTimer.async_wait([this](beast::error_code) { FinishStop(); });
}

bool IsLoopbackAddress(const std::string& address) {
    if (Lower(address) == "localhost")
        return true;
    beast::error_code ec;
    const auto parsed = asio::ip::make_address(address, ec);
    return !ec && parsed.is_loopback();
}

std::string GenerateToken() {
    std::random_device source;
    static const char digits[] = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t word = source();
        for (int shift = 28; shift >= 0; shift -= 4)
            token += digits[(word >> shift) & 15u];
    }
    return token;
}

Server::Server(ServerOptions options, CorePoster poster)
    : m_pImpl(std::make_shared<Impl>(std::move(options), std::move(poster))) {
    m_pImpl->hello = MakeMessage(HelloMessage(static_cast<int>(m_pImpl->options.heartbeatPeriod.count())));
    m_pImpl->fullState = MakeMessage(StateMessage(ShownState{}, 0, true));
}

Server::~Server() {
    Stop();
}

bool Server::Start(std::string* error) {
    Impl& impl = *m_pImpl;
    ServerOptions& options = impl.options;
    beast::error_code ec;
    const std::string bind = Lower(options.bindAddress) == "localhost" ? "127.0.0.1" : options.bindAddress;
    const auto address = asio::ip::make_address(bind, ec);
    if (ec) {
        *error = "'" + options.bindAddress + "' is not an IP address";
        return false;
    }
    if (!address.is_loopback() && options.token.empty())
        options.token = GenerateToken();
    const tcp::endpoint endpoint(address, options.port);
    const std::string where = options.bindAddress + ":" + std::to_string(options.port);
    impl.acceptor.open(endpoint.protocol(), ec);
    if (!ec) {
        PrepareListener(impl.acceptor);
        impl.acceptor.bind(endpoint, ec);
    }
    if (!ec)
        impl.acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        *error = "cannot listen on " + where + ": " + ec.message();
        impl.acceptor.close(ec);
        return false;
    }
    impl.port = impl.acceptor.local_endpoint().port();
    impl.Accept();
    impl.Beat();
    impl.thread = std::thread([&impl] { impl.ioc.run(); });
    return true;
}

void Server::Stop() {
    Impl& impl = *m_pImpl;
    if (!impl.thread.joinable())
        return;
    asio::post(impl.ioc, [&impl] {
        beast::error_code ignored;
        impl.acceptor.close(ignored);
        impl.heartbeat.cancel();
        const std::vector<Connection*> open(impl.connections.begin(), impl.connections.end());
        for (Connection* connection : open)
            connection->Close();
        impl.FinishStop();
    });
    impl.thread.join();
}

unsigned short Server::Port() const {
    return m_pImpl->port;
}

const std::string& Server::Token() const {
    return m_pImpl->options.token;
}

std::string Server::Url() const {
    const ServerOptions& options = m_pImpl->options;
    std::string host = options.bindAddress;
    beast::error_code ec;
    const auto address = asio::ip::make_address(host, ec);
    if (!ec && address.is_unspecified())
        host = asio::ip::host_name(ec);
    else if (!ec && address.is_v6())
        host = "[" + host + "]";
    std::string url = "http://" + host + ":" + std::to_string(m_pImpl->port) + "/";
    if (!options.token.empty())
        url += "?token=" + options.token;
    return url;
}

std::size_t Server::ConnectionCount() const {
    return m_pImpl->connectionCount;
}

void Server::Watch(PedestalCore& core) {
    m_LastSent = core.Shown();
    Publish(core, Update{}, true);
    m_ListenerKey = core.AddListener([this, &core](const Update& update) {
        Publish(core, update, false);
    });
}

void Server::Unwatch(PedestalCore& core) {
    core.RemoveListener(m_ListenerKey);
    m_ListenerKey = 0;
}

void Server::Publish(const PedestalCore& core, const Update& update, bool full) {
    const ShownState& shown = core.Shown();
    const unsigned changes =
        Diff(m_LastSent, shown) | (update.changes & (kSliderPosition | kNotice));
    m_LastSent = shown;
    // Most ticks change nothing: they cost the window's thread one compare.
    if (!full && changes == 0)
        return;
    Message delta;
    if (!full) {
        std::string text = StateMessage(shown, changes, false, update.sliderPosition, core.Notice());
        if (text.empty())
            return;
        delta = MakeMessage(std::move(text));
    }
    Message snapshot = MakeMessage(
        StateMessage(shown, core.Notice().empty() ? 0u : unsigned{kNotice}, true, 0, core.Notice()));
    // The io thread fans out; the core's thread only builds two short texts.
    Impl* impl = m_pImpl.get();
    asio::post(impl->ioc, [impl, snapshot = std::move(snapshot), delta = std::move(delta)] {
        impl->fullState = snapshot;
        if (delta)
            impl->Broadcast(delta);
    });
}

} // namespace web

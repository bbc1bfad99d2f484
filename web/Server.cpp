#include "web/Server.h"

#include "panel/PedestalCore.h"
#include "web/HttpSession.h"
#include "web/Protocol.h"
#include "web/SocketSetup.h"
#include "web/WsSession.h"

#include <boost/asio/ip/host_name.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>

#include <algorithm>
#include <thread>

namespace web {
namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using boost::system::error_code;

// Unproven connections one address may hold at once; beyond them its next
// ones are closed at once, so that one machine cannot fill the server.
constexpr std::size_t kHttpPerAddress = 16;
// After a failed accept (no descriptors left, most likely) the listener
// waits this long instead of failing again at once.
constexpr auto kAcceptBackOff = std::chrono::milliseconds(100);
constexpr auto kAcceptFailureRetold = std::chrono::seconds(60);

template <class T> void Prune(std::vector<std::weak_ptr<T>>& list) {
    std::erase_if(list, [](const std::weak_ptr<T>& entry) { return entry.expired(); });
}

} // namespace

Message MakeMessage(std::string text) {
    return std::make_shared<const std::string>(std::move(text));
}

Hub::Hub(ServerOptions o, Server::CorePoster p)
    : options(std::move(o)), poster(std::move(p)), log(options.log),
      hello(MakeMessage(HelloMessage(static_cast<int>(options.heartbeatPeriod.count())))),
      fullState(MakeMessage(StateMessage(ShownState{}, 0, true))),
      heartbeat(MakeMessage(HeartbeatMessage())) {}

void Hub::Register(const std::shared_ptr<Connection>& connection) {
    Prune(connections);
    connections.push_back(connection);
}

void Hub::AddClient(const std::shared_ptr<WsSession>& client) {
    Prune(clients);
    clients.push_back(client);
}

void Hub::Broadcast(const Message& message, MessageKind kind) {
    // Sending may drop a client; the copy keeps the loop's list intact.
    const std::vector<std::weak_ptr<WsSession>> receivers = clients;
    for (const auto& receiver : receivers) {
        if (auto client = receiver.lock())
            client->Send(message, kind);
    }
}

void Hub::CloseAll() {
    const std::vector<std::weak_ptr<Connection>> open = connections;
    for (const auto& entry : open) {
        if (auto connection = entry.lock())
            connection->Close();
    }
    log.Flush();
}

Place::Place(Hub& hub, std::string address, bool socket)
    : m_Hub(hub), m_Address(std::move(address)), m_bSocket(socket) {
    if (m_bSocket)
        ++m_Hub.socketCount;
    else
        ++m_Hub.httpCount, ++m_Hub.httpByAddress[m_Address];
    m_Hub.connectionCount = m_Hub.httpCount + m_Hub.socketCount;
}

Place::~Place() {
    if (m_bSocket) {
        --m_Hub.socketCount;
    } else {
        --m_Hub.httpCount;
        if (--m_Hub.httpByAddress[m_Address] == 0)
            m_Hub.httpByAddress.erase(m_Address);
    }
    m_Hub.connectionCount = m_Hub.httpCount + m_Hub.socketCount;
}

struct Server::Impl {
    Impl(ServerOptions options, CorePoster poster)
        : hub(std::make_shared<Hub>(std::move(options), std::move(poster))) {}
    void Accept();
    void OnAccepted(tcp::socket socket);
    void Beat();

    std::shared_ptr<Hub> hub;
    tcp::acceptor acceptor{hub->ioc};
    asio::steady_timer heartbeat{hub->ioc};
    asio::steady_timer backOff{hub->ioc};
    std::chrono::steady_clock::time_point acceptFailureTold{};
    unsigned short port = 0;
    std::thread thread;
};

void Server::Impl::Accept() {
    acceptor.async_accept([this](error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted || !acceptor.is_open())
            return;
        if (!ec) {
            OnAccepted(std::move(socket));
            Accept();
            return;
        }
        // Out of descriptors every accept fails at once: told once, and
        // tried again only after a pause, so that the loop does not spin.
        const auto now = std::chrono::steady_clock::now();
        if (acceptFailureTold == std::chrono::steady_clock::time_point{} ||
            now - acceptFailureTold > kAcceptFailureRetold) {
            acceptFailureTold = now;
            hub->log.Write("accept", "accept failed: " + ec.message() +
                                         "; accepting again after short pauses");
        }
        backOff.expires_after(kAcceptBackOff);
        backOff.async_wait([this](error_code waited) {
            if (!waited)
                Accept();
        });
    });
}

void Server::Impl::OnAccepted(tcp::socket socket) {
    error_code ec;
    const std::string peer = socket.remote_endpoint(ec).address().to_string();
    if (ec)
        return;
    const auto mine = hub->httpByAddress.find(peer);
    if (mine != hub->httpByAddress.end() && mine->second >= kHttpPerAddress) {
        hub->log.Write("budget", "connection from " + peer + " closed: it holds " +
                                     std::to_string(kHttpPerAddress) + " unproven ones");
        return;
    }
    socket.set_option(tcp::no_delay(true), ec);
    if (hub->options.sendBufferBytes > 0)
        socket.set_option(asio::socket_base::send_buffer_size(hub->options.sendBufferBytes), ec);
    auto session = std::make_shared<HttpSession>(*hub, std::move(socket), peer);
    if (hub->httpCount > hub->options.maxConnections) {
        hub->log.Write("busy", "connection refused: " +
                                   std::to_string(hub->options.maxConnections) + " are open");
        session->StartBusy();
    } else {
        session->Start();
    }
}

void Server::Impl::Beat() {
    heartbeat.expires_after(hub->options.heartbeatPeriod);
    heartbeat.async_wait([this](error_code ec) {
        if (ec)
            return;
        hub->Broadcast(hub->heartbeat, MessageKind::Heartbeat);
        Beat();
    });
}

Server::Server(ServerOptions options, CorePoster poster)
    : m_pImpl(std::make_unique<Impl>(std::move(options), std::move(poster))) {}

Server::~Server() {
    Stop();
}

bool Server::Start(std::string* error) {
    Impl& impl = *m_pImpl;
    ServerOptions& options = impl.hub->options;
    error_code ec;
    const bool named = options.bindAddress == "localhost";
    const auto address = asio::ip::make_address(named ? "127.0.0.1" : options.bindAddress, ec);
    if (ec) {
        *error = "'" + options.bindAddress + "' is not an IP address";
        return false;
    }
    if (!address.is_loopback() && options.token.empty())
        options.token = GenerateToken();
    const tcp::endpoint endpoint(address, options.port);
    impl.acceptor.open(endpoint.protocol(), ec);
    if (!ec) {
        PrepareListener(impl.acceptor);
        impl.acceptor.bind(endpoint, ec);
    }
    if (!ec)
        impl.acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        *error = "cannot listen on " + options.bindAddress + ":" + std::to_string(options.port) +
                 ": " + ec.message();
        impl.acceptor.close(ec);
        return false;
    }
    impl.port = impl.acceptor.local_endpoint().port();
    impl.Accept();
    impl.Beat();
    impl.thread = std::thread([&impl] { impl.hub->ioc.run(); });
    return true;
}

void Server::Stop() {
    Impl& impl = *m_pImpl;
    if (!impl.thread.joinable())
        return;
    // With the listener, the timers and every session closed, the thread's
    // run() ends by itself once the last handler has finished.
    asio::post(impl.hub->ioc, [&impl] {
        error_code ignored;
        impl.acceptor.close(ignored);
        impl.heartbeat.cancel();
        impl.backOff.cancel();
        impl.hub->CloseAll();
    });
    impl.thread.join();
}

unsigned short Server::Port() const {
    return m_pImpl->port;
}

const std::string& Server::Token() const {
    return m_pImpl->hub->options.token;
}

std::string Server::Url() const {
    const ServerOptions& options = m_pImpl->hub->options;
    std::string host = options.bindAddress;
    error_code ec;
    const auto address = asio::ip::make_address(host, ec);
    if (!ec && address.is_unspecified())
        host = asio::ip::host_name(ec);
    else if (!ec && address.is_v6())
        host = "[" + host + "]";
    return AddressUrl(host, m_pImpl->port, options.token);
}

std::size_t Server::ConnectionCount() const {
    return m_pImpl->hub->connectionCount;
}

void Server::Watch(PedestalCore& core) {
    m_LastSent = core.Shown();
    Publish(core, Update{}, true);
    m_ListenerKey =
        core.AddListener([this, &core](const Update& update) { Publish(core, update, false); });
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
        std::string text =
            StateMessage(shown, changes, false, update.sliderPosition, core.Notice());
        if (text.empty())
            return;
        delta = MakeMessage(std::move(text));
    }
    Message snapshot = MakeMessage(StateMessage(
        shown, core.Notice().empty() ? 0u : unsigned{kNotice}, true, 0, core.Notice()));
    // The server's thread fans out; the core's thread only builds two short texts.
    Hub* hub = m_pImpl->hub.get();
    asio::post(hub->ioc, [hub, snapshot = std::move(snapshot), delta = std::move(delta)] {
        hub->fullState = snapshot;
        if (delta)
            hub->Broadcast(delta, MessageKind::State);
    });
}

} // namespace web

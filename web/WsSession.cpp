#include "web/WsSession.h"

#include "panel/PedestalCore.h"
#include "web/Protocol.h"

#include <boost/asio/post.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/http/field.hpp>

#include <nlohmann/json.hpp>

namespace web {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;

// Frames up to this size are read and refused with a reply; larger ones end
// the connection, so that no client makes the server hold much memory.
constexpr std::size_t kHardMessageLimit = 64 * 1024;
constexpr auto kHandshakeTimeout = std::chrono::seconds(10);

// Two state messages as one: the later values win, and a full state stays full.
std::string MergeStates(const std::string& earlier, const std::string& later) {
    using nlohmann::json;
    json merged = json::parse(earlier, nullptr, false);
    const json next = json::parse(later, nullptr, false);
    if (!merged.is_object() || !next.is_object())
        return later;
    const bool full = merged.value("full", false) || next.value("full", false);
    merged.update(next);
    merged["full"] = full;
    return merged.dump(-1, ' ', false, json::error_handler_t::replace);
}

} // namespace

WsSession::WsSession(Hub& hub, asio::ip::tcp::socket&& socket, std::string peer)
    : m_Hub(hub), m_Place(hub, peer, true), m_Ws(std::move(socket)), m_Peer(std::move(peer)),
      m_AwaitingReply(m_Ws.get_executor()) {}

void WsSession::Start(Request request) {
    m_Hub.Register(shared_from_this());
    m_Request = std::move(request);
    beast::get_lowest_layer(m_Ws).expires_never();
    websocket::stream_base::timeout timeout{};
    timeout.handshake_timeout = kHandshakeTimeout;
    timeout.idle_timeout = m_Hub.options.idleTimeout;
    timeout.keep_alive_pings = true;
    m_Ws.set_option(timeout);
    m_Ws.read_message_max(kHardMessageLimit);
    m_Ws.set_option(websocket::stream_base::decorator([](websocket::response_type& response) {
        response.set(beast::http::field::server, "pedestal");
    }));
    m_Ws.async_accept(m_Request,
                      [self = shared_from_this()](beast::error_code ec) { self->OnAccept(ec); });
}

void WsSession::OnAccept(beast::error_code ec) {
    if (ec == boost::asio::error::operation_aborted)
        return;
    if (ec) {
        m_Hub.log.Write("handshake",
                        "WebSocket handshake with " + m_Peer + " failed: " + ec.message());
        return;
    }
    m_bOpen = true;
    m_Hub.AddClient(shared_from_this());
    Send(m_Hub.hello, MessageKind::Other);
    Send(m_Hub.fullState, MessageKind::State);
    Read();
}

void WsSession::Send(const Message& message, MessageKind kind) {
    if (!m_bOpen)
        return;
    // Measured on the socket itself: a write that has not finished for this
    // long means the client no longer takes data, however busy the server.
    if (m_bWriting &&
        std::chrono::steady_clock::now() - m_WriteStarted > m_Hub.options.stallTimeout)
        return Drop("it reads too slowly");
    if (Coalesce(message, kind))
        return;
    if (m_Queue.size() >= m_Hub.options.maxQueuedMessages)
        return Drop("it reads too slowly");
    m_Queue.push_back({message, kind});
    if (!m_bWriting)
        Write();
}

// True when the message joined one that waits already. Results and notices
// always get a place of their own; the one being written is never touched.
bool WsSession::Coalesce(const Message& message, MessageKind kind) {
    if (kind == MessageKind::Other)
        return false;
    for (auto queued = m_Queue.rbegin(); queued != m_Queue.rend(); ++queued) {
        if (m_bWriting && &*queued == &m_Queue.front())
            break;
        if (queued->kind != kind)
            continue;
        if (kind == MessageKind::State)
            queued->message = MakeMessage(MergeStates(*queued->message, *message));
        return true;
    }
    return false;
}

void WsSession::Read() {
    if (!m_bOpen)
        return;
    m_Ws.async_read(m_Buffer, [self = shared_from_this()](beast::error_code ec, std::size_t) {
        self->OnRead(ec);
    });
}

void WsSession::OnRead(beast::error_code ec) {
    if (ec) {
        if (ec != websocket::error::closed && ec != asio::error::operation_aborted &&
            ec != asio::error::eof && m_bOpen)
            m_Hub.log.Write("dropped", "client " + m_Peer + " dropped: " + ec.message());
        Close();
        return;
    }
    const std::string text = beast::buffers_to_string(m_Buffer.data());
    m_Buffer.consume(m_Buffer.size());
    ParsedMessage parsed = ParseMessage(text, !m_Ws.got_text());
    if (!parsed.request) {
        m_Hub.log.Write("refused",
                        "refused a message from " + m_Peer + ": " + Quote(parsed.refusal.message));
        Send(MakeMessage(RefusalMessage(parsed.id, parsed.refusal)), MessageKind::Other);
        Read();
        return;
    }
    // One command in flight per client: the next read waits for the reply,
    // so that no client can pile work onto the core's thread.
    m_AwaitingReply.expires_at(std::chrono::steady_clock::time_point::max());
    m_AwaitingReply.async_wait([self = shared_from_this()](beast::error_code) {});
    // The core's thread holds neither: the server may be gone by the reply.
    m_Hub.poster([hub = m_Hub.weak_from_this(), weak = weak_from_this(), request = *parsed.request,
                  id = parsed.id](PedestalCore& core) {
        const bool done = core.Execute(request.command, request.position);
        Message reply = MakeMessage(done ? OkMessage(id) : RefusalMessage(id, NoBlockRefusal()));
        const std::shared_ptr<Hub> server = hub.lock();
        if (!server)
            return;
        asio::post(server->ioc, [weak, reply] {
            if (auto session = weak.lock())
                session->OnReply(reply);
        });
    });
}

void WsSession::OnReply(const Message& reply) {
    m_AwaitingReply.cancel();
    Send(reply, MessageKind::Other);
    Read();
}

void WsSession::Write() {
    m_bWriting = true;
    m_WriteStarted = std::chrono::steady_clock::now();
    m_Ws.text(true);
    m_Ws.async_write(
        asio::buffer(*m_Queue.front().message),
        [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnWrite(ec); });
}

void WsSession::OnWrite(beast::error_code ec) {
    m_bWriting = false;
    if (ec) {
        Close();
        return;
    }
    m_Queue.pop_front();
    if (!m_Queue.empty() && m_bOpen)
        Write();
}

void WsSession::Drop(const std::string& why) {
    m_Hub.log.Write("slow", "dropping client " + m_Peer + ": " + why);
    Close();
}

void WsSession::Close() {
    m_bOpen = false;
    m_AwaitingReply.cancel();
    beast::get_lowest_layer(m_Ws).close();
}

} // namespace web

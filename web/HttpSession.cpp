#include "web/HttpSession.h"

#include "web/Page.h"
#include "web/WsSession.h"

#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>

namespace web {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;

constexpr std::size_t kHeaderLimit = 8 * 1024;
// A browser fetches the page or upgrades within moments; a connection that
// has not upgraded by then is closed, so that idle ones cannot hold places.
constexpr auto kRequestTimeout = std::chrono::seconds(5);
constexpr auto kHttpLife = std::chrono::seconds(10);

HttpSession::Response Plain(http::status status, unsigned version, const std::string& text) {
    HttpSession::Response response{status, version};
    response.set(http::field::content_type, "text/plain; charset=utf-8");
    response.body() = text + "\n";
    return response;
}

} // namespace

HttpSession::HttpSession(Hub& hub, asio::ip::tcp::socket&& socket, std::string peer)
    : m_Hub(hub), m_Place(hub, peer, false), m_Stream(std::move(socket)), m_Peer(std::move(peer)),
      m_Life(m_Stream.get_executor()) {}

void HttpSession::Start() {
    m_Hub.Register(shared_from_this());
    m_Life.expires_after(kHttpLife);
    m_Life.async_wait([weak = weak_from_this()](beast::error_code ec) {
        if (auto self = weak.lock(); self && !ec)
            self->Close();
    });
    Read();
}

void HttpSession::StartBusy() {
    m_Hub.Register(shared_from_this());
    Respond(Plain(http::status::service_unavailable, 11,
                  "Too many connections to this pedestal; try again later."),
            true);
}

void HttpSession::Close() {
    m_Life.cancel();
    beast::error_code ignored;
    m_Stream.socket().shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    m_Stream.close();
}

void HttpSession::Read() {
    m_Parser.emplace();
    m_Parser->header_limit(kHeaderLimit);
    m_Parser->body_limit(0);
    m_Stream.expires_after(kRequestTimeout);
    http::async_read(
        m_Stream, m_Buffer, *m_Parser,
        [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnRead(ec); });
}

void HttpSession::OnRead(beast::error_code ec) {
    if (ec) {
        if (ec != http::error::end_of_stream && ec != asio::error::operation_aborted &&
            ec != beast::error::timeout)
            m_Hub.log.Write("http", "HTTP request from " + m_Peer + " refused: " + ec.message());
        Close();
        return;
    }
    Request request = m_Parser->release();
    const Admission admission = Admit(request, m_Hub.options.token);
    if (admission.route == Route::Socket && admission.status != 400) {
        const auto now = GuessLimiter::Clock::now();
        if (admission.guessed && m_Hub.guesses.Blocked(m_Peer, now)) {
            m_Hub.log.Write("guess", "WebSocket refused: too many wrong tokens from " + m_Peer);
            return Respond(Plain(http::status::too_many_requests, request.version(),
                                 "too many wrong tokens; wait a moment"),
                           true);
        }
        if (admission.guessed && !admission.guessRight)
            m_Hub.guesses.Wrong(m_Peer, now);
    }
    if (admission.status != 200) {
        m_Hub.log.Write("refused", "request from " + m_Peer + " refused: " + admission.why);
        Response response =
            Plain(static_cast<http::status>(admission.status), request.version(), admission.why);
        if (admission.status == 405)
            response.set(http::field::allow, "GET, HEAD");
        if (admission.status == 426)
            response.set(http::field::upgrade, "websocket");
        return Respond(std::move(response),
                       admission.route == Route::Socket || !request.keep_alive());
    }
    if (admission.route == Route::Socket)
        return Upgrade(std::move(request));
    Respond(Answer(request, admission), !request.keep_alive(),
            request.method() == http::verb::head);
}

HttpSession::Response HttpSession::Answer(const Request& request, const Admission& admission) {
    Response response{http::status::ok, request.version()};
    if (admission.route == Route::Page) {
        response.set(http::field::content_type, "text/html; charset=utf-8");
        response.set(http::field::cache_control, "no-store");
        response.set("Content-Security-Policy",
                     "default-src 'none'; img-src 'self'; style-src 'unsafe-inline'; "
                     "script-src 'unsafe-inline'; connect-src 'self'; base-uri 'none'; "
                     "form-action 'none'; frame-ancestors 'none'");
        response.body() = PageHtml();
        return response;
    }
    const std::string_view bytes =
        admission.route == Route::Resource ? ResourceFile(admission.resource) : "";
    if (bytes.empty())
        return Plain(http::status::not_found, request.version(), "Not found.");
    response.set(http::field::content_type,
                 admission.resource.ends_with(".ico") ? "image/x-icon" : "image/bmp");
    response.set(http::field::cache_control, "max-age=3600");
    response.body() = bytes;
    return response;
}

void HttpSession::Upgrade(Request request) {
    if (m_Hub.socketCount >= m_Hub.options.maxConnections) {
        m_Hub.log.Write("busy", "WebSocket refused: " +
                                    std::to_string(m_Hub.options.maxConnections) + " are open");
        return StartBusy();
    }
    m_Life.cancel();
    std::make_shared<WsSession>(m_Hub, m_Stream.release_socket(), m_Peer)
        ->Start(std::move(request));
}

void HttpSession::Respond(Response response, bool close, bool head) {
    response.set(http::field::server, "pedestal");
    response.set("X-Content-Type-Options", "nosniff");
    response.set("X-Frame-Options", "DENY");
    // The address may carry the token; it must not leave in a Referer.
    response.set("Referrer-Policy", "no-referrer");
    response.keep_alive(!close);
    response.prepare_payload();
    if (head) {
        // The length a GET would send, and no body: on a kept-alive
        // connection the next response must follow the headers directly.
        const auto length = response.body().size();
        response.body().clear();
        response.content_length(length);
    }
    m_Response = std::move(response);
    m_Stream.expires_after(kRequestTimeout);
    http::async_write(m_Stream, m_Response,
                      [self = shared_from_this(), close](beast::error_code ec, std::size_t) {
                          if (ec || close)
                              self->Close();
                          else
                              self->Read();
                      });
}

} // namespace web

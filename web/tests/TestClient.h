// A WebSocket and HTTP client for the server's tests, on Beast, with every
// wait bounded so that a broken server fails a test instead of hanging it.
#pragma once

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace webtest {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;

struct Handshake {
    std::string target = "/ws";
    std::string host;                  // empty: 127.0.0.1:PORT
    std::optional<std::string> origin; // none: no Origin header
    int receiveBuffer = 0;             // SO_RCVBUF before connecting; 0 leaves it
    std::string source = "127.0.0.1";  // the client's own address
};

class TestClient {
public:
    // The handshake's HTTP status: 101 when the WebSocket is open.
    int Connect(unsigned short port, const Handshake& handshake = {}) {
        beast::error_code ec;
        tcp::socket& socket = beast::get_lowest_layer(m_Ws).socket();
        socket.open(tcp::v4(), ec);
        socket.bind({asio::ip::make_address(handshake.source), 0}, ec);
        if (handshake.receiveBuffer > 0)
            socket.set_option(asio::socket_base::receive_buffer_size(handshake.receiveBuffer), ec);
        socket.connect({asio::ip::make_address("127.0.0.1"), port}, ec);
        if (ec)
            return -1;
        const std::optional<std::string> origin = handshake.origin;
        m_Ws.set_option(websocket::stream_base::decorator([origin](websocket::request_type& r) {
            if (origin)
                r.set(http::field::origin, *origin);
        }));
        const std::string host =
            handshake.host.empty() ? "127.0.0.1:" + std::to_string(port) : handshake.host;
        websocket::response_type response;
        std::optional<beast::error_code> done;
        m_Ws.async_handshake(response, host, handshake.target,
                             [&](beast::error_code result) { done = result; });
        Run(std::chrono::seconds(5));
        return done ? static_cast<int>(response.result_int()) : -1;
    }

    void Send(const std::string& text, bool binary = false) {
        m_Ws.binary(binary);
        beast::error_code ec;
        m_Ws.write(asio::buffer(text), ec);
    }

    // The next message, or nothing when the connection ended or the wait ran out.
    std::optional<std::string> Read(std::chrono::milliseconds timeout = std::chrono::seconds(3)) {
        std::optional<beast::error_code> done;
        m_Ws.async_read(m_Buffer, [&](beast::error_code ec, std::size_t) { done = ec; });
        if (!Run(timeout)) {
            beast::get_lowest_layer(m_Ws).socket().cancel();
            Run(std::chrono::seconds(1));
            return std::nullopt;
        }
        if (*done)
            return std::nullopt;
        std::string text = beast::buffers_to_string(m_Buffer.data());
        m_Buffer.consume(m_Buffer.size());
        return text;
    }

    // Messages until one holds the fragment; nothing when none does in time.
    std::optional<std::string>
    ReadUntil(const std::string& fragment,
              std::chrono::milliseconds timeout = std::chrono::seconds(3)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            std::optional<std::string> message = Read(left);
            if (!message)
                return std::nullopt;
            if (message->find(fragment) != std::string::npos)
                return message;
        }
        return std::nullopt;
    }

    void Close() {
        beast::error_code ec;
        beast::get_lowest_layer(m_Ws).socket().close(ec);
    }

private:
    bool Run(std::chrono::steady_clock::duration timeout) {
        m_Ioc.restart();
        m_Ioc.run_for(timeout);
        return m_Ioc.stopped();
    }

    asio::io_context m_Ioc;
    websocket::stream<beast::tcp_stream> m_Ws{m_Ioc};
    beast::flat_buffer m_Buffer;
};

// One plain HTTP request; the response, or status 0 when none came.
inline http::response<http::string_body> HttpRequest(unsigned short port, http::verb verb,
                                                     const std::string& target) {
    asio::io_context ioc;
    beast::tcp_stream stream(ioc);
    http::response<http::string_body> response;
    beast::error_code ec;
    stream.connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port), ec);
    if (ec)
        return response;
    http::request<http::string_body> request{verb, target, 11};
    request.set(http::field::host, "127.0.0.1:" + std::to_string(port));
    request.prepare_payload();
    stream.expires_after(std::chrono::seconds(5));
    beast::flat_buffer buffer;
    http::async_write(stream, request, [&](beast::error_code e, std::size_t) {
        if (!e)
            http::async_read(stream, buffer, response, [](beast::error_code, std::size_t) {});
    });
    ioc.run();
    return response;
}

// Bytes as they are written, from the given address; all that comes back
// until the server closes or a second passes in silence.
inline std::string RawExchange(unsigned short port, const std::string& bytes,
                               const std::string& source = "127.0.0.1") {
    asio::io_context ioc;
    tcp::socket socket(ioc);
    beast::error_code ec;
    socket.open(tcp::v4(), ec);
    socket.bind({asio::ip::make_address(source), 0}, ec);
    socket.connect({asio::ip::make_address("127.0.0.1"), port}, ec);
    if (ec)
        return {};
    asio::write(socket, asio::buffer(bytes), ec);
    std::string received;
    char chunk[4096];
    std::function<void()> read = [&] {
        socket.async_read_some(asio::buffer(chunk), [&](beast::error_code e, std::size_t n) {
            received.append(chunk, n);
            if (!e)
                read();
        });
    };
    read();
    for (std::size_t seen = ~std::size_t{0}; seen != received.size() && !ioc.stopped();) {
        seen = received.size();
        ioc.run_for(std::chrono::seconds(1));
    }
    return received;
}

} // namespace webtest

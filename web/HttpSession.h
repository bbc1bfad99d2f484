// One HTTP connection before any upgrade: the page, the pictures, and the
// upgrade to a WebSocket once admitted. It has not proved anything yet, so
// it lives briefly and counts against its address's budget.
#pragma once

#include "web/Hub.h"

#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include <memory>
#include <optional>

namespace web {

class HttpSession : public Connection, public std::enable_shared_from_this<HttpSession> {
public:
    using Response = boost::beast::http::response<boost::beast::http::string_body>;

    HttpSession(Hub& hub, boost::asio::ip::tcp::socket&& socket, std::string peer);

    void Start();
    // Past the connection limit: one answer, without reading the request.
    void StartBusy();
    void Close() override;

private:
    void Read();
    void OnRead(boost::beast::error_code ec);
    Response Answer(const Request& request, const Admission& admission);
    void Upgrade(Request request);
    void Respond(Response response, bool close, bool head = false);

    Hub& m_Hub;
    Place m_Place;
    boost::beast::tcp_stream m_Stream;
    std::string m_Peer;
    boost::asio::steady_timer m_Life;
    boost::beast::flat_buffer m_Buffer;
    std::optional<boost::beast::http::request_parser<boost::beast::http::empty_body>> m_Parser;
    Response m_Response;
};

} // namespace web

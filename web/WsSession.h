// One browser's WebSocket: its commands go to the core one at a time, and
// what the server tells it waits in a queue of its own. A client that falls
// behind gets the state messages it has not yet been sent merged into one;
// only a socket that stops taking data gets it dropped.
#pragma once

#include "web/Hub.h"

#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/websocket/stream.hpp>

#include <chrono>
#include <deque>
#include <memory>

namespace web {

class WsSession : public Connection, public std::enable_shared_from_this<WsSession> {
public:
    WsSession(Hub& hub, boost::asio::ip::tcp::socket&& socket, std::string peer);

    // Answers the upgrade request, then greets the client.
    void Start(Request request);
    void Send(const Message& message, MessageKind kind);
    void Close() override;

private:
    struct Queued {
        Message message;
        MessageKind kind;
    };

    void OnAccept(boost::beast::error_code ec);
    void Read();
    void OnRead(boost::beast::error_code ec);
    void OnReply(const Message& reply);
    bool Coalesce(const Message& message, MessageKind kind);
    void Write();
    void OnWrite(boost::beast::error_code ec);
    void Drop(const std::string& why);

    Hub& m_Hub;
    Place m_Place;
    boost::beast::websocket::stream<boost::beast::tcp_stream> m_Ws;
    boost::beast::flat_buffer m_Buffer;
    Request m_Request;
    std::string m_Peer;
    std::deque<Queued> m_Queue;
    // While a command is with the core no read is pending: this wait holds
    // the session until the reply (or Close) ends it.
    boost::asio::steady_timer m_AwaitingReply;
    std::chrono::steady_clock::time_point m_WriteStarted;
    bool m_bOpen = false;
    bool m_bWriting = false;
};

} // namespace web

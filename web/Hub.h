// What the server's sessions share, on the server's thread only: the
// options, the core's poster, the messages every client gets, the open
// sessions (held weakly: each session owns itself through its pending
// handlers) and the budgets that admit new ones.
#pragma once

#include "web/Admission.h"
#include "web/LogLines.h"
#include "web/Server.h"

#include <boost/asio/io_context.hpp>

#include <atomic>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace web {

using Message = std::shared_ptr<const std::string>;
Message MakeMessage(std::string text);

enum class MessageKind { State, Heartbeat, Other };

// A session the server can close when it stops.
class Connection {
public:
    virtual ~Connection() = default;
    virtual void Close() = 0;
};

class WsSession;

struct Hub : std::enable_shared_from_this<Hub> {
    Hub(ServerOptions o, Server::CorePoster p);

    void Register(const std::shared_ptr<Connection>& connection);
    void AddClient(const std::shared_ptr<WsSession>& client);
    void Broadcast(const Message& message, MessageKind kind);
    void CloseAll();

    ServerOptions options;
    Server::CorePoster poster;
    LogLines log;
    GuessLimiter guesses;
    Message hello;
    Message fullState;
    Message heartbeat;
    // Sessions before and after the upgrade, for the budgets.
    std::size_t httpCount = 0;
    std::size_t socketCount = 0;
    std::unordered_map<std::string, std::size_t> httpByAddress;
    std::atomic<std::size_t> connectionCount{0};
    std::vector<std::weak_ptr<Connection>> connections;
    std::vector<std::weak_ptr<WsSession>> clients;
    // Last: destroying it releases the sessions its handlers hold, which
    // still use the members above.
    boost::asio::io_context ioc{1};
};

// Holds one place in the hub's counts for as long as a session lives.
class Place {
public:
    Place(Hub& hub, std::string address, bool socket);
    ~Place();
    Place(const Place&) = delete;
    Place& operator=(const Place&) = delete;

private:
    Hub& m_Hub;
    std::string m_Address;
    bool m_bSocket;
};

} // namespace web

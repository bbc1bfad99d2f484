// The pedestal over HTTP and a WebSocket on one port: GET / gives the page,
// /res/ the lever pictures, /ws the protocol of web/Protocol.h. The server
// runs its own thread; the pedestal core stays on the thread that owns it,
// which the server reaches only through the poster it is given. A client
// that falls behind gets its pending state merged; one whose socket stops
// taking data is dropped, so neither the core's tick nor the other clients
// ever wait on one. Admission rules: web/Admission.h.
#pragma once

#include "panel/ShownState.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

class PedestalCore;

namespace web {

struct ServerOptions {
    // Beyond loopback a token is required; Start() makes one when none is set.
    std::string bindAddress = "127.0.0.1";
    unsigned short port = 8080; // 0: any free port
    std::string token;
    // WebSockets at once; connections not yet upgraded have a budget as large.
    std::size_t maxConnections = 64;
    // Results and notices waiting for one client (state waits merged into
    // one); one more drops the client.
    std::size_t maxQueuedMessages = 64;
    // A write to one client unfinished for this long drops the client.
    std::chrono::milliseconds stallTimeout{5000};
    std::chrono::milliseconds heartbeatPeriod{5000};
    // A client that answers no ping for this long is dropped.
    std::chrono::seconds idleTimeout{20};
    // SO_SNDBUF of each connection; 0 leaves the system's.
    int sendBufferBytes = 0;
    // One line per event worth telling (refusals, drops); none when empty.
    std::function<void(const std::string&)> log;
};

class Server {
public:
    using CoreTask = std::function<void(PedestalCore&)>;
    // Runs the task on the core's thread, later; must not run it inline.
    using CorePoster = std::function<void(CoreTask)>;

    Server(ServerOptions options, CorePoster poster);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds, listens and starts the server's thread. False with *error set
    // when the address cannot be used.
    bool Start(std::string* error);
    // Closes every connection and joins the thread.
    void Stop();

    unsigned short Port() const;
    const std::string& Token() const;
    // The address to open: http://HOST:PORT/, with ?token=... (percent-
    // encoded) when one is set.
    std::string Url() const;
    // Open connections, HTTP and WebSocket; from any thread.
    std::size_t ConnectionCount() const;

    // On the core's thread: sends every change of the core's shown state to
    // all clients. Unwatch before the core or the server goes.
    void Watch(PedestalCore& core);
    void Unwatch(PedestalCore& core);

private:
    struct Impl;
    void Publish(const PedestalCore& core, const Update& update, bool full);

    std::unique_ptr<Impl> m_pImpl;
    int m_ListenerKey = 0;
    ShownState m_LastSent;
};

} // namespace web

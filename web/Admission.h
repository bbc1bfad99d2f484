// Who may use the server, decided from a request alone so that the rules are
// tested without sockets: the Host on every route, the Origin and the token
// on the WebSocket, and a brake on wrong token guesses from one address.
#pragma once

#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/message.hpp>

#include <chrono>
#include <string>
#include <unordered_map>

namespace web {

using Request = boost::beast::http::request<boost::beast::http::empty_body>;

// 127.0.0.0/8, ::1 and "localhost".
bool IsLoopbackAddress(const std::string& address);
// 32 hex digits from the system's random source.
std::string GenerateToken();
// http://HOST:PORT/, with ?token=... percent-encoded when a token is set.
std::string AddressUrl(const std::string& host, unsigned short port, const std::string& token);

enum class Route { Page, Resource, Socket, NotFound };

struct Admission {
    unsigned status = 200; // 200: serve the route; otherwise the refusal's status
    std::string why;       // the refusal, for the log and the reply
    Route route = Route::NotFound;
    std::string resource; // the decoded name under /res/
    bool guessed = false; // a token was given and compared
    bool guessRight = false;
};

// token: the server's; empty when it serves loopback only.
Admission Admit(const Request& request, const std::string& token);

// Wrong tokens from one address: beyond kAllowed within a second, that
// address gets 429 for every token, right or wrong, for kBackOff.
class GuessLimiter {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kAllowed = 10;
    static constexpr auto kBackOff = std::chrono::seconds(2);

    bool Blocked(const std::string& address, Clock::time_point now) const;
    void Wrong(const std::string& address, Clock::time_point now);

private:
    struct Record {
        Clock::time_point windowStart;
        int wrong = 0;
        Clock::time_point blockedUntil;
    };
    std::unordered_map<std::string, Record> m_Records;
};

} // namespace web

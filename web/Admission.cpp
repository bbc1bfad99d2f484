#include "web/Admission.h"

#include <boost/asio/ip/address.hpp>
#include <boost/beast/websocket/rfc6455.hpp>
#include <boost/url/encode.hpp>
#include <boost/url/parse.hpp>
#include <boost/url/rfc/unreserved_chars.hpp>

#include <algorithm>
#include <cctype>
#include <random>

namespace web {
namespace {

namespace http = boost::beast::http;

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

Admission Refuse(Admission admission, unsigned status, std::string why) {
    admission.status = status;
    admission.why = std::move(why);
    return admission;
}

// Host and Origin guard against pages of other sites (and DNS rebinding);
// the token against other machines.
Admission AdmitSocket(const Request& request, const boost::urls::url_view& url,
                      const std::string& host, const std::string& token) {
    Admission admission;
    admission.route = Route::Socket;
    if (request.find(http::field::origin) != request.end() &&
        Lower(request[http::field::origin]) != "http://" + host)
        return Refuse(admission, 403, "the page comes from another site");
    if (token.empty())
        return admission;
    const auto given = url.params().find("token");
    if (given == url.params().end())
        return Refuse(admission, 401, "a token is required: open the address the pedestal printed");
    admission.guessed = true;
    admission.guessRight = SameSecret((*given).value, token);
    return admission.guessRight ? admission : Refuse(admission, 403, "wrong token");
}

} // namespace

bool IsLoopbackAddress(const std::string& address) {
    if (Lower(address) == "localhost")
        return true;
    boost::system::error_code ec;
    const auto parsed = boost::asio::ip::make_address(address, ec);
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

std::string AddressUrl(const std::string& host, unsigned short port, const std::string& token) {
    std::string url = "http://" + host + ":" + std::to_string(port) + "/";
    if (!token.empty())
        url += "?token=" + boost::urls::encode(token, boost::urls::unreserved_chars);
    return url;
}

Admission Admit(const Request& request, const std::string& token) {
    Admission admission;
    const auto parsed = boost::urls::parse_origin_form(request.target());
    if (!parsed)
        return Refuse(admission, 400, "the request's address is not valid");
    const std::string host = Lower(request[http::field::host]);
    if (token.empty() && !IsLoopbackAddress(HostName(host)))
        return Refuse(admission, 403, "this pedestal answers only on its loopback address");
    if (request.method() != http::verb::get && request.method() != http::verb::head)
        return Refuse(admission, 405, "GET only");
    const std::string path = parsed->path();
    if (path == "/ws") {
        if (!boost::beast::websocket::is_upgrade(request))
            return Refuse(admission, 426, "WebSocket only");
        return AdmitSocket(request, *parsed, host, token);
    }
    if (path == "/" || path == "/index.html") {
        admission.route = Route::Page;
    } else if (path.starts_with("/res/")) {
        admission.route = Route::Resource;
        admission.resource = path.substr(5);
    }
    return admission;
}

bool GuessLimiter::Blocked(const std::string& address, Clock::time_point now) const {
    const auto found = m_Records.find(address);
    return found != m_Records.end() && now < found->second.blockedUntil;
}

void GuessLimiter::Wrong(const std::string& address, Clock::time_point now) {
    // Addresses that guessed nothing for a while are forgotten, so that
    // many addresses cannot grow the table without end.
    if (m_Records.size() > 4096)
        std::erase_if(m_Records, [now](const auto& entry) {
            return now - entry.second.windowStart > std::chrono::seconds(1) &&
                   now >= entry.second.blockedUntil;
        });
    Record& record = m_Records[address];
    if (now - record.windowStart > std::chrono::seconds(1)) {
        record.windowStart = now;
        record.wrong = 0;
    }
    if (++record.wrong > kAllowed)
        record.blockedUntil = now + kBackOff;
}

} // namespace web

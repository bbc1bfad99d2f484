// The server's log lines: what a client sent is quoted (control characters
// escaped, long text cut) so that it cannot forge lines or drive a terminal,
// and a line repeated faster than people read is counted instead of written.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace web {

// "text" with \n, \x1b and every byte outside printable ASCII escaped; cut
// at max bytes with "...".
std::string Quote(std::string_view text, std::size_t max = 80);

class LogLines {
public:
    using Clock = std::chrono::steady_clock;
    // Lines of one kind beyond this many in a period are only counted.
    static constexpr int kPerPeriod = 5;
    static constexpr auto kPeriod = std::chrono::seconds(10);

    explicit LogLines(std::function<void(const std::string&)> sink) : m_Sink(std::move(sink)) {}
    // kind groups lines that repeat one event, such as "refused".
    void Write(const std::string& kind, const std::string& line,
               Clock::time_point now = Clock::now());
    // Says how many lines were left out since they were last told.
    void Flush();

private:
    struct Kind {
        Clock::time_point periodStart;
        int written = 0;
        long leftOut = 0;
    };
    void TellLeftOut(const std::string& kind, Kind& state);

    std::function<void(const std::string&)> m_Sink;
    std::unordered_map<std::string, Kind> m_Kinds;
};

} // namespace web

#include "web/LogLines.h"

#include <cstdio>

namespace web {

std::string Quote(std::string_view text, std::size_t max) {
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size() && i < max; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            quoted += escaped;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    quoted += text.size() > max ? "\"..." : "\"";
    return quoted;
}

void LogLines::Write(const std::string& kind, const std::string& line, Clock::time_point now) {
    if (!m_Sink)
        return;
    Kind& state = m_Kinds[kind];
    if (now - state.periodStart >= kPeriod) {
        TellLeftOut(kind, state);
        state.periodStart = now;
        state.written = 0;
    }
    if (state.written >= kPerPeriod) {
        ++state.leftOut;
        return;
    }
    ++state.written;
    m_Sink(line);
}

void LogLines::Flush() {
    for (auto& [kind, state] : m_Kinds)
        TellLeftOut(kind, state);
}

void LogLines::TellLeftOut(const std::string& kind, Kind& state) {
    if (state.leftOut > 0 && m_Sink)
        m_Sink(std::to_string(state.leftOut) + " more lines like the last '" + kind +
               "' were left out");
    state.leftOut = 0;
}

} // namespace web

#include "tools/simblock/Console.h"

#include "textfunctions/UtcTime.h"

#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>

namespace simblock {
namespace {

volatile std::sig_atomic_t g_Stop = 0;

extern "C" void OnStopSignal(int) {
    g_Stop = 1;
}

} // namespace

void PrintError(const std::string& message) {
    std::cerr << "simblock: " << message << '\n';
}

void CatchStopSignals() {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
}

bool StopRequested() {
    return g_Stop != 0;
}

RunLimit::RunLimit(const Bounds& bounds)
    : m_Bounds(bounds), m_Start(std::chrono::steady_clock::now()) {}

bool RunLimit::Next() {
    if (StopRequested())
        return false;
    if (m_Bounds.count > 0 && m_Samples >= m_Bounds.count)
        return false;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_Start;
    if (m_Bounds.durationSeconds > 0 && elapsed.count() >= m_Bounds.durationSeconds)
        return false;
    ++m_Samples;
    return true;
}

std::string UtcTimestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm utc{};
    BreakUtcTime(seconds, utc);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(millis));
    return text;
}

} // namespace simblock

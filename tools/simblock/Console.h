// Shared by the commands: error lines, the Ctrl+C flag and the run bounds.
#pragma once

#include "tools/simblock/Commands.h"

#include <chrono>
#include <string>

namespace simblock {

void PrintError(const std::string& message);

// Installs the SIGINT and SIGTERM handlers that end a long-running command
// at its next sample instead of killing it mid-write.
void CatchStopSignals();
bool StopRequested();

class RunLimit {
public:
    explicit RunLimit(const Bounds& bounds);
    // Counts one sample; false once the run should end.
    bool Next();

private:
    Bounds m_Bounds;
    long m_Samples = 0;
    std::chrono::steady_clock::time_point m_Start;
};

// "2026-12-07T05:41:00.123Z"
std::string UtcTimestamp();

} // namespace simblock

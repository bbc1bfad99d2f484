// The text form of a recording: one line per change, "SECONDS NAME=VALUE",
// seconds from the start with millisecond steps, '#' lines are comments. A
// replay file may also use the lever settings of the set command.
#pragma once

#include "tools/simblock/Settings.h"

#include <istream>
#include <string>
#include <vector>

namespace simblock {

inline constexpr const char* kRecordingFormat =
    "A recording is plain text: '#' lines are comments, every other line is "
    "SECONDS NAME=VALUE, seconds from the start in rising order, NAME a field "
    "element such as thrustLever[0] or a lever of the set command such as flaps. "
    "The heartbeat and the user count are not recorded.";

// The lever fields a pedestal or simulator moves. The heartbeat and the user
// count are left out: replaying them would fake a live pedestal or attached
// users in the target block.
std::vector<FieldRef> RecordedElements();

std::string RecordLine(double seconds, FieldRef ref, const Value& value);

struct Step {
    double seconds = 0;
    std::vector<Write> writes;
};

// Reads a whole recording; on any malformed line returns false with one
// message per bad line (numbered from 1) and no steps.
bool ParseRecording(std::istream& in, std::vector<Step>& steps, std::vector<std::string>& errors);

} // namespace simblock

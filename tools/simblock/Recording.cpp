#include "tools/simblock/Recording.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace simblock {
namespace {

// Long enough for any session at the rig, short enough that every pause,
// also when sped down, stays far inside the clock's range.
constexpr double kMaxSeconds = 1e6;

bool IsRecorded(const FieldInfo& field) {
    return field.name != "versionText" && field.name != "sectionPointers" &&
           field.name != "userCount" && field.name != "aidControlsHeartbeat";
}

} // namespace

std::vector<FieldRef> RecordedElements() {
    std::vector<FieldRef> refs;
    for (const FieldInfo& field : Fields())
        if (IsRecorded(field))
            for (std::size_t i = 0; i < field.elements; ++i)
                refs.push_back({&field, i});
    return refs;
}

std::string RecordLine(double seconds, FieldRef ref, const Value& value) {
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", seconds);
    return std::string(time) + " " + Label(ref) + "=" + FormatValue(value);
}

bool ParseRecording(std::istream& in, std::vector<Step>& steps, std::vector<std::string>& errors) {
    std::vector<Step> parsed;
    std::string line;
    double previous = 0;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const std::string where = "line " + std::to_string(number) + ": ";
        const std::size_t blank = line.find(' ');
        double seconds = -1;
        if (blank != std::string::npos) {
            const auto [end, ec] = std::from_chars(line.data(), line.data() + blank, seconds);
            if (ec != std::errc() || end != line.data() + blank)
                seconds = -1;
        }
        if (!std::isfinite(seconds) || seconds < 0 || seconds > kMaxSeconds) {
            errors.push_back(where + "expected SECONDS NAME=VALUE, seconds a number from 0 to " +
                             FormatDouble(kMaxSeconds));
            continue;
        }
        if (seconds < previous) {
            errors.push_back(where + "time goes back from " + FormatDouble(previous) + " to " +
                             FormatDouble(seconds));
            continue;
        }
        previous = seconds;
        Step step{seconds, {}};
        std::string error;
        if (!ParseSetting(std::string_view(line).substr(blank + 1), step.writes, error))
            errors.push_back(where + error);
        else
            parsed.push_back(std::move(step));
    }
    if (!errors.empty())
        return false;
    steps = std::move(parsed);
    return true;
}

} // namespace simblock

#include "tools/simblock/Settings.h"

#include "panel/PedestalCore.h"
#include "panel/PedestalStatus.h"
#include "shm/TS_P_0001_02_genericSim.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace simblock {
namespace {

using namespace PedestalStatus;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return lower;
}

FieldRef Ref(std::string_view name, std::size_t element = 0) {
    return {FindField(name), element};
}

std::optional<double> ParseDouble(std::string_view text) {
    double number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    std::int64_t number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

struct Range {
    std::int64_t low;
    std::int64_t high;
};

Range RangeOf(FieldType type) {
    switch (type) {
    case FieldType::U8:
        return {0, 255};
    case FieldType::U32:
        return {0, std::numeric_limits<std::uint32_t>::max()};
    default:
        return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
    }
}

void RunLever(const LeverCommand& command, GenericSimBlock& block) {
    PedestalCore core;
    core.GetAttachment().UseBlock(&block);
    command(core);
}

// The elements a lever command writes and their values, in the layout's
// order: the command is run on a block of zeros and on one of ones, and an
// element it writes ends the same in both. The first of them carries the
// command itself, which makes them all when the settings are applied.
bool LeverWrites(const LeverCommand& command, std::vector<Write>& writes) {
    const auto zeros = std::make_unique<GenericSimBlock>();
    const auto ones = std::make_unique<GenericSimBlock>();
    GenericSimBlock* const scratch[2] = {zeros.get(), ones.get()};
    for (int i = 0; i < 2; ++i) {
        std::memset(scratch[i], i == 0 ? 0x00 : 0xFF, sizeof(GenericSimBlock));
        RunLever(command, *scratch[i]);
    }
    bool first = true;
    for (const FieldInfo& field : Fields()) {
        for (std::size_t element = 0; element < field.elements; ++element) {
            const FieldRef ref{&field, element};
            const Value value = ReadElement(*scratch[0], ref);
            if (value != ReadElement(*scratch[1], ref))
                continue;
            writes.push_back({ref, value, first ? command : LeverCommand(), true});
            first = false;
        }
    }
    return true;
}

struct Lever {
    std::string_view name;
    std::string accepted;
    bool (*parse)(const std::string& value, std::vector<Write>& writes);
};

const Lever kLevers[] = {
    {"flaps", "up, 1, 2, 3, full (or 0 to 4)",
     [](const std::string& v, std::vector<Write>& w) {
         static constexpr std::array<std::string_view, 5> words = {"up", "1", "2", "3", "full"};
         for (int i = 0; i < 5; ++i)
             if (v == words[i] || v == std::to_string(i))
                 return LeverWrites([i](PedestalCore& core) { core.SetFlapLever(i); }, w);
         return false;
     }},
    {"gear", "up, down",
     [](const std::string& v, std::vector<Write>& w) {
         if (v != "up" && v != "down")
             return false;
         return LeverWrites([up = v == "up"](PedestalCore& core) { core.SetGear(up); }, w);
     }},
    {"brakes", "on, off",
     [](const std::string& v, std::vector<Write>& w) {
         if (v != "on" && v != "off")
             return false;
         return LeverWrites([on = v == "on"](PedestalCore& core) { core.SetBrakes(on); }, w);
     }},
    {"thrust",
     "toga (" + FormatDouble(kThrustToGaValue) + "), flx or mct (" +
         FormatDouble(kThrustFlxMctValue) + "), cl (" + FormatDouble(kThrustClValue) + "), idle (" +
         FormatDouble(kThrustIdleValue) +
         ") or a percent of lever travel from 0 to 100, into both levers",
     [](const std::string& v, std::vector<Write>& w) {
         static constexpr std::pair<std::string_view, double> detents[] = {
             {"toga", kThrustToGaValue},
             {"flx", kThrustFlxMctValue},
             {"mct", kThrustFlxMctValue},
             {"cl", kThrustClValue},
             {"idle", kThrustIdleValue}};
         std::optional<double> percent = ParseDouble(v);
         for (const auto& [word, value] : detents)
             percent = v == word ? value : percent;
         if (!percent || !(*percent >= 0.0 && *percent <= 100.0))
             return false;
         return LeverWrites([value = *percent](PedestalCore& core) { core.SetThrust(value); }, w);
     }},
    {"speedbrake",
     "in (" + std::to_string(kSpeedBrakeInValue) + "), out (" +
         std::to_string(kSpeedBrakeOutValue) +
         "); a running pedestal writes its own selection "
         "back on its next tick",
     [](const std::string& v, std::vector<Write>& w) {
         if (v != "in" && v != "out")
             return false;
         w.push_back({Ref("speedBrakeLever"),
                      MakeInteger(FieldType::I32, SpeedBrakeLeverValue(v == "in"))});
         return true;
     }},
};

std::string LeverList() {
    std::string names;
    for (const Lever& lever : kLevers)
        names += (names.empty() ? "" : ", ") + std::string(lever.name);
    return names;
}

} // namespace

std::optional<Value> ParseValue(FieldRef ref, std::string_view text, std::string& error) {
    const FieldInfo& field = *ref.field;
    const std::string label = Label(ref);
    if (field.type == FieldType::Text) {
        if (text.size() > field.width || text.find('\0') != std::string_view::npos) {
            error = label + ": a text of at most " + std::to_string(field.width) + " bytes";
            return std::nullopt;
        }
        return MakeText(text);
    }
    if (field.type == FieldType::F64) {
        const std::optional<double> number = ParseDouble(text);
        if (!number) {
            error = label + "='" + std::string(text) +
                    "': not a number; it takes a decimal number such as 85.5, -1e-3, nan or inf";
            return std::nullopt;
        }
        return MakeNumber(*number);
    }
    const Range range = RangeOf(field.type);
    const std::optional<std::int64_t> integer = ParseInteger(text);
    if (!integer || *integer < range.low || *integer > range.high) {
        error = label + "='" + std::string(text) + "': " + label + " takes a whole number from " +
                std::to_string(range.low) + " to " + std::to_string(range.high);
        return std::nullopt;
    }
    return MakeInteger(field.type, *integer);
}

bool ParseSetting(std::string_view setting, std::vector<Write>& writes, std::string& error) {
    const std::size_t equals = setting.find('=');
    if (equals == std::string_view::npos || equals == 0) {
        error = "'" + std::string(setting) + "': expected NAME=VALUE";
        return false;
    }
    const std::string_view name = setting.substr(0, equals);
    const std::string_view text = setting.substr(equals + 1);
    for (const Lever& lever : kLevers) {
        if (name != lever.name)
            continue;
        if (lever.parse(Lower(text), writes))
            return true;
        error = std::string(setting) + ": " + std::string(lever.name) + " takes " + lever.accepted;
        return false;
    }
    if (FindField(name.substr(0, name.find('['))) == nullptr) {
        error = "unknown name '" + std::string(name) + "'; accepted are the levers " + LeverList() +
                ", and the fields " + AcceptedFieldNames();
        return false;
    }
    const std::optional<FieldRef> ref = ParseFieldRef(name, error);
    if (!ref)
        return false;
    std::optional<Value> value = ParseValue(*ref, text, error);
    if (!value)
        return false;
    writes.push_back({*ref, *value});
    return true;
}

ParsedSettings ParseSettings(std::span<const std::string> settings) {
    ParsedSettings parsed;
    for (const std::string& setting : settings) {
        std::string error;
        if (!ParseSetting(setting, parsed.writes, error))
            parsed.errors.push_back(error);
    }
    if (!parsed.errors.empty())
        parsed.writes.clear();
    return parsed;
}

void ApplyWrites(GenericSimBlock& block, std::span<const Write> writes) {
    for (const Write& write : writes) {
        if (write.lever)
            RunLever(write.lever, block);
        else if (!write.byLever)
            WriteElement(block, write.ref, write.value);
    }
}

std::string SettingsHelp() {
    std::string help = "Levers, written as the pedestal's buttons write them:\n";
    for (const Lever& lever : kLevers)
        help += "  " + std::string(lever.name) + ": " + lever.accepted + "\n";
    help += "Fields, written as given: NAME=VALUE or NAME[i]=VALUE for\n  " + AcceptedFieldNames() +
            "\n";
    return help;
}

} // namespace simblock

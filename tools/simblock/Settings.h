// NAME=VALUE settings for the block: raw fields ("thrustLever[0]=85.5") and
// levers written the way the pedestal's buttons write them ("flaps=2").
// Everything is parsed before anything is written, so one refused part leaves
// the block untouched.
#pragma once

#include "tools/simblock/FieldCatalogue.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class PedestalCore;

namespace simblock {

// A lever setting runs one of the pedestal core's commands.
using LeverCommand = std::function<void(PedestalCore&)>;

struct Write {
    FieldRef ref;
    Value value;
    // Set on the first write of a lever setting: the command that makes all
    // of that setting's writes (byLever) when they are applied.
    LeverCommand lever = {};
    bool byLever = false;
};

struct ParsedSettings {
    std::vector<Write> writes; // in the order given; a lever's in the layout's order
    std::vector<std::string> errors;
};

ParsedSettings ParseSettings(std::span<const std::string> settings);
// One setting; on refusal returns false, appends nothing and says why.
bool ParseSetting(std::string_view setting, std::vector<Write>& writes, std::string& error);
// A value for one element of a field, range-checked for its type.
std::optional<Value> ParseValue(FieldRef ref, std::string_view text, std::string& error);

void ApplyWrites(GenericSimBlock& block, std::span<const Write> writes);

// What the set command accepts, for its help.
std::string SettingsHelp();

} // namespace simblock

#include "web/Protocol.h"

#include "panel/ShownControls.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace web {
namespace {

using nlohmann::json;

// Ids are echoed as numbers; beyond 2^53 a browser could not hold them.
constexpr std::int64_t kMaxId = std::int64_t{1} << 53;

std::string Dump(const json& value) {
    // Notices may hold bytes of any encoding: replaced, never thrown on.
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

ParsedMessage Refuse(ParsedMessage parsed, const char* code, std::string message) {
    parsed.request.reset();
    parsed.refusal = {code, std::move(message)};
    return parsed;
}

bool ReadId(const json& value, std::int64_t* id) {
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(kMaxId))
            return false;
        *id = static_cast<std::int64_t>(number);
        return true;
    }
    if (!value.is_number_integer())
        return false;
    const auto number = value.get<std::int64_t>();
    if (number < -kMaxId || number > kMaxId)
        return false;
    *id = number;
    return true;
}

// A lever's value: thrust in percent, 0 to 100, as thousandths of a percent;
// a flap detent 0 (Up) to 4 (Full); a speed-brake detent 0 (in) or 1 (out).
bool ReadLeverValue(Command command, const json& value, int* argument, Refusal* why) {
    if (command == Command::FlapsDetent || command == Command::SpeedBrakeDetent) {
        const std::int64_t last = command == Command::FlapsDetent ? 4 : 1;
        if (!value.is_number_integer()) {
            *why = {"wrong-type", "\"value\" must be a whole number"};
            return false;
        }
        const auto detent = value.get<std::int64_t>();
        if (detent < 0 || detent > last) {
            *why = {"out-of-range", "\"value\" runs from 0 to " + std::to_string(last)};
            return false;
        }
        *argument = static_cast<int>(detent);
        return true;
    }
    if (!value.is_number()) {
        *why = {"wrong-type", "\"value\" must be a number"};
        return false;
    }
    const double percent = value.get<double>();
    if (!(percent >= 0.0 && percent <= 100.0)) {
        *why = {"out-of-range", "\"value\" runs from 0 to 100"};
        return false;
    }
    *argument = static_cast<int>(std::lround(percent * kThrustArgumentPerPercent));
    return true;
}

} // namespace

ParsedMessage ParseMessage(std::string_view text, bool binary) {
    ParsedMessage parsed;
    if (text.size() > kMaxCommandBytes)
        return Refuse(parsed, "too-large",
                      "a message may hold at most " + std::to_string(kMaxCommandBytes) + " bytes");
    if (binary)
        return Refuse(parsed, "malformed", "commands are JSON text, not binary frames");
    // The parser stops at a NUL as at the end of the text, so that what
    // follows would go unchecked; no valid message holds one.
    if (text.find('\0') != std::string_view::npos)
        return Refuse(parsed, "malformed", "not valid JSON");
    const json message = json::parse(text, nullptr, false);
    if (message.is_discarded())
        return Refuse(parsed, "malformed", "not valid JSON");
    if (!message.is_object())
        return Refuse(parsed, "malformed", "a command is a JSON object");

    if (const auto found = message.find("id"); found != message.end()) {
        std::int64_t id = 0;
        if (!ReadId(*found, &id))
            return Refuse(parsed, "wrong-type", "\"id\" must be a whole number");
        parsed.id = id;
    }
    for (const auto& [key, value] : message.items()) {
        if (key != "id" && key != "command" && key != "position" && key != "value")
            return Refuse(parsed, "unknown-field", "no field named \"" + key + "\"");
    }
    const auto command = message.find("command");
    if (command == message.end() || !command->is_string())
        return Refuse(parsed, "wrong-type", "\"command\" must be a text");
    const auto& name = command->get_ref<const std::string&>();
    const CommandInfo* info = FindCommand(name);
    if (info == nullptr)
        return Refuse(parsed, "unknown-command", "no command named \"" + name + "\"");

    CommandRequest request{info->command, 0};
    const auto position = message.find("position");
    if (info->command == Command::SliderReleased) {
        if (position == message.end() || !position->is_number_integer())
            return Refuse(parsed, "wrong-type", "\"position\" must be a whole number");
        const auto value = position->get<std::int64_t>();
        if (value < 0 || value > 100)
            return Refuse(parsed, "out-of-range", "\"position\" runs from 0 to 100");
        request.position = static_cast<int>(value);
    } else if (position != message.end()) {
        return Refuse(parsed, "unknown-field", "only \"slider\" takes a position");
    }
    const auto value = message.find("value");
    if (CommandTakesValue(info->command)) {
        if (value == message.end())
            return Refuse(parsed, "wrong-type", "\"" + name + "\" takes a \"value\"");
        Refusal why;
        if (!ReadLeverValue(info->command, *value, &request.position, &why))
            return Refuse(parsed, why.code, why.message);
    } else if (value != message.end()) {
        return Refuse(parsed, "unknown-field", "only lever commands take a value");
    }
    parsed.request = request;
    return parsed;
}

std::string OkMessage(const std::optional<std::int64_t>& id) {
    json reply = json::object();
    reply["id"] = id ? json(*id) : json(nullptr);
    reply["ok"] = true;
    return Dump(reply);
}

std::string RefusalMessage(const std::optional<std::int64_t>& id, const Refusal& refusal) {
    json reply = json::object();
    reply["id"] = id ? json(*id) : json(nullptr);
    reply["ok"] = false;
    reply["error"] = refusal.code;
    reply["message"] = refusal.message;
    return Dump(reply);
}

Refusal NoBlockRefusal() {
    return {"no-block", "the pedestal is not attached to the shared block"};
}

std::string StateMessage(const ShownState& shown, unsigned changes, bool full, int sliderPosition,
                         std::string_view notice) {
    if (full)
        changes |= kAllShown;
    json state = json::object();
    state["type"] = "state";
    state["full"] = full;
    const auto put = [&](ShownChange bit, const char* key, const json& value) {
        if ((changes & bit) != 0)
            state[key] = value;
    };
    for (const ShownControl& part : kShownControls) {
        if (part.bitmap != nullptr)
            put(part.change, part.key, shown.*part.bitmap);
        else
            put(part.change, part.key, shown.*part.text);
    }
    put(kSliderPosition, "slider", sliderPosition);
    put(kNotice, "notice", std::string(notice));
    // type and full alone say nothing.
    if (!full && state.size() == 2)
        return {};
    return Dump(state);
}

std::string HelloMessage(int heartbeatMs) {
    return Dump(json{{"type", "hello"}, {"heartbeatMs", heartbeatMs}});
}

std::string HeartbeatMessage() {
    return R"({"type":"heartbeat"})";
}

} // namespace web

// The browser protocol's messages, free of any network so that the server,
// its tests and the fuzzer share one reading of them. Every message is one
// JSON object in one WebSocket text frame.
//
// Client to server: {"id":7,"command":"flap2"}, and for the slider
// {"id":8,"command":"slider","position":30}. "id" is optional and echoed.
// Levers that move (hardware on another PC): {"command":"thrust","value":79}
// for both thrust levers, "thrust1" or "thrust2" for one, in percent of
// travel; {"command":"flaps","value":2} and {"command":"speedbrake","value":1}
// for a detent (flaps 0 Up to 4 Full, speed brake 0 in, 1 out).
// Server to client: {"type":"hello",...} and a full {"type":"state",...} on
// connect, then a state message with only what changed after a tick,
// {"type":"heartbeat"} every few seconds, and one result per command:
// {"id":7,"ok":true} or {"id":7,"ok":false,"error":CODE,"message":TEXT}.
#pragma once

#include "panel/Commands.h"
#include "panel/ShownState.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace web {

// Larger text messages are refused with "too-large" and change nothing.
inline constexpr std::size_t kMaxCommandBytes = 4096;

struct CommandRequest {
    Command command = Command::FlapUp;
    int position = 0; // the slider's, 0 (top) to 100, or a lever's value (Command)
};

// Why a message was refused: a fixed code for programs, a text for people.
struct Refusal {
    const char* code = "";
    std::string message;
};

// A message read as far as it could be: the id it carried (so a refusal can
// still name the request), then either a request or a refusal.
struct ParsedMessage {
    std::optional<std::int64_t> id;
    std::optional<CommandRequest> request;
    Refusal refusal;
};

// Checks size, JSON, fields and types before anything is executed, so that a
// refused message never writes. binary: the frame was not text.
ParsedMessage ParseMessage(std::string_view text, bool binary = false);

std::string OkMessage(const std::optional<std::int64_t>& id);
std::string RefusalMessage(const std::optional<std::int64_t>& id, const Refusal& refusal);
// The refusal a command gets when it needed a block and there was none.
Refusal NoBlockRefusal();

// A state message with the parts of shown named by changes (ShownChange bits):
// the pictures as bitmap numbers, the texts, the brakes caption, and the
// slider position and notice when their bits are set. Empty when changes
// names nothing a client shows.
std::string StateMessage(const ShownState& shown, unsigned changes, bool full,
                         int sliderPosition = 0, std::string_view notice = {});
std::string HelloMessage(int heartbeatMs);
std::string HeartbeatMessage();

} // namespace web

// One browser message of any bytes, as the server reads it: parsed, and when
// accepted executed on a pedestal core over a block of its own. The reply and
// a state message carrying the same bytes as a notice must be valid JSON; a
// refusal carries one of the fixed codes; an accepted message is small, names
// a real command and writes what that command writes.
#include "fuzz/FuzzCheck.h"
#include "panel/PedestalCore.h"
#include "shm/TS_P_0001_02_genericSim.h"
#include "web/Protocol.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace {

const std::set<std::string> kCodes = {"too-large",  "malformed",     "unknown-command",
                                      "wrong-type", "unknown-field", "out-of-range"};

nlohmann::json ParseJson(const std::string& text) {
    nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
    FUZZ_CHECK(!value.is_discarded());
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto* block = new GenericSimBlock();
    static auto* core = [] {
        auto* c = new PedestalCore();
        c->GetAttachment().UseBlock(block);
        return c;
    }();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const bool binary = size > 0 && data[0] == 0xFF;
    const web::ParsedMessage parsed = web::ParseMessage(text, binary);

    if (!parsed.request) {
        FUZZ_CHECK(kCodes.count(parsed.refusal.code) == 1);
        const nlohmann::json reply = ParseJson(web::RefusalMessage(parsed.id, parsed.refusal));
        FUZZ_CHECK(reply.at("ok") == false);
        FUZZ_CHECK(reply.at("error") == parsed.refusal.code);
    } else {
        FUZZ_CHECK(!binary && size <= web::kMaxCommandBytes);
        const web::CommandRequest request = *parsed.request;
        FUZZ_CHECK(request.position >= 0 && request.position <= 100);
        FUZZ_CHECK(core->Execute(request.command, request.position));
        if (request.command == Command::SliderReleased) {
            FUZZ_CHECK(block->thrustLever[0] == 100.0 - request.position);
            FUZZ_CHECK(block->thrustLever[1] == block->thrustLever[0]);
        }
        const nlohmann::json reply = ParseJson(web::OkMessage(parsed.id));
        FUZZ_CHECK(reply.at("ok") == true);
        FUZZ_CHECK(parsed.id ? reply.at("id") == *parsed.id : reply.at("id").is_null());
    }
    if (size % 7 == 0)
        core->Tick();
    const nlohmann::json state =
        ParseJson(web::StateMessage(core->Shown(), kAllShown | kNotice, false, 0, text));
    FUZZ_CHECK(state.at("notice").is_string());
    FUZZ_CHECK(state.at("flapBitmap") == core->Shown().flapBitmap);
    return 0;
}

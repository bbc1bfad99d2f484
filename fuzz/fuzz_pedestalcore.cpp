// The pedestal core against arbitrary block contents and arbitrary command
// sequences. The block's bytes come from the input (repeated when it is
// shorter), so every flag pattern, NaN and infinite thrust, any brake demand
// and an extreme heartbeat reach the core; the rest of the input is a script
// of commands and ticks. After each step the block and the shown state are
// checked against the pedestal's rules.
#include "fuzz/FuzzCheck.h"
#include "panel/PedestalCore.h"
#include "panel/PedestalStatus.h"
#include "shm/TS_P_0001_02_genericSim.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <memory>

using namespace PedestalStatus;

namespace {

bool OneOf(const char* text, std::initializer_list<const char*> allowed) {
    for (const char* candidate : allowed) {
        if (std::strcmp(text, candidate) == 0)
            return true;
    }
    return false;
}

void CheckShown(const PedestalCore& core) {
    const ShownState& s = core.Shown();
    FUZZ_CHECK(
        OneOf(s.flapText, {"Flaps Up  ", "Flaps 1   ", "Flaps 2   ", "Flaps 3   ", "Flaps Full"}));
    FUZZ_CHECK(OneOf(s.thrustText, {"IDLE", "CL", "MCT/FLX", "TO/GA"}));
    FUZZ_CHECK(OneOf(s.gearText, {"Gear Up", "Gear Down"}));
    FUZZ_CHECK(OneOf(s.speedBrakeText, {"Speed Brake In", "Speed Brake Out"}));
    FUZZ_CHECK(OneOf(s.brakesText, {"Brakes On", "Brakes Off"}));
    FUZZ_CHECK(OneOf(s.brakesCaption, {"Brakes On", "Brakes Off"}));
    // Pictures and texts tell the same story.
    FUZZ_CHECK(s.flapBitmap == FlapBitmap(core.FlapState()));
    FUZZ_CHECK(std::strcmp(s.flapText, FlapText(core.FlapState())) == 0);
    FUZZ_CHECK(s.thrustBitmap == ThrustBitmap(core.ThrustState()));
    FUZZ_CHECK(s.gearBitmap == GearBitmap(std::strcmp(s.gearText, "Gear Up") == 0));
    FUZZ_CHECK(s.speedBrakeBitmap == SpeedBrakeBitmap(core.SpeedBrakeIn()));
}

// The pedestal's fields of the block. Every step moves the shadow as the
// rules say and compares these fields; the whole block is compared once at
// the end, which catches a write anywhere else.
// Bytes, not values: NaN must equal the NaN that was written.
bool SameBytes(const void* a, const void* b, std::size_t size) {
    return std::memcmp(a, b, size) == 0;
}

bool SameFields(const GenericSimBlock& a, const GenericSimBlock& b) {
    return SameBytes(a.flapLever, b.flapLever, 5) &&
           SameBytes(a.brakeDemand, b.brakeDemand, sizeof a.brakeDemand) &&
           SameBytes(a.thrustLever, b.thrustLever, sizeof a.thrustLever) &&
           a.gearLeverUp == b.gearLeverUp && a.gearUpSelected == b.gearUpSelected &&
           a.gearDownSelected == b.gearDownSelected && a.speedBrakeLever == b.speedBrakeLever &&
           a.aidControlsHeartbeat == b.aidControlsHeartbeat;
}

void CheckTick(PedestalCore& core, GenericSimBlock& block, GenericSimBlock& shadow) {
    const Update update = core.Tick();
    FUZZ_CHECK(update.changes & kTicked);
    shadow.speedBrakeLever = core.SpeedBrakeIn() ? 1 : 3;
    shadow.aidControlsHeartbeat = NextHeartbeat(shadow.aidControlsHeartbeat);
    FUZZ_CHECK(SameFields(block, shadow));
    CheckShown(core);
}

void CheckCommand(PedestalCore& core, GenericSimBlock& block, GenericSimBlock& shadow,
                  Command command, int position) {
    FUZZ_CHECK(core.Execute(command, position));
    switch (command) {
    case Command::FlapUp:
    case Command::Flap1:
    case Command::Flap2:
    case Command::Flap3:
    case Command::FlapFull: {
        const int detent = static_cast<int>(command) - static_cast<int>(Command::FlapUp);
        for (int i = 0; i < 5; ++i)
            shadow.flapLever[i] = i == detent ? 1 : 0;
        break;
    }
    case Command::Brakes: {
        // The opposite of what the second demand says.
        const double demand = shadow.brakeDemand[1] > 0.5 ? 0.0 : 1.0;
        for (double& d : shadow.brakeDemand)
            d = demand;
        FUZZ_CHECK(std::strcmp(core.Shown().brakesCaption,
                               demand == 1.0 ? "Brakes Off" : "Brakes On") == 0);
        break;
    }
    case Command::GearUp:
    case Command::GearDown: {
        const bool up = command == Command::GearUp;
        shadow.gearLeverUp = up ? 1 : 0;
        shadow.gearUpSelected = up ? 1 : 0;
        shadow.gearDownSelected = up ? 0 : 1;
        break;
    }
    case Command::SpeedBrakeIn:
    case Command::SpeedBrakeOut:
        FUZZ_CHECK(core.SpeedBrakeIn() == (command == Command::SpeedBrakeIn));
        break;
    case Command::SliderReleased:
        FUZZ_CHECK(core.SliderHoldOff() == kSliderHoldOffTicks);
        shadow.thrustLever[0] = shadow.thrustLever[1] = ThrustFromSlider(position);
        break;
    case Command::ThrustToGa:
        shadow.thrustLever[0] = shadow.thrustLever[1] = kThrustToGaValue;
        break;
    case Command::ThrustFlxMct:
        shadow.thrustLever[0] = shadow.thrustLever[1] = kThrustFlxMctValue;
        break;
    case Command::ThrustCl:
        shadow.thrustLever[0] = shadow.thrustLever[1] = kThrustClValue;
        break;
    case Command::ThrustIdle:
        shadow.thrustLever[0] = shadow.thrustLever[1] = kThrustIdleValue;
        break;
    // Only the window's controls are drawn here; the levers' commands have
    // tests of their own.
    case Command::FlapsUpStep:
    case Command::FlapsDownStep:
    case Command::GearToggle:
    case Command::ThrustBoth:
    case Command::ThrustLever1:
    case Command::ThrustLever2:
    case Command::FlapsDetent:
    case Command::SpeedBrakeDetent:
        FUZZ_CHECK(false);
        break;
    }
    FUZZ_CHECK(SameFields(block, shadow));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    auto block = std::make_unique<GenericSimBlock>();
    const std::size_t seedBytes = input.ConsumeIntegralInRange<std::size_t>(0, 512);
    const auto seed = input.ConsumeBytes<unsigned char>(seedBytes);
    auto* bytes = reinterpret_cast<unsigned char*>(block.get());
    for (std::size_t i = 0; i < sizeof(GenericSimBlock); ++i)
        bytes[i] = seed.empty() ? 0 : seed[i % seed.size()];
    // The fields the pedestal reads, straight from the input when it has them.
    if (input.remaining_bytes() >= 64) {
        const auto fields = input.ConsumeBytes<unsigned char>(64);
        std::memcpy(block->flapLever, fields.data(), 5);
        std::memcpy(&block->thrustLever, fields.data() + 8, 16);
        std::memcpy(&block->brakeDemand, fields.data() + 24, 24);
        std::memcpy(&block->aidControlsHeartbeat, fields.data() + 48, 4);
        block->gearLeverUp = fields[52];
    }

    auto shadow = std::make_unique<GenericSimBlock>(*block);
    PedestalCore core;
    core.GetAttachment().UseBlock(block.get());
    int count = 0;
    const CommandInfo* table = CommandTable(&count);
    for (int steps = 0; steps < 512 && input.remaining_bytes() > 0; ++steps) {
        const int step = input.ConsumeIntegralInRange<int>(0, count + 2);
        if (step == count + 2) {
            // Another writer changes what the pedestal reads.
            const auto raw = input.ConsumeBytes<unsigned char>(16);
            if (raw.size() == 16) {
                std::memcpy(&block->thrustLever[0], raw.data(), 8);
                std::memcpy(&block->brakeDemand[1], raw.data() + 8, 8);
                block->flapLever[raw[0] % 5] ^= raw[1];
                block->gearLeverUp = raw[2];
                *shadow = *block;
            }
        } else if (step >= count) {
            CheckTick(core, *block, *shadow);
        } else {
            CheckCommand(core, *block, *shadow, table[step].command, input.ConsumeIntegral<int>());
        }
    }
    FUZZ_CHECK(SameBytes(block.get(), shadow.get(), sizeof(GenericSimBlock)));
    return 0;
}

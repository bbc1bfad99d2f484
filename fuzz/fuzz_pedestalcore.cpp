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

const unsigned char* Bytes(const GenericSimBlock& b) {
    return reinterpret_cast<const unsigned char*>(&b);
}

// The two blocks are equal outside [offset, offset + width).
bool SameOutside(const GenericSimBlock& a, const GenericSimBlock& b, std::size_t offset,
                 std::size_t width) {
    return std::memcmp(Bytes(a), Bytes(b), offset) == 0 &&
           std::memcmp(Bytes(a) + offset + width, Bytes(b) + offset + width,
                       sizeof(GenericSimBlock) - offset - width) == 0;
}

bool OneOf(const char* text, std::initializer_list<const char*> allowed) {
    for (const char* candidate : allowed) {
        if (std::strcmp(text, candidate) == 0)
            return true;
    }
    return false;
}

void CheckShown(const PedestalCore& core) {
    const ShownState& s = core.Shown();
    FUZZ_CHECK(OneOf(s.flapText, {"Flaps Up  ", "Flaps 1   ", "Flaps 2   ", "Flaps 3   ", "Flaps Full"}));
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

void CheckTick(PedestalCore& core, GenericSimBlock& block) {
    const auto before = std::make_unique<GenericSimBlock>(block);
    const Update update = core.Tick();
    FUZZ_CHECK(update.changes & kTicked);
    FUZZ_CHECK(block.speedBrakeLever == (core.SpeedBrakeIn() ? 1 : 3));
    FUZZ_CHECK(block.aidControlsHeartbeat == NextHeartbeat(before->aidControlsHeartbeat));
    // A tick writes the speed brake and the heartbeat, nothing else.
    before->speedBrakeLever = block.speedBrakeLever;
    before->aidControlsHeartbeat = block.aidControlsHeartbeat;
    FUZZ_CHECK(std::memcmp(before.get(), &block, sizeof block) == 0);
    CheckShown(core);
}

void CheckCommand(PedestalCore& core, GenericSimBlock& block, Command command, int position) {
    const auto before = std::make_unique<GenericSimBlock>(block);
    const double demand1 = block.brakeDemand[1];
    FUZZ_CHECK(core.Execute(command, position));
    switch (command) {
    case Command::FlapUp:
    case Command::Flap1:
    case Command::Flap2:
    case Command::Flap3:
    case Command::FlapFull: {
        int set = 0;
        for (std::uint8_t flag : block.flapLever) {
            FUZZ_CHECK(flag == 0 || flag == 1);
            set += flag;
        }
        FUZZ_CHECK(set == 1);
        FUZZ_CHECK(block.flapLever[static_cast<int>(command) - static_cast<int>(Command::FlapUp)] == 1);
        FUZZ_CHECK(SameOutside(*before, block, offsetof(GenericSimBlock, flapLever), 5));
        break;
    }
    case Command::Brakes: {
        const double expected = demand1 > 0.5 ? 0.0 : 1.0;
        for (double d : block.brakeDemand)
            FUZZ_CHECK(d == expected);
        FUZZ_CHECK(SameOutside(*before, block, offsetof(GenericSimBlock, brakeDemand), 24));
        FUZZ_CHECK(std::strcmp(core.Shown().brakesCaption, expected == 1.0 ? "Brakes Off" : "Brakes On") == 0);
        break;
    }
    case Command::GearUp:
    case Command::GearDown: {
        const bool up = command == Command::GearUp;
        FUZZ_CHECK(block.gearLeverUp == (up ? 1 : 0));
        FUZZ_CHECK(block.gearUpSelected == (up ? 1 : 0));
        FUZZ_CHECK(block.gearDownSelected == (up ? 0 : 1));
        break;
    }
    case Command::SpeedBrakeIn:
    case Command::SpeedBrakeOut:
        FUZZ_CHECK(std::memcmp(before.get(), &block, sizeof block) == 0);
        FUZZ_CHECK(core.SpeedBrakeIn() == (command == Command::SpeedBrakeIn));
        break;
    default: // thrust and slider: both levers, the same value
        FUZZ_CHECK(std::memcmp(&block.thrustLever[0], &block.thrustLever[1], sizeof(double)) == 0);
        FUZZ_CHECK(SameOutside(*before, block, offsetof(GenericSimBlock, thrustLever), 16));
        if (command == Command::SliderReleased)
            FUZZ_CHECK(core.SliderHoldOff() == kSliderHoldOffTicks);
        break;
    }
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

    PedestalCore core;
    core.GetAttachment().UseBlock(block.get());
    int count = 0;
    const CommandInfo* table = CommandTable(&count);
    while (input.remaining_bytes() > 0) {
        const int step = input.ConsumeIntegralInRange<int>(0, count + 2);
        if (step >= count) {
            CheckTick(core, *block);
        } else if (step == count + 2) {
            // Another writer changes what the pedestal reads.
            const auto raw = input.ConsumeBytes<unsigned char>(16);
            if (raw.size() == 16) {
                std::memcpy(&block->thrustLever[0], raw.data(), 8);
                std::memcpy(&block->brakeDemand[1], raw.data() + 8, 8);
                block->flapLever[raw[0] % 5] ^= raw[1];
                block->gearLeverUp = raw[2];
            }
        } else {
            CheckCommand(core, *block, table[step].command, input.ConsumeIntegral<int>());
        }
    }
    return 0;
}

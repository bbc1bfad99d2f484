// The block's pedestal fields read in one pass, with the detents the window's
// tick would show for them; the band and text decisions are the window's own
// (panel/PedestalStatus.h), never a copy of them.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct GenericSimBlock;

namespace simblock {

struct PedestalView {
    std::array<std::uint8_t, 5> flapFlags{};
    std::optional<int> flapDetent; // none set: the tick keeps the detent it showed
    double thrust1 = 0;
    double thrust2 = 0;
    int thrustState = 0;
    std::uint8_t gearLeverUp = 0;
    std::uint8_t gearUpSelected = 0;
    std::uint8_t gearDownSelected = 0;
    std::array<double, 3> brakeDemand{};
    bool brakesSet = false;
    std::int32_t speedBrakeLever = 0;
    std::int32_t heartbeat = 0;
    std::int32_t userCount = 0;
};

PedestalView ReadPedestal(const GenericSimBlock& block);

std::string_view FlapName(int detent); // "Up", "1", "2", "3", "Full"
// The tick's status texts without their padding: "Flaps 2", "MCT/FLX", ...
std::string FlapShown(const PedestalView& view);
std::string ThrustShown(const PedestalView& view);
std::string GearShown(const PedestalView& view);
std::string BrakesShown(const PedestalView& view);
// "in" or "out" for the values the tick writes, else empty.
std::string_view SpeedBrakeName(std::int32_t lever);

// The block's version text as the attaching class compares it: up to the
// first NUL, or all 64 bytes when there is none.
std::string VersionTextOf(const GenericSimBlock& block);

// The shortest time over which a still heartbeat means no pedestal: three of
// its 60 ms ticks, so that one late tick is never taken for a dead pedestal.
inline constexpr std::chrono::milliseconds kLivenessWindow{180};

// A heartbeat that moved forward (modulo 2^32) between two samples.
bool HeartbeatRose(std::int32_t before, std::int32_t after);

} // namespace simblock

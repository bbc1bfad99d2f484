#include "tools/simblock/PedestalView.h"

#include "panel/PedestalStatus.h"
#include "shm/TS_P_0001_02_genericSim.h"

#include <algorithm>
#include <cstring>

namespace simblock {
namespace {

constexpr int kNoFlag = -1;

std::string Trimmed(const char* text) {
    std::string trimmed(text);
    trimmed.erase(trimmed.find_last_not_of(' ') + 1);
    return trimmed;
}

} // namespace

PedestalView ReadPedestal(const GenericSimBlock& block) {
    PedestalView view;
    std::copy(std::begin(block.flapLever), std::end(block.flapLever), view.flapFlags.begin());
    const int flapState = PedestalStatus::FlapStateOf(view.flapFlags.data(), kNoFlag);
    if (flapState != kNoFlag)
        view.flapDetent = flapState;
    view.thrust1 = block.thrustLever[0];
    view.thrust2 = block.thrustLever[1];
    view.thrustState = PedestalStatus::ThrustStateOf(view.thrust1);
    view.gearLeverUp = block.gearLeverUp;
    view.gearUpSelected = block.gearUpSelected;
    view.gearDownSelected = block.gearDownSelected;
    std::copy(std::begin(block.brakeDemand), std::end(block.brakeDemand), view.brakeDemand.begin());
    view.brakesSet = PedestalStatus::BrakesSet(view.brakeDemand.data());
    view.speedBrakeLever = block.speedBrakeLever;
    view.heartbeat = block.aidControlsHeartbeat;
    view.userCount = block.userCount;
    return view;
}

std::string_view FlapName(int detent) {
    static constexpr std::string_view names[] = {"Up", "1", "2", "3", "Full"};
    return names[std::clamp(detent, 0, 4)];
}

std::string FlapShown(const PedestalView& view) {
    return view.flapDetent ? Trimmed(PedestalStatus::FlapText(*view.flapDetent)) : "no flag set";
}

std::string ThrustShown(const PedestalView& view) {
    return PedestalStatus::ThrustText(view.thrustState);
}

std::string GearShown(const PedestalView& view) {
    return PedestalStatus::GearText(view.gearLeverUp != 0);
}

std::string BrakesShown(const PedestalView& view) {
    return PedestalStatus::BrakesText(view.brakesSet);
}

std::string_view SpeedBrakeName(std::int32_t lever) {
    if (lever == PedestalStatus::kSpeedBrakeInValue)
        return "in";
    if (lever == PedestalStatus::kSpeedBrakeOutValue)
        return "out";
    return "";
}

std::string VersionTextOf(const GenericSimBlock& block) {
    return std::string(block.versionText, strnlen(block.versionText, sizeof block.versionText));
}

bool HeartbeatRose(std::int32_t before, std::int32_t after) {
    const std::uint32_t step =
        static_cast<std::uint32_t>(after) - static_cast<std::uint32_t>(before);
    return step != 0 && step < 0x80000000u;
}

} // namespace simblock

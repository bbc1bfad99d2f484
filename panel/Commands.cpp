#include "panel/Commands.h"

#include "panel/PedestalTemplate.h"

#include <iterator>

namespace {

constexpr CommandInfo kCommands[] = {
    {Command::Flap1, IDC_FLAP_1, "flap1"},
    {Command::Flap2, IDC_FLAP_2, "flap2"},
    {Command::Flap3, IDC_FLAP_3, "flap3"},
    {Command::FlapFull, IDC_FLAP_FULL, "flapfull"},
    {Command::FlapUp, IDC_FLAP_UP, "flapup"},
    {Command::SpeedBrakeOut, IDC_SPEED_BRAKE_OUT, "speedbrakeout"},
    {Command::SpeedBrakeIn, IDC_SPEED_BRAKE_IN, "speedbrakein"},
    {Command::GearDown, IDC_GEAR_DOWN, "geardown"},
    {Command::GearUp, IDC_GEAR_UP, "gearup"},
    {Command::SliderReleased, IDC_THRUST_SLIDER, "slider"},
    {Command::Brakes, IDC_BRAKES, "brakes"},
    {Command::ThrustCl, IDC_THRUST_CL, "cl"},
    {Command::ThrustIdle, IDC_THRUST_IDLE, "idle"},
    {Command::ThrustFlxMct, IDC_THRUST_FLXMCT, "flxmct"},
    {Command::ThrustToGa, IDC_THRUST_TOGA, "toga"},
};

} // namespace

const CommandInfo* CommandTable(int* count) {
    *count = static_cast<int>(std::size(kCommands));
    return kCommands;
}

const CommandInfo* FindCommand(std::string_view name) {
    for (const CommandInfo& info : kCommands) {
        if (name == info.name)
            return &info;
    }
    return nullptr;
}

const CommandInfo* CommandForControl(int controlId) {
    for (const CommandInfo& info : kCommands) {
        if (info.controlId == controlId)
            return &info;
    }
    return nullptr;
}

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

constexpr CommandInfo kHardwareCommands[] = {
    {Command::FlapsUpStep, IDC_STATIC, "flapsup"},
    {Command::FlapsDownStep, IDC_STATIC, "flapsdown"},
    {Command::GearToggle, IDC_STATIC, "geartoggle"},
    {Command::ThrustBoth, IDC_STATIC, "thrust"},
    {Command::ThrustLever1, IDC_STATIC, "thrust1"},
    {Command::ThrustLever2, IDC_STATIC, "thrust2"},
    {Command::FlapsDetent, IDC_STATIC, "flaps"},
    {Command::SpeedBrakeDetent, IDC_STATIC, "speedbrake"},
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
    for (const CommandInfo& info : kHardwareCommands) {
        if (name == info.name)
            return &info;
    }
    return nullptr;
}

const CommandInfo* HardwareCommandTable(int* count) {
    *count = static_cast<int>(std::size(kHardwareCommands));
    return kHardwareCommands;
}

bool CommandTakesValue(Command command) {
    switch (command) {
    case Command::ThrustBoth:
    case Command::ThrustLever1:
    case Command::ThrustLever2:
    case Command::FlapsDetent:
    case Command::SpeedBrakeDetent:
        return true;
    default:
        return false;
    }
}

const CommandInfo* CommandForControl(int controlId) {
    for (const CommandInfo& info : kCommands) {
        if (info.controlId == controlId)
            return &info;
    }
    return nullptr;
}

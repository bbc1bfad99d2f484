// The pedestal's controls as commands: one table from control ID and wire
// name to command, so that every view (window, dialog procedure, browser)
// turns its own events into the same command.
#pragma once

#include <string_view>

enum class Command {
    FlapUp,
    Flap1,
    Flap2,
    Flap3,
    FlapFull,
    SpeedBrakeIn,
    SpeedBrakeOut,
    GearUp,
    GearDown,
    Brakes,
    ThrustToGa,
    ThrustFlxMct,
    ThrustCl,
    ThrustIdle,
    // Carries the slider's position, 0 at the top.
    SliderReleased,
    // Steps and lever values for hardware and remote clients; no window
    // control has them. Flap steps and the gear toggle start from the block.
    FlapsUpStep,
    FlapsDownStep,
    GearToggle,
    // Carry the lever's value in thousandths of a percent, 0 to 100000.
    ThrustBoth,
    ThrustLever1,
    ThrustLever2,
    // Carry the detent: flaps 0 (Up) to 4 (Full), speed brake 0 (in) or 1.
    FlapsDetent,
    SpeedBrakeDetent,
};

// The scale of the thrust commands' argument.
inline constexpr int kThrustArgumentPerPercent = 1000;
inline constexpr int kThrustArgumentMax = 100 * kThrustArgumentPerPercent;

struct CommandInfo {
    Command command;
    int controlId;
    // The name a browser or other client sends, e.g. "flap2".
    const char* name;
};

// Every command in the order of the window's message map.
const CommandInfo* CommandTable(int* count);
// The commands of the window's controls and those of hardware and remote
// clients (controlId IDC_STATIC), found by name.
const CommandInfo* FindCommand(std::string_view name);
// The commands no window control has, for hardware bindings and clients.
const CommandInfo* HardwareCommandTable(int* count);
// Whether the command carries an argument besides the slider's position.
bool CommandTakesValue(Command command);
const CommandInfo* CommandForControl(int controlId);

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
};

struct CommandInfo {
    Command command;
    int controlId;
    // The name a browser or other client sends, e.g. "flap2".
    const char* name;
};

// Every command in the order of the window's message map.
const CommandInfo* CommandTable(int* count);
const CommandInfo* FindCommand(std::string_view name);
const CommandInfo* CommandForControl(int controlId);

// Game controllers as a stream of raw events, one implementation per system:
// SDL2's joystick API on Linux (devices_sdl.cpp), WinMM's on Windows
// (devices_winmm.cpp). A reader is used from one thread only, and Poll never
// blocks.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace pedestal::input {

struct DeviceInfo {
    int id = 0; // stable while the device stays plugged in
    std::string name;
    std::string guid;
    int axes = 0;
    int buttons = 0;
};

struct RawEvent {
    enum class Kind { Added, Removed, Axis, Button };
    Kind kind = Kind::Axis;
    int device = 0;
    int index = 0;
    // An axis' value from kRawMin to kRawMax; a button's 1 pressed, 0 released.
    int value = 0;
    DeviceInfo info; // Added only
};

class DeviceReader {
public:
    virtual ~DeviceReader() = default;
    // Appends what happened since the last call. Every device present is
    // reported as Added on the first call, with its axes' values after that.
    // Nothing reported just before a device's removal (SDL recentres the
    // axes of a device it loses) comes after its Removed event is known.
    virtual void Poll(std::vector<RawEvent>& events) = 0;
    // Why the reader cannot read any device; empty when it can.
    virtual std::string Error() const = 0;
};

// The system's reader, or one whose Error() says why there is none.
std::unique_ptr<DeviceReader> OpenDeviceReader();

} // namespace pedestal::input

// A game controller that exists only in this process, for tests: SDL reads
// it through the same joystick path as one that is plugged in. Windows has no
// such device (WinMM reads only drivers), so there it never plugs in.
#pragma once

#include <memory>
#include <string>

namespace pedestal::input {

class VirtualDevice {
public:
    VirtualDevice(const std::string& name, int axes, int buttons);
    ~VirtualDevice();
    VirtualDevice(const VirtualDevice&) = delete;
    VirtualDevice& operator=(const VirtualDevice&) = delete;

    bool Plugged() const;
    void Plug();
    void Unplug();
    void Axis(int axis, int value);
    void Button(int button, bool down);
    // A virtual device takes what it was set to at the next update; a real
    // one reports where its levers are from the start.
    void Settle();

private:
    struct State;
    std::unique_ptr<State> m_pState;
};

} // namespace pedestal::input

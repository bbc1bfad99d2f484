// The devices as the commands see them: a reader polled on a thread of its
// own, keeping what is plugged in and where its axes and buttons are, and an
// optional virtual device for tests, moved by lines on standard input.
#pragma once

#include "input/Devices.h"
#include "input/VirtualDevice.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pedestal_input {

struct DeviceState {
    pedestal::input::DeviceInfo info;
    std::map<int, int> axes;
    std::map<int, int> buttons;
};

class DeviceWatch {
public:
    // changed is called on the watch's thread after each batch of events.
    explicit DeviceWatch(
        std::function<void(const std::vector<pedestal::input::RawEvent>&)> changed = nullptr);
    ~DeviceWatch();
    std::string Error() const;
    std::vector<DeviceState> Devices() const;
    // The first device whose name or GUID matches, waiting up to timeoutMs
    // for one to be plugged in.
    std::optional<DeviceState> Find(const std::string& pattern, int timeoutMs) const;

private:
    void Run();

    std::function<void(const std::vector<pedestal::input::RawEvent>&)> m_Changed;
    mutable std::mutex m_Mutex;
    std::map<int, DeviceState> m_Devices;
    std::string m_Error;
    bool m_bStop = false;
    bool m_bPolled = false;
    std::thread m_Thread;
};

// --virtual NAME: a device of three axes and eight buttons in this process.
// Script lines: "axis I V", "button I 0|1", "unplug", "plug"; a bare number
// moves axis 0 there (calibration's answers).
class ScriptedDevice {
public:
    explicit ScriptedDevice(const std::string& name);
    // False for a line that is no script.
    bool Apply(const std::string& line, int calibratedAxis = 0);

private:
    pedestal::input::VirtualDevice m_Device;
};

} // namespace pedestal_input

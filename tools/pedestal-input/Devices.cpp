#include "tools/pedestal-input/Devices.h"

#include "input/Config.h"

#include <chrono>
#include <sstream>

namespace pedestal_input {

using pedestal::input::RawEvent;

DeviceWatch::DeviceWatch(std::function<void(const std::vector<RawEvent>&)> changed)
    : m_Changed(std::move(changed)), m_Thread([this] { Run(); }) {}

DeviceWatch::~DeviceWatch() {
    {
        std::lock_guard lock(m_Mutex);
        m_bStop = true;
    }
    m_Thread.join();
}

void DeviceWatch::Run() {
    const auto reader = pedestal::input::OpenDeviceReader();
    std::vector<RawEvent> events;
    for (;;) {
        events.clear();
        reader->Poll(events);
        {
            std::lock_guard lock(m_Mutex);
            m_Error = reader->Error();
            m_bPolled = true;
            for (const RawEvent& event : events) {
                switch (event.kind) {
                case RawEvent::Kind::Added:
                    m_Devices[event.device] = DeviceState{event.info, {}, {}};
                    break;
                case RawEvent::Kind::Removed:
                    m_Devices.erase(event.device);
                    break;
                case RawEvent::Kind::Axis:
                    m_Devices[event.device].axes[event.index] = event.value;
                    break;
                case RawEvent::Kind::Button:
                    m_Devices[event.device].buttons[event.index] = event.value;
                    break;
                }
            }
            if (m_bStop)
                return;
        }
        if (!events.empty() && m_Changed)
            m_Changed(events);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::string DeviceWatch::Error() const {
    std::lock_guard lock(m_Mutex);
    return m_Error;
}

std::vector<DeviceState> DeviceWatch::Devices() const {
    // The first poll reports what is plugged in already.
    for (int i = 0; i < 500; ++i) {
        {
            std::lock_guard lock(m_Mutex);
            if (m_bPolled)
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::lock_guard lock(m_Mutex);
    std::vector<DeviceState> devices;
    for (const auto& [id, device] : m_Devices)
        devices.push_back(device);
    return devices;
}

std::optional<DeviceState> DeviceWatch::Find(const std::string& pattern, int timeoutMs) const {
    for (int waited = 0;; waited += 10) {
        for (const DeviceState& device : Devices()) {
            if (pedestal::input::DeviceMatches(pattern, device.info.name, device.info.guid))
                return device;
        }
        if (waited >= timeoutMs)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ScriptedDevice::ScriptedDevice(const std::string& name) : m_Device(name, 3, 8) {
    m_Device.Settle();
}

bool ScriptedDevice::Apply(const std::string& line, int calibratedAxis) {
    std::istringstream in(line);
    std::string word;
    in >> word;
    int index = 0;
    int value = 0;
    if (word == "axis" && in >> index >> value)
        m_Device.Axis(index, value);
    else if (word == "button" && in >> index >> value)
        m_Device.Button(index, value != 0);
    else if (word == "unplug")
        m_Device.Unplug();
    else if (word == "plug")
        m_Device.Plug();
    else if (std::istringstream(line) >> value)
        m_Device.Axis(calibratedAxis, value);
    else
        return false;
    m_Device.Settle();
    return true;
}

} // namespace pedestal_input

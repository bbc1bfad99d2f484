// The bindings at work: raw device events in, the core's actions and the
// user's notices out. Devices are matched to bindings as they are plugged
// in; a device lost is told once, and found again by itself.
#pragma once

#include "input/Config.h"
#include "input/Devices.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace pedestal::input {

class Engine {
public:
    using ActionSink = std::function<void(const Action&)>;
    using NoticeSink = std::function<void(const std::string&)>;
    Engine(ActionSink actions, NoticeSink notices);

    // New bindings; devices already plugged in take them at once, and their
    // levers rest where they are.
    void Configure(Config config);
    void Handle(const std::vector<RawEvent>& events);
    bool HasBindings() const { return !m_Config.devices.empty(); }

private:
    struct Open {
        DeviceInfo info;
        const DeviceBinding* binding = nullptr;
        std::map<int, AxisMapper> axes;
        std::map<int, int> lastRaw;
    };
    void Bind(Open& device);
    void Handle(const RawEvent& event);

    ActionSink m_Actions;
    NoticeSink m_Notices;
    Config m_Config;
    std::map<int, Open> m_Devices;
};

} // namespace pedestal::input

#include "input/Engine.h"

#include <algorithm>
#include <utility>

namespace pedestal::input {

Engine::Engine(ActionSink actions, NoticeSink notices)
    : m_Actions(std::move(actions)), m_Notices(std::move(notices)) {}

void Engine::Configure(Config config) {
    m_Config = std::move(config);
    for (auto& [id, device] : m_Devices)
        Bind(device);
}

void Engine::Bind(Open& device) {
    device.binding = nullptr;
    device.axes.clear();
    for (const DeviceBinding& binding : m_Config.devices) {
        if (DeviceMatches(binding.name, device.info.name, device.info.guid)) {
            device.binding = &binding;
            break;
        }
    }
    if (device.binding == nullptr)
        return;
    for (const AxisBinding& axis : device.binding->axes) {
        auto [mapper, added] = device.axes.try_emplace(axis.index, axis);
        // The lever rests where it was last seen: rebinding writes nothing.
        if (added) {
            if (const auto raw = device.lastRaw.find(axis.index); raw != device.lastRaw.end())
                mapper->second.Move(raw->second);
        }
    }
}

void Engine::Handle(const std::vector<RawEvent>& events) {
    for (const RawEvent& event : events)
        Handle(event);
}

void Engine::Handle(const RawEvent& event) {
    if (event.kind == RawEvent::Kind::Added) {
        Open& device = m_Devices[event.device];
        device = Open{};
        device.info = event.info;
        Bind(device);
        if (device.binding != nullptr)
            m_Notices("using " + device.info.name);
        return;
    }
    const auto found = m_Devices.find(event.device);
    if (found == m_Devices.end())
        return;
    Open& device = found->second;
    if (event.kind == RawEvent::Kind::Removed) {
        if (device.binding != nullptr)
            m_Notices("lost " + device.info.name + "; it is used again once plugged in");
        m_Devices.erase(found);
        return;
    }
    if (event.kind == RawEvent::Kind::Axis) {
        device.lastRaw[event.index] = event.value;
        if (const auto axis = device.axes.find(event.index); axis != device.axes.end()) {
            if (const auto action = axis->second.Move(event.value))
                m_Actions(*action);
        }
        return;
    }
    if (device.binding == nullptr || event.value == 0)
        return;
    for (const ButtonBinding& button : device.binding->buttons) {
        if (button.index == event.index)
            m_Actions({button.command, 0});
    }
}

} // namespace pedestal::input

#include "input/Service.h"

#include "panel/PedestalCore.h"

#include <chrono>
#include <utility>

namespace pedestal::input {

void Apply(PedestalCore& core, const Action& action) {
    core.Execute(action.command, action.argument);
}

Service::Service(std::filesystem::path configPath, Engine::ActionSink actions,
                 Engine::NoticeSink notices, Reader reader)
    : m_ConfigPath(std::move(configPath)), m_Notices(notices),
      m_Engine(std::move(actions), std::move(notices)), m_MakeReader(std::move(reader)) {}

Service::~Service() {
    Stop();
}

void Service::Start() {
    if (m_Thread.joinable())
        return;
    m_bStop = false;
    m_Thread = std::thread([this] { Run(); });
}

void Service::Stop() {
    {
        std::lock_guard lock(m_Mutex);
        m_bStop = true;
    }
    m_Wake.notify_all();
    if (m_Thread.joinable())
        m_Thread.join();
}

void Service::Reload() {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(m_ConfigPath, error);
    std::optional<std::filesystem::file_time_type> current;
    if (!error)
        current = time;
    if (m_bConfigSeen && current == m_ConfigTime)
        return;
    const bool first = !m_bConfigSeen;
    m_bConfigSeen = true;
    m_ConfigTime = current;
    ConfigResult result = LoadConfig(m_ConfigPath);
    for (const std::string& line : result.errors)
        m_Notices(line);
    if (!result.Ok())
        m_Notices("running without hardware until " + m_ConfigPath.string() + " is mended");
    else if (!first)
        m_Notices("read " + m_ConfigPath.string() + " again");
    m_Engine.Configure(std::move(result.config));
}

void Service::Run() {
    using Clock = std::chrono::steady_clock;
    if (!m_ConfigPath.empty())
        Reload();
    // Devices are read only once something is bound: a pedestal without
    // hardware never starts SDL.
    std::unique_ptr<DeviceReader> reader;
    std::vector<RawEvent> events;
    auto lastEvent = Clock::now() - std::chrono::milliseconds(kActiveSpellMs);
    auto nextConfigCheck = Clock::now() + std::chrono::milliseconds(kConfigCheckMs);
    std::unique_lock lock(m_Mutex);
    while (!m_bStop) {
        lock.unlock();
        if (!reader && m_Engine.HasBindings()) {
            reader = m_MakeReader();
            if (!reader->Error().empty())
                m_Notices("no game controllers: " + reader->Error());
        }
        events.clear();
        if (reader)
            reader->Poll(events);
        const auto now = Clock::now();
        if (!events.empty()) {
            lastEvent = now;
            m_Engine.Handle(events);
        }
        if (!m_ConfigPath.empty() && now >= nextConfigCheck) {
            nextConfigCheck = now + std::chrono::milliseconds(kConfigCheckMs);
            Reload();
        }
        const bool active = now - lastEvent < std::chrono::milliseconds(kActiveSpellMs);
        // With nothing bound only the file is watched.
        const int period = !m_Engine.HasBindings() ? kConfigCheckMs
                           : active                ? kActivePollMs
                                                   : kIdlePollMs;
        lock.lock();
        m_Wake.wait_for(lock, std::chrono::milliseconds(period), [this] { return m_bStop; });
    }
}

} // namespace pedestal::input

// The hardware beside a pedestal: its own thread reads the devices and the
// bindings file, and hands each action to the host, which queues it to the
// core's thread the way it queues the server's commands. Reading devices
// never runs on the core's thread, so it never delays the tick.
#pragma once

#include "input/Devices.h"
#include "input/Engine.h"

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class PedestalCore;

namespace pedestal::input {

// Runs an action on the core, as the window's and the server's commands run.
void Apply(PedestalCore& core, const Action& action);

class Service {
public:
    using Reader = std::function<std::unique_ptr<DeviceReader>()>;
    // Both sinks are called on the service's thread.
    Service(std::filesystem::path configPath, Engine::ActionSink actions,
            Engine::NoticeSink notices, Reader reader = OpenDeviceReader);
    ~Service();
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    void Start();
    void Stop();

    // How often the devices are read: often while a lever moves, seldom
    // while all are still, since every wake-up costs the host CPU whether or
    // not anything moved. The first movement after a still spell waits up to
    // kIdlePollMs; the rest of it kActivePollMs.
    static constexpr int kActivePollMs = 1;
    static constexpr int kIdlePollMs = 20;
    static constexpr int kActiveSpellMs = 500;
    static constexpr int kConfigCheckMs = 500;

private:
    void Run();
    void Reload();

    std::filesystem::path m_ConfigPath;
    Engine::NoticeSink m_Notices;
    Engine m_Engine;
    Reader m_MakeReader;
    std::optional<std::filesystem::file_time_type> m_ConfigTime;
    bool m_bConfigSeen = false;
    std::thread m_Thread;
    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    bool m_bStop = false;
};

} // namespace pedestal::input

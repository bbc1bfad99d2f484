// The hardware beside a pedestal host (the Qt window, Pedestal.exe,
// pedestal-web): --input's file or the default one, read on the service's
// thread, each action queued to the core's thread by the host's poster, the
// same way the browser server's commands reach the core.
#pragma once

#include "input/Service.h"

#include <functional>
#include <memory>
#include <string>

class PedestalCore;

namespace pedestal::input {

class Hardware {
public:
    using CoreTask = std::function<void(PedestalCore&)>;
    // Queues a task to the core's thread; never runs it inline.
    using CorePoster = std::function<void(CoreTask)>;
    using Log = std::function<void(const std::string&)>;

    ~Hardware() { Stop(); }
    // file: --input's value, empty for the default file. log is called on
    // the service's thread.
    void Start(const std::string& file, CorePoster poster, Log log) {
        const std::filesystem::path path =
            file.empty() ? DefaultConfigPath() : std::filesystem::path(file);
        if (!file.empty() && !std::filesystem::exists(path))
            log(file + " does not exist: no levers until it does");
        m_pService = std::make_unique<Service>(
            path,
            [poster](const Action& action) {
                poster([action](PedestalCore& core) { Apply(core, action); });
            },
            std::move(log));
        m_pService->Start();
    }
    // On the core's thread, before the core goes.
    void Stop() {
        if (m_pService)
            m_pService->Stop();
        m_pService.reset();
    }

private:
    std::unique_ptr<Service> m_pService;
};

} // namespace pedestal::input

// run --connect URL: the bindings drive a pedestal on another PC. The
// devices are read on the service's thread; the connection lives on this one.
#include "input/Config.h"
#include "input/Service.h"
#include "tools/pedestal-input/Devices.h"
#include "tools/pedestal-input/Remote.h"
#include "tools/pedestal-input/Tool.h"
#include "tools/pedestal-web/Termination.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>

#include <iostream>
#include <thread>

namespace pedestal_input {

using namespace pedestal::input;

int Run(const Common& common, const std::string& url) {
    RemoteAddress address;
    std::string why;
    if (!ParseAddress(url, &address, &why)) {
        std::cerr << "pedestal-input: " << why << '\n';
        return kUsage;
    }
    const std::filesystem::path path =
        common.input.empty() ? DefaultConfigPath() : std::filesystem::path(common.input);
    const auto log = [](const std::string& line) {
        std::cerr << "pedestal-input: " << line << std::endl;
    };
    if (!common.input.empty() && !std::filesystem::exists(path))
        log(path.string() + " does not exist: no levers until it does");

    boost::asio::io_context loop(1);
    RemoteClient client(loop, address, log);
    std::unique_ptr<ScriptedDevice> scripted;
    if (!common.virtualName.empty())
        scripted = std::make_unique<ScriptedDevice>(common.virtualName);
    Service service(
        path, [&client](const Action& action) { client.Send(action); },
        [log](const std::string& notice) { log(notice); });
    client.Start();
    service.Start();
    const auto stop = [&] {
        client.Stop();
        loop.stop();
    };
    // Held until the end, so that a second Ctrl+C cannot cut the shutdown short.
    const std::shared_ptr<void> termination = StopOnTermination(loop);
    std::thread script;
    if (scripted) {
        // Tests move the virtual device by lines; the end of them ends the run.
        script = std::thread([&] {
            for (std::string line; std::getline(std::cin, line);)
                scripted->Apply(line);
            boost::asio::post(loop, stop);
        });
    }
    loop.run();
    client.Stop();
    service.Stop();
    if (script.joinable())
        script.join();
    TerminationDone();
    return kOk;
}

} // namespace pedestal_input

// list, monitor and calibrate: the devices as they are, and the detents of
// one lever into the bindings file.
#include "input/Config.h"
#include "tools/pedestal-input/CalibrationFile.h"
#include "tools/pedestal-input/Devices.h"
#include "tools/pedestal-input/Tool.h"

#include <chrono>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace pedestal_input {

using namespace pedestal::input;

namespace {

std::filesystem::path BindingsPath(const Common& common) {
    return common.input.empty() ? DefaultConfigPath() : std::filesystem::path(common.input);
}

std::unique_ptr<ScriptedDevice> Scripted(const Common& common) {
    if (common.virtualName.empty())
        return nullptr;
    return std::make_unique<ScriptedDevice>(common.virtualName);
}

} // namespace

int List(const Common& common) {
    // Held for its lifetime: a test's virtual device exists while it does.
    // cppcheck-suppress unreadVariable
    const auto scripted = Scripted(common);
    DeviceWatch watch;
    const auto devices = watch.Devices();
    if (!watch.Error().empty()) {
        std::cerr << "pedestal-input: no game controllers: " << watch.Error() << '\n';
        return kFailure;
    }
    if (devices.empty())
        std::cout << "no game controllers plugged in\n";
    for (const DeviceState& device : devices)
        std::cout << device.info.name << "\n  GUID " << device.info.guid << ", " << device.info.axes
                  << " axes, " << device.info.buttons << " buttons\n";
    return kOk;
}

int Monitor(const Common& common) {
    // Held for its lifetime: a test's virtual device exists while it does.
    // cppcheck-suppress unreadVariable
    const auto scripted = Scripted(common);
    std::mutex mutex;
    std::map<int, std::string> names;
    DeviceWatch watch([&](const std::vector<RawEvent>& events) {
        std::lock_guard lock(mutex);
        for (const RawEvent& event : events) {
            switch (event.kind) {
            case RawEvent::Kind::Added:
                names[event.device] = event.info.name;
                std::cout << "plugged in: " << event.info.name << '\n';
                break;
            case RawEvent::Kind::Removed:
                std::cout << "unplugged: " << names[event.device] << '\n';
                break;
            case RawEvent::Kind::Axis:
                std::cout << names[event.device] << ": axis " << event.index << " = " << event.value
                          << '\n';
                break;
            case RawEvent::Kind::Button:
                std::cout << names[event.device] << ": button " << event.index
                          << (event.value != 0 ? " pressed" : " released") << '\n';
                break;
            }
        }
        std::cout.flush();
    });
    std::cerr << "pedestal-input: move levers and press buttons; Ctrl+C ends\n";
    // Until the input ends (Ctrl+D) or the process is stopped.
    for (std::string line; std::getline(std::cin, line);) {
        if (scripted)
            scripted->Apply(line);
    }
    return watch.Error().empty() ? kOk : kFailure;
}

int Calibrate(const Common& common, const CalibrateOptions& options) {
    const auto function = FunctionNamed(options.function);
    if (!function) {
        std::cerr << "pedestal-input: no function named \"" << options.function
                  << "\" (thrust, thrust1, thrust2, flaps, speedbrake)\n";
        return kUsage;
    }
    const std::filesystem::path path = BindingsPath(common);
    if (path.empty()) {
        std::cerr << "pedestal-input: no place for the bindings file: give --input FILE\n";
        return kUsage;
    }
    std::string text;
    if (std::filesystem::exists(path)) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream all;
        all << file.rdbuf();
        text = all.str();
    }
    AxisBinding binding{options.axis, *function, {}, 0.0};
    std::string ignored;
    std::string why;
    // A file that cannot take the entry is told before the levers are moved.
    if (!PutAxis(text, path.string(), options.device, binding, &ignored, &why)) {
        std::cerr << "pedestal-input: " << why << "\npedestal-input: " << path.string()
                  << " is left as it is\n";
        return kFailure;
    }

    // Held for its lifetime: a test's virtual device exists while it does.
    // cppcheck-suppress unreadVariable
    const auto scripted = Scripted(common);
    DeviceWatch watch;
    const auto device = watch.Find(options.device, 2000);
    if (!device) {
        std::cerr << "pedestal-input: no device matches \"" << options.device << "\"\n";
        return kFailure;
    }
    if (options.axis >= device->info.axes) {
        std::cerr << "pedestal-input: " << device->info.name << " has " << device->info.axes
                  << " axes, numbered from 0\n";
        return kUsage;
    }
    std::cout << "Calibrating axis " << options.axis << " of " << device->info.name << " as "
              << FunctionName(*function) << ".\n";
    for (int detent = 0; detent < DetentCount(*function); ++detent) {
        std::cout << "Move the lever to " << DetentName(*function, detent) << " and press Enter"
                  << std::endl;
        std::string line;
        if (!std::getline(std::cin, line)) {
            std::cerr << "pedestal-input: calibration abandoned; " << path.string()
                      << " is left as it is\n";
            return kFailure;
        }
        if (scripted)
            scripted->Apply(line, options.axis);
        // The watch reads every 2 ms: a little longer sees where the lever is.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const auto now = watch.Find(options.device, 0);
        if (!now) {
            std::cerr << "pedestal-input: " << device->info.name << " was unplugged\n";
            return kFailure;
        }
        const auto raw = now->axes.find(options.axis);
        binding.detents.push_back(raw != now->axes.end() ? raw->second : 0);
        std::cout << "  " << DetentName(*function, detent) << ": " << binding.detents.back()
                  << '\n';
    }
    std::string result;
    if (!PutAxis(text, path.string(), options.device, binding, &result, &why) ||
        !ParseConfig(result, path.string()).Ok()) {
        std::cerr << "pedestal-input: the detents must run in order, each past the one before; "
                  << path.string() << " is left as it is\n";
        return kFailure;
    }
    if (!ReplaceFile(path, result, &why)) {
        std::cerr << "pedestal-input: " << why << '\n';
        return kFailure;
    }
    std::cout << "Wrote axis " << options.axis << " of \"" << options.device << "\" to "
              << path.string() << '\n';
    return kOk;
}

} // namespace pedestal_input

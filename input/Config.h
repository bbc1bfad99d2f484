// The hardware file: which device drives which lever and command.
//
//   [[device]]
//   name = "Throttle"        # part of the device's name, or its GUID
//   deadband = 0.5           # percent of the axis' range (optional)
//   [[device.axis]]
//   index = 0
//   function = "thrust1"     # thrust, thrust1, thrust2, flaps, speedbrake
//   detents = [-32768, -9000, 14000, 30000]
//   [[device.button]]
//   index = 3
//   command = "gearup"       # any protocol command, or flapsup, flapsdown, geartoggle
#pragma once

#include "input/Mapping.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pedestal::input {

struct DeviceBinding {
    std::string name;
    double deadbandPercent = 0.0;
    std::vector<AxisBinding> axes;
    std::vector<ButtonBinding> buttons;
};

struct Config {
    std::vector<DeviceBinding> devices;
};

// A file that could not be used in full: no bindings, and why, as
// "FILE:LINE:COLUMN: what" (one line each).
struct ConfigResult {
    Config config;
    std::vector<std::string> errors;
    bool Ok() const { return errors.empty(); }
};

ConfigResult ParseConfig(std::string_view text, const std::string& source);
// A missing file is no error: no hardware.
ConfigResult LoadConfig(const std::filesystem::path& path);

// $XDG_CONFIG_HOME/pedestal/input.toml (or ~/.config/...) on Linux,
// %APPDATA%\Pedestal\input.toml on Windows; empty when neither is known.
std::filesystem::path DefaultConfigPath();

// Whether a device's name or GUID matches a binding's name: a part of the
// name, ignoring case, or the whole GUID.
bool DeviceMatches(const std::string& pattern, const std::string& name, const std::string& guid);

} // namespace pedestal::input

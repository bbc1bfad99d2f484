// pedestal-input: game controllers for the pedestal. Wires the command line
// to the commands; nothing else lives here.
#include "tools/pedestal-input/Tool.h"

#include "PedestalVersion.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

using namespace pedestal_input;

static int RunTool(int argc, char* argv[]) {
    CLI::App app("Game controllers for the pedestal: throttle quadrants and button panels.",
                 "pedestal-input");
    app.set_version_flag("--version", std::string("pedestal-input ") + PEDESTAL_VERSION);
    app.require_subcommand(1);
    Common common;
    const auto addCommon = [&](CLI::App* command) {
        command->add_option("--input", common.input,
                            "the bindings file (default: the pedestal's input.toml)");
        // Tests only: a device in this process, moved by lines on stdin.
        command->add_option("--virtual", common.virtualName)->group("");
    };
    auto* list = app.add_subcommand("list", "devices plugged in: name, GUID, axes, buttons");
    addCommon(list);
    auto* monitor = app.add_subcommand("monitor", "live raw values of every device");
    addCommon(monitor);
    CalibrateOptions calibrate;
    auto* calibrateCommand = app.add_subcommand(
        "calibrate", "asks for each detent of one lever and writes it into the bindings file");
    addCommon(calibrateCommand);
    calibrateCommand
        ->add_option("--device", calibrate.device, "part of the device's name, or its GUID")
        ->required();
    calibrateCommand->add_option("--axis", calibrate.axis, "the lever's axis, from 0")
        ->required()
        ->check(CLI::Range(0, 255));
    calibrateCommand
        ->add_option("--function", calibrate.function,
                     "thrust, thrust1, thrust2, flaps, speedbrake")
        ->required()
        ->check(CLI::IsMember({"thrust", "thrust1", "thrust2", "flaps", "speedbrake"}));
    std::string url;
    auto* run = app.add_subcommand("run", "drive a pedestal on another PC with the bindings");
    addCommon(run);
    run->add_option("--connect", url, "the address pedestal-web prints, with its token")
        ->required();

    CLI11_PARSE(app, argc, argv);
    if (*list)
        return List(common);
    if (*monitor)
        return Monitor(common);
    if (*calibrateCommand)
        return Calibrate(common, calibrate);
    return Run(common, url);
}

int main(int argc, char* argv[]) {
    try {
        return RunTool(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "pedestal-input: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "pedestal-input: unexpected failure\n";
    }
    return kFailure;
}

// simblock: wires the command line to the commands; nothing else lives here.
#include "tools/simblock/Commands.h"
#include "tools/simblock/Recording.h"
#include "tools/simblock/Settings.h"

#include "shm/TS_P_0001_02_genericSim.h"

#include "PedestalVersion.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdlib>

using namespace simblock;

namespace {

void AddName(CLI::App* command, std::string& name) {
    // --block as the pedestal's other programs spell it; --name as before.
    command->add_option("--block,--name", name, "name of the shared block")->capture_default_str();
}

void AddJson(CLI::App* command, bool& json) {
    command->add_flag("--json", json, "one line of JSON for scripts");
}

// CLI11's range checks let NaN through (both comparisons are false), and an
// infinite duration would mean "for ever": every floating-point option
// refuses both before any other check.
const CLI::Validator kFinite(
    [](std::string& text) {
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        if (end != text.c_str() && *end == '\0' && !std::isfinite(value))
            return "Value " + text + " is not a finite number";
        return std::string();
    },
    "FINITE");

void AddBounds(CLI::App* command, Bounds& bounds) {
    command->add_option("--duration", bounds.durationSeconds, "stop after SECONDS")
        ->check(kFinite)
        ->check(CLI::PositiveNumber);
    command->add_option("--count", bounds.count, "stop after N samples")
        ->check(CLI::PositiveNumber);
}

} // namespace

static int Run(int argc, char** argv) {
    CLI::App app{"Inspect and drive the simulator's shared block beside running pedestals and "
                 "simulators, without counting as one of its users."};
    app.footer(kExitCodeHelp);
    app.set_version_flag("--version", std::string("simblock ") + PEDESTAL_VERSION,
                         "show the version and exit");
    app.require_subcommand(1);

    std::string name = kGenericSimName;
    Exit result = Exit::Ok;

    StatusOptions status;
    auto* statusCommand = app.add_subcommand(
        "status", "Whether the block exists, its size, permissions, version and users, and "
                  "whether a pedestal's heartbeat is rising.");
    AddName(statusCommand, name);
    AddJson(statusCommand, status.json);
    statusCommand
        ->add_option("--sample-ms", status.sampleMs,
                     "longest time to watch the heartbeat for a rise (at least 180)")
        ->capture_default_str()
        ->check(CLI::Range(1, 60000));
    statusCommand->callback([&] {
        status.name = name;
        result = RunStatus(status);
    });

    bool fieldsJson = false;
    auto* fieldsCommand = app.add_subcommand(
        "fields", "The block's layout as the pedestal uses it: offset, width, type, field, "
                  "writer and meaning of every field.");
    AddJson(fieldsCommand, fieldsJson);
    fieldsCommand->callback([&] { result = RunFields(fieldsJson); });

    std::vector<std::string> items;
    bool getJson = false;
    auto* getCommand = app.add_subcommand(
        "get", "Values decoded as the pedestal shows them, or raw fields. Items: " +
                   GetItemNames() + ", or a field such as thrustLever or thrustLever[1].");
    AddName(getCommand, name);
    AddJson(getCommand, getJson);
    getCommand->add_option("items", items, "what to show; all decoded items when none is named");
    getCommand->callback([&] { result = RunGet(name, items, getJson); });

    std::vector<std::string> settings;
    auto* setCommand = app.add_subcommand(
        "set", "Write explicit settings NAME=VALUE. Every setting is checked first; when any is "
               "refused, nothing is written.");
    AddName(setCommand, name);
    setCommand->add_option("settings", settings, "NAME=VALUE ...")->required();
    setCommand->footer(SettingsHelp() + "\n" + kExitCodeHelp);
    setCommand->callback([&] { result = RunSet(name, settings); });

    WatchOptions watch;
    auto* watchCommand = app.add_subcommand(
        "watch", "A live view refreshed every 60 ms, recent changes highlighted, until Ctrl+C. "
                 "Timestamped lines, one per change, when the output is no terminal or with "
                 "--log. NO_COLOR turns colour off.");
    AddName(watchCommand, name);
    watchCommand->add_flag("--log", watch.log, "timestamped lines instead of the live view");
    AddBounds(watchCommand, watch.bounds);
    watchCommand->callback([&] {
        watch.name = name;
        result = RunWatch(watch);
    });

    RecordOptions record;
    auto* recordCommand = app.add_subcommand(
        "record", "Sample the lever fields into a new text file, one timestamped line per "
                  "change, until Ctrl+C or a bound.");
    AddName(recordCommand, name);
    recordCommand->add_option("file", record.file, "file to create; an existing one is refused")
        ->required();
    recordCommand->add_option("--interval", record.intervalMs, "sampling period in milliseconds")
        ->capture_default_str()
        ->check(CLI::Range(1, 1000));
    AddBounds(recordCommand, record.bounds);
    recordCommand->footer(std::string(kRecordingFormat) + "\n\n" + kExitCodeHelp);
    recordCommand->callback([&] {
        record.name = name;
        result = RunRecord(record);
    });

    ReplayOptions replay;
    auto* replayCommand = app.add_subcommand(
        "replay", "Write a recording into the block at the recorded pace. The whole file is "
                  "checked first; a malformed line means nothing is written.");
    AddName(replayCommand, name);
    replayCommand->add_option("file", replay.file, "a file made by record")
        ->required()
        ->check(CLI::ExistingFile);
    replayCommand->add_option("--speed", replay.speed, "pace factor, 2 plays twice as fast")
        ->capture_default_str()
        ->check(kFinite)
        ->check(CLI::Range(0.01, 1000.0));
    replayCommand->footer(std::string(kRecordingFormat) + "\n\n" + kExitCodeHelp);
    replayCommand->callback([&] {
        replay.name = name;
        result = RunReplay(replay);
    });

    auto* createCommand = app.add_subcommand(
        "create", "Create the block as the first pedestal would (zeroed, stamped with this "
                  "build's version, sections set) and leave it with 0 users.");
    AddName(createCommand, name);
    createCommand->callback([&] { result = RunCreate(name); });

    bool force = false;
    auto* removeCommand = app.add_subcommand(
        "remove", "Remove the block's name. Refused while users are attached or the block "
                  "cannot tell its users; attached processes keep their view.");
    AddName(removeCommand, name);
    removeCommand->add_flag("--force", force, "remove whatever the block holds");
    removeCommand->callback([&] { result = RunRemove(name, force); });

    std::string reportFile;
    auto* reportCommand = app.add_subcommand(
        "report", "Write this build's configuration report: the revision of every module.");
    reportCommand->add_option("file", reportFile, "report file to write")->required();
    reportCommand->callback([&] { result = RunReport(reportFile); });

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : static_cast<int>(Exit::Usage);
    }
    return static_cast<int>(result);
}

int main(int argc, char** argv) {
    // A failure no command expects (memory exhausted, say) still ends with a
    // message and an exit code instead of an abort.
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "simblock: %s\n", error.what());
        return static_cast<int>(simblock::Exit::Failure);
    }
}

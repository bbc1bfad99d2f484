// One entry point per command; main.cpp only wires the command line to them.
#pragma once

#include "tools/simblock/ExitCodes.h"

#include <string>
#include <vector>

namespace simblock {

struct StatusOptions {
    std::string name;
    bool json = false;
    int sampleMs = 500;
};
Exit RunStatus(const StatusOptions& options);

Exit RunFields(bool json);

// Items are decoded names (GetItemNames) or fields, whole or one element.
Exit RunGet(const std::string& name, const std::vector<std::string>& items, bool json);
std::string GetItemNames();

Exit RunSet(const std::string& name, const std::vector<std::string>& settings);

// A run ends on Ctrl+C, after durationSeconds (0: no limit) or after count
// samples (0: no limit), whichever comes first.
struct Bounds {
    double durationSeconds = 0;
    long count = 0;
};

struct WatchOptions {
    std::string name;
    bool log = false;
    Bounds bounds;
};
Exit RunWatch(const WatchOptions& options);

struct RecordOptions {
    std::string name;
    std::string file;
    int intervalMs = 10;
    Bounds bounds;
};
Exit RunRecord(const RecordOptions& options);

struct ReplayOptions {
    std::string name;
    std::string file;
    double speed = 1.0;
};
Exit RunReplay(const ReplayOptions& options);

Exit RunCreate(const std::string& name);
Exit RunRemove(const std::string& name, bool force);

Exit RunReport(const std::string& file);

} // namespace simblock

// The status command: the object, its size and permissions, its version and
// users, and whether a pedestal's heartbeat is rising.
#include "tools/simblock/BlockAccess.h"
#include "tools/simblock/Commands.h"
#include "tools/simblock/Console.h"
#include "tools/simblock/FieldCatalogue.h"
#include "tools/simblock/Json.h"
#include "tools/simblock/PedestalView.h"

#include "shm/TS_P_0001_02_genericSim.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <thread>

namespace simblock {
namespace {

struct Liveness {
    std::int32_t before = 0;
    std::int32_t after = 0;
    double seconds = 0;
    bool alive = false;
};

// Polls until the heartbeat moves or the window ends; a window shorter than
// three pedestal ticks could fall between two ticks and call a live pedestal
// stale.
Liveness SampleHeartbeat(const GenericSimBlock& block, int sampleMs) {
    Liveness live;
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::max<std::chrono::steady_clock::duration>(
                                 std::chrono::milliseconds(sampleMs), kLivenessWindow);
    live.before = ReadPedestal(block).heartbeat;
    live.after = live.before;
    while (!live.alive && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        live.after = ReadPedestal(block).heartbeat;
        live.alive = HeartbeatRose(live.before, live.after);
    }
    live.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return live;
}

std::string ModeText(unsigned mode) {
    std::string text;
    for (int shift = 6; shift >= 0; shift -= 3) {
        text += (mode >> shift & 4) ? 'r' : '-';
        text += (mode >> shift & 2) ? 'w' : '-';
        text += (mode >> shift & 1) ? 'x' : '-';
    }
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", mode);
    return text + " (" + octal + ")";
}

std::string SizeText(const ObjectInfo& info) {
    const std::uint64_t expected = sizeof(GenericSimBlock);
    std::string text = std::to_string(info.size) + " bytes";
    if (info.size == expected)
        return text + " (as expected)";
    return text + (info.size < expected ? " (too small: " : " (larger than ") +
           std::to_string(expected) + ")";
}

void PrintJson(const std::string& name, Exit state, const MappedBlock& mapped,
               const std::optional<Liveness>& live) {
    const ObjectInfo& info = mapped.Info();
    JsonWriter out;
    out.BeginObject().Key("name").String(name).Key("object").String(ObjectPath(name));
    out.Key("exists").Bool(info.exists);
    if (info.exists) {
        out.Key("size").Integer(static_cast<std::int64_t>(info.size));
        out.Key("expectedSize").Integer(sizeof(GenericSimBlock));
        out.Key("mode").String(ModeText(info.mode).substr(0, 9));
        out.Key("owner").String(info.owner).Key("group").String(info.group);
    }
    out.Key("expectedVersion").String(ExpectedVersion());
    if (mapped.IsMapped()) {
        out.Key("version").String(mapped.VersionFound());
        out.Key("versionMatches").Bool(state == Exit::Ok);
    }
    if (live) {
        out.Key("users").Integer(ReadPedestal(mapped.Block()).userCount);
        out.Key("heartbeat").BeginArray().Integer(live->before).Integer(live->after).EndArray();
        out.Key("pedestal").String(live->alive ? "alive" : "stale");
    }
    std::cout << out.EndObject().Text() << '\n';
}

void PrintText(const std::string& name, Exit state, const MappedBlock& mapped,
               const std::optional<Liveness>& live) {
    const ObjectInfo& info = mapped.Info();
    std::printf("%-12s %s (%s)\n", "block", name.c_str(), ObjectPath(name).c_str());
    if (!info.exists) {
        std::printf("%-12s %s\n", "exists", "no");
        return;
    }
    std::printf("%-12s %s\n", "size", SizeText(info).c_str());
    std::printf("%-12s %s, owner %s, group %s\n", "permissions", ModeText(info.mode).c_str(),
                info.owner.c_str(), info.group.c_str());
    if (mapped.IsMapped())
        std::printf("%-12s %s (%s)\n", "version", QuoteText(mapped.VersionFound()).c_str(),
                    state == Exit::Ok
                        ? "matches this build"
                        : ("this build reads " + QuoteText(ExpectedVersion())).c_str());
    if (!live)
        return;
    std::printf("%-12s %d\n", "users", ReadPedestal(mapped.Block()).userCount);
    std::printf("%-12s %s (heartbeat %d -> %d in %.2f s)\n", "pedestal",
                live->alive ? "alive" : "stale", live->before, live->after, live->seconds);
}

} // namespace

// A block that shrinks, is removed or is replaced while its heartbeat is
// sampled is named and looked at again, so the report describes what the
// name holds now; a few changes in a row end with what was found last.
Exit RunStatus(const StatusOptions& options) {
    constexpr int kAttempts = 3;
    for (int attempt = 1;; ++attempt) {
        MappedBlock mapped;
        std::string error;
        const Exit state = mapped.Open(options.name, Access::Read, error);
        if (state == Exit::Usage || state == Exit::Failure) {
            PrintError(error);
            return state;
        }
        std::optional<Liveness> live;
        if (state == Exit::Ok)
            live = SampleHeartbeat(mapped.Block(), options.sampleMs);
        std::uint64_t size = 0;
        const Change change = mapped.IsMapped() ? mapped.Check(size) : Change::None;
        if (change != Change::None) {
            PrintError(ChangeText(change, size) +
                       (change == Change::Replaced ? ""
                                                   : " while its heartbeat was sampled; looking "
                                                     "again"));
            if (attempt < kAttempts)
                continue;
        }
        if (options.json)
            PrintJson(options.name, state, mapped, live);
        else
            PrintText(options.name, state, mapped, live);
        if (state != Exit::Ok)
            PrintError(error);
        return state;
    }
}

} // namespace simblock

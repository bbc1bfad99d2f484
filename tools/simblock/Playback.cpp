// The record and replay commands: lever fields sampled into a text file, one
// line per change, and written back into a block at the recorded pace.
#include "tools/simblock/BlockAccess.h"
#include "tools/simblock/Commands.h"
#include "tools/simblock/Console.h"
#include "tools/simblock/FieldCatalogue.h"
#include "tools/simblock/Recording.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

namespace simblock {
namespace {

using Clock = std::chrono::steady_clock;

bool WriteLine(std::FILE* file, const std::string& line) {
    return std::fputs(line.c_str(), file) >= 0 && std::fputc('\n', file) != EOF;
}

// Sleeps in short steps so that Ctrl+C ends a long pause at once.
bool SleepUntil(Clock::time_point when) {
    while (!StopRequested()) {
        const auto now = Clock::now();
        if (now >= when)
            return true;
        std::this_thread::sleep_for(
            std::min<Clock::duration>(when - now, std::chrono::milliseconds(50)));
    }
    return false;
}

} // namespace

Exit RunRecord(const RecordOptions& options) {
    MappedBlock mapped;
    std::string error;
    const Exit opened = mapped.Open(options.name, Access::Read, error);
    if (opened != Exit::Ok) {
        PrintError(error);
        return opened;
    }
    // "x": an existing file is never overwritten by a recording.
    std::FILE* file = std::fopen(options.file.c_str(), "wx");
    if (file == nullptr) {
        PrintError("cannot create " + options.file + ": " + SystemText(errno) +
                   (errno == EEXIST ? " (choose a new file name)" : ""));
        return Exit::Failure;
    }
    CatchStopSignals();
    const GenericSimBlock& block = mapped.Block();
    const std::vector<FieldRef> refs = RecordedElements();
    std::vector<Value> values;
    bool ok = WriteLine(file, "# simblock recording of " + options.name + ", version " +
                                  QuoteText(mapped.VersionFound()) + ", started " + UtcTimestamp());
    ok = ok && WriteLine(file, "# SECONDS NAME=VALUE; play back with: simblock replay FILE");
    for (const FieldRef ref : refs) {
        values.push_back(ReadElement(block, ref));
        ok = ok && WriteLine(file, RecordLine(0, ref, values.back()));
    }
    const auto start = Clock::now();
    RunLimit limit(options.bounds);
    long changes = 0;
    while (ok && limit.Next()) {
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        for (std::size_t i = 0; ok && i < refs.size(); ++i) {
            const Value value = ReadElement(block, refs[i]);
            if (value == values[i])
                continue;
            values[i] = value;
            ok = WriteLine(file, RecordLine(seconds, refs[i], value));
            ++changes;
        }
        ok = ok && std::fflush(file) == 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(options.intervalMs));
    }
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        PrintError("writing " + options.file + " failed: " + SystemText(errno));
        return Exit::Failure;
    }
    std::fprintf(stderr, "simblock: recorded %ld changes into %s\n", changes, options.file.c_str());
    return Exit::Ok;
}

Exit RunReplay(const ReplayOptions& options) {
    std::ifstream in(options.file);
    if (!in) {
        PrintError("cannot read " + options.file + ": " + SystemText(errno));
        return Exit::Failure;
    }
    std::vector<Step> steps;
    std::vector<std::string> errors;
    if (!ParseRecording(in, steps, errors)) {
        for (const std::string& message : errors)
            PrintError(options.file + ", " + message);
        PrintError("nothing written");
        return Exit::Usage;
    }
    MappedBlock mapped;
    std::string error;
    const Exit opened = mapped.Open(options.name, Access::Write, error);
    if (opened != Exit::Ok) {
        PrintError(error + "; nothing written");
        return opened;
    }
    CatchStopSignals();
    const auto start = Clock::now();
    std::size_t done = 0;
    for (const Step& step : steps) {
        const auto offset = std::chrono::duration<double>(step.seconds / options.speed);
        if (!SleepUntil(start + std::chrono::duration_cast<Clock::duration>(offset)))
            break;
        ApplyWrites(mapped.WritableBlock(), step.writes);
        ++done;
    }
    std::fprintf(stderr, "simblock: replayed %zu of %zu lines into %s\n", done, steps.size(),
                 options.name.c_str());
    return Exit::Ok;
}

} // namespace simblock

// The watch command: a live view redrawn every tick on a terminal, or one
// timestamped line per change when the output is a pipe, a file or --log.
#include "tools/simblock/BlockAccess.h"
#include "tools/simblock/Commands.h"
#include "tools/simblock/Console.h"
#include "tools/simblock/FieldCatalogue.h"
#include "tools/simblock/Items.h"
#include "tools/simblock/PedestalView.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <unistd.h>
#include <vector>

namespace simblock {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPeriod = std::chrono::milliseconds(60);
constexpr auto kHighlight = std::chrono::seconds(3);
// About eight pedestal ticks: a heartbeat that has not moved for this long
// belongs to no running pedestal.
constexpr auto kStaleAfter = std::chrono::milliseconds(500);
static_assert(kStaleAfter >= kLivenessWindow);

bool ColourWanted() {
    const char* noColour = std::getenv("NO_COLOR");
    return noColour == nullptr || *noColour == '\0';
}

class Heartbeat {
public:
    void Sample(std::int32_t value, Clock::time_point now) {
        if (m_Seen && HeartbeatRose(m_Value, value)) {
            m_bRose = true;
            m_LastRise = now;
        }
        if (!m_Seen)
            m_Start = now;
        m_Seen = true;
        m_Value = value;
        m_Now = now;
    }
    // A new block: its heartbeat says nothing of the old one's pedestal.
    void Forget() {
        m_Seen = false;
        m_bRose = false;
    }
    bool Alive() const { return m_bRose && m_Now - m_LastRise < kStaleAfter; }
    bool Known() const { return Alive() || m_Now - m_Start >= kStaleAfter; }

private:
    bool m_Seen = false;
    std::int32_t m_Value = 0;
    Clock::time_point m_Start;
    Clock::time_point m_Now;
    bool m_bRose = false;
    Clock::time_point m_LastRise;
};

class LiveView {
public:
    LiveView(const std::string& name, const std::string& version)
        : m_Title("simblock watch " + name + "  version " + QuoteText(version) + "  (Ctrl+C ends)"),
          m_Colour(ColourWanted()), m_Lines(Items().size()), m_Changed(Items().size()) {
        std::fputs("\x1b[?25l\x1b[2J", stdout);
    }
    ~LiveView() { std::fputs("\x1b[?25h\n", stdout); }

    // A line under the view naming what became of the block, until the next.
    void Note(const std::string& text) { m_Note = UtcTimestamp() + " " + text; }

    void Waiting() {
        std::printf("\x1b[H%s\x1b[K\n%s\x1b[K\n\x1b[J%s\x1b[K\n", m_Title.c_str(),
                    UtcTimestamp().c_str(), m_Note.c_str());
        std::fflush(stdout);
    }

    void Draw(const PedestalView& view, const Heartbeat& heartbeat, Clock::time_point now) {
        std::printf("\x1b[H%s\x1b[K\n%s\x1b[K\n\x1b[K\n", m_Title.c_str(), UtcTimestamp().c_str());
        for (std::size_t i = 0; i < Items().size(); ++i) {
            const Item& item = Items()[i];
            const std::string line = item.shown(view) + "\t" + item.detail(view);
            if (line != m_Lines[i] && !m_Lines[i].empty())
                m_Changed[i] = now;
            m_Lines[i] = line;
            const bool recent = m_Changed[i] && now - *m_Changed[i] < kHighlight;
            const bool colour = recent && m_Colour;
            std::printf("%s%c%-12s %-18s %s%s\x1b[K\n", colour ? "\x1b[1;33m" : "",
                        recent ? '*' : ' ', std::string(item.name).c_str(),
                        item.shown(view).c_str(), item.detail(view).c_str(),
                        colour ? "\x1b[0m" : "");
        }
        std::printf(" %-12s %s\x1b[K\n", "pedestal",
                    heartbeat.Alive() ? "alive" : (heartbeat.Known() ? "stale" : "..."));
        std::printf("\x1b[K\n%s\x1b[K\n", m_Note.c_str());
        std::fflush(stdout);
    }

private:
    std::string m_Title;
    bool m_Colour;
    std::vector<std::string> m_Lines;
    std::vector<std::optional<Clock::time_point>> m_Changed;
    std::string m_Note;
};

// Every element but the identity of the block and the heartbeat, whose
// every tick would flood the log; it shows as alive and stale instead.
std::vector<FieldRef> LoggedElements() {
    std::vector<FieldRef> refs;
    for (const FieldInfo& field : Fields())
        if (field.name != "versionText" && field.name != "sectionPointers" &&
            field.name != "aidControlsHeartbeat")
            for (std::size_t i = 0; i < field.elements; ++i)
                refs.push_back({&field, i});
    return refs;
}

class ChangeLog {
public:
    ChangeLog(const std::string& name, const std::string& version, const GenericSimBlock& block)
        : m_Refs(LoggedElements()) {
        std::printf("%s watching %s, version %s\n", UtcTimestamp().c_str(), name.c_str(),
                    QuoteText(version).c_str());
        const PedestalView view = ReadPedestal(block);
        for (const Item& item : Items())
            std::printf("%s %s %s (%s)\n", UtcTimestamp().c_str(), std::string(item.name).c_str(),
                        item.shown(view).c_str(), item.detail(view).c_str());
        for (const FieldRef ref : m_Refs)
            m_Values.push_back(ReadElement(block, ref));
        std::fflush(stdout);
    }

    void Sample(const GenericSimBlock& block, const Heartbeat& heartbeat) {
        for (std::size_t i = 0; i < m_Refs.size(); ++i) {
            const Value value = ReadElement(block, m_Refs[i]);
            if (value == m_Values[i])
                continue;
            std::printf("%s %s=%s (was %s)\n", UtcTimestamp().c_str(), Label(m_Refs[i]).c_str(),
                        FormatValue(value).c_str(), FormatValue(m_Values[i]).c_str());
            m_Values[i] = value;
        }
        if (heartbeat.Known() && heartbeat.Alive() != m_Alive) {
            m_Alive = heartbeat.Alive();
            std::printf("%s pedestal %s (heartbeat %d)\n", UtcTimestamp().c_str(),
                        *m_Alive ? "alive" : "stale", ReadPedestal(block).heartbeat);
        }
        std::fflush(stdout);
    }

private:
    std::vector<FieldRef> m_Refs;
    std::vector<Value> m_Values;
    std::optional<bool> m_Alive;
};

// The block being watched, or none while it is too small or missing; a
// block that shrinks, is removed or is replaced is named, never fatal, and a
// block under the name again is followed.
class Follower {
public:
    explicit Follower(std::string name) : m_Name(std::move(name)) {}

    // Opens the block; Ok, or why not (message).
    Exit Open(std::string& message) {
        m_Mapped = std::make_unique<MappedBlock>();
        const Exit opened = m_Mapped->Open(m_Name, Access::Read, message);
        if (opened != Exit::Ok && opened != Exit::ForeignVersion)
            m_Mapped.reset();
        return opened;
    }

    // Looks at the block; on a change names it and lets the block go.
    std::optional<std::string> Lost() {
        std::uint64_t size = 0;
        const Change change = m_Mapped->Check(size);
        if (change == Change::None)
            return std::nullopt;
        m_Mapped.reset();
        m_bWaited = change != Change::Replaced;
        if (change == Change::Shrunk)
            return ChangeText(change, size) + "; waiting for a whole block";
        return ChangeText(change, size) + (m_bWaited ? "; waiting for a new one" : "");
    }

    // Tries the name again; a text once it holds a block again, or once for
    // each new reason it cannot be followed.
    std::optional<std::string> Retry() {
        std::string message;
        const Exit opened = Open(message);
        if (opened == Exit::Ok) {
            m_LastRefusal.clear();
            if (!std::exchange(m_bWaited, false))
                return std::nullopt;
            return "block " + m_Name + " is back; following it";
        }
        m_Mapped.reset();
        if (message == m_LastRefusal)
            return std::nullopt;
        m_LastRefusal = message;
        return message;
    }

    bool Attached() const { return m_Mapped != nullptr; }
    const GenericSimBlock& Block() const { return m_Mapped->Block(); }
    std::string Version() const { return m_Mapped->VersionFound(); }

private:
    std::string m_Name;
    std::unique_ptr<MappedBlock> m_Mapped;
    std::string m_LastRefusal;
    bool m_bWaited = false;
};

} // namespace

Exit RunWatch(const WatchOptions& options) {
    Follower block(options.name);
    std::string error;
    const Exit opened = block.Open(error);
    if (opened == Exit::ForeignVersion)
        std::printf("version %s\n", QuoteText(block.Version()).c_str());
    if (opened != Exit::Ok) {
        PrintError(error);
        return opened;
    }
    CatchStopSignals();
    const bool live = !options.log && isatty(STDOUT_FILENO) != 0;
    std::optional<LiveView> view;
    std::optional<ChangeLog> log;
    if (live)
        view.emplace(options.name, block.Version());
    else
        log.emplace(options.name, block.Version(), block.Block());
    const auto note = [&](const std::string& text) {
        if (view)
            view->Note(text);
        else
            std::printf("%s %s\n", UtcTimestamp().c_str(), text.c_str());
    };
    Heartbeat heartbeat;
    RunLimit limit(options.bounds);
    auto next = Clock::now();
    while (limit.Next()) {
        const auto now = Clock::now();
        if (block.Attached())
            if (const auto lost = block.Lost())
                note(*lost);
        if (!block.Attached()) {
            if (const auto retried = block.Retry())
                note(*retried);
            if (block.Attached()) {
                heartbeat.Forget();
                if (log)
                    log.emplace(options.name, block.Version(), block.Block());
            }
        }
        if (block.Attached()) {
            const PedestalView snapshot = ReadPedestal(block.Block());
            heartbeat.Sample(snapshot.heartbeat, now);
            if (view)
                view->Draw(snapshot, heartbeat, now);
            else
                log->Sample(block.Block(), heartbeat);
        } else if (view) {
            view->Waiting();
        } else {
            std::fflush(stdout);
        }
        next += kPeriod;
        std::this_thread::sleep_until(next);
    }
    return Exit::Ok;
}

} // namespace simblock

// The pedestal's hold on the simulator's shared block: attaching as start-up
// does, the text a view shows when that fails, and the block the commands
// and the tick act on.
//
// Another program may shrink the block or remove it and create another under
// its name. The tick looks at the block about once a second (every 15th tick;
// the others make no call at all), a command looks before it writes, and a
// touch past a shrunk end in between is caught by the view's fault guard. A
// lost block is said once (the text start-up would give for it), released,
// and attached again the way start-up attaches, except that no attempt ever
// waits on the caller's thread: a block whose creator has not yet stamped it
// keeps the attempt pending, and every tick takes one more look until the
// creator's time is up. While attaching fails the pedestal runs without a
// block and tries again every few seconds.
#pragma once

#include <chrono>
#include <memory>
#include <string>

class TS_P_0001_02_Shm;
struct GenericSimBlock;

class Attachment {
public:
    Attachment();
    ~Attachment();
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

    // Opens the block, or creates, clears and stamps it when no process has;
    // blockName null is the simulator's own block. False when the block
    // cannot be used; FailureText() then says why. Start-up's attempt: it may
    // wait a moment for a creator that has not stamped the block yet.
    bool Attach(const char* blockName = nullptr);
    // Lowers the block's user count (the last user releases it).
    void Detach();

    // The attachment's error text as the failure box shows it: cut to 99
    // characters. Empty after a successful attachment.
    const std::string& FailureText() const { return m_FailureText; }

    // Caller-owned storage in place of the attachment: for tests, fuzzing
    // and benchmarks. Null returns to the attachment.
    void UseBlock(GenericSimBlock* block) { m_pOverride = block; }

    // The block a tick acts on, or null without one; looks at the block when
    // the last look is a second old.
    GenericSimBlock* BlockForTick() {
        if (--m_TicksToLook > 0)
            return Block();
        return LookForTick();
    }
    // The block a command acts on, or null without one; looks at it first.
    GenericSimBlock* BlockForCommand();
    // A text for the user since the last call (a block lost, attached again,
    // or still not attachable); false when there is none.
    bool TakeNotice(std::string& text) { return m_bNoticePending && HandOverNotice(text); }

    using Clock = std::chrono::steady_clock;
    // Ticks come every 60 ms; even a clock read costs more than the rest of
    // an idle tick, so the ticks are counted: a look every 15, about once a
    // second.
    static constexpr int kTicksPerLook = 15;
    // The shortest time between two looks by the tick: a little less than
    // 15 ticks of 60 ms, so that the timer's ticks look every 15th time.
    static constexpr std::chrono::milliseconds kLookPeriod{800};
    static constexpr std::chrono::milliseconds kRetryPeriod{3000};
    // The block as it stands, without any check.
    GenericSimBlock* Block() const { return m_pOverride != nullptr ? m_pOverride : m_pSimBlock; }

    TS_P_0001_02_Shm* Shm() const { return m_pShm.get(); }

private:
    GenericSimBlock* LookForTick();
    bool HandOverNotice(std::string& text);
    void Look(bool lookAtName, Clock::time_point now);
    void AttachAgain(Clock::time_point now);
    void AdvanceAttaching(Clock::time_point now);
    bool TakeAttachment();
    void Tell(const std::string& text);

    std::unique_ptr<TS_P_0001_02_Shm> m_pShm;
    std::string m_BlockName;
    bool m_bNamed = false;
    bool m_bLost = false;
    bool m_bAttaching = false; // an attempt to attach again is pending
    int m_TicksToLook = 0;
    Clock::time_point m_NextRetry{};
    Clock::time_point m_LastLook{};
    std::string m_Notice;
    bool m_bNoticePending = false;
    std::string m_LastRetryText;
    GenericSimBlock* m_pSimBlock = nullptr;
    GenericSimBlock* m_pOverride = nullptr;
    std::string m_FailureText;
};

// The attachment to the simulator's shared block. Constructing it opens the
// block, or creates, clears and stamps it when no process has; the owner then
// asks IsValid() and either uses GetData()/GetBlock() or shows GetErrorText().
//
// The attachment counts itself in the block's userCount while it is valid.
// Copies of this program change the count with atomic operations; the
// simulator may store it plainly. An attachment that is not valid never
// writes to the block.
#pragma once

#include "shm/BaseSharedMemory.h"
#include "shm/TS_P_0001_02_genericSim.h"

#include <chrono>
#include <cstdint>

// What a valid attachment finds when it looks at its block again.
enum class BlockHealth {
    Ok,
    Shrunk,   // the object is now smaller than the layout
    Replaced, // the block's name now names another object
    Gone,     // nothing has the block's name any more
    Faulted,  // a touch past the object's shrunk end was caught; the view reads zeros
};

// How an opener meets a block whose creator has not yet sized and stamped it.
enum class CreatorWait {
    Bounded, // waits on this thread, up to kCreatorWait, before the constructor returns
    Polled,  // never waits: the attachment stays pending, and Advance looks again
};

class TS_P_0001_02_Shm : public BaseSharedMemory {
public:
    // Attaches to the real block, kGenericSimName.
    TS_P_0001_02_Shm();
    // Attaches under another mapping name: for tests and tools that must never
    // touch the real block a running simulator holds.
    explicit TS_P_0001_02_Shm(const char* blockName);
    // With CreatorWait::Polled the constructor makes no wait: a block not yet
    // ready leaves the attachment pending (neither valid nor failed), and
    // each Advance takes one more look without sleeping, until the block is
    // ready or kCreatorWait has passed since construction.
    TS_P_0001_02_Shm(const char* blockName, CreatorWait wait);
    // A valid attachment lowers userCount, the last user sets it to 0; every
    // attachment then releases its own view and handles. The block itself is
    // never removed.
    ~TS_P_0001_02_Shm();

    TS_P_0001_02_Shm(const TS_P_0001_02_Shm&) = delete;
    TS_P_0001_02_Shm& operator=(const TS_P_0001_02_Shm&) = delete;

    bool IsValid() const { return m_bConnected && m_bVersionOk; }
    bool IsPending() const { return m_bPending; }
    // One look at a pending attachment (at most an fstat, a remap and a read
    // of the stamp); it then ends valid, failed or still pending.
    void Advance();
    GenericSimBlock* GetBlock() const { return m_pBlock; }
    // Whether this attachment created, cleared and stamped the block.
    bool CreatedBlock() const { return m_bCreated; }

    // Whether the block still stands as attached: the object's size through
    // the kept handle (one system call), and with lookAtName whether the name
    // still names it (two more; about once a second is enough). Anything but
    // Ok makes the attachment lost for good: it sets the error text start-up
    // would give ("Shared Memory Block Too Small" with the size that lost it),
    // says that the block was cut when it has grown back since, or names the
    // change, and the owner stops touching the block and attaches anew. On
    // Windows a block can only answer Ok. An attachment that is not valid
    // answers Gone and keeps its text.
    BlockHealth Check(bool lookAtName);
    // The object's size as the last Check found it.
    std::uint64_t GetCheckedSize() const { return m_CheckedSize; }

    // The layout version text stamped into versionText by the creator and
    // compared by every opener: the identification line after its part number,
    // " TS_P_0001_02_genericSim $Revision: 5.4.0" (41 characters).
    static const char* GetLayoutVersion();

    // The base class's strings, then this class's, once per process each, as
    // the first construction registers them.
    static void RegisterConfig();

    // How long an opener waits for a block whose creator has not yet sized
    // and stamped it before giving up with an error.
    static constexpr std::chrono::milliseconds kCreatorWait{500};

private:
    enum class CreatorStep { Ready, NotYet, Failed };

    void Attach(const char* blockName, CreatorWait wait);
    void AttachExisting(CreatorWait wait);
    CreatorStep LookForCreator();
    bool WaitForCreator();
    void FinishAttaching(bool creatorDone);
    bool KeepIfWhole();
    void InitialiseNewBlock();
    void ReportSystemError();
    void ReportTooSmall(std::uint64_t size);
    void ReportCut(const char* origin);
    void LeaveCount();
    bool CountReachable() const;
    bool CheckVersion() const;
    void SetUpSectionPointers();

    bool m_bConnected = false;
    bool m_bVersionOk = false;
    GenericSimBlock* m_pBlock = nullptr;
    bool m_bCreated = false;
    bool m_bPending = false;
    std::chrono::steady_clock::time_point m_CreatorDeadline{};
    BlockHealth m_Health = BlockHealth::Ok;
    std::uint64_t m_CheckedSize = 0;
};

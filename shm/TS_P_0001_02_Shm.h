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

class TS_P_0001_02_Shm : public BaseSharedMemory {
public:
    // Attaches to the real block, kGenericSimName.
    TS_P_0001_02_Shm();
    // Attaches under another mapping name: for tests and tools that must never
    // touch the real block a running simulator holds.
    explicit TS_P_0001_02_Shm(const char* blockName);
    // A valid attachment lowers userCount, the last user sets it to 0; every
    // attachment then releases its own view and handles. The block itself is
    // never removed.
    ~TS_P_0001_02_Shm();

    TS_P_0001_02_Shm(const TS_P_0001_02_Shm&) = delete;
    TS_P_0001_02_Shm& operator=(const TS_P_0001_02_Shm&) = delete;

    bool IsValid() const { return m_bConnected && m_bVersionOk; }
    GenericSimBlock* GetBlock() const { return m_pBlock; }
    // Whether this attachment created, cleared and stamped the block.
    bool CreatedBlock() const { return m_bCreated; }

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
    void Attach(const char* blockName);
    void AttachExisting();
    bool WaitForCreator();
    void InitialiseNewBlock();
    void ReportSystemError();
    void LeaveCount();
    bool CheckVersion() const;
    void SetUpSectionPointers();

    bool m_bConnected = false;
    bool m_bVersionOk = false;
    GenericSimBlock* m_pBlock = nullptr;
    bool m_bCreated = false;
};

// The attachment to the simulator's shared block. Constructing it opens the
// block, or creates, clears and stamps it when no process has; the owner then
// asks IsValid() and either uses GetData() or shows GetErrorText().
#pragma once

#include "shm/BaseSharedMemory.h"
#include "shm/TS_P_0001_02_genericSim.h"

class TS_P_0001_02_Shm : public BaseSharedMemory {
public:
    TS_P_0001_02_Shm();
    // Attaches under another mapping name: for tests and tools that must never
    // touch the real block a running simulator holds.
    explicit TS_P_0001_02_Shm(const char* blockName);
    ~TS_P_0001_02_Shm();

    TS_P_0001_02_Shm(const TS_P_0001_02_Shm&) = delete;
    TS_P_0001_02_Shm& operator=(const TS_P_0001_02_Shm&) = delete;

    bool IsValid() const { return m_bConnected && m_bVersionOk; }
    GenericSimBlock* GetBlock() const { return m_pBlock; }

    static const char* GetLayoutVersion();

private:
    void Attach();
    bool CheckVersion() const;
    void SetUpSectionPointers();

    bool m_bConnected = false;
    bool m_bVersionOk = false;
    GenericSimBlock* m_pBlock = nullptr;
};

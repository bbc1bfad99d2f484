// The pedestal's hold on the simulator's shared block: attaching as start-up
// does, the text a view shows when that fails, and the block the commands
// and the tick act on.
#pragma once

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
    // cannot be used; FailureText() then says why.
    bool Attach(const char* blockName = nullptr);
    // Lowers the block's user count (the last user releases it).
    void Detach();

    // The attachment's error text as the failure box shows it: cut to 99
    // characters. Empty after a successful attachment.
    const std::string& FailureText() const { return m_FailureText; }

    // Caller-owned storage in place of the attachment: for tests, fuzzing
    // and benchmarks. Null returns to the attachment.
    void UseBlock(GenericSimBlock* block) { m_pOverride = block; }

    // The block a tick acts on, or null without one.
    GenericSimBlock* BlockForTick();
    // The block a command acts on, or null without one.
    GenericSimBlock* BlockForCommand();
    // The block as it stands, without any check.
    GenericSimBlock* Block() const;

    TS_P_0001_02_Shm* Shm() const { return m_pShm.get(); }

private:
    std::unique_ptr<TS_P_0001_02_Shm> m_pShm;
    GenericSimBlock* m_pSimBlock = nullptr;
    GenericSimBlock* m_pOverride = nullptr;
    std::string m_FailureText;
};

#include "panel/Attachment.h"

#include "shm/TS_P_0001_02_Shm.h"
#include "textfunctions/TextFunctions.h"

Attachment::Attachment() = default;

Attachment::~Attachment() = default;

// The failure box holds at most 99 characters.
static std::string BoxText(const char* errorText) {
    char text[100];
    FormatIntoBuffer(text, sizeof text, "%s", errorText);
    return text;
}

bool Attachment::Attach(const char* blockName) {
    Detach();
    m_bNamed = blockName != nullptr;
    if (m_bNamed && m_BlockName != blockName)
        m_BlockName = blockName;
    m_pShm = blockName != nullptr ? std::make_unique<TS_P_0001_02_Shm>(blockName)
                                  : std::make_unique<TS_P_0001_02_Shm>();
    return TakeAttachment();
}

// The outcome of a finished attempt.
bool Attachment::TakeAttachment() {
    if (m_pShm->IsValid()) {
        m_pSimBlock = m_pShm->GetBlock();
        m_FailureText.clear();
        return true;
    }
    m_FailureText = BoxText(m_pShm->GetErrorText());
    m_pSimBlock = nullptr;
    return false;
}

void Attachment::Detach() {
    m_pSimBlock = nullptr;
    m_bAttaching = false;
    m_pShm.reset();
}

GenericSimBlock* Attachment::LookForTick() {
    // A pending attempt is looked at by every tick, so that a creator that
    // has just stamped the block is met within a tick.
    if (m_bAttaching) {
        m_TicksToLook = 1;
        AdvanceAttaching(Clock::now());
        return Block();
    }
    m_TicksToLook = kTicksPerLook;
    // Ticks faster than the timer's (a caller driving them back to back)
    // must not make the look more frequent than about once a second.
    const Clock::time_point now = Clock::now();
    if (now - m_LastLook >= kLookPeriod) {
        m_LastLook = now;
        Look(true, now);
    }
    return Block();
}

GenericSimBlock* Attachment::BlockForCommand() {
    Look(true, Clock::now());
    return Block();
}

bool Attachment::HandOverNotice(std::string& text) {
    text = m_Notice;
    m_bNoticePending = false;
    return true;
}

// Texts told before a tick hands them over are kept together, in order.
void Attachment::Tell(const std::string& text) {
    if (m_bNoticePending)
        m_Notice += "\n" + text;
    else
        m_Notice = text;
    m_bNoticePending = true;
}

void Attachment::Look(bool lookAtName, Clock::time_point now) {
    if (m_pSimBlock != nullptr && m_pShm->Check(lookAtName) != BlockHealth::Ok) {
        Tell(m_pShm->GetErrorText());
        // An attempt that fails for the reason just told says nothing more.
        m_LastRetryText = BoxText(m_pShm->GetErrorText());
        // Lowers the count where the old block still holds it, and lets the
        // old mapping go.
        Detach();
        m_bLost = true;
        m_NextRetry = now;
    }
    if (m_bAttaching)
        AdvanceAttaching(now);
    else if (m_bLost && now >= m_NextRetry)
        AttachAgain(now);
}

void Attachment::AttachAgain(Clock::time_point now) {
    Detach();
    m_pShm = std::make_unique<TS_P_0001_02_Shm>(m_bNamed ? m_BlockName.c_str() : kGenericSimName,
                                                CreatorWait::Polled);
    m_bAttaching = true;
    AdvanceAttaching(now);
}

void Attachment::AdvanceAttaching(Clock::time_point now) {
    m_pShm->Advance();
    if (m_pShm->IsPending())
        return;
    m_bAttaching = false;
    if (TakeAttachment()) {
        m_bLost = false;
        Tell("Attached to the shared memory block again");
        return;
    }
    // Runs on without a block, as after a failed start-up; each new reason
    // is said once.
    m_NextRetry = now + kRetryPeriod;
    if (FailureText() != m_LastRetryText) {
        m_LastRetryText = FailureText();
        Tell(FailureText());
    }
}

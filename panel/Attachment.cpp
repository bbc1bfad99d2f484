#include "panel/Attachment.h"

#include "shm/TS_P_0001_02_Shm.h"
#include "textfunctions/TextFunctions.h"

Attachment::Attachment() = default;

Attachment::~Attachment() = default;

bool Attachment::Attach(const char* blockName) {
    Detach();
    m_pShm = blockName != nullptr ? std::make_unique<TS_P_0001_02_Shm>(blockName)
                                  : std::make_unique<TS_P_0001_02_Shm>();
    if (m_pShm->IsValid()) {
        m_pSimBlock = m_pShm->GetBlock();
        m_FailureText.clear();
        return true;
    }
    // The failure box holds at most 99 characters.
    char text[100];
    FormatIntoBuffer(text, sizeof text, "%s", m_pShm->GetErrorText());
    m_FailureText = text;
    m_pSimBlock = nullptr;
    return false;
}

void Attachment::Detach() {
    m_pSimBlock = nullptr;
    m_pShm.reset();
}

GenericSimBlock* Attachment::Block() const {
    return m_pOverride != nullptr ? m_pOverride : m_pSimBlock;
}

GenericSimBlock* Attachment::BlockForTick() {
    return Block();
}

GenericSimBlock* Attachment::BlockForCommand() {
    return Block();
}

#include "shm/TS_P_0001_02_Shm.h"

#include "configcontrol/ConfigControl.h"
#include "platform/BlockWatch.h"
#include "textfunctions/TextFunctions.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <thread>

static const char kShmRevision[] = "%Z% Classes TS2146 TS_P_0001_02_Shm $Revision: 1.4 $ ";
static const char kShmHeaderRevision[] = "%Z% Classes TS2146 TS_P_0001_02_Shm $Revision: 1.2 $";
static const char kLayoutId[] = TS_P_0001_02_GENERICSIM_ID;
static const char kLayoutPart[] = TS_P_0001_02_GENERICSIM_PART;
static const char kOrigin[] = "TS_P_0001_02_Shm::TS_P_0001_02_Shm";
static const char kCheckOrigin[] = "TS_P_0001_02_Shm::Check";

static ConfigOnceFlag s_ShmRegistered = 0;

static void RegisterShm() {
    BeginConfigComponent("TS_P_0001_02_Shm");
    RegisterConfigString(kShmRevision);
    RegisterConfigString(kShmHeaderRevision);
    EndConfigComponent();
}

// userCount is shared with other processes and changed with atomic steps.
static_assert(offsetof(GenericSimBlock, userCount) %
                  std::atomic_ref<std::int32_t>::required_alignment ==
              0);
static_assert(std::atomic_ref<std::int32_t>::is_always_lock_free);

static std::atomic_ref<std::int32_t> UserCount(GenericSimBlock* block) {
    return std::atomic_ref<std::int32_t>(block->userCount);
}

// The first version byte is written last by the creator: an opener that sees
// it set also sees the cleared block, the count and the rest of the text.
static std::atomic_ref<char> VersionStamp(GenericSimBlock* block) {
    return std::atomic_ref<char>(block->versionText[0]);
}

const char* TS_P_0001_02_Shm::GetLayoutVersion() {
    const char* part = std::strstr(kLayoutId, kLayoutPart);
    return part != nullptr ? part + std::strlen(kLayoutPart) : kLayoutPart;
}

TS_P_0001_02_Shm::TS_P_0001_02_Shm() : TS_P_0001_02_Shm(kGenericSimName) {}

void TS_P_0001_02_Shm::RegisterConfig() {
    BaseSharedMemory::RegisterConfig();
    RegisterOnce(s_ShmRegistered, RegisterShm);
}

TS_P_0001_02_Shm::TS_P_0001_02_Shm(const char* blockName)
    : TS_P_0001_02_Shm(blockName, CreatorWait::Bounded) {}

TS_P_0001_02_Shm::TS_P_0001_02_Shm(const char* blockName, CreatorWait wait) {
    RegisterConfig();
    m_Size = kGenericSimSize;
    m_bConnected = false;
    Attach(blockName, wait);
}

void TS_P_0001_02_Shm::Attach(const char* blockName, CreatorWait wait) {
    if (blockName == nullptr || !SetName(blockName)) {
        SetLastError(blockName == nullptr ? ERROR_INVALID_PARAMETER : ERROR_FILENAME_EXCED_RANGE);
        ReportSystemError();
        return;
    }
    if (OpenAndMap()) {
        AttachExisting(wait);
        return;
    }
    // An open that got its handle but failed to map must not leave it behind.
    Release();
    if (!CreateAndMap()) {
        ReportSystemError();
        return;
    }
    // Another process created the block between the failed open and the
    // create: it is in use and must not be cleared or counted afresh.
    if (FoundExisting()) {
        AttachExisting(wait);
        return;
    }
    InitialiseNewBlock();
}

void TS_P_0001_02_Shm::InitialiseNewBlock() {
    // The view has the object's size when it was mapped, which another
    // program may have cut since the create step sized it.
    if (GetMappedSize() < kGenericSimSize) {
        ReportTooSmall(GetMappedSize());
        Release();
        return;
    }
    m_pBlock = static_cast<GenericSimBlock*>(GetData());
    Clear(kGenericSimSize);
    char version[kVersionTextSize] = {};
    std::strncpy(version, GetLayoutVersion(), kVersionTextSize);
    std::memcpy(m_pBlock->versionText + 1, version + 1, kVersionTextSize - 1);
    UserCount(m_pBlock).store(1, std::memory_order_relaxed);
    SetUpSectionPointers();
    VersionStamp(m_pBlock).store(version[0], std::memory_order_release);
    m_bCreated = true;
    if (KeepIfWhole()) {
        m_bConnected = true;
        m_bVersionOk = true;
    }
}

// A cut under the view while attaching leaves the writes with nobody: the
// block is lost before it was ever used.
bool TS_P_0001_02_Shm::KeepIfWhole() {
    if (!ViewFaulted())
        return true;
    ReportCut(kOrigin);
    Release();
    return false;
}

BlockHealth TS_P_0001_02_Shm::Check(bool lookAtName) {
    if (!IsValid())
        return BlockHealth::Gone;
    if (m_Health != BlockHealth::Ok)
        return m_Health;
    const bool covers = MappingCovers(m_hMapping, kGenericSimSize, m_CheckedSize);
    const bool faulted = ViewFaulted();
    if (faulted || !covers) {
        m_Health = faulted ? BlockHealth::Faulted : BlockHealth::Shrunk;
        // A block that has grown back since the cut no longer shows the size
        // that lost it.
        if (covers)
            ReportCut(kCheckOrigin);
        else
            ReportTooSmall(m_CheckedSize);
        return m_Health;
    }
    if (!lookAtName)
        return BlockHealth::Ok;
    switch (CheckMappingName(m_hMapping)) {
    case MappingName::Same:
        return BlockHealth::Ok;
    case MappingName::Replaced:
        m_Health = BlockHealth::Replaced;
        SetError(kCheckOrigin,
                 "Shared Memory Block Replaced\nIts name now belongs to another block");
        return m_Health;
    case MappingName::Missing:
        m_Health = BlockHealth::Gone;
        SetError(kCheckOrigin, "Shared Memory Block Removed\nNo block has its name any more");
        return m_Health;
    }
    return BlockHealth::Ok;
}

void TS_P_0001_02_Shm::AttachExisting(CreatorWait wait) {
    if (wait == CreatorWait::Bounded) {
        FinishAttaching(WaitForCreator());
        return;
    }
    m_CreatorDeadline = std::chrono::steady_clock::now() + kCreatorWait;
    m_bPending = true;
    Advance();
}

void TS_P_0001_02_Shm::Advance() {
    if (!m_bPending)
        return;
    const CreatorStep step = LookForCreator();
    if (step == CreatorStep::NotYet && std::chrono::steady_clock::now() < m_CreatorDeadline)
        return;
    m_bPending = false;
    FinishAttaching(step == CreatorStep::Ready);
}

void TS_P_0001_02_Shm::FinishAttaching(bool creatorDone) {
    if (!creatorDone) {
        if (GetData() == nullptr) {
            ReportSystemError();
            return;
        }
        std::uint64_t size = 0;
        const bool covers = MappingCovers(m_hMapping, kGenericSimSize, size);
        if (!covers || GetMappedSize() < kGenericSimSize) {
            ReportTooSmall(covers ? GetMappedSize() : size);
            // Nothing may touch a view that ends early, so it goes at once.
            Release();
            return;
        }
    }
    m_pBlock = static_cast<GenericSimBlock*>(GetData());
    m_bConnected = true;
    m_bVersionOk = CheckVersion();
    if (!m_bVersionOk) {
        SetError(kOrigin, "Shared Memory Version Mismatch\nPlease rebuild software");
        return;
    }
    UserCount(m_pBlock).fetch_add(1);
    m_bConnected = KeepIfWhole();
}

void TS_P_0001_02_Shm::ReportTooSmall(std::uint64_t size) {
    char message[128];
    FormatIntoBuffer(message, sizeof message,
                     "Shared Memory Block Too Small\nIt has %llu bytes, this program needs %u",
                     static_cast<unsigned long long>(size), static_cast<unsigned>(kGenericSimSize));
    SetError(kOrigin, message);
}

void TS_P_0001_02_Shm::ReportCut(const char* origin) {
    char message[128];
    FormatIntoBuffer(message, sizeof message, "Shared Memory Block Cut\nIt shrank below %u bytes",
                     static_cast<unsigned>(kGenericSimSize));
    SetError(origin, message);
}

// A POSIX object is created empty and sized afterwards, and on every system
// the creator stamps the version last, so an opener may meet a block still
// being set up. One look: the stamp once the view covers the layout; a new
// view only when the object has grown to the layout's size or was cut under
// the old view.
TS_P_0001_02_Shm::CreatorStep TS_P_0001_02_Shm::LookForCreator() {
    if (GetMappedSize() < kGenericSimSize || ViewFaulted()) {
        std::uint64_t size = 0;
        if (!MappingCovers(m_hMapping, kGenericSimSize, size))
            return CreatorStep::NotYet;
        UnmapView();
        if (!MapView())
            return CreatorStep::Failed;
        if (GetMappedSize() < kGenericSimSize)
            return CreatorStep::NotYet;
    }
    return VersionStamp(static_cast<GenericSimBlock*>(GetData())).load(std::memory_order_acquire) !=
                   0
               ? CreatorStep::Ready
               : CreatorStep::NotYet;
}

// Start-up's wait: looks every millisecond, for a bounded time, so that a
// creator killed half-way gives an error, not a hang.
bool TS_P_0001_02_Shm::WaitForCreator() {
    const auto deadline = std::chrono::steady_clock::now() + kCreatorWait;
    for (;;) {
        const CreatorStep step = LookForCreator();
        if (step != CreatorStep::NotYet)
            return step == CreatorStep::Ready;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void TS_P_0001_02_Shm::ReportSystemError() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
        nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    if (length == 0 || text == nullptr) {
        char fallback[64];
        FormatIntoBuffer(fallback, sizeof fallback, "System error %u\n",
                         static_cast<unsigned>(code));
        SetError(kOrigin, fallback);
        return;
    }
    SetError(kOrigin, text);
    LocalFree(text);
}

bool TS_P_0001_02_Shm::CheckVersion() const {
    const char* version = GetLayoutVersion();
    const std::size_t length = strnlen(m_pBlock->versionText, kVersionTextSize);
    return length == std::strlen(version) &&
           std::memcmp(m_pBlock->versionText, version, length) == 0;
}

// Each slot is 32 bits wide. It holds the low 32 bits of the creator's
// address of the section, so on a 32-bit system it is that address, and on any
// system slot[i] - slot[0] (modulo 2^32) is the section's offset.
void TS_P_0001_02_Shm::SetUpSectionPointers() {
    const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(m_pBlock);
    for (int slot = 0; slot < kSectionSlots; ++slot) {
        if (slot == kUnusedSectionSlot)
            continue;
        m_pBlock->sectionPointers[slot] = static_cast<std::uint32_t>(base + kSectionOffsets[slot]);
    }
}

TS_P_0001_02_Shm::~TS_P_0001_02_Shm() {
    if (IsValid() && CountReachable())
        LeaveCount();
    // Whatever this process holds goes, whether it was the last user, not the
    // last, refused, half attached or lost; the block stays for the others.
    Release();
}

// A block that shrank below the count, or whose view now reads zeros, has no
// count of ours left to lower.
bool TS_P_0001_02_Shm::CountReachable() const {
    std::uint64_t size = 0;
    return !ViewFaulted() &&
           MappingCovers(m_hMapping, offsetof(GenericSimBlock, userCount) + sizeof(std::int32_t),
                         size);
}

// Lower the count, or as the last user set it to 0; the compare-exchange
// makes the test and the store one step against other copies of this
// program detaching at the same moment.
void TS_P_0001_02_Shm::LeaveCount() {
    auto count = UserCount(m_pBlock);
    std::int32_t seen = count.load();
    for (;;) {
        const std::int32_t next = seen > 1 ? seen - 1 : 0;
        if (count.compare_exchange_weak(seen, next))
            return;
    }
}

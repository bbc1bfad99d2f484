#include "shm/BaseSharedMemory.h"

#include "configcontrol/ConfigControl.h"
#include "platform/FaultGuard.h"
#include "textfunctions/TextFunctions.h"

#include <cassert>
#include <cstring>

static const char kBaseSharedMemoryHeaderRevision[] =
    "%Z% BaseSharedMemory TS2082:02 BaseSharedMemory $Revision: 1.3 $";
static const char kBaseSharedMemoryRevision[] =
    "%Z% BaseSharedMemory TS2082:01 BaseSharedMemory $Revision: 1.7 $ ";

static ConfigOnceFlag s_BaseSharedMemoryRegistered = 0;

static void RegisterBaseSharedMemory() {
    BeginConfigComponent("Base Shared Memory Class ");
    RegisterConfigString(kBaseSharedMemoryHeaderRevision);
    RegisterConfigString(kBaseSharedMemoryRevision);
    EndConfigComponent();
}

void BaseSharedMemory::RegisterConfig() {
    RegisterOnce(s_BaseSharedMemoryRegistered, RegisterBaseSharedMemory);
}

BaseSharedMemory::BaseSharedMemory()
    : m_Name{}, m_hMapping(nullptr), m_pData(nullptr), m_Size(0), m_hCreated(nullptr),
      m_bFoundExisting(false), m_Guard(-1) {
    RegisterConfig();
}

BaseSharedMemory::~BaseSharedMemory() = default;

bool BaseSharedMemory::SetName(const char* name) {
    if (name == nullptr)
        return false;
    const std::size_t length = strnlen(name, kNameSize);
    if (length >= kNameSize)
        return false;
    std::memcpy(m_Name, name, length + 1);
    return true;
}

// The operating system's code of the call that just failed, for the texts.
static int FailureCode() {
    return static_cast<int>(GetLastError());
}

bool BaseSharedMemory::CreateMapping(std::uint32_t size) {
    HANDLE created =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, m_Name);
    if (created == nullptr) {
        char text[1024];
        FormatIntoBuffer(text, sizeof text, "Creating Shared memory (Code: %d)", FailureCode());
        SetError(text);
        return false;
    }
    m_bFoundExisting = GetLastError() == ERROR_ALREADY_EXISTS;
    if (m_hCreated != nullptr)
        CloseHandle(m_hCreated);
    m_hCreated = created;
    return true;
}

bool BaseSharedMemory::OpenMapping() {
    m_hMapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, 0, m_Name);
    if (m_hMapping == nullptr) {
        char text[1024];
        FormatIntoBuffer(text, sizeof text, "OpenFileMapping (Code: %d)", FailureCode());
        SetError(text);
        return false;
    }
    return true;
}

bool BaseSharedMemory::MapView() {
    m_pData = MapViewOfFile(m_hMapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (m_pData == nullptr) {
        char text[1024];
        FormatIntoBuffer(text, sizeof text, "MapViewOfFile (Code: %d)", FailureCode());
        SetError(text);
        return false;
    }
    // Before anything touches it: another program may shrink the object at
    // any moment, and a touch past its new end would kill this process.
    m_Guard = GuardMappedRange(m_pData, GetMappedSize());
    return true;
}

bool BaseSharedMemory::CreateAndMap() {
    return CreateMapping(m_Size) && OpenMapping() && MapView();
}

bool BaseSharedMemory::OpenAndMap() {
    return OpenMapping() && MapView();
}

void BaseSharedMemory::Close() {
    UnguardMappedRange(m_Guard);
    m_Guard = -1;
    UnmapViewOfFile(m_pData);
    CloseHandle(m_hMapping);
}

void BaseSharedMemory::UnmapView() {
    UnguardMappedRange(m_Guard);
    m_Guard = -1;
    if (m_pData != nullptr)
        UnmapViewOfFile(m_pData);
    m_pData = nullptr;
}

bool BaseSharedMemory::ViewFaulted() const {
    return MappedRangeFaulted(m_Guard);
}

void BaseSharedMemory::Release() {
    UnmapView();
    if (m_hMapping != nullptr)
        CloseHandle(m_hMapping);
    if (m_hCreated != nullptr)
        CloseHandle(m_hCreated);
    m_pData = nullptr;
    m_hMapping = nullptr;
    m_hCreated = nullptr;
}

std::size_t BaseSharedMemory::GetMappedSize() const {
    return m_pData != nullptr ? GetMappedViewSize(m_pData) : 0;
}

bool BaseSharedMemory::Clear(std::uint32_t count) {
    // Another program may have made the object, and so the view, smaller
    // than the caller sized it: nothing is written past the view.
    if (count == 0 || count > GetMappedSize())
        return false;
    assert(m_pData != nullptr && "Clear before a successful map");
    std::memset(m_pData, 0, count);
    return true;
}

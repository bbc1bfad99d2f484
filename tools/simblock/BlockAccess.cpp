#include "tools/simblock/BlockAccess.h"

#include "platform/BlockWatch.h"
#include "platform/FaultGuard.h"
#include "platform/Platform.h"
#include "shm/TS_P_0001_02_Shm.h"
#include "tools/simblock/FieldCatalogue.h"
#include "tools/simblock/PedestalView.h"

#include <cstdio>

namespace simblock {
namespace {

std::string MissingMessage(const std::string& name) {
    return "no block named " + name + " (simblock create --name " + name + " makes one)";
}

std::string TooSmallMessage(const std::string& name, std::uint64_t size) {
    return "block " + name + " is " + std::to_string(size) + " bytes, smaller than the " +
           std::to_string(sizeof(GenericSimBlock)) + " of this build's layout";
}

std::string ModeText(unsigned mode) {
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", mode);
    return octal;
}

// The system's text, and for a refusal the permission this command needs.
std::string RefusalMessage(const std::string& name, int code, Access access,
                           const ObjectInfo& info) {
    std::string message = "block " + name + ": " + SystemText(code);
    if (!IsPermissionError(code))
        return message;
    message += access == Access::Write ? "; changing it needs write permission"
                                       : "; reading it needs read permission";
    if (info.exists)
        message += " (mode " + ModeText(info.mode) + ", owner " + info.owner + ")";
    return message;
}

} // namespace

std::string ExpectedVersion() {
    return TS_P_0001_02_Shm::GetLayoutVersion();
}

std::string ChangeText(Change change, std::uint64_t size) {
    switch (change) {
    case Change::Shrunk:
        // A block cut and grown back before the look shows only the fault.
        if (size >= sizeof(GenericSimBlock))
            return "block was cut below " + std::to_string(sizeof(GenericSimBlock)) + " bytes";
        return "block shrank to " + std::to_string(size) + " bytes";
    case Change::Replaced:
        return "block was replaced; following the new one";
    case Change::Removed:
        return "block was removed";
    case Change::None:
        break;
    }
    return "block unchanged";
}

MappedBlock::~MappedBlock() {
    UnguardMappedRange(m_Guard);
    if (m_pBlock != nullptr)
        UnmapViewOfFile(m_pBlock);
    if (m_hMapping != nullptr)
        CloseHandle(m_hMapping);
}

Exit MappedBlock::Open(const std::string& name, Access access, std::string& message) {
    if (!CheckBlockName(name, message))
        return Exit::Usage;
    m_Info = ExamineObject(name);
    if (!m_Info.exists) {
        message = m_Info.error != 0 ? RefusalMessage(name, m_Info.error, Access::Read, m_Info)
                                    : MissingMessage(name);
        return m_Info.error != 0 ? Exit::Failure : Exit::Missing;
    }
    if (m_Info.size < sizeof(GenericSimBlock)) {
        message = TooSmallMessage(name, m_Info.size);
        return Exit::TooSmall;
    }
    const DWORD rights = access == Access::Write ? FILE_MAP_ALL_ACCESS : FILE_MAP_READ;
    m_hMapping = OpenFileMappingA(rights, 0, name.c_str());
    if (m_hMapping == nullptr) {
        const DWORD code = GetLastError();
        message = code == ERROR_FILE_NOT_FOUND
                      ? MissingMessage(name)
                      : RefusalMessage(name, static_cast<int>(code), access, m_Info);
        return code == ERROR_FILE_NOT_FOUND ? Exit::Missing : Exit::Failure;
    }
    m_pBlock = static_cast<GenericSimBlock*>(MapViewOfFile(m_hMapping, rights, 0, 0, 0));
    if (m_pBlock == nullptr) {
        message = RefusalMessage(name, static_cast<int>(GetLastError()), access, m_Info);
        return Exit::Failure;
    }
    m_Guard = GuardMappedRange(m_pBlock, GetMappedViewSize(m_pBlock));
    // The object may have shrunk since it was examined; touching past its end
    // would kill the tool, so the view's own size decides.
    const std::size_t mappedSize = GetMappedViewSize(m_pBlock);
    if (mappedSize < sizeof(GenericSimBlock)) {
        UnguardMappedRange(m_Guard);
        m_Guard = -1;
        UnmapViewOfFile(m_pBlock);
        m_pBlock = nullptr;
        m_Info.size = mappedSize;
        message = TooSmallMessage(name, mappedSize);
        return Exit::TooSmall;
    }
    if (VersionFound() != ExpectedVersion()) {
        message = "block " + name + " holds layout version " + QuoteText(VersionFound()) +
                  ", but this build reads " + QuoteText(ExpectedVersion());
        return Exit::ForeignVersion;
    }
    return Exit::Ok;
}

Change MappedBlock::Check(std::uint64_t& size) const {
    const bool covers = MappingCovers(m_hMapping, sizeof(GenericSimBlock), size);
    if (!covers || MappedRangeFaulted(m_Guard))
        return Change::Shrunk;
    switch (CheckMappingName(m_hMapping)) {
    case MappingName::Replaced:
        return Change::Replaced;
    case MappingName::Missing:
        return Change::Removed;
    case MappingName::Same:
        break;
    }
    return Change::None;
}

std::string MappedBlock::VersionFound() const {
    return VersionTextOf(*m_pBlock);
}

} // namespace simblock

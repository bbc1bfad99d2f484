#include "tools/simblock/BlockAccess.h"

#include "platform/Platform.h"
#include "shm/TS_P_0001_02_Shm.h"
#include "tools/simblock/FieldCatalogue.h"
#include "tools/simblock/PedestalView.h"

namespace simblock {
namespace {

std::string MissingMessage(const std::string& name) {
    return "no block named " + name + " (simblock create --name " + name + " makes one)";
}

std::string TooSmallMessage(const std::string& name, std::uint64_t size) {
    return "block " + name + " is " + std::to_string(size) + " bytes, smaller than the " +
           std::to_string(sizeof(GenericSimBlock)) + " of this build's layout";
}

} // namespace

std::string ExpectedVersion() {
    return TS_P_0001_02_Shm::GetLayoutVersion();
}

MappedBlock::~MappedBlock() {
    if (m_pBlock != nullptr)
        UnmapViewOfFile(m_pBlock);
    if (m_hMapping != nullptr)
        CloseHandle(m_hMapping);
}

Exit MappedBlock::Open(const std::string& name, std::string& message) {
    if (!CheckBlockName(name, message))
        return Exit::Usage;
    m_Info = ExamineObject(name);
    if (!m_Info.exists) {
        message = m_Info.error != 0 ? "block " + name + ": " + SystemText(m_Info.error)
                                    : MissingMessage(name);
        return m_Info.error != 0 ? Exit::Failure : Exit::Missing;
    }
    if (m_Info.size < sizeof(GenericSimBlock)) {
        message = TooSmallMessage(name, m_Info.size);
        return Exit::TooSmall;
    }
    m_hMapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, 0, name.c_str());
    if (m_hMapping == nullptr) {
        const DWORD code = GetLastError();
        message = code == ERROR_FILE_NOT_FOUND
                      ? MissingMessage(name)
                      : "block " + name + ": " + SystemText(static_cast<int>(code));
        return code == ERROR_FILE_NOT_FOUND ? Exit::Missing : Exit::Failure;
    }
    m_pBlock =
        static_cast<GenericSimBlock*>(MapViewOfFile(m_hMapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (m_pBlock == nullptr) {
        message = "block " + name + ": " + SystemText(static_cast<int>(GetLastError()));
        return Exit::Failure;
    }
    // The object may have shrunk since it was examined; touching past its end
    // would kill the tool, so the view's own size decides.
    const std::size_t mappedSize = GetMappedViewSize(m_pBlock);
    if (mappedSize < sizeof(GenericSimBlock)) {
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

std::string MappedBlock::VersionFound() const {
    return VersionTextOf(*m_pBlock);
}

} // namespace simblock

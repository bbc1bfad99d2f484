// Helpers for the Windows tests of the shared-memory code. A Windows mapping
// lives only while some process holds a handle to it, so a block made "by
// another program" is an object that holds its mapping until it goes.
#pragma once

#include "platform/tests/MappingTestSupport.h"
#include "shm/TS_P_0001_02_genericSim.h"

#include <cstring>
#include <string>

namespace shmtest {

using mappingtest::UniqueName;

inline bool Exists(const std::string& name) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    if (mapping == nullptr)
        return false;
    CloseHandle(mapping);
    return true;
}

// A mapping and its view, as a foreign client holds them: either made anew
// at a size (with an optional version text, copied without a terminator up to
// 64 bytes, and user count), or opened when it exists.
class ForeignBlock {
public:
    ForeignBlock(const std::string& name, DWORD size, const char* version = nullptr,
                 int users = 0) {
        m_hMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size,
                                        name.c_str());
        if (m_hMapping == nullptr || GetLastError() == ERROR_ALREADY_EXISTS || !Map())
            return;
        if (version != nullptr)
            std::memcpy(block()->versionText, version, strnlen(version, kVersionTextSize));
        if (size >= kGenericSimSize)
            block()->userCount = users;
        m_bMade = true;
    }
    explicit ForeignBlock(const std::string& name) {
        m_hMapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
        m_bMade = m_hMapping != nullptr && Map();
    }
    ~ForeignBlock() {
        if (m_pData != nullptr)
            UnmapViewOfFile(m_pData);
        if (m_hMapping != nullptr)
            CloseHandle(m_hMapping);
    }
    ForeignBlock(const ForeignBlock&) = delete;
    ForeignBlock& operator=(const ForeignBlock&) = delete;

    bool ok() const { return m_bMade; }
    unsigned char* bytes() const { return m_pData; }
    GenericSimBlock* block() const { return reinterpret_cast<GenericSimBlock*>(m_pData); }

private:
    bool Map() {
        m_pData =
            static_cast<unsigned char*>(MapViewOfFile(m_hMapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        return m_pData != nullptr;
    }

    HANDLE m_hMapping = nullptr;
    unsigned char* m_pData = nullptr;
    bool m_bMade = false;
};

} // namespace shmtest

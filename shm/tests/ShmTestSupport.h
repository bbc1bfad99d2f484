// Helpers for tests of the shared-memory code: block names that no other test
// or process uses, their removal, and blocks made "by another program" with
// plain POSIX calls, so that the code under test meets them as it would meet
// the simulator's.
#pragma once

#include "platform/tests/MappingTestSupport_posix.h"
#include "shm/TS_P_0001_02_genericSim.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace shmtest {

using mappingtest::UniqueName;

inline std::string ObjectPath(const std::string& name) {
    return "/" + name;
}

inline bool Exists(const std::string& name) {
    struct stat status {};
    return stat(("/dev/shm/" + name).c_str(), &status) == 0;
}

using mappingtest::ScopedName;

// A plain shared mapping of an existing object, as a foreign client holds it.
class RawView {
public:
    explicit RawView(const std::string& name) {
        int fd = shm_open(ObjectPath(name).c_str(), O_RDWR, 0);
        if (fd < 0)
            return;
        struct stat status {};
        if (fstat(fd, &status) == 0 && status.st_size > 0) {
            m_Size = static_cast<std::size_t>(status.st_size);
            void* address = mmap(nullptr, m_Size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            m_pData = address == MAP_FAILED ? nullptr : static_cast<unsigned char*>(address);
        }
        close(fd);
    }
    ~RawView() {
        if (m_pData != nullptr)
            munmap(m_pData, m_Size);
    }
    RawView(const RawView&) = delete;
    RawView& operator=(const RawView&) = delete;

    bool ok() const { return m_pData != nullptr; }
    std::size_t size() const { return m_Size; }
    unsigned char* bytes() const { return m_pData; }
    GenericSimBlock* block() const { return reinterpret_cast<GenericSimBlock*>(m_pData); }

private:
    unsigned char* m_pData = nullptr;
    std::size_t m_Size = 0;
};

// Makes an object of the given size as another program would, optionally
// stamped with a version text (copied without a terminator, up to 64 bytes)
// and, for a full-size block, a user count. Returns false if it could not be
// made.
inline bool MakeForeignBlock(const std::string& name, std::size_t size,
                             const char* version = nullptr, int users = 0) {
    int fd = shm_open(ObjectPath(name).c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return false;
    const bool sized = ftruncate(fd, static_cast<off_t>(size)) == 0;
    close(fd);
    if (!sized)
        return false;
    if (version == nullptr)
        return true;
    RawView view(name);
    if (!view.ok())
        return false;
    std::memcpy(view.block()->versionText, version, strnlen(version, kVersionTextSize));
    if (size >= kGenericSimSize)
        view.block()->userCount = users;
    return true;
}

} // namespace shmtest

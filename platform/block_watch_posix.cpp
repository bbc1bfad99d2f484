// The checks of BlockWatch.h on POSIX: the kept descriptor's fstat tells the
// object's size and identity; the name's own stat tells what it names now.
#include "platform/BlockWatch.h"
#include "platform/mapping_handle_posix.h"

#include <sys/stat.h>

#include <cerrno>
#include <string>

bool MappingCovers(HANDLE mapping, std::uint64_t bytes, std::uint64_t& size) {
    size = 0;
    const auto handle = FindMapping(mapping);
    if (handle == nullptr) {
        SetLastError(EBADF);
        return false;
    }
    struct stat status {};
    if (fstat(handle->fd, &status) != 0) {
        SetLastError(static_cast<DWORD>(errno));
        return false;
    }
    size = static_cast<std::uint64_t>(status.st_size);
    return size >= bytes;
}

MappingName CheckMappingName(HANDLE mapping) {
    const auto handle = FindMapping(mapping);
    if (handle == nullptr) {
        SetLastError(EBADF);
        return MappingName::Missing;
    }
    struct stat held {};
    struct stat named {};
    // Shared-memory objects are the files of /dev/shm; name holds the slash.
    const std::string path = std::string("/dev/shm") + handle->name;
    if (fstat(handle->fd, &held) != 0)
        return MappingName::Same;
    if (stat(path.c_str(), &named) != 0)
        return errno == ENOENT ? MappingName::Missing : MappingName::Same;
    return named.st_ino == held.st_ino && named.st_dev == held.st_dev ? MappingName::Same
                                                                      : MappingName::Replaced;
}

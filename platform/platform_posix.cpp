// POSIX implementation of the Win32 calls declared in Platform.h. Named
// mappings are POSIX shared-memory objects (/dev/shm on Linux) so that other
// programs can attach by the same plain name.
#include "platform/Platform.h"
#include "platform/mapping_handle_posix.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace {

thread_local DWORD t_lastError = 0;

struct View {
    std::size_t mappedLength; // what munmap needs
    std::size_t viewSize;     // what the caller may touch
};

// The registries below are never destroyed: attachments may be released from
// other static destructors, and handles kept to the end must stay reachable.
std::mutex& RegistryMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

// UnmapViewOfFile gets only the address, so each view's length is kept here.
std::map<const void*, View>& Views() {
    static auto* views = new std::map<const void*, View>;
    return *views;
}

// Every live handle, so that a stale or foreign pointer is refused with EBADF
// instead of being used, and so that a handle a caller never closes stays
// reachable rather than counting as a leak.
std::map<const void*, std::shared_ptr<MappingHandle>>& Handles() {
    static auto* handles = new std::map<const void*, std::shared_ptr<MappingHandle>>;
    return *handles;
}

HANDLE Publish(std::unique_ptr<MappingHandle> handle) {
    std::shared_ptr<MappingHandle> shared(std::move(handle));
    std::lock_guard<std::mutex> lock(RegistryMutex());
    Handles()[shared.get()] = shared;
    return shared.get();
}

HANDLE Fail(int code) {
    t_lastError = static_cast<DWORD>(code);
    return nullptr;
}

// Fills handle->name with "/name"; the checks are the ones shm_open would make
// after stripping slashes, done here because a slash must never be stripped.
bool SetObjectName(MappingHandle* handle, LPCSTR name) {
    if (name == nullptr || name[0] == '\0' || std::strchr(name, '/') != nullptr) {
        t_lastError = EINVAL;
        return false;
    }
    std::size_t length = std::strlen(name);
    if (length > NAME_MAX) {
        t_lastError = ENAMETOOLONG;
        return false;
    }
    handle->name[0] = '/';
    std::memcpy(handle->name + 1, name, length + 1);
    return true;
}

// Both strerror_r flavours, whichever the C library declares.
[[maybe_unused]] const char* ErrorText(int result, const char* buffer) {
    return result == 0 ? buffer : "Unknown error";
}
[[maybe_unused]] const char* ErrorText(const char* result, const char*) {
    return result;
}

std::string SystemMessage(DWORD code) {
    char buffer[256] = {};
    std::string text = ErrorText(strerror_r(static_cast<int>(code), buffer, sizeof buffer), buffer);
    text += '\n';
    return text;
}

} // namespace

std::shared_ptr<const MappingHandle> FindMapping(HANDLE handle) {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto found = Handles().find(handle);
    if (found == Handles().end())
        return nullptr;
    return found->second;
}

HANDLE CreateFileMappingA(HANDLE file, SECURITY_ATTRIBUTES*, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, LPCSTR name) {
    if (file != INVALID_HANDLE_VALUE || protect != PAGE_READWRITE)
        return Fail(EINVAL);
    auto handle = std::make_unique<MappingHandle>();
    handle->writable = true;
    if (!SetObjectName(handle.get(), name))
        return nullptr;
    const off_t size = static_cast<off_t>((std::uint64_t{maximumSizeHigh} << 32) | maximumSizeLow);
    if (size <= 0)
        return Fail(EINVAL);

    // The object may vanish between the failed exclusive create and the open
    // (another program removing it), so try again a few times.
    for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = shm_open(handle->name, O_RDWR | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) {
            // fchmod, not umask: every user of the rig must be able to attach.
            // posix_fallocate reserves the pages now, so a full /dev/shm is an
            // error here rather than a SIGBUS on first touch.
            int error = fchmod(fd, 0666) != 0 ? errno : posix_fallocate(fd, 0, size);
            if (error != 0) {
                close(fd);
                shm_unlink(handle->name);
                return Fail(error);
            }
            handle->fd = fd;
            t_lastError = 0;
            return Publish(std::move(handle));
        }
        if (errno != EEXIST)
            return Fail(errno);
        fd = shm_open(handle->name, O_RDWR, 0);
        if (fd >= 0) {
            handle->fd = fd;
            t_lastError = ERROR_ALREADY_EXISTS;
            return Publish(std::move(handle));
        }
        if (errno != ENOENT)
            return Fail(errno);
    }
    return Fail(EAGAIN);
}

HANDLE OpenFileMappingA(DWORD access, BOOL inheritHandle, LPCSTR name) {
    auto handle = std::make_unique<MappingHandle>();
    handle->writable = (access & FILE_MAP_WRITE) != 0;
    if (!SetObjectName(handle.get(), name))
        return nullptr;
    int fd = shm_open(handle->name, handle->writable ? O_RDWR : O_RDONLY, 0);
    if (fd < 0)
        return Fail(errno);
    if (inheritHandle)
        fcntl(fd, F_SETFD, 0);
    handle->fd = fd;
    t_lastError = 0;
    return Publish(std::move(handle));
}

LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                     SIZE_T bytes) {
    const std::shared_ptr<const MappingHandle> handle = FindMapping(mapping);
    if (handle == nullptr)
        return Fail(EBADF);
    const bool write = (access & FILE_MAP_WRITE) != 0;
    if (write && !handle->writable)
        return Fail(EACCES);
    struct stat status {};
    if (fstat(handle->fd, &status) != 0)
        return Fail(errno);
    const std::uint64_t offset = (std::uint64_t{offsetHigh} << 32) | offsetLow;
    const std::uint64_t objectSize = static_cast<std::uint64_t>(status.st_size);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (offset % static_cast<std::uint64_t>(pageSize) != 0 || offset > objectSize) {
        return Fail(EINVAL);
    }
    // Touching a page past the object's end raises SIGBUS, so a view never
    // reaches beyond the object.
    if (bytes > objectSize - offset)
        return Fail(ENXIO);
    const std::size_t viewSize = bytes != 0 ? bytes : static_cast<std::size_t>(objectSize - offset);

    View view{viewSize, viewSize};
    void* address = nullptr;
    if (viewSize == 0) {
        // A whole view of an empty object: an inaccessible page, so the caller
        // gets a distinct address and learns the size 0 from GetMappedViewSize.
        view.mappedLength = static_cast<std::size_t>(pageSize);
        address = mmap(nullptr, view.mappedLength, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    } else {
        const int protection = write ? PROT_READ | PROT_WRITE : PROT_READ;
        address =
            mmap(nullptr, viewSize, protection, MAP_SHARED, handle->fd, static_cast<off_t>(offset));
    }
    if (address == MAP_FAILED)
        return Fail(errno);
    {
        std::lock_guard<std::mutex> lock(RegistryMutex());
        Views()[address] = view;
    }
    t_lastError = 0;
    return address;
}

BOOL UnmapViewOfFile(LPCVOID address) {
    View view{};
    {
        std::lock_guard<std::mutex> lock(RegistryMutex());
        auto found = Views().find(address);
        if (found == Views().end()) {
            t_lastError = EINVAL;
            return 0;
        }
        view = found->second;
        Views().erase(found);
    }
    if (munmap(const_cast<void*>(address), view.mappedLength) != 0) {
        t_lastError = static_cast<DWORD>(errno);
        return 0;
    }
    return 1;
}

SIZE_T GetMappedViewSize(LPCVOID address) {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto found = Views().find(address);
    return found == Views().end() ? 0 : found->second.viewSize;
}

BOOL CloseHandle(HANDLE object) {
    std::shared_ptr<MappingHandle> handle;
    {
        std::lock_guard<std::mutex> lock(RegistryMutex());
        auto found = Handles().find(object);
        if (found != Handles().end()) {
            handle = std::move(found->second);
            Handles().erase(found);
        }
    }
    if (handle == nullptr) {
        t_lastError = EBADF;
        return 0;
    }
    // The descriptor closes with the last reference, here unless a call on
    // another thread is still using it. Views stay valid, as on Windows.
    return 1;
}

DWORD GetLastError() {
    return t_lastError;
}

void SetLastError(DWORD code) {
    t_lastError = code;
}

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer, DWORD size,
                     va_list*) {
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) {
        t_lastError = EINVAL;
        return 0;
    }
    const std::string text = SystemMessage(messageId);
    const DWORD length = static_cast<DWORD>(text.size());
    if ((flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
        char* copy = static_cast<char*>(std::malloc(text.size() + 1));
        if (copy == nullptr) {
            t_lastError = ENOMEM;
            return 0;
        }
        std::memcpy(copy, text.c_str(), text.size() + 1);
        *reinterpret_cast<char**>(buffer) = copy;
        return length;
    }
    if (size <= length) {
        t_lastError = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return length;
}

HLOCAL LocalFree(HLOCAL memory) {
    std::free(memory);
    return nullptr;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR filename, DWORD size) {
    // Only the executable itself is known here; there are no loaded modules.
    if (module != nullptr) {
        t_lastError = EINVAL;
        return 0;
    }
    if (size == 0) {
        t_lastError = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    if (filename == nullptr) {
        t_lastError = EINVAL;
        return 0;
    }
    // readlink does not say whether it cut the path, so grow until it fits.
    std::string path(PATH_MAX, '\0');
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            t_lastError = static_cast<DWORD>(errno);
            return 0;
        }
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            break;
        }
        path.resize(path.size() * 2);
    }
    if (path.size() < size) {
        std::memcpy(filename, path.c_str(), path.size() + 1);
        t_lastError = 0;
        return static_cast<DWORD>(path.size());
    }
    // Too small: cut to fit and still terminate, as Windows since Vista does.
    std::memcpy(filename, path.data(), size - 1);
    filename[size - 1] = '\0';
    t_lastError = ERROR_INSUFFICIENT_BUFFER;
    return size;
}

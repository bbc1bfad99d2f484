// What a POSIX mapping HANDLE stands for, shared by the files of the POSIX
// platform layer only; callers outside platform/ see an opaque HANDLE.
#pragma once

#include "platform/Platform.h"

#include <limits.h>
#include <unistd.h>

#include <memory>

// Closed when the last reference goes: a call that found the handle in the
// registry keeps its descriptor open even if another thread closes the handle
// meanwhile, so the descriptor number is never reused under it.
struct MappingHandle {
    int fd = -1;
    bool writable = false;
    char name[NAME_MAX + 2] = {}; // leading slash, name, terminator

    MappingHandle() = default;
    MappingHandle(const MappingHandle&) = delete;
    MappingHandle& operator=(const MappingHandle&) = delete;
    ~MappingHandle() {
        if (fd >= 0)
            close(fd);
    }
};

// The live handle, or null (an unknown or closed handle). The copy is taken
// under the registry lock and keeps the descriptor open while it is held.
std::shared_ptr<const MappingHandle> FindMapping(HANDLE handle);

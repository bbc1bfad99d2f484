// Whether a mapped block still stands as it was mapped. On POSIX another
// program may shrink the object behind a mapping (touching past its new end
// raises SIGBUS) or remove its name and create a new object under it, while
// every holder keeps its old mapping; an attachment asks from time to time.
// On Windows a view cannot shrink and a held name cannot be replaced, so both
// answers there are "unchanged".
#pragma once

#include "platform/Platform.h"

#include <cstdint>

// Whether the object behind a mapping handle still has at least `bytes`
// bytes; `size` receives its size now (on Windows, `bytes`). A closed or
// unknown handle answers false with size 0 and the last error EBADF.
// POSIX: one fstat of the handle's descriptor.
bool MappingCovers(HANDLE mapping, std::uint64_t bytes, std::uint64_t& size);

enum class MappingName {
    Same,     // the name still names the handle's object
    Replaced, // the name now names another object
    Missing,  // nothing has the name any more
};

// Whether the name a mapping handle was opened by still refers to the object
// the handle holds. A closed or unknown handle answers Missing with the last
// error EBADF; a name that cannot be looked at answers Same, as nothing is
// known to have changed. POSIX: a stat of the name and an fstat.
MappingName CheckMappingName(HANDLE mapping);

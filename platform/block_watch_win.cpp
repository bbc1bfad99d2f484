// Windows: a view cannot shrink under its holder and a name stays with its
// mapping while any handle is open, so nothing ever changes.
#include "platform/BlockWatch.h"

bool MappingCovers(HANDLE, std::uint64_t bytes, std::uint64_t& size) {
    size = bytes;
    return true;
}

MappingName CheckMappingName(HANDLE) {
    return MappingName::Same;
}

// Windows: a view cannot shrink under its holder, so no access to it faults.
#include "platform/FaultGuard.h"

int GuardMappedRange(void*, std::size_t) {
    return 0;
}

bool MappedRangeFaulted(int) {
    return false;
}

void UnguardMappedRange(int) {}

// Windows: the Win32 calls in Platform.h are the system's own. Only the
// additions that Windows lacks live here.
#include "platform/Platform.h"

SIZE_T GetMappedViewSize(LPCVOID view) {
    MEMORY_BASIC_INFORMATION info;
    if (view == nullptr || VirtualQuery(view, &info, sizeof info) == 0 ||
        info.AllocationBase != view || info.Type != MEM_MAPPED)
        return 0;
    // A view is one allocation; sum its committed regions, whole pages.
    SIZE_T size = 0;
    const char* next = static_cast<const char*>(view);
    while (VirtualQuery(next, &info, sizeof info) != 0 && info.AllocationBase == view &&
           info.State == MEM_COMMIT) {
        size += info.RegionSize;
        next += info.RegionSize;
    }
    return size;
}

#include "web/tests/Wine.h"

#include <windows.h>

bool RunningUnderWine() {
    // Wine's own ntdll exports this; Windows' does not.
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

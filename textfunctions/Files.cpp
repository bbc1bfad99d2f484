#include "configcontrol/ConfigControl.h"
#include "platform/Platform.h"
#include "textfunctions/TextFunctions.h"

#include <cstring>

static const char kFilesRevision[] = "%Z% TextFunctions TS3102:03 Files $Revision: 1.2 $";

void RegisterFiles() {
    RegisterConfigString(kFilesRevision);
}

char* RemoveFileName(char* path) {
    if (!path)
        return path;
    if (char* last = std::strrchr(path, '\\'))
        *last = '\0';
    return path;
}

// The last separator after the path's first character, or null.
static char* LastSeparatorAfterFirst(char* path, char separator) {
    char* last = std::strrchr(path, separator);
    return last && last != path ? last : nullptr;
}

char* CutToModuleDirectory(char* path) {
    char* cut = nullptr;
    if (!std::strchr(path, '\\')) {
        // Only a POSIX system gives a program path without a backslash.
        cut = LastSeparatorAfterFirst(path, '/');
    } else if (char* exe = std::strstr(path, ".exe")) {
        // A directory name holding ".exe" wins: the cut is made before it.
        for (char* p = exe; p > path && !cut; --p)
            if (*p == '\\')
                cut = p;
    } else {
        cut = LastSeparatorAfterFirst(path, '\\');
    }
    if (cut)
        *cut = '\0';
    return path;
}

void GetModuleDirectory(char* buffer, int size) {
    if (size <= 0)
        return;
    const DWORD length = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(size));
    // A failed call, or a path cut to fit, names no directory we can trust.
    if (length == 0 || length >= static_cast<DWORD>(size)) {
        buffer[0] = '\0';
        return;
    }
    buffer[length] = '\0';
    CutToModuleDirectory(buffer);
}

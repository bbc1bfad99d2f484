// The Windows named mapping behind a block name. Windows keeps no file for
// it: it exists while some process holds a handle, its size is what a view
// of it covers, and no call removes it while it is held.
#include "tools/simblock/BlockAccess.h"

#include "platform/Platform.h"
#include "tools/simblock/Console.h"

#include <cstdio>

namespace simblock {

std::string ObjectPath(const std::string& name) {
    return name;
}

bool CheckBlockName(const std::string& name, std::string& error) {
    // A backslash would name a kernel-object directory such as Global\.
    if (name.empty() || name.find('\\') != std::string::npos || name.size() >= MAX_PATH) {
        error = "'" + name + "' is no block name: give 1 to " + std::to_string(MAX_PATH - 1) +
                " characters without a backslash";
        return false;
    }
    return true;
}

ObjectInfo ExamineObject(const std::string& name) {
    ObjectInfo info;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    if (mapping == nullptr) {
        const DWORD code = GetLastError();
        info.error = code == ERROR_FILE_NOT_FOUND ? 0 : static_cast<int>(code);
        return info;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (view == nullptr) {
        info.error = static_cast<int>(GetLastError());
        CloseHandle(mapping);
        return info;
    }
    info.exists = true;
    // Whole pages, as the pedestal itself judges a block.
    info.size = GetMappedViewSize(view);
    // The default security of a session's named objects: every process of the
    // session may read and write.
    info.mode = 0666;
    info.owner = "session";
    info.group = "session";
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return info;
}

int RemoveObject(const std::string& name) {
    // A mapping goes when its last handle closes; nothing else removes it.
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    if (mapping == nullptr)
        return static_cast<int>(GetLastError());
    CloseHandle(mapping);
    return ERROR_NOT_SUPPORTED;
}

void HoldBlock(const std::string& name) {
    // Never closed: the process's end lets the block go.
    OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
}

void WaitHoldingBlock(const std::string& name) {
    std::printf("holding %s: a Windows block lives while a process holds it; Ctrl+C lets it go\n",
                name.c_str());
    std::fflush(stdout);
    CatchStopSignals();
    while (!StopRequested())
        Sleep(100);
}

bool IsMissingError(int code) {
    return code == ERROR_FILE_NOT_FOUND;
}

bool IsPermissionError(int code) {
    return code == ERROR_ACCESS_DENIED;
}

std::string SystemText(int code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = length > 0 && text != nullptr ? std::string(text, length)
                                                       : "system error " + std::to_string(code);
    LocalFree(text);
    // One line, as strerror gives it.
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                               result.back() == ' ' || result.back() == '.'))
        result.pop_back();
    return result;
}

} // namespace simblock

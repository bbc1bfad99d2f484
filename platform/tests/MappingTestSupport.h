// What the mapping tests of every platform share: names that no other test or
// process uses, and a page-file mapping made the way the block code makes one.
#pragma once

#include "platform/Platform.h"

#include <unistd.h>

#include <string>

namespace mappingtest {

// "PedestalTest_<pid>_<tag>": unique per process and test, never the real
// block's name.
inline std::string UniqueName(const std::string& tag) {
    return "PedestalTest_" + std::to_string(getpid()) + "_" + tag;
}

inline HANDLE Create(const std::string& name, DWORD size) {
    return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str());
}

} // namespace mappingtest

// POSIX tests' block names: the object behind a name is removed before the
// test and again on scope exit, whatever the test did with it.
#pragma once

#include "platform/tests/MappingTestSupport.h"

#include <sys/mman.h>

#include <string>

namespace mappingtest {

class ScopedName {
public:
    explicit ScopedName(const std::string& tag) : name(UniqueName(tag)) {
        shm_unlink(path().c_str());
    }
    ~ScopedName() { shm_unlink(path().c_str()); }
    ScopedName(const ScopedName&) = delete;
    ScopedName& operator=(const ScopedName&) = delete;

    const char* c_str() const { return name.c_str(); }
    const std::string& str() const { return name; }
    // The object's name for shm_open.
    std::string path() const { return "/" + name; }

    const std::string name;
};

} // namespace mappingtest

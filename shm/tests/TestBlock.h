// A base block that sets its name and size as a derived class does, and
// shows the fields the tests look at: the POSIX and Windows tests share it.
#pragma once

#include "shm/BaseSharedMemory.h"

#include <cstdint>
#include <string>

namespace shmtest {

class TestBlock : public BaseSharedMemory {
public:
    TestBlock(const std::string& name, std::uint32_t size) {
        SetName(name.c_str());
        m_Size = size;
    }
    using BaseSharedMemory::m_hMapping;
    using BaseSharedMemory::m_Name;
    using BaseSharedMemory::SetName;
    unsigned char* bytes() const { return static_cast<unsigned char*>(GetData()); }
};

} // namespace shmtest

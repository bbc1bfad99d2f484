// Shared helpers of the fuzz targets: an invariant check that stops the run
// with a message libFuzzer keeps beside the reproducer, and buffers with guard
// bytes behind their usable size. The guard bytes are poisoned for
// AddressSanitizer, so any read or write past the bound is reported at once
// with its stack; their values are checked as well for builds without it.
#pragma once

#include <sanitizer/asan_interface.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #cond);      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

inline constexpr unsigned char kGuard = 0xA5;
inline constexpr std::size_t kGuardBytes = 16;

// A buffer of exactly `size` usable bytes followed by guard bytes. The usable
// bytes start as `fill`.
class Guarded {
public:
    explicit Guarded(std::size_t size, unsigned char fill = 0)
        : m_Size(size), m_Bytes(size + kGuardBytes, kGuard) {
        std::memset(m_Bytes.data(), fill, size);
        ASAN_POISON_MEMORY_REGION(m_Bytes.data() + size, kGuardBytes);
    }
    ~Guarded() { ASAN_UNPOISON_MEMORY_REGION(m_Bytes.data() + m_Size, kGuardBytes); }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;
    char* data() { return reinterpret_cast<char*>(m_Bytes.data()); }
    std::size_t size() const { return m_Size; }
    bool GuardIntact() const {
        ASAN_UNPOISON_MEMORY_REGION(m_Bytes.data() + m_Size, kGuardBytes);
        bool intact = true;
        for (std::size_t i = m_Size; i < m_Bytes.size(); ++i)
            if (m_Bytes[i] != kGuard)
                intact = false;
        ASAN_POISON_MEMORY_REGION(m_Bytes.data() + m_Size, kGuardBytes);
        return intact;
    }
    // Index of the first NUL within the usable bytes, or size() if none.
    std::size_t TerminatorIndex() const {
        const void* nul = std::memchr(m_Bytes.data(), 0, m_Size);
        return nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) -
                                              m_Bytes.data())
                   : m_Size;
    }

private:
    std::size_t m_Size;
    std::vector<unsigned char> m_Bytes;
};

// Texts stop at their first NUL, as the routines see them.
inline std::string CText(std::string bytes) {
    bytes.resize(std::strlen(bytes.c_str()));
    return bytes;
}

} // namespace fuzz

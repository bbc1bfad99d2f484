// The one line an attach helper prints about its attachment, and the process
// tests' reading of it: the POSIX and Windows twins speak the same format.
#pragma once

#include "shm/TS_P_0001_02_Shm.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>

namespace shmproc {

inline constexpr char kVersion[] = " TS_P_0001_02_genericSim $Revision: 5.4.0";
// A byte of the simulator's area: only tests use it.
inline constexpr std::size_t kMarkerOffset = 4000;
inline constexpr unsigned char kMarker = 0x4D;

struct Claim {
    int wrote = 0;
    int count = -1;
};

// Claims the marker byte if no other helper has, and reads the user count,
// both atomically against the helpers beside this one.
inline Claim ClaimMarker(TS_P_0001_02_Shm& shm) {
    Claim claim;
    if (!shm.IsValid())
        return claim;
    auto* bytes = reinterpret_cast<unsigned char*>(shm.GetBlock());
    unsigned char expected = 0;
    claim.wrote = std::atomic_ref<unsigned char>(bytes[kMarkerOffset])
                      .compare_exchange_strong(expected, kMarker);
    claim.count = std::atomic_ref<std::int32_t>(shm.GetBlock()->userCount).load();
    return claim;
}

// An error text on one line: its line ends become '|' and '~'.
inline std::string OneLine(const char* text) {
    std::string line;
    for (const char* p = text; *p != '\0'; ++p)
        line += *p == '\n' ? '|' : *p == '\r' ? '~' : *p;
    return line;
}

// "event key=value ... error=TEXT" as a map, the first word under "event".
// The error text comes last and may hold blanks.
inline std::map<std::string, std::string> ParseLine(std::string text) {
    std::map<std::string, std::string> fields;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    const std::size_t error = text.find(" error=");
    if (error != std::string::npos) {
        fields["error"] = text.substr(error + 7);
        text.resize(error);
    }
    std::istringstream words(text);
    std::string word;
    words >> fields["event"];
    while (words >> word) {
        const std::size_t equals = word.find('=');
        if (equals != std::string::npos)
            fields[word.substr(0, equals)] = word.substr(equals + 1);
    }
    return fields;
}

} // namespace shmproc

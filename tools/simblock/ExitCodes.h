// The tool's exit codes; each failure that a script may want to tell apart
// has its own.
#pragma once

namespace simblock {

enum class Exit : int {
    Ok = 0,
    Failure = 1,        // the system refused (permissions, files), or a report failed
    Usage = 2,          // bad arguments, refused settings, malformed recording
    Missing = 3,        // no block of that name
    TooSmall = 4,       // the block is smaller than the layout
    ForeignVersion = 5, // the block carries another layout version
    InUse = 6,          // remove refused: users are attached
    Exists = 7,         // create refused: the block exists already
};

inline constexpr const char* kExitCodeHelp = "Exit codes: 0 done; 1 system or file failure; 2 bad "
                                             "arguments or settings; 3 no such block; 4 block too "
                                             "small; 5 block of another layout version; 6 block in "
                                             "use; 7 block exists already.";

} // namespace simblock

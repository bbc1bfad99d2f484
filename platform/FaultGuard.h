// Survives a bus error inside a registered mapped view. On POSIX a program
// that shrinks a shared object makes every touch past its new end raise
// SIGBUS, which would kill this process. A fault inside a guarded range puts
// anonymous zero pages over the whole range and marks it faulted: the access
// goes on (reads give zeros, writes reach nobody) and the owner, who polls
// the mark, treats the block as lost. Every other SIGBUS keeps the action it
// had before the first guard. On Windows views cannot shrink; nothing is
// guarded and nothing ever faults.
#pragma once

#include <cstddef>

// Registers [address, address + bytes). Returns the guard's number, or -1 when
// every slot is taken (the range is then unguarded). Safe against the handler
// running on any thread; the first call installs it.
int GuardMappedRange(void* address, std::size_t bytes);
// Whether a fault has hit the guarded range; false for -1.
bool MappedRangeFaulted(int guard);
// Ends the guard before the range is unmapped; waits for a handler that is
// running at that moment. -1 does nothing.
void UnguardMappedRange(int guard);

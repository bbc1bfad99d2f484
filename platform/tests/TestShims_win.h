// POSIX calls that a few portable tests use for scratch space, for their
// Windows builds; force-included there, never part of a program.
#pragma once

#include <direct.h>
#include <io.h>

#include <cstring>

inline char* mkdtemp(char* pattern) {
    if (_mktemp_s(pattern, std::strlen(pattern) + 1) != 0 || _mkdir(pattern) != 0)
        return nullptr;
    return pattern;
}

// Breaking a time into UTC fields, thread-safely: gmtime_r on POSIX systems,
// gmtime_s on Windows, whose C library has no gmtime_r.
#pragma once

#include <ctime>

// True when the time could be broken down; fields are then set.
bool BreakUtcTime(std::time_t time, std::tm& fields);

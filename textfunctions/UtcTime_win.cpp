#include "textfunctions/UtcTime.h"

// The Microsoft gmtime_s: destination first, 0 on success.
bool BreakUtcTime(std::time_t time, std::tm& fields) {
    return gmtime_s(&fields, &time) == 0;
}

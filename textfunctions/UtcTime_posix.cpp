#include "textfunctions/UtcTime.h"

bool BreakUtcTime(std::time_t time, std::tm& fields) {
    return gmtime_r(&time, &fields) != nullptr;
}

#include "configcontrol/ConfigControl.h"
#include "textfunctions/TextFunctions.h"
#include "textfunctions/UtcTime.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

static const char kFormatsRevision[] = "%z% TextFunctions TS3102  Formats $Revision: 1.10 $";

void RegisterFormats() {
    RegisterConfigString(kFormatsRevision);
}

namespace {

// A value cut toward zero and what is left over. Beyond the int range the
// whole part saturates and nothing is left, so no field outgrows its room;
// NaN gives 0 and passes on in the remainder.
struct Cut {
    int whole;
    double rest;
};

Cut CutTowardZero(double value) {
    if (value > -2147483649.0 && value < 2147483648.0) {
        const int whole = static_cast<int>(value);
        return {whole, value - whole};
    }
    if (std::isnan(value))
        return {0, value};
    return {value > 0 ? INT_MAX : INT_MIN, 0.0};
}

// Negative zero and NaN take the letter of 0 or more.
char HemisphereLetter(double value, int axis) {
    if (axis == kLatitude)
        return value < 0 ? 'S' : 'N';
    if (axis == kLongitude)
        return value < 0 ? 'W' : 'E';
    return '?';
}

// roundUp is 0.5 for the hemisphere forms; the seconds never carry into the
// minutes, so 59.5 seconds and more print as 60.
char* FormatDms(char* dest, char letter, double arcSeconds, double roundUp) {
    const Cut degrees = CutTowardZero(std::fabs(arcSeconds / 3600));
    const Cut minutes = CutTowardZero(degrees.rest * 60);
    const Cut seconds = CutTowardZero(minutes.rest * 60 + roundUp);
    // Degrees of 1000 and more would need more than the 11 bytes callers give.
    std::snprintf(dest, kDmsSize, "%c%03d:%02d:%02d", letter, degrees.whole, minutes.whole,
                  seconds.whole);
    return dest;
}

struct Position {
    int degrees;
    int minutes;
    int tenths;
};

// Nothing is rounded. False beyond -360..360 and for NaN.
bool SplitPosition(double value, Position& p) {
    if (!(value >= -360.0 && value <= 360.0))
        return false;
    const double a = std::fabs(value);
    p.degrees = static_cast<int>(a);
    const double minutes = (a - p.degrees) * 60;
    p.minutes = static_cast<int>(minutes);
    p.tenths = static_cast<int>((minutes - p.minutes) * 10);
    return true;
}

// Splits the value, or delivers the empty text (its first byte only, and only
// into a destination that has one) and answers false.
bool SplitOrEmpty(char* dest, int size, double degrees, Position& p) {
    if (SplitPosition(degrees, p))
        return true;
    if (size > 0)
        dest[0] = '\0';
    return false;
}

// In the manner of strncpy with count 10: the text, then zero bytes up to
// the tenth.
void CopyToField(char* dest, const char* text) {
    const std::size_t length = strnlen(text, kPositionFieldSize);
    std::memcpy(dest, text, length);
    std::memset(dest + length, 0, kPositionFieldSize - length);
}

} // namespace

char* FormatSexagesimal(char* dest, double seconds) {
    const Cut hours = CutTowardZero(seconds / 3600);
    const Cut minutes = CutTowardZero(hours.rest * 60);
    std::snprintf(dest, kSexagesimalSize, "% 5d:% 2d:% 2.5f", hours.whole, minutes.whole,
                  minutes.rest * 60);
    return dest;
}

char* FormatSexagesimalMinutes(char* dest, double seconds) {
    const Cut hours = CutTowardZero(seconds / 3600);
    std::snprintf(dest, kSexagesimalMinutesSize, "%+4d:%05.3f", hours.whole, hours.rest * 60);
    return dest;
}

char* FormatSignedDms(char* dest, double arcSeconds) {
    return FormatDms(dest, arcSeconds < 0 ? '-' : '+', arcSeconds, 0.0);
}

char* FormatArcSecondsDms(char* dest, double arcSeconds, int axis) {
    return FormatDms(dest, HemisphereLetter(arcSeconds, axis), arcSeconds, 0.5);
}

char* FormatArcSecondsDmsByFlag(char* dest, double arcSeconds, int isLatitude) {
    const int axis = isLatitude == 1 ? kLatitude : isLatitude == 0 ? kLongitude : -1;
    return FormatArcSecondsDms(dest, arcSeconds, axis);
}

char* FormatDegreesDms(char* dest, double degrees, int axis) {
    return FormatDms(dest, HemisphereLetter(degrees, axis), degrees * 3600, 0.5);
}

char* FormatRadiansDms(char* dest, double radians, int axis) {
    return FormatDms(dest, HemisphereLetter(radians, axis), radians * 57.29577951308232 * 3600,
                     0.5);
}

// For an axis other than latitude and longitude the position forms deliver
// the empty text rather than work bytes that were never written.
char* FormatPosition(char* dest, double degrees, int axis) {
    Position p;
    if (!SplitOrEmpty(dest, kPositionFieldSize, degrees, p))
        return dest;
    char work[256];
    work[0] = '\0';
    if (axis == kLatitude || axis == kLongitude)
        std::snprintf(work, sizeof work, axis == kLatitude ? "%02d%02d.%1d%c" : "%03d%02d.%1d%c",
                      p.degrees, p.minutes, p.tenths, HemisphereLetter(degrees, axis));
    CopyToField(dest, work);
    return dest;
}

char* FormatPositionMarked(char* dest, int size, double degrees, int axis) {
    Position p;
    if (!SplitOrEmpty(dest, size, degrees, p))
        return dest;
    char work[256];
    work[0] = '\0';
    if (axis == kLatitude || axis == kLongitude)
        std::snprintf(work, sizeof work, axis == kLatitude ? "%02d^%02d.%1d%c" : "%03d^%02d.%1d%c",
                      p.degrees, p.minutes, p.tenths, HemisphereLetter(degrees, axis));
    CopyBounded(dest, work, size);
    return dest;
}

char* FormatPositionDegrees(char* dest, double degrees, int axis) {
    Position p;
    if (!SplitOrEmpty(dest, kPositionFieldSize, degrees, p))
        return dest;
    char work[256];
    work[0] = '\0';
    if (axis == kLatitude || axis == kLongitude)
        std::snprintf(work, sizeof work, axis == kLatitude ? "%02d%c" : "%03d%c", p.degrees,
                      HemisphereLetter(degrees, axis));
    CopyToField(dest, work);
    return dest;
}

char* FormatPositionLetterFirst(char* dest, double degrees, unsigned char isLatitude) {
    Position p;
    if (!SplitOrEmpty(dest, kPositionFieldSize, degrees, p))
        return dest;
    const int axis = isLatitude ? kLatitude : kLongitude;
    char work[20];
    FormatIntoBuffer(work, sizeof work, isLatitude ? "%c%02d%02d.%1d" : "%c%03d%02d.%1d",
                     HemisphereLetter(degrees, axis), p.degrees, p.minutes, p.tenths);
    CopyToField(dest, work);
    return dest;
}

char* FormatUtcHoursMinutes(char* dest, const std::int32_t* time) {
    char work[16] = "xx:xx";
    std::tm fields;
    // Windows cannot break down a time before 1970, and the text must not
    // depend on the platform.
    if (time && *time >= 0) {
        if (BreakUtcTime(*time, fields))
            std::snprintf(work, sizeof work, "%02d:%02d", fields.tm_hour, fields.tm_min);
    }
    std::memcpy(dest, work, kUtcHoursMinutesSize - 1);
    dest[kUtcHoursMinutesSize - 1] = '\0';
    return dest;
}

char BoolLetter(int value) {
    return static_cast<unsigned char>(value) ? 'T' : 'F';
}

// The angle, position, time and number formats with arbitrary doubles: NaN,
// infinities, negative zero, huge and subnormal values. Destinations are
// guarded buffers of exactly the size each contract names; where a value's
// text is defined, it is compared with a model that follows the same steps.
#include "fuzz/FuzzCheck.h"
#include "textfunctions/TextFunctions.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <iterator>
#include <string>

namespace {

using fuzz::Guarded;

constexpr double kIntLimit = 2147483648.0;

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    FUZZ_CHECK(n >= 0 && n < static_cast<int>(sizeof text));
    return text;
}

std::string Written(Guarded& dest) {
    return std::string(dest.data(), dest.TerminatorIndex());
}

bool FitsInt(double v) {
    return std::isfinite(v) && std::fabs(v) < kIntLimit;
}

// ---- Degrees, minutes and seconds ------------------------------------------

enum class Dms { Signed, ArcSeconds, ByFlag, Degrees, Radians };

char* RunDms(Dms form, char* dest, double v, int selector) {
    switch (form) {
    case Dms::Signed:
        return FormatSignedDms(dest, v);
    case Dms::ArcSeconds:
        return FormatArcSecondsDms(dest, v, selector);
    case Dms::ByFlag:
        return FormatArcSecondsDmsByFlag(dest, v, selector);
    case Dms::Degrees:
        return FormatDegreesDms(dest, v, selector);
    case Dms::Radians:
        return FormatRadiansDms(dest, v, selector);
    }
    return nullptr;
}

char DmsLetter(Dms form, double v, int selector) {
    const bool negative = v < 0;
    if (form == Dms::Signed)
        return negative ? '-' : '+';
    int axis = selector;
    if (form == Dms::ByFlag)
        axis = selector == 1 ? kLatitude : selector == 0 ? kLongitude : -1;
    if (axis == kLatitude)
        return negative ? 'S' : 'N';
    if (axis == kLongitude)
        return negative ? 'W' : 'E';
    return '?';
}

void FuzzDms(Dms form, double v, int selector) {
    double a = v;
    if (form == Dms::Degrees)
        a = v * 3600;
    else if (form == Dms::Radians)
        a = v * 57.29577951308232 * 3600;
    const double d = std::fabs(a / 3600);
    Guarded dest(kDmsSize, 0xEE);
    FUZZ_CHECK(RunDms(form, dest.data(), v, selector) == dest.data());
    FUZZ_CHECK(dest.GuardIntact());
    FUZZ_CHECK(dest.TerminatorIndex() < dest.size());
    if (!FitsInt(d)) {
        // Saturated whole parts: only the letter is certain.
        if (!std::isnan(v))
            FUZZ_CHECK(dest.data()[0] == DmsLetter(form, v, selector));
        return;
    }
    const int D = static_cast<int>(d);
    const double m = (d - D) * 60;
    const int M = static_cast<int>(m);
    const double r = (m - M) * 60;
    const int S = static_cast<int>(form == Dms::Signed ? r : r + 0.5);
    std::string expected = Printf("%c%03d:%02d:%02d", DmsLetter(form, v, selector), D, M, S);
    // From 1000 degrees on the text is cut to the destination.
    if (expected.size() > kDmsSize - 1)
        expected.resize(kDmsSize - 1);
    FUZZ_CHECK(Written(dest) == expected);
}

// ---- Sexagesimal -----------------------------------------------------------

void FuzzSexagesimal(double s, bool minutesOnly) {
    const double h = s / 3600;
    Guarded dest(minutesOnly ? kSexagesimalMinutesSize : kSexagesimalSize, 0xEE);
    char* result =
        minutesOnly ? FormatSexagesimalMinutes(dest.data(), s) : FormatSexagesimal(dest.data(), s);
    FUZZ_CHECK(result == dest.data());
    FUZZ_CHECK(dest.GuardIntact());
    FUZZ_CHECK(dest.TerminatorIndex() < dest.size());
    if (!FitsInt(h))
        return;
    const int H = static_cast<int>(h);
    const double m = (h - H) * 60;
    if (minutesOnly) {
        FUZZ_CHECK(Written(dest) == Printf("%+4d:%05.3f", H, m));
        return;
    }
    const int M = static_cast<int>(m);
    const double r = (m - M) * 60;
    FUZZ_CHECK(Written(dest) == Printf("% 5d:% 2d:% 2.5f", H, M, r));
}

// ---- Positions ----------------------------------------------------------------

enum class Position { Plain, Marked, Degrees, LetterFirst };

std::string PositionText(Position form, double x, int axis) {
    const double a = std::fabs(x);
    const int D = static_cast<int>(a);
    const double m = (a - D) * 60;
    const int M = static_cast<int>(m);
    const int T = static_cast<int>((m - M) * 10);
    const bool latitude = axis == kLatitude;
    const char letter = latitude ? (x < 0 ? 'S' : 'N') : (x < 0 ? 'W' : 'E');
    switch (form) {
    case Position::Plain:
        return latitude ? Printf("%02d%02d.%1d%c", D, M, T, letter)
                        : Printf("%03d%02d.%1d%c", D, M, T, letter);
    case Position::Marked:
        return latitude ? Printf("%02d%c%02d.%1d%c", D, '^', M, T, letter)
                        : Printf("%03d%c%02d.%1d%c", D, '^', M, T, letter);
    case Position::Degrees:
        return latitude ? Printf("%02d%c", D, letter) : Printf("%03d%c", D, letter);
    case Position::LetterFirst:
        return latitude ? Printf("%c%02d%02d.%1d", letter, D, M, T)
                        : Printf("%c%03d%02d.%1d", letter, D, M, T);
    }
    return {};
}

void FuzzPosition(Position form, double x, int axis, int markedSize) {
    const std::size_t size =
        form == Position::Marked ? static_cast<std::size_t>(markedSize) : kPositionFieldSize;
    Guarded dest(size, 0xEE);
    char* result = nullptr;
    switch (form) {
    case Position::Plain:
        result = FormatPosition(dest.data(), x, axis);
        break;
    case Position::Marked:
        result = FormatPositionMarked(dest.data(), markedSize, x, axis);
        break;
    case Position::Degrees:
        result = FormatPositionDegrees(dest.data(), x, axis);
        break;
    case Position::LetterFirst:
        result = FormatPositionLetterFirst(dest.data(), x,
                                           static_cast<unsigned char>(axis == kLatitude));
        break;
    }
    FUZZ_CHECK(result == dest.data());
    FUZZ_CHECK(dest.GuardIntact());
    if (std::isnan(x) || x < -360 || x > 360) {
        // The empty text, and only its first byte written.
        FUZZ_CHECK(dest.data()[0] == '\0');
        for (std::size_t i = 1; i < size; ++i)
            FUZZ_CHECK(static_cast<unsigned char>(dest.data()[i]) == 0xEE);
        return;
    }
    std::string expected = PositionText(form, x, axis);
    if (form == Position::Marked && expected.size() > size - 1)
        expected.resize(size - 1);
    FUZZ_CHECK(Written(dest) == expected);
    // Delivered in the manner of strncpy: zeros up to the end of the field.
    for (std::size_t i = expected.size(); i < size; ++i)
        FUZZ_CHECK(dest.data()[i] == '\0');
}

void FuzzUtc(std::int32_t time) {
    Guarded dest(kUtcHoursMinutesSize, 0xEE);
    FUZZ_CHECK(FormatUtcHoursMinutes(dest.data(), &time) == dest.data());
    FUZZ_CHECK(dest.GuardIntact());
    const std::string expected = time < 0
                                     ? std::string("xx:xx")
                                     : Printf("%02d:%02d", static_cast<int>(time % 86400 / 3600),
                                              static_cast<int>(time % 3600 / 60));
    FUZZ_CHECK(Written(dest) == expected);
    Guarded none(kUtcHoursMinutesSize, 0xEE);
    FormatUtcHoursMinutes(none.data(), nullptr);
    FUZZ_CHECK(Written(none) == "xx:xx");
}

// ---- Number formats -------------------------------------------------------------

void FuzzFormatFixed(double value, int precision) {
    // Values of 10^240 and more overrun the 256-byte buffer by contract.
    if (std::isfinite(value) && std::fabs(value) >= 1e240)
        return;
    static const char* const kFormats[] = {"% 10.0f", "% 10.1f", "% 10.2f",
                                           "% 10.3f", "% 10.4f", "% 10.5f"};
    const char* format = kFormats[precision >= 0 && precision <= 4 ? precision : 5];
    char expected[512];
    std::snprintf(expected, sizeof expected, format, value);
    const char* text = FormatFixed(value, precision);
    FUZZ_CHECK(text != nullptr);
    FUZZ_CHECK(std::strlen(text) < 256);
    FUZZ_CHECK(std::strcmp(text, expected) == 0);
}

int ModelParseHex(const std::string& text) {
    if (text.size() > 18)
        return -1;
    const auto x = text.find("0x");
    const std::string digits = x == std::string::npos ? text : text.substr(x + 2);
    std::uint32_t total = 0;
    std::uint32_t power = 1;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        const char c = *it;
        std::uint32_t worth = 0;
        if (c >= '0' && c <= '9')
            worth = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'A' && c <= 'F')
            worth = static_cast<std::uint32_t>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            worth = static_cast<std::uint32_t>(c - 'a' + 10);
        else
            return -1;
        total += worth * power;
        power *= 16;
    }
    return static_cast<std::int32_t>(total);
}

int ModelTextKey(const std::string& text) {
    static const std::uint32_t kWeights[] = {16777216, 65536, 256, 1};
    std::uint32_t total = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // The character's value as a signed byte, -128 to 127, wrapped.
        const unsigned value = static_cast<unsigned char>(text[i]);
        const std::uint32_t byte = value < 128 ? value : value - 256u;
        total += byte * (i < 4 ? kWeights[i] : 1);
    }
    return static_cast<std::int32_t>(total);
}

void FuzzNumbers(const std::string& text, int integer) {
    Guarded copy(text.size() + 1);
    std::memcpy(copy.data(), text.c_str(), text.size() + 1);
    FUZZ_CHECK(ParseHex(copy.data()) == ModelParseHex(text));
    FUZZ_CHECK(TextKey(copy.data()) == ModelTextKey(text));
    FUZZ_CHECK(Written(copy) == text);
    const int low = integer & 0xFF;
    FUZZ_CHECK(DigitValue(integer) == (low >= '0' && low <= '9' ? low - '0' : -1));
    FUZZ_CHECK(BoolLetter(integer) == (low != 0 ? 'T' : 'F'));
    FUZZ_CHECK(ParseHex(nullptr) == 0);
    FUZZ_CHECK(TextKey(nullptr) == -1);
}

// Doubles from the input, with the interesting values made likely.
double ConsumeDouble(FuzzedDataProvider& in) {
    static const double kSpecial[] = {
        std::nan(""), -std::nan(""),   HUGE_VAL,         -HUGE_VAL,         -0.0,  0.0,
        360.0,        -360.0,          360.0000000001,   -360.0000000001,   1e240, -1e239,
        4.9e-324,     7730941132800.0, kIntLimit * 3600, -kIntLimit * 3600, 59.5,  59.49999999999,
        185399.6,     51.4775};
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return kSpecial[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kSpecial) - 1)];
    case 1:
        return in.ConsumeFloatingPointInRange(-400.0, 400.0);
    case 2:
        return static_cast<double>(in.ConsumeIntegral<std::int32_t>()) / 64.0;
    default: {
        // Any bit pattern, NaN payloads and subnormals included.
        const auto bits = in.ConsumeIntegral<std::uint64_t>();
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int group = in.ConsumeIntegralInRange(0, 4);
    const int selector = in.ConsumeIntegralInRange(-1, 3);
    const int axis = in.ConsumeBool() ? kLatitude : kLongitude;
    const int markedSize = in.ConsumeIntegralInRange(1, 16);
    const auto integer = in.ConsumeIntegral<int>();
    const double value = ConsumeDouble(in);

    switch (group) {
    case 0:
        FuzzDms(static_cast<Dms>(in.ConsumeIntegralInRange(0, 4)), value, selector);
        break;
    case 1:
        FuzzSexagesimal(value, in.ConsumeBool());
        break;
    case 2:
        FuzzPosition(static_cast<Position>(in.ConsumeIntegralInRange(0, 3)), value, axis,
                     markedSize);
        break;
    case 3:
        FuzzUtc(integer);
        FuzzFormatFixed(value, in.ConsumeBool() ? in.ConsumeIntegralInRange(-2, 7) : integer);
        break;
    default: {
        std::string text = in.ConsumeRemainingBytesAsString();
        text.resize(std::strlen(text.c_str())); // as the routines see it
        FuzzNumbers(text, integer);
        break;
    }
    }
    return 0;
}

#include "textfunctions/TextFunctions.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

namespace {

constexpr char kFill = '#';
constexpr int kGuarded = 40; // larger than every destination under test

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// A destination inside a larger array of fill bytes, so that every byte a call
// writes, and every byte it must leave alone, can be checked.
struct Guarded {
    char bytes[kGuarded];
    Guarded() { std::memset(bytes, kFill, sizeof bytes); }
    std::string All() const { return std::string(bytes, sizeof bytes); }
};

// The bytes a call should leave: the text, its terminator, zero bytes up to
// zeroFillTo, then the untouched fill.
std::string Bytes(const std::string& text, std::size_t zeroFillTo = 0) {
    std::string bytes = text;
    bytes.push_back('\0');
    if (bytes.size() < zeroFillTo)
        bytes.resize(zeroFillTo, '\0');
    bytes.resize(kGuarded, kFill);
    return bytes;
}

const std::string kUntouched(kGuarded, kFill);

// ---- Position forms ---------------------------------------------------------

struct PositionCase {
    double degrees;
    int axis;
    const char* text;
};

TEST(FormatPosition, FillsTenByteFieldWithCutDegreesMinutesAndTenths) {
    const PositionCase cases[] = {
        {51.4775, kLatitude, "5128.6N"}, // 28.65 minutes: the tenths are cut
        {-0.1275, kLongitude, "00007.6W"}, {-360.0, kLatitude, "36000.0S"},
        {360.0, kLongitude, "36000.0E"},   {5.5, kLongitude, "00530.0E"},
        {5.5, kLatitude, "0530.0N"},       {0.0, kLatitude, "0000.0N"},
        {-0.0, kLatitude, "0000.0N"},      {-0.0, kLongitude, "00000.0E"},
        {-0.0001, kLatitude, "0000.0S"},   {100.0, kLatitude, "10000.0N"},
        {9.999999, kLatitude, "0959.9N"},  {45.9375, kLatitude, "4556.2N"},
        {-179.99, kLongitude, "17959.4W"}, {359.9999, kLongitude, "35959.9E"},
    };
    for (const PositionCase& c : cases) {
        Guarded dest;
        EXPECT_EQ(FormatPosition(dest.bytes, c.degrees, c.axis), dest.bytes);
        EXPECT_EQ(dest.All(), Bytes(c.text, kPositionFieldSize)) << c.degrees;
    }
}

TEST(FormatPosition, OutOfRangeWritesOnlyAnEmptyText) {
    for (double degrees : {360.0001, -360.0001, 1e300, -kInf, kInf, kNaN, -kNaN}) {
        Guarded dest;
        EXPECT_EQ(FormatPosition(dest.bytes, degrees, kLatitude), dest.bytes);
        EXPECT_EQ(dest.All(), Bytes("")) << degrees;
    }
}

TEST(FormatPosition, UnknownAxisGivesZeroField) {
    for (int axis : {2, -1}) {
        Guarded dest;
        FormatPosition(dest.bytes, 51.4775, axis);
        EXPECT_EQ(dest.All(), Bytes("", kPositionFieldSize)) << axis;
    }
}

TEST(FormatPositionMarked, PutsCaretAfterDegreesAndCutsToSize) {
    struct Case {
        int size;
        double degrees;
        int axis;
        std::string bytes;
    };
    const Case cases[] = {
        {10, 51.4775, kLatitude, Bytes("51^28.6N", 10)},
        {10, -0.1275, kLongitude, Bytes("000^07.6W", 10)},
        {12, -360.0, kLongitude, Bytes("360^00.0W", 12)},
        {12, 100.0, kLatitude, Bytes("100^00.0N", 12)},
        {5, 51.4775, kLatitude, Bytes("51^2", 5)},
        {1, 51.4775, kLatitude, Bytes("", 1)},
        {0, 51.4775, kLatitude, kUntouched},
        {-1, 51.4775, kLatitude, kUntouched},
        {10, 51.4775, 2, Bytes("", 10)},
        {10, 360.5, kLatitude, Bytes("")},
        {10, kNaN, kLongitude, Bytes("")},
        {0, kNaN, kLongitude, kUntouched},
        {-5, 400.0, kLongitude, kUntouched},
    };
    for (const Case& c : cases) {
        Guarded dest;
        EXPECT_EQ(FormatPositionMarked(dest.bytes, c.size, c.degrees, c.axis), dest.bytes);
        EXPECT_EQ(dest.All(), c.bytes) << c.size << " " << c.degrees;
    }
}

TEST(FormatPositionDegrees, KeepsWholeDegreesAndLetter) {
    const PositionCase cases[] = {
        {51.9, kLatitude, "51N"},     {5.5, kLongitude, "005E"},   {-179.99, kLongitude, "179W"},
        {-0.0, kLatitude, "00N"},     {-0.5, kLatitude, "00S"},    {360.0, kLatitude, "360N"},
        {-360.0, kLongitude, "360W"}, {0.999, kLongitude, "000E"},
    };
    for (const PositionCase& c : cases) {
        Guarded dest;
        EXPECT_EQ(FormatPositionDegrees(dest.bytes, c.degrees, c.axis), dest.bytes);
        EXPECT_EQ(dest.All(), Bytes(c.text, kPositionFieldSize)) << c.degrees;
    }
    Guarded outside;
    FormatPositionDegrees(outside.bytes, -360.5, kLongitude);
    EXPECT_EQ(outside.All(), Bytes(""));
    Guarded unknownAxis;
    FormatPositionDegrees(unknownAxis.bytes, 51.9, 7);
    EXPECT_EQ(unknownAxis.All(), Bytes("", kPositionFieldSize));
}

TEST(FormatPositionLetterFirst, PutsLetterInFront) {
    struct Case {
        double degrees;
        unsigned char isLatitude;
        const char* text;
    };
    const Case cases[] = {
        {51.4775, 1, "N5128.6"},  {-51.4775, 1, "S5128.6"}, {-0.1275, 0, "W00007.6"},
        {0.1275, 0, "E00007.6"},  {10.5, 7, "N1030.0"},     {-360.0, 0, "W36000.0"},
        {360.0, 255, "N36000.0"}, {-0.0, 0, "E00000.0"},    {100.0, 1, "N10000.0"},
    };
    for (const Case& c : cases) {
        Guarded dest;
        EXPECT_EQ(FormatPositionLetterFirst(dest.bytes, c.degrees, c.isLatitude), dest.bytes);
        EXPECT_EQ(dest.All(), Bytes(c.text, kPositionFieldSize)) << c.degrees;
    }
    for (double degrees : {360.0001, kNaN, -kInf}) {
        Guarded dest;
        FormatPositionLetterFirst(dest.bytes, degrees, 1);
        EXPECT_EQ(dest.All(), Bytes("")) << degrees;
    }
}

// ---- Degrees, minutes and seconds -------------------------------------------

struct DmsCase {
    double value;
    int axis;
    const char* text;
};

void ExpectDms(char* (*format)(char*, double, int), const DmsCase& c) {
    Guarded dest;
    EXPECT_EQ(format(dest.bytes, c.value, c.axis), dest.bytes);
    EXPECT_EQ(dest.All(), Bytes(c.text)) << c.value << " axis " << c.axis;
}

TEST(FormatArcSecondsDms, RoundsSecondsWithoutCarry) {
    const DmsCase cases[] = {
        {185319.0, kLatitude, "N051:28:39"},
        {185399.6, kLatitude, "N051:29:60"},
        {59.6, kLatitude, "N000:00:60"},
        {59.4, kLatitude, "N000:00:59"},
        {3599.6, kLatitude, "N000:59:60"},
        {1.5, kLatitude, "N000:00:02"},
        {10.5, kLongitude, "E000:00:11"},
        {-185319.0, kLatitude, "S051:28:39"},
        {-185319.0, kLongitude, "W051:28:39"},
        {185319.0, kLongitude, "E051:28:39"},
        {-0.0, kLatitude, "N000:00:00"},
        {-0.0, kLongitude, "E000:00:00"},
        {999 * 3600.0 + 3599.4, kLatitude, "N999:59:59"},
        {185319.0, 2, "?051:28:39"},
        {-185319.0, -1, "?051:28:39"},
    };
    for (const DmsCase& c : cases)
        ExpectDms(FormatArcSecondsDms, c);
}

TEST(FormatArcSecondsDmsByFlag, TakesOneAsLatitudeAndZeroAsLongitude) {
    const DmsCase cases[] = {
        {185319.0, 1, "N051:28:39"},  {-185319.0, 1, "S051:28:39"}, {185319.0, 0, "E051:28:39"},
        {-185319.0, 0, "W051:28:39"}, {185399.6, 1, "N051:29:60"},  {185319.0, 2, "?051:28:39"},
        {185319.0, -1, "?051:28:39"},
    };
    for (const DmsCase& c : cases)
        ExpectDms(FormatArcSecondsDmsByFlag, c);
}

TEST(FormatDegreesDms, ConvertsDegreesFirst) {
    const DmsCase cases[] = {
        {51.4775, kLatitude, "N051:28:39"}, {-51.4775, kLatitude, "S051:28:39"},
        {0.5, kLongitude, "E000:30:00"},    {-179.99, kLongitude, "W179:59:24"},
        {-0.0, kLongitude, "E000:00:00"},   {51.4775, 3, "?051:28:39"},
    };
    for (const DmsCase& c : cases)
        ExpectDms(FormatDegreesDms, c);
}

TEST(FormatRadiansDms, ConvertsRadiansFirst) {
    const double pi = 3.14159265358979323846;
    const DmsCase cases[] = {
        {51.4775 / 57.29577951308232, kLatitude, "N051:28:39"},
        {pi, kLongitude, "E180:00:00"},
        {-pi / 2, kLatitude, "S090:00:00"},
        {-pi, kLongitude, "W180:00:00"},
        {pi, 2, "?180:00:00"},
    };
    for (const DmsCase& c : cases)
        ExpectDms(FormatRadiansDms, c);
}

TEST(FormatSignedDms, CutsSecondsAndSignsNegativeZeroPlus) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        // 185319 arrives as 38.99... seconds: cut here, where the hemisphere forms round.
        {-185399.6, "-051:29:59"}, {185399.6, "+051:29:59"}, {185319.0, "+051:28:38"},
        {59.99, "+000:00:59"},     {-1.0, "-000:00:01"},     {-0.0, "+000:00:00"},
        {0.0, "+000:00:00"},       {3599.9, "+000:59:59"},
    };
    for (const Case& c : cases) {
        Guarded dest;
        EXPECT_EQ(FormatSignedDms(dest.bytes, c.value), dest.bytes);
        EXPECT_EQ(dest.All(), Bytes(c.text)) << c.value;
    }
}

TEST(DmsForms, ThousandDegreesAndBeyondAreCutToElevenBytes) {
    const DmsCase cases[] = {
        {1000 * 3600.0, kLatitude, "N1000:00:0"},
        {1e300, kLatitude, "N214748364"}, // whole degrees saturate
        {-kInf, kLatitude, "S214748364"},
        {kInf, kLongitude, "E214748364"},
        {-DBL_MAX, kLongitude, "W214748364"},
        {kNaN, kLatitude, "N000:00:00"}, // NaN takes the letter of 0 or more
    };
    for (const DmsCase& c : cases)
        ExpectDms(FormatArcSecondsDms, c);

    Guarded dest;
    FormatSignedDms(dest.bytes, -kInf);
    EXPECT_EQ(dest.All(), Bytes("-214748364"));
}

// ---- Sexagesimal forms ------------------------------------------------------

struct SexagesimalCase {
    double seconds;
    const char* text;
};

TEST(FormatSexagesimal, SplitsWithoutTakingAbsoluteValue) {
    const SexagesimalCase cases[] = {
        {3723.5, "    1: 2: 3.50000"},
        {-3723.5, "   -1:-2:-3.50000"},
        {0.0, "    0: 0: 0.00000"},
        {-1800.0, "    0:-30: 0.00000"},
        {5430.0, "    1: 30: 30.00000"},
        {86399.25, "   23: 59: 59.25000"},
        {360000.0, "  100: 0: 0.00000"},
        {-3600.0, "   -1: 0: 0.00000"},
        {kNaN, "    0: 0: nan"},
        {kInf, " 2147483647: 0: 0.00000"}, // the hours saturate
        {-kInf, "-2147483648: 0: 0.00000"},
        {1e300, " 2147483647: 0: 0.00000"},
    };
    for (const SexagesimalCase& c : cases) {
        Guarded dest;
        EXPECT_EQ(FormatSexagesimal(dest.bytes, c.seconds), dest.bytes);
        EXPECT_EQ(dest.All(), Bytes(c.text)) << c.seconds;
    }
}

TEST(FormatSexagesimalMinutes, KeepsFractionOfMinutes) {
    const SexagesimalCase cases[] = {
        {5430.0, "  +1:30.500"},         {300.0, "  +0:5.000"},  {-300.0, "  +0:-5.000"},
        {-5430.0, "  -1:-30.500"},       {3600.0, "  +1:0.000"}, {0.0, "  +0:0.000"},
        {360000.0, "+100:0.000"},        {kNaN, "  +0:  nan"},   {kInf, "+2147483647:0.000"},
        {-DBL_MAX, "-2147483648:0.000"},
    };
    for (const SexagesimalCase& c : cases) {
        Guarded dest;
        EXPECT_EQ(FormatSexagesimalMinutes(dest.bytes, c.seconds), dest.bytes);
        EXPECT_EQ(dest.All(), Bytes(c.text)) << c.seconds;
    }
}

TEST(SexagesimalForms, LongestTextsFillTheirDeclaredSize) {
    // The last second before the hours saturate downwards.
    const double seconds = -(2147483647.0 * 3600 + 3599.5);
    Guarded full;
    FormatSexagesimal(full.bytes, seconds);
    EXPECT_EQ(std::strlen(full.bytes), static_cast<std::size_t>(kSexagesimalSize - 1));
    EXPECT_EQ(std::string(full.bytes, 16), "-2147483647:-59:");

    Guarded minutes;
    FormatSexagesimalMinutes(minutes.bytes, seconds);
    EXPECT_EQ(minutes.All(), Bytes("-2147483647:-59.992"));
    EXPECT_EQ(std::strlen(minutes.bytes), static_cast<std::size_t>(kSexagesimalMinutesSize - 1));
}

// ---- Every form within its declared destination -----------------------------

TEST(FormatRoutines, NeverWritePastTheirDeclaredSize) {
    struct Routine {
        const char* name;
        int size;
        std::function<void(char*, double)> call;
    };
    const Routine routines[] = {
        {"Sexagesimal", kSexagesimalSize, [](char* d, double v) { FormatSexagesimal(d, v); }},
        {"SexagesimalMinutes", kSexagesimalMinutesSize,
         [](char* d, double v) { FormatSexagesimalMinutes(d, v); }},
        {"SignedDms", kDmsSize, [](char* d, double v) { FormatSignedDms(d, v); }},
        {"ArcSecondsDms", kDmsSize, [](char* d, double v) { FormatArcSecondsDms(d, v, 0); }},
        {"ArcSecondsDmsByFlag", kDmsSize,
         [](char* d, double v) { FormatArcSecondsDmsByFlag(d, v, 0); }},
        {"DegreesDms", kDmsSize, [](char* d, double v) { FormatDegreesDms(d, v, 1); }},
        {"RadiansDms", kDmsSize, [](char* d, double v) { FormatRadiansDms(d, v, 0); }},
        {"Position", kPositionFieldSize, [](char* d, double v) { FormatPosition(d, v, 1); }},
        {"PositionMarked", 7, [](char* d, double v) { FormatPositionMarked(d, 7, v, 1); }},
        {"PositionDegrees", kPositionFieldSize,
         [](char* d, double v) { FormatPositionDegrees(d, v, 1); }},
        {"PositionLetterFirst", kPositionFieldSize,
         [](char* d, double v) { FormatPositionLetterFirst(d, v, 0); }},
    };
    const double values[] = {0.0,
                             -0.0,
                             359.99999,
                             -359.99999,
                             1e9,
                             -1e9,
                             2147483648.0 * 3600,
                             -2147483649.0 * 3600,
                             1e300,
                             -1e300,
                             DBL_MAX,
                             -DBL_MAX,
                             DBL_MIN,
                             -DBL_MIN,
                             kInf,
                             -kInf,
                             kNaN,
                             -kNaN};
    for (const Routine& r : routines) {
        for (double v : values) {
            Guarded dest;
            r.call(dest.bytes, v);
            const std::string all = dest.All();
            EXPECT_NE(all.find('\0'), std::string::npos) << r.name << " " << v;
            EXPECT_LT(all.find('\0'), static_cast<std::size_t>(r.size)) << r.name << " " << v;
            EXPECT_EQ(all.substr(r.size), kUntouched.substr(r.size)) << r.name << " " << v;
        }
    }
}

// ---- Time and truth letter ----------------------------------------------------

TEST(FormatUtcHoursMinutes, GivesUtcHourAndMinuteOrCrosses) {
    struct Case {
        std::int32_t time;
        const char* text;
    };
    const Case cases[] = {
        {0, "00:00"},     {45296, "12:34"},     {86399, "23:59"},
        {86400, "00:00"}, {59, "00:00"},        {INT32_MAX, "03:14"}, // 2038-01-19 03:14:07
        {-1, "xx:xx"},    {INT32_MIN, "xx:xx"},
    };
    for (const Case& c : cases) {
        Guarded dest;
        EXPECT_EQ(FormatUtcHoursMinutes(dest.bytes, &c.time), dest.bytes);
        EXPECT_EQ(dest.All(), Bytes(c.text)) << c.time;
    }
    Guarded noTime;
    FormatUtcHoursMinutes(noTime.bytes, nullptr);
    EXPECT_EQ(noTime.All(), Bytes("xx:xx"));
}

TEST(BoolLetter, LooksOnlyAtLowByte) {
    const std::pair<int, char> cases[] = {{1, 'T'},  {0, 'F'},    {256, 'F'},  {257, 'T'},
                                          {-1, 'T'}, {-256, 'F'}, {0x80, 'T'}, {INT32_MIN, 'F'}};
    for (const auto& [value, letter] : cases)
        EXPECT_EQ(BoolLetter(value), letter) << value;
}

} // namespace

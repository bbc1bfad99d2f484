#include "configcontrol/ConfigString.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// The fields a parse leaves untouched show these values.
const char kPrevious[] = "%Z% OldProduct OldPart OldFile $Revision: 9.9 $";

struct Fields {
    std::string product, partNumber, fileName, revision;
    bool operator==(const Fields&) const = default;
};

void PrintTo(const Fields& f, std::ostream* os) {
    *os << '{' << f.product << " | " << f.partNumber << " | " << f.fileName << " | " << f.revision
        << '}';
}

Fields Current() {
    const ConfigFieldsRecord& r = ConfigFields();
    return {r.product, r.partNumber, r.fileName, r.revision};
}

const Fields kOld{"OldProduct", "OldPart", "OldFile", "9.9"};

struct ParseCase {
    std::string name;
    std::string text;
    bool recognised;
    Fields fields;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

class ParseConfigStringTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseConfigStringTest, SetsTheFieldsOfTheWordsPresent) {
    const ParseCase& c = GetParam();
    ASSERT_TRUE(ParseConfigString(kPrevious));
    const std::string before = c.text;
    EXPECT_EQ(ParseConfigString(c.text.c_str()), c.recognised);
    EXPECT_EQ(Current(), c.fields);
    EXPECT_EQ(c.text, before);
}

const std::string kLongWord(150, 'w');

INSTANTIATE_TEST_SUITE_P(
    Strings, ParseConfigStringTest,
    testing::Values(
        ParseCase{"Full",
                  "%Z% ConfigControl TS3103:02 ConfigFile $Revision: 1.3 $",
                  true,
                  {"ConfigControl", "TS3103:02", "ConfigFile", "1.3"}},
        ParseCase{"LowerMarkerDoubleSpace",
                  "%z% TextFunctions TS3102  Formats $Revision: 1.10 $",
                  true,
                  {"TextFunctions", "TS3102", "Formats", "1.10"}},
        ParseCase{"NoKeywordTakesWordFive",
                  "%Z% Prod TS1 File 2.5",
                  true,
                  {"Prod", "TS1", "File", "2.5"}},
        ParseCase{"KeywordInWordFiveLeavesRevision",
                  "%Z% Prod TS1 File $Revision:",
                  true,
                  {"Prod", "TS1", "File", "9.9"}},
        ParseCase{"KeywordInsideFileName",
                  "%Z% Prod TS1 A$RevisionB 1.4 1.5",
                  true,
                  {"Prod", "TS1", "A$RevisionB", "1.5"}},
        ParseCase{"LowerCaseKeywordIsNoKeyword",
                  "%Z% Prod TS1 File $revision: 1.5 $",
                  true,
                  {"Prod", "TS1", "File", "$revision:"}},
        ParseCase{"NoClosingDollar",
                  "%Z% Classes TS2146 TS_P_0001_02_genericSim $Revision: 1.2",
                  true,
                  {"Classes", "TS2146", "TS_P_0001_02_genericSim", "1.2"}},
        ParseCase{"OuterSpacesIgnored",
                  "   %Z% Prod TS1 File $Revision: 1.3 $   ",
                  true,
                  {"Prod", "TS1", "File", "1.3"}},
        ParseCase{"TabJoinsWords",
                  "%Z%\tProd TS1 File $Revision: 1.3 $",
                  true,
                  {"TS1", "File", "$Revision:", "$"}},
        ParseCase{"TwoWords", "%Z% Prod", true, {"Prod", "OldPart", "OldFile", "9.9"}},
        ParseCase{"ThreeWords", "%Z% Prod TS1", true, {"Prod", "TS1", "OldFile", "9.9"}},
        ParseCase{"OneWord", "Single", false, kOld}, ParseCase{"Empty", "", false, kOld},
        ParseCase{"SpacesAlone", "     ", false, kOld},
        // Past nine words nothing is read, and nothing is stored either.
        ParseCase{"TwelveWords",
                  "%Z% P N F $Revision: 1.3 $ w8 w9 w10 w11 w12",
                  true,
                  {"P", "N", "F", "1.3"}},
        ParseCase{"ManyWords",
                  "%Z% P N F 2.0" + std::string(300, ' ') + std::string(100, 'x') +
                      std::string(" y z y z y z y z y z y z y z y z"),
                  true,
                  {"P", "N", "F", "2.0"}},
        // Words wider than their fields are cut to the field's capacity.
        ParseCase{"LongWordsCut",
                  "%Z% " + kLongWord + " " + kLongWord + " F $Revision: " + kLongWord + " $",
                  true,
                  {std::string(99, 'w'), std::string(31, 'w'), "F", std::string(31, 'w')}},
        // Only the first 511 characters are read: the cut falls inside the
        // file name, and a keyword past it does not count.
        ParseCase{"CutAt511",
                  "%Z% P N " + std::string(600, 'f'),
                  true,
                  {"P", "N", std::string(503, 'f'), "9.9"}},
        ParseCase{"KeywordPast511",
                  "%Z% P N F 2.0" + std::string(600, ' ') + "$Revision: 3.0 $",
                  true,
                  {"P", "N", "F", "2.0"}}),
    [](const testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

TEST(ParseConfigString, NullIsUnrecognisable) {
    ASSERT_TRUE(ParseConfigString(kPrevious));
    EXPECT_FALSE(ParseConfigString(nullptr));
    EXPECT_EQ(Current(), kOld);
}

TEST(ParseConfigString, SameStringTwiceGivesSameFields) {
    const char text[] = "%Z% ConfigControl TS3103:03 RevisionString $Revision: 1.2 $";
    ASSERT_TRUE(ParseConfigString(text));
    const Fields first = Current();
    ASSERT_TRUE(ParseConfigString(text));
    EXPECT_EQ(Current(), first);
    EXPECT_STREQ(text, "%Z% ConfigControl TS3103:03 RevisionString $Revision: 1.2 $");
}

std::string Written(void (*write)(std::FILE*)) {
    std::FILE* out = std::tmpfile();
    EXPECT_NE(out, nullptr);
    write(out);
    std::rewind(out);
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF;)
        text.push_back(static_cast<char>(c));
    std::fclose(out);
    return text;
}

TEST(WriteConfigRow, RightAlignsEachFieldInItsColumn) {
    ASSERT_TRUE(ParseConfigString("%Z% ConfigControl TS3103:02 ConfigFile $Revision: 1.3 $"));
    EXPECT_EQ(Written(WriteConfigRow), "        ConfigControl |              TS3103:02 |"
                                       "                    ConfigFile |        1.3 | \n");
}

TEST(WriteConfigRow, WideValuesShiftTheRestRight) {
    ASSERT_TRUE(
        ParseConfigString("%Z% AProductNameOfTwentyFive TS1 F $Revision: 1.234567890123 $"));
    EXPECT_EQ(Written(WriteConfigRow), " AProductNameOfTwentyFive |                    TS1 |"
                                       "                             F | 1.234567890123 | \n");
}

TEST(WriteConfigRow, LongestFieldsAreWrittenWhole) {
    const std::string text = "%Z% " + std::string(100, 'p') + " " + std::string(32, 'n') + " " +
                             std::string(300, 'f') + " $Revision: " + std::string(32, 'r') + " $";
    ASSERT_TRUE(ParseConfigString(text.c_str()));
    EXPECT_EQ(Written(WriteConfigRow), " " + std::string(99, 'p') + " | " + std::string(31, 'n') +
                                           " |" + std::string(300, 'f') + " | " +
                                           std::string(31, 'r') + " | \n");
}

TEST(WriteUnrecognisableLine, IsTheFixedText) {
    EXPECT_EQ(Written(WriteUnrecognisableLine), "Unrecongnisable Configuration string \n");
}

} // namespace

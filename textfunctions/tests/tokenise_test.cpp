#include "textfunctions/TextFunctions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Entries a split never wrote keep this mark, so a test sees where it stopped.
char g_Untouched[] = "<untouched>";
const std::string kNull = "<null>";
const std::string kUntouched = g_Untouched;
const int kTableSize = 16;

struct Table {
    char* entries[kTableSize];
    Table() {
        for (char*& entry : entries)
            entry = g_Untouched;
    }
    // The first n entries as texts, null and unwritten ones marked.
    std::vector<std::string> First(int n) const {
        std::vector<std::string> shown;
        for (int i = 0; i < n; ++i)
            shown.push_back(entries[i] == nullptr ? kNull : std::string(entries[i]));
        return shown;
    }
};

struct SplitCase {
    const char* text;
    const char* delimiters;
    int limit;
    int count;
    std::vector<std::string> entries; // compared up to and including the first unwritten one
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << '"' << c.text << "\" / \"" << c.delimiters << "\" limit " << c.limit;
}

class TokeniseTest : public testing::TestWithParam<SplitCase> {};

TEST_P(TokeniseTest, CountsAndEntries) {
    const SplitCase& c = GetParam();
    std::string text = c.text;
    Table table;
    EXPECT_EQ(Tokenise(text.data(), c.delimiters, table.entries), c.count);
    EXPECT_EQ(table.First(static_cast<int>(c.entries.size())), c.entries);
}

INSTANTIATE_TEST_SUITE_P(
    Words, TokeniseTest,
    testing::Values(SplitCase{"a b c", " ", 0, 3, {"a", "b", "c", kNull, kUntouched}},
                    SplitCase{"  a   b  ", " ", 0, 2, {"a", "b", kNull, kUntouched}},
                    SplitCase{"word", " ", 0, 1, {"word", kNull, kUntouched}},
                    SplitCase{"", " ", 0, 1, {kNull, kNull, kUntouched}},
                    SplitCase{"   ", " ", 0, 1, {kNull, kNull, kUntouched}},
                    SplitCase{"TS3103:02", " :", 0, 2, {"TS3103", "02", kNull, kUntouched}},
                    SplitCase{"a\tb c", " ", 0, 2, {"a\tb", "c", kNull, kUntouched}},
                    SplitCase{",;a;;b,", ",;", 0, 2, {"a", "b", kNull, kUntouched}},
                    SplitCase{"a b", "", 0, 1, {"a b", kNull, kUntouched}},
                    SplitCase{"%z% TextFunctions TS3102  Formats $Revision: 1.10 $",
                              " ",
                              0,
                              7,
                              {"%z%", "TextFunctions", "TS3102", "Formats", "$Revision:", "1.10",
                               "$", kNull, kUntouched}}));

class TokeniseLimitedTest : public testing::TestWithParam<SplitCase> {};

TEST_P(TokeniseLimitedTest, CountsAndEntries) {
    const SplitCase& c = GetParam();
    std::string text = c.text;
    Table table;
    EXPECT_EQ(TokeniseLimited(text.data(), c.delimiters, table.entries, c.limit), c.count);
    EXPECT_EQ(table.First(static_cast<int>(c.entries.size())), c.entries);
}

INSTANTIATE_TEST_SUITE_P(
    Words, TokeniseLimitedTest,
    testing::Values(SplitCase{"a b c d e", " ", 3, 3, {"a", "b", "c", "d", kUntouched}},
                    SplitCase{"a b c", " ", 3, 3, {"a", "b", "c", kNull, kUntouched}},
                    SplitCase{"a b", " ", 5, 2, {"a", "b", kNull, kUntouched}},
                    SplitCase{"a b c", " ", 1, 1, {"a", "b", kUntouched}},
                    SplitCase{"a b c", " ", 0, 1, {"a", "b", kUntouched}},
                    SplitCase{"a b c", " ", -4, 1, {"a", "b", kUntouched}},
                    SplitCase{"", " ", 3, 1, {kNull, kNull, kUntouched}},
                    SplitCase{"  ", " ", 0, 1, {kNull, kNull, kUntouched}}));

class SplitAtCharTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitAtCharTest, CountsAndFields) {
    const SplitCase& c = GetParam();
    std::string text = c.text;
    Table table;
    EXPECT_EQ(SplitAtChar(text.data(), c.delimiters, table.entries), c.count);
    EXPECT_EQ(table.First(static_cast<int>(c.entries.size())), c.entries);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SplitAtCharTest,
    testing::Values(SplitCase{"a,,b,", ",", 0, 4, {"a", "", "b", "", kUntouched}},
                    SplitCase{"", ",", 0, 1, {"", kUntouched}},
                    SplitCase{",a", ",", 0, 2, {"", "a", kUntouched}},
                    SplitCase{"a,b;c", ",;", 0, 2, {"a", "b;c", kUntouched}},
                    SplitCase{"abc", ",", 0, 1, {"abc", kUntouched}},
                    SplitCase{"a,b", "", 0, 1, {"a,b", kUntouched}}));

class SplitAtCharLimitedTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitAtCharLimitedTest, CountsAndFields) {
    const SplitCase& c = GetParam();
    std::string text = c.text;
    Table table;
    EXPECT_EQ(SplitAtCharLimited(text.data(), c.delimiters, table.entries, c.limit), c.count);
    EXPECT_EQ(table.First(static_cast<int>(c.entries.size())), c.entries);
}

INSTANTIATE_TEST_SUITE_P(Fields, SplitAtCharLimitedTest,
                         testing::Values(SplitCase{"a,b,c", ",", 1, 2, {"a", "b,c", kUntouched}},
                                         SplitCase{"a,b,c", ",", 2, 3, {"a", "b", "c", kUntouched}},
                                         SplitCase{"a,b,c", ",", 9, 3, {"a", "b", "c", kUntouched}},
                                         SplitCase{"a,b,c", ",", 0, 1, {"a,b,c", kUntouched}},
                                         SplitCase{"a,b,c", ",", -1, 1, {"a,b,c", kUntouched}},
                                         SplitCase{"a,,", ",", 2, 3, {"a", "", "", kUntouched}}));

TEST(Tokenise, CutsTheTextInPlace) {
    char text[] = " a  bc ";
    char* words[4];
    ASSERT_EQ(Tokenise(text, " ", words), 2);
    EXPECT_EQ(0, std::memcmp(text, " a\0 bc\0", sizeof text));
    EXPECT_EQ(words[0], text + 1);
    EXPECT_EQ(words[1], text + 4);
}

TEST(TokeniseLimited, LeavesTheTextAfterTheLastCutAlone) {
    char text[] = "a b c d e f";
    char* words[4];
    ASSERT_EQ(TokeniseLimited(text, " ", words, 3), 3);
    EXPECT_EQ(0, std::memcmp(text, "a\0b\0c\0d\0e f", sizeof text));
}

TEST(Tokeniser, MissingTextGivesZeroAndWritesNothing) {
    Table table;
    EXPECT_EQ(Tokenise(nullptr, " ", table.entries), 0);
    EXPECT_EQ(TokeniseLimited(nullptr, " ", table.entries, 3), 0);
    EXPECT_EQ(SplitAtChar(nullptr, ",", table.entries), 0);
    EXPECT_EQ(SplitAtCharLimited(nullptr, ",", table.entries, 3), 0);
    EXPECT_EQ(table.First(1), std::vector<std::string>{kUntouched});
}

TEST(Tokenise, LeavesACallersStrtokScanInPlace) {
    char outer[] = "x y z";
    ASSERT_STREQ(std::strtok(outer, " "), "x");
    char inner[] = "p q";
    char* words[3];
    ASSERT_EQ(Tokenise(inner, " ", words), 2);
    EXPECT_STREQ(std::strtok(nullptr, " "), "y");
    EXPECT_STREQ(std::strtok(nullptr, " "), "z");
}

TEST(BoundedLength, CountsUpToTheCap) {
    const struct {
        std::size_t length;
        int expected;
    } cases[] = {{0, 0}, {1, 1}, {9999, 9999}, {10000, 10000}, {10001, 10000}, {25000, 10000}};
    for (const auto& c : cases) {
        const std::string text(c.length, 'x');
        EXPECT_EQ(BoundedLength(text.c_str()), c.expected) << c.length;
    }
    EXPECT_EQ(BoundedLength(nullptr), 0);
}

TEST(BoundedLength, ReadsNoFurtherThanTheCap) {
    // No terminator at all: the count must stop inside the 10000 bytes.
    const std::vector<char> unterminated(10000, 'x');
    EXPECT_EQ(BoundedLength(unterminated.data()), 10000);
}

} // namespace

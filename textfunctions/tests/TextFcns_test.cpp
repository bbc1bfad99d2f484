#include "textfunctions/TextFunctions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr char kCanary = '#';

// A buffer of canary bytes, so that every byte a routine writes or leaves
// alone can be checked.
std::vector<char> Canaries(std::size_t size) {
    return std::vector<char>(size, kCanary);
}

// A buffer holding text and its terminator, canaries after it.
std::vector<char> Holding(const std::string& text, std::size_t spare = 16) {
    std::vector<char> buffer = Canaries(text.size() + 1 + spare);
    std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
    return buffer;
}

// Every byte of a literal, its terminator included.
template <std::size_t N> std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N);
}

std::string Bytes(const std::vector<char>& buffer, std::size_t count) {
    return std::string(buffer.data(), count);
}

std::string CanaryTail(const std::vector<char>& buffer, std::size_t from) {
    return std::string(buffer.begin() + static_cast<std::ptrdiff_t>(from), buffer.end());
}

std::string Expected(const std::vector<char>& buffer, std::size_t from) {
    return std::string(buffer.size() - from, kCanary);
}

// ---- FormatIntoBuffer -------------------------------------------------------

struct BufferFormatCase {
    int size;
    std::string text;
    std::string bytes; // the first size bytes afterwards
    int result;
};

TEST(FormatIntoBuffer, ZeroFillsAndTerminatesWithinSize) {
    const std::string long150(150, 'm');
    const std::vector<BufferFormatCase> cases = {
        {100, long150, std::string(99, 'm') + std::string(1, '\0'), -1},
        {6, "abcdef", std::string("abcde\0", 6), 6},
        {6, "abc", std::string("abc\0\0\0", 6), 3},
        {6, "abcde", std::string("abcde\0", 6), 5},
        {6, "abcdefg", std::string("abcde\0", 6), -1},
        {6, "", std::string(6, '\0'), 0},
        {1, "", std::string(1, '\0'), 0},
        {1, "a", std::string(1, '\0'), 1},
        {1, "ab", std::string(1, '\0'), -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size) + " text " + c.text);
        std::vector<char> buffer = Canaries(static_cast<std::size_t>(c.size) + 8);
        EXPECT_EQ(FormatIntoBuffer(buffer.data(), c.size, "%s", c.text.c_str()), c.result);
        EXPECT_EQ(Bytes(buffer, static_cast<std::size_t>(c.size)), c.bytes);
        EXPECT_EQ(CanaryTail(buffer, static_cast<std::size_t>(c.size)), std::string(8, kCanary));
    }
}

TEST(FormatIntoBuffer, FormatsSeveralValues) {
    char buffer[100];
    EXPECT_EQ(FormatIntoBuffer(buffer, sizeof buffer, "%s::%s\n%d %.2f", "Shm", "Open", -42, 1.5),
              18);
    EXPECT_STREQ(buffer, "Shm::Open\n-42 1.50");
}

TEST(FormatIntoBuffer, SizeBelowOneWritesNothing) {
    std::vector<char> buffer = Canaries(8);
    EXPECT_EQ(FormatIntoBuffer(buffer.data(), 0, "%s", ""), 0);
    EXPECT_EQ(FormatIntoBuffer(buffer.data(), 0, "%s", "a"), -1);
    EXPECT_EQ(FormatIntoBuffer(buffer.data() + 4, -3, "%s", "a"), -1);
    EXPECT_EQ(CanaryTail(buffer, 0), std::string(8, kCanary));
}

TEST(FormatIntoBuffer, NullDestinationGivesZero) {
    EXPECT_EQ(FormatIntoBuffer(nullptr, 100, "%s", "text"), 0);
}

// ---- FormatIntoChars --------------------------------------------------------

struct CharsFormatCase {
    int size;
    std::string text;
    std::string bytes; // the first size + 1 bytes afterwards
    int result;
};

TEST(FormatIntoChars, TerminatesAtSizeAndLeavesTheRestAlone) {
    const std::vector<CharsFormatCase> cases = {
        {5, "abcdef", std::string("abcde\0", 6), -1},
        {5, "abcde", std::string("abcde\0", 6), 5},
        // A shorter text has its own terminator; the bytes between stay as they were.
        {5, "ab", std::string("ab\0##\0", 6), 2},
        {5, "", std::string("\0####\0", 6), 0},
        {0, "abc", std::string(1, '\0'), -1},
        {0, "", std::string(1, '\0'), 0},
        {1, "a", std::string("a\0", 2), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size) + " text " + c.text);
        const auto held = static_cast<std::size_t>(c.size) + 1;
        std::vector<char> buffer = Canaries(held + 8);
        EXPECT_EQ(FormatIntoChars(buffer.data(), c.size, "%s", c.text.c_str()), c.result);
        EXPECT_EQ(Bytes(buffer, held), c.bytes);
        EXPECT_EQ(CanaryTail(buffer, held), std::string(8, kCanary));
    }
}

TEST(FormatIntoChars, NegativeSizeWritesNothing) {
    std::vector<char> buffer = Canaries(8);
    EXPECT_EQ(FormatIntoChars(buffer.data() + 4, -1, "%s", ""), -1);
    EXPECT_EQ(FormatIntoChars(buffer.data() + 4, -4, "%d", 7), -1);
    EXPECT_EQ(CanaryTail(buffer, 0), std::string(8, kCanary));
}

TEST(FormatIntoChars, NullDestinationGivesZero) {
    EXPECT_EQ(FormatIntoChars(nullptr, 10, "%d", 12), 0);
}

// ---- Bounded copies ---------------------------------------------------------

struct CopyCase {
    int size;
    std::string source;
    std::string bytes; // the bytes the copy owns afterwards
};

TEST(CopyBounded, CopiesLikeStrncpyAndTerminatesAtSizeMinusOne) {
    const std::vector<CopyCase> cases = {
        {4, "abcdef", std::string("abc\0", 4)},  {4, "abcd", std::string("abc\0", 4)},
        {6, "ab", std::string("ab\0\0\0\0", 6)}, {1, "abc", std::string(1, '\0')},
        {3, "", std::string(3, '\0')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size) + " source " + c.source);
        const auto size = static_cast<std::size_t>(c.size);
        std::vector<char> buffer = Canaries(size + 8);
        EXPECT_EQ(CopyBounded(buffer.data(), c.source.c_str(), c.size), buffer.data());
        EXPECT_EQ(Bytes(buffer, size), c.bytes);
        EXPECT_EQ(CanaryTail(buffer, size), std::string(8, kCanary));
    }
}

TEST(CopyBounded, PathOfAWholeWorkingBufferKeeps1023Characters) {
    const std::string path(1500, 'p');
    std::vector<char> buffer = Canaries(1024 + 8);
    ASSERT_EQ(CopyBounded(buffer.data(), path.c_str(), 1024), buffer.data());
    EXPECT_EQ(std::string(buffer.data()), std::string(1023, 'p'));
    EXPECT_EQ(CanaryTail(buffer, 1024), std::string(8, kCanary));
}

TEST(CopyBounded, RefusesNullAndNegativeSizeAndSizeZeroWritesNothing) {
    std::vector<char> buffer = Canaries(8);
    EXPECT_EQ(CopyBounded(buffer.data(), "abc", 0), buffer.data());
    EXPECT_EQ(CopyBounded(buffer.data(), "abc", -1), nullptr);
    EXPECT_EQ(CopyBounded(nullptr, "abc", 4), nullptr);
    EXPECT_EQ(CopyBounded(buffer.data(), nullptr, 4), nullptr);
    EXPECT_EQ(CanaryTail(buffer, 0), std::string(8, kCanary));
}

TEST(CopyChars, TerminatesAtCountOnlyWhenTheSourceFillsIt) {
    const std::vector<CopyCase> cases = {
        {4, "abcdef", std::string("abcd\0", 5)}, {4, "abcd", std::string("abcd\0", 5)},
        {4, "ab", std::string("ab\0\0#", 5)},    {4, "abc", std::string("abc\0#", 5)},
        {0, "abc", std::string(1, '\0')},        {0, "", std::string(1, '\0')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("count " + std::to_string(c.size) + " source " + c.source);
        const auto held = static_cast<std::size_t>(c.size) + 1;
        std::vector<char> buffer = Canaries(held + 8);
        EXPECT_EQ(CopyChars(buffer.data(), c.source.c_str(), c.size), buffer.data());
        EXPECT_EQ(Bytes(buffer, held), c.bytes);
        EXPECT_EQ(CanaryTail(buffer, held), std::string(8, kCanary));
    }
}

TEST(CopyChars, RefusesNullAndNegativeCount) {
    std::vector<char> buffer = Canaries(8);
    EXPECT_EQ(CopyChars(buffer.data() + 4, "abc", -1), nullptr);
    EXPECT_EQ(CopyChars(nullptr, "abc", 4), nullptr);
    EXPECT_EQ(CopyChars(buffer.data(), nullptr, 4), nullptr);
    EXPECT_EQ(CanaryTail(buffer, 0), std::string(8, kCanary));
}

TEST(CopyFixedField, FillsAtMostTwentyCharactersWithoutTerminator) {
    const struct {
        std::string field;
        std::string source;
        std::string expected;
    } cases[] = {
        {"xxxxxxxx", "abc", "abcxxxxx"},
        {"xxxxxxxx", "", "xxxxxxxx"},
        {std::string(24, 'x'), std::string(25, 's'), std::string(20, 's') + "xxxx"},
        {std::string(24, 'x'), std::string(20, 's'), std::string(20, 's') + "xxxx"},
        {std::string(24, 'x'), std::string(19, 's'), std::string(19, 's') + "xxxxx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("source " + c.source);
        std::vector<char> buffer = Holding(c.field, 4);
        CopyFixedField(buffer.data(), c.source.c_str());
        EXPECT_EQ(std::string(buffer.data()), c.expected);
    }
}

// ---- In-place editors -------------------------------------------------------

struct EditCase {
    const char* name;
    std::function<char*(char*)> edit;
    std::string input;
    std::string expected;
};

TEST(Editors, EditInPlaceAndNeverWritePastTheText) {
    const std::vector<EditCase> cases = {
        {"CutAtNewline", CutAtNewline, "ab\ncd\n", "ab"},
        {"CutAtNewline", CutAtNewline, "abc", "abc"},
        {"CutAtNewline", CutAtNewline, "\n", ""},
        {"CutAtChar", [](char* t) { return CutAtChar(t, ','); }, "a,b,c", "a"},
        {"CutAtChar", [](char* t) { return CutAtChar(t, ','); }, "abc", "abc"},
        {"DropTrailingTab", DropTrailingTab, "ab\t\t", "ab\t"},
        {"DropTrailingTab", DropTrailingTab, "\tab", "\tab"},
        {"DropTrailingTab", DropTrailingTab, "\t", ""},
        {"DropTrailingTab", DropTrailingTab, "", ""},
        {"TrimTrailingSpaces", TrimTrailingSpaces, "   ", ""},
        {"TrimTrailingSpaces", TrimTrailingSpaces, " a b  ", " a b"},
        {"TrimTrailingSpaces", TrimTrailingSpaces, "ab\t ", "ab\t"},
        {"TrimTrailingSpaces", TrimTrailingSpaces, "", ""},
        {"RemoveSpaces", RemoveSpaces, " a b  c ", "abc"},
        {"RemoveSpaces", RemoveSpaces, "a\tb", "a\tb"},
        {"RemoveChar", [](char* t) { return RemoveChar(t, '-'); }, "-a--b-", "ab"},
        {"RemoveChar", [](char* t) { return RemoveChar(t, '-'); }, "---", ""},
        {"CollapseTabs", CollapseTabs, "a\t\t\tb\t", "a\tb\t"},
        {"CollapseTabs", CollapseTabs, "\t\ta  b", "\ta  b"},
        {"CollapseRepeats", [](char* t) { return CollapseRepeats(t, '/'); }, "a//b///c/", "a/b/c/"},
        {"CollapseRepeats", [](char* t) { return CollapseRepeats(t, '/'); }, "//", "/"},
        {"CollapseRepeats", [](char* t) { return CollapseRepeats(t, '/'); }, "a/ /b", "a/ /b"},
        {"TabsToSpaces", TabsToSpaces, "\ta\tb\t", " a b "},
        {"ReplaceWithUnderscore", [](char* t) { return ReplaceWithUnderscore(t, '.'); }, "a.b..c",
         "a_b__c"},
        {"ReplaceChar", [](char* t) { return ReplaceChar(t, 'a', 'o'); }, "banana", "bonono"},
        {"RemoveUnquotedSpaces", [](char* t) { return RemoveUnquotedSpaces(t, 100); },
         "a b \"c d\" e", "ab\"c d\"e"},
        {"RemoveUnquotedSpaces", [](char* t) { return RemoveUnquotedSpaces(t, 100); }, "abc",
         "abc"},
        {"RemoveUnquotedSpaces", [](char* t) { return RemoveUnquotedSpaces(t, 100); }, "a \"b c",
         "a\"b c"},
        {"RemoveUnquotedSpaces", [](char* t) { return RemoveUnquotedSpaces(t, 4); }, "ab cd ef",
         "abc"},
        {"RemoveUnquotedSpaces", [](char* t) { return RemoveUnquotedSpaces(t, 0); }, "abc", ""},
        {"RemoveUnquotedSpaces", [](char* t) { return RemoveUnquotedSpaces(t, -2); }, "abc", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " of \"" + c.input + "\"");
        std::vector<char> buffer = Holding(c.input);
        EXPECT_EQ(c.edit(buffer.data()), buffer.data());
        EXPECT_EQ(std::string(buffer.data()), c.expected);
        EXPECT_EQ(CanaryTail(buffer, c.input.size() + 1), Expected(buffer, c.input.size() + 1));
    }
}

TEST(Editors, NullTextGivesNull) {
    const std::vector<std::pair<const char*, std::function<char*(char*)>>> editors = {
        {"CutAtNewline", CutAtNewline},
        {"CutAtChar", [](char* t) { return CutAtChar(t, ','); }},
        {"DropTrailingTab", DropTrailingTab},
        {"TrimTrailingSpaces", TrimTrailingSpaces},
        {"RemoveSpaces", RemoveSpaces},
        {"RemoveChar", [](char* t) { return RemoveChar(t, '-'); }},
        {"CollapseTabs", CollapseTabs},
        {"CollapseRepeats", [](char* t) { return CollapseRepeats(t, '/'); }},
        {"TabsToSpaces", TabsToSpaces},
        {"ReplaceWithUnderscore", [](char* t) { return ReplaceWithUnderscore(t, '.'); }},
        {"ReplaceChar", [](char* t) { return ReplaceChar(t, 'a', 'o'); }},
        {"RemoveUnquotedSpaces", [](char* t) { return RemoveUnquotedSpaces(t, 10); }},
    };
    for (const auto& [name, edit] : editors)
        EXPECT_EQ(edit(nullptr), nullptr) << name;
}

// The rebuilding editors keep at most 1023 characters, but read the whole text.
TEST(Editors, RebuildersKeepAtMost1023CharactersInsideTheText) {
    std::string spaced;
    for (int i = 0; i < 1100; ++i)
        spaced += "a ";
    const std::vector<EditCase> cases = {
        {"RemoveSpaces", RemoveSpaces, std::string(1023, 'a'), std::string(1023, 'a')},
        {"RemoveSpaces", RemoveSpaces, std::string(1023, 'a') + "   ", std::string(1023, 'a')},
        {"RemoveSpaces", RemoveSpaces, std::string(1024, 'a'), std::string(1023, 'a')},
        {"RemoveSpaces", RemoveSpaces, std::string(3000, 'a'), std::string(1023, 'a')},
        {"RemoveSpaces", RemoveSpaces, spaced.substr(0, 2000), std::string(1000, 'a')},
        {"RemoveSpaces", RemoveSpaces, spaced, std::string(1023, 'a')},
        {"RemoveChar", [](char* t) { return RemoveChar(t, '-'); }, std::string(1500, 'b'),
         std::string(1023, 'b')},
        {"CollapseTabs", CollapseTabs, std::string(1024, 'c'), std::string(1023, 'c')},
        {"CollapseTabs", CollapseTabs, std::string(1022, 'c') + "\t\t\tc",
         std::string(1022, 'c') + "\t"},
        {"CollapseRepeats", [](char* t) { return CollapseRepeats(t, '/'); },
         std::string(1200, '/') + "x", "/x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " of " + std::to_string(c.input.size()) + " chars");
        std::vector<char> buffer = Holding(c.input);
        EXPECT_EQ(c.edit(buffer.data()), buffer.data());
        EXPECT_EQ(std::string(buffer.data()), c.expected);
        EXPECT_EQ(CanaryTail(buffer, c.input.size() + 1), Expected(buffer, c.input.size() + 1));
    }
}

TEST(RemoveUnquotedSpaces, Accepts1024CharactersAndRefuses1025) {
    std::vector<char> whole = Holding(std::string(1024, 'w'));
    EXPECT_EQ(RemoveUnquotedSpaces(whole.data(), 2000), whole.data());
    EXPECT_EQ(std::string(whole.data()), std::string(1024, 'w'));

    std::vector<char> spaced = Holding(std::string(1000, 'w') + std::string(24, ' '));
    EXPECT_EQ(RemoveUnquotedSpaces(spaced.data(), 2000), spaced.data());
    EXPECT_EQ(std::string(spaced.data()), std::string(1000, 'w'));

    const std::string tooLong = std::string(1020, 'w') + "  x  ";
    std::vector<char> refused = Holding(tooLong);
    EXPECT_EQ(RemoveUnquotedSpaces(refused.data(), 2000), nullptr);
    EXPECT_EQ(std::string(refused.data()), tooLong);
}

// ---- Tests of texts ---------------------------------------------------------

TEST(TextTests, MaxTextLengthIsTheWorkingCopySize) {
    EXPECT_EQ(MaxTextLength(), 1024);
}

TEST(TextTests, SkipLeadingSpacesStopsAtTheFirstOtherCharacter) {
    const char* spaced = "  a b";
    const char* tabbed = " \t a";
    const char* blank = "   ";
    EXPECT_EQ(SkipLeadingSpaces(spaced), spaced + 2);
    EXPECT_EQ(SkipLeadingSpaces(tabbed), tabbed + 1);
    EXPECT_EQ(SkipLeadingSpaces(blank), blank + 3);
    EXPECT_EQ(SkipLeadingSpaces(nullptr), nullptr);
}

TEST(TextTests, EmptyAndZeroLength) {
    EXPECT_TRUE(IsEmpty(""));
    EXPECT_FALSE(IsEmpty(" "));
    EXPECT_FALSE(IsEmpty(nullptr));
    EXPECT_EQ(IsZeroLength(""), 1);
    EXPECT_EQ(IsZeroLength("a"), 0);
}

TEST(TextTests, IsBlankLineRemovesSpacesAndCutsAtLineFeed) {
    const struct {
        std::string input;
        bool blank;
        std::string after;
    } cases[] = {
        {"   ", true, ""},         {"   \n", false, ""}, {"a b\n", false, "ab"},
        {"a b\nc d", false, "ab"}, {"", false, ""},      {"\t", false, "\t"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("\"" + c.input + "\"");
        std::vector<char> buffer = Holding(c.input);
        EXPECT_EQ(IsBlankLine(buffer.data()), c.blank);
        EXPECT_EQ(std::string(buffer.data()), c.after);
    }
    EXPECT_FALSE(IsBlankLine(nullptr));
}

TEST(TextTests, EqualIgnoringSpaces) {
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"a b c", "abc", true}, {"abc", "ABC", false}, {"ab", "abc", false},
        {"abc", "ab", false},   {"", "   ", true},     {"a\tb", "ab", false},
        {nullptr, "a", false},  {"a", nullptr, false}, {nullptr, nullptr, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EqualIgnoringSpaces(c.a, c.b), c.equal)
            << (c.a ? c.a : "null") << " / " << (c.b ? c.b : "null");
}

TEST(TextTests, EqualIgnoringSpacesComparesOnly999Characters) {
    const std::string head(999, 'e');
    EXPECT_TRUE(EqualIgnoringSpaces((head + "x").c_str(), (head + "y").c_str()));
    EXPECT_FALSE(
        EqualIgnoringSpaces((head.substr(1) + "x").c_str(), (head.substr(1) + "y").c_str()));
}

TEST(TextTests, ContainsAnyOf) {
    EXPECT_TRUE(ContainsAnyOf("xyz", "abcz"));
    EXPECT_TRUE(ContainsAnyOf("xyz", "y"));
    EXPECT_FALSE(ContainsAnyOf("xyz", "abc"));
    EXPECT_FALSE(ContainsAnyOf("xyz", ""));
    EXPECT_FALSE(ContainsAnyOf("", "abc"));
    EXPECT_FALSE(ContainsAnyOf(nullptr, "abc"));
    EXPECT_FALSE(ContainsAnyOf("xyz", nullptr));
    // Only the first 1023 characters are looked up.
    EXPECT_TRUE(ContainsAnyOf("z", (std::string(1022, 'a') + "z").c_str()));
    EXPECT_FALSE(ContainsAnyOf("z", (std::string(1023, 'a') + "z").c_str()));
}

// ---- Rebuilding into a destination --------------------------------------------

TEST(ReplaceAll, ReplacesEveryOccurrenceAndCutsTheSource) {
    const struct {
        std::string source;
        const char* pattern;
        const char* replacement;
        std::string result;
        std::string sourceAfter; // all bytes of the source, terminator included
    } cases[] = {
        {"a-b-c", "-", "+", "a+b+c", Bytes("a\0b\0c")},
        {"xxabxxab", "ab", "[]", "xx[]xx[]", Bytes("xx\0bxx\0b")},
        {"abab", "ab", "", "", Bytes("\0b\0b")},
        {"aaa", "aa", "b", "ba", Bytes("\0aa")},
        {"abc", "-", "+", "abc", Bytes("abc")},
        {"abc", "", "+", "abc", Bytes("abc")},
        {"", "-", "+", "", std::string(1, '\0')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source + " with " + c.pattern);
        std::vector<char> source = Holding(c.source, 0);
        std::vector<char> dest = Canaries(32);
        ReplaceAll(source.data(), dest.data(), c.pattern, c.replacement);
        EXPECT_EQ(std::string(dest.data()), c.result);
        EXPECT_EQ(CanaryTail(dest, c.result.size() + 1), Expected(dest, c.result.size() + 1));
        EXPECT_EQ(Bytes(source, source.size()), c.sourceAfter);
    }
}

TEST(ReplaceAll, NullArgumentsDoNothing) {
    std::vector<char> source = Holding("a-b");
    std::vector<char> dest = Canaries(8);
    ReplaceAll(nullptr, dest.data(), "-", "+");
    ReplaceAll(source.data(), nullptr, "-", "+");
    ReplaceAll(source.data(), dest.data(), nullptr, "+");
    ReplaceAll(source.data(), dest.data(), "-", nullptr);
    EXPECT_EQ(std::string(source.data()), "a-b");
    EXPECT_EQ(CanaryTail(dest, 0), std::string(8, kCanary));
}

TEST(RemoveFirst, DropsOnlyTheFirstOccurrence) {
    const struct {
        const char* source;
        const char* pattern;
        std::string result;
    } cases[] = {
        {"abcabc", "bc", "aabc"}, {"abc", "c", "ab"}, {"abc", "abc", ""},
        {"abc", "x", "abc"},      {"abc", "", "abc"}, {"", "x", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " without " + c.pattern);
        std::vector<char> dest = Canaries(16);
        RemoveFirst(c.source, dest.data(), c.pattern);
        EXPECT_EQ(std::string(dest.data()), c.result);
        EXPECT_EQ(CanaryTail(dest, c.result.size() + 1), Expected(dest, c.result.size() + 1));
    }
    std::vector<char> dest = Canaries(8);
    RemoveFirst(nullptr, dest.data(), "a");
    RemoveFirst("abc", dest.data(), nullptr);
    RemoveFirst("abc", nullptr, "a");
    EXPECT_EQ(CanaryTail(dest, 0), std::string(8, kCanary));
}

TEST(UnderscoreToCamel, CapitalisesOnlyLowerCaseLettersAfterUnderscores) {
    const struct {
        const char* source;
        const char* result;
    } cases[] = {
        {"flap_lever", "flapLever"},
        {"flap_", "flap"},
        {"speed_brake_in", "speedBrakeIn"},
        {"a_b_c", "aBC"},
        {"_flap", "Flap"},
        {"flap", "flap"},
        {"a__b", "aB"},
        {"gear_1", "gear1"},
        {"x_Y", "xY"},
        {"a_{", "a{"},
        {"a_\xe9", "a\xe9"},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::vector<char> dest = Canaries(32);
        EXPECT_EQ(UnderscoreToCamel(dest.data(), c.source), dest.data()) << c.source;
        EXPECT_STREQ(dest.data(), c.result) << c.source;
    }
}

TEST(UnderscoreToCamel, ConvertsInPlaceAndRefusesNull) {
    char text[] = "heart_beat";
    EXPECT_EQ(UnderscoreToCamel(text, text), text);
    EXPECT_STREQ(text, "heartBeat");
    char dest[8] = "keep";
    EXPECT_EQ(UnderscoreToCamel(dest, nullptr), nullptr);
    EXPECT_EQ(UnderscoreToCamel(nullptr, "a_b"), nullptr);
    EXPECT_STREQ(dest, "keep");
}

} // namespace

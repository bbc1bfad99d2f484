// The bounded formatters and copies and the in-place text editors, each against
// a plain model of its contract. Destination sizes come from the input and
// every destination is a guarded buffer of exactly the size the contract names.
#include "fuzz/FuzzCheck.h"
#include "textfunctions/TextFunctions.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

using fuzz::Guarded;

// A guarded copy of a text, terminator included.
struct GuardedText {
    explicit GuardedText(const std::string& text) : buffer(text.size() + 1) {
        std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
    }
    char* data() { return buffer.data(); }
    std::string Text() { return std::string(buffer.data(), buffer.TerminatorIndex()); }
    Guarded buffer;
};

std::string Without(const std::string& text, char c) {
    std::string out;
    for (char ch : text)
        if (ch != c)
            out += ch;
    return out;
}

std::string Collapsed(const std::string& text, char c) {
    std::string out;
    char previous = '\0';
    bool first = true;
    for (char ch : text) {
        if (!(!first && ch == c && previous == c))
            out += ch;
        previous = ch;
        first = false;
    }
    if (out.size() > 1023)
        out.resize(1023);
    return out;
}

std::string Replaced(std::string text, char from, char to) {
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

std::string CutAt(const std::string& text, char c) {
    const auto at = text.find(c);
    return at == std::string::npos ? text : text.substr(0, at);
}

std::string UnquotedSpacesRemoved(const std::string& text, int n) {
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size() && static_cast<long>(i) < n; ++i) {
        const char ch = text[i];
        if (ch == '"')
            quoted = !quoted;
        if (quoted || ch != ' ')
            out += ch;
    }
    return out;
}

// Runs an in-place editor on a guarded copy and checks the result against the
// model: same pointer back, the model's text, nothing written past the
// original terminator.
template <typename Edit>
void CheckEditor(const std::string& text, const std::string& expected, Edit edit) {
    GuardedText t(text);
    char* result = edit(t.data());
    FUZZ_CHECK(result == t.data());
    FUZZ_CHECK(t.buffer.GuardIntact());
    FUZZ_CHECK(t.buffer.TerminatorIndex() <= text.size());
    FUZZ_CHECK(t.Text() == expected);
}

void FuzzEditors(int op, const std::string& text, char c, char d, int n) {
    switch (op) {
    case 0:
        CheckEditor(text, CutAt(text, '\n'), CutAtNewline);
        break;
    case 1:
        CheckEditor(text, CutAt(text, c), [c](char* s) { return CutAtChar(s, c); });
        break;
    case 2: {
        std::string e = text;
        if (!e.empty() && e.back() == '\t')
            e.pop_back();
        CheckEditor(text, e, DropTrailingTab);
        break;
    }
    case 3: {
        std::string e = text;
        while (!e.empty() && e.back() == ' ')
            e.pop_back();
        CheckEditor(text, e, TrimTrailingSpaces);
        break;
    }
    case 4:
        // The kept text must be shorter than the 1024-byte working copy.
        if (Without(text, ' ').size() < 1024)
            CheckEditor(text, Without(text, ' '), RemoveSpaces);
        break;
    case 5:
        if (Without(text, c).size() < 1024)
            CheckEditor(text, Without(text, c), [c](char* s) { return RemoveChar(s, c); });
        break;
    case 6:
        CheckEditor(text, Collapsed(text, '\t'), CollapseTabs);
        break;
    case 7:
        CheckEditor(text, Collapsed(text, c), [c](char* s) { return CollapseRepeats(s, c); });
        break;
    case 8:
        CheckEditor(text, Replaced(text, '\t', ' '), TabsToSpaces);
        break;
    case 9:
        CheckEditor(text, Replaced(text, c, c == '\0' ? c : '_'),
                    [c](char* s) { return ReplaceWithUnderscore(s, c); });
        break;
    case 10:
        // Replacing by NUL cuts the text; replacing NUL itself changes nothing.
        CheckEditor(text, c == '\0' ? text : CutAt(Replaced(text, c, d), '\0'),
                    [c, d](char* s) { return ReplaceChar(s, c, d); });
        break;
    default: {
        GuardedText t(text);
        char* result = RemoveUnquotedSpaces(t.data(), n);
        FUZZ_CHECK(t.buffer.GuardIntact());
        if (text.size() > 1024) {
            FUZZ_CHECK(result == nullptr);
            FUZZ_CHECK(t.Text() == text);
        } else {
            FUZZ_CHECK(result == t.data());
            FUZZ_CHECK(t.Text() == UnquotedSpacesRemoved(text, n));
        }
        break;
    }
    }
}

void FuzzFormatIntoBuffer(const std::string& text, int size) {
    Guarded dest(static_cast<std::size_t>(size), 0xEE);
    const int result = FormatIntoBuffer(dest.data(), size, "%s", text.c_str());
    const int length = static_cast<int>(text.size());
    FUZZ_CHECK(dest.GuardIntact());
    FUZZ_CHECK(result == (length < size ? length : length == size ? size : -1));
    const std::size_t kept = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size) - 1);
    FUZZ_CHECK(std::memcmp(dest.data(), text.data(), kept) == 0);
    // Zero-filled first, so every byte after the text is zero.
    for (std::size_t i = kept; i < dest.size(); ++i)
        FUZZ_CHECK(dest.data()[i] == '\0');
}

void FuzzFormatIntoChars(const std::string& text, int size) {
    Guarded dest(static_cast<std::size_t>(size) + 1, 0xEE);
    const int result = FormatIntoChars(dest.data(), size, "%s", text.c_str());
    const int length = static_cast<int>(text.size());
    FUZZ_CHECK(dest.GuardIntact());
    FUZZ_CHECK(result == (length <= size ? length : -1));
    const std::size_t kept = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size));
    FUZZ_CHECK(std::memcmp(dest.data(), text.data(), kept) == 0);
    FUZZ_CHECK(dest.data()[kept] == '\0');
    FUZZ_CHECK(dest.data()[size] == '\0');
}

void FuzzCopyBounded(const std::string& text, int size) {
    if (size < 0) {
        Guarded dest(8, 0xEE);
        FUZZ_CHECK(CopyBounded(dest.data(), text.c_str(), size) == nullptr);
        for (std::size_t i = 0; i < dest.size(); ++i)
            FUZZ_CHECK(static_cast<unsigned char>(dest.data()[i]) == 0xEE);
        return;
    }
    Guarded dest(static_cast<std::size_t>(size), 0xEE);
    FUZZ_CHECK(CopyBounded(dest.data(), text.c_str(), size) == dest.data());
    FUZZ_CHECK(dest.GuardIntact());
    if (size == 0)
        return;
    const std::size_t kept = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size) - 1);
    FUZZ_CHECK(std::memcmp(dest.data(), text.data(), kept) == 0);
    for (std::size_t i = kept; i < dest.size(); ++i)
        FUZZ_CHECK(dest.data()[i] == '\0');
}

void FuzzCopyChars(const std::string& text, int count) {
    Guarded dest(static_cast<std::size_t>(count) + 1, 0xEE);
    FUZZ_CHECK(CopyChars(dest.data(), text.c_str(), count) == dest.data());
    FUZZ_CHECK(dest.GuardIntact());
    const auto ucount = static_cast<std::size_t>(count);
    const std::size_t kept = std::min(text.size(), ucount);
    FUZZ_CHECK(std::memcmp(dest.data(), text.data(), kept) == 0);
    for (std::size_t i = kept; i < ucount; ++i)
        FUZZ_CHECK(dest.data()[i] == '\0');
    if (text.size() >= ucount)
        FUZZ_CHECK(dest.data()[ucount] == '\0');
    else
        FUZZ_CHECK(static_cast<unsigned char>(dest.data()[ucount]) == 0xEE);
}

void FuzzCopyFixedField(const std::string& text) {
    Guarded dest(20, 'x');
    CopyFixedField(dest.data(), text.c_str());
    FUZZ_CHECK(dest.GuardIntact());
    const std::size_t kept = std::min<std::size_t>(text.size(), 20);
    FUZZ_CHECK(std::memcmp(dest.data(), text.data(), kept) == 0);
    for (std::size_t i = kept; i < 20; ++i)
        FUZZ_CHECK(dest.data()[i] == 'x');
}

void FuzzQueries(const std::string& text, const std::string& other) {
    GuardedText t(text);
    const std::size_t firstNonSpace = std::min(text.find_first_not_of(' '), text.size());
    FUZZ_CHECK(SkipLeadingSpaces(t.data()) == t.data() + firstNonSpace);
    FUZZ_CHECK(IsEmpty(t.data()) == text.empty());
    FUZZ_CHECK(IsZeroLength(t.data()) == (text.empty() ? 1 : 0));

    GuardedText a(text);
    GuardedText b(other);
    const std::string a999 = Without(text.substr(0, 999), ' ');
    const std::string b999 = Without(other.substr(0, 999), ' ');
    FUZZ_CHECK(EqualIgnoringSpaces(a.data(), b.data()) == (a999 == b999));
    FUZZ_CHECK(a.Text() == text && b.Text() == other);

    const std::string first1023 = text.substr(0, 1023);
    const bool any = !other.empty() && first1023.find_first_of(other) != std::string::npos;
    FUZZ_CHECK(ContainsAnyOf(b.data(), a.data()) == any);

    // It removes spaces in place, so the kept text must fit the working copy.
    const std::string kept = Without(text, ' ');
    if (kept.size() < 1024) {
        GuardedText blank(text);
        const bool isBlank = IsBlankLine(blank.data());
        FUZZ_CHECK(blank.buffer.GuardIntact());
        FUZZ_CHECK(isBlank == (!text.empty() && kept.empty()));
        FUZZ_CHECK(blank.Text() == (text.empty() ? text : CutAt(kept, '\n')));
    }
}

void FuzzRebuilders(const std::string& text, const std::string& pattern,
                    const std::string& replacement) {
    // RemoveFirst: the source without the first occurrence of the pattern.
    {
        std::string expected = text;
        const auto at = text.find(pattern);
        if (at != std::string::npos)
            expected.erase(at, pattern.size());
        Guarded dest(expected.size() + 1, 0xEE);
        GuardedText source(text);
        RemoveFirst(source.data(), dest.data(), pattern.c_str());
        FUZZ_CHECK(dest.GuardIntact());
        FUZZ_CHECK(std::string(dest.data(), dest.TerminatorIndex()) == expected);
        FUZZ_CHECK(source.Text() == text);
    }
    // ReplaceAll: an empty pattern is outside the contract.
    if (!pattern.empty()) {
        std::string expected;
        std::size_t from = 0;
        std::size_t at = 0;
        std::size_t firstAt = std::string::npos;
        while ((at = text.find(pattern, from)) != std::string::npos) {
            if (firstAt == std::string::npos)
                firstAt = at;
            expected += text.substr(from, at - from) + replacement;
            from = at + pattern.size();
        }
        expected += text.substr(from);
        Guarded dest(expected.size() + 1, 0xEE);
        GuardedText source(text);
        ReplaceAll(source.data(), dest.data(), pattern.c_str(), replacement.c_str());
        FUZZ_CHECK(dest.GuardIntact());
        FUZZ_CHECK(source.buffer.GuardIntact());
        FUZZ_CHECK(std::string(dest.data(), dest.TerminatorIndex()) == expected);
        FUZZ_CHECK(source.Text() == text.substr(0, std::min(firstAt, text.size())));
    }
    // UnderscoreToCamel: the details are the implementer's, the bounds are not.
    if (text.size() < 1024) {
        Guarded dest(text.size() + 1, 0xEE);
        FUZZ_CHECK(UnderscoreToCamel(dest.data(), text.c_str()) == dest.data());
        FUZZ_CHECK(dest.GuardIntact());
        const std::size_t end = dest.TerminatorIndex();
        FUZZ_CHECK(end <= text.size());
        FUZZ_CHECK(std::memchr(dest.data(), '_', end) == nullptr);
    }
}

void FuzzNulls() {
    char one[1] = {'\0'};
    FUZZ_CHECK(FormatIntoBuffer(nullptr, 10, "%s", "x") == 0);
    FUZZ_CHECK(FormatIntoChars(nullptr, 10, "%s", "x") == 0);
    FUZZ_CHECK(CopyBounded(nullptr, "x", 4) == nullptr);
    FUZZ_CHECK(CopyBounded(one, nullptr, 1) == nullptr);
    FUZZ_CHECK(CopyChars(nullptr, "x", 4) == nullptr);
    FUZZ_CHECK(CopyChars(one, nullptr, 0) == nullptr);
    FUZZ_CHECK(CutAtNewline(nullptr) == nullptr);
    FUZZ_CHECK(TrimTrailingSpaces(nullptr) == nullptr);
    FUZZ_CHECK(RemoveSpaces(nullptr) == nullptr);
    FUZZ_CHECK(CollapseTabs(nullptr) == nullptr);
    FUZZ_CHECK(RemoveUnquotedSpaces(nullptr, 3) == nullptr);
    FUZZ_CHECK(SkipLeadingSpaces(nullptr) == nullptr);
    FUZZ_CHECK(!IsEmpty(nullptr));
    FUZZ_CHECK(!IsBlankLine(nullptr));
    FUZZ_CHECK(!EqualIgnoringSpaces(nullptr, "x"));
    FUZZ_CHECK(!ContainsAnyOf("x", nullptr));
    FUZZ_CHECK(UnderscoreToCamel(nullptr, "a_b") == nullptr);
    FUZZ_CHECK(one[0] == '\0');
}

} // namespace

using fuzz::CText;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int group = in.ConsumeIntegralInRange(0, 5);
    const int op = in.ConsumeIntegralInRange(0, 11);
    const int number = in.ConsumeIntegralInRange(-4, 1100);
    const char c = in.ConsumeIntegral<char>();
    const char d = in.ConsumeIntegral<char>();
    const std::string other = CText(in.ConsumeRandomLengthString(64));
    const std::string text = CText(in.ConsumeRemainingBytesAsString());

    switch (group) {
    case 0:
        FuzzEditors(op, text, c, d, number);
        break;
    case 1:
        FuzzFormatIntoBuffer(text, std::max(number, 1));
        FuzzFormatIntoChars(text, std::max(number, 0));
        break;
    case 2:
        FuzzCopyBounded(text, number);
        FuzzCopyChars(text, std::max(number, 0));
        FuzzCopyFixedField(text);
        break;
    case 3:
        FuzzQueries(text, other);
        break;
    case 4:
        FuzzRebuilders(text, other, CText(std::string(1, c) + std::string(1, d)));
        break;
    default:
        FuzzNulls();
        break;
    }
    return 0;
}

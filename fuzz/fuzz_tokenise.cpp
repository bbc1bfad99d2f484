// The tokeniser family against a plain model of its rules. Every text and word
// table is allocated at exactly the size the rules require, so a write past
// the last entry, or a read past the terminator, is a sanitizer report.
#include "fuzz/FuzzCheck.h"
#include "textfunctions/TextFunctions.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

// What a table entry holds until the routine writes it.
char g_Untouched[] = "untouched";

struct Span {
    std::size_t begin;
    std::size_t end;
};

// Words are the maximal runs of characters outside the delimiter set.
std::vector<Span> ModelWords(const std::string& text, const std::string& delimiters) {
    std::vector<Span> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && delimiters.find(text[i]) != std::string::npos)
            ++i;
        if (i == text.size())
            break;
        const std::size_t begin = i;
        while (i < text.size() && delimiters.find(text[i]) == std::string::npos)
            ++i;
        words.push_back({begin, i});
    }
    return words;
}

// A text of exactly its length plus the terminator, nothing after it.
std::unique_ptr<char[]> ExactText(const std::string& text) {
    auto buffer = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    return buffer;
}

void CheckWord(const char* base, const char* entry, const std::string& text, Span word) {
    FUZZ_CHECK(entry == base + word.begin);
    FUZZ_CHECK(std::strlen(entry) == word.end - word.begin);
    FUZZ_CHECK(std::memcmp(entry, text.data() + word.begin, word.end - word.begin) == 0);
}

void FuzzTokenise(const std::string& text, const std::string& delimiters) {
    const auto words = ModelWords(text, delimiters);
    const std::size_t k = words.size();
    const std::size_t entries = std::max<std::size_t>(k + 1, 2);
    auto buffer = ExactText(text);
    auto table = std::make_unique<char*[]>(entries);
    std::fill_n(table.get(), entries, static_cast<char*>(g_Untouched));

    const int n = Tokenise(buffer.get(), delimiters.c_str(), table.get());
    FUZZ_CHECK(n == static_cast<int>(std::max<std::size_t>(k, 1)));
    for (std::size_t w = 0; w < k; ++w)
        CheckWord(buffer.get(), table[w], text, words[w]);
    FUZZ_CHECK(table[k] == nullptr);
    if (k == 0)
        FUZZ_CHECK(table[1] == nullptr);
}

void FuzzTokeniseLimited(const std::string& text, const std::string& delimiters, int maxWords) {
    const auto words = ModelWords(text, delimiters);
    const std::size_t k = words.size();
    const std::size_t limit = static_cast<std::size_t>(std::max(maxWords, 1));
    const std::size_t entries = std::max<std::size_t>(static_cast<std::size_t>(maxWords) + 1, 2);
    auto buffer = ExactText(text);
    auto table = std::make_unique<char*[]>(entries);
    std::fill_n(table.get(), entries, static_cast<char*>(g_Untouched));

    const int n = TokeniseLimited(buffer.get(), delimiters.c_str(), table.get(), maxWords);
    const std::size_t expected = std::max<std::size_t>(std::min(k, limit), 1);
    FUZZ_CHECK(n == static_cast<int>(expected));
    const std::size_t stored = std::min(k, limit + 1);
    for (std::size_t w = 0; w < stored; ++w)
        CheckWord(buffer.get(), table[w], text, words[w]);
    if (k <= limit) {
        FUZZ_CHECK(table[k] == nullptr);
        if (k == 0)
            FUZZ_CHECK(table[1] == nullptr);
    } else {
        // The text after the last stored word is not examined, so not cut.
        const std::size_t rest = words[limit].end + 1;
        if (rest < text.size())
            FUZZ_CHECK(std::memcmp(buffer.get() + rest, text.data() + rest, text.size() - rest) ==
                       0);
    }
}

std::vector<std::size_t> SeparatorPositions(const std::string& text, char separator,
                                            std::size_t maxSplits) {
    std::vector<std::size_t> cuts;
    if (separator == '\0')
        return cuts;
    for (std::size_t i = 0; i < text.size() && cuts.size() < maxSplits; ++i)
        if (text[i] == separator)
            cuts.push_back(i);
    return cuts;
}

void CheckFields(const char* base, char* const* fields, const std::string& text,
                 const std::vector<std::size_t>& cuts) {
    std::size_t begin = 0;
    for (std::size_t f = 0; f <= cuts.size(); ++f) {
        FUZZ_CHECK(fields[f] == base + begin);
        if (f < cuts.size()) {
            FUZZ_CHECK(std::strlen(fields[f]) == cuts[f] - begin);
            begin = cuts[f] + 1;
        } else {
            // The last field keeps the rest of the text, separators included.
            FUZZ_CHECK(std::strlen(fields[f]) == text.size() - begin);
            FUZZ_CHECK(std::memcmp(fields[f], text.data() + begin, text.size() - begin) == 0);
        }
    }
}

void FuzzSplit(const std::string& text, const std::string& separators, bool limited,
               int maxSplits) {
    const char separator = separators.empty() ? '\0' : separators[0];
    const std::size_t bound =
        !limited ? text.size() : static_cast<std::size_t>(std::max(maxSplits, 0));
    const auto cuts = SeparatorPositions(text, separator, bound);
    auto buffer = ExactText(text);
    auto fields = std::make_unique<char*[]>(cuts.size() + 1);

    const int n =
        limited ? SplitAtCharLimited(buffer.get(), separators.c_str(), fields.get(), maxSplits)
                : SplitAtChar(buffer.get(), separators.c_str(), fields.get());
    FUZZ_CHECK(n == static_cast<int>(cuts.size() + 1));
    CheckFields(buffer.get(), fields.get(), text, cuts);
}

// Either the text itself, or the text repeated to a length near the cap of
// 10000 characters, where an off-by-one in the count would show.
void FuzzBoundedLength(const std::string& text, int limit) {
    std::string longText = text;
    if (limit % 2 == 0 && !text.empty()) {
        const int length = 9990 + limit;
        const auto target = static_cast<std::size_t>(length);
        while (longText.size() < target)
            longText += text;
        longText.resize(target);
    }
    auto buffer = ExactText(longText);
    FUZZ_CHECK(BoundedLength(buffer.get()) ==
               static_cast<int>(std::min<std::size_t>(longText.size(), 10000)));
}

} // namespace

using fuzz::CText;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int selector = in.ConsumeIntegralInRange(0, 4);
    const int limit = in.ConsumeIntegralInRange(-2, 40);
    const std::string delimiters = CText(in.ConsumeRandomLengthString(8));
    const std::string text = CText(in.ConsumeRemainingBytesAsString());

    switch (selector) {
    case 0:
        FuzzTokenise(text, delimiters);
        break;
    case 1:
        // The table for a limit below 1 is not defined by the contract.
        FuzzTokeniseLimited(text, delimiters, std::max(limit, 0));
        break;
    case 2:
        FuzzSplit(text, delimiters, false, 0);
        break;
    case 3:
        FuzzSplit(text, delimiters, true, limit);
        break;
    default:
        FuzzBoundedLength(text, limit);
        break;
    }
    FUZZ_CHECK(Tokenise(nullptr, " ", nullptr) == 0);
    FUZZ_CHECK(TokeniseLimited(nullptr, " ", nullptr, limit) == 0);
    FUZZ_CHECK(BoundedLength(nullptr) == 0);
    return 0;
}

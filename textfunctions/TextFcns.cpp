#include "configcontrol/ConfigControl.h"
#include "textfunctions/TextFunctions.h"

#include <cassert>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

static const char kTextFcnsRevision[] = "%Z% TextFunctions TS3102 TextFcns $Revision: 1.3 $";

void RegisterTextFcns() {
    RegisterConfigString(kTextFcnsRevision);
}

namespace {

constexpr int kMaxText = 1024;
// The rebuilding editors keep what their 1024-byte working copy holds: 1023
// characters and the terminator.
constexpr int kMaxKept = kMaxText - 1;
constexpr int kFixedFieldChars = 20;
constexpr std::size_t kCompareCopy = 1000;

// Drops each character for which drop(character, previous one is c) holds,
// compacting in place; nothing is written past the text.
template <class Drop> char* Rebuild(char* text, char c, Drop drop) {
    if (text == nullptr)
        return nullptr;
    int kept = 0;
    bool afterC = false;
    for (const char* p = text; *p != '\0' && kept < kMaxKept; ++p) {
        if (!drop(*p, afterC))
            text[kept++] = *p;
        afterC = *p == c;
    }
    text[kept] = '\0';
    return text;
}

char* Remove(char* text, char c) {
    return Rebuild(text, c, [c](char ch, bool) { return ch == c; });
}

char* Collapse(char* text, char c) {
    return Rebuild(text, c, [c](char ch, bool afterC) { return ch == c && afterC; });
}

char* Replace(char* text, char from, char to) {
    if (text == nullptr)
        return nullptr;
    for (char* p = text; *p != '\0'; ++p)
        if (*p == from)
            *p = to;
    return text;
}

char* Append(char* out, const char* text) {
    const std::size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

} // namespace

int FormatIntoBuffer(char* dest, int size, const char* format, ...) {
    if (dest == nullptr)
        return 0;
    va_list args;
    va_start(args, format);
    int length;
    if (size < 1) {
        length = std::vsnprintf(nullptr, 0, format, args);
    } else {
        std::memset(dest, 0, static_cast<std::size_t>(size));
        length = std::vsnprintf(dest, static_cast<std::size_t>(size), format, args);
        if (length < 0)
            std::memset(dest, 0, static_cast<std::size_t>(size));
    }
    va_end(args);
    if (length < 0)
        return -1;
    if (length < size)
        return length;
    return length == size ? size : -1;
}

int FormatIntoChars(char* dest, int size, const char* format, ...) {
    if (dest == nullptr)
        return 0;
    // dest holds size + 1 bytes, so a negative size leaves no room at all.
    if (size < 0)
        return -1;
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(dest, static_cast<std::size_t>(size) + 1, format, args);
    va_end(args);
    dest[size] = '\0';
    return length >= 0 && length <= size ? length : -1;
}

char* CopyBounded(char* dest, const char* src, int size) {
    if (dest == nullptr || src == nullptr || size < 0)
        return nullptr;
    if (size == 0)
        return dest;
    std::strncpy(dest, src, static_cast<std::size_t>(size) - 1);
    dest[size - 1] = '\0';
    return dest;
}

char* CopyChars(char* dest, const char* src, int count) {
    if (dest == nullptr || src == nullptr || count < 0)
        return nullptr;
    const auto limit = static_cast<std::size_t>(count);
    const std::size_t length = strnlen(src, limit);
    std::memcpy(dest, src, length);
    // Like strncpy: a shorter source is padded with zeros up to count, and
    // index count is only written when the source filled all count bytes.
    if (length < limit)
        std::memset(dest + length, 0, limit - length);
    else
        dest[count] = '\0';
    return dest;
}

void CopyFixedField(char* dest, const char* src) {
    assert(dest != nullptr && src != nullptr);
    for (int i = 0; i < kFixedFieldChars && src[i] != '\0'; ++i)
        dest[i] = src[i];
}

char* CutAtNewline(char* text) {
    return CutAtChar(text, '\n');
}

char* CutAtChar(char* text, char c) {
    if (text == nullptr)
        return nullptr;
    if (char* hit = std::strchr(text, c))
        *hit = '\0';
    return text;
}

char* DropTrailingTab(char* text) {
    if (text == nullptr)
        return nullptr;
    const std::size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] == '\t')
        text[length - 1] = '\0';
    return text;
}

char* TrimTrailingSpaces(char* text) {
    if (text == nullptr)
        return nullptr;
    std::size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == ' ')
        --length;
    text[length] = '\0';
    return text;
}

char* RemoveSpaces(char* text) {
    return Remove(text, ' ');
}

char* RemoveChar(char* text, char c) {
    return Remove(text, c);
}

char* CollapseTabs(char* text) {
    return Collapse(text, '\t');
}

char* CollapseRepeats(char* text, char c) {
    return Collapse(text, c);
}

char* TabsToSpaces(char* text) {
    return Replace(text, '\t', ' ');
}

char* ReplaceWithUnderscore(char* text, char c) {
    return Replace(text, c, '_');
}

char* ReplaceChar(char* text, char from, char to) {
    return Replace(text, from, to);
}

char* RemoveUnquotedSpaces(char* text, int n) {
    if (text == nullptr || strnlen(text, kMaxText + 1) > static_cast<std::size_t>(kMaxText))
        return nullptr;
    bool quoted = false;
    int kept = 0;
    for (int i = 0; i < n && text[i] != '\0'; ++i) {
        const char ch = text[i];
        if (ch == '"')
            quoted = !quoted;
        if (quoted || ch != ' ')
            text[kept++] = ch;
    }
    text[kept] = '\0';
    return text;
}

int MaxTextLength() {
    return kMaxText;
}

const char* SkipLeadingSpaces(const char* text) {
    if (text == nullptr)
        return nullptr;
    while (*text == ' ')
        ++text;
    return text;
}

bool IsEmpty(const char* text) {
    return text != nullptr && *text == '\0';
}

int IsZeroLength(const char* text) {
    assert(text != nullptr);
    return *text == '\0' ? 1 : 0;
}

bool IsBlankLine(char* text) {
    if (text == nullptr || *text == '\0')
        return false;
    if (*RemoveSpaces(text) == '\0')
        return true;
    CutAtNewline(text);
    return false;
}

bool EqualIgnoringSpaces(const char* a, const char* b) {
    if (a == nullptr || b == nullptr)
        return false;
    char copyA[kCompareCopy];
    char copyB[kCompareCopy];
    RemoveSpaces(CopyBounded(copyA, a, kCompareCopy));
    RemoveSpaces(CopyBounded(copyB, b, kCompareCopy));
    return std::strcmp(copyA, copyB) == 0;
}

bool ContainsAnyOf(const char* set, const char* text) {
    if (set == nullptr || text == nullptr)
        return false;
    // Only what a 1024-byte working copy of the text would hold is looked up.
    for (int i = 0; i < kMaxKept && text[i] != '\0'; ++i)
        if (std::strchr(set, text[i]) != nullptr)
            return true;
    return false;
}

void ReplaceAll(char* source, char* dest, const char* pattern, const char* replacement) {
    if (source == nullptr || dest == nullptr || pattern == nullptr || replacement == nullptr)
        return;
    const std::size_t patternLength = std::strlen(pattern);
    char* out = dest;
    char* from = source;
    // An empty pattern occurs everywhere and would never advance: copy instead.
    if (patternLength > 0) {
        for (char* hit; (hit = std::strstr(from, pattern)) != nullptr; from = hit + patternLength) {
            *hit = '\0';
            out = Append(out, from);
            out = Append(out, replacement);
        }
    }
    std::strcpy(out, from);
}

void RemoveFirst(const char* source, char* dest, const char* pattern) {
    if (source == nullptr || dest == nullptr || pattern == nullptr)
        return;
    const char* hit = std::strstr(source, pattern);
    if (hit == nullptr) {
        std::strcpy(dest, source);
        return;
    }
    const std::size_t head = static_cast<std::size_t>(hit - source);
    std::memcpy(dest, source, head);
    std::strcpy(dest + head, hit + std::strlen(pattern));
}

char* UnderscoreToCamel(char* dest, const char* src) {
    if (dest == nullptr || src == nullptr)
        return nullptr;
    // memmove lets a caller convert a text in place.
    std::memmove(dest, src, std::strlen(src) + 1);
    for (char* p = dest; *p != '\0'; ++p)
        if (*p == '_' && p[1] >= 'a' && p[1] <= 'z')
            p[1] = static_cast<char>(p[1] - 'a' + 'A');
    return RemoveChar(dest, '_');
}

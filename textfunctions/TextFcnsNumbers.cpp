#include "textfunctions/TextFunctions.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

char fixedText[256];

constexpr int kMaxFixedPrecision = 4;
constexpr int kFallbackPrecision = 5;
constexpr std::size_t kMaxHexText = 18;

int HexWorth(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

char* FormatFixed(double value, int precision) {
    if (precision < 0 || precision > kMaxFixedPrecision)
        precision = kFallbackPrecision;
    // A value too large for the buffer is cut at 255 characters rather than
    // written past it.
    std::snprintf(fixedText, sizeof fixedText, "% 10.*f", precision, value);
    return fixedText;
}

int ParseHex(const char* text) {
    if (text == nullptr)
        return 0;
    if (strnlen(text, kMaxHexText + 1) > kMaxHexText)
        return -1;
    if (const char* prefix = std::strstr(text, "0x"))
        text = prefix + 2;
    // Shifting a 32-bit unsigned total drops the digits beyond the eighth from
    // the right, which is the wrap the result is defined by.
    std::uint32_t total = 0;
    for (; *text != '\0'; ++text) {
        const int worth = HexWorth(*text);
        if (worth < 0)
            return -1;
        total = (total << 4) | static_cast<std::uint32_t>(worth);
    }
    return static_cast<int>(total);
}

int TextKey(const char* text) {
    if (text == nullptr)
        return -1;
    std::uint32_t total = 0;
    for (int i = 0; text[i] != '\0'; ++i) {
        // Characters count as signed bytes whatever the platform's char is.
        const auto value = static_cast<std::uint32_t>(
            static_cast<std::int32_t>(static_cast<std::int8_t>(text[i])));
        total += i < 4 ? value << (8 * (3 - i)) : value;
    }
    return static_cast<int>(total);
}

int DigitValue(int c) {
    const int low = c & 0xFF;
    return low >= '0' && low <= '9' ? low - '0' : -1;
}

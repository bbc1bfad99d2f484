// The block's pedestal fields as data: every row comes from the layout's own
// field table, so offsets and widths are never written down a second time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct GenericSimBlock;

namespace simblock {

enum class FieldType { Text, U8, U32, I32, F64 };

struct FieldInfo {
    std::string_view name;
    std::size_t offset;
    std::size_t bytes;    // the whole field
    std::size_t elements; // a text is one element
    std::size_t width;    // bytes per element
    FieldType type;
    std::string_view typeName;
    std::string_view meaning;
    std::string_view writer;
};

std::span<const FieldInfo> Fields();
const FieldInfo* FindField(std::string_view name);

// One element of one field, named "thrustLever[1]" or "userCount".
struct FieldRef {
    const FieldInfo* field = nullptr;
    std::size_t element = 0;
};
std::string Label(FieldRef ref);
// Accepts "name" for single-element fields and "name[i]"; an array field
// needs its index. On refusal returns nothing and says why in error.
std::optional<FieldRef> ParseFieldRef(std::string_view text, std::string& error);
// "versionText, thrustLever[0..1], ..." for messages that list what exists.
std::string AcceptedFieldNames();

inline constexpr std::size_t kMaxElementWidth = 64;

// One element's bytes as they stand in the block; equal bytes, equal value.
struct Value {
    FieldType type = FieldType::U8;
    std::size_t width = 0;
    std::array<unsigned char, kMaxElementWidth> bytes{};
    bool operator==(const Value&) const = default;
};

Value ReadElement(const GenericSimBlock& block, FieldRef ref);
void WriteElement(GenericSimBlock& block, FieldRef ref, const Value& value);

std::int64_t IntegerOf(const Value& value); // U8, U32, I32
double NumberOf(const Value& value);        // F64
std::string TextOf(const Value& value);     // up to the first NUL
Value MakeInteger(FieldType type, std::int64_t integer);
Value MakeNumber(double number);
Value MakeText(std::string_view text); // at most kMaxElementWidth bytes

// The value as set and record lines write it: shortest round-trip decimals
// for doubles, nan and inf spelled out, texts as they stand.
std::string FormatValue(const Value& value);
// The text escaped for a terminal: quotes around it, \xNN for other bytes.
std::string QuoteText(std::string_view text);
std::string FormatDouble(double number);

} // namespace simblock

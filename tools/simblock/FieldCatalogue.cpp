#include "tools/simblock/FieldCatalogue.h"

#include "shm/TS_P_0001_02_genericSim.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace simblock {
namespace {

template <typename T> constexpr FieldType TypeOf();
template <> constexpr FieldType TypeOf<char>() {
    return FieldType::Text;
}
template <> constexpr FieldType TypeOf<std::uint8_t>() {
    return FieldType::U8;
}
template <> constexpr FieldType TypeOf<std::uint32_t>() {
    return FieldType::U32;
}
template <> constexpr FieldType TypeOf<std::int32_t>() {
    return FieldType::I32;
}
template <> constexpr FieldType TypeOf<double>() {
    return FieldType::F64;
}

template <typename T>
constexpr FieldInfo MakeInfo(std::string_view name, std::size_t offset, std::size_t count,
                             std::string_view typeName, std::string_view meaning,
                             std::string_view writer) {
    constexpr bool text = TypeOf<T>() == FieldType::Text;
    return FieldInfo{name,
                     offset,
                     count * sizeof(T),
                     text ? 1 : count,
                     text ? count : sizeof(T),
                     TypeOf<T>(),
                     typeName,
                     meaning,
                     writer};
}

#define SIMBLOCK_FIELD_ROW(name, member, count, type, meaning, writer)                             \
    MakeInfo<type>(#name, offsetof(GenericSimBlock, member), count, #type, meaning, writer),
constexpr FieldInfo kFields[] = {GENERIC_SIM_FIELDS(SIMBLOCK_FIELD_ROW)};
#undef SIMBLOCK_FIELD_ROW

// A table row whose count or type disagrees with the struct would make every
// read and write of that field wrong, so the two are proved to agree.
#define SIMBLOCK_FIELD_SIZE(name, member, count, type, meaning, writer)                            \
    static_assert(sizeof(GenericSimBlock::member) == (count) * sizeof(type),                       \
                  #name " has another size in the field table");
GENERIC_SIM_FIELDS(SIMBLOCK_FIELD_SIZE)
#undef SIMBLOCK_FIELD_SIZE

static_assert(std::all_of(std::begin(kFields), std::end(kFields),
                          [](const FieldInfo& f) { return f.width <= kMaxElementWidth; }));

std::size_t ElementOffset(FieldRef ref) {
    return ref.field->offset + ref.element * ref.field->width;
}

} // namespace

std::span<const FieldInfo> Fields() {
    return kFields;
}

const FieldInfo* FindField(std::string_view name) {
    for (const FieldInfo& field : kFields)
        if (field.name == name)
            return &field;
    return nullptr;
}

std::string Label(FieldRef ref) {
    std::string label(ref.field->name);
    if (ref.field->elements > 1)
        label += "[" + std::to_string(ref.element) + "]";
    return label;
}

std::string AcceptedFieldNames() {
    std::string names;
    for (const FieldInfo& field : kFields) {
        if (!names.empty())
            names += ", ";
        names += field.name;
        if (field.elements > 1)
            names += "[0.." + std::to_string(field.elements - 1) + "]";
    }
    return names;
}

std::optional<FieldRef> ParseFieldRef(std::string_view text, std::string& error) {
    const std::size_t open = text.find('[');
    const FieldInfo* field = FindField(text.substr(0, open));
    if (field == nullptr) {
        error = "unknown field '" + std::string(text) + "'; fields are " + AcceptedFieldNames();
        return std::nullopt;
    }
    const std::string range = "0 to " + std::to_string(field->elements - 1);
    if (open == std::string_view::npos) {
        if (field->elements == 1)
            return FieldRef{field, 0};
        error = std::string(field->name) + " has " + std::to_string(field->elements) +
                " elements; name one as " + std::string(field->name) + "[i], i from " + range;
        return std::nullopt;
    }
    const std::string_view index = text.substr(open + 1);
    std::size_t element = 0;
    const auto [end, ec] = std::from_chars(index.data(), index.data() + index.size(), element);
    if (ec != std::errc() || end == index.data() || end + 1 != index.data() + index.size() ||
        *end != ']' || element >= field->elements) {
        error = "'" + std::string(text) + "': the index of " + std::string(field->name) +
                " is a number from " + range;
        return std::nullopt;
    }
    return FieldRef{field, element};
}

Value ReadElement(const GenericSimBlock& block, FieldRef ref) {
    Value value;
    value.type = ref.field->type;
    value.width = ref.field->width;
    std::memcpy(value.bytes.data(),
                reinterpret_cast<const unsigned char*>(&block) + ElementOffset(ref), value.width);
    return value;
}

void WriteElement(GenericSimBlock& block, FieldRef ref, const Value& value) {
    std::memcpy(reinterpret_cast<unsigned char*>(&block) + ElementOffset(ref), value.bytes.data(),
                ref.field->width);
}

std::int64_t IntegerOf(const Value& value) {
    switch (value.type) {
    case FieldType::U8:
        return value.bytes[0];
    case FieldType::U32: {
        std::uint32_t v = 0;
        std::memcpy(&v, value.bytes.data(), sizeof v);
        return v;
    }
    case FieldType::I32: {
        std::int32_t v = 0;
        std::memcpy(&v, value.bytes.data(), sizeof v);
        return v;
    }
    default:
        return 0;
    }
}

double NumberOf(const Value& value) {
    double v = 0;
    if (value.type == FieldType::F64)
        std::memcpy(&v, value.bytes.data(), sizeof v);
    return v;
}

std::string TextOf(const Value& value) {
    const auto* begin = reinterpret_cast<const char*>(value.bytes.data());
    return std::string(begin, strnlen(begin, value.width));
}

Value MakeInteger(FieldType type, std::int64_t integer) {
    Value value;
    value.type = type;
    if (type == FieldType::U8) {
        value.width = 1;
        value.bytes[0] = static_cast<unsigned char>(integer);
    } else if (type == FieldType::U32) {
        const auto v = static_cast<std::uint32_t>(integer);
        value.width = sizeof v;
        std::memcpy(value.bytes.data(), &v, sizeof v);
    } else {
        const auto v = static_cast<std::int32_t>(integer);
        value.width = sizeof v;
        std::memcpy(value.bytes.data(), &v, sizeof v);
    }
    return value;
}

Value MakeNumber(double number) {
    Value value;
    value.type = FieldType::F64;
    value.width = sizeof number;
    std::memcpy(value.bytes.data(), &number, sizeof number);
    return value;
}

Value MakeText(std::string_view text) {
    Value value;
    value.type = FieldType::Text;
    value.width = kMaxElementWidth;
    std::memcpy(value.bytes.data(), text.data(), std::min(text.size(), kMaxElementWidth));
    return value;
}

std::string FormatDouble(double number) {
    if (std::isnan(number))
        return "nan";
    if (std::isinf(number))
        return number < 0 ? "-inf" : "inf";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
}

std::string FormatValue(const Value& value) {
    switch (value.type) {
    case FieldType::Text:
        return TextOf(value);
    case FieldType::F64:
        return FormatDouble(NumberOf(value));
    default:
        return std::to_string(IntegerOf(value));
    }
}

std::string QuoteText(std::string_view text) {
    static const char digits[] = "0123456789abcdef";
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte >= 0x20 && byte < 0x7f) {
            quoted += c;
        } else {
            quoted += "\\x";
            quoted += digits[byte >> 4];
            quoted += digits[byte & 15];
        }
    }
    return quoted + "\"";
}

} // namespace simblock

#include "tools/simblock/Json.h"

#include <cmath>

namespace simblock {
namespace {

// Bytes as Latin-1 characters, so that every byte survives as \u00XX.
std::string Latin1ToUtf8(std::string_view text) {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

// The library spells five control characters short (\n ...); the outputs
// have always given every control character as \u00XX.
std::string LongControlEscapes(const std::string& json) {
    std::string out;
    out.reserve(json.size());
    for (std::size_t i = 0; i < json.size(); ++i) {
        if (json[i] != '\\' || i + 1 >= json.size()) {
            out += json[i];
            continue;
        }
        const char next = json[++i];
        const char* spelled = nullptr;
        switch (next) {
        case 'b':
            spelled = "\\u0008";
            break;
        case 't':
            spelled = "\\u0009";
            break;
        case 'n':
            spelled = "\\u000a";
            break;
        case 'f':
            spelled = "\\u000c";
            break;
        case 'r':
            spelled = "\\u000d";
            break;
        default:
            break;
        }
        if (spelled != nullptr) {
            out += spelled;
        } else {
            out += '\\';
            out += next;
        }
    }
    return out;
}

} // namespace

void JsonWriter::Put(nlohmann::ordered_json value) {
    if (m_Open.empty()) {
        m_Text += LongControlEscapes(value.dump(-1, ' ', true));
        return;
    }
    Open& parent = m_Open.back();
    if (parent.value.is_array())
        parent.value.push_back(std::move(value));
    else
        parent.value[parent.key] = std::move(value);
}

void JsonWriter::Close() {
    nlohmann::ordered_json value = std::move(m_Open.back().value);
    m_Open.pop_back();
    Put(std::move(value));
}

JsonWriter& JsonWriter::BeginObject() {
    m_Open.push_back({nlohmann::ordered_json::object(), {}});
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    Close();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    m_Open.push_back({nlohmann::ordered_json::array(), {}});
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    Close();
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    m_Open.back().key = Latin1ToUtf8(key);
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view text) {
    Put(Latin1ToUtf8(text));
    return *this;
}

JsonWriter& JsonWriter::Integer(std::int64_t number) {
    Put(number);
    return *this;
}

JsonWriter& JsonWriter::Number(double number) {
    if (!std::isfinite(number))
        return Null();
    // Whole values print as integers ("0", not "0.0"), as they always have.
    constexpr double kExact = 9007199254740992.0; // 2^53
    if (number == std::trunc(number) && std::fabs(number) <= kExact)
        Put(static_cast<std::int64_t>(number));
    else
        Put(number);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    Put(value);
    return *this;
}

JsonWriter& JsonWriter::Null() {
    Put(nullptr);
    return *this;
}

} // namespace simblock

#include "tools/simblock/Json.h"

#include "tools/simblock/FieldCatalogue.h"

#include <cmath>

namespace simblock {
namespace {

void Quote(std::string& out, std::string_view text) {
    static const char digits[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7f) {
            out += c;
        } else {
            out += "\\u00";
            out += digits[byte >> 4];
            out += digits[byte & 15];
        }
    }
    out += '"';
}

} // namespace

void JsonWriter::Separate() {
    if (m_AfterKey) {
        m_AfterKey = false;
        return;
    }
    if (!m_First.empty()) {
        if (!m_First.back())
            m_Text += ',';
        m_First.back() = false;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    Separate();
    m_Text += '{';
    m_First.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    m_Text += '}';
    m_First.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    Separate();
    m_Text += '[';
    m_First.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    m_Text += ']';
    m_First.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    Separate();
    Quote(m_Text, key);
    m_Text += ':';
    m_AfterKey = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view text) {
    Separate();
    Quote(m_Text, text);
    return *this;
}

JsonWriter& JsonWriter::Integer(std::int64_t number) {
    Separate();
    m_Text += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::Number(double number) {
    if (!std::isfinite(number))
        return Null();
    Separate();
    m_Text += FormatDouble(number);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    Separate();
    m_Text += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    Separate();
    m_Text += "null";
    return *this;
}

} // namespace simblock

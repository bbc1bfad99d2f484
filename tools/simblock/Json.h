// Compact JSON for the --json outputs, built with nlohmann/json. Texts from
// the block may hold any byte: each byte is one character (Latin-1), and
// everything outside printable ASCII comes out as \u00XX. Values written at
// the top level follow one another in Text().
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace simblock {

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view text);
    JsonWriter& Integer(std::int64_t number);
    JsonWriter& Number(double number); // null when not finite
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    const std::string& Text() const { return m_Text; }

private:
    // An object or array being filled, and the key its next member takes.
    struct Open {
        nlohmann::ordered_json value;
        std::string key;
    };
    void Put(nlohmann::ordered_json value);
    void Close();

    std::vector<Open> m_Open;
    std::string m_Text;
};

} // namespace simblock

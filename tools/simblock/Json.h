// A small writer of compact JSON for the --json outputs. Texts from the block
// may hold any byte, so bytes outside printable ASCII come out as \u00XX.
#pragma once

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
    void Separate();

    std::string m_Text;
    std::vector<bool> m_First;
    bool m_AfterKey = false;
};

} // namespace simblock

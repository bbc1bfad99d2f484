// The revision-string parse with any text: over-long strings, many words, words
// longer than their fields, tabs and control bytes. Each parse is compared with
// a model of the rules (the first 511 characters, words split at spaces only,
// the first nine read), the record's fields must stay terminated inside their
// capacities, the caller's text must stay as it was, and the row that the
// register writes into an open report must be the record's row.
#include "configcontrol/ConfigControl.h"
#include "configcontrol/ConfigReportStream.h"
#include "configcontrol/ConfigString.h"
#include "fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using fuzz::Guarded;

struct ModelFields {
    std::string product, partNumber, fileName, revision;
};

template <std::size_t N> std::string Field(const char (&field)[N]) {
    FUZZ_CHECK(std::memchr(field, 0, N) != nullptr);
    return std::string(field);
}

ModelFields Current() {
    const ConfigFieldsRecord& r = ConfigFields();
    return {Field(r.product), Field(r.partNumber), Field(r.fileName), Field(r.revision)};
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        const std::size_t begin = i;
        while (i < text.size() && text[i] != ' ')
            ++i;
        if (i > begin)
            words.push_back(text.substr(begin, i - begin));
    }
    return words;
}

std::string Cut(const std::string& word, std::size_t capacity) {
    return word.substr(0, capacity - 1);
}

// Returns whether the model recognises the text, updating `fields` if so.
bool ModelParse(const std::string& text, ModelFields& fields) {
    const std::string read = text.substr(0, 511);
    const auto words = Words(read);
    if (words.size() < 2)
        return false;
    const bool keyword = read.find("$Revision") != std::string::npos;
    fields.product = Cut(words[1], 100);
    if (words.size() >= 3)
        fields.partNumber = Cut(words[2], 32);
    if (words.size() >= 4)
        fields.fileName = Cut(words[3], 1024);
    if (keyword && words.size() >= 6)
        fields.revision = Cut(words[5], 32);
    else if (!keyword && words.size() >= 5)
        fields.revision = Cut(words[4], 32);
    return true;
}

std::string Row(const ModelFields& f) {
    char row[2048];
    const int n =
        std::snprintf(row, sizeof row, " %20s | %22s |%30s | %10s | \n", f.product.c_str(),
                      f.partNumber.c_str(), f.fileName.c_str(), f.revision.c_str());
    FUZZ_CHECK(n > 0 && n < static_cast<int>(sizeof row));
    return row;
}

bool Same(const ModelFields& a, const ModelFields& b) {
    return a.product == b.product && a.partNumber == b.partNumber && a.fileName == b.fileName &&
           a.revision == b.revision;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    text.resize(std::strlen(text.c_str()));
    Guarded caller(text.size() + 1);
    std::memcpy(caller.data(), text.c_str(), text.size() + 1);

    ModelFields expected = Current();
    const bool recognised = ModelParse(text, expected);

    // Through the register with a report open, which parses and writes a line.
    char* report = nullptr;
    std::size_t reportSize = 0;
    std::FILE* stream = open_memstream(&report, &reportSize);
    FUZZ_CHECK(stream != nullptr);
    std::FILE* earlier = SetConfigReportStream(stream);
    RegisterConfigString(caller.data());
    SetConfigReportStream(earlier);
    std::fclose(stream);
    const std::string written(report, reportSize);
    std::free(report);

    FUZZ_CHECK(caller.GuardIntact());
    FUZZ_CHECK(std::string(caller.data()) == text);
    const ModelFields after = Current();
    FUZZ_CHECK(Same(after, expected));
    FUZZ_CHECK(written == (recognised ? Row(expected)
                                      : std::string("Unrecongnisable Configuration string \n")));

    // A second parse of the same text gives the same fields and result.
    FUZZ_CHECK(ParseConfigString(caller.data()) == recognised);
    FUZZ_CHECK(Same(Current(), expected));
    FUZZ_CHECK(std::string(caller.data()) == text);
    return 0;
}

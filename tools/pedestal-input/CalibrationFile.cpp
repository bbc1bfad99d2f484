#include "tools/pedestal-input/CalibrationFile.h"

#include "input/Config.h"

#include <toml++/toml.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace pedestal_input {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Trimmed(const std::string& line) {
    const auto first = line.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : line.substr(first);
}

// The first line at or after from whose text starts a table header of the
// given kind, or the number of lines.
std::size_t NextHeader(const std::vector<std::string>& lines, std::size_t from,
                       const std::string& prefix) {
    for (std::size_t i = from; i < lines.size(); ++i) {
        if (Trimmed(lines[i]).rfind(prefix, 0) == 0)
            return i;
    }
    return lines.size();
}

std::string Quoted(const std::string& text) {
    std::ostringstream out;
    out << toml::value<std::string>(text);
    return out.str();
}

std::string Entry(const pedestal::input::AxisBinding& binding) {
    std::ostringstream entry;
    entry << "[[device.axis]]\nindex = " << binding.index << "\nfunction = \""
          << pedestal::input::FunctionName(binding.function) << "\"\ndetents = [";
    for (std::size_t i = 0; i < binding.detents.size(); ++i)
        entry << (i == 0 ? "" : ", ") << binding.detents[i];
    entry << "]\n";
    return entry.str();
}

} // namespace

bool PutAxis(const std::string& text, const std::string& source, const std::string& device,
             const pedestal::input::AxisBinding& binding, std::string* result, std::string* why) {
    const auto checked = pedestal::input::ParseConfig(text, source);
    if (!checked.Ok()) {
        *why = checked.errors.front();
        return false;
    }
    const toml::table root = toml::parse(text, source);
    std::vector<std::string> lines = Lines(text);
    std::size_t insertAt = lines.size();
    std::size_t replaceEnd = insertAt;
    bool found = false;
    if (const toml::array* devices = root["device"].as_array()) {
        for (const toml::node& node : *devices) {
            const toml::table& table = *node.as_table();
            if (table["name"].value<std::string>() != device)
                continue;
            found = true;
            const auto header = static_cast<std::size_t>(table.source().begin.line);
            insertAt = NextHeader(lines, header, "[[device]]");
            replaceEnd = insertAt;
            if (const toml::array* axes = table["axis"].as_array()) {
                for (const toml::node& axis : *axes) {
                    if (axis.as_table()->get("index")->value<int>() == binding.index) {
                        insertAt = static_cast<std::size_t>(axis.source().begin.line) - 1;
                        replaceEnd = NextHeader(lines, insertAt + 1, "[");
                        // Comments and blank lines before the next header are
                        // that header's.
                        while (replaceEnd > insertAt + 1 &&
                               (Trimmed(lines[replaceEnd - 1]).empty() ||
                                Trimmed(lines[replaceEnd - 1])[0] == '#'))
                            --replaceEnd;
                    }
                }
            }
            break;
        }
    }
    std::string entry = Entry(binding);
    if (!found)
        entry = "\n[[device]]\nname = " + Quoted(device) + "\n" + entry;
    std::ostringstream out;
    for (std::size_t i = 0; i < insertAt; ++i)
        out << lines[i] << '\n';
    out << entry;
    for (std::size_t i = replaceEnd; i < lines.size(); ++i)
        out << lines[i] << '\n';
    *result = out.str();
    return true;
}

bool ReplaceFile(const std::filesystem::path& path, const std::string& text, std::string* why) {
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    std::filesystem::path temporary = path;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            *why = "cannot write " + temporary.string();
            std::filesystem::remove(temporary, error);
            return false;
        }
    }
    std::filesystem::rename(temporary, path, error);
    if (error) {
        *why = "cannot replace " + path.string() + ": " + error.message();
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace pedestal_input

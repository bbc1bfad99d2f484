#include "input/Config.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <sstream>

namespace pedestal::input {
namespace {

class Reader {
public:
    explicit Reader(const std::string& source) : m_Source(source) {}

    void Fail(const toml::node* node, const std::string& what) {
        std::ostringstream line;
        line << m_Source;
        if (node != nullptr && node->source().begin)
            line << ':' << node->source().begin.line << ':' << node->source().begin.column;
        line << ": " << what;
        m_Errors.push_back(line.str());
    }

    // A whole number in [low, high]; false after telling why.
    bool Int(const toml::table& table, const char* key, long long low, long long high, int* value,
             bool required = true) {
        const toml::node* node = table.get(key);
        if (node == nullptr) {
            if (required)
                Fail(&table, std::string("\"") + key + "\" is missing");
            return !required;
        }
        const auto number = node->value_exact<std::int64_t>();
        if (!number) {
            Fail(node, std::string("\"") + key + "\" must be a whole number");
            return false;
        }
        if (*number < low || *number > high) {
            Fail(node, std::string("\"") + key + "\" must lie from " + std::to_string(low) +
                           " to " + std::to_string(high));
            return false;
        }
        *value = static_cast<int>(*number);
        return true;
    }

    // A text the table must have; told and empty when it is missing or of
    // another type. *node is where later faults in its value are told.
    std::optional<std::string> Text(const toml::table& table, const std::string& key,
                                    const toml::node** node) {
        *node = table.get(key);
        if (*node == nullptr) {
            Fail(&table, "\"" + key + "\" is missing");
            return std::nullopt;
        }
        auto text = (*node)->value_exact<std::string>();
        if (!text)
            Fail(*node, "\"" + key + "\" must be a text");
        return text;
    }

    void Unknown(const toml::table& table, std::initializer_list<std::string_view> known) {
        for (const auto& [key, node] : table) {
            if (std::find(known.begin(), known.end(), key.str()) == known.end())
                Fail(&node, "no setting named \"" + std::string(key.str()) + "\"");
        }
    }

    void Axis(const toml::table& table, DeviceBinding& device) {
        Unknown(table, {"index", "function", "detents", "deadband"});
        AxisBinding axis;
        axis.deadbandPercent = device.deadbandPercent;
        Int(table, "index", 0, 255, &axis.index);
        const toml::node* function = nullptr;
        const auto name = Text(table, "function", &function);
        if (!name)
            return;
        const auto found = FunctionNamed(*name);
        if (!found) {
            Fail(function, "no function named \"" + *name +
                               "\" (thrust, thrust1, thrust2, flaps, speedbrake)");
            return;
        }
        axis.function = *found;
        Deadband(table, &axis.deadbandPercent);
        const toml::node* detents = table.get("detents");
        if (detents == nullptr) {
            Fail(&table, "\"detents\" is missing");
            return;
        }
        const toml::array* list = detents->as_array();
        if (list == nullptr) {
            Fail(detents, "\"detents\" must be a list of whole numbers");
            return;
        }
        const auto want = static_cast<std::size_t>(DetentCount(axis.function));
        if (list->size() != want) {
            Fail(detents, std::string(FunctionName(axis.function)) + " takes " +
                              std::to_string(want) + " detents, not " +
                              std::to_string(list->size()));
            return;
        }
        for (const toml::node& entry : *list) {
            const auto raw = entry.value_exact<std::int64_t>();
            if (!raw || *raw < kRawMin || *raw > kRawMax) {
                Fail(&entry, "a detent is a whole number from " + std::to_string(kRawMin) + " to " +
                                 std::to_string(kRawMax));
                return;
            }
            axis.detents.push_back(static_cast<int>(*raw));
        }
        const bool rising = std::adjacent_find(axis.detents.begin(), axis.detents.end(),
                                               std::greater_equal<>()) == axis.detents.end();
        const bool falling = std::adjacent_find(axis.detents.begin(), axis.detents.end(),
                                                std::less_equal<>()) == axis.detents.end();
        if (!rising && !falling) {
            Fail(detents, "the detents must run in order, each past the one before");
            return;
        }
        device.axes.push_back(axis);
    }

    void Button(const toml::table& table, DeviceBinding& device) {
        Unknown(table, {"index", "command"});
        ButtonBinding button;
        Int(table, "index", 0, 255, &button.index);
        const toml::node* command = nullptr;
        const auto name = Text(table, "command", &command);
        if (!name)
            return;
        const CommandInfo* info = FindCommand(*name);
        if (info == nullptr || CommandTakesValue(info->command) ||
            info->command == Command::SliderReleased) {
            Fail(command, "no button command named \"" + *name + "\"");
            return;
        }
        button.command = info->command;
        device.buttons.push_back(button);
    }

    void Deadband(const toml::table& table, double* percent) {
        const toml::node* node = table.get("deadband");
        if (node == nullptr)
            return;
        const auto value = node->value<double>();
        if (!value || !(*value >= 0.0 && *value <= 50.0)) {
            Fail(node, "\"deadband\" is a percent from 0 to 50");
            return;
        }
        *percent = *value;
    }

    template <typename Each> void Tables(const toml::table& parent, const char* key, Each each) {
        const toml::node* node = parent.get(key);
        if (node == nullptr)
            return;
        const toml::array* list = node->as_array();
        if (list == nullptr || !list->is_array_of_tables()) {
            Fail(node, std::string("\"") + key + "\" must be a list of tables ([[...]])");
            return;
        }
        for (const toml::node& entry : *list)
            each(*entry.as_table());
    }

    void Device(const toml::table& table, Config& config) {
        Unknown(table, {"name", "deadband", "axis", "button"});
        DeviceBinding device;
        const toml::node* name = table.get("name");
        if (name == nullptr || !name->is_string() || name->value<std::string>()->empty()) {
            Fail(name != nullptr ? name : &table, "\"name\" must be a text naming the device");
            return;
        }
        device.name = *name->value<std::string>();
        Deadband(table, &device.deadbandPercent);
        Tables(table, "axis", [&](const toml::table& axis) { Axis(axis, device); });
        Tables(table, "button", [&](const toml::table& button) { Button(button, device); });
        config.devices.push_back(std::move(device));
    }

    ConfigResult Result(Config config) {
        ConfigResult result;
        result.errors = std::move(m_Errors);
        if (result.errors.empty())
            result.config = std::move(config);
        return result;
    }

private:
    std::string m_Source;
    std::vector<std::string> m_Errors;
};

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

ConfigResult ParseConfig(std::string_view text, const std::string& source) {
    Reader reader(source);
    toml::table root;
    try {
        root = toml::parse(text, source);
    } catch (const toml::parse_error& error) {
        std::ostringstream line;
        line << source << ':' << error.source().begin.line << ':' << error.source().begin.column
             << ": " << error.description();
        ConfigResult result;
        result.errors.push_back(line.str());
        return result;
    }
    Config config;
    reader.Unknown(root, {"device"});
    reader.Tables(root, "device",
                  [&](const toml::table& device) { reader.Device(device, config); });
    return reader.Result(std::move(config));
}

ConfigResult LoadConfig(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::error_code error;
        if (!std::filesystem::exists(path, error))
            return {};
        ConfigResult result;
        result.errors.push_back(path.string() + ": cannot be read");
        return result;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ParseConfig(text.str(), path.string());
}

bool DeviceMatches(const std::string& pattern, const std::string& name, const std::string& guid) {
    if (pattern.empty())
        return false;
    const std::string wanted = Lower(pattern);
    return Lower(guid) == wanted || Lower(name).find(wanted) != std::string::npos;
}

} // namespace pedestal::input

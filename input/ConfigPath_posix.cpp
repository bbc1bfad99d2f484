#include "input/Config.h"

#include <cstdlib>

namespace pedestal::input {

std::filesystem::path DefaultConfigPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return std::filesystem::path(xdg) / "pedestal" / "input.toml";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return std::filesystem::path(home) / ".config" / "pedestal" / "input.toml";
    return {};
}

} // namespace pedestal::input

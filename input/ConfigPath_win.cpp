#include "input/Config.h"

#include <cstdlib>

namespace pedestal::input {

std::filesystem::path DefaultConfigPath() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData != nullptr && appData[0] != L'\0')
        return std::filesystem::path(appData) / L"Pedestal" / L"input.toml";
    return {};
}

} // namespace pedestal::input

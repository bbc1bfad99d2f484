// The decoded items that get and watch show: each lever as the pedestal
// would show it, beside the raw values it was decided from.
#pragma once

#include "tools/simblock/Json.h"
#include "tools/simblock/PedestalView.h"

#include <span>
#include <string>
#include <string_view>

namespace simblock {

struct Item {
    std::string_view name;
    std::string (*shown)(const PedestalView& view);  // what the pedestal shows
    std::string (*detail)(const PedestalView& view); // the raw values behind it
    void (*json)(const PedestalView& view, JsonWriter& out);
};

std::span<const Item> Items();
const Item* FindItem(std::string_view name);

} // namespace simblock

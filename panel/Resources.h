// The lever pictures and the icon, compiled into the program: bitmap
// resources 131 and 133 to 144 (24-bit BMP files) and icon resource 128.
// Views that cannot use the checked-in files themselves (the browser page)
// take them from here.
#pragma once

#include <cstddef>

struct Resource {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    bool IsNull() const { return data == nullptr; }
};

// The bitmap with this resource number, or a null resource.
Resource BitmapResource(int resourceId);
Resource IconResource();

// The thirteen bitmap resource numbers, in the order the window loads them.
inline constexpr int kBitmapResourceIds[13] = {131, 133, 134, 135, 136, 137, 138,
                                               139, 140, 141, 144, 142, 143};

// A view keeps its pictures in kBitmapSlots slots, one per number from the
// first to the last, found by BitmapSlot; -1 for a number outside them.
inline constexpr int kBitmapSlots = 144 - 131 + 1;
constexpr int BitmapSlot(int resourceId) {
    return resourceId >= 131 && resourceId <= 144 ? resourceId - 131 : -1;
}

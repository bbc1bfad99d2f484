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

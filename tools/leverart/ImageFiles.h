// Encoders for the two file formats the window loads: 24-bit BMP for the
// lever pictures and a 16-colour ICO for the application icon.
#pragma once

#include "Canvas.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace leverart {

using Bytes = std::vector<std::uint8_t>;
using Palette = std::array<Rgb, 16>;

// Uncompressed, bottom-up rows of blue-green-red, each padded to 4 bytes.
Bytes EncodeBmp(const Canvas& picture);

// One image of an icon; transparent holds one flag per pixel, row by row from the top.
struct IconImage {
    Canvas picture;
    std::vector<bool> transparent;
};

// Index of the palette colour closest to c; the lower index wins a tie.
int NearestColour(const Palette& palette, Rgb c);

// Every image at 4 bits per pixel over the one palette, with its AND mask.
Bytes EncodeIco(std::span<const IconImage> images, const Palette& palette);

bool WriteFile(const std::filesystem::path& path, const Bytes& bytes);

} // namespace leverart

#include "ImageFiles.h"

#include <fstream>

namespace leverart {
namespace {

void Put16(Bytes& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(Bytes& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::uint32_t RowBytes(int width, int bitsPerPixel) {
    return (static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(bitsPerPixel) + 31) /
           32 * 4;
}

// BITMAPINFOHEADER; icons store the XOR and AND bitmaps one above the other,
// hence the separate height.
void PutInfoHeader(Bytes& out, int width, int height, unsigned bitsPerPixel,
                   std::uint32_t imageBytes, std::uint32_t colours) {
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, bitsPerPixel);
    Put32(out, 0); // BI_RGB
    Put32(out, imageBytes);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, colours);
    Put32(out, 0);
}

void PadRow(Bytes& out, std::size_t rowStart, std::uint32_t rowBytes) {
    out.resize(rowStart + rowBytes, 0);
}

Bytes IconImageBytes(const IconImage& image, const Palette& palette) {
    const Canvas& picture = image.picture;
    const int w = picture.Width();
    const int h = picture.Height();
    const std::uint32_t xorRow = RowBytes(w, 4);
    const std::uint32_t andRow = RowBytes(w, 1);
    Bytes out;
    PutInfoHeader(out, w, 2 * h, 4, (xorRow + andRow) * static_cast<std::uint32_t>(h), 16);
    for (const Rgb& c : palette) {
        out.insert(out.end(), {c.b, c.g, c.r, 0});
    }
    for (int y = h - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        for (int x = 0; x < w; x += 2) {
            // Masked pixels and the pad nibble of an odd width get colour 0.
            auto index = [&](int px) {
                if (px >= w ||
                    image.transparent[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                                      static_cast<std::size_t>(px)]) {
                    return 0;
                }
                return NearestColour(palette, picture.At(px, y));
            };
            out.push_back(static_cast<std::uint8_t>(index(x) << 4 | index(x + 1)));
        }
        PadRow(out, start, xorRow);
    }
    for (int y = h - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        for (int x = 0; x < w; x += 8) {
            unsigned bits = 0;
            for (int bit = 0; bit < 8 && x + bit < w; ++bit) {
                if (image.transparent[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                                      static_cast<std::size_t>(x + bit)]) {
                    bits |= 0x80u >> bit;
                }
            }
            out.push_back(static_cast<std::uint8_t>(bits));
        }
        PadRow(out, start, andRow);
    }
    return out;
}

} // namespace

Bytes EncodeBmp(const Canvas& picture) {
    const int w = picture.Width();
    const int h = picture.Height();
    const std::uint32_t rowBytes = RowBytes(w, 24);
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(h);
    Bytes out;
    out.insert(out.end(), {'B', 'M'});
    Put32(out, 14 + 40 + imageBytes);
    Put32(out, 0);
    Put32(out, 14 + 40);
    PutInfoHeader(out, w, h, 24, imageBytes, 0);
    for (int y = h - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        for (int x = 0; x < w; ++x) {
            const Rgb c = picture.At(x, y);
            out.insert(out.end(), {c.b, c.g, c.r});
        }
        PadRow(out, start, rowBytes);
    }
    return out;
}

int NearestColour(const Palette& palette, Rgb c) {
    int best = 0;
    int bestDistance = 0;
    for (int i = 0; i < static_cast<int>(palette.size()); ++i) {
        const Rgb& p = palette[static_cast<std::size_t>(i)];
        const int dr = p.r - c.r;
        const int dg = p.g - c.g;
        const int db = p.b - c.b;
        const int distance = dr * dr + dg * dg + db * db;
        if (i == 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

Bytes EncodeIco(std::span<const IconImage> images, const Palette& palette) {
    Bytes out;
    Put16(out, 0);
    Put16(out, 1); // icon, not cursor
    Put16(out, static_cast<unsigned>(images.size()));
    std::vector<Bytes> bodies;
    for (const IconImage& image : images) {
        bodies.push_back(IconImageBytes(image, palette));
    }
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        // A size of 256 would be stored as 0; these icons never get that large.
        out.push_back(static_cast<std::uint8_t>(images[i].picture.Width()));
        out.push_back(static_cast<std::uint8_t>(images[i].picture.Height()));
        out.push_back(16);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 4);
        Put32(out, static_cast<std::uint32_t>(bodies[i].size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(bodies[i].size());
    }
    for (const Bytes& body : bodies) {
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

bool WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

} // namespace leverart

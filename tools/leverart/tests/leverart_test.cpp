#include "Levers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace leverart;

namespace {

const std::filesystem::path kCheckedIn = LEVERART_CHECKED_IN_DIR;

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::uint32_t Le16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at) | b.at(at + 1) << 8);
}

std::uint32_t Le32(const Bytes& b, std::size_t at) {
    return Le16(b, at) | Le16(b, at + 2) << 16;
}

Bytes Le32Bytes(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

} // namespace

TEST(Bmp, TwoByTwoPictureHasExactBytes) {
    Canvas c(2, 2, {0, 0, 0});
    c.FillRect(0, 0, 1, 1, {1, 2, 3});
    c.FillRect(1, 0, 1, 1, {4, 5, 6});
    c.FillRect(0, 1, 1, 1, {7, 8, 9});
    c.FillRect(1, 1, 1, 1, {10, 11, 12});
    Bytes expected{'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0};
    for (std::uint32_t field : {40u, 2u, 2u}) {
        const Bytes b = Le32Bytes(field);
        expected.insert(expected.end(), b.begin(), b.end());
    }
    expected.insert(expected.end(), {1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0});
    expected.resize(54, 0);
    // Bottom row first, blue-green-red, two pad bytes after each row.
    expected.insert(expected.end(), {9, 8, 7, 12, 11, 10, 0, 0, 3, 2, 1, 6, 5, 4, 0, 0});
    EXPECT_EQ(EncodeBmp(c), expected);
}

TEST(Bmp, RowsArePaddedToFourBytes) {
    const struct {
        int width;
        std::uint32_t stride;
    } cases[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {75, 228}};
    for (const auto& k : cases) {
        const Bytes bmp = EncodeBmp(Canvas(k.width, 3, {9, 9, 9}));
        EXPECT_EQ(bmp.size(), 54 + 3 * k.stride) << k.width;
        EXPECT_EQ(Le32(bmp, 34), 3 * k.stride) << k.width;
        EXPECT_EQ(bmp.at(54 + k.stride - 1), k.stride > 3u * k.width ? 0 : 9) << k.width;
    }
}

TEST(Ico, NearestColourTakesTheLowerIndexOnATie) {
    Palette p{};
    p[3] = {10, 10, 10};
    p[5] = {30, 30, 30};
    p[7] = {10, 10, 10};
    EXPECT_EQ(NearestColour(p, {20, 20, 20}), 3);
    EXPECT_EQ(NearestColour(p, {21, 21, 21}), 5);
    EXPECT_EQ(NearestColour(p, {2, 2, 2}), 0);
}

TEST(Ico, OddWidthImagePacksNibblesAndMask) {
    Palette p{};
    p[1] = {255, 0, 0};
    p[2] = {0, 0, 255};
    IconImage image{Canvas(3, 2, {255, 0, 0}), {false, true, false, false, false, true}};
    image.picture.FillRect(2, 0, 1, 1, {0, 0, 250});
    const std::array images{image};
    const Bytes ico = EncodeIco(images, p);
    const std::size_t body = 6 + 16;
    // Two rows of each mask, every row padded to four bytes.
    const std::size_t xorMask = 8;
    const std::size_t andMask = 8;
    ASSERT_EQ(ico.size(), body + 40 + 64 + xorMask + andMask);
    EXPECT_EQ(Le16(ico, 2), 1u);
    EXPECT_EQ(Le16(ico, 4), 1u);
    EXPECT_EQ(ico.at(6), 3);
    EXPECT_EQ(ico.at(7), 2);
    EXPECT_EQ(ico.at(8), 16);
    EXPECT_EQ(Le16(ico, 12), 4u);
    EXPECT_EQ(Le32(ico, 14), ico.size() - body);
    EXPECT_EQ(Le32(ico, 18), body);
    EXPECT_EQ(Le32(ico, body + 8), 4u) << "height counts both masks";
    EXPECT_EQ(ico.at(body + 40 + 8), 255) << "palette is blue-green-red-0";
    const std::size_t pixels = body + 40 + 64;
    // Bottom row (red, red, clear) then top row (red, clear, blue).
    EXPECT_EQ(Bytes(ico.begin() + pixels, ico.begin() + pixels + 8),
              (Bytes{0x11, 0x00, 0, 0, 0x10, 0x20, 0, 0}));
    EXPECT_EQ(Bytes(ico.begin() + pixels + 8, ico.end()), (Bytes{0x20, 0, 0, 0, 0x40, 0, 0, 0}));
}

TEST(Canvas, SquareRectCoversExactlyItsPixels) {
    Canvas c(6, 6, {0, 0, 0});
    c.FillRoundRect(1, 2, 4, 5, 0, {200, 100, 50});
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 4 && y >= 2 && y < 5;
            EXPECT_EQ(c.At(x, y), (inside ? Rgb{200, 100, 50} : Rgb{0, 0, 0})) << x << "," << y;
        }
    }
}

TEST(Canvas, TextIsClippedAndMeasured) {
    Canvas c(4, 4, {0, 0, 0});
    c.Text(-1, -1, "FULL", {255, 255, 255});
    // Third row of "F" is "##.", then a blank column, then the "U".
    const Rgb white{255, 255, 255};
    const Rgb black{0, 0, 0};
    EXPECT_EQ(c.At(0, 1), white);
    EXPECT_EQ(c.At(1, 1), black);
    EXPECT_EQ(c.At(2, 1), black);
    EXPECT_EQ(c.At(3, 1), white);
    EXPECT_EQ(Canvas::TextWidth("FULL"), 15);
    EXPECT_EQ(Canvas::TextWidth("FLX/MCT"), 29);
    EXPECT_EQ(Canvas::TextWidth(""), 0);
}

// Row of the brightest pixel down the column through a lever's slot, below the
// top labels and above the bottom ones: the lit top edge of the handle or the
// hub of the gear wheel.
int HandleRow(int resource, int slotX) {
    for (const LeverPicture& p : LeverPictures()) {
        if (p.resource != resource) {
            continue;
        }
        const Canvas c = DrawLever(p);
        int best = -1;
        int brightest = -1;
        for (int y = 12; y < c.Height() - 12; ++y) {
            const Rgb px = c.At(slotX, y);
            if (px.r + px.g + px.b > brightest) {
                brightest = px.r + px.g + px.b;
                best = y;
            }
        }
        return best;
    }
    return -1;
}

TEST(Pictures, HandlesMoveDownThroughTheDetents) {
    // Resources from the top detent to the bottom one, and the slot's column.
    const struct {
        std::vector<int> resources;
        int slotX;
    } levers[] = {{{131, 133, 134, 135, 136}, 41},
                  {{137, 138}, 33},
                  {{140, 139}, 28},
                  {{143, 142, 144, 141}, 25}};
    for (const auto& lever : levers) {
        int above = -1;
        for (int resource : lever.resources) {
            const int row = HandleRow(resource, lever.slotX);
            EXPECT_GT(row, above + 4) << resource;
            above = row;
        }
    }
}

TEST(Pictures, CheckedInBitmapsHaveTheirFrames) {
    const struct {
        int resource;
        std::uint32_t width;
        std::uint32_t height;
    } frames[] = {{131, 74, 96}, {133, 75, 95},  {134, 73, 96},  {135, 75, 97}, {136, 76, 97},
                  {137, 60, 97}, {138, 60, 98},  {139, 57, 100}, {140, 56, 99}, {141, 48, 100},
                  {142, 48, 99}, {143, 48, 100}, {144, 49, 101}};
    for (const auto& f : frames) {
        const Bytes bmp = ReadFile(kCheckedIn / BitmapFileName(f.resource));
        ASSERT_GE(bmp.size(), 54u) << f.resource;
        const std::uint32_t stride = (3 * f.width + 3) / 4 * 4;
        EXPECT_EQ(bmp[0], 'B');
        EXPECT_EQ(bmp[1], 'M');
        EXPECT_EQ(Le32(bmp, 2), bmp.size()) << f.resource;
        EXPECT_EQ(Le32(bmp, 10), 54u) << f.resource;
        EXPECT_EQ(Le32(bmp, 14), 40u) << f.resource;
        EXPECT_EQ(Le32(bmp, 18), f.width) << f.resource;
        EXPECT_EQ(Le32(bmp, 22), f.height) << f.resource << ": positive, so bottom-up";
        EXPECT_EQ(Le16(bmp, 28), 24u) << f.resource;
        EXPECT_EQ(Le32(bmp, 30), 0u) << f.resource << ": uncompressed";
        EXPECT_EQ(bmp.size(), 54 + stride * f.height) << f.resource;
    }
}

TEST(Pictures, CheckedInIconHoldsBothSizes) {
    const Bytes ico = ReadFile(kCheckedIn / kIconFileName);
    ASSERT_GE(ico.size(), 38u);
    ASSERT_EQ(Le16(ico, 4), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const std::size_t entry = 6 + 16 * i;
        const std::uint32_t size = i == 0 ? 32 : 16;
        EXPECT_EQ(ico.at(entry), size);
        EXPECT_EQ(ico.at(entry + 2), 16);
        EXPECT_EQ(Le16(ico, entry + 6), 4u);
        const std::size_t header = Le32(ico, entry + 12);
        // The first image ends where the second begins, the second at the end.
        ASSERT_EQ(header + Le32(ico, entry + 8), i == 0 ? Le32(ico, 6 + 16 + 12) : ico.size());
        EXPECT_EQ(Le32(ico, header + 4), size);
        EXPECT_EQ(Le32(ico, header + 8), 2 * size);
        EXPECT_EQ(Le16(ico, header + 14), 4u);
    }
}

// A tiny RGB raster with the few shapes the lever pictures need. Shapes take
// continuous coordinates (pixel x covers x..x+1) and blend their edges by
// coverage, so small rounded handles and wheels stay smooth.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace leverart {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

// Scales each channel by factor, clamped to 0..255: shades and highlights.
Rgb Shade(Rgb c, double factor);
// t = 0 gives a, t = 1 gives b.
Rgb Mix(Rgb a, Rgb b, double t);

class Canvas {
public:
    Canvas(int width, int height, Rgb fill);

    int Width() const { return m_Width; }
    int Height() const { return m_Height; }
    Rgb At(int x, int y) const;

    // Mixes c into one pixel by coverage 0..1; pixels outside are ignored.
    void Blend(int x, int y, Rgb c, double coverage);
    void FillRect(int x, int y, int w, int h, Rgb c);
    // Rounded box from (x0, y0) to (x1, y1), shaded from top to bottom.
    void FillRoundRect(double x0, double y0, double x1, double y1, double radius, Rgb top,
                       Rgb bottom, double opacity = 1.0);
    void FillRoundRect(double x0, double y0, double x1, double y1, double radius, Rgb c) {
        FillRoundRect(x0, y0, x1, y1, radius, c, c);
    }
    void FillEllipse(double cx, double cy, double rx, double ry, Rgb c);
    // A stroke with round ends.
    void Line(double x0, double y0, double x1, double y1, double width, Rgb c);

    // Upper-case letters, digits, '/', '-' and blank of a 5-pixel-high font;
    // (x, y) is the top left corner of the first letter.
    void Text(int x, int y, std::string_view text, Rgb c);
    static int TextWidth(std::string_view text);

private:
    int m_Width;
    int m_Height;
    std::vector<Rgb> m_Pixels;
};

} // namespace leverart

#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace leverart {
namespace {

std::uint8_t Channel(double v) {
    // Never negative after the clamp, so adding a half rounds to nearest.
    const double rounded = std::clamp(v, 0.0, 255.0) + 0.5;
    return static_cast<std::uint8_t>(rounded);
}

// sqrt is exactly rounded everywhere, unlike hypot, so the files come out the
// same on every machine.
double Length(double x, double y) {
    return std::sqrt(x * x + y * y);
}

double Coverage(double distance) {
    return std::clamp(0.5 - distance, 0.0, 1.0);
}

struct Glyph {
    char letter;
    const char* rows[5];
};

// Each row string is one pixel row; the glyph is as wide as its rows.
constexpr Glyph kFont[] = {
    {' ', {"..", "..", "..", "..", ".."}},
    {'-', {"...", "...", "###", "...", "..."}},
    {'/', {"..#", "..#", ".#.", "#..", "#.."}},
    {'0', {"###", "#.#", "#.#", "#.#", "###"}},
    {'1', {".#", "##", ".#", ".#", ".#"}},
    {'2', {"##.", "..#", ".#.", "#..", "###"}},
    {'3', {"##.", "..#", ".#.", "..#", "##."}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}},
    {'5', {"###", "#..", "##.", "..#", "##."}},
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}},
    {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {".##", "#..", "#..", "#..", ".##"}},
    {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}},
    {'F', {"###", "#..", "##.", "#..", "#.."}},
    {'G', {".##", "#..", "#.#", "#.#", ".##"}},
    {'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    {'I', {"###", ".#.", ".#.", ".#.", "###"}},
    {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}},
    {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'M', {"#...#", "##.##", "#.#.#", "#...#", "#...#"}},
    {'N', {"#..#", "##.#", "#.##", "#..#", "#..#"}},
    {'O', {".#.", "#.#", "#.#", "#.#", ".#."}},
    {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {".##", "#..", ".#.", "..#", "##."}},
    {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}},
    {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {'W', {"#...#", "#...#", "#.#.#", "##.##", "#...#"}},
    {'X', {"#.#", "#.#", ".#.", "#.#", "#.#"}},
};

const Glyph* FindGlyph(char letter) {
    for (const Glyph& g : kFont) {
        if (g.letter == letter) {
            return &g;
        }
    }
    return nullptr;
}

int GlyphWidth(const Glyph& g) {
    return static_cast<int>(std::string_view(g.rows[0]).size());
}

} // namespace

Rgb Shade(Rgb c, double factor) {
    return {Channel(c.r * factor), Channel(c.g * factor), Channel(c.b * factor)};
}

Rgb Mix(Rgb a, Rgb b, double t) {
    return {Channel(a.r + (b.r - a.r) * t), Channel(a.g + (b.g - a.g) * t),
            Channel(a.b + (b.b - a.b) * t)};
}

Canvas::Canvas(int width, int height, Rgb fill)
    : m_Width(width), m_Height(height),
      m_Pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

Rgb Canvas::At(int x, int y) const {
    return m_Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_Width) +
                    static_cast<std::size_t>(x)];
}

void Canvas::Blend(int x, int y, Rgb c, double coverage) {
    if (x < 0 || y < 0 || x >= m_Width || y >= m_Height || coverage <= 0.0) {
        return;
    }
    Rgb& p = m_Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_Width) +
                      static_cast<std::size_t>(x)];
    p = Mix(p, c, std::min(coverage, 1.0));
}

void Canvas::FillRect(int x, int y, int w, int h, Rgb c) {
    for (int py = y; py < y + h; ++py) {
        for (int px = x; px < x + w; ++px) {
            Blend(px, py, c, 1.0);
        }
    }
}

void Canvas::FillRoundRect(double x0, double y0, double x1, double y1, double radius, Rgb top,
                           Rgb bottom, double opacity) {
    const double cx = (x0 + x1) / 2;
    const double cy = (y0 + y1) / 2;
    const double hx = (x1 - x0) / 2 - radius;
    const double hy = (y1 - y0) / 2 - radius;
    for (int py = static_cast<int>(std::floor(y0)); py < static_cast<int>(std::ceil(y1)); ++py) {
        const double t = std::clamp((py + 0.5 - y0) / (y1 - y0), 0.0, 1.0);
        const Rgb c = Mix(top, bottom, t);
        for (int px = static_cast<int>(std::floor(x0)); px < static_cast<int>(std::ceil(x1));
             ++px) {
            // Signed distance from the pixel centre to the rounded box.
            const double qx = std::abs(px + 0.5 - cx) - hx;
            const double qy = std::abs(py + 0.5 - cy) - hy;
            const double outside = Length(std::max(qx, 0.0), std::max(qy, 0.0));
            const double inside = std::min(std::max(qx, qy), 0.0);
            Blend(px, py, c, Coverage(outside + inside - radius) * opacity);
        }
    }
}

void Canvas::FillEllipse(double cx, double cy, double rx, double ry, Rgb c) {
    for (int py = static_cast<int>(std::floor(cy - ry)); py < static_cast<int>(std::ceil(cy + ry));
         ++py) {
        for (int px = static_cast<int>(std::floor(cx - rx));
             px < static_cast<int>(std::ceil(cx + rx)); ++px) {
            const double n = Length((px + 0.5 - cx) / rx, (py + 0.5 - cy) / ry);
            Blend(px, py, c, Coverage((n - 1.0) * std::min(rx, ry)));
        }
    }
}

void Canvas::Line(double x0, double y0, double x1, double y1, double width, Rgb c) {
    const double half = width / 2;
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double length2 = dx * dx + dy * dy;
    for (int py = static_cast<int>(std::floor(std::min(y0, y1) - half));
         py < static_cast<int>(std::ceil(std::max(y0, y1) + half)); ++py) {
        for (int px = static_cast<int>(std::floor(std::min(x0, x1) - half));
             px < static_cast<int>(std::ceil(std::max(x0, x1) + half)); ++px) {
            const double ex = px + 0.5 - x0;
            const double ey = py + 0.5 - y0;
            const double t =
                length2 > 0.0 ? std::clamp((ex * dx + ey * dy) / length2, 0.0, 1.0) : 0.0;
            Blend(px, py, c, Coverage(Length(ex - t * dx, ey - t * dy) - half));
        }
    }
}

void Canvas::Text(int x, int y, std::string_view text, Rgb c) {
    for (char letter : text) {
        const Glyph* g = FindGlyph(letter);
        if (g == nullptr) {
            continue;
        }
        for (int row = 0; row < 5; ++row) {
            for (int col = 0; col < GlyphWidth(*g); ++col) {
                if (g->rows[row][col] == '#') {
                    Blend(x + col, y + row, c, 1.0);
                }
            }
        }
        x += GlyphWidth(*g) + 1;
    }
}

int Canvas::TextWidth(std::string_view text) {
    int width = 0;
    for (char letter : text) {
        if (const Glyph* g = FindGlyph(letter)) {
            width += GlyphWidth(*g) + 1;
        }
    }
    return width > 0 ? width - 1 : 0;
}

} // namespace leverart

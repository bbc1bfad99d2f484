#include "Levers.h"

#include <algorithm>
#include <array>
#include <system_error>
#include <utility>

namespace leverart {
namespace {

// Colours of the pedestal: a dark grey-blue panel with white engraving,
// black slots and light metal handles.
constexpr Rgb kPanel{68, 82, 98};
constexpr Rgb kEngraving{238, 240, 234};
constexpr Rgb kSlot{12, 14, 18};
constexpr Rgb kOutline{22, 24, 28};
constexpr Rgb kMetalLight{226, 228, 232};
constexpr Rgb kMetalDark{128, 132, 140};
constexpr Rgb kBlackLight{96, 100, 108};
constexpr Rgb kBlackDark{30, 32, 36};
constexpr Rgb kRed{214, 48, 40};
constexpr Rgb kGreen{60, 220, 90};
constexpr Rgb kShadow{0, 0, 0};

// Positions count detents from the top of the picture, where the panel has
// flaps UP, the speed brake stowed, the gear up and the thrust at TO/GA.
constexpr std::array kPictures{
    LeverPicture{131, Lever::Flaps, 0, 74, 96},
    LeverPicture{133, Lever::Flaps, 1, 75, 95},
    LeverPicture{134, Lever::Flaps, 2, 73, 96},
    LeverPicture{135, Lever::Flaps, 3, 75, 97},
    LeverPicture{136, Lever::Flaps, 4, 76, 97},
    LeverPicture{137, Lever::SpeedBrake, 0, 60, 97},
    LeverPicture{138, Lever::SpeedBrake, 1, 60, 98},
    LeverPicture{139, Lever::Gear, 1, 57, 100},
    LeverPicture{140, Lever::Gear, 0, 56, 99},
    LeverPicture{141, Lever::Thrust, 3, 48, 100},
    LeverPicture{142, Lever::Thrust, 1, 48, 99},
    LeverPicture{143, Lever::Thrust, 0, 48, 100},
    LeverPicture{144, Lever::Thrust, 2, 49, 101},
};

void DrawPanel(Canvas& c) {
    const int w = c.Width();
    const int h = c.Height();
    c.FillRoundRect(0, 0, w, h, 0, Shade(kPanel, 1.1), Shade(kPanel, 0.9));
    c.FillRect(0, 0, w, 1, Shade(kPanel, 1.45));
    c.FillRect(0, 0, 1, h, Shade(kPanel, 1.3));
    c.FillRect(0, h - 1, w, 1, Shade(kPanel, 0.5));
    c.FillRect(w - 1, 0, 1, h, Shade(kPanel, 0.6));
}

// Countersunk screws hold the panel in the pedestal.
void DrawScrews(Canvas& c) {
    const double right = c.Width() - 5;
    const double bottom = c.Height() - 5;
    for (const auto& [x, y] : {std::pair{5.0, 5.0}, {right, 5.0}, {5.0, bottom}, {right, bottom}}) {
        c.FillEllipse(x, y, 2, 2, Shade(kPanel, 0.55));
        c.FillEllipse(x - 0.3, y - 0.3, 1.5, 1.5, Shade(kPanel, 1.35));
        c.Line(x - 1.2, y + 1.2, x + 1.2, y - 1.2, 0.8, Shade(kPanel, 0.6));
    }
}

// A vertical slot cut into the panel: dark rim above, lit lip below.
void DrawSlot(Canvas& c, double cx, double y0, double y1, double width) {
    const double r = width / 2;
    c.FillRoundRect(cx - r - 1, y0 - 1, cx + r + 1, y1 + 1, r + 1, Shade(kPanel, 0.45),
                    Shade(kPanel, 1.5));
    c.FillRoundRect(cx - r, y0, cx + r, y1, r, kSlot, Shade(kSlot, 1.8));
}

void CentredText(Canvas& c, int cx, int y, std::string_view text, Rgb colour) {
    c.Text(cx - Canvas::TextWidth(text) / 2, y, text, colour);
}

// Text whose right edge ends at x and whose middle row is y.
void RightText(Canvas& c, int x, int y, std::string_view text, Rgb colour) {
    c.Text(x - Canvas::TextWidth(text) + 1, y - 2, text, colour);
}

// A handle seen from above, lit from the top left and casting a soft shadow.
void DrawHandle(Canvas& c, double cx, double cy, double w, double h, Rgb light, Rgb dark) {
    const double x0 = cx - w / 2;
    const double y0 = cy - h / 2;
    const double r = h / 3;
    c.FillRoundRect(x0 + 1, y0 + 2, x0 + w + 1.5, y0 + h + 2.5, r, kShadow, kShadow, 0.5);
    c.FillRoundRect(x0, y0, x0 + w, y0 + h, r, kOutline);
    c.FillRoundRect(x0 + 1, y0 + 1, x0 + w - 1, y0 + h - 1, r - 1, light, dark);
    c.Line(x0 + r, y0 + 1.5, x0 + w - r, y0 + 1.5, 1, Mix(light, {255, 255, 255}, 0.6));
}

void DrawFlaps(Canvas& c, int position) {
    static constexpr const char* kMarks[] = {"UP", "1", "2", "3", "FULL"};
    constexpr int kSlotX = 41;
    constexpr int kTop = 20;
    constexpr int kStep = 15;
    DrawScrews(c);
    CentredText(c, kSlotX, 4, "FLAPS", kEngraving);
    DrawSlot(c, kSlotX, kTop - 6, kTop + 4 * kStep + 6, 6);
    for (int i = 0; i < 5; ++i) {
        const int y = kTop + i * kStep;
        RightText(c, 19, y, kMarks[i], kEngraving);
        c.FillRect(22, y, 7, 1, kEngraving);
        c.FillRect(54, y, 7, 1, kEngraving);
        // The gate that holds the lever in this detent.
        c.FillRoundRect(kSlotX - 6, y - 1.5, kSlotX, y + 2.5, 1.5, kSlot);
    }
    const double y = kTop + position * kStep + 0.5;
    DrawHandle(c, kSlotX, y, 30, 10, kMetalLight, kMetalDark);
    c.FillRect(kSlotX - 11, static_cast<int>(y) + 1, 22, 1, kMetalDark);
}

void DrawSpeedBrake(Canvas& c, int position) {
    constexpr int kSlotX = 33;
    constexpr int kTop = 22;
    constexpr int kBottom = 82;
    DrawScrews(c);
    CentredText(c, 30, 4, "SPD BRK", kEngraving);
    DrawSlot(c, kSlotX, kTop - 7, kBottom + 7, 6);
    RightText(c, 16, kTop, "RET", kEngraving);
    RightText(c, 16, (kTop + kBottom) / 2, "1/2", kEngraving);
    RightText(c, 16, kBottom, "FULL", kEngraving);
    for (int y : {kTop, (kTop + kBottom) / 2, kBottom}) {
        c.FillRect(19, y, 5, 1, kEngraving);
        c.FillRect(43, y, 5, 1, kEngraving);
    }
    DrawHandle(c, kSlotX, (position == 0 ? kTop : kBottom) + 0.5, 26, 9, kBlackLight, kBlackDark);
}

// The gear knob is shaped like a wheel: tyre, rim, hub and bolts.
void DrawWheel(Canvas& c, double cx, double cy) {
    c.FillEllipse(cx + 1, cy + 2, 10.5, 10.5, Shade(kPanel, 0.4));
    c.FillEllipse(cx, cy, 10, 10, kOutline);
    c.FillEllipse(cx, cy, 9, 9, {48, 50, 54});
    c.FillEllipse(cx, cy, 5.5, 5.5, kMetalDark);
    c.FillEllipse(cx - 0.5, cy - 0.5, 4.8, 4.8, kMetalLight);
    c.FillEllipse(cx, cy, 1.8, 1.8, kMetalDark);
    constexpr double kBolts[][2] = {{0, -3.3}, {3.1, -1}, {1.9, 2.7}, {-1.9, 2.7}, {-3.1, -1}};
    for (const auto& b : kBolts) {
        c.FillEllipse(cx + b[0], cy + b[1], 0.8, 0.8, kMetalDark);
    }
}

void DrawGear(Canvas& c, int position) {
    constexpr int kSlotX = 28;
    constexpr int kUp = 24;
    constexpr int kDown = 76;
    DrawScrews(c);
    CentredText(c, kSlotX, 4, "UP", kEngraving);
    CentredText(c, kSlotX, 90, "DOWN", kEngraving);
    DrawSlot(c, kSlotX, kUp - 10, kDown + 10, 6);
    const double knobY = (position == 0 ? kUp : kDown) + 0.5;
    c.Line(kSlotX, 50, kSlotX, knobY, 4, kMetalDark);
    c.Line(kSlotX - 0.5, 50, kSlotX - 0.5, knobY, 1.5, kMetalLight);
    DrawWheel(c, kSlotX, knobY);
    // The three "down and locked" lights beside the lever.
    for (int i = 0; i < 3; ++i) {
        const Rgb lit = position == 1 ? kGreen : Shade(kPanel, 0.55);
        for (int row = 0; row < 4; ++row) {
            c.FillRect(45 + row, 40 + i * 9 + row, 7 - 2 * row, 1, lit);
        }
    }
}

void DrawThrust(Canvas& c, int position) {
    constexpr int kDetents[] = {14, 34, 54, 80};
    constexpr int kLeftX = 25;
    constexpr int kRightX = 39;
    const Rgb& ink = kEngraving;
    c.Text(2, kDetents[0] - 5, "TO", ink);
    c.Text(2, kDetents[0] + 1, "GA", ink);
    c.Text(1, kDetents[1] - 5, "FLX", ink);
    c.Text(1, kDetents[1] + 1, "MCT", ink);
    c.Text(2, kDetents[2] - 2, "CL", ink);
    c.Text(1, kDetents[3] - 2, "IDLE", ink);
    for (double x : {kLeftX, kRightX}) {
        DrawSlot(c, x, 6, 92, 4);
    }
    for (int y : kDetents) {
        c.FillRect(17, y, 3, 1, ink);
        c.FillRect(45, y, 2, 1, ink);
    }
    const double y = kDetents[position] + 0.5;
    for (double x : {kLeftX, kRightX}) {
        DrawHandle(c, x, y, 12, 9, kMetalLight, kMetalDark);
    }
    c.FillEllipse(kLeftX - 4, y, 1.3, 1.3, kRed);
    c.FillEllipse(kRightX + 4, y, 1.3, 1.3, kRed);
}

// The icon: two thrust levers forward in their slots on a panel tile, laid
// out on a 16-pixel grid and drawn with whole pixels so it stays crisp.
IconImage DrawIconImage(int size) {
    const int k = size / 16;
    IconImage image{Canvas(size, size, kPanel),
                    std::vector<bool>(static_cast<std::size_t>(size * size), false)};
    Canvas& c = image.picture;
    c.FillRect(0, 0, size, k, Shade(kPanel, 1.45));
    c.FillRect(0, 0, k, size, Shade(kPanel, 1.45));
    c.FillRect(0, size - k, size, k, Shade(kPanel, 0.5));
    c.FillRect(size - k, 0, k, size, Shade(kPanel, 0.5));
    for (int y : {4, 8, 12}) {
        c.FillRect(k, y * k, 3 * k, k, kEngraving);
    }
    for (int x : {6, 11}) {
        c.FillRect(x * k, 2 * k, 2 * k, 12 * k, kSlot);
        c.FillRect(x * k, 14 * k - 1, 2 * k, 1, Shade(kPanel, 1.45));
        const int left = (x - 1) * k;
        const int width = 4 * k;
        c.FillRect(left, 3 * k, width, 3 * k, kMetalDark);
        c.FillRect(left, 3 * k, width, 2 * k, kMetalLight);
        c.FillRect(left, 3 * k, width, 1, {255, 255, 255});
        if (k > 1) {
            c.FillRect(left - 1, 3 * k - 1, width + 2, 1, kOutline);
            c.FillRect(left - 1, 6 * k, width + 2, 1, kOutline);
            c.FillRect(left - 1, 3 * k, 1, 3 * k, kOutline);
            c.FillRect(left + width, 3 * k, 1, 3 * k, kOutline);
        }
        c.FillRect(x == 6 ? left : left + width - k, 4 * k, k, k, kRed);
    }
    // Round the tile's corners through the mask.
    const int corner = 2 * k;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int dx = std::max({corner - x, x - (size - 1 - corner), 0});
            const int dy = std::max({corner - y, y - (size - 1 - corner), 0});
            image.transparent[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                              static_cast<std::size_t>(x)] = dx * dx + dy * dy > corner * corner;
        }
    }
    return image;
}

// Colours of the icon: those it is drawn with, then the window system's
// usual reds, greens and greys to fill the sixteen.
constexpr Palette kIconPalette{{
    {0, 0, 0},
    kSlot,
    kOutline,
    {34, 41, 49},
    kPanel,
    {99, 119, 142},
    kMetalDark,
    kMetalLight,
    kEngraving,
    {255, 255, 255},
    kRed,
    {128, 0, 0},
    kGreen,
    {0, 128, 0},
    {128, 128, 128},
    {192, 192, 192},
}};

} // namespace

std::span<const LeverPicture> LeverPictures() {
    return kPictures;
}

std::string BitmapFileName(int resource) {
    return "bitmap" + std::to_string(resource) + ".bmp";
}

Canvas DrawLever(const LeverPicture& picture) {
    Canvas c(picture.width, picture.height, kPanel);
    DrawPanel(c);
    switch (picture.lever) {
    case Lever::Flaps:
        DrawFlaps(c, picture.position);
        break;
    case Lever::SpeedBrake:
        DrawSpeedBrake(c, picture.position);
        break;
    case Lever::Gear:
        DrawGear(c, picture.position);
        break;
    case Lever::Thrust:
        DrawThrust(c, picture.position);
        break;
    }
    return c;
}

Bytes EncodeIcon() {
    const std::array images{DrawIconImage(32), DrawIconImage(16)};
    return EncodeIco(images, kIconPalette);
}

bool WriteAllPictures(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        return false;
    }
    for (const LeverPicture& picture : kPictures) {
        if (!WriteFile(folder / BitmapFileName(picture.resource), EncodeBmp(DrawLever(picture)))) {
            return false;
        }
    }
    return WriteFile(folder / kIconFileName, EncodeIcon());
}

} // namespace leverart

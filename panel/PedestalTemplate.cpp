#include "panel/PedestalTemplate.h"

#include "panel/ShownState.h"

#include <cstring>

namespace {

constexpr std::uint32_t P = kStylePushButton;
constexpr std::uint32_t D = kStyleHiddenDefault;
constexpr std::uint32_t X = kStyleHiddenDisabled;
constexpr std::uint32_t B = kStyleBitmap;
constexpr std::uint32_t S = kStyleTrackbar;
constexpr std::uint32_t T = kStyleText;
constexpr std::uint32_t H = kStyleHiddenText;
constexpr std::uint32_t G = kStyleGroupBox;

// The window starts with the shown state's first pictures and caption.
constexpr ShownState kStart{};

constexpr TemplateControl kControls[] = {
    {IDOK, "button", "OK", 0, D, 0, 74, 28, 12},
    {IDCANCEL, "button", "Cancel", 0, X, 18, 72, 32, 8},
    {IDC_FLAP_PICTURE, "static", "", kStart.flapBitmap, B, 12, 112, 49, 59},
    {IDC_FLAP_UP, "button", "Flap Up", 0, P, 72, 100, 46, 16},
    {IDC_FLAP_1, "button", "Flap 1", 0, P, 72, 119, 46, 16},
    {IDC_FLAP_2, "button", "Flap 2", 0, P, 72, 136, 46, 16},
    {IDC_FLAP_3, "button", "Flap 3", 0, P, 72, 154, 46, 16},
    {IDC_FLAP_FULL, "button", "Flap Full", 0, P, 72, 172, 46, 16},
    {IDC_SPEED_BRAKE_PICTURE, "static", "", kStart.speedBrakeBitmap, B, 18, 194, 40, 60},
    {IDC_SPEED_BRAKE_IN, "button", "Spd Brk In", 0, P, 72, 206, 46, 16},
    {IDC_SPEED_BRAKE_OUT, "button", "Spd Brk Out", 0, P, 72, 226, 46, 16},
    {IDC_GEAR_PICTURE, "static", "", kStart.gearBitmap, B, 20, 264, 38, 62},
    {IDC_GEAR_UP, "button", "Up", 0, P, 72, 299, 46, 16},
    {IDC_GEAR_DOWN, "button", "Down", 0, P, 72, 320, 46, 16},
    {IDC_THRUST_PICTURE, "static", "", kStart.thrustBitmap, B, 18, 22, 32, 62},
    {IDC_THRUST_SLIDER, "msctls_trackbar32", "Slider1", 0, S, 30, 6, 22, 60},
    {IDC_BRAKES, "button", kStart.brakesCaption, 0, P, 72, 278, 46, 16},
    {IDC_THRUST_TOGA, "button", "TO / GA", 0, P, 72, 18, 46, 16},
    {IDC_THRUST_FLXMCT, "button", "FLX / MCT", 0, P, 72, 36, 46, 16},
    {IDC_THRUST_CL, "button", " CL ", 0, P, 72, 54, 46, 16},
    {IDC_THRUST_IDLE, "button", "idle", 0, P, 72, 72, 46, 16},
    {IDC_THRUST_TEXT, "static", "Static", 0, T, 72, 8, 54, 10},
    {IDC_FLAP_TEXT, "static", "Static", 0, H, 0, 70, 62, 10},
    {IDC_SPEED_BRAKE_TEXT, "static", "Static", 0, T, 72, 196, 62, 10},
    {IDC_GEAR_TEXT, "static", "Static", 0, T, 2, 329, 66, 10},
    {IDC_BRAKES_TEXT, "static", "Static", 0, T, 72, 268, 66, 10},
    {IDC_STATIC, "button", "", 0, G, 2, 260, 137, 82},
    {IDC_STATIC, "button", "", 0, G, 0, 0, 137, 94},
    {IDC_STATIC, "button", "", 0, G, 0, 90, 137, 98},
    {IDC_STATIC, "button", "", 0, G, 2, 186, 137, 72},
};

constexpr DialogTemplate kTemplate = {"R320 UVED Ovu Rared",
                                      "MS Sans Serif",
                                      8,
                                      139,
                                      346,
                                      kControls,
                                      sizeof(kControls) / sizeof(kControls[0])};

constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsDisabled = 0x08000000;
constexpr std::uint32_t kTypeMask = 0x0000000F;
constexpr std::uint32_t kBsDefPushButton = 0x1;
constexpr std::uint32_t kBsGroupBox = 0x7;
constexpr std::uint32_t kSsTypeMask = 0x1F;
constexpr std::uint32_t kSsBitmap = 0xE;

// Windows' MulDiv for non-negative operands: rounds half away from zero.
int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

} // namespace

const DialogTemplate& PedestalTemplate() {
    return kTemplate;
}

ControlKind KindOf(const TemplateControl& control) {
    if (std::strcmp(control.className, "msctls_trackbar32") == 0)
        return ControlKind::Trackbar;
    if (std::strcmp(control.className, "static") == 0)
        return (control.style & kSsTypeMask) == kSsBitmap ? ControlKind::Bitmap : ControlKind::Text;
    return (control.style & kTypeMask) == kBsGroupBox ? ControlKind::GroupBox
                                                      : ControlKind::PushButton;
}

bool IsVisible(std::uint32_t style) {
    return (style & kWsVisible) != 0;
}
bool IsDisabled(std::uint32_t style) {
    return (style & kWsDisabled) != 0;
}
bool IsDefaultButton(std::uint32_t style) {
    return (style & kTypeMask) == kBsDefPushButton;
}

int DialogUnitsToPixelsX(int units) {
    return MulDiv(units, kBaseUnitX, 4);
}
int DialogUnitsToPixelsY(int units) {
    return MulDiv(units, kBaseUnitY, 8);
}

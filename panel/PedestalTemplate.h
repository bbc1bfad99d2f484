// Dialog resource 102, the pedestal window's template, as data. The window
// builds its thirty controls from this table, in template order, and places
// them by converting dialog units with the template font's base units.
#pragma once

#include <cstddef>
#include <cstdint>

// Resource and control numbers.
enum : int {
    IDD_PEDESTAL_DIALOG = 102,
    IDR_MAINFRAME = 128,
    IDC_STATIC = -1,
    IDOK = 1,
    IDCANCEL = 2,
    IDC_FLAP_PICTURE = 1000,
    IDC_FLAP_UP = 1001,
    IDC_FLAP_1 = 1002,
    IDC_FLAP_2 = 1003,
    IDC_FLAP_3 = 1004,
    IDC_FLAP_FULL = 1005,
    IDC_SPEED_BRAKE_PICTURE = 1006,
    IDC_SPEED_BRAKE_IN = 1007,
    IDC_SPEED_BRAKE_OUT = 1008,
    IDC_GEAR_PICTURE = 1009,
    IDC_GEAR_UP = 1010,
    IDC_GEAR_DOWN = 1011,
    IDC_THRUST_PICTURE = 1012,
    IDC_THRUST_SLIDER = 1013,
    IDC_BRAKES = 1014,
    IDC_THRUST_TOGA = 1015,
    IDC_THRUST_FLXMCT = 1016,
    IDC_THRUST_CL = 1017,
    IDC_THRUST_IDLE = 1018,
    IDC_THRUST_TEXT = 1019,
    IDC_FLAP_TEXT = 1020,
    IDC_SPEED_BRAKE_TEXT = 1021,
    IDC_GEAR_TEXT = 1022,
    IDC_BRAKES_TEXT = 1023,
};

// Control styles of the template.
inline constexpr std::uint32_t kStylePushButton = 0x50010000;
inline constexpr std::uint32_t kStyleHiddenDefault = 0x40010001;
inline constexpr std::uint32_t kStyleHiddenDisabled = 0x48010000;
inline constexpr std::uint32_t kStyleBitmap = 0x5000000E;
inline constexpr std::uint32_t kStyleTrackbar = 0x4801000A;
inline constexpr std::uint32_t kStyleText = 0x50020000;
inline constexpr std::uint32_t kStyleHiddenText = 0x48020000;
inline constexpr std::uint32_t kStyleGroupBox = 0x50000007;

enum class ControlKind { PushButton, GroupBox, Text, Bitmap, Trackbar };

struct TemplateControl {
    int id;
    const char* className;
    const char* caption; // empty for bitmaps and frames
    int bitmap;          // resource number a bitmap static starts with, else 0
    std::uint32_t style;
    int x, y, w, h; // dialog units
};

struct DialogTemplate {
    const char* caption;
    const char* fontName;
    int pointSize;
    int width, height; // dialog units
    const TemplateControl* controls;
    std::size_t controlCount;
};

const DialogTemplate& PedestalTemplate();

ControlKind KindOf(const TemplateControl& control);
bool IsVisible(std::uint32_t style);
bool IsDisabled(std::uint32_t style);
bool IsDefaultButton(std::uint32_t style);

// "MS Sans Serif" 8 points has base units of 6 x 13 pixels; a dialog unit is a
// quarter of the width and an eighth of the height, rounded to nearest.
inline constexpr int kBaseUnitX = 6;
inline constexpr int kBaseUnitY = 13;
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

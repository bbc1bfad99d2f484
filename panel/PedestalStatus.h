// What the pedestal window shows for a given block, kept free of Qt so that
// tests, the fuzzer and the benchmarks can drive it without a window. The
// window's tick (CPedestalDlg::OnTimer) asks these routines which state each
// lever is in, which picture and text go with it, and what to write back.
#pragma once

#include <cstdint>

namespace PedestalStatus {

// Thrust detents as the tick numbers them. There is no state 1; state 0
// (below the idle band, or not a number) shows the same as TO/GA.
inline constexpr int kThrustBelowIdle = 0;
inline constexpr int kThrustIdle = 2;
inline constexpr int kThrustCl = 3;
inline constexpr int kThrustFlxMct = 4;
inline constexpr int kThrustToGa = 5;

// Flap detents: the index of the block's flag.
inline constexpr int kFlapsUp = 0;
inline constexpr int kFlapsFull = 4;
inline constexpr int kFlapFlags = 5;

// The values the commands write: percent of lever travel, each inside the band
// that the tick shows as the same detent.
inline constexpr double kThrustToGaValue = 98.0;
inline constexpr double kThrustFlxMctValue = 96.0;
inline constexpr double kThrustClValue = 79.0;
inline constexpr double kThrustIdleValue = 0.0;

inline constexpr std::int32_t kSpeedBrakeInValue = 1;
inline constexpr std::int32_t kSpeedBrakeOutValue = 3;

// Ticks a slider release keeps the block from moving the slider.
inline constexpr std::int32_t kSliderHoldOffTicks = 20;

// Thrust state of lever 1's position; NaN counts as below the idle band.
int ThrustStateOf(double thrustLever);

// The highest set flag wins; with none set the previous state stands.
int FlapStateOf(const std::uint8_t flags[kFlapFlags], int previous);

// Brakes count as set when any demand exceeds 0.5; NaN counts as released.
bool BrakesSet(const double demands[3]);
// The brakes button releases when the second demand exceeds 0.5, else sets.
bool BrakesButtonReleases(double demand1);

const char* FlapText(int flapState);
const char* ThrustText(int thrustState);
const char* SpeedBrakeText(bool speedBrakeIn);
const char* GearText(bool gearUp);
const char* BrakesText(bool brakesSet);
// Caption of the brakes button: the action its next click performs.
const char* BrakesCaption(bool brakesSetByClick);

// Bitmap resource numbers of the lever pictures.
int FlapBitmap(int flapState);
int ThrustBitmap(int thrustState);
int SpeedBrakeBitmap(bool speedBrakeIn);
int GearBitmap(bool gearUp);

std::int32_t SpeedBrakeLeverValue(bool speedBrakeIn);

// The block's heartbeat and the slider hold-off both count modulo 2^32.
std::int32_t NextHeartbeat(std::int32_t heartbeat);
std::int32_t LowerHoldOff(std::int32_t holdOff);

// Slider position 100 - trunc(thrustLever). False, leaving *position alone,
// when the lever is not a number or the result does not fit an int.
bool SliderPositionFor(double thrustLever, int* position);
// Both thrust levers after a slider release at position.
double ThrustFromSlider(int position);

// The system's icon size, which a minimised window centres in its client area.
inline constexpr int kSystemIconSize = 32;

// Top-left corner of an icon of cx x cy centred in a width x height client
// area; each halving rounds toward zero.
struct IconOrigin {
    int x;
    int y;
};
IconOrigin CentredIcon(int width, int height, int cx, int cy);

} // namespace PedestalStatus

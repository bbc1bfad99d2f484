// What the pedestal shows: one value that every view renders, and the bits
// that say which parts of it changed.
#pragma once

#include <cstdint>

// Which picture each lever shows (bitmap resource numbers), the five status
// texts, and the brakes button's caption. Texts point at the system's own
// static strings; they are empty until the first tick.
struct ShownState {
    int flapBitmap = 131;
    int speedBrakeBitmap = 137;
    int gearBitmap = 139;
    int thrustBitmap = 141;
    const char* flapText = "";
    const char* gearText = "";
    const char* speedBrakeText = "";
    const char* thrustText = "";
    const char* brakesText = "";
    const char* brakesCaption = "Brakes On";
};

enum ShownChange : unsigned {
    kFlapPicture = 1u << 0,
    kSpeedBrakePicture = 1u << 1,
    kGearPicture = 1u << 2,
    kThrustPicture = 1u << 3,
    kFlapText = 1u << 4,
    kGearText = 1u << 5,
    kSpeedBrakeText = 1u << 6,
    kThrustText = 1u << 7,
    kBrakesText = 1u << 8,
    kBrakesCaption = 1u << 9,
    // A tick ran; its texts were rewritten whether or not they changed.
    kTicked = 1u << 10,
    // The tick positions the slider (Update::sliderPosition).
    kSliderPosition = 1u << 11,
    // The attachment has something to say (Pedestal::Notice()).
    kNotice = 1u << 12,

    kAllPictures = kFlapPicture | kSpeedBrakePicture | kGearPicture | kThrustPicture,
    kAllTexts = kFlapText | kGearText | kSpeedBrakeText | kThrustText | kBrakesText,
    kAllShown = kAllPictures | kAllTexts | kBrakesCaption,
};

// The parts of the shown state in which a and b differ.
unsigned Diff(const ShownState& a, const ShownState& b);

// What a view is told after a command or a tick.
struct Update {
    unsigned changes = 0;
    // Valid when changes has kSliderPosition.
    int sliderPosition = 0;
};

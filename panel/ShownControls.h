// Shown state to controls: for each part of the shown state, the bit that
// says it changed, the template control that shows it, the name a browser
// knows it by, and the member that holds it (a picture's bitmap number or a
// text). Every view paints from this one table. Kept apart from ShownState.h:
// the template's control names must not meet windows.h's macros in files
// that only need the shown state.
#pragma once

#include "panel/PedestalTemplate.h"
#include "panel/ShownState.h"

struct ShownControl {
    ShownChange change;
    int controlId;
    // The protocol key, e.g. "flapBitmap"; the member's own name.
    const char* key;
    // Exactly one of the two is set.
    int ShownState::*bitmap;
    const char* ShownState::*text;
};

inline constexpr ShownControl kShownControls[] = {
    {kFlapPicture, IDC_FLAP_PICTURE, "flapBitmap", &ShownState::flapBitmap, nullptr},
    {kSpeedBrakePicture, IDC_SPEED_BRAKE_PICTURE, "speedBrakeBitmap", &ShownState::speedBrakeBitmap,
     nullptr},
    {kGearPicture, IDC_GEAR_PICTURE, "gearBitmap", &ShownState::gearBitmap, nullptr},
    {kThrustPicture, IDC_THRUST_PICTURE, "thrustBitmap", &ShownState::thrustBitmap, nullptr},
    {kFlapText, IDC_FLAP_TEXT, "flapText", nullptr, &ShownState::flapText},
    {kGearText, IDC_GEAR_TEXT, "gearText", nullptr, &ShownState::gearText},
    {kSpeedBrakeText, IDC_SPEED_BRAKE_TEXT, "speedBrakeText", nullptr, &ShownState::speedBrakeText},
    {kThrustText, IDC_THRUST_TEXT, "thrustText", nullptr, &ShownState::thrustText},
    {kBrakesText, IDC_BRAKES_TEXT, "brakesText", nullptr, &ShownState::brakesText},
    {kBrakesCaption, IDC_BRAKES, "brakesCaption", nullptr, &ShownState::brakesCaption},
};

// The entry for a control, or null when the control shows no part of the
// shown state.
constexpr const ShownControl* ShownControlFor(int controlId) {
    for (const ShownControl& shown : kShownControls) {
        if (shown.controlId == controlId)
            return &shown;
    }
    return nullptr;
}

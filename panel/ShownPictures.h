// The picture control of the window's template that shows each lever, so that
// every view paints a change in the same place. Kept apart from ShownState.h:
// the template's control names must not meet windows.h's macros in files
// that only need the shown state.
#pragma once

#include "panel/PedestalTemplate.h"
#include "panel/ShownState.h"

struct ShownPicture {
    unsigned change;
    int controlId;
    int ShownState::*bitmap;
};
inline constexpr ShownPicture kShownPictures[] = {
    {kFlapPicture, IDC_FLAP_PICTURE, &ShownState::flapBitmap},
    {kSpeedBrakePicture, IDC_SPEED_BRAKE_PICTURE, &ShownState::speedBrakeBitmap},
    {kGearPicture, IDC_GEAR_PICTURE, &ShownState::gearBitmap},
    {kThrustPicture, IDC_THRUST_PICTURE, &ShownState::thrustBitmap},
};

#include "panel/PedestalStatus.h"

#include <climits>
#include <cmath>

namespace PedestalStatus {

int ThrustStateOf(double thrustLever) {
    // Written so that NaN fails the first comparison and lands in state 0.
    if (!(thrustLever >= -10.0))
        return kThrustBelowIdle;
    if (thrustLever < 2.0)
        return kThrustIdle;
    if (thrustLever < 80.0)
        return kThrustCl;
    if (thrustLever < 97.0)
        return kThrustFlxMct;
    return kThrustToGa;
}

int FlapStateOf(const std::uint8_t flags[kFlapFlags], int previous) {
    int state = previous;
    for (int i = 0; i < kFlapFlags; ++i) {
        if (flags[i] != 0)
            state = i;
    }
    return state;
}

bool BrakesSet(const double demands[3]) {
    return demands[0] > 0.5 || demands[1] > 0.5 || demands[2] > 0.5;
}

bool BrakesButtonReleases(double demand1) {
    return demand1 > 0.5;
}

const char* FlapText(int flapState) {
    switch (flapState) {
    case 0:
        return "Flaps Up  ";
    case 1:
        return "Flaps 1   ";
    case 2:
        return "Flaps 2   ";
    case 3:
        return "Flaps 3   ";
    default:
        return "Flaps Full";
    }
}

const char* ThrustText(int thrustState) {
    switch (thrustState) {
    case kThrustIdle:
        return "IDLE";
    case kThrustCl:
        return "CL";
    case kThrustFlxMct:
        return "MCT/FLX";
    default:
        return "TO/GA";
    }
}

const char* SpeedBrakeText(bool speedBrakeIn) {
    return speedBrakeIn ? "Speed Brake In" : "Speed Brake Out";
}

const char* GearText(bool gearUp) {
    return gearUp ? "Gear Up" : "Gear Down";
}

const char* BrakesText(bool brakesSet) {
    return brakesSet ? "Brakes On" : "Brakes Off";
}

const char* BrakesCaption(bool brakesSetByClick) {
    return brakesSetByClick ? "Brakes Off" : "Brakes On";
}

int FlapBitmap(int flapState) {
    switch (flapState) {
    case 0:
        return 131;
    case 1:
        return 133;
    case 2:
        return 134;
    case 3:
        return 135;
    default:
        return 136;
    }
}

int ThrustBitmap(int thrustState) {
    switch (thrustState) {
    case kThrustIdle:
        return 141;
    case kThrustCl:
        return 144;
    case kThrustFlxMct:
        return 142;
    default:
        return 143;
    }
}

int SpeedBrakeBitmap(bool speedBrakeIn) {
    return speedBrakeIn ? 137 : 138;
}

int GearBitmap(bool gearUp) {
    return gearUp ? 140 : 139;
}

std::int32_t SpeedBrakeLeverValue(bool speedBrakeIn) {
    return speedBrakeIn ? kSpeedBrakeInValue : kSpeedBrakeOutValue;
}

std::int32_t NextHeartbeat(std::int32_t heartbeat) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(heartbeat) + 1u);
}

std::int32_t LowerHoldOff(std::int32_t holdOff) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(holdOff) - 1u);
}

bool SliderPositionFor(double thrustLever, int* position) {
    // The range test also rejects NaN, so the conversion below is defined.
    if (!(thrustLever > static_cast<double>(INT_MIN) - 1.0 &&
          thrustLever < static_cast<double>(INT_MAX) + 1.0))
        return false;
    const long long whole = static_cast<long long>(std::trunc(thrustLever));
    const long long result = 100 - whole;
    if (result < INT_MIN || result > INT_MAX)
        return false;
    *position = static_cast<int>(result);
    return true;
}

double ThrustFromSlider(int position) {
    return 100.0 - static_cast<double>(position);
}

IconOrigin CentredIcon(int width, int height, int cx, int cy) {
    return {(width - cx + 1) / 2, (height - cy + 1) / 2};
}

} // namespace PedestalStatus

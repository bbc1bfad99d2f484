#include "panel/PedestalStatus.h"
#include "panel/PedestalTemplate.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

using namespace PedestalStatus;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(PedestalStatus, ThrustBandsSwitchAtTheirLowerEdges) {
    struct Case {
        double lever;
        int state;
        const char* text;
        int bitmap;
    };
    const Case cases[] = {
        {-10.01, kThrustBelowIdle, "TO/GA", 143},
        {-10.0, kThrustIdle, "IDLE", 141},
        {0.0, kThrustIdle, "IDLE", 141},
        {1.99, kThrustIdle, "IDLE", 141},
        {2.0, kThrustCl, "CL", 144},
        {79.99, kThrustCl, "CL", 144},
        {80.0, kThrustFlxMct, "MCT/FLX", 142},
        {96.99, kThrustFlxMct, "MCT/FLX", 142},
        {97.0, kThrustToGa, "TO/GA", 143},
        {1e300, kThrustToGa, "TO/GA", 143},
        {kInf, kThrustToGa, "TO/GA", 143},
        {-kInf, kThrustBelowIdle, "TO/GA", 143},
        {kNaN, kThrustBelowIdle, "TO/GA", 143},
        {-kNaN, kThrustBelowIdle, "TO/GA", 143},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lever);
        const int state = ThrustStateOf(c.lever);
        EXPECT_EQ(state, c.state);
        EXPECT_STREQ(ThrustText(state), c.text);
        EXPECT_EQ(ThrustBitmap(state), c.bitmap);
    }
}

TEST(PedestalStatus, CommandValuesLieInsideTheirOwnDetents) {
    EXPECT_EQ(ThrustStateOf(kThrustToGaValue), kThrustToGa);
    EXPECT_EQ(ThrustStateOf(kThrustFlxMctValue), kThrustFlxMct);
    EXPECT_EQ(ThrustStateOf(kThrustClValue), kThrustCl);
    EXPECT_EQ(ThrustStateOf(kThrustIdleValue), kThrustIdle);
    EXPECT_EQ(kThrustToGaValue, 98.0);
    EXPECT_EQ(kThrustFlxMctValue, 96.0);
    EXPECT_EQ(kThrustClValue, 79.0);
    EXPECT_EQ(kThrustIdleValue, 0.0);
}

TEST(PedestalStatus, HighestFlapFlagWinsAndNoneKeepsThePrevious) {
    struct Case {
        std::uint8_t flags[5];
        int previous;
        int state;
    };
    const Case cases[] = {
        {{1, 0, 0, 0, 0}, 3, 0},   {{0, 1, 0, 0, 0}, 0, 1}, {{0, 0, 1, 0, 0}, 0, 2},
        {{0, 0, 0, 1, 0}, 0, 3},   {{0, 0, 0, 0, 1}, 0, 4}, {{0, 1, 0, 1, 0}, 0, 3},
        {{1, 1, 1, 1, 1}, 0, 4},   {{0, 0, 0, 0, 0}, 2, 2}, {{0, 0, 0, 0, 0}, 0, 0},
        {{255, 0, 0, 0, 0}, 4, 0}, {{0, 0, 7, 0, 0}, 1, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FlapStateOf(c.flags, c.previous), c.state)
            << int(c.flags[0]) << int(c.flags[1]) << int(c.flags[2]) << int(c.flags[3])
            << int(c.flags[4]);
    }
}

TEST(PedestalStatus, FlapTextsArePaddedToTenAndMatchTheirBitmaps) {
    const char* texts[] = {"Flaps Up  ", "Flaps 1   ", "Flaps 2   ", "Flaps 3   ", "Flaps Full"};
    const int bitmaps[] = {131, 133, 134, 135, 136};
    for (int state = 0; state < 5; ++state) {
        EXPECT_STREQ(FlapText(state), texts[state]);
        EXPECT_EQ(std::strlen(FlapText(state)), 10u);
        EXPECT_EQ(FlapBitmap(state), bitmaps[state]);
    }
    EXPECT_STREQ(FlapText(7), "Flaps Full");
    EXPECT_STREQ(FlapText(-1), "Flaps Full");
    EXPECT_EQ(FlapBitmap(-1), 136);
}

TEST(PedestalStatus, BrakesAreSetByAnyDemandAboveOneHalf) {
    struct Case {
        double demands[3];
        bool set;
    };
    const Case cases[] = {
        {{0.0, 0.0, 0.0}, false},  {{0.5, 0.5, 0.5}, false},    {{0.6, 0.0, 0.0}, true},
        {{0.0, 0.6, 0.0}, true},   {{0.0, 0.0, 0.6}, true},     {{kNaN, kNaN, kNaN}, false},
        {{kNaN, 1.0, kNaN}, true}, {{-1.0, -kInf, 0.5}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BrakesSet(c.demands), c.set)
            << c.demands[0] << " " << c.demands[1] << " " << c.demands[2];
        EXPECT_STREQ(BrakesText(c.set), c.set ? "Brakes On" : "Brakes Off");
    }
}

TEST(PedestalStatus, BrakesButtonDecidesFromTheSecondDemand) {
    EXPECT_TRUE(BrakesButtonReleases(1.0));
    EXPECT_TRUE(BrakesButtonReleases(0.5000001));
    EXPECT_FALSE(BrakesButtonReleases(0.5));
    EXPECT_FALSE(BrakesButtonReleases(0.0));
    EXPECT_FALSE(BrakesButtonReleases(kNaN));
    EXPECT_STREQ(BrakesCaption(true), "Brakes Off");
    EXPECT_STREQ(BrakesCaption(false), "Brakes On");
}

TEST(PedestalStatus, SpeedBrakeAndGearTablesMatch) {
    EXPECT_STREQ(SpeedBrakeText(true), "Speed Brake In");
    EXPECT_STREQ(SpeedBrakeText(false), "Speed Brake Out");
    EXPECT_EQ(SpeedBrakeBitmap(true), 137);
    EXPECT_EQ(SpeedBrakeBitmap(false), 138);
    EXPECT_EQ(SpeedBrakeLeverValue(true), 1);
    EXPECT_EQ(SpeedBrakeLeverValue(false), 3);
    EXPECT_STREQ(GearText(true), "Gear Up");
    EXPECT_STREQ(GearText(false), "Gear Down");
    EXPECT_EQ(GearBitmap(true), 140);
    EXPECT_EQ(GearBitmap(false), 139);
}

TEST(PedestalStatus, CountersWrapModuloTwoToThe32) {
    EXPECT_EQ(NextHeartbeat(0), 1);
    EXPECT_EQ(NextHeartbeat(-1), 0);
    EXPECT_EQ(NextHeartbeat(INT_MAX), INT_MIN);
    EXPECT_EQ(LowerHoldOff(20), 19);
    EXPECT_EQ(LowerHoldOff(0), -1);
    EXPECT_EQ(LowerHoldOff(INT_MIN), INT_MAX);
}

TEST(PedestalStatus, SliderPositionDropsTheFractionBeforeSubtracting) {
    struct Case {
        double lever;
        bool placed;
        int position;
    };
    const Case cases[] = {
        {0.0, true, 100},
        {70.0, true, 30},
        {79.9, true, 21},
        {-0.9, true, 100},
        {-1.5, true, 101},
        {250.0, true, -150},
        {2147483647.9, true, -2147483547},
        {-2147483547.5, true, INT_MAX},
        {-2147483548.0, false, 0},
        {2147483648.0, false, 0},
        {-2147483649.0, false, 0},
        {kNaN, false, 0},
        {kInf, false, 0},
        {-kInf, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lever);
        int position = 12345;
        EXPECT_EQ(SliderPositionFor(c.lever, &position), c.placed);
        EXPECT_EQ(position, c.placed ? c.position : 12345);
    }
    EXPECT_EQ(ThrustFromSlider(30), 70.0);
    EXPECT_EQ(ThrustFromSlider(0), 100.0);
    EXPECT_EQ(ThrustFromSlider(100), 0.0);
}

TEST(PedestalStatus, MinimisedIconCentringRoundsTowardZero) {
    struct Case {
        int width, height, x, y;
    };
    const Case cases[] = {
        {209, 562, 89, 265}, {32, 32, 0, 0}, {33, 34, 1, 1}, {10, 0, -10, -15}, {0, 31, -15, 0},
    };
    for (const Case& c : cases) {
        const IconOrigin origin = CentredIcon(c.width, c.height, kSystemIconSize, kSystemIconSize);
        EXPECT_EQ(origin.x, c.x) << c.width;
        EXPECT_EQ(origin.y, c.y) << c.height;
    }
}

TEST(PedestalTemplate, DialogUnitsRoundToNearestPixel) {
    struct Case {
        int units, x, y;
    };
    const Case cases[] = {{0, 0, 0},       {1, 2, 2},    {2, 3, 3},       {3, 5, 5},
                          {49, 74, 80},    {59, 89, 96}, {139, 209, 226}, {346, 519, 562},
                          {137, 206, 223}, {60, 90, 98}};
    for (const Case& c : cases) {
        EXPECT_EQ(DialogUnitsToPixelsX(c.units), c.x) << c.units;
        EXPECT_EQ(DialogUnitsToPixelsY(c.units), c.y) << c.units;
    }
}

TEST(PedestalTemplate, HoldsThirtyControlsWithTheirStyles) {
    const DialogTemplate& dlg = PedestalTemplate();
    EXPECT_STREQ(dlg.caption, "R320 UVED Ovu Rared");
    EXPECT_EQ(dlg.width, 139);
    EXPECT_EQ(dlg.height, 346);
    ASSERT_EQ(dlg.controlCount, 30u);
    int hidden = 0, disabled = 0, frames = 0, pictures = 0, buttons = 0, texts = 0;
    for (std::size_t i = 0; i < dlg.controlCount; ++i) {
        const TemplateControl& c = dlg.controls[i];
        hidden += IsVisible(c.style) ? 0 : 1;
        disabled += IsDisabled(c.style) ? 1 : 0;
        switch (KindOf(c)) {
        case ControlKind::GroupBox:
            ++frames;
            EXPECT_EQ(c.id, IDC_STATIC);
            break;
        case ControlKind::Bitmap:
            ++pictures;
            break;
        case ControlKind::PushButton:
            ++buttons;
            break;
        case ControlKind::Text:
            ++texts;
            break;
        case ControlKind::Trackbar:
            EXPECT_EQ(c.id, IDC_THRUST_SLIDER);
            break;
        }
    }
    EXPECT_EQ(hidden, 4);   // OK, Cancel, slider, flap text
    EXPECT_EQ(disabled, 3); // Cancel, slider, flap text
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(pictures, 4);
    EXPECT_EQ(buttons, 16); // OK and Cancel among them
    EXPECT_EQ(texts, 5);
    EXPECT_TRUE(IsDefaultButton(dlg.controls[0].style));
    EXPECT_EQ(dlg.controls[0].id, IDOK);
    EXPECT_FALSE(IsDefaultButton(kStylePushButton));
}

} // namespace

// The calibration table: what a lever writes for each raw value it reports.
#include "input/Mapping.h"

#include <gtest/gtest.h>

using namespace pedestal::input;

namespace {

const std::vector<int> kThrottle = {-32768, -9000, 14000, 30000};

} // namespace

TEST(Mapping, ThrustRunsThroughTheDetentButtonsValues) {
    const struct {
        std::vector<int> detents;
        int raw;
        int thousandths;
    } rows[] = {
        {kThrottle, -32768, 0},
        {kThrottle, -9000, 79000},
        {kThrottle, 14000, 96000},
        {kThrottle, 30000, 98000},
        {kThrottle, 2500, 87500},
        {kThrottle, 32767, 98000},
        {kThrottle, -20884, 39500}, // halfway from idle to CL
        // A lever whose values fall as it moves forward.
        {{30000, 14000, -9000, -32768}, -9000, 96000},
        {{30000, 14000, -9000, -32768}, 32000, 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ThrustArgument(row.detents, row.raw), row.thousandths) << row.raw;
}

TEST(Mapping, AFlapLeverAtABoundaryWritesOnceAndADeadbandHidesSmallMoves) {
    AxisMapper flaps({0, Function::Flaps, {-30000, -15000, 0, 15000, 30000}, 0.0});
    EXPECT_FALSE(flaps.Move(-30000)); // where it rests: nothing
    std::vector<Action> written;
    for (int raw : {-22000, -23000, -21000, -22600, -20000, -23400, -12000, -15500, -19000})
        if (const auto action = flaps.Move(raw))
            written.push_back(*action);
    EXPECT_EQ(written, (std::vector<Action>{{Command::FlapsDetent, 1}}));

    AxisMapper thrust({0, Function::Thrust2, kThrottle, 0.5});
    EXPECT_FALSE(thrust.Move(-9000));
    EXPECT_FALSE(thrust.Move(-9000 + 300)); // under 0.5 % of 65535
    EXPECT_EQ(thrust.Move(-9000 + 400), (Action{Command::ThrustLever2, 79296}));
}

// The pedestal core against a block in the test's own memory: what each
// command writes, what each tick shows, tells its views and writes back, and
// what it does without a block. No toolkit and no shared memory needed.
#include "panel/PedestalCore.h"
#include "panel/PedestalTemplate.h"
#include "shm/TS_P_0001_02_genericSim.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

class PedestalCoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Storage = std::make_unique<GenericSimBlock>();
        std::memset(m_Storage.get(), 0, sizeof(GenericSimBlock));
        m_Block = m_Storage.get();
        m_Core.GetAttachment().UseBlock(m_Block);
        m_Core.AddListener([this](const Update& update) { m_Updates.push_back(update); });
    }

    std::vector<unsigned char> Snapshot() const {
        const auto* bytes = reinterpret_cast<const unsigned char*>(m_Block);
        return {bytes, bytes + sizeof(GenericSimBlock)};
    }
    // The block equals the snapshot, apart from the bytes of `field`, which
    // hold `value`.
    template <typename T>
    static void Expect(std::vector<unsigned char>& snapshot, std::size_t offset, T value) {
        std::memcpy(&snapshot[offset], &value, sizeof value);
    }
    bool Holds(const std::vector<unsigned char>& snapshot) const {
        return std::memcmp(snapshot.data(), m_Block, snapshot.size()) == 0;
    }
    Update Tick(int count = 1) {
        Update last;
        for (int i = 0; i < count; ++i)
            last = m_Core.Tick();
        return last;
    }

    std::unique_ptr<GenericSimBlock> m_Storage;
    GenericSimBlock* m_Block = nullptr;
    PedestalCore m_Core;
    std::vector<Update> m_Updates;
};

// --- Commands ------------------------------------------------------------------

TEST_F(PedestalCoreTest, FlapCommandsReplaceAllFiveFlagsAndNothingElse) {
    const Command flaps[] = {Command::FlapUp, Command::Flap1, Command::Flap2, Command::Flap3,
                             Command::FlapFull};
    for (int detent = 0; detent < 5; ++detent) {
        const std::uint8_t before[5] = {0, 1, 0, 1, 1};
        std::memcpy(m_Block->flapLever, before, 5);
        auto expected = Snapshot();
        EXPECT_TRUE(m_Core.Execute(flaps[detent]));
        for (int i = 0; i < 5; ++i)
            expected[offsetof(GenericSimBlock, flapLever) + static_cast<std::size_t>(i)] =
                i == detent ? 1 : 0;
        EXPECT_TRUE(Holds(expected)) << "detent " << detent;
    }
}

TEST_F(PedestalCoreTest, GearCommandsWriteTheirThreeFlags) {
    m_Block->gearLeverUp = m_Block->gearUpSelected = m_Block->gearDownSelected = 9;
    auto expected = Snapshot();
    m_Core.Execute(Command::GearUp);
    expected[offsetof(GenericSimBlock, gearLeverUp)] = 1;
    expected[offsetof(GenericSimBlock, gearUpSelected)] = 1;
    expected[offsetof(GenericSimBlock, gearDownSelected)] = 0;
    EXPECT_TRUE(Holds(expected));
    m_Core.Execute(Command::GearDown);
    expected[offsetof(GenericSimBlock, gearLeverUp)] = 0;
    expected[offsetof(GenericSimBlock, gearUpSelected)] = 0;
    expected[offsetof(GenericSimBlock, gearDownSelected)] = 1;
    EXPECT_TRUE(Holds(expected));
}

TEST_F(PedestalCoreTest, BrakesToggleFromTheSecondDemand) {
    struct Row {
        double d0, d1, d2, after;
        const char* caption;
    };
    const Row rows[] = {
        {0.0, 0.0, 0.0, 1.0, "Brakes Off"},      {0.5, 0.5, 0.5, 1.0, "Brakes Off"},
        {1.0, 0.0, 1.0, 1.0, "Brakes Off"},      {0.0, 1.0, 0.0, 0.0, "Brakes On"},
        {0.0, 0.5000001, 0.0, 0.0, "Brakes On"}, {1.0, kNaN, 1.0, 1.0, "Brakes Off"},
    };
    for (const Row& row : rows) {
        const double before[3] = {row.d0, row.d1, row.d2};
        std::memcpy(m_Block->brakeDemand, before, sizeof before);
        auto expected = Snapshot();
        m_Core.Execute(Command::Brakes);
        for (std::size_t i = 0; i < 3; ++i)
            Expect(expected, offsetof(GenericSimBlock, brakeDemand) + 8 * i, row.after);
        EXPECT_TRUE(Holds(expected)) << row.d1;
        EXPECT_STREQ(m_Core.Shown().brakesCaption, row.caption) << row.d1;
    }
}

TEST_F(PedestalCoreTest, BrakesCaptionChangeIsToldToEveryView) {
    int second = 0;
    m_Core.AddListener(
        [&](const Update& update) { second += (update.changes & kBrakesCaption) != 0; });
    EXPECT_STREQ(m_Core.Shown().brakesCaption, "Brakes On");
    m_Core.Execute(Command::Brakes);
    ASSERT_EQ(m_Updates.size(), 1u);
    EXPECT_EQ(m_Updates[0].changes, unsigned(kBrakesCaption));
    EXPECT_STREQ(m_Core.Shown().brakesCaption, "Brakes Off");
    m_Core.Execute(Command::Brakes);
    EXPECT_STREQ(m_Core.Shown().brakesCaption, "Brakes On");
    EXPECT_EQ(second, 2);
    // Released again by another writer: the caption already names the next
    // click, so nothing changes and no view is told.
    m_Core.Execute(Command::Brakes);
    m_Block->brakeDemand[1] = 0.0;
    m_Updates.clear();
    m_Core.Execute(Command::Brakes);
    EXPECT_TRUE(m_Updates.empty());
}

TEST_F(PedestalCoreTest, ThrustCommandsWriteBothLeversInsideTheirBand) {
    struct Row {
        Command command;
        double value;
        const char* shown;
    };
    const Row rows[] = {{Command::ThrustToGa, 98.0, "TO/GA"},
                        {Command::ThrustFlxMct, 96.0, "MCT/FLX"},
                        {Command::ThrustCl, 79.0, "CL"},
                        {Command::ThrustIdle, 0.0, "IDLE"}};
    for (const Row& row : rows) {
        m_Block->thrustLever[0] = 50.0;
        m_Block->thrustLever[1] = -3.0;
        auto expected = Snapshot();
        m_Core.Execute(row.command);
        Expect(expected, offsetof(GenericSimBlock, thrustLever), row.value);
        Expect(expected, offsetof(GenericSimBlock, thrustLever) + 8, row.value);
        EXPECT_TRUE(Holds(expected)) << row.shown;
        Tick();
        EXPECT_STREQ(m_Core.Shown().thrustText, row.shown);
    }
}

TEST_F(PedestalCoreTest, SpeedBrakeIsWrittenOnlyByTheNextTick) {
    m_Block->speedBrakeLever = 7;
    auto untouched = Snapshot();
    m_Core.Execute(Command::SpeedBrakeOut);
    EXPECT_TRUE(Holds(untouched));
    EXPECT_TRUE(m_Updates.empty());
    EXPECT_TRUE(Tick().changes & kSpeedBrakePicture);
    EXPECT_EQ(m_Block->speedBrakeLever, 3);
    EXPECT_STREQ(m_Core.Shown().speedBrakeText, "Speed Brake Out");
    EXPECT_EQ(m_Core.Shown().speedBrakeBitmap, 138);

    untouched = Snapshot();
    m_Core.Execute(Command::SpeedBrakeIn);
    EXPECT_TRUE(Holds(untouched));
    Tick();
    EXPECT_EQ(m_Block->speedBrakeLever, 1);
    EXPECT_EQ(m_Core.Shown().speedBrakeBitmap, 137);
}

TEST_F(PedestalCoreTest, SliderReleaseWritesAndHoldsOffTheBlockFor21Ticks) {
    Tick(3); // past the start-up positioning
    m_Block->thrustLever[1] = 5.0;
    m_Core.Execute(Command::SliderReleased, 30);
    EXPECT_EQ(m_Block->thrustLever[0], 70.0);
    EXPECT_EQ(m_Block->thrustLever[1], 70.0);
    EXPECT_EQ(m_Core.SliderHoldOff(), 20);
    m_Block->thrustLever[0] = 10.75;
    for (int tick = 1; tick <= 21; ++tick)
        EXPECT_FALSE(Tick().changes & kSliderPosition) << tick;
    const Update update = Tick(); // the 22nd tick after the release
    ASSERT_TRUE(update.changes & kSliderPosition);
    EXPECT_EQ(update.sliderPosition, 90);
    m_Block->thrustLever[0] = 40.0;
    for (int tick = 0; tick < 30; ++tick)
        EXPECT_FALSE(Tick().changes & kSliderPosition);
    EXPECT_EQ(m_Core.SliderHoldOff(), -32);
}

TEST_F(PedestalCoreTest, SliderFollowsOnlyOnTheSecondTickAfterStartAndOnlyForAPosition) {
    m_Block->thrustLever[0] = 25.5;
    EXPECT_FALSE(Tick().changes & kSliderPosition);
    const Update second = Tick();
    ASSERT_TRUE(second.changes & kSliderPosition);
    EXPECT_EQ(second.sliderPosition, 75);

    for (double lever : {kNaN, std::numeric_limits<double>::infinity(), 3e9, -2147483548.0}) {
        m_Core.Execute(Command::SliderReleased, 30);
        m_Block->thrustLever[0] = lever;
        for (int tick = 0; tick < 22; ++tick)
            EXPECT_FALSE(Tick().changes & kSliderPosition) << lever;
        EXPECT_STREQ(m_Core.Shown().thrustText, "TO/GA");
    }
}

// --- Tick ----------------------------------------------------------------------

TEST_F(PedestalCoreTest, ThrustDetentFollowsLeverOneOnly) {
    struct Row {
        double lever;
        const char* text;
        int bitmap;
    };
    const Row rows[] = {{1.99, "IDLE", 141},    {2.0, "CL", 144},        {79.99, "CL", 144},
                        {80.0, "MCT/FLX", 142}, {96.99, "MCT/FLX", 142}, {97.0, "TO/GA", 143},
                        {-10.0, "IDLE", 141},   {-10.01, "TO/GA", 143},  {kNaN, "TO/GA", 143}};
    for (const Row& row : rows) {
        m_Block->thrustLever[0] = row.bitmap == 141 ? 50.0 : 0.0;
        Tick();
        m_Block->thrustLever[0] = row.lever;
        m_Block->thrustLever[1] = 50.0; // lever 2 has no say
        EXPECT_TRUE(Tick().changes & kThrustPicture) << row.lever;
        EXPECT_STREQ(m_Core.Shown().thrustText, row.text) << row.lever;
        EXPECT_EQ(m_Core.Shown().thrustBitmap, row.bitmap) << row.lever;
    }
}

TEST_F(PedestalCoreTest, FlapFlagsShowTheHighestAndNoneKeepsTheLast) {
    struct Step {
        std::uint8_t flags[5];
        const char* text;
        int bitmap;
    };
    const Step steps[] = {
        {{0, 0, 0, 0, 0}, "Flaps Up  ", 131}, {{0, 1, 0, 0, 0}, "Flaps 1   ", 133},
        {{0, 1, 0, 1, 0}, "Flaps 3   ", 135}, {{0, 0, 0, 0, 0}, "Flaps 3   ", 135},
        {{0, 0, 2, 0, 0}, "Flaps 2   ", 134}, {{1, 1, 1, 1, 1}, "Flaps Full", 136},
        {{1, 0, 0, 0, 0}, "Flaps Up  ", 131},
    };
    for (const Step& step : steps) {
        std::memcpy(m_Block->flapLever, step.flags, 5);
        Tick();
        EXPECT_STREQ(m_Core.Shown().flapText, step.text);
        EXPECT_EQ(m_Core.Shown().flapBitmap, step.bitmap);
    }
}

TEST_F(PedestalCoreTest, BrakesTextFollowsAnyDemandAndGearTheLever) {
    const double rows[][4] = {{0, 0, 0, 0},   {0.5, 0.5, 0.5, 0}, {0.6, 0, 0, 1},
                              {0, 0.6, 0, 1}, {0, 0, 0.6, 1},     {kNaN, kNaN, kNaN, 0}};
    for (const auto& row : rows) {
        std::memcpy(m_Block->brakeDemand, row, 3 * sizeof(double));
        Tick();
        EXPECT_STREQ(m_Core.Shown().brakesText, row[3] != 0 ? "Brakes On" : "Brakes Off");
    }
    EXPECT_STREQ(m_Core.Shown().gearText, "Gear Down");
    m_Block->gearLeverUp = 5;
    EXPECT_TRUE(Tick().changes & kGearPicture);
    EXPECT_STREQ(m_Core.Shown().gearText, "Gear Up");
    EXPECT_EQ(m_Core.Shown().gearBitmap, 140);
    m_Block->gearLeverUp = 0;
    Tick();
    EXPECT_EQ(m_Core.Shown().gearBitmap, 139);
}

TEST_F(PedestalCoreTest, HeartbeatRisesByOneAndWraps) {
    const std::int32_t rows[][2] = {
        {41, 42}, {2147483646, 2147483647}, {2147483647, INT_MIN}, {-1, 0}};
    for (const auto& row : rows) {
        m_Block->aidControlsHeartbeat = row[0];
        Tick();
        EXPECT_EQ(m_Block->aidControlsHeartbeat, row[1]);
    }
}

TEST_F(PedestalCoreTest, SpeedBrakeIsReassertedOverAnotherWriterWithoutRepainting) {
    Tick();
    m_Block->speedBrakeLever = 3;
    const Update update = Tick();
    EXPECT_EQ(m_Block->speedBrakeLever, 1);
    EXPECT_EQ(update.changes & kAllPictures, 0u);
    EXPECT_STREQ(m_Core.Shown().speedBrakeText, "Speed Brake In");
}

TEST_F(PedestalCoreTest, TicksTellWhatChangedAndOnlyThat) {
    // The first tick sets the thrust picture and fills the five texts.
    Update first = Tick();
    EXPECT_EQ(first.changes, kTicked | kThrustPicture | kAllTexts);
    EXPECT_EQ(Tick().changes, kTicked | kSliderPosition); // the start-up positioning
    EXPECT_EQ(Tick().changes, unsigned(kTicked));

    m_Block->flapLever[4] = 1;
    m_Block->thrustLever[0] = 97.0;
    m_Block->gearLeverUp = 1;
    m_Core.Execute(Command::SpeedBrakeOut);
    const ShownState before = m_Core.Shown();
    const Update update = Tick();
    EXPECT_EQ(update.changes,
              kTicked | kAllPictures | kFlapText | kGearText | kSpeedBrakeText | kThrustText);
    EXPECT_EQ(Diff(before, m_Core.Shown()), update.changes & kAllShown);
    EXPECT_EQ(m_Updates.back().changes, update.changes);

    // Below the idle band shows the same as TO/GA: the tick still puts the
    // picture, though views that compare states see nothing to repaint.
    m_Block->thrustLever[0] = -50.0;
    const ShownState toga = m_Core.Shown();
    EXPECT_TRUE(Tick().changes & kThrustPicture);
    EXPECT_EQ(Diff(toga, m_Core.Shown()), 0u);
}

TEST_F(PedestalCoreTest, FiveTextsOfWholeFlightPhases) {
    struct Row {
        int flap;
        bool gearUp;
        double brake, thrust;
        bool speedBrakeOut;
        const char* texts[5]; // flap, gear, speed brake, thrust, brakes
    };
    const Row rows[] = {
        {1,
         false,
         0.0,
         98.0,
         false,
         {"Flaps 1   ", "Gear Down", "Speed Brake In", "TO/GA", "Brakes Off"}},
        {0,
         true,
         0.0,
         79.0,
         false,
         {"Flaps Up  ", "Gear Up", "Speed Brake In", "CL", "Brakes Off"}},
        {4,
         false,
         1.0,
         0.0,
         true,
         {"Flaps Full", "Gear Down", "Speed Brake Out", "IDLE", "Brakes On"}},
        {2,
         false,
         0.2,
         85.0,
         true,
         {"Flaps 2   ", "Gear Down", "Speed Brake Out", "MCT/FLX", "Brakes Off"}},
    };
    for (const Row& row : rows) {
        std::memset(m_Block->flapLever, 0, 5);
        m_Block->flapLever[row.flap] = 1;
        m_Block->gearLeverUp = row.gearUp ? 1 : 0;
        m_Block->brakeDemand[0] = row.brake;
        m_Block->thrustLever[0] = row.thrust;
        m_Core.SelectSpeedBrake(!row.speedBrakeOut);
        Tick();
        const ShownState& shown = m_Core.Shown();
        EXPECT_STREQ(shown.flapText, row.texts[0]);
        EXPECT_STREQ(shown.gearText, row.texts[1]);
        EXPECT_STREQ(shown.speedBrakeText, row.texts[2]);
        EXPECT_STREQ(shown.thrustText, row.texts[3]);
        EXPECT_STREQ(shown.brakesText, row.texts[4]);
    }
}

// --- Without a block -------------------------------------------------------------

TEST(PedestalCoreWithoutBlock, CommandsWriteNothingAndTheTickShowsItsOwnState) {
    PedestalCore core;
    const CommandInfo* table = nullptr;
    int count = 0;
    table = CommandTable(&count);
    for (int i = 0; i < count; ++i) {
        const bool written = core.Execute(table[i].command, 30);
        const bool local =
            table[i].command == Command::SpeedBrakeIn || table[i].command == Command::SpeedBrakeOut;
        EXPECT_EQ(written, local) << table[i].name;
    }
    Update update;
    for (int tick = 0; tick < 25; ++tick)
        update = core.Tick();
    EXPECT_FALSE(update.changes & kSliderPosition);
    const ShownState& shown = core.Shown();
    EXPECT_STREQ(shown.flapText, "Flaps Up  ");
    EXPECT_STREQ(shown.gearText, "Gear Down");
    EXPECT_STREQ(shown.speedBrakeText, "Speed Brake In"); // SpeedBrakeIn came last
    EXPECT_STREQ(shown.thrustText, "IDLE");
    EXPECT_STREQ(shown.brakesText, "Brakes Off");
    EXPECT_STREQ(shown.brakesCaption, "Brakes On");
}

// --- Command table and views ---------------------------------------------------

TEST(PedestalCommands, EveryButtonOfTheTemplateHasOneCommandAndOneName) {
    const DialogTemplate& dlg = PedestalTemplate();
    int count = 0;
    const CommandInfo* table = CommandTable(&count);
    int commands = 0;
    for (std::size_t i = 0; i < dlg.controlCount; ++i) {
        const TemplateControl& control = dlg.controls[i];
        const CommandInfo* info = CommandForControl(control.id);
        if (control.id == IDOK || control.id == IDCANCEL || control.id == IDC_STATIC)
            continue;
        if (KindOf(control) != ControlKind::PushButton && KindOf(control) != ControlKind::Trackbar)
            continue;
        ASSERT_NE(info, nullptr) << control.id;
        EXPECT_EQ(FindCommand(info->name), info);
        ++commands;
    }
    EXPECT_EQ(commands, count);
    EXPECT_EQ(FindCommand("Flap2"), nullptr);
    EXPECT_EQ(FindCommand(""), nullptr);
    EXPECT_EQ(FindCommand(std::string_view("flap2\0", 6)), nullptr);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(CommandForControl(table[i].controlId), &table[i]);
}

TEST_F(PedestalCoreTest, AViewMayLeaveWhileItIsBeingTold) {
    int calls = 0;
    int key = 0;
    key = m_Core.AddListener([&](const Update&) {
        ++calls;
        m_Core.RemoveListener(key);
    });
    Tick(3);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(m_Updates.size(), 3u);
}

} // namespace

#include "panel/PedestalCore.h"
#include "shm/TS_P_0001_02_genericSim.h"
#include "tools/simblock/FieldCatalogue.h"
#include "tools/simblock/Items.h"
#include "tools/simblock/Json.h"
#include "tools/simblock/PedestalView.h"
#include "tools/simblock/Recording.h"
#include "tools/simblock/Settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>

using namespace simblock;

namespace {

std::unique_ptr<GenericSimBlock> ZeroBlock() {
    auto block = std::make_unique<GenericSimBlock>();
    std::memset(block.get(), 0, sizeof(GenericSimBlock));
    return block;
}

FieldRef Ref(const char* name, std::size_t element = 0) {
    return {FindField(name), element};
}

std::vector<Write> Parse(const char* setting) {
    std::vector<Write> writes;
    std::string error;
    EXPECT_TRUE(ParseSetting(setting, writes, error)) << setting << ": " << error;
    return writes;
}

std::string Refusal(const char* setting) {
    std::vector<Write> writes;
    std::string error;
    EXPECT_FALSE(ParseSetting(setting, writes, error)) << setting;
    EXPECT_TRUE(writes.empty()) << setting;
    return error;
}

// The settings as "label=value" texts, in the order they would be written.
std::vector<std::string> Texts(const std::vector<Write>& writes) {
    std::vector<std::string> texts;
    for (const Write& write : writes)
        texts.push_back(Label(write.ref) + "=" + FormatValue(write.value));
    return texts;
}

} // namespace

TEST(FieldCatalogue, ListsEveryFieldOfTheLayoutTableInOrder) {
    std::vector<std::string_view> names;
    for (const FieldInfo& field : Fields())
        names.push_back(field.name);
    const std::vector<std::string_view> expected = {
        "versionText", "sectionPointers", "gearDownSelected",     "gearUpSelected",
        "brakeDemand", "thrustLever",     "aidControlsHeartbeat", "userCount",
        "gearLeverUp", "flapLever",       "speedBrakeLever"};
    EXPECT_EQ(names, expected);
}

TEST(FieldCatalogue, WritingAnElementTouchesExactlyItsMember) {
    struct Case {
        FieldRef ref;
        Value value;
        bool (*check)(const GenericSimBlock&);
    };
    const Case cases[] = {
        {Ref("thrustLever", 1), MakeNumber(85.5),
         [](const GenericSimBlock& b) { return b.thrustLever[1] == 85.5; }},
        {Ref("brakeDemand", 2), MakeNumber(1.0),
         [](const GenericSimBlock& b) { return b.brakeDemand[2] == 1.0; }},
        {Ref("flapLever", 4), MakeInteger(FieldType::U8, 1),
         [](const GenericSimBlock& b) { return b.flapLever[4] == 1; }},
        {Ref("userCount"), MakeInteger(FieldType::I32, -7),
         [](const GenericSimBlock& b) { return b.userCount == -7; }},
        {Ref("sectionPointers", 9), MakeInteger(FieldType::U32, 4294967295),
         [](const GenericSimBlock& b) { return b.sectionPointers[9] == 4294967295u; }},
        {Ref("speedBrakeLever"), MakeInteger(FieldType::I32, 3),
         [](const GenericSimBlock& b) { return b.speedBrakeLever == 3; }},
        {Ref("aidControlsHeartbeat"), MakeInteger(FieldType::I32, 2147483647),
         [](const GenericSimBlock& b) { return b.aidControlsHeartbeat == 2147483647; }},
        {Ref("gearDownSelected"), MakeInteger(FieldType::U8, 255),
         [](const GenericSimBlock& b) { return b.gearDownSelected == 255; }},
    };
    for (const Case& c : cases) {
        auto block = ZeroBlock();
        WriteElement(*block, c.ref, c.value);
        EXPECT_TRUE(c.check(*block)) << Label(c.ref);
        EXPECT_EQ(ReadElement(*block, c.ref), c.value) << Label(c.ref);
        // With the element's own bytes cleared the block is all zero again:
        // nothing outside the element was touched.
        std::memset(reinterpret_cast<unsigned char*>(block.get()) + c.ref.field->offset +
                        c.ref.element * c.ref.field->width,
                    0, c.ref.field->width);
        const auto zero = ZeroBlock();
        // Bytes, not values: a refused setting must leave every byte alone.
        // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
        EXPECT_EQ(std::memcmp(block.get(), zero.get(), sizeof(GenericSimBlock)), 0) << Label(c.ref);
    }
}

TEST(FieldCatalogue, TextFieldIsOneElementOfSixtyFourBytes) {
    const FieldInfo& version = *FindField("versionText");
    EXPECT_EQ(version.elements, 1u);
    EXPECT_EQ(version.width, sizeof(GenericSimBlock::versionText));
    auto block = ZeroBlock();
    WriteElement(*block, Ref("versionText"), MakeText("abc"));
    EXPECT_STREQ(block->versionText, "abc");
    EXPECT_EQ(TextOf(ReadElement(*block, Ref("versionText"))), "abc");
}

TEST(FieldCatalogue, FieldReferencesAreCheckedAgainstTheLayout) {
    struct Case {
        const char* text;
        const char* label; // nullptr: refused
    };
    const Case cases[] = {
        {"thrustLever[1]", "thrustLever[1]"},
        {"thrustLever[0]", "thrustLever[0]"},
        {"userCount", "userCount"},
        {"userCount[0]", "userCount"},
        {"flapLever[4]", "flapLever[4]"},
        {"thrustLever", nullptr},
        {"thrustLever[2]", nullptr},
        {"thrustLever[-1]", nullptr},
        {"thrustLever[1", nullptr},
        {"thrustLever[1]x", nullptr},
        {"thrustLever[]", nullptr},
        {"thrustLever[ 1]", nullptr},
        {"userCount[1]", nullptr},
        {"usercount", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        std::string error;
        const std::optional<FieldRef> ref = ParseFieldRef(c.text, error);
        if (c.label == nullptr) {
            EXPECT_FALSE(ref) << c.text;
            EXPECT_FALSE(error.empty()) << c.text;
        } else {
            ASSERT_TRUE(ref) << c.text << ": " << error;
            EXPECT_EQ(Label(*ref), c.label);
        }
    }
}

TEST(FieldCatalogue, ArrayWithoutIndexIsRefusedNamingTheRange) {
    std::string error;
    EXPECT_FALSE(ParseFieldRef("brakeDemand", error));
    EXPECT_NE(error.find("brakeDemand[i], i from 0 to 2"), std::string::npos) << error;
}

TEST(FieldCatalogue, DoublesFormatShortestAndRoundTrip) {
    EXPECT_EQ(FormatDouble(85.5), "85.5");
    EXPECT_EQ(FormatDouble(0.1), "0.1");
    EXPECT_EQ(FormatDouble(98.0), "98");
    EXPECT_EQ(FormatDouble(-10.01), "-10.01");
    EXPECT_EQ(FormatDouble(std::nan("")), "nan");
    EXPECT_EQ(FormatDouble(-std::numeric_limits<double>::infinity()), "-inf");
    EXPECT_EQ(QuoteText(std::string("a\"b\\c\x01\xff", 7)), "\"a\\\"b\\\\c\\x01\\xff\"");
}

TEST(SettingValues, RangesFollowTheFieldType) {
    struct Case {
        const char* field;
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {"gearLeverUp", "0", true},
        {"gearLeverUp", "255", true},
        {"gearLeverUp", "256", false},
        {"gearLeverUp", "-1", false},
        {"gearLeverUp", "1.5", false},
        {"gearLeverUp", "", false},
        {"gearLeverUp", "+1", false},
        {"gearLeverUp", "0x1", false},
        {"gearLeverUp", " 1", false},
        {"userCount", "-2147483648", true},
        {"userCount", "2147483647", true},
        {"userCount", "2147483648", false},
        {"userCount", "-2147483649", false},
        {"userCount", "99999999999999999999999", false},
        {"sectionPointers[0]", "4294967295", true},
        {"sectionPointers[0]", "4294967296", false},
        {"sectionPointers[0]", "-1", false},
        {"thrustLever[0]", "85.5", true},
        {"thrustLever[0]", "-1e-3", true},
        {"thrustLever[0]", "nan", true},
        {"thrustLever[0]", "-inf", true},
        {"thrustLever[0]", "1e308", true},
        {"thrustLever[0]", "1e999", false},
        {"thrustLever[0]", "abc", false},
        {"thrustLever[0]", "1,5", false},
        {"thrustLever[0]", "85.5x", false},
        {"thrustLever[0]", "", false},
        {"versionText", "", true},
        {"versionText", "0123456789012345678901234567890123456789012345678901234567890123", true},
        {"versionText", "01234567890123456789012345678901234567890123456789012345678901234", false},
    };
    for (const Case& c : cases) {
        std::string error;
        const std::optional<FieldRef> ref = ParseFieldRef(c.field, error);
        ASSERT_TRUE(ref) << c.field;
        const std::optional<Value> value = ParseValue(*ref, c.text, error);
        EXPECT_EQ(value.has_value(), c.accepted) << c.field << "=" << c.text << " " << error;
        if (value && ref->field->type != FieldType::Text) {
            // What a recording writes parses back to the same bytes.
            EXPECT_EQ(ParseValue(*ref, FormatValue(*value), error), value) << c.text;
        }
    }
}

TEST(SettingValues, RefusalsSayWhatIsAccepted) {
    EXPECT_NE(Refusal("gearLeverUp=256").find("0 to 255"), std::string::npos);
    EXPECT_NE(Refusal("thrustLever[0]=abc").find("decimal number"), std::string::npos);
    EXPECT_NE(Refusal("flaps=5").find("up, 1, 2, 3, full"), std::string::npos);
    EXPECT_NE(Refusal("gear=sideways").find("up, down"), std::string::npos);
    EXPECT_NE(Refusal("brakes=toggle").find("on, off"), std::string::npos);
    EXPECT_NE(Refusal("thrust=101").find("from 0 to 100"), std::string::npos);
    EXPECT_NE(Refusal("speedbrake=half").find("in (1), out (3)"), std::string::npos);
    EXPECT_NE(Refusal("flap=2").find("accepted are the levers flaps"), std::string::npos);
    EXPECT_NE(Refusal("flaps").find("NAME=VALUE"), std::string::npos);
    EXPECT_NE(Refusal("=2").find("NAME=VALUE"), std::string::npos);
}

// Each lever setting writes the bytes that the pedestal core's command for it
// writes, and reports exactly what it wrote.
TEST(LeverSettings, WriteWhatThePedestalsCommandsWrite) {
    const auto button = [](Command command) {
        return [command](PedestalCore& core) { core.Execute(command); };
    };
    struct Case {
        const char* setting;
        std::function<void(PedestalCore&)> command;
        bool brakesSet; // before the setting
    };
    const Case cases[] = {
        {"flaps=Up", button(Command::FlapUp), false},
        {"flaps=1", button(Command::Flap1), false},
        {"flaps=2", button(Command::Flap2), false},
        {"flaps=3", button(Command::Flap3), false},
        {"flaps=full", button(Command::FlapFull), false},
        {"flaps=4", button(Command::FlapFull), false},
        {"gear=up", button(Command::GearUp), false},
        {"gear=DOWN", button(Command::GearDown), false},
        {"brakes=on", button(Command::Brakes), false},
        {"brakes=off", button(Command::Brakes), true},
        {"thrust=toga", button(Command::ThrustToGa), false},
        {"thrust=TOGA", button(Command::ThrustToGa), false},
        {"thrust=flx", button(Command::ThrustFlxMct), false},
        {"thrust=mct", button(Command::ThrustFlxMct), false},
        {"thrust=cl", button(Command::ThrustCl), false},
        {"thrust=idle", button(Command::ThrustIdle), false},
        {"thrust=0", button(Command::ThrustIdle), false},
        {"thrust=100", [](PedestalCore& core) { core.SetThrust(100.0); }, false},
        {"thrust=55.25", [](PedestalCore& core) { core.SetThrust(55.25); }, false},
    };
    for (const Case& c : cases) {
        // Ones everywhere, so that every element written changes.
        std::unique_ptr<GenericSimBlock> blocks[2];
        for (auto& block : blocks) {
            block = std::make_unique<GenericSimBlock>();
            std::memset(block.get(), 0xFF, sizeof(GenericSimBlock));
            for (double& demand : block->brakeDemand)
                demand = c.brakesSet ? 1.0 : 0.0;
        }
        PedestalCore core;
        core.GetAttachment().UseBlock(blocks[0].get());
        c.command(core);
        const std::vector<Write> writes = Parse(c.setting);
        ApplyWrites(*blocks[1], writes);
        // Byte for byte, padding included: both blocks start from the same bytes.
        EXPECT_EQ(std::memcmp(reinterpret_cast<const unsigned char*>(blocks[0].get()),
                              reinterpret_cast<const unsigned char*>(blocks[1].get()),
                              sizeof(GenericSimBlock)),
                  0)
            << c.setting;
        for (const Write& write : writes)
            EXPECT_EQ(ReadElement(*blocks[1], write.ref), write.value) << c.setting;
    }
    using Texts_ = std::vector<std::string>;
    EXPECT_EQ(Texts(Parse("gear=up")),
              (Texts_{"gearDownSelected=0", "gearUpSelected=1", "gearLeverUp=1"}));
    EXPECT_EQ(Texts(Parse("speedbrake=in")), Texts_{"speedBrakeLever=1"});
    EXPECT_EQ(Texts(Parse("speedbrake=OUT")), Texts_{"speedBrakeLever=3"});
    for (const char* refused :
         {"thrust=-0.5", "thrust=100.5", "thrust=nan", "thrust=inf", "thrust=", "thrust=max"})
        Refusal(refused);
}

TEST(LeverSettings, OneRefusedSettingDropsEveryWrite) {
    const std::vector<std::string> settings = {"flaps=2", "gearLeverUp=300", "thrust=cl",
                                               "nosuch=1"};
    const ParsedSettings parsed = ParseSettings(settings);
    EXPECT_TRUE(parsed.writes.empty());
    ASSERT_EQ(parsed.errors.size(), 2u);
    EXPECT_NE(parsed.errors[0].find("gearLeverUp"), std::string::npos);
    EXPECT_NE(parsed.errors[1].find("nosuch"), std::string::npos);
}

TEST(LeverSettings, AppliedInOrderSoALaterSettingWins) {
    const std::vector<std::string> settings = {"flaps=1", "flapLever[3]=1", "thrust=toga",
                                               "thrustLever[1]=12.5"};
    const ParsedSettings parsed = ParseSettings(settings);
    ASSERT_TRUE(parsed.errors.empty());
    auto block = ZeroBlock();
    ApplyWrites(*block, parsed.writes);
    EXPECT_EQ(block->flapLever[1], 1);
    EXPECT_EQ(block->flapLever[3], 1);
    EXPECT_EQ(block->thrustLever[0], 98.0);
    EXPECT_EQ(block->thrustLever[1], 12.5);
    EXPECT_EQ(ReadPedestal(*block).flapDetent, 3);
}

TEST(PedestalView, ThrustBandsAsTheTickShowsThem) {
    struct Case {
        double lever1;
        const char* shown;
    };
    const Case cases[] = {{1.99, "IDLE"},    {2.0, "CL"},        {79.99, "CL"},
                          {80.0, "MCT/FLX"}, {96.99, "MCT/FLX"}, {97.0, "TO/GA"},
                          {-10.0, "IDLE"},   {-10.01, "TO/GA"},  {std::nan(""), "TO/GA"},
                          {0.0, "IDLE"},     {98.0, "TO/GA"}};
    for (const Case& c : cases) {
        auto block = ZeroBlock();
        block->thrustLever[0] = c.lever1;
        block->thrustLever[1] = 50.0; // lever 2 never decides the detent
        EXPECT_EQ(ThrustShown(ReadPedestal(*block)), c.shown) << c.lever1;
    }
}

TEST(PedestalView, FlapsBrakesGearAndSpeedBrake) {
    auto block = ZeroBlock();
    EXPECT_FALSE(ReadPedestal(*block).flapDetent);
    EXPECT_EQ(FlapShown(ReadPedestal(*block)), "no flag set");
    block->flapLever[1] = 1;
    block->flapLever[3] = 1;
    EXPECT_EQ(FlapShown(ReadPedestal(*block)), "Flaps 3");
    block->flapLever[4] = 1;
    EXPECT_EQ(FlapShown(ReadPedestal(*block)), "Flaps Full");
    EXPECT_EQ(FlapName(0), "Up");

    EXPECT_EQ(BrakesShown(ReadPedestal(*block)), "Brakes Off");
    block->brakeDemand[2] = 0.6;
    EXPECT_EQ(BrakesShown(ReadPedestal(*block)), "Brakes On");
    block->brakeDemand[2] = 0.5;
    EXPECT_EQ(BrakesShown(ReadPedestal(*block)), "Brakes Off");
    block->brakeDemand[0] = std::nan("");
    EXPECT_EQ(BrakesShown(ReadPedestal(*block)), "Brakes Off");

    EXPECT_EQ(GearShown(ReadPedestal(*block)), "Gear Down");
    block->gearLeverUp = 2;
    EXPECT_EQ(GearShown(ReadPedestal(*block)), "Gear Up");

    EXPECT_EQ(SpeedBrakeName(1), "in");
    EXPECT_EQ(SpeedBrakeName(3), "out");
    EXPECT_EQ(SpeedBrakeName(0), "");
    EXPECT_EQ(SpeedBrakeName(2), "");
}

TEST(PedestalView, HeartbeatRisesAlsoAcrossTheWrap) {
    EXPECT_TRUE(HeartbeatRose(0, 1));
    EXPECT_TRUE(HeartbeatRose(0, 9));
    EXPECT_TRUE(HeartbeatRose(2147483647, -2147483647 - 1));
    EXPECT_FALSE(HeartbeatRose(5, 5));
    EXPECT_FALSE(HeartbeatRose(1, 0));
    EXPECT_FALSE(HeartbeatRose(-2147483647 - 1, 2147483647));
}

TEST(PedestalView, VersionTextEndsAtTheFirstNulOrAfterSixtyFourBytes) {
    auto block = ZeroBlock();
    std::memcpy(block->versionText, "ab\0cd", 5);
    EXPECT_EQ(VersionTextOf(*block), "ab");
    std::memset(block->versionText, 'x', sizeof block->versionText);
    EXPECT_EQ(VersionTextOf(*block), std::string(64, 'x'));
}

TEST(Items, JsonShowsDecodedAndRawValues) {
    auto block = ZeroBlock();
    block->flapLever[2] = 1;
    block->thrustLever[0] = 85.5;
    block->thrustLever[1] = std::nan("");
    block->speedBrakeLever = 3;
    const PedestalView view = ReadPedestal(*block);
    const auto json = [&](const char* item) {
        JsonWriter out;
        FindItem(item)->json(view, out);
        return out.Text();
    };
    EXPECT_EQ(json("flaps"), R"({"detent":"2","flapLever":[0,0,1,0,0]})");
    EXPECT_EQ(json("thrust"), R"({"detent":"MCT/FLX","state":4,"thrustLever":[85.5,null]})");
    EXPECT_EQ(json("speedbrake"), R"({"position":"out","speedBrakeLever":3})");
    EXPECT_EQ(json("brakes"), R"({"state":"off","brakeDemand":[0,0,0]})");
    block->flapLever[2] = 0;
    block->speedBrakeLever = 7;
    const PedestalView none = ReadPedestal(*block);
    JsonWriter out;
    FindItem("flaps")->json(none, out);
    FindItem("speedbrake")->json(none, out);
    EXPECT_EQ(out.Text(),
              R"({"detent":null,"flapLever":[0,0,0,0,0]}{"position":null,"speedBrakeLever":7})");
    EXPECT_EQ(FindItem("nosuch"), nullptr);
}

TEST(Json, EscapesAndSeparates) {
    JsonWriter out;
    out.BeginObject().Key("a\"b").String(std::string("x\\y\n\x7f\xff", 6));
    out.Key("list").BeginArray().Integer(-1).Number(0.5).Bool(true).Null();
    out.BeginObject().EndObject().EndArray().Key("n").Number(INFINITY).EndObject();
    EXPECT_EQ(out.Text(),
              R"({"a\"b":"x\\y\u000a\u007f\u00ff","list":[-1,0.5,true,null,{}],"n":null})");
}

TEST(Recording, LinesNameTheElementAndItsValue) {
    EXPECT_EQ(RecordLine(1.2345, Ref("thrustLever", 0), MakeNumber(85.5)),
              "1.234 thrustLever[0]=85.5");
    EXPECT_EQ(RecordLine(0, Ref("speedBrakeLever"), MakeInteger(FieldType::I32, 3)),
              "0.000 speedBrakeLever=3");
}

TEST(Recording, CoversTheLeversButNotHeartbeatUsersOrIdentity) {
    std::vector<std::string> labels;
    for (const FieldRef ref : RecordedElements())
        labels.push_back(Label(ref));
    EXPECT_EQ(labels.size(), 14u);
    for (const char* left : {"aidControlsHeartbeat", "userCount", "versionText"})
        EXPECT_EQ(std::count(labels.begin(), labels.end(), left), 0) << left;
    for (const char* kept : {"flapLever[4]", "thrustLever[1]", "brakeDemand[0]", "gearLeverUp",
                             "speedBrakeLever", "gearDownSelected"})
        EXPECT_EQ(std::count(labels.begin(), labels.end(), kept), 1) << kept;
}

TEST(Recording, ParsesWhatItWritesAndLeverScripts) {
    std::istringstream in("# a comment\n"
                          "0.000 thrustLever[0]=85.5\r\n"
                          "\n"
                          "0.500 flaps=2\n"
                          "0.500 userCount=1\n"
                          "2 gear=up\n");
    std::vector<Step> steps;
    std::vector<std::string> errors;
    ASSERT_TRUE(ParseRecording(in, steps, errors));
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0].seconds, 0.0);
    EXPECT_EQ(Texts(steps[0].writes), std::vector<std::string>{"thrustLever[0]=85.5"});
    EXPECT_EQ(steps[1].writes.size(), 5u);
    EXPECT_EQ(steps[3].seconds, 2.0);
    EXPECT_EQ(Texts(steps[3].writes)[2], "gearLeverUp=1");
}

TEST(Recording, EveryMalformedLineIsReportedAndNothingKept) {
    std::istringstream in("0.1 flaps=2\n"
                          "0.05 flaps=3\n"
                          "abc flaps=1\n"
                          "0.2\n"
                          "0.3 thrustLever[0]=x\n"
                          "-1 flaps=1\n"
                          "2000000 flaps=1\n"
                          "nan flaps=1\n"
                          "0.4 flaps=1\n");
    std::vector<Step> steps;
    std::vector<std::string> errors;
    EXPECT_FALSE(ParseRecording(in, steps, errors));
    EXPECT_TRUE(steps.empty());
    ASSERT_EQ(errors.size(), 7u);
    EXPECT_EQ(errors[0].rfind("line 2: time goes back", 0), 0u) << errors[0];
    EXPECT_EQ(errors[1].rfind("line 3: ", 0), 0u);
    EXPECT_EQ(errors[2].rfind("line 4: ", 0), 0u);
    EXPECT_NE(errors[3].find("line 5: thrustLever[0]='x'"), std::string::npos) << errors[3];
    EXPECT_EQ(errors[6].rfind("line 8: ", 0), 0u);
}

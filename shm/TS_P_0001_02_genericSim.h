// Layout of the simulator's shared block GenericSimSharedMemory, as far as the
// pedestal uses it. Every other byte belongs to the simulator's own records.
// Multi-byte fields are little-endian; the layout is fixed by the simulator and
// proved below at compile time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#define TS_P_0001_02_GENERICSIM_ID                                                                 \
    "%Z% TS_P_0001_02 TS1010 TS_P_0001_02_genericSim $Revision: 5.4.0"
#define TS_P_0001_02_GENERICSIM_PART "TS1010"

inline constexpr const char* kGenericSimName = "GenericSimSharedMemory";
inline constexpr std::uint32_t kGenericSimSize = 128648;
inline constexpr std::size_t kVersionTextSize = 64;
inline constexpr int kSectionSlots = 10;

struct GenericSimBlock {
    char versionText[64];                        // 0: layout version, NUL-padded
    std::uint8_t simulatorArea0[2008 - 64];      //
    std::uint32_t sectionPointers[10];           // 2008: see kSectionOffsets
    std::uint8_t simulatorArea1[37721 - 2048];   //
    std::uint8_t gearDownSelected;               // 37721
    std::uint8_t gearUpSelected;                 // 37722
    std::uint8_t simulatorArea2[37744 - 37723];  //
    double brakeDemand[3];                       // 37744: 1.0 set, 0.0 released
    std::uint8_t simulatorArea3[67368 - 37768];  //
    double thrustLever[2];                       // 67368: percent of lever travel
    std::uint8_t simulatorArea4[74332 - 67384];  //
    std::int32_t aidControlsHeartbeat;           // 74332: raised once per tick
    std::uint8_t simulatorArea5[116284 - 74336]; //
    std::int32_t userCount;                      // 116284: attached users
    std::uint8_t simulatorArea6[126584 - 116288];
    std::uint8_t gearLeverUp; // 126584: nonzero up
    std::uint8_t simulatorArea7[126786 - 126585];
    std::uint8_t flapLever[5]; // 126786: Up, 1, 2, 3, Full
    std::uint8_t simulatorArea8[126824 - 126791];
    std::int32_t speedBrakeLever; // 126824: 1 in, 3 out
    std::uint8_t simulatorArea9[kGenericSimSize - 126828];
};

// Section starts published by the creating process in sectionPointers; slot 8
// is never written and stays 0.
//
// The slots are 32 bits wide because the simulator was built for 32-bit
// addresses. Each written slot holds the low 32 bits of the creator's view
// address plus the section's offset: on a 32-bit system exactly the section's
// address in the creator, on a 64-bit system its low half. Either way, in any
// process, (sectionPointers[i] - sectionPointers[0]) modulo 2^32 is
// kSectionOffsets[i]; no process may use a slot as a pointer of its own.
inline constexpr std::uint32_t kSectionOffsets[kSectionSlots] = {
    0, 30088, 67336, 75328, 103552, 108232, 116296, 119312, 0, 1096};
inline constexpr int kUnusedSectionSlot = 8;

// One row per field the pedestal reads or writes, so that tools can document
// and decode the block from this definition instead of a copy of its offsets.
// X(name, offset expression, count, C type, meaning, writer)
#define GENERIC_SIM_FIELDS(X)                                                                      \
    X(versionText, versionText, 64, char, "layout version text, NUL-padded",                       \
      "the creating process")                                                                      \
    X(sectionPointers, sectionPointers, 10, std::uint32_t,                                         \
      "section addresses in the creator's address space (low 32 bits)", "the creating process")    \
    X(gearDownSelected, gearDownSelected, 1, std::uint8_t, "gear lever selected down (1) or not",  \
      "pedestal gear buttons")                                                                     \
    X(gearUpSelected, gearUpSelected, 1, std::uint8_t, "gear lever selected up (1) or not",        \
      "pedestal gear buttons")                                                                     \
    X(brakeDemand, brakeDemand, 3, double, "brake demands: 1.0 set, 0.0 released",                 \
      "pedestal brakes button")                                                                    \
    X(thrustLever, thrustLever, 2, double, "thrust lever position, percent of travel",             \
      "pedestal thrust buttons")                                                                   \
    X(aidControlsHeartbeat, aidControlsHeartbeat, 1, std::int32_t,                                 \
      "raised by one on every pedestal tick", "pedestal tick")                                     \
    X(userCount, userCount, 1, std::int32_t, "number of attached users",                           \
      "every attaching program")                                                                   \
    X(gearLeverUp, gearLeverUp, 1, std::uint8_t, "gear lever as shown back: nonzero up",           \
      "pedestal gear buttons")                                                                     \
    X(flapLever, flapLever, 5, std::uint8_t, "flap detents Up, 1, 2, 3, Full; one is 1",           \
      "pedestal flap buttons")                                                                     \
    X(speedBrakeLever, speedBrakeLever, 1, std::int32_t, "speed brake: 1 in, 3 out",               \
      "pedestal tick")

#define GENERIC_SIM_ASSERT_OFFSET(block, field, expected)                                          \
    static_assert(offsetof(block, field) == (expected), #field " is not at its offset")
GENERIC_SIM_ASSERT_OFFSET(GenericSimBlock, versionText, 0);
GENERIC_SIM_ASSERT_OFFSET(GenericSimBlock, sectionPointers, 2008);
GENERIC_SIM_ASSERT_OFFSET(GenericSimBlock, gearDownSelected, 37721);
GENERIC_SIM_ASSERT_OFFSET(GenericSimBlock, gearUpSelected, 37722);
GENERIC_SIM_ASSERT_OFFSET(GenericSimBlock, brakeDemand, 37744);
GENERIC_SIM_ASSERT_OFFSET(GenericSimBlock, thrustLever, 67368);
GENERIC_SIM_ASSERT_OFFSET(GenericSimBlock, aidControlsHeartbeat, 74332);
GENERIC_SIM_ASSERT_OFFSET(GenericSimBlock, userCount, 116284);
GENERIC_SIM_ASSERT_OFFSET(GenericSimBlock, gearLeverUp, 126584);
GENERIC_SIM_ASSERT_OFFSET(GenericSimBlock, flapLever, 126786);
GENERIC_SIM_ASSERT_OFFSET(GenericSimBlock, speedBrakeLever, 126824);
#undef GENERIC_SIM_ASSERT_OFFSET
static_assert(sizeof(GenericSimBlock) == kGenericSimSize, "the block is 128648 bytes");

// Each row of GENERIC_SIM_FIELDS must name the field's element type and count.
#define GENERIC_SIM_ASSERT_ROW(name, field, count, type, meaning, writer)                          \
    static_assert(sizeof(GenericSimBlock::field) == (count) * sizeof(type), #name " width");       \
    static_assert(                                                                                 \
        std::is_same_v<std::remove_all_extents_t<decltype(GenericSimBlock::field)>, type>,         \
        #name " type");
GENERIC_SIM_FIELDS(GENERIC_SIM_ASSERT_ROW)
#undef GENERIC_SIM_ASSERT_ROW
static_assert(sizeof(double) == 8 && sizeof(float) == 4, "IEEE 754 doubles");

// The WinMM reader at its seam, with a stand-in driver: a device found,
// moved, pressed, lost without its last readings, and found again.
#include "input/WinMM.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace pedestal::input;

namespace {

struct FakeDriver {
    bool plugged = true;
    JOYINFOEX info{};
} g_Driver;

UINT WINAPI NumDevs() {
    return 16;
}
MMRESULT WINAPI Caps(UINT_PTR id, LPJOYCAPSW caps, UINT) {
    if (id != 3 || !g_Driver.plugged)
        return JOYERR_UNPLUGGED;
    *caps = JOYCAPSW{};
    std::wcscpy(caps->szPname, L"Quadrant");
    caps->wXmax = caps->wYmax = 65535;
    caps->wNumAxes = 2;
    caps->wNumButtons = 4;
    return JOYERR_NOERROR;
}
MMRESULT WINAPI Pos(UINT id, LPJOYINFOEX info) {
    if (id != 3 || !g_Driver.plugged)
        return JOYERR_UNPLUGGED;
    *info = g_Driver.info;
    return JOYERR_NOERROR;
}

} // namespace

TEST(WinMMReader, FindsMovesPressesLosesAndFindsAgain) {
    const auto reader = OpenWinMMReader({NumDevs, Caps, Pos});
    std::vector<RawEvent> events;
    g_Driver.info.dwXpos = 0;
    g_Driver.info.dwYpos = 65535;
    reader->Poll(events);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, RawEvent::Kind::Added);
    EXPECT_EQ(events[0].info.name, "Quadrant");
    EXPECT_EQ(events[0].info.axes, 2);
    EXPECT_EQ(events[1].value, kRawMin);
    EXPECT_EQ(events[2].value, kRawMax);

    events.clear();
    g_Driver.info.dwXpos = 32768;
    g_Driver.info.dwButtons = 4;
    reader->Poll(events);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, RawEvent::Kind::Axis);
    EXPECT_EQ(events[0].value, 0);
    EXPECT_EQ(events[1].kind, RawEvent::Kind::Button);
    EXPECT_EQ(events[1].index, 2);

    events.clear();
    g_Driver.plugged = false;
    reader->Poll(events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, RawEvent::Kind::Removed);

    // Looked for again within a second.
    events.clear();
    g_Driver.plugged = true;
    for (int i = 0; i < 150 && events.empty(); ++i) {
        reader->Poll(events);
        Sleep(10);
    }
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].kind, RawEvent::Kind::Added);
}

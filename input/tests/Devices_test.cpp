// Levers and buttons end to end: a virtual controller moved through SDL's
// joystick path drives a core attached to a block of the test's own name,
// with the actions queued to the core's thread (this one) as a host does.
#include "input/Service.h"
#include "input/VirtualDevice.h"
#include "panel/PedestalCore.h"
#include "shm/TS_P_0001_02_genericSim.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>

using namespace pedestal::input;
using namespace std::chrono_literals;

namespace {

const std::string kBindings = R"([[device]]
name = "pedestal test throttle"
[[device.axis]]
index = 0
function = "thrust"
detents = [-32768, -9000, 14000, 30000]
[[device.axis]]
index = 1
function = "flaps"
detents = [-30000, -15000, 0, 15000, 30000]
[[device.button]]
index = 2
command = "geartoggle"
)";

class DevicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        shm_unlink(("/" + m_Name).c_str());
        std::filesystem::create_directories(m_Dir);
        Write(kBindings);
        ASSERT_TRUE(m_Core.GetAttachment().Attach(m_Name.c_str()));
        m_Reference.GetAttachment().UseBlock(&m_ReferenceBlock);
        m_Device.Axis(0, -32768);
        m_Device.Axis(1, -30000);
        m_Device.Settle();
        m_Service.Start();
        ASSERT_TRUE(WaitForNotice("using "));
    }
    void TearDown() override {
        m_Service.Stop();
        m_Core.GetAttachment().Detach();
        shm_unlink(("/" + m_Name).c_str());
        std::filesystem::remove_all(m_Dir);
    }
    void Write(const std::string& text) {
        std::ofstream(m_Dir / "input.toml", std::ios::trunc) << text;
    }

    // Runs what the device thread queued, on this thread, for a while.
    int Run(std::chrono::milliseconds span) {
        int ran = 0;
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end) {
            std::deque<Action> actions;
            {
                std::lock_guard lock(m_Mutex);
                actions.swap(m_Actions);
            }
            for (const Action& action : actions)
                Apply(m_Core, action);
            ran += static_cast<int>(actions.size());
            std::this_thread::sleep_for(1ms);
        }
        return ran;
    }
    bool WaitForNotice(const std::string& part) {
        for (int i = 0; i < 2000; ++i) {
            {
                std::lock_guard lock(m_Mutex);
                for (const std::string& notice : m_Notices) {
                    if (notice.find(part) != std::string::npos)
                        return true;
                }
            }
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }
    int Notices(const std::string& part) {
        std::lock_guard lock(m_Mutex);
        return static_cast<int>(std::count_if(m_Notices.begin(), m_Notices.end(), [&](auto& n) {
            return n.find(part) != std::string::npos;
        }));
    }
    double Thrust(int lever) { return m_Core.Block()->thrustLever[lever]; }

    std::string m_Name = "PedestalTest_" + std::to_string(getpid()) + "_input";
    std::filesystem::path m_Dir =
        std::filesystem::temp_directory_path() / ("pedestal-input-" + std::to_string(getpid()));
    PedestalCore m_Core;
    PedestalCore m_Reference;
    GenericSimBlock m_ReferenceBlock{};
    std::mutex m_Mutex;
    std::deque<Action> m_Actions;
    std::vector<std::string> m_Notices;
    VirtualDevice m_Device{"Pedestal Test Throttle " + std::to_string(getpid()), 2, 4};
    Service m_Service{m_Dir / "input.toml",
                      [this](const Action& action) {
                          std::lock_guard lock(m_Mutex);
                          m_Actions.push_back(action);
                      },
                      [this](const std::string& notice) {
                          std::lock_guard lock(m_Mutex);
                          m_Notices.push_back(notice);
                      }};
};

} // namespace

TEST_F(DevicesTest, AThrottleInItsDetentsWritesTheDetentButtonsBytes) {
    const struct {
        int raw;
        Command button;
    } detents[] = {{30000, Command::ThrustToGa},
                   {14000, Command::ThrustFlxMct},
                   {-9000, Command::ThrustCl},
                   {-32768, Command::ThrustIdle}};
    for (const auto& detent : detents) {
        m_Device.Axis(0, detent.raw);
        EXPECT_EQ(Run(60ms), 1) << detent.raw;
        m_Reference.Execute(detent.button);
        EXPECT_EQ(0, std::memcmp(m_Core.Block()->thrustLever, m_ReferenceBlock.thrustLever,
                                 sizeof m_ReferenceBlock.thrustLever));
    }
    m_Device.Axis(0, 2500);
    Run(60ms);
    EXPECT_EQ(Thrust(0), 87.5);
    EXPECT_EQ(Thrust(1), 87.5);
}

TEST_F(DevicesTest, AFlapLeverJitteringAtADetentBoundaryWritesOnce) {
    int written = 0;
    for (int raw : {-19000, -22000, -23000, -21500, -22800, -21000, -23200, -20500}) {
        m_Device.Axis(1, raw);
        written += Run(5ms);
    }
    EXPECT_EQ(written + Run(40ms), 1);
    EXPECT_EQ(m_Core.Block()->flapLever[1], 1);
    EXPECT_EQ(m_Core.Block()->flapLever[0], 0);
}

TEST_F(DevicesTest, AButtonPressRunsItsCommand) {
    const bool wasUp = m_Core.Block()->gearLeverUp != 0;
    m_Device.Button(2, true);
    int ran = Run(30ms);
    m_Device.Button(2, false);
    EXPECT_EQ(ran + Run(30ms), 1);
    EXPECT_EQ(m_Core.Block()->gearLeverUp != 0, !wasUp);
}

TEST_F(DevicesTest, ADeviceUnpluggedWritesNothingIsToldOnceAndIsFoundAgain) {
    m_Device.Axis(0, 14000);
    Run(60ms);
    m_Device.Unplug();
    ASSERT_TRUE(WaitForNotice("lost "));
    EXPECT_EQ(Run(60ms), 0);
    EXPECT_EQ(Thrust(0), 96.0);
    EXPECT_EQ(Notices("lost "), 1);

    m_Device.Plug();
    m_Device.Axis(0, 14000);
    m_Device.Settle();
    for (int i = 0; i < 1000 && Notices("using ") < 2; ++i)
        Run(1ms);
    // Found before or after its axis reached 14000, as the poll falls: a
    // lever seen moving there may write once; the move below must.
    Run(60ms);
    m_Device.Axis(0, -9000);
    EXPECT_EQ(Run(60ms), 1);
    EXPECT_EQ(Thrust(0), 79.0);
}

TEST_F(DevicesTest, ABadFileIsToldWithItsPlaceAndThePedestalRunsOn) {
    Write(kBindings + "[[device.axis]]\nindex = 1\nfunction = \"rudder\"\n");
    ASSERT_TRUE(WaitForNotice(":16:12: no function named \"rudder\""));
    m_Device.Axis(0, 30000);
    EXPECT_EQ(Run(60ms), 0);
    m_Core.Tick();
    EXPECT_STREQ(m_Core.Shown().thrustText, "IDLE");
}

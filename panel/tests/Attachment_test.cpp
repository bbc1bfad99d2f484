// The core's attachment to a real block of the test's own name, shrunk,
// removed or replaced by "another program" with plain POSIX calls: the tick
// and the commands find out, tell it once and attach again.
#include "panel/PedestalCore.h"
#include "shm/TS_P_0001_02_Shm.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

namespace {

class AttachmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        shm_unlink(Path().c_str());
        ASSERT_TRUE(m_Core.GetAttachment().Attach(m_Name.c_str()));
        m_Core.AddListener([this](const Update& update) {
            if (update.changes & kNotice)
                m_Notices.push_back(m_Core.Notice());
        });
    }
    void TearDown() override { shm_unlink(Path().c_str()); }

    std::string Path() const { return "/" + m_Name; }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i)
            m_Core.Tick();
    }
    // Another program removes the block and makes a new one under its name.
    void Replace() {
        shm_unlink(Path().c_str());
        TS_P_0001_02_Shm successor(m_Name.c_str());
        ASSERT_TRUE(successor.CreatedBlock());
        successor.GetBlock()->userCount = 0;
    }
    GenericSimBlock& Current() {
        m_pPeer = std::make_unique<TS_P_0001_02_Shm>(m_Name.c_str());
        return *m_pPeer->GetBlock();
    }

    std::string m_Name = "PedestalTest_" + std::to_string(getpid()) + "_attachment";
    PedestalCore m_Core;
    std::vector<std::string> m_Notices;
    std::unique_ptr<TS_P_0001_02_Shm> m_pPeer;
};

} // namespace

TEST_F(AttachmentTest, TickFindsAReplacedBlockWithinFifteenTicksAndMovesToIt) {
    Ticks(1);
    GenericSimBlock* old = m_Core.Block();
    Replace();
    Ticks(Attachment::kTicksPerLook - 1);
    EXPECT_EQ(m_Core.Block(), old);
    EXPECT_TRUE(m_Notices.empty());
    // The timer's ticks are 60 ms apart: fifteen of them take longer than
    // the shortest time between two looks.
    std::this_thread::sleep_for(Attachment::kLookPeriod);
    Ticks(1);
    ASSERT_EQ(m_Notices.size(), 1u);
    EXPECT_EQ(m_Notices[0], "TS_P_0001_02_Shm::Check\nShared Memory Block Replaced\nIts name now "
                            "belongs to another block\nAttached to the shared memory block again");
    GenericSimBlock& now = Current();
    EXPECT_EQ(now.userCount, 2); // the pedestal and the peer just made
    EXPECT_EQ(now.aidControlsHeartbeat, 1);
    Ticks(Attachment::kTicksPerLook * 2);
    EXPECT_EQ(m_Notices.size(), 1u);
}

TEST_F(AttachmentTest, CommandLooksBeforeItWrites) {
    Replace();
    EXPECT_TRUE(m_Core.Execute(Command::Flap2));
    GenericSimBlock& now = Current();
    EXPECT_EQ(now.flapLever[2], 1);
    EXPECT_EQ(now.userCount, 2);
    m_Core.Tick();
    EXPECT_EQ(m_Notices.size(), 1u);
}

TEST_F(AttachmentTest, ShrunkBlockIsToldOnceAndRunsWithoutABlockUntilItIsWholeAgain) {
    ASSERT_EQ(truncate(("/dev/shm/" + m_Name).c_str(), 4096), 0);
    m_Core.Tick();
    ASSERT_EQ(m_Notices.size(), 1u);
    EXPECT_EQ(m_Notices[0], "TS_P_0001_02_Shm::TS_P_0001_02_Shm\nShared Memory Block Too "
                            "Small\nIt has 4096 bytes, this program needs 128648");
    EXPECT_EQ(m_Core.Block(), nullptr);
    // Without a block a command writes nothing and says so.
    EXPECT_FALSE(m_Core.Execute(Command::GearUp));
    EXPECT_EQ(m_Notices.size(), 1u);
}

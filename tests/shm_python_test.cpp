// A Python client, written from the published offsets alone, reads what the
// pedestal wrote and writes what the pedestal reads.
#include "shm/TS_P_0001_02_Shm.h"
#include "shm/tests/ShmTestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

int RunClient(const std::string& mode, const std::string& name, const std::string& users = "") {
    const pid_t pid = fork();
    if (pid == 0) {
        if (users.empty())
            execl(SHM_PYTHON, SHM_PYTHON, SHM_PYTHON_CLIENT, mode.c_str(), name.c_str(),
                  static_cast<char*>(nullptr));
        else
            execl(SHM_PYTHON, SHM_PYTHON, SHM_PYTHON_CLIENT, mode.c_str(), name.c_str(),
                  users.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(ShmPythonClient, ReadsAndWritesTheBlockByItsPublishedOffsets) {
    shmtest::ScopedName name("python");
    TS_P_0001_02_Shm shm(name.c_str());
    ASSERT_TRUE(shm.IsValid()) << shm.GetErrorText();
    GenericSimBlock* block = shm.GetBlock();
    block->gearDownSelected = 1;
    block->gearUpSelected = 0;
    block->brakeDemand[0] = 1.0;
    block->brakeDemand[1] = 0.0;
    block->brakeDemand[2] = 1.0;
    block->thrustLever[0] = 25.5;
    block->thrustLever[1] = 75.25;
    block->aidControlsHeartbeat = 77;
    block->gearLeverUp = 0;
    const std::uint8_t flaps[5] = {0, 0, 1, 0, 0};
    std::memcpy(block->flapLever, flaps, 5);
    block->speedBrakeLever = 1;

    ASSERT_EQ(RunClient("check-and-write", name.str(), "1"), 0);

    EXPECT_EQ(block->thrustLever[0], 42.5);
    EXPECT_EQ(block->thrustLever[1], -3.25);
    EXPECT_EQ(block->speedBrakeLever, 3);
    EXPECT_EQ(block->aidControlsHeartbeat, -12345);
    EXPECT_EQ(block->brakeDemand[0], 0.0);
    EXPECT_EQ(block->brakeDemand[1], 1.0);
    EXPECT_EQ(block->brakeDemand[2], 0.0);
    EXPECT_EQ(block->gearLeverUp, 1);
    EXPECT_EQ(block->gearDownSelected, 0);
    EXPECT_EQ(block->gearUpSelected, 1);
    const std::uint8_t fullFlaps[5] = {0, 0, 0, 0, 1};
    EXPECT_EQ(std::memcmp(block->flapLever, fullFlaps, 5), 0);
    EXPECT_EQ(block->userCount, 1);
    EXPECT_STREQ(block->versionText, TS_P_0001_02_Shm::GetLayoutVersion());
    // The client left the block in the system for everyone else.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(shmtest::Exists(name.str()));
}

// Why the client above unregisters: a client that leaves the block with
// Python's resource tracker removes it from the system at exit.
TEST(ShmPythonClient, TrackedAttachmentRemovesTheBlockAtExit) {
    shmtest::ScopedName name("pythontracked");
    TS_P_0001_02_Shm shm(name.c_str());
    ASSERT_TRUE(shm.IsValid());
    ASSERT_EQ(RunClient("attach-tracked", name.str()), 0);
    // The tracker is a process of its own and may finish a moment later.
    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) {
        gone = !shmtest::Exists(name.str());
        if (!gone)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(gone);
    // This process's view still works; a new attachment would make a new,
    // empty block that nobody else shares.
    EXPECT_EQ(shm.GetBlock()->userCount, 1);
}

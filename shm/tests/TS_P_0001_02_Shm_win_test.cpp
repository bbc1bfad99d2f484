// The simulator block's attachment on Windows, where a mapping lives while a
// handle to it is open and the system's texts end in CR LF.
#include "shm/TS_P_0001_02_Shm.h"
#include "shm/tests/ShmTestSupport_win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kOrigin[] = "TS_P_0001_02_Shm::TS_P_0001_02_Shm\n";
const char kMismatch[] =
    "TS_P_0001_02_Shm::TS_P_0001_02_Shm\nShared Memory Version Mismatch\nPlease rebuild software";
const char kVersion[] = " TS_P_0001_02_genericSim $Revision: 5.4.0";

std::string SystemText(DWORD code) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                       FORMAT_MESSAGE_FROM_SYSTEM,
                   nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    const std::string result = text != nullptr ? text : "";
    LocalFree(text);
    return result;
}

} // namespace

TEST(TS_P_0001_02_Shm, FirstUserCreatesSecondCountsLastReleases) {
    const std::string name = shmtest::UniqueName("users");
    auto first = std::make_unique<TS_P_0001_02_Shm>(name.c_str());
    ASSERT_TRUE(first->IsValid()) << first->GetErrorText();
    EXPECT_TRUE(first->CreatedBlock());
    EXPECT_STREQ(first->GetErrorText(), "OpenFileMapping (Code: 2)");
    EXPECT_EQ(first->GetMappedSize(), 131072u);
    char stamped[64] = {};
    std::memcpy(stamped, kVersion, 41);
    EXPECT_EQ(std::memcmp(first->GetBlock()->versionText, stamped, 64), 0);
    EXPECT_EQ(first->GetBlock()->userCount, 1);
    first->GetBlock()->flapLever[2] = 1;

    auto second = std::make_unique<TS_P_0001_02_Shm>(name.c_str());
    ASSERT_TRUE(second->IsValid()) << second->GetErrorText();
    EXPECT_FALSE(second->CreatedBlock());
    EXPECT_NE(second->GetData(), first->GetData());
    EXPECT_EQ(second->GetBlock()->userCount, 2);
    EXPECT_EQ(second->GetBlock()->flapLever[2], 1);
    void* secondView = second->GetData();
    second.reset();
    EXPECT_EQ(first->GetBlock()->userCount, 1);
    EXPECT_EQ(GetMappedViewSize(secondView), 0u);
    EXPECT_TRUE(shmtest::Exists(name));

    // The creator held the last handles, its create handle among them: with
    // them the block is gone, and the next user starts a new one.
    void* firstView = first->GetData();
    first.reset();
    EXPECT_EQ(GetMappedViewSize(firstView), 0u);
    EXPECT_FALSE(shmtest::Exists(name));
    TS_P_0001_02_Shm next(name.c_str());
    ASSERT_TRUE(next.IsValid());
    EXPECT_TRUE(next.CreatedBlock());
    EXPECT_EQ(next.GetBlock()->flapLever[2], 0);
}

TEST(TS_P_0001_02_Shm, ForeignVersionIsRefusedAndBlockLeftUntouched) {
    const std::string name = shmtest::UniqueName("mismatch");
    std::string changed = kVersion;
    changed[30] = 'r';
    shmtest::ForeignBlock foreign(name, 128648, changed.c_str(), 5);
    ASSERT_TRUE(foreign.ok());
    foreign.bytes()[70000] = 0x42;
    const std::vector<unsigned char> before(foreign.bytes(), foreign.bytes() + 128648);
    {
        TS_P_0001_02_Shm shm(name.c_str());
        EXPECT_FALSE(shm.IsValid());
        EXPECT_STREQ(shm.GetErrorText(), kMismatch);
    }
    EXPECT_EQ(foreign.block()->userCount, 5);
    EXPECT_TRUE(std::vector<unsigned char>(foreign.bytes(), foreign.bytes() + 128648) == before);
}

TEST(TS_P_0001_02_Shm, PeersSmallerMappingIsRefusedAsTooSmall) {
    for (DWORD size : {DWORD{4096}, DWORD{65536}}) {
        const std::string name = shmtest::UniqueName("small" + std::to_string(size));
        shmtest::ForeignBlock foreign(name, size, kVersion);
        ASSERT_TRUE(foreign.ok());
        {
            TS_P_0001_02_Shm shm(name.c_str());
            EXPECT_FALSE(shm.IsValid());
            EXPECT_EQ(std::string(shm.GetErrorText()),
                      std::string(kOrigin) + "Shared Memory Block Too Small\nIt has " +
                          std::to_string(size) + " bytes, this program needs 128648");
        }
        EXPECT_EQ(std::memcmp(foreign.bytes(), kVersion, 41), 0);
        EXPECT_EQ(foreign.bytes()[41], 0);
    }
}

TEST(TS_P_0001_02_Shm, UnusableNameGivesTheSystemsTextWithItsLineEnd) {
    TS_P_0001_02_Shm shm("NoSuchNamespace\\GenericSim");
    EXPECT_FALSE(shm.IsValid());
    const std::string system = SystemText(3);
    ASSERT_GE(system.size(), 2u);
    EXPECT_EQ(system.substr(system.size() - 2), "\r\n");
    EXPECT_EQ(shm.GetErrorText(), kOrigin + system);
    EXPECT_EQ(shm.GetData(), nullptr);
}

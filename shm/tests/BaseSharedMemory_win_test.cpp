// The base block on Windows: named mappings backed by the paging file.
#include "shm/tests/ShmTestSupport_win.h"
#include "shm/tests/TestBlock.h"

#include <gtest/gtest.h>

#include <string>

using shmtest::TestBlock;

TEST(BaseSharedMemory, OpenOfMissingNameFailsWithCode2) {
    const std::string name = shmtest::UniqueName("missing");
    TestBlock block(name, 4096);
    EXPECT_FALSE(block.OpenAndMap());
    EXPECT_STREQ(block.GetErrorText(), "OpenFileMapping (Code: 2)");
    EXPECT_EQ(block.m_hMapping, nullptr);
    EXPECT_EQ(block.GetData(), nullptr);
}

TEST(BaseSharedMemory, CreateGivesZeroedPagesSharedWithOtherViews) {
    const std::string name = shmtest::UniqueName("create");
    TestBlock block(name, 128648);
    ASSERT_TRUE(block.CreateAndMap()) << block.GetErrorText();
    EXPECT_FALSE(block.FoundExisting());
    EXPECT_EQ(block.GetMappedSize(), 131072u);
    for (std::size_t i = 0; i < 131072; ++i)
        ASSERT_EQ(block.bytes()[i], 0) << i;
    block.bytes()[128647] = 0x5A;

    TestBlock other(name, 128648);
    ASSERT_TRUE(other.OpenAndMap());
    EXPECT_EQ(other.bytes()[128647], 0x5A);
    other.bytes()[0] = 0x11;
    EXPECT_EQ(block.bytes()[0], 0x11);
    other.Close();
    block.Close();
}

TEST(BaseSharedMemory, CreateOnExistingNameMapsItAtItsOwnSize) {
    const std::string name = shmtest::UniqueName("existing");
    shmtest::ForeignBlock foreign(name, 8192, "foreign");
    ASSERT_TRUE(foreign.ok());
    TestBlock block(name, 128648);
    ASSERT_TRUE(block.CreateAndMap());
    EXPECT_TRUE(block.FoundExisting());
    EXPECT_EQ(block.GetMappedSize(), 8192u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block.bytes())), "foreign");
    block.Close();
}

// The create step's handle outlives Close, and with it the block; an
// opener's Close lets go of everything it held.
TEST(BaseSharedMemory, CreatorsBlockOutlivesItsCloseOpenersDoesNot) {
    const std::string created = shmtest::UniqueName("creatorclose");
    TestBlock creator(created, 4096);
    ASSERT_TRUE(creator.CreateAndMap());
    creator.Close();
    EXPECT_TRUE(shmtest::Exists(created));

    const std::string opened = shmtest::UniqueName("openerclose");
    {
        shmtest::ForeignBlock foreign(opened, 4096);
        ASSERT_TRUE(foreign.ok());
        TestBlock opener(opened, 4096);
        ASSERT_TRUE(opener.OpenAndMap());
        opener.Close();
        EXPECT_TRUE(shmtest::Exists(opened));
    }
    EXPECT_FALSE(shmtest::Exists(opened));
}

TEST(BaseSharedMemory, ReleaseLetsGoOfTheCreateHandleAndSoOfTheBlock) {
    const std::string name = shmtest::UniqueName("release");
    TestBlock creator(name, 4096);
    ASSERT_TRUE(creator.CreateAndMap());
    void* view = creator.GetData();
    creator.Release();
    EXPECT_EQ(GetMappedViewSize(view), 0u);
    EXPECT_FALSE(shmtest::Exists(name));
}

TEST(BaseSharedMemory, NamesWindowsRefusesGiveTheCreateStepsCode) {
    // A backslash names a kernel object directory; this one does not exist.
    TestBlock block("NoSuchNamespace\\Block", 4096);
    EXPECT_FALSE(block.CreateAndMap());
    EXPECT_STREQ(block.GetErrorText(), "Creating Shared memory (Code: 3)");
    EXPECT_EQ(block.GetData(), nullptr);
}

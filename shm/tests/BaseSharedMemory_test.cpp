#include "shm/tests/ShmTestSupport.h"
#include "shm/tests/TestBlock.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using shmtest::TestBlock;

mode_t ObjectMode(const std::string& name) {
    struct stat status {};
    stat(("/dev/shm/" + name).c_str(), &status);
    return status.st_mode & 0777;
}

} // namespace

TEST(BaseSharedMemory, OpenOfMissingNameFailsAtOpenStepWithNotFoundCode) {
    shmtest::ScopedName name("missing");
    TestBlock block(name.str(), 4096);
    EXPECT_FALSE(block.OpenAndMap());
    EXPECT_STREQ(block.GetErrorText(), "OpenFileMapping (Code: 2)");
    EXPECT_EQ(block.m_hMapping, nullptr);
    EXPECT_EQ(block.GetData(), nullptr);
    EXPECT_FALSE(shmtest::Exists(name.str()));
}

TEST(BaseSharedMemory, CreateMakesZeroedBlockReadableAndWritableByEveryone) {
    shmtest::ScopedName name("create");
    const mode_t saved = umask(077);
    TestBlock block(name.str(), 128648);
    const bool created = block.CreateAndMap();
    umask(saved);
    ASSERT_TRUE(created);
    EXPECT_FALSE(block.FoundExisting());
    EXPECT_EQ(block.GetMappedSize(), 128648u);
    EXPECT_EQ(ObjectMode(name.str()), 0666u);
    for (std::size_t i = 0; i < 128648; ++i)
        ASSERT_EQ(block.bytes()[i], 0) << i;
    block.bytes()[128647] = 0x5A;

    // Another view of the same name sees the write at once.
    TestBlock other(name.str(), 128648);
    ASSERT_TRUE(other.OpenAndMap());
    EXPECT_EQ(other.bytes()[128647], 0x5A);
    other.bytes()[0] = 0x11;
    EXPECT_EQ(block.bytes()[0], 0x11);
    other.Close();
    block.Close();
    // Closing releases this process's view, never the block.
    EXPECT_TRUE(shmtest::Exists(name.str()));
}

TEST(BaseSharedMemory, CreateOnExistingNameMapsItAtItsOwnSize) {
    shmtest::ScopedName name("existing");
    ASSERT_TRUE(shmtest::MakeForeignBlock(name.str(), 8192, "foreign"));
    TestBlock block(name.str(), 128648);
    ASSERT_TRUE(block.CreateAndMap());
    EXPECT_TRUE(block.FoundExisting());
    EXPECT_EQ(block.GetMappedSize(), 8192u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block.bytes())), "foreign");
    block.Close();
    struct stat status {};
    stat(("/dev/shm/" + name.str()).c_str(), &status);
    EXPECT_EQ(status.st_size, 8192);
}

TEST(BaseSharedMemory, CreateStepFailureStopsBeforeOpen) {
    TestBlock block("has/slash", 4096);
    EXPECT_FALSE(block.CreateAndMap());
    EXPECT_STREQ(block.GetErrorText(), "Creating Shared memory (Code: 22)");
    EXPECT_EQ(block.m_hMapping, nullptr);
    EXPECT_EQ(block.GetData(), nullptr);
}

TEST(BaseSharedMemory, MapStepFailureKeepsTheOpenHandle) {
    shmtest::ScopedName name("unmappable");
    // Larger than any address space, so only the map step can fail.
    int fd = shm_open(shmtest::ObjectPath(name.str()).c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, off_t{1} << 50), 0);
    close(fd);
    TestBlock block(name.str(), 4096);
    EXPECT_FALSE(block.OpenAndMap());
    EXPECT_STREQ(block.GetErrorText(), "MapViewOfFile (Code: 12)");
    EXPECT_NE(block.m_hMapping, nullptr);
    EXPECT_EQ(block.GetData(), nullptr);
    CloseHandle(block.m_hMapping);
}

TEST(BaseSharedMemory, SuccessKeepsEarlierFailureText) {
    shmtest::ScopedName name("keeptext");
    TestBlock block(name.str(), 4096);
    EXPECT_FALSE(block.OpenAndMap());
    ASSERT_TRUE(block.CreateAndMap());
    EXPECT_STREQ(block.GetErrorText(), "OpenFileMapping (Code: 2)");
    block.Close();
}

TEST(BaseSharedMemory, ClearZeroesExactlyCountBytes) {
    shmtest::ScopedName name("clear");
    TestBlock block(name.str(), 4096);
    ASSERT_TRUE(block.CreateAndMap());
    std::memset(block.bytes(), 0xEE, 4096);
    EXPECT_FALSE(block.Clear(0));
    EXPECT_EQ(block.bytes()[0], 0xEE);
    EXPECT_TRUE(block.Clear(100));
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(block.bytes()[i], 0) << i;
    EXPECT_EQ(block.bytes()[100], 0xEE);
    EXPECT_EQ(block.bytes()[4095], 0xEE);
    EXPECT_TRUE(block.Clear(4096));
    EXPECT_EQ(block.bytes()[4095], 0);
    block.Close();
}

TEST(BaseSharedMemory, CloseReleasesViewButKeepsOldFieldValues) {
    shmtest::ScopedName name("close");
    TestBlock block(name.str(), 4096);
    ASSERT_TRUE(block.CreateAndMap());
    void* view = block.GetData();
    HANDLE handle = block.m_hMapping;
    block.Close();
    EXPECT_EQ(block.GetData(), view);
    EXPECT_EQ(block.m_hMapping, handle);
    // The view and handle are gone: neither is known to the system any more.
    EXPECT_EQ(GetMappedViewSize(view), 0u);
    EXPECT_EQ(CloseHandle(handle), 0);
}

TEST(BaseSharedMemory, NameCopyIsBounded) {
    TestBlock block("short", 4096);
    const std::string longest(BaseSharedMemory::kNameSize - 1, 'n');
    EXPECT_TRUE(block.SetName(longest.c_str()));
    EXPECT_EQ(std::string(block.m_Name), longest);
    const std::string tooLong(BaseSharedMemory::kNameSize, 'x');
    EXPECT_FALSE(block.SetName(tooLong.c_str()));
    EXPECT_EQ(std::string(block.m_Name), longest);
}

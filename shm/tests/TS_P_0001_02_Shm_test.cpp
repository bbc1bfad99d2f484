#include "shm/TS_P_0001_02_Shm.h"
#include "shm/tests/ShmTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kOrigin[] = "TS_P_0001_02_Shm::TS_P_0001_02_Shm\n";
const char kMismatch[] =
    "TS_P_0001_02_Shm::TS_P_0001_02_Shm\nShared Memory Version Mismatch\nPlease rebuild software";
const char kVersion[] = " TS_P_0001_02_genericSim $Revision: 5.4.0";

std::vector<unsigned char> Snapshot(const shmtest::RawView& view) {
    return std::vector<unsigned char>(view.bytes(), view.bytes() + view.size());
}

std::string SystemText(int code) {
    return std::string(std::strerror(code)) + "\n";
}

} // namespace

TEST(TS_P_0001_02_Shm, LayoutVersionIsIdentificationLineAfterPartNumber) {
    EXPECT_STREQ(TS_P_0001_02_Shm::GetLayoutVersion(), kVersion);
    EXPECT_EQ(std::strlen(TS_P_0001_02_Shm::GetLayoutVersion()), 41u);
}

TEST(TS_P_0001_02_Shm, FirstUserCreatesClearsStampsAndCounts) {
    shmtest::ScopedName name("first");
    auto shm = std::make_unique<TS_P_0001_02_Shm>(name.c_str());
    ASSERT_TRUE(shm->IsValid()) << shm->GetErrorText();
    EXPECT_EQ(shm->GetData(), shm->GetBlock());
    // The failed open's text stays behind in a valid creator.
    EXPECT_STREQ(shm->GetErrorText(), "OpenFileMapping (Code: 2)");

    shmtest::RawView view(name.str());
    ASSERT_TRUE(view.ok());
    EXPECT_EQ(view.size(), 128648u);
    const GenericSimBlock* block = view.block();
    char expectedVersion[64] = {};
    std::memcpy(expectedVersion, kVersion, 41);
    EXPECT_EQ(std::memcmp(block->versionText, expectedVersion, 64), 0);
    EXPECT_EQ(block->userCount, 1);

    // Every byte but the version, the section table and the count is zero.
    for (std::size_t i = 64; i < 128648; ++i) {
        const bool table = i >= 2008 && i < 2048;
        const bool count = i >= 116284 && i < 116288;
        if (!table && !count) {
            ASSERT_EQ(view.bytes()[i], 0) << i;
        }
    }
}

TEST(TS_P_0001_02_Shm, SectionSlotsHoldLowHalfOfCreatorsSectionAddresses) {
    shmtest::ScopedName name("sections");
    TS_P_0001_02_Shm shm(name.c_str());
    ASSERT_TRUE(shm.IsValid());
    const auto base = reinterpret_cast<std::uintptr_t>(shm.GetBlock());
    const std::uint32_t starts[10] = {0,      30088,  67336,  75328, 103552,
                                      108232, 116296, 119312, 0,     1096};
    const std::uint32_t* slots = shm.GetBlock()->sectionPointers;
    for (int slot = 0; slot < 10; ++slot) {
        if (slot == 8) {
            EXPECT_EQ(slots[slot], 0u);
            continue;
        }
        EXPECT_EQ(slots[slot], static_cast<std::uint32_t>(base + starts[slot])) << slot;
        EXPECT_EQ(static_cast<std::uint32_t>(slots[slot] - slots[0]), starts[slot]) << slot;
    }
}

TEST(TS_P_0001_02_Shm, SecondUserRaisesCountAndItsEndLowersIt) {
    shmtest::ScopedName name("second");
    auto first = std::make_unique<TS_P_0001_02_Shm>(name.c_str());
    ASSERT_TRUE(first->IsValid());
    first->GetBlock()->flapLever[2] = 1;
    auto second = std::make_unique<TS_P_0001_02_Shm>(name.c_str());
    ASSERT_TRUE(second->IsValid()) << second->GetErrorText();
    EXPECT_STREQ(second->GetErrorText(), "");
    EXPECT_EQ(second->GetBlock()->userCount, 2);
    EXPECT_EQ(second->GetBlock()->flapLever[2], 1);

    void* secondView = second->GetData();
    second.reset();
    EXPECT_EQ(first->GetBlock()->userCount, 1);
    EXPECT_EQ(first->GetBlock()->flapLever[2], 1);
    EXPECT_STREQ(first->GetBlock()->versionText, kVersion);
    // A user that is not the last releases its own view all the same.
    EXPECT_EQ(GetMappedViewSize(secondView), 0u);

    void* firstView = first->GetData();
    first.reset();
    EXPECT_EQ(GetMappedViewSize(firstView), 0u);
    shmtest::RawView view(name.str());
    ASSERT_TRUE(view.ok());
    EXPECT_EQ(view.block()->userCount, 0);
    EXPECT_EQ(view.block()->flapLever[2], 1);
    EXPECT_STREQ(view.block()->versionText, kVersion);
}

TEST(TS_P_0001_02_Shm, LastUserSetsZeroWhateverTheCountSays) {
    shmtest::ScopedName name("lastuser");
    auto shm = std::make_unique<TS_P_0001_02_Shm>(name.c_str());
    ASSERT_TRUE(shm->IsValid());
    shm->GetBlock()->userCount = -4;
    void* data = shm->GetData();
    shm.reset();
    EXPECT_EQ(GetMappedViewSize(data), 0u);
    shmtest::RawView view(name.str());
    EXPECT_EQ(view.block()->userCount, 0);
}

TEST(TS_P_0001_02_Shm, ForeignVersionIsRefusedAndBlockLeftUntouched) {
    std::string changed = kVersion;
    changed[30] = 'r';
    const std::string longer = std::string(kVersion) + "1";
    const std::string full64 = std::string(kVersion) + std::string(23, 'x');
    int index = 0;
    for (const std::string& version : {changed, longer, full64, std::string(kVersion).substr(1)}) {
        shmtest::ScopedName name("mismatch" + std::to_string(index++));
        ASSERT_TRUE(shmtest::MakeForeignBlock(name.str(), 128648, version.c_str(), 5));
        shmtest::RawView view(name.str());
        view.bytes()[70000] = 0x42;
        const std::vector<unsigned char> before = Snapshot(view);
        {
            TS_P_0001_02_Shm shm(name.c_str());
            EXPECT_FALSE(shm.IsValid()) << version;
            EXPECT_STREQ(shm.GetErrorText(), kMismatch) << version;
        }
        EXPECT_EQ(view.block()->userCount, 5) << version;
        EXPECT_TRUE(Snapshot(view) == before) << version;
    }
}

TEST(TS_P_0001_02_Shm, BlockWithNoUsableNameGivesSystemText) {
    struct Case {
        std::string name;
        int code;
    };
    const std::string longest(255, 'L');
    for (const Case& c :
         {Case{"bad/name", EINVAL}, Case{"", EINVAL}, Case{std::string(256, 'L'), ENAMETOOLONG},
          Case{std::string(600, 'L'), ENAMETOOLONG}}) {
        TS_P_0001_02_Shm shm(c.name.c_str());
        EXPECT_FALSE(shm.IsValid());
        EXPECT_EQ(shm.GetErrorText(), kOrigin + SystemText(c.code)) << c.name.size();
        EXPECT_EQ(shm.GetData(), nullptr);
    }
    TS_P_0001_02_Shm nullName(nullptr);
    EXPECT_FALSE(nullName.IsValid());
    EXPECT_EQ(nullName.GetErrorText(), kOrigin + SystemText(EINVAL));

    // The longest name the system allows still works.
    shm_unlink(("/" + longest).c_str());
    {
        TS_P_0001_02_Shm shm(longest.c_str());
        EXPECT_TRUE(shm.IsValid()) << shm.GetErrorText();
    }
    shm_unlink(("/" + longest).c_str());
}

TEST(TS_P_0001_02_Shm, SmallerBlockIsRefusedWithoutTouchingIt) {
    for (std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{65536}, std::size_t{128647}}) {
        shmtest::ScopedName name("small" + std::to_string(size));
        ASSERT_TRUE(shmtest::MakeForeignBlock(name.str(), size));
        if (size >= 64) {
            shmtest::RawView view(name.str());
            std::memcpy(view.bytes(), kVersion, 41);
        }
        {
            TS_P_0001_02_Shm shm(name.c_str());
            EXPECT_FALSE(shm.IsValid());
            EXPECT_EQ(std::string(shm.GetErrorText()),
                      std::string(kOrigin) + "Shared Memory Block Too Small\nIt has " +
                          std::to_string(size) + " bytes, this program needs 128648");
        }
        struct stat status {};
        ASSERT_EQ(stat(("/dev/shm/" + name.str()).c_str(), &status), 0);
        EXPECT_EQ(static_cast<std::size_t>(status.st_size), size);
        if (size >= 64) {
            shmtest::RawView view(name.str());
            EXPECT_EQ(std::memcmp(view.bytes(), kVersion, 41), 0);
            EXPECT_EQ(view.bytes()[41], 0);
        }
    }
}

TEST(TS_P_0001_02_Shm, LargerBlockIsAccepted) {
    shmtest::ScopedName name("larger");
    ASSERT_TRUE(shmtest::MakeForeignBlock(name.str(), 131072, kVersion, 2));
    TS_P_0001_02_Shm shm(name.c_str());
    ASSERT_TRUE(shm.IsValid()) << shm.GetErrorText();
    EXPECT_EQ(shm.GetBlock()->userCount, 3);
    EXPECT_EQ(shm.GetMappedSize(), 131072u);
}

TEST(TS_P_0001_02_Shm, OpenerWaitsForCreatorStillSettingUp) {
    shmtest::ScopedName name("settingup");
    // The creator's first step: an empty object, sized and stamped later.
    ASSERT_TRUE(shmtest::MakeForeignBlock(name.str(), 0));
    std::thread creator([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        int fd = shm_open(shmtest::ObjectPath(name.str()).c_str(), O_RDWR, 0);
        (void)!ftruncate(fd, 128648);
        close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        shmtest::RawView view(name.str());
        if (!view.ok())
            return;
        std::memcpy(&view.block()->versionText[1], &kVersion[1], 40);
        view.block()->userCount = 1;
        std::atomic_ref<char>(view.block()->versionText[0]).store(kVersion[0]);
    });
    TS_P_0001_02_Shm shm(name.c_str());
    creator.join();
    ASSERT_TRUE(shm.IsValid()) << shm.GetErrorText();
    EXPECT_EQ(shm.GetBlock()->userCount, 2);
    EXPECT_EQ(shm.GetMappedSize(), 128648u);
}

TEST(TS_P_0001_02_Shm, CreatorKilledHalfWayGivesErrorAfterBoundedWait) {
    struct Case {
        std::size_t size;
        std::string text;
    };
    const std::string tooSmall =
        std::string(kOrigin) +
        "Shared Memory Block Too Small\nIt has 0 bytes, this program needs 128648";
    for (const Case& c : {Case{0, tooSmall}, Case{128648, kMismatch}}) {
        shmtest::ScopedName name("killed" + std::to_string(c.size));
        ASSERT_TRUE(shmtest::MakeForeignBlock(name.str(), c.size));
        const auto start = std::chrono::steady_clock::now();
        TS_P_0001_02_Shm shm(name.c_str());
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_FALSE(shm.IsValid());
        EXPECT_EQ(shm.GetErrorText(), c.text);
        EXPECT_GE(waited, TS_P_0001_02_Shm::kCreatorWait);
        if (c.size != 0) {
            shmtest::RawView view(name.str());
            EXPECT_EQ(view.block()->userCount, 0);
            EXPECT_EQ(view.block()->versionText[0], 0);
        }
    }
}

namespace {

std::size_t OpenDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

std::size_t MappedObjects() {
    std::ifstream maps("/proc/self/maps");
    std::size_t count = 0;
    for (std::string line; std::getline(maps, line);)
        count += line.find("/dev/shm/") != std::string::npos ? 1 : 0;
    return count;
}

} // namespace

// Re-attaching after a lost block must not cost a descriptor or a mapping
// each time, whatever way the attachment ended.
TEST(TS_P_0001_02_Shm, AttachAndDetachCyclesGiveBackEveryDescriptorAndMapping) {
    shmtest::ScopedName shared("cycles_shared");
    shmtest::ScopedName fresh("cycles_fresh");
    shmtest::ScopedName foreign("cycles_foreign");
    shmtest::ScopedName small("cycles_small");
    ASSERT_TRUE(shmtest::MakeForeignBlock(foreign.str(), 128648, "other layout", 3));
    ASSERT_TRUE(shmtest::MakeForeignBlock(small.str(), 4096));
    { TS_P_0001_02_Shm warmUp(fresh.c_str()); }
    shm_unlink(shmtest::ObjectPath(fresh.str()).c_str());
    const std::size_t descriptors = OpenDescriptors();
    const std::size_t mappings = MappedObjects();

    auto holder = std::make_unique<TS_P_0001_02_Shm>(shared.c_str());
    ASSERT_TRUE(holder->IsValid());
    for (int cycle = 0; cycle < 1000; ++cycle) {
        switch (cycle % 4) {
        case 0: { // not the last user
            TS_P_0001_02_Shm second(shared.c_str());
            ASSERT_TRUE(second.IsValid());
            ASSERT_EQ(second.GetBlock()->userCount, 2);
            break;
        }
        case 1: { // creator and last user of a block that is then removed
            TS_P_0001_02_Shm creator(fresh.c_str());
            ASSERT_TRUE(creator.CreatedBlock());
            break;
        }
        case 2: { // another layout version
            TS_P_0001_02_Shm refused(foreign.c_str());
            ASSERT_FALSE(refused.IsValid());
            break;
        }
        default: // the last user of a block that stays
            holder.reset();
            holder = std::make_unique<TS_P_0001_02_Shm>(shared.c_str());
            ASSERT_EQ(holder->GetBlock()->userCount, 1);
            break;
        }
        shm_unlink(shmtest::ObjectPath(fresh.str()).c_str());
    }
    holder.reset();
    // Too small, and a creator that never finished: each waits for the
    // creator first, so a few rounds only.
    shmtest::ScopedName unstamped("cycles_unstamped");
    ASSERT_TRUE(shmtest::MakeForeignBlock(unstamped.str(), 128648));
    for (const shmtest::ScopedName* name : {&small, &unstamped}) {
        TS_P_0001_02_Shm refused(name->c_str());
        EXPECT_FALSE(refused.IsValid());
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(MappedObjects(), mappings);
    shmtest::RawView view(foreign.str());
    EXPECT_EQ(view.block()->userCount, 3);
}

namespace {

void Truncate(const std::string& name, off_t size) {
    const int fd = shm_open(shmtest::ObjectPath(name).c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, size), 0);
    close(fd);
}

std::string TooSmall(std::uint64_t size) {
    return std::string(kOrigin) + "Shared Memory Block Too Small\nIt has " + std::to_string(size) +
           " bytes, this program needs 128648";
}

} // namespace

TEST(TS_P_0001_02_Shm, CheckNamesAShrunkReplacedOrRemovedBlockAndStaysLost) {
    shmtest::ScopedName name("check");
    struct Case {
        const char* what;
        void (*change)(const std::string&);
        BlockHealth withoutName;
        BlockHealth withName;
        const char* text; // null: the too-small text with the size
        std::int32_t countAfter;
    };
    const Case cases[] = {
        {"shrunk", [](const std::string& n) { Truncate(n, 4096); }, BlockHealth::Shrunk,
         BlockHealth::Shrunk, nullptr, -1},
        {"one byte short", [](const std::string& n) { Truncate(n, 128647); }, BlockHealth::Shrunk,
         BlockHealth::Shrunk, nullptr, 0},
        {"removed", [](const std::string& n) { shm_unlink(shmtest::ObjectPath(n).c_str()); },
         BlockHealth::Ok, BlockHealth::Gone,
         "TS_P_0001_02_Shm::Check\nShared Memory Block Removed\nNo block has its name any more", -1},
        {"replaced",
         [](const std::string& n) {
             shm_unlink(shmtest::ObjectPath(n).c_str());
             shmtest::MakeForeignBlock(n, 128648, kVersion, 0);
         },
         BlockHealth::Ok, BlockHealth::Replaced,
         "TS_P_0001_02_Shm::Check\nShared Memory Block Replaced\nIts name now belongs to another "
         "block",
         0},
    };
    for (const Case& c : cases) {
        shm_unlink(shmtest::ObjectPath(name.str()).c_str());
        auto shm = std::make_unique<TS_P_0001_02_Shm>(name.c_str());
        ASSERT_TRUE(shm->IsValid());
        EXPECT_EQ(shm->Check(true), BlockHealth::Ok) << c.what;
        EXPECT_EQ(shm->GetCheckedSize(), 128648u);
        c.change(name.str());
        EXPECT_EQ(shm->Check(false), c.withoutName) << c.what;
        EXPECT_EQ(shm->Check(true), c.withName) << c.what;
        EXPECT_EQ(shm->GetErrorText(),
                  c.text != nullptr ? std::string(c.text) : TooSmall(shm->GetCheckedSize()))
            << c.what;
        // Lost for good, even once the block is whole again.
        if (c.withName != BlockHealth::Ok && shmtest::Exists(name.str()))
            Truncate(name.str(), 128648);
        EXPECT_EQ(shm->Check(true), c.withName) << c.what;
        void* view = shm->GetData();
        shm.reset();
        EXPECT_EQ(GetMappedViewSize(view), 0u) << c.what;
        if (c.countAfter >= 0 && shmtest::Exists(name.str())) {
            shmtest::RawView raw(name.str());
            EXPECT_EQ(raw.block()->userCount, c.countAfter) << c.what;
        }
    }
}

TEST(TS_P_0001_02_Shm, TouchOfABlockShrunkUnderTheAttachmentIsSurvivedAndReported) {
    shmtest::ScopedName name("faulted");
    for (off_t size : {off_t{0}, off_t{4096}, off_t{128647}}) {
        shm_unlink(shmtest::ObjectPath(name.str()).c_str());
        TS_P_0001_02_Shm shm(name.c_str());
        ASSERT_TRUE(shm.IsValid());
        Truncate(name.str(), size);
        // The tick's writes, as if the check had not run yet.
        shm.GetBlock()->speedBrakeLever = 3;
        shm.GetBlock()->aidControlsHeartbeat += 1;
        // A block one byte short still holds the fields the tick writes.
        const BlockHealth expected = size == 128647 ? BlockHealth::Shrunk : BlockHealth::Faulted;
        EXPECT_EQ(shm.Check(false), expected) << size;
        EXPECT_EQ(shm.GetErrorText(), TooSmall(static_cast<std::uint64_t>(size)));
    }
}

TEST(TS_P_0001_02_Shm, CheckOfAnAttachmentThatIsNotValidAnswersGone) {
    shmtest::ScopedName name("checkinvalid");
    ASSERT_TRUE(shmtest::MakeForeignBlock(name.str(), 128648, "other", 1));
    TS_P_0001_02_Shm shm(name.c_str());
    EXPECT_EQ(shm.Check(true), BlockHealth::Gone);
    EXPECT_STREQ(shm.GetErrorText(), kMismatch);
}

// The shared block among real processes: each attachment is a separate
// process running shm_attach_helper.
#include "shm/tests/ShmTestSupport.h"
#include "tests/ShmProcessLine.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using shmproc::kMarkerOffset;
using shmproc::kVersion;

// One running helper: its pid, the read end of its output and what it said.
class Helper {
public:
    // startFd and releaseFd are read ends shared by several helpers; -1 for
    // startFd attaches at once. The helper gets them as descriptors 3 and 4.
    Helper(const std::string& name, int startFd, int releaseFd) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            return;
        m_Pid = fork();
        if (m_Pid == 0) {
            dup2(out[1], 1);
            // Moved out of the way first: a gate that already is descriptor 3
            // or 4 would be overwritten by the other, or keep its close-on-exec
            // flag (dup2 onto itself changes nothing) and let the helper see
            // end of file at once.
            const int start = startFd >= 0 ? fcntl(startFd, F_DUPFD_CLOEXEC, 10) : -1;
            const int release = fcntl(releaseFd, F_DUPFD_CLOEXEC, 10);
            if (start >= 0)
                dup2(start, 3);
            dup2(release, 4);
            execl(SHM_ATTACH_HELPER, SHM_ATTACH_HELPER, name.c_str(), startFd >= 0 ? "3" : "-1",
                  "4", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        m_Out = fdopen(out[0], "r");
    }
    ~Helper() {
        if (m_Out != nullptr)
            std::fclose(m_Out);
        Wait();
    }
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;

    // The next line as key=value pairs (the first word under "event").
    std::map<std::string, std::string> Next() {
        char line[1024];
        if (m_Out == nullptr || std::fgets(line, sizeof line, m_Out) == nullptr)
            return {};
        return shmproc::ParseLine(line);
    }
    int Wait() {
        if (m_Pid > 0) {
            waitpid(m_Pid, &m_Status, 0);
            m_Pid = -1;
        }
        return m_Status;
    }

private:
    pid_t m_Pid = -1;
    FILE* m_Out = nullptr;
    int m_Status = -1;
};

struct Gate {
    Gate() {
        if (pipe2(fds, O_CLOEXEC) != 0)
            fds[0] = fds[1] = -1;
    }
    ~Gate() {
        Open();
        if (fds[0] >= 0)
            close(fds[0]);
    }
    int reader() const { return fds[0]; }
    // End of file for every process waiting on the gate, at the same moment.
    void Open() {
        if (fds[1] >= 0)
            close(fds[1]);
        fds[1] = -1;
    }
    int fds[2];
};

int Int(std::map<std::string, std::string>& fields, const char* key) {
    return std::stoi(fields.at(key));
}

} // namespace

TEST(ShmProcesses, FirstCreatesSecondCountsAndLastReleases) {
    shmtest::ScopedName name("lifecycle");
    Gate releaseFirst;
    Gate releaseSecond;

    Helper first(name.str(), -1, releaseFirst.reader());
    auto attached = first.Next();
    ASSERT_EQ(attached["event"], "attached");
    EXPECT_EQ(Int(attached, "valid"), 1);
    EXPECT_EQ(Int(attached, "created"), 1);
    EXPECT_EQ(Int(attached, "count"), 1);
    EXPECT_EQ(Int(attached, "wrote"), 1);

    shmtest::RawView view(name.str());
    ASSERT_TRUE(view.ok());
    ASSERT_EQ(view.size(), 128648u);
    char expected[64] = {};
    std::memcpy(expected, kVersion, 41);
    EXPECT_EQ(std::memcmp(view.block()->versionText, expected, 64), 0);
    EXPECT_EQ(view.block()->userCount, 1);
    // The slots hold the creator's addresses, not ours.
    const auto creatorView = static_cast<std::uint32_t>(std::stoul(attached["view"]));
    const std::uint32_t starts[10] = {0,      30088,  67336,  75328, 103552,
                                      108232, 116296, 119312, 0,     1096};
    for (int slot = 0; slot < 10; ++slot) {
        const std::uint32_t want = slot == 8 ? 0u : creatorView + starts[slot];
        EXPECT_EQ(view.block()->sectionPointers[slot], want) << slot;
    }

    Helper second(name.str(), -1, releaseSecond.reader());
    attached = second.Next();
    EXPECT_EQ(Int(attached, "valid"), 1);
    EXPECT_EQ(Int(attached, "created"), 0);
    EXPECT_EQ(Int(attached, "count"), 2);
    EXPECT_EQ(Int(attached, "wrote"), 0);
    EXPECT_EQ(view.block()->userCount, 2);

    releaseSecond.Open();
    auto released = second.Next();
    EXPECT_EQ(released["event"], "released");
    // Not the last user, yet it gives back its own view.
    EXPECT_EQ(Int(released, "mapped"), 0);
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_EQ(view.block()->userCount, 1);
    EXPECT_EQ(std::memcmp(view.block()->versionText, expected, 64), 0);
    EXPECT_EQ(view.bytes()[kMarkerOffset], 0x4D);

    releaseFirst.Open();
    released = first.Next();
    EXPECT_EQ(Int(released, "mapped"), 0);
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_EQ(view.block()->userCount, 0);
    EXPECT_TRUE(shmtest::Exists(name.str()));
    EXPECT_EQ(view.bytes()[kMarkerOffset], 0x4D);
}

TEST(ShmProcesses, ManySimultaneousStartsCreateOnceAndCountEveryone) {
    constexpr int kProcesses = 32;
    shmtest::ScopedName name("crowd");
    Gate start;
    Gate release;
    std::vector<std::unique_ptr<Helper>> helpers;
    for (int i = 0; i < kProcesses; ++i)
        helpers.push_back(std::make_unique<Helper>(name.str(), start.reader(), release.reader()));
    start.Open();

    int valid = 0, created = 0, wrote = 0, found = 0;
    for (auto& helper : helpers) {
        auto attached = helper->Next();
        EXPECT_EQ(Int(attached, "valid"), 1) << attached["error"];
        valid += Int(attached, "valid");
        created += Int(attached, "created");
        wrote += Int(attached, "wrote");
        found += Int(attached, "found");
    }
    EXPECT_EQ(valid, kProcesses);
    EXPECT_EQ(created, 1);
    // A later start that cleared the block would have let a second process
    // claim the marker.
    EXPECT_EQ(wrote, 1);
    RecordProperty("found_existing_at_create", found);

    shmtest::RawView view(name.str());
    ASSERT_TRUE(view.ok());
    EXPECT_EQ(view.block()->userCount, kProcesses);
    EXPECT_EQ(view.bytes()[kMarkerOffset], 0x4D);
    EXPECT_STREQ(view.block()->versionText, kVersion);

    // Every process detaches at the same moment, and each gives back its view.
    release.Open();
    int unmapped = 0;
    for (auto& helper : helpers) {
        auto released = helper->Next();
        EXPECT_EQ(released["event"], "released");
        unmapped += Int(released, "mapped") == 0 ? 1 : 0;
        EXPECT_EQ(helper->Wait(), 0);
    }
    EXPECT_EQ(unmapped, kProcesses);
    EXPECT_EQ(view.block()->userCount, 0);
    EXPECT_EQ(view.bytes()[kMarkerOffset], 0x4D);
}

TEST(ShmProcesses, ForeignVersionLeavesCountToOtherProcesses) {
    shmtest::ScopedName name("foreign");
    ASSERT_TRUE(shmtest::MakeForeignBlock(name.str(), 128648,
                                          " TS_P_0001_02_genericSim $Revision: 5.4.1", 7));
    Gate release;
    Helper helper(name.str(), -1, release.reader());
    auto attached = helper.Next();
    EXPECT_EQ(Int(attached, "valid"), 0);
    EXPECT_EQ(attached["error"], "TS_P_0001_02_Shm::TS_P_0001_02_Shm|Shared Memory Version "
                                 "Mismatch|Please rebuild software");
    release.Open();
    helper.Next();
    EXPECT_EQ(helper.Wait(), 0);
    shmtest::RawView view(name.str());
    EXPECT_EQ(view.block()->userCount, 7);
}

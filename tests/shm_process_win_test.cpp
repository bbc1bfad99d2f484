// The shared block among real Windows processes: attachments run in
// shm_attach_helper_win processes, simblock.exe reads the block beside them.
#include "shm/tests/ShmTestSupport_win.h"
#include "tests/ShmProcessLine.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using shmproc::kMarkerOffset;
using shmproc::kVersion;

// Beside this test in the build tree, as on a Windows machine.
std::string BuildDirectory() {
    char path[1024];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text(path, length);
    return text.substr(0, text.rfind('\\'));
}

// A manual-reset event that helpers wait for; set it to let them go.
class Gate {
public:
    explicit Gate(const std::string& name)
        : m_Name(name), m_hEvent(CreateEventA(nullptr, TRUE, FALSE, name.c_str())) {}
    ~Gate() {
        Open();
        CloseHandle(m_hEvent);
    }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;
    void Open() { SetEvent(m_hEvent); }
    const std::string& name() const { return m_Name; }

private:
    std::string m_Name;
    HANDLE m_hEvent;
};

// A child process whose standard output the test reads line by line.
class Child {
public:
    explicit Child(std::string commandLine) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
            return;
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        const bool started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                            nullptr, nullptr, &startup, &m_Process) != 0;
        CloseHandle(writeEnd);
        if (!started) {
            CloseHandle(readEnd);
            return;
        }
        CloseHandle(m_Process.hThread);
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(readEnd), _O_RDONLY);
        m_Out = fd >= 0 ? _fdopen(fd, "r") : nullptr;
    }
    ~Child() {
        if (m_Out != nullptr)
            std::fclose(m_Out);
        Wait();
        if (m_Process.hProcess != nullptr)
            CloseHandle(m_Process.hProcess);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return m_Out != nullptr; }
    // The next line without its line end; empty at the end of the output.
    std::string Line() {
        char line[4096];
        if (m_Out == nullptr || std::fgets(line, sizeof line, m_Out) == nullptr)
            return {};
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        return text;
    }
    std::string Rest() {
        std::string all;
        for (std::string line = Line(); !line.empty(); line = Line())
            all += line + "\n";
        return all;
    }
    void Terminate() {
        if (m_Process.hProcess != nullptr)
            TerminateProcess(m_Process.hProcess, 9);
    }
    DWORD Wait() {
        DWORD code = 1;
        if (m_Process.hProcess != nullptr) {
            WaitForSingleObject(m_Process.hProcess, 60000);
            GetExitCodeProcess(m_Process.hProcess, &code);
        }
        return code;
    }

private:
    PROCESS_INFORMATION m_Process{};
    FILE* m_Out = nullptr;
};

// One attaching helper: "attached key=value ... error=TEXT" as a map.
class Helper : public Child {
public:
    Helper(const std::string& name, const std::string& start, const std::string& release)
        : Child("\"" + BuildDirectory() + "\\shm_attach_helper_win.exe\" " + name + " " + start +
                " " + release) {}
    std::map<std::string, std::string> Next() { return shmproc::ParseLine(Line()); }
};

std::string Simblock() {
    return "\"" + BuildDirectory() + "\\..\\tools\\simblock\\simblock.exe\" ";
}

// simblock.exe's JSON answer to "get --json --name NAME ITEM".
std::string SimblockGet(const std::string& name, const std::string& item) {
    Child simblock(Simblock() + "get --json --name " + name + " " + item);
    EXPECT_TRUE(simblock.started());
    std::string out = simblock.Rest();
    EXPECT_EQ(simblock.Wait(), 0u) << out;
    return out;
}

} // namespace

TEST(ShmProcesses, FirstCreatesSecondCountsAndLastReleases) {
    const std::string name = shmtest::UniqueName("procs");
    Gate releaseFirst(name + "_release1");
    Gate releaseSecond(name + "_release2");

    Helper first(name, "-", releaseFirst.name());
    ASSERT_TRUE(first.started());
    auto attached = first.Next();
    EXPECT_EQ(attached["valid"], "1");
    EXPECT_EQ(attached["created"], "1");
    EXPECT_EQ(attached["count"], "1");
    EXPECT_EQ(attached["wrote"], "1");
    EXPECT_NE(SimblockGet(name, "users").find("\"users\":1"), std::string::npos);

    Helper second(name, "-", releaseSecond.name());
    attached = second.Next();
    EXPECT_EQ(attached["valid"], "1");
    EXPECT_EQ(attached["created"], "0");
    EXPECT_EQ(attached["count"], "2");
    EXPECT_EQ(attached["wrote"], "0"); // the first one's marker is there
    EXPECT_NE(SimblockGet(name, "users").find("\"users\":2"), std::string::npos);

    releaseSecond.Open();
    EXPECT_EQ(second.Next()["mapped"], "0"); // every user gives back its own view
    EXPECT_EQ(second.Wait(), 0u);
    EXPECT_NE(SimblockGet(name, "users").find("\"users\":1"), std::string::npos);

    releaseFirst.Open();
    EXPECT_EQ(first.Next()["mapped"], "0");
    EXPECT_EQ(first.Wait(), 0u);
    // The creator's process has ended, and with its handles the block.
    EXPECT_FALSE(shmtest::Exists(name));
}

TEST(ShmProcesses, ManySimultaneousStartsCreateOnceAndCountEveryone) {
    const std::string name = shmtest::UniqueName("many");
    Gate start(name + "_start");
    Gate release(name + "_release");
    std::vector<std::unique_ptr<Helper>> helpers;
    for (int i = 0; i < 16; ++i) {
        helpers.push_back(std::make_unique<Helper>(name, start.name(), release.name()));
        ASSERT_TRUE(helpers.back()->started());
    }
    start.Open();
    int creators = 0;
    int markers = 0;
    for (auto& helper : helpers) {
        auto attached = helper->Next();
        EXPECT_EQ(attached["valid"], "1") << attached["error"];
        creators += attached["created"] == "1";
        markers += attached["wrote"] == "1";
    }
    EXPECT_EQ(creators, 1);
    EXPECT_EQ(markers, 1);
    {
        shmtest::ForeignBlock view(name);
        ASSERT_TRUE(view.ok());
        EXPECT_EQ(view.block()->userCount, 16);
        EXPECT_EQ(view.bytes()[kMarkerOffset], 0x4D);
        EXPECT_EQ(std::string(view.block()->versionText), kVersion);
    }
    release.Open();
    for (auto& helper : helpers) {
        EXPECT_EQ(helper->Next()["mapped"], "0");
        EXPECT_EQ(helper->Wait(), 0u);
    }
    // With the last handle the block is gone.
    EXPECT_FALSE(shmtest::Exists(name));
}

TEST(ShmProcesses, ForeignVersionIsRefusedInEveryProcess) {
    const std::string name = shmtest::UniqueName("foreign");
    std::string other = kVersion;
    other[30] = 'r';
    shmtest::ForeignBlock foreign(name, 128648, other.c_str(), 3);
    ASSERT_TRUE(foreign.ok());
    Gate release(name + "_release");

    Helper helper(name, "-", release.name());
    auto attached = helper.Next();
    EXPECT_EQ(attached["valid"], "0");
    EXPECT_EQ(attached["error"],
              "TS_P_0001_02_Shm::TS_P_0001_02_Shm|Shared Memory Version Mismatch|Please rebuild "
              "software");
    EXPECT_EQ(foreign.block()->userCount, 3);
    release.Open();
    EXPECT_EQ(helper.Wait(), 0u);
    EXPECT_EQ(foreign.block()->userCount, 3);

    Child simblock(Simblock() + "get --name " + name + " users");
    simblock.Rest();
    EXPECT_EQ(simblock.Wait(), 5u); // other layout version
}

// A Windows block goes with its last handle, so simblock's create holds the
// block it made until it is stopped.
TEST(ShmProcesses, SimblockCreateHoldsTheBlockForLaterUsers) {
    const std::string name = shmtest::UniqueName("create");
    Child creator(Simblock() + "create --name " + name);
    ASSERT_TRUE(creator.started());
    EXPECT_EQ(creator.Line().rfind("created " + name + ":", 0), 0u);
    EXPECT_EQ(creator.Line().rfind("holding " + name, 0), 0u);

    Gate release(name + "_release");
    Helper user(name, "-", release.name());
    auto attached = user.Next();
    EXPECT_EQ(attached["valid"], "1") << attached["error"];
    EXPECT_EQ(attached["created"], "0");
    EXPECT_EQ(attached["count"], "1");

    creator.Terminate();
    creator.Wait();
    EXPECT_TRUE(shmtest::Exists(name)); // the user's handle keeps it
    release.Open();
    EXPECT_EQ(user.Next()["mapped"], "0");
    user.Wait();
    EXPECT_FALSE(shmtest::Exists(name));
}

// Fifty real processes attach to and detach from one block of the test's own
// name, round after round, at the same moment; a few are killed with SIGKILL
// while attached. Each attached process writes a marker byte of its own into
// the simulator's part of the block and checks it later, so a process that
// zeroed or re-stamped a block in use would be caught by the others. Between
// the steps the test reads the block through a read-only mapping of its own:
// the user count must equal the attached processes whenever none was killed
// since the block was created, and the version text must stay whole.
#include "shm/TS_P_0001_02_Shm.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr int kProcesses = 50;
constexpr int kRounds = 20;
constexpr int kChurnCycles = 20;
constexpr int kReplyTimeoutMs = 20000;
// Marker bytes lie in the simulator's records, which the pedestal never uses.
constexpr std::size_t kMarkerBase = offsetof(GenericSimBlock, simulatorArea1) + 1024;

// Commands a worker obeys, and its answers.
constexpr char kAttach = 'A';
constexpr char kCheck = 'C';
constexpr char kDetach = 'D';
constexpr char kChurn = 'R';
constexpr char kQuit = 'Q';
constexpr char kOk = '+';

unsigned char* MarkerOf(GenericSimBlock* block, int slot) {
    return reinterpret_cast<unsigned char*>(block) + kMarkerBase + slot;
}

bool VersionWhole(const GenericSimBlock* block) {
    // The text, then NUL up to the field's end.
    const char* version = TS_P_0001_02_Shm::GetLayoutVersion();
    const std::size_t length = std::strlen(version);
    if (std::memcmp(block->versionText, version, length) != 0)
        return false;
    for (std::size_t i = length; i < kVersionTextSize; ++i)
        if (block->versionText[i] != '\0')
            return false;
    return true;
}

// The worker's side: one attachment at a time, a marker that changes with
// every attach, answers of one byte ('+' or a letter naming the failure).
class Worker {
public:
    Worker(const std::string& name, int slot) : m_Name(name), m_Slot(slot) {}

    char Obey(char command) {
        switch (command) {
        case kAttach:
            return Attach();
        case kCheck:
            return Check();
        case kDetach:
            return Detach();
        case kChurn:
            for (int i = 0; i < kChurnCycles; ++i) {
                const char detached = Detach();
                if (detached != kOk)
                    return detached;
                const char attached = Attach();
                if (attached != kOk)
                    return attached;
            }
            return kOk;
        default:
            return '?';
        }
    }

private:
    char Attach() {
        if (m_Shm)
            return 'a'; // attached twice
        m_Shm = std::make_unique<TS_P_0001_02_Shm>(m_Name.c_str());
        if (!m_Shm->IsValid()) {
            std::fprintf(stderr, "worker %d: %s\n", m_Slot, m_Shm->GetErrorText());
            return 'I'; // invalid attachment
        }
        m_Marker = static_cast<unsigned char>(m_Marker % 250 + 1);
        *MarkerOf(m_Shm->GetBlock(), m_Slot) = m_Marker;
        return kOk;
    }

    char Check() const {
        if (!m_Shm)
            return 'n'; // not attached
        if (*MarkerOf(m_Shm->GetBlock(), m_Slot) != m_Marker)
            return 'Z'; // block cleared under a user
        if (!VersionWhole(m_Shm->GetBlock()))
            return 'V';
        return kOk;
    }

    char Detach() {
        const char checked = Check();
        m_Shm.reset();
        return checked;
    }

    std::string m_Name;
    int m_Slot;
    unsigned char m_Marker = 0;
    std::unique_ptr<TS_P_0001_02_Shm> m_Shm;
};

// A start line in memory shared with every worker: a command is carried out
// only once the test has handed it to all chosen workers and raised the
// generation, so that they start together and race for the block.
struct StartLine {
    std::atomic<int> generation{0};
};
static_assert(std::atomic<int>::is_always_lock_free);

// One command and the generation at which it starts.
struct Order {
    char command;
    int start;
};

[[noreturn]] void RunWorker(const std::string& name, int slot, int commands, int answers,
                            const StartLine& line) {
    Worker worker(name, slot);
    Order order{};
    while (read(commands, &order, sizeof order) == sizeof order && order.command != kQuit) {
        while (line.generation.load() < order.start) {
            if (getppid() == 1)
                _exit(3); // the test is gone
            sched_yield();
        }
        const char answer = worker.Obey(order.command);
        if (write(answers, &answer, 1) != 1)
            break;
    }
    // _exit: the worker is a copy of the test process and must not run its
    // exit handlers.
    _exit(0);
}

struct Process {
    pid_t pid = -1;
    int commands = -1;
    int answers = -1;
    bool attached = false;
};

class ShmStress : public ::testing::Test {
protected:
    void SetUp() override {
        // Unmapped in TearDown; cppcheck knows neither that MAP_ANONYMOUS
        // takes fd -1 nor that a failed mmap holds nothing.
        constexpr int kShared = MAP_SHARED | MAP_ANONYMOUS;
        // cppcheck-suppress invalidFunctionArg
        void* shared = mmap(nullptr, sizeof(StartLine), PROT_READ | PROT_WRITE, kShared, -1, 0);
        // cppcheck-suppress memleak
        ASSERT_NE(shared, MAP_FAILED);
        m_Line = new (shared) StartLine;
        // A worker that died must fail the test, not end it through SIGPIPE.
        signal(SIGPIPE, SIG_IGN);
        m_Name = "PedestalStress" + std::to_string(getpid());
        Unlink();
        for (int slot = 0; slot < kProcesses; ++slot)
            m_Processes.push_back(Spawn(slot));
    }

    void TearDown() override {
        // After a failure some workers may be waiting for a start that never
        // came, or be dead already: they are killed rather than asked.
        if (HasFailure())
            for (Process& p : m_Processes)
                if (p.pid > 0)
                    kill(p.pid, SIGKILL);
        for (Process& p : m_Processes)
            Stop(p);
        Unlink();
        if (m_Line != nullptr)
            munmap(m_Line, sizeof(StartLine));
    }

    void Unlink() { shm_unlink(("/" + m_Name).c_str()); }

    Process Spawn(int slot) {
        int commands[2];
        int answers[2];
        EXPECT_EQ(pipe(commands), 0);
        EXPECT_EQ(pipe(answers), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            // A worker must never outlive a test that failed or was killed.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            close(commands[1]);
            close(answers[0]);
            for (const Process& other : m_Processes) {
                close(other.commands);
                close(other.answers);
            }
            RunWorker(m_Name, slot, commands[0], answers[1], *m_Line);
        }
        EXPECT_GT(pid, 0);
        close(commands[0]);
        close(answers[1]);
        return Process{pid, commands[1], answers[0], false};
    }

    void Stop(Process& p) {
        if (p.pid <= 0)
            return;
        const bool failed = HasFailure();
        const Order quit{kQuit, 0};
        const ssize_t sent = write(p.commands, &quit, sizeof quit);
        int status = 0;
        EXPECT_EQ(waitpid(p.pid, &status, 0), p.pid);
        if (!failed) {
            EXPECT_EQ(sent, static_cast<ssize_t>(sizeof quit));
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << "worker " << p.pid << " ended with status " << status;
        }
        close(p.commands);
        close(p.answers);
        p.pid = -1;
    }

    void Kill(int slot) {
        Process& p = m_Processes[static_cast<std::size_t>(slot)];
        ASSERT_EQ(kill(p.pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(p.pid, &status, 0), p.pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        close(p.commands);
        close(p.answers);
        // Spawn's child closes every listed descriptor; these numbers may be
        // reused by the new pipes.
        p.commands = p.answers = -1;
        p = Spawn(slot);
        ++m_Kills;
        m_KilledSinceCreation = true;
    }

    // Sends one command to every chosen process first, so that they all act
    // at the same moment, then collects every answer.
    template <typename Choose> void Command(char command, Choose choose, const char* step) {
        std::vector<Process*> chosen;
        for (std::size_t slot = 0; slot < m_Processes.size(); ++slot)
            if (choose(static_cast<int>(slot), m_Processes[slot]))
                chosen.push_back(&m_Processes[slot]);
        const Order order{command, m_Line->generation.load() + 1};
        for (Process* p : chosen)
            ASSERT_EQ(write(p->commands, &order, sizeof order), static_cast<ssize_t>(sizeof order));
        m_Line->generation.store(order.start);
        for (Process* p : chosen) {
            pollfd ready{p->answers, POLLIN, 0};
            ASSERT_EQ(poll(&ready, 1, kReplyTimeoutMs), 1)
                << step << ": worker " << p->pid << " did not answer";
            char answer = 0;
            ASSERT_EQ(read(p->answers, &answer, 1), 1) << step << ": worker " << p->pid << " died";
            EXPECT_EQ(answer, kOk) << step << ": worker " << p->pid << " in round " << m_Round;
            if (command == kAttach)
                p->attached = answer == kOk;
            if (command == kDetach)
                p->attached = false;
        }
        ++m_Steps;
        if (command == kAttach)
            m_Attaches += static_cast<int>(chosen.size());
        if (command == kChurn)
            m_Attaches += static_cast<int>(chosen.size()) * kChurnCycles;
    }

    int Attached() const {
        int n = 0;
        for (const Process& p : m_Processes)
            n += p.attached ? 1 : 0;
        return n;
    }

    // What the block says, read through a mapping that counts as no user.
    void ExpectBlock(const char* step) {
        const int fd = shm_open(("/" + m_Name).c_str(), O_RDONLY, 0);
        ASSERT_GE(fd, 0) << step << ": the block is gone";
        void* view = mmap(nullptr, kGenericSimSize, PROT_READ, MAP_SHARED, fd, 0);
        close(fd);
        // cppcheck-suppress memleak
        ASSERT_NE(view, MAP_FAILED);
        const auto* block = static_cast<const GenericSimBlock*>(view);
        EXPECT_TRUE(VersionWhole(block)) << step << " in round " << m_Round;
        if (!m_KilledSinceCreation) {
            EXPECT_EQ(block->userCount, Attached()) << step << " in round " << m_Round;
            ++m_CountChecks;
        }
        munmap(view, kGenericSimSize);
    }

    StartLine* m_Line = nullptr;
    std::string m_Name;
    std::vector<Process> m_Processes;
    int m_Round = 0;
    int m_Kills = 0;
    int m_Steps = 0;
    int m_Attaches = 0;
    int m_CountChecks = 0;
    bool m_KilledSinceCreation = false;
};

const auto kAll = [](int, const Process&) { return true; };
const auto kEven = [](int slot, const Process&) { return slot % 2 == 0; };
const auto kOdd = [](int slot, const Process&) { return slot % 2 == 1; };

TEST_F(ShmStress, FiftyProcessesShareOneBlockThroughAttachDetachAndKills) {
    const auto start = std::chrono::steady_clock::now();
    for (m_Round = 0; m_Round < kRounds; ++m_Round) {
        // Every other round, and after kills, the block is removed so that the
        // fifty race to create it; otherwise they all open the one left.
        if (m_Round % 2 == 0 || m_KilledSinceCreation) {
            Unlink();
            m_KilledSinceCreation = false;
        }
        Command(kAttach, kAll, "attach");
        ExpectBlock("after all attached");
        Command(kCheck, kAll, "check after attach");

        // Half detach and re-attach, over and over, while the others hold on.
        Command(kChurn, kEven, "churn");
        Command(kCheck, kOdd, "check after churn");
        ExpectBlock("after churn");

        // Every fifth round kills two attached processes; their replacements
        // start detached.
        if (m_Round % 5 == 4) {
            Kill((m_Round * 7) % kProcesses);
            Kill((m_Round * 13 + 5) % kProcesses);
        }
        Command(
            kDetach, [](int slot, const Process& p) { return slot % 2 == 0 && p.attached; },
            "detach even");
        ExpectBlock("after half detached");
        Command(
            kCheck, [](int slot, const Process& p) { return slot % 2 == 1 && p.attached; },
            "check after half detached");
        Command(
            kDetach, [](int, const Process& p) { return p.attached; }, "detach rest");
        if (!m_KilledSinceCreation)
            ExpectBlock("after all detached");
        if (HasFailure())
            break;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("stress: %d rounds, %d processes, %d attaches, %d killed, %d command steps, %d "
                "user-count checks, %.1f s\n",
                m_Round, kProcesses, m_Attaches, m_Kills, m_Steps, m_CountChecks, seconds);
    RecordProperty("rounds", m_Round);
    RecordProperty("kills", m_Kills);
    EXPECT_EQ(m_Round, kRounds);
}

} // namespace

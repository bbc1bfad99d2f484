// The hosts as real processes: every way of ending them leaves the block's
// user count as it found it, clients connected or not, and a process out of
// descriptors waits instead of spinning on accept.
#include "platform/tests/MappingTestSupport_posix.h"
#include "web/tests/TestClient.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace webtest;

namespace {

// A child with its stdout and stderr in one pipe, read line by line.
class Child {
public:
    explicit Child(std::vector<std::string> arguments) {
        int pipeEnds[2];
        if (pipe2(pipeEnds, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_Pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_Pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[1]);
        m_Output = fdopen(pipeEnds[0], "r");
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (m_Pid > 0 && Wait(0) < 0)
            kill(m_Pid, SIGKILL), waitpid(m_Pid, nullptr, 0);
        if (m_Output != nullptr)
            fclose(m_Output);
    }
    // The port from the "open http://...:PORT/" line; 0 when none came.
    unsigned short Port() {
        char line[512];
        while (m_Output != nullptr && std::fgets(line, sizeof line, m_Output) != nullptr) {
            const std::string text = line;
            if (text.find(" open http://") != std::string::npos)
                return static_cast<unsigned short>(std::stoi(text.substr(text.rfind(':') + 1)));
        }
        return 0;
    }
    void Signal(int number) { kill(m_Pid, number); }
    // The exit status, or -1 while it still runs after the given seconds.
    int Wait(int seconds) {
        for (int i = 0; i <= seconds * 20; ++i) {
            int status = 0;
            if (waitpid(m_Pid, &status, WNOHANG) == m_Pid) {
                m_Pid = -1;
                return status;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }
    // Every line left, once the child has ended.
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        char line[512];
        while (m_Output != nullptr && std::fgets(line, sizeof line, m_Output) != nullptr)
            lines.emplace_back(line);
        return lines;
    }

private:
    pid_t m_Pid = -1;
    FILE* m_Output = nullptr;
};

int Users(const std::string& block) {
    Child status({SIMBLOCK, "status", "--name", block, "--json"});
    const std::vector<std::string> lines = status.Lines();
    const std::string text = lines.empty() ? "" : lines.front();
    const auto at = text.find("\"users\":");
    return at == std::string::npos ? -1 : std::stoi(text.substr(at + 8));
}

struct Ending {
    const char* host;
    std::vector<int> signals;
    int clients;
};

class Shutdown : public ::testing::TestWithParam<Ending> {};

TEST_P(Shutdown, LeavesTheUserCountAsItFoundIt) {
    const Ending& ending = GetParam();
    // Removed however the test ends, even when a host outlives its wait.
    const mappingtest::ScopedName scoped(
        "webend_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
        std::to_string(ending.signals.size()) + std::to_string(ending.clients));
    const std::string& block = scoped.name;
    if (*ending.host == '\0')
        GTEST_SKIP() << "built without the window";
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const bool window = std::string(ending.host) == PEDESTAL_WINDOW;
    Child host(window
                   ? std::vector<std::string>{ending.host, "--block", block, "--web", "127.0.0.1:0"}
                   : std::vector<std::string>{ending.host, "--block", block, "--port", "0"});
    const unsigned short port = host.Port();
    ASSERT_NE(0, port);
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < ending.clients; ++i) {
        clients.push_back(std::make_unique<TestClient>());
        EXPECT_EQ(101, clients.back()->Connect(port));
    }
    // The window attaches once it shows, which may follow the address.
    for (int i = 0; i < 100 && Users(block) != 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(1, Users(block));
    for (int number : ending.signals)
        host.Signal(number);
    EXPECT_NE(-1, host.Wait(20));
    EXPECT_EQ(0, Users(block));
}

INSTANTIATE_TEST_SUITE_P(EveryPath, Shutdown,
                         ::testing::ValuesIn(std::vector<Ending>{
                             {PEDESTAL_WEB, {SIGINT}, 0},
                             {PEDESTAL_WEB, {SIGTERM}, 0},
                             {PEDESTAL_WEB, {SIGINT}, 20},
                             {PEDESTAL_WEB, {SIGTERM}, 20},
                             {PEDESTAL_WEB, {SIGINT, SIGINT}, 0},
                             {PEDESTAL_WEB, {SIGINT, SIGINT}, 20},
                             {PEDESTAL_WEB, {SIGTERM, SIGINT}, 20},
                             {PEDESTAL_WINDOW, {SIGINT}, 20},
                             {PEDESTAL_WINDOW, {SIGTERM}, 0},
                             {PEDESTAL_WINDOW, {SIGINT, SIGINT}, 20},
                         }));

TEST(Descriptors, RunningOutIsToldOnceAndDoesNotSpin) {
    const mappingtest::ScopedName scoped("webfds");
    const std::string& block = scoped.name;
    Child host({"/usr/bin/prlimit", "--nofile=48", PEDESTAL_WEB, "--block", block, "--port", "0"});
    const unsigned short port = host.Port();
    ASSERT_NE(0, port);
    asio::io_context ioc;
    std::vector<tcp::socket> sockets;
    // From several addresses, so that no address's budget turns them away.
    for (int i = 0; i < 80; ++i) {
        tcp::socket& socket = sockets.emplace_back(ioc);
        beast::error_code ec;
        socket.open(tcp::v4(), ec);
        socket.bind({asio::ip::make_address("127.0.0." + std::to_string(2 + i % 8)), 0}, ec);
        socket.connect({asio::ip::make_address("127.0.0.1"), port}, ec);
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    host.Signal(SIGTERM);
    EXPECT_NE(-1, host.Wait(20));
    int told = 0;
    for (const std::string& line : host.Lines())
        told += line.find("accept failed") != std::string::npos;
    EXPECT_GE(told, 1);
    EXPECT_LE(told, 2);
}

} // namespace

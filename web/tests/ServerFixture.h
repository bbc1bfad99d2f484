// The server under test on a core of its own, shared by the server's test
// files: the core runs on a thread as the window's thread holds it.
#pragma once

#include "web/tests/TestClient.h"

#include "panel/PedestalCore.h"
#include "shm/TS_P_0001_02_genericSim.h"
#include "web/Server.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace webtest {

using nlohmann::json;

// The core on a thread of its own, as the window's thread holds it; ticks
// run only when a test asks, so that the block changes only when it says.
class CoreThread {
public:
    CoreThread() : m_Block(std::make_unique<GenericSimBlock>()) {
        std::memset(m_Block.get(), 0, sizeof(GenericSimBlock));
        m_Core.GetAttachment().UseBlock(m_Block.get());
        m_Thread = std::thread([this] { m_Ioc.run(); });
    }
    ~CoreThread() {
        m_Work.reset();
        m_Thread.join();
    }

    void Post(web::Server::CoreTask task) {
        asio::post(m_Ioc, [this, task = std::move(task)] { task(m_Core); });
    }
    template <class F> void Run(F f) {
        std::promise<void> done;
        asio::post(m_Ioc, [&] {
            f(m_Core);
            done.set_value();
        });
        done.get_future().wait();
    }
    GenericSimBlock& Block() { return *m_Block; }
    std::vector<unsigned char> Bytes() {
        std::vector<unsigned char> bytes(sizeof(GenericSimBlock));
        Run([&](PedestalCore&) { std::memcpy(bytes.data(), m_Block.get(), bytes.size()); });
        return bytes;
    }

private:
    std::unique_ptr<GenericSimBlock> m_Block;
    PedestalCore m_Core;
    asio::io_context m_Ioc;
    std::optional<asio::executor_work_guard<asio::io_context::executor_type>> m_Work{
        m_Ioc.get_executor()};
    std::thread m_Thread;
};

class ServerTest : public ::testing::Test {
protected:
    void StartServer(web::ServerOptions options = {}) {
        options.port = 0;
        m_Server = std::make_unique<web::Server>(
            options, [this](web::Server::CoreTask task) { m_Core.Post(std::move(task)); });
        std::string error;
        ASSERT_TRUE(m_Server->Start(&error)) << error;
        m_Core.Run([this](PedestalCore& core) { m_Server->Watch(core); });
    }
    void TearDown() override {
        if (m_Server) {
            m_Core.Run([this](PedestalCore& core) { m_Server->Unwatch(core); });
            m_Server->Stop();
        }
    }
    unsigned short Port() const { return m_Server->Port(); }
    void Tick() {
        m_Core.Run([](PedestalCore& core) { core.Tick(); });
    }
    // A client past its hello and full state.
    std::unique_ptr<TestClient> Open() {
        auto client = std::make_unique<TestClient>();
        EXPECT_EQ(101, client->Connect(Port()));
        EXPECT_TRUE(client->ReadUntil("\"full\":true"));
        return client;
    }

    CoreThread m_Core;
    std::unique_ptr<web::Server> m_Server;
};

inline json Parse(const std::optional<std::string>& text) {
    return text ? json::parse(*text, nullptr, false) : json();
}

} // namespace webtest

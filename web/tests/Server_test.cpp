// The server as a browser or a stranger meets it, over loopback: what a
// client is sent, what its commands write, and every refusal, each with the
// block checked byte for byte afterwards.
#include "web/tests/ServerFixture.h"
#include "web/tests/Wine.h"

#include "panel/Resources.h"

#include <atomic>

using namespace webtest;

namespace {

TEST_F(ServerTest, ClientGetsFullStateThenOnlyWhatChanges) {
    web::ServerOptions options;
    options.heartbeatPeriod = std::chrono::milliseconds(150);
    StartServer(options);
    // The second tick positions the hidden slider once; past it, a tick
    // with no change says nothing.
    Tick();
    Tick();
    TestClient client;
    ASSERT_EQ(101, client.Connect(Port()));
    const json hello = Parse(client.Read());
    EXPECT_EQ("hello", hello.value("type", ""));
    EXPECT_EQ(150, hello.value("heartbeatMs", 0));
    const json full = Parse(client.Read());
    EXPECT_EQ(true, full.value("full", false));
    EXPECT_EQ(131, full.value("flapBitmap", 0));
    EXPECT_EQ("IDLE", full.value("thrustText", ""));
    EXPECT_EQ("Flaps Up  ", full.value("flapText", ""));
    EXPECT_EQ("Brakes On", full.value("brakesCaption", ""));

    m_Core.Run([](PedestalCore&) {});
    m_Core.Block().flapLever[3] = 1; // another writer
    Tick();
    const json delta = Parse(client.ReadUntil("\"state\""));
    EXPECT_EQ(
        json({{"type", "state"}, {"full", false}, {"flapBitmap", 135}, {"flapText", "Flaps 3   "}}),
        delta);
    EXPECT_TRUE(client.ReadUntil("\"heartbeat\"", std::chrono::seconds(2)));
}

TEST_F(ServerTest, EveryCommandWritesWhatTheWindowWrites) {
    StartServer();
    auto client = Open();
    auto reference = std::make_unique<GenericSimBlock>();
    PedestalCore window;
    window.GetAttachment().UseBlock(reference.get());
    int count = 0;
    const CommandInfo* table = CommandTable(&count);
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(table[i].name);
        // Both blocks start from the same untidy contents.
        m_Core.Run([&](PedestalCore&) {
            auto* bytes = reinterpret_cast<unsigned char*>(&m_Core.Block());
            for (std::size_t b = 0; b < sizeof(GenericSimBlock); ++b)
                bytes[b] = static_cast<unsigned char>(b * 7 + static_cast<std::size_t>(i));
            std::memcpy(reference.get(), &m_Core.Block(), sizeof(GenericSimBlock));
        });
        json request = {{"id", 100 + i}, {"command", table[i].name}};
        if (table[i].command == Command::SliderReleased)
            request["position"] = 30;
        client->Send(request.dump());
        EXPECT_EQ(json({{"id", 100 + i}, {"ok", true}}), Parse(client->ReadUntil("\"ok\"")));
        window.Execute(table[i].command, 30);
        EXPECT_EQ(0, std::memcmp(reference.get(), m_Core.Bytes().data(), sizeof(GenericSimBlock)));
    }
    // The speed brake is written by the tick: the server's core holds the
    // selection the clients made.
    client->Send(R"({"command":"speedbrakeout"})");
    ASSERT_TRUE(client->ReadUntil("\"ok\""));
    Tick();
    EXPECT_EQ(3, m_Core.Block().speedBrakeLever);
}

TEST_F(ServerTest, RefusedMessagesGetAnErrorAndWriteNothing) {
    StartServer();
    Tick();
    auto client = Open();
    const std::vector<unsigned char> before = m_Core.Bytes();
    struct Case {
        std::string message;
        bool binary;
        const char* code;
        json id;
    };
    const std::string padded = R"({"id":1,"command":"flap2")" + std::string(4100, ' ') + "}";
    const std::vector<Case> cases = {
        {"{\"id\":1,\"command\":\"flap2\"", false, "malformed", nullptr},
        {"[\"flap2\"]", false, "malformed", nullptr},
        {"\"flap2\"", false, "malformed", nullptr},
        {R"({"id":2,"command":"flap2"})", true, "malformed", nullptr},
        {padded, false, "too-large", nullptr},
        {R"({"id":3,"command":"selfdestruct"})", false, "unknown-command", 3},
        {R"({"id":4,"command":"FLAP2"})", false, "unknown-command", 4},
        {R"({"id":5,"command":2})", false, "wrong-type", 5},
        {R"({"id":6})", false, "wrong-type", 6},
        {R"({"id":"7","command":"flap2"})", false, "wrong-type", nullptr},
        {R"({"id":8.5,"command":"flap2"})", false, "wrong-type", nullptr},
        {R"({"id":9007199254740993,"command":"flap2"})", false, "wrong-type", nullptr},
        {R"({"id":10,"command":"flap2","force":true})", false, "unknown-field", 10},
        {R"({"id":11,"command":"flap2","position":3})", false, "unknown-field", 11},
        {R"({"id":12,"command":"slider"})", false, "wrong-type", 12},
        {R"({"id":13,"command":"slider","position":"30"})", false, "wrong-type", 13},
        {R"({"id":14,"command":"slider","position":30.5})", false, "wrong-type", 14},
        {R"({"id":15,"command":"slider","position":101})", false, "out-of-range", 15},
        {R"({"id":16,"command":"slider","position":-1})", false, "out-of-range", 16},
        {std::string(R"({"id":5,"command":"flap3"})") + '\0' + "garbage", false, "malformed",
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.substr(0, 60));
        client->Send(c.message, c.binary);
        const json reply = Parse(client->ReadUntil("\"ok\""));
        EXPECT_EQ(false, reply.value("ok", true));
        EXPECT_EQ(c.code, reply.value("error", ""));
        EXPECT_EQ(c.id, reply.value("id", json("missing")));
        EXPECT_FALSE(reply.value("message", "").empty());
    }
    EXPECT_EQ(before, m_Core.Bytes());
    // The connection stays usable after refusals.
    client->Send(R"({"id":20,"command":"flap2"})");
    EXPECT_EQ(json({{"id", 20}, {"ok", true}}), Parse(client->ReadUntil("\"ok\"")));
    EXPECT_EQ(1, m_Core.Block().flapLever[2]);
}

TEST_F(ServerTest, HugeMessageEndsTheConnectionAndWritesNothing) {
    StartServer();
    Tick();
    auto client = Open();
    const std::vector<unsigned char> before = m_Core.Bytes();
    client->Send(R"({"command":"flap2","x":")" + std::string(70000, 'a') + "\"}");
    while (client->Read()) {
    }
    EXPECT_EQ(before, m_Core.Bytes());
}

TEST_F(ServerTest, UpgradeChecksTokenOriginAndHost) {
    web::ServerOptions options;
    options.token = "s3cret";
    StartServer(options);
    const std::vector<unsigned char> before = m_Core.Bytes();
    const std::string self = "127.0.0.1:" + std::to_string(Port());
    struct Case {
        Handshake handshake;
        int status;
    };
    const std::vector<Case> cases = {
        {{"/ws", "", std::nullopt}, 401},
        {{"/ws?other=1", "", std::nullopt}, 401},
        {{"/ws?token=s3cre", "", std::nullopt}, 403},
        {{"/ws?token=s3cret2", "", std::nullopt}, 403},
        {{"/ws?token=s3cret", "", "http://evil.example"}, 403},
        {{"/ws?token=s3cret", "", "http://" + self + ".evil.example"}, 403},
        {{"/ws?token=s3cret", "", "null"}, 403},
        {{"/ws?token=s3cret", "", "http://" + self}, 101},
        {{"/ws?token=s3cret", "", std::nullopt}, 101},
        {{"/ws?token=s3%63ret", "", std::nullopt}, 101},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.handshake.target + " " + c.handshake.origin.value_or("no origin"));
        TestClient client;
        EXPECT_EQ(c.status, client.Connect(Port(), c.handshake));
        if (c.status != 101) {
            client.Send(R"({"command":"flap2"})");
        }
    }
    EXPECT_EQ(before, m_Core.Bytes());
}

TEST_F(ServerTest, WithoutTokenOnlyLoopbackHostsAreServed) {
    StartServer();
    const std::string port = std::to_string(Port());
    struct Case {
        std::string host;
        int status;
    };
    // A page of another site whose name resolves to 127.0.0.1 (DNS
    // rebinding) sends its own name as Host and as Origin.
    for (const Case& c : std::vector<Case>{{"rebind.example:" + port, 403},
                                           {"localhost:" + port, 101},
                                           {"127.0.0.1:" + port, 101}}) {
        SCOPED_TRACE(c.host);
        TestClient client;
        EXPECT_EQ(c.status, client.Connect(Port(), {"/ws", c.host, "http://" + c.host}));
    }
}

TEST_F(ServerTest, PageAndPicturesAreServedWithoutOpeningToOtherSites) {
    StartServer();
    const auto page = HttpRequest(Port(), http::verb::get, "/?token=x");
    EXPECT_EQ(200, page.result_int());
    EXPECT_NE(std::string::npos, page.body().find("R320 UVED Ovu Rared"));
    EXPECT_NE(std::string::npos, page.body().find("\"command\":\"flap2\""));
    EXPECT_EQ("text/html; charset=utf-8", page[http::field::content_type]);
    EXPECT_EQ(page.end(), page.find(http::field::access_control_allow_origin));
    EXPECT_EQ("no-referrer", page["Referrer-Policy"]);

    for (int id : kBitmapResourceIds) {
        const auto picture =
            HttpRequest(Port(), http::verb::get, "/res/" + std::to_string(id) + ".bmp");
        const Resource expected = BitmapResource(id);
        ASSERT_EQ(expected.size, picture.body().size()) << id;
        EXPECT_EQ(0, std::memcmp(expected.data, picture.body().data(), expected.size)) << id;
    }
    EXPECT_EQ(404, HttpRequest(Port(), http::verb::get, "/res/132.bmp").result_int());
    EXPECT_EQ(404, HttpRequest(Port(), http::verb::get, "/../panel").result_int());
    EXPECT_EQ(405, HttpRequest(Port(), http::verb::post, "/").result_int());
    EXPECT_EQ(426, HttpRequest(Port(), http::verb::get, "/ws").result_int());
}

TEST_F(ServerTest, SixtyFifthConnectionIsRefusedUntilOneCloses) {
    StartServer();
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < 64; ++i) {
        clients.push_back(std::make_unique<TestClient>());
        ASSERT_EQ(101, clients.back()->Connect(Port())) << i;
    }
    TestClient refused;
    EXPECT_EQ(503, refused.Connect(Port()));
    clients.back()->Close();
    clients.pop_back();
    for (int i = 0; i < 500 && m_Server->ConnectionCount() > 63; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    TestClient again;
    EXPECT_EQ(101, again.Connect(Port()));
}

TEST_F(ServerTest, StalledClientIsDroppedWithoutHoldingTheTickOrOthers) {
    // A client is dropped when its socket stops taking data; under Wine the
    // 3000 ticks' messages all fit in what its sockets take, so none stalls.
    if (RunningUnderWine())
        GTEST_SKIP() << "Wine's sockets take every message of this test without a stall";
    web::ServerOptions options;
    options.maxQueuedMessages = 16;
    options.sendBufferBytes = 4096;
    options.stallTimeout = std::chrono::milliseconds(100);
    StartServer(options);
    TestClient stalled;
    ASSERT_EQ(101, stalled.Connect(Port(), {"/ws", "", std::nullopt, 2048}));
    auto healthy = Open();
    std::atomic<bool> sawLast{false};
    std::atomic<int> received{0};
    std::thread reader([&] {
        while (auto message = healthy->Read(std::chrono::seconds(5))) {
            ++received;
            if (message->find("\"thrustText\":\"TO/GA\"") != std::string::npos) {
                sawLast = true;
                return;
            }
        }
    });
    // Every tick changes the flaps, so every tick sends each client a message.
    ASSERT_EQ(2u, m_Server->ConnectionCount());
    auto slowest = std::chrono::steady_clock::duration::zero();
    int ticks = 0;
    for (; ticks < 3000 && m_Server->ConnectionCount() > 1; ++ticks) {
        const int i = ticks;
        m_Core.Run([&](PedestalCore& core) {
            for (int f = 0; f < 5; ++f)
                m_Core.Block().flapLever[f] = f == i % 5 ? 1 : 0;
            const auto start = std::chrono::steady_clock::now();
            core.Tick();
            slowest = std::max(slowest, std::chrono::steady_clock::now() - start);
        });
        // The healthy client stays within half its queue, however loaded the
        // machine: the ticks wait for it when it falls that far behind (never
        // for the stalled one), and otherwise run as fast as they can.
        const int slack = static_cast<int>(options.maxQueuedMessages / 2);
        for (int wait = 0; wait < 1000 && received.load() + slack < i + 1; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(1u, m_Server->ConnectionCount());
    // Dropped once its queue overflowed, not at once.
    EXPECT_GT(ticks, static_cast<int>(options.maxQueuedMessages));
    m_Core.Run([&](PedestalCore& core) {
        m_Core.Block().thrustLever[0] = 98.0;
        core.Tick();
    });
    reader.join();
    EXPECT_TRUE(sawLast);
    // A tick only hands its news to the server's thread.
    EXPECT_LT(slowest, std::chrono::milliseconds(PedestalCore::kStatusPeriodMs));
}

TEST_F(ServerTest, EveryClientSeesAChangeWhoeverMadeIt) {
    StartServer();
    Tick();
    auto first = Open();
    auto second = Open();
    first->Send(R"({"id":1,"command":"gearup"})");
    ASSERT_TRUE(first->ReadUntil("\"ok\""));
    Tick();
    EXPECT_TRUE(first->ReadUntil("\"gearBitmap\":140"));
    EXPECT_TRUE(second->ReadUntil("\"gearBitmap\":140"));
    second->Send(R"({"id":1,"command":"brakes"})");
    // The brakes caption changes with the command, before any tick.
    EXPECT_TRUE(first->ReadUntil("\"brakesCaption\":\"Brakes Off\""));
}

TEST_F(ServerTest, StopClosesEveryConnection) {
    StartServer();
    auto client = Open();
    m_Core.Run([this](PedestalCore& core) { m_Server->Unwatch(core); });
    m_Server->Stop();
    EXPECT_FALSE(client->Read(std::chrono::seconds(3)));
    EXPECT_EQ(0u, m_Server->ConnectionCount());
    m_Server.reset();
}

} // namespace

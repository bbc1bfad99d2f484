// Faults once found from outside, each replayed the same way: a NUL in a
// message, a foreign Host, HEAD on a kept-alive connection, the printed
// token, guessing, idle strangers, forged and flooded log lines, and a flood
// of commands beside a client that only reads.
#include "web/tests/ServerFixture.h"

#include "panel/Resources.h"

#include <algorithm>
#include <atomic>
#include <mutex>

using namespace webtest;

namespace {

TEST_F(ServerTest, EveryRouteChecksTheHostAndHeadSendsNoBody) {
    StartServer();
    const std::string self = "Host: 127.0.0.1:" + std::to_string(Port()) + "\r\n";
    const std::string picture = "/res/" + std::to_string(kBitmapResourceIds[0]) + ".bmp";
    struct Case {
        std::string request;
        std::string reply; // what the reply starts with
        std::string then;  // and holds
    };
    const std::vector<Case> cases = {
        {"GET / HTTP/1.1\r\nHost: evil.example\r\nConnection: close\r\n\r\n", "HTTP/1.1 403", ""},
        {"GET " + picture + " HTTP/1.1\r\nHost: evil.example:80\r\nConnection: close\r\n\r\n",
         "HTTP/1.1 403", ""},
        {"HEAD / HTTP/1.1\r\n" + self + "\r\nGET /none HTTP/1.1\r\n" + self +
             "Connection: close\r\n\r\n",
         "HTTP/1.1 200", "\r\n\r\nHTTP/1.1 404"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        const std::string reply = RawExchange(Port(), c.request);
        EXPECT_EQ(c.reply, reply.substr(0, c.reply.size()));
        EXPECT_NE(std::string::npos, reply.find(c.then));
    }
}

TEST_F(ServerTest, PrintedAddressWorksAndWrongGuessesAreSlowed) {
    web::ServerOptions options;
    options.token = "rig+pass&1";
    StartServer(options);
    const std::string url = m_Server->Url();
    const std::string query = url.substr(url.find('?'));
    TestClient right;
    EXPECT_EQ(101, right.Connect(Port(), {"/ws" + query, "", std::nullopt}));
    int slowed = 0;
    for (int guess = 0; guess < 30; ++guess) {
        TestClient client;
        slowed += client.Connect(Port(), {"/ws?token=" + std::to_string(1000 + guess), "",
                                          std::nullopt}) == 429;
    }
    EXPECT_GE(slowed, 15);
    TestClient elsewhere;
    EXPECT_EQ(101, elsewhere.Connect(Port(), {"/ws" + query, "", std::nullopt, 0, "127.0.0.2"}));
}

TEST_F(ServerTest, IdleStrangersLeaveRoomForTheToken) {
    web::ServerOptions options;
    options.token = "s3cret";
    StartServer(options);
    asio::io_context ioc;
    std::vector<tcp::socket> strangers;
    for (int i = 0; i < 64; ++i) {
        tcp::socket& socket = strangers.emplace_back(ioc);
        socket.open(tcp::v4());
        socket.bind({asio::ip::make_address("127.0.0.2"), 0});
        beast::error_code ec;
        socket.connect({asio::ip::make_address("127.0.0.1"), Port()}, ec);
    }
    TestClient client;
    EXPECT_EQ(101, client.Connect(Port(), {"/ws?token=s3cret", "", std::nullopt}));
}

TEST_F(ServerTest, LoggedTextIsQuotedAndFloodsAreCounted) {
    // Shared with the server, which still logs while it stops.
    struct Log {
        std::mutex mutex;
        std::vector<std::string> lines;
    };
    auto log = std::make_shared<Log>();
    web::ServerOptions options;
    options.log = [log](const std::string& line) {
        const std::lock_guard<std::mutex> lock(log->mutex);
        log->lines.push_back(line);
    };
    StartServer(options);
    auto client = Open();
    client->Send(R"({"command":"x\npedestal-web: forged\u001b[2J"})");
    // In batches, read back, so that neither side's buffers fill.
    for (int i = 1; i <= 1000; ++i) {
        client->Send(R"({"id":)" + std::to_string(i % 50) + R"(,"command":"nope"})");
        if (i % 50 == 0) {
            ASSERT_TRUE(client->ReadUntil(R"({"error":"unknown-command","id":0,)"));
        }
    }
    const std::lock_guard<std::mutex> lock(log->mutex);
    const std::vector<std::string>& lines = log->lines;
    EXPECT_LT(lines.size(), 20u);
    for (const std::string& line : lines)
        EXPECT_TRUE(std::none_of(line.begin(), line.end(), [](unsigned char c) {
            return c < 0x20 || c == 0x7f;
        })) << line;
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(std::string::npos, lines.front().find(R"(x\x0apedestal-web: forged\x1b[2J)"));
}

TEST_F(ServerTest, PromptReaderStaysWhileOthersFloodBrakes) {
    StartServer();
    auto reader = Open();
    std::atomic<bool> stop{false};
    std::vector<std::thread> flooders;
    for (int i = 0; i < 60; ++i)
        flooders.emplace_back([&] {
            TestClient client;
            if (client.Connect(Port()) != 101)
                return;
            while (!stop) {
                client.Send(R"({"command":"brakes"})");
                if (!client.ReadUntil("\"ok\""))
                    return;
            }
        });
    bool open = true;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (open && std::chrono::steady_clock::now() < end)
        open = reader->Read(std::chrono::seconds(2)).has_value();
    stop = true;
    for (std::thread& flooder : flooders)
        flooder.join();
    EXPECT_TRUE(open);
}

} // namespace

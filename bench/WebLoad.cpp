// The browser server under load, measured from outside as clients see it:
// a running pedestal-web (or Pedestal --web) on a block of its own.
//   latency: command sent -> the block's bytes written, over loopback, p50/p99
//   fan-out: N clients each receiving every change; the server process's CPU
//            as a share of one core and its resident memory per client,
//            against the same server with no client in the same run.
//   flood:   60 clients each keeping one "brakes" in flight and one client
//            that only reads: the server's CPU, whether the reader stays, and
//            the tick's period as the block's heartbeat shows it.
// Usage: WebLoad PORT BLOCK SERVER_PID [CLIENTS] [SECONDS] [COMMANDS]
// Linux only: it reads the server's /proc entries.
// A load client for bench/web-bench.sh, not a tool for users: its argument
// handling and arithmetic are kept plain.
// NOLINTBEGIN(cert-err34-c,bugprone-exception-escape,bugprone-incorrect-roundings,performance-inefficient-vector-operation)
#include "platform/Platform.h"
#include "shm/TS_P_0001_02_genericSim.h"

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

struct ProcessSample {
    double cpuSeconds = 0;
    long rssKb = 0;
};

ProcessSample Sample(int pid) {
    ProcessSample sample;
    // Every thread's time on a CPU: the server's own thread included.
    const std::string proc = "/proc/" + std::to_string(pid);
    for (const auto& task : std::filesystem::directory_iterator(proc + "/task")) {
        std::ifstream schedstat(task.path() / "schedstat");
        long long ns = 0;
        schedstat >> ns;
        sample.cpuSeconds += static_cast<double>(ns) / 1e9;
    }
    std::ifstream status(proc + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            sample.rssKb = std::atol(line.c_str() + 6);
    }
    return sample;
}

websocket::stream<tcp::socket> Connect(asio::io_context& ioc, unsigned short port) {
    websocket::stream<tcp::socket> ws(ioc);
    ws.next_layer().connect({asio::ip::make_address("127.0.0.1"), port});
    ws.handshake("127.0.0.1:" + std::to_string(port), "/ws");
    return ws;
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

void Latency(unsigned short port, GenericSimBlock* block, int commands) {
    asio::io_context ioc;
    auto ws = Connect(ioc, port);
    beast::flat_buffer buffer;
    std::vector<double> writeUs;
    std::vector<double> replyUs;
    for (int i = 0; i < commands; ++i) {
        const int detent = 1 + i % 2;
        const std::string message = R"({"id":)" + std::to_string(i) + R"(,"command":"flap)" +
                                    std::to_string(detent) + "\"}";
        const auto start = Clock::now();
        ws.write(asio::buffer(message));
        volatile std::uint8_t* flag = &block->flapLever[detent];
        const auto deadline = start + std::chrono::seconds(1);
        while (*flag != 1 && Clock::now() < deadline) {
        }
        writeUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        for (;;) {
            ws.read(buffer);
            const std::string text = beast::buffers_to_string(buffer.data());
            buffer.consume(buffer.size());
            if (text.find("\"ok\"") != std::string::npos)
                break;
        }
        replyUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    ws.close(websocket::close_code::normal);
    std::printf("command -> block write over loopback, %d commands: p50 %.0f us, p99 %.0f us, "
                "max %.0f us (goal p99 < 2000 us)\n",
                commands, Percentile(writeUs, 0.5), Percentile(writeUs, 0.99),
                *std::max_element(writeUs.begin(), writeUs.end()));
    std::printf("command -> reply: p50 %.0f us, p99 %.0f us\n", Percentile(replyUs, 0.5),
                Percentile(replyUs, 0.99));
}

// Another writer moving the flaps every other tick, so every change shows.
class FlapMover {
public:
    explicit FlapMover(GenericSimBlock* block) : m_Block(block) {}
    int Run(double seconds) {
        int moves = 0;
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < end) {
            for (int f = 0; f < 5; ++f)
                m_Block->flapLever[f] = f == moves % 5 ? 1 : 0;
            ++moves;
            std::this_thread::sleep_for(std::chrono::milliseconds(120));
        }
        return moves;
    }

private:
    GenericSimBlock* m_Block;
};

struct Measured {
    double cpuShare;
    long rssKb;
};

Measured Measure(int pid, GenericSimBlock* block, double seconds, int* moves) {
    FlapMover mover(block);
    mover.Run(1.0); // settle
    const ProcessSample before = Sample(pid);
    *moves = mover.Run(seconds);
    const ProcessSample after = Sample(pid);
    return {(after.cpuSeconds - before.cpuSeconds) / seconds, after.rssKb};
}

// One client keeping a "brakes" command in flight, or (flooding false) one
// that only reads; both read every message promptly.
struct FloodClient {
    FloodClient(asio::io_context& ioc, unsigned short port, bool flooding)
        : ws(Connect(ioc, port)), flooding(flooding) {}
    void Start() {
        if (flooding)
            ws.async_write(asio::buffer(kBrakes, sizeof kBrakes - 1),
                           [this](beast::error_code ec, std::size_t) {
                               if (!ec)
                                   Read();
                           });
        else
            Read();
    }
    void Read() {
        ws.async_read(buffer, [this](beast::error_code ec, std::size_t) {
            if (ec) {
                closed = true;
                return;
            }
            ++messages;
            const bool reply =
                beast::buffers_to_string(buffer.data()).find("\"ok\"") != std::string::npos;
            buffer.consume(buffer.size());
            if (reply && flooding) {
                ++commands;
                Start();
            } else {
                Read();
            }
        });
    }
    static constexpr char kBrakes[] = R"({"command":"brakes"})";
    websocket::stream<tcp::socket> ws;
    beast::flat_buffer buffer;
    bool flooding;
    bool closed = false;
    long messages = 0;
    long commands = 0;
};

void Flood(unsigned short port, GenericSimBlock* block, int pid, double seconds, double idleCpu) {
    asio::io_context ioc;
    std::vector<std::unique_ptr<FloodClient>> clients;
    for (int i = 0; i < 60; ++i)
        clients.push_back(std::make_unique<FloodClient>(ioc, port, true));
    FloodClient reader(ioc, port, false);
    reader.Start();
    for (auto& client : clients)
        client->Start();
    std::thread loop([&] { ioc.run(); });
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const ProcessSample before = Sample(pid);
    // The heartbeat rises once per tick: its gaps are the tick's period.
    volatile std::int32_t* heartbeat = &block->aidControlsHeartbeat;
    std::int32_t last = *heartbeat;
    auto lastChange = Clock::now();
    std::vector<double> gapsMs;
    const auto end = lastChange + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
        if (*heartbeat != last) {
            const auto now = Clock::now();
            gapsMs.push_back(std::chrono::duration<double, std::milli>(now - lastChange).count());
            last = *heartbeat;
            lastChange = now;
        }
    }
    const ProcessSample after = Sample(pid);
    ioc.stop();
    loop.join();
    long commands = 0;
    for (auto& client : clients)
        commands += client->commands;
    const double cpu = (after.cpuSeconds - before.cpuSeconds) / seconds;
    std::printf("flood: 60 clients, %.0f commands/s; server CPU %.2f%% of one core (%.1fx idle)\n",
                static_cast<double>(commands) / seconds, 100.0 * cpu,
                idleCpu > 0 ? cpu / idleCpu : 0.0);
    std::printf("flood: the reading client %s, %ld messages; tick p50 %.1f ms, max %.1f ms "
                "(goal 60)\n",
                reader.closed ? "WAS DROPPED" : "stayed", reader.messages,
                gapsMs.empty() ? 0.0 : Percentile(gapsMs, 0.5),
                gapsMs.empty() ? 0.0 : *std::max_element(gapsMs.begin(), gapsMs.end()));
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: WebLoad PORT BLOCK SERVER_PID [CLIENTS] [SECONDS] [COMMANDS]\n");
        return 2;
    }
    const auto port = static_cast<unsigned short>(std::atoi(argv[1]));
    const std::string blockName = argv[2];
    const int pid = std::atoi(argv[3]);
    const int clients = argc > 4 ? std::atoi(argv[4]) : 100;
    const double seconds = argc > 5 ? std::atof(argv[5]) : 10.0;
    const int commands = argc > 6 ? std::atoi(argv[6]) : 2000;

    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, 0, blockName.c_str());
    void* view =
        mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0) : nullptr;
    if (view == nullptr || GetMappedViewSize(view) < sizeof(GenericSimBlock)) {
        std::fprintf(stderr, "WebLoad: cannot map block %s\n", blockName.c_str());
        return 1;
    }
    auto* block = static_cast<GenericSimBlock*>(view);

    Latency(port, block, commands);

    int moves = 0;
    const Measured idle = Measure(pid, block, seconds, &moves);

    asio::io_context ioc;
    std::vector<std::unique_ptr<websocket::stream<tcp::socket>>> sockets;
    std::vector<beast::flat_buffer> buffers(static_cast<std::size_t>(clients));
    std::vector<int> flapMessages(static_cast<std::size_t>(clients), 0);
    std::atomic<bool> counting{false};
    for (int i = 0; i < clients; ++i)
        sockets.push_back(std::make_unique<websocket::stream<tcp::socket>>(Connect(ioc, port)));
    std::function<void(std::size_t)> read = [&](std::size_t i) {
        sockets[i]->async_read(buffers[i], [&, i](beast::error_code ec, std::size_t) {
            if (ec)
                return;
            const std::string text = beast::buffers_to_string(buffers[i].data());
            buffers[i].consume(buffers[i].size());
            if (counting && text.find("\"flapBitmap\"") != std::string::npos)
                ++flapMessages[i];
            read(i);
        });
    };
    for (std::size_t i = 0; i < sockets.size(); ++i)
        read(i);
    std::thread reader([&] { ioc.run(); });
    std::this_thread::sleep_for(std::chrono::seconds(1));
    counting = true;
    int loadedMoves = 0;
    const Measured loaded = Measure(pid, block, seconds, &loadedMoves);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    counting = false;
    ioc.stop();
    reader.join();

    const int fewest = *std::min_element(flapMessages.begin(), flapMessages.end());
    std::printf("server with no client: CPU %.2f%% of one core, RSS %ld kB\n",
                100.0 * idle.cpuShare, idle.rssKb);
    std::printf("server with %d clients: CPU %.2f%% of one core (goal < 5%%), RSS %ld kB, "
                "%.1f kB per client\n",
                clients, 100.0 * loaded.cpuShare, loaded.rssKb,
                static_cast<double>(loaded.rssKb - idle.rssKb) / clients);
    std::printf("changes made %d (+1 settling), fewest flap changes a client received %d\n",
                loadedMoves, fewest);
    sockets.clear();
    Flood(port, block, pid, seconds, idle.cpuShare);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return 0;
}
// NOLINTEND(cert-err34-c,bugprone-exception-escape,bugprone-incorrect-roundings,performance-inefficient-vector-operation)

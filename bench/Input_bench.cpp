// Levers to the block: a virtual throttle's movement until the core's thread
// has written it, in this process and over loopback through the browser
// server, as p50 and p99 counters; and the CPU of a ticking core with a still
// device attached against none, as a ratio in one run.
#include "input/Service.h"
#include "input/VirtualDevice.h"
#include "panel/PedestalCore.h"
#include "shm/TS_P_0001_02_genericSim.h"
#include "tools/pedestal-input/Remote.h"
#include "web/Server.h"

#include <benchmark/benchmark.h>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

namespace asio = boost::asio;
using namespace pedestal::input;
using Clock = std::chrono::steady_clock;

namespace {

// A core on a thread of its own with the window's 60 ms tick.
class CoreThread {
public:
    CoreThread() : m_Work(asio::make_work_guard(m_Loop)), m_Tick(m_Loop) {
        m_Core.GetAttachment().UseBlock(m_pBlock.get());
        Schedule();
        m_Thread = std::thread([this] { m_Loop.run(); });
    }
    // join() throws only for a thread that never ran: a fault of this helper.
    ~CoreThread() { // NOLINT(bugprone-exception-escape)
        asio::post(m_Loop, [this] { m_Tick.cancel(); });
        m_Work.reset();
        m_Thread.join();
    }
    void Post(std::function<void(PedestalCore&)> task) {
        asio::post(m_Loop, [this, task = std::move(task)] {
            task(m_Core);
            Check();
        });
    }
    // Waits until lever 1 holds value; the time it was seen written.
    Clock::time_point WaitFor(double value) {
        std::unique_lock lock(m_Mutex);
        m_Wanted = value;
        m_Seen.reset();
        m_Changed.wait_for(lock, std::chrono::seconds(2), [this] { return m_Seen.has_value(); });
        return m_Seen.value_or(Clock::now());
    }

private:
    void Check() {
        std::lock_guard lock(m_Mutex);
        if (!m_Seen && m_pBlock->thrustLever[0] == m_Wanted) {
            m_Seen = Clock::now();
            m_Changed.notify_all();
        }
    }
    void Schedule() {
        m_Tick.expires_after(std::chrono::milliseconds(PedestalCore::kStatusPeriodMs));
        m_Tick.async_wait([this](const boost::system::error_code& ec) {
            if (ec)
                return;
            m_Core.Tick();
            Schedule();
        });
    }

    asio::io_context m_Loop{1};
    asio::executor_work_guard<asio::io_context::executor_type> m_Work;
    asio::steady_timer m_Tick;
    std::unique_ptr<GenericSimBlock> m_pBlock = std::make_unique<GenericSimBlock>();
    PedestalCore m_Core;
    std::thread m_Thread;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    double m_Wanted = -1;
    std::optional<Clock::time_point> m_Seen;

public:
    asio::io_context& Loop() { return m_Loop; }
    PedestalCore& Core() { return m_Core; }
};

std::filesystem::path Bindings(const std::string& device) {
    auto path = std::filesystem::temp_directory_path() /
                ("pedestal-input-bench-" + std::to_string(getpid()) + ".toml");
    std::ofstream(path) << "[[device]]\nname = \"" << device
                        << "\"\n[[device.axis]]\nindex = 0\nfunction = \"thrust\"\n"
                           "detents = [-32768, -9000, 14000, 30000]\n";
    return path;
}

void Percentiles(benchmark::State& state, std::vector<double>& ms) {
    if (ms.empty())
        return;
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double share) {
        return ms[std::min(ms.size() - 1, static_cast<std::size_t>(share * ms.size()))];
    };
    state.counters["p50_ms"] = at(0.50);
    state.counters["p99_ms"] = at(0.99);
}

// Moves the lever between CL and FLX/MCT and times each write.
void Drive(benchmark::State& state, VirtualDevice& device, CoreThread& core) {
    std::vector<double> ms;
    bool flex = false;
    for (auto _ : state) {
        flex = !flex;
        const auto start = Clock::now();
        device.Axis(0, flex ? 14000 : -9000);
        const auto seen = core.WaitFor(flex ? 96.0 : 79.0);
        const double elapsed = std::chrono::duration<double>(seen - start).count();
        state.SetIterationTime(elapsed);
        ms.push_back(elapsed * 1000);
    }
    Percentiles(state, ms);
}

void BM_LeverToBlock_InProcess(benchmark::State& state) {
    const std::string name = "Bench Throttle " + std::to_string(getpid());
    VirtualDevice device(name, 2, 2);
    device.Axis(0, -32768);
    device.Settle();
    CoreThread core;
    const auto path = Bindings(name);
    Service service(
        path,
        [&core](const Action& action) {
            core.Post([action](PedestalCore& c) { Apply(c, action); });
        },
        [](const std::string&) {});
    service.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Drive(state, device, core);
    service.Stop();
    std::filesystem::remove(path);
}
BENCHMARK(BM_LeverToBlock_InProcess)
    ->UseManualTime()
    ->Iterations(400)
    ->Unit(benchmark::kMillisecond);

void BM_LeverToBlock_Loopback(benchmark::State& state) {
    const std::string name = "Bench Remote Throttle " + std::to_string(getpid());
    VirtualDevice device(name, 2, 2);
    device.Axis(0, -32768);
    device.Settle();
    CoreThread core;
    web::ServerOptions options;
    options.port = 0;
    options.token = "bench";
    web::Server server(options,
                       [&core](web::Server::CoreTask task) { core.Post(std::move(task)); });
    std::string error;
    if (!server.Start(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    asio::io_context loop(1);
    auto work = asio::make_work_guard(loop);
    pedestal_input::RemoteAddress address;
    pedestal_input::ParseAddress(server.Url(), &address, &error);
    pedestal_input::RemoteClient client(loop, address, [](const std::string&) {});
    asio::post(loop, [&] { client.Start(); });
    std::thread network([&] { loop.run(); });
    const auto path = Bindings(name);
    Service service(
        path, [&client](const Action& action) { client.Send(action); }, [](const std::string&) {});
    service.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Drive(state, device, core);
    service.Stop();
    asio::post(loop, [&] { client.Stop(); });
    work.reset();
    loop.stop();
    network.join();
    server.Stop();
    std::filesystem::remove(path);
}
BENCHMARK(BM_LeverToBlock_Loopback)
    ->UseManualTime()
    ->Iterations(400)
    ->Unit(benchmark::kMillisecond);

// Process CPU per second of a ticking core, with a still virtual device read
// by the service (arg 1) or with no service at all (arg 0, the baseline).
void BM_TickingCoreCpu(benchmark::State& state) {
    const bool withDevice = state.range(0) != 0;
    const std::string name = "Bench Still Throttle " + std::to_string(getpid());
    std::unique_ptr<VirtualDevice> device;
    std::unique_ptr<Service> service;
    const auto path = Bindings(name);
    CoreThread core;
    if (withDevice) {
        device = std::make_unique<VirtualDevice>(name, 2, 2);
        service = std::make_unique<Service>(
            path, [](const Action&) {}, [](const std::string&) {});
        service->Start();
    }
    // Starting SDL is no part of a still device's cost.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    double cpuSeconds = 0;
    for (auto _ : state) {
        const std::clock_t start = std::clock();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        cpuSeconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        state.SetIterationTime(cpuSeconds / 2);
    }
    state.counters["cpu_ms_per_s"] = cpuSeconds / 2 * 1000;
    if (service)
        service->Stop();
    std::filesystem::remove(path);
}
BENCHMARK(BM_TickingCoreCpu)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

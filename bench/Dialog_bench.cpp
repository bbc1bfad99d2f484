// The cost of one status tick of the pedestal window, offscreen: with nothing
// changed (the usual tick) and with all four pictures changing, against the
// five label updates every tick makes as its floor.
#include "dialog/PedestalDlg.h"
#include "panel/PedestalTemplate.h"
#include "shm/TS_P_0001_02_genericSim.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>

#include <benchmark/benchmark.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

struct BenchWindow {
    BenchWindow()
        : name("PedestalBench_" + std::to_string(getpid())),
          dlg(std::make_unique<CPedestalDlg>(nullptr, name.c_str())) {
        dlg->SetMessageBoxFunction([](QWidget*, const QString&, const QString&) {});
        dlg->OnInitDialog();
        dlg->UseBlockForTest(&block);
    }
    ~BenchWindow() {
        dlg.reset();
        shm_unlink(("/" + name).c_str());
    }
    void Click(int id) { static_cast<QAbstractButton*>(dlg->GetDlgItem(id))->click(); }

    std::string name;
    GenericSimBlock block{};
    std::unique_ptr<CPedestalDlg> dlg;
};

void BM_TickNoChange(benchmark::State& state) {
    BenchWindow window;
    window.dlg->OnTimer(0);
    for (auto _ : state)
        window.dlg->OnTimer(0);
    benchmark::DoNotOptimize(window.block.aidControlsHeartbeat);
}
BENCHMARK(BM_TickNoChange);

void BM_TickAllPicturesChange(benchmark::State& state) {
    BenchWindow window;
    bool landing = false;
    for (auto _ : state) {
        state.PauseTiming();
        landing = !landing;
        std::memset(window.block.flapLever, 0, sizeof window.block.flapLever);
        window.block.flapLever[landing ? 4 : 0] = 1;
        window.block.thrustLever[0] = landing ? 0.0 : 98.0;
        window.block.gearLeverUp = landing ? 0 : 1;
        window.Click(landing ? IDC_SPEED_BRAKE_OUT : IDC_SPEED_BRAKE_IN);
        state.ResumeTiming();
        window.dlg->OnTimer(0);
    }
}
BENCHMARK(BM_TickAllPicturesChange);

// The floor: the five static texts a tick writes, with nothing else.
void BM_BaselineFiveTexts(benchmark::State& state) {
    BenchWindow window;
    window.dlg->OnTimer(0);
    const int ids[] = {IDC_FLAP_TEXT, IDC_GEAR_TEXT, IDC_SPEED_BRAKE_TEXT, IDC_THRUST_TEXT,
                       IDC_BRAKES_TEXT};
    const char* texts[] = {"Flaps Up  ", "Gear Down", "Speed Brake In", "IDLE", "Brakes Off"};
    QLabel* labels[5];
    for (int i = 0; i < 5; ++i)
        labels[i] = static_cast<QLabel*>(window.dlg->GetDlgItem(ids[i]));
    for (auto _ : state) {
        for (int i = 0; i < 5; ++i)
            labels[i]->setText(QString::fromLatin1(texts[i]));
    }
}
BENCHMARK(BM_BaselineFiveTexts);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

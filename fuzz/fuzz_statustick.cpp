// The window's status tick against arbitrary block contents. Every one of the
// block's 128648 bytes comes from the input (repeated when the input is
// shorter), so every flag pattern, NaN and infinite thrust, any brake demand
// and an extreme heartbeat reach the tick. The rest of the input is a script
// of ticks, button clicks and slider releases on a fresh offscreen dialog.
// After each step the block, the five texts and the four pictures are checked
// against the display rules; a tick may change nothing in the block but the
// speed-brake lever and the heartbeat.
#include "dialog/PedestalDlg.h"
#include "panel/PedestalStatus.h"
#include "panel/PedestalTemplate.h"
#include "fuzz/FuzzCheck.h"
#include "shm/TS_P_0001_02_genericSim.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <fuzzer/FuzzedDataProvider.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>

using namespace PedestalStatus;

namespace {

std::string g_BlockName;

void RemoveBlock() {
    shm_unlink(("/" + g_BlockName).c_str());
}

// The display the rules call for, kept beside the dialog.
struct Model {
    int flapState = kFlapsUp;
    bool speedBrakeIn = true;
};

const unsigned char* Bytes(const GenericSimBlock& b) {
    return reinterpret_cast<const unsigned char*>(&b);
}

// Whether the bytes outside [offset, offset + width) of the listed fields are
// the same in both blocks.
struct Field {
    std::size_t offset;
    std::size_t width;
};

template <std::size_t N>
bool SameOutside(const GenericSimBlock& a, const GenericSimBlock& b, const Field (&fields)[N]) {
    std::size_t at = 0;
    for (const Field& f : fields) {
        if (std::memcmp(Bytes(a) + at, Bytes(b) + at, f.offset - at) != 0)
            return false;
        at = f.offset + f.width;
    }
    return std::memcmp(Bytes(a) + at, Bytes(b) + at, sizeof(GenericSimBlock) - at) == 0;
}

QString Text(const CPedestalDlg& dlg, int id) {
    auto* label = qobject_cast<QLabel*>(dlg.GetDlgItem(id));
    FUZZ_CHECK(label != nullptr);
    return label->text();
}

bool Shows(const CPedestalDlg& dlg, int pictureId, int bitmapId) {
    auto* label = qobject_cast<QLabel*>(dlg.GetDlgItem(pictureId));
    FUZZ_CHECK(label != nullptr);
    const QPixmap shown = label->pixmap();
    const QPixmap& wanted = dlg.Bitmap(bitmapId);
    return shown.cacheKey() == wanted.cacheKey() || shown.toImage() == wanted.toImage();
}

void Tick(CPedestalDlg& dlg, GenericSimBlock& block, Model& model, int timerId) {
    const auto before = std::make_unique<GenericSimBlock>(block);
    const std::int32_t holdOff = dlg.SliderHoldOff();
    auto* slider = qobject_cast<QSlider*>(dlg.GetDlgItem(IDC_THRUST_SLIDER));
    FUZZ_CHECK(slider != nullptr);
    const int sliderBefore = slider->value();

    dlg.OnTimer(timerId);

    static constexpr Field kTickWrites[] = {{offsetof(GenericSimBlock, aidControlsHeartbeat), 4},
                                            {offsetof(GenericSimBlock, speedBrakeLever), 4}};
    FUZZ_CHECK(SameOutside(block, *before, kTickWrites));
    FUZZ_CHECK(
        block.aidControlsHeartbeat ==
        static_cast<std::int32_t>(static_cast<std::uint32_t>(before->aidControlsHeartbeat) + 1u));
    FUZZ_CHECK(block.speedBrakeLever == (model.speedBrakeIn ? 1 : 3));
    FUZZ_CHECK(dlg.SliderHoldOff() ==
               static_cast<std::int32_t>(static_cast<std::uint32_t>(holdOff) - 1u));

    for (int i = 0; i < kFlapFlags; ++i)
        if (block.flapLever[i] != 0)
            model.flapState = i;
    const double x = block.thrustLever[0];
    const int thrust = !(x >= -10) ? 0
                       : x < 2.0   ? kThrustIdle
                       : x < 80.0  ? kThrustCl
                       : x < 97.0  ? kThrustFlxMct
                                   : kThrustToGa;
    const bool gearUp = block.gearLeverUp != 0;
    const bool brakes =
        block.brakeDemand[0] > 0.5 || block.brakeDemand[1] > 0.5 || block.brakeDemand[2] > 0.5;

    static const char* const kFlapTexts[] = {"Flaps Up  ", "Flaps 1   ", "Flaps 2   ", "Flaps 3   ",
                                             "Flaps Full"};
    static const char* const kThrustTexts[] = {"TO/GA", "", "IDLE", "CL", "MCT/FLX", "TO/GA"};
    FUZZ_CHECK(Text(dlg, IDC_FLAP_TEXT) == QLatin1String(kFlapTexts[model.flapState]));
    FUZZ_CHECK(Text(dlg, IDC_THRUST_TEXT) == QLatin1String(kThrustTexts[thrust]));
    FUZZ_CHECK(Text(dlg, IDC_SPEED_BRAKE_TEXT) ==
               QLatin1String(model.speedBrakeIn ? "Speed Brake In" : "Speed Brake Out"));
    FUZZ_CHECK(Text(dlg, IDC_GEAR_TEXT) == QLatin1String(gearUp ? "Gear Up" : "Gear Down"));
    FUZZ_CHECK(Text(dlg, IDC_BRAKES_TEXT) == QLatin1String(brakes ? "Brakes On" : "Brakes Off"));

    static const int kFlapBitmaps[] = {131, 133, 134, 135, 136};
    static const int kThrustBitmaps[] = {143, 0, 141, 144, 142, 143};
    FUZZ_CHECK(Shows(dlg, IDC_FLAP_PICTURE, kFlapBitmaps[model.flapState]));
    FUZZ_CHECK(Shows(dlg, IDC_THRUST_PICTURE, kThrustBitmaps[thrust]));
    FUZZ_CHECK(Shows(dlg, IDC_SPEED_BRAKE_PICTURE, model.speedBrakeIn ? 137 : 138));
    FUZZ_CHECK(Shows(dlg, IDC_GEAR_PICTURE, gearUp ? 140 : 139));

    // The slider follows the block only on the tick that sees the hold-off at
    // -1, and then only when 100 - trunc(x) is a position at all.
    const bool follows = holdOff == -1 && std::isfinite(x) && std::fabs(x) < 2e9;
    if (follows) {
        const long long position = 100 - static_cast<long long>(std::trunc(x));
        FUZZ_CHECK(slider->value() ==
                   std::clamp<long long>(position, slider->minimum(), slider->maximum()));
    } else if (holdOff != -1) {
        FUZZ_CHECK(slider->value() == sliderBefore);
    }

    // The rule itself, whatever the hold-off: within the int range the
    // position is 100 - trunc(x) unchanged; outside it, or for NaN, the
    // routine may refuse but must not touch the position it was given.
    int position = 12345;
    const bool given = SliderPositionFor(x, &position);
    const bool inRange = std::isfinite(x) && std::fabs(std::trunc(x)) <= 2147483547.0;
    if (inRange) {
        FUZZ_CHECK(given);
        FUZZ_CHECK(position == 100 - static_cast<int>(std::trunc(x)));
    } else if (!given) {
        FUZZ_CHECK(position == 12345);
    }
}

void Click(CPedestalDlg& dlg, GenericSimBlock& block, Model& model, int id) {
    const auto before = std::make_unique<GenericSimBlock>(block);
    auto* button = qobject_cast<QPushButton*>(dlg.GetDlgItem(id));
    FUZZ_CHECK(button != nullptr);
    button->click();

    static constexpr Field kNone[] = {{0, 0}};
    static constexpr Field kFlaps[] = {{offsetof(GenericSimBlock, flapLever), 5}};
    static constexpr Field kGear[] = {{offsetof(GenericSimBlock, gearDownSelected), 2},
                                      {offsetof(GenericSimBlock, gearLeverUp), 1}};
    static constexpr Field kBrakes[] = {{offsetof(GenericSimBlock, brakeDemand), 24}};
    static constexpr Field kThrust[] = {{offsetof(GenericSimBlock, thrustLever), 16}};
    if (id >= IDC_FLAP_UP && id <= IDC_FLAP_FULL) {
        FUZZ_CHECK(SameOutside(block, *before, kFlaps));
        for (int i = 0; i < kFlapFlags; ++i)
            FUZZ_CHECK(block.flapLever[i] == (i == id - IDC_FLAP_UP ? 1 : 0));
    } else if (id == IDC_SPEED_BRAKE_IN || id == IDC_SPEED_BRAKE_OUT) {
        // The selection stays in the window until the next tick writes it.
        FUZZ_CHECK(SameOutside(block, *before, kNone));
        model.speedBrakeIn = id == IDC_SPEED_BRAKE_IN;
    } else if (id == IDC_GEAR_UP || id == IDC_GEAR_DOWN) {
        FUZZ_CHECK(SameOutside(block, *before, kGear));
        FUZZ_CHECK((block.gearLeverUp != 0) == (id == IDC_GEAR_UP));
    } else if (id == IDC_BRAKES) {
        FUZZ_CHECK(SameOutside(block, *before, kBrakes));
        FUZZ_CHECK(block.brakeDemand[0] == block.brakeDemand[1] &&
                   block.brakeDemand[1] == block.brakeDemand[2]);
    } else {
        FUZZ_CHECK(SameOutside(block, *before, kThrust));
        FUZZ_CHECK(block.thrustLever[0] == block.thrustLever[1]);
        static constexpr int kDetents[] = {kThrustToGa, kThrustFlxMct, kThrustCl, kThrustIdle};
        FUZZ_CHECK(ThrustStateOf(block.thrustLever[0]) == kDetents[id - IDC_THRUST_TOGA]);
    }
}

void ReleaseSlider(CPedestalDlg& dlg, GenericSimBlock& block, int position) {
    const auto before = std::make_unique<GenericSimBlock>(block);
    auto* slider = qobject_cast<QSlider*>(dlg.GetDlgItem(IDC_THRUST_SLIDER));
    slider->setValue(position);
    slider->setSliderDown(true);
    slider->setSliderDown(false);
    static constexpr Field kThrust[] = {{offsetof(GenericSimBlock, thrustLever), 16}};
    FUZZ_CHECK(SameOutside(block, *before, kThrust));
    FUZZ_CHECK(block.thrustLever[0] == 100.0 - slider->value());
    FUZZ_CHECK(block.thrustLever[1] == block.thrustLever[0]);
    FUZZ_CHECK(dlg.SliderHoldOff() == kSliderHoldOffTicks);
}

// One dialog for the whole run: building a window per input would cost more
// than the ticks. It is brought to a known display before every input.
CPedestalDlg* g_Dialog = nullptr;
GenericSimBlock* g_Block = nullptr;

void Reset(CPedestalDlg& dlg, GenericSimBlock& block, Model& model) {
    block = GenericSimBlock{};
    block.flapLever[kFlapsUp] = 1;
    qobject_cast<QPushButton*>(dlg.GetDlgItem(IDC_SPEED_BRAKE_IN))->click();
    model = Model{};
    Tick(dlg, block, model, CPedestalDlg::kStatusTimerId);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    g_BlockName = "PedestalFuzzTick" + std::to_string(getpid());
    RemoveBlock();
    std::atexit(RemoveBlock);
    static QApplication app(*argc, *argv);
    static CPedestalDlg dlg(nullptr, g_BlockName.c_str());
    dlg.SetMessageBoxFunction([](QWidget*, const QString&, const QString&) {});
    dlg.OnInitDialog();
    static auto block = std::make_unique<GenericSimBlock>();
    dlg.UseBlockForTest(block.get());
    g_Dialog = &dlg;
    g_Block = block.get();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CPedestalDlg& dlg = *g_Dialog;
    GenericSimBlock& block = *g_Block;
    Model model;
    Reset(dlg, block, model);

    auto* bytes = reinterpret_cast<unsigned char*>(&block);
    for (std::size_t i = 0; size != 0 && i < sizeof(GenericSimBlock); ++i)
        bytes[i] = data[i % size];

    FuzzedDataProvider in(data, size);
    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
        const int action = in.ConsumeIntegralInRange(0, 15);
        if (action <= 5) {
            Tick(dlg, block, model, in.ConsumeIntegral<int>());
        } else if (action <= 13) {
            static constexpr int kButtons[] = {
                IDC_FLAP_UP,   IDC_FLAP_1,         IDC_FLAP_2,          IDC_FLAP_3,
                IDC_FLAP_FULL, IDC_SPEED_BRAKE_IN, IDC_SPEED_BRAKE_OUT, IDC_GEAR_UP,
                IDC_GEAR_DOWN, IDC_BRAKES,         IDC_THRUST_TOGA,     IDC_THRUST_FLXMCT,
                IDC_THRUST_CL, IDC_THRUST_IDLE};
            Click(dlg, block, model,
                  kButtons[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kButtons) - 1)]);
        } else if (action == 14) {
            ReleaseSlider(dlg, block, in.ConsumeIntegralInRange(-5, 105));
        } else {
            // Another writer changes the thrust lever between ticks.
            const auto bits = in.ConsumeIntegral<std::uint64_t>();
            std::memcpy(&block.thrustLever[0], &bits, sizeof bits);
        }
    }
    return 0;
}

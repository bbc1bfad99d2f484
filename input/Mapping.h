// Levers and buttons as pedestal commands, free of any device library: a raw
// axis value goes through its calibration to a thrust value or a detent, a
// button press to its bound command. A lever writes only when it moves, so a
// click in a window stands until the lever is moved again.
#pragma once

#include "panel/Commands.h"

#include <optional>
#include <string_view>
#include <vector>

namespace pedestal::input {

// What the core is told: a command and its argument (see Command).
struct Action {
    Command command = Command::FlapUp;
    int argument = 0;
    bool operator==(const Action&) const = default;
};

enum class Function { Thrust, Thrust1, Thrust2, Flaps, SpeedBrake };

std::optional<Function> FunctionNamed(std::string_view name);
const char* FunctionName(Function function);
// How many detents the function is calibrated by, and their names.
int DetentCount(Function function);
const char* DetentName(Function function, int detent);

// The thrust commands write exactly these at the detents (idle, CL, FLX/MCT,
// TO/GA), in thousandths of a percent.
inline constexpr int kThrustDetentValues[4] = {0, 79000, 96000, 98000};

// Raw values the devices report lie in this range (SDL's and WinMM's
// readings are scaled to it).
inline constexpr int kRawMin = -32768;
inline constexpr int kRawMax = 32767;

struct AxisBinding {
    int index = 0;
    Function function = Function::Thrust;
    // Raw value at each detent, strictly increasing or strictly decreasing.
    std::vector<int> detents;
    // Percent of the raw range; a smaller move writes nothing.
    double deadbandPercent = 0.0;
};

struct ButtonBinding {
    int index = 0;
    Command command = Command::GearUp;
};

// Thrust in thousandths of a percent for a raw value: piecewise linear
// through the detents' values, held at idle and TO/GA beyond them.
int ThrustArgument(const std::vector<int>& detents, int raw);

// The detent a raw value is nearest to, staying at current unless the value
// lies past the midpoint towards another by the hysteresis margin.
int NearestDetent(const std::vector<int>& detents, int raw, int current);

// One calibrated axis. The first value it sees only sets where the lever
// rests: opening a device writes nothing.
class AxisMapper {
public:
    explicit AxisMapper(AxisBinding binding);
    std::optional<Action> Move(int raw);
    const AxisBinding& Binding() const { return m_Binding; }

private:
    Action ActionFor(int raw);

    AxisBinding m_Binding;
    bool m_bRested = false;
    int m_LastRaw = 0;
    int m_Detent = 0;
    std::optional<Action> m_Last;
};

} // namespace pedestal::input

#include "input/Mapping.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace pedestal::input {
namespace {

struct FunctionInfo {
    Function function;
    const char* name;
    std::vector<const char*> detents;
};

const std::vector<FunctionInfo>& Functions() {
    static const std::vector<FunctionInfo> functions = {
        {Function::Thrust, "thrust", {"idle", "CL", "FLX/MCT", "TO/GA"}},
        {Function::Thrust1, "thrust1", {"idle", "CL", "FLX/MCT", "TO/GA"}},
        {Function::Thrust2, "thrust2", {"idle", "CL", "FLX/MCT", "TO/GA"}},
        {Function::Flaps, "flaps", {"Up", "1", "2", "3", "Full"}},
        {Function::SpeedBrake, "speedbrake", {"in", "out"}},
    };
    return functions;
}

const FunctionInfo& Info(Function function) {
    for (const FunctionInfo& info : Functions()) {
        if (info.function == function)
            return info;
    }
    return Functions().front();
}

// A lever between two detents leaves the one it is at only once it is this
// share of their distance past the midpoint.
constexpr double kHysteresis = 0.15;

} // namespace

std::optional<Function> FunctionNamed(std::string_view name) {
    for (const FunctionInfo& info : Functions()) {
        if (name == info.name)
            return info.function;
    }
    return std::nullopt;
}

const char* FunctionName(Function function) {
    return Info(function).name;
}

int DetentCount(Function function) {
    return static_cast<int>(Info(function).detents.size());
}

const char* DetentName(Function function, int detent) {
    const auto& names = Info(function).detents;
    return detent >= 0 && detent < static_cast<int>(names.size())
               ? names[static_cast<std::size_t>(detent)]
               : "";
}

int ThrustArgument(const std::vector<int>& detents, int raw) {
    if (detents.size() != 4)
        return 0;
    // Along the lever's travel, whichever way its raw values run.
    const double sign = detents[3] >= detents[0] ? 1.0 : -1.0;
    const double at = sign * raw;
    if (at <= sign * detents[0])
        return kThrustDetentValues[0];
    for (std::size_t i = 1; i < 4; ++i) {
        const double low = sign * detents[i - 1];
        const double high = sign * detents[i];
        if (at > high)
            continue;
        if (at == high)
            return kThrustDetentValues[i];
        const double share = (at - low) / (high - low);
        const double value = kThrustDetentValues[i - 1] +
                             share * (kThrustDetentValues[i] - kThrustDetentValues[i - 1]);
        return static_cast<int>(std::lround(value));
    }
    return kThrustDetentValues[3];
}

int NearestDetent(const std::vector<int>& detents, int raw, int current) {
    const int count = static_cast<int>(detents.size());
    if (count == 0)
        return 0;
    const auto distance = [&](int i) {
        return std::abs(static_cast<double>(raw) - detents[static_cast<std::size_t>(i)]);
    };
    int nearest = 0;
    for (int i = 1; i < count; ++i) {
        if (distance(i) < distance(nearest))
            nearest = i;
    }
    if (current < 0 || current >= count || nearest == current)
        return nearest;
    // Past the midpoint by the margin of the gap between the two detents.
    const double gap = std::abs(static_cast<double>(detents[static_cast<std::size_t>(nearest)]) -
                                detents[static_cast<std::size_t>(current)]);
    return distance(current) - distance(nearest) > 2 * kHysteresis * gap ? nearest : current;
}

AxisMapper::AxisMapper(AxisBinding binding) : m_Binding(std::move(binding)) {}

Action AxisMapper::ActionFor(int raw) {
    switch (m_Binding.function) {
    case Function::Thrust:
        return {Command::ThrustBoth, ThrustArgument(m_Binding.detents, raw)};
    case Function::Thrust1:
        return {Command::ThrustLever1, ThrustArgument(m_Binding.detents, raw)};
    case Function::Thrust2:
        return {Command::ThrustLever2, ThrustArgument(m_Binding.detents, raw)};
    case Function::Flaps:
        m_Detent = NearestDetent(m_Binding.detents, raw, m_bRested ? m_Detent : -1);
        return {Command::FlapsDetent, m_Detent};
    case Function::SpeedBrake:
        m_Detent = NearestDetent(m_Binding.detents, raw, m_bRested ? m_Detent : -1);
        return {Command::SpeedBrakeDetent, m_Detent};
    }
    return {};
}

std::optional<Action> AxisMapper::Move(int raw) {
    if (!m_bRested) {
        m_Last = ActionFor(raw);
        m_LastRaw = raw;
        m_bRested = true;
        return std::nullopt;
    }
    const double range = static_cast<double>(kRawMax) - kRawMin;
    if (std::abs(static_cast<double>(raw) - m_LastRaw) < m_Binding.deadbandPercent / 100.0 * range)
        return std::nullopt;
    m_LastRaw = raw;
    const Action action = ActionFor(raw);
    if (m_Last == action)
        return std::nullopt;
    m_Last = action;
    return action;
}

} // namespace pedestal::input

// Game controllers through WinMM's joystick API (winmm.dll, part of Windows).
// WinMM tells nothing of plugging in: each poll reads the devices it knows,
// and looks for new ones at most once a second, since asking an empty slot
// costs the driver far more than reading a present one.
#include "input/WinMM.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>

namespace pedestal::input {
namespace {

constexpr UINT kMaxSlots = 16;
constexpr int kMaxAxes = 6;

std::string Narrow(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    result.resize(static_cast<std::size_t>(size - 1));
    return result;
}

// WinMM's range of an axis onto kRawMin..kRawMax.
int Scaled(DWORD value, UINT low, UINT high) {
    if (high <= low)
        return 0;
    const std::int64_t clamped = std::clamp<std::int64_t>(value, low, high);
    return static_cast<int>(kRawMin + (clamped - low) * (std::int64_t{kRawMax} - kRawMin) /
                                          (std::int64_t{high} - low));
}

struct Slot {
    bool present = false;
    JOYCAPSW caps{};
    std::array<int, kMaxAxes> axes{};
    DWORD buttons = 0;
};

class WinMMReader : public DeviceReader {
public:
    explicit WinMMReader(const WinMMApi& api) : m_Api(api) {}

    std::string Error() const override { return {}; }

    void Poll(std::vector<RawEvent>& events) override {
        const auto now = std::chrono::steady_clock::now();
        const bool scan = now >= m_NextScan;
        if (scan)
            m_NextScan = now + std::chrono::seconds(1);
        const UINT slots = std::min(m_Api.numDevs(), kMaxSlots);
        for (UINT id = 0; id < slots; ++id) {
            Slot& slot = m_Slots[id];
            if (!slot.present && !scan)
                continue;
            JOYINFOEX info{};
            info.dwSize = sizeof info;
            info.dwFlags = JOY_RETURNALL;
            const bool read = m_Api.getPosEx(id, &info) == JOYERR_NOERROR;
            if (!read) {
                // A lost device's last readings are no movements: only its loss is told.
                if (slot.present)
                    events.push_back({RawEvent::Kind::Removed, static_cast<int>(id), 0, 0, {}});
                slot.present = false;
                continue;
            }
            if (!slot.present && !Open(id, slot, events))
                continue;
            Report(id, slot, info, events, !slot.present);
            slot.present = true;
        }
    }

private:
    bool Open(UINT id, Slot& slot, std::vector<RawEvent>& events) {
        if (m_Api.getDevCaps(id, &slot.caps, sizeof slot.caps) != JOYERR_NOERROR)
            return false;
        RawEvent added{RawEvent::Kind::Added, static_cast<int>(id), 0, 0, {}};
        added.info.id = static_cast<int>(id);
        added.info.name = Narrow(slot.caps.szPname);
        char guid[32];
        std::snprintf(guid, sizeof guid, "winmm-%04x-%04x", slot.caps.wMid, slot.caps.wPid);
        added.info.guid = guid;
        added.info.axes = static_cast<int>(std::min<UINT>(slot.caps.wNumAxes, kMaxAxes));
        added.info.buttons = static_cast<int>(std::min<UINT>(slot.caps.wNumButtons, 32));
        events.push_back(added);
        return true;
    }

    void Report(UINT id, Slot& slot, const JOYINFOEX& info, std::vector<RawEvent>& events,
                bool all) {
        const JOYCAPSW& c = slot.caps;
        const std::array<int, kMaxAxes> axes = {
            Scaled(info.dwXpos, c.wXmin, c.wXmax), Scaled(info.dwYpos, c.wYmin, c.wYmax),
            Scaled(info.dwZpos, c.wZmin, c.wZmax), Scaled(info.dwRpos, c.wRmin, c.wRmax),
            Scaled(info.dwUpos, c.wUmin, c.wUmax), Scaled(info.dwVpos, c.wVmin, c.wVmax)};
        const int count = static_cast<int>(std::min<UINT>(c.wNumAxes, kMaxAxes));
        for (int axis = 0; axis < count; ++axis) {
            if (all ||
                axes[static_cast<std::size_t>(axis)] != slot.axes[static_cast<std::size_t>(axis)])
                events.push_back({RawEvent::Kind::Axis,
                                  static_cast<int>(id),
                                  axis,
                                  axes[static_cast<std::size_t>(axis)],
                                  {}});
        }
        slot.axes = axes;
        const int buttons = static_cast<int>(std::min<UINT>(c.wNumButtons, 32));
        for (int button = 0; button < buttons && !all; ++button) {
            const DWORD bit = DWORD{1} << button;
            if ((info.dwButtons & bit) != (slot.buttons & bit))
                events.push_back({RawEvent::Kind::Button,
                                  static_cast<int>(id),
                                  button,
                                  (info.dwButtons & bit) != 0 ? 1 : 0,
                                  {}});
        }
        slot.buttons = info.dwButtons;
    }

    WinMMApi m_Api;
    std::map<UINT, Slot> m_Slots;
    std::chrono::steady_clock::time_point m_NextScan{};
};

} // namespace

WinMMApi SystemWinMM() {
    return {joyGetNumDevs, joyGetDevCapsW, joyGetPosEx};
}

std::unique_ptr<DeviceReader> OpenWinMMReader(const WinMMApi& api) {
    return std::make_unique<WinMMReader>(api);
}

std::unique_ptr<DeviceReader> OpenDeviceReader() {
    return OpenWinMMReader(SystemWinMM());
}

} // namespace pedestal::input

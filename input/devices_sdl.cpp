// Game controllers through SDL2's joystick API. SDL is started for joysticks
// alone, without its signal handlers, so the host's own handling of SIGINT
// and SIGTERM stands.
#include "input/Devices.h"

#include <SDL.h>

#include <algorithm>
#include <map>
#include <set>

namespace pedestal::input {
namespace {

class SdlReader : public DeviceReader {
public:
    SdlReader() {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        // The pedestal's windows are not SDL's: without this SDL would drop
        // the events of a device while it thinks no window of its has focus.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
            m_Error = SDL_GetError();
        else
            m_bStarted = true;
    }
    ~SdlReader() override {
        for (auto& [id, joystick] : m_Open)
            SDL_JoystickClose(joystick);
        if (m_bStarted)
            SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        // SDL keeps data (its error text) for each thread that calls it and
        // frees it only for threads of its own: this thread is the host's.
        SDL_TLSCleanup();
    }

    std::string Error() const override { return m_Error; }

    void Poll(std::vector<RawEvent>& events) override {
        if (!m_bStarted)
            return;
        const std::size_t first = events.size();
        m_Found.clear();
        SDL_PumpEvents();
        SDL_Event batch[64];
        for (;;) {
            const int count =
                SDL_PeepEvents(batch, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
            for (int i = 0; i < count; ++i)
                Take(batch[i], events, first);
            if (count < 64)
                break;
        }
    }

private:
    void Take(const SDL_Event& event, std::vector<RawEvent>& events, std::size_t first) {
        switch (event.type) {
        case SDL_JOYDEVICEADDED:
            Add(event.jdevice.which, events);
            break;
        case SDL_JOYDEVICEREMOVED: {
            const int id = event.jdevice.which;
            const auto found = m_Open.find(id);
            if (found == m_Open.end())
                break;
            SDL_JoystickClose(found->second);
            m_Open.erase(found);
            // SDL moves a lost device's axes back to where they started just
            // before it tells of the loss: those are no lever movements.
            const auto begin = events.begin() + static_cast<std::ptrdiff_t>(first);
            events.erase(std::remove_if(begin, events.end(),
                                        [id](const RawEvent& e) {
                                            return e.device == id &&
                                                   e.kind != RawEvent::Kind::Added;
                                        }),
                         events.end());
            events.push_back({RawEvent::Kind::Removed, id, 0, 0, {}});
            break;
        }
        case SDL_JOYAXISMOTION:
            if (Reading(event.jaxis.which))
                events.push_back({RawEvent::Kind::Axis,
                                  event.jaxis.which,
                                  event.jaxis.axis,
                                  event.jaxis.value,
                                  {}});
            break;
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP:
            if (Reading(event.jbutton.which))
                events.push_back({RawEvent::Kind::Button,
                                  event.jbutton.which,
                                  event.jbutton.button,
                                  event.jbutton.state == SDL_PRESSED ? 1 : 0,
                                  {}});
            break;
        default:
            break;
        }
    }

    // A device found in this batch was read when it was opened: what the
    // queue holds for it is older (SDL even sends an axis' first value again
    // before its first move).
    bool Reading(int id) const { return m_Open.count(id) != 0 && m_Found.count(id) == 0; }

    void Add(int deviceIndex, std::vector<RawEvent>& events) {
        SDL_Joystick* joystick = SDL_JoystickOpen(deviceIndex);
        if (joystick == nullptr)
            return;
        const int id = SDL_JoystickInstanceID(joystick);
        if (m_Open.count(id) != 0) {
            SDL_JoystickClose(joystick);
            return;
        }
        m_Open[id] = joystick;
        m_Found.insert(id);
        RawEvent added{RawEvent::Kind::Added, id, 0, 0, {}};
        added.info.id = id;
        const char* name = SDL_JoystickName(joystick);
        added.info.name = name != nullptr ? name : "";
        char guid[33] = {};
        SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(joystick), guid, sizeof guid);
        added.info.guid = guid;
        added.info.axes = std::max(0, SDL_JoystickNumAxes(joystick));
        added.info.buttons = std::max(0, SDL_JoystickNumButtons(joystick));
        events.push_back(added);
        // Where the levers rest when the device is found.
        for (int axis = 0; axis < added.info.axes; ++axis)
            events.push_back(
                {RawEvent::Kind::Axis, id, axis, SDL_JoystickGetAxis(joystick, axis), {}});
    }

    bool m_bStarted = false;
    std::string m_Error;
    std::map<int, SDL_Joystick*> m_Open;
    std::set<int> m_Found;
};

} // namespace

std::unique_ptr<DeviceReader> OpenDeviceReader() {
    return std::make_unique<SdlReader>();
}

} // namespace pedestal::input

// A virtual game controller of SDL's, which SDL reads through the same
// joystick path as one that is plugged in.
#pragma once

#include <SDL.h>

#include <string>

class VirtualDevice {
public:
    VirtualDevice(const std::string& name, int axes, int buttons) : m_Name(name) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_InitSubSystem(SDL_INIT_JOYSTICK);
        m_Axes = axes;
        m_Buttons = buttons;
        Plug();
    }
    ~VirtualDevice() {
        Unplug();
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    bool Plugged() const { return m_pJoystick != nullptr; }
    void Plug() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_THROTTLE;
        desc.naxes = static_cast<Uint16>(m_Axes);
        desc.nbuttons = static_cast<Uint16>(m_Buttons);
        desc.name = m_Name.c_str();
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        m_pJoystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    }
    void Unplug() {
        if (m_pJoystick == nullptr)
            return;
        const SDL_JoystickID id = SDL_JoystickInstanceID(m_pJoystick);
        SDL_JoystickClose(m_pJoystick);
        m_pJoystick = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id)
                SDL_JoystickDetachVirtual(i);
        }
    }
    void Axis(int axis, int value) {
        SDL_JoystickSetVirtualAxis(m_pJoystick, axis, static_cast<Sint16>(value));
    }
    // A virtual device takes what it was set to at SDL's next update; a real
    // one reports where its levers are from the start.
    void Settle() { SDL_JoystickUpdate(); }
    void Button(int button, bool down) {
        SDL_JoystickSetVirtualButton(m_pJoystick, button, down ? 1 : 0);
    }

private:
    std::string m_Name;
    int m_Axes = 0;
    int m_Buttons = 0;
    SDL_Joystick* m_pJoystick = nullptr;
};

#include "input/VirtualDevice.h"

#include <SDL.h>

namespace pedestal::input {

struct VirtualDevice::State {
    std::string name;
    int axes = 0;
    int buttons = 0;
    SDL_Joystick* joystick = nullptr;
};

VirtualDevice::VirtualDevice(const std::string& name, int axes, int buttons)
    : m_pState(std::make_unique<State>()) {
    m_pState->name = name;
    m_pState->axes = axes;
    m_pState->buttons = buttons;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    Plug();
}

VirtualDevice::~VirtualDevice() {
    Unplug();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    SDL_TLSCleanup();
}

bool VirtualDevice::Plugged() const {
    return m_pState->joystick != nullptr;
}

void VirtualDevice::Plug() {
    if (Plugged())
        return;
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_THROTTLE;
    desc.naxes = static_cast<Uint16>(m_pState->axes);
    desc.nbuttons = static_cast<Uint16>(m_pState->buttons);
    desc.name = m_pState->name.c_str();
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    m_pState->joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
}

void VirtualDevice::Unplug() {
    if (!Plugged())
        return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(m_pState->joystick);
    SDL_JoystickClose(m_pState->joystick);
    m_pState->joystick = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == id)
            SDL_JoystickDetachVirtual(i);
    }
}

void VirtualDevice::Axis(int axis, int value) {
    if (Plugged())
        SDL_JoystickSetVirtualAxis(m_pState->joystick, axis, static_cast<Sint16>(value));
}

void VirtualDevice::Button(int button, bool down) {
    if (Plugged())
        SDL_JoystickSetVirtualButton(m_pState->joystick, button, down ? 1 : 0);
}

void VirtualDevice::Settle() {
    SDL_JoystickUpdate();
}

} // namespace pedestal::input

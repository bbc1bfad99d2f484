#include "input/VirtualDevice.h"

namespace pedestal::input {

struct VirtualDevice::State {};

VirtualDevice::VirtualDevice(const std::string&, int, int) : m_pState(std::make_unique<State>()) {}
VirtualDevice::~VirtualDevice() = default;
bool VirtualDevice::Plugged() const {
    return false;
}
void VirtualDevice::Plug() {}
void VirtualDevice::Unplug() {}
void VirtualDevice::Axis(int, int) {}
void VirtualDevice::Button(int, bool) {}
void VirtualDevice::Settle() {}

} // namespace pedestal::input

// WinMM's joystick API behind a table of its three calls, so that a test can
// stand in for the driver (Wine has no joysticks to offer).
#pragma once

#include "input/Devices.h"
#include "input/Mapping.h"

#include <windows.h>

#include <mmsystem.h>

namespace pedestal::input {

struct WinMMApi {
    UINT(WINAPI* numDevs)();
    MMRESULT(WINAPI* getDevCaps)(UINT_PTR id, LPJOYCAPSW caps, UINT size);
    MMRESULT(WINAPI* getPosEx)(UINT id, LPJOYINFOEX info);
};

// The system's calls.
WinMMApi SystemWinMM();
std::unique_ptr<DeviceReader> OpenWinMMReader(const WinMMApi& api);

} // namespace pedestal::input

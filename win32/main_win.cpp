// Pedestal.exe: the pedestal window, attached to the simulator's block. It
// takes nothing from its command line.
#include "win32/PedestalDlg_win.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The thrust slider is a common control (msctls_trackbar32).
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CPedestalDlg dialog;
    dialog.DoModal(instance);
    return 0;
}

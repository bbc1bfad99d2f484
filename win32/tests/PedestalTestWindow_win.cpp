// The pedestal window on a block that the command line names, so that the
// window tests never touch the simulator's own block.
#include "win32/PedestalDlg_win.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CPedestalDlg dialog(commandLine);
    dialog.DoModal(instance);
    return 0;
}

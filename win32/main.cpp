// Tolvik.exe: the main dialog, modal, until it is closed.
#include <windows.h>

#include <commctrl.h>

#include "win32/CTolvikDlg.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CTolvikDlg dialog;
    dialog.DoModal();
    return 0;
}

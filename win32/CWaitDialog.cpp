#include "win32/CWaitDialog.h"

#include <commctrl.h>

#include "res/Resource.h"
#include "win32/AccessibleNames.h"
#include "win32/DialogTemplateEx.h"

using port::WaitBarPosition;

namespace win32 {

CWaitDialog::CWaitDialog(HWND mainWindow) : m_mainWindow(mainWindow) {
    EnableWindow(m_mainWindow, FALSE);
    const std::vector<WORD> dialog = win32::BuildDialogTemplate(*res::GetDialogTemplate(res::IDD_WAIT));
    m_hWnd = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                        reinterpret_cast<LPCDLGTEMPLATEA>(dialog.data()), m_mainWindow,
                                        DialogProc, reinterpret_cast<LPARAM>(this));
    if (m_hWnd) {
        win32::NameControls(m_hWnd, *res::GetDialogTemplate(res::IDD_WAIT));
        ShowWindow(m_hWnd, SW_SHOW);
    }
}

CWaitDialog::~CWaitDialog() {
    Dismiss();
}

void CWaitDialog::UpdateText(const char* text) {
    if (m_hWnd) {
        SetDlgItemTextA(m_hWnd, res::IDC_WAIT_TEXT, text);
    }
}

void CWaitDialog::UpdateProgress(int position) {
    if (!m_hWnd) {
        return;
    }
    if (const std::optional<int> shown = WaitBarPosition(position)) {
        SendDlgItemMessageA(m_hWnd, res::IDC_WAIT_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(*shown), 0);
    } else {
        Dismiss();
    }
}

bool CWaitDialog::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!GetMessageA(&msg, nullptr, 0, 0)) {
            PostQuitMessage(0);  // the application's own loop must still see it
            return false;
        }
        // The dialog keys (Esc, Enter, Tab) of whichever dialog the message is for.
        HWND dialog = GetAncestor(msg.hwnd, GA_ROOT);
        if (!dialog || !IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

void CWaitDialog::Dismiss() {
    m_bOpen = false;
    if (!m_hWnd) {
        return;
    }
    EnableWindow(m_mainWindow, TRUE);
    HWND window = m_hWnd;
    m_hWnd = nullptr;
    DestroyWindow(window);
}

INT_PTR CALLBACK CWaitDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        return TRUE;
    }
    auto* self = reinterpret_cast<CWaitDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!self) {
        return FALSE;
    }
    switch (message) {
        case WM_COMMAND:
            // Cancel, Esc and Enter dismiss; nothing ends the dialog the modal way.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                self->Dismiss();
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            self->Dismiss();
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace win32

// The association's progress window (template 100): a centred line of text, a bar and a Cancel
// button. Modeless; the main dialog is disabled while it is open. Its owner keeps the thread busy
// and lets the window live by calling ProcessMessages between its own steps.
#pragma once

#include <windows.h>

#include "port/WaitDialogPort.h"

namespace win32 {

class CWaitDialog final : public port::WaitDialogPort {
public:
    // Opens the window at once, owned by and disabling `mainWindow`.
    explicit CWaitDialog(HWND mainWindow);
    ~CWaitDialog() override;
    CWaitDialog(const CWaitDialog&) = delete;
    CWaitDialog& operator=(const CWaitDialog&) = delete;

    void UpdateText(const char* text) override;
    // Below 0 shows 0; above 100 dismisses the dialog instead of moving the bar.
    void UpdateProgress(int position) override;
    // Handles every message waiting now. False when it met a quit request, which it posts again
    // for the application's loop.
    bool ProcessMessages() override;
    // Closes the window and enables the main dialog again. Harmless when already dismissed.
    void Dismiss();
    bool IsOpen() const override { return m_bOpen; }

    bool m_bOpen = true;

private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);

    HWND m_hWnd = nullptr;
    HWND m_mainWindow;
};

}  // namespace win32

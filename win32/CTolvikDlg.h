// The main dialog on template 102, with the Win32 API: every control, the status log, the link's
// start-up and shut-down, and the port through which the link and the remote functions change
// the screen. What the dialog does is shared with the Qt front end (dialog/, remote/); this class
// maps it onto window messages.
#pragma once

#include <windows.h>

#include "dialog/MainDialog.h"
#include "port/MainDialogPort.h"
#include "port/UpdateQueue.h"
#include "win32/CHListBox.h"
#include "win32/CSubClassButton.h"
#include "win32/CSysColStatic.h"
#include "win32/DpiLayout.h"
#include "win32/Pictures.h"

class CTolvikDlg final : public MainDialogPort {
public:
    CTolvikDlg();
    ~CTolvikDlg() override;
    CTolvikDlg(const CTolvikDlg&) = delete;
    CTolvikDlg& operator=(const CTolvikDlg&) = delete;

    // Creates, initialises (link included) and runs the dialog until it is closed.
    INT_PTR DoModal();
    BOOL OnInitDialog();
    void OnAssociate();
    void SendVirtualKey(int controlId, bool release);

    // MainDialogPort
    void AddStatusLine(const char* text) override;
    void SetItemText(int controlId, const char* text) override;
    void SetItemPicture(int controlId, int bitmapId) override;
    void SetBarPosition(int controlId, int position) override;
    bool HasRoomForUpdates() const override;
    void ShowMessageBox(const char* text, MessageIcon icon) override;
    void EnableItem(int controlId, bool enable) override;
    std::unique_ptr<WaitDialogPort> CreateWaitDialog() override;

    HWND m_hWnd = nullptr;
    HWND m_toolTip = nullptr;
    CSysColStatic m_remotePicture;
    CSubClassButton m_btnAlignView;
    CSubClassButton m_btnMeasure;
    CSubClassButton m_btnFocusMinus;
    CSubClassButton m_btnFocusPlus;
    CSubClassButton m_btnZoomMinus;
    CSubClassButton m_btnZoomPlus;
    CSubClassButton m_btnSpot;
    CSubClassButton m_btnRing;
    COLORREF m_colorLow = 0;
    COLORREF m_colorUnknown = 0;
    COLORREF m_colorOk = 0;
    HBRUSH m_whiteBrush = nullptr;
    CHListBox m_statusList;
    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void DoDataExchange();
    void CreateToolTips();
    void OnPaint();
    void OnClose();
    HBRUSH OnCtlColor(HDC dc, HWND control);
    CSubClassButton* KeyButton(int controlId);
    // Every picture and the icons at the scale of `dpi`: when the dialog is made and when its
    // window moves to a screen of another scale.
    void LoadPictures(UINT dpi);
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    bool OnDialogThread() const;
    void HandOver(UpdateQueue::Update update);
    void ApplyPending();
    void ApplyText(int controlId, const char* text);
    void ApplyPicture(int controlId, int bitmapId);
    void ApplyBar(int controlId, int position);

    DWORD m_threadId;
    win32::Pictures m_pictures;
    win32::DpiLayout m_layout;
    dialog::LinkCloser m_link;
    UpdateQueue m_updates;
    // Set while the dialog fetches records left with the library: they are handed over, not
    // applied at once.
    bool m_catchingUp = false;
};

// The main dialog on template 102, with the Win32 API: every control and the status log. What it
// does is DialogController's; how changes from the library's thread reach it is MarshalledView's.
// This class maps both onto window messages.
#pragma once

#include <windows.h>

#include <memory>

#include "dialog/DialogController.h"
#include "dialog/MarshalledView.h"
#include "win32/CHListBox.h"
#include "win32/CSubClassButton.h"
#include "win32/CSysColStatic.h"
#include "win32/DpiLayout.h"
#include "win32/Pictures.h"
#include "win32/StatusLogMenu.h"

namespace win32 {

class CTolvikDlg final : public dialog::MarshalledView {
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

    // RemoteView, dialog thread only
    void EnableItem(int controlId, bool enable) override;
    std::unique_ptr<port::WaitDialogPort> CreateWaitDialog() override;

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
    HBRUSH m_whiteBrush = nullptr;
    CHListBox m_statusList;
    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;

private:
    // MarshalledView
    bool IsGuiThread() const override;
    void WakeGuiThread() override;
    void ApplyText(int controlId, const char* text) override;
    void ApplyPicture(int controlId, int bitmapId) override;
    void ApplyBar(int controlId, int position) override;
    void AppendLines(const std::vector<std::string>& lines) override;
    void PresentMessageBox(const char* text, port::MessageIcon icon) override;

    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Takes over the status log and the key buttons the template created.
    void SubclassControls();
    void CreateToolTips();
    void OnPaint();
    void OnClose();
    HBRUSH OnCtlColor(HDC dc, HWND control);
    CSubClassButton* KeyButton(int controlId);
    // Every picture and the icons at the scale of `dpi`: when the dialog is made and when its
    // window moves to a screen of another scale.
    void LoadPictures(UINT dpi);
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    DWORD m_threadId;
    win32::Pictures m_pictures;
    win32::DpiLayout m_layout;
    // Made once the list box exists; reads the log only.
    std::unique_ptr<StatusLogMenu> m_logMenu;
    // Made after the view it reaches, gone before the window's resources: it disconnects first.
    dialog::DialogController m_controller{*this};
};

}  // namespace win32

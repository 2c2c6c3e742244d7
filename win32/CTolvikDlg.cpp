#include "win32/CTolvikDlg.h"

#include <commctrl.h>

#include <string>

#include "res/DialogTemplate.h"
#include "res/Resource.h"
#include "win32/AccessibleNames.h"
#include "win32/CWaitDialog.h"
#include "win32/DialogTemplateEx.h"

// The string table is the shared one in res/, not the Win32 function of that name.
#undef LoadString
#include "res/StringTable.h"

using port::MessageIcon;
using port::WaitDialogPort;

namespace win32 {

namespace {

// Posted once per batch of changes handed over from the library's thread.
constexpr UINT WM_APPLY_PENDING = WM_APP + 2;

// Controls with a tooltip, in the order they are added.
constexpr int kToolTipControls[] = {
    res::IDC_REMOTE_PICTURE,  res::IDC_ASSOCIATE,      res::IDC_STEP1,          res::IDC_STEP2,
    res::IDC_STEP3,           res::IDC_SIGNAL_BAR,     res::IDC_KEY_ALIGN_VIEW, res::IDC_KEY_MEASURE,
    res::IDC_KEY_FOCUS_MINUS, res::IDC_KEY_FOCUS_PLUS, res::IDC_KEY_ZOOM_MINUS, res::IDC_KEY_ZOOM_PLUS,
    res::IDC_KEY_SPOT,        res::IDC_KEY_RING,       res::IDC_BATTERY,        res::IDC_STATUS_LOG,
};

COLORREF ToColorRef(dialog::Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

// Message boxes carry the program file's base name, as an application object without a name of
// its own gives them.
std::string ApplicationName() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length < MAX_PATH ? length : 0);
    name = name.substr(name.find_last_of("\\/") + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

CTolvikDlg::CTolvikDlg() : m_threadId(GetCurrentThreadId()) {}

CTolvikDlg::~CTolvikDlg() {
    // The controller disconnects before these go; with no callback left, nothing reaches them.
    m_controller.Close();
    if (m_whiteBrush) {
        DeleteObject(m_whiteBrush);
    }
    for (HICON icon : {m_hIcon, m_hSmallIcon}) {
        if (icon) {
            DestroyIcon(icon);
        }
    }
}

INT_PTR CTolvikDlg::DoModal() {
    const std::vector<WORD> dialog = win32::BuildDialogTemplate(*res::GetDialogTemplate(res::IDD_TOLVIK));
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                   reinterpret_cast<LPCDLGTEMPLATEA>(dialog.data()), nullptr, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CTolvikDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CTolvikDlg*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->m_hWnd = window;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<CTolvikDlg*>(GetWindowLongPtrA(window, DWLP_USER));
    return self ? self->OnMessage(message, wParam, lParam) : FALSE;
}

void CTolvikDlg::SubclassControls() {
    m_statusList.Attach(GetDlgItem(m_hWnd, res::IDC_STATUS_LOG));
    for (const res::KeyButtonBitmaps& entry : res::KeyButtonBitmapTable()) {
        KeyButton(entry.controlId)->SubclassDlgItem(entry.controlId, m_hWnd);
    }
}

CSubClassButton* CTolvikDlg::KeyButton(int controlId) {
    switch (controlId) {
        case res::IDC_KEY_ALIGN_VIEW:
            return &m_btnAlignView;
        case res::IDC_KEY_MEASURE:
            return &m_btnMeasure;
        case res::IDC_KEY_FOCUS_MINUS:
            return &m_btnFocusMinus;
        case res::IDC_KEY_FOCUS_PLUS:
            return &m_btnFocusPlus;
        case res::IDC_KEY_ZOOM_MINUS:
            return &m_btnZoomMinus;
        case res::IDC_KEY_ZOOM_PLUS:
            return &m_btnZoomPlus;
        case res::IDC_KEY_SPOT:
            return &m_btnSpot;
        case res::IDC_KEY_RING:
            return &m_btnRing;
        default:
            return nullptr;
    }
}

BOOL CTolvikDlg::OnInitDialog() {
    SubclassControls();
    win32::NameControls(m_hWnd, *res::GetDialogTemplate(res::IDD_TOLVIK));
    const UINT dpi = win32::WindowDpi(m_hWnd);
    m_layout.Capture(m_hWnd, dpi);
    m_remotePicture.SubclassDlgItem(res::IDC_REMOTE_PICTURE, m_hWnd, m_pictures);
    LoadPictures(dpi);
    m_remotePicture.SetBitmapResource(res::IDB_REMOTE_IDLE);

    m_controller.StartUp();

    m_whiteBrush = CreateSolidBrush(ToColorRef(dialog::kWhite));
    SendDlgItemMessageA(m_hWnd, res::IDC_SIGNAL_BAR, PBM_SETRANGE, 0,
                        MAKELPARAM(0, dialog::kSignalBarMaximum));
    CreateToolTips();
    m_logMenu = std::make_unique<StatusLogMenu>(m_statusList, m_hWnd, ApplicationName());
    return TRUE;
}

void CTolvikDlg::LoadPictures(UINT dpi) {
    m_pictures.SetDpi(dpi);
    win32::ShowTemplatePictures(m_hWnd, *res::GetDialogTemplate(res::IDD_TOLVIK), m_pictures);
    m_remotePicture.Reload();
    for (const res::KeyButtonBitmaps& entry : res::KeyButtonBitmapTable()) {
        CSubClassButton* button = KeyButton(entry.controlId);
        button->LoadBitmaps(m_pictures, entry.normal, entry.selected, entry.focused, entry.disabled);
        button->SizeToContent();
    }
    const HICON previousIcons[] = {m_hIcon, m_hSmallIcon};
    // The title bar's and the task switcher's sizes at 100 %.
    m_hIcon = win32::LoadTolvikIcon(32, dpi);
    m_hSmallIcon = win32::LoadTolvikIcon(16, dpi);
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
    for (HICON icon : previousIcons) {
        if (icon) {
            DestroyIcon(icon);
        }
    }
}

void CTolvikDlg::OnDpiChanged(UINT dpi, const RECT& suggested) {
    m_layout.Apply(dpi, suggested);
    LoadPictures(dpi);
}

void CTolvikDlg::CreateToolTips() {
    m_toolTip =
        CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!m_toolTip) {
        return;
    }
    // The tooltip watches each control's mouse traffic itself (the modal loop is the system's).
    for (int controlId : kToolTipControls) {
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_hWnd;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(m_hWnd, controlId));
        const res::DialogControl* control =
            res::FindControl(*res::GetDialogTemplate(res::IDD_TOLVIK), controlId);
        tool.lpszText = const_cast<char*>(res::LoadString(control->tooltipId));
        SendMessageA(m_toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageA(m_toolTip, TTM_ACTIVATE, TRUE, 0);
}

INT_PTR CTolvikDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return TRUE;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(m_hIcon);
        case WM_COMMAND:
            // Enter and Esc arrive as IDOK and IDCANCEL and end nothing; the key buttons' clicks
            // are nothing either, their presses and releases come as WM_VIRTUALKEY.
            if (LOWORD(wParam) == res::IDC_ASSOCIATE && HIWORD(wParam) == BN_CLICKED) {
                OnAssociate();
            }
            return TRUE;
        case WM_VIRTUALKEY:
            SendVirtualKey(static_cast<int>(wParam), lParam != 0);
            return TRUE;
        case WM_DRAWITEM:
            if (CSubClassButton* button = KeyButton(static_cast<int>(wParam))) {
                button->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            }
            return FALSE;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            return reinterpret_cast<INT_PTR>(
                OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
        case WM_SYSCOLORCHANGE:
            m_remotePicture.OnSysColorChange();
            return FALSE;
        case WM_CLOSE:
            // During the association the close follows once it has written its closing value.
            if (m_controller.RequestClose()) {
                OnClose();
            }
            return TRUE;
        case WM_APPLY_PENDING:
            ApplyPending();
            return TRUE;
        default:
            return FALSE;
    }
}

void CTolvikDlg::OnPaint() {
    if (IsIconic(m_hWnd)) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(m_hWnd, &paint);
        SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        RECT client;
        GetClientRect(m_hWnd, &client);
        const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, m_hIcon);
        EndPaint(m_hWnd, &paint);
        return;
    }
    PAINTSTRUCT paint;
    BeginPaint(m_hWnd, &paint);
    EndPaint(m_hWnd, &paint);
    m_remotePicture.SetBitmapResource(res::IDB_REMOTE_IDLE);
}

HBRUSH CTolvikDlg::OnCtlColor(HDC dc, HWND control) {
    // Read-only edits colour themselves through WM_CTLCOLORSTATIC.
    if (GetDlgCtrlID(control) != res::IDC_BATTERY) {
        return nullptr;  // the dialog manager's own brush
    }
    SetBkColor(dc, ToColorRef(m_controller.BatteryTextBackground()));
    return m_whiteBrush;
}

void CTolvikDlg::OnClose() {
    EndDialog(m_hWnd, IDOK);
    m_controller.Close();
}

void CTolvikDlg::OnAssociate() {
    if (m_controller.OnAssociate()) {
        OnClose();
    }
}

void CTolvikDlg::SendVirtualKey(int controlId, bool release) {
    m_controller.SendVirtualKey(controlId, release);
}

bool CTolvikDlg::IsGuiThread() const {
    return GetCurrentThreadId() == m_threadId;
}

void CTolvikDlg::WakeGuiThread() {
    if (m_hWnd) {
        PostMessageA(m_hWnd, WM_APPLY_PENDING, 0, 0);
    }
}

void CTolvikDlg::AppendLines(const std::vector<std::string>& lines) {
    m_statusList.AddStrings(lines);
    m_statusList.SetCurSel(m_statusList.GetCount() - 1);
}

void CTolvikDlg::ApplyText(int controlId, const char* text) {
    SetDlgItemTextA(m_hWnd, controlId, text);
}

void CTolvikDlg::ApplyPicture(int controlId, int bitmapId) {
    if (controlId == res::IDC_REMOTE_PICTURE) {
        m_remotePicture.SetPicture(bitmapId);
    }
}

void CTolvikDlg::ApplyBar(int controlId, int position) {
    SendDlgItemMessageA(m_hWnd, controlId, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CTolvikDlg::PresentMessageBox(const char* text, MessageIcon icon) {
    const std::string caption = ApplicationName();
    MessageBoxA(m_hWnd, text, caption.c_str(), MB_OK | (icon == MessageIcon::Error ? MB_ICONERROR : 0));
}

void CTolvikDlg::EnableItem(int controlId, bool enable) {
    EnableWindow(GetDlgItem(m_hWnd, controlId), enable ? TRUE : FALSE);
}

std::unique_ptr<WaitDialogPort> CTolvikDlg::CreateWaitDialog() {
    return std::make_unique<CWaitDialog>(m_hWnd);
}

}  // namespace win32

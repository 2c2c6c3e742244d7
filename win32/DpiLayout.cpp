#include "win32/DpiLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace win32 {
namespace {

// SetDialogDpiChangeBehavior's DDC_DISABLE_ALL.
constexpr int kDialogScalingOff = 1;

void SwitchOffDialogScaling(HWND dialog) {
    // Windows 10 1703 and later only, so looked up rather than linked.
    using SetBehaviourFn = BOOL(WINAPI*)(HWND, int, int);
    const auto setBehaviour = reinterpret_cast<SetBehaviourFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "SetDialogDpiChangeBehavior")));
    if (setBehaviour) {
        setBehaviour(dialog, kDialogScalingOff, kDialogScalingOff);
    }
}

LONG Scale(LONG value, UINT to, UINT from) {
    return MulDiv(value, static_cast<int>(to), static_cast<int>(from));
}

LONG Scale(LONG value, double factor) {
    return static_cast<LONG>(value * factor + (value < 0 ? -0.5 : 0.5));
}

// The dialog base units of `font` drawn at 96 dpi, worked out as the dialog manager does: the
// average width of the Latin letters and the cell height.
SIZE BaseUnitsAt96(const LOGFONTW& font, UINT dpi) {
    LOGFONTW at96 = font;
    // Back to the template's point size, then to its height at 96 dpi: scaling the pixel height
    // directly would round twice.
    const int points = MulDiv(std::abs(font.lfHeight), 72, static_cast<int>(dpi));
    at96.lfHeight = -MulDiv(points, USER_DEFAULT_SCREEN_DPI, 72);
    at96.lfWidth = 0;
    SIZE units{0, 0};
    HFONT handle = CreateFontIndirectW(&at96);
    HDC screen = GetDC(nullptr);
    if (handle && screen) {
        HGDIOBJ previous = SelectObject(screen, handle);
        TEXTMETRICW metrics;
        SIZE letters;
        static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        if (GetTextMetricsW(screen, &metrics) &&
            GetTextExtentPoint32W(screen, kLetters, static_cast<int>(std::size(kLetters) - 1), &letters)) {
            units = {(letters.cx / 26 + 1) / 2, metrics.tmHeight};
        }
        SelectObject(screen, previous);
    }
    if (screen) {
        ReleaseDC(nullptr, screen);
    }
    if (handle) {
        DeleteObject(handle);
    }
    return units;
}

// Dialog units follow the dialog font, whose sizes come in steps (Wine's grows 1.10 times at
// 120 dpi and 1.86 at 192), while pictures are drawn at the DPI's own scale and would overlap
// their neighbours. So the children and the client area are placed again as the 96-dpi layout
// times the DPI; the font keeps its step, and text only gains room.
void FollowDpi(HWND dialog, UINT dpi, const LOGFONTW& font) {
    const SIZE ideal = BaseUnitsAt96(font, dpi);
    RECT actual{0, 0, 4, 8};
    if (ideal.cx <= 0 || ideal.cy <= 0 || !MapDialogRect(dialog, &actual) || actual.right <= 0 ||
        actual.bottom <= 0) {
        return;
    }
    const double perDpi = static_cast<double>(dpi) / USER_DEFAULT_SCREEN_DPI;
    const double x = ideal.cx * perDpi / actual.right;
    const double y = ideal.cy * perDpi / actual.bottom;
    if (std::abs(x - 1) < 0.01 && std::abs(y - 1) < 0.01) {
        return;
    }
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        const LONG left = Scale(r.left, x);
        const LONG top = Scale(r.top, y);
        SetWindowPos(child, nullptr, left, top, Scale(r.right, x) - left, Scale(r.bottom, y) - top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT client;
    GetClientRect(dialog, &client);
    RECT frame{0, 0, Scale(client.right, x), Scale(client.bottom, y)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    // Grown or shrunk about its centre, but kept on its screen's work area.
    RECT window;
    GetWindowRect(dialog, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    const LONG left = std::max(monitor.rcWork.left, (window.left + window.right - width) / 2);
    const LONG top = std::max(monitor.rcWork.top, (window.top + window.bottom - height) / 2);
    SetWindowPos(dialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

DpiLayout::~DpiLayout() {
    if (m_scaledFont) {
        DeleteObject(m_scaledFont);
    }
}

void DpiLayout::Capture(HWND dialog, UINT dpi) {
    m_dialog = dialog;
    m_dpi = dpi;
    SwitchOffDialogScaling(dialog);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    m_hasFont = font && GetObjectW(font, sizeof m_font, &m_font) == sizeof m_font;
    if (m_hasFont) {
        FollowDpi(dialog, dpi, m_font);
    }
    m_children.clear();
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        m_children.push_back({child, place});
    }
}

void DpiLayout::Apply(UINT dpi, const RECT& suggested) {
    if (!m_dialog || dpi == 0) {
        return;
    }
    HFONT previous = m_scaledFont;
    m_scaledFont = nullptr;
    if (m_hasFont) {
        LOGFONTW scaled = m_font;
        scaled.lfHeight = Scale(m_font.lfHeight, dpi, m_dpi);
        scaled.lfWidth = Scale(m_font.lfWidth, dpi, m_dpi);
        m_scaledFont = CreateFontIndirectW(&scaled);
    }
    SetWindowPos(m_dialog, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    for (const Child& child : m_children) {
        const RECT& r = child.place;
        const LONG left = Scale(r.left, dpi, m_dpi);
        const LONG top = Scale(r.top, dpi, m_dpi);
        SetWindowPos(child.window, nullptr, left, top, Scale(r.right, dpi, m_dpi) - left,
                     Scale(r.bottom, dpi, m_dpi) - top, SWP_NOZORDER | SWP_NOACTIVATE);
        if (m_scaledFont) {
            SendMessageW(child.window, WM_SETFONT, reinterpret_cast<WPARAM>(m_scaledFont), FALSE);
        }
    }
    if (previous) {
        DeleteObject(previous);
    }
    RedrawWindow(m_dialog, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

}  // namespace win32

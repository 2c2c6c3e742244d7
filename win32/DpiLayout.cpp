#include "win32/DpiLayout.h"

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
    m_children.clear();
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        m_children.push_back({child, place});
    }
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    m_hasFont = font && GetObjectW(font, sizeof m_font, &m_font) == sizeof m_font;
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

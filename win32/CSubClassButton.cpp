#include "win32/CSubClassButton.h"

#include <commctrl.h>

#include <initializer_list>

#include "win32/Pictures.h"

namespace win32 {

namespace {

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

}  // namespace

CSubClassButton::~CSubClassButton() {
    if (m_hWnd) {
        RemoveWindowSubclass(m_hWnd, SubclassProc, 0);
    }
    FreeBitmaps();
}

void CSubClassButton::SubclassDlgItem(int controlId, HWND dialog) {
    m_hWnd = GetDlgItem(dialog, controlId);
    SetWindowSubclass(m_hWnd, SubclassProc, 0, 0);
}

bool CSubClassButton::LoadBitmaps(const win32::Pictures& pictures, int normal, int selected, int focused,
                                  int disabled) {
    FreeBitmaps();
    m_normal = pictures.Load(normal);
    m_selected = pictures.Load(selected);
    m_focused = pictures.Load(focused);
    m_disabled = pictures.Load(disabled);
    return m_normal != nullptr;
}

void CSubClassButton::FreeBitmaps() {
    for (HBITMAP* bitmap : {&m_normal, &m_selected, &m_focused, &m_disabled}) {
        if (*bitmap) {
            DeleteObject(*bitmap);
            *bitmap = nullptr;
        }
    }
}

void CSubClassButton::SizeToContent() {
    if (!m_normal) {
        return;
    }
    const SIZE size = BitmapSize(m_normal);
    SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSubClassButton::DrawItem(const DRAWITEMSTRUCT& item) const {
    HBITMAP picture = m_normal;
    if ((item.itemState & ODS_SELECTED) && m_selected) {
        picture = m_selected;
    } else if ((item.itemState & ODS_FOCUS) && m_focused) {
        picture = m_focused;
    } else if ((item.itemState & ODS_DISABLED) && m_disabled) {
        picture = m_disabled;
    }
    if (!picture) {
        return;
    }
    HDC memory = CreateCompatibleDC(item.hDC);
    HGDIOBJ previous = SelectObject(memory, picture);
    const RECT& area = item.rcItem;
    BitBlt(item.hDC, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, 0, 0,
           SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    // The picture shows no focus of its own: the keyboard user sees which key Space would press.
    // Hidden, as on every button, until the keyboard is used.
    const bool cuesHidden = (item.itemState & ODS_NOFOCUSRECT) ||
                            (SendMessageA(item.hwndItem, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
    if ((item.itemState & ODS_FOCUS) && !cuesHidden) {
        RECT focus = area;
        InflateRect(&focus, -2, -2);
        DrawFocusRect(item.hDC, &focus);
    }
}

LRESULT CALLBACK CSubClassButton::SubclassProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR, DWORD_PTR) {
    // The key goes out before the button captures the mouse or draws itself held, and its
    // release before the dialog learns of the click.
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) {
        SendMessageA(GetParent(button), WM_VIRTUALKEY, static_cast<WPARAM>(GetDlgCtrlID(button)),
                     message == WM_LBUTTONUP ? 1 : 0);
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

}  // namespace win32

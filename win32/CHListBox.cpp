#include "win32/CHListBox.h"

#include <cstring>

int CHListBox::AddString(const char* text) {
    const int index = static_cast<int>(SendMessageA(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    if (index >= 0) {
        UpdateHorizontalExtent(text);
    }
    return index;
}

void CHListBox::UpdateHorizontalExtent(const char* text) {
    HDC dc = GetDC(m_hWnd);
    if (!dc) {
        return;
    }
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    SIZE size{};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
    // Three border widths of margin, as the list box's own frame takes on each side plus one.
    const int width = size.cx + 3 * GetSystemMetrics(SM_CXBORDER);
    if (width > m_nMaxExtent) {
        m_nMaxExtent = width;
        SendMessageA(m_hWnd, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(width), 0);
    }
    if (previous) {
        SelectObject(dc, previous);
    }
    ReleaseDC(m_hWnd, dc);
}

int CHListBox::GetCount() const {
    return static_cast<int>(SendMessageA(m_hWnd, LB_GETCOUNT, 0, 0));
}

void CHListBox::SetCurSel(int index) {
    SendMessageA(m_hWnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

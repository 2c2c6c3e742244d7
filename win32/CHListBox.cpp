#include "win32/CHListBox.h"

#include "statuslog/StatusLogRule.h"
#include "win32/WideText.h"

namespace win32 {

static_assert(statuslog::kErrSpace == LB_ERRSPACE, "a full log answers as a full list box");

CHListBox::Measure::Measure(HWND listBox) : m_listBox(listBox), m_dc(GetDC(listBox)) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(listBox, WM_GETFONT, 0, 0));
    if (m_dc && font) {
        m_previousFont = SelectObject(m_dc, font);
    }
}

CHListBox::Measure::~Measure() {
    if (m_previousFont) {
        SelectObject(m_dc, m_previousFont);
    }
    if (m_dc) {
        ReleaseDC(m_listBox, m_dc);
    }
}

int CHListBox::Measure::Width(const char* text, size_t length) const {
    // A failed measurement goes unnoticed, as the list box's own would: the width is what it gives.
    SIZE size{};
    if (m_dc) {
        GetTextExtentPoint32A(m_dc, text, static_cast<int>(length), &size);
    }
    // Three border widths of margin, as the list box's own frame takes on each side plus one.
    return size.cx + 3 * GetSystemMetrics(SM_CXBORDER);
}

void CHListBox::Widen(int width) {
    if (width > m_nMaxExtent) {
        m_nMaxExtent = width;
        SendMessageA(m_hWnd, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(width), 0);
    }
}

int CHListBox::AddStrings(const std::vector<std::string>& lines) {
    const int count = GetCount();
    const int admitted = statuslog::AdmittedLines(count, static_cast<int>(lines.size()));
    if (admitted == 0) {
        return lines.empty() ? count : LB_ERRSPACE;
    }
    // No repaint per line: the list box redraws once, with the batch in.
    SendMessageA(m_hWnd, WM_SETREDRAW, FALSE, 0);
    const Measure measure(m_hWnd);
    int first = LB_ERR;
    int widest = 0;
    for (int i = 0; i < admitted; ++i) {
        const std::string& line = lines[static_cast<size_t>(i)];
        const int index =
            static_cast<int>(SendMessageA(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str())));
        if (index < 0) {
            break;  // the system refused it: the rest would be refused too
        }
        first = first < 0 ? index : first;
        const int width = measure.Width(line.data(), line.size());
        widest = width > widest ? width : widest;
    }
    Widen(widest);
    SendMessageA(m_hWnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_hWnd, nullptr, TRUE);
    return first;
}

int CHListBox::GetCount() const {
    return static_cast<int>(SendMessageA(m_hWnd, LB_GETCOUNT, 0, 0));
}

int CHListBox::GetCurSel() const {
    return static_cast<int>(SendMessageA(m_hWnd, LB_GETCURSEL, 0, 0));
}

void CHListBox::SetCurSel(int index) {
    SendMessageA(m_hWnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string CHListBox::GetText(int index) const {
    const LRESULT length = SendMessageW(m_hWnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(m_hWnd, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return win32::Utf8(wide);
}

}  // namespace win32

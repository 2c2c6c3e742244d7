// The status log's list box: appends lines and keeps the horizontal scroll range as wide as the
// widest line ever added (it never shrinks).
#pragma once

#include <windows.h>

class CHListBox {
public:
    void Attach(HWND listBox) { m_hWnd = listBox; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // LB_ADDSTRING's result: the new line's index, or LB_ERR / LB_ERRSPACE (extent untouched).
    int AddString(const char* text);
    void UpdateHorizontalExtent(const char* text);
    int GetCount() const;
    void SetCurSel(int index);

    // The widest line added so far, in pixels, margin included.
    int m_nMaxExtent = 0;

private:
    HWND m_hWnd = nullptr;
};

// The status log's list box: appends lines and keeps the horizontal scroll range as wide as the
// widest line ever added (it never shrinks). How many lines it holds and what it does once full
// is the rule both front ends share (statuslog/).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win32 {

class CHListBox {
public:
    void Attach(HWND listBox) { m_hWnd = listBox; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Appends as many of the lines as the log has room for, measuring them with one device
    // context; the first one's index, or LB_ERRSPACE when none fits.
    int AddStrings(const std::vector<std::string>& lines);
    int GetCount() const;
    int GetCurSel() const;
    void SetCurSel(int index);
    // The line as UTF-8.
    std::string GetText(int index) const;

    // The widest line added so far, in pixels, margin included.
    int m_nMaxExtent = 0;

private:
    // Measures lines against the list box's font; one per batch of lines.
    class Measure {
    public:
        explicit Measure(HWND listBox);
        ~Measure();
        Measure(const Measure&) = delete;
        Measure& operator=(const Measure&) = delete;
        // The line's width plus the margin.
        int Width(const char* text, size_t length) const;

    private:
        HWND m_listBox;
        HDC m_dc;
        HGDIOBJ m_previousFont = nullptr;
    };

    void Widen(int width);

    HWND m_hWnd = nullptr;
};

}  // namespace win32

// A dialog's layout and font as made for the DPI it was created at, scaled to another DPI when
// its window moves to a screen of another scale (WM_DPICHANGED). The dialog manager's own rescaling
// is switched off where Windows has it, so the result is the same everywhere.
#pragma once

#include <windows.h>

#include <vector>

namespace win32 {

class DpiLayout {
public:
    DpiLayout() = default;
    ~DpiLayout();
    DpiLayout(const DpiLayout&) = delete;
    DpiLayout& operator=(const DpiLayout&) = delete;

    // At WM_INITDIALOG: lays the dialog out as its 96-dpi layout times `dpi` where the dialog
    // font's size step made it otherwise, then remembers every child's place and the font.
    void Capture(HWND dialog, UINT dpi);
    // Resizes the dialog to `suggested` (screen coordinates), and scales every child's place and
    // the font from the captured DPI to `dpi`. Pictures are the caller's.
    void Apply(UINT dpi, const RECT& suggested);

private:
    struct Child {
        HWND window;
        RECT place;  // in the dialog's client coordinates
    };

    HWND m_dialog = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    std::vector<Child> m_children;
    LOGFONTW m_font{};
    bool m_hasFont = false;
    HFONT m_scaledFont = nullptr;  // ours, once the DPI has changed
};

}  // namespace win32

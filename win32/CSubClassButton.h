// A virtual-remote key: an owner-drawn button showing one picture while up and another while held,
// exactly as large as its normal picture, that tells its dialog the moment the left mouse button
// goes down on it and comes up again, before the button's own handling.
#pragma once

#include <windows.h>

namespace win32 {

class Pictures;

// Sent (not posted) to the button's parent: wParam the button's control id, lParam 1 on release.
constexpr UINT WM_VIRTUALKEY = WM_APP + 1;

class CSubClassButton {
public:
    CSubClassButton() = default;
    ~CSubClassButton();
    CSubClassButton(const CSubClassButton&) = delete;
    CSubClassButton& operator=(const CSubClassButton&) = delete;

    void SubclassDlgItem(int controlId, HWND dialog);
    // Pictures by bitmap number, at the scale `pictures` gives; false when the normal one does not
    // load. A missing selected, focused or disabled picture falls back to the normal one.
    bool LoadBitmaps(const win32::Pictures& pictures, int normal, int selected, int focused, int disabled);
    // Sizes the button to its normal picture, keeping its top-left corner.
    void SizeToContent();
    // WM_DRAWITEM, forwarded by the dialog.
    void DrawItem(const DRAWITEMSTRUCT& item) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void FreeBitmaps();

    HWND m_hWnd = nullptr;
    HBITMAP m_normal = nullptr;
    HBITMAP m_selected = nullptr;
    HBITMAP m_focused = nullptr;
    HBITMAP m_disabled = nullptr;
};

}  // namespace win32

// The remote's picture: a bitmap static that remembers which bitmap resource it shows and loads it
// again when the system colours or the window's scale change.
#pragma once

#include <windows.h>

namespace win32 {

class Pictures;

class CSysColStatic {
public:
    // Takes over an existing static control of the dialog; its pictures come from `pictures`, at
    // the scale that gives at the time.
    void SubclassDlgItem(int controlId, HWND dialog, const win32::Pictures& pictures);
    HWND GetSafeHwnd() const { return m_hWnd; }

    // -1 loads the remembered bitmap again; any other number is remembered first. An unloadable
    // bitmap leaves the picture as it is.
    void SetBitmapResource(int bitmapId);
    // Shows bitmap `bitmapId` without remembering it (the key highlights).
    void SetPicture(int bitmapId);
    void OnSysColorChange();
    // Loads the picture shown now again, at the scale the pictures give now.
    void Reload();

    int m_nBitmapID = -1;

private:
    void Show(int bitmapId);

    HWND m_hWnd = nullptr;
    const win32::Pictures* m_pictures = nullptr;
    int m_shown = -1;
};

}  // namespace win32

// The remote's picture: a bitmap static that remembers which bitmap resource it shows and loads it
// again, with the current 3-D colours, when the system colours change.
#pragma once

#include <windows.h>

class CSysColStatic {
public:
    // Takes over an existing static control of the dialog.
    void SubclassDlgItem(int controlId, HWND dialog);
    HWND GetSafeHwnd() const { return m_hWnd; }

    // -1 loads the remembered bitmap again; any other number is remembered first. An unloadable
    // bitmap leaves the picture as it is.
    void SetBitmapResource(int bitmapId);
    // Shows bitmap `bitmapId` without remembering it (the key highlights).
    void SetPicture(int bitmapId);
    void OnSysColorChange();

    int m_nBitmapID = -1;

private:
    void Show(int bitmapId);

    HWND m_hWnd = nullptr;
};

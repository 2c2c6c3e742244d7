#include "win32/CSysColStatic.h"

void CSysColStatic::SubclassDlgItem(int controlId, HWND dialog) {
    m_hWnd = GetDlgItem(dialog, controlId);
}

void CSysColStatic::SetBitmapResource(int bitmapId) {
    if (bitmapId != -1) {
        m_nBitmapID = bitmapId;
    }
    if (m_nBitmapID != -1) {
        Show(m_nBitmapID);
    }
}

void CSysColStatic::SetPicture(int bitmapId) {
    Show(bitmapId);
}

void CSysColStatic::OnSysColorChange() {
    SetBitmapResource(-1);
}

void CSysColStatic::Show(int bitmapId) {
    HANDLE image = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapId & 0xFFFF), IMAGE_BITMAP, 0,
                              0, LR_LOADMAP3DCOLORS);
    if (!image || !m_hWnd) {
        if (image) {
            DeleteObject(image);
        }
        return;
    }
    // The control owns the picture it is given; the one it hands back is ours to delete.
    HANDLE previous = reinterpret_cast<HANDLE>(
        SendMessageA(m_hWnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image)));
    if (previous && previous != image) {
        DeleteObject(previous);
    }
    // The number shown, for tools that inspect the window from outside (window data is readable
    // from another process, a bitmap handle is not).
    SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, bitmapId);
}

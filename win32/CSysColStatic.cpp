#include "win32/CSysColStatic.h"

#include "win32/Pictures.h"

namespace win32 {

void CSysColStatic::SubclassDlgItem(int controlId, HWND dialog, const win32::Pictures& pictures) {
    m_hWnd = GetDlgItem(dialog, controlId);
    m_pictures = &pictures;
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

void CSysColStatic::Reload() {
    if (m_shown != -1) {
        Show(m_shown);
    }
}

void CSysColStatic::Show(int bitmapId) {
    HANDLE image = m_pictures ? m_pictures->Load(bitmapId & 0xFFFF) : nullptr;
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
    m_shown = bitmapId;
}

}  // namespace win32

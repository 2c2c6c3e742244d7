// The program's pictures for one window's DPI: the exported PNG resources at the scale nearest
// it, decoded with the Windows Imaging Component into bitmaps that controls can show. Owned by a
// dialog, used on its thread.
#pragma once

#include <windows.h>

struct IWICImagingFactory;

namespace res {
struct DialogTemplate;
}

namespace win32 {

class Pictures {
public:
    Pictures();
    ~Pictures();
    Pictures(const Pictures&) = delete;
    Pictures& operator=(const Pictures&) = delete;

    // Pictures from now on suit `dpi` (96 is 100 %).
    void SetDpi(UINT dpi) { m_dpi = dpi; }
    UINT Dpi() const { return m_dpi; }
    // Bitmap `bitmapId` at the scale nearest the DPI, as a 24-bit DIB section the caller deletes;
    // null when there is no such picture or it does not decode.
    HBITMAP Load(int bitmapId) const;

private:
    bool m_comStarted = false;
    IWICImagingFactory* m_factory = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
};

// Shows every picture of the template in its control of `dialog`, made from that template (the
// controls come in template order); the pictures' statics size themselves to them.
void ShowTemplatePictures(HWND dialog, const res::DialogTemplate& dialogTemplate, const Pictures& pictures);
// Tolvik's icon `sizeAt96` pixels across at 100 %, at the size for `dpi`; the caller destroys it.
HICON LoadTolvikIcon(int sizeAt96, UINT dpi);

// The window's DPI, or the system's where the system cannot tell one window's (before Windows 10).
UINT WindowDpi(HWND window);

}  // namespace win32

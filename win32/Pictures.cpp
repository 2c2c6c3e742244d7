#include "win32/Pictures.h"

#include <wincodec.h>

#include "res/DialogTemplate.h"
#include "res/PictureScales.h"
#include "res/Resource.h"

namespace win32 {
namespace {

template <typename T>
struct Released {
    T* p = nullptr;
    ~Released() {
        if (p) {
            p->Release();
        }
    }
    Released() = default;
    Released(const Released&) = delete;
    Released& operator=(const Released&) = delete;
};

// The resource's bytes; empty when it is missing.
struct Bytes {
    BYTE* data = nullptr;
    DWORD size = 0;
};

Bytes Resource(int resourceId) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (!loaded) {
        return {};
    }
    return {static_cast<BYTE*>(LockResource(loaded)), SizeofResource(module, found)};
}

}  // namespace

Pictures::Pictures() {
    // S_FALSE: the thread had COM already; it is balanced all the same.
    const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    m_comStarted = SUCCEEDED(started);
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(&m_factory));
}

Pictures::~Pictures() {
    if (m_factory) {
        m_factory->Release();
    }
    if (m_comStarted) {
        CoUninitialize();
    }
}

HBITMAP Pictures::Load(int bitmapId) const {
    const Bytes png = Resource(res::ScaledPictureResource(bitmapId, res::NearestPictureScale(m_dpi)));
    if (!m_factory || !png.data) {
        return nullptr;
    }
    Released<IWICStream> stream;
    Released<IWICBitmapDecoder> decoder;
    Released<IWICBitmapFrameDecode> frame;
    Released<IWICFormatConverter> converter;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(m_factory->CreateStream(&stream.p)) ||
        FAILED(stream.p->InitializeFromMemory(png.data, png.size)) ||
        FAILED(m_factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand,
                                                  &decoder.p)) ||
        FAILED(decoder.p->GetFrame(0, &frame.p)) || FAILED(m_factory->CreateFormatConverter(&converter.p)) ||
        FAILED(converter.p->Initialize(frame.p, GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr,
                                       0, WICBitmapPaletteTypeCustom)) ||
        FAILED(converter.p->GetSize(&width, &height)) || width == 0 || height == 0 || width > 4096 ||
        height > 4096) {
        return nullptr;
    }
    // Rows top-down, each padded to a whole number of DWORDs as DIBs want.
    const UINT stride = (width * 3 + 3) & ~3u;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        return nullptr;
    }
    if (FAILED(converter.p->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

void ShowTemplatePictures(HWND dialog, const res::DialogTemplate& dialogTemplate, const Pictures& pictures) {
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const res::DialogControl& control : dialogTemplate.controls) {
        if (!child) {
            return;
        }
        if (control.kind == res::ControlKind::Picture && control.bitmapId != 0) {
            if (HBITMAP picture = pictures.Load(control.bitmapId)) {
                // The control owns what it is given; what it hands back is ours to delete.
                const HANDLE previous = reinterpret_cast<HANDLE>(
                    SendMessageA(child, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
                if (previous && previous != picture) {
                    DeleteObject(previous);
                }
            }
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
}

HICON LoadTolvikIcon(int sizeAt96, UINT dpi) {
    const int size = MulDiv(sizeAt96, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
    return static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(res::IDI_TOLVIK), IMAGE_ICON, size, size, 0));
}

UINT WindowDpi(HWND window) {
    // Looked up, not linked: older Windows has no per-window DPI.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(window)) {
            return dpi;
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace win32

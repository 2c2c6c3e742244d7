// Tolvik.exe at 96, 120, 144 and 192 dots per inch (the prefix's LogPixels, read by each new
// process): every picture is shown at the scale nearest the window's DPI, pixel for pixel the
// exported picture of that scale, while the layout grows with the DPI; and a WM_DPICHANGED, sent
// here as Wine's single-DPI desktop never sends one, rescales layout and pictures. The adapter
// chooser's layout grows with the DPI as the main dialog's does.
//   tolvik_dpi_tests <folder with Tolvik.exe and QuarnCANopen.dll> <folder with the exported pictures>
#include <gtest/gtest.h>

#include <wincodec.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/win32/TolvikProcess.h"

namespace {

std::string g_exe;
std::string g_art;

constexpr int kStatusLog = 1002;
constexpr int kRemotePicture = 1017;
constexpr int kStaticId = 0xFFFF;

// A picture control: found by control id, or (banner and logo, which have none) by being the
// upper or lower id-less picture.
struct Shown {
    const char* name;
    int controlId;  // kStaticId: the id-less picture, `upper` says which
    bool upper;
    int bitmap;         // the picture it shows at start
    int width, height;  // at 100 %
};

const Shown kShown[] = {
    {"remote", kRemotePicture, false, 130, 117, 198}, {"step 1", 1013, false, 147, 116, 172},
    {"step 2", 1014, false, 149, 116, 172},           {"step 3", 1015, false, 148, 116, 172},
    {"banner", kStaticId, true, 150, 116, 49},        {"logo", kStaticId, false, 164, 87, 41},
    {"align view key", 1003, false, 156, 42, 30},     {"measure key", 1005, false, 153, 43, 32},
    {"focus down key", 1004, false, 152, 25, 22},     {"focus up key", 1007, false, 151, 24, 24},
    {"zoom down key", 1008, false, 152, 25, 22},      {"zoom up key", 1009, false, 151, 24, 24},
    {"spot key", 1010, false, 155, 26, 24},           {"ring key", 1011, false, 154, 24, 24},
};

struct Scale {
    unsigned dpi;
    int percent;
};

// The picture scale each tested DPI must pick. Wine's dialog font grows in steps (1.10 times at
// 120 dpi, 1.86 at 192), so 120 and 192 show whether the layout follows the DPI all the same.
const Scale kScales[] = {{96, 100}, {120, 125}, {144, 150}, {192, 200}};

int Scaled(int size, int percent) {
    return static_cast<int>(std::floor(size * percent / 100.0 + 0.5));
}

RECT ClientRectOf(HWND control, HWND dialog) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HWND FindShown(HWND dialog, const Shown& shown) {
    if (shown.controlId != kStaticId) {
        return GetDlgItem(dialog, shown.controlId);
    }
    HWND found = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
        if ((GetDlgCtrlID(child) & 0xFFFF) != kStaticId || (style & SS_TYPEMASK) != SS_BITMAP) {
            continue;
        }
        if (!found || (ClientRectOf(child, dialog).top < ClientRectOf(found, dialog).top) == shown.upper) {
            found = child;
        }
    }
    return found;
}

// Sets the DPI new processes of the prefix start with, and puts 96 back at the end.
class LogPixels {
public:
    explicit LogPixels(unsigned dpi) { Set(dpi); }
    ~LogPixels() { Set(96); }
    LogPixels(const LogPixels&) = delete;
    LogPixels& operator=(const LogPixels&) = delete;

private:
    static void Set(unsigned dpi) {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &key, nullptr) == ERROR_SUCCESS) {
            const DWORD value = dpi;
            RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof value);
            RegCloseKey(key);
        }
    }
};

// 24-bit pixels, top-down rows, each padded to four bytes.
struct Pixels {
    int width = 0, height = 0;
    std::vector<BYTE> bytes;
    int Stride() const { return (width * 3 + 3) & ~3; }
};

Pixels DecodePng(const std::string& path) {
    Pixels pixels;
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory)))) {
        return pixels;
    }
    const std::wstring wide(path.begin(), path.end());
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    UINT width = 0, height = 0;
    if (SUCCEEDED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr,
                                        0, WICBitmapPaletteTypeCustom)) &&
        SUCCEEDED(converter->GetSize(&width, &height))) {
        pixels.width = static_cast<int>(width);
        pixels.height = static_cast<int>(height);
        pixels.bytes.resize(static_cast<size_t>(pixels.Stride()) * height);
        if (FAILED(converter->CopyPixels(nullptr, pixels.Stride(), static_cast<UINT>(pixels.bytes.size()),
                                         pixels.bytes.data()))) {
            pixels = {};
        }
    }
    for (IUnknown* object : std::initializer_list<IUnknown*>{converter, frame, decoder, factory}) {
        if (object) {
            object->Release();
        }
    }
    return pixels;
}

// What the screen shows in `area` (screen coordinates).
Pixels CaptureScreen(const RECT& area) {
    Pixels pixels;
    pixels.width = area.right - area.left;
    pixels.height = area.bottom - area.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, pixels.width, pixels.height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    pixels.bytes.assign(static_cast<BYTE*>(bits), static_cast<BYTE*>(bits) + pixels.Stride() * pixels.height);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The share of pixels that differ by more than a little in any channel.
double DifferingShare(const Pixels& a, const Pixels& b) {
    if (a.width != b.width || a.height != b.height || a.width == 0) {
        return 1;
    }
    int differing = 0;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width * 3; x += 3) {
            const BYTE* p = &a.bytes[static_cast<size_t>(y) * a.Stride() + x];
            const BYTE* q = &b.bytes[static_cast<size_t>(y) * b.Stride() + x];
            if (std::abs(p[0] - q[0]) > 2 || std::abs(p[1] - q[1]) > 2 || std::abs(p[2] - q[2]) > 2) {
                ++differing;
            }
        }
    }
    return static_cast<double>(differing) / (a.width * a.height);
}

// Every picture is the size of the exported picture of `percent` and shows it: a neighbour drawn
// over it would differ. `context` names the case.
void ExpectPicturesAt(HWND dialog, int percent, const std::string& context) {
    // The window on top and painted, so that the screen shows it.
    SetForegroundWindow(dialog);
    // The focus on the status log (1002), so that no key draws a focus rectangle over its picture.
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, 1002)), TRUE);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
    for (const Shown& shown : kShown) {
        HWND control = FindShown(dialog, shown);
        ASSERT_NE(control, nullptr) << context << ": " << shown.name;
        RECT area;
        GetWindowRect(control, &area);
        EXPECT_EQ(area.right - area.left, Scaled(shown.width, percent)) << context << ": " << shown.name;
        EXPECT_EQ(area.bottom - area.top, Scaled(shown.height, percent)) << context << ": " << shown.name;
        const std::string file =
            g_art + "\\bitmap" + std::to_string(shown.bitmap) + "_" + std::to_string(percent) + ".png";
        const Pixels expected = DecodePng(file);
        ASSERT_GT(expected.width, 0) << file;
        EXPECT_LT(DifferingShare(CaptureScreen(area), expected), 0.01) << context << ": " << shown.name;
    }
}

int ClientWidth(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return client.right;
}

TEST(TolvikDpi, PicturesAtTheScaleOfEveryDpiAsTheLayoutGrows) {
    int widthAt96 = 0;
    int logWidthAt96 = 0;
    for (const Scale& scale : kScales) {
        const std::string context = std::to_string(scale.dpi) + " dpi";
        LogPixels logPixels(scale.dpi);
        TolvikProcess tolvik(g_exe, "");
        HWND dialog = tolvik.MainWindow();
        ASSERT_NE(dialog, nullptr) << context;
        const int width = ClientWidth(dialog);
        const int logWidth = ClientWidth(GetDlgItem(dialog, kStatusLog));
        if (scale.dpi == 96) {
            widthAt96 = width;
            logWidthAt96 = logWidth;
        } else {
            EXPECT_NEAR(width, widthAt96 * scale.dpi / 96.0, widthAt96 * scale.dpi / 96.0 * 0.02) << context;
            EXPECT_NEAR(logWidth, logWidthAt96 * scale.dpi / 96.0, logWidthAt96 * scale.dpi / 96.0 * 0.02)
                << context;
        }
        ExpectPicturesAt(dialog, scale.percent, context);
    }
}

TEST(TolvikDpi, AdapterChooserGrowsWithTheDpi) {
    ASSERT_TRUE(ListSerialPorts({"COM7"}));
    SetEnvironmentVariableA("TOLVIK_BRIDGE_LIBRARY",
                            (g_exe.substr(0, g_exe.rfind('\\')) + "\\tolvikcan.dll").c_str());
    int widthAt96 = 0;
    int listWidthAt96 = 0;
    for (unsigned dpi : {96u, 192u}) {
        LogPixels logPixels(dpi);
        TolvikProcess tolvik(g_exe, "");
        HWND chooser = tolvik.WaitForOtherWindow(kAdapterChooser);
        ASSERT_NE(chooser, nullptr) << dpi << " dpi";
        const int width = ClientWidth(chooser);
        const int listWidth = ClientWidth(GetDlgItem(chooser, 1101));
        if (dpi == 96) {
            widthAt96 = width;
            listWidthAt96 = listWidth;
        } else {
            EXPECT_NEAR(width, widthAt96 * 2.0, widthAt96 * 2.0 * 0.02);
            EXPECT_NEAR(listWidth, listWidthAt96 * 2.0, listWidthAt96 * 2.0 * 0.02);
        }
    }
    SetEnvironmentVariableA("TOLVIK_BRIDGE_LIBRARY", nullptr);
}

// Puts `value` into the other process, where a pointer in lParam must point: a message from another
// program is not copied across for it.
class RemoteRect {
public:
    RemoteRect(DWORD processId, const RECT& value)
        : m_process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId)) {
        if (m_process) {
            m_address =
                VirtualAllocEx(m_process, nullptr, sizeof value, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
            if (m_address && !WriteProcessMemory(m_process, m_address, &value, sizeof value, nullptr)) {
                m_address = nullptr;
            }
        }
    }
    ~RemoteRect() {
        if (m_address) {
            VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        }
        if (m_process) {
            CloseHandle(m_process);
        }
    }
    RemoteRect(const RemoteRect&) = delete;
    RemoteRect& operator=(const RemoteRect&) = delete;
    LPARAM Address() const { return reinterpret_cast<LPARAM>(m_address); }

private:
    HANDLE m_process;
    void* m_address = nullptr;
};

TEST(TolvikDpi, DpiChangeResizesToTheSuggestedRectangleAndReloadsThePictures) {
    TolvikProcess tolvik(g_exe, "");
    HWND dialog = tolvik.MainWindow();
    ASSERT_NE(dialog, nullptr);
    RECT before;
    GetWindowRect(dialog, &before);
    const int logWidth = ClientWidth(GetDlgItem(dialog, kStatusLog));

    // The window moved to a 150 % screen: the suggested rectangle is the window at 1.5 times.
    const RECT suggested{before.left, before.top, before.left + (before.right - before.left) * 3 / 2,
                         before.top + (before.bottom - before.top) * 3 / 2};
    RemoteRect remote(tolvik.ProcessId(), suggested);
    ASSERT_NE(remote.Address(), 0);
    SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(144, 144), remote.Address());

    RECT after;
    GetWindowRect(dialog, &after);
    EXPECT_EQ(after.right - after.left, suggested.right - suggested.left);
    EXPECT_EQ(after.bottom - after.top, suggested.bottom - suggested.top);
    EXPECT_NEAR(ClientWidth(GetDlgItem(dialog, kStatusLog)), logWidth * 1.5, 3);
    ExpectPicturesAt(dialog, 150, "after WM_DPICHANGED to 144 dpi");

    // And back.
    RemoteRect back(tolvik.ProcessId(), before);
    SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(96, 96), back.Address());
    EXPECT_EQ(ClientWidth(GetDlgItem(dialog, kStatusLog)), logWidth);
    ExpectPicturesAt(dialog, 100, "after WM_DPICHANGED back to 96 dpi");
    // Still working: the bench's lines keep arriving in the log.
    EXPECT_TRUE(tolvik.WaitFor([&] { return !ListLines(GetDlgItem(dialog, kStatusLog)).empty(); }));
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(
            stderr, "usage: tolvik_dpi_tests <folder with Tolvik.exe> <folder with the exported pictures>\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    g_exe = WindowsPath(argv[1]) + "\\Tolvik.exe";
    g_art = WindowsPath(argv[2]);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}

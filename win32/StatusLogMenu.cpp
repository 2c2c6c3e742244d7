#include "win32/StatusLogMenu.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <cstring>
#include <vector>

#include "statuslog/LogFile.h"
#include "win32/WideText.h"

namespace win32 {

namespace {

enum Command : UINT_PTR { kCopy = 1, kCopyAll, kSaveAs };
constexpr UINT_PTR kSubclassId = 1;

}  // namespace

StatusLogMenu::StatusLogMenu(CHListBox& log, HWND dialog, std::string caption)
    : m_log(log), m_dialog(dialog), m_caption(std::move(caption)) {
    SetWindowSubclass(m_log.GetSafeHwnd(), ListProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

StatusLogMenu::~StatusLogMenu() {
    RemoveWindowSubclass(m_log.GetSafeHwnd(), ListProc, kSubclassId);
}

LRESULT CALLBACK StatusLogMenu::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
    auto* self = reinterpret_cast<StatusLogMenu*>(data);
    switch (message) {
        case WM_CONTEXTMENU:
            self->ShowMenu(lParam);
            return 0;
        case WM_KEYDOWN:
            if (wParam == 'C' && GetKeyState(VK_CONTROL) < 0) {
                self->Copy();
                return 0;
            }
            break;
        default:
            break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

void StatusLogMenu::ShowMenu(LPARAM where) {
    POINT point{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    if (where == -1) {
        RECT item{};
        const int selected = m_log.GetCurSel();
        if (selected < 0 || SendMessageW(m_log.GetSafeHwnd(), LB_GETITEMRECT, static_cast<WPARAM>(selected),
                                         reinterpret_cast<LPARAM>(&item)) == LB_ERR) {
            item = {};
        }
        point = {item.left, item.bottom};
        ClientToScreen(m_log.GetSafeHwnd(), &point);
    }
    HMENU menu = CreatePopupMenu();
    if (!menu) {
        return;
    }
    AppendMenuW(menu, MF_STRING, kCopy, (win32::Utf16(statuslog::kCopyCaption) + L"\tCtrl+C").c_str());
    AppendMenuW(menu, MF_STRING, kCopyAll, win32::Utf16(statuslog::kCopyAllCaption).c_str());
    AppendMenuW(menu, MF_STRING, kSaveAs, win32::Utf16(statuslog::kSaveAsCaption).c_str());
    const UINT_PTR chosen =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, point.x, point.y,
                       0, m_dialog, nullptr);
    DestroyMenu(menu);
    switch (chosen) {
        case kCopy:
            Copy();
            break;
        case kCopyAll:
            CopyAll();
            break;
        case kSaveAs:
            SaveAs();
            break;
        default:
            break;
    }
}

void StatusLogMenu::Copy() {
    if (const int selected = m_log.GetCurSel(); selected >= 0) {
        PutOnClipboard(m_log.GetText(selected));
    }
}

void StatusLogMenu::CopyAll() {
    // Lines end as Windows text does, so every program pastes them as lines.
    std::string text;
    for (int i = 0; i < m_log.GetCount(); ++i) {
        text += m_log.GetText(i);
        text += "\r\n";
    }
    PutOnClipboard(text);
}

void StatusLogMenu::PutOnClipboard(const std::string& utf8) {
    const std::wstring text = win32::Utf16(utf8);
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) {
        return;
    }
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    if (!OpenClipboard(m_dialog)) {
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, memory)) {
        GlobalFree(memory);  // the clipboard owns it only once it took it
    }
    CloseClipboard();
}

void StatusLogMenu::SaveAs() {
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring suggested = win32::Utf16(statuslog::SuggestedFileName());
    suggested.copy(file.data(), file.size() - 1);
    const std::wstring title = win32::Utf16(statuslog::kSaveDialogTitle);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_dialog;
    dialog.lpstrFilter = L"Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = L"txt";
    // The program's current folder stays where it was: a folder the user saved into stays deletable.
    dialog.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetSaveFileNameW(&dialog)) {
        SaveTo(file.data());
    }
}

void StatusLogMenu::SaveTo(const std::wstring& path) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(m_log.GetCount()));
    for (int i = 0; i < m_log.GetCount(); ++i) {
        lines.push_back(m_log.GetText(i));
    }
    std::string error;
    if (statuslog::SaveLogFile(path, statuslog::LogFileText(statuslog::LogFileHeader(), lines), &error)) {
        return;
    }
    MessageBoxW(m_dialog, win32::Utf16(statuslog::SaveFailureMessage(win32::Utf8(path), error)).c_str(),
                win32::Utf16(m_caption).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace win32

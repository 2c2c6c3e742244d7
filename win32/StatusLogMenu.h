// The status log's context menu on Windows (right click, Shift+F10, the menu key): Copy (the
// selected line, also Ctrl+C), Copy all, and Save log as..., with the captions, file and
// messages the Linux log has (statuslog/). It reads the log and never changes it.
#pragma once

#include <windows.h>

#include <string>

#include "win32/CHListBox.h"

namespace win32 {

class StatusLogMenu {
public:
    // Takes the list box's keyboard and context-menu traffic; `caption` titles message boxes.
    StatusLogMenu(CHListBox& log, HWND dialog, std::string caption);
    ~StatusLogMenu();
    StatusLogMenu(const StatusLogMenu&) = delete;
    StatusLogMenu& operator=(const StatusLogMenu&) = delete;

    void Copy();
    void CopyAll();
    // Asks for a file name with the common Save dialog, then saves there.
    void SaveAs();

private:
    static LRESULT CALLBACK ListProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    // `where` in screen coordinates, or -1 for the keyboard: below the selected line.
    void ShowMenu(LPARAM where);
    void SaveTo(const std::wstring& path);
    void PutOnClipboard(const std::string& utf8);

    CHListBox& m_log;
    HWND m_dialog;
    std::string m_caption;
};

}  // namespace win32

// Tolvik.exe: the command line, then the main dialog, modal, until it is closed.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "chooser/StartUp.h"
#include "commandline/CommandLine.h"
#include "win32/AdapterChooser.h"
#include "win32/CTolvikDlg.h"

using win32::CTolvikDlg;

namespace {

// The arguments in the ANSI code page the program opens files with; a character it cannot hold
// stays unmatched ('?', no best fit), so such a file is reported missing rather than another opened.
std::vector<std::string> Arguments() {
    std::vector<std::string> arguments;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) {
            const int bytes =
                WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide[i], -1, nullptr, 0, nullptr, nullptr);
            std::string argument(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
            WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide[i], -1, argument.data(), bytes, nullptr,
                                nullptr);
            argument.resize(argument.size() - 1);
            arguments.push_back(argument);
        }
        LocalFree(wide);
    }
    return arguments;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const commandline::CommandLine line = commandline::ParseCommandLine(Arguments());
    if (!line.run) {
        // A program without a console answers in a box: help and version as information.
        MessageBoxA(nullptr, line.output.c_str(), "Tolvik",
                    MB_OK | (line.exitCode ? MB_ICONERROR : MB_ICONINFORMATION));
        return line.exitCode;
    }
    commandline::ApplyCommandLine(line);

    // Accessible objects are handed to screen readers through COM.
    const HRESULT com = OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    // Cancel in the chooser ends Tolvik before the main dialog exists.
    if (!chooser::WantsAdapterChoice() || win32::RunAdapterChooser()) {
        CTolvikDlg dialog;
        dialog.DoModal();
    }
    if (SUCCEEDED(com)) {
        OleUninitialize();
    }
    return 0;
}

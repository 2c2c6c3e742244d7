#include "tests/win32/TolvikProcess.h"

#include <cstdio>
#include <cstdlib>

std::string WindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') {
        return path;
    }
    std::string windows = "Z:" + path;
    for (char& c : windows) {
        if (c == '/') {
            c = '\\';
        }
    }
    return windows;
}

std::string& TolvikFolder() {
    static std::string folder;
    return folder;
}

namespace {

std::string ScenarioFileName() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    char name[MAX_PATH] = {};
    GetTempFileNameA(folder, "tvk", 0, name);
    return name;
}

struct Search {
    DWORD processId;
    const char* caption;
    HWND exclude;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || window == search->exclude) {
        return TRUE;
    }
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770" || WindowText(window) != search->caption) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

}  // namespace

TolvikProcess::TolvikProcess(const std::string& exe, const std::string& scenario,
                             const std::string& arguments) {
    std::string environmentValue;
    if (!scenario.empty()) {
        m_scenarioFile = ScenarioFileName();
        if (FILE* file = std::fopen(m_scenarioFile.c_str(), "wb")) {
            std::fputs(scenario.c_str(), file);
            std::fclose(file);
        }
        environmentValue = m_scenarioFile;
    }
    SetEnvironmentVariableA("TOLVIK_BENCH_SCENARIO",
                            environmentValue.empty() ? nullptr : environmentValue.c_str());
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    const std::string folder = exe.substr(0, exe.find_last_of('\\'));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                   &startup, &m_process);
    SetEnvironmentVariableA("TOLVIK_BENCH_SCENARIO", nullptr);
}

TolvikProcess::~TolvikProcess() {
    if (m_process.hProcess) {
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
            // Message boxes first, then the dialog itself.
            for (int attempt = 0; attempt < 5 && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
                 ++attempt) {
                while (HWND box = FindOtherWindow("Tolvik")) {
                    PostMessageA(box, WM_COMMAND, IDOK, 0);
                    Sleep(200);
                }
                if (HWND chooser = FindOtherWindow(kAdapterChooser)) {
                    PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
                }
                if (m_main) {
                    PostMessageA(m_main, WM_CLOSE, 0, 0);
                }
                WaitForSingleObject(m_process.hProcess, 2000);
            }
            if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(m_process.hProcess, 1);
                WaitForSingleObject(m_process.hProcess, 5000);
            }
        }
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
    if (!m_scenarioFile.empty()) {
        DeleteFileA(m_scenarioFile.c_str());
    }
}

HWND TolvikProcess::MainWindow(DWORD timeoutMs) {
    if (!m_main && m_process.hProcess) {
        WaitFor(
            [this] {
                Search search{m_process.dwProcessId, "Tolvik", nullptr, nullptr};
                EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
                // The main dialog is the one holding the status log.
                if (search.found && GetDlgItem(search.found, 1002)) {
                    m_main = search.found;
                }
                return m_main != nullptr;
            },
            timeoutMs);
    }
    return m_main;
}

HWND TolvikProcess::FindOtherWindow(const char* caption) const {
    Search search{m_process.dwProcessId, caption, m_main, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    // The main dialog may not be known yet: it is the one with a status log.
    if (search.found && GetDlgItem(search.found, 1002)) {
        return nullptr;
    }
    return search.found;
}

HWND TolvikProcess::WaitForOtherWindow(const char* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindOtherWindow(caption)) != nullptr; }, timeoutMs);
    return found;
}

DWORD TolvikProcess::WaitForExit(DWORD timeoutMs) {
    WaitForSingleObject(m_process.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

namespace {

// The program's texts are ASCII; anything else shows as '?'.
std::string Narrow(const std::wstring& wide) {
    std::string text;
    for (wchar_t c : wide) {
        text += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return text;
}

}  // namespace

bool ListSerialPorts(const std::vector<std::string>& ports) {
    constexpr const char* kSerialComm = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSerialComm);
    HKEY key = nullptr;
    // HARDWARE is volatile, and so must be every key under it.
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSerialComm, 0, nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    bool written = true;
    for (size_t i = 0; i < ports.size(); ++i) {
        const std::string device = "\\Device\\Serial" + std::to_string(i);
        written &=
            RegSetValueExA(key, device.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(ports[i].c_str()),
                           static_cast<DWORD>(ports[i].size() + 1)) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return written;
}

// Texts are read with the wide messages: Wine hands the narrow list-box ones across processes
// as wide text.
std::vector<std::string> ListLines(HWND list) {
    std::vector<std::string> lines;
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring line(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
        lines.push_back(Narrow(line.c_str()));
    }
    return lines;
}

std::string WindowText(HWND window) {
    // All of it: the help box's text is longer than a line or two.
    std::wstring text(static_cast<size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return Narrow(text.c_str());
}

std::string MessageBoxText(HWND box) {
    return WindowText(GetDlgItem(box, 0xFFFF));
}

// Presses Associate once it is enabled; the association's wait dialog, or null when none came.
HWND StartAssociation(TolvikProcess& tolvik, HWND dialog) {
    constexpr int kAssociate = 1016;
    HWND associate = GetDlgItem(dialog, kAssociate);
    if (!tolvik.WaitFor([&] { return IsWindowEnabled(associate) != FALSE; })) {
        return nullptr;
    }
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kAssociate, BN_CLICKED), reinterpret_cast<LPARAM>(associate));
    HWND wait = nullptr;
    tolvik.WaitFor([&] { return (wait = tolvik.FindOtherWindow("Association in process...")) != nullptr; });
    return wait;
}

// Starts the real Tolvik.exe on the bench and reads and drives its window through window messages,
// as another program on the same desktop would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The caption of the adapter chooser, which comes before the main dialog on the adapter library.
inline constexpr const char* kAdapterChooser = "Tolvik - CAN adapter";

// A Windows path for `path`: Unix paths map through Wine's Z: drive.
std::string WindowsPath(const std::string& path);

// The Windows folder holding Tolvik.exe and the bench as QuarnCANopen.dll; set once by main.
std::string& TolvikFolder();

class TolvikProcess {
public:
    // Runs `exe` with the bench scenario `scenario` (empty: the default scenario), written to a
    // file of its own, and `arguments` on its command line.
    TolvikProcess(const std::string& exe, const std::string& scenario, const std::string& arguments = "");
    // Closes the window if it is still there and waits for the process; kills it only as a last
    // resort, so a test never leaves a process behind.
    ~TolvikProcess();
    TolvikProcess(const TolvikProcess&) = delete;
    TolvikProcess& operator=(const TolvikProcess&) = delete;

    // The main dialog, waiting up to `timeoutMs` for it; null if it never came.
    HWND MainWindow(DWORD timeoutMs = 20000);
    // A top-level window of the process with this caption other than the main dialog, or null.
    HWND FindOtherWindow(const char* caption) const;
    // The same, waiting up to `timeoutMs` for it to come.
    HWND WaitForOtherWindow(const char* caption, DWORD timeoutMs = 20000);
    // Waits until `done` holds, polling; false on timeout.
    template <typename Condition>
    bool WaitFor(Condition done, DWORD timeoutMs = 20000) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > timeoutMs) {
                return false;
            }
            Sleep(50);
        }
        return true;
    }
    // Waits for the process to end; its exit code, or STILL_ACTIVE on timeout.
    DWORD WaitForExit(DWORD timeoutMs);
    DWORD ProcessId() const { return m_process.dwProcessId; }

private:
    PROCESS_INFORMATION m_process{};
    std::string m_scenarioFile;
    HWND m_main = nullptr;
};

// Puts `ports` into HKLM\HARDWARE\DEVICEMAP\SERIALCOMM in place of what Wine's mount manager
// wrote, as the COM ports the system lists; false when the key could not be written.
bool ListSerialPorts(const std::vector<std::string>& ports);

std::vector<std::string> ListLines(HWND list);
// Presses Associate once it is enabled; the association's wait dialog, or null when none came.
HWND StartAssociation(TolvikProcess& tolvik, HWND dialog);
std::string WindowText(HWND window);
// The text of the static inside a message box.
std::string MessageBoxText(HWND box);

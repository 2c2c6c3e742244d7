// The narrow port through which the link, the remote functions and the configuration chain
// change the main dialog. CTolvikDlg implements it with widgets; tests use a recording one.
#pragma once

#include <array>
#include <atomic>
#include <memory>

#include "canlink/QuarnCANopen.h"
#include "port/CloseGate.h"

enum class MessageIcon { None, Error };

// The association's progress window, owned by whoever created it; destroying it dismisses it.
// User-interface thread only.
class WaitDialogPort {
public:
    virtual ~WaitDialogPort() = default;
    virtual void UpdateText(const char* text) = 0;
    virtual void UpdateProgress(int position) = 0;
    // Handles what is waiting; false when it met (and re-posted) a quit request.
    virtual bool ProcessMessages() = 0;
    // False once the user or the owner dismissed it.
    virtual bool IsOpen() const = 0;
};

// The four received channels, in the order received records are matched against them.
enum PdoChannel { kBaseKeyPdo = 0, kWirelessKeyPdo = 1, kSignalPdo = 2, kBatteryPdo = 3, kPdoChannels = 4 };

class MainDialogPort {
public:
    virtual ~MainDialogPort() = default;

    // Safe from any thread: calls from another thread reach the dialog in order, later, on its
    // own thread, and never wait for it.
    virtual void AddStatusLine(const char* text) = 0;
    virtual void SetItemText(int controlId, const char* text) = 0;
    virtual void SetItemPicture(int controlId, int bitmapId) = 0;
    virtual void SetBarPosition(int controlId, int position) = 0;
    // False while so many changes from another thread wait for the dialog that taking more
    // records would only pile them up: the event callback then leaves records with the library,
    // whose buffer is bounded. Any thread; never waits.
    virtual bool HasRoomForUpdates() const { return true; }

    // User-interface thread only.
    virtual void ShowMessageBox(const char* text, MessageIcon icon) = 0;
    virtual void EnableItem(int controlId, bool enable) = 0;
    virtual std::unique_ptr<WaitDialogPort> CreateWaitDialog() = 0;

    // Set once by any failure of the link, the firmware read or the association's first read;
    // never cleared. User-interface thread only.
    int m_linkFailed = 0;

    // Close requests that come while the association runs. User-interface thread only.
    CloseGate m_closeGate;

    // Only the COB-IDs are set; the same records are registered, matched and transmitted on.
    std::array<CAN_PDO, kPdoChannels> m_pdoRegistration{};
};

// The running main dialog, for the bridge library's callback; null when there is none.
inline std::atomic<MainDialogPort*> g_mainDialog{nullptr};
// -1 unknown, 0 OK, 1 LOW. Written by the event callback before the battery text changes.
inline std::atomic<int> g_batteryState{-1};
// Raised by any wireless key, signal or battery PDO; cleared and polled by the association.
inline std::atomic<int> g_wirelessActivity{0};

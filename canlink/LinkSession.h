// The link's state for one main dialog: created and destroyed with it, so nothing of one dialog's
// link outlives it or leaks into the next (tests create one per case).
#pragma once

#include <array>
#include <atomic>
#include <mutex>

#include "canlink/BridgeLibrary.h"
#include "canlink/QuarnCANopen.h"
#include "port/CloseGate.h"
#include "port/RemoteView.h"

namespace canlink {

// The four received channels, in the order received records are matched against them.
enum PdoChannel { kBaseKeyPdo = 0, kWirelessKeyPdo = 1, kSignalPdo = 2, kBatteryPdo = 3, kPdoChannels = 4 };

class LinkSession {
public:
    // Becomes the running session, the one the bridge library's callbacks reach. Talks to the bus
    // through `library`, which must outlive the session; it may be bound later, before the link
    // starts (the front ends bind the process's library in the start-up).
    explicit LinkSession(const BridgeLibrary& library);
    // Stops being the running session if it still is. Disconnect() first: only that makes sure
    // no callback still runs on this session.
    ~LinkSession();
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    // The running session; null when there is none. Any thread.
    static LinkSession* Running();

    // The bridge library this link talks through. Any thread, once bound.
    const BridgeLibrary& Library() const { return m_library; }

    // The one CAN_Disconnect of this link: the first call disconnects (when a library is bound),
    // later calls do nothing. CAN_Disconnect returns only when no callback runs and none will
    // start; then the adapter library's reason proc is cleared. User-interface thread only.
    void Disconnect();
    bool IsDisconnected() const { return m_disconnected; }

    // The state below keeps the names of the process-wide values it stands for: there is one
    // running session, as there is one main dialog.

    // The main dialog the callback shows records on; null until the link starts.
    std::atomic<port::RemoteView*> g_mainDialog{nullptr};
    // -1 unknown, 0 OK, 1 LOW. Written by the event callback before the battery text changes.
    std::atomic<int> g_batteryState{-1};
    // Raised by any wireless key, signal or battery PDO; cleared and polled by the association.
    std::atomic<int> g_wirelessActivity{0};

    // Set once by any failure of the link, the firmware read or the association's first read;
    // never cleared. User-interface thread only.
    int m_linkFailed = 0;
    // Close requests that come while the association runs. User-interface thread only.
    port::CloseGate m_closeGate;
    // Only the COB-IDs are set; the same records are registered, matched and transmitted on.
    std::array<CAN_PDO, kPdoChannels> m_pdoRegistration{};

    // Records left with the library by the last fetch for want of room in the dialog.
    std::atomic<int> m_recordsLeft{0};
    // One fetcher at a time, the callback or the dialog's catch-up: the library's buffer is taken
    // from in order. Held only while records are fetched and handed over, never while the dialog
    // draws, so the callback waits at most for a short fetch.
    std::mutex m_fetching;

private:
    const BridgeLibrary& m_library;
    bool m_disconnected = false;
};

}  // namespace canlink

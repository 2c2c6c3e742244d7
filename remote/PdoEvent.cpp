#include "remote/PdoEvent.h"

#include <atomic>
#include <mutex>

#include "canlink/BridgeLibrary.h"
#include "port/MainDialogPort.h"
#include "remote/KeyCodes.h"
#include "res/Resource.h"

namespace {

// Bit 1 of the battery PDO's byte: the wireless remote's batteries are low.
constexpr uint8_t kBatteryLowMask = 0x02;

void ShowKey(MainDialogPort& dlg, uint8_t code, bool wireless) {
    const KeyCodeEntry& entry = LookUpKeyCode(code);
    if (entry.bitmap != kKeepPicture) {
        dlg.SetItemPicture(res::IDC_REMOTE_PICTURE, entry.bitmap);
    }
    dlg.AddStatusLine(entry.statusLine);
    if (wireless) {
        g_wirelessActivity = 1;
    }
}

// The battery state is stored before the text changes so the repaint the text causes already
// picks the new state's colour.
void ShowSignal(MainDialogPort& dlg, uint8_t level) {
    dlg.SetBarPosition(res::IDC_SIGNAL_BAR, level);
    int unknown = -1;
    if (g_batteryState.compare_exchange_strong(unknown, 0)) {
        dlg.SetItemText(res::IDC_BATTERY, " OK ");
    }
    g_wirelessActivity = 1;
}

void ShowBattery(MainDialogPort& dlg, uint8_t status) {
    const bool low = (status & kBatteryLowMask) != 0;
    g_batteryState = low ? 1 : 0;
    dlg.SetItemText(res::IDC_BATTERY, low ? " LOW " : " OK ");
    g_wirelessActivity = 1;
}

// The first registered channel with this COB-ID, or kPdoChannels for a record that is not ours.
int MatchChannel(const MainDialogPort& dlg, uint32_t cobId) {
    for (int channel = 0; channel < kPdoChannels; ++channel) {
        if (dlg.m_pdoRegistration[channel].cobId == cobId) {
            return channel;
        }
    }
    return kPdoChannels;
}

void ShowRecord(MainDialogPort& dlg, const CAN_PDO& pdo) {
    const uint8_t value = pdo.data[0];
    switch (MatchChannel(dlg, pdo.cobId)) {
        case kBaseKeyPdo:
            ShowKey(dlg, value, false);
            break;
        case kWirelessKeyPdo:
            ShowKey(dlg, value, true);
            break;
        case kSignalPdo:
            ShowSignal(dlg, value);
            break;
        case kBatteryPdo:
            ShowBattery(dlg, value);
            break;
        default:
            break;
    }
}

// Records left with the library by the last fetch for want of room in the dialog.
std::atomic<int> g_recordsLeft{0};
// One fetcher at a time, the callback or the dialog's catch-up: the library's buffer is taken
// from in order. Held only while records are fetched and handed over, never while the dialog
// draws, so the callback waits at most for a short fetch.
std::mutex g_fetching;

// A fetch that fails still uses up its pass: the library said how many were waiting, and
// retrying could spin on a library that has nothing to give. A dialog that cannot keep up
// leaves the rest in the library's buffer, which is bounded and counts what it drops.
void Fetch(MainDialogPort& dlg, int count) {
    int pass = 0;
    for (; pass < count && dlg.HasRoomForUpdates(); ++pass) {
        CAN_PDO pdo{};
        if (Bridge().CAN_GetPDO(&pdo) == 1) {
            ShowRecord(dlg, pdo);
        }
    }
    g_recordsLeft = count > pass ? count - pass : 0;
}

}  // namespace

void OnPdoEvent(int count) {
    // Without a dialog there is nowhere to show the records (a callback racing the dialog's
    // creation or its close): leave them with the library rather than take and lose them.
    MainDialogPort* dlg = g_mainDialog.load();
    if (dlg == nullptr) {
        return;
    }
    std::lock_guard lock(g_fetching);
    Fetch(*dlg, count);
}

void FetchLeftRecords(MainDialogPort& dlg) {
    if (g_recordsLeft.load() == 0 || !dlg.HasRoomForUpdates()) {
        return;
    }
    std::lock_guard lock(g_fetching);
    Fetch(dlg, g_recordsLeft.load());
}

void OnSecondaryEvent(int, int) {}

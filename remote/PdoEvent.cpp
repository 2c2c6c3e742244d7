#include "remote/PdoEvent.h"

#include <mutex>

#include "canlink/BridgeLibrary.h"
#include "canlink/LinkSession.h"
#include "port/RemoteView.h"
#include "remote/KeyCodes.h"
#include "res/Resource.h"

using canlink::kBaseKeyPdo;
using canlink::kBatteryPdo;
using canlink::kPdoChannels;
using canlink::kSignalPdo;
using canlink::kWirelessKeyPdo;
using canlink::LinkSession;
using port::RemoteView;

namespace remote {

namespace {

// Bit 1 of the battery PDO's byte: the wireless remote's batteries are low.
constexpr uint8_t kBatteryLowMask = 0x02;

void ShowKey(LinkSession& link, RemoteView& dlg, uint8_t code, bool wireless) {
    const KeyCodeEntry& entry = LookUpKeyCode(code);
    if (entry.bitmap != kKeepPicture) {
        dlg.SetItemPicture(res::IDC_REMOTE_PICTURE, entry.bitmap);
    }
    dlg.AddStatusLine(entry.statusLine);
    if (wireless) {
        link.g_wirelessActivity = 1;
    }
}

// The battery state is stored before the text changes so the repaint the text causes already
// picks the new state's colour.
void ShowSignal(LinkSession& link, RemoteView& dlg, uint8_t level) {
    dlg.SetBarPosition(res::IDC_SIGNAL_BAR, level);
    int unknown = -1;
    if (link.g_batteryState.compare_exchange_strong(unknown, 0)) {
        dlg.SetItemText(res::IDC_BATTERY, " OK ");
    }
    link.g_wirelessActivity = 1;
}

void ShowBattery(LinkSession& link, RemoteView& dlg, uint8_t status) {
    const bool low = (status & kBatteryLowMask) != 0;
    link.g_batteryState = low ? 1 : 0;
    dlg.SetItemText(res::IDC_BATTERY, low ? " LOW " : " OK ");
    link.g_wirelessActivity = 1;
}

// The first registered channel with this COB-ID, or kPdoChannels for a record that is not ours.
int MatchChannel(const LinkSession& link, uint32_t cobId) {
    for (int channel = 0; channel < kPdoChannels; ++channel) {
        if (link.m_pdoRegistration[channel].cobId == cobId) {
            return channel;
        }
    }
    return kPdoChannels;
}

void ShowRecord(LinkSession& link, RemoteView& dlg, const CAN_PDO& pdo) {
    const uint8_t value = pdo.data[0];
    switch (MatchChannel(link, pdo.cobId)) {
        case kBaseKeyPdo:
            ShowKey(link, dlg, value, false);
            break;
        case kWirelessKeyPdo:
            ShowKey(link, dlg, value, true);
            break;
        case kSignalPdo:
            ShowSignal(link, dlg, value);
            break;
        case kBatteryPdo:
            ShowBattery(link, dlg, value);
            break;
        default:
            break;
    }
}

// A fetch that fails still uses up its pass: the library said how many were waiting, and
// retrying could spin on a library that has nothing to give. A dialog that cannot keep up
// leaves the rest in the library's buffer, which is bounded and counts what it drops.
// Called with link.m_fetching held.
void Fetch(LinkSession& link, RemoteView& dlg, int count) {
    int pass = 0;
    for (; pass < count && dlg.HasRoomForUpdates(); ++pass) {
        CAN_PDO pdo{};
        if (link.Library().CAN_GetPDO(&pdo) == CAN_OK) {
            ShowRecord(link, dlg, pdo);
        }
    }
    link.m_recordsLeft = count > pass ? count - pass : 0;
}

}  // namespace

void CAN_CALLCONV OnPdoEvent(int count) {
    // Without a dialog there is nowhere to show the records (a callback racing the dialog's
    // creation or its close): leave them with the library rather than take and lose them.
    LinkSession* link = LinkSession::Running();
    RemoteView* dlg = link ? link->g_mainDialog.load() : nullptr;
    if (dlg == nullptr) {
        return;
    }
    std::lock_guard lock(link->m_fetching);
    Fetch(*link, *dlg, count);
}

void FetchLeftRecords(LinkSession& link) {
    RemoteView* dlg = link.g_mainDialog.load();
    if (dlg == nullptr || link.m_recordsLeft.load() == 0 || !dlg->HasRoomForUpdates()) {
        return;
    }
    std::lock_guard lock(link.m_fetching);
    Fetch(link, *dlg, link.m_recordsLeft.load());
}

void CAN_CALLCONV OnSecondaryEvent(int, int) {}

}  // namespace remote

#include "dialog/MainDialog.h"

#include "canlink/BindBridgeLibrary.h"
#include "canlink/BridgeLibrary.h"
#include "canlink/ConnectToBridge.h"
#include "remote/Association.h"
#include "remote/Firmware.h"
#include "remote/PdoEvent.h"
#include "res/Resource.h"

namespace dialog {
namespace {

constexpr uint32_t kBaseKeyCobId = 0x1C8;
constexpr uint32_t kWirelessKeyCobId = 0x1C9;
constexpr uint32_t kSignalCobId = 0x3C8;
constexpr uint32_t kBatteryCobId = 0x2C9;

}  // namespace

void StartLink(MainDialogPort& dlg) {
    dlg.m_linkFailed = 0;
    g_mainDialog = &dlg;

    dlg.m_pdoRegistration[kBaseKeyPdo].cobId = kBaseKeyCobId;
    dlg.m_pdoRegistration[kWirelessKeyPdo].cobId = kWirelessKeyCobId;
    dlg.m_pdoRegistration[kSignalPdo].cobId = kSignalCobId;
    dlg.m_pdoRegistration[kBatteryPdo].cobId = kBatteryCobId;

    ConnectToBridge(dlg);
    if (dlg.m_linkFailed) {
        dlg.AddStatusLine("Bridge connect failed");
    }
    dlg.SetItemText(res::IDC_BATTERY, " ?? ");
    dlg.EnableItem(res::IDC_ASSOCIATE, false);
    if (!dlg.m_linkFailed) {
        EnableSignalStrengthPdo(dlg);
        ReadFirmwareVersion(dlg);
    }
}

void ConnectToBridge(MainDialogPort& dlg) {
    if (BindBridgeLibrary(dlg)) {
        ::ConnectToBridge(dlg, ::OnPdoEvent, ::OnSecondaryEvent);
    }
}

Rgb BatteryTextBackground(int state) {
    return state < 0 ? kColorUnknown : state > 0 ? kColorLow : kColorOk;
}

void LinkCloser::Close() {
    if (m_closed) {
        return;
    }
    m_closed = true;
    if (Bridge().IsBound()) {
        Bridge().CAN_Disconnect();
    }
}

void ReleaseRunningDialog(MainDialogPort& dlg) {
    MainDialogPort* self = &dlg;
    g_mainDialog.compare_exchange_strong(self, nullptr);
}

}  // namespace dialog

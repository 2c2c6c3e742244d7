#include "dialog/MainDialog.h"

#include "canlink/BindBridgeLibrary.h"
#include "canlink/ConnectToBridge.h"
#include "canlink/LinkSession.h"
#include "canlink/RemoteProtocol.h"
#include "remote/Association.h"
#include "remote/Firmware.h"
#include "remote/PdoEvent.h"
#include "res/Resource.h"

using canlink::BindBridgeLibrary;
using canlink::ConnectToBridge;
using canlink::kBaseKeyCobId;
using canlink::kBaseKeyPdo;
using canlink::kBatteryCobId;
using canlink::kBatteryPdo;
using canlink::kSignalCobId;
using canlink::kSignalPdo;
using canlink::kWirelessKeyCobId;
using canlink::kWirelessKeyPdo;
using canlink::LinkSession;
using port::RemoteView;
using remote::EnableSignalStrengthPdo;
using remote::OnPdoEvent;
using remote::OnSecondaryEvent;
using remote::ReadFirmwareVersion;

namespace dialog {

void StartLink(LinkSession& link, RemoteView& dlg) {
    link.m_linkFailed = 0;
    link.g_mainDialog = &dlg;

    link.m_pdoRegistration[kBaseKeyPdo].cobId = kBaseKeyCobId;
    link.m_pdoRegistration[kWirelessKeyPdo].cobId = kWirelessKeyCobId;
    link.m_pdoRegistration[kSignalPdo].cobId = kSignalCobId;
    link.m_pdoRegistration[kBatteryPdo].cobId = kBatteryCobId;

    if (BindBridgeLibrary(dlg, link)) {
        ConnectToBridge(dlg, link, OnPdoEvent, OnSecondaryEvent);
    }
    if (link.m_linkFailed) {
        dlg.AddStatusLine("Bridge connect failed");
    }
    dlg.SetItemText(res::IDC_BATTERY, " ?? ");
    dlg.EnableItem(res::IDC_ASSOCIATE, false);
    if (!link.m_linkFailed) {
        EnableSignalStrengthPdo(link);
        ReadFirmwareVersion(link, dlg);
    }
}

Rgb BatteryTextBackground(int state) {
    return state < 0 ? kColorUnknown : state > 0 ? kColorLow : kColorOk;
}

}  // namespace dialog

#include "remote/VirtualKey.h"

#include <array>
#include <cstdint>
#include <string>

#include "canlink/BridgeLibrary.h"
#include "canlink/LinkSession.h"
#include "res/Resource.h"

using canlink::kBaseKeyPdo;
using canlink::LinkSession;
using port::MessageIcon;
using port::RemoteView;

namespace remote {

namespace {

struct VirtualKey {
    int controlId;
    const char* name;
    uint8_t code;
};

constexpr std::array<VirtualKey, 8> kVirtualKeys{{
    {res::IDC_KEY_ALIGN_VIEW, "A/V", 1},
    {res::IDC_KEY_MEASURE, "Measure", 2},
    {res::IDC_KEY_FOCUS_MINUS, "Focus -", 4},
    {res::IDC_KEY_FOCUS_PLUS, "Focus +", 5},
    {res::IDC_KEY_ZOOM_MINUS, "Zoom -", 6},
    {res::IDC_KEY_ZOOM_PLUS, "Zoom +", 7},
    {res::IDC_KEY_SPOT, "Spot", 8},
    {res::IDC_KEY_RING, "Ring", 9},
}};

constexpr uint8_t kKeyUp = 0;

const VirtualKey* FindKey(int controlId) {
    for (const VirtualKey& key : kVirtualKeys) {
        if (key.controlId == controlId) {
            return &key;
        }
    }
    return nullptr;
}

bool Transmit(const LinkSession& link, uint8_t code) {
    CAN_PDO pdo{};
    pdo.cobId = link.m_pdoRegistration[kBaseKeyPdo].cobId;
    pdo.length = 1;
    pdo.data[0] = code;
    return link.Library().CAN_TransmitPDO(pdo) == CAN_OK;
}

}  // namespace

void SendVirtualKey(LinkSession& link, RemoteView& dlg, int controlId, bool release) {
    if (link.m_linkFailed != 0) {
        return;
    }
    const VirtualKey* key = release ? nullptr : FindKey(controlId);
    // Only the eight key buttons call this; any other control has no code to put on the bus.
    if (!release && key == nullptr) {
        return;
    }
    if (!Transmit(link, release ? kKeyUp : key->code)) {
        dlg.ShowMessageBox("Virtual remote send error", MessageIcon::None);
        return;
    }
    if (release) {
        dlg.AddStatusLine("Send key up");
    } else {
        dlg.AddStatusLine((std::string("Send ") + key->name).c_str());
    }
}

}  // namespace remote

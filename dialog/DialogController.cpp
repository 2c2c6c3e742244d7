#include "dialog/DialogController.h"

#include "canlink/BridgeLibrary.h"

#include "remote/Association.h"
#include "remote/PdoEvent.h"
#include "remote/VirtualKey.h"

using canlink::Bridge;
using remote::FetchLeftRecords;

namespace dialog {

// The link talks through the process's one binding, which the start-up binds.
DialogController::DialogController(MarshalledView& view) : m_view(view), m_link(Bridge()) {
    m_view.SetCatchUp([this] { OnDrained(); });
}

DialogController::~DialogController() {
    m_link.Disconnect();
    m_view.SetCatchUp(nullptr);
}

void DialogController::StartUp() {
    dialog::StartLink(m_link, m_view);
}

bool DialogController::OnAssociate() {
    remote::OnAssociate(m_link, m_view);
    return m_link.m_closeGate.Requested();
}

bool DialogController::RequestClose() {
    return m_link.m_closeGate.RequestClose();
}

void DialogController::Close() {
    m_link.Disconnect();
}

void DialogController::SendVirtualKey(int controlId, bool release) {
    remote::SendVirtualKey(m_link, m_view, controlId, release);
}

dialog::Rgb DialogController::BatteryTextBackground() const {
    return dialog::BatteryTextBackground(m_link.g_batteryState.load());
}

void DialogController::OnDrained() {
    if (!m_link.IsDisconnected()) {
        FetchLeftRecords(m_link);
    }
}

}  // namespace dialog

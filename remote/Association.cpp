#include "remote/Association.h"

#include <cstdint>

#include "canlink/LinkSession.h"
#include "canlink/RemoteProtocol.h"
#include "platform/Clock.h"

using canlink::BridgeLibrary;
using canlink::kAssociationObject;
using canlink::kAssociationSubIndex;
using canlink::kAssociationWindowOpen;
using canlink::kBaseRemoteNode;
using canlink::kMappingCountSubIndex;
using canlink::kPdoNotValid;
using canlink::kTpdo3CobIdSubIndex;
using canlink::kTpdo3CommunicationObject;
using canlink::kTpdo3MappingObject;
using canlink::LinkSession;
using port::CloseGate;
using port::RemoteView;
using port::WaitDialogPort;

namespace remote {

namespace {

// The node takes up changed PDO settings when it is stopped and started again.
constexpr unsigned kNodeStatePauseMs = 1000;

constexpr int kSteps = 100;
constexpr unsigned kStepMs = 200;
// Once a wireless remote is heard each step counts this much more, so the window closes about
// ten steps later, after its battery state has had time to arrive.
constexpr int kStepsAfterActivity = 10;

bool ReadObject(const BridgeLibrary& bridge, int index, int subIndex, void* data, int size) {
    int unused = 0;
    return bridge.CAN_SDORead(kBaseRemoteNode, index, subIndex, data, size, &unused) == CAN_OK;
}

void WriteObject(const BridgeLibrary& bridge, int index, int subIndex, void* data, int size) {
    int unused = 0;
    bridge.CAN_SDOWrite(kBaseRemoteNode, index, subIndex, data, size, &unused);
}

// Writes only a value that was read: after a failed read the COB-ID is unknown, and writing a
// guess would hand the node a COB-ID it never had.
bool MakeTpdo3Valid(const BridgeLibrary& bridge) {
    uint32_t cobId = 0;
    if (!ReadObject(bridge, kTpdo3CommunicationObject, kTpdo3CobIdSubIndex, &cobId, sizeof cobId) ||
        (cobId & kPdoNotValid) == 0) {
        return false;
    }
    cobId &= ~kPdoNotValid;
    WriteObject(bridge, kTpdo3CommunicationObject, kTpdo3CobIdSubIndex, &cobId, sizeof cobId);
    return true;
}

// A failed read says nothing about the mapping: it is left alone rather than cut down to one
// object when it may already hold more.
bool MakeTpdo3Mapped(const BridgeLibrary& bridge) {
    uint8_t count = 0;
    if (!ReadObject(bridge, kTpdo3MappingObject, kMappingCountSubIndex, &count, sizeof count) || count >= 1) {
        return false;
    }
    uint8_t one = 1;
    WriteObject(bridge, kTpdo3MappingObject, kMappingCountSubIndex, &one, sizeof one);
    return true;
}

}  // namespace

void EnableSignalStrengthPdo(LinkSession& link) {
    const BridgeLibrary& bridge = link.Library();
    const bool validChanged = MakeTpdo3Valid(bridge);
    const bool mappingChanged = MakeTpdo3Mapped(bridge);
    if (!validChanged && !mappingChanged) {
        return;
    }
    bridge.CAN_SetNodeState(kBaseRemoteNode, CAN_NODE_STATE_PRE_OPERATIONAL);
    platform::Sleep(kNodeStatePauseMs);
    bridge.CAN_SetNodeState(kBaseRemoteNode, CAN_NODE_STATE_OPERATIONAL);
    platform::Sleep(kNodeStatePauseMs);
}

void OnAssociate(LinkSession& link, RemoteView& dlg) {
    const CloseGate::Busy busy(link.m_closeGate);
    const std::unique_ptr<WaitDialogPort> wait = dlg.CreateWaitDialog();
    wait->UpdateText("Association enabled. Place batteries in remote");

    uint8_t control = 0;
    if (!ReadObject(link.Library(), kAssociationObject, kAssociationSubIndex, &control, sizeof control)) {
        link.m_linkFailed = 1;
        return;
    }
    uint8_t opened = static_cast<uint8_t>(control | kAssociationWindowOpen);
    WriteObject(link.Library(), kAssociationObject, kAssociationSubIndex, &opened, sizeof opened);

    link.g_wirelessActivity = 0;
    for (int step = 0; step < kSteps; ++step) {
        wait->ProcessMessages();  // a quit request is re-posted there; the window still gets closed
        wait->UpdateProgress(step);
        // A request to close the main window ends the window as Cancel does.
        if (!wait->IsOpen() || link.m_closeGate.Requested()) {
            break;
        }
        if (link.g_wirelessActivity != 0) {
            wait->UpdateText("Association completed. Reading battery status.");
            step += kStepsAfterActivity;
        }
        platform::Sleep(kStepMs);
    }

    uint8_t closed = static_cast<uint8_t>(control & ~kAssociationWindowOpen);
    WriteObject(link.Library(), kAssociationObject, kAssociationSubIndex, &closed, sizeof closed);
}

}  // namespace remote

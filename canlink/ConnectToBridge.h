#pragma once

#include "canlink/QuarnCANopen.h"

namespace port {
class StatusSink;
}  // namespace port

namespace canlink {

class LinkSession;

// Chooses and connects the bridge, checks for the base remote and registers the callbacks and
// the four PDOs of link.m_pdoRegistration, writing its progress to `status`. Any failure sets
// link.m_linkFailed, then shows a box.
void ConnectToBridge(port::StatusSink& status, LinkSession& link, CAN_PdoEventProc onPdo,
                     CAN_SecondaryEventProc onSecondary);

}  // namespace canlink

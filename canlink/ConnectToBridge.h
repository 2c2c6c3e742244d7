#pragma once

#include "canlink/QuarnCANopen.h"

namespace port {
class StatusSink;
}  // namespace port

namespace canlink {

class LinkSession;

// Chooses and connects the bridge, checks for the base remote and registers the callbacks and
// the four PDOs of link.m_pdoRegistration, writing its progress to `status`. Any failure sets
// link.m_linkFailed, then shows a box. On Tolvik's adapter library the library's reasons reach
// the running dialog's log from here until the session disconnects.
void ConnectToBridge(port::StatusSink& status, LinkSession& link, CAN_PdoEventProc onPdo,
                     CAN_SecondaryEventProc onSecondary);

}  // namespace canlink

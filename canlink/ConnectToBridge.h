#pragma once

#include "canlink/QuarnCANopen.h"

class LinkSession;
class StatusSink;

// Chooses and connects the bridge, checks for the base remote and registers the callbacks and
// the four PDOs of link.m_pdoRegistration, writing its progress to `status`. Any failure sets
// link.m_linkFailed, then shows a box.
void ConnectToBridge(StatusSink& status, LinkSession& link, CAN_PdoEventProc onPdo,
                     CAN_SecondaryEventProc onSecondary);

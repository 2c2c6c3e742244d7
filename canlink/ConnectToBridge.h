#pragma once

#include "canlink/QuarnCANopen.h"

class MainDialogPort;

// Chooses and connects the bridge, checks for the base remote and registers the callbacks and
// the four PDOs of dlg.m_pdoRegistration. Any failure sets dlg.m_linkFailed and shows a box.
void ConnectToBridge(MainDialogPort& dlg, CAN_PdoEventProc onPdo, CAN_SecondaryEventProc onSecondary);

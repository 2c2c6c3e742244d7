// The callbacks given to the bridge library. Both run on the library's own thread.
#pragma once

#include "canlink/QuarnCANopen.h"

// Fetches exactly `count` waiting records and shows each on the main dialog (g_mainDialog).
void CAN_CALLCONV OnPdoEvent(int count);
// Registered beside OnPdoEvent; the events it reports are of no use to the tool.
void CAN_CALLCONV OnSecondaryEvent(int event, int data);

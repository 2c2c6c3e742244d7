// Where the lines of Tolvik's adapter library go: the status log of the running session's main
// dialog. The library calls it on any of its threads; the dialog's view hands lines from other
// threads over to its own.
#pragma once

#include "canlink/QuarnCANopen.h"

namespace canlink {

// The reason proc the session gives the adapter library (TOLVIK_SetReasonProc).
void CAN_CALLCONV OnAdapterReason(const char* line);

}  // namespace canlink

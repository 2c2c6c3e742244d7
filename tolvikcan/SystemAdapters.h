// The machine's adapters: SocketCAN interfaces (Linux) and serial ports for slcan.
#pragma once

#include "tolvikcan/Library.h"

namespace tolvikcan {

// Existence is checked by name only (network interface, serial device): nothing is opened or
// sent until the host connects to that adapter. Connection failures are written to stderr.
Adapters SystemAdapters();

}  // namespace tolvikcan

// The adapters on this machine, by listing only: Qt SerialPort's serial ports and Qt SerialBus's
// SocketCAN interfaces, with the state and rate the kernel reports for each interface.
#pragma once

#include <vector>

#include "chooser/AdapterChoice.h"

namespace qtui {

// SocketCAN interfaces first (they need no bit rate), then serial ports, each in the system's order.
std::vector<chooser::Adapter> ListAdapters();

}  // namespace qtui

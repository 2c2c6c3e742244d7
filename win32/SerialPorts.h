// The COM ports of this machine, by listing only: the ports HKLM\HARDWARE\DEVICEMAP\SERIALCOMM
// names, with the friendly name and maker the Ports device class gives them. Nothing is opened.
#pragma once

#include <vector>

#include "chooser/AdapterChoice.h"

namespace win32 {

// In the order of their numbers (COM3 before COM10).
std::vector<chooser::Adapter> ListSerialPorts();

}  // namespace win32

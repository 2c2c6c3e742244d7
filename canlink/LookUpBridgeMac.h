#pragma once

#include <cstdint>

namespace port {
class StatusSink;
}  // namespace port

namespace canlink {

// Finds the MAC address of this workstation's bridge in the host application's installation.
// Writes its progress to the status log; true with the six bytes in `mac` when found.
bool LookUpBridgeMac(port::StatusSink& status, uint8_t mac[6]);

}  // namespace canlink

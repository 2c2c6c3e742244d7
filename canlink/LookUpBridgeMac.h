#pragma once

#include <cstdint>

class StatusSink;

// Finds the MAC address of this workstation's bridge in the host application's installation.
// Writes its progress to the status log; true with the six bytes in `mac` when found.
bool LookUpBridgeMac(StatusSink& status, uint8_t mac[6]);

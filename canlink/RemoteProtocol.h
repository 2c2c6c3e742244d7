// The remotes on the CANopen bus as the tool sees them: their nodes, the four PDOs it receives
// and sends on, and the objects of the base remote it reads and writes. The bench keeps copies of
// its own on purpose, so that it checks these rather than repeats them.
#pragma once

#include <cstdint>

namespace canlink {

// The wired base remote, and the wireless remote it pairs with.
constexpr int kBaseRemoteNode = 72;
constexpr int kWirelessRemoteNode = 73;

// Received PDOs (the base remote's key events are also what the virtual remote sends).
constexpr uint32_t kBaseKeyCobId = 0x1C8;      // TPDO1 of node 72: key code
constexpr uint32_t kWirelessKeyCobId = 0x1C9;  // TPDO1 of node 73: key code
constexpr uint32_t kSignalCobId = 0x3C8;       // TPDO3 of node 72: signal strength
constexpr uint32_t kBatteryCobId = 0x2C9;      // TPDO2 of node 73: battery state

// Identity: the firmware revision (major in the upper half, minor in the lower).
constexpr int kIdentityObject = 0x1018;
constexpr int kRevisionSubIndex = 3;
constexpr int kSoftwareVersionObject = 0x100A;
constexpr int kSoftwareVersionSubIndex = 0;

// TPDO3, the signal-strength report: its COB-ID (with the not-valid bit) and its mapping count.
constexpr int kTpdo3CommunicationObject = 0x1802;
constexpr int kTpdo3CobIdSubIndex = 1;
constexpr uint32_t kPdoNotValid = 0x80000000u;
constexpr int kTpdo3MappingObject = 0x1A02;
constexpr int kMappingCountSubIndex = 0;

// The association control byte; the bit opens the pairing window.
constexpr int kAssociationObject = 0x2010;
constexpr int kAssociationSubIndex = 5;
constexpr uint8_t kAssociationWindowOpen = 0x04;

}  // namespace canlink

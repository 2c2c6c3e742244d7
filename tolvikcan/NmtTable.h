// The bridge interface's node states (CAN_NODE_STATE_*) as CANopen NMT commands. The interface's
// numbers are not the command bytes of CiA 301, so this one table says what each number does.
#pragma once

#include <cstdint>
#include <optional>

namespace tolvikcan {

// CiA 301 NMT command specifiers.
inline constexpr uint8_t kNmtStartRemoteNode = 0x01;
inline constexpr uint8_t kNmtStopRemoteNode = 0x02;
inline constexpr uint8_t kNmtEnterPreOperational = 0x80;

// 1 (operational) -> start remote node (0x01): the node goes to operational and sends its PDOs.
// 2 (stopped) -> stop remote node (0x02): the node goes to stopped.
// 3 (pre-operational) -> enter pre-operational (0x80): PDOs stop; the node takes a new PDO configuration.
// Under this reading the host program's "3, then 1" after reconfiguring a transmit PDO takes the
// node through pre-operational back to operational, which brings that PDO into operation.
// Resets are not offered: no host asks for them, and they would throw away the node's settings.
// Any other number: none, and nothing is sent.
std::optional<uint8_t> NmtCommandForState(int state);

}  // namespace tolvikcan

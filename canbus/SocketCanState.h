// A SocketCAN interface's state and bit rate, asked of the kernel over rtnetlink as `ip -details
// link show` does. Nothing is opened on the bus and nothing is sent on it.
#pragma once

#include <optional>
#include <string>

namespace canbus {

struct InterfaceState {
    std::string state;           // "down", "up", or the CAN state of an up interface ("bus-off"...)
    std::optional<int> bitrate;  // when the interface has bit timing set
};

// None when there is no such interface or the kernel does not answer within a second.
std::optional<InterfaceState> ReadInterfaceState(const std::string& name);

}  // namespace canbus

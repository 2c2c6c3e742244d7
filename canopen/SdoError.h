// SDO abort codes: what a client or a server sends to end a transfer, and what the client
// reports when a transfer fails.
#pragma once

#include <cstdint>
#include <system_error>

namespace canopen {

enum class SdoErrc : uint32_t {
    Toggle = 0x05030000,          // toggle bit not alternated
    Timeout = 0x05040000,         // SDO protocol timed out
    Command = 0x05040001,         // command specifier not valid or unknown
    OutOfMemory = 0x05040005,     // out of memory
    ReadOnly = 0x06010002,        // attempt to write a read-only object
    NoObject = 0x06020000,        // object does not exist in the dictionary
    LengthMismatch = 0x06070010,  // length of service parameter does not match
    LengthTooHigh = 0x06070012,   // length of service parameter too high
    General = 0x08000000,         // general error
};

// Category "SDO": the value is the abort code as sent on the bus.
const std::error_category& SdoCategory() noexcept;
std::error_code make_error_code(SdoErrc code) noexcept;

}  // namespace canopen

template <>
struct std::is_error_code_enum<canopen::SdoErrc> : std::true_type {};

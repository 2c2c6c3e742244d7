// One CAN frame as every channel carries it: standard (11-bit) or extended (29-bit) identifier,
// data or remote request, up to 8 data bytes.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

namespace canbus {

inline constexpr uint32_t kMaxStandardId = 0x7FF;
inline constexpr uint32_t kMaxExtendedId = 0x1FFFFFFF;
inline constexpr uint8_t kMaxFrameBytes = 8;

struct CanFrame {
    uint32_t id = 0;
    bool extended = false;
    bool remote = false;  // remote transmission request: a length but no data
    uint8_t length = 0;
    std::array<uint8_t, kMaxFrameBytes> data{};

    friend bool operator==(const CanFrame&, const CanFrame&) = default;
};

// A standard data frame with `bytes`; more than 8 bytes are not taken.
CanFrame MakeFrame(uint32_t id, std::initializer_list<uint8_t> bytes);

// True when the identifier fits its format and the length is at most 8.
bool IsValid(const CanFrame& frame);

}  // namespace canbus

// The bridge's fixed factory address: taken when no MAC is known and several bridges answer.
#pragma once

#include <array>
#include <cstdint>

namespace canlink {

inline constexpr std::array<uint8_t, 4> kDefaultBridgeAddress = {192, 168, 100, 2};
inline constexpr const char* kDefaultBridgeAddressText = "192.168.100.2";

}  // namespace canlink

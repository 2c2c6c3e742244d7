// The adapters a user names in TOLVIK_CAN_ADAPTER (or with --adapter): entries separated by
// ';', each KIND:DEVICE[,bitrate=N] with KIND socketcan or slcan, N in bit/s. Examples:
// "socketcan:can0", "slcan:/dev/ttyACM0,bitrate=250000", "slcan:COM5;socketcan:can1".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvikcan {

// 125 kbit/s when none is given: the rate CANopen devices most often ship with, and one that
// still carries a long instrument cable.
inline constexpr int kDefaultBitrate = 125000;

struct AdapterName {
    enum class Kind { SocketCan, Slcan };
    Kind kind = Kind::Slcan;
    std::string device;
    int bitrate = kDefaultBitrate;  // slcan only: a SocketCAN interface has its rate already

    // "kind:device", the adapter's identity (the bit rate is not part of it).
    std::string Name() const;
};

// False with a message naming the entry for an unknown kind, an empty device, an unknown or
// repeated option, a bit rate that is neither a standard CANopen rate nor 100000 (or 800000 on
// slcan, which adapters read differently), a bit rate on socketcan, or the same adapter named twice.
// Empty entries are skipped; an empty text names no adapter.
bool ParseAdapterNames(const std::string& text, std::vector<AdapterName>* adapters, std::string* error);

// How an adapter appears as a bridge: a MAC and an IPv4 address derived from its name alone
// (FNV-1a, 32 bits, of Name()): MAC 02-00-h3-h2-h1-h0 (locally administered, unicast) and
// link-local IPv4 169.254.(1 + h/256 mod 254).(h mod 256), which is never contacted. Entries
// are given in the order named; an address already given to an earlier entry moves on by one.
struct BridgeIdentity {
    std::array<uint8_t, 4> ip{};
    std::array<uint8_t, 6> mac{};
};
std::vector<BridgeIdentity> BridgeIdentities(const std::vector<AdapterName>& adapters);

}  // namespace tolvikcan

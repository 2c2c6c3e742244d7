// What the adapter chooser shows and hands on, for both front ends, without a toolkit: the rows
// of adapters found, the bit rates a serial adapter is offered, the adapter name a choice makes
// (the text TOLVIK_CAN_ADAPTER and the remembered choice hold) and the text for an empty list.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace chooser {

enum class AdapterKind { Slcan, SocketCan };

// One adapter found by listing; nothing of it has been opened.
struct Adapter {
    AdapterKind kind = AdapterKind::Slcan;
    std::string device;          // "/dev/ttyUSB0", "COM5", "can0"
    std::string description;     // product and maker, the friendly name, or the interface's state
    std::optional<int> bitrate;  // a SocketCAN interface's own rate, when it could be read
};

// A serial port as the system lists it: the product and maker a USB adapter carries.
Adapter SerialAdapter(std::string device, std::string_view product, std::string_view maker);
// A SocketCAN interface with its state ("up", "down", "error-passive"...) and rate when known.
Adapter SocketCanAdapter(std::string interfaceName, std::string_view state, std::optional<int> bitrate);

// The list's line for an adapter.
std::string RowText(const Adapter& adapter);
// What the list says when nothing is found, and what to check.
const char* NothingPresentText();

// The rates offered for a serial adapter, slowest first: the CANopen rates and 100 kbit/s, but
// not 800 kbit/s, which adapters read as 800 or as 750.
std::span<const int> SerialBitrates();
inline constexpr int kDefaultSerialBitrate = 125000;
// "125 kbit/s", "1 Mbit/s".
std::string BitrateText(int bitsPerSecond);
// What the rate field shows for a SocketCAN interface, whose rate is set where it is brought up.
std::string InterfaceBitrateText(const Adapter& adapter);

struct Choice {
    AdapterKind kind = AdapterKind::Slcan;
    std::string device;
    int bitrate = kDefaultSerialBitrate;  // serial adapters only
};

// The adapter name of a choice: "slcan:/dev/ttyUSB0,bitrate=250000", "socketcan:can0".
std::string AdapterText(const Choice& choice);
// A remembered adapter name read back; none when it is not one this chooser makes.
std::optional<Choice> ParseAdapterText(std::string_view text);

// The row to select first: the remembered adapter when it is listed, else the first row; none
// for an empty list.
std::optional<size_t> PreselectedRow(const std::vector<Adapter>& adapters,
                                     const std::optional<Choice>& remembered);

}  // namespace chooser

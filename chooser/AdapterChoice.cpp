#include "chooser/AdapterChoice.h"

#include <algorithm>
#include <charconv>

namespace chooser {

namespace {

constexpr int kSerialRates[] = {10000, 20000, 50000, 100000, 125000, 250000, 500000, 1000000};

constexpr std::string_view kSlcanPrefix = "slcan:";
constexpr std::string_view kSocketCanPrefix = "socketcan:";
constexpr std::string_view kBitrateOption = ",bitrate=";

}  // namespace

Adapter SerialAdapter(std::string device, std::string_view product, std::string_view maker) {
    Adapter adapter{AdapterKind::Slcan, std::move(device), std::string(product), std::nullopt};
    // A maker already in the product's name ("FTDI FT232R") is not said twice.
    if (!maker.empty() && product.find(maker) == std::string_view::npos) {
        adapter.description += (adapter.description.empty() ? "" : ", ") + std::string(maker);
    }
    if (adapter.description.empty()) {
        adapter.description = "serial port";
    }
    return adapter;
}

Adapter SocketCanAdapter(std::string interfaceName, std::string_view state, std::optional<int> bitrate) {
    return {AdapterKind::SocketCan, std::move(interfaceName), "SocketCAN, " + std::string(state), bitrate};
}

std::string RowText(const Adapter& adapter) {
    std::string text = adapter.device + " - " + adapter.description;
    if (adapter.bitrate) {
        text += ", " + BitrateText(*adapter.bitrate);
    }
    return text;
}

const char* NothingPresentText() {
#ifdef _WIN32
    return "No CAN adapter found. Check that the adapter is plugged in and that the Device Manager "
           "shows its port under \"Ports (COM & LPT)\", then press Refresh.";
#else
    return "No CAN adapter found. Check that the adapter is plugged in (dmesg names its device), "
           "that a SocketCAN interface exists (ip link), and that you are in the dialout group, "
           "then press Refresh.";
#endif
}

std::span<const int> SerialBitrates() {
    return kSerialRates;
}

std::string BitrateText(int bitsPerSecond) {
    if (bitsPerSecond >= 1000000 && bitsPerSecond % 1000000 == 0) {
        return std::to_string(bitsPerSecond / 1000000) + " Mbit/s";
    }
    if (bitsPerSecond % 1000 == 0) {
        return std::to_string(bitsPerSecond / 1000) + " kbit/s";
    }
    return std::to_string(bitsPerSecond) + " bit/s";
}

std::string InterfaceBitrateText(const Adapter& adapter) {
    if (adapter.bitrate) {
        return BitrateText(*adapter.bitrate) + ", set by the interface";
    }
    return "Set by the interface: ip link set " + adapter.device + " up type can bitrate N";
}

std::string AdapterText(const Choice& choice) {
    if (choice.kind == AdapterKind::SocketCan) {
        return std::string(kSocketCanPrefix) + choice.device;
    }
    return std::string(kSlcanPrefix) + choice.device + std::string(kBitrateOption) +
           std::to_string(choice.bitrate);
}

std::optional<Choice> ParseAdapterText(std::string_view text) {
    Choice choice;
    if (text.starts_with(kSocketCanPrefix)) {
        choice.kind = AdapterKind::SocketCan;
        choice.device = text.substr(kSocketCanPrefix.size());
        if (choice.device.empty() || choice.device.find_first_of(",;") != std::string::npos) {
            return std::nullopt;
        }
        return choice;
    }
    if (!text.starts_with(kSlcanPrefix)) {
        return std::nullopt;
    }
    text.remove_prefix(kSlcanPrefix.size());
    const auto option = text.rfind(kBitrateOption);
    choice.device = text.substr(0, option);
    if (choice.device.empty() || choice.device.find(';') != std::string::npos) {
        return std::nullopt;
    }
    if (option != std::string_view::npos) {
        const std::string_view value = text.substr(option + kBitrateOption.size());
        int rate = 0;
        const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), rate);
        if (status != std::errc() || end != value.data() + value.size() ||
            std::ranges::find(kSerialRates, rate) == std::end(kSerialRates)) {
            return std::nullopt;
        }
        choice.bitrate = rate;
    }
    return choice;
}

std::optional<size_t> PreselectedRow(const std::vector<Adapter>& adapters,
                                     const std::optional<Choice>& remembered) {
    if (adapters.empty()) {
        return std::nullopt;
    }
    if (remembered) {
        const auto found = std::ranges::find_if(adapters, [&](const Adapter& adapter) {
            return adapter.kind == remembered->kind && adapter.device == remembered->device;
        });
        if (found != adapters.end()) {
            return static_cast<size_t>(found - adapters.begin());
        }
    }
    return 0;
}

}  // namespace chooser

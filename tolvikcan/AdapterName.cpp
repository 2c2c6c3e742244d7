#include "tolvikcan/AdapterName.h"

#include <algorithm>
#include <charconv>

namespace tolvikcan {
namespace {

// The CANopen rates and 100 kbit/s, which slcan adapters offer (S3) and buses run at.
constexpr int kRates[] = {10000, 20000, 50000, 100000, 125000, 250000, 500000, 800000, 1000000};

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool ParseOne(const std::string& entry, AdapterName* adapter, std::string* error) {
    const auto fail = [&](const std::string& why) {
        *error = "adapter '" + entry + "': " + why;
        return false;
    };
    const auto colon = entry.find(':');
    if (colon == std::string::npos) {
        return fail("expected KIND:DEVICE, for example slcan:/dev/ttyACM0, slcan:COM5 or socketcan:can0");
    }
    const std::string kind = entry.substr(0, colon);
    if (kind == "socketcan") {
        adapter->kind = AdapterName::Kind::SocketCan;
    } else if (kind == "slcan") {
        adapter->kind = AdapterName::Kind::Slcan;
    } else {
        return fail("unknown kind '" + kind + "' (socketcan or slcan)");
    }
    const auto comma = entry.find(',', colon + 1);
    // Blanks before the option are no part of the device: " " names none.
    adapter->device =
        Trim(entry.substr(colon + 1, comma == std::string::npos ? std::string::npos : comma - colon - 1));
    if (adapter->device.empty()) {
        return fail("no device");
    }
    if (comma == std::string::npos) {
        return true;
    }
    const std::string option = entry.substr(comma + 1);
    const std::string prefix = "bitrate=";
    if (option.rfind(prefix, 0) != 0) {
        return fail("unknown option '" + option + "' (bitrate=N)");
    }
    const std::string value = option.substr(prefix.size());
    int rate = 0;
    const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), rate);
    if (status != std::errc() || end != value.data() + value.size() ||
        std::find(std::begin(kRates), std::end(kRates), rate) == std::end(kRates)) {
        return fail("bit rate '" + value +
                    "' is not one of 10000, 20000, 50000, 100000, 125000, 250000, 500000, 800000, 1000000");
    }
    if (adapter->kind == AdapterName::Kind::SocketCan) {
        return fail("a SocketCAN interface takes its bit rate from 'ip link set ... type can bitrate N'");
    }
    if (rate == 800000) {
        return fail("800000 is not offered on slcan: adapters read its command (S7) as 800 or 750 kbit/s");
    }
    adapter->bitrate = rate;
    return true;
}

uint32_t Fnv1a(const std::string& text) {
    uint32_t hash = 2166136261u;
    for (unsigned char c : text) {
        hash = (hash ^ c) * 16777619u;
    }
    return hash;
}

}  // namespace

std::string AdapterName::Name() const {
    return (kind == Kind::SocketCan ? "socketcan:" : "slcan:") + device;
}

bool ParseAdapterNames(const std::string& text, std::vector<AdapterName>* adapters, std::string* error) {
    adapters->clear();
    size_t begin = 0;
    while (begin <= text.size()) {
        const auto end = std::min(text.find(';', begin), text.size());
        const std::string entry = Trim(text.substr(begin, end - begin));
        begin = end + 1;
        if (entry.empty()) {
            continue;
        }
        AdapterName adapter;
        if (!ParseOne(entry, &adapter, error)) {
            adapters->clear();
            return false;
        }
        if (std::any_of(adapters->begin(), adapters->end(),
                        [&](const AdapterName& s) { return s.Name() == adapter.Name(); })) {
            *error = "adapter '" + adapter.Name() + "' is named twice";
            adapters->clear();
            return false;
        }
        adapters->push_back(adapter);
    }
    return true;
}

std::vector<BridgeIdentity> BridgeIdentities(const std::vector<AdapterName>& adapters) {
    std::vector<BridgeIdentity> identities;
    for (const AdapterName& adapter : adapters) {
        const uint32_t h = Fnv1a(adapter.Name());
        BridgeIdentity id;
        id.mac = {0x02,
                  0x00,
                  static_cast<uint8_t>(h >> 24),
                  static_cast<uint8_t>(h >> 16),
                  static_cast<uint8_t>(h >> 8),
                  static_cast<uint8_t>(h)};
        uint32_t host = (h >> 8) % 254 * 256 + (h & 0xFF);
        const auto taken = [&](uint32_t candidate) {
            return std::any_of(identities.begin(), identities.end(), [&](const BridgeIdentity& other) {
                return other.ip[2] == 1 + candidate / 256 && other.ip[3] == candidate % 256;
            });
        };
        while (taken(host)) {
            host = (host + 1) % (254 * 256);
        }
        id.ip = {169, 254, static_cast<uint8_t>(1 + host / 256), static_cast<uint8_t>(host % 256)};
        identities.push_back(id);
    }
    return identities;
}

}  // namespace tolvikcan

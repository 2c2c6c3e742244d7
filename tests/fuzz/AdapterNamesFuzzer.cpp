// Adapter names on any text: refused with a reason and nothing named, or each adapter written
// back in the documented syntax reads again as the same adapter, and every bridge entry has an
// address of its own.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "tolvikcan/AdapterName.h"

using tolvikcan::AdapterName;
using tolvikcan::ParseAdapterNames;

namespace {

std::string Written(const AdapterName& adapter) {
    if (adapter.kind == AdapterName::Kind::SocketCan) {
        return "socketcan:" + adapter.device;
    }
    const bool rate = adapter.bitrate != tolvikcan::kDefaultBitrate;
    return "slcan:" + adapter.device + (rate ? ",bitrate=" + std::to_string(adapter.bitrate) : "");
}

bool Same(const AdapterName& a, const AdapterName& b) {
    return a.kind == b.kind && a.device == b.device && a.bitrate == b.bitrate && a.Name() == b.Name();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<AdapterName> adapters{AdapterName{}};
    std::string error;
    if (!ParseAdapterNames(text, &adapters, &error)) {
        if (error.empty() || !adapters.empty()) {
            std::abort();
        }
        return 0;
    }
    std::string all;
    for (const AdapterName& adapter : adapters) {
        std::vector<AdapterName> again;
        if (adapter.device.empty() || !ParseAdapterNames(Written(adapter), &again, &error) ||
            again.size() != 1 || !Same(again[0], adapter)) {
            std::abort();
        }
        all += Written(adapter) + ";";
    }
    std::vector<AdapterName> again;
    if (!ParseAdapterNames(all, &again, &error) || again.size() != adapters.size()) {
        std::abort();
    }
    std::set<std::vector<uint8_t>> ips;
    const auto identities = tolvikcan::BridgeIdentities(adapters);
    for (size_t i = 0; i < identities.size(); ++i) {
        const auto& ip = identities[i].ip;
        if (!Same(again[i], adapters[i]) || ip[0] != 169 || ip[1] != 254 || ip[2] < 1 || ip[2] > 254 ||
            identities[i].mac[0] != 0x02 || !ips.insert({ip.begin(), ip.end()}).second) {
            std::abort();
        }
    }
    return 0;
}

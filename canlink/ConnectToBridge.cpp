#include "canlink/ConnectToBridge.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include <fmt/format.h>

#include "canlink/AdapterReasons.h"
#include "canlink/BridgeLibrary.h"
#include "canlink/DefaultBridge.h"
#include "canlink/LinkSession.h"
#include "canlink/LookUpBridgeMac.h"
#include "canlink/RemoteProtocol.h"
#include "port/StatusSink.h"

using port::MessageIcon;
using port::StatusSink;

namespace canlink {

namespace {

constexpr int kBridgeCapacity = 127;
constexpr int kPdoBufferSize = 5000;

// The flag is set before the box shows: keys pressed while it is open send nothing.
void Fail(StatusSink& status, LinkSession& link, const char* text, MessageIcon icon = MessageIcon::None) {
    link.m_linkFailed = 1;
    status.ShowMessageBox(text, icon);
}

// Index of the chosen bridge, or -1. The adapter library's bridges are the adapters the user
// chose, present ones in the order named: the first is the one, whatever MAC the host
// application's configuration names, and the library says which it uses.
int ChooseBridge(StatusSink& status, const CAN_BRIDGE_INFO* bridges, int count, bool macFound,
                 const uint8_t* mac, bool adapterLibrary) {
    if (adapterLibrary) {
        return 0;
    }
    if (macFound) {
        for (int i = 0; i < count; ++i) {
            if (std::memcmp(bridges[i].macAddress, mac, 6) == 0) {
                return i;
            }
        }
        return -1;
    }
    if (count == 1) {
        status.AddStatusLine("1 bridge found");
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        if (std::memcmp(bridges[i].ipAddress, kDefaultBridgeAddress.data(), 4) == 0) {
            status.AddStatusLine((std::string("Using ") + kDefaultBridgeAddressText).c_str());
            return i;
        }
    }
    return -1;
}

// Before the box of a scan without the base remote, on an adapter: who did answer.
std::string AnsweredNodes(const uint8_t* nodes) {
    std::string answered;
    for (int node = 1; node < CAN_NODE_TABLE_SIZE; ++node) {
        if (nodes[node] == CAN_NODE_PRESENT) {
            answered += (answered.empty() ? "" : ", ") + std::to_string(node);
        }
    }
    if (answered.empty()) {
        return "No node answered the scan; check the bus cable, its termination and the bit rate";
    }
    return fmt::format(
        "Nodes that answered the scan: {}; the base remote (node {}) is not among them, "
        "check its cable and power",
        answered, kBaseRemoteNode);
}

// Node table valid: false (with the box shown) when the base remote is missing.
bool CheckNodes(StatusSink& status, LinkSession& link, const uint8_t* nodes) {
    int present = 0;
    for (int node = 1; node < CAN_NODE_TABLE_SIZE; ++node) {
        present += nodes[node] == CAN_NODE_PRESENT;
    }
    if (present > 0 && nodes[kBaseRemoteNode] == CAN_NODE_PRESENT) {
        return true;
    }
    if (link.Library().IsAdapterLibrary()) {
        status.AddStatusLine(AnsweredNodes(nodes));
    }
    Fail(status, link,
         present == 0 ? "Scan completed OK. No nodes found." : "Scan completed OK. No base remote found.");
    return false;
}

}  // namespace

void ConnectToBridge(StatusSink& status, LinkSession& link, CAN_PdoEventProc onPdo,
                     CAN_SecondaryEventProc onSecondary) {
    const BridgeLibrary& bridge = link.Library();
    if (bridge.IsAdapterLibrary()) {
        bridge.TOLVIK_SetReasonProc(OnAdapterReason);
    }
    uint8_t mac[6] = {};
    const bool macFound = LookUpBridgeMac(status, mac);

    std::array<CAN_BRIDGE_INFO, kBridgeCapacity> bridges{};
    int count = bridge.CAN_EnumerateBridges(bridges.data(), kBridgeCapacity);
    if (count == CAN_SCAN_FAILED) {
        Fail(status, link, "Error scanning for bridges");
        return;
    }
    if (count == 0) {
        Fail(status, link, "No bridges found on the local network");
        return;
    }
    // A library that reports more than it could store must not lead us past the array.
    count = std::min(count, kBridgeCapacity);

    const int chosen =
        count > 0 ? ChooseBridge(status, bridges.data(), count, macFound, mac, bridge.IsAdapterLibrary())
                  : -1;
    if (chosen < 0) {
        const std::string text =
            macFound ? fmt::format(
                           "Bridge with MAC: {:02X}-{:02X}-{:02X}-{:02X}-{:02X}-{:02X} not found. Check "
                           "connections and power.",
                           mac[0], mac[1], mac[2], mac[3], mac[4], mac[5])
                     : fmt::format("Bridge with IPaddress: {} not found. Check connections and power.",
                                   kDefaultBridgeAddressText);
        Fail(status, link, text.c_str());
        return;
    }

    uint32_t address;
    std::memcpy(&address, bridges[chosen].ipAddress, sizeof(address));
    if (bridge.CAN_Connect(address) == CAN_CONNECT_FAILED) {
        Fail(status, link, "Error connecting. Maximum connections exceeded.");
        return;
    }
    status.AddStatusLine("Connected to CAN");

    uint8_t nodes[CAN_NODE_TABLE_SIZE] = {};
    if (bridge.CAN_EnumerateNodes(nodes) == CAN_OK && !CheckNodes(status, link, nodes)) {
        return;
    }
    if (bridge.CAN_SetPDOBufferSize(kPdoBufferSize) != CAN_OK) {
        Fail(status, link, "CAN_SetPDOBufferSize error", MessageIcon::Error);
        return;
    }
    if (bridge.CAN_RegisterEvents(onPdo, onSecondary) != CAN_OK) {
        Fail(status, link, "Error registering callbacks", MessageIcon::Error);
        return;
    }
    for (const CAN_PDO& pdo : link.m_pdoRegistration) {
        bridge.CAN_RegisterPDO(pdo);
    }
}

}  // namespace canlink

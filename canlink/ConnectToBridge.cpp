#include "canlink/ConnectToBridge.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include <fmt/format.h>

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

// Index of the chosen bridge, or -1.
int ChooseBridge(StatusSink& status, const CAN_BRIDGE_INFO* bridges, int count, bool macFound,
                 const uint8_t* mac) {
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

// Node table valid: false (with the box shown) when the base remote is missing.
bool CheckNodes(StatusSink& status, LinkSession& link, const uint8_t* nodes) {
    int present = 0;
    for (int node = 1; node < CAN_NODE_TABLE_SIZE; ++node) {
        present += nodes[node] == CAN_NODE_PRESENT;
    }
    if (present == 0) {
        Fail(status, link, "Scan completed OK. No nodes found.");
        return false;
    }
    if (nodes[kBaseRemoteNode] != CAN_NODE_PRESENT) {
        Fail(status, link, "Scan completed OK. No base remote found.");
        return false;
    }
    return true;
}

}  // namespace

void ConnectToBridge(StatusSink& status, LinkSession& link, CAN_PdoEventProc onPdo,
                     CAN_SecondaryEventProc onSecondary) {
    const BridgeLibrary& bridge = link.Library();
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

    const int chosen = count > 0 ? ChooseBridge(status, bridges.data(), count, macFound, mac) : -1;
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

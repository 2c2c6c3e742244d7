#include "canlink/ConnectToBridge.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "canlink/BridgeLibrary.h"
#include "canlink/DefaultBridge.h"
#include "canlink/LookUpBridgeMac.h"
#include "port/MainDialogPort.h"

namespace {

constexpr int kBridgeCapacity = 127;
constexpr int kBaseRemoteNode = 72;
constexpr int kPdoBufferSize = 5000;

void Fail(MainDialogPort& dlg, const char* text, MessageIcon icon = MessageIcon::None) {
    dlg.m_linkFailed = 1;
    dlg.ShowMessageBox(text, icon);
}

// Index of the chosen bridge, or -1.
int ChooseBridge(MainDialogPort& dlg, const CAN_BRIDGE_INFO* bridges, int count, bool macFound,
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
        dlg.AddStatusLine("1 bridge found");
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        if (std::memcmp(bridges[i].ipAddress, kDefaultBridgeAddress.data(), 4) == 0) {
            dlg.AddStatusLine((std::string("Using ") + kDefaultBridgeAddressText).c_str());
            return i;
        }
    }
    return -1;
}

// Node table valid: false (with the box shown) when the base remote is missing.
bool CheckNodes(MainDialogPort& dlg, const uint8_t* nodes) {
    int present = 0;
    for (int node = 1; node < CAN_NODE_TABLE_SIZE; ++node) {
        present += nodes[node] == CAN_NODE_PRESENT;
    }
    if (present == 0) {
        Fail(dlg, "Scan completed OK. No nodes found.");
        return false;
    }
    if (nodes[kBaseRemoteNode] != CAN_NODE_PRESENT) {
        Fail(dlg, "Scan completed OK. No base remote found.");
        return false;
    }
    return true;
}

}  // namespace

void ConnectToBridge(MainDialogPort& dlg, CAN_PdoEventProc onPdo, CAN_SecondaryEventProc onSecondary) {
    BridgeLibrary& bridge = Bridge();
    uint8_t mac[6] = {};
    const bool macFound = LookUpBridgeMac(dlg, mac);

    std::array<CAN_BRIDGE_INFO, kBridgeCapacity> bridges{};
    int count = bridge.CAN_EnumerateBridges(bridges.data(), kBridgeCapacity);
    if (count == -1) {
        Fail(dlg, "Error scanning for bridges");
        return;
    }
    if (count == 0) {
        Fail(dlg, "No bridges found on the local network");
        return;
    }
    // A library that reports more than it could store must not lead us past the array.
    count = std::min(count, kBridgeCapacity);

    const int chosen = count > 0 ? ChooseBridge(dlg, bridges.data(), count, macFound, mac) : -1;
    if (chosen < 0) {
        char text[160];
        if (macFound) {
            std::snprintf(
                text, sizeof(text),
                "Bridge with MAC: %2.2X-%2.2X-%2.2X-%2.2X-%2.2X-%2.2X not found. Check connections and "
                "power.",
                mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
        } else {
            std::snprintf(text, sizeof(text),
                          "Bridge with IPaddress: %s not found. Check connections and power.",
                          kDefaultBridgeAddressText);
        }
        Fail(dlg, text);
        return;
    }

    uint32_t address;
    std::memcpy(&address, bridges[chosen].ipAddress, sizeof(address));
    if (bridge.CAN_Connect(address) == -1) {
        Fail(dlg, "Error connecting. Maximum connections exceeded.");
        return;
    }
    dlg.AddStatusLine("Connected to CAN");

    uint8_t nodes[CAN_NODE_TABLE_SIZE] = {};
    if (bridge.CAN_EnumerateNodes(nodes) == 1 && !CheckNodes(dlg, nodes)) {
        return;
    }
    if (bridge.CAN_SetPDOBufferSize(kPdoBufferSize) != 1) {
        Fail(dlg, "CAN_SetPDOBufferSize error", MessageIcon::Error);
        return;
    }
    if (bridge.CAN_RegisterEvents(onPdo, onSecondary) != 1) {
        Fail(dlg, "Error registering callbacks", MessageIcon::Error);
        return;
    }
    for (const CAN_PDO& pdo : dlg.m_pdoRegistration) {
        bridge.CAN_RegisterPDO(pdo);
    }
}

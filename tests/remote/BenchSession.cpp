#include "tests/remote/BenchSession.h"

#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

#include "canlink/BridgeLibrary.h"
#include "remote/PdoEvent.h"

using canlink::Bridge;
using canlink::BridgeLibrary;
using canlink::kPdoChannels;
using remote::OnPdoEvent;
using remote::OnSecondaryEvent;

BenchSession::BenchSession(const bench::Scenario& scenario) : bench(scenario) {
    const uint32_t cobIds[kPdoChannels] = {0x1C8, 0x1C9, 0x3C8, 0x2C9};
    for (int channel = 0; channel < kPdoChannels; ++channel) {
        port.link.m_pdoRegistration[channel].cobId = cobIds[channel];
    }
    if (scenario.bridges.empty()) {
        ADD_FAILURE() << "the scenario has no bridge to connect to";
        return;
    }
    uint32_t address = 0;
    std::memcpy(&address, scenario.bridges.front().ip.data(), sizeof address);
    BridgeLibrary& bridge = Bridge();
    EXPECT_NE(bridge.CAN_Connect(address), -1);
    EXPECT_EQ(bridge.CAN_SetPDOBufferSize(5000), 1);
    EXPECT_EQ(bridge.CAN_RegisterEvents(OnPdoEvent, OnSecondaryEvent), 1);
    for (const CAN_PDO& pdo : port.link.m_pdoRegistration) {
        bridge.CAN_RegisterPDO(pdo);
    }
}

std::vector<std::string> SdoWrites() {
    std::vector<std::string> writes;
    for (const bench::SdoAccess& access : bench::SdoLog()) {
        if (!access.write) {
            continue;
        }
        char head[32];
        std::snprintf(head, sizeof head, "%04X/%d:", access.index, access.subIndex);
        std::string text = head;
        for (uint8_t byte : access.data) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", byte);
            text += hex;
        }
        writes.push_back(text);
    }
    return writes;
}

CAN_PDO MakePdo(uint32_t cobId, uint8_t value) {
    CAN_PDO pdo{};
    pdo.cobId = cobId;
    pdo.length = 1;
    pdo.data[0] = value;
    return pdo;
}

// The adapter library's Win32 serial channel under Wine: COM5 is the peer's pty (the runner,
// wine-peer.sh, registers it with Wine and names slcan:COM5 as the adapter), and the runner checks
// afterwards what reached the peer. Both ways are tested: answers must come back as soon as the
// peer sends them, well within the library's SDO and scan deadlines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <windows.h>

#include "canlink/BridgeLibrary.h"

using canlink::Bridge;
using canlink::LoadBridgeLibrary;

namespace {

class WineComPort : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(LoadBridgeLibrary("tolvikcan.dll", &error)) << error;
    }
    void TearDown() override {
        Bridge().CAN_Disconnect();
        _putenv_s("TOLVIK_CAN_ADAPTER", "slcan:COM5");
    }
};

TEST_F(WineComPort, OpensThePortAndPutsFramesOnTheBus) {
    CAN_BRIDGE_INFO bridges[127] = {};
    ASSERT_EQ(Bridge().CAN_EnumerateBridges(bridges, 127), 1);
    uint32_t address;
    memcpy(&address, bridges[0].ipAddress, sizeof address);
    ASSERT_NE(Bridge().CAN_Connect(address), -1);
    CAN_PDO key = {};
    key.cobId = 0x1C8;
    key.length = 1;
    key.data[0] = 2;
    EXPECT_EQ(Bridge().CAN_TransmitPDO(key), 1);
    key.data[0] = 0;
    EXPECT_EQ(Bridge().CAN_TransmitPDO(key), 1);
}

TEST_F(WineComPort, ScanAndSdoReadsGetTheirAnswersAtOnce) {
    CAN_BRIDGE_INFO bridges[127] = {};
    ASSERT_EQ(Bridge().CAN_EnumerateBridges(bridges, 127), 1);
    uint32_t address;
    memcpy(&address, bridges[0].ipAddress, sizeof address);
    ASSERT_NE(Bridge().CAN_Connect(address), -1);
    uint8_t nodes[CAN_NODE_TABLE_SIZE] = {};
    ASSERT_EQ(Bridge().CAN_EnumerateNodes(nodes), 1);
    EXPECT_EQ(nodes[72], CAN_NODE_PRESENT);
    EXPECT_EQ(nodes[73], CAN_NODE_PRESENT);
    EXPECT_NE(nodes[74], CAN_NODE_PRESENT);

    // A reply that waited for a read's timeout would take a second each: twenty in well under one.
    const ULONGLONG start = GetTickCount64();
    for (int i = 0; i < 20; ++i) {
        uint8_t revision[4] = {};
        int size = 0;
        ASSERT_EQ(Bridge().CAN_SDORead(72, 0x1018, 3, revision, 4, &size), 1) << "read " << i;
        EXPECT_EQ(size, 4);
        EXPECT_EQ(revision[0] | revision[1] << 8 | revision[2] << 16 | revision[3] << 24, 0x00040002);
    }
    EXPECT_LT(GetTickCount64() - start, 2000u);
}

TEST_F(WineComPort, PortThatDoesNotExistIsNoBridge) {
    _putenv_s("TOLVIK_CAN_ADAPTER", "slcan:COM9");
    CAN_BRIDGE_INFO bridges[127] = {};
    EXPECT_EQ(Bridge().CAN_EnumerateBridges(bridges, 127), 0);
}

}  // namespace

// The adapter library's Win32 serial channel under Wine: COM5 is the peer's pty (the runner,
// wine-peer.sh, links it in the Wine prefix and names slcan:COM5 as the adapter). The runner
// also has the wireless remote send a key every 200 ms, and checks afterwards that the key this
// test transmits reached the peer.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "canlink/BridgeLibrary.h"

namespace {

void CAN_CALLCONV NoPdoEvent(int) {}
void CAN_CALLCONV NoSecondaryEvent(int, int) {}

class WineComPort : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(LoadBridgeLibrary("tolvikcan.dll", &error)) << error;
    }
    void TearDown() override {
        Bridge().CAN_Disconnect();
        SetEnvironmentVariableA("TOLVIK_CAN_ADAPTER", "slcan:COM5");
    }
};

TEST_F(WineComPort, ScanSdoAndPdosBothWays) {
    CAN_BRIDGE_INFO bridges[127] = {};
    ASSERT_EQ(Bridge().CAN_EnumerateBridges(bridges, 127), 1);
    uint32_t address;
    memcpy(&address, bridges[0].ipAddress, sizeof address);
    ASSERT_NE(Bridge().CAN_Connect(address), -1);
    uint8_t nodes[CAN_NODE_TABLE_SIZE] = {};
    ASSERT_EQ(Bridge().CAN_EnumerateNodes(nodes), 1);
    for (int node = 1; node < CAN_NODE_TABLE_SIZE; ++node) {
        EXPECT_EQ(nodes[node] == CAN_NODE_PRESENT, node == 72 || node == 73) << "node " << node;
    }
    uint8_t revision[4] = {};
    int value = 0;
    ASSERT_EQ(Bridge().CAN_SDORead(72, 0x1018, 3, revision, 4, &value), 1);
    EXPECT_EQ(revision[0] | revision[1] << 8 | revision[2] << 16 | revision[3] << 24, 0x00040002);
    char text[100];
    ASSERT_EQ(Bridge().CAN_SDORead(72, 0x100A, 0, text, sizeof text, &value), 1);
    EXPECT_STREQ(text, "x526-02");

    ASSERT_EQ(Bridge().CAN_SetPDOBufferSize(5000), 1);
    ASSERT_EQ(Bridge().CAN_RegisterEvents(NoPdoEvent, NoSecondaryEvent), 1);
    CAN_PDO pdo = {};
    pdo.cobId = 0x1C9;
    Bridge().CAN_RegisterPDO(pdo);
    bool received = false;
    for (int i = 0; i < 500 && !received; ++i) {
        received = Bridge().CAN_GetPDO(&pdo) == 1;
        Sleep(10);
    }
    ASSERT_TRUE(received) << "no wireless key came through COM5";
    EXPECT_EQ(pdo.cobId, 0x1C9u);
    EXPECT_EQ(pdo.data[0], 7);

    CAN_PDO key = {};
    key.cobId = 0x1C8;
    key.length = 1;
    key.data[0] = 2;
    EXPECT_EQ(Bridge().CAN_TransmitPDO(key), 1);
}

TEST_F(WineComPort, PortThatDoesNotExistIsNoBridge) {
    SetEnvironmentVariableA("TOLVIK_CAN_ADAPTER", "slcan:COM9");
    CAN_BRIDGE_INFO bridges[127] = {};
    EXPECT_EQ(Bridge().CAN_EnumerateBridges(bridges, 127), 0);
}

}  // namespace

// The adapter library's Win32 serial channel under Wine: COM5 is the peer's pty (the runner,
// wine-peer.sh, registers it with Wine and names slcan:COM5 as the adapter), and the runner checks
// afterwards what reached the peer. Only the way out is tested here: Wine completes an
// overlapped serial read only when the read's total timeout runs out, not as soon as bytes
// arrive, so answers come a second late and SDO transfers, the node scan and received PDOs
// cannot be judged under Wine. They are tested on the same pty through the POSIX channel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

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

TEST_F(WineComPort, PortThatDoesNotExistIsNoBridge) {
    _putenv_s("TOLVIK_CAN_ADAPTER", "slcan:COM9");
    CAN_BRIDGE_INFO bridges[127] = {};
    EXPECT_EQ(Bridge().CAN_EnumerateBridges(bridges, 127), 0);
}

}  // namespace

// SocketCAN where it can run here: this machine's kernel may lack CAN, so only the failure paths
// and the interface lookup are checked; both must end cleanly, without a thread left behind.
#include <gtest/gtest.h>

#include "canbus/SocketCanChannel.h"
#include "canbus/SocketCanState.h"

namespace {

struct NoSink final : canbus::FrameSink {
    void OnFrame(const canbus::CanFrame&) override {}
    void OnLinkLost() override {}
};

TEST(SocketCanTest, InterfaceLookupIsByNameOnly) {
    EXPECT_TRUE(canbus::NetworkInterfaceExists("lo"));
    EXPECT_FALSE(canbus::NetworkInterfaceExists("tolvikcan9"));
    // The kernel's answer for an interface without CAN data: its link state, no rate.
    const auto loopback = canbus::ReadInterfaceState("lo");
    ASSERT_TRUE(loopback);
    EXPECT_EQ(loopback->state, "up");
    EXPECT_FALSE(loopback->bitrate);
    EXPECT_FALSE(canbus::ReadInterfaceState("tolvikcan9"));
}

TEST(SocketCanTest, ChannelThatCannotOpenSaysWhyAndSendsNothing) {
    for (const char* name : {"tolvikcan9", "lo", "a-name-far-too-long-for-an-interface"}) {
        SCOPED_TRACE(name);
        canbus::SocketCanChannel channel(name);
        NoSink sink;
        std::string error;
        EXPECT_FALSE(channel.Open(sink, &error));
        EXPECT_NE(error.find(name), std::string::npos) << error;
        EXPECT_FALSE(channel.Send(canbus::MakeFrame(0x1C8, {2})));
        channel.Close();
    }
}

}  // namespace

// The node scan, PDO intake and NMT of the CANopen client, on the virtual bus in virtual time.
#include <gtest/gtest.h>

#include <map>

#include "canopen/CanOpenClient.h"
#include "tests/support/FakeNode.h"

namespace {

using testing_can::FakeNode;

class ClientTest : public ::testing::Test {
protected:
    ClientTest() {
        channel->Open(client, nullptr);
        peer->Open(recorder, nullptr);
    }
    ~ClientTest() override {
        channel->Close();
        peer->Close();
    }

    // The rest of the bus: when each frame the client sends arrives (virtual time), and a way to
    // put frames on the bus.
    struct Recorder final : canbus::FrameSink {
        explicit Recorder(canbus::VirtualBus& bus) : bus(bus) {}
        void OnFrame(const canbus::CanFrame& frame) override {
            if (frame.id > 0x600 && frame.id <= 0x67F) {  // SDO requests only
                std::lock_guard<std::mutex> lock(mutex);
                ++arrivals[bus.Now().count()];
            }
        }
        void OnLinkLost() override {}
        canbus::VirtualBus& bus;
        std::mutex mutex;
        std::map<long long, int> arrivals;  // virtual ms -> requests
    };

    void Settle() { testing_can::Settle(bus); }

    canbus::VirtualBus bus;
    Recorder recorder{bus};
    std::unique_ptr<canbus::VirtualChannel> channel = bus.NewChannel();
    std::unique_ptr<canbus::VirtualChannel> peer = bus.NewChannel();
    canopen::CanOpenClient client{*channel, bus};
};

TEST_F(ClientTest, ScanFindsAnsweringAbortingAndHeartbeatingNodesInBursts) {
    FakeNode base(bus, 72);
    base.Set(0x1000, 0, {0x91, 0x01, 0x0F, 0x00});
    FakeNode aborting(bus, 5);
    aborting.AbortOn(0x1000, 0, 0x06020000);
    peer->Send(canbus::MakeFrame(0x700 + 99, {0x05}));   // heartbeat, operational
    peer->Send(canbus::MakeFrame(0x700 + 100, {0x00}));  // boot-up
    Settle();

    std::bitset<canopen::kMaxNode + 1> present;
    const auto start = bus.Now();
    ASSERT_TRUE(client.ScanNodes(&present));
    EXPECT_LE(bus.Now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(present.count(), 4u);
    EXPECT_TRUE(present[72] && present[5] && present[99] && present[100]);

    // 127 uploads of 0x1000/0, at most 16 per burst, bursts apart in time.
    const std::vector<canbus::CanFrame> sent = channel->Sent();
    ASSERT_EQ(sent.size(), 127u);
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].id, 0x600u + 1 + i);
        EXPECT_EQ(sent[i].data[0], 0x40);
        EXPECT_EQ(sent[i].data[1], 0x00);
        EXPECT_EQ(sent[i].data[2], 0x10);
    }
    EXPECT_GE(bus.Now() - start, 7 * canopen::kScanBurstGap);
    Settle();
    std::lock_guard<std::mutex> lock(recorder.mutex);
    EXPECT_EQ(recorder.arrivals.size(), 8u);
    for (const auto& [at, frames] : recorder.arrivals) {
        EXPECT_LE(frames, canopen::kScanBurst) << "at " << at << " ms";
    }
}

TEST_F(ClientTest, ScanOnAnEmptyBusFindsNothing) {
    std::bitset<canopen::kMaxNode + 1> present;
    ASSERT_TRUE(client.ScanNodes(&present));
    EXPECT_TRUE(present.none());
}

TEST_F(ClientTest, OnlyRegisteredPdosAreBufferedAndAFullBufferDrops) {
    ASSERT_TRUE(client.RegisterPdo(0x1C8));
    ASSERT_TRUE(client.RegisterPdo(0x3C8));
    EXPECT_FALSE(client.RegisterPdo(0x800));
    ASSERT_TRUE(client.Pdos().SetCapacity(3));
    EXPECT_FALSE(client.Pdos().SetCapacity(0));
    peer->Send(canbus::MakeFrame(0x1C9, {7}));  // not registered
    for (uint8_t i = 0; i < 5; ++i) {
        peer->Send(canbus::MakeFrame(i % 2 ? 0x3C8 : 0x1C8, {i}));
    }
    canbus::CanFrame extended = canbus::MakeFrame(0x1C8, {9});
    extended.extended = true;
    peer->Send(extended);
    Settle();
    EXPECT_EQ(client.Pdos().Dropped(), 2u);
    canbus::CanFrame frame;
    for (uint8_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(client.Pdos().Take(&frame));
        EXPECT_EQ(frame.id, i % 2 ? 0x3C8u : 0x1C8u);
        EXPECT_EQ(frame.data[0], i);
    }
    EXPECT_FALSE(client.Pdos().Take(&frame));
}

TEST_F(ClientTest, ShrinkingTheBufferDropsTheNewest) {
    client.RegisterPdo(0x1C8);
    for (uint8_t i = 0; i < 4; ++i) {
        peer->Send(canbus::MakeFrame(0x1C8, {i}));
    }
    Settle();
    ASSERT_TRUE(client.Pdos().SetCapacity(2));
    EXPECT_EQ(client.Pdos().Dropped(), 2u);
    canbus::CanFrame frame;
    ASSERT_TRUE(client.Pdos().Take(&frame));
    EXPECT_EQ(frame.data[0], 0);
}

TEST_F(ClientTest, NmtAndPdoTransmission) {
    ASSERT_TRUE(client.SendNmt(0x80, 72));
    ASSERT_TRUE(client.TransmitPdo(canbus::MakeFrame(0x1C8, {2})));
    canbus::CanFrame tooLong = canbus::MakeFrame(0x1C8, {});
    tooLong.length = 9;
    EXPECT_FALSE(client.TransmitPdo(tooLong));
    EXPECT_FALSE(client.SendNmt(0x01, 128));
    const std::vector<canbus::CanFrame> sent = channel->Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], canbus::MakeFrame(0x000, {0x80, 72}));
    EXPECT_EQ(sent[1], canbus::MakeFrame(0x1C8, {2}));
}

}  // namespace

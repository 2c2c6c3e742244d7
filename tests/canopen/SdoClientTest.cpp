// The SDO client against a node on the virtual bus: transfers both ways and sizes, aborts both
// ways, the timeout rules and the bounds of a transfer, all in virtual time.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "canopen/CanOpenClient.h"
#include "tests/support/FakeNode.h"

namespace {

using testing_can::FakeNode;
using namespace std::chrono_literals;

// The virtual bus's time, plus `lag` for every answer the client waited for: a node that takes
// that long over each answer, but answers.
class LaggingClock final : public canbus::WaitClock {
public:
    explicit LaggingClock(canbus::VirtualBus& bus) : m_bus(bus) {}
    canbus::Milliseconds Now() const override { return m_bus.Now() + m_lagged; }
    bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                 canbus::Milliseconds timeout, const std::function<bool()>& ready) override {
        const bool answered = m_bus.WaitFor(lock, cv, timeout, ready);
        m_lagged += answered ? lag : 0ms;
        return answered;
    }

    canbus::Milliseconds lag{0};

private:
    canbus::VirtualBus& m_bus;
    canbus::Milliseconds m_lagged{0};
};

class SdoClientTest : public ::testing::Test {
protected:
    SdoClientTest() { channel->Open(client, nullptr); }
    ~SdoClientTest() override { channel->Close(); }

    std::vector<uint8_t> Text(size_t length) {
        std::vector<uint8_t> text(length);
        for (size_t i = 0; i < length; ++i) {
            text[i] = static_cast<uint8_t>('A' + i % 26);
        }
        return text;
    }

    // The abort the node received last, for `index`/`subIndex`; 0 when the last request was none.
    uint32_t LastAbort(uint16_t index, uint8_t subIndex) {
        testing_can::Settle(bus);
        const canopen::sdo::Payload last = canopen::sdo::FromFrame(node.Requests().back());
        const bool abort = last[0] == 0x80 && canopen::sdo::Addresses(last, index, subIndex);
        return abort ? canopen::sdo::AbortCode(last) : 0;
    }

    canbus::VirtualBus bus;
    LaggingClock clock{bus};
    FakeNode node{bus, 72};
    std::unique_ptr<canbus::VirtualChannel> channel = bus.NewChannel();
    canopen::CanOpenClient client{*channel, clock};
};

TEST_F(SdoClientTest, ExpeditedAndSegmentedUploadsOfEveryLength) {
    for (size_t length : {1u, 4u, 5u, 7u, 8u, 14u, 44u, 99u, 100u}) {
        SCOPED_TRACE(length);
        node.Set(0x100A, 0, Text(length));
        uint8_t buffer[101];
        std::memset(buffer, 0xEE, sizeof buffer);
        const canopen::SdoResult result = client.Upload(72, 0x100A, 0, buffer, 100);
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.value, length);
        EXPECT_EQ(0, std::memcmp(buffer, Text(length).data(), length));
        if (length < 100) {
            EXPECT_EQ(buffer[length], 0) << "a shorter text is terminated";
        }
        EXPECT_EQ(buffer[100], 0xEE) << "nothing beyond the buffer";
    }
}

// However much a node sends, an upload ends once the caller's buffer is full or its time is up,
// the node is told why, and the next transfer works.
TEST_F(SdoClientTest, UploadEndsAtTheBufferOrTheTransferTimeout) {
    // Value: bytes on success, else the abort code. Abort: the node's last request, 0 when none.
    struct Row {
        const char* name;
        size_t text;
        bool emptySegments;
        canbus::Milliseconds lag;
        size_t bufferSize;
        bool ok;
        uint32_t value;
        uint32_t abort;
    };
    constexpr size_t kEndless = 2 << 20;  // for the client: past its 1 MiB cap
    const Row rows[] = {
        {"text longer than the buffer", 44, false, 0ms, 10, true, 10, 0x06070012},
        {"text filling the buffer exactly", 14, false, 0ms, 14, true, 14, 0},
        {"endless 7-byte segments", kEndless, false, 0ms, 100, true, 100, 0x06070012},
        {"endless empty segments", kEndless, true, 0ms, 100, false, 0x08000000, 0x08000000},
        {"endless 7-byte segments, each answer 400 ms late", kEndless, false, 400ms, 100, false, 0x05040000,
         0x05040000},
    };
    node.Set(0x1018, 3, {1, 2, 3, 4});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        node.Set(0x2100, 0, Text(row.text));
        node.EmptySegments(row.emptySegments);
        clock.lag = row.lag;
        std::vector<uint8_t> buffer(row.bufferSize + 1, 0xEE);
        const auto start = clock.Now();
        const canopen::SdoResult result = client.Upload(72, 0x2100, 0, buffer.data(), row.bufferSize);
        EXPECT_LE(clock.Now() - start, canopen::kSdoTransferTimeout);
        EXPECT_EQ(result.ok, row.ok);
        EXPECT_EQ(result.value, row.value);
        if (row.ok) {
            EXPECT_EQ(0, std::memcmp(buffer.data(), Text(row.value).data(), row.value));
        }
        EXPECT_EQ(buffer[row.bufferSize], 0xEE) << "nothing beyond the buffer";
        EXPECT_EQ(LastAbort(0x2100, 0), row.abort);
        node.EmptySegments(false);
        clock.lag = 0ms;
        uint32_t revision = 0;
        EXPECT_TRUE(client.Upload(72, 0x1018, 3, reinterpret_cast<uint8_t*>(&revision), 4).ok);
        EXPECT_EQ(revision, 0x04030201u);
    }
}

TEST_F(SdoClientTest, SlowWriteEndsAtTheTransferTimeout) {
    clock.lag = 400ms;
    const std::vector<uint8_t> text = Text(100);
    const canopen::SdoResult result = client.Download(72, 0x2000, 1, text.data(), text.size());
    EXPECT_EQ(result.Error(), canopen::SdoErrc::Timeout) << result.Error().message();
    EXPECT_EQ(clock.Now(), canopen::kSdoTransferTimeout) << "from the start at 0";
    EXPECT_EQ(LastAbort(0x2000, 1), 0x05040000u);
}

TEST_F(SdoClientTest, ExpeditedValueWiderThanTheBufferIsCut) {
    node.Set(0x1A02, 0, {3, 0, 0, 0});
    uint32_t value = 0;  // the host reads one byte into the lowest byte of a cleared word
    ASSERT_TRUE(client.Upload(72, 0x1A02, 0, reinterpret_cast<uint8_t*>(&value), 1).ok);
    EXPECT_EQ(value, 3u);
}

TEST_F(SdoClientTest, ZeroLengthFinalSegmentIsAccepted) {
    for (size_t length : {7u, 14u, 10u}) {
        SCOPED_TRACE(length);
        node.ZeroLengthFinalSegment(true);
        node.Set(0x100A, 0, Text(length));
        uint8_t buffer[100];
        const canopen::SdoResult result = client.Upload(72, 0x100A, 0, buffer, sizeof buffer);
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.value, length);
        EXPECT_EQ(buffer[length], 0);
    }
}

TEST_F(SdoClientTest, DownloadsExpeditedAndSegmented) {
    const uint8_t control = 0x04;
    ASSERT_TRUE(client.Download(72, 0x2010, 5, &control, 1).ok);
    EXPECT_EQ(node.Get(0x2010, 5), std::vector<uint8_t>{0x04});
    const uint32_t cobId = 0x3C8;
    ASSERT_TRUE(client.Download(72, 0x1802, 1, reinterpret_cast<const uint8_t*>(&cobId), 4).ok);
    EXPECT_EQ(node.Get(0x1802, 1), (std::vector<uint8_t>{0xC8, 0x03, 0, 0}));
    for (size_t length : {5u, 7u, 8u, 21u, 30u}) {
        SCOPED_TRACE(length);
        const std::vector<uint8_t> text = Text(length);
        ASSERT_TRUE(client.Download(72, 0x2000, 1, text.data(), text.size()).ok);
        EXPECT_EQ(node.Get(0x2000, 1), text);
    }
}

TEST_F(SdoClientTest, ServerAbortFailsWithItsCodeAndIsNotRetried) {
    node.AbortOn(0x2010, 5, 0x06010002);
    uint8_t value = 0;
    const canopen::SdoResult read = client.Upload(72, 0x2010, 5, &value, 1);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.value, 0x06010002u);
    const canopen::SdoResult write = client.Download(72, 0x2010, 5, &value, 1);
    EXPECT_FALSE(write.ok);
    EXPECT_EQ(write.value, 0x06010002u);
    testing_can::Settle(bus);
    EXPECT_EQ(node.Requests().size(), 2u);
    EXPECT_EQ(node.Aborts(), 0) << "an abort is not answered";
}

TEST_F(SdoClientTest, ReadIsRetriedOnceAfterATimeout) {
    node.Set(0x1018, 3, {1, 0, 4, 0});
    node.IgnoreRequests(1);
    uint32_t revision = 0;
    const auto start = bus.Now();
    ASSERT_TRUE(client.Upload(72, 0x1018, 3, reinterpret_cast<uint8_t*>(&revision), 4).ok);
    EXPECT_EQ(revision, 0x00040001u);
    EXPECT_EQ(bus.Now() - start, canopen::kSdoTimeout);
    testing_can::Settle(bus);
    EXPECT_EQ(node.Aborts(), 1) << "the timed-out transfer is aborted before the retry";
}

TEST_F(SdoClientTest, ReadGivesUpAfterTwoTimeouts) {
    node.Set(0x1018, 3, {1, 0, 4, 0});
    node.IgnoreRequests(2);
    uint32_t revision = 0;
    const auto start = bus.Now();
    const canopen::SdoResult result = client.Upload(72, 0x1018, 3, reinterpret_cast<uint8_t*>(&revision), 4);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.Error(), canopen::SdoErrc::Timeout);
    EXPECT_EQ(bus.Now() - start, 2 * canopen::kSdoTimeout);
    testing_can::Settle(bus);
    EXPECT_EQ(node.Aborts(), 2);
}

TEST_F(SdoClientTest, WriteIsNeverRepeated) {
    node.IgnoreRequests(1);
    const uint8_t control = 0x04;
    const auto start = bus.Now();
    const canopen::SdoResult result = client.Download(72, 0x2010, 5, &control, 1);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.Error(), canopen::SdoErrc::Timeout);
    EXPECT_EQ(bus.Now() - start, canopen::kSdoTimeout);
    testing_can::Settle(bus);
    ASSERT_EQ(node.Requests().size(), 2u);  // the write and the client's abort
    EXPECT_EQ(node.Requests()[1].data[0], 0x80);
}

TEST_F(SdoClientTest, WrongToggleIsAbortedBothWays) {
    node.Set(0x100A, 0, Text(44));
    node.WrongToggleOnce();
    uint8_t buffer[100];
    const canopen::SdoResult read = client.Upload(72, 0x100A, 0, buffer, sizeof buffer);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.Error(), canopen::SdoErrc::Toggle);
    node.WrongToggleOnce();
    const std::vector<uint8_t> text = Text(20);
    const canopen::SdoResult write = client.Download(72, 0x2000, 1, text.data(), text.size());
    EXPECT_FALSE(write.ok);
    EXPECT_EQ(write.Error(), canopen::SdoErrc::Toggle);
    testing_can::Settle(bus);
    EXPECT_EQ(node.Aborts(), 2);
}

TEST_F(SdoClientTest, LateAnswerForAnotherObjectIsPassedOver) {
    node.Set(0x1802, 1, {0xC8, 0x03, 0, 0x80});
    node.AnswerScanLate(0x1000);
    uint32_t cobId = 0;
    ASSERT_TRUE(client.Upload(72, 0x1802, 1, reinterpret_cast<uint8_t*>(&cobId), 4).ok);
    EXPECT_EQ(cobId, 0x800003C8u);
}

TEST_F(SdoClientTest, LostLinkFailsAtOnceWithoutWaiting) {
    channel->Vanish();
    uint8_t value = 0;
    // The loss reaches the client through the reader thread; until then a transfer may start.
    while (!client.LinkLost()) {
        std::this_thread::yield();
    }
    const auto start = bus.Now();
    EXPECT_FALSE(client.Upload(72, 0x2010, 5, &value, 1).ok);
    EXPECT_FALSE(client.Download(72, 0x2010, 5, &value, 1).ok);
    EXPECT_FALSE(client.SendNmt(0x01, 72));
    EXPECT_EQ(bus.Now(), start);
}

TEST_F(SdoClientTest, BadArgumentsSendNothing) {
    uint8_t value = 0;
    EXPECT_FALSE(client.Upload(0, 0x1000, 0, &value, 1).ok);
    EXPECT_FALSE(client.Upload(128, 0x1000, 0, &value, 1).ok);
    EXPECT_FALSE(client.Upload(72, 0x1000, 0, nullptr, 1).ok);
    EXPECT_FALSE(client.Upload(72, 0x1000, 0, &value, 0).ok);
    EXPECT_FALSE(client.Download(72, 0x1000, 0, &value, 0).ok);
    testing_can::Settle(bus);
    EXPECT_TRUE(node.Requests().empty());
}

}  // namespace

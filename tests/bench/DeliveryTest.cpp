// Handing PDOs to the tool on the bench's own thread: floods, disconnects racing delivery,
// re-entrant calls from the callback, real time.
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "tests/bench/Link.h"

namespace {

const std::array<uint8_t, 4> kDefaultIp = {192, 168, 100, 2};

CAN_PDO Numbered(uint32_t sequence) {
    CAN_PDO pdo = Frame(0x1C8, 0);
    std::memcpy(pdo.data, &sequence, sizeof sequence);
    return pdo;
}

enum class Time { Real, Virtual };

// The default scenario with `callback` registered and only the wired key PDO listened to.
void Open(CAN_PdoEventProc callback, Time time = Time::Real, int bufferSize = 5000) {
    bench::Load(bench::DefaultScenario());
    if (time == Time::Virtual) {
        bench::UseVirtualTime();
    }
    ASSERT_EQ(bench::CAN_Connect(AddressOf(kDefaultIp)), 1);
    ASSERT_EQ(bench::CAN_SetPDOBufferSize(bufferSize), 1);
    ASSERT_EQ(bench::CAN_RegisterEvents(callback, NoSecondary), 1);
    ASSERT_EQ(bench::CAN_RegisterPDO(Frame(0x1C8, 0)), 1);
}

// ---- a flood ----

std::atomic<uint64_t> g_fetched{0};
std::atomic<uint64_t> g_outOfOrder{0};
uint32_t g_lastSequence = 0;  // only the bench thread touches it

void SequenceCallback(int count) {
    for (int i = 0; i < count; ++i) {
        CAN_PDO pdo{};
        if (bench::CAN_GetPDO(&pdo) != 1) {
            continue;
        }
        uint32_t sequence = 0;
        std::memcpy(&sequence, pdo.data, sizeof sequence);
        if (g_fetched > 0 && sequence <= g_lastSequence) {
            ++g_outOfOrder;
        }
        g_lastSequence = sequence;
        ++g_fetched;
    }
}

// The scenario's own flood: exactly rate x duration frames, each in its millisecond, delivered or
// counted as dropped; none before the connection, none after the end.
TEST(BenchDelivery, ScenarioFloodKeepsItsRateAndCount) {
    bench::Scenario scenario = bench::DefaultScenario();
    scenario.flood = {3000, 1000, bench::Flood::Mix::Keys};  // 3 frames a millisecond
    bench::Load(scenario);
    bench::UseVirtualTime();
    ASSERT_EQ(bench::CAN_Connect(AddressOf(kDefaultIp)), 1);
    ASSERT_EQ(bench::CAN_SetPDOBufferSize(500), 1);
    ASSERT_EQ(bench::CAN_RegisterEvents(RecordingCallback, NoSecondary), 1);
    ASSERT_EQ(bench::CAN_RegisterPDO(Frame(0x1C8, 0)), 1);
    TakeReceived();
    bench::Advance(0);
    EXPECT_EQ(TakeReceived().size(), 3u);
    bench::Advance(9);
    const std::vector<CAN_PDO> tenth = TakeReceived();
    ASSERT_EQ(tenth.size(), 27u);
    EXPECT_EQ(Pairs({tenth[0], tenth[1]}), (std::vector<std::pair<uint32_t, int>>{{0x1C8, 0}, {0x1C8, 3}}));
    bench::Advance(2000);  // 2,970 frames at once: the 500-frame buffer takes what it can
    EXPECT_EQ(TakeReceived().size() + bench::DroppedCount(), 2970u);
    EXPECT_GT(bench::DroppedCount(), 0u);
    bench::Advance(5000);
    EXPECT_TRUE(TakeReceived().empty());
    bench::CAN_Disconnect();
}

TEST(BenchDelivery, FloodIsDeliveredInOrderOrCountedAsDropped) {
    constexpr uint32_t kSent = 60000;
    Open(SequenceCallback);
    std::thread producer([] {
        for (uint32_t i = 0; i < kSent; ++i) {
            bench::InjectPdo(Numbered(i));
        }
    });
    producer.join();
    ASSERT_TRUE(bench::WaitIdle(30000));
    EXPECT_EQ(bench::DeliveredCount() + bench::DroppedCount(), kSent);
    EXPECT_EQ(g_fetched.load(), bench::DeliveredCount());
    EXPECT_EQ(g_outOfOrder.load(), 0u);
    EXPECT_EQ(bench::CAN_Disconnect(), 1);
}

// ---- disconnects racing delivery ----

std::mutex g_toolLock;  // stands for a lock of the tool that the callback waits on briefly
std::atomic<bool> g_inCallback{false};
std::atomic<bool> g_disconnected{false};
std::atomic<int> g_calls{0};
std::atomic<int> g_lateCalls{0};

void RacingCallback(int count) {
    g_inCallback = true;
    ++g_calls;
    if (g_disconnected) {
        ++g_lateCalls;
    }
    for (int i = 0; i < count; ++i) {
        CAN_PDO pdo{};
        bench::CAN_GetPDO(&pdo);
    }
    { std::lock_guard<std::mutex> lock(g_toolLock); }
    g_inCallback = false;
}

TEST(BenchDelivery, DisconnectRacingAFloodEndsEveryCallback) {
    std::atomic<bool> stop{false};
    bench::Load(bench::DefaultScenario());
    std::thread injector([&] {
        while (!stop) {
            bench::InjectPdo(Frame(0x1C8, 1));
        }
    });
    for (int round = 0; round < 1000; ++round) {
        g_disconnected = false;
        Open(RacingCallback);
        const int before = g_calls;
        for (int spin = 0; g_calls == before && spin < 100000; ++spin) {
            std::this_thread::yield();
        }
        { std::lock_guard<std::mutex> lock(g_toolLock); }
        ASSERT_EQ(bench::CAN_Disconnect(), 1);
        g_disconnected = true;
        ASSERT_FALSE(g_inCallback) << "round " << round;
    }
    stop = true;
    injector.join();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(g_lateCalls.load(), 0);
    EXPECT_GT(g_calls.load(), 0);
}

// ---- calls from inside the callback ----

std::atomic<int> g_disconnectFromCallback{99};
std::atomic<int> g_connectFromCallback{99};

void ReentrantCallback(int) {
    g_disconnectFromCallback = bench::CAN_Disconnect();
    g_connectFromCallback = bench::CAN_Connect(AddressOf(kDefaultIp));
}

TEST(BenchDelivery, DisconnectAndConnectFromTheCallbackFailInsteadOfDeadlocking) {
    Open(ReentrantCallback, Time::Virtual, 10);
    bench::InjectPdo(Frame(0x1C8, 1));
    bench::Advance(0);
    EXPECT_EQ(g_disconnectFromCallback.load(), 0);
    EXPECT_EQ(g_connectFromCallback.load(), -1);
    EXPECT_EQ(bench::CAN_Disconnect(), 1);
}

// A callback that takes nothing is not called again and again for the same PDOs.
std::atomic<int> g_ignoringCalls{0};

void IgnoringCallback(int) {
    ++g_ignoringCalls;
}

TEST(BenchDelivery, CallbackThatTakesNothingIsCalledOncePerArrival) {
    Open(IgnoringCallback, Time::Virtual, 10);
    bench::InjectPdo(Frame(0x1C8, 1));
    bench::Advance(0);
    EXPECT_EQ(g_ignoringCalls.load(), 1);
    EXPECT_FALSE(bench::WaitIdle(50));
    EXPECT_EQ(g_ignoringCalls.load(), 1);
    bench::InjectPdo(Frame(0x1C8, 2));
    bench::Advance(0);
    EXPECT_EQ(g_ignoringCalls.load(), 2);
    EXPECT_EQ(bench::CAN_Disconnect(), 1);
}

// ---- real time ----

TEST(BenchDelivery, RealTimeTimelineArrivesByItself) {
    bench::Scenario scenario = bench::DefaultScenario();
    scenario.timeline = {{20, bench::EventKind::KeyDown, false, 5}};
    bench::Load(scenario);
    OpenLink(scenario);
    std::vector<CAN_PDO> received;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (received.empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        received = TakeReceived();
    }
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].cobId, 0x1C8u);
    EXPECT_EQ(received[0].data[0], 5);
    EXPECT_EQ(bench::CAN_Disconnect(), 1);
}

}  // namespace

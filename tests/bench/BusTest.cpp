// What the remotes put on the bus: the TPDO3 rule, association, the timeline.
#include <algorithm>
#include <functional>
#include <set>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/bench/Link.h"

namespace {

using bench::EventKind;
using bench::Scenario;
using Frames = std::vector<std::pair<uint32_t, int>>;

void Write(int index, int sub, uint32_t value, int size) {
    int out = 0;
    ASSERT_EQ(bench::CAN_SDOWrite(72, index, sub, &value, size, &out), 1);
}

Scenario Paired() {
    Scenario scenario = bench::DefaultScenario();
    scenario.wirelessPaired = true;
    scenario.signalVariation = 0;
    return scenario;
}

// Frames of one COB-ID, `count` times.
auto HasFrames(uint32_t cobId, size_t count) {
    return testing::Contains(testing::Field(&CAN_PDO::cobId, cobId)).Times(count);
}

class BenchBus : public ::testing::Test {
protected:
    void TearDown() override { bench::CAN_Disconnect(); }
};

// TPDO3 runs only while valid and mapped, and only after a restart (3, then 1) that followed
// the last change of either object.
TEST_F(BenchBus, SignalStrengthNeedsValidMappedAndRestarted) {
    const auto restart = [] {
        ASSERT_EQ(bench::CAN_SetNodeState(72, 3), 1);
        ASSERT_EQ(bench::CAN_SetNodeState(72, 1), 1);
    };
    const auto enable = [] {
        Write(0x1802, 1, 0x3C8, 4);
        Write(0x1A02, 0, 1, 1);
    };
    struct Case {
        const char* name;
        bool validAndMappedAtStart;
        std::function<void()> steps;
        bool flows;
    } cases[] = {
        {"valid and mapped from the start", true, [] {}, true},
        {"not yet valid", false, [] {}, false},
        {"enabled without restart", false, enable, false},
        {"enabled and restarted", false,
         [&] {
             enable();
             restart();
         },
         true},
        {"restarted before enabling", false,
         [&] {
             restart();
             enable();
         },
         false},
        {"restart in the wrong order", false,
         [&] {
             enable();
             bench::CAN_SetNodeState(72, 1);
             bench::CAN_SetNodeState(72, 3);
         },
         false},
        {"another state between stop and start", false,
         [&] {
             enable();
             bench::CAN_SetNodeState(72, 3);
             bench::CAN_SetNodeState(72, 2);
             bench::CAN_SetNodeState(72, 1);
         },
         false},
        {"made invalid again", true, [] { Write(0x1802, 1, 0x800003C8, 4); }, false},
        {"mapping cleared", true, [] { Write(0x1A02, 0, 0, 1); }, false},
        {"same value written back", true, [] { Write(0x1802, 1, 0x3C8, 4); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario scenario = Paired();
        if (c.validAndMappedAtStart) {
            scenario.tpdo3CobId = 0x3C8;
            scenario.tpdo3Mapped = 1;
        }
        Link(scenario);
        c.steps();
        bench::Advance(2000);
        const std::vector<CAN_PDO> frames = TakeReceived();
        EXPECT_THAT(frames, HasFrames(0x3C8, c.flows ? 4u : 0u));
    }
}

TEST_F(BenchBus, SignalReportsAtTheSteadyRateWithinTheVariation) {
    Scenario scenario = Paired();
    scenario.tpdo3CobId = 0x3C8;
    scenario.tpdo3Mapped = 1;
    scenario.signalLevel = 180;
    scenario.signalVariation = 3;
    scenario.signalPeriodMs = 250;
    Link(scenario);
    bench::Advance(249);
    EXPECT_TRUE(TakeReceived().empty());
    bench::Advance(10000 - 249);
    const std::vector<CAN_PDO> frames = TakeReceived();
    ASSERT_EQ(frames.size(), 40u);
    std::set<int> levels;
    for (const CAN_PDO& frame : frames) {
        EXPECT_EQ(frame.cobId, 0x3C8u);
        EXPECT_EQ(frame.length, 1u);
        EXPECT_GE(frame.data[0], 177);
        EXPECT_LE(frame.data[0], 183);
        levels.insert(frame.data[0]);
    }
    EXPECT_GT(levels.size(), 1u);
}

// The default scenario: the batteries go in when the window opens and the remote pairs 3 s
// later, reporting its battery; signal reports follow once TPDO3 runs.
TEST_F(BenchBus, DefaultRemotePairsWhileTheWindowIsOpen) {
    Link(bench::DefaultScenario());
    Write(0x1802, 1, 0x3C8, 4);
    Write(0x1A02, 0, 1, 1);
    bench::CAN_SetNodeState(72, 3);
    bench::CAN_SetNodeState(72, 1);
    EXPECT_FALSE(bench::AssociationWindowOpen());
    Write(0x2010, 5, 0x04, 1);
    EXPECT_TRUE(bench::AssociationWindowOpen());
    bench::Advance(2999);
    EXPECT_FALSE(bench::WirelessPaired());
    EXPECT_TRUE(TakeReceived().empty());
    bench::Advance(1);
    EXPECT_TRUE(bench::WirelessPaired());
    EXPECT_EQ(Pairs(TakeReceived()), (Frames{{0x2C9, 0x00}}));
    Write(0x2010, 5, 0x00, 1);
    EXPECT_FALSE(bench::AssociationWindowOpen());
    bench::Advance(500);
    EXPECT_THAT(TakeReceived(), HasFrames(0x3C8, 1u));
}

TEST_F(BenchBus, PairingNeedsTheWindowOpenAtInsertionAndCompletion) {
    struct Case {
        const char* name;
        bool autoInsert;
        std::vector<bench::TimelineEvent> timeline;
        int closeWindowAtMs;  // -1: left open
        bool paired;
    } cases[] = {
        {"inserted while open", false, {{150, EventKind::BatteriesInserted}}, -1, true},
        {"inserted before the window opened", false, {{0, EventKind::BatteriesInserted}}, -1, false},
        {"window closed before pairing completed", true, {}, 2000, false},
        {"window closed after pairing", true, {}, 3500, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario scenario = bench::DefaultScenario();
        scenario.insertBatteriesWhenWindowOpens = c.autoInsert;
        scenario.timeline = c.timeline;
        Link(scenario);
        bench::Advance(50);
        Write(0x2010, 5, 0x04, 1);
        if (c.closeWindowAtMs >= 0) {
            bench::Advance(c.closeWindowAtMs);
            Write(0x2010, 5, 0x00, 1);
        }
        bench::Advance(5000);
        EXPECT_EQ(bench::WirelessPaired(), c.paired);
        EXPECT_THAT(TakeReceived(), HasFrames(0x2C9, c.paired ? 1u : 0u));
    }
}

TEST_F(BenchBus, AnUnpairedRemoteSendsNothing) {
    Scenario scenario = bench::DefaultScenario();
    scenario.tpdo3CobId = 0x3C8;
    scenario.tpdo3Mapped = 1;
    scenario.timeline = {{100, EventKind::KeyDown, true, 7},    {200, EventKind::KeyUp, true, 0},
                         {300, EventKind::BatteryLow, true, 0}, {400, EventKind::Signal, true, 90},
                         {500, EventKind::BatteriesInserted},   {600, EventKind::KeyDown, false, 2}};
    Link(scenario);
    bench::Advance(5000);
    EXPECT_EQ(Pairs(TakeReceived()), (Frames{{0x1C8, 2}}));
}

TEST_F(BenchBus, PairedRemoteReportsKeysAndBatteryChanges) {
    Scenario scenario = Paired();
    scenario.timeline = {{100, EventKind::KeyDown, true, 7},    {200, EventKind::KeyUp, true, 0},
                         {300, EventKind::BatteryLow},          {400, EventKind::BatteryLow},
                         {500, EventKind::KeyDown, false, 255}, {600, EventKind::BatteryOk},
                         {700, EventKind::BatteriesInserted}};
    Link(scenario);
    bench::Advance(1000);
    EXPECT_EQ(Pairs(TakeReceived()),
              (Frames{{0x1C9, 7}, {0x1C9, 0}, {0x2C9, 0x02}, {0x1C8, 255}, {0x2C9, 0x00}, {0x2C9, 0x00}}));
}

// Timeline times count from the connect, each event at its own time.
TEST_F(BenchBus, TimelineRunsFromTheConnect) {
    Scenario scenario = bench::DefaultScenario();
    scenario.timeline = {{300, EventKind::KeyDown, false, 1}, {100, EventKind::KeyDown, false, 2}};
    bench::Load(scenario);
    bench::UseVirtualTime();
    bench::Advance(5000);
    OpenLink(scenario);
    bench::Advance(99);
    EXPECT_TRUE(TakeReceived().empty());
    bench::Advance(1);
    EXPECT_EQ(Pairs(TakeReceived()), (Frames{{0x1C8, 2}}));
    bench::Advance(200);
    EXPECT_EQ(Pairs(TakeReceived()), (Frames{{0x1C8, 1}}));
}

TEST_F(BenchBus, AbsentBaseRemoteSendsNothing) {
    Scenario scenario = Paired();
    scenario.baseRemotePresent = false;
    scenario.timeline = {{100, EventKind::KeyDown, false, 1}, {200, EventKind::KeyDown, true, 1}};
    Link(scenario);
    bench::Advance(1000);
    EXPECT_TRUE(TakeReceived().empty());
    uint8_t value = 0;
    int out = 0;
    EXPECT_EQ(bench::CAN_SDORead(72, 0x2010, 5, &value, 1, &out), 0);
}

TEST_F(BenchBus, LostBridgeGoesSilentAndAway) {
    Scenario scenario = Paired();
    scenario.timeline = {{100, EventKind::KeyDown, false, 1},
                         {200, EventKind::BridgeLost},
                         {300, EventKind::KeyDown, false, 2}};
    Link(scenario);
    bench::Advance(1000);
    EXPECT_EQ(Pairs(TakeReceived()), (Frames{{0x1C8, 1}}));
    uint8_t table[128];
    uint8_t value = 0;
    int out = 0;
    EXPECT_EQ(bench::CAN_SDORead(72, 0x2010, 5, &value, 1, &out), 0);
    EXPECT_EQ(out, 0x05040000);
    EXPECT_EQ(bench::CAN_TransmitPDO(Frame(0x1C8, 1)), 0);
    EXPECT_EQ(bench::CAN_EnumerateNodes(table), 0);
    EXPECT_EQ(bench::CAN_SetNodeState(72, 1), 0);
    EXPECT_EQ(bench::CAN_Disconnect(), 1);
    CAN_BRIDGE_INFO list[1];
    EXPECT_EQ(bench::CAN_EnumerateBridges(list, 1), 0);
    EXPECT_EQ(bench::CAN_Connect(AddressOf(scenario.bridges[0].ip)), -1);
}

}  // namespace

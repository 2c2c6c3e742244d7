// The contract of the twelve operations, one group per operation, and every fault.
#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "tests/bench/Link.h"

namespace {

using bench::Scenario;

const std::array<uint8_t, 4> kDefaultIp = {192, 168, 100, 2};

Scenario WithBridges(std::vector<bench::BridgeSpec> bridges) {
    Scenario scenario = bench::DefaultScenario();
    scenario.bridges = std::move(bridges);
    return scenario;
}

bench::BridgeSpec Bridge(uint8_t last, bool reachable = true) {
    bench::BridgeSpec bridge;
    bridge.ip = {10, 0, 0, last};
    bridge.mac = {0, 0x50, 0xC2, 0, 0, last};
    bridge.reachable = reachable;
    return bridge;
}

class BenchOps : public ::testing::Test {
protected:
    void TearDown() override { bench::CAN_Disconnect(); }
};

// ---- CAN_EnumerateBridges ----

TEST_F(BenchOps, EnumerateBridgesListsTheDefaultBridge) {
    bench::Load(bench::DefaultScenario());
    CAN_BRIDGE_INFO list[127] = {};
    ASSERT_EQ(bench::CAN_EnumerateBridges(list, 127), 1);
    EXPECT_EQ(0, std::memcmp(list[0].ipAddress, kDefaultIp.data(), 4));
    const uint8_t mac[6] = {0x00, 0x50, 0xC2, 0x12, 0x34, 0x56};
    EXPECT_EQ(0, std::memcmp(list[0].macAddress, mac, 6));
}

TEST_F(BenchOps, EnumerateBridgesResults) {
    Scenario scanError = bench::DefaultScenario();
    scanError.faults.scanError = true;
    const Scenario three = WithBridges({Bridge(1), Bridge(2, false), Bridge(3), Bridge(4)});
    struct Case {
        const char* name;
        Scenario scenario;
        bool nullList;
        int capacity;
        int expected;
    } cases[] = {
        {"no bridges", WithBridges({}), false, 127, 0},
        {"scan error", scanError, false, 127, -1},
        {"unreachable ones are not counted", three, false, 127, 3},
        {"count exceeds a short list", three, false, 2, 3},
        {"capacity zero still counts", three, false, 0, 3},
        {"negative capacity", three, false, -1, -1},
        {"null list", three, true, 127, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bench::Load(c.scenario);
        CAN_BRIDGE_INFO list[4] = {};
        std::memset(list, 0xEE, sizeof list);
        EXPECT_EQ(bench::CAN_EnumerateBridges(c.nullList ? nullptr : list, c.capacity), c.expected);
        const int written = std::max(0, std::min(c.capacity, c.expected));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(list[i].ipAddress[0] == 10, i < written) << "entry " << i;
        }
    }
    bench::Load(three);
    CAN_BRIDGE_INFO list[3] = {};
    ASSERT_EQ(bench::CAN_EnumerateBridges(list, 3), 3);
    EXPECT_EQ(list[0].ipAddress[3], 1);
    EXPECT_EQ(list[1].ipAddress[3], 3);
    EXPECT_EQ(list[2].macAddress[5], 4);
}

// ---- CAN_Connect / CAN_Disconnect ----

TEST_F(BenchOps, ConnectResults) {
    bench::BridgeSpec inUse = Bridge(1);
    inUse.connectionsInUse = 1;
    bench::BridgeSpec shared = Bridge(1);
    shared.connectionLimit = 2;
    shared.connectionsInUse = 1;
    Scenario refused = bench::DefaultScenario();
    refused.faults.connectRefused = true;
    struct Case {
        const char* name;
        Scenario scenario;
        std::array<uint8_t, 4> ip;
        bool succeeds;
    } cases[] = {
        {"default bridge", bench::DefaultScenario(), kDefaultIp, true},
        {"address nobody has", bench::DefaultScenario(), {192, 168, 100, 3}, false},
        {"unreachable bridge", WithBridges({Bridge(1, false)}), {10, 0, 0, 1}, false},
        {"all connections in use", WithBridges({inUse}), {10, 0, 0, 1}, false},
        {"one connection left", WithBridges({shared}), {10, 0, 0, 1}, true},
        {"connect refused", refused, kDefaultIp, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bench::Load(c.scenario);
        const int result = bench::CAN_Connect(AddressOf(c.ip));
        EXPECT_EQ(result != -1, c.succeeds);
        EXPECT_EQ(bench::ConnectCount(), c.succeeds ? 1 : 0);
    }
}

TEST_F(BenchOps, SecondConnectFailsAndReconnectWorks) {
    bench::Load(bench::DefaultScenario());
    const uint32_t ip = AddressOf(kDefaultIp);
    ASSERT_EQ(bench::CAN_Connect(ip), 1);
    EXPECT_EQ(bench::CAN_Connect(ip), -1);
    EXPECT_EQ(bench::CAN_Disconnect(), 1);
    EXPECT_EQ(bench::CAN_Disconnect(), 0);
    EXPECT_EQ(bench::CAN_Connect(ip), 1);
    EXPECT_EQ(bench::ConnectCount(), 2);
    EXPECT_EQ(bench::DisconnectCount(), 1);
}

// Everything but the scan needs a connection: before connecting and after disconnecting alike.
TEST_F(BenchOps, CallsOutOfOrderFail) {
    uint8_t table[128];
    uint8_t buffer[4] = {};
    int out = 0;
    CAN_PDO pdo = Frame(0x1C8, 1);
    struct Case {
        const char* name;
        std::function<int()> call;
    } cases[] = {
        {"Disconnect", [] { return bench::CAN_Disconnect(); }},
        {"EnumerateNodes", [&] { return bench::CAN_EnumerateNodes(table); }},
        {"SetPDOBufferSize", [] { return bench::CAN_SetPDOBufferSize(5000); }},
        {"RegisterEvents", [] { return bench::CAN_RegisterEvents(RecordingCallback, NoSecondary); }},
        {"RegisterPDO", [&] { return bench::CAN_RegisterPDO(pdo); }},
        {"GetPDO", [&] { return bench::CAN_GetPDO(&pdo); }},
        {"TransmitPDO", [&] { return bench::CAN_TransmitPDO(pdo); }},
        {"SDORead", [&] { return bench::CAN_SDORead(72, 0x1018, 3, buffer, 4, &out); }},
        {"SDOWrite", [&] { return bench::CAN_SDOWrite(72, 0x2010, 5, buffer, 1, &out); }},
        {"SetNodeState", [] { return bench::CAN_SetNodeState(72, 1); }},
    };
    for (bool afterDisconnect : {false, true}) {
        bench::Load(bench::DefaultScenario());
        if (afterDisconnect) {
            Link(bench::DefaultScenario());
            ASSERT_EQ(bench::CAN_Disconnect(), 1);
        }
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (afterDisconnect ? " after disconnect" : " before connect"));
            EXPECT_EQ(c.call(), 0);
        }
    }
    EXPECT_TRUE(bench::Transmitted().empty());
}

TEST_F(BenchOps, NullPointersFail) {
    Link(bench::DefaultScenario());
    uint8_t buffer[4] = {};
    int out = 0;
    EXPECT_EQ(bench::CAN_EnumerateBridges(nullptr, 1), -1);
    EXPECT_EQ(bench::CAN_EnumerateNodes(nullptr), 0);
    EXPECT_EQ(bench::CAN_RegisterEvents(nullptr, NoSecondary), 0);
    EXPECT_EQ(bench::CAN_RegisterEvents(RecordingCallback, nullptr), 0);
    EXPECT_EQ(bench::CAN_GetPDO(nullptr), 0);
    EXPECT_EQ(bench::CAN_SDORead(72, 0x1018, 3, nullptr, 4, &out), 0);
    EXPECT_EQ(bench::CAN_SDORead(72, 0x1018, 3, buffer, 4, nullptr), 0);
    EXPECT_EQ(bench::CAN_SDOWrite(72, 0x2010, 5, nullptr, 1, &out), 0);
    EXPECT_EQ(bench::CAN_SDOWrite(72, 0x2010, 5, buffer, 1, nullptr), 0);
}

// ---- CAN_EnumerateNodes ----

TEST_F(BenchOps, EnumerateNodesFillsTheTable) {
    Scenario extra = bench::DefaultScenario();
    extra.nodes = {0, 5, 127};
    Scenario noBase = extra;
    noBase.baseRemotePresent = false;
    Scenario fails = bench::DefaultScenario();
    fails.faults.enumerateNodesFails = true;
    struct Case {
        const char* name;
        Scenario scenario;
        int result;
        std::vector<int> present;
    } cases[] = {
        {"base remote only", bench::DefaultScenario(), 1, {72}},
        {"other nodes too", extra, 1, {0, 5, 72, 127}},
        {"base remote absent", noBase, 1, {0, 5, 127}},
        {"enumeration fails", fails, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Link(c.scenario);
        uint8_t table[128];
        std::memset(table, 0x55, sizeof table);
        ASSERT_EQ(bench::CAN_EnumerateNodes(table), c.result);
        if (c.result != 1) {
            continue;
        }
        for (int node = 0; node < 128; ++node) {
            const bool present = std::find(c.present.begin(), c.present.end(), node) != c.present.end();
            EXPECT_EQ(table[node], present ? 2 : 0) << "node " << node;
        }
    }
}

// ---- CAN_SetPDOBufferSize, CAN_RegisterEvents, CAN_RegisterPDO, CAN_GetPDO ----

TEST_F(BenchOps, BufferSizeBounds) {
    bench::Load(bench::DefaultScenario());
    ASSERT_EQ(bench::CAN_Connect(AddressOf(kDefaultIp)), 1);
    for (int size : {0, -1, 1000001}) {
        EXPECT_EQ(bench::CAN_SetPDOBufferSize(size), 0) << size;
    }
    for (int size : {1, 5000, 1000000}) {
        EXPECT_EQ(bench::CAN_SetPDOBufferSize(size), 1) << size;
    }
    Scenario refused = bench::DefaultScenario();
    refused.faults.bufferSizeRefused = true;
    bench::Load(refused);
    ASSERT_EQ(bench::CAN_Connect(AddressOf(kDefaultIp)), 1);
    EXPECT_EQ(bench::CAN_SetPDOBufferSize(5000), 0);
}

TEST_F(BenchOps, RegisterEventsRefused) {
    Scenario refused = bench::DefaultScenario();
    refused.faults.registerEventsRefused = true;
    bench::Load(refused);
    ASSERT_EQ(bench::CAN_Connect(AddressOf(kDefaultIp)), 1);
    EXPECT_EQ(bench::CAN_RegisterEvents(RecordingCallback, NoSecondary), 0);
}

// Without a callback the PDOs wait; a full buffer drops the newest and counts them, and the
// ones kept come out oldest first.
TEST_F(BenchOps, FullBufferDropsNewPdosAndKeepsOrder) {
    bench::Load(bench::DefaultScenario());
    bench::UseVirtualTime();
    ASSERT_EQ(bench::CAN_Connect(AddressOf(kDefaultIp)), 1);
    ASSERT_EQ(bench::CAN_SetPDOBufferSize(10), 1);
    ASSERT_EQ(bench::CAN_RegisterPDO(Frame(0x1C8, 0)), 1);
    for (int i = 0; i < 15; ++i) {
        bench::InjectPdo(Frame(0x1C8, static_cast<uint8_t>(i)));
    }
    EXPECT_EQ(bench::DroppedCount(), 5u);
    for (int i = 0; i < 10; ++i) {
        CAN_PDO pdo{};
        ASSERT_EQ(bench::CAN_GetPDO(&pdo), 1);
        EXPECT_EQ(pdo.data[0], i);
    }
    CAN_PDO pdo{};
    EXPECT_EQ(bench::CAN_GetPDO(&pdo), 0);
    EXPECT_EQ(bench::DeliveredCount(), 10u);

    for (int i = 0; i < 8; ++i) {
        bench::InjectPdo(Frame(0x1C8, static_cast<uint8_t>(i)));
    }
    ASSERT_EQ(bench::CAN_SetPDOBufferSize(3), 1);
    EXPECT_EQ(bench::DroppedCount(), 10u);
}

TEST_F(BenchOps, OnlyRegisteredPdosArrive) {
    bench::Load(bench::DefaultScenario());
    bench::UseVirtualTime();
    ASSERT_EQ(bench::CAN_Connect(AddressOf(kDefaultIp)), 1);
    ASSERT_EQ(bench::CAN_SetPDOBufferSize(100), 1);
    EXPECT_EQ(bench::CAN_RegisterPDO(Frame(0x800, 0)), 0);
    ASSERT_EQ(bench::CAN_RegisterPDO(Frame(0x1C9, 0)), 1);
    ASSERT_EQ(bench::CAN_RegisterPDO(Frame(0x1C9, 0)), 1);
    EXPECT_EQ(bench::Registered().size(), 1u);
    bench::InjectPdo(Frame(0x1C8, 1));
    bench::InjectPdo(Frame(0x1C9, 2));
    bench::InjectPdo(Frame(0x800, 3));
    CAN_PDO pdo{};
    ASSERT_EQ(bench::CAN_GetPDO(&pdo), 1);
    EXPECT_EQ(pdo.cobId, 0x1C9u);
    EXPECT_EQ(bench::CAN_GetPDO(&pdo), 0);
    EXPECT_EQ(bench::DroppedCount(), 0u);
}

// ---- CAN_TransmitPDO ----

TEST_F(BenchOps, TransmitRecordsFramesAndEchoesOnlyWhenAsked) {
    for (bool echo : {false, true}) {
        SCOPED_TRACE(echo ? "echo on" : "echo off");
        Scenario scenario = bench::DefaultScenario();
        scenario.echoTransmitted = echo;
        Link(scenario);
        EXPECT_EQ(bench::CAN_TransmitPDO(Frame(0x1C8, 2)), 1);
        EXPECT_EQ(bench::CAN_TransmitPDO(Frame(0x1C8, 0)), 1);
        CAN_PDO tooLong = Frame(0x1C8, 1);
        tooLong.length = 9;
        EXPECT_EQ(bench::CAN_TransmitPDO(tooLong), 0);
        bench::Advance(0);
        const std::vector<std::pair<uint32_t, int>> sent = {{0x1C8, 2}, {0x1C8, 0}};
        EXPECT_EQ(Pairs(bench::Transmitted()), sent);
        EXPECT_EQ(Pairs(TakeReceived()), echo ? sent : decltype(sent){});
    }
    Scenario refused = bench::DefaultScenario();
    refused.faults.transmitRefused = true;
    Link(refused);
    EXPECT_EQ(bench::CAN_TransmitPDO(Frame(0x1C8, 2)), 0);
    EXPECT_TRUE(bench::Transmitted().empty());
}

// ---- CAN_SDORead / CAN_SDOWrite ----

TEST_F(BenchOps, SdoReads) {
    Scenario scenario = bench::DefaultScenario();
    scenario.nodes = {5};
    scenario.faults.sdoReadFails = {0x1A0200};
    Link(scenario);
    struct Case {
        const char* name;
        int node, index, sub, size;
        int result;
        uint32_t value;  // the bytes read as an integer, or the abort code
        int out;
    } cases[] = {
        {"revision", 72, 0x1018, 3, 4, 1, 0x00040000, 4},
        {"TPDO3 COB-ID", 72, 0x1802, 1, 4, 1, 0x800003C8, 4},
        {"association byte", 72, 0x2010, 5, 1, 1, 0, 1},
        {"revision, short buffer", 72, 0x1018, 3, 2, 0, 0, 0x06070010},
        {"association byte, 4 bytes", 72, 0x2010, 5, 4, 0, 0, 0x06070010},
        {"zero size", 72, 0x1018, 3, 0, 0, 0, 0x06070010},
        {"unknown object", 72, 0x1018, 4, 4, 0, 0, 0x06020000},
        {"absent node", 9, 0x1018, 3, 4, 0, 0, 0x05040000},
        {"node without dictionary", 5, 0x1018, 3, 4, 0, 0, 0x06020000},
        {"injected failure", 72, 0x1A02, 0, 1, 0, 0, 0x08000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t value = 0;
        int out = -1;
        EXPECT_EQ(bench::CAN_SDORead(c.node, c.index, c.sub, &value, c.size, &out), c.result);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(out, static_cast<int>(c.out));
    }
}

// The version text comes as raw bytes: at most the buffer's size, with no terminator added.
TEST_F(BenchOps, VersionTextReads) {
    const std::string text = "3817-5526-02 V4.0";
    Link(bench::DefaultScenario());
    char buffer[100];
    std::memset(buffer, '*', sizeof buffer);
    int out = 0;
    ASSERT_EQ(bench::CAN_SDORead(72, 0x100A, 0, buffer, sizeof buffer, &out), 1);
    EXPECT_EQ(out, static_cast<int>(text.size()));
    EXPECT_EQ(std::string(buffer, text.size()), text);
    EXPECT_EQ(buffer[text.size()], '*');

    std::memset(buffer, '*', sizeof buffer);
    ASSERT_EQ(bench::CAN_SDORead(72, 0x100A, 0, buffer, 6, &out), 1);
    EXPECT_EQ(std::string(buffer, 7), "3817-5*");

    Scenario full = bench::DefaultScenario();
    full.versionText.assign(150, 'v');
    Link(full);
    ASSERT_EQ(bench::CAN_SDORead(72, 0x100A, 0, buffer, sizeof buffer, &out), 1);
    EXPECT_EQ(out, 100);
    EXPECT_EQ(std::string(buffer, 100), std::string(100, 'v'));
}

TEST_F(BenchOps, SdoWrites) {
    Scenario scenario = bench::DefaultScenario();
    scenario.faults.sdoWriteFails = {0x180201};
    Link(scenario);
    struct Case {
        const char* name;
        int index, sub, size;
        uint32_t value;
        int result;
        int out;
    } cases[] = {
        {"association byte", 0x2010, 5, 1, 0x04, 1, 1},
        {"mapping count", 0x1A02, 0, 1, 1, 1, 1},
        {"mapping count, 4 bytes", 0x1A02, 0, 4, 2, 0, 0x06070010},
        {"revision is read-only", 0x1018, 3, 4, 7, 0, 0x06010002},
        {"version text is read-only", 0x100A, 0, 4, 7, 0, 0x06010002},
        {"unknown object", 0x2010, 6, 1, 1, 0, 0x06020000},
        {"injected failure", 0x1802, 1, 4, 0x3C8, 0, 0x08000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t value = c.value;
        int out = -1;
        EXPECT_EQ(bench::CAN_SDOWrite(72, c.index, c.sub, &value, c.size, &out), c.result);
        EXPECT_EQ(out, c.out);
    }
    EXPECT_EQ(bench::ObjectValue(0x2010, 5), 0x04u);
    EXPECT_EQ(bench::ObjectValue(0x1A02, 0), 1u);
    EXPECT_EQ(bench::ObjectValue(0x1018, 3), 0x00040000u);
    EXPECT_EQ(bench::ObjectValue(0x1802, 1), 0x800003C8u);

    const std::vector<bench::SdoAccess> log = bench::SdoLog();
    ASSERT_EQ(log.size(), std::size(cases));
    EXPECT_TRUE(log[0].write);
    EXPECT_EQ(log[0].data, std::vector<uint8_t>{0x04});
    EXPECT_EQ(log[0].result, 1);
    EXPECT_TRUE(log[2].data.empty());
    EXPECT_EQ(log[2].result, 0);
}

// ---- CAN_SetNodeState ----

TEST_F(BenchOps, NodeStatesOfPresentNodesOnly) {
    Link(bench::DefaultScenario());
    EXPECT_EQ(bench::CAN_SetNodeState(72, 3), 1);
    EXPECT_EQ(bench::CAN_SetNodeState(72, 1), 1);
    EXPECT_EQ(bench::CAN_SetNodeState(9, 1), 0);
    EXPECT_EQ(bench::CAN_SetNodeState(72, 256), 0);
    const std::vector<std::pair<int, int>> expected = {{72, 3}, {72, 1}};
    EXPECT_EQ(bench::NodeStateLog(), expected);
}

}  // namespace

// The bridge connection's outcomes, each through a bench scenario: the status lines in order,
// the message box with its icon, the failure flag at the moment the box shows, and what was
// registered on the bus.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "canlink/ConnectToBridge.h"
#include "canlink/DefaultBridge.h"
#include "tests/support/BenchBinding.h"
#include "tests/support/LookupFiles.h"
#include "tests/support/RecordingPort.h"

using canlink::ConnectToBridge;
using canlink::kBaseKeyPdo;
using canlink::kBatteryPdo;
using canlink::kDefaultBridgeAddress;
using canlink::kDefaultBridgeAddressText;
using canlink::kSignalPdo;
using canlink::kWirelessKeyPdo;
using port::MessageIcon;

namespace {

void NoPdo(int) {}
void NoSecondary(int, int) {}

bench::BridgeSpec MakeBridge(std::array<uint8_t, 4> ip, uint8_t macTail) {
    bench::BridgeSpec bridge;
    bridge.ip = ip;
    bridge.mac = {0x00, 0x50, 0xC2, 0x00, 0x00, macTail};
    return bridge;
}

const std::array<uint8_t, 4> kOther = {10, 1, 2, 3};

struct Outcome {
    std::vector<std::string> lines;
    std::vector<RecordedBox> boxes;
    int linkFailed;
    std::vector<CAN_PDO> registered;
    int connects;
};

// With no host application installed, the address lookup writes these lines first.
const std::vector<std::string> kNoInstallation = {"Vistrel registry key not found. Check Vistrel X.",
                                                  "Vistrel X key not found"};

Outcome RunConnect(const bench::Scenario& scenario) {
    ScopedRegistry noInstallation(nullptr);
    VirtualBench bench(scenario);
    RecordingPort port;
    port.link.m_pdoRegistration[kBaseKeyPdo].cobId = 0x1C8;
    port.link.m_pdoRegistration[kWirelessKeyPdo].cobId = 0x1C9;
    port.link.m_pdoRegistration[kSignalPdo].cobId = 0x3C8;
    port.link.m_pdoRegistration[kBatteryPdo].cobId = 0x2C9;
    ConnectToBridge(port, port.link, NoPdo, NoSecondary);
    return {port.Lines(), port.Boxes(), port.link.m_linkFailed, bench::Registered(), bench::ConnectCount()};
}

struct Row {
    const char* name;
    void (*shape)(bench::Scenario&);
    std::vector<std::string> lines;
    const char* box;  // nullptr: none
    MessageIcon icon;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

class ConnectOutcome : public testing::TestWithParam<Row> {};

TEST_P(ConnectOutcome, LinesBoxAndFlag) {
    const Row& row = GetParam();
    bench::Scenario scenario = bench::DefaultScenario();
    row.shape(scenario);
    const Outcome outcome = RunConnect(scenario);

    std::vector<std::string> lines = kNoInstallation;
    lines.insert(lines.end(), row.lines.begin(), row.lines.end());
    EXPECT_EQ(outcome.lines, lines);
    if (row.box) {
        ASSERT_EQ(outcome.boxes.size(), 1u);
        EXPECT_EQ(outcome.boxes[0].text, row.box);
        EXPECT_EQ(outcome.boxes[0].icon, row.icon);
        EXPECT_EQ(outcome.boxes[0].linkFailedWhenShown, 1) << "the flag is set before the box shows";
        EXPECT_EQ(outcome.linkFailed, 1);
        EXPECT_TRUE(outcome.registered.empty());
    } else {
        EXPECT_TRUE(outcome.boxes.empty());
        EXPECT_EQ(outcome.linkFailed, 0);
        ASSERT_EQ(outcome.registered.size(), 4u);
        const uint32_t order[] = {0x1C8, 0x1C9, 0x3C8, 0x2C9};
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(outcome.registered[i].cobId, order[i]);
            EXPECT_EQ(outcome.registered[i].length, 0u);
        }
    }
}

const std::string kIpMessage = std::string("Bridge with IPaddress: ") + kDefaultBridgeAddressText +
                               " not found. Check connections and power.";

INSTANTIATE_TEST_SUITE_P(
    Table, ConnectOutcome,
    testing::Values(Row{"ScanError",
                        [](bench::Scenario& s) { s.faults.scanError = true; },
                        {},
                        "Error scanning for bridges",
                        MessageIcon::None},
                    Row{"NoBridge",
                        [](bench::Scenario& s) { s.bridges.clear(); },
                        {},
                        "No bridges found on the local network",
                        MessageIcon::None},
                    Row{"SeveralWithoutDefault",
                        [](bench::Scenario& s) {
                            s.bridges = {MakeBridge(kOther, 1), MakeBridge({10, 1, 2, 4}, 2)};
                        },
                        {},
                        kIpMessage.c_str(),
                        MessageIcon::None},
                    Row{"ConnectRefusedSingle",
                        [](bench::Scenario& s) { s.faults.connectRefused = true; },
                        {"1 bridge found"},
                        "Error connecting. Maximum connections exceeded.",
                        MessageIcon::None},
                    Row{"ConnectRefusedDefault",
                        [](bench::Scenario& s) {
                            s.bridges = {MakeBridge(kOther, 1), MakeBridge(kDefaultBridgeAddress, 2)};
                            s.faults.connectRefused = true;
                        },
                        {std::string("Using ") + kDefaultBridgeAddressText},
                        "Error connecting. Maximum connections exceeded.",
                        MessageIcon::None},
                    Row{"NoNodes",
                        [](bench::Scenario& s) {
                            s.baseRemotePresent = false;
                            s.nodes.clear();
                        },
                        {"1 bridge found", "Connected to CAN"},
                        "Scan completed OK. No nodes found.",
                        MessageIcon::None},
                    Row{"NoBaseRemote",
                        [](bench::Scenario& s) {
                            s.baseRemotePresent = false;
                            s.nodes = {5, 73};
                        },
                        {"1 bridge found", "Connected to CAN"},
                        "Scan completed OK. No base remote found.",
                        MessageIcon::None},
                    Row{"BufferRefused",
                        [](bench::Scenario& s) { s.faults.bufferSizeRefused = true; },
                        {"1 bridge found", "Connected to CAN"},
                        "CAN_SetPDOBufferSize error",
                        MessageIcon::Error},
                    Row{"CallbacksRefused",
                        [](bench::Scenario& s) { s.faults.registerEventsRefused = true; },
                        {"1 bridge found", "Connected to CAN"},
                        "Error registering callbacks",
                        MessageIcon::Error},
                    Row{"SingleBridgeAnyAddress",
                        [](bench::Scenario& s) { s.bridges = {MakeBridge(kOther, 1)}; },
                        {"1 bridge found", "Connected to CAN"},
                        nullptr,
                        MessageIcon::None},
                    Row{"SeveralTakesDefault",
                        [](bench::Scenario& s) {
                            s.bridges = {MakeBridge(kOther, 1), MakeBridge(kDefaultBridgeAddress, 2)};
                        },
                        {std::string("Using ") + kDefaultBridgeAddressText, "Connected to CAN"},
                        nullptr,
                        MessageIcon::None},
                    Row{"NodeEnumerationFailsStillLinks",
                        [](bench::Scenario& s) {
                            s.faults.enumerateNodesFails = true;
                            s.baseRemotePresent = false;
                        },
                        {"1 bridge found", "Connected to CAN"},
                        nullptr,
                        MessageIcon::None}),
    [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

TEST(ConnectToBridge, NodeZeroAloneCountsAsNoNodes) {
    bench::Scenario scenario = bench::DefaultScenario();
    scenario.baseRemotePresent = false;
    scenario.nodes = {0};
    const Outcome outcome = RunConnect(scenario);
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].text, "Scan completed OK. No nodes found.");
}

TEST(ConnectToBridge, ConnectsToTheChosenBridgeOnly) {
    bench::Scenario scenario = bench::DefaultScenario();
    scenario.bridges = {MakeBridge(kOther, 1), MakeBridge(kDefaultBridgeAddress, 2)};
    scenario.bridges[0].connectionLimit = 0;  // connecting to the wrong one would fail
    const Outcome outcome = RunConnect(scenario);
    EXPECT_EQ(outcome.linkFailed, 0);
    EXPECT_EQ(outcome.connects, 1);
}

}  // namespace

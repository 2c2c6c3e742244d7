#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench/Bench.h"
#include "canlink/BridgeLibrary.h"
#include "dialog/MainDialog.h"
#include "res/Resource.h"
#include "tests/support/BenchBinding.h"
#include "tests/support/RecordingPort.h"

using canlink::BridgeLibrary;
using canlink::kBaseKeyPdo;
using canlink::kBatteryPdo;
using canlink::kSignalPdo;
using canlink::kWirelessKeyPdo;
using canlink::LinkSession;
using dialog::BatteryTextBackground;
using dialog::StartLink;

namespace {

using testing::Contains;
using testing::ElementsAre;
using testing::Not;

// The events among `wanted`, in the order they happened.
std::vector<std::string> Among(const std::vector<std::string>& events,
                               const std::vector<std::string>& wanted) {
    std::vector<std::string> found;
    std::copy_if(events.begin(), events.end(), std::back_inserter(found), [&](const std::string& event) {
        return std::find(wanted.begin(), wanted.end(), event) != wanted.end();
    });
    return found;
}

TEST(StartLink, LinkUpReadsFirmwareAfterTheFieldIsReset) {
    RecordingPort port;
    VirtualBench bench;
    port.link.m_linkFailed = 1;  // a previous run's verdict is not kept
    port.link.g_mainDialog = nullptr;
    dialog::StartLink(port.link, port);

    EXPECT_EQ(port.link.g_mainDialog.load(), &port);
    EXPECT_EQ(port.link.m_linkFailed, 0);
    EXPECT_EQ(port.link.m_pdoRegistration[kBaseKeyPdo].cobId, 0x1C8u);
    EXPECT_EQ(port.link.m_pdoRegistration[kWirelessKeyPdo].cobId, 0x1C9u);
    EXPECT_EQ(port.link.m_pdoRegistration[kSignalPdo].cobId, 0x3C8u);
    EXPECT_EQ(port.link.m_pdoRegistration[kBatteryPdo].cobId, 0x2C9u);
    // The field is reset and Associate disabled before the firmware check may enable it.
    const std::vector<std::string> order = {"text:1020: ?? ", "enable:1016:0", "enable:1016:1"};
    EXPECT_THAT(Among(port.Events(), order), ElementsAre(order[0], order[1], order[2]));
    EXPECT_EQ(port.Text(res::IDC_FIRMWARE), "V4.0, compatible");
    EXPECT_THAT(port.Lines(), Not(Contains("Bridge connect failed")));
}

TEST(StartLink, FailedLinkLogsItAndSkipsTheFirmware) {
    bench::Scenario scenario = bench::DefaultScenario();
    scenario.bridges.clear();
    RecordingPort port;
    VirtualBench bench(scenario);
    dialog::StartLink(port.link, port);

    EXPECT_EQ(port.link.m_linkFailed, 1);
    const std::vector<std::string> events = port.Events();
    const std::vector<std::string> order = {"box:No bridges found on the local network",
                                            "line:Bridge connect failed"};
    EXPECT_THAT(Among(events, order), ElementsAre(order[0], order[1]));
    EXPECT_EQ(events.back(), "enable:1016:0");
    EXPECT_EQ(port.Text(res::IDC_BATTERY), " ?? ");
    EXPECT_EQ(port.Text(res::IDC_FIRMWARE), "");
}

TEST(LinkSession, DisconnectsOnceHoweverOftenClosed) {
    RecordingPort port;
    VirtualBench bench;
    dialog::StartLink(port.link, port);
    const int before = bench::DisconnectCalls();
    EXPECT_FALSE(port.link.IsDisconnected());
    port.link.Disconnect();
    port.link.Disconnect();
    EXPECT_TRUE(port.link.IsDisconnected());
    EXPECT_EQ(bench::DisconnectCalls() - before, 1);
}

TEST(LinkSession, AnEndingSessionLeavesAnotherRunningSessionAlone) {
    const BridgeLibrary unbound;
    auto other = std::make_unique<LinkSession>(unbound);
    LinkSession running(unbound);
    EXPECT_EQ(LinkSession::Running(), &running);
    other.reset();
    EXPECT_EQ(LinkSession::Running(), &running);
    {
        LinkSession later(unbound);
        EXPECT_EQ(LinkSession::Running(), &later);
    }
    EXPECT_EQ(LinkSession::Running(), nullptr) << "the callback reaches no session that is gone";
}

TEST(BatteryTextBackground, AmberUnknownRedLowGreenOk) {
    const struct {
        int state;
        dialog::Rgb colour;
    } cases[] = {
        {-7, {241, 217, 78}}, {-1, {241, 217, 78}}, {0, {0, 255, 0}}, {1, {255, 0, 0}}, {2, {255, 0, 0}},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(dialog::BatteryTextBackground(each.state), each.colour) << "state " << each.state;
    }
}

}  // namespace

// Decoding of received records. Most cases run on the test thread through a scripted CAN_GetPDO,
// so that every fetch's outcome is chosen, including a failure between two good ones; the last
// takes the whole road from the bench's own thread.
#include <algorithm>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "canlink/BridgeLibrary.h"
#include "remote/PdoEvent.h"
#include "res/Resource.h"
#include "tests/remote/BenchSession.h"
#include "tests/support/RecordingPort.h"

using canlink::Bridge;
using canlink::BridgeLibrary;
using canlink::kPdoChannels;
using remote::FetchLeftRecords;
using remote::OnPdoEvent;

namespace {

constexpr uint32_t kBaseKey = 0x1C8;
constexpr uint32_t kWirelessKey = 0x1C9;
constexpr uint32_t kSignal = 0x3C8;
constexpr uint32_t kBattery = 0x2C9;

// nullopt scripts a failed fetch.
std::deque<std::optional<CAN_PDO>> g_script;
int g_fetches = 0;

int ScriptedGetPdo(CAN_PDO* pdo) {
    ++g_fetches;
    if (g_script.empty()) {
        return 0;
    }
    std::optional<CAN_PDO> next = g_script.front();
    g_script.pop_front();
    if (!next) {
        return 0;
    }
    *pdo = *next;
    return 1;
}

// Notes the wireless activity flag as each line arrives, to tell "after the line" from "before".
class FlagAtLinePort : public RecordingPort {
public:
    void AddStatusLine(std::string_view text) override {
        flagAtLine.push_back(link.g_wirelessActivity.load());
        RecordingPort::AddStatusLine(text);
    }
    std::vector<int> flagAtLine;
};

class PdoEventTest : public ::testing::Test {
protected:
    PdoEventTest() : m_saved(Bridge()) {
        Bridge().CAN_GetPDO = ScriptedGetPdo;
        g_script.clear();
        g_fetches = 0;
        const uint32_t cobIds[kPdoChannels] = {kBaseKey, kWirelessKey, kSignal, kBattery};
        for (int channel = 0; channel < kPdoChannels; ++channel) {
            port.link.m_pdoRegistration[channel].cobId = cobIds[channel];
        }
    }
    ~PdoEventTest() override { Bridge() = m_saved; }

    // Delivers one record in one call, as the library does for a single waiting PDO.
    void Deliver(uint32_t cobId, uint8_t value) {
        g_script.push_back(MakePdo(cobId, value));
        OnPdoEvent(1);
    }

    FlagAtLinePort port;

private:
    BridgeLibrary m_saved;
};

TEST_F(PdoEventTest, NoFetchWithoutAPositiveCountOrADialog) {
    g_script.push_back(MakePdo(kBaseKey, 2));
    OnPdoEvent(0);
    OnPdoEvent(-1);
    EXPECT_EQ(g_fetches, 0);

    port.link.g_mainDialog = nullptr;
    OnPdoEvent(1);
    EXPECT_EQ(g_fetches, 0);
    EXPECT_TRUE(port.Events().empty());
}

TEST_F(PdoEventTest, FailedFetchUsesUpItsPass) {
    g_script = {MakePdo(kBaseKey, 2), std::nullopt, MakePdo(kBaseKey, 0), MakePdo(kBaseKey, 7)};
    OnPdoEvent(3);
    EXPECT_EQ(g_fetches, 3);
    EXPECT_EQ(port.Lines(), (std::vector<std::string>{"Key (Measure) down", "Key up"}));
    EXPECT_EQ(g_script.size(), 1u);  // the fourth record waits for the next call
}

// A dialog that cannot keep up stops the fetching at once and takes up again when it has room:
// the records wait with the library, nothing is taken and lost.
class FullAfterLinesPort : public FlagAtLinePort {
public:
    bool HasRoomForUpdates() const override { return Lines().size() < roomFor; }
    size_t roomFor = 2;
};

TEST_F(PdoEventTest, FullDialogLeavesRecordsWithTheLibrary) {
    FullAfterLinesPort full;  // its session is the running one now
    full.link.m_pdoRegistration = port.link.m_pdoRegistration;
    g_script = {MakePdo(kBaseKey, 2), MakePdo(kBaseKey, 0), MakePdo(kBaseKey, 7), MakePdo(kBaseKey, 0)};
    OnPdoEvent(4);
    EXPECT_EQ(g_fetches, 2);
    EXPECT_EQ(g_script.size(), 2u);
    FetchLeftRecords(full.link);
    EXPECT_EQ(g_fetches, 2) << "still full: not one fetch";
    // The library calls back only for something new: the dialog takes the rest itself.
    full.roomFor = 4;
    FetchLeftRecords(full.link);
    EXPECT_EQ(full.Lines(),
              (std::vector<std::string>{"Key (Measure) down", "Key up", "Key (Zoom +) down", "Key up"}));
    FetchLeftRecords(full.link);
    EXPECT_EQ(g_fetches, 4) << "nothing left, nothing fetched";
}

struct KeyCase {
    int code;
    const char* line;
    int picture;  // -1: the picture is left alone
};

TEST_F(PdoEventTest, KeyCodesShowTheirLineAndPicture) {
    const KeyCase cases[] = {
        {0, "Key up", res::IDB_REMOTE_IDLE},
        {1, "Key (A/V) down", res::IDB_REMOTE_ALIGN_VIEW},
        {2, "Key (Measure) down", res::IDB_REMOTE_MEASURE},
        {3, "Key (Cancel) down", -1},
        {4, "Key (Focus -) down", res::IDB_REMOTE_FOCUS_MINUS},
        {5, "Key (Focus +) down", res::IDB_REMOTE_FOCUS_PLUS},
        {6, "Key (Zoom -) down", res::IDB_REMOTE_ZOOM_MINUS},
        {7, "Key (Zoom +) down", res::IDB_REMOTE_ZOOM_PLUS},
        {8, "Key (Spot) down", res::IDB_REMOTE_SPOT},
        {9, "Key (Ring) down", res::IDB_REMOTE_RING},
        {10, "Key (Back) down", -1},
        {11, "Key (Next/Finish) down", -1},
        {12, "Key (Ok) down", -1},
        {13, "Unknown button event", -1},
        {254, "Unknown button event", -1},
        {255, "Key repeating", -1},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.code);
        const size_t before = port.Events().size();
        Deliver(kBaseKey, static_cast<uint8_t>(c.code));
        std::vector<std::string> expected;
        if (c.picture >= 0) {
            expected.push_back("picture:1017:" + std::to_string(c.picture));
        }
        expected.push_back(std::string("line:") + c.line);
        const std::vector<std::string> events = port.Events();
        EXPECT_EQ(std::vector<std::string>(events.begin() + static_cast<long>(before), events.end()),
                  expected);
    }
}

TEST_F(PdoEventTest, OnlyTheWirelessKeyRaisesActivityAfterItsLine) {
    Deliver(kBaseKey, 7);
    EXPECT_EQ(port.link.g_wirelessActivity.load(), 0);
    const std::vector<std::string> baseEvents = port.Events();

    Deliver(kWirelessKey, 7);
    EXPECT_EQ(port.link.g_wirelessActivity.load(), 1);
    const std::vector<std::string> events = port.Events();
    EXPECT_EQ(std::vector<std::string>(events.begin() + static_cast<long>(baseEvents.size()), events.end()),
              baseEvents);
    EXPECT_EQ(port.flagAtLine, (std::vector<int>{0, 0}));
}

struct StatusCase {
    const char* name;
    int stateBefore;
    uint32_t cobId;
    uint8_t value;
    std::vector<std::string> events;
    int stateAfter;
};

TEST_F(PdoEventTest, BatteryAndSignalSetStateBeforeText) {
    const StatusCase cases[] = {
        {"low bit", -1, kBattery, 0x02, {"text:1020: LOW "}, 1},
        {"low bit among others", 0, kBattery, 0x03, {"text:1020: LOW "}, 1},
        {"nothing set", 1, kBattery, 0x00, {"text:1020: OK "}, 0},
        {"other bit", -1, kBattery, 0x01, {"text:1020: OK "}, 0},
        {"all but the low bit", 1, kBattery, 0xFD, {"text:1020: OK "}, 0},
        {"signal while unknown", -1, kSignal, 180, {"bar:1006:180", "text:1020: OK "}, 0},
        {"signal while low", 1, kSignal, 0xFF, {"bar:1006:255"}, 1},
        {"empty signal while ok", 0, kSignal, 0x00, {"bar:1006:0"}, 0},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.name);
        FlagAtLinePort fresh;  // a session of its own, the running one
        fresh.link.m_pdoRegistration = port.link.m_pdoRegistration;
        fresh.link.g_batteryState = c.stateBefore;
        g_script.push_back(MakePdo(c.cobId, c.value));
        OnPdoEvent(1);
        EXPECT_EQ(fresh.Events(), c.events);
        EXPECT_EQ(fresh.link.g_batteryState.load(), c.stateAfter);
        for (int stateAtText : fresh.BatteryStateAtText()) {
            EXPECT_EQ(stateAtText, c.stateAfter);
        }
        EXPECT_EQ(fresh.link.g_wirelessActivity.load(), 1);
        EXPECT_TRUE(fresh.Lines().empty());
    }
}

TEST_F(PdoEventTest, RecordsOutsideTheRegistrationChangeNothing) {
    Deliver(0x1CA, 2);
    Deliver(0x000, 2);
    port.link.m_pdoRegistration = {};  // matching follows the table, not fixed identifiers
    Deliver(kWirelessKey, 2);
    Deliver(kBattery, 2);
    EXPECT_EQ(g_fetches, 4);
    EXPECT_TRUE(port.Events().empty());
    EXPECT_EQ(port.link.g_wirelessActivity.load(), 0);
    EXPECT_EQ(port.link.g_batteryState.load(), -1);
}

// The road of one event: a wireless Zoom + press and its release reach the dialog from the
// bench's own thread.
TEST(PdoEventFromTheBench, WirelessKeyPressAndRelease) {
    bench::Scenario scenario = bench::DefaultScenario();
    scenario.wirelessPaired = true;
    scenario.timeline = {
        {100, bench::EventKind::KeyDown, true, 7},
        {300, bench::EventKind::KeyUp, true, 0},
    };
    BenchSession session(scenario);
    bench::Advance(200);
    EXPECT_EQ(session.port.Picture(res::IDC_REMOTE_PICTURE), res::IDB_REMOTE_ZOOM_PLUS);
    EXPECT_EQ(session.port.link.g_wirelessActivity.load(), 1);
    bench::Advance(200);
    const std::vector<std::string> keyEvents = {"picture:1017:146", "line:Key (Zoom +) down",
                                                "picture:1017:130", "line:Key up"};
    std::vector<std::string> events = session.port.Events();
    events.erase(std::remove_if(events.begin(), events.end(),
                                [](const std::string& e) {
                                    return e.rfind("picture:", 0) != 0 && e.rfind("line:", 0) != 0;
                                }),
                 events.end());
    EXPECT_EQ(events, keyEvents);
}

}  // namespace

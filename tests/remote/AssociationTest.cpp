// The start-up of the signal-strength PDO and the association window, against the bench in
// virtual time: every pause moves bench time, so a 20-second window takes milliseconds.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "remote/Association.h"
#include "tests/remote/BenchSession.h"

using remote::EnableSignalStrengthPdo;
using remote::OnAssociate;

namespace {

struct Tpdo3Case {
    const char* name;
    uint32_t cobId;
    uint8_t mapped;
    std::vector<uint32_t> readFails;
    std::vector<std::string> writes;
};

TEST(EnableSignalStrengthPdo, RestartsTheNodeOnlyWhenSomethingChanged) {
    using NodeStates = std::vector<std::pair<int, int>>;
    const NodeStates restart = {{72, 3}, {72, 1}};
    const uint32_t cobIdRead = 0x1802u << 8 | 1;
    const uint32_t mappingRead = 0x1A02u << 8 | 0;
    const Tpdo3Case cases[] = {
        {"valid and mapped", 0x000003C8, 1, {}, {}},
        {"valid and mapped twice", 0x000003C8, 2, {}, {}},
        {"not valid", 0x800003C8, 1, {}, {"1802/1:C8030000"}},
        {"other bits kept", 0xC00003C8, 1, {}, {"1802/1:C8030040"}},
        {"not mapped", 0x000003C8, 0, {}, {"1A02/0:01"}},
        {"neither", 0x800003C8, 0, {}, {"1802/1:C8030000", "1A02/0:01"}},
        {"COB-ID unreadable", 0x800003C8, 0, {cobIdRead}, {"1A02/0:01"}},
        {"mapping unreadable", 0x000003C8, 0, {mappingRead}, {}},
        {"nothing readable", 0x800003C8, 0, {cobIdRead, mappingRead}, {}},
    };
    for (const Tpdo3Case& c : cases) {
        SCOPED_TRACE(c.name);
        bench::Scenario scenario = bench::DefaultScenario();
        scenario.tpdo3CobId = c.cobId;
        scenario.tpdo3Mapped = c.mapped;
        scenario.faults.sdoReadFails = c.readFails;
        BenchSession session(scenario);
        EnableSignalStrengthPdo(session.port.link);
        EXPECT_EQ(SdoWrites(), c.writes);
        const bool changed = !c.writes.empty();
        EXPECT_EQ(bench::NodeStateLog(), changed ? restart : NodeStates());
        EXPECT_EQ(session.bench.SleptMs(), changed ? 2000u : 0u);
        EXPECT_TRUE(session.port.Events().empty());
        EXPECT_EQ(session.port.link.m_linkFailed, 0);
    }
}

// Records like RecordingWaitDialog and runs `onStep` with the loop's pass number after each
// message step, as if that step had handled what arrived meanwhile.
class SteppedWaitDialog : public RecordingWaitDialog {
public:
    SteppedWaitDialog(RecordingPort* port, int closeAfterSteps, std::function<void(int)> onStep)
        : RecordingWaitDialog(port, closeAfterSteps), m_onStep(std::move(onStep)) {}
    bool ProcessMessages() override {
        const bool result = RecordingWaitDialog::ProcessMessages();
        if (m_onStep) {
            m_onStep(m_pass);
        }
        ++m_pass;
        return result;
    }

private:
    std::function<void(int)> m_onStep;
    int m_pass = 0;
};

bench::Scenario NoWirelessRemote(uint8_t control = 0) {
    bench::Scenario scenario = bench::DefaultScenario();
    scenario.insertBatteriesWhenWindowOpens = false;
    scenario.associationControl = control;
    return scenario;
}

// Has the session's dialog create wait dialogs that cancel after `closeAfterSteps` message steps
// (never when negative) and run `onStep` on each.
void UseWaitDialog(BenchSession& session, int closeAfterSteps, std::function<void(int)> onStep = {}) {
    session.port.waitDialogFactory = [&session, closeAfterSteps, onStep] {
        return std::make_unique<SteppedWaitDialog>(&session.port, closeAfterSteps, onStep);
    };
}

// The bar positions the wait dialog showed, in order.
std::vector<int> Progress(const RecordingPort& port) {
    std::vector<int> positions;
    for (const std::string& event : port.WaitEvents()) {
        if (event.rfind("progress:", 0) == 0) {
            positions.push_back(std::stoi(event.substr(9)));
        }
    }
    return positions;
}

// Injects `pdo` on message step `pass` and lets the bench hand it to OnPdoEvent.
std::function<void(int)> InjectOn(int pass, CAN_PDO pdo) {
    return [pass, pdo](int current) {
        if (current == pass) {
            bench::InjectPdo(pdo);
            ASSERT_TRUE(bench::WaitIdle());
        }
    };
}

std::vector<int> Range(int first, int end, int stride = 1) {
    std::vector<int> values;
    for (int value = first; value < end; value += stride) {
        values.push_back(value);
    }
    return values;
}

const std::string kOpenText = "text:Association enabled. Place batteries in remote";
const std::string kDoneText = "text:Association completed. Reading battery status.";

TEST(OnAssociate, WithoutAWirelessRemoteTheWindowLastsTwentySeconds) {
    BenchSession session(NoWirelessRemote());
    OnAssociate(session.port.link, session.port);
    std::vector<std::string> expected = {"open", kOpenText};
    for (int step = 0; step < 100; ++step) {
        expected.push_back("progress:" + std::to_string(step));
    }
    expected.push_back("destroy");
    EXPECT_EQ(session.port.WaitEvents(), expected);
    EXPECT_EQ(SdoWrites(), (std::vector<std::string>{"2010/5:04", "2010/5:00"}));
    EXPECT_EQ(session.bench.SleptMs(), 20000u);
    EXPECT_FALSE(bench::AssociationWindowOpen());
    EXPECT_TRUE(session.port.Events().empty());
    EXPECT_TRUE(bench::Transmitted().empty());
    EXPECT_TRUE(bench::NodeStateLog().empty());
    EXPECT_EQ(session.port.link.m_linkFailed, 0);
}

TEST(OnAssociate, ActivityAtTheFirstStepEndsTheWindowTenStepsLater) {
    BenchSession session(NoWirelessRemote());
    UseWaitDialog(session, -1, InjectOn(0, MakePdo(0x2C9, 0x00)));
    OnAssociate(session.port.link, session.port);
    EXPECT_EQ(Progress(session.port), Range(0, 100, 11));
    const std::vector<std::string> events = session.port.WaitEvents();
    EXPECT_EQ(std::count(events.begin(), events.end(), kDoneText), 10);
    EXPECT_EQ(session.bench.SleptMs(), 2000u);
    EXPECT_EQ(SdoWrites(), (std::vector<std::string>{"2010/5:04", "2010/5:00"}));
}

TEST(OnAssociate, SignalStrengthCountsAsActivityAndAWiredKeyDoesNot) {
    const std::vector<int> seenAtFive = {0, 1, 2, 3, 4, 5, 16, 27, 38, 49, 60, 71, 82, 93};
    const std::pair<CAN_PDO, std::vector<int>> cases[] = {
        {MakePdo(0x3C8, 120), seenAtFive},
        {MakePdo(0x1C9, 2), seenAtFive},
        {MakePdo(0x1C8, 2), Range(0, 100)},
    };
    for (const auto& [pdo, progress] : cases) {
        SCOPED_TRACE(pdo.cobId);
        BenchSession session(NoWirelessRemote());
        UseWaitDialog(session, -1, InjectOn(5, pdo));
        OnAssociate(session.port.link, session.port);
        EXPECT_EQ(Progress(session.port), progress);
        EXPECT_EQ(SdoWrites().back(), "2010/5:00");
    }
}

TEST(OnAssociate, CancelEndsTheLoopAndStillClosesTheWindow) {
    for (int cancelAt : {0, 1, 37, 99}) {
        SCOPED_TRACE(cancelAt);
        BenchSession session(NoWirelessRemote());
        UseWaitDialog(session, cancelAt);
        OnAssociate(session.port.link, session.port);
        std::vector<std::string> expected = {"open", kOpenText};
        for (int step = 0; step < cancelAt; ++step) {
            expected.push_back("progress:" + std::to_string(step));
        }
        expected.insert(expected.end(), {"cancel", "destroy"});
        EXPECT_EQ(session.port.WaitEvents(), expected);
        EXPECT_EQ(session.bench.SleptMs(), 200u * static_cast<unsigned>(cancelAt));
        EXPECT_EQ(SdoWrites(), (std::vector<std::string>{"2010/5:04", "2010/5:00"}));
        EXPECT_FALSE(bench::AssociationWindowOpen());
    }
}

// A request to close the main window ends the association at the next step as Cancel does: the
// closing value is written while the link is still up. Before and after, a close may go ahead.
TEST(OnAssociate, CloseRequestEndsItAsCancelDoes) {
    BenchSession session(NoWirelessRemote());
    EXPECT_TRUE(session.port.link.m_closeGate.RequestClose());
    bool closeWaited = false;
    UseWaitDialog(session, -1, [&](int pass) {
        if (pass == 5) {
            closeWaited = !session.port.link.m_closeGate.RequestClose();
        }
    });
    OnAssociate(session.port.link, session.port);
    EXPECT_TRUE(closeWaited);
    EXPECT_EQ(Progress(session.port), Range(0, 6));
    EXPECT_EQ(session.port.WaitEvents().back(), "destroy");
    EXPECT_EQ(SdoWrites(), (std::vector<std::string>{"2010/5:04", "2010/5:00"}));
    EXPECT_FALSE(bench::AssociationWindowOpen());
    EXPECT_TRUE(session.port.link.m_closeGate.Requested());
    EXPECT_TRUE(session.port.link.m_closeGate.RequestClose());
}

TEST(OnAssociate, CancelAfterActivityStillClosesTheWindow) {
    BenchSession session(NoWirelessRemote());
    UseWaitDialog(session, 3, InjectOn(1, MakePdo(0x3C8, 80)));
    OnAssociate(session.port.link, session.port);
    EXPECT_EQ(Progress(session.port), (std::vector<int>{0, 1, 12}));
    EXPECT_EQ(SdoWrites(), (std::vector<std::string>{"2010/5:04", "2010/5:00"}));
}

TEST(OnAssociate, OtherBitsOfTheControlByteAreWrittenBackAsRead) {
    const std::pair<uint8_t, std::vector<std::string>> cases[] = {
        {0x04, {"2010/5:04", "2010/5:00"}},
        {0x0D, {"2010/5:0D", "2010/5:09"}},
        {0xFF, {"2010/5:FF", "2010/5:FB"}},
        {0xA2, {"2010/5:A6", "2010/5:A2"}},
    };
    for (const auto& [control, writes] : cases) {
        SCOPED_TRACE(control);
        BenchSession session(NoWirelessRemote(control));
        UseWaitDialog(session, 0);
        OnAssociate(session.port.link, session.port);
        EXPECT_EQ(SdoWrites(), writes);
    }
}

TEST(OnAssociate, FailedControlReadWritesNothingAndMarksTheLinkFailed) {
    bench::Scenario scenario = NoWirelessRemote();
    scenario.faults.sdoReadFails = {0x2010u << 8 | 5};
    BenchSession session(scenario);
    OnAssociate(session.port.link, session.port);
    EXPECT_EQ(session.port.WaitEvents(), (std::vector<std::string>{"open", kOpenText, "destroy"}));
    EXPECT_TRUE(SdoWrites().empty());
    EXPECT_EQ(session.port.link.m_linkFailed, 1);
    EXPECT_EQ(session.bench.SleptMs(), 0u);
    EXPECT_TRUE(session.port.Events().empty());
}

TEST(OnAssociate, APairingRemoteOnTheDefaultBenchEndsTheWindowEarly) {
    bench::Scenario scenario = bench::DefaultScenario();
    scenario.insertBatteriesWhenWindowOpens = true;
    scenario.pairDelayMs = 1000;
    BenchSession session(scenario);
    OnAssociate(session.port.link, session.port);
    EXPECT_TRUE(bench::WirelessPaired());
    EXPECT_FALSE(bench::AssociationWindowOpen());
    EXPECT_EQ(session.port.Text(1020), " OK ");
    const std::vector<std::string> events = session.port.WaitEvents();
    const auto done = std::find(events.begin(), events.end(), kDoneText);
    ASSERT_NE(done, events.end());
    // From the step that first heard the remote, the bar moves in elevens for at most ten steps.
    const int seenAt = std::stoi((done - 1)->substr(9));
    const std::vector<int> progress = Progress(session.port);
    const auto first = std::find(progress.begin(), progress.end(), seenAt);
    EXPECT_EQ(std::vector<int>(first, progress.end()), Range(seenAt, 100, 11));
    EXPECT_LE(progress.end() - first, 10);
}

}  // namespace

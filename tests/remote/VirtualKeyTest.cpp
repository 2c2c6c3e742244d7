#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "canlink/BridgeLibrary.h"
#include "remote/VirtualKey.h"
#include "res/Resource.h"
#include "tests/remote/BenchSession.h"

using canlink::Bridge;
using port::MessageIcon;
using remote::SendVirtualKey;

namespace {

// Data byte 0 of every record sent, after checking each is a one-byte base-remote key record.
std::vector<int> SentCodes() {
    std::vector<int> codes;
    for (const CAN_PDO& pdo : bench::Transmitted()) {
        EXPECT_EQ(pdo.cobId, 0x1C8u);
        EXPECT_EQ(pdo.reserved, 0u);
        EXPECT_EQ(pdo.length, 1u);
        for (int byte = 1; byte < 8; ++byte) {
            EXPECT_EQ(pdo.data[byte], 0);
        }
        codes.push_back(pdo.data[0]);
    }
    return codes;
}

TEST(SendVirtualKey, ClickSendsTheKeyThenKeyUp) {
    struct Case {
        int controlId;
        int code;
        const char* line;
    };
    const Case cases[] = {
        {res::IDC_KEY_ALIGN_VIEW, 1, "Send A/V"},      {res::IDC_KEY_MEASURE, 2, "Send Measure"},
        {res::IDC_KEY_FOCUS_MINUS, 4, "Send Focus -"}, {res::IDC_KEY_FOCUS_PLUS, 5, "Send Focus +"},
        {res::IDC_KEY_ZOOM_MINUS, 6, "Send Zoom -"},   {res::IDC_KEY_ZOOM_PLUS, 7, "Send Zoom +"},
        {res::IDC_KEY_SPOT, 8, "Send Spot"},           {res::IDC_KEY_RING, 9, "Send Ring"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        BenchSession session;
        SendVirtualKey(session.port.link, session.port, c.controlId, false);
        SendVirtualKey(session.port.link, session.port, c.controlId, true);
        EXPECT_EQ(SentCodes(), (std::vector<int>{c.code, 0}));
        EXPECT_EQ(session.port.Events(),
                  (std::vector<std::string>{std::string("line:") + c.line, "line:Send key up"}));
    }
}

TEST(SendVirtualKey, SilentWhileTheLinkHasFailed) {
    BenchSession session;
    session.port.link.m_linkFailed = 1;
    SendVirtualKey(session.port.link, session.port, res::IDC_KEY_MEASURE, false);
    SendVirtualKey(session.port.link, session.port, res::IDC_KEY_MEASURE, true);
    EXPECT_TRUE(bench::Transmitted().empty());
    EXPECT_TRUE(session.port.Events().empty());
}

TEST(SendVirtualKey, APressWithoutAKeySendsNothing) {
    BenchSession session;
    SendVirtualKey(session.port.link, session.port, res::IDC_ASSOCIATE, false);
    EXPECT_TRUE(bench::Transmitted().empty());
    EXPECT_TRUE(session.port.Events().empty());
}

int g_refusals = 0;

int RefuseFirstTransmissions(CAN_PDO pdo) {
    if (g_refusals > 0) {
        --g_refusals;
        return 0;
    }
    return bench::CAN_TransmitPDO(pdo);
}

TEST(SendVirtualKey, RefusedPressShowsTheBoxAndTheReleaseStillGoesOut) {
    BenchSession session;
    Bridge().CAN_TransmitPDO = RefuseFirstTransmissions;
    g_refusals = 1;
    SendVirtualKey(session.port.link, session.port, res::IDC_KEY_SPOT, false);
    SendVirtualKey(session.port.link, session.port, res::IDC_KEY_SPOT, true);
    EXPECT_EQ(session.port.Events(),
              (std::vector<std::string>{"box:Virtual remote send error", "line:Send key up"}));
    ASSERT_EQ(session.port.Boxes().size(), 1u);
    EXPECT_EQ(session.port.Boxes()[0].icon, MessageIcon::None);
    EXPECT_EQ(session.port.link.m_linkFailed, 0);
    EXPECT_EQ(SentCodes(), (std::vector<int>{0}));
}

}  // namespace

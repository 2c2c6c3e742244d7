// The adapter library through its C interface against the independent CANopen peer behind a
// pseudo-terminal slcan adapter: scan, SDO transfers, PDOs both ways, the adapters' dialects,
// and what goes wrong on a real bus.
#include <algorithm>
#include <cstring>
#include <thread>

#include "tests/peer/PeerLink.h"

using canlink::Bridge;

namespace {

using namespace std::chrono_literals;

// "h t1C8102" -> the host's frame "t1C8102" as the adapter received it.
std::vector<std::string> HostLines(const PeerProcess& peer, const std::string& prefix, size_t from = 0) {
    std::vector<std::string> lines;
    for (const std::string& line : peer.LinesWith("h " + prefix, from)) {
        lines.push_back(line.substr(2));
    }
    return lines;
}

TEST_F(PeerLink, ScanFindsBothRemotesAndOnlyThem) {
    StartPeer();
    ASSERT_NE(Connect(), -1);
    uint8_t nodes[CAN_NODE_TABLE_SIZE];
    memset(nodes, 0xAA, sizeof nodes);
    ASSERT_EQ(Bridge().CAN_EnumerateNodes(nodes), 1);
    for (int node = 0; node < CAN_NODE_TABLE_SIZE; ++node) {
        EXPECT_EQ(nodes[node] == CAN_NODE_PRESENT, node == 72 || node == 73) << "node " << node;
    }
    // Every node was asked, by an upload of 0x1000/0.
    for (int node : {1, 72, 73, 127}) {
        char request[32];
        snprintf(request, sizeof request, "t%03X840001000", 0x600 + node);
        EXPECT_FALSE(HostLines(*m_peer, request).empty()) << request;
    }
}

TEST_F(PeerLink, CommandsWhoseMeaningDiffersBetweenAdaptersAreNeverSent) {
    StartPeer();
    ConnectAsTheProgram();
    Read32(0x1018, 3);
    const size_t beforeClose = m_peer->LineCount();
    Bridge().CAN_Disconnect();
    m_connected = false;
    ASSERT_FALSE(m_peer->WaitFor("h C", std::chrono::seconds(3), beforeClose).empty())
        << "the channel is closed on disconnect";
    const std::vector<std::string> sent = HostLines(*m_peer, "");
    ASSERT_FALSE(sent.empty());
    for (const std::string& line : sent) {
        if (line.empty()) {
            continue;  // a bare CR clears what an adapter may hold of an earlier line
        }
        EXPECT_EQ(std::string("MmAP").find(line[0]), std::string::npos) << line;
        EXPECT_NE(line, "S7");
    }
    EXPECT_EQ(sent.back(), "C") << "the channel is closed on disconnect";
}

// Firmware version texts of every length the base remote may hold, into the program's
// 100-byte buffer: expedited (up to 4 bytes) and segmented, the last one filling the buffer.
class VersionText : public PeerLink, public testing::WithParamInterface<int> {};

TEST_P(VersionText, ReadsWholeAndTerminatedWhenShorter) {
    StartPeer();
    ConnectAsTheProgram();
    const int length = GetParam();
    ASSERT_EQ(m_peer->Command("fwtext " + std::to_string(length)), "ok");
    const std::vector<uint8_t> text = Read(72, 0x100A, 0, 100);
    ASSERT_EQ(text.size(), 100u);
    const std::string expected = m_peer->Command("get 72 100a 0");
    std::string hex;
    for (int i = 0; i < length; ++i) {
        char two[3];
        snprintf(two, sizeof two, "%02x", text[static_cast<size_t>(i)]);
        hex += two;
    }
    EXPECT_EQ(hex, expected);
    if (length < 100) {
        EXPECT_EQ(text[static_cast<size_t>(length)], 0) << "a shorter text is terminated";
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, VersionText, testing::Values(0, 4, 7, 44, 100),
                         testing::PrintToStringParamName());

TEST_F(PeerLink, SegmentedUploadLongerThanTheBufferIsCutWithoutOverrun) {
    StartPeer();
    ConnectAsTheProgram();
    ASSERT_EQ(m_peer->Command("fwtext 100"), "ok");
    int result = 0;
    const std::vector<uint8_t> cut = Read(72, 0x100A, 0, 10, &result);
    ASSERT_EQ(cut.size(), 10u) << "result " << result;
    EXPECT_EQ(AsText(cut), std::string(10, 'x'));
    // The transfer was ended cleanly: the next read works.
    EXPECT_EQ(Read32(0x1018, 3), 0x00040002u);
}

TEST_F(PeerLink, SignalStrengthPdoComesOnlyAfterReconfigurationAndThreeThenOne) {
    StartPeer();
    ConnectAsTheProgram();
    const uint32_t cobId = Read32(0x1802, 1);
    EXPECT_EQ(cobId, 0x800003C8u);
    EXPECT_EQ(Read(72, 0x1A02, 0, 1), std::vector<uint8_t>{0});
    Write(0x1802, 1, {0xC8, 0x03, 0x00, 0x00});
    Write(0x1A02, 0, {1});
    EXPECT_EQ(Read32(0x1802, 1), 0x3C8u);
    EXPECT_EQ(m_peer->Command("pdo 3c8 40"), "refused") << "not in operation before the NMT pair";

    const size_t from = m_peer->LineCount();
    Bridge().CAN_SetNodeState(72, 3);
    EXPECT_EQ(m_peer->WaitFor("e nmt 72", 2s, from), "e nmt 72 127") << "3 enters pre-operational";
    Bridge().CAN_SetNodeState(72, 1);
    EXPECT_EQ(m_peer->WaitFor("e nmt 72 5", 2s, from), "e nmt 72 5") << "1 starts the node";
    EXPECT_EQ(HostLines(*m_peer, "t000"), (std::vector<std::string>{"t00028048", "t00020148"}));

    EXPECT_EQ(m_peer->Command("pdo 3c8 40"), "sent");
    EXPECT_TRUE(WaitForCallback()) << "the library announces what arrived";
    const std::vector<CAN_PDO> pdos = WaitForPdos(1);
    ASSERT_EQ(pdos.size(), 1u);
    EXPECT_EQ(pdos[0].cobId, 0x3C8u);
    EXPECT_EQ(pdos[0].length, 1u);
    EXPECT_EQ(pdos[0].data[0], 0x40);
}

TEST_F(PeerLink, AssociationBitSetThenClearedByThePairing) {
    StartPeer();
    ConnectAsTheProgram();
    const std::vector<uint8_t> control = Read(72, 0x2010, 5, 1);
    ASSERT_EQ(control, std::vector<uint8_t>{0x41});
    Write(0x2010, 5, {0x45});
    EXPECT_EQ(m_peer->Command("get 72 2010 5"), "45");
    EXPECT_EQ(m_peer->Command("pair"), "paired");
    EXPECT_EQ(Read(72, 0x2010, 5, 1), std::vector<uint8_t>{0x41});
    const std::vector<CAN_PDO> battery = WaitForPdos(1);
    ASSERT_EQ(battery.size(), 1u);
    EXPECT_EQ(battery[0].cobId, 0x2C9u);
}

TEST_F(PeerLink, OnlyRegisteredPdosAreDeliveredInOrder) {
    StartPeer();
    ASSERT_NE(Connect(), -1);
    ASSERT_EQ(Bridge().CAN_SetPDOBufferSize(100), 1);
    ASSERT_EQ(Bridge().CAN_RegisterEvents(PdoEvents::OnPdo, PdoEvents::OnSecondary), 1);
    CAN_PDO wireless = {};
    wireless.cobId = 0x1C9;
    Bridge().CAN_RegisterPDO(wireless);
    m_peer->Command("pdo 1c8 01");
    m_peer->Command("pdo 1c9 07");
    m_peer->Command("pdo 2c9 02");
    m_peer->Command("pdo 1c9 00");
    const std::vector<CAN_PDO> pdos = WaitForPdos(2);
    ASSERT_EQ(pdos.size(), 2u);
    EXPECT_EQ(pdos[0].cobId, 0x1C9u);
    EXPECT_EQ(pdos[0].data[0], 7);
    EXPECT_EQ(pdos[1].data[0], 0);
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(TakePdos().empty());
}

TEST_F(PeerLink, VirtualKeyPressAndReleaseAreTwoFramesOnTheBaseRemotesIdentifier) {
    StartPeer();
    ConnectAsTheProgram();
    CAN_PDO pdo = {};
    pdo.cobId = 0x1C8;
    pdo.length = 1;
    pdo.data[0] = 2;
    EXPECT_EQ(Bridge().CAN_TransmitPDO(pdo), 1);
    pdo.data[0] = 0;
    EXPECT_EQ(Bridge().CAN_TransmitPDO(pdo), 1);
    ASSERT_FALSE(m_peer->WaitFor("h t1C8100").empty());
    EXPECT_EQ(HostLines(*m_peer, "t1C8"), (std::vector<std::string>{"t1C8102", "t1C8100"}));
}

// The dialects adapters really speak: acknowledgements absent, CR, z/Z or BEL; CR or CRLF line
// ends; timestamps after the data or not.
class Dialect : public PeerLink, public testing::WithParamInterface<PeerOptions> {};

TEST_P(Dialect, ScanReadWriteAndPdosBothWays) {
    StartPeer(GetParam());
    ConnectAsTheProgram();
    ASSERT_EQ(Read32(0x1018, 3), 0x00040002u);
    ASSERT_EQ(m_peer->Command("fwtext 44"), "ok");
    EXPECT_EQ(AsText(Read(72, 0x100A, 0, 100)).substr(38, 6), "526-02");
    Write(0x2010, 5, {0x45});
    EXPECT_EQ(m_peer->Command("get 72 2010 5"), "45");
    EXPECT_EQ(m_peer->Command("pdo 1c9 05"), "sent");
    const std::vector<CAN_PDO> pdos = WaitForPdos(1);
    ASSERT_EQ(pdos.size(), 1u);
    EXPECT_EQ(pdos[0].data[0], 5);
    CAN_PDO key = {};
    key.cobId = 0x1C8;
    key.length = 1;
    key.data[0] = 9;
    EXPECT_EQ(Bridge().CAN_TransmitPDO(key), 1);
    EXPECT_EQ(m_peer->WaitFor("h t1C8"), "h t1C8109");
}

std::string DialectName(const testing::TestParamInfo<PeerOptions>& info) {
    return "ack_" + info.param.ack + "_" + info.param.eol + (info.param.timestamps ? "_timestamps" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Adapters, Dialect,
    testing::Values(PeerOptions{"72,73", "none", "cr", false}, PeerOptions{"72,73", "cr", "cr", false},
                    PeerOptions{"72,73", "z", "cr", true}, PeerOptions{"72,73", "bel", "crlf", false},
                    PeerOptions{"72,73", "cr", "crlf", true}, PeerOptions{"72,73", "z", "crlf", false}),
    DialectName);

TEST_F(PeerLink, SdoAbortFailsTheReadAndTheLinkGoesOn) {
    StartPeer();
    ConnectAsTheProgram();
    ASSERT_EQ(m_peer->Command("abort 1018 3 06090011"), "ok");
    int result = 0;
    EXPECT_TRUE(Read(72, 0x1018, 3, 4, &result).empty());
    EXPECT_NE(result, 1);
    m_peer->Command("abort off");
    EXPECT_EQ(Read32(0x1018, 3), 0x00040002u);
}

TEST_F(PeerLink, SilentBusTimesOutReadsRetriedOnceWritesNever) {
    StartPeer();
    ConnectAsTheProgram();
    ASSERT_EQ(m_peer->Command("fault silence on"), "ok");
    const size_t from = m_peer->LineCount();
    int result = 0;
    EXPECT_TRUE(Read(72, 0x1018, 3, 4, &result).empty());
    EXPECT_NE(result, 1);
    EXPECT_EQ(HostLines(*m_peer, "t64884018100300", from).size(), 2u) << "a read is asked twice";
    int value = 0;
    uint8_t byte = 0x45;
    EXPECT_NE(Bridge().CAN_SDOWrite(72, 0x2010, 5, &byte, 1, &value), 1);
    EXPECT_EQ(HostLines(*m_peer, "t64882F102005", from).size(), 1u) << "a write is sent once";
    ASSERT_EQ(m_peer->Command("fault silence off"), "ok");
    EXPECT_EQ(Read32(0x1018, 3), 0x00040002u);
}

TEST_F(PeerLink, GarbageFromTheAdapterIsIgnored) {
    StartPeer();
    ConnectAsTheProgram();
    ASSERT_EQ(m_peer->Command("garbage"), "ok");
    EXPECT_EQ(Read32(0x1018, 3), 0x00040002u);
    EXPECT_EQ(m_peer->Command("pdo 1c9 03"), "sent");
    const std::vector<CAN_PDO> pdos = WaitForPdos(2, 300ms);
    ASSERT_EQ(pdos.size(), 1u) << "nothing of the garbage became a PDO";
    EXPECT_EQ(pdos[0].cobId, 0x1C9u);
    EXPECT_EQ(pdos[0].data[0], 3);
}

TEST_F(PeerLink, AdapterVanishingEndsTheLinkAndEveryLaterCallFailsAtOnce) {
    StartPeer();
    ConnectAsTheProgram();
    ASSERT_EQ(m_peer->Command("hangup"), "ok");
    const auto start = std::chrono::steady_clock::now();
    int result = 0;
    Read(72, 0x1018, 3, 4, &result);
    EXPECT_NE(result, 1);
    CAN_PDO key = {};
    key.cobId = 0x1C8;
    key.length = 1;
    EXPECT_NE(Bridge().CAN_TransmitPDO(key), 1);
    // Bounded by the SDO timeout and its one retry, never a hang.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    Bridge().CAN_Disconnect();
    m_connected = false;
}

TEST_F(PeerLink, FloodBeyondTheBufferDropsWithoutBlockingTheLink) {
    StartPeer();
    ConnectAsTheProgram(64);
    // Nobody fetches while 1,000 wireless keys arrive at once.
    ASSERT_EQ(m_peer->Command("flood 1c9 1000 0"), "done 1000");
    // The SDO answer comes behind the flood on the line, so once it is read the flood is in.
    EXPECT_EQ(Read32(0x1018, 3), 0x00040002u);
    const std::vector<CAN_PDO> kept = TakePdos();
    ASSERT_EQ(kept.size(), 64u);
    for (const CAN_PDO& pdo : kept) {
        EXPECT_EQ(pdo.cobId, 0x1C9u);
    }
    // Room again: new PDOs are taken in.
    EXPECT_EQ(m_peer->Command("pdo 1c9 07"), "sent");
    const std::vector<CAN_PDO> after = WaitForPdos(1);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].data[0], 7);
}

}  // namespace

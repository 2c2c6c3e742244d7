// The twelve operations on the virtual bus: adapters to bridges, connection, scan, SDO, PDOs
// through the callback, NMT, and disconnect against callbacks that are running.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "tests/support/FakeNode.h"
#include "tolvikcan/Library.h"

namespace {

using testing_can::FakeNode;

// The library's callbacks are plain functions: they reach the test through this.
struct CallbackProbe {
    std::atomic<tolvikcan::Library*> library{nullptr};
    std::atomic<int> calls{0};
    std::atomic<int> running{0};
    std::atomic<int> taken{0};
    std::atomic<bool> slow{false};
} g_probe;

void OnPdo(int count) {
    g_probe.running.fetch_add(1);
    g_probe.calls.fetch_add(1);
    for (int i = 0; i < count; ++i) {
        CAN_PDO pdo;
        if (g_probe.library.load()->CAN_GetPDO(&pdo) == 1) {
            g_probe.taken.fetch_add(1);
        }
    }
    if (g_probe.slow) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    g_probe.running.fetch_sub(1);
}

void OnSecondary(int, int) {}

class LibraryTest : public ::testing::Test {
protected:
    LibraryTest() {
        g_probe.library = &library;
        g_probe.calls = 0;
        g_probe.taken = 0;
        g_probe.slow = false;
        peer->Open(quiet, nullptr);
        base.Set(0x1000, 0, {0x91, 0x01, 0x0F, 0x00});
    }
    ~LibraryTest() override {
        library.CAN_Disconnect();
        peer->Close();
    }

    tolvikcan::Adapters Virtual() {
        tolvikcan::Adapters adapters;
        adapters.named = [this] { return named; };
        adapters.exists = [this](const tolvikcan::AdapterName& adapter) {
            return present.count(adapter.device) > 0;
        };
        adapters.channel =
            [this](const tolvikcan::AdapterName& adapter) -> std::unique_ptr<canbus::FrameChannel> {
            opened.push_back(adapter.Name());
            if (adapter.device == "busy") {
                return std::make_unique<Unopenable>();
            }
            auto channel = bus.NewChannel();
            last = channel.get();
            return channel;
        };
        adapters.clock = &bus;
        adapters.report = [this](const std::string& message) {
            std::lock_guard<std::mutex> lock(reportsMutex);
            reports.push_back(message);
        };
        return adapters;
    }

    int Enumerate(const char* names, CAN_BRIDGE_INFO* bridges, int capacity) {
        named = names ? names : "";
        return library.CAN_EnumerateBridges(bridges, capacity);
    }

    int ConnectFirst(const char* names = "slcan:ttyACM0") {
        CAN_BRIDGE_INFO bridges[127];
        if (Enumerate(names, bridges, 127) < 1) {
            return -1;
        }
        uint32_t ip;
        std::memcpy(&ip, bridges[0].ipAddress, 4);
        return library.CAN_Connect(ip);
    }

    // An adapter another program holds.
    struct Unopenable final : canbus::FrameChannel {
        bool Open(canbus::FrameSink&, std::string* error) override {
            *error = "in use";
            return false;
        }
        bool Send(const canbus::CanFrame&) override { return false; }
        void Close() override {}
    };

    struct Quiet final : canbus::FrameSink {
        void OnFrame(const canbus::CanFrame&) override {}
        void OnLinkLost() override {}
    } quiet;

    canbus::VirtualBus bus;
    std::string named;
    std::set<std::string> present{"ttyACM0", "can0", "busy"};
    std::vector<std::string> opened;
    std::mutex reportsMutex;  // the loss of a link is reported on the channel's reader thread
    std::vector<std::string> reports;
    canbus::VirtualChannel* last = nullptr;
    FakeNode base{bus, 72};
    std::unique_ptr<canbus::VirtualChannel> peer = bus.NewChannel();
    tolvikcan::Library library{Virtual()};
};

TEST_F(LibraryTest, NamedAdaptersThatExistBecomeBridgesInOrder) {
    CAN_BRIDGE_INFO bridges[127];
    EXPECT_EQ(Enumerate("slcan:ttyACM0", bridges, 127), 1);
    EXPECT_EQ(Enumerate("", bridges, 127), 0);
    EXPECT_EQ(Enumerate(nullptr, bridges, 127), 0);
    EXPECT_EQ(Enumerate("slcan:ttyUSB9", bridges, 127), 0) << "a missing adapter is left out";
    EXPECT_EQ(Enumerate("slcan:ttyUSB9;socketcan:can0;slcan:ttyACM0", bridges, 127), 2);
    const auto ids =
        tolvikcan::BridgeIdentities({tolvikcan::AdapterName{tolvikcan::AdapterName::Kind::SocketCan, "can0"},
                                     tolvikcan::AdapterName{tolvikcan::AdapterName::Kind::Slcan, "ttyACM0"}});
    EXPECT_EQ(0, std::memcmp(bridges[0].macAddress, ids[0].mac.data(), 6));
    EXPECT_EQ(0, std::memcmp(bridges[1].ipAddress, ids[1].ip.data(), 4));
    EXPECT_EQ(Enumerate("socketcan:can0;slcan:ttyACM0", bridges, 1), 1);
    EXPECT_EQ(Enumerate("bogus", bridges, 127), -1);
    ASSERT_EQ(reports.size(), 5u) << "none named twice, each absent adapter, then the name not understood";
    EXPECT_EQ(reports[0].rfind("No CAN adapter named", 0), 0u) << reports[0];
    EXPECT_EQ(reports[1], reports[0]);
    EXPECT_EQ(reports[2].rfind("slcan:ttyUSB9: no serial port", 0), 0u) << reports[2];
    EXPECT_EQ(reports[3], reports[2]);
    EXPECT_EQ(reports[4].rfind("Adapter name not understood: adapter 'bogus'", 0), 0u) << reports[4];
    EXPECT_EQ(Enumerate("slcan:ttyACM0", nullptr, 127), -1);
    EXPECT_TRUE(opened.empty()) << "enumerating opens nothing";
}

TEST_F(LibraryTest, ConnectTakesOnlyAnEnumeratedAddressAndOnlyOnce) {
    EXPECT_EQ(library.CAN_Connect(0x0100007F), -1);
    ASSERT_EQ(ConnectFirst(), 1);
    EXPECT_EQ(opened, std::vector<std::string>{"slcan:ttyACM0"});
    EXPECT_EQ(ConnectFirst(), -1) << "one connection at a time";
    EXPECT_EQ(library.CAN_Disconnect(), 1);
    EXPECT_EQ(library.CAN_Disconnect(), 0);
    EXPECT_EQ(ConnectFirst(), 1);
}

TEST_F(LibraryTest, AdapterThatCannotOpenRefusesTheConnectionAndSaysWhy) {
    EXPECT_EQ(ConnectFirst("slcan:busy"), -1);
    EXPECT_EQ(reports, (std::vector<std::string>{"Using adapter slcan:busy", "slcan:busy: in use"}));
    EXPECT_EQ(library.CAN_Disconnect(), 0);
    EXPECT_EQ(ConnectFirst(), 1) << "nothing is left half connected";
}

TEST_F(LibraryTest, OperationsBeforeConnectFail) {
    uint8_t table[128];
    uint8_t byte = 0;
    int out = 0;
    EXPECT_EQ(library.CAN_EnumerateNodes(table), 0);
    EXPECT_EQ(library.CAN_SetPDOBufferSize(5000), 0);
    EXPECT_EQ(library.CAN_RegisterPDO(CAN_PDO{0x1C8, 0, 0, {}}), 0);
    EXPECT_EQ(library.CAN_TransmitPDO(CAN_PDO{0x1C8, 0, 1, {2}}), 0);
    EXPECT_EQ(library.CAN_SDORead(72, 0x2010, 5, &byte, 1, &out), 0);
    EXPECT_EQ(library.CAN_SDOWrite(72, 0x2010, 5, &byte, 1, &out), 0);
    EXPECT_EQ(library.CAN_SetNodeState(72, 3), 0);
    EXPECT_EQ(library.CAN_RegisterEvents(nullptr, OnSecondary), 0);
    EXPECT_EQ(library.CAN_RegisterEvents(OnPdo, OnSecondary), 1);
}

TEST_F(LibraryTest, TheHostsStartUpOnFrames) {
    ASSERT_EQ(ConnectFirst(), 1);
    uint8_t table[128];
    std::memset(table, 0xEE, sizeof table);
    ASSERT_EQ(library.CAN_EnumerateNodes(table), 1);
    for (int node = 0; node < 128; ++node) {
        EXPECT_EQ(table[node], node == 72 ? 2 : 0) << node;
    }
    EXPECT_EQ(library.CAN_SetPDOBufferSize(5000), 1);
    EXPECT_EQ(library.CAN_SetPDOBufferSize(0), 0);
    EXPECT_EQ(library.CAN_RegisterEvents(OnPdo, OnSecondary), 1);
    for (uint32_t cobId : {0x1C8u, 0x1C9u, 0x3C8u, 0x2C9u}) {
        EXPECT_EQ(library.CAN_RegisterPDO(CAN_PDO{cobId, 0, 0, {}}), 1);
    }
    EXPECT_EQ(library.CAN_RegisterPDO(CAN_PDO{0x800, 0, 0, {}}), 0);

    base.Set(0x1802, 1, {0xC8, 0x03, 0x00, 0x80});
    uint32_t cobId = 0;
    int out = -1;
    ASSERT_EQ(library.CAN_SDORead(72, 0x1802, 1, &cobId, 4, &out), 1);
    EXPECT_EQ(cobId, 0x800003C8u);
    EXPECT_EQ(out, 4);
    cobId &= 0x7FFFFFFF;
    ASSERT_EQ(library.CAN_SDOWrite(72, 0x1802, 1, &cobId, 4, &out), 1);
    EXPECT_EQ(base.Get(0x1802, 1), (std::vector<uint8_t>{0xC8, 0x03, 0x00, 0x00}));
    EXPECT_EQ(library.CAN_SDORead(72, 0x9999, 0, &cobId, 4, &out), 0);
    EXPECT_EQ(static_cast<uint32_t>(out), 0x06020000u);

    EXPECT_EQ(library.CAN_SetNodeState(72, 3), 1);
    EXPECT_EQ(library.CAN_SetNodeState(72, 1), 1);
    EXPECT_EQ(library.CAN_SetNodeState(72, 7), 0);
    EXPECT_EQ(library.CAN_TransmitPDO(CAN_PDO{0x1C8, 0, 1, {2}}), 1);
    EXPECT_EQ(library.CAN_TransmitPDO(CAN_PDO{0x1C8, 0, 9, {2}}), 0);
    std::vector<canbus::CanFrame> sent = last->Sent();
    ASSERT_GE(sent.size(), 3u);
    sent.erase(sent.begin(), sent.end() - 3);
    EXPECT_EQ(sent[0], canbus::MakeFrame(0x000, {0x80, 72}));
    EXPECT_EQ(sent[1], canbus::MakeFrame(0x000, {0x01, 72}));
    EXPECT_EQ(sent[2], canbus::MakeFrame(0x1C8, {2}));

    // Received PDOs reach the callback on the library's thread; others are not delivered.
    peer->Send(canbus::MakeFrame(0x1C9, {7}));
    peer->Send(canbus::MakeFrame(0x5C9, {7}));
    peer->Send(canbus::MakeFrame(0x3C8, {180}));
    while (g_probe.taken < 2) {
        std::this_thread::yield();
    }
    CAN_PDO pdo;
    EXPECT_EQ(library.CAN_GetPDO(&pdo), 0);
}

TEST_F(LibraryTest, LostAdapterFailsEveryOperationAndDisconnectStillReturns) {
    ASSERT_EQ(ConnectFirst("slcan:ttyACM0;socketcan:can0"), 1);
    last->Vanish();
    uint8_t byte = 0;
    int out = 0;
    // The loss travels through the reader thread; until then an operation may still go out.
    while (library.CAN_SetNodeState(72, 1) == 1) {
        std::this_thread::yield();
    }
    // Sends fail at once, the report comes when the reader sees the loss: a disconnect before it
    // would end the session first, and then there is no loss to report.
    for (bool said = false; !said; std::this_thread::yield()) {
        std::lock_guard<std::mutex> lock(reportsMutex);
        said = reports.size() >= 2;
    }
    EXPECT_EQ(library.CAN_SDORead(72, 0x2010, 5, &byte, 1, &out), 0);
    EXPECT_EQ(library.CAN_TransmitPDO(CAN_PDO{0x1C8, 0, 1, {2}}), 0);
    uint8_t table[128];
    EXPECT_EQ(library.CAN_EnumerateNodes(table), 0);
    EXPECT_EQ(library.CAN_Disconnect(), 1);
    // The loss is said once; a disconnect that follows is none.
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0], "Using adapter slcan:ttyACM0 (first of 2 present)");
    EXPECT_EQ(reports[1].rfind("slcan:ttyACM0: the link to the adapter was lost", 0), 0u) << reports[1];
    ASSERT_EQ(ConnectFirst(), 1);
    EXPECT_EQ(library.CAN_Disconnect(), 1);
    EXPECT_EQ(reports.size(), 3u) << reports.back();
}

TEST_F(LibraryTest, DisconnectWaitsForTheRunningCallbackAndNoneStartsAfter) {
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(ConnectFirst(), 1);
        library.CAN_SetPDOBufferSize(100);
        library.CAN_RegisterEvents(OnPdo, OnSecondary);
        library.CAN_RegisterPDO(CAN_PDO{0x1C9, 0, 0, {}});
        g_probe.slow = round % 2 == 1;
        std::atomic<bool> flooding{true};
        std::thread flood([&] {
            while (flooding) {
                peer->Send(canbus::MakeFrame(0x1C9, {1}));
                std::this_thread::yield();
            }
        });
        while (g_probe.calls == 0) {
            std::this_thread::yield();
        }
        ASSERT_EQ(library.CAN_Disconnect(), 1);
        EXPECT_EQ(g_probe.running.load(), 0);
        const int calls = g_probe.calls;
        flooding = false;
        flood.join();
        EXPECT_EQ(g_probe.calls.load(), calls) << "no callback after Disconnect returned";
        g_probe.calls = 0;
    }
}

}  // namespace

#include "tests/bench/Link.h"

#include <cstring>
#include <mutex>

#include <gtest/gtest.h>

namespace {

std::mutex g_mutex;
std::vector<CAN_PDO> g_received;

}  // namespace

std::vector<CAN_PDO> TakeReceived() {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::vector<CAN_PDO> taken;
    taken.swap(g_received);
    return taken;
}

void RecordingCallback(int count) {
    for (int i = 0; i < count; ++i) {
        CAN_PDO pdo{};
        if (bench::CAN_GetPDO(&pdo) == 1) {
            std::lock_guard<std::mutex> lock(g_mutex);
            g_received.push_back(pdo);
        }
    }
}

void NoSecondary(int, int) {}

uint32_t AddressOf(const std::array<uint8_t, 4>& ip) {
    uint32_t address = 0;
    std::memcpy(&address, ip.data(), sizeof address);
    return address;
}

void Link(const bench::Scenario& scenario) {
    bench::Load(scenario);
    bench::UseVirtualTime();
    OpenLink(scenario);
}

void OpenLink(const bench::Scenario& scenario) {
    TakeReceived();
    ASSERT_FALSE(scenario.bridges.empty());
    ASSERT_NE(bench::CAN_Connect(AddressOf(scenario.bridges.front().ip)), -1);
    ASSERT_EQ(bench::CAN_SetPDOBufferSize(5000), 1);
    ASSERT_EQ(bench::CAN_RegisterEvents(RecordingCallback, NoSecondary), 1);
    for (uint32_t cobId : {0x1C8u, 0x1C9u, 0x3C8u, 0x2C9u}) {
        ASSERT_EQ(bench::CAN_RegisterPDO(Frame(cobId, 0)), 1);
    }
}

CAN_PDO Frame(uint32_t cobId, uint8_t value) {
    CAN_PDO pdo{};
    pdo.cobId = cobId;
    pdo.length = 1;
    pdo.data[0] = value;
    return pdo;
}

std::vector<std::pair<uint32_t, int>> Pairs(const std::vector<CAN_PDO>& frames) {
    std::vector<std::pair<uint32_t, int>> pairs;
    for (const CAN_PDO& frame : frames) {
        pairs.emplace_back(frame.cobId, frame.data[0]);
    }
    return pairs;
}

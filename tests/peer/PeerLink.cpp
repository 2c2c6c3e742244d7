#include "tests/peer/PeerLink.h"

#include <cstdlib>
#include <cstring>
#include <thread>

using canlink::Bridge;
using canlink::LoadBridgeLibrary;

std::atomic<int> PdoEvents::calls{0};

void CAN_CALLCONV PdoEvents::OnPdo(int) {
    calls.fetch_add(1);
}

bool BindAdapterLibrary() {
    static const bool bound = [] {
        std::string error;
        const bool ok = LoadBridgeLibrary(TOLVIK_CAN_LIBRARY, &error);
        EXPECT_TRUE(ok) << error;
        return ok;
    }();
    return bound;
}

void NameAdapters(const std::string& adapter) {
    if (adapter.empty()) {
        unsetenv("TOLVIK_CAN_ADAPTER");
    } else {
        setenv("TOLVIK_CAN_ADAPTER", adapter.c_str(), 1);
    }
}

void PeerLink::SetUp() {
    ASSERT_TRUE(BindAdapterLibrary());
    PdoEvents::calls = 0;
}

void PeerLink::TearDown() {
    if (m_connected) {
        Bridge().CAN_Disconnect();
    }
    m_peer.reset();
    NameAdapters("");
}

void PeerLink::StartPeer(const PeerOptions& options) {
    m_peer = std::make_unique<PeerProcess>(options);
    ASSERT_TRUE(m_peer->Started())
        << "the peer did not start; are its packages installed (scripts/peer-setup.sh)?";
    NameAdapters(m_peer->AdapterName());
}

int PeerLink::Connect() {
    CAN_BRIDGE_INFO bridges[127] = {};
    const int found = Bridge().CAN_EnumerateBridges(bridges, 127);
    EXPECT_EQ(found, 1);
    if (found < 1) {
        return -1;
    }
    uint32_t address;
    static_assert(sizeof address == sizeof bridges[0].ipAddress);
    memcpy(&address, bridges[0].ipAddress, sizeof address);
    const int result = Bridge().CAN_Connect(address);
    m_connected = result != -1;
    return result;
}

void PeerLink::ConnectAsTheProgram(int bufferSize) {
    ASSERT_NE(Connect(), -1);
    uint8_t nodes[CAN_NODE_TABLE_SIZE] = {};
    ASSERT_EQ(Bridge().CAN_EnumerateNodes(nodes), 1);
    ASSERT_EQ(nodes[72], CAN_NODE_PRESENT);
    ASSERT_EQ(Bridge().CAN_SetPDOBufferSize(bufferSize), 1);
    ASSERT_EQ(Bridge().CAN_RegisterEvents(PdoEvents::OnPdo, PdoEvents::OnSecondary), 1);
    for (uint32_t cobId : {0x1C8u, 0x1C9u, 0x3C8u, 0x2C9u}) {
        CAN_PDO pdo = {};
        pdo.cobId = cobId;
        Bridge().CAN_RegisterPDO(pdo);
    }
}

std::vector<uint8_t> PeerLink::Read(int node, int index, int sub, int size, int* result) {
    // Guard bytes after the buffer show an overrun.
    std::vector<uint8_t> buffer(static_cast<size_t>(size) + 16, 0xEE);
    int value = 0;
    const int r = Bridge().CAN_SDORead(node, index, sub, buffer.data(), size, &value);
    if (result) {
        *result = r;
    }
    for (size_t i = static_cast<size_t>(size); i < buffer.size(); ++i) {
        EXPECT_EQ(buffer[i], 0xEE) << "written past the caller's buffer at " << i;
    }
    if (r != 1) {
        return {};
    }
    buffer.resize(static_cast<size_t>(size));
    return buffer;
}

uint32_t PeerLink::Read32(int index, int sub) {
    const std::vector<uint8_t> bytes = Read(72, index, sub, 4);
    EXPECT_EQ(bytes.size(), 4u) << std::hex << index << "/" << sub;
    uint32_t value = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    }
    return value;
}

int PeerLink::Write(int index, int sub, std::vector<uint8_t> bytes) {
    int value = 0;
    return Bridge().CAN_SDOWrite(72, index, sub, bytes.data(), static_cast<int>(bytes.size()), &value);
}

std::vector<CAN_PDO> PeerLink::TakePdos() {
    std::vector<CAN_PDO> taken;
    CAN_PDO pdo;
    while (Bridge().CAN_GetPDO(&pdo) == 1) {
        taken.push_back(pdo);
    }
    return taken;
}

std::vector<CAN_PDO> PeerLink::WaitForPdos(size_t count, std::chrono::milliseconds timeout) {
    std::vector<CAN_PDO> taken;
    const auto end = std::chrono::steady_clock::now() + timeout;
    CAN_PDO pdo;
    while (taken.size() < count && std::chrono::steady_clock::now() < end) {
        if (Bridge().CAN_GetPDO(&pdo) == 1) {
            taken.push_back(pdo);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return taken;
}

bool PeerLink::WaitForCallback(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (PdoEvents::calls.load() == 0) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Tests on the CAN adapter library and the peer: the library is loaded once per process and
// bound like any bridge library; each test starts its own peer and names its pty as the adapter.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "canlink/BridgeLibrary.h"
#include "tests/peer/PeerProcess.h"

// Loads the adapter library into Bridge() the first time; false (with a test failure) when it
// cannot be loaded.
bool BindAdapterLibrary();

// Names the adapters the library may use (TOLVIK_CAN_ADAPTER); an empty text names none.
void NameAdapters(const std::string& adapter);

// The PDO callback's calls, counted; the library calls it on its own thread.
struct PdoEvents {
    static std::atomic<int> calls;
    static void CAN_CALLCONV OnPdo(int count);
    static void CAN_CALLCONV OnSecondary(int, int) {}
};

class PeerLink : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the peer and names its pty as the one adapter.
    void StartPeer(const PeerOptions& options = {});
    // Enumerates the one bridge and connects to it; the CAN_Connect result.
    int Connect();
    // Connects, sets the buffer, registers the callbacks and the four PDOs, as the program does.
    void ConnectAsTheProgram(int bufferSize = 5000);
    // The bytes CAN_SDORead put into a buffer of `size`, or nothing when it failed.
    std::vector<uint8_t> Read(int node, int index, int sub, int size, int* result = nullptr);
    uint32_t Read32(int index, int sub);
    int Write(int index, int sub, std::vector<uint8_t> bytes);
    // PDOs taken from the library until it has none.
    std::vector<CAN_PDO> TakePdos();
    // Waits until the PDO callback has been called.
    static bool WaitForCallback(std::chrono::milliseconds timeout = std::chrono::seconds(3));
    // PDOs taken until `count` came or `timeout` passed.
    std::vector<CAN_PDO> WaitForPdos(size_t count,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(3));

    std::unique_ptr<PeerProcess> m_peer;
    bool m_connected = false;
};

// Text as the library handed it back.
inline std::string AsText(const std::vector<uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

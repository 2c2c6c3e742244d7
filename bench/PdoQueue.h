// The receive side of the bridge library: which COB-IDs the tool listens to, and the bounded
// buffer in which received PDOs wait for CAN_GetPDO. Not thread-safe: the bench's lock guards it.
#pragma once

#include <bitset>
#include <cstdint>
#include <deque>
#include <vector>

#include "canlink/QuarnCANopen.h"

namespace bench {

class PdoQueue {
public:
    // Most PDOs the buffer may be set to hold (20 MB of records).
    static constexpr int kMaxCapacity = 1000000;
    // Standard CAN identifiers have 11 bits.
    static constexpr uint32_t kMaxCobId = 0x7FF;

    // False for a size outside 1..kMaxCapacity. Shrinking drops the newest PDOs that no longer fit.
    bool SetCapacity(int capacity);
    bool Register(uint32_t cobId);
    // A frame seen on the bus: ignored unless registered; dropped and counted when the buffer is full.
    void Receive(const CAN_PDO& pdo);
    bool Take(CAN_PDO* pdo);
    // Forgets the buffer, its contents and the registrations, as a disconnect does; counts stay.
    void Reset();

    size_t Waiting() const { return m_waiting.size(); }
    uint64_t Queued() const { return m_queued; }
    uint64_t Delivered() const { return m_delivered; }
    uint64_t Dropped() const { return m_dropped; }
    const std::vector<CAN_PDO>& Registrations() const { return m_registrations; }

private:
    size_t m_capacity = 0;
    std::deque<CAN_PDO> m_waiting;
    std::bitset<kMaxCobId + 1> m_registered;
    std::vector<CAN_PDO> m_registrations;
    uint64_t m_queued = 0;
    uint64_t m_delivered = 0;
    uint64_t m_dropped = 0;
};

}  // namespace bench

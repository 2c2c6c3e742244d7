#include "bench/PdoQueue.h"

namespace bench {

bool PdoQueue::SetCapacity(int capacity) {
    if (capacity < 1 || capacity > kMaxCapacity) {
        return false;
    }
    m_capacity = static_cast<size_t>(capacity);
    while (m_waiting.size() > m_capacity) {
        m_waiting.pop_back();
        ++m_dropped;
    }
    return true;
}

bool PdoQueue::Register(uint32_t cobId) {
    if (cobId > kMaxCobId) {
        return false;
    }
    if (!m_registered.test(cobId)) {
        m_registered.set(cobId);
        CAN_PDO pdo{};
        pdo.cobId = cobId;
        m_registrations.push_back(pdo);
    }
    return true;
}

void PdoQueue::Receive(const CAN_PDO& pdo) {
    if (pdo.cobId > kMaxCobId || !m_registered.test(pdo.cobId)) {
        return;
    }
    if (m_waiting.size() >= m_capacity) {
        ++m_dropped;
        return;
    }
    m_waiting.push_back(pdo);
    ++m_queued;
}

bool PdoQueue::Take(CAN_PDO* pdo) {
    if (m_waiting.empty()) {
        return false;
    }
    *pdo = m_waiting.front();
    m_waiting.pop_front();
    ++m_delivered;
    return true;
}

void PdoQueue::Reset() {
    m_capacity = 0;
    m_waiting.clear();
    m_registered.reset();
    m_registrations.clear();
}

}  // namespace bench

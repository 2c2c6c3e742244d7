#include "canopen/PdoBuffer.h"

namespace canopen {

bool PdoBuffer::SetCapacity(int capacity) {
    if (capacity < 1 || capacity > kMaxCapacity) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_capacity = static_cast<size_t>(capacity);
    while (m_frames.size() > m_capacity) {
        m_frames.pop_back();
        ++m_dropped;
    }
    return true;
}

void PdoBuffer::Push(const canbus::CanFrame& frame) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_frames.size() >= m_capacity) {
            ++m_dropped;
            return;
        }
        m_frames.push_back(frame);
        ++m_arrivals;
    }
    m_arrived.notify_one();
}

bool PdoBuffer::Take(canbus::CanFrame* frame) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_frames.empty()) {
        return false;
    }
    *frame = m_frames.front();
    m_frames.pop_front();
    return true;
}

bool PdoBuffer::WaitForArrivals(uint64_t* seen, size_t* waiting) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_arrived.wait(lock, [&] { return m_stopped || m_arrivals != *seen; });
    if (m_stopped) {
        return false;
    }
    *seen = m_arrivals;
    *waiting = m_frames.size();
    return true;
}

void PdoBuffer::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
    }
    m_arrived.notify_all();
}

uint64_t PdoBuffer::Dropped() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_dropped;
}

}  // namespace canopen

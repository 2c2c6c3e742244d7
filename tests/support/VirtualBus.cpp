#include "tests/support/VirtualBus.h"

#include <algorithm>

namespace canbus {

VirtualChannel::~VirtualChannel() {
    Close();
}

bool VirtualChannel::Open(FrameSink& sink, std::string* error) {
    {
        std::lock_guard<std::mutex> lock(m_bus.m_mutex);
        if (m_open || m_reader.joinable()) {
            if (error) {
                *error = "already open";
            }
            return false;
        }
        m_sink = &sink;
        m_open = true;
        m_stopping = false;
        m_vanished = false;
        m_lostReported = false;
        m_bus.m_channels.push_back(this);
    }
    // Started outside the bus's lock, which the reader takes first thing.
    m_reader = std::thread([this] { ReaderLoop(); });
    return true;
}

bool VirtualChannel::Send(const CanFrame& frame) {
    if (!IsValid(frame)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_bus.m_mutex);
    if (!m_open || m_vanished) {
        return false;
    }
    if (m_sent.size() < kSentLog) {
        m_sent.push_back(frame);
    }
    for (VirtualChannel* other : m_bus.m_channels) {
        if (other == this || other->m_vanished) {
            continue;
        }
        if (other->m_queue.size() >= kQueueLimit) {
            continue;  // dropped, as by a real adapter's full receive queue
        }
        other->m_queue.push_back(frame);
        ++m_bus.m_inFlight;
        other->m_wake.notify_one();
    }
    return true;
}

void VirtualChannel::Close() {
    {
        std::lock_guard<std::mutex> lock(m_bus.m_mutex);
        if (!m_reader.joinable()) {
            return;
        }
        m_stopping = true;
        m_wake.notify_one();
    }
    m_reader.join();
    std::lock_guard<std::mutex> lock(m_bus.m_mutex);
    m_bus.m_inFlight -= m_queue.size();
    m_queue.clear();
    m_open = false;
    std::erase(m_bus.m_channels, this);
}

void VirtualChannel::Vanish() {
    std::lock_guard<std::mutex> lock(m_bus.m_mutex);
    m_vanished = true;
    m_wake.notify_one();
}

std::vector<CanFrame> VirtualChannel::Sent() const {
    std::lock_guard<std::mutex> lock(m_bus.m_mutex);
    return m_sent;
}

void VirtualChannel::ReaderLoop() {
    std::unique_lock<std::mutex> lock(m_bus.m_mutex);
    for (;;) {
        m_wake.wait(lock,
                    [this] { return m_stopping || !m_queue.empty() || (m_vanished && !m_lostReported); });
        if (m_stopping) {
            return;
        }
        if (m_vanished) {
            m_bus.m_inFlight -= m_queue.size();
            m_queue.clear();
            m_lostReported = true;
            lock.unlock();
            m_sink->OnLinkLost();
            return;
        }
        const CanFrame frame = m_queue.front();
        m_queue.pop_front();
        lock.unlock();
        m_sink->OnFrame(frame);
        lock.lock();
        --m_bus.m_inFlight;
    }
}

bool VirtualBus::Idle() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_inFlight == 0;
}

Milliseconds VirtualBus::Now() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_now;
}

bool VirtualBus::WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                         Milliseconds timeout, const std::function<bool()>& ready) {
    const Milliseconds deadline = Now() + timeout;
    while (!ready()) {
        if (Idle()) {
            std::lock_guard<std::mutex> bus(m_mutex);
            m_now = std::max(m_now, deadline);
            return ready();
        }
        // Only how soon idleness is noticed depends on this real-time poll, never the outcome.
        cv.wait_for(lock, std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace canbus

// Received PDOs waiting to be fetched: bounded, never blocks the thread that fills it (a full
// buffer drops the new frame and counts it), and wakes one dispatcher per batch of arrivals.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

#include "canbus/CanFrame.h"

namespace canopen {

class PdoBuffer {
public:
    // Most frames the buffer may be set to hold.
    static constexpr int kMaxCapacity = 1000000;
    // Until it is set, as the host application sets it.
    static constexpr int kDefaultCapacity = 5000;

    // False for a size outside 1..kMaxCapacity. Shrinking drops the newest frames that no longer
    // fit, counted as drops.
    bool SetCapacity(int capacity);
    void Push(const canbus::CanFrame& frame);
    bool Take(canbus::CanFrame* frame);

    // Waits until frames arrived beyond `*seen` (an arrival count) or Stop; then sets `*seen`
    // to the arrivals so far and `*waiting` to the frames waiting. False once stopped.
    bool WaitForArrivals(uint64_t* seen, size_t* waiting);
    void Stop();

    uint64_t Dropped() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<canbus::CanFrame> m_frames;
    size_t m_capacity = kDefaultCapacity;
    uint64_t m_arrivals = 0;
    uint64_t m_dropped = 0;
    bool m_stopped = false;
};

}  // namespace canopen

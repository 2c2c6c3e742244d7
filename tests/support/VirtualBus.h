// An in-process CAN bus for tests: every frame one channel sends reaches every other open
// channel, each through its own reader thread, as a real adapter would deliver it. The bus keeps
// virtual time: a wait on its clock returns at once when its condition holds, and otherwise,
// once no frame is in flight anywhere on the bus, moves time on to the wait's end. Peers that
// answer from their sink therefore answer "in no time", and timeouts cost no real time.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "canbus/FrameChannel.h"
#include "canbus/WaitClock.h"

namespace canbus {

class VirtualBus;

class VirtualChannel final : public FrameChannel {
public:
    explicit VirtualChannel(VirtualBus& bus) : m_bus(bus) {}
    ~VirtualChannel() override;
    bool Open(FrameSink& sink, std::string* error) override;
    bool Send(const CanFrame& frame) override;
    void Close() override;
    // The adapter is unplugged: the sink hears OnLinkLost on the reader thread, sends fail.
    void Vanish();
    // Frames this channel put on the bus, oldest first (at most kSentLog).
    std::vector<CanFrame> Sent() const;

    static constexpr size_t kQueueLimit = 65536;
    static constexpr size_t kSentLog = 65536;

private:
    friend class VirtualBus;
    void ReaderLoop();

    VirtualBus& m_bus;
    FrameSink* m_sink = nullptr;
    std::thread m_reader;
    // Guarded by the bus's mutex.
    std::deque<CanFrame> m_queue;
    std::vector<CanFrame> m_sent;
    bool m_open = false;
    bool m_stopping = false;
    bool m_vanished = false;
    bool m_lostReported = false;
    std::condition_variable m_wake;
};

class VirtualBus final : public WaitClock {
public:
    VirtualBus() = default;
    VirtualBus(const VirtualBus&) = delete;
    VirtualBus& operator=(const VirtualBus&) = delete;

    // Channels hold a reference to the bus: close them before the bus goes.
    std::unique_ptr<VirtualChannel> NewChannel() { return std::make_unique<VirtualChannel>(*this); }

    // No frame queued or being handed to a sink anywhere on the bus.
    bool Idle() const;
    // Virtual time since the bus was made.
    Milliseconds Now() const override;
    bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, Milliseconds timeout,
                 const std::function<bool()>& ready) override;

private:
    friend class VirtualChannel;
    mutable std::mutex m_mutex;
    std::vector<VirtualChannel*> m_channels;  // the open ones
    size_t m_inFlight = 0;                    // queued plus being delivered
    Milliseconds m_now{0};
};

}  // namespace canbus

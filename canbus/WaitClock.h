// The time in which the CANopen client waits for answers. The steady clock waits in real time;
// the virtual bus has its own clock, so tests of timeouts take no real time.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace canbus {

using Milliseconds = std::chrono::milliseconds;

class WaitClock {
public:
    virtual ~WaitClock() = default;
    virtual Milliseconds Now() const = 0;
    // With `lock` held, waits on `cv` until `ready()` or until `timeout` has passed; returns ready().
    virtual bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                         Milliseconds timeout, const std::function<bool()>& ready) = 0;
};

class SteadyWaitClock final : public WaitClock {
public:
    Milliseconds Now() const override;
    bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, Milliseconds timeout,
                 const std::function<bool()>& ready) override;
};

}  // namespace canbus

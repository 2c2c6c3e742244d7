#include "canbus/WaitClock.h"

namespace canbus {

Milliseconds SteadyWaitClock::Now() const {
    return std::chrono::duration_cast<Milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

bool SteadyWaitClock::WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                              Milliseconds timeout, const std::function<bool()>& ready) {
    return cv.wait_for(lock, timeout, ready);
}

}  // namespace canbus

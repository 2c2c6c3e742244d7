#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace platform {
namespace {

class RealClock final : public Clock {
public:
    void Sleep(unsigned milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

RealClock g_realClock;
Clock* g_clock = &g_realClock;

}  // namespace

void Sleep(unsigned milliseconds) {
    g_clock->Sleep(milliseconds);
}

Clock* SetClock(Clock* clock) {
    Clock* previous = g_clock;
    g_clock = clock ? clock : &g_realClock;
    return previous;
}

}  // namespace platform

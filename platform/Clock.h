// The pause of the long operations on the user-interface thread. Tests replace the clock so a
// 20-second association runs in virtual time.
#pragma once

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual void Sleep(unsigned milliseconds) = 0;
};

// Pauses through the current clock (the real one unless a test installed another).
void Sleep(unsigned milliseconds);

// Installs `clock` (nullptr restores the real clock) and returns the one it replaces.
// The caller keeps ownership; call only while no pause is running.
Clock* SetClock(Clock* clock);

}  // namespace platform

// Test helpers that put the statically linked bench behind the tool's bridge binding, and a
// clock whose pauses move bench time instead of waiting.
#pragma once

#include "bench/Bench.h"
#include "platform/Clock.h"

// Binds bench::CAN_* into Bridge().
void BindBench();

// Loads `scenario` in virtual time, binds it, and installs a clock whose Sleep advances the
// bench; restores the real clock on destruction.
class VirtualBench : public platform::Clock {
public:
    explicit VirtualBench(const bench::Scenario& scenario = bench::DefaultScenario());
    ~VirtualBench() override;
    VirtualBench(const VirtualBench&) = delete;
    VirtualBench& operator=(const VirtualBench&) = delete;

    void Sleep(unsigned milliseconds) override;
    unsigned SleptMs() const { return m_slept; }

private:
    platform::Clock* m_previous;
    unsigned m_slept = 0;
};

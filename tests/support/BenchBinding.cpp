#include "tests/support/BenchBinding.h"

#include "canlink/BridgeLibrary.h"

using canlink::Bridge;
using canlink::BridgeLibrary;

void BindBench() {
    BridgeLibrary& bridge = Bridge();
#define TOLVIK_BIND_BENCH(name, result, parameters, arguments) bridge.name = bench::name;
    CAN_OPERATIONS(TOLVIK_BIND_BENCH)
#undef TOLVIK_BIND_BENCH
}

VirtualBench::VirtualBench(const bench::Scenario& scenario) {
    bench::Load(scenario);
    bench::UseVirtualTime();
    BindBench();
    m_previous = platform::SetClock(this);
}

VirtualBench::~VirtualBench() {
    platform::SetClock(m_previous);
    bench::CAN_Disconnect();
}

void VirtualBench::Sleep(unsigned milliseconds) {
    m_slept += milliseconds;
    bench::Advance(static_cast<int>(milliseconds));
}

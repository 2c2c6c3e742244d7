#include "tests/support/BenchBinding.h"

#include "canlink/BridgeLibrary.h"

void BindBench() {
    BridgeLibrary& bridge = Bridge();
    bridge.CAN_EnumerateBridges = bench::CAN_EnumerateBridges;
    bridge.CAN_Connect = bench::CAN_Connect;
    bridge.CAN_Disconnect = bench::CAN_Disconnect;
    bridge.CAN_EnumerateNodes = bench::CAN_EnumerateNodes;
    bridge.CAN_SetPDOBufferSize = bench::CAN_SetPDOBufferSize;
    bridge.CAN_RegisterEvents = bench::CAN_RegisterEvents;
    bridge.CAN_RegisterPDO = bench::CAN_RegisterPDO;
    bridge.CAN_GetPDO = bench::CAN_GetPDO;
    bridge.CAN_TransmitPDO = bench::CAN_TransmitPDO;
    bridge.CAN_SDORead = bench::CAN_SDORead;
    bridge.CAN_SDOWrite = bench::CAN_SDOWrite;
    bridge.CAN_SetNodeState = bench::CAN_SetNodeState;
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

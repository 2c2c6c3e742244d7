// The twelve operations of the bridge library. Every one answers a call out of order, a null
// pointer or a bad argument with its failure value, and none lets an exception out: the tool
// calls them as C functions.
#include <cstring>

#include "bench/Bench.h"
#include "bench/State.h"
#include "canlink/Guarded.h"

namespace bench {
namespace {

constexpr uint32_t kMaxFrameBytes = 8;

using canlink::Guarded;

// The bus is reachable only through a connected bridge that has not dropped off.
bool BusReachable(const State& s) {
    return s.connected && !s.bus->Lost();
}

// An SDO transfer as far as the bench's side decides it: a size the caller cannot mean, or
// no bus to carry it; otherwise `ask` puts it to the node.
template <typename Ask>
SdoOutcome Transfer(const State& s, int size, Ask&& ask) {
    if (size <= 0) {
        return SdoOutcome::Aborted(SdoErrc::LengthMismatch);
    }
    if (!BusReachable(s)) {
        return SdoOutcome::Aborted(SdoErrc::Timeout);
    }
    return ask();
}

// Hands the out-value back and records the access with the bytes it moved.
int Conclude(State& s, SdoAccess access, const uint8_t* bytes, SdoOutcome outcome, int* outValue) {
    *outValue = static_cast<int>(outcome.outValue);
    access.result = outcome.ok ? CAN_OK : CAN_FAILED;
    if (outcome.ok) {
        access.data.assign(bytes, bytes + outcome.outValue);
    }
    s.sdoLog.Add(access);
    return access.result;
}

}  // namespace

int CAN_EnumerateBridges(CAN_BRIDGE_INFO* bridges, int capacity) {
    if (!bridges || capacity < 0) {
        return CAN_SCAN_FAILED;
    }
    return Guarded(CAN_SCAN_FAILED, [&] {
        State& s = TheState();
        std::unique_lock<std::mutex> lock = Acquire(s);
        if (s.scenario.faults.scanError) {
            return CAN_SCAN_FAILED;
        }
        // Counts every bridge that answered, even beyond the capacity, so the caller can tell
        // that its list was too short; only `capacity` entries are written.
        int found = 0;
        for (const BridgeSpec& spec : s.bridges) {
            if (!spec.reachable) {
                continue;
            }
            if (found < capacity) {
                std::memcpy(bridges[found].ipAddress, spec.ip.data(), spec.ip.size());
                std::memcpy(bridges[found].macAddress, spec.mac.data(), spec.mac.size());
            }
            ++found;
        }
        return found;
    });
}

int CAN_Connect(uint32_t ipAddress) {
    // From inside the callback the tool is connected already, and the lifecycle may be held by
    // a disconnect that waits for this very callback.
    if (OnBenchThread()) {
        return CAN_CONNECT_FAILED;
    }
    return Guarded(CAN_CONNECT_FAILED, [&] {
        uint8_t address[4];
        std::memcpy(address, &ipAddress, sizeof address);
        State& s = TheState();
        std::lock_guard<std::mutex> life(s.lifecycle);
        std::unique_lock<std::mutex> lock = Acquire(s);
        if (s.connected || s.scenario.faults.connectRefused) {
            return CAN_CONNECT_FAILED;
        }
        for (size_t i = 0; i < s.bridges.size(); ++i) {
            const BridgeSpec& spec = s.bridges[i];
            if (!spec.reachable || std::memcmp(spec.ip.data(), address, sizeof address) != 0) {
                continue;
            }
            if (spec.connectionsInUse >= spec.connectionLimit) {
                return CAN_CONNECT_FAILED;
            }
            StartThread(s);
            s.connected = true;
            s.bridge = i;
            ++s.connects;
            s.bus->Start(NowMs(s));
            return CAN_OK;
        }
        return CAN_CONNECT_FAILED;
    });
}

int CAN_Disconnect() {
    ++TheState().disconnectCalls;
    // Joining the bench thread from itself would never return.
    if (OnBenchThread()) {
        return CAN_FAILED;
    }
    return Guarded(CAN_FAILED, [] {
        State& s = TheState();
        std::lock_guard<std::mutex> life(s.lifecycle);
        Acquire(s).unlock();
        if (!EndConnection(s)) {
            return CAN_FAILED;
        }
        std::lock_guard<std::mutex> lock(s.mutex);
        ++s.disconnects;
        return CAN_OK;
    });
}

int CAN_EnumerateNodes(uint8_t* nodeTable) {
    if (!nodeTable) {
        return CAN_FAILED;
    }
    return Guarded(CAN_FAILED, [&] {
        State& s = TheState();
        std::unique_lock<std::mutex> lock = Acquire(s);
        if (!BusReachable(s) || s.scenario.faults.enumerateNodesFails) {
            return CAN_FAILED;
        }
        s.bus->FillNodeTable(nodeTable);
        return CAN_OK;
    });
}

int CAN_SetPDOBufferSize(int size) {
    return Guarded(CAN_FAILED, [&] {
        State& s = TheState();
        std::unique_lock<std::mutex> lock = Acquire(s);
        if (!s.connected || s.scenario.faults.bufferSizeRefused) {
            return CAN_FAILED;
        }
        return s.queue.SetCapacity(size) ? CAN_OK : CAN_FAILED;
    });
}

// The secondary callback is required but never called: the bench raises no secondary events.
int CAN_RegisterEvents(CAN_PdoEventProc onPdo, CAN_SecondaryEventProc onSecondary) {
    if (!onPdo || !onSecondary) {
        return CAN_FAILED;
    }
    return Guarded(CAN_FAILED, [&] {
        State& s = TheState();
        {
            std::unique_lock<std::mutex> lock = Acquire(s);
            if (!s.connected || s.scenario.faults.registerEventsRefused) {
                return CAN_FAILED;
            }
            s.onPdo = onPdo;
            s.stalled = false;
        }
        s.wake.notify_all();
        return CAN_OK;
    });
}

int CAN_RegisterPDO(CAN_PDO pdo) {
    return Guarded(CAN_FAILED, [&] {
        State& s = TheState();
        std::unique_lock<std::mutex> lock = Acquire(s);
        return s.connected && s.queue.Register(pdo.cobId) ? CAN_OK : CAN_FAILED;
    });
}

int CAN_GetPDO(CAN_PDO* pdo) {
    if (!pdo) {
        return CAN_FAILED;
    }
    return Guarded(CAN_FAILED, [&] {
        State& s = TheState();
        std::unique_lock<std::mutex> lock = Acquire(s);
        if (!s.connected || !s.queue.Take(pdo)) {
            return CAN_FAILED;
        }
        if (s.queue.Waiting() == 0) {
            s.settled.notify_all();
        }
        return CAN_OK;
    });
}

int CAN_TransmitPDO(CAN_PDO pdo) {
    return Guarded(CAN_FAILED, [&] {
        State& s = TheState();
        {
            std::unique_lock<std::mutex> lock = Acquire(s);
            if (!BusReachable(s) || s.scenario.faults.transmitRefused || pdo.length > kMaxFrameBytes) {
                return CAN_FAILED;
            }
            s.transmitted.Add(pdo);
            if (s.scenario.echoTransmitted) {
                s.Send(pdo);
            }
        }
        s.wake.notify_all();
        return CAN_OK;
    });
}

int CAN_SDORead(int node, int index, int subIndex, void* buffer, int size, int* outValue) {
    if (!buffer || !outValue) {
        return CAN_FAILED;
    }
    return Guarded(CAN_FAILED, [&] {
        State& s = TheState();
        std::unique_lock<std::mutex> lock = Acquire(s);
        uint8_t* bytes = static_cast<uint8_t*>(buffer);
        const SdoOutcome outcome =
            Transfer(s, size, [&] { return s.bus->Read(node, index, subIndex, bytes, size); });
        return Conclude(s, {false, node, index, subIndex, {}, 0}, bytes, outcome, outValue);
    });
}

int CAN_SDOWrite(int node, int index, int subIndex, void* data, int size, int* outValue) {
    if (!data || !outValue) {
        return CAN_FAILED;
    }
    return Guarded(CAN_FAILED, [&] {
        State& s = TheState();
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        int result = CAN_FAILED;
        {
            std::unique_lock<std::mutex> lock = Acquire(s);
            const SdoOutcome outcome =
                Transfer(s, size, [&] { return s.bus->Write(node, index, subIndex, bytes, size, NowMs(s)); });
            result = Conclude(s, {true, node, index, subIndex, {}, 0}, bytes, outcome, outValue);
        }
        s.wake.notify_all();
        return result;
    });
}

int CAN_SetNodeState(int node, int state) {
    return Guarded(CAN_FAILED, [&] {
        State& s = TheState();
        {
            std::unique_lock<std::mutex> lock = Acquire(s);
            if (!BusReachable(s) || !s.bus->SetNodeState(node, state, NowMs(s))) {
                return CAN_FAILED;
            }
            s.nodeStates.Add({node, state});
        }
        s.wake.notify_all();
        return CAN_OK;
    });
}

}  // namespace bench

// The control API tests use to set the bench up, move its time and look at what happened.
#include <cstdio>

#include "bench/Bench.h"
#include "bench/State.h"

namespace bench {
namespace {

// Longest Advance waits for the tool's callback to take what became due: a callback that
// blocks longer is the tool's fault, and the test goes on rather than hangs.
constexpr auto kSettleLimit = std::chrono::seconds(10);

bool Settled(const State& s) {
    return !s.inCallback && (!s.connected || !s.onPdo || s.stalled || s.queue.Waiting() == 0);
}

}  // namespace

void Load(const Scenario& scenario) {
    if (OnBenchThread()) {
        std::fprintf(stderr, "tolvik bench: Load called from the bench's own thread; ignored.\n");
        return;
    }
    State& s = TheState();
    std::lock_guard<std::mutex> life(s.lifecycle);
    EndConnection(s);
    std::lock_guard<std::mutex> lock(s.mutex);
    Reset(s, scenario);
}

void UseVirtualTime() {
    State& s = TheState();
    {
        std::unique_lock<std::mutex> lock = Acquire(s);
        if (!s.virtualTime) {
            s.virtualNow = NowMs(s);
            s.virtualTime = true;
        }
    }
    s.wake.notify_all();
}

void Advance(int ms) {
    if (ms < 0) {
        return;
    }
    State& s = TheState();
    std::unique_lock<std::mutex> lock = Acquire(s);
    if (s.virtualTime) {
        s.virtualNow += ms;
        if (s.connected) {
            RunBus(s, s.virtualNow);
        }
        s.wake.notify_all();
    } else {
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        lock.lock();
    }
    // On the bench thread itself (Advance from inside the callback) nothing could settle.
    if (!OnBenchThread()) {
        s.settled.wait_for(lock, kSettleLimit, [&] { return Settled(s); });
    }
}

bool WaitIdle(int timeoutMs) {
    State& s = TheState();
    std::unique_lock<std::mutex> lock = Acquire(s);
    return s.settled.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return !s.inCallback && s.queue.Waiting() == 0; });
}

void InjectPdo(const CAN_PDO& pdo) {
    State& s = TheState();
    {
        std::unique_lock<std::mutex> lock = Acquire(s);
        if (!s.connected || s.bus->Lost()) {
            return;
        }
        s.Send(pdo);
    }
    s.wake.notify_one();
}

std::vector<CAN_PDO> Transmitted() {
    State& s = TheState();
    std::unique_lock<std::mutex> lock = Acquire(s);
    return s.transmitted.Copy();
}

std::vector<CAN_PDO> Registered() {
    State& s = TheState();
    std::unique_lock<std::mutex> lock = Acquire(s);
    return s.queue.Registrations();
}

std::vector<SdoAccess> SdoLog() {
    State& s = TheState();
    std::unique_lock<std::mutex> lock = Acquire(s);
    return s.sdoLog.Copy();
}

std::vector<std::pair<int, int>> NodeStateLog() {
    State& s = TheState();
    std::unique_lock<std::mutex> lock = Acquire(s);
    return s.nodeStates.Copy();
}

uint32_t ObjectValue(int index, int subIndex) {
    State& s = TheState();
    std::unique_lock<std::mutex> lock = Acquire(s);
    return s.bus->ObjectValue(index, subIndex);
}

bool WirelessPaired() {
    State& s = TheState();
    std::unique_lock<std::mutex> lock = Acquire(s);
    return s.bus->WirelessPaired();
}

bool AssociationWindowOpen() {
    State& s = TheState();
    std::unique_lock<std::mutex> lock = Acquire(s);
    return s.bus->AssociationWindowOpen();
}

uint64_t DeliveredCount() {
    State& s = TheState();
    std::unique_lock<std::mutex> lock = Acquire(s);
    return s.queue.Delivered();
}

uint64_t DroppedCount() {
    State& s = TheState();
    std::unique_lock<std::mutex> lock = Acquire(s);
    return s.queue.Dropped();
}

int ConnectCount() {
    State& s = TheState();
    std::unique_lock<std::mutex> lock = Acquire(s);
    return s.connects;
}

int DisconnectCalls() {
    return TheState().disconnectCalls.load();
}

int DisconnectCount() {
    State& s = TheState();
    std::unique_lock<std::mutex> lock = Acquire(s);
    return s.disconnects;
}

}  // namespace bench

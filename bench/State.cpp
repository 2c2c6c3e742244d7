#include "bench/State.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace bench {
namespace {

thread_local bool t_onBenchThread = false;

Scenario InitialScenario() {
    std::string message;
    Scenario scenario = StartupScenario(std::getenv("TOLVIK_BENCH_SCENARIO"), &message);
    if (!message.empty()) {
        std::fprintf(stderr, "tolvik bench: %s\n", message.c_str());
    }
    return scenario;
}

// Hands the waiting PDOs to the tool. The lock is released for the call: the callback fetches
// through CAN_GetPDO and may wait briefly on locks of its own.
void Deliver(State& s, std::unique_lock<std::mutex>& lock) {
    const CAN_PdoEventProc callback = s.onPdo;
    const int count = static_cast<int>(std::min<size_t>(s.queue.Waiting(), INT_MAX));
    const uint64_t queuedBefore = s.queue.Queued();
    const uint64_t deliveredBefore = s.queue.Delivered();
    s.inCallback = true;
    lock.unlock();
    callback(count);
    lock.lock();
    s.inCallback = false;
    s.stalled = s.queue.Delivered() == deliveredBefore && s.queue.Queued() == queuedBefore;
    s.settled.notify_all();
}

void BenchThread(State* s) {
    t_onBenchThread = true;
    std::unique_lock<std::mutex> lock(s->mutex);
    while (!s->stop) {
        if (!s->virtualTime) {
            RunBus(*s, NowMs(*s));
        }
        if (s->onPdo && s->queue.Waiting() > 0 && !s->stalled) {
            Deliver(*s, lock);
            continue;
        }
        s->settled.notify_all();
        const std::optional<int64_t> due = s->virtualTime ? std::nullopt : s->bus->NextDue();
        if (due) {
            s->wake.wait_until(lock, s->epoch + std::chrono::milliseconds(*due));
        } else {
            s->wake.wait(lock);
        }
    }
}

}  // namespace

State::~State() {
    std::lock_guard<std::mutex> life(lifecycle);
    EndConnection(*this);
}

void State::Send(const CAN_PDO& pdo) {
    queue.Receive(pdo);
    stalled = false;
}

State& TheState() {
    static State state;
    return state;
}

std::unique_lock<std::mutex> Acquire(State& s) {
    std::unique_lock<std::mutex> lock(s.mutex);
    if (!s.loaded) {
        Reset(s, InitialScenario());
    }
    return lock;
}

bool OnBenchThread() {
    return t_onBenchThread;
}

int64_t NowMs(const State& s) {
    if (s.virtualTime) {
        return s.virtualNow;
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - s.epoch)
        .count();
}

void RunBus(State& s, int64_t nowMs) {
    s.bus->RunUntil(nowMs);
    if (s.bus->Lost()) {
        s.bridges[s.bridge].reachable = false;
    }
}

void StartThread(State& s) {
    s.stop = false;
    s.stalled = false;
    s.thread = std::thread(BenchThread, &s);
}

bool EndConnection(State& s) {
    bool wasConnected = false;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        wasConnected = s.connected;
        s.connected = false;
        s.onPdo = nullptr;
        s.queue.Reset();
        s.stop = true;
    }
    s.wake.notify_all();
    if (s.thread.joinable()) {
        s.thread.join();
    }
    s.settled.notify_all();
    return wasConnected;
}

void Reset(State& s, const Scenario& scenario) {
    s.loaded = true;
    s.scenario = scenario;
    s.bridges = scenario.bridges;
    s.bus = std::make_unique<Bus>(scenario, s);
    s.queue = PdoQueue();
    s.connected = false;
    s.onPdo = nullptr;
    s.stop = false;
    s.inCallback = false;
    s.stalled = false;
    s.virtualTime = false;
    s.virtualNow = 0;
    s.epoch = std::chrono::steady_clock::now();
    s.transmitted = {};
    s.sdoLog = {};
    s.nodeStates = {};
    s.connects = 0;
    s.disconnects = 0;
    s.disconnectCalls = 0;
}

}  // namespace bench

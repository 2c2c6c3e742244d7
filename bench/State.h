// The one bench of the process: its scenario, bus, receive buffer and records behind one lock,
// and the bench thread that runs the bus in real time and calls OnPdoEvent.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "bench/Bench.h"
#include "bench/BoundedLog.h"
#include "bench/Bus.h"
#include "bench/PdoQueue.h"

namespace bench {

struct State : FrameSink {
    // Serialises connect, disconnect and load, which start and join the bench thread. The bench
    // thread never takes it, so a join under it cannot deadlock.
    std::mutex lifecycle;
    std::thread thread;

    std::mutex mutex;                 // guards everything below; never held while calling back
    std::condition_variable wake;     // the bench thread: PDOs waiting, schedule changed, stop
    std::condition_variable settled;  // delivery went idle (Advance, WaitIdle)

    bool loaded = false;
    Scenario scenario;
    std::vector<BridgeSpec> bridges;  // reachability changes when a bridge is lost
    std::unique_ptr<Bus> bus;
    PdoQueue queue;

    bool connected = false;
    size_t bridge = 0;  // the connected one
    CAN_PdoEventProc onPdo = nullptr;
    bool stop = false;
    bool inCallback = false;
    // The last callback took nothing and nothing arrived since: calling it again would only spin.
    bool stalled = false;

    bool virtualTime = false;
    int64_t virtualNow = 0;
    std::chrono::steady_clock::time_point epoch = std::chrono::steady_clock::now();

    BoundedLog<CAN_PDO> transmitted;
    BoundedLog<SdoAccess> sdoLog;
    BoundedLog<std::pair<int, int>> nodeStates;
    int connects = 0;
    int disconnects = 0;
    std::atomic<int> disconnectCalls{0};  // every call, accepted or not

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State();  // joins the bench thread at process exit

    void Send(const CAN_PDO& pdo) override;
};

State& TheState();

// Locks the bench; the first use in the process loads TOLVIK_BENCH_SCENARIO or the default.
std::unique_lock<std::mutex> Acquire(State& s);
bool OnBenchThread();
int64_t NowMs(const State& s);

// With the lock held: runs the bus up to `nowMs` and notes a bridge that dropped off.
void RunBus(State& s, int64_t nowMs);
// With the lock and the lifecycle held: starts the bench thread for a new connection.
void StartThread(State& s);
// With only the lifecycle held: ends the connection, if any, and joins the bench thread. After
// it returns no callback runs. False when nothing was connected.
bool EndConnection(State& s);
// With the lock and the lifecycle held, the bench thread joined.
void Reset(State& s, const Scenario& scenario);

}  // namespace bench

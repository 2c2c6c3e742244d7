// How many PDOs per second the bench hands to a consumer that does nothing: frames go in with
// InjectPdo, come out through OnPdoEvent and CAN_GetPDO on the bench thread. The peer is the
// plainest thread handoff there is (a locked queue and a condition variable), measured the same
// way; a saturated 1 Mbit/s bus carries about 18,000 one-byte frames per second.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "bench/Bench.h"

namespace {

constexpr double kSaturatedBusFramesPerSecond = 18000;
constexpr int kBufferSize = 5000;

void TakeAll(int count) {
    CAN_PDO pdo;
    for (int i = 0; i < count; ++i) {
        bench::CAN_GetPDO(&pdo);
    }
}

void NoSecondary(int, int) {}

CAN_PDO KeyFrame() {
    CAN_PDO pdo{};
    pdo.cobId = 0x1C8;
    pdo.length = 1;
    return pdo;
}

void Report(benchmark::State& state, int64_t frames) {
    state.SetItemsProcessed(frames);
    // A rate counter: the figure shown, "N/s", reads as N times a saturated bus.
    state.counters["saturated_buses"] = benchmark::Counter(
        static_cast<double>(frames) / kSaturatedBusFramesPerSecond, benchmark::Counter::kIsRate);
}

void BM_BenchDelivery(benchmark::State& state) {
    const int batch = static_cast<int>(state.range(0));
    bench::Load(bench::DefaultScenario());
    const uint8_t ip[4] = {192, 168, 100, 2};
    uint32_t address = 0;
    std::memcpy(&address, ip, sizeof address);
    if (bench::CAN_Connect(address) == CAN_CONNECT_FAILED ||
        bench::CAN_SetPDOBufferSize(kBufferSize) != CAN_OK ||
        bench::CAN_RegisterEvents(TakeAll, NoSecondary) != CAN_OK ||
        bench::CAN_RegisterPDO(KeyFrame()) != CAN_OK) {
        state.SkipWithError("the bench did not come up");
        return;
    }
    const CAN_PDO frame = KeyFrame();
    for (auto _ : state) {
        for (int i = 0; i < batch; ++i) {
            bench::InjectPdo(frame);
        }
        bench::WaitIdle(10000);
    }
    if (bench::DroppedCount() != 0) {
        state.SkipWithError("frames were dropped: the figure would flatter the bench");
    }
    bench::CAN_Disconnect();
    Report(state, state.iterations() * batch);
}
BENCHMARK(BM_BenchDelivery)->Arg(1)->Arg(100)->Arg(1000)->UseRealTime();

// The peer: one producer, one consumer thread, a mutex-guarded deque, the same batches.
void BM_PlainHandoff(benchmark::State& state) {
    const int batch = static_cast<int>(state.range(0));
    std::mutex mutex;
    std::condition_variable arrived;
    std::condition_variable drained;
    std::deque<CAN_PDO> queue;
    bool stop = false;
    std::thread consumer([&] {
        std::unique_lock<std::mutex> lock(mutex);
        while (!stop) {
            while (!queue.empty()) {
                CAN_PDO pdo = queue.front();
                queue.pop_front();
                benchmark::DoNotOptimize(pdo);
            }
            drained.notify_one();
            arrived.wait(lock);
        }
    });
    const CAN_PDO frame = KeyFrame();
    for (auto _ : state) {
        for (int i = 0; i < batch; ++i) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                queue.push_back(frame);
            }
            arrived.notify_one();
        }
        std::unique_lock<std::mutex> lock(mutex);
        drained.wait(lock, [&] { return queue.empty(); });
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        stop = true;
    }
    arrived.notify_one();
    consumer.join();
    Report(state, state.iterations() * batch);
}
BENCHMARK(BM_PlainHandoff)->Arg(1)->Arg(100)->Arg(1000)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

// The adapter library on the slcan pty and the peer, beside the simulated bench in the same run:
// SDO read round trip (p50, p99), node scan time, and PDO intake from a saturated 1 Mbit/s bus
// (about 8,000 eight-byte frames a second) with drops and CPU cost per frame. The peer processes
// (adapter script, Node devices) are not counted in the CPU figures: on a real bus they are the
// adapter and the remotes. Prints one table; exit status 1 when a PDO was dropped.
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench/Bench.h"
#include "canlink/QuarnCANopen.h"
#include "platform/SharedLibrary.h"
#include "tests/peer/PeerProcess.h"

namespace {

using Clock = std::chrono::steady_clock;

// The twelve operations of one bridge library, however reached.
struct Operations {
    PFN_CAN_EnumerateBridges EnumerateBridges;
    PFN_CAN_Connect Connect;
    PFN_CAN_Disconnect Disconnect;
    PFN_CAN_EnumerateNodes EnumerateNodes;
    PFN_CAN_SetPDOBufferSize SetPDOBufferSize;
    PFN_CAN_RegisterEvents RegisterEvents;
    PFN_CAN_RegisterPDO RegisterPDO;
    PFN_CAN_GetPDO GetPDO;
    PFN_CAN_SDORead SDORead;
};

bool LoadAdapterLibrary(Operations* ops) {
    std::string error;
    // Kept loaded for the rest of the run, as the program keeps its bridge library.
    static platform::SharedLibrary library = platform::OpenSharedLibrary(TOLVIK_CAN_LIBRARY, &error);
    if (!library) {
        fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    const auto bind = [&](auto* entry, const char* name) {
        *entry =
            reinterpret_cast<std::remove_pointer_t<decltype(entry)>>(platform::FindSymbol(library, name));
        return *entry != nullptr;
    };
    return bind(&ops->EnumerateBridges, "CAN_EnumerateBridges") && bind(&ops->Connect, "CAN_Connect") &&
           bind(&ops->Disconnect, "CAN_Disconnect") && bind(&ops->EnumerateNodes, "CAN_EnumerateNodes") &&
           bind(&ops->SetPDOBufferSize, "CAN_SetPDOBufferSize") &&
           bind(&ops->RegisterEvents, "CAN_RegisterEvents") && bind(&ops->RegisterPDO, "CAN_RegisterPDO") &&
           bind(&ops->GetPDO, "CAN_GetPDO") && bind(&ops->SDORead, "CAN_SDORead");
}

Operations BenchOperations() {
    return {bench::CAN_EnumerateBridges, bench::CAN_Connect,          bench::CAN_Disconnect,
            bench::CAN_EnumerateNodes,   bench::CAN_SetPDOBufferSize, bench::CAN_RegisterEvents,
            bench::CAN_RegisterPDO,      bench::CAN_GetPDO,           bench::CAN_SDORead};
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The one library whose callback is running; the callback takes everything waiting.
const Operations* g_active = nullptr;
std::atomic<uint64_t> g_taken{0};

void CAN_CALLCONV TakeAll(int count) {
    CAN_PDO pdo;
    for (int i = 0; i < count; ++i) {
        if (g_active->GetPDO(&pdo) == 1) {
            g_taken.fetch_add(1, std::memory_order_relaxed);
        }
    }
}
void CAN_CALLCONV NoSecondary(int, int) {}

bool ConnectFirst(const Operations& ops) {
    CAN_BRIDGE_INFO bridges[127] = {};
    if (ops.EnumerateBridges(bridges, 127) < 1) {
        return false;
    }
    uint32_t address;
    memcpy(&address, bridges[0].ipAddress, sizeof address);
    if (ops.Connect(address) == -1 || ops.SetPDOBufferSize(5000) != 1 ||
        ops.RegisterEvents(TakeAll, NoSecondary) != 1) {
        return false;
    }
    for (uint32_t cobId : {0x1C8u, 0x1C9u, 0x3C8u, 0x2C9u}) {
        CAN_PDO pdo = {};
        pdo.cobId = cobId;
        ops.RegisterPDO(pdo);
    }
    return true;
}

struct Figures {
    double sdoP50us = 0, sdoP99us = 0;
    double scanMs = 0;
    uint64_t offered = 0, taken = 0;
    double cpuPerFrameUs = 0;
};

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

void MeasureSdo(const Operations& ops, int reads, Figures* figures) {
    std::vector<double> us;
    for (int i = 0; i < reads; ++i) {
        uint8_t buffer[4];
        int value = 0;
        const auto start = Clock::now();
        if (ops.SDORead(72, 0x1018, 3, buffer, 4, &value) != 1) {
            fprintf(stderr, "SDO read %d failed\n", i);
            continue;
        }
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    if (!us.empty()) {
        figures->sdoP50us = Percentile(us, 0.50);
        figures->sdoP99us = Percentile(us, 0.99);
    }
}

void MeasureScan(const Operations& ops, int scans, Figures* figures) {
    double totalMs = 0;
    for (int i = 0; i < scans; ++i) {
        uint8_t nodes[CAN_NODE_TABLE_SIZE] = {};
        const auto start = Clock::now();
        ops.EnumerateNodes(nodes);
        totalMs += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (nodes[72] != CAN_NODE_PRESENT) {
            fprintf(stderr, "scan %d missed the base remote\n", i);
        }
    }
    figures->scanMs = totalMs / scans;
}

// Offers `frames` eight-byte signal-strength PDOs through `offer` and waits until all are taken
// or a second has passed without progress.
template <typename Offer>
void MeasureIntake(uint64_t frames, Offer offer, Figures* figures) {
    g_taken = 0;
    const double cpuBefore = CpuSeconds();
    offer();
    uint64_t last = 0;
    auto lastProgress = Clock::now();
    while (g_taken.load() < frames && Clock::now() - lastProgress < std::chrono::seconds(1)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (g_taken.load() != last) {
            last = g_taken.load();
            lastProgress = Clock::now();
        }
    }
    figures->offered = frames;
    figures->taken = g_taken.load();
    figures->cpuPerFrameUs = (CpuSeconds() - cpuBefore) * 1e6 / static_cast<double>(frames);
}

}  // namespace

int main(int argc, char** argv) {
    const int reads = argc > 1 ? atoi(argv[1]) : 1000;
    const int scans = 10;
    const uint64_t floodFrames = 24000;  // three seconds of a saturated bus
    const double busRate = 8000;

    Operations adapter{};
    if (!LoadAdapterLibrary(&adapter)) {
        return 2;
    }
    PeerProcess peer;
    if (!peer.Started()) {
        fprintf(stderr, "the peer did not start (scripts/peer-setup.sh installs its packages)\n");
        return 2;
    }
    setenv("TOLVIK_CAN_ADAPTER", peer.AdapterName().c_str(), 1);
    g_active = &adapter;
    if (!ConnectFirst(adapter)) {
        fprintf(stderr, "the adapter library did not come up on %s\n", peer.Pty().c_str());
        return 2;
    }
    Figures pty;
    MeasureSdo(adapter, reads, &pty);
    MeasureScan(adapter, scans, &pty);
    char flood[64];
    snprintf(flood, sizeof flood, "flood 3c8 %llu %.0f", static_cast<unsigned long long>(floodFrames),
             busRate);
    MeasureIntake(
        floodFrames, [&] { peer.Command(flood); }, &pty);
    adapter.Disconnect();

    const Operations benchOps = BenchOperations();
    bench::Load(bench::DefaultScenario());
    g_active = &benchOps;
    Figures sim;
    if (!ConnectFirst(benchOps)) {
        fprintf(stderr, "the bench did not come up\n");
        return 2;
    }
    MeasureSdo(benchOps, reads, &sim);
    MeasureScan(benchOps, scans, &sim);
    MeasureIntake(
        floodFrames,
        [&] {
            // The same pace as the bus: one millisecond's frames at a time.
            CAN_PDO pdo = {};
            pdo.cobId = 0x3C8;
            pdo.length = 8;
            const auto start = Clock::now();
            for (uint64_t sent = 0; sent < floodFrames;) {
                const auto due = static_cast<uint64_t>(
                                     std::chrono::duration<double>(Clock::now() - start).count() * busRate) +
                                 1;
                for (; sent < std::min(due, floodFrames); ++sent) {
                    pdo.data[0] = static_cast<uint8_t>(sent);
                    bench::InjectPdo(pdo);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        },
        &sim);
    benchOps.Disconnect();

    printf("%-34s %14s %14s %10s\n", "figure", "tolvikcan+pty", "bench", "ratio");
    const auto row = [](const char* name, double a, double b) {
        printf("%-34s %14.1f %14.1f %10.3g\n", name, a, b, b > 0 ? a / b : 0.0);
    };
    row("SDO read round trip p50 (us)", pty.sdoP50us, sim.sdoP50us);
    row("SDO read round trip p99 (us)", pty.sdoP99us, sim.sdoP99us);
    row("node scan (ms)", pty.scanMs, sim.scanMs);
    row("PDO intake CPU per frame (us)", pty.cpuPerFrameUs, sim.cpuPerFrameUs);
    printf("%-34s %14llu %14llu\n", "PDOs offered at 8,000/s", static_cast<unsigned long long>(pty.offered),
           static_cast<unsigned long long>(sim.offered));
    printf("%-34s %14llu %14llu\n", "PDOs dropped", static_cast<unsigned long long>(pty.offered - pty.taken),
           static_cast<unsigned long long>(sim.offered - sim.taken));
    return pty.taken == pty.offered && sim.taken == sim.offered ? 0 : 1;
}

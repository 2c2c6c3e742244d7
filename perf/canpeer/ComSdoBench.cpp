// The adapter library's SDO read round trip through a Windows COM port (under Wine, COM5 linked to
// the peer's pty by tests/peer/wine-peer.sh): the counterpart of can_peer_bench's POSIX figure,
// which perf/canpeer/com-vs-pty.sh measures in the same run. Prints "p50 <us>" and "p99 <us>".
//   can_com_bench [reads]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "canlink/BridgeLibrary.h"

using canlink::Bridge;
using canlink::LoadBridgeLibrary;

namespace {

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
    const int reads = argc > 1 ? std::atoi(argv[1]) : 1000;
    std::string error;
    if (!LoadBridgeLibrary("tolvikcan.dll", &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    CAN_BRIDGE_INFO bridges[127] = {};
    if (Bridge().CAN_EnumerateBridges(bridges, 127) < 1) {
        std::fprintf(stderr, "no adapter: TOLVIK_CAN_ADAPTER names none that is present\n");
        return 2;
    }
    uint32_t address;
    std::memcpy(&address, bridges[0].ipAddress, sizeof address);
    if (Bridge().CAN_Connect(address) == -1) {
        std::fprintf(stderr, "the adapter library did not come up\n");
        return 2;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> us;
    for (int i = 0; i < reads; ++i) {
        uint8_t revision[4];
        int size = 0;
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        const int result = Bridge().CAN_SDORead(72, 0x1018, 3, revision, sizeof revision, &size);
        QueryPerformanceCounter(&end);
        if (result != 1) {
            std::fprintf(stderr, "SDO read %d failed\n", i);
            continue;
        }
        us.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                     static_cast<double>(frequency.QuadPart));
    }
    Bridge().CAN_Disconnect();
    if (us.empty()) {
        return 1;
    }
    std::printf("p50 %.1f\np99 %.1f\n", Percentile(us, 0.50), Percentile(us, 0.99));
    return 0;
}

// The bench's scenario parser on any text: an error names a line that exists, in the form
// "line N: ...", and leaves the scenario it was given untouched; success never fails to say so.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "bench/Bench.h"

namespace {

bool Same(const bench::Scenario& a, const bench::Scenario& b) {
    auto timeline = [](const bench::Scenario& s) {
        std::string text;
        for (const bench::TimelineEvent& e : s.timeline) {
            text += std::to_string(e.atMs) + ":" + std::to_string(static_cast<int>(e.kind)) + ":" +
                    std::to_string(e.wireless) + ":" + std::to_string(e.code) + ";";
        }
        return text;
    };
    auto bridges = [](const bench::Scenario& s) {
        std::string text;
        for (const bench::BridgeSpec& b : s.bridges) {
            text += std::string(b.ip.begin(), b.ip.end()) + std::string(b.mac.begin(), b.mac.end()) +
                    std::to_string(b.reachable) + std::to_string(b.connectionLimit) + ":" +
                    std::to_string(b.connectionsInUse) + ";";
        }
        return text;
    };
    const bench::Faults& f = a.faults;
    const bench::Faults& g = b.faults;
    return bridges(a) == bridges(b) && a.nodes == b.nodes && a.baseRemotePresent == b.baseRemotePresent &&
           a.revision == b.revision && a.versionText == b.versionText && a.tpdo3CobId == b.tpdo3CobId &&
           a.tpdo3Mapped == b.tpdo3Mapped && a.associationControl == b.associationControl &&
           a.wirelessPaired == b.wirelessPaired && a.wirelessBatteryLow == b.wirelessBatteryLow &&
           a.signalLevel == b.signalLevel && a.signalVariation == b.signalVariation &&
           a.signalPeriodMs == b.signalPeriodMs && a.pairDelayMs == b.pairDelayMs &&
           a.insertBatteriesWhenWindowOpens == b.insertBatteriesWhenWindowOpens &&
           a.echoTransmitted == b.echoTransmitted && f.scanError == g.scanError &&
           f.connectRefused == g.connectRefused && f.enumerateNodesFails == g.enumerateNodesFails &&
           f.bufferSizeRefused == g.bufferSizeRefused && f.registerEventsRefused == g.registerEventsRefused &&
           f.transmitRefused == g.transmitRefused && f.sdoReadFails == g.sdoReadFails &&
           f.sdoWriteFails == g.sdoWriteFails && timeline(a) == timeline(b) &&
           a.flood.perSecond == b.flood.perSecond && a.flood.durationMs == b.flood.durationMs &&
           a.flood.mix == b.flood.mix;
}

// Lines as the parser counts them: one more than the line feeds.
size_t LineCount(const std::string& text) {
    size_t count = 1;
    for (char c : text) {
        count += c == '\n';
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    bench::Scenario start = bench::DefaultScenario();
    start.revision = 0x12345678;
    start.timeline.push_back({7, bench::EventKind::Signal, false, 9});
    bench::Scenario scenario = start;
    std::string error;
    if (bench::ParseScenario(text, &scenario, &error)) {
        return 0;
    }
    if (!Same(scenario, start)) {
        std::abort();  // half used
    }
    if (error.rfind("line ", 0) != 0) {
        std::abort();
    }
    char* end = nullptr;
    const unsigned long line = std::strtoul(error.c_str() + 5, &end, 10);
    if (end == error.c_str() + 5 || std::string(end).rfind(": ", 0) != 0 || line < 1 ||
        line > LineCount(text)) {
        std::abort();
    }
    return 0;
}

#include "bench/Bench.h"
#include "platform/File.h"

namespace bench {
namespace {

// Larger than any sensible scenario (a written one is a few kilobytes, and a flood is one line);
// keeps a wrong path (a disk image, a log, a device) out of memory.
constexpr std::uint64_t kMaxFileBytes = 1 << 20;

// Opened once, without blocking, and judged on the open file: a FIFO swapped in at any moment
// never blocks the open and a device never ends the read. The bytes are counted as they arrive,
// as a file may grow after it was opened. Empty when the text was read, else why not.
std::string ReadScenarioText(const std::string& path, std::string* text) {
    platform::FileCheck check;
    const platform::File file = platform::OpenForReading(path.c_str(), kMaxFileBytes, &check);
    if (!file) {
        return check.reason;
    }
    const platform::ReadResult read = platform::ReadWhole(file.get(), kMaxFileBytes, text);
    return read == platform::ReadResult::Ok ? std::string() : platform::ReadFailure(read, kMaxFileBytes);
}

}  // namespace

Scenario DefaultScenario() {
    Scenario scenario;
    BridgeSpec bridge;
    bridge.ip = {192, 168, 100, 2};  // the bridge's factory address, the tool's default
    bridge.mac = {0x00, 0x50, 0xC2, 0x12, 0x34, 0x56};
    scenario.bridges.push_back(bridge);
    const std::string version = "3817-5526-02 V4.0";
    scenario.versionText.assign(version.begin(), version.end());
    scenario.revision = 0x00040000;
    scenario.tpdo3CobId = 0x800003C8;
    scenario.tpdo3Mapped = 0;
    scenario.signalLevel = 180;
    scenario.signalVariation = 3;
    scenario.pairDelayMs = 3000;
    scenario.insertBatteriesWhenWindowOpens = true;
    return scenario;
}

bool LoadScenarioFile(const std::string& path, Scenario* scenario, std::string* error) {
    std::string text;
    const std::string refusal = ReadScenarioText(path, &text);
    if (!refusal.empty()) {
        if (error) {
            *error = refusal;
        }
        return false;
    }
    return ParseScenario(text, scenario, error);
}

// A bad file falls back to an empty network rather than to the default scenario: the tool then
// stops at its first step with "No bridges found on the local network" instead of running a
// scenario the technician did not ask for.
Scenario StartupScenario(const char* path, std::string* message) {
    if (!path || !*path) {
        return DefaultScenario();
    }
    Scenario scenario;
    std::string error;
    if (!LoadScenarioFile(path, &scenario, &error)) {
        if (message) {
            *message = std::string("scenario file ") + path + " not used: " + error +
                       "; running with no bridges on the network";
        }
        scenario = DefaultScenario();
        scenario.bridges.clear();
    }
    return scenario;
}

}  // namespace bench

#include <fstream>
#include <sstream>

#include "bench/Bench.h"

namespace bench {
namespace {

// Larger than any sensible scenario; keeps a wrong path (a disk image, a log) out of memory.
constexpr std::streamoff kMaxFileBytes = 1 << 20;

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
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        if (error) {
            *error = "cannot be opened";
        }
        return false;
    }
    const std::streamoff size = file.tellg();
    if (size < 0 || size > kMaxFileBytes) {
        if (error) {
            *error = "is larger than 1 MiB";
        }
        return false;
    }
    file.seekg(0);
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) {
        if (error) {
            *error = "cannot be read";
        }
        return false;
    }
    return ParseScenario(text.str(), scenario, error);
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

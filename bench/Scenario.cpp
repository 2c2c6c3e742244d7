#include <filesystem>
#include <fstream>
#include <system_error>

#include "bench/Bench.h"

namespace bench {
namespace {

// Larger than any sensible scenario (a written one is a few kilobytes, and a flood is one line);
// keeps a wrong path (a disk image, a log, a device) out of memory.
constexpr std::streamsize kMaxFileBytes = 1 << 20;

// Only a regular file is opened: a FIFO would block the open and a device never end the read.
// The bytes are counted as they arrive, as a file may grow after it was looked at. Empty when the
// text was read, else why not.
std::string ReadScenarioText(const std::string& path, std::string* text) {
    std::error_code failure;
    const std::filesystem::file_status status = std::filesystem::status(path, failure);
    switch (status.type()) {
        case std::filesystem::file_type::regular:
            break;
        case std::filesystem::file_type::not_found:
            return "does not exist";
        case std::filesystem::file_type::directory:
            return "is a directory";
        case std::filesystem::file_type::fifo:
            return "is a FIFO, not a regular file";
        case std::filesystem::file_type::character:
        case std::filesystem::file_type::block:
            return "is a device, not a regular file";
        case std::filesystem::file_type::none:
        case std::filesystem::file_type::unknown:
            return "cannot be read";
        default:
            return "is not a regular file";
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return "cannot be opened";
    }
    char chunk[4096];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
        if (static_cast<std::streamsize>(text->size()) + file.gcount() > kMaxFileBytes) {
            text->clear();
            return "is larger than 1 MiB";
        }
        text->append(chunk, static_cast<size_t>(file.gcount()));
    }
    if (file.bad()) {
        text->clear();
        return "cannot be read";
    }
    return {};
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

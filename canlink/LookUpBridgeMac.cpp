#include "canlink/LookUpBridgeMac.h"

#include <string>

#include <fmt/format.h>

#include "canlink/CalFile.h"
#include "config/ReadBridgeMacFromConfig.h"
#include "platform/File.h"
#include "platform/HostName.h"
#include "platform/Registry.h"
#include "port/StatusSink.h"

using config::ReadBridgeMacFromConfig;
using port::StatusSink;

namespace canlink {

namespace {

// The Windows path limit: the size of every text read or built here.
constexpr int kTextSize = 260;
constexpr char kOlderInstallation[] = "SOFTWARE\\Quarn Corporation\\Install Data\\Vistrel";
constexpr char kNewerInstallation[] = "SOFTWARE\\Quarn Corporation\\Install Data\\JVR";

using Text = char[kTextSize];

bool ReadTargetDir(StatusSink& status, const platform::RegistryKey& key, Text& dir) {
    switch (key.ReadString("TargetDir", dir, kTextSize)) {
        case platform::RegistryRead::Ok:
            return true;
        case platform::RegistryRead::TooLong:
            status.AddStatusLine("TargetDir value is longer than 259 characters");
            return false;
        case platform::RegistryRead::Missing:
            break;
    }
    status.AddStatusLine("TargetDir key not found");
    return false;
}

// The older installation's route: exactly one status line, whatever happens.
bool LookUpInCalFile(StatusSink& status, const platform::RegistryKey& key, uint8_t mac[6]) {
    Text targetDir;
    if (!ReadTargetDir(status, key, targetDir)) {
        return false;
    }
    Text hostName;
    platform::GetHostName(hostName, kTextSize);
    const std::string path = fmt::format("{}\\cfg\\{}.1", targetDir, hostName);
    // The Windows path limit the host application keeps to: a longer path is refused, not cut.
    if (path.size() >= kTextSize) {
        status.AddStatusLine("CAL file path is longer than 259 characters");
        return false;
    }
    // Read without newline translation: a carriage return left at a line's end separates like
    // any other character that is neither letter nor digit.
    platform::FileCheck check;
    const platform::File file =
        platform::OpenForReading(platform::NativePath(path.c_str()).c_str(), kMaxCalFileBytes, &check);
    if (check.state == platform::FileState::Missing) {
        status.AddStatusLine("CAL file not found");
        return false;
    }
    if (!file) {
        status.AddStatusLine(("CAL file " + path + " " + check.reason).c_str());
        return false;
    }
    const CalMac found = ReadCalFileMac(file.get(), mac);
    switch (found) {
        case CalMac::Found:
            status.AddStatusLine("MAC found in CAL file");
            return true;
        case CalMac::Unreadable:
            status.AddStatusLine("MACADDRESS line in CAL file does not hold six hexadecimal values");
            return false;
        case CalMac::TooLarge:
        case CalMac::ReadFailed:
            status.AddStatusLine(
                ("CAL file " + std::string(path) + " " +
                 platform::ReadFailure(found == CalMac::TooLarge ? platform::ReadResult::TooLarge
                                                                 : platform::ReadResult::Failed,
                                       kMaxCalFileBytes))
                    .c_str());
            return false;
        case CalMac::NoToken:
            break;
    }
    status.AddStatusLine("MACADDRESS token in CAL file not found");
    return false;
}

// The newer edition's route, through its configuration files.
bool LookUpInConfiguration(StatusSink& status, const platform::Registry& registry, uint8_t mac[6]) {
    platform::RegistryKey key;
    if (!key.Open(registry, kNewerInstallation)) {
        status.AddStatusLine("Vistrel X key not found");
        return false;
    }
    Text targetDir;
    if (!ReadTargetDir(status, key, targetDir)) {
        return false;
    }
    // A missing value leaves the text empty. One too long for a path leads to no file at all.
    Text dataDir;
    if (key.ReadString("ProgramDataDir", dataDir, kTextSize) == platform::RegistryRead::TooLong) {
        status.AddStatusLine("ProgramDataDir value is longer than 259 characters");
    } else if (ReadBridgeMacFromConfig(status, targetDir, dataDir, mac) != 0) {
        return true;
    }
    status.AddStatusLine("MACADDRESS extraction error");
    return false;
}

}  // namespace

bool LookUpBridgeMac(StatusSink& status, uint8_t mac[6]) {
    // Read once for the whole lookup. An unusable export is no installation, as no export is; only
    // the line tells them apart.
    const platform::Registry registry;
    if (const std::string problem = registry.Problem(); !problem.empty()) {
        status.AddStatusLine(problem.c_str());
    }
    // The older installation decides the route: when it is there, only its CAL file counts.
    platform::RegistryKey older;
    if (older.Open(registry, kOlderInstallation)) {
        return LookUpInCalFile(status, older, mac);
    }
    status.AddStatusLine("Vistrel registry key not found. Check Vistrel X.");
    return LookUpInConfiguration(status, registry, mac);
}

}  // namespace canlink

#include "config/ReadBridgeMacFromConfig.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "config/HexNumber.h"
#include "config/Xml.h"
#include "platform/File.h"
#include "port/StatusSink.h"

using port::StatusSink;

namespace config {

namespace {

// The Windows path limit the installations keep to; also the size of a load's report.
constexpr int kPathSize = 260;
constexpr char kFirstTag[] = "XML";

using PathText = char[kPathSize];

// <dir><middle><name> into `path`. A path that does not fit is refused with a status line rather
// than cut into the name of some other file.
bool BuildPath(StatusSink& dlg, PathText& path, const char* dir, const char* middle, const char* name) {
    const std::string joined = std::string(dir) + middle + name;
    // What fits, terminated: the whole path, or for the line the first 259 characters.
    const size_t kept = std::min(joined.size(), static_cast<size_t>(kPathSize - 1));
    joined.copy(path, kept);
    path[kept] = '\0';
    if (joined.size() < kPathSize) {
        return true;
    }
    dlg.AddStatusLine(("Path " + std::string(path) + "... is longer than 259 characters.").c_str());
    return false;
}

void FileNotFound(StatusSink& dlg, const char* path) {
    dlg.AddStatusLine(("File " + std::string(path) + " is not found.").c_str());
}

// The document of an existing configuration file; the null handle, with the report or the missing
// file in the status log, when there is none. Warnings leave no line. The file is opened once and
// read within its limit: a folder, a FIFO or a device in its place, a file too large to be a
// configuration, or one that cannot be read or grows past the limit while read gets a line naming
// it and why.
XmlNode Load(StatusSink& dlg, const char* path) {
    platform::FileCheck check;
    const platform::File file =
        platform::OpenForReading(platform::NativePath(path).c_str(), XmlMaxFileBytes, &check);
    if (check.state == platform::FileState::Missing) {
        FileNotFound(dlg, path);
        return XmlNode();
    }
    std::string bytes;
    const platform::ReadResult read =
        file ? platform::ReadWhole(file.get(), XmlMaxFileBytes, &bytes) : platform::ReadResult::Failed;
    if (read != platform::ReadResult::Ok) {
        const std::string reason = file ? platform::ReadFailure(read, XmlMaxFileBytes) : check.reason;
        dlg.AddStatusLine(("File " + std::string(path) + " " + reason + ".").c_str());
        return XmlNode();
    }
    char report[kPathSize] = "";
    XmlNode document = LoadBytesWithReport(path, bytes, kFirstTag, report, kPathSize);
    if (document.IsNull()) {
        // A report that fills the buffer may have lost its end to the cut; say so.
        const bool full = std::strlen(report) == kPathSize - 1;
        dlg.AddStatusLine(full ? (std::string(report) + "...").c_str() : report);
    }
    return document;
}

// The six groups of "%hx-%hx-%hx-%hx-%hx-%hx", stopping at the first that does not fit.
void ReadMacText(const char* text, uint8_t mac[6]) {
    for (int k = 0; k < 6; ++k) {
        if (k > 0 && *text++ != '-') {
            return;
        }
        uint32_t value = 0;
        text = ScanHexNumber(text, &value);
        if (!text) {
            return;
        }
        mac[k] = static_cast<uint8_t>(value);
    }
}

// Path 2 from the main configuration file: the file its SystemInfoFileName entry names, or the
// default one when there is no entry.
bool FindSystemInfoFile(StatusSink& dlg, const char* installDir, const char* dataDir, PathText& path) {
    if (!BuildPath(dlg, path, installDir, "\\bin\\", "MainUI.exe.config")) {
        return false;
    }
    const XmlNode document = Load(dlg, path);
    if (document.IsNull()) {
        return false;
    }
    const XmlNode entry = document.FindChild("configuration")
                              .FindChild("appSettings")
                              .FindChildWithAttribute("add", "Key", "SystemInfoFileName");
    if (entry.IsNull()) {
        return BuildPath(dlg, path, dataDir, "\\cfg\\", "SystemInfo.config");
    }
    const char* name = entry.AttributeValueAt(1);
    if (!name || !*name) {
        // An entry without a file name names no file that could exist.
        if (BuildPath(dlg, path, dataDir, "\\cfg\\", "")) {
            FileNotFound(dlg, path);
        }
        return false;
    }
    return BuildPath(dlg, path, dataDir, "\\cfg\\", name);
}

// Path 3 from the system information file at `path`, which it replaces.
bool FindHardwareConfigFile(StatusSink& dlg, const char* dataDir, PathText& path) {
    const XmlNode document = Load(dlg, path);
    if (document.IsNull()) {
        return false;
    }
    const XmlNode hardware = document.FindChild("configuration")
                                 .FindChild("SystemInfo")
                                 .FindChild("HardwareGroup")
                                 .FindChild("Hardware");
    if (hardware.IsNull()) {
        dlg.AddStatusLine((std::string(path) + " is corrupt.").c_str());
        return false;
    }
    const char* name = hardware.AttributeValue("HardwareConfigFile");
    if (!name || !*name) {
        dlg.AddStatusLine(("ERROR: " + std::string(path) + " is missing HardwareConfigFile key.").c_str());
        return false;
    }
    return BuildPath(dlg, path, dataDir, "\\cfg\\", name);
}

}  // namespace

int ReadBridgeMacFromConfig(StatusSink& dlg, const char* installDir, const char* dataDir, uint8_t mac[6]) {
    PathText path;
    if (!FindSystemInfoFile(dlg, installDir, dataDir, path) || !FindHardwareConfigFile(dlg, dataDir, path)) {
        return 0;
    }
    const XmlNode document = Load(dlg, path);
    const char* text = document.FindChild("Settings")
                           .FindChildWithAttribute("Section", "Name", "Can")
                           .FindChildWithAttribute("Section", "Name", "Network")
                           .FindChildWithAttribute("Section", "Name", "QuarnCanBridge")
                           .FindChildWithAttribute("add", "Key", "Mac")
                           .AttributeValueAt(1);
    if (!text) {
        return 0;
    }
    ReadMacText(text, mac);
    return 1;
}

}  // namespace config

#include "remote/Firmware.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include <fmt/format.h>

#include "canlink/BridgeLibrary.h"
#include "canlink/LinkSession.h"
#include "canlink/RemoteProtocol.h"
#include "res/Resource.h"

using canlink::BridgeLibrary;
using canlink::kBaseRemoteNode;
using canlink::kIdentityObject;
using canlink::kRevisionSubIndex;
using canlink::kSoftwareVersionObject;
using canlink::kSoftwareVersionSubIndex;
using canlink::LinkSession;
using port::RemoteView;

namespace remote {

namespace {

constexpr int kVersionTextSize = 100;

// Firmware parts told apart by the tail of their part number in the version text; the later
// part is the one that supports wireless remotes whatever its revision.
constexpr int kPart01 = 1;
constexpr int kPart02 = 2;
constexpr int kFirstWirelessMajor = 4;

// The version text as the remote sent it: up to the first zero byte, and never beyond the
// buffer, since a text filling all of it carries no terminator. A failed read leaves no text.
std::string_view ReadVersionText(const BridgeLibrary& bridge, char (&buffer)[kVersionTextSize]) {
    std::memset(buffer, 0, sizeof buffer);
    int unused = 0;
    if (bridge.CAN_SDORead(kBaseRemoteNode, kSoftwareVersionObject, kSoftwareVersionSubIndex, buffer,
                           sizeof buffer, &unused) != CAN_OK) {
        return {};
    }
    return std::string_view(buffer, strnlen(buffer, sizeof buffer));
}

}  // namespace

void ReadFirmwareVersion(LinkSession& link, RemoteView& dlg) {
    int32_t revision = 0;
    int unused = 0;
    if (link.Library().CAN_SDORead(kBaseRemoteNode, kIdentityObject, kRevisionSubIndex, &revision,
                                   sizeof revision, &unused) != CAN_OK) {
        dlg.SetItemText(res::IDC_FIRMWARE, "Unknown");
        link.m_linkFailed = 1;
        return;
    }

    char buffer[kVersionTextSize];
    const std::string_view text = ReadVersionText(link.Library(), buffer);
    int part = 0;
    if (text.find("526-01") != std::string_view::npos) {
        dlg.AddStatusLine("Found 3817-5526-01 FW");
        part = kPart01;
    }
    if (text.find("526-02") != std::string_view::npos) {
        dlg.AddStatusLine("Found 3817-5526-02 FW");
        part = kPart02;
    }

    const int major = revision >> 16;  // with sign: an upper half of 0x8000 or more is negative
    const int minor = revision & 0xFFFF;
    const bool compatible = part == kPart02 || major >= kFirstWirelessMajor;
    const std::string line =
        fmt::format("V{}.{}, {}", major, minor, compatible ? "compatible" : "not compatible");

    dlg.EnableItem(res::IDC_ASSOCIATE, compatible);
    dlg.SetItemText(res::IDC_FIRMWARE, line.c_str());
    dlg.AddStatusLine(line.c_str());
}

}  // namespace remote

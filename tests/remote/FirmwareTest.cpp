#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "canlink/BridgeLibrary.h"
#include "remote/Firmware.h"
#include "res/Resource.h"
#include "tests/remote/BenchSession.h"

using canlink::Bridge;
using remote::ReadFirmwareVersion;

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

bench::Scenario Firmware(uint32_t revision, std::vector<uint8_t> versionText) {
    bench::Scenario scenario = bench::DefaultScenario();
    scenario.revision = revision;
    scenario.versionText = std::move(versionText);
    return scenario;
}

struct FirmwareCase {
    const char* name;
    uint32_t revision;
    std::vector<uint8_t> versionText;
    std::vector<std::string> events;
};

TEST(ReadFirmwareVersion, VerdictFromRevisionAndPartNumber) {
    const std::string fullText = std::string(94, 'x') + "526-02";  // 100 bytes, no zero byte
    const FirmwareCase cases[] = {
        {"major 4 decides alone",
         0x00040000,
         Bytes("3817-5526-00 V4"),
         {"enable:1016:1", "text:1022:V4.0, compatible", "line:V4.0, compatible"}},
        {"part 01 decides nothing",
         0x0003FFFF,
         Bytes("3817-5526-01"),
         {"line:Found 3817-5526-01 FW", "enable:1016:0", "text:1022:V3.65535, not compatible",
          "line:V3.65535, not compatible"}},
        {"part 02 is compatible at any revision",
         0x00030009,
         Bytes("3817-5526-02"),
         {"line:Found 3817-5526-02 FW", "enable:1016:1", "text:1022:V3.9, compatible",
          "line:V3.9, compatible"}},
        {"negative major",
         0xFFFF0001,
         Bytes("3817-5526-00"),
         {"enable:1016:0", "text:1022:V-1.1, not compatible", "line:V-1.1, not compatible"}},
        {"largest major",
         0x7FFF0000,
         Bytes("3817-5526-00"),
         {"enable:1016:1", "text:1022:V32767.0, compatible", "line:V32767.0, compatible"}},
        {"both tails, 01 first",
         0x00010000,
         Bytes("526-02 526-01"),
         {"line:Found 3817-5526-01 FW", "line:Found 3817-5526-02 FW", "enable:1016:1",
          "text:1022:V1.0, compatible", "line:V1.0, compatible"}},
        {"tail in the last bytes of an unterminated text",
         0x00030000,
         Bytes(fullText),
         {"line:Found 3817-5526-02 FW", "enable:1016:1", "text:1022:V3.0, compatible",
          "line:V3.0, compatible"}},
        {"the text ends at its zero byte",
         0x00030000,
         Bytes(std::string("V3", 3) + "526-02"),
         {"enable:1016:0", "text:1022:V3.0, not compatible", "line:V3.0, not compatible"}},
    };
    for (const FirmwareCase& c : cases) {
        SCOPED_TRACE(c.name);
        BenchSession session(Firmware(c.revision, c.versionText));
        ReadFirmwareVersion(session.port.link, session.port);
        EXPECT_EQ(session.port.Events(), c.events);
        EXPECT_EQ(session.port.link.m_linkFailed, 0);
    }
}

TEST(ReadFirmwareVersion, FailedRevisionReadLeavesUnknownAndTheLinkFailed) {
    bench::Scenario scenario = Firmware(0x00040000, Bytes("526-02"));
    scenario.faults.sdoReadFails = {0x1018u << 8 | 3};
    BenchSession session(scenario);
    ReadFirmwareVersion(session.port.link, session.port);
    EXPECT_EQ(session.port.Events(), (std::vector<std::string>{"text:1022:Unknown"}));
    EXPECT_EQ(session.port.link.m_linkFailed, 1);
    EXPECT_FALSE(session.port.Enabled(res::IDC_ASSOCIATE));
}

// A library that fills the buffer and then reports failure: what it left there is not a text.
int ScribbleAndFailVersionRead(int node, int index, int subIndex, void* buffer, int size, int* outValue) {
    if (index != 0x100A) {
        return bench::CAN_SDORead(node, index, subIndex, buffer, size, outValue);
    }
    std::memset(buffer, 0, static_cast<size_t>(size));
    std::memcpy(buffer, "526-02", 6);
    return 0;
}

TEST(ReadFirmwareVersion, FailedVersionTextReadFindsNoPart) {
    BenchSession session(Firmware(0x00030002, Bytes("526-02")));
    Bridge().CAN_SDORead = ScribbleAndFailVersionRead;
    ReadFirmwareVersion(session.port.link, session.port);
    EXPECT_EQ(session.port.Lines(), (std::vector<std::string>{"V3.2, not compatible"}));
    EXPECT_EQ(session.port.link.m_linkFailed, 0);
}

}  // namespace

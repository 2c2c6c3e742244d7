// The newer host edition's configuration chain, through real files: which file each step reads,
// the status line each failure leaves, and how the MAC text is read.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "config/ReadBridgeMacFromConfig.h"
#include "config/Xml.h"
#include "tests/support/LookupFiles.h"
#include "tests/support/RecordingPort.h"

using config::ErrorText;
using config::ReadBridgeMacFromConfig;

namespace {

using Mac = std::array<uint8_t, 6>;

const Mac kUntouched = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
const Mac kMac = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

// The three files; a null text leaves its file out.
struct Chain {
    const char* mainEntry = "";  // the element beside an unrelated one in appSettings
    const char* infoName = "SystemInfo.config";
    const char* hardware = "<Hardware HardwareConfigFile=\"Hw.config\"/>";
    const char* network =
        "<Section Name=\"QuarnCanBridge\"><add Key=\"Mac\" Value=\"00-1B-2C-3D-4E-5F\"/></Section>";
    const char* hardwareName = "Hw.config";
    bool hardwareDeclared = true;
};

class ConfigChain : public testing::Test {
protected:
    struct Outcome {
        int result;
        std::vector<std::string> lines;
        Mac mac;
    };

    Outcome Run(const Chain& chain) {
        if (chain.mainEntry) {
            folder.Write("install/bin/MainUI.exe.config",
                         kDeclaration + "<configuration>\n<appSettings>\n<add key=\"Other\" value=\"x\"/>" +
                             chain.mainEntry + "\n</appSettings>\n</configuration>\n");
        }
        if (chain.infoName) {
            folder.Write(std::string("data/cfg/") + chain.infoName,
                         kDeclaration + "<configuration><SystemInfo><HardwareGroup>" + chain.hardware +
                             "</HardwareGroup></SystemInfo></configuration>\n");
        }
        if (chain.network) {
            folder.Write(std::string("data/cfg/") + chain.hardwareName,
                         (chain.hardwareDeclared ? kDeclaration : "") +
                             "<Settings>\n<Section Name=\"Display\"/>\n<Section Name=\"Can\"><Section "
                             "Name=\"Serial\"/><Section Name=\"Network\">" +
                             chain.network + "</Section></Section>\n</Settings>\n");
        }
        RecordingPort port;
        Outcome outcome{0, {}, kUntouched};
        outcome.result =
            ReadBridgeMacFromConfig(port, Dir("install").c_str(), Dir("data").c_str(), outcome.mac.data());
        outcome.lines = port.Lines();
        return outcome;
    }
    std::string Dir(const char* name) const { return folder.Path() + "/" + name; }

    TempFolder folder;
};

struct Row {
    const char* name;
    Chain chain;
    int result;
    std::string line;  // the one status line, "" for none; "{data}" and "{install}" stand for the folders
    Mac mac;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

class ChainOutcome : public ConfigChain, public testing::WithParamInterface<Row> {};

TEST_P(ChainOutcome, ResultLineAndMac) {
    const Row& row = GetParam();
    const Outcome outcome = Run(row.chain);
    std::string line = row.line;
    for (const char* folderName : {"data", "install"}) {
        const std::string token = std::string("{") + folderName + "}";
        if (const size_t at = line.find(token); at != std::string::npos) {
            line.replace(at, token.size(), Dir(folderName));
        }
    }
    EXPECT_EQ(outcome.result, row.result);
    EXPECT_EQ(outcome.lines, line.empty() ? std::vector<std::string>{} : std::vector<std::string>{line});
    EXPECT_EQ(outcome.mac, row.mac);
}

const std::string kFirstTagReport =
    std::string(ErrorText(11)) + " at line 0, column 0. First Tag should be 'XML'.\n";
const std::string kMissingKey = "ERROR: {data}\\cfg\\SystemInfo.config is missing HardwareConfigFile key.";

INSTANTIATE_TEST_SUITE_P(
    Files, ChainOutcome,
    testing::Values(
        Row{"DefaultSystemInfoFile", {}, 1, "", kMac},
        Row{"LowerCaseKeyAndValue",
            {.mainEntry = "<add key=\"systeminfofilename\" value=\"Site.config\"/>",
             .infoName = "Site.config"},
            1,
            "",
            kMac},
        Row{"SecondAttributeWhateverItsName",
            {.mainEntry = "<add Key=\"SystemInfoFileName\" File=\"Site.config\"/>",
             .infoName = "Site.config"},
            1,
            "",
            kMac},
        Row{"ValueFirstGivesTheKeyAsName",
            {.mainEntry = "<add Value=\"Site.config\" Key=\"SystemInfoFileName\"/>",
             .infoName = "Site.config"},
            0,
            "File {data}\\cfg\\SystemInfoFileName is not found.",
            kUntouched},
        Row{"EntryWithoutFileName",
            {.mainEntry = "<add Key=\"SystemInfoFileName\"/>"},
            0,
            "File {data}\\cfg\\ is not found.",
            kUntouched},
        Row{"MainConfigMissing",
            {.mainEntry = nullptr},
            0,
            "File {install}\\bin\\MainUI.exe.config is not found.",
            kUntouched},
        Row{"SystemInfoMissing",
            {.infoName = nullptr},
            0,
            "File {data}\\cfg\\SystemInfo.config is not found.",
            kUntouched},
        Row{"NoHardwareElement",
            {.hardware = "<Hardwares/>"},
            0,
            "{data}\\cfg\\SystemInfo.config is corrupt.",
            kUntouched},
        Row{"HardwareConfigFileMissing", {.hardware = "<Hardware Name=\"x\"/>"}, 0, kMissingKey, kUntouched},
        Row{"HardwareConfigFileWithoutValue",
            {.hardware = "<Hardware HardwareConfigFile/>"},
            0,
            kMissingKey,
            kUntouched},
        Row{"HardwareConfigMissing",
            {.network = nullptr},
            0,
            "File {data}\\cfg\\Hw.config is not found.",
            kUntouched},
        Row{"HardwareConfigWithoutDeclaration",
            {.hardwareDeclared = false},
            0,
            "ERROR: XML parsing file '{data}\\cfg\\Hw.config'. " + kFirstTagReport,
            kUntouched},
        Row{"BridgeSectionAtTheWrongDepth",
            {.network =
                 "</Section><Section Name=\"QuarnCanBridge\"><add Key=\"Mac\" Value=\"00-1B-2C-3D-4E-5F\"/>"},
            0,
            "",
            kUntouched},
        Row{"MacEntryWithOneAttribute",
            {.network = "<Section Name=\"QuarnCanBridge\"><add Key=\"Mac\"/></Section>"},
            0,
            "",
            kUntouched}),
    [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// The MAC text as "%hx-%hx-%hx-%hx-%hx-%hx" reads it: the result is 1 once the text is there.
struct MacRow {
    std::string text;
    Mac mac;
};

void PrintTo(const MacRow& row, std::ostream* out) {
    *out << testing::PrintToString(row.text);
}

class MacText : public ConfigChain, public testing::WithParamInterface<MacRow> {};

TEST_P(MacText, ReadAsFarAsItFits) {
    const std::string network =
        "<Section Name=\"QuarnCanBridge\"><add Key=\"Mac\" Value=\"" + GetParam().text + "\"/></Section>";
    const Outcome outcome = Run({.network = network.c_str()});
    EXPECT_EQ(outcome.result, 1);
    EXPECT_TRUE(outcome.lines.empty());
    EXPECT_EQ(outcome.mac, GetParam().mac);
}

INSTANTIATE_TEST_SUITE_P(Forms, MacText,
                         testing::Values(MacRow{"00-1b-2C-3d-4E-5f-60", kMac},
                                         MacRow{"00:1B:2C:3D:4E:5F", {0x00, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}},
                                         MacRow{" 0x00- 0X1B-\t2C-3D-4E-5F", kMac},
                                         MacRow{"100-11B-FF2C-3D-4E-5F",
                                                kMac},  // the low 8 bits of each number
                                         MacRow{"00-1B--1-3D", {0x00, 0x1B, 0xFF, 0x3D, 0xAA, 0xAA}},
                                         MacRow{"00-1B -2C-3D-4E-5F", {0x00, 0x1B, 0xAA, 0xAA, 0xAA, 0xAA}},
                                         MacRow{"00-1B-0x-3D-4E-5F", {0x00, 0x1B, 0xAA, 0xAA, 0xAA, 0xAA}},
                                         MacRow{"", kUntouched}));

// Paths and reports longer than their 260-byte buffers: refused or cut, never overrun, and said so.
TEST_F(ConfigChain, OverlongPathIsRefused) {
    const std::string name(250, 'h');
    const std::string hardware = "<Hardware HardwareConfigFile=\"" + name + "\"/>";
    const Outcome outcome = Run({.hardware = hardware.c_str(), .network = nullptr});
    EXPECT_EQ(outcome.result, 0);
    const std::string cut = (Dir("data") + "\\cfg\\" + name).substr(0, 259);
    EXPECT_EQ(outcome.lines, std::vector<std::string>{"Path " + cut + "... is longer than 259 characters."});
}

TEST_F(ConfigChain, OverlongReportIsCutVisibly) {
    const std::string name(259 - (Dir("data") + "\\cfg\\").size(), 'h');  // the longest path that fits
    const std::string hardware = "<Hardware HardwareConfigFile=\"" + name + "\"/>";
    const Outcome outcome =
        Run({.hardware = hardware.c_str(), .hardwareName = name.c_str(), .hardwareDeclared = false});
    EXPECT_EQ(outcome.result, 0);
    const std::string report =
        "ERROR: XML parsing file '" + Dir("data") + "\\cfg\\" + name + "'. " + kFirstTagReport;
    EXPECT_EQ(outcome.lines, std::vector<std::string>{report.substr(0, 259) + "..."});
}

}  // namespace

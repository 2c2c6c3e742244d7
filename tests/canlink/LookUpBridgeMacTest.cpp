// The bridge address lookup through real installation files and the registry (a registry export
// where there is no Windows, the real registry on Windows): which route
// the installations decide, the status lines of each outcome, the CAL file's MACADDRESS line and,
// end to end, the bridge that the found address chooses on the bench.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "canlink/BridgeLibrary.h"
#include "canlink/CalFile.h"
#include "canlink/ConnectToBridge.h"
#include "canlink/LookUpBridgeMac.h"
#include "config/Xml.h"
#include "tests/support/BenchBinding.h"
#include "tests/support/LookupFiles.h"
#include "tests/support/RecordingPort.h"
#ifdef _WIN32
#include "tests/windows/RegistryKeys.h"
#else
#include "platform/LibrarySearch.h"
#include "platform/SharedLibrary.h"
#include "tests/support/SwapRace.h"

#endif

using canlink::CalMac;
using canlink::ConnectToBridge;
using canlink::kMaxCalFileBytes;
using canlink::LoadBridgeLibrary;
using canlink::LookUpBridgeMac;
using canlink::ReadCalFileMac;
using config::XmlMaxFileBytes;

namespace {

using Mac = std::array<uint8_t, 6>;
using Lines = std::vector<std::string>;

const char kOlderKey[] = "SOFTWARE\\Quarn Corporation\\Install Data\\Vistrel";
const char kNewerKey[] = "SOFTWARE\\Quarn Corporation\\Install Data\\JVR";
const char kNoOlder[] = "Vistrel registry key not found. Check Vistrel X.";
const char kCalFound[] = "MAC found in CAL file";
const char kNoToken[] = "MACADDRESS token in CAL file not found";
const char kUnreadable[] = "MACADDRESS line in CAL file does not hold six hexadecimal values";
const char kCal[] = "[Hardware]\nSERIAL=1234\nMACADDRESS = 00-11-22-33-44-55\n";
const Mac kUntouched = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
const Mac kCalMac = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
const Mac kConfigMac = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};

// In registry values and expected lines, "{dir}" stands for the installation's folder.
const ExportKey kOlder = {kOlderKey, {{"TargetDir", "{dir}\\vistrel"}}};
const ExportKey kNewer = {kNewerKey, {{"TargetDir", "{dir}\\jvr"}, {"ProgramDataDir", "{dir}\\data"}}};

std::string Expand(std::string text, const std::string& dir) {
    for (size_t at; (at = text.find("{dir}")) != std::string::npos;) {
        text.replace(at, 5, dir);
    }
    return text;
}

// The older application in vistrel/, the newer edition's program in jvr/ and its data in data/,
// known to the registry as each test chooses.
struct Installation {
    // `cal`: the CAL file's text; `configMac`: the MAC text of the newer edition's files (null: none).
    Installation(std::vector<ExportKey> keys, const char* cal, const char* configMac,
                 ExportForm form = ExportForm::Unicode) {
        for (ExportKey& key : keys) {
            for (auto& value : key.values) {
                value.second = Expand(value.second, folder.Path());
            }
        }
#ifdef _WIN32
        (void)form;
        registry.emplace(keys);
#else
        registry.emplace(folder.Write("hklm.reg", RegistryExport(form, keys)).c_str());
#endif
        if (cal) {
            folder.Write("vistrel/cfg/" + HostName() + ".1", cal);
        }
        if (configMac) {
            const std::string declaration = "<?xml version=\"1.0\"?>\n";
            folder.Write("jvr/bin/MainUI.exe.config",
                         declaration +
                             "<configuration><appSettings><add key=\"SystemInfoFileName\" "
                             "value=\"Site.config\"/></appSettings></configuration>");
            folder.Write("data/cfg/Site.config",
                         declaration +
                             "<configuration><SystemInfo><HardwareGroup><Hardware "
                             "HardwareConfigFile=\"Hw.config\"/></HardwareGroup></SystemInfo>"
                             "</configuration>");
            folder.Write("data/cfg/Hw.config",
                         declaration +
                             "<Settings><Section Name=\"Can\"><Section Name=\"Network\"><Section "
                             "Name=\"QuarnCanBridge\"><add Key=\"Mac\" Value=\"" +
                             configMac + "\"/></Section></Section></Section></Settings>");
        }
    }

    TempFolder folder;
#ifdef _WIN32
    std::optional<RegistryKeys> registry;
#else
    std::optional<ScopedRegistry> registry;
#endif
};

struct Found {
    bool found;
    Lines lines;
    Mac mac;
};

Found LookUp() {
    RecordingPort port;
    Found result{false, {}, kUntouched};
    result.found = LookUpBridgeMac(port, result.mac.data());
    result.lines = port.Lines();
    return result;
}

struct Row {
    const char* name;
    std::vector<ExportKey> keys;
    const char* cal;
    const char* configMac;
    Lines lines;
    std::optional<Mac> mac;  // none: not found
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

class Route : public testing::TestWithParam<Row> {};

TEST_P(Route, FoundLinesAndMac) {
    const Row& row = GetParam();
#ifdef _WIN32
    if (RegistryKeys::Exists("SOFTWARE\\Quarn Corporation")) {
        GTEST_SKIP() << "this machine has the host applications' keys; they are left alone";
    }
#endif
    const Installation installation(row.keys, row.cal, row.configMac);
#ifdef _WIN32
    ASSERT_TRUE(installation.registry->Ok()) << "cannot write below HKEY_LOCAL_MACHINE";
#endif
    const Found result = LookUp();
    Lines lines;
    for (const std::string& line : row.lines) {
        lines.push_back(Expand(line, installation.folder.Path()));
    }
    EXPECT_EQ(result.lines, lines);
    EXPECT_EQ(result.found, row.mac.has_value());
    if (result.found && row.mac) {
        EXPECT_EQ(result.mac, *row.mac);
    }
}

const std::string k260(260, 'd');
const char kConfig[] = "00-1B-2C-3D-4E-5F";

INSTANTIATE_TEST_SUITE_P(
    Installations, Route,
    testing::Values(
        Row{"BothInstalledCalFileWins", {kOlder, kNewer}, kCal, kConfig, {kCalFound}, kCalMac},
        Row{"BothInstalledNoTokenStopsThere", {kOlder, kNewer}, "SERIAL=1\n", kConfig, {kNoToken}, {}},
        Row{"OlderWithoutTargetDir",
            {{kOlderKey, {{"Version", "7"}}}, kNewer},
            kCal,
            kConfig,
            {"TargetDir key not found"},
            {}},
        Row{"OlderWithoutCalFile", {kOlder}, nullptr, nullptr, {"CAL file not found"}, {}},
        Row{"OlderTargetDirEndingInBackslash",
            {{kOlderKey, {{"TargetDir", "{dir}\\vistrel\\"}}}},
            kCal,
            nullptr,
            {kCalFound},
            kCalMac},
        Row{"OlderTargetDirTooLong",
            {{kOlderKey, {{"TargetDir", k260}}}},
            nullptr,
            nullptr,
            {"TargetDir value is longer than 259 characters"},
            {}},
        Row{"CalPathTooLong",
            {{kOlderKey, {{"TargetDir", k260.substr(5)}}}},
            nullptr,
            nullptr,
            {"CAL file path is longer than 259 characters"},
            {}},
        Row{"OnlyNewer", {kNewer}, kCal, kConfig, {kNoOlder}, kConfigMac},
        Row{"NoInstallation",
            {{"SOFTWARE\\Other", {}}},
            kCal,
            kConfig,
            {kNoOlder, "Vistrel X key not found"},
            {}},
        Row{"NewerWithoutTargetDir",
            {{kNewerKey, {{"ProgramDataDir", "{dir}\\data"}}}},
            nullptr,
            kConfig,
            {kNoOlder, "TargetDir key not found"},
            {}},
        Row{"NewerWithoutProgramDataDir",
            {{kNewerKey, {{"TargetDir", "{dir}\\jvr"}}}},
            nullptr,
            kConfig,
            {kNoOlder, "File \\cfg\\Site.config is not found.", "MACADDRESS extraction error"},
            {}},
        Row{"NewerProgramDataDirTooLong",
            {{kNewerKey, {{"TargetDir", "{dir}\\jvr"}, {"ProgramDataDir", k260}}}},
            nullptr,
            kConfig,
            {kNoOlder, "ProgramDataDir value is longer than 259 characters", "MACADDRESS extraction error"},
            {}},
        Row{"NewerChainFails",
            {kNewer},
            nullptr,
            nullptr,
            {kNoOlder, "File {dir}\\jvr\\bin\\MainUI.exe.config is not found.",
             "MACADDRESS extraction error"},
            {}}),
    [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// Hostile files are planted with POSIX means (FIFOs, /dev/zero); the Windows build has none.
#ifndef _WIN32
// Whatever stands in a file's place, the lookup neither blocks nor reads without end: one line
// says which file and why, and the route ends as it does for a missing file.
using Hostile = TempFolder::Hostile;

struct HostileRow {
    const char* name;
    Hostile kind;
    const char* reason;
};

void PrintTo(const HostileRow& row, std::ostream* out) {
    *out << row.name;
}

class HostileFile : public testing::TestWithParam<HostileRow> {};

std::string Reason(const HostileRow& row, const std::string& limit) {
    std::string reason = row.reason;
    if (const size_t at = reason.find("{limit}"); at != std::string::npos) {
        reason.replace(at, 7, limit);
    }
    return reason;
}

// Regular files that are too large or cannot be read; as a library, the loader's to judge.
bool IsRegular(const HostileRow& row) {
    return row.kind == Hostile::Oversize || row.kind == Hostile::Growing || row.kind == Hostile::ReadError;
}

const std::string kCalPath = "{dir}\\vistrel\\cfg\\" + HostName() + ".1";
const std::string kMainConfig = "{dir}\\jvr\\bin\\MainUI.exe.config";

TEST_P(HostileFile, CalFileGetsOneLine) {
    const HostileRow& row = GetParam();
    const Installation installation({kOlder}, nullptr, nullptr);
    const std::string& dir = installation.folder.Path();
    installation.folder.Plant("vistrel/cfg/" + HostName() + ".1", row.kind, kMaxCalFileBytes + 1);
    const Found result = LookUp();
    EXPECT_FALSE(result.found);
    EXPECT_EQ(result.lines, Lines{Expand("CAL file " + kCalPath + " " + Reason(row, "16 MiB"), dir)});
}

TEST_P(HostileFile, ConfigurationFileIsRefusedUnread) {
    const HostileRow& row = GetParam();
    const Installation installation({kNewer}, nullptr, kConfig);
    const std::string& dir = installation.folder.Path();
    std::filesystem::remove(dir + "/jvr/bin/MainUI.exe.config");
    installation.folder.Plant("jvr/bin/MainUI.exe.config", row.kind, XmlMaxFileBytes + 1ull);
    const Found result = LookUp();
    EXPECT_FALSE(result.found);
    EXPECT_EQ(result.lines,
              (Lines{kNoOlder, Expand("File " + kMainConfig + " " + Reason(row, "16 MiB") + ".", dir),
                     "MACADDRESS extraction error"}));
}

TEST_P(HostileFile, RegistryExportIsNoInstallationWithOneLine) {
    const HostileRow& row = GetParam();
    const Installation installation({kOlder}, kCal, nullptr);
    const std::string path = installation.folder.Plant("named.reg", row.kind, (64ull << 20) + 1);
    ScopedRegistry registry(path.c_str());
    const Found result = LookUp();
    EXPECT_FALSE(result.found);
    EXPECT_EQ(result.lines, (Lines{"Registry export " + path + " (TOLVIK_REGISTRY) " + Reason(row, "64 MiB"),
                                   kNoOlder, "Vistrel X key not found"}));
}

TEST_P(HostileFile, BridgeLibraryIsNotLoaded) {
    const HostileRow& row = GetParam();
    TempFolder folder;
    const std::string path = folder.Plant("libbridge.so", row.kind, 1 << 20);
    std::string error;
    EXPECT_FALSE(LoadBridgeLibrary(path, &error));
    // A regular file of no library, however large or unreadable, is the loader's to judge.
    const std::string expected = "Cannot load the bridge library " + path + " (" +
                                 (IsRegular(row) ? "" : std::string(row.reason) + ").");
    EXPECT_THAT(error, testing::StartsWith(expected));
}

// A library named without a folder is found by the program in the loader's folders and judged
// like any other: a FIFO first in LD_LIBRARY_PATH is refused, not waited on.
TEST_P(HostileFile, BareLibraryNameIsSearchedAndJudged) {
    const HostileRow& row = GetParam();
    TempFolder folder;
    const std::string planted = folder.Plant("first/libtolvik-hostile.so", row.kind, 1 << 20);
    const std::string fallback = folder.Path() + "/second/libtolvik-hostile.so";
    std::filesystem::create_directories(folder.Path() + "/second");
    std::filesystem::copy_file(TOLVIK_BENCH_LIBRARY, fallback);
    const ScopedVariable libraryPath("LD_LIBRARY_PATH",
                                     (folder.Path() + "/first:" + folder.Path() + "/second").c_str());
    std::string error;
    EXPECT_FALSE(LoadBridgeLibrary("libtolvik-hostile.so", &error));
    const std::string expected = "Cannot load the bridge library libtolvik-hostile.so (" + planted +
                                 (IsRegular(row) ? ": " : " " + std::string(row.reason) + ").");
    EXPECT_THAT(error, testing::StartsWith(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, HostileFile,
    testing::Values(HostileRow{"Folder", Hostile::Folder, "is a directory"},
                    HostileRow{"Fifo", Hostile::Fifo, "is a FIFO, not a regular file"},
                    HostileRow{"DevZero", Hostile::Device, "is a device, not a regular file"},
                    HostileRow{"Oversize", Hostile::Oversize, "is larger than {limit}"},
                    HostileRow{"GrowsPastTheLimit", Hostile::Growing, "is larger than {limit}"},
                    HostileRow{"ReadFails", Hostile::ReadError, "cannot be read"}),
    [](const testing::TestParamInfo<HostileRow>& info) { return std::string(info.param.name); });

// A bare name through the program's own search (tests/platform checks the search's order).
TEST(BridgeLibrarySearch, BareNameLoadsFromTheFirstFolderThatHasIt) {
    TempFolder folder;
    std::filesystem::create_directories(folder.Path() + "/lib");
    std::filesystem::copy_file(TOLVIK_BENCH_LIBRARY, folder.Path() + "/lib/libtolvik-found.so");
    const ScopedVariable libraryPath("LD_LIBRARY_PATH",
                                     (folder.Path() + "/empty:" + folder.Path() + "/lib").c_str());
    EXPECT_EQ(platform::FindLibrary("libtolvik-found.so"), folder.Path() + "/lib/libtolvik-found.so");
    std::string error;
    EXPECT_NE(platform::OpenSharedLibrary("libtolvik-found.so", &error), nullptr) << error;
    EXPECT_FALSE(LoadBridgeLibrary("libtolvik-nowhere.so", &error));
    EXPECT_EQ(error,
              "Cannot load the bridge library libtolvik-nowhere.so (not found in LD_LIBRARY_PATH or the "
              "system's library folders).");
}

// The check-then-open race, provoked: a FIFO renamed over the library's path while it is loaded,
// again and again. The load is judged on the file it opened and maps that file, so it never blocks.
TEST(HostileRace, BridgeLibraryLoadNeverBlocks) {
    TempFolder folder;
    const std::string regular = folder.Path() + "/bench.so";
    std::filesystem::copy_file(TOLVIK_BENCH_LIBRARY, regular);
    const std::string path = folder.Path() + "/libq.so";
    const SwapRace race = RaceFifoSwaps(path, regular, 100, [&] {
        std::string error;
        return LoadBridgeLibrary(path, &error);
    });
    EXPECT_TRUE(race.finished) << "a load blocked, or never met both files";
    std::printf("%d loads during %d swaps: %d loaded, %d refused\n", race.opened + race.refused, race.swaps,
                race.opened, race.refused);
}

// The reader counts what it reads: a device that got past the check still ends the read.
TEST(LookUp, CalReaderStopsAtItsLimit) {
    std::FILE* zeros = std::fopen("/dev/zero", "rb");
    ASSERT_NE(zeros, nullptr);
    Mac mac = kUntouched;
    EXPECT_EQ(ReadCalFileMac(zeros, mac.data()), CalMac::TooLarge);
    EXPECT_EQ(mac, kUntouched);
    std::fclose(zeros);
}
#endif  // _WIN32

// Windows reads the real registry, never an export.
#ifndef _WIN32
// An export that is there but unusable is told apart from no installation by its line alone.
TEST(LookUp, UnusableRegistryExportSaysWhatIsWrong) {
    const Installation installation({kOlder}, kCal, nullptr);
    const std::string missing = installation.folder.Path() + "/missing.reg";
    const std::string empty = installation.folder.Write("empty.reg", "");
    const std::string garbage = installation.folder.Write("garbage.reg", "MZ\x90\0\x03\0\0\0\x04\0");
    const std::pair<std::string, std::string> cases[] = {
        {missing, "does not exist"},
        {empty, "is empty"},
        {garbage,
         "is not a registry export (it does not begin with REGEDIT4 or Windows Registry Editor Version "
         "5.00)"},
    };
    for (const auto& [path, reason] : cases) {
        ScopedRegistry registry(path.c_str());
        EXPECT_EQ(LookUp().lines, (Lines{"Registry export " + path + " (TOLVIK_REGISTRY) " + reason, kNoOlder,
                                         "Vistrel X key not found"}));
    }
    ScopedRegistry unset(nullptr);
    EXPECT_EQ(LookUp().lines, (Lines{kNoOlder, "Vistrel X key not found"}));
}

// A path the user names is the file system's own: a backslash in it belongs to a file's name.
// Only paths built from the host's Windows values turn backslashes into slashes.
TEST(LookUp, RegistryPathKeepsItsBackslashes) {
    const Installation installation({kOlder}, kCal, nullptr);
    const std::string named = installation.folder.Path() + "/a\\b.reg";
    std::filesystem::copy_file(installation.folder.Path() + "/hklm.reg", named);
    ScopedRegistry registry(named.c_str());
    EXPECT_EQ(LookUp().lines, Lines{kCalFound});
}
#endif  // _WIN32

// The CAL file's token line: where and how the token may be written, and how the six values read.
struct CalRow {
    const char* name;
    std::string text;
    const char* line;
    Mac mac;
};

void PrintTo(const CalRow& row, std::ostream* out) {
    *out << row.name;
}

class CalLine : public testing::TestWithParam<CalRow> {};

TEST_P(CalLine, FoundLineAndMac) {
    const CalRow& row = GetParam();
    const Installation installation({kOlder}, row.text.c_str(), nullptr);
    const Found result = LookUp();
    EXPECT_EQ(result.lines, Lines{row.line});
    EXPECT_EQ(result.mac, result.found ? row.mac : kUntouched);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CalLine,
    testing::Values(
        CalRow{"LowerCaseToken", "macaddress=00-11-22-33-44-55\n", kCalFound, kCalMac},
        CalRow{"MixedCaseColonsCrLf", "X=1\r\nMacAddress 00:11:22:33:44:55\r\n", kCalFound, kCalMac},
        CalRow{"HexPrefixes", "MACADDRESS=0x00,0x11,0x22,0x33,0x44,0x55\n", kCalFound, kCalMac},
        CalRow{"LongValuesKeepLow8Bits",
               "MACADDRESS=100-11-22-33-44-123456789ABCDEF1ff\n",
               kCalFound,
               {0x00, 0x11, 0x22, 0x33, 0x44, 0xFF}},
        CalRow{"RestOfARunIgnored",
               "MACADDRESS=00-11-2g-33-44-55 trailing words\n",
               kCalFound,
               {0x00, 0x11, 0x02, 0x33, 0x44, 0x55}},
        CalRow{"SecondTokenLineNeverRead", "MACADDRESS=00-11-22-33-44-55\nMACADDRESS=66-77-88-99-AA-BB\n",
               kCalFound, kCalMac},
        CalRow{"IndentedToken", " MACADDRESS=00-11-22-33-44-55\nMACADDRES=00\n", kNoToken, {}},
        CalRow{"FewerThanSixValuesFirst",
               "MACADDRESS=00-11-22-33-44\nMACADDRESS=00-11-22-33-44-55\n",
               kUnreadable,
               {}},
        CalRow{"NotHexadecimal", "MACADDRESS=00-11-zz-33-44-55\n", kUnreadable, {}},
        // Lines are read in pieces of 259 characters: a piece may begin with the token, and values
        // beyond a piece's end are not read.
        CalRow{"TokenAtAPieceStart", std::string(259, 'x') + "MACADDRESS=00-11-22-33-44-55\n", kCalFound,
               kCalMac},
        CalRow{"ValuesPastThePiece",
               "MACADDRESS" + std::string(240, ' ') + "00-11-22-33-44-55\n",
               kUnreadable,
               {}}),
    [](const testing::TestParamInfo<CalRow>& info) { return std::string(info.param.name); });

// End to end: the found address chooses the bridge among three. The other bridges refuse every
// connection, so a link that comes up was made with the right one.
void NoPdo(int) {}
void NoSecondary(int, int) {}

const Mac kSecondBridge = {0x00, 0x50, 0xC2, 0x0A, 0xBC, 0xDE};

bench::Scenario ThreeBridges() {
    bench::Scenario scenario = bench::DefaultScenario();
    scenario.bridges.resize(3);
    for (uint8_t i = 0; i < 3; ++i) {
        scenario.bridges[i].ip = {10, 0, 0, static_cast<uint8_t>(i + 1)};
        scenario.bridges[i].mac = {0x00, 0x50, 0xC2, 0x00, 0x00, static_cast<uint8_t>(i + 1)};
        scenario.bridges[i].connectionLimit = 0;
    }
    scenario.bridges[1].mac = kSecondBridge;
    scenario.bridges[1].connectionLimit = 1;
    return scenario;
}

struct Link {
    Lines lines;
    std::vector<RecordedBox> boxes;
    int connects;
};

Link Connect(const bench::Scenario& scenario) {
    VirtualBench bench(scenario);
    RecordingPort port;
    ConnectToBridge(port, port.link, NoPdo, NoSecondary);
    EXPECT_EQ(port.link.m_linkFailed, port.Boxes().empty() ? 0 : 1);
    return {port.Lines(), port.Boxes(), bench::ConnectCount()};
}

TEST(LookUpOnTheBench, CalFileChoosesTheSecondBridge) {
    const Installation installation({kOlder}, "MACADDRESS=00-50-c2-0a-bc-de\n", nullptr);
    const Link link = Connect(ThreeBridges());
    EXPECT_EQ(link.lines, (Lines{kCalFound, "Connected to CAN"}));
    EXPECT_TRUE(link.boxes.empty());
    EXPECT_EQ(link.connects, 1);
}

TEST(LookUpOnTheBench, ConfigurationChoosesTheSecondBridge) {
    const Installation installation({kNewer}, nullptr, "00-50-C2-0A-BC-DE", ExportForm::Regedit4);
    const Link link = Connect(ThreeBridges());
    EXPECT_EQ(link.lines, (Lines{kNoOlder, "Connected to CAN"}));
    EXPECT_TRUE(link.boxes.empty());
}

TEST(LookUpOnTheBench, UnknownMacIsShownInUpperCase) {
    const Installation installation({kOlder}, "MACADDRESS=00-50-c2-fe-dc-ba\n", nullptr);
    const Link link = Connect(ThreeBridges());
    EXPECT_EQ(link.lines, Lines{kCalFound});
    ASSERT_EQ(link.boxes.size(), 1u);
    EXPECT_EQ(link.boxes[0].text,
              "Bridge with MAC: 00-50-C2-FE-DC-BA not found. Check connections and power.");
    EXPECT_EQ(link.connects, 0);
}

TEST(LookUpOnTheBench, SameMacTwiceTakesTheLowerIndex) {
    const Installation installation({kOlder}, "MACADDRESS=00-50-C2-0A-BC-DE\n", nullptr);
    bench::Scenario scenario = ThreeBridges();
    scenario.bridges[2].mac = kSecondBridge;  // refuses connections: choosing it would fail
    EXPECT_EQ(Connect(scenario).connects, 1);
}

}  // namespace

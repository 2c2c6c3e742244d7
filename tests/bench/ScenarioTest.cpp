// The scenario text format: statements, every fault keyword, errors with their line, the
// shipped files and the start-up fallback.
#include <filesystem>
#include <fstream>
#include <utility>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <cstdio>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "bench/Bench.h"
#ifndef _WIN32
#include "tests/support/SwapRace.h"
#endif

namespace {

using bench::Scenario;

Scenario Parse(const std::string& text) {
    Scenario scenario;
    std::string error;
    EXPECT_TRUE(bench::ParseScenario(text, &scenario, &error)) << error;
    return scenario;
}

TEST(BenchScenario, EmptyTextIsTheDefaultScenario) {
    const Scenario parsed = Parse("# nothing but a comment\n\n");
    const Scenario standard = bench::DefaultScenario();
    ASSERT_EQ(parsed.bridges.size(), 1u);
    EXPECT_EQ(parsed.bridges[0].ip, (std::array<uint8_t, 4>{192, 168, 100, 2}));
    EXPECT_EQ(parsed.bridges[0].mac, (std::array<uint8_t, 6>{0x00, 0x50, 0xC2, 0x12, 0x34, 0x56}));
    EXPECT_EQ(parsed.versionText, standard.versionText);
    EXPECT_EQ(std::string(parsed.versionText.begin(), parsed.versionText.end()), "3817-5526-02 V4.0");
    EXPECT_EQ(parsed.revision, 0x00040000u);
    EXPECT_EQ(parsed.tpdo3CobId, 0x800003C8u);
    EXPECT_EQ(parsed.tpdo3Mapped, 0);
    EXPECT_FALSE(parsed.wirelessPaired);
    EXPECT_TRUE(parsed.insertBatteriesWhenWindowOpens);
    EXPECT_EQ(parsed.pairDelayMs, 3000);
    EXPECT_EQ(parsed.signalLevel, 180);
    EXPECT_GT(parsed.signalVariation, 0);
}

TEST(BenchScenario, Statements) {
    struct Case {
        const char* text;
        std::function<bool(const Scenario&)> holds;
    } cases[] = {
        {"bridge 10.1.2.3 01-02-03-0a-0B-ff unreachable limit 2 in-use 1",
         [](const Scenario& s) {
             return s.bridges.size() == 1 && s.bridges[0].ip == std::array<uint8_t, 4>{10, 1, 2, 3} &&
                    s.bridges[0].mac == std::array<uint8_t, 6>{1, 2, 3, 0x0A, 0x0B, 0xFF} &&
                    !s.bridges[0].reachable && s.bridges[0].connectionLimit == 2 &&
                    s.bridges[0].connectionsInUse == 1;
         }},
        {"bridge 10.0.0.1 00:00:00:00:00:01\nbridge 10.0.0.2 00-00-00-00-00-02",
         [](const Scenario& s) { return s.bridges.size() == 2 && s.bridges[1].ip[3] == 2; }},
        {"flood 18000 10000 keys",
         [](const Scenario& s) {
             return s.flood.perSecond == 18000 && s.flood.durationMs == 10000 &&
                    s.flood.mix == bench::Flood::Mix::Keys;
         }},
        {"flood unpaced 600000 mixed",
         [](const Scenario& s) {
             return s.flood.perSecond == 1000000 && s.flood.mix == bench::Flood::Mix::Mixed;
         }},
        {"node 0\nnode 127",
         [](const Scenario& s) {
             return s.nodes == std::vector<int>{0, 127};
         }},
        {"revision 3.65535", [](const Scenario& s) { return s.revision == 0x0003FFFFu; }},
        {"revision 0xFFFF0001", [](const Scenario& s) { return s.revision == 0xFFFF0001u; }},
        {"version \"A \\\"B\\\" \\\\ \\x00\\x7f\"",
         [](const Scenario& s) {
             return s.versionText == std::vector<uint8_t>{'A', ' ', '"', 'B', '"', ' ', '\\', ' ', 0, 0x7F};
         }},
        {"tpdo3-cob-id 0x3C8\ntpdo3-mapped 1",
         [](const Scenario& s) { return s.tpdo3CobId == 0x3C8u && s.tpdo3Mapped == 1; }},
        {"association-control 0x04", [](const Scenario& s) { return s.associationControl == 4; }},
        {"wireless paired\nbattery low",
         [](const Scenario& s) { return s.wirelessPaired && s.wirelessBatteryLow; }},
        {"signal-level 12\nsignal-variation 0\nsignal-period 10\npair-delay 0",
         [](const Scenario& s) {
             return s.signalLevel == 12 && s.signalVariation == 0 && s.signalPeriodMs == 10 &&
                    s.pairDelayMs == 0;
         }},
        {"insert-batteries-when-window-opens off\necho on",
         [](const Scenario& s) { return !s.insertBatteriesWhenWindowOpens && s.echoTransmitted; }},
        {"at 5 key wired 7\r\nat 6 key wireless up\r\n",
         [](const Scenario& s) {
             return s.timeline.size() == 2 && s.timeline[0].kind == bench::EventKind::KeyDown &&
                    !s.timeline[0].wireless && s.timeline[0].code == 7 &&
                    s.timeline[1].kind == bench::EventKind::KeyUp && s.timeline[1].wireless;
         }},
        {"at 1 battery low\nat 2 battery ok\nat 3 signal 99\nat 4 batteries-inserted\nat 86400000 "
         "bridge-lost",
         [](const Scenario& s) {
             using K = bench::EventKind;
             return s.timeline.size() == 5 && s.timeline[0].kind == K::BatteryLow &&
                    s.timeline[1].kind == K::BatteryOk && s.timeline[2].kind == K::Signal &&
                    s.timeline[2].code == 99 && s.timeline[3].kind == K::BatteriesInserted &&
                    s.timeline[4].kind == K::BridgeLost && s.timeline[4].atMs == 86400000;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_TRUE(c.holds(Parse(c.text)));
    }
}

TEST(BenchScenario, EveryFaultKeyword) {
    struct Case {
        const char* text;
        std::function<bool(const Scenario&)> holds;
    } cases[] = {
        {"fault scan-error", [](const Scenario& s) { return s.faults.scanError; }},
        {"fault no-bridge", [](const Scenario& s) { return s.bridges.empty(); }},
        {"fault connect-refused", [](const Scenario& s) { return s.faults.connectRefused; }},
        {"fault enumerate-nodes", [](const Scenario& s) { return s.faults.enumerateNodesFails; }},
        {"fault no-base-remote", [](const Scenario& s) { return !s.baseRemotePresent; }},
        {"fault buffer-size", [](const Scenario& s) { return s.faults.bufferSizeRefused; }},
        {"fault register-events", [](const Scenario& s) { return s.faults.registerEventsRefused; }},
        {"fault transmit", [](const Scenario& s) { return s.faults.transmitRefused; }},
        {"fault sdo-read 0x1018/3\nfault sdo-read 4106/0",
         [](const Scenario& s) {
             return s.faults.sdoReadFails == std::vector<uint32_t>{0x101803, 0x100A00};
         }},
        {"fault sdo-write 0x2010/5",
         [](const Scenario& s) { return s.faults.sdoWriteFails == std::vector<uint32_t>{0x201005}; }},
        {"at 10 bridge-lost",
         [](const Scenario& s) { return s.timeline.at(0).kind == bench::EventKind::BridgeLost; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_TRUE(c.holds(Parse(c.text)));
    }
}

TEST(BenchScenario, ErrorsNameTheLine) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"frobnicate 1", "line 1: unknown statement \"frobnicate\""},
        {"\n\nfault conect-refused", "line 3: unknown fault \"conect-refused\""},
        {"bridge 10.0.0.256 00-00-00-00-00-01", "line 1: \"10.0.0.256\" is not an IPv4 address"},
        {"bridge 10.0.0 00-00-00-00-00-01", "line 1: \"10.0.0\" is not an IPv4 address"},
        {"bridge 10.0.0.1 00-00-00-00-01", "line 1: \"00-00-00-00-01\" is not a MAC address"},
        {"bridge 10.0.0.1 00-00-00-00-00-01 limit", "line 1: \"limit\" needs a number"},
        {"bridge 10.0.0.1 00-00-00-00-00-01 fast", "line 1: unknown bridge option \"fast\""},
        {"fault no-bridge\nbridge 10.0.0.1 00-00-00-00-00-01", "line 2: a bridge contradicts"},
        {"bridge 10.0.0.1 00-00-00-00-00-01\nfault no-bridge", "line 2: \"fault no-bridge\" contradicts"},
        {"node 72", "line 1: node 72 is the base remote"},
        {"node 5\nnode 5", "line 2: node 5 is listed twice"},
        {"revision 4.70000", "line 1: the minor revision must be a number"},
        {"version 3817", "line 1: the version text must be quoted"},
        {"version \"open", "line 1: the quoted text has no closing"},
        {"version \"bad \\q\"", "line 1: unknown escape"},
        {"signal-period 0", "line 1: the period must be a number from 10"},
        {"wireless maybe", "line 1: expected \"paired\" or \"unpaired\""},
        {"echo", "line 1: expected: echo on|off"},
        {"fault sdo-read 0x1018", "line 1: \"0x1018\" is not an object"},
        {"at 10 key both 1", "line 1: expected \"wireless\" or \"wired\""},
        {"at 10 key wired 256", "line 1: the key code must be a number from 0 to 255"},
        {"at 10 explode", "line 1: unknown event \"explode\""},
        {"flood 0 1000 keys", "line 1: the rate must be a number from 1 to 1000000"},
        {"flood fast 1000 keys", "line 1: the rate must be a number"},
        {"flood 100 0 keys", "line 1: the duration must be a number from 1"},
        {"flood 100 1000 lines", "line 1: expected \"keys\" or \"mixed\""},
        {"flood 100 1000", "line 1: expected: flood <per-second>|unpaced <ms> keys|mixed"},
        {"at 86400001 bridge-lost", "line 1: the time must be a number from 0 to 86400000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Scenario scenario = bench::DefaultScenario();
        scenario.revision = 0x12345678;
        std::string error;
        EXPECT_FALSE(bench::ParseScenario(c.text, &scenario, &error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        EXPECT_EQ(scenario.revision, 0x12345678u) << "a failed parse leaves the scenario alone";
    }
    std::string error;
    EXPECT_FALSE(bench::ParseScenario("fault transmit\n" + std::string(5000, 'x'), nullptr, &error));
    EXPECT_EQ(error, "line 2: the line is longer than 4096 characters");
}

TEST(BenchScenario, ShippedScenariosParse) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TOLVIK_BENCH_SCENARIOS)) {
        SCOPED_TRACE(entry.path().string());
        Scenario scenario;
        std::string error;
        EXPECT_TRUE(bench::LoadScenarioFile(entry.path().string(), &scenario, &error)) << error;
        ++files;
    }
    EXPECT_GE(files, 5);
}

TEST(BenchScenario, DemoHasBothRemotesAndALowBattery) {
    Scenario demo;
    std::string error;
    ASSERT_TRUE(bench::LoadScenarioFile(std::string(TOLVIK_BENCH_SCENARIOS) + "/demo.txt", &demo, &error))
        << error;
    EXPECT_TRUE(demo.wirelessPaired);
    EXPECT_EQ(demo.tpdo3CobId & 0x80000000u, 0u);
    EXPECT_GE(demo.tpdo3Mapped, 1);
    const auto has = [&](bench::EventKind kind, bool wireless) {
        return std::any_of(demo.timeline.begin(), demo.timeline.end(), [&](const bench::TimelineEvent& e) {
            return e.kind == kind && (kind != bench::EventKind::KeyDown || e.wireless == wireless);
        });
    };
    EXPECT_TRUE(has(bench::EventKind::KeyDown, false));
    EXPECT_TRUE(has(bench::EventKind::KeyDown, true));
    EXPECT_TRUE(has(bench::EventKind::BatteryLow, true));
}

TEST(BenchScenario, StartupFallsBackToNoBridges) {
    std::string message;
    EXPECT_EQ(bench::StartupScenario(nullptr, &message).bridges.size(), 1u);
    EXPECT_EQ(bench::StartupScenario("", &message).bridges.size(), 1u);
    EXPECT_TRUE(message.empty());

    const std::string missing = std::string(TOLVIK_BENCH_SCENARIOS) + "/no-such-file.txt";
    EXPECT_TRUE(bench::StartupScenario(missing.c_str(), &message).bridges.empty());
    EXPECT_EQ(message, "scenario file " + missing +
                           " not used: does not exist; running with no bridges on the network");

    // Neither a folder nor a device is read, let alone read without end.
    const std::pair<std::string, std::string> refused[] = {
        {TOLVIK_BENCH_SCENARIOS, "is a directory"},
#ifndef _WIN32
        {"/dev/zero", "is a device, not a regular file"},  // Windows has no such path
#endif
    };
    for (const auto& [path, reason] : refused) {
        EXPECT_TRUE(bench::StartupScenario(path.c_str(), &message).bridges.empty());
        EXPECT_EQ(message, "scenario file " + path + " not used: " + reason +
                               "; running with no bridges on the network");
    }

#ifndef _WIN32
    // A FIFO would block the open; a file past the limit is not half read.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tolvik-scenario-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string fifo = (folder / "fifo.txt").string();
    const std::string large = (folder / "large.txt").string();
    mkfifo(fifo.c_str(), 0600);
    std::ofstream(large) << "fault connect-refused\n";
    std::filesystem::resize_file(large, (1 << 20) + 1);
    // Regular files by their type that read on past the limit, or fail to read.
    const std::string growing = (folder / "growing.txt").string();
    const std::string failing = (folder / "failing.txt").string();
    std::filesystem::create_symlink("/proc/self/pagemap", growing);
    std::filesystem::create_symlink("/proc/self/mem", failing);
    for (const auto& [path, reason] :
         {std::pair<std::string, std::string>{fifo, "is a FIFO, not a regular file"},
          {large, "is larger than 1 MiB"},
          {growing, "is larger than 1 MiB"},
          {failing, "cannot be read"}}) {
        EXPECT_TRUE(bench::StartupScenario(path.c_str(), &message).bridges.empty());
        EXPECT_EQ(message, "scenario file " + path + " not used: " + reason +
                               "; running with no bridges on the network");
    }
    std::filesystem::remove_all(folder);
#endif

    const std::string demo = std::string(TOLVIK_BENCH_SCENARIOS) + "/demo.txt";
    message.clear();
    EXPECT_TRUE(bench::StartupScenario(demo.c_str(), &message).wirelessPaired);
    EXPECT_TRUE(message.empty());
}

#ifndef _WIN32
// The check-then-open race, provoked: a FIFO renamed over the scenario file again and again while
// it is read. The file is judged on what was opened, so no read blocks.
TEST(BenchScenario, FifoSwappedOverTheFileNeverBlocksTheRead) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tolvik-scenario-race-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string regular = (folder / "regular.txt").string();
    std::ofstream(regular) << "fault connect-refused\n";
    const std::string path = (folder / "scenario.txt").string();
    const SwapRace race = RaceFifoSwaps(path, regular, 200, [&] {
        Scenario scenario;
        std::string error;
        return bench::LoadScenarioFile(path, &scenario, &error);
    });
    std::filesystem::remove_all(folder);
    EXPECT_TRUE(race.finished) << "a read blocked, or never met both files";
    std::printf("%d reads during %d swaps: %d read, %d refused\n", race.opened + race.refused, race.swaps,
                race.opened, race.refused);
}
#endif

}  // namespace

// The command line both front ends read, on each platform's own file system (natively and under
// Wine): the option forms, what wins, the messages and exit code of a bad line, and the files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "commandline/CommandLine.h"

namespace {

namespace fs = std::filesystem;
using commandline::CommandLine;
using commandline::kCommandLineErrorExit;
using commandline::ParseCommandLine;

class CommandLineParserTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / "tolvik-commandline";
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "folder");
        std::ofstream(m_dir / "scenario.txt") << "nodes\n";
        std::ofstream(m_dir / "library.bin") << "x";
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Path(const char* name) const { return (m_dir / name).string(); }

    CommandLine Parse(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), "tolvik");
        return ParseCommandLine(arguments);
    }

    fs::path m_dir;
};

TEST_F(CommandLineParserTest, OptionFormsAndWhatWins) {
    const std::string scenario = Path("scenario.txt");
    const std::string library = Path("library.bin");
    const std::vector<std::string> forms[] = {
        {"--scenario", scenario, "--bridge-library", library},
        {"--scenario=" + scenario, "--bridge-library=" + library},
        {"-scenario", scenario, "-bridge-library", library},  // a single dash is a long option too
        {"--scenario", Path("missing"), "--scenario", scenario, "--bridge-library", library},  // last wins
    };
    for (const std::vector<std::string>& form : forms) {
        const CommandLine line = Parse(form);
        ASSERT_TRUE(line.run) << line.output;
        EXPECT_EQ(line.exitCode, 0);
        EXPECT_TRUE(line.output.empty());
        EXPECT_EQ(fs::path(line.scenario), fs::path(scenario));
        EXPECT_EQ(fs::path(line.bridgeLibrary), fs::path(library));
    }
    const CommandLine none = Parse({});
    EXPECT_TRUE(none.run);
    EXPECT_TRUE(none.scenario.empty() && none.bridgeLibrary.empty() && none.registry.empty());

    // Relative paths become absolute, against the current folder.
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir);
    const CommandLine relative = Parse({"--scenario", "scenario.txt"});
    fs::current_path(previous);
    EXPECT_TRUE(fs::path(relative.scenario).is_absolute()) << relative.scenario;
    EXPECT_TRUE(fs::equivalent(relative.scenario, m_dir / "scenario.txt"));
}

TEST_F(CommandLineParserTest, HelpAndVersionEndTheRunWithExitCode0) {
    for (const char* option : {"--help", "-h"}) {
        const CommandLine help = Parse({option, "--scenario", Path("missing")});
        EXPECT_FALSE(help.run);
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_EQ(help.output.rfind("Usage: tolvik [options]\n", 0), 0u) << help.output;
        for (const char* entry :
             {"-h, --help", "-v, --version", "--scenario <FILE>", "--bridge-library <PATH>"}) {
            EXPECT_NE(help.output.find(entry), std::string::npos) << entry;
        }
        std::istringstream lines(help.output);
        for (std::string text; std::getline(lines, text);) {
            EXPECT_LE(text.size(), 79u) << text;
        }
    }
    for (const char* option : {"--version", "-v"}) {
        const CommandLine version = Parse({option});
        EXPECT_FALSE(version.run);
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.output, "Tolvik 1.5.0.0\n");
    }
#ifdef _WIN32
    EXPECT_EQ(Parse({"--help"}).output.find("--registry"), std::string::npos)
        << "Windows has its own registry";
#else
    EXPECT_NE(Parse({"--help"}).output.find("--registry <FILE>"), std::string::npos);
#endif
}

TEST_F(CommandLineParserTest, BadLinesAreOneMessageAndExitCode2) {
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{"--scenario", Path("missing.txt")}, "--scenario " + Path("missing.txt") + ": no such file"},
        {{"--bridge-library", Path("folder")}, "--bridge-library " + Path("folder") + ": not a regular file"},
        {{"--scenario", Path("scenario.txt"), "--bridge-library", Path("missing.dll")},
         "--bridge-library " + Path("missing.dll") + ": no such file"},
        {{"--scenario"}, "Missing value after '--scenario'."},
        {{"-scenario"}, "Missing value after '-scenario'."},
        {{"--no-such-option"}, "Unknown option 'no-such-option'."},
        {{"--no-such-option=1"}, "Unknown option 'no-such-option'."},
        {{"-x"}, "Unknown option 'x'."},
        {{"--help=yes"}, "Unexpected value after '--help'."},
        {{"stray"}, "unexpected argument 'stray'"},
        {{"--help", "stray"}, "unexpected argument 'stray'"},
        {{"--", "--help"}, "unexpected argument '--help'"},
        {{"-"}, "unexpected argument '-'"},
    };
    for (const Case& test : cases) {
        const CommandLine line = Parse(test.arguments);
        EXPECT_FALSE(line.run) << test.message;
        EXPECT_EQ(line.exitCode, kCommandLineErrorExit) << test.message;
        EXPECT_EQ(line.output, "tolvik: " + test.message + "\n");
    }
}

// Adapters in every order given, each form; the last is not a file and is never looked at.
TEST_F(CommandLineParserTest, AdaptersAreKeptInOrderAndAMissingNameIsAnError) {
    const CommandLine line =
        Parse({"--adapter", "slcan:COM5,bitrate=250000", "--adapter=socketcan:can0", "-adapter", "x"});
    ASSERT_TRUE(line.run) << line.output;
    EXPECT_EQ(line.adapters, (std::vector<std::string>{"slcan:COM5,bitrate=250000", "socketcan:can0", "x"}));
    const CommandLine missing = Parse({"--adapter"});
    EXPECT_EQ(missing.exitCode, kCommandLineErrorExit);
    EXPECT_EQ(missing.output, "tolvik: Missing value after '--adapter'.\n");
    EXPECT_NE(Parse({"--help"}).output.find("--adapter <ADAPTER>"), std::string::npos);
}

}  // namespace

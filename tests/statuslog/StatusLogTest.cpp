// The status log's shared rule and file, on each platform's own file system (natively and under
// Wine): the capacity a full log keeps to, the saved text, and a save that replaces an earlier
// file only when complete.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

#include "statuslog/LogFile.h"
#include "statuslog/StatusLogRule.h"

namespace {

namespace fs = std::filesystem;
using statuslog::AdmittedLines;
using statuslog::kMaxLines;

TEST(StatusLogRule, TakesWhatFitsAndNothingOnceFull) {
    EXPECT_EQ(AdmittedLines(0, 5), 5);
    EXPECT_EQ(AdmittedLines(0, 0), 0);
    EXPECT_EQ(AdmittedLines(kMaxLines - 3, 5), 3) << "a batch across the limit keeps its first lines";
    EXPECT_EQ(AdmittedLines(kMaxLines - 1, 1), 1);
    EXPECT_EQ(AdmittedLines(kMaxLines, 1), 0);
    EXPECT_EQ(AdmittedLines(kMaxLines + 7, 1), 0);
    EXPECT_EQ(AdmittedLines(0, kMaxLines + 1), kMaxLines);
}

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("tolvik-logfile-" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    size_t FilesInFolder() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir), {}));
    }

    fs::path m_dir;
};

TEST_F(LogFileTest, HeaderThenABlankLineThenEveryLineUtf8) {
    const std::vector<std::string> header = statuslog::LogFileHeader();
    ASSERT_EQ(header.size(), 5u);
    EXPECT_EQ(header[0], "Tolvik status log");
    EXPECT_EQ(header[1].rfind("Saved: ", 0), 0u);
    EXPECT_EQ(header[1].size(), std::string("Saved: 2026-12-08T17:51:29").size()) << header[1];
    EXPECT_EQ(header[2], "Tolvik version: 1.5.0.0");
    EXPECT_EQ(header[3].rfind("Host name: ", 0), 0u);
    EXPECT_EQ(header[4].rfind("Bridge library: ", 0), 0u);
    EXPECT_NE(header[4].find(" (not loaded)"), std::string::npos) << "nothing is bound in this test";

    EXPECT_EQ(statuslog::LogFileText({"h1", "h2"}, {"a", "", "\xc2\xb5s"}), "h1\nh2\n\na\n\n\xc2\xb5s\n");
    EXPECT_EQ(statuslog::LogFileText({"h"}, {}), "h\n\n");
}

void SetBridgeLibraryVariable(const char* value) {
#ifdef _WIN32
    _putenv_s("TOLVIK_BRIDGE_LIBRARY", value ? value : "");  // an empty value removes it
#else
    value ? setenv("TOLVIK_BRIDGE_LIBRARY", value, 1) : unsetenv("TOLVIK_BRIDGE_LIBRARY");
#endif
}

TEST_F(LogFileTest, HeaderIsUtf8WhereTheSystemGivesAnotherCodePage) {
    // "café" as the system spells it: Windows-1252 bytes in Windows' narrow environment, UTF-8 on Linux.
#ifdef _WIN32
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
    }
    SetBridgeLibraryVariable("C:\\caf\xe9\\QuarnCANopen.dll");
    const std::string expected = "Bridge library: C:\\caf\xc3\xa9\\QuarnCANopen.dll (not loaded)";
#else
    SetBridgeLibraryVariable("/opt/caf\xc3\xa9/libq.so");
    const std::string expected = "Bridge library: /opt/caf\xc3\xa9/libq.so (not loaded)";
#endif
    const std::vector<std::string> header = statuslog::LogFileHeader();
    SetBridgeLibraryVariable(nullptr);
    ASSERT_EQ(header.size(), 5u);
    EXPECT_EQ(header[4], expected);
}

TEST_F(LogFileTest, SaveReplacesAnEarlierFileAndLeavesNothingElse) {
    const fs::path target = m_dir / "log.txt";
    std::ofstream(target, std::ios::binary) << "an earlier, longer log that the new one replaces\n";
    std::string error;
    ASSERT_TRUE(statuslog::SaveLogFile(target, "new\n", &error)) << error;
    EXPECT_EQ(ReadAll(target), "new\n");
    EXPECT_EQ(FilesInFolder(), 1u) << "no temporary file left";

    // A large log goes through whole.
    std::string big;
    for (int i = 0; i < 200000; ++i) {
        big += "Line " + std::to_string(i) + " \xc2\xb5s\n";
    }
    ASSERT_TRUE(statuslog::SaveLogFile(target, big, &error)) << error;
    EXPECT_EQ(ReadAll(target), big);
}

TEST_F(LogFileTest, FailedSaveSaysWhyAndKeepsTheEarlierFile) {
    const fs::path target = m_dir / "log.txt";
    std::ofstream(target, std::ios::binary) << "the earlier log\n";
    fs::create_directories(m_dir / "folder");
    struct Case {
        const char* what;
        fs::path path;
    };
    const Case cases[] = {
        {"missing folder", m_dir / "no-such-folder" / "log.txt"},
        {"target is a folder", m_dir / "folder"},
    };
    for (const Case& test : cases) {
        std::string error;
        EXPECT_FALSE(statuslog::SaveLogFile(test.path, "new\n", &error)) << test.what;
        EXPECT_FALSE(error.empty()) << test.what;
        EXPECT_EQ(ReadAll(target), "the earlier log\n") << test.what;
        EXPECT_EQ(FilesInFolder(), 2u) << test.what << ": no temporary file left";
        EXPECT_TRUE(fs::is_directory(m_dir / "folder")) << test.what;
    }
}

}  // namespace

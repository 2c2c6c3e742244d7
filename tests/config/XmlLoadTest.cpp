#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "config/Xml.h"
#include "platform/MessageBox.h"
#include "tests/config/XmlDump.h"

using config::DetectEncoding;
using config::GetEncoding;
using config::LoadFile;
using config::LoadFileWithReport;
using config::SetEncoding;
using config::XmlEncodingUtf8;
using config::XmlNode;
using config::XmlResults;

namespace {

namespace fs = std::filesystem;

const std::string kDeclared = "<?xml version=\"1.0\" encoding=\"";
const std::string kConfig = "\"?>\n<configuration><add key=\"a\" value=\"b\"/></configuration>\n";

// A folder of its own below the system's temporary folder, removed with everything in it.
class XmlLoad : public ::testing::Test {
protected:
    void SetUp() override {
        // Test processes may run side by side: a random token per process, a counter within it.
        static const unsigned token = std::random_device{}();
        static std::atomic<int> counter{0};
        folder_ = fs::temp_directory_path() /
                  ("tolvik-xml-" + std::to_string(token) + "-" + std::to_string(counter++));
        fs::create_directories(folder_);
        previous_ = GetEncoding();
        SetEncoding(XmlEncodingUtf8);
    }
    void TearDown() override {
        SetEncoding(previous_);
        fs::remove_all(folder_);
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    // Loads with a report buffer; the report, or "" on success.
    std::string Report(const std::string& path, const char* firstTag, XmlNode* document = nullptr) {
        char report[260] = "";
        XmlNode loaded = LoadFileWithReport(path.c_str(), firstTag, report, sizeof(report));
        if (document) {
            *document = loaded;
        }
        return report;
    }

    fs::path folder_;
    int previous_ = 0;
};

std::string Utf16(const std::u16string& text, bool byteOrderMark) {
    std::string bytes = byteOrderMark ? "\xFF\xFE" : "";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

TEST_F(XmlLoad, FailuresReportCodeAndPosition) {
    const struct {
        const char* name;
        std::string bytes;
        const char* firstTag;
        int code;
        int line;
        int column;
    } rows[] = {
        {"empty.xml", "", nullptr, 3, 0, 0},
        {"blank.xml", " \r\n\t ", nullptr, 2, 2, 3},
        {"blank-first-tag.xml", " \r\n\t ", "XML", 11, 0, 0},
        {"no-declaration.xml", "<configuration/>", "XML", 11, 0, 0},
        {"bad.xml", "<a>\n  <b></c>", nullptr, 6, 2, 10},
        {"ok.xml", kDeclared + "utf-8" + kConfig, "XML", 0, 0, 0},
    };
    for (const auto& row : rows) {
        XmlResults results{-1, -1, -1};
        XmlNode document = LoadFile(Write(row.name, row.bytes).c_str(), row.firstTag, &results);
        EXPECT_EQ(row.code, results.error) << row.name;
        EXPECT_EQ(row.line, results.line) << row.name;
        EXPECT_EQ(row.column, results.column) << row.name;
    }
    XmlResults results{-1, -1, -1};
    EXPECT_TRUE(LoadFile((folder_ / "missing.xml").string().c_str(), nullptr, &results).IsNull());
    EXPECT_EQ(10, results.error);
    EXPECT_TRUE(LoadFile(folder_.string().c_str(), nullptr, &results).IsNull());  // a folder
    EXPECT_EQ(10, results.error);
    EXPECT_EQ(0, results.line + results.column);
}

TEST_F(XmlLoad, ReportsFollowTheOneLineFormat) {
    const std::string missing = (folder_ / "missing.xml").string();
    EXPECT_EQ("ERROR: XML parsing file '" + missing + "'. Error: File not found at line 0, column 0. ",
              Report(missing, "XML"));
    const std::string plain = Write("plain.xml", "<configuration/>");
    EXPECT_EQ("ERROR: XML parsing file '" + plain +
                  "'. Error: First Tag not found at line 0, column 0. First Tag should be 'XML'.\n",
              Report(plain, "XML"));
    XmlNode document;
    const std::string open = Write("open.xml", "<a>\n<b/>");
    EXPECT_EQ("ERROR: XML parsing file '" + open + "'. Warning: Unmatched end tag at line 2, column 5. ",
              Report(open, nullptr, &document));
    EXPECT_EQ("a(b)", Dump(document));  // warnings keep the document
    EXPECT_EQ("", Report(Write("good.xml", kDeclared + "utf-8" + kConfig), "XML", &document));
    EXPECT_STREQ("b", document.FindChild("configuration").FindChild("add").AttributeValue("value"));
}

TEST_F(XmlLoad, LongReportIsCutInsideTheBuffer) {
    const std::string missing = (folder_ / std::string(400, 'x')).string();
    char report[64];
    std::memset(report, '#', sizeof(report));
    EXPECT_TRUE(LoadFileWithReport(missing.c_str(), nullptr, report, 40).IsNull());
    EXPECT_EQ(39u, std::strlen(report));
    EXPECT_EQ(0, std::strncmp(report, "ERROR: XML parsing file '", 25));
    EXPECT_EQ('#', report[40]);
    report[0] = '#';
    LoadFileWithReport(missing.c_str(), nullptr, report, 0);
    EXPECT_EQ('#', report[0]);
}

TEST_F(XmlLoad, WithoutReportBufferShowsBoxAndExits255) {
    const std::string missing = (folder_ / "missing.xml").string();
    // The box goes to stderr: Windows would show a real one and wait for a click.
    const auto toStderr = [](const char* caption, const char* text) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
    };
    EXPECT_EXIT(
        (platform::SetErrorMessageHandler(toStderr), LoadFileWithReport(missing.c_str(), "XML", nullptr, 0)),
        ::testing::ExitedWithCode(255),
        "XML Parsing error: ERROR: XML parsing file '.*missing.xml'. Error: File not found");
}

TEST_F(XmlLoad, BackslashPathsReachTheFile) {
    Write("sub.xml", "<a/>");
    std::string path = folder_.string() + "\\sub.xml";
    XmlResults results{};
    EXPECT_EQ("a", Dump(LoadFile(path.c_str(), nullptr, &results)));
    EXPECT_EQ(0, results.error);
}

TEST_F(XmlLoad, EncodingOfEachFileDecidesTheNext) {
    const std::string latin = "\xE9t\xE9";  // "été" in Latin-1
    const std::string padding = std::string(220, ' ');
    const struct {
        const char* name;
        std::string bytes;
        int before;
        int after;
    } rows[] = {
        {"declared-latin1.xml", kDeclared + "ISO-8859-1" + kConfig, 1, 2},
        {"declared-sjis.xml", kDeclared + "Shift-JIS" + kConfig, 1, 3},
        {"declared-spaced.xml", "<?xml version=\"1.0\" encoding = ' utf8 '?><a>" + padding + "</a>", 2, 1},
        {"declared-late.xml", "<?xml version=\"1.0\"" + padding + " encoding=\"latin1\"?><a/>", 2, 1},
        {"undeclared-latin1.xml", "<configuration>" + latin + padding + "</configuration>", 1, 2},
        {"utf8-bad-lead.xml", kDeclared + "utf-8\"?><a>\xC3(</a>" + padding, 3, 3},
        {"utf8-bad-lead-late.xml", kDeclared + "utf-8\"?><a>" + padding + "\xC3(</a>", 2, 1},
        {"short.xml", "<a/>", 3, 3},
        {"utf16.xml", Utf16(u"<a>" + std::u16string(40, u'x') + u"</a>", true), 2, 2},
    };
    for (const auto& row : rows) {
        SetEncoding(row.before);
        Report(Write(row.name, row.bytes), nullptr);
        EXPECT_EQ(row.after, GetEncoding()) << row.name;
    }
}

TEST_F(XmlLoad, TextIsReadInItsEncoding) {
    const struct {
        const char* name;
        std::string bytes;
        int encoding;  // current while loading
        const char* text;
    } rows[] = {
        {"utf8-bom.xml", "\xEF\xBB\xBF<a>\xC3\xA9</a>", 1, "\xC3\xA9"},
        {"utf16-bom-utf8.xml", Utf16(u"<a>\u00E9\u20AC</a>", true), 1, "\xC3\xA9\xE2\x82\xAC"},
        {"utf16-bom-ansi.xml", Utf16(u"<a>\u00E9\u20AC\u3042</a>", true), 2, "\xE9\x80?"},
        {"utf16-plain.xml", Utf16(u"<a>ok</a>", false), 1, "ok"},
        {"utf16-ef-ff.xml", "\xEF\xFF" + Utf16(u"<a>ok</a>", false), 1, "ok"},
        {"utf16-stops-at-zero.xml", Utf16(std::u16string(u"<a>ok</a>") + u'\0' + u"<b/>", true), 1, "ok"},
    };
    for (const auto& row : rows) {
        SetEncoding(row.encoding);
        XmlResults results{-1, -1, -1};
        XmlNode a = LoadFile(Write(row.name, row.bytes).c_str(), nullptr, &results);
        EXPECT_EQ(0, results.error) << row.name;
        EXPECT_STREQ("a", a.Name()) << row.name;
        EXPECT_STREQ(row.text, a.TextAt(0)) << row.name;
    }
}

struct DetectRow {
    const char* name;
    std::string bytes;
    bool useDeclaration;
    int expected;
};

void PrintTo(const DetectRow& row, std::ostream* out) {
    *out << row.name;
}

const std::string kAscii = "<configuration></configuration>";

const DetectRow kDetections[] = {
    {"TooShort", std::string(24, 'a'), true, 0},
    {"Utf16", Utf16(u"<configuration></configuration>", false), true, 0},
    {"Utf8Mark", "\xEF\xBB\xBF" + kAscii, true, 1},
    {"Ascii", kAscii, false, 1},
    {"ValidUtf8", "<c>\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80</c>" + kAscii, false, 1},
    {"StrayContinuationBytes", "<c>\x80\xBF\xC0\xC1\xF5\xFF</c>" + kAscii, false, 1},
    {"BadSecondByte", "<c>\xC3(</c>" + kAscii, false, 2},
    {"BadFourthByte", "<c>\xF0\x9F\x98(</c>" + kAscii, false, 2},
    {"LeadAtEndOfCount", kAscii + "\xE2\x82", false, 1},
    {"ZeroStopsTheCheck", kAscii + std::string(1, '\0') + "\xC3(<", false, 1},
    {"DeclarationIgnored", kDeclared + "latin1\"?>", false, 1},
    {"DeclaredUtf8", kDeclared + "UTF-8\"?>", true, 1},
    {"DeclaredUtf8Invalid", kDeclared + "utf-8\"?>\xC3(", true, 0},
    {"DeclaredUtf8Prefix", kDeclared + "utf8-whatever\"?>", true, 1},
    {"DeclaredShiftJis", kDeclared + "shift-jis\"?>", true, 3},
    {"DeclaredShiftjis", kDeclared + "SHIFTJIS\"?>", true, 3},
    {"DeclaredSjis", kDeclared + "sJIS\"?>", true, 3},
    {"DeclaredShiftUnderscore", kDeclared + "Shift_JIS\"?>", true, 2},
    {"DeclaredLatin1", kDeclared + "ISO-8859-1\"?>", true, 2},
    {"DeclaredSingleQuotes", "<?xml version='1.0' encoding = '\t sjis'?>", true, 3},
    {"DeclarationWithoutEquals", "<?xml version='1.0' encoding 'sjis'?>", true, 1},
    {"DeclarationWithoutQuote", "<?xml version='1.0' encoding=sjis?>", true, 1},
    {"DeclarationCaseSensitive", "<?xml version='1.0' ENCODING='sjis'?>", true, 1},
    {"DeclarationBeyond200", "<?xml version='1.0'" + std::string(200, ' ') + "encoding='sjis'?>", true, 1},
};

class Detect : public ::testing::TestWithParam<DetectRow> {};

TEST_P(Detect, DecidesEncoding) {
    const DetectRow& row = GetParam();
    const auto* bytes = reinterpret_cast<const unsigned char*>(row.bytes.data());
    EXPECT_EQ(row.expected, DetectEncoding(bytes, static_cast<int>(row.bytes.size()), row.useDeclaration));
}

INSTANTIATE_TEST_SUITE_P(Xml, Detect, ::testing::ValuesIn(kDetections),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DetectEncoding, BadCountsAreUndecided) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(kAscii.c_str());
    EXPECT_EQ(0, DetectEncoding(bytes, -1, true));
    EXPECT_EQ(0, DetectEncoding(nullptr, 100, true));
}

}  // namespace

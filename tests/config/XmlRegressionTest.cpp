#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "config/Xml.h"
#include "tests/config/XmlDump.h"

using config::DetectEncoding;
using config::LoadFile;
using config::LoadFileWithReport;
using config::XmlEncodingShiftJis;
using config::XmlEncodingSingleByte;
using config::XmlEncodingUtf8;
using config::XmlNode;
using config::XmlResults;

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ExpectConsistent(const XmlNode& document, const XmlResults& results, const std::string& what) {
    EXPECT_TRUE(results.error >= 0 && results.error <= 13) << what;
    EXPECT_EQ(results.error <= 2, !document.IsNull()) << what;
}

// Every input kept in the folder goes through each encoding, the detection and the loader;
// AddressSanitizer and UBSan builds turn any fault into a failure here.
TEST(XmlRegressions, EveryKeptInputIsHandled) {
    int files = 0;
    for (const auto& entry : fs::directory_iterator(TOLVIK_XML_REGRESSIONS)) {
        const std::string bytes = ReadAll(entry.path());
        const std::string name = entry.path().filename().string();
        for (int encoding : {XmlEncodingUtf8, XmlEncodingSingleByte, XmlEncodingShiftJis}) {
            for (const char* firstTag : {static_cast<const char*>(nullptr), "XML"}) {
                XmlResults results{};
                XmlNode document = ParseCopy(bytes, firstTag, &results, encoding);
                ExpectConsistent(document, results, name);
                Dump(document);
            }
        }
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        for (bool useDeclaration : {false, true}) {
            const int encoding = DetectEncoding(data, static_cast<int>(bytes.size()), useDeclaration);
            EXPECT_TRUE(encoding >= 0 && encoding <= 3) << name;
        }
        EncodingScope scope(XmlEncodingUtf8);
        char report[260];
        XmlResults results{};
        XmlNode loaded = LoadFile(entry.path().string().c_str(), "XML", &results);
        ExpectConsistent(loaded, results, name);
        LoadFileWithReport(entry.path().string().c_str(), nullptr, report, sizeof(report));
        ++files;
    }
    EXPECT_GT(files, 0);
}

}  // namespace

// The registry stand-in: what opening a key and reading a value give for export files as regedit
// writes them and as people edit them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/Registry.h"
#include "tests/support/LookupFiles.h"

namespace {

using platform::RegistryRead;

const char kKey[] = "SOFTWARE\\Quarn Corporation\\Install Data\\JVR";
const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
const std::string kSection = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quarn Corporation\\Install Data\\JVR]\r\n";
const std::string k259(259, 'a');

struct Row {
    const char* name;
    std::string file;   // the export's bytes
    const char* value;  // the value asked for
    bool opens;
    RegistryRead read;
    std::string text;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

class ExportRead : public testing::TestWithParam<Row> {};

TEST_P(ExportRead, KeyAndValue) {
    const Row& row = GetParam();
    TempFolder folder;
    ScopedRegistry registry(folder.Write("export.reg", row.file).c_str());

    platform::RegistryKey key;
    const platform::Registry read;
    ASSERT_EQ(key.Open(read, kKey), row.opens);
    char buffer[260];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    EXPECT_EQ(key.ReadString(row.value, buffer, sizeof(buffer)), row.read);
    EXPECT_EQ(std::string(buffer), row.text) << "the buffer always holds a terminated text";
}

std::string Unicode(const std::string& text) {
    return "\xFF\xFE" + Utf16Le(text);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ExportRead,
    testing::Values(
        Row{"Unicode", RegistryExport(ExportForm::Unicode, {{kKey, {{"TargetDir", "C:\\Quarn\\JVR\\"}}}}),
            "TargetDir", true, RegistryRead::Ok, "C:\\Quarn\\JVR\\"},
        Row{"Regedit4", RegistryExport(ExportForm::Regedit4, {{kKey, {{"TargetDir", "C:\\JVR"}}}}),
            "TargetDir", true, RegistryRead::Ok, "C:\\JVR"},
        Row{"UnicodeLatin1BecomesUtf8", Unicode(kHeader + kSection + "\"TargetDir\"=\"M\xFCller\"\r\n"),
            "TargetDir", true, RegistryRead::Ok, "M\xC3\xBCller"},
        Row{"Utf8ByteOrderMarkLfOnlyAnyCase",
            "\xEF\xBB\xBFREGEDIT4\n[hkey_local_machine\\software\\QUARN CORPORATION\\install data\\jvr]\n"
            "\"TARGETDIR\"=\"/opt/jvr\"\n",
            "TargetDir", true, RegistryRead::Ok, "/opt/jvr"},
        Row{"EscapesAndDefaultValue",
            RegistryExport(ExportForm::Unicode, {{kKey, {{"", "a \"quoted\" \\ text"}}}}), "", true,
            RegistryRead::Ok, "a \"quoted\" \\ text"},
        Row{"OtherLinesSkipped",
            kHeader + "; a comment\r\n" + kSection +
                "\"Count\"=dword:00000001\r\n\"Blob\"=hex:01,02,\\\r\n  03,04\r\n\"Open\"=\"no end\r\n"
                "\"Trailing\"=\"x\" junk\r\ngarbage\r\n\"TargetDir\" = \"kept\"\r\n",
            "TargetDir", true, RegistryRead::Ok, "kept"},
        Row{"NonStringValueIsMissing", kHeader + kSection + "\"Count\"=dword:00000001\r\n", "Count", true,
            RegistryRead::Missing, ""},
        Row{"LaterValueReplacesEarlier",
            kHeader + kSection + "\"TargetDir\"=\"first\"\r\n" + kSection + "\"TargetDir\"=\"second\"\r\n",
            "TargetDir", true, RegistryRead::Ok, "second"},
        Row{"SubkeyAndOverlongHeaderEndTheKey",
            kHeader + kSection + "\"TargetDir\"=\"mine\"\r\n" + kSection.substr(0, kSection.size() - 3) +
                "\\Sub]\r\n\"TargetDir\"=\"sub\"\r\n" + kSection + "[" + std::string(5000, 'K') +
                "]\r\n\"TargetDir\"=\"other\"\r\n",
            "TargetDir", true, RegistryRead::Ok, "mine"},
        Row{"KeyExistsThroughItsSubkey",
            kHeader + "[HKEY_LOCAL_MACHINE\\" + kKey + "\\Sub]\r\n\"A\"=\"b\"\r\n", "A", true,
            RegistryRead::Missing, ""},
        Row{"OtherHive", kHeader + "[HKEY_CURRENT_USER\\" + kKey + "]\r\n\"TargetDir\"=\"x\"\r\n",
            "TargetDir", false, RegistryRead::Missing, ""},
        Row{"NoHeader", kSection + "\"TargetDir\"=\"x\"\r\n", "TargetDir", false, RegistryRead::Missing, ""},
        Row{"LongestValue", RegistryExport(ExportForm::Regedit4, {{kKey, {{"TargetDir", k259}}}}),
            "TargetDir", true, RegistryRead::Ok, k259},
        Row{"ValueTooLong", RegistryExport(ExportForm::Regedit4, {{kKey, {{"TargetDir", k259 + "a"}}}}),
            "TargetDir", true, RegistryRead::TooLong, ""}),
    [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

TEST(Registry, NoKeyWithoutAReadableExport) {
    TempFolder folder;
    const std::string missing = folder.Path() + "/missing.reg";
    for (const char* exportPath :
         {static_cast<const char*>(nullptr), "", missing.c_str(), folder.Path().c_str()}) {
        ScopedRegistry registry(exportPath);
        EXPECT_FALSE(platform::RegistryKey().Open(platform::Registry(), kKey))
            << (exportPath ? exportPath : "unset");
    }
}

}  // namespace

// The real registry as the lookup reads it: values stored the ways installers and people leave
// them (without a terminating zero, at the length limit, of other types, in the 32-bit view), and
// the lookup end to end over such values. The host name names the CAL file.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "canlink/LookUpBridgeMac.h"
#include "platform/HostName.h"
#include "platform/Registry.h"
#include "tests/support/LookupFiles.h"
#include "tests/support/RecordingPort.h"
#include "tests/windows/RegistryKeys.h"

using canlink::LookUpBridgeMac;

namespace {

using platform::RegistryRead;

const char kKey[] = "SOFTWARE\\Tolvik Tests\\Registry";
const char kOlderKey[] = "SOFTWARE\\Quarn Corporation\\Install Data\\Vistrel";

struct ValueRow {
    const char* name;
    DWORD type;
    std::string bytes;  // stored exactly: a terminating zero only where written here
    RegistryRead read;
    std::string text;
};

TEST(Registry, ReadsValuesAsStored) {
    ASSERT_FALSE(RegistryKeys::Exists(kKey));
    const std::string k259(259, 'a');
    const std::string k260(260, 'b');
    const DWORD number = 0x41;
    const ValueRow rows[] = {
        {"plain", REG_SZ, std::string("C:\\Apps\\Vistrel", 16), RegistryRead::Ok, "C:\\Apps\\Vistrel"},
        {"no zero", REG_SZ, "C:\\Apps\\Vistrel", RegistryRead::Ok, "C:\\Apps\\Vistrel"},
        {"empty", REG_SZ, "", RegistryRead::Ok, ""},
        {"259 and zero", REG_SZ, k259 + '\0', RegistryRead::Ok, k259},
        {"259, no zero", REG_SZ, k259, RegistryRead::Ok, k259},
        {"260 and zero", REG_SZ, k260 + '\0', RegistryRead::TooLong, ""},
        {"260, no zero", REG_SZ, k260, RegistryRead::TooLong, ""},
        {"expandable", REG_EXPAND_SZ, std::string("%TEMP%\\x", 9), RegistryRead::Ok, "%TEMP%\\x"},
        {"number", REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4), RegistryRead::Missing,
         ""},
        {"binary", REG_BINARY, "C:\\", RegistryRead::Missing, ""},
    };
    RegistryKeys keys;
    for (const ValueRow& row : rows) {
        ASSERT_TRUE(
            keys.SetRaw(kKey, row.name, row.type, row.bytes.data(), static_cast<DWORD>(row.bytes.size())))
            << row.name;
    }
    const platform::Registry registry;
    platform::RegistryKey key;
    ASSERT_TRUE(key.Open(registry, "software\\TOLVIK TESTS\\registry")) << "key names ignore case";
    for (const ValueRow& row : rows) {
        char buffer[260];
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        EXPECT_EQ(key.ReadString(row.name, buffer, sizeof(buffer)), row.read) << row.name;
        EXPECT_EQ(std::string(buffer), row.text) << row.name;
    }
    char buffer[8];
    EXPECT_EQ(key.ReadString("absent", buffer, sizeof(buffer)), RegistryRead::Missing);
    EXPECT_STREQ(buffer, "");
}

TEST(Registry, ReadsTheSixtyFourBitView) {
    ASSERT_FALSE(RegistryKeys::Exists(kKey));
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr,
                              &handle, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(handle);
    const platform::Registry registry;
    platform::RegistryKey key;
    EXPECT_FALSE(key.Open(registry, kKey)) << "a key only 32-bit programs see is not the installation's";
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, KEY_WOW64_32KEY, 0);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tolvik Tests", KEY_WOW64_32KEY, 0);
}

// The older installation's TargetDir as stored, through the lookup to the CAL file.
TEST(Registry, LookUpTakesTargetDirAsStored) {
    if (RegistryKeys::Exists("SOFTWARE\\Quarn Corporation")) {
        GTEST_SKIP() << "this machine has the host applications' keys; they are left alone";
    }
    const TempFolder folder;
    folder.Write("vistrel\\cfg\\" + HostName() + ".1", "MACADDRESS=00-50-C2-0A-BC-DE\r\n");
    const std::string dir = folder.Path() + "\\vistrel";
    const struct {
        const char* name;
        std::string stored;
        const char* line;
    } rows[] = {
        {"with zero", dir + '\0', "MAC found in CAL file"},
        {"without zero", dir, "MAC found in CAL file"},
        {"longer than a path", dir + std::string(300, '\\'), "TargetDir value is longer than 259 characters"},
    };
    for (const auto& row : rows) {
        RegistryKeys keys;
        ASSERT_TRUE(keys.SetRaw(kOlderKey, "TargetDir", REG_SZ, row.stored.data(),
                                static_cast<DWORD>(row.stored.size())));
        RecordingPort port;
        std::array<uint8_t, 6> mac{};
        const bool found = LookUpBridgeMac(port, mac.data());
        EXPECT_EQ(port.Lines(), std::vector<std::string>{row.line}) << row.name;
        EXPECT_EQ(found, std::strcmp(row.line, "MAC found in CAL file") == 0) << row.name;
    }
    EXPECT_FALSE(RegistryKeys::Exists("SOFTWARE\\Quarn Corporation")) << "the test's keys are gone";
}

TEST(HostName, NamesThisComputerAndRefusesTooSmallBuffers) {
    char name[260];
    ASSERT_TRUE(platform::GetHostName(name, sizeof(name)));
    char computer[260];
    DWORD size = sizeof(computer);
    ASSERT_TRUE(GetComputerNameExA(ComputerNameDnsHostname, computer, &size));
    EXPECT_EQ(_stricmp(name, computer), 0) << name << " / " << computer;

    const size_t length = std::strlen(name);
    ASSERT_GT(length, 0u);
    std::string small(length, 'x');
    EXPECT_FALSE(platform::GetHostName(small.data(), length)) << "no room for the zero";
    EXPECT_EQ(small[0], '\0');
}

}  // namespace

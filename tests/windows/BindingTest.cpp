// The bridge library bound the Windows way: by the vendor's file name from beside the program,
// refused with a clear message when missing or incomplete, and a whole link-up through it.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "canlink/BindBridgeLibrary.h"
#include "canlink/BridgeLibrary.h"
#include "canlink/ConnectToBridge.h"
#include "platform/File.h"
#include "platform/SharedLibrary.h"
#include "tests/support/RecordingPort.h"

using canlink::BindBridgeLibrary;
using canlink::Bridge;
using canlink::BridgeLibrary;
using canlink::ConnectToBridge;
using canlink::DefaultBridgeLibraryPath;
using port::MessageIcon;

namespace {

void CAN_CALLCONV NoPdo(int) {}
void CAN_CALLCONV NoSecondary(int, int) {}

void SetVariable(const char* name, const char* value) {
    _putenv_s(name, value ? value : "");  // an empty value removes it
}

// Each case starts unbound, with the library and the bench scenario it names.
class Binding : public testing::Test {
protected:
    void SetUp() override { Bridge() = BridgeLibrary(); }
    void TearDown() override {
        if (Bridge().IsBound()) {
            Bridge().CAN_Disconnect();
        }
        Bridge() = BridgeLibrary();
        SetVariable("TOLVIK_BRIDGE_LIBRARY", nullptr);
        SetVariable("TOLVIK_BENCH_SCENARIO", nullptr);
    }
};

TEST_F(Binding, RefusesMissingOrIncompleteLibraries) {
    const struct {
        const char* library;
        const char* message;
    } rows[] = {
        {"NoSuchBridge.dll", "Cannot load the bridge library NoSuchBridge.dll (error 126)."},
        {"partialbridge.dll",
         "The bridge library partialbridge.dll cannot be used: entry point CAN_SetNodeState is missing."},
    };
    for (const auto& row : rows) {
        SetVariable("TOLVIK_BRIDGE_LIBRARY", row.library);
        RecordingPort port;
        EXPECT_FALSE(BindBridgeLibrary(port, port.link)) << row.library;
        EXPECT_EQ(port.link.m_linkFailed, 1) << row.library;
        ASSERT_EQ(port.Boxes().size(), 1u) << row.library;
        EXPECT_EQ(port.Boxes()[0].text, row.message);
        EXPECT_EQ(port.Boxes()[0].icon, MessageIcon::Error);
        EXPECT_EQ(port.Boxes()[0].linkFailedWhenShown, 1) << "the flag is set before the box shows";
        EXPECT_FALSE(Bridge().IsBound());
    }
}

// Every library file gets its own bench, which reads its scenario on its first call: each row
// loads its own copy of the bench DLL.
TEST_F(Binding, LinksUpThroughTheVendorsFileName) {
    const std::vector<std::string> noInstallation = {"Vistrel registry key not found. Check Vistrel X.",
                                                     "Vistrel X key not found"};
    const struct {
        const char* library;  // null: the default, QuarnCANopen.dll beside the program
        const char* scenario;
        std::vector<std::string> lines;
        const char* box;
    } rows[] = {
        {nullptr, nullptr, {"1 bridge found", "Connected to CAN"}, nullptr},
        {"bench-in-use.dll",
         "bridge-in-use.txt",
         {"1 bridge found"},
         "Error connecting. Maximum connections exceeded."},
        {"bench-no-base-remote.dll",
         "no-base-remote.txt",
         {"1 bridge found", "Connected to CAN"},
         "Scan completed OK. No base remote found."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.library ? row.library : "QuarnCANopen.dll");
        Bridge() = BridgeLibrary();
        SetVariable("TOLVIK_BRIDGE_LIBRARY", row.library);
        SetVariable(
            "TOLVIK_BENCH_SCENARIO",
            row.scenario ? (std::string(TOLVIK_BENCH_SCENARIOS) + "/" + row.scenario).c_str() : nullptr);
        if (!row.library) {
            EXPECT_EQ(DefaultBridgeLibraryPath(), "QuarnCANopen.dll");
            EXPECT_TRUE(platform::CheckFile((platform::ExecutableDirectory() + "\\QuarnCANopen.dll").c_str(),
                                            UINT64_MAX)
                            .state == platform::FileState::Regular)
                << "found beside the program, not in some system folder";
        }
        RecordingPort port;
        ASSERT_TRUE(BindBridgeLibrary(port, port.link));
        ConnectToBridge(port, port.link, NoPdo, NoSecondary);

        std::vector<std::string> lines = noInstallation;
        lines.insert(lines.end(), row.lines.begin(), row.lines.end());
        EXPECT_EQ(port.Lines(), lines);
        EXPECT_EQ(port.link.m_linkFailed, row.box ? 1 : 0);
        if (row.box) {
            ASSERT_EQ(port.Boxes().size(), 1u);
            EXPECT_EQ(port.Boxes()[0].text, row.box);
        } else {
            EXPECT_TRUE(port.Boxes().empty());
        }
        Bridge().CAN_Disconnect();
    }
}

}  // namespace

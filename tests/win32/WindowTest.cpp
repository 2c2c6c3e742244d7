// Drives the real Tolvik.exe on the bench through its window, as a technician would: the bench
// library sits beside it as QuarnCANopen.dll and the scenario comes through TOLVIK_BENCH_SCENARIO.
//   tolvik_window_tests <folder holding Tolvik.exe and QuarnCANopen.dll>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/win32/TolvikProcess.h"

#include <commctrl.h>

namespace {

using testing::Contains;
using testing::Not;
using testing::Value;

std::string g_exe;

constexpr int kStatusLog = 1002;
constexpr int kKeyMeasure = 1005;
constexpr int kAssociate = 1016;
constexpr int kRemotePicture = 1017;
constexpr int kBattery = 1020;
constexpr int kFirmware = 1022;

int ShownPicture(HWND dialog) {
    return static_cast<int>(GetWindowLongPtrA(GetDlgItem(dialog, kRemotePicture), GWLP_USERDATA));
}

struct ToolTipSearch {
    HWND dialog;
    HWND found;
};

BOOL CALLBACK MatchToolTip(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ToolTipSearch*>(context);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) == "tooltips_class32" && GetWindow(window, GW_OWNER) == search->dialog) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The tooltip window the process made for the dialog.
HWND ToolTipOf(HWND dialog) {
    ToolTipSearch search{dialog, nullptr};
    EnumWindows(MatchToolTip, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST(TolvikWindow, StartsOnTheDefaultBenchAndIgnoresEnterAndEsc) {
    TolvikProcess tolvik(g_exe, "");
    HWND dialog = tolvik.MainWindow();
    ASSERT_NE(dialog, nullptr);
    HWND log = GetDlgItem(dialog, kStatusLog);
    ASSERT_TRUE(tolvik.WaitFor([&] { return Value(ListLines(log), Contains("V4.0, compatible")); }));

    const std::vector<std::string> lines = ListLines(log);
    const std::vector<std::string> tail(lines.end() - 4, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"1 bridge found", "Connected to CAN", "Found 3817-5526-02 FW",
                                              "V4.0, compatible"}));
    EXPECT_THAT(lines, Not(Contains("Bridge connect failed")));
    EXPECT_EQ(SendMessageA(log, LB_GETCURSEL, 0, 0), static_cast<LRESULT>(lines.size() - 1));
    // The widest line is wider than the list: the scroll range follows it.
    RECT client{};
    GetClientRect(log, &client);
    std::string shown;
    for (const std::string& line : lines) {
        shown += line + "\n";
    }
    EXPECT_GT(SendMessageA(log, LB_GETHORIZONTALEXTENT, 0, 0), client.right) << shown;

    EXPECT_EQ(WindowText(GetDlgItem(dialog, kFirmware)), "V4.0, compatible");
    EXPECT_EQ(WindowText(GetDlgItem(dialog, kBattery)), " ?? ");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kAssociate)));
    EXPECT_EQ(ShownPicture(dialog), 130);
    EXPECT_EQ(WindowText(dialog), "Tolvik");

    HWND tips = ToolTipOf(dialog);
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 16);

    // Enter and Esc, typed or as the commands they become, end nothing.
    SetForegroundWindow(dialog);
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        PostMessageA(GetDlgItem(dialog, kFirmware), WM_KEYDOWN, key, 0);
        PostMessageA(GetDlgItem(dialog, kFirmware), WM_KEYUP, key, 0);
    }
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    Sleep(500);
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_EQ(tolvik.WaitForExit(0), STILL_ACTIVE);

    // Only the close box ends it, and the whole process goes.
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(tolvik.WaitForExit(15000), 0u);
}

TEST(TolvikWindow, NoBridgeShowsItsBoxThenOpensWithTheLinkDown) {
    TolvikProcess tolvik(g_exe, "fault no-bridge\n");
    HWND box = nullptr;
    ASSERT_TRUE(tolvik.WaitFor([&] { return (box = tolvik.FindOtherWindow("Tolvik")) != nullptr; }));
    EXPECT_EQ(MessageBoxText(box), "No bridges found on the local network");
    HWND owner = GetWindow(box, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_NE(GetDlgItem(owner, kStatusLog), nullptr) << "the box belongs to the main dialog";
    SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);

    HWND dialog = tolvik.MainWindow();
    ASSERT_NE(dialog, nullptr);
    HWND log = GetDlgItem(dialog, kStatusLog);
    ASSERT_TRUE(tolvik.WaitFor([&] { return Value(ListLines(log), Contains("Bridge connect failed")); }));
    EXPECT_EQ(ListLines(log).back(), "Bridge connect failed");
    EXPECT_EQ(WindowText(GetDlgItem(dialog, kBattery)), " ?? ");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kAssociate)));
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(tolvik.WaitForExit(15000), 0u);
}

// On the adapter library, the reason is in the log when the box comes: for names that are none,
// and for the COM ports wine-window.sh lists that are no serial port.
TEST(TolvikWindow, AdapterFailureShowsItsReasonBeforeTheBox) {
    const std::string absent =
        ": no serial port of that name; check that the adapter is plugged in and the name is right";
    const std::string longName = "slcan:" + std::string(4994, 'C');
    // A line longer than the log takes keeps its start and its end, where the reason is.
    const std::string longReason =
        longName.substr(0, 256) + " ... " + std::string(763 - absent.size(), 'C') + absent;
    const std::string notConnected = "Error connecting. Maximum connections exceeded.";
    const struct {
        std::string adapter;
        std::string box;
        std::string reason;
    } cases[] = {
        {"slcan", "Error scanning for bridges",
         "Adapter name not understood: adapter 'slcan': expected KIND:DEVICE, for example "
         "slcan:/dev/ttyACM0, slcan:COM5 or socketcan:can0"},
        {"slcan:COM9", "No bridges found on the local network", "slcan:COM9" + absent},
        {longName, "No bridges found on the local network", longReason},
        {"slcan:COM7", notConnected, "slcan:COM7: it is not a serial port"},
        {"slcan:COM8", notConnected, "slcan:COM8: it is not a serial port"},
        {"slcan:COM11", notConnected, "slcan:COM11: it is not a serial port"},
        {"slcan:COM12", notConnected, "slcan:COM12: it is not a serial port"},
        {"slcan:COM13", notConnected, "slcan:COM13: it is not a serial port: a folder"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.adapter.substr(0, 20));
        const DWORD start = GetTickCount();
        TolvikProcess tolvik(g_exe, "", "--adapter " + row.adapter);
        HWND box = tolvik.WaitForOtherWindow("Tolvik", 10000);
        const DWORD shown = GetTickCount() - start;
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), row.box);
        const std::vector<std::string> lines = ListLines(GetDlgItem(GetWindow(box, GW_OWNER), kStatusLog));
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), row.reason);
        SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        HWND dialog = tolvik.MainWindow(10000);
        ASSERT_NE(dialog, nullptr);
        const DWORD closing = GetTickCount();
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        EXPECT_EQ(tolvik.WaitForExit(5000), 0u);
        std::printf("%s: box after %lu ms, ended %lu ms after the close\n", row.adapter.substr(0, 20).c_str(),
                    shown, GetTickCount() - closing);
    }
}

TEST(TolvikWindow, WiredKeyFromTheBusLightsItsKeyUntilReleased) {
    // Late enough that the window's first paint, which shows the idle picture, is over.
    TolvikProcess tolvik(g_exe, "at 3000 key wired 2\nat 5000 key wired up\n");
    HWND dialog = tolvik.MainWindow();
    ASSERT_NE(dialog, nullptr);
    HWND log = GetDlgItem(dialog, kStatusLog);
    ASSERT_TRUE(tolvik.WaitFor([&] { return Value(ListLines(log), Contains("Key (Measure) down")); }));
    EXPECT_EQ(ShownPicture(dialog), 142);
    ASSERT_TRUE(tolvik.WaitFor([&] { return Value(ListLines(log), Contains("Key up")); }));
    EXPECT_EQ(ShownPicture(dialog), 130);
}

TEST(TolvikWindow, VirtualKeyPressAndReleaseGoOnTheBus) {
    // With echo on, what the tool transmits comes back as the base remote's key events.
    TolvikProcess tolvik(g_exe, "echo on\n");
    HWND dialog = tolvik.MainWindow();
    ASSERT_NE(dialog, nullptr);
    HWND log = GetDlgItem(dialog, kStatusLog);
    ASSERT_TRUE(tolvik.WaitFor([&] { return Value(ListLines(log), Contains("V4.0, compatible")); }));
    const size_t before = ListLines(log).size();

    HWND key = GetDlgItem(dialog, kKeyMeasure);
    SendMessageA(key, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_TRUE(tolvik.WaitFor([&] { return Value(ListLines(log), Contains("Key (Measure) down")); }));
    EXPECT_EQ(ShownPicture(dialog), 142);
    SendMessageA(key, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(tolvik.WaitFor([&] { return Value(ListLines(log), Contains("Key up")); }));

    const std::vector<std::string> lines = ListLines(log);
    const std::vector<std::string> added(lines.begin() + static_cast<long>(before), lines.end());
    // Each transmission is logged when sent and seen once on the bus.
    EXPECT_EQ(std::count(added.begin(), added.end(), "Send Measure"), 1);
    EXPECT_EQ(std::count(added.begin(), added.end(), "Key (Measure) down"), 1);
    EXPECT_EQ(std::count(added.begin(), added.end(), "Send key up"), 1);
    EXPECT_EQ(std::count(added.begin(), added.end(), "Key up"), 1);
    EXPECT_LT(std::find(added.begin(), added.end(), "Send Measure"),
              std::find(added.begin(), added.end(), "Send key up"));
}

TEST(TolvikWindow, AssociationPairsAndTheBatteryTurnsOk) {
    TolvikProcess tolvik(g_exe, "pair-delay 500\n");
    HWND dialog = tolvik.MainWindow();
    ASSERT_NE(dialog, nullptr);
    HWND wait = StartAssociation(tolvik, dialog);
    ASSERT_NE(wait, nullptr);
    EXPECT_FALSE(IsWindowEnabled(dialog)) << "the main dialog waits while the association runs";
    ASSERT_TRUE(tolvik.WaitFor([&] { return !IsWindow(wait); }, 30000));
    EXPECT_TRUE(IsWindowEnabled(dialog));
    EXPECT_TRUE(tolvik.WaitFor([&] { return WindowText(GetDlgItem(dialog, kBattery)) == " OK "; }));
}

TEST(TolvikWindow, CloseDuringTheAssociationEndsItFirst) {
    TolvikProcess tolvik(g_exe, "insert-batteries-when-window-opens off\n");
    HWND dialog = tolvik.MainWindow();
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(StartAssociation(tolvik, dialog), nullptr);

    // No remote ever pairs: only the close request ends the association, well before its 20 s.
    const DWORD start = GetTickCount();
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(tolvik.WaitForExit(15000), 0u);
    EXPECT_LT(GetTickCount() - start, 15000u);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tolvik_window_tests <folder with Tolvik.exe>\n");
        return 2;
    }
    TolvikFolder() = WindowsPath(argv[1]);
    g_exe = TolvikFolder() + "\\Tolvik.exe";
    return RUN_ALL_TESTS();
}

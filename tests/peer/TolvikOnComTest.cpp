// The real Tolvik.exe on its adapter library through COM5 under Wine, the peer's pty behind it
// (wine-peer.sh links the port, feeds the peer what the test appends to TOLVIK_PEER_COMMANDS and
// keeps the peer's output in TOLVIK_PEER_LOG). One session from start-up to close, as a
// technician runs it: every step needs frames to come back through the Win32 serial port. Then the
// adapter chooser as a technician meets it, over the ports the test writes into SERIALCOMM. Last,
// the adapter's reasons for what went wrong, as the log shows them.
//   tolvik_com_tests <Tolvik.exe> <tolvikcan.dll>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/win32/TolvikProcess.h"

namespace {

constexpr int kStatusLog = 1002;
constexpr int kKeyMeasure = 1005;
constexpr int kRemotePicture = 1017;
constexpr int kBattery = 1020;
constexpr int kFirmware = 1022;
constexpr int kAdapterList = 1101;
constexpr int kBitrate = 1102;
constexpr int kRemember = 1104;
constexpr int kRefresh = 1105;
constexpr int kNothingPresent = 1106;

std::string g_exe;
std::string g_library;

// The peer as seen from inside Wine: commands appended to a file, its output read from a file.
class PeerFiles {
public:
    PeerFiles()
        : m_commands(WindowsPath(Environment("TOLVIK_PEER_COMMANDS"))),
          m_log(WindowsPath(Environment("TOLVIK_PEER_LOG"))) {}

    void Command(const std::string& line) const {
        std::ofstream(m_commands, std::ios::app) << line << "\n" << std::flush;
    }
    // Command, then wait until the peer has answered it (its answer starts "r <first word>").
    bool Done(const std::string& line) const {
        const std::string answer = "r " + line.substr(0, line.find(' '));
        const size_t from = Lines().size();
        Command(line);
        for (int i = 0; i < 100; ++i) {
            if (!LinesWith(answer, from).empty()) {
                return true;
            }
            Sleep(50);
        }
        return false;
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::ifstream log(m_log);
        for (std::string line; std::getline(log, line);) {
            lines.push_back(line);
        }
        return lines;
    }
    // Lines from index `from` on that start with `prefix`.
    std::vector<std::string> LinesWith(const std::string& prefix, size_t from) const {
        std::vector<std::string> found;
        const std::vector<std::string> lines = Lines();
        for (size_t i = from; i < lines.size(); ++i) {
            if (lines[i].rfind(prefix, 0) == 0) {
                found.push_back(lines[i]);
            }
        }
        return found;
    }

private:
    static std::string Environment(const char* name) {
        char value[MAX_PATH] = {};
        GetEnvironmentVariableA(name, value, sizeof value);
        return value;
    }

    std::string m_commands;
    std::string m_log;
};

bool Shows(HWND log, const std::string& line) {
    for (const std::string& shown : ListLines(log)) {
        if (shown == line) {
            return true;
        }
    }
    return false;
}

int ShownPicture(HWND dialog) {
    return static_cast<int>(GetWindowLongPtrA(GetDlgItem(dialog, kRemotePicture), GWLP_USERDATA));
}

TEST(TolvikOnCom, WholeSessionThroughTheSerialPort) {
    const PeerFiles peer;
    SetEnvironmentVariableA("TOLVIK_BRIDGE_LIBRARY", g_library.c_str());
    TolvikProcess tolvik(g_exe, "");
    HWND dialog = tolvik.MainWindow();
    ASSERT_NE(dialog, nullptr);
    HWND log = GetDlgItem(dialog, kStatusLog);

    // Start-up: the node scan and the firmware's SDO uploads all need the answers.
    ASSERT_TRUE(tolvik.WaitFor([&] { return Shows(log, "V4.2, compatible"); })) << WindowText(log);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, kFirmware)), "V4.2, compatible");
    EXPECT_TRUE(Shows(log, "Connected to CAN"));

    // A key pressed on the base remote, shown in the log and the picture until released.
    peer.Command("pdo 1c8 02");
    ASSERT_TRUE(tolvik.WaitFor([&] { return Shows(log, "Key (Measure) down"); }));
    EXPECT_EQ(ShownPicture(dialog), 142);
    peer.Command("pdo 1c8 00");
    ASSERT_TRUE(tolvik.WaitFor([&] { return Shows(log, "Key up"); }));
    EXPECT_EQ(ShownPicture(dialog), 130);

    // The virtual key's press and release, each one frame on the bus.
    size_t mark = peer.Lines().size();
    HWND key = GetDlgItem(dialog, kKeyMeasure);
    SendMessageA(key, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(key, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(tolvik.WaitFor([&] { return Shows(log, "Send key up"); }));
    EXPECT_TRUE(Shows(log, "Send Measure"));
    EXPECT_TRUE(tolvik.WaitFor([&] { return peer.LinesWith("h t1C81", mark).size() >= 2; }));
    EXPECT_EQ(peer.LinesWith("h t1C81", mark), (std::vector<std::string>{"h t1C8102", "h t1C8100"}));

    // The association: the window opens, a remote pairs, and the closing write clears the bit.
    mark = peer.Lines().size();
    HWND wait = StartAssociation(tolvik, dialog);
    ASSERT_NE(wait, nullptr);
    ASSERT_TRUE(tolvik.WaitFor([&] { return !peer.LinesWith("e sdo-write 72 2010 5", mark).empty(); }));
    peer.Command("pair");
    ASSERT_TRUE(tolvik.WaitFor([&] { return !IsWindow(wait); }, 30000));
    EXPECT_TRUE(tolvik.WaitFor([&] { return peer.LinesWith("e sdo-write 72 2010 5", mark).size() >= 2; }));
    EXPECT_EQ(peer.LinesWith("e sdo-write 72 2010 5", mark),
              (std::vector<std::string>{"e sdo-write 72 2010 5 45", "e sdo-write 72 2010 5 41"}));
    EXPECT_TRUE(tolvik.WaitFor([&] { return WindowText(GetDlgItem(dialog, kBattery)) == " OK "; }));

    // The close box ends the session, and the adapter's channel is closed on the way out.
    mark = peer.Lines().size();
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(tolvik.WaitForExit(15000), 0u);
    EXPECT_EQ(peer.LinesWith("h C", mark), std::vector<std::string>{"h C"});
}

std::string Remembered() {
    char text[256] = {};
    DWORD bytes = sizeof text;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Tolvik", "Adapter", RRF_RT_REG_SZ, nullptr, text,
                     &bytes) != ERROR_SUCCESS) {
        return "";
    }
    return text;
}

// The ports the rows name, in the order shown.
std::vector<std::string> RowPorts(HWND chooser) {
    std::vector<std::string> ports;
    for (const std::string& row : ListLines(GetDlgItem(chooser, kAdapterList))) {
        ports.push_back(row.substr(0, row.find(" - ")));
    }
    return ports;
}

// A key pressed where the chooser's focus is, through its dialog loop as typed keys go.
void Press(HWND chooser, WPARAM key) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(chooser, nullptr), &info);
    HWND focus = info.hwndFocus ? info.hwndFocus : chooser;
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

LRESULT SelectedRate(HWND chooser) {
    const HWND rates = GetDlgItem(chooser, kBitrate);
    return SendMessageA(rates, CB_GETITEMDATA, SendMessageA(rates, CB_GETCURSEL, 0, 0), 0);
}

void SelectRate(HWND chooser, LRESULT rate) {
    const HWND rates = GetDlgItem(chooser, kBitrate);
    for (LRESULT i = 0; i < SendMessageA(rates, CB_GETCOUNT, 0, 0); ++i) {
        if (SendMessageA(rates, CB_GETITEMDATA, i, 0) == rate) {
            SendMessageA(rates, CB_SETCURSEL, i, 0);
        }
    }
}

TEST(TolvikOnCom, AdapterChooserListsRefreshesCancelsAndRemembers) {
    const PeerFiles peer;
    SetEnvironmentVariableA("TOLVIK_BRIDGE_LIBRARY", g_library.c_str());
    SetEnvironmentVariableA("TOLVIK_CAN_ADAPTER", nullptr);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Tolvik", "Adapter");
    const size_t start = peer.Lines().size();

    // Nothing present: the note says what to check, Connect waits, and Esc ends Tolvik.
    ASSERT_TRUE(ListSerialPorts({}));
    {
        TolvikProcess tolvik(g_exe, "");
        HWND chooser = tolvik.WaitForOtherWindow(kAdapterChooser);
        ASSERT_NE(chooser, nullptr);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(chooser, kAdapterList)));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(chooser, kNothingPresent)));
        EXPECT_EQ(WindowText(GetDlgItem(chooser, kNothingPresent)).rfind("No CAN adapter found.", 0), 0u);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(chooser, IDOK)));
        Press(chooser, VK_ESCAPE);
        EXPECT_EQ(tolvik.WaitForExit(10000), 0u);
        EXPECT_EQ(tolvik.MainWindow(0), nullptr);
    }

    // Two ports in number order; a third plugged in while the chooser is open shows on Refresh.
    ASSERT_TRUE(ListSerialPorts({"COM10", "COM3"}));
    {
        TolvikProcess tolvik(g_exe, "");
        HWND chooser = tolvik.WaitForOtherWindow(kAdapterChooser);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(RowPorts(chooser), (std::vector<std::string>{"COM3", "COM10"}));
        EXPECT_EQ(SelectedRate(chooser), 125000);
        ASSERT_TRUE(ListSerialPorts({"COM10", "COM3", "COM5"}));
        PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(kRefresh, BN_CLICKED), 0);
        ASSERT_TRUE(tolvik.WaitFor(
            [&] {
                return RowPorts(chooser) == std::vector<std::string>{"COM3", "COM5", "COM10"};
            },
            5000))
            << ListLines(GetDlgItem(chooser, kAdapterList)).size() << " rows";
        // Listing opened no port: nothing has reached the adapter.
        EXPECT_TRUE(peer.LinesWith("h ", start).empty());

        // COM5 at 250 kbit/s, remembered: the link comes up through it at that rate.
        SendMessageA(GetDlgItem(chooser, kAdapterList), LB_SETCURSEL, 1, 0);
        SelectRate(chooser, 250000);
        SendMessageA(GetDlgItem(chooser, kRemember), BM_SETCHECK, BST_CHECKED, 0);
        PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        HWND dialog = tolvik.MainWindow();
        ASSERT_NE(dialog, nullptr);
        HWND log = GetDlgItem(dialog, kStatusLog);
        ASSERT_TRUE(tolvik.WaitFor([&] { return Shows(log, "V4.2, compatible"); })) << WindowText(log);
        EXPECT_EQ(peer.LinesWith("h S", start), std::vector<std::string>{"h S5"});
        EXPECT_EQ(Remembered(), "slcan:COM5,bitrate=250000");
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        EXPECT_EQ(tolvik.WaitForExit(15000), 0u);
    }

    // The next start has it preselected: Enter once connects.
    const size_t next = peer.Lines().size();
    {
        TolvikProcess tolvik(g_exe, "");
        HWND chooser = tolvik.WaitForOtherWindow(kAdapterChooser);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(SendMessageA(GetDlgItem(chooser, kAdapterList), LB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(SelectedRate(chooser), 250000);
        EXPECT_EQ(SendMessageA(GetDlgItem(chooser, kRemember), BM_GETCHECK, 0, 0), BST_CHECKED);
        Press(chooser, VK_RETURN);
        HWND dialog = tolvik.MainWindow();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(
            tolvik.WaitFor([&] { return Shows(GetDlgItem(dialog, kStatusLog), "V4.2, compatible"); }));
        EXPECT_EQ(peer.LinesWith("h S", next), std::vector<std::string>{"h S5"});
    }
    SetEnvironmentVariableA("TOLVIK_CAN_ADAPTER", "slcan:COM5");
}

// The adapter's reason as the technician reads it: the log's last line when the box comes, or at
// once during the session. The peer's hang-up ends its port for good, so this runs last.
TEST(TolvikOnComReasons, EachFailureSaysWhyInTheLog) {
    const PeerFiles peer;
    SetEnvironmentVariableA("TOLVIK_BRIDGE_LIBRARY", g_library.c_str());
    SetEnvironmentVariableA("TOLVIK_CAN_ADAPTER", "slcan:COM5");
    ASSERT_TRUE(ListSerialPorts({"COM5"}));
    // Each peer fault on for one start of Tolvik, then off again. A port held by another program
    // is not among them: Wine opens a serial device a second time whatever the first open's share
    // mode, so the open Windows refuses succeeds here.
    const struct {
        const char* fault;
        const char* box;
        const char* reason;
    } rows[] = {
        {"fault refuse-bitrate", "Error connecting. Maximum connections exceeded.",
         "slcan:COM5: the adapter refused the bit rate of 125 kbit/s; name one it offers with bitrate=N"},
        {"silent 72", "Scan completed OK. No base remote found.",
         "Nodes that answered the scan: 73; the base remote (node 72) is not among them, check its cable and "
         "power"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        ASSERT_TRUE(peer.Done(std::string(row.fault) + " on"));
        {
            TolvikProcess tolvik(g_exe, "");
            HWND box = nullptr;
            EXPECT_TRUE(tolvik.WaitFor([&] { return (box = tolvik.FindOtherWindow("Tolvik")) != nullptr; }))
                << testing::PrintToString(ListLines(GetDlgItem(tolvik.MainWindow(0), kStatusLog)));
            if (box) {
                EXPECT_EQ(MessageBoxText(box), row.box);
                const std::vector<std::string> lines =
                    ListLines(GetDlgItem(GetWindow(box, GW_OWNER), kStatusLog));
                EXPECT_EQ(lines.empty() ? "" : lines.back(), row.reason);
                SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            }
            if (HWND dialog = tolvik.MainWindow()) {
                PostMessageA(dialog, WM_CLOSE, 0, 0);
            }
            EXPECT_EQ(tolvik.WaitForExit(15000), 0u);
        }
        ASSERT_TRUE(peer.Done(std::string(row.fault) + " off"));
    }

    // The adapter hangs up after start-up: one line says so at once, and Tolvik still closes.
    TolvikProcess tolvik(g_exe, "");
    HWND dialog = tolvik.MainWindow();
    ASSERT_NE(dialog, nullptr);
    HWND log = GetDlgItem(dialog, kStatusLog);
    ASSERT_TRUE(tolvik.WaitFor([&] { return Shows(log, "V4.2, compatible"); }))
        << testing::PrintToString(ListLines(log));
    ASSERT_TRUE(peer.Done("hangup"));
    const std::string lost =
        "slcan:COM5: the link to the adapter was lost (unplugged, hung up or a read error); nothing reaches "
        "the bus until Tolvik is started again";
    EXPECT_TRUE(tolvik.WaitFor([&] { return ListLines(log).back() == lost; }, 5000)) << ListLines(log).back();
    Sleep(500);
    const std::vector<std::string> lines = ListLines(log);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), lost), 1);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(tolvik.WaitForExit(15000), 0u);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tolvik_com_tests <Tolvik.exe> <tolvikcan.dll>\n");
        return 2;
    }
    g_exe = WindowsPath(argv[1]);
    g_library = WindowsPath(argv[2]);
    return RUN_ALL_TESTS();
}

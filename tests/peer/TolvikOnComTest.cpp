// The real Tolvik.exe on its adapter library through COM5 under Wine, the peer's pty behind it
// (wine-peer.sh links the port, feeds the peer what the test appends to TOLVIK_PEER_COMMANDS and
// keeps the peer's output in TOLVIK_PEER_LOG). One session from start-up to close, as a
// technician runs it: every step needs frames to come back through the Win32 serial port.
//   tolvik_com_tests <Tolvik.exe> <tolvikcan.dll>
#include <gtest/gtest.h>

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

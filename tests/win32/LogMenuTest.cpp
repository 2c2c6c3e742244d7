// The status log out of the window and the command line, on the real Tolvik.exe under Wine,
// driven as a technician would: the context menu from the menu key and Shift+F10, its entries by
// their access keys, Ctrl+C, the common Save dialog, and the command line's boxes and exit codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tests/win32/TolvikProcess.h"

namespace {

constexpr int kStatusLog = 1002;
constexpr int kFileNameBox = 1148;  // the Save dialog's file name

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

struct ClassSearch {
    DWORD processId;
    const char* className;
    const std::function<bool(HWND)>* match;
    HWND found;
};

// An EnumWindows callback: a named function, as 32-bit Windows calls it with stdcall.
BOOL CALLBACK MatchClass(HWND window, LPARAM context) {
    auto* s = reinterpret_cast<ClassSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (owner == s->processId && IsWindowVisible(window) && std::string(name) == s->className &&
        (*s->match)(window)) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of the process of this class for which `match` holds.
HWND FindProcessWindow(DWORD processId, const char* className, const std::function<bool(HWND)>& match) {
    ClassSearch search{processId, className, &match, nullptr};
    EnumWindows(MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND OpenMenu(TolvikProcess& tolvik) {
    HWND menu = nullptr;
    tolvik.WaitFor(
        [&] { return (menu = FindProcessWindow(tolvik.ProcessId(), "#32768", [](HWND) { return true; })); },
        5000);
    return menu;
}

std::wstring ClipboardText() {
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

void SetClipboardText(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) {
        return;
    }
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

std::wstring Wide(const std::string& ascii) {
    return {ascii.begin(), ascii.end()};
}

void Keys(std::initializer_list<WORD> down) {
    for (WORD key : down) {
        keybd_event(static_cast<BYTE>(key), 0, 0, 0);
    }
    for (auto key = std::rbegin(down); key != std::rend(down); ++key) {
        keybd_event(static_cast<BYTE>(*key), 0, KEYEVENTF_KEYUP, 0);
    }
}

class LogMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_tolvik = std::make_unique<TolvikProcess>(TolvikFolder() + "\\Tolvik.exe", "");
        m_dialog = m_tolvik->MainWindow();
        ASSERT_NE(m_dialog, nullptr);
        m_log = GetDlgItem(m_dialog, kStatusLog);
        ASSERT_TRUE(m_tolvik->WaitFor([&] { return Has(ListLines(m_log), "V4.0, compatible"); }));
        m_lines = ListLines(m_log);
    }
    // Opens the menu from the keyboard and picks the entry with this access key.
    void Pick(char accessKey) {
        PostMessageA(m_log, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_log), -1);
        HWND menu = OpenMenu(*m_tolvik);
        ASSERT_NE(menu, nullptr) << "no menu";
        PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(accessKey), 0);
    }

    std::unique_ptr<TolvikProcess> m_tolvik;
    HWND m_dialog = nullptr;
    HWND m_log = nullptr;
    std::vector<std::string> m_lines;
};

TEST_F(LogMenuTest, CopyCtrlCAndCopyAllPutTheLogOnTheClipboard) {
    SendMessageA(m_log, LB_SETCURSEL, 0, 0);
    SetClipboardText(L"untouched");
    Pick('c');
    EXPECT_TRUE(m_tolvik->WaitFor([&] { return ClipboardText() == Wide(m_lines[0]); }, 5000))
        << "Copy takes the selected line";

    std::wstring all;
    for (const std::string& line : m_lines) {
        all += Wide(line) + L"\r\n";
    }
    Pick('a');
    EXPECT_TRUE(m_tolvik->WaitFor([&] { return ClipboardText() == all; }, 5000)) << "Copy all";

    // Ctrl+C typed into the focused log.
    SendMessageA(m_log, LB_SETCURSEL, 1, 0);
    SetForegroundWindow(m_dialog);
    SendMessageA(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_log), TRUE);
    ASSERT_TRUE(m_tolvik->WaitFor([&] { return GetForegroundWindow() == m_dialog; }, 5000));
    SetClipboardText(L"untouched");
    Keys({VK_CONTROL, 'C'});
    EXPECT_TRUE(m_tolvik->WaitFor([&] { return ClipboardText() == Wide(m_lines[1]); }, 5000)) << "Ctrl+C";

    // The menu key and Shift+F10 open the menu too.
    for (std::initializer_list<WORD> keys : {std::initializer_list<WORD>{VK_APPS}, {VK_SHIFT, VK_F10}}) {
        Keys(keys);
        HWND menu = OpenMenu(*m_tolvik);
        ASSERT_NE(menu, nullptr) << "keyboard menu";
        PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(m_tolvik->WaitFor([&] { return OpenMenu(*m_tolvik) == nullptr; }, 5000));
    }
    EXPECT_EQ(ListLines(m_log), m_lines) << "the log is only read";
}

class SaveTest : public LogMenuTest {
protected:
    // Picks Save log as..., types `path` into the Save dialog and confirms; answers an overwrite
    // question with Yes.
    void SaveThroughTheDialog(const std::string& path) {
        Pick('s');
        HWND save = nullptr;
        ASSERT_TRUE(m_tolvik->WaitFor([&] {
            return (save = FindProcessWindow(m_tolvik->ProcessId(), "#32770", [](HWND w) {
                        return WindowText(w) == "Save log as" && GetDlgItem(w, kFileNameBox) != nullptr;
                    }));
        })) << "no Save dialog";
        EXPECT_EQ(GetWindow(save, GW_OWNER), m_dialog);
        SetDlgItemTextW(save, kFileNameBox, std::wstring(path.begin(), path.end()).c_str());
        PostMessageA(save, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(save, IDOK)));
        // The overwrite question, when the file is there.
        HWND question = nullptr;
        if (m_tolvik->WaitFor(
                [&] {
                    return (question = FindProcessWindow(m_tolvik->ProcessId(), "#32770", [&](HWND w) {
                                return GetWindow(w, GW_OWNER) == save && GetDlgItem(w, IDYES) != nullptr;
                            }));
                },
                2000)) {
            PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
        }
        m_tolvik->WaitFor([&] { return !IsWindow(save); }, 5000);
    }

    std::filesystem::path Folder() {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        const std::filesystem::path folder = std::filesystem::path(temp) / "tolvik-save";
        SetFileAttributesA((folder / "log.txt").string().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        std::filesystem::create_directories(folder);
        return folder;
    }
};

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST_F(SaveTest, SaveWritesTheHeaderAndEveryLineAndAFailureKeepsTheEarlierFile) {
    const std::filesystem::path folder = Folder();
    const std::filesystem::path target = folder / "log.txt";
    std::ofstream(target, std::ios::binary) << "the earlier log, longer than nothing\n";
    SaveThroughTheDialog(target.string());
    ASSERT_TRUE(m_tolvik->WaitFor([&] { return ReadAll(target).rfind("Tolvik status log\n", 0) == 0; }, 5000))
        << ReadAll(target);
    const std::string saved = ReadAll(target);
    const size_t blank = saved.find("\n\n");
    ASSERT_NE(blank, std::string::npos);
    const std::string header = saved.substr(0, blank + 1);
    for (const char* part : {"Saved: ", "Tolvik version: 1.5.0.0\n", "Host name: ", "Bridge library: "}) {
        EXPECT_NE(header.find(part), std::string::npos) << part << "\n" << header;
    }
    std::string body;
    for (const std::string& line : ListLines(m_log)) {
        body += line + "\n";
    }
    EXPECT_EQ(saved.substr(blank + 2), body);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "no temporary file left";

    // A file that cannot be replaced (another program holds it open, as an editor may): a box
    // owned by the dialog, the earlier file whole.
    std::ofstream(target, std::ios::binary | std::ios::trunc) << "the earlier log\n";
    HANDLE held = CreateFileA(target.string().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    SaveThroughTheDialog(target.string());
    HWND box = nullptr;
    const bool boxShown =
        m_tolvik->WaitFor([&] { return (box = m_tolvik->FindOtherWindow("Tolvik")) != nullptr; }, 5000);
    CloseHandle(held);
    ASSERT_TRUE(boxShown) << ReadAll(target);
    EXPECT_NE(MessageBoxText(box).find("could not be saved to " + target.string()), std::string::npos)
        << MessageBoxText(box);
    EXPECT_EQ(GetWindow(box, GW_OWNER), m_dialog);
    SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(ReadAll(target), "the earlier log\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "no temporary file left";
    std::filesystem::remove_all(folder);
}

// The command line's box (help, version, an error) and the exit code once it is answered.
struct BoxRun {
    std::string text;
    DWORD exitCode;
};

BoxRun RunForBox(const std::string& arguments) {
    TolvikProcess tolvik(TolvikFolder() + "\\Tolvik.exe", "", arguments);
    HWND box = nullptr;
    if (!tolvik.WaitFor([&] { return (box = tolvik.FindOtherWindow("Tolvik")) != nullptr; })) {
        return {"(no box)", tolvik.WaitForExit(0)};
    }
    BoxRun run{MessageBoxText(box), STILL_ACTIVE};
    SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    run.exitCode = tolvik.WaitForExit(10000);
    return run;
}

TEST(TolvikCommandLine, HelpVersionAndBadLinesAnswerInABoxWithTheLinuxTextsAndExitCodes) {
    const BoxRun version = RunForBox("--version");
    EXPECT_EQ(version.text.substr(0, version.text.find_last_not_of("\r\n") + 1), "Tolvik 1.5.0.0");
    EXPECT_EQ(version.exitCode, 0u);

    const BoxRun help = RunForBox("--help");
    for (const char* part :
         {"Usage: ", "-h, --help", "-v, --version", "--scenario <FILE>", "--bridge-library <PATH>"}) {
        EXPECT_NE(help.text.find(part), std::string::npos) << part << "\n" << help.text;
    }
    EXPECT_EQ(help.text.find("--registry"), std::string::npos);
    EXPECT_EQ(help.exitCode, 0u);

    const std::string missing = TolvikFolder() + "\\missing.txt";
    struct Case {
        std::string arguments;
        std::string message;
    };
    const Case cases[] = {
        {"--scenario \"" + missing + "\"", "tolvik: --scenario " + missing + ": no such file"},
        {"--bridge-library \"" + TolvikFolder() + "\"",
         "tolvik: --bridge-library " + TolvikFolder() + ": not a regular file"},
        {"--scenario", "tolvik: Missing value after '--scenario'."},
        {"--no-such-option", "tolvik: Unknown option 'no-such-option'."},
        {"--registry x.reg", "tolvik: Unknown option 'registry'."},
        {"stray", "tolvik: unexpected argument 'stray'"},
    };
    for (const Case& test : cases) {
        const BoxRun run = RunForBox(test.arguments);
        EXPECT_EQ(run.text.substr(0, run.text.find_last_not_of("\r\n") + 1), test.message) << test.arguments;
        EXPECT_EQ(run.exitCode, 2u) << test.arguments;
    }
}

TEST(TolvikCommandLine, ScenarioAndBridgeLibraryReachTheBench) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string scenario = std::string(temp) + "tolvik-no-bridge.txt";
    std::ofstream(scenario) << "fault no-bridge\n";
    {
        // The library named explicitly, the scenario from the command line, not the environment.
        TolvikProcess tolvik(
            TolvikFolder() + "\\Tolvik.exe", "",
            "--bridge-library \"" + TolvikFolder() + "\\QuarnCANopen.dll\" --scenario \"" + scenario + "\"");
        HWND box = nullptr;
        ASSERT_TRUE(tolvik.WaitFor([&] { return (box = tolvik.FindOtherWindow("Tolvik")) != nullptr; }));
        EXPECT_EQ(MessageBoxText(box), "No bridges found on the local network");
        SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        HWND dialog = tolvik.MainWindow();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(tolvik.WaitFor(
            [&] { return Has(ListLines(GetDlgItem(dialog, kStatusLog)), "Bridge connect failed"); }));
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        EXPECT_EQ(tolvik.WaitForExit(15000), 0u);
    }
    DeleteFileA(scenario.c_str());
}

}  // namespace

// What a screen reader hears on the real Tolvik.exe under Wine, asked as one would ask, from
// another process through Microsoft Active Accessibility: every control of both dialogs has a
// name of its own (none empty, none twice, none borrowed from a label), pictures a description;
// and Tab reaches every button. The same for the adapter chooser, with Esc ending Tolvik.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/win32/TolvikProcess.h"

namespace {

struct Spoken {
    std::string name;
    std::string description;
};

std::string Narrow(BSTR text) {
    std::string narrow;
    for (const wchar_t* c = text; c && *c; ++c) {
        narrow += *c < 0x80 ? static_cast<char>(*c) : '?';
    }
    SysFreeString(text);
    return narrow;
}

Spoken Ask(HWND control) {
    IAccessible* accessible = nullptr;
    const HRESULT hr =
        AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                   reinterpret_cast<void**>(&accessible));
    if (FAILED(hr)) {
        char code[32];
        std::snprintf(code, sizeof code, "(no object %08lx)", static_cast<unsigned long>(hr));
        return {code, ""};
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    BSTR description = nullptr;
    accessible->get_accName(self, &name);
    accessible->get_accDescription(self, &description);
    accessible->Release();
    return {Narrow(name), Narrow(description)};
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsLabel(HWND window) {
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG type = style & SS_TYPEMASK;
    return _stricmp(ClassOf(window).c_str(), "Static") == 0 && type != SS_BITMAP && type != SS_ICON;
}

bool IsPicture(HWND window) {
    return _stricmp(ClassOf(window).c_str(), "Static") == 0 &&
           (GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP;
}

// Every control of `dialog`: names unique and not empty; no control but a label speaks a label's
// text; pictures describe what they show.
void ExpectNamedApart(HWND dialog, const char* which) {
    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        controls.push_back(child);
    }
    ASSERT_FALSE(controls.empty()) << which;
    std::set<std::string> labels;
    for (HWND control : controls) {
        if (IsLabel(control)) {
            labels.insert(WindowText(control));
        }
    }
    std::map<std::string, int> seen;
    for (HWND control : controls) {
        const Spoken spoken = Ask(control);
        const std::string what = std::string(which) + " control " + std::to_string(GetDlgCtrlID(control)) +
                                 " (" + ClassOf(control) + ", text '" + WindowText(control) + "')";
        EXPECT_FALSE(spoken.name.empty()) << what;
        EXPECT_EQ(++seen[spoken.name], 1) << what << " shares the name '" << spoken.name << "'";
        if (!IsLabel(control)) {
            EXPECT_EQ(labels.count(spoken.name), 0u) << what << " borrows the label '" << spoken.name << "'";
        }
        if (IsPicture(control)) {
            EXPECT_FALSE(spoken.description.empty()) << what << " '" << spoken.name << "' has no description";
        }
    }
}

class Accessibility : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(Accessibility, EveryControlOfBothDialogsHasANameOfItsOwn) {
    TolvikProcess tolvik(TolvikFolder() + "\\Tolvik.exe", "");
    HWND dialog = tolvik.MainWindow();
    ASSERT_NE(dialog, nullptr);
    ExpectNamedApart(dialog, "main dialog");
    // As the table has them: the keys by what they send, a picture by what it shows.
    EXPECT_EQ(Ask(GetDlgItem(dialog, 1004)).name, "Send focus -");
    EXPECT_EQ(Ask(GetDlgItem(dialog, 1008)).name, "Send zoom -");
    EXPECT_EQ(Ask(GetDlgItem(dialog, 1017)).name, "Remote keypad");
    EXPECT_EQ(Ask(GetDlgItem(dialog, 1002)).name, "Status log");
    EXPECT_EQ(Ask(GetDlgItem(dialog, 1020)).name, "Wireless remote battery");
    EXPECT_EQ(Ask(GetDlgItem(dialog, 1016)).name, "Associate");

    HWND wait = StartAssociation(tolvik, dialog);
    ASSERT_NE(wait, nullptr);
    ExpectNamedApart(wait, "wait dialog");
    EXPECT_EQ(Ask(GetDlgItem(wait, 200)).name, "Association progress");
}

// The controls Tab moves the focus to in `dialog`, pressed as a keyboard would.
std::set<int> ReachedByTab(TolvikProcess& tolvik, HWND dialog) {
    SetForegroundWindow(dialog);
    EXPECT_TRUE(tolvik.WaitFor([&] { return GetForegroundWindow() == dialog; }, 5000));
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    std::set<int> reached;
    for (int press = 0; press < 20; ++press) {
        keybd_event(VK_TAB, 0, 0, 0);
        keybd_event(VK_TAB, 0, KEYEVENTF_KEYUP, 0);
        Sleep(150);
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (GetGUIThreadInfo(thread, &info) && info.hwndFocus) {
            reached.insert(GetDlgCtrlID(info.hwndFocus));
        }
    }
    return reached;
}

TEST_F(Accessibility, TabReachesEveryButton) {
    TolvikProcess tolvik(TolvikFolder() + "\\Tolvik.exe", "");
    HWND dialog = tolvik.MainWindow();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(tolvik.WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, 1016)) != FALSE; }));
    const std::set<int> reached = ReachedByTab(tolvik, dialog);
    for (int button : {1003, 1005, 1004, 1007, 1008, 1009, 1010, 1011, 1016}) {
        EXPECT_EQ(reached.count(button), 1u) << "Tab never reached " << button;
    }
}

TEST_F(Accessibility, AdapterChooserIsNamedAndKeyboardReachable) {
    ASSERT_TRUE(ListSerialPorts({"COM7"}));
    SetEnvironmentVariableA("TOLVIK_BRIDGE_LIBRARY", (TolvikFolder() + "\\tolvikcan.dll").c_str());
    TolvikProcess tolvik(TolvikFolder() + "\\Tolvik.exe", "");
    SetEnvironmentVariableA("TOLVIK_BRIDGE_LIBRARY", nullptr);
    HWND chooser = tolvik.WaitForOtherWindow(kAdapterChooser);
    ASSERT_NE(chooser, nullptr);
    ExpectNamedApart(chooser, "adapter chooser");
    EXPECT_EQ(Ask(GetDlgItem(chooser, 1101)).name, "Adapters");
    EXPECT_EQ(Ask(GetDlgItem(chooser, 1102)).name, "Bit rate");
    // The list, the rate, Remember, Refresh, Connect and Cancel.
    EXPECT_EQ(ReachedByTab(tolvik, chooser), (std::set<int>{1101, 1102, 1104, 1105, IDOK, IDCANCEL}));
    keybd_event(VK_ESCAPE, 0, 0, 0);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_EQ(tolvik.WaitForExit(10000), 0u);
}

}  // namespace

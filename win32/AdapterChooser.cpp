#include "win32/AdapterChooser.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "chooser/AdapterChoice.h"
#include "chooser/StartUp.h"
#include "chooser/Texts.h"
#include "res/DialogTemplate.h"
#include "res/Resource.h"
#include "win32/AccessibleNames.h"
#include "win32/DialogTemplateEx.h"
#include "win32/DpiLayout.h"
#include "win32/Pictures.h"
#include "win32/SerialPorts.h"
#include "win32/WideText.h"

using chooser::Adapter;
using chooser::AdapterKind;
using chooser::Choice;

namespace win32 {
namespace {

constexpr int kEmptyNote = 1106;  // stands in the list's place when nothing is found
constexpr const wchar_t* kSettingsKey = L"Software\\Tolvik";
constexpr const wchar_t* kRememberedValue = L"Adapter";

using res::ControlKind;
constexpr unsigned kTab = res::kTabStop | res::kGroup;
constexpr res::DialogControl kControls[] = {
    {res::IDC_STATIC, ControlKind::Label, 0, chooser::kIntro, 7, 7, 216, 16, 0, 0},
    {res::IDC_STATIC, ControlKind::Label, 0, chooser::kAdaptersLabel, 7, 27, 216, 8, 0, 0},
    {res::IDC_ADAPTER_LIST, ControlKind::ListBox,
     kTab | res::kNotify | res::kVScroll | res::kNoIntegralHeight, chooser::kAdaptersName, 7, 37, 216, 68, 0,
     0},
    {kEmptyNote, ControlKind::Label, res::kBorder, "", 7, 37, 216, 68, 0, 0},
    {res::IDC_STATIC, ControlKind::Label, 0, chooser::kBitrateLabel, 7, 113, 40, 8, 0, 0},
    {res::IDC_ADAPTER_BITRATE, ControlKind::ComboBox, kTab | res::kVScroll, chooser::kBitrateName, 50, 111,
     80, 120, 0, 0},
    {res::IDC_ADAPTER_REMEMBER, ControlKind::CheckBox, kTab, chooser::kRemember, 7, 131, 150, 10, 0, 0},
    {res::IDC_ADAPTER_REFRESH, ControlKind::PushButton, kTab, chooser::kRefresh, 7, 150, 50, 14, 0, 0},
    {IDOK, ControlKind::PushButton, kTab, chooser::kConnect, 119, 150, 50, 14, 0, 0},
    {IDCANCEL, ControlKind::PushButton, res::kTabStop, chooser::kCancel, 173, 150, 50, 14, 0, 0},
};
constexpr res::DialogTemplate kTemplate = {
    res::IDD_ADAPTER_CHOOSER,
    chooser::kCaption,
    230,
    171,
    "MS Sans Serif",
    8,
    false,
    false,
    true,
    true,
    kControls,
};

std::optional<Choice> Remembered() {
    std::wstring text(512, L'\0');
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kRememberedValue, RRF_RT_REG_SZ, nullptr, text.data(),
                     &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    return chooser::ParseAdapterText(Utf8(text));
}

void Remember(const std::optional<Choice>& choice) {
    if (!choice) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kRememberedValue);
        return;
    }
    const std::wstring text = Utf16(chooser::AdapterText(*choice));
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kRememberedValue, REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

class Chooser {
public:
    INT_PTR Run() {
        const std::vector<WORD> dialog = BuildDialogTemplate(kTemplate);
        return DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                       reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()), nullptr, Proc,
                                       reinterpret_cast<LPARAM>(this));
    }
    std::optional<Choice> chosen;

private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            return reinterpret_cast<Chooser*>(lParam)->OnInit(window);
        }
        auto* self = reinterpret_cast<Chooser*>(GetWindowLongPtrW(window, DWLP_USER));
        return self ? self->OnMessage(message, wParam, lParam) : FALSE;
    }

    HWND Item(int id) const { return GetDlgItem(m_window, id); }
    int Row() const {
        return static_cast<int>(SendMessageW(Item(res::IDC_ADAPTER_LIST), LB_GETCURSEL, 0, 0));
    }
    bool Listed(int row) const { return row >= 0 && row < static_cast<int>(m_adapters.size()); }
    int Bitrate() const {
        const HWND rates = Item(res::IDC_ADAPTER_BITRATE);
        return static_cast<int>(
            SendMessageW(rates, CB_GETITEMDATA, SendMessageW(rates, CB_GETCURSEL, 0, 0), 0));
    }

    BOOL OnInit(HWND window) {
        m_window = window;
        NameControls(window, kTemplate);
        m_layout.Capture(window, WindowDpi(window));
        const HWND rates = Item(res::IDC_ADAPTER_BITRATE);
        for (int rate : chooser::SerialBitrates()) {
            const auto index = SendMessageW(
                rates, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf16(chooser::BitrateText(rate)).c_str()));
            SendMessageW(rates, CB_SETITEMDATA, index, rate);
        }
        SetDlgItemTextW(window, kEmptyNote, Utf16(chooser::NothingPresentText()).c_str());
        m_remembered = Remembered();
        CheckDlgButton(window, res::IDC_ADAPTER_REMEMBER, m_remembered ? BST_CHECKED : BST_UNCHECKED);
        Refresh();
        return FALSE;  // focus set by Refresh
    }

    void SelectRate(int rate) {
        const HWND rates = Item(res::IDC_ADAPTER_BITRATE);
        const auto count = SendMessageW(rates, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            if (SendMessageW(rates, CB_GETITEMDATA, i, 0) == rate) {
                SendMessageW(rates, CB_SETCURSEL, i, 0);
            }
        }
    }

    void Refresh() {
        // What the user picked stays picked across a refresh while it is still there.
        std::optional<Choice> keep = m_remembered;
        if (const int row = Row(); Listed(row)) {
            keep = Choice{m_adapters[row].kind, m_adapters[row].device, Bitrate()};
        }
        m_adapters = ListSerialPorts();
        const HWND list = Item(res::IDC_ADAPTER_LIST);
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        for (const Adapter& adapter : m_adapters) {
            SendMessageW(list, LB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(Utf16(chooser::RowText(adapter)).c_str()));
        }
        const std::optional<size_t> row = chooser::PreselectedRow(m_adapters, keep);
        ShowWindow(list, row ? SW_SHOW : SW_HIDE);
        ShowWindow(Item(kEmptyNote), row ? SW_HIDE : SW_SHOW);
        const bool kept = row && keep && m_adapters[*row].device == keep->device;
        SelectRate(kept ? keep->bitrate : chooser::kDefaultSerialBitrate);
        SendMessageW(list, LB_SETCURSEL, row ? static_cast<WPARAM>(*row) : static_cast<WPARAM>(-1), 0);
        OnRowChanged();
        SendMessageW(m_window, WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(row ? list : Item(res::IDC_ADAPTER_REFRESH)), TRUE);
    }

    void OnRowChanged() {
        const bool listed = Listed(Row());
        EnableWindow(Item(IDOK), listed);
        EnableWindow(Item(res::IDC_ADAPTER_BITRATE), listed);
        // Enter connects a listed adapter, else lists again.
        SendMessageW(m_window, DM_SETDEFID, listed ? IDOK : res::IDC_ADAPTER_REFRESH, 0);
    }

    void OnConnect() {
        const int row = Row();
        if (!Listed(row)) {
            Refresh();
            return;
        }
        chosen = Choice{m_adapters[row].kind, m_adapters[row].device};
        if (chosen->kind == AdapterKind::Slcan) {
            chosen->bitrate = Bitrate();
        }
        const bool remember = IsDlgButtonChecked(m_window, res::IDC_ADAPTER_REMEMBER) == BST_CHECKED;
        Remember(remember ? chosen : std::nullopt);
        EndDialog(m_window, IDOK);
    }

    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_DPICHANGED:
                m_layout.Apply(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
                return TRUE;
            case WM_COMMAND:
                switch (LOWORD(wParam)) {
                    case IDOK:
                        OnConnect();
                        return TRUE;
                    case IDCANCEL:
                        EndDialog(m_window, IDCANCEL);
                        return TRUE;
                    case res::IDC_ADAPTER_REFRESH:
                        Refresh();
                        return TRUE;
                    case res::IDC_ADAPTER_LIST:
                        if (HIWORD(wParam) == LBN_SELCHANGE) {
                            OnRowChanged();
                        } else if (HIWORD(wParam) == LBN_DBLCLK) {
                            OnConnect();
                        }
                        return TRUE;
                    default:
                        return FALSE;
                }
            default:
                return FALSE;
        }
    }

    HWND m_window = nullptr;
    DpiLayout m_layout;
    std::vector<Adapter> m_adapters;
    std::optional<Choice> m_remembered;
};

}  // namespace

bool RunAdapterChooser() {
    Chooser dialog;
    if (dialog.Run() != IDOK || !dialog.chosen) {
        return false;
    }
    chooser::HandOver(*dialog.chosen);
    return true;
}

}  // namespace win32

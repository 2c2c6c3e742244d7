#include "win32/DialogTemplateEx.h"

#include <commctrl.h>

#include <cstring>
#include "res/Resource.h"

namespace win32 {
namespace {

// The predefined window classes as the template's ordinal atoms.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;
constexpr WORD kListBoxAtom = 0x0083;
constexpr WORD kComboBoxAtom = 0x0085;

class Writer {
public:
    void Word(WORD value) { m_words.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    // Latin-1 text as UTF-16, zero-terminated.
    void Text(const char* text) {
        for (const char* c = text ? text : ""; *c; ++c) {
            Word(static_cast<unsigned char>(*c));
        }
        Word(0);
    }
    void Ordinal(WORD value) {
        Word(0xFFFF);
        Word(value);
    }
    void AlignToDword() {
        if (m_words.size() % 2) {
            Word(0);
        }
    }
    std::vector<WORD> Take() { return std::move(m_words); }

private:
    std::vector<WORD> m_words;
};

DWORD ControlStyle(const res::DialogControl& control) {
    DWORD style = WS_CHILD | WS_VISIBLE;
    const unsigned flags = control.style;
    if (flags & res::kTabStop)
        style |= WS_TABSTOP;
    if (flags & res::kGroup)
        style |= WS_GROUP;
    if (flags & res::kDisabled)
        style |= WS_DISABLED;
    if (flags & res::kBorder)
        style |= WS_BORDER;
    if (flags & res::kHScroll)
        style |= WS_HSCROLL;
    if (flags & res::kVScroll)
        style |= WS_VSCROLL;
    switch (control.kind) {
        case res::ControlKind::Picture:
            style |= SS_BITMAP | ((flags & res::kNotify) ? SS_NOTIFY : 0);
            break;
        case res::ControlKind::GroupBox:
            style |= BS_GROUPBOX;
            break;
        case res::ControlKind::Label:
            style |= (flags & res::kCentred) ? SS_CENTER : SS_LEFT;
            break;
        case res::ControlKind::KeyButton:
            style |= BS_OWNERDRAW;
            break;
        case res::ControlKind::PushButton:
            style |= BS_PUSHBUTTON;
            break;
        case res::ControlKind::Edit:
            style |= ES_AUTOHSCROLL | ((flags & res::kReadOnly) ? ES_READONLY : 0) |
                     ((flags & res::kCentred) ? ES_CENTER : ES_LEFT);
            break;
        case res::ControlKind::ListBox:
            style |= WS_BORDER | ((flags & res::kNotify) ? LBS_NOTIFY : 0) |
                     ((flags & res::kNoIntegralHeight) ? LBS_NOINTEGRALHEIGHT : 0);
            break;
        case res::ControlKind::Progress:
            style |=
                ((flags & res::kSmooth) ? PBS_SMOOTH : 0) | ((flags & res::kVertical) ? PBS_VERTICAL : 0);
            break;
        case res::ControlKind::ComboBox:
            style |= CBS_DROPDOWNLIST;
            break;
        case res::ControlKind::CheckBox:
            style |= BS_AUTOCHECKBOX;
            break;
    }
    return style;
}

void WriteClass(Writer& out, res::ControlKind kind) {
    switch (kind) {
        case res::ControlKind::Picture:
        case res::ControlKind::Label:
            out.Ordinal(kStaticAtom);
            break;
        case res::ControlKind::GroupBox:
        case res::ControlKind::KeyButton:
        case res::ControlKind::PushButton:
        case res::ControlKind::CheckBox:
            out.Ordinal(kButtonAtom);
            break;
        case res::ControlKind::Edit:
            out.Ordinal(kEditAtom);
            break;
        case res::ControlKind::ListBox:
            out.Ordinal(kListBoxAtom);
            break;
        case res::ControlKind::ComboBox:
            out.Ordinal(kComboBoxAtom);
            break;
        case res::ControlKind::Progress:
            out.Text(PROGRESS_CLASSA);
            break;
    }
}

}  // namespace

std::vector<WORD> BuildDialogTemplate(const res::DialogTemplate& dialog) {
    Writer out;
    DWORD style = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
    if (dialog.systemMenu)
        style |= WS_SYSMENU;
    if (dialog.minimizeBox)
        style |= WS_MINIMIZEBOX;
    if (dialog.maximizeBox)
        style |= WS_MAXIMIZEBOX;
    if (dialog.center)
        style |= DS_CENTER;
    out.Word(1);                                                    // dlgVer
    out.Word(0xFFFF);                                               // signature: extended template
    out.Dword(0);                                                   // helpID
    out.Dword(dialog.id == res::IDD_TOLVIK ? WS_EX_APPWINDOW : 0);  // the main dialog has a task-bar button
    out.Dword(style);
    out.Word(static_cast<WORD>(dialog.controls.size()));
    out.Word(0);
    out.Word(0);
    out.Word(static_cast<WORD>(dialog.width));
    out.Word(static_cast<WORD>(dialog.height));
    out.Word(0);  // no menu
    out.Word(0);  // the dialog class
    out.Text(dialog.caption);
    out.Word(static_cast<WORD>(dialog.pointSize));
    out.Word(FW_NORMAL);
    out.Word(MAKEWORD(FALSE, DEFAULT_CHARSET));  // italic, charset
    out.Text(dialog.fontName);

    for (const res::DialogControl& control : dialog.controls) {
        out.AlignToDword();
        out.Dword(0);  // helpID
        out.Dword(0);  // exStyle
        out.Dword(ControlStyle(control));
        out.Word(static_cast<WORD>(control.x));
        out.Word(static_cast<WORD>(control.y));
        out.Word(static_cast<WORD>(control.width));
        out.Word(static_cast<WORD>(control.height));
        out.Dword(static_cast<DWORD>(control.id));
        WriteClass(out, control.kind);
        // Pictures come from the dialog, at the scale of its window.
        out.Text(control.text);
        out.Word(0);  // no creation data
    }
    return out.Take();
}

}  // namespace win32

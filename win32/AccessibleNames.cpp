#include "win32/AccessibleNames.h"

#include <commctrl.h>
#include <oleacc.h>

#include <string>

#include "res/AccessibleNames.h"
#include "win32/WideText.h"

namespace win32 {
namespace {

// From the header: mingw's oleacc import library resolves IID_IAccessible to something else.
const IID& kIAccessible = __uuidof(IAccessible);

struct Names {
    std::wstring name;
    std::wstring description;
};

// The system's standard object for the control, with the name and description replaced for the
// control itself (its list items keep theirs). Owns one reference to the standard object and a
// copy of the names, as a screen reader may hold it after the window has gone.
class NamedAccessible final : public IAccessible {
public:
    NamedAccessible(IAccessible* standard, const Names& names) : m_standard(standard), m_names(names) {}
    NamedAccessible(const NamedAccessible&) = delete;
    NamedAccessible& operator=(const NamedAccessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) {
            return E_POINTER;
        }
        if (id == IID_IUnknown || id == IID_IDispatch || id == kIAccessible) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // Enumerating children and finding the window are the standard object's.
        return m_standard->QueryInterface(id, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&m_references));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return m_standard->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return m_standard->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return m_standard->GetIDsOfNames(id, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argument) override {
        return m_standard->Invoke(member, id, locale, flags, parameters, result, exception, argument);
    }

    // IAccessible: what the table says, for the control itself
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return IsSelf(child) ? Text(m_names.name, name) : m_standard->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return IsSelf(child) ? Text(m_names.description, description)
                             : m_standard->get_accDescription(child, description);
    }

    // IAccessible: the rest is the standard object's
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return m_standard->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        return m_standard->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return m_standard->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return m_standard->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return m_standard->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return m_standard->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return m_standard->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return m_standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return m_standard->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        return m_standard->get_accFocus(focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return m_standard->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return m_standard->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return m_standard->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        return m_standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return m_standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override {
        return m_standard->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return m_standard->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return m_standard->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return m_standard->put_accValue(child, value);
    }

private:
    ~NamedAccessible() { m_standard->Release(); }

    static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
    static HRESULT Text(const std::wstring& text, BSTR* out) {
        if (!out) {
            return E_POINTER;
        }
        if (text.empty()) {
            *out = nullptr;
            return S_FALSE;
        }
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    IAccessible* m_standard;
    const Names m_names;
    LONG m_references = 1;
};

constexpr UINT_PTR kSubclassId = 0x4E414D45;

// Owns the control's Names until the window goes.
LRESULT CALLBACK NamedControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR data) {
    auto* names = reinterpret_cast<Names*>(data);
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        IAccessible* standard = nullptr;
        if (SUCCEEDED(CreateStdAccessibleObject(control, OBJID_CLIENT, kIAccessible,
                                                reinterpret_cast<void**>(&standard)))) {
            auto* named = new NamedAccessible(standard, *names);
            const LRESULT result = LresultFromObject(kIAccessible, wParam, named);
            named->Release();
            return result;
        }
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(control, NamedControlProc, kSubclassId);
        delete names;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

std::wstring Spoken(const char* text) {
    // The '&' of an access key is not spoken.
    std::wstring spoken;
    for (wchar_t c : Utf16(text ? text : "")) {
        if (c != L'&') {
            spoken += c;
        }
    }
    return spoken;
}

}  // namespace

void NameControls(HWND dialog, const res::DialogTemplate& layout) {
    HWND control = GetWindow(dialog, GW_CHILD);
    for (const res::DialogControl& row : layout.controls) {
        if (!control) {
            break;
        }
        if (row.id != -1 && GetDlgCtrlID(control) != row.id) {
            break;  // not the window the template made here
        }
        const res::AccessibleText text = res::ControlAccessibleText(layout, row);
        switch (row.kind) {
            case res::ControlKind::KeyButton:
                SetWindowTextW(control, Spoken(text.name).c_str());
                break;
            case res::ControlKind::Picture:
            case res::ControlKind::Edit:
            case res::ControlKind::ListBox:
            case res::ControlKind::ComboBox:
            case res::ControlKind::Progress:
                SetWindowSubclass(
                    control, NamedControlProc, kSubclassId,
                    reinterpret_cast<DWORD_PTR>(new Names{Spoken(text.name), Spoken(text.description)}));
                break;
            default:
                break;  // labels, frames and push buttons say what they are
        }
        control = GetWindow(control, GW_HWNDNEXT);
    }
}

}  // namespace win32

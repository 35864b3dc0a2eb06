#include "framework/Accessible.h"

#include <wrl/client.h>

#include <new>

namespace {

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

void SetSelf(VARIANT* out) {
    out->vt = VT_I4;
    out->lVal = CHILDID_SELF;
}

HRESULT ReturnText(const std::wstring& text, BSTR* out) {
    if (text.empty()) {
        return S_FALSE;
    }
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The reader asks the object; the object asks the control's window each time.
class ControlAccessible final : public IAccessible {
public:
    explicit ControlAccessible(HWND hwnd) : m_hwnd(hwnd) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0) {
            delete this;
        }
        return static_cast<ULONG>(refs);
    }

    // IDispatch: readers call the interface directly; there is no type library to offer.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) {
            return E_POINTER;
        }
        *parent = nullptr;
        if (!::IsWindow(m_hwnd)) {
            return CO_E_OBJNOTCONNECTED;
        }
        // The client area's parent is the window itself, as the system's own objects have it.
        return ::CreateStdAccessibleObject(m_hwnd, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
        if (!child) {
            return E_POINTER;
        }
        *child = nullptr;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Text(child, name, &AccessibleFacts::name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override { return NotSupported(value); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override { return NotSupported(text); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return Number(child, role, &AccessibleFacts::role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return Number(child, state, &AccessibleFacts::state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override { return NotSupported(text); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (topic) {
            *topic = 0;
        }
        return NotSupported(file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* text) override { return NotSupported(text); }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) {
            return E_POINTER;
        }
        ::VariantInit(focus);
        if (!::IsWindow(m_hwnd)) {
            return CO_E_OBJNOTCONNECTED;
        }
        if (::GetFocus() != m_hwnd) {
            return S_FALSE;
        }
        SetSelf(focus);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection) {
            return E_POINTER;
        }
        ::VariantInit(selection);
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Text(child, action, &AccessibleFacts::defaultAction);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        if (!IsSelf(child)) {
            return E_INVALIDARG;
        }
        if (!::IsWindow(m_hwnd)) {
            return CO_E_OBJNOTCONNECTED;
        }
        if (flags != SELFLAG_TAKEFOCUS) {
            return DISP_E_MEMBERNOTFOUND;
        }
        ::SetFocus(m_hwnd);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (!left || !top || !width || !height) {
            return E_POINTER;
        }
        if (!IsSelf(child)) {
            return E_INVALIDARG;
        }
        RECT rect{};
        if (!::GetWindowRect(m_hwnd, &rect)) {
            return CO_E_OBJNOTCONNECTED;
        }
        *left = rect.left;
        *top = rect.top;
        *width = rect.right - rect.left;
        *height = rect.bottom - rect.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override {
        if (!end) {
            return E_POINTER;
        }
        ::VariantInit(end);
        return S_FALSE;  // no children, and siblings are the parent's to tell
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        if (!hit) {
            return E_POINTER;
        }
        ::VariantInit(hit);
        RECT rect{};
        if (!::GetWindowRect(m_hwnd, &rect)) {
            return CO_E_OBJNOTCONNECTED;
        }
        if (!::PtInRect(&rect, POINT{x, y})) {
            return S_FALSE;
        }
        SetSelf(hit);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child)) {
            return E_INVALIDARG;
        }
        AccessibleFacts facts;
        if (!Read(facts)) {
            return CO_E_OBJNOTCONNECTED;
        }
        if (facts.defaultAction.empty() || (facts.state & STATE_SYSTEM_UNAVAILABLE)) {
            return DISP_E_MEMBERNOTFOUND;
        }
        return ::PostMessageW(m_hwnd, BM_CLICK, 0, 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    LONG m_refs = 1;
    HWND m_hwnd;

    bool Read(AccessibleFacts& facts) const {
        auto* control = dynamic_cast<CAccessibleControl*>(CWnd::FromHandlePermanent(m_hwnd));
        if (!control) {
            return false;
        }
        facts = control->GetAccessibleFacts();
        return true;
    }
    HRESULT Text(const VARIANT& child, BSTR* out, std::wstring AccessibleFacts::*field) const {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (!IsSelf(child)) {
            return E_INVALIDARG;
        }
        AccessibleFacts facts;
        if (!Read(facts)) {
            return CO_E_OBJNOTCONNECTED;
        }
        const HRESULT result = ReturnText(facts.*field, out);
        return result == S_FALSE && field == &AccessibleFacts::defaultAction ? DISP_E_MEMBERNOTFOUND : result;
    }
    HRESULT Number(const VARIANT& child, VARIANT* out, long AccessibleFacts::*field) const {
        if (!out) {
            return E_POINTER;
        }
        ::VariantInit(out);
        if (!IsSelf(child)) {
            return E_INVALIDARG;
        }
        AccessibleFacts facts;
        if (!Read(facts)) {
            return CO_E_OBJNOTCONNECTED;
        }
        out->vt = VT_I4;
        out->lVal = facts.*field;
        return S_OK;
    }
    static HRESULT NotSupported(BSTR* out) {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
};

}  // namespace

HRESULT CreateControlAccessible(HWND hwnd, IAccessible** result) {
    if (!result) {
        return E_POINTER;
    }
    *result = nullptr;
    if (!dynamic_cast<CAccessibleControl*>(CWnd::FromHandlePermanent(hwnd))) {
        return E_INVALIDARG;
    }
    *result = new (std::nothrow) ControlAccessible(hwnd);
    return *result ? S_OK : E_OUTOFMEMORY;
}

LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) {
        return 0;
    }
    Microsoft::WRL::ComPtr<IAccessible> accessible;
    if (FAILED(CreateControlAccessible(hwnd, accessible.GetAddressOf()))) {
        return 0;
    }
    // Wine's LresultFromObject cannot marshal the interface and answers E_NOINTERFACE; the
    // default processing then answers as it would have without us.
    const LRESULT result = ::LresultFromObject(IID_IAccessible, wParam, accessible.Get());
    return result > 0 ? result : 0;
}

long WindowAccessibleState(HWND hwnd) {
    long state = 0;
    if (!::IsWindowVisible(hwnd)) {
        state |= STATE_SYSTEM_INVISIBLE;
    }
    if (!::IsWindowEnabled(hwnd)) {
        state |= STATE_SYSTEM_UNAVAILABLE;
    } else {
        state |= STATE_SYSTEM_FOCUSABLE;
    }
    if (::GetFocus() == hwnd) {
        state |= STATE_SYSTEM_FOCUSED;
    }
    return state;
}

std::wstring TextWithoutMnemonic(const std::wstring& text) {
    std::wstring spoken;
    spoken.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) {
            ++i;  // "&x" is x underlined, "&&" a plain ampersand
        }
        spoken += text[i];
    }
    return spoken;
}

#include "win/accessible.h"

#include <commctrl.h>
#include <oleacc.h>

#include <memory>

#include "win/com_apartment.h"
#include "win/late_loaded.h"

namespace ricordex::win {
namespace {

// IID_IAccessible, spelt out: the import library's symbol is not the GUID.
constexpr GUID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr UINT_PTR kSubclassId = 0x52A1;

BSTR AllocString(const std::wstring& text) {
    using Function = BSTR(WINAPI*)(const OLECHAR*, UINT);
    static const LateFunction<Function> alloc(L"oleaut32.dll", "SysAllocStringLen");
    return alloc.Get()(text.data(), static_cast<UINT>(text.size()));
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
int RowOf(const VARIANT& child) { return child.vt == VT_I4 ? static_cast<int>(child.lVal) - 1 : -1; }

// The system's object with the program's texts.
class NamedObject final : public IAccessible {
public:
    NamedObject(IAccessible* system, HWND control) : system_(system), control_(control) {}
    ~NamedObject() { system_->Release(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return system_->QueryInterface(iid, out);  // IEnumVARIANT, IOleWindow: the system's
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return system_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return system_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return system_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argument) override {
        return system_->Invoke(id, iid, locale, flags, parameters, result, exception, argument);
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return system_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return system_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return system_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (name == nullptr) return E_POINTER;
        try {
            return Name(child, name);
        } catch (...) {  // nothing may cross into the client
            return E_FAIL;
        }
    }
    HRESULT Name(VARIANT child, BSTR* name) {
        const AccessibleText* text = Text();
        if (text != nullptr && IsSelf(child) && !text->name.empty()) return Give(text->name, name);
        const HRESULT system = system_->get_accName(child, name);
        if (SUCCEEDED(system) && *name != nullptr) return system;
        if (text != nullptr && !IsSelf(child) && text->rowName && RowOf(child) >= 0) {
            return Give(text->rowName(RowOf(child)), name);
        }
        return system;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return system_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (description == nullptr) return E_POINTER;
        try {
            return Description(child, description);
        } catch (...) {  // nothing may cross into the client
            return E_FAIL;
        }
    }
    HRESULT Description(VARIANT child, BSTR* description) {
        const AccessibleText* text = Text();
        if (text != nullptr && !IsSelf(child) && text->rowDescription && RowOf(child) >= 0) {
            return Give(text->rowDescription(RowOf(child)), description);
        }
        return system_->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return system_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return system_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return system_->get_accHelp(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return system_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return system_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return system_->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return system_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return system_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return system_->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return system_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return system_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override {
        return system_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return system_->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return system_->put_accValue(child, value);
    }

private:
    static HRESULT Give(const std::wstring& text, BSTR* out) {
        if (text.empty()) {
            *out = nullptr;
            return S_FALSE;
        }
        *out = AllocString(text);
        return *out != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    // The control's texts as they are now; none once it is gone (a screen
    // reader may keep the object longer than the control lives).
    const AccessibleText* Text() const;

    IAccessible* system_;
    HWND control_;
    ULONG references_ = 1;
};

LRESULT CALLBACK Subclass(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);

const AccessibleText* NamedObject::Text() const {
    DWORD_PTR data = 0;
    if (!::IsWindow(control_) || !::GetWindowSubclass(control_, Subclass, kSubclassId, &data)) return nullptr;
    return reinterpret_cast<const AccessibleText*>(data);
}

LRESULT Answer(HWND control, WPARAM flags) {
    using Create = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    using Result = LRESULT(WINAPI*)(REFIID, WPARAM, IUnknown*);
    static const LateFunction<Create> createStandard(L"oleacc.dll", "CreateStdAccessibleObject");
    static const LateFunction<Result> resultFromObject(L"oleacc.dll", "LresultFromObject");
    EnterComApartment();  // the objects go to the reader through COM
    IAccessible* system = nullptr;
    if (FAILED(createStandard.Get()(control, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&system)))) {
        return 0;
    }
    auto* named = new NamedObject(system, control);
    const LRESULT result = resultFromObject.Get()(kIAccessible, flags, static_cast<IAccessible*>(named));
    named->Release();
    return result > 0 ? result : 0;  // a failure is an error code: the system answers instead
}

LRESULT CALLBACK Subclass(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* text = reinterpret_cast<AccessibleText*>(data);
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        try {
            if (const LRESULT answer = Answer(control, wParam)) return answer;
        } catch (const std::exception&) {
            // Without the library, the system's object as it is.
        }
    }
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(control, Subclass, kSubclassId);
        delete text;
    }
    return ::DefSubclassProc(control, message, wParam, lParam);
}

}  // namespace

void SetAccessibleText(HWND control, AccessibleText text) {
    DWORD_PTR old = 0;
    if (::GetWindowSubclass(control, Subclass, kSubclassId, &old)) {
        *reinterpret_cast<AccessibleText*>(old) = std::move(text);
        return;
    }
    auto owned = std::make_unique<AccessibleText>(std::move(text));
    if (::SetWindowSubclass(control, Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(owned.get()))) {
        owned.release();  // the control's now, until it is destroyed
    }
}

}  // namespace ricordex::win

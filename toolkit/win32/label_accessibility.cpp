#include "toolkit/win32/label_accessibility.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <oleacc.h>
#include <vector>

namespace tolvane::win32 {

// Interface ids through __uuidof: MinGW-w64's liboleacc.a resolves IID_IAccessible, which oleacc.dll
// exports as data, to an import thunk, so that the name gives the thunk's bytes instead of the id.

namespace {

bool isClickable(const Label& label) {
    return label.description->click != nullptr;
}

::POINT centreOf(const ::RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

VARIANT childVariant(long id) {
    VARIANT result;
    VariantInit(&result);
    result.vt = VT_I4;
    result.lVal = id;
    return result;
}

BSTR toBstr(const std::wstring& text) {
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

bool isChosen(const Label& label) {
    return tolvane::isChosen(*label.description, label.backColour);
}

// The labels by rising tab index: the order of the accessible children, child id 1 first.
std::vector<const Label*> inTabOrder(const WindowContent& content) {
    std::vector<const Label*> order;
    for (const Label& label : content.labels()) {
        order.push_back(&label);
    }
    std::ranges::stable_sort(order, {}, [](const Label* label) { return label->description->tabIndex; });
    return order;
}

long idIn(const std::vector<const Label*>& order, const Label& label) {
    return static_cast<long>(std::ranges::find(order, &label) - order.begin()) + 1;
}

} // namespace

// The client area's IAccessible. Its children are simple elements, one per label, with ids 1 to 39 in the
// window's tab order, which is the order a screen reader reads them in; what concerns the client area
// itself goes to the system's standard object for it. It may outlive the window (a client holds a
// reference as long as it likes), so the window disconnects it when it goes.
class LabelsAccessible final : public IAccessible {
  public:
    LabelsAccessible(HWND window, const WindowContent& content)
        : window_(window), content_(&content), order_(inTabOrder(content)) {
        void* standard = nullptr;
        if (SUCCEEDED(CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible), &standard))) {
            standard_ = static_cast<IAccessible*>(standard);
        }
    }
    ~LabelsAccessible() { disconnect(); }
    LabelsAccessible(const LabelsAccessible&) = delete;
    LabelsAccessible& operator=(const LabelsAccessible&) = delete;

    void disconnect() {
        content_ = nullptr;
        if (standard_ != nullptr) {
            standard_->Release();
            standard_ = nullptr;
        }
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(id, __uuidof(IUnknown)) || IsEqualIID(id, __uuidof(IDispatch)) ||
            IsEqualIID(id, __uuidof(IAccessible))) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this; // COM's reference counting owns the object
        }
        return left;
    }

    // IDispatch: clients of MSAA call IAccessible directly; there is no type library to offer.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_ != nullptr ? standard_->get_accParent(parent) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (content_ == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        *count = static_cast<long>(content_->labels().size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        *object = nullptr;
        return labelOf(child) != nullptr ? S_FALSE : E_INVALIDARG; // simple elements have no object
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (isSelf(child)) {
            return delegate(&IAccessible::get_accName, child, name);
        }
        const Label* label = labelOf(child);
        if (label == nullptr) {
            return E_INVALIDARG;
        }
        *name = toBstr(label->caption);
        return *name != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return textOfSelf(&IAccessible::get_accValue, child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        const Label* label = labelOf(child);
        if (label == nullptr || label->accessibleDescription.empty()) {
            return textOfSelf(&IAccessible::get_accDescription, child, text);
        }
        *text = toBstr(label->accessibleDescription);
        return *text != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
        return textOfSelf(&IAccessible::get_accHelp, child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
        return textOfSelf(&IAccessible::get_accKeyboardShortcut, child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (isSelf(child)) {
            return delegate(&IAccessible::get_accRole, child, role);
        }
        const Label* label = labelOf(child);
        if (label == nullptr) {
            return E_INVALIDARG;
        }
        // The ages and the exit act on a click, so a screen reader user meets them as buttons.
        *role = childVariant(isClickable(*label) ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_STATICTEXT);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (isSelf(child)) {
            return delegate(&IAccessible::get_accState, child, state);
        }
        const Label* label = labelOf(child);
        if (label == nullptr) {
            return E_INVALIDARG;
        }
        long bits = isClickable(*label) ? 0 : STATE_SYSTEM_READONLY;
        bits |= IsWindowVisible(window_) != 0 ? 0 : STATE_SYSTEM_INVISIBLE;
        // The selected age is the checked one, as the green colour shows the sighted.
        bits |= isChosen(*label) ? STATE_SYSTEM_CHECKED : 0;
        *state = childVariant(bits);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        if (isSelf(child) && standard_ != nullptr) {
            return standard_->get_accHelpTopic(file, child, topic);
        }
        *file = nullptr;
        return labelOf(child) != nullptr ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        return standard_ != nullptr ? standard_->get_accFocus(focus) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return standard_ != nullptr ? standard_->get_accSelection(selection) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (isSelf(child)) {
            return delegate(&IAccessible::get_accDefaultAction, child, action);
        }
        const Label* label = labelOf(child);
        if (label == nullptr) {
            return E_INVALIDARG;
        }
        *action = isClickable(*label) ? SysAllocString(L"Press") : nullptr;
        return *action != nullptr ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        if (isSelf(child) && standard_ != nullptr) {
            return standard_->accSelect(flags, child);
        }
        return labelOf(child) != nullptr ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        if (isSelf(child) && standard_ != nullptr) {
            return standard_->accLocation(left, top, width, height, child);
        }
        const Label* label = labelOf(child);
        if (label == nullptr) {
            return E_INVALIDARG;
        }
        ::POINT corner{label->rect.left, label->rect.top};
        ClientToScreen(window_, &corner);
        *left = corner.x;
        *top = corner.y;
        *width = label->rect.right - label->rect.left;
        *height = label->rect.bottom - label->rect.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (content_ == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        VariantInit(end);
        const long count = static_cast<long>(content_->labels().size());
        if (isSelf(start)) {
            if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
                *end = childVariant(direction == NAVDIR_FIRSTCHILD ? 1 : count);
                return S_OK;
            }
            return standard_ != nullptr ? standard_->accNavigate(direction, start, end) : S_FALSE;
        }
        if (labelOf(start) == nullptr) {
            return E_INVALIDARG;
        }
        const long next = direction == NAVDIR_NEXT       ? start.lVal + 1
                          : direction == NAVDIR_PREVIOUS ? start.lVal - 1
                                                         : 0;
        if (next < 1 || next > count) {
            return S_FALSE;
        }
        *end = childVariant(next);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        if (content_ == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        ::POINT point{x, y};
        ScreenToClient(window_, &point);
        // The picture boxes are child windows above the surface: the standard object finds those.
        if (ChildWindowFromPointEx(window_, point, CWP_SKIPINVISIBLE) == window_) {
            if (const Label* label = content_->labelAt(point)) {
                *hit = childVariant(idOf(*label));
                return S_OK;
            }
        }
        return standard_ != nullptr ? standard_->accHitTest(x, y, hit) : S_FALSE;
    }
    // Pressing the button is a click on the label, posted as the pointer's would be, so that the handler
    // runs from the window's own message loop and not inside this call.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (isSelf(child)) {
            return delegate0(&IAccessible::accDoDefaultAction, child);
        }
        const Label* label = labelOf(child);
        if (label == nullptr) {
            return E_INVALIDARG;
        }
        if (!isClickable(*label)) {
            return DISP_E_MEMBERNOTFOUND;
        }
        const ::POINT centre = centreOf(label->rect);
        const LPARAM at = MAKELPARAM(centre.x, centre.y);
        PostMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(window_, WM_LBUTTONUP, 0, at);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    long idOf(const Label& label) const { return idIn(order_, label); }

  private:
    static bool isSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

    const Label* labelOf(const VARIANT& child) const {
        if (content_ == nullptr || child.vt != VT_I4 || child.lVal < 1 ||
            child.lVal > static_cast<long>(order_.size())) {
            return nullptr;
        }
        return order_[static_cast<std::size_t>(child.lVal - 1)];
    }

    template <typename Out>
    HRESULT delegate(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, Out*), VARIANT child, Out* out) {
        return standard_ != nullptr ? (standard_->*get)(child, out) : RPC_E_DISCONNECTED;
    }
    HRESULT delegate0(HRESULT (STDMETHODCALLTYPE IAccessible::*call)(VARIANT), VARIANT child) {
        return standard_ != nullptr ? (standard_->*call)(child) : RPC_E_DISCONNECTED;
    }
    // A text the labels do not have: the client area's own, or none for a label.
    HRESULT textOfSelf(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), VARIANT child,
                       BSTR* text) {
        if (isSelf(child)) {
            return delegate(get, child, text);
        }
        *text = nullptr;
        return labelOf(child) != nullptr ? S_FALSE : E_INVALIDARG;
    }

    std::atomic<ULONG> references_{1};
    HWND window_;
    const WindowContent* content_;
    std::vector<const Label*> order_; // the labels by rising tab index: child id 1 is the first
    IAccessible* standard_ = nullptr;
};

LabelAccessibility::LabelAccessibility(HWND window, const WindowContent& content)
    : window_(window), content_(&content) {}

LabelAccessibility::~LabelAccessibility() {
    disconnect();
    if (object_ != nullptr) {
        object_->Release();
    }
}

LRESULT LabelAccessibility::answerGetObject(WPARAM flags, LPARAM objectId) {
    // The object id is a 32-bit value, whatever lParam's width.
    if (static_cast<DWORD>(objectId) != static_cast<DWORD>(OBJID_CLIENT) || content_ == nullptr) {
        return DefWindowProcW(window_, WM_GETOBJECT, flags, objectId);
    }
    if (object_ == nullptr) {
        // Created with one reference, ours; COM's reference counting owns it from here on.
        object_ = std::make_unique<LabelsAccessible>(window_, *content_).release();
    }
    return LresultFromObject(__uuidof(IAccessible), flags, static_cast<IAccessible*>(object_));
}

void LabelAccessibility::captionChanged(const Label& label) const {
    if (content_ != nullptr) {
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window_, OBJID_CLIENT, idIn(inTabOrder(*content_), label));
    }
}

void LabelAccessibility::backColourChanged(const Label& label, Colour previous) const {
    if (content_ != nullptr && tolvane::isChosen(*label.description, previous) != isChosen(label)) {
        NotifyWinEvent(EVENT_OBJECT_STATECHANGE, window_, OBJID_CLIENT, idIn(inTabOrder(*content_), label));
    }
}

void LabelAccessibility::disconnect() {
    content_ = nullptr;
    if (object_ != nullptr) {
        object_->disconnect();
    }
}

} // namespace tolvane::win32

#include "ui/UIAccessible.h"
#include "base/com_thread.h"

#include "ui/UIButton.h"
#include "ui/UICombo.h"
#include "ui/UIContainer.h"
#include "ui/UIEdit.h"
#include "ui/UILayout.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIRichEdit.h"
#include "ui/UITextWin.h"

#include <algorithm>
#include <vector>

// {6F3C2A51-8D0B-4E57-9A7E-2C51B0D4E913}
const IID IID_IAccessibleControl = {
    0x6f3c2a51, 0x8d0b, 0x4e57, {0x9a, 0x7e, 0x2c, 0x51, 0xb0, 0xd4, 0xe9, 0x13}};

namespace {

AccessibleWords& SharedWords() {
    static AccessibleWords words;
    return words;
}

BSTR ToBstr(const std::string& utf8) {
    return ::SysAllocString(uitext::Wide(utf8).c_str());
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The list a control sits in (through its row), with the column of the row's cell it is in.
IListUI* ListOfField(CControlUI* control, int& column) {
    CControlUI* cell = control;
    for (CControlUI* parent = control->GetParent(); parent != nullptr;
         cell = parent, parent = parent->GetParent()) {
        if (AsListItem(parent) == nullptr)
            continue;
        IContainerUI* cells = ControlAs<IContainerUI>(parent);
        column = cells ? cells->GetItemIndex(cell) : -1;
        for (CControlUI* up = parent->GetParent(); up != nullptr; up = up->GetParent()) {
            if (auto* list = ControlAs<IListUI>(up))
                return list;
        }
        return nullptr;
    }
    return nullptr;
}

// The text of the nearest label before `control` among its siblings: what names an unlabelled
// field to a sighted user.
std::string LabelBefore(CControlUI* control) {
    IContainerUI* siblings = ControlAs<IContainerUI>(control->GetParent());
    if (siblings == nullptr)
        return std::string();
    std::string label;
    for (int i = 0; i < siblings->GetCount(); ++i) {
        CControlUI* sibling = siblings->GetItemAt(i);
        if (sibling == control)
            break;
        const std::string cls = sibling ? sibling->GetClass() : "";
        if ((cls == "LabelUI" || cls == "TextUI") && !sibling->GetText().empty())
            label = sibling->GetText();
    }
    return label;
}

// The title of the group box that holds nothing but `control` (a log, a help text).
std::string GroupOfOne(CControlUI* control) {
    CControlUI* box = control->GetParent();
    IContainerUI* items = ControlAs<IContainerUI>(box);
    if (items == nullptr || items->GetCount() != 1 || std::string(box->GetClass()) != "GroupBoxUI")
        return std::string();
    return box->GetText();
}

bool ShownWithAncestors(CControlUI* control) {
    for (CControlUI* c = control; c != nullptr; c = c->GetParent()) {
        if (!c->IsVisible())
            return false;
    }
    return true;
}

// Whether a shown control lies outside what its containers show (scrolled out of view).
bool ScrolledAway(CControlUI* control) {
    const RECT rc = control->GetPos();
    for (CControlUI* up = control->GetParent(); up != nullptr; up = up->GetParent()) {
        RECT shown = {};
        const RECT area = up->GetPos();
        if (!::IntersectRect(&shown, &rc, &area))
            return true;
    }
    return false;
}

// Whether the keyboard is in `window` (or in a native window of one of its controls).
bool HasKeyboard(HWND window) {
    const HWND keyboard = ::GetFocus();
    return keyboard == window || ::IsChild(window, keyboard);
}

bool EnabledWithAncestors(CControlUI* control) {
    for (CControlUI* c = control; c != nullptr; c = c->GetParent()) {
        if (!c->IsEnabled())
            return false;
    }
    return true;
}

} // namespace

LONG SystemRoleOf(AccRole role) {
    switch (role) {
    case AccRole::Client: return ROLE_SYSTEM_CLIENT;
    case AccRole::Grouping: return ROLE_SYSTEM_GROUPING;
    case AccRole::PushButton: return ROLE_SYSTEM_PUSHBUTTON;
    case AccRole::CheckBox: return ROLE_SYSTEM_CHECKBUTTON;
    case AccRole::RadioButton: return ROLE_SYSTEM_RADIOBUTTON;
    case AccRole::PageTab: return ROLE_SYSTEM_PAGETAB;
    case AccRole::PageTabList: return ROLE_SYSTEM_PAGETABLIST;
    case AccRole::PropertyPage: return ROLE_SYSTEM_PROPERTYPAGE;
    case AccRole::ComboBox: return ROLE_SYSTEM_COMBOBOX;
    case AccRole::EditableText: return ROLE_SYSTEM_TEXT;
    case AccRole::StaticText: return ROLE_SYSTEM_STATICTEXT;
    case AccRole::List: return ROLE_SYSTEM_LIST;
    case AccRole::ListItem: return ROLE_SYSTEM_LISTITEM;
    case AccRole::ColumnHeader: return ROLE_SYSTEM_COLUMNHEADER;
    case AccRole::None: break;
    }
    return ROLE_SYSTEM_GROUPING;
}

// ---- One control's object ------------------------------------------------------------------------

class CAccessibleTree::CObject final : public IAccessible, public IAccessibleControl {
public:
    CObject(CAccessibleTree* tree, CControlUI* control) : tree_(tree), control_(control) {}

    void Disconnect() {
        tree_ = nullptr;
        control_ = nullptr;
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible))
            *object = static_cast<IAccessible*>(this);
        else if (riid == IID_IAccessibleControl)
            *object = static_cast<IAccessibleControl*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

    // IAccessibleControl
    CControlUI* STDMETHODCALLTYPE Control() override { return control_; }

    // IDispatch: the tree is used through IAccessible only.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) override {
        if (parent == nullptr)
            return E_POINTER;
        *parent = nullptr;
        if (!Alive())
            return RPC_E_DISCONNECTED;
        CControlUI* up = ShownParent(control_);
        if (up != nullptr) {
            *parent = tree_->ObjectOf(up);
            return S_OK;
        }
        // The root's parent is the window itself.
        return ::AccessibleObjectFromWindow(tree_->Manager().GetPaintWindow(), DWORD(OBJID_WINDOW),
                                            IID_IDispatch, reinterpret_cast<void**>(parent));
    }
    STDMETHODIMP get_accChildCount(long* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        if (!Alive())
            return RPC_E_DISCONNECTED;
        *count = long(Children().size());
        return S_OK;
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (!Alive())
            return RPC_E_DISCONNECTED;
        if (child.vt != VT_I4 || child.lVal == CHILDID_SELF)
            return E_INVALIDARG;
        CControlUI* control = ChildControl(child.lVal);
        if (control == nullptr)
            return E_INVALIDARG;
        *object = tree_->ObjectOf(control);
        return S_OK;
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        return Text(child, name, [](CObject& o) { return o.tree_->NameOf(o.control_); });
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
        return Text(child, value, [](CObject& o) { return o.tree_->ValueOf(o.control_); });
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override {
        return Text(child, description, [](CObject& o) {
            const std::string tip = o.control_->GetToolTip();
            return tip == o.tree_->NameOf(o.control_) ? std::string() : tip;
        });
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override {
        return Text(child, help, [](CObject&) { return std::string(); });
    }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file != nullptr)
            *file = nullptr;
        if (topic != nullptr)
            *topic = 0;
        return S_FALSE;
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return Text(child, shortcut, [](CObject& o) {
            const char key = o.control_->GetShortcut();
            return key == 0 ? std::string() : Words().alt + "+" + std::string(1, key);
        });
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        return Number(child, role, [this](CControlUI* c) { return SystemRoleOf(tree_->RoleOf(c)); });
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        return Number(child, state, [this](CControlUI* c) { return LONG(tree_->StateOf(c)); });
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) override {
        if (focus == nullptr)
            return E_POINTER;
        ::VariantInit(focus);
        if (!Alive())
            return RPC_E_DISCONNECTED;
        CPaintManagerUI& pm = tree_->Manager();
        CControlUI* focused = pm.GetFocus();
        if (!HasKeyboard(pm.GetPaintWindow()))
            return S_FALSE;
        // This object itself (the window, when no control has the focus), one inside it, or
        // none of its own.
        if (focused == control_ || (focused == nullptr && control_ == pm.GetRoot())) {
            focus->vt = VT_I4;
            focus->lVal = CHILDID_SELF;
            return S_OK;
        }
        if (focused == nullptr || !focused->IsWithin(control_))
            return S_FALSE;
        focus->vt = VT_DISPATCH;
        focus->pdispVal = tree_->ObjectOf(focused);
        return S_OK;
    }
    STDMETHODIMP get_accSelection(VARIANT* selection) override {
        if (selection == nullptr)
            return E_POINTER;
        ::VariantInit(selection);
        if (!Alive())
            return RPC_E_DISCONNECTED;
        for (CControlUI* child : Children()) {
            if (tree_->StateOf(child) & STATE_SYSTEM_SELECTED) {
                selection->vt = VT_DISPATCH;
                selection->pdispVal = tree_->ObjectOf(child);
                return S_OK;
            }
        }
        return S_FALSE;
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Text(child, action, [](CObject& o) { return o.DefaultAction(); });
    }
    STDMETHODIMP accSelect(long flags, VARIANT child) override {
        CControlUI* control = nullptr;
        if (HRESULT hr = TargetControl(child, control); FAILED(hr))
            return hr;
        if (!control->IsEnabled())
            return E_FAIL;
        if (flags & SELFLAG_TAKEFOCUS)
            control->SetFocus();
        if (flags & SELFLAG_TAKESELECTION) {
            if (auto* option = ControlAs<COptionUI>(control))
                option->Selected(true);
            else if (IListItemUI* item = AsListItem(control))
                item->Select(true);
            else
                return DISP_E_MEMBERNOTFOUND;
        }
        return S_OK;
    }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height,
                             VARIANT child) override {
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        CControlUI* control = nullptr;
        if (HRESULT hr = TargetControl(child, control); FAILED(hr))
            return hr;
        RECT rc = control == tree_->Manager().GetRoot() ? ClientRect() : control->GetPos();
        ::MapWindowPoints(tree_->Manager().GetPaintWindow(), nullptr,
                          reinterpret_cast<POINT*>(&rc), 2);
        *left = rc.left;
        *top = rc.top;
        *width = rc.right - rc.left;
        *height = rc.bottom - rc.top;
        return S_OK;
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (end == nullptr)
            return E_POINTER;
        ::VariantInit(end);
        CControlUI* from = nullptr;
        if (HRESULT hr = TargetControl(start, from); FAILED(hr))
            return hr;
        CControlUI* to = nullptr;
        switch (direction) {
        case NAVDIR_FIRSTCHILD:
        case NAVDIR_LASTCHILD: {
            const std::vector<CControlUI*> children = ChildrenOf(from);
            if (!children.empty())
                to = direction == NAVDIR_FIRSTCHILD ? children.front() : children.back();
            break;
        }
        case NAVDIR_NEXT:
        case NAVDIR_PREVIOUS: {
            CControlUI* parent = ShownParent(from);
            if (parent == nullptr)
                break;
            const std::vector<CControlUI*> siblings = ChildrenOf(parent);
            auto at = std::find(siblings.begin(), siblings.end(), from);
            if (at == siblings.end())
                break;
            if (direction == NAVDIR_NEXT && at + 1 != siblings.end())
                to = *(at + 1);
            else if (direction == NAVDIR_PREVIOUS && at != siblings.begin())
                to = *(at - 1);
            break;
        }
        default:
            return E_NOTIMPL;
        }
        if (to == nullptr)
            return S_FALSE;
        end->vt = VT_DISPATCH;
        end->pdispVal = tree_->ObjectOf(to);
        return S_OK;
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* hit) override {
        if (hit == nullptr)
            return E_POINTER;
        ::VariantInit(hit);
        if (!Alive())
            return RPC_E_DISCONNECTED;
        CPaintManagerUI& pm = tree_->Manager();
        POINT pt = {x, y};
        ::ScreenToClient(pm.GetPaintWindow(), &pt);
        RECT mine = control_ == pm.GetRoot() ? ClientRect() : control_->GetPos();
        if (!::PtInRect(&mine, pt))
            return S_FALSE;
        // The innermost shown control under the point, within this one.
        CControlUI* found = Deepest(control_, pt);
        if (found == control_) {
            hit->vt = VT_I4;
            hit->lVal = CHILDID_SELF;
        } else {
            hit->vt = VT_DISPATCH;
            hit->pdispVal = tree_->ObjectOf(found);
        }
        return S_OK;
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        CObject* target = nullptr;
        if (HRESULT hr = Target(child, target); FAILED(hr))
            return hr;
        const std::string action = target->DefaultAction();
        CControlUI* control = target->control_;
        target->Release();
        if (action.empty() || !control->IsEnabled())
            return DISP_E_MEMBERNOTFOUND;
        ::PostMessageW(tree_->Manager().GetPaintWindow(), ActionMessage(), 0,
                       LPARAM(tree_->ChildIdOf(control)));
        return S_OK;
    }
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override {
        CControlUI* control = nullptr;
        if (HRESULT hr = TargetControl(child, control); FAILED(hr))
            return hr;
        auto* edit = ControlAs<CEditUI>(control);
        if (edit == nullptr || edit->IsReadOnly() || !edit->IsEnabled())
            return E_NOTIMPL;
        edit->SetText(value ? uitext::Narrow(value) : std::string());
        tree_->Manager().SendNotify(edit, "textchanged");
        return S_OK;
    }

    // The children the tree shows of a control, in tree order.
    std::vector<CControlUI*> ChildrenOf(CControlUI* control) const {
        std::vector<CControlUI*> children;
        if (RoleHasChildren(tree_->RoleOf(control)))
            AddShownChildren(control, children);
        return children;
    }

private:
    bool Alive() const { return tree_ != nullptr && control_ != nullptr; }

    // The shown children of a container; a child not shown itself (a plain layout) is replaced
    // by its own.
    void AddShownChildren(CControlUI* control, std::vector<CControlUI*>& children) const {
        IContainerUI* container = ControlAs<IContainerUI>(control);
        for (int i = 0; container != nullptr && i < container->GetCount(); ++i) {
            CControlUI* child = container->GetItemAt(i);
            if (child == nullptr)
                continue;
            if (tree_->RoleOf(child) != AccRole::None)
                children.push_back(child);
            else
                AddShownChildren(child, children);
        }
    }

    std::vector<CControlUI*> Children() const { return ChildrenOf(control_); }

    // The nearest ancestor the tree shows (null for the root).
    CControlUI* ShownParent(CControlUI* control) const {
        if (control == tree_->Manager().GetRoot())
            return nullptr;
        for (CControlUI* up = control->GetParent(); up != nullptr; up = up->GetParent()) {
            if (tree_->RoleOf(up) != AccRole::None)
                return up;
        }
        return nullptr;
    }

    RECT ClientRect() const {
        RECT rc = {};
        ::GetClientRect(tree_->Manager().GetPaintWindow(), &rc);
        return rc;
    }

    CControlUI* Deepest(CControlUI* control, POINT pt) const {
        for (CControlUI* child : ChildrenOf(control)) {
            const RECT rc = child->GetPos();
            if (child->IsVisible() && ::PtInRect(&rc, pt))
                return Deepest(child, pt);
        }
        return control;
    }

    // A child by its position (1-based) among the shown children, or any control of the window
    // by its (negative) id.
    CControlUI* ChildControl(long id) const {
        if (id < 0)
            return tree_->ControlOfChildId(id);
        const std::vector<CControlUI*> children = Children();
        return id >= 1 && size_t(id) <= children.size() ? children[size_t(id) - 1] : nullptr;
    }

    // The object a call is about: this one for CHILDID_SELF, else the child named (referenced).
    HRESULT Target(const VARIANT& child, CObject*& target) {
        target = nullptr;
        if (!Alive())
            return RPC_E_DISCONNECTED;
        if (IsSelf(child) || child.vt == VT_EMPTY) {
            AddRef();
            target = this;
            return S_OK;
        }
        if (child.vt != VT_I4)
            return E_INVALIDARG;
        CControlUI* control = ChildControl(child.lVal);
        if (control == nullptr)
            return E_INVALIDARG;
        IAccessible* object = tree_->ObjectOf(control);
        target = static_cast<CObject*>(object);
        return S_OK;
    }

    // The control a call is about (the tree keeps its object alive).
    HRESULT TargetControl(const VARIANT& child, CControlUI*& control) {
        CObject* target = nullptr;
        HRESULT hr = Target(child, target);
        if (FAILED(hr))
            return hr;
        control = target->control_;
        target->Release();
        return S_OK;
    }

    // A number of this object or of a child named through it: `produce` answers for its control.
    template <class Produce>
    HRESULT Number(const VARIANT& child, VARIANT* out, Produce&& produce) {
        if (out == nullptr)
            return E_POINTER;
        ::VariantInit(out);
        CControlUI* control = nullptr;
        if (HRESULT hr = TargetControl(child, control); FAILED(hr))
            return hr;
        out->vt = VT_I4;
        out->lVal = produce(control);
        return S_OK;
    }

    // A text of this object or of a child named through it: `produce` answers for the object.
    template <class Produce>
    HRESULT Text(const VARIANT& child, BSTR* out, Produce&& produce) {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        CObject* target = nullptr;
        HRESULT hr = Target(child, target);
        if (FAILED(hr))
            return hr;
        const std::string text = produce(*target);
        target->Release();
        if (text.empty())
            return S_FALSE;
        *out = ToBstr(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    std::string DefaultAction() const {
        const AccessibleWords& words = Words();
        if (!control_->IsEnabled())
            return std::string();
        switch (tree_->RoleOf(control_)) {
        case AccRole::PushButton:
            return words.press;
        case AccRole::CheckBox: {
            auto* option = ControlAs<COptionUI>(control_);
            return option && option->IsSelected() ? words.uncheck : words.check;
        }
        case AccRole::RadioButton:
            return words.check;
        case AccRole::PageTab:
            return words.switchTo;
        case AccRole::ComboBox: {
            auto* combo = ControlAs<CComboUI>(control_);
            return combo && combo->IsDroppedDown() ? words.close : words.open;
        }
        case AccRole::ListItem:
            return words.select;
        default:
            return std::string();
        }
    }

    CAccessibleTree* tree_;
    CControlUI* control_;
    ULONG refs_ = 1;
};

// ---- The tree ------------------------------------------------------------------------------------

CAccessibleTree::CAccessibleTree(CPaintManagerUI& manager) : manager_(manager) {}

CAccessibleTree::~CAccessibleTree() {
    for (auto& [control, object] : objects_) {
        object->Disconnect();
        object->Release();
    }
}

UINT CAccessibleTree::ActionMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"OrvelAccessibleDefaultAction");
    return message;
}

void CAccessibleTree::SetWords(const AccessibleWords& words) {
    SharedWords() = words;
}

const AccessibleWords& CAccessibleTree::Words() {
    return SharedWords();
}

// (The import library of oleacc names IID_IAccessible as a function of the DLL, not as the GUID:
// the interface's identifier is taken from its declaration instead.)
LRESULT CAccessibleTree::AnswerGetObject(WPARAM wParam, CControlUI* control) {
    CControlUI* target = control != nullptr ? control : manager_.GetRoot();
    if (target == nullptr)
        return 0;
    if (!ComReadyOnThisThread())
        return 0;
    IAccessible* object = ObjectOf(target);
    const LRESULT answer = ::LresultFromObject(__uuidof(IAccessible), wParam, object);
    object->Release();
    return answer;
}

long CAccessibleTree::ChildIdOf(CControlUI* control) {
    auto known = ids_.find(control);
    if (known != ids_.end())
        return -known->second;
    const long id = nextId_++;
    ids_[control] = id;
    controls_[id] = control;
    return -id;
}

CControlUI* CAccessibleTree::ControlOfChildId(long childId) const {
    auto known = controls_.find(childId < 0 ? -childId : childId);
    return known == controls_.end() ? nullptr : known->second;
}

IAccessible* CAccessibleTree::ObjectOf(CControlUI* control) {
    auto known = objects_.find(control);
    if (known == objects_.end()) {
        auto* object = new CObject(this, control); // the tree's own reference
        known = objects_.emplace(control, object).first;
        ChildIdOf(control);
    }
    known->second->AddRef();
    return known->second;
}

void CAccessibleTree::Forget(CControlUI* control) {
    auto known = objects_.find(control);
    if (known != objects_.end()) {
        known->second->Disconnect();
        known->second->Release();
        objects_.erase(known);
    }
    auto id = ids_.find(control);
    if (id != ids_.end()) {
        controls_.erase(id->second);
        ids_.erase(id);
    }
}

void CAccessibleTree::Notify(DWORD event, CControlUI* control) {
    HWND window = manager_.GetPaintWindow();
    if (control == nullptr || window == nullptr || RoleOf(control) == AccRole::None)
        return;
    const LONG child = control == manager_.GetRoot() ? CHILDID_SELF : ChildIdOf(control);
    ::NotifyWinEvent(event, window, OBJID_CLIENT, child);
}

void CAccessibleTree::RunDefaultAction(LPARAM childId) {
    CControlUI* control = ControlOfChildId(long(childId));
    if (control == nullptr || !control->IsEnabled() || !control->IsVisible())
        return;
    switch (RoleOf(control)) {
    case AccRole::ListItem:
        if (IListItemUI* item = AsListItem(control)) {
            item->Select(true);
            return;
        }
        break;
    case AccRole::EditableText:
        control->SetFocus();
        return;
    default:
        break;
    }
    control->Activate();
}

AccRole CAccessibleTree::RoleOf(CControlUI* control) const {
    if (control == nullptr)
        return AccRole::None;
    if (control == manager_.GetRoot())
        return AccRole::Client;
    // The pages of a tab layout are property pages.
    CControlUI* parent = control->GetParent();
    if (control->GetAccRole().empty() && parent != nullptr &&
        ControlAs<CTabLayoutUI>(parent) != nullptr)
        return AccRole::PropertyPage;
    const std::string cls = control->GetClass();
    bool grouped = false;
    if (cls == "OptionUI") {
        auto* option = ControlAs<COptionUI>(control);
        grouped = option && !option->GetGroup().empty();
    }
    // (A rich edit's text is not asked for: it is long, and its role does not depend on it.)
    const bool hasText = !control->GetAccName().empty() || !control->GetToolTip().empty() ||
                         (cls != "RichEdit" && !control->GetText().empty());
    return RoleOfControl(cls, control->GetAccRole(), grouped, hasText);
}

std::string CAccessibleTree::NameOf(CControlUI* control) const {
    if (!control->GetAccName().empty())
        return control->GetAccName();
    if (control == manager_.GetRoot())
        return uitext::WindowText(manager_.GetPaintWindow());
    if (const auto& namer = manager_.GetAccessibleNamer()) {
        std::string named = namer(control);
        if (!named.empty())
            return named;
    }
    switch (RoleOf(control)) {
    case AccRole::EditableText:
    case AccRole::ComboBox: {
        // A field of a list row is named by its column; any other by the label before it.
        int column = -1;
        if (IListUI* list = ListOfField(control, column)) {
            IContainerUI* header = ControlAs<IContainerUI>(list->GetHeader());
            if (header != nullptr && column >= 0 && column < header->GetCount())
                return header->GetItemAt(column)->GetText();
        }
        std::string label = LabelBefore(control);
        if (label.empty())
            label = GroupOfOne(control);
        return label.empty() ? control->GetToolTip() : label;
    }
    case AccRole::ListItem: {
        if (!control->GetText().empty())
            return control->GetText();
        // A row of fields: the text of its first cell that shows one (its number).
        IContainerUI* cells = ControlAs<IContainerUI>(control);
        for (int i = 0; cells != nullptr && i < cells->GetCount(); ++i) {
            const std::string text = cells->GetItemAt(i)->GetText();
            if (!text.empty())
                return text;
        }
        return std::string();
    }
    default:
        return control->GetText().empty() ? control->GetToolTip() : control->GetText();
    }
}

std::string CAccessibleTree::ValueOf(CControlUI* control) const {
    switch (RoleOf(control)) {
    case AccRole::EditableText: {
        auto* edit = ControlAs<CEditUI>(control);
        if (edit != nullptr && edit->IsPasswordMode())
            return std::string(edit->GetText().size(), '*');
        return control->GetText();
    }
    case AccRole::ComboBox:
        return control->GetText();
    default:
        return std::string();
    }
}

DWORD CAccessibleTree::StateOf(CControlUI* control) const {
    DWORD state = 0;
    const AccRole role = RoleOf(control);
    if (!ShownWithAncestors(control) || ::IsRectEmpty(&control->GetPos()))
        state |= STATE_SYSTEM_INVISIBLE;
    else if (ScrolledAway(control))
        state |= STATE_SYSTEM_OFFSCREEN;
    if (!EnabledWithAncestors(control))
        state |= STATE_SYSTEM_UNAVAILABLE;
    // Every option of a group can take the focus, though only the selected one is a Tab stop.
    const auto* grouped = ControlAs<COptionUI>(control);
    const UINT flags =
        grouped ? grouped->CButtonUI::GetControlFlags() : control->GetControlFlags();
    if ((flags & UIFLAG_TABSTOP) != 0 && control->IsKeyboardEnabled()) {
        state |= STATE_SYSTEM_FOCUSABLE;
        if (manager_.GetFocus() == control && HasKeyboard(manager_.GetPaintWindow()))
            state |= STATE_SYSTEM_FOCUSED;
    }
    if (auto* option = ControlAs<COptionUI>(control)) {
        if (role == AccRole::PageTab) {
            state |= STATE_SYSTEM_SELECTABLE;
            if (option->IsSelected())
                state |= STATE_SYSTEM_SELECTED;
        } else if (option->IsSelected()) {
            state |= STATE_SYSTEM_CHECKED;
        }
    }
    if (IListItemUI* item = AsListItem(control); item != nullptr && role == AccRole::ListItem) {
        state |= STATE_SYSTEM_SELECTABLE;
        if (item->IsSelected())
            state |= STATE_SYSTEM_SELECTED;
    }
    switch (role) {
    case AccRole::EditableText: {
        auto* edit = ControlAs<CEditUI>(control);
        auto* rich = ControlAs<CRichEditUI>(control);
        if ((edit && edit->IsReadOnly()) || (rich && rich->IsReadOnly()))
            state |= STATE_SYSTEM_READONLY;
        if (edit && edit->IsPasswordMode())
            state |= STATE_SYSTEM_PROTECTED;
        break;
    }
    case AccRole::StaticText:
        state |= STATE_SYSTEM_READONLY;
        break;
    case AccRole::ComboBox: {
        auto* combo = ControlAs<CComboUI>(control);
        state |= STATE_SYSTEM_HASPOPUP;
        state |= combo && combo->IsDroppedDown() ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
        break;
    }
    default:
        break;
    }
    return state;
}

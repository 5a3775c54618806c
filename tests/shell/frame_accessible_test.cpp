// The main window as a screen reader sees it: the accessibility tree through oleacc, in
// process, against the simulated device; focus events as a client hooks them.
#include "tests/shell/frame_fixture.h"

#include "support/accessible_client.h"

#include <oleacc.h>

#include <map>
#include <set>

namespace frametest {

using accessclient::ControlBehind;
using accessclient::Self;
using accessclient::Take;

namespace {

// One object of the tree as a client reads it, with the control it lies in.
struct Node : accessclient::Seen {
    IAccessible* object = nullptr; // referenced while the walk's nodes live
    CControlUI* parent = nullptr;
};

// Every object under `object`, depth first, as AccessibleChildren hands them out.
void Walk(IAccessible* object, CControlUI* control, std::vector<Node>& nodes, int& simple) {
    for (IAccessible* child : accessclient::Children(object, &simple)) {
        Node node;
        static_cast<accessclient::Seen&>(node) = accessclient::Look(child);
        node.object = child;
        node.parent = control;
        nodes.push_back(node);
        Walk(child, node.control, nodes, simple);
    }
}

bool ShownWithAncestors(CControlUI* control) {
    for (CControlUI* c = control; c != nullptr; c = c->GetParent())
        if (!c->IsVisible())
            return false;
    return true;
}

bool EnabledWithAncestors(CControlUI* control) {
    for (CControlUI* c = control; c != nullptr; c = c->GetParent())
        if (!c->IsEnabled())
            return false;
    return true;
}

// Focus events as a client hooked on this process receives them.
std::vector<std::pair<HWND, std::pair<LONG, LONG>>> g_focusEvents;
void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    g_focusEvents.push_back({hwnd, {object, child}});
}

} // namespace

class AccessibleTest : public FrameTest {
protected:
    void TearDown() override {
        Release();
        FrameTest::TearDown();
    }
    IAccessible* Root(HWND window) {
        IAccessible* root = nullptr;
        EXPECT_EQ(AccessibleObjectFromWindow(window, DWORD(OBJID_CLIENT), __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&root)),
                  S_OK);
        return root;
    }
    // A control's object as a client gets it from an event's child id.
    IAccessible* ChildById(IAccessible* root, CControlUI* control) {
        VARIANT id;
        id.vt = VT_I4;
        id.lVal = frame_->PaintManager().Accessible().ChildIdOf(control);
        IDispatch* object = nullptr;
        IAccessible* accessible = nullptr;
        if (root->get_accChild(id, &object) == S_OK && object != nullptr) {
            object->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&accessible));
            object->Release();
        }
        return accessible;
    }
    // The whole tree of a window; the nodes by control.
    void WalkWindow(HWND window) {
        Release();
        IAccessible* root = Root(window);
        ASSERT_NE(root, nullptr);
        Node top;
        static_cast<accessclient::Seen&>(top) = accessclient::Look(root);
        top.object = root;
        nodes_.push_back(top);
        Walk(root, nodes_.front().control, nodes_, simple_);
        for (const Node& node : nodes_)
            if (node.control != nullptr)
                byControl_[node.control] = &node - nodes_.data();
    }
    const Node* NodeOf(CControlUI* control) {
        auto at = byControl_.find(control);
        return at == byControl_.end() ? nullptr : &nodes_[at->second];
    }
    void Release() {
        for (Node& node : nodes_)
            node.object->Release();
        nodes_.clear();
        byControl_.clear();
        simple_ = 0;
    }
    void Key(BYTE vk) {
        keybd_event(vk, 0, 0, 0);
        keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
        Pump(150);
    }
    void ReadDevice() {
        EnterSettingMode();
        Click("Load");
        ASSERT_TRUE(WaitForIdle());
        Pump(500);
    }

    std::vector<Node> nodes_;
    std::map<CControlUI*, size_t> byControl_;
    int simple_ = 0;
};

TEST_F(AccessibleTest, EveryParameterControlIsNamedByItsLabelWithRoleValueAndState) {
    ASSERT_TRUE(Open());
    // Before the port is open the operations are unavailable, and the tree says so.
    WalkWindow(hwnd_);
    ASSERT_FALSE(nodes_.empty());
    EXPECT_EQ(nodes_.front().role, ROLE_SYSTEM_CLIENT);
    EXPECT_EQ(simple_, 0) << "every element is an object of its own";
    for (const char* name : {"Load", "Save", "Login"}) {
        const Node* node = NodeOf(Find(name));
        ASSERT_NE(node, nullptr) << name;
        EXPECT_EQ(node->role, ROLE_SYSTEM_PUSHBUTTON) << name;
        EXPECT_EQ(node->name, Text(name)) << name;
        EXPECT_TRUE(node->state & STATE_SYSTEM_UNAVAILABLE) << name;
    }
    EXPECT_FALSE(NodeOf(Find("Open"))->state & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(NodeOf(Find("Open"))->action, LookupTextOr("Accessible", "Press", "Press"));

    ReadDevice();
    // The page the read shows first: the layout rules hide there what the device's mode does
    // not use.
    const int page = ControlAs<CTabLayoutUI>(Find("switch"))->GetCurSel();
    WalkWindow(hwnd_);
    std::printf("[ figure ] accessibility tree of the main window: %zu objects\n", nodes_.size());

    // Every parameter control of every page: present once, named by its label on the page,
    // with its role, its value and its state.
    int checked = 0, hiddenOnPage = 0;
    std::set<CControlUI*> seen;
    for (const auto& [key, entry] : frame_->Store().parameters) {
        CControlUI* control = Find(key);
        const std::string cls = control ? control->GetClass() : "";
        if (cls != "EditUI" && cls != "ComboUI")
            continue; // no field of its own (a placeholder the device's listing fills)
        const Node* node = NodeOf(control);
        ASSERT_NE(node, nullptr) << key << " is missing from the tree";
        EXPECT_TRUE(seen.insert(control).second) << key;
        const std::string label = frame_->View().FieldLabel(key);
        if (cls == "EditUI") {
            EXPECT_EQ(node->role, ROLE_SYSTEM_TEXT) << key;
            EXPECT_EQ(node->value, control->GetText()) << key;
        } else if (cls == "ComboUI") {
            EXPECT_EQ(node->role, ROLE_SYSTEM_COMBOBOX) << key;
            EXPECT_EQ(node->value, control->GetText()) << key;
            EXPECT_TRUE(node->state & STATE_SYSTEM_COLLAPSED) << key;
        }
        EXPECT_FALSE(label.empty()) << key << " has no label on its page";
        EXPECT_EQ(node->name, label) << key;
        const bool shown = ShownWithAncestors(control);
        EXPECT_EQ((node->state & STATE_SYSTEM_INVISIBLE) != 0, !shown) << key;
        EXPECT_EQ((node->state & STATE_SYSTEM_UNAVAILABLE) != 0, !EnabledWithAncestors(control))
            << key;
        EXPECT_TRUE(node->state & STATE_SYSTEM_FOCUSABLE) << key;
        if (shown) {
            // Where the control is on the screen.
            RECT rc = control->GetPos();
            MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&rc), 2);
            EXPECT_TRUE(EqualRect(&rc, &node->location)) << key;
        }
        if (entry.tab == page && !shown)
            ++hiddenOnPage;
        ++checked;
    }
    EXPECT_GT(checked, 150);
    EXPECT_GT(hiddenOnPage, 0) << "the rules hide fields on the page shown";

    // The tabs: a page-tab list of page tabs named by their text, the current one selected;
    // each page a property page named by its tab.
    int tabs = 0, selected = 0;
    std::string selectedName;
    for (const Node& node : nodes_) {
        if (node.role != ROLE_SYSTEM_PAGETAB)
            continue;
        ++tabs;
        EXPECT_EQ(node.name, node.control->GetText());
        const bool current = ControlAs<COptionUI>(node.control)->IsSelected();
        EXPECT_EQ((node.state & STATE_SYSTEM_SELECTED) != 0, current) << node.name;
        if (current) {
            ++selected;
            selectedName = node.name;
        }
        EXPECT_EQ(NodeOf(node.parent)->role, ROLE_SYSTEM_PAGETABLIST);
    }
    EXPECT_EQ(tabs, 12);
    EXPECT_EQ(selected, 1);
    auto* pages = ControlAs<CTabLayoutUI>(Find("switch"));
    for (int i = 0; i < pages->GetCount(); ++i) {
        const Node* node = NodeOf(pages->GetItemAt(i));
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->role, ROLE_SYSTEM_PROPERTYPAGE);
        EXPECT_FALSE(node->name.empty());
        EXPECT_EQ((node->state & STATE_SYSTEM_INVISIBLE) != 0, i != page) << node->name;
    }
    EXPECT_EQ(NodeOf(pages->GetItemAt(page))->name, selectedName);

    // The sensor list: a list of rows, each a list item holding its fields, named by column.
    const Node* list = NodeOf(Find("CustomList"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role, ROLE_SYSTEM_LIST);
    int rows = 0;
    for (const Node& node : nodes_) {
        if (node.parent != Find("CustomList"))
            continue;
        EXPECT_EQ(node.role, ROLE_SYSTEM_LISTITEM);
        ++rows;
    }
    EXPECT_EQ(rows, ControlAs<CListUI>(Find("CustomList"))->GetCount());
    const std::string dataType =
        ControlAs<CListUI>(Find("CustomList"))->GetHeader()->GetItemAt(6)->GetText();
    int named = 0;
    for (const Node& node : nodes_) {
        if (node.control && node.control->GetName() == "SensorCfg_DataType") {
            EXPECT_EQ(node.name, dataType);
            ++named;
        }
    }
    EXPECT_EQ(named, rows);
    // The log is read-only text.
    const Node* log = NodeOf(Find("richedit"));
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->role, ROLE_SYSTEM_TEXT);
    EXPECT_TRUE(log->state & STATE_SYSTEM_READONLY);
    // Every object of the tree has a role, and every one that can be operated has a name.
    for (const Node& node : nodes_) {
        EXPECT_NE(node.role, 0) << node.name;
        if (node.state & STATE_SYSTEM_INVISIBLE)
            continue;
        if (node.role == ROLE_SYSTEM_PUSHBUTTON || node.role == ROLE_SYSTEM_CHECKBUTTON ||
            node.role == ROLE_SYSTEM_TEXT || node.role == ROLE_SYSTEM_COMBOBOX ||
            node.role == ROLE_SYSTEM_PAGETAB) {
            EXPECT_FALSE(node.name.empty())
                << (node.control ? node.control->GetName() : std::string("?"));
        }
    }
}

TEST_F(AccessibleTest, AClientOperatesControlsAndHitTestsThem) {
    ASSERT_TRUE(Open());
    IAccessible* root = Root(hwnd_);
    ASSERT_NE(root, nullptr);
    // A page tab's default action switches to its page.
    IAccessible* tab = ChildById(root, Find("Serial"));
    ASSERT_NE(tab, nullptr);
    BSTR action = nullptr;
    ASSERT_EQ(tab->get_accDefaultAction(Self(), &action), S_OK);
    EXPECT_EQ(Take(action), LookupTextOr("Accessible", "Switch", "Switch"));
    ASSERT_EQ(tab->accDoDefaultAction(Self()), S_OK);
    Pump(300);
    EXPECT_EQ(ControlAs<CTabLayoutUI>(Find("switch"))->GetCurSel(), 2);
    // The point in the middle of a field is that field.
    CControlUI* field = Find("BaudRate1");
    ASSERT_TRUE(field && field->IsVisible());
    RECT rc = field->GetPos();
    POINT middle = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ClientToScreen(hwnd_, &middle);
    VARIANT hit;
    VariantInit(&hit);
    ASSERT_EQ(root->accHitTest(middle.x, middle.y, &hit), S_OK);
    ASSERT_EQ(hit.vt, VT_DISPATCH);
    EXPECT_EQ(ControlBehind(hit.pdispVal), field);
    // Taking the focus: the field has it, and the tree says so.
    IAccessible* target = nullptr;
    hit.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&target));
    VariantClear(&hit);
    ASSERT_EQ(target->accSelect(SELFLAG_TAKEFOCUS, Self()), S_OK);
    Pump(200);
    EXPECT_EQ(frame_->PaintManager().GetFocus(), field);
    VARIANT focus;
    VariantInit(&focus);
    ASSERT_EQ(root->get_accFocus(&focus), S_OK);
    ASSERT_EQ(focus.vt, VT_DISPATCH);
    EXPECT_EQ(ControlBehind(focus.pdispVal), field);
    VariantClear(&focus);
    // Its parent chain leads back to the root, and the root's parent is the window.
    IDispatch* up = nullptr;
    ASSERT_EQ(target->get_accParent(&up), S_OK);
    ASSERT_NE(up, nullptr);
    up->Release();
    IDispatch* window = nullptr;
    ASSERT_EQ(root->get_accParent(&window), S_OK);
    ASSERT_NE(window, nullptr);
    window->Release();
    target->Release();
    tab->Release();
    // A control that goes leaves an object that says so instead of crashing its client.
    IAccessible* closeButton = ChildById(root, Find("Open"));
    ASSERT_NE(closeButton, nullptr);
    root->Release();
    Destroy();
    BSTR name = nullptr;
    EXPECT_EQ(closeButton->get_accName(Self(), &name), RPC_E_DISCONNECTED);
    closeButton->Release();
}

TEST_F(AccessibleTest, FocusEventsFollowTheTabKey) {
    ASSERT_TRUE(Open());
    SetForegroundWindow(hwnd_);
    SetFocus(hwnd_);
    Pump(200);
    IAccessible* root = Root(hwnd_); // a client has asked: events are reported from now on
    ASSERT_NE(root, nullptr);
    g_focusEvents.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr,
                                         OnWinEvent, GetCurrentProcessId(), 0,
                                         WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    // Through the tabs, the buttons and the fields of the Modbus page (edits among them).
    ASSERT_TRUE(ControlAs<COptionUI>(Find("Modbus"))->Activate());
    Pump(300);
    int edits = 0;
    for (int i = 0; i < 30; ++i) {
        g_focusEvents.clear();
        Key(VK_TAB);
        CControlUI* focused = frame_->PaintManager().GetFocus();
        ASSERT_NE(focused, nullptr);
        if (std::string(focused->GetClass()) == "EditUI") {
            ++edits;
            // The system's edit that has the keyboard answers with the field's own object.
            IAccessible* native = Root(GetFocus());
            ASSERT_NE(native, nullptr);
            EXPECT_EQ(ControlBehind(native), focused);
            native->Release();
        }
        // The last event names the focused control: the window's own, or the system's for a
        // field's native edit, which answers with the field's object.
        CControlUI* named = nullptr;
        for (const auto& [window, ids] : g_focusEvents) {
            if ((window != hwnd_ && !IsChild(hwnd_, window)) || ids.first != OBJID_CLIENT)
                continue;
            IAccessible* object = nullptr;
            VARIANT child;
            VariantInit(&child);
            if (AccessibleObjectFromEvent(window, DWORD(ids.first), DWORD(ids.second), &object,
                                          &child) == S_OK) {
                named = ControlBehind(object);
                object->Release();
            }
        }
        EXPECT_EQ(named, focused) << "Tab " << i << " to " << focused->GetName();
    }
    EXPECT_GE(edits, 2);
    UnhookWinEvent(hook);
    root->Release();
}

// The plan window is a tree of its own: its buttons and a tick per row named by the row.
TEST_F(AccessibleTest, ThePlanWindowNamesItsButtonsAndTicks) {
    ASSERT_TRUE(Open());
    ReadDevice();
    const std::string interval = Text("CollectInterval");
    Find("CollectInterval")->SetText(interval == "61" ? "62" : "61");
    Pump(300);
    Click("Save");
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() != nullptr; }, 3000));
    Pump(300);
    WalkWindow(frame_->PlanWindow()->GetHWND());
    int ticks = 0;
    bool write = false;
    for (const Node& node : nodes_) {
        if (node.role == ROLE_SYSTEM_CHECKBUTTON) {
            ++ticks;
            EXPECT_NE(node.name.find(frame_->View().FieldLabel("CollectInterval")),
                      std::string::npos)
                << node.name;
            EXPECT_TRUE(node.state & STATE_SYSTEM_CHECKED);
        }
        if (node.role == ROLE_SYSTEM_PUSHBUTTON && node.control == frame_->PlanWindow()
                                                                       ->PaintManager()
                                                                       .FindControl("PlanWrite"))
            write = !node.name.empty() && !(node.state & STATE_SYSTEM_UNAVAILABLE);
    }
    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(write);
    Release();
    ClickInPlan("PlanCancel");
    Pump(300);
    Find("CollectInterval")->SetText(interval);
}

} // namespace frametest

// The toolkit's accessibility tree on a small skin, through oleacc in a real window under Wine:
// which controls it shows and how it names them, their states, a client operating them, and
// change events only once a client has asked.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <functional>
#include <map>
#include <vector>

#include "skin_test_window.h"
#include "support/accessible_client.h"

using namespace uitest;
using namespace accessclient;

namespace {

const char* kSkin = R"(<Window><VerticalLayout bkcolor="#FFFFFFFF">
    <HorizontalLayout height="24">
        <Button name="go" text="Go" width="60"/>
        <Button name="off" text="Off" width="60" enabled="false"/>
        <Button name="pic" width="30" tooltip="Close"/>
        <Control width="10"/>
        <Option name="r1" group="g" text="One" width="60" selected="true"/>
        <Option name="r2" group="g" text="Two" width="60"/>
        <CheckBox name="cb" text="Tick" width="60"/>
    </HorizontalLayout>
    <HorizontalLayout height="24">
        <Label text="Address" width="80"/>
        <Edit name="address" text="10.0.0.1" width="120"/>
        <Edit name="secret" text="abc" password="true" width="80"/>
        <Edit name="fixed" text="ro" readonly="true" width="80" accname="Fixed value"/>
    </HorizontalLayout>
    <HorizontalLayout name="hidden" height="24" visible="false">
        <Label text="Hidden field" width="80"/>
        <Edit name="buried" width="80"/>
    </HorizontalLayout>
    <VerticalLayout height="60" accname="Options">
        <Combo name="mode" width="120" height="22">
            <ListLabelElement text="Alpha" selected="true"/>
            <ListLabelElement text="Beta"/>
        </Combo>
    </VerticalLayout>
    <GroupBox text="Notes" height="60"><Edit name="notes"/></GroupBox>
    <VerticalLayout height="30" vscrollbar="true">
        <Edit name="near" height="24"/>
        <Edit name="far1" height="24"/>
        <Edit name="far2" height="24"/>
    </VerticalLayout>
    <List name="rows" height="80">
        <ListHeader height="20">
            <ListHeaderItem text="No." width="40"/>
            <ListHeaderItem text="Slave" width="80"/>
        </ListHeader>
        <ListContainerElement height="24"><Label text="1" width="40"/><Edit name="slave1" width="80"/></ListContainerElement>
        <ListContainerElement height="24"><Label text="2" width="40"/><Edit name="slave2" width="80"/></ListContainerElement>
    </List>
</VerticalLayout></Window>)";

std::vector<HWND> g_events;
void CALLBACK OnEvent(HWINEVENTHOOK, DWORD, HWND hwnd, LONG, LONG, DWORD, DWORD) {
    g_events.push_back(hwnd);
}

class AccessibleTreeTest : public SkinTest {
protected:
    void TearDown() override {
        for (auto& [control, object] : objects_)
            object->Release();
        if (root_ != nullptr)
            root_->Release();
        SkinTest::TearDown();
    }
    // The tree from the root, every object once, with the parent of each.
    void Walk() {
        ASSERT_EQ(AccessibleObjectFromWindow(win.GetHWND(), DWORD(OBJID_CLIENT),
                                             __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&root_)),
                  S_OK);
        std::function<void(IAccessible*)> walk = [&](IAccessible* object) {
            for (IAccessible* child : Children(object)) {
                CControlUI* control = ControlBehind(child);
                parents_[control] = ControlBehind(object);
                objects_[control] = child;
                walk(child);
            }
        };
        walk(root_);
    }
    Seen Of(const std::string& name) {
        auto at = objects_.find(win.pm.FindControl(name));
        EXPECT_NE(at, objects_.end()) << name << " is not in the tree";
        return at == objects_.end() ? Seen() : Look(at->second);
    }
    IAccessible* Object(const std::string& name) { return objects_[win.pm.FindControl(name)]; }

    IAccessible* root_ = nullptr;
    std::map<CControlUI*, IAccessible*> objects_;
    std::map<CControlUI*, CControlUI*> parents_;
};

TEST_F(AccessibleTreeTest, ShowsControlsNamedAndStatedAsAUserSeesThem) {
    Build(kSkin);
    Walk();
    // Roles and names: a button by its text or tooltip, a field by the label before it, by
    // the skin's name, by its group box or by its list column.
    struct Expect {
        const char* control;
        LONG role;
        const char* name;
    };
    const Expect expected[] = {
        {"go", ROLE_SYSTEM_PUSHBUTTON, "Go"},        {"pic", ROLE_SYSTEM_PUSHBUTTON, "Close"},
        {"r1", ROLE_SYSTEM_RADIOBUTTON, "One"},      {"cb", ROLE_SYSTEM_CHECKBUTTON, "Tick"},
        {"address", ROLE_SYSTEM_TEXT, "Address"},    {"fixed", ROLE_SYSTEM_TEXT, "Fixed value"},
        {"buried", ROLE_SYSTEM_TEXT, "Hidden field"}, {"mode", ROLE_SYSTEM_COMBOBOX, ""},
        {"notes", ROLE_SYSTEM_TEXT, "Notes"},        {"rows", ROLE_SYSTEM_LIST, ""},
        {"slave2", ROLE_SYSTEM_TEXT, "Slave"},
    };
    for (const Expect& e : expected) {
        const Seen seen = Of(e.control);
        EXPECT_EQ(seen.role, e.role) << e.control;
        if (*e.name) {
            EXPECT_EQ(seen.name, e.name) << e.control;
        }
    }
    // Plain layouts stand aside (the button's parent is the window's client area); the named
    // one is a grouping around the combo; a row is a list item of the list.
    EXPECT_EQ(parents_[win.pm.FindControl("go")], win.pm.GetRoot());
    CControlUI* options = parents_[win.pm.FindControl("mode")];
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->GetAccName(), "Options");
    CControlUI* row = parents_[win.pm.FindControl("slave2")];
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(parents_[row], win.pm.FindControl("rows"));
    EXPECT_EQ(Look(objects_[row]).role, ROLE_SYSTEM_LISTITEM);
    EXPECT_EQ(Look(objects_[row]).name, "2");
    // The decoration is not there.
    for (const auto& [control, object] : objects_)
        EXPECT_STRNE(control->GetClass(), "ControlUI");

    // Values and states.
    EXPECT_EQ(Of("address").value, "10.0.0.1");
    EXPECT_EQ(Of("secret").value, "***");
    EXPECT_TRUE(Of("secret").state & STATE_SYSTEM_PROTECTED);
    EXPECT_TRUE(Of("fixed").state & STATE_SYSTEM_READONLY);
    EXPECT_TRUE(Of("off").state & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_FALSE(Of("go").state & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_TRUE(Of("buried").state & STATE_SYSTEM_INVISIBLE);
    EXPECT_FALSE(Of("address").state & STATE_SYSTEM_INVISIBLE);
    // A field scrolled out of its container's view is offscreen, not invisible.
    EXPECT_FALSE(Of("near").state & (STATE_SYSTEM_OFFSCREEN | STATE_SYSTEM_INVISIBLE));
    EXPECT_TRUE(Of("far2").state & STATE_SYSTEM_OFFSCREEN);
    EXPECT_FALSE(Of("far2").state & STATE_SYSTEM_INVISIBLE);
    EXPECT_TRUE(Of("r1").state & STATE_SYSTEM_CHECKED);
    EXPECT_FALSE(Of("r2").state & STATE_SYSTEM_CHECKED);
    EXPECT_EQ(Of("mode").value, "Alpha");
    EXPECT_TRUE(Of("mode").state & STATE_SYSTEM_COLLAPSED);
    EXPECT_TRUE(Of("go").state & STATE_SYSTEM_FOCUSABLE);
    // Default actions.
    EXPECT_EQ(Of("go").action, "Press");
    EXPECT_EQ(Of("cb").action, "Check");
    EXPECT_EQ(Of("mode").action, "Open");
    EXPECT_EQ(Of("off").action, "");
}

TEST_F(AccessibleTreeTest, AClientOperatesTheControls) {
    Build(kSkin);
    Walk();
    // The check box's default action ticks it (after the call returns), and then unticks.
    ASSERT_EQ(Object("cb")->accDoDefaultAction(Self()), S_OK);
    PumpFor(50);
    EXPECT_TRUE(Of("cb").state & STATE_SYSTEM_CHECKED);
    EXPECT_EQ(Of("cb").action, "Uncheck");
    // A radio button: the group follows.
    ASSERT_EQ(Object("r2")->accDoDefaultAction(Self()), S_OK);
    PumpFor(50);
    EXPECT_TRUE(Of("r2").state & STATE_SYSTEM_CHECKED);
    EXPECT_FALSE(Of("r1").state & STATE_SYSTEM_CHECKED);
    EXPECT_EQ(Object("off")->accDoDefaultAction(Self()), DISP_E_MEMBERNOTFOUND);
    // A field takes a value from the client as if typed, and says so.
    BSTR value = SysAllocString(L"10.0.0.2");
    EXPECT_EQ(Object("address")->put_accValue(Self(), value), S_OK);
    SysFreeString(value);
    EXPECT_EQ(Find("address")->GetText(), "10.0.0.2");
    EXPECT_EQ(rec.Count("textchanged:address"), 1);
    value = SysAllocString(L"x");
    EXPECT_NE(Object("fixed")->put_accValue(Self(), value), S_OK);
    SysFreeString(value);
    EXPECT_EQ(Find("fixed")->GetText(), "ro");
    // Taking the focus.
    ASSERT_EQ(Object("go")->accSelect(SELFLAG_TAKEFOCUS, Self()), S_OK);
    EXPECT_EQ(win.pm.GetFocus(), Find("go"));
    // Moving among siblings and to children.
    VARIANT next;
    VariantInit(&next);
    ASSERT_EQ(root_->accNavigate(NAVDIR_NEXT, [] {
        VARIANT id;
        id.vt = VT_I4;
        id.lVal = 1;
        return id;
    }(), &next), S_OK);
    ASSERT_EQ(next.vt, VT_DISPATCH);
    EXPECT_EQ(ControlBehind(next.pdispVal), Find("off"));
    VariantClear(&next);
    ASSERT_EQ(Object("rows")->accNavigate(NAVDIR_FIRSTCHILD, Self(), &next), S_OK);
    EXPECT_EQ(ControlBehind(next.pdispVal), parents_[win.pm.FindControl("slave1")]);
    VariantClear(&next);
    // The point in the middle of the combo is the combo.
    RECT rc = Find("mode")->GetPos();
    POINT middle = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ClientToScreen(win.GetHWND(), &middle);
    VARIANT hit;
    VariantInit(&hit);
    ASSERT_EQ(root_->accHitTest(middle.x, middle.y, &hit), S_OK);
    ASSERT_EQ(hit.vt, VT_DISPATCH);
    EXPECT_EQ(ControlBehind(hit.pdispVal), Find("mode"));
    VariantClear(&hit);
}

TEST_F(AccessibleTreeTest, ChangesAreReportedOnlyOnceAClientHasAsked) {
    Build(kSkin);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE,
                                         nullptr, OnEvent, GetCurrentProcessId(), 0,
                                         WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    g_events.clear();
    Find("address")->SetText("1.1.1.1");
    PumpFor(50);
    EXPECT_TRUE(g_events.empty()) << "no tree yet, nothing reported";
    Walk();
    Find("address")->SetText("2.2.2.2");
    ControlAs<CComboUI>(Find("mode"))->SelectItem(1);
    PumpFor(50);
    EXPECT_EQ(g_events.size(), 2u);
    UnhookWinEvent(hook);
    // A control that goes leaves its object disconnected, not dangling.
    IAccessible* buried = Object("buried");
    buried->AddRef();
    ControlAs<CContainerUI>(Find("hidden"))->RemoveAll();
    BSTR name = nullptr;
    EXPECT_EQ(buried->get_accName(Self(), &name), RPC_E_DISCONNECTED);
    buried->Release();
}

} // namespace

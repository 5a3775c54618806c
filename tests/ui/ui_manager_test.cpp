// The paint manager in a real window under Wine: layout and "windowinit", input injected as
// window messages, focus and Tab, timers, notifications and receivers, resources (images,
// fonts, styles, attributes), painting, and the mended faults of the event model.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "support/wintest.h"
#include "ui/UIRender.h"
#include "ui_image_files.h"
#include "ui_test_window.h"

using namespace uitest;

namespace {

// A window with a root container holding probes; the client area is 400 x 300.
class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(win.Open(400, 300));
        root = new CContainerUI;
        root->SetName("root");
        root->SetBkColor(0xFFFFFFFF);
        win.pm.AddNotifier(&rec);
    }
    void TearDown() override { win.Abandon(); }

    // A probe placed by "pos" inside the root (floating, so the plain container keeps it).
    CProbeUI* AddProbe(const std::string& name, RECT pos) {
        auto* probe = new CProbeUI;
        probe->SetName(name);
        probe->SetFloat(true);
        probe->SetAttribute("pos", std::to_string(pos.left) + "," + std::to_string(pos.top) + "," +
                                       std::to_string(pos.right) + "," +
                                       std::to_string(pos.bottom));
        root->Add(probe);
        return probe;
    }

    // Attaches the tree, shows the window and waits for the first layout.
    void Show() {
        win.pm.AttachDialog(root);
        win.ShowWindow(true, true);
        ::UpdateWindow(win.GetHWND());
        ASSERT_TRUE(Pump([&] { return rec.Count("windowinit:root") == 1; }));
        PumpFor(50);
    }

    void Send(UINT msg, WPARAM wParam, LPARAM lParam) {
        ::SendMessageA(win.GetHWND(), msg, wParam, lParam);
    }

    CTestWindow win;
    CContainerUI* root = nullptr;
    CRecorder rec;
};

} // namespace

// ---- Layout and first paint --------------------------------------------------------------------

TEST_F(ManagerTest, WindowInitArrivesOnceAfterTheFirstLayout) {
    CProbeUI* a = AddProbe("a", {10, 10, 60, 40});
    RECT rootAtInit = {}, probeAtInit = {};
    bool sizeBeforeInit = false;
    rec.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == "windowinit") {
            rootAtInit = root->GetPos();
            probeAtInit = a->GetPos();
            sizeBeforeInit = rec.Count("windowsize:root") > 0;
        }
    };
    Show();
    EXPECT_EQ(1, rec.Count("windowinit:root"));
    EXPECT_FALSE(sizeBeforeInit);
    EXPECT_EQ(400, rootAtInit.right - rootAtInit.left);
    EXPECT_EQ(300, rootAtInit.bottom - rootAtInit.top);
    EXPECT_EQ(10, probeAtInit.left);
    EXPECT_EQ(50, probeAtInit.right - probeAtInit.left);
    // "windowsize" follows through the posted cleanup message, not during the paint.
    EXPECT_TRUE(Pump([&] { return rec.Count("windowsize:root") >= 1; }));

    // Later layouts (a resize) send "windowsize" again, never "windowinit".
    ::SetWindowPos(win.GetHWND(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    ::UpdateWindow(win.GetHWND());
    EXPECT_TRUE(Pump([&] { return rec.Count("windowsize:root") >= 2; }));
    EXPECT_EQ(1, rec.Count("windowinit:root"));
}

TEST_F(ManagerTest, PlainContainerGivesChildrenItsClientAreaWithinTheirLimits) {
    auto* inner = new CContainerUI;
    inner->SetName("inner");
    inner->SetAttribute("inset", "10,20,30,40");
    auto* child = new CControlUI;
    child->SetAttribute("maxheight", "50");
    inner->Add(child);
    auto* floating = new CControlUI;
    floating->SetAttribute("float", "true");
    floating->SetAttribute("pos", "10,10,60,30");
    inner->Add(floating);
    root->Add(inner);
    Show();
    RECT rc = child->GetPos();
    EXPECT_EQ(10, rc.left);
    EXPECT_EQ(20, rc.top);
    EXPECT_EQ(400 - 30, rc.right);
    EXPECT_EQ(20 + 50, rc.bottom); // held to its max height, anchored at the top
    RECT rf = floating->GetPos();
    EXPECT_EQ(10, rf.left);
    EXPECT_EQ(10, rf.top);
    EXPECT_EQ(50, rf.right - rf.left);
    EXPECT_EQ(20, rf.bottom - rf.top);
}

TEST_F(ManagerTest, SettersMarkTheLayoutOnlyWhenTheValueChanges) {
    CProbeUI* a = AddProbe("a", {10, 10, 60, 40});
    Show();
    ASSERT_FALSE(win.pm.IsUpdateNeeded());
    a->SetFixedWidth(50);
    a->SetFixedHeight(30);
    a->SetFloat(true);
    a->SetPadding(a->GetPadding());
    a->SetVisible(true);
    a->SetText("");
    EXPECT_FALSE(win.pm.IsUpdateNeeded());
    EXPECT_FALSE(root->IsUpdateNeeded());
    // A layout pass that changes nothing leaves nothing to do: no endless relayout.
    ::InvalidateRect(win.GetHWND(), nullptr, FALSE);
    ::UpdateWindow(win.GetHWND());
    EXPECT_FALSE(win.pm.IsUpdateNeeded());
    a->SetFixedWidth(70);
    EXPECT_TRUE(win.pm.IsUpdateNeeded());
    ::UpdateWindow(win.GetHWND());
    PumpFor(20);
    EXPECT_EQ(70, a->GetWidth());
    EXPECT_FALSE(win.pm.IsUpdateNeeded());
}

// ---- Mouse
// ---------------------------------------------------------------------------------------

TEST_F(ManagerTest, MouseInputReachesTheControlUnderThePointInOrder) {
    CProbeUI* a = AddProbe("a", {10, 10, 110, 60});
    CProbeUI* b = AddProbe("b", {200, 10, 300, 60});
    Show();
    win.pm.SetFocus(nullptr); // the first layout focused the first tab stop
    a->events.clear();
    rec.log.clear();
    Send(WM_MOUSEMOVE, 0, At(20, 20));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
    Send(WM_LBUTTONUP, 0, At(21, 21));
    EXPECT_EQ((std::vector<std::string>{"mouseenter", "setfocus", "buttondown", "buttonup"}),
              a->events);
    EXPECT_EQ((std::vector<std::string>{"setfocus:a", "click:a"}), rec.log);
    EXPECT_TRUE(b->events.empty());
    EXPECT_EQ(a, win.pm.GetFocus());

    // Moving to b: a leaves, b enters.
    a->events.clear();
    Send(WM_MOUSEMOVE, 0, At(210, 20));
    EXPECT_EQ((std::vector<std::string>{"mouseleave"}), a->events);
    EXPECT_EQ((std::vector<std::string>{"mouseenter"}), b->events);
    EXPECT_EQ(b, win.pm.GetHover());

    // Right button and context menu go to the control that got the press.
    b->events.clear();
    Send(WM_RBUTTONDOWN, MK_RBUTTON, At(210, 20));
    Send(WM_RBUTTONUP, 0, At(210, 20));
    POINT screen = {210, 20};
    ::ClientToScreen(win.GetHWND(), &screen);
    Send(WM_CONTEXTMENU, WPARAM(win.GetHWND()), MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ((std::vector<std::string>{"setfocus", "rbuttondown", "rbuttonup", "contextmenu"}),
              b->events);
}

TEST_F(ManagerTest, PressInsideMoveOutReleaseGivesNoClickAndCaptureFollowsThePress) {
    CProbeUI* a = AddProbe("a", {10, 10, 110, 60});
    CProbeUI* b = AddProbe("b", {200, 10, 300, 60});
    a->recordMoves = true;
    Show();
    rec.log.clear();
    Send(WM_MOUSEMOVE, 0, At(20, 20));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(250, 30)); // over b, but a holds the capture
    Send(WM_LBUTTONUP, 0, At(250, 30));
    EXPECT_EQ(0, rec.Count("click:a"));
    EXPECT_TRUE(b->events.empty()); // no enter while a is captured
    EXPECT_EQ("buttonup", a->events.back());
    EXPECT_EQ("mousemove", a->events[a->events.size() - 2]);

    // Pressing, moving out and back in before releasing clicks.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(250, 30));
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(30, 30));
    Send(WM_LBUTTONUP, 0, At(30, 30));
    EXPECT_EQ(1, rec.Count("click:a"));
}

TEST_F(ManagerTest, WheelTowardsTheUserGivesOne) {
    CProbeUI* a = AddProbe("a", {10, 10, 110, 60});
    Show();
    POINT screen = {20, 20};
    ::ClientToScreen(win.GetHWND(), &screen);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), MAKELPARAM(screen.x, screen.y));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    std::vector<std::string> wheel;
    for (const auto& e : a->events)
        if (e.rfind("scrollwheel", 0) == 0)
            wheel.push_back(e);
    EXPECT_EQ((std::vector<std::string>{"scrollwheel:1", "scrollwheel:0"}), wheel);
}

TEST_F(ManagerTest, HitTestingSkipsHiddenAndMouseDisabledControls) {
    CProbeUI* under = AddProbe("under", {10, 10, 110, 60});
    CProbeUI* over = AddProbe("over", {10, 10, 110, 60});
    Show();
    POINT pt = {20, 20};
    EXPECT_EQ(over, win.pm.FindControl(pt)); // the top-most (last) child
    over->SetMouseEnabled(false);
    EXPECT_EQ(under, win.pm.FindControl(pt));
    over->SetMouseEnabled(true);
    over->SetVisible(false);
    EXPECT_EQ(under, win.pm.FindControl(pt));
    root->SetMouseChildEnabled(false);
    EXPECT_EQ(root, win.pm.FindControl(pt));
}

// ---- Keyboard and focus
// ----------------------------------------------------------------------------

TEST_F(ManagerTest, KeysGoToTheFocusAndTabMovesIt) {
    CProbeUI* a = AddProbe("a", {10, 10, 60, 40});
    CProbeUI* b = AddProbe("b", {70, 10, 120, 40});
    CProbeUI* c = AddProbe("c", {130, 10, 180, 40});
    c->SetKeyboardEnabled(false); // not a tab stop
    CProbeUI* d = AddProbe("d", {190, 10, 240, 40});
    Show();
    // The first layout moved the focus to the first tab stop.
    EXPECT_EQ(a, win.pm.GetFocus());
    rec.log.clear();

    ::PostMessageA(win.GetHWND(), WM_KEYDOWN, VK_TAB, 0);
    PumpFor(30);
    EXPECT_EQ(b, win.pm.GetFocus());
    EXPECT_EQ((std::vector<std::string>{"killfocus:a", "setfocus:b"}), rec.log);
    // No control sees the Tab key itself.
    for (const auto& e : b->events)
        EXPECT_NE(0u, e.rfind("keydown", 0));

    ::PostMessageA(win.GetHWND(), WM_KEYDOWN, VK_TAB, 0);
    PumpFor(30);
    EXPECT_EQ(d, win.pm.GetFocus()); // c is skipped
    ::PostMessageA(win.GetHWND(), WM_KEYDOWN, VK_TAB, 0);
    PumpFor(30);
    EXPECT_EQ(a, win.pm.GetFocus()); // wraps to the first
    win.pm.SetNextTabControl(false);
    EXPECT_EQ(d, win.pm.GetFocus()); // Shift+Tab on the first goes to the last
    win.pm.SetNextTabControl(false);
    EXPECT_EQ(b, win.pm.GetFocus());

    b->events.clear();
    Send(WM_KEYDOWN, 'K', 0);
    Send(WM_CHAR, 'k', 0);
    Send(WM_KEYUP, 'K', 0);
    EXPECT_EQ((std::vector<std::string>{"keydown:K", "char:k", "keyup"}), b->events);
}

TEST_F(ManagerTest, FocusOnAHiddenOrDisabledControlOnlyRemovesTheOldFocus) {
    CProbeUI* a = AddProbe("a", {10, 10, 60, 40});
    CProbeUI* hidden = AddProbe("hidden", {70, 10, 120, 40});
    CProbeUI* disabled = AddProbe("disabled", {130, 10, 180, 40});
    Show();
    hidden->SetVisible(false);
    disabled->SetEnabled(false);
    win.pm.SetFocus(a);
    rec.log.clear();
    win.pm.SetFocus(hidden);
    EXPECT_EQ(nullptr, win.pm.GetFocus());
    EXPECT_EQ((std::vector<std::string>{"killfocus:a"}), rec.log);
    win.pm.SetFocus(a);
    rec.log.clear();
    win.pm.SetFocus(disabled);
    EXPECT_EQ(nullptr, win.pm.GetFocus());
    EXPECT_EQ((std::vector<std::string>{"killfocus:a"}), rec.log);
}

TEST_F(ManagerTest, FocusComingBackDuringKillFocusDoesNotReturnToTheControlThatLostIt) {
    CProbeUI* edit = AddProbe("edit", {10, 10, 60, 40});
    CProbeUI* next = AddProbe("next", {70, 10, 120, 40});
    Show();
    win.pm.SetFocus(edit);
    ASSERT_EQ(edit, win.pm.GetFocus());
    // A receiver shows a "modal box" on killfocus: the focus leaves the window and comes back
    // when the box closes, before the manager has moved the focus on.
    HWND box = ::CreateWindowExA(0, "STATIC", "box", WS_POPUP | WS_VISIBLE, 0, 0, 50, 20,
                                 win.GetHWND(), nullptr, nullptr, nullptr);
    ::SetFocus(win.GetHWND()); // the box took the focus when it was shown
    rec.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == "killfocus") {
            ::SetFocus(box);
            ::SetFocus(win.GetHWND());
        }
    };
    edit->events.clear();
    win.pm.SetFocus(next);
    EXPECT_EQ(next, win.pm.GetFocus());
    EXPECT_EQ((std::vector<std::string>{"killfocus"}), edit->events);
    EXPECT_FALSE(edit->IsFocused());
}

TEST_F(ManagerTest, AltShortcutFocusesAndActivatesTheControl) {
    CProbeUI* a = AddProbe("a", {10, 10, 60, 40});
    CProbeUI* b = AddProbe("b", {70, 10, 120, 40});
    b->SetShortcut('s');
    Show();
    win.pm.SetFocus(a);
    ::PostMessageA(win.GetHWND(), WM_SYSCHAR, 'S', 0);
    PumpFor(30);
    EXPECT_EQ(b, win.pm.GetFocus());
}

// ---- Timers
// ------------------------------------------------------------------------------------------

TEST_F(ManagerTest, ControlTimersFireAndCanBeRearmed) {
    CProbeUI* a = AddProbe("a", {10, 10, 60, 40});
    Show();
    rec.log.clear();
    ASSERT_TRUE(win.pm.SetTimer(a, 5, 10));
    EXPECT_FALSE(win.pm.SetTimer(a, 5, 10)); // still running
    EXPECT_TRUE(Pump([&] { return rec.Count("timer:a:5") >= 2; }));
    EXPECT_NE(a->events.end(), std::find(a->events.begin(), a->events.end(), "timer:5"));
    EXPECT_TRUE(win.pm.KillTimer(a, 5));
    PumpFor(30);
    rec.log.clear();
    PumpFor(60);
    EXPECT_EQ(0, rec.Count("timer:a:5"));
    EXPECT_TRUE(win.pm.SetTimer(a, 5, 100000)); // re-armed, with its old native id (17)
    rec.log.clear();
    Send(WM_TIMER, 17, 0);
    EXPECT_EQ(1, rec.Count("timer:a:5"));
    win.pm.KillTimer(a);
    EXPECT_FALSE(win.pm.KillTimer(a, 5)); // the records are gone
}

TEST_F(ManagerTest, NativeTimerIdsStartAt17AndAvoidZeroTheWindowsOwnTimersAndLiveIds) {
    Show();
    std::vector<std::unique_ptr<CProbeUI>> probes;
    // The first control timer of a window has native id 17.
    probes.push_back(std::make_unique<CProbeUI>());
    probes[0]->SetManager(&win.pm, root, false);
    ASSERT_TRUE(win.pm.SetTimer(probes[0].get(), 1, 100000));
    ::SendMessageA(win.GetHWND(), WM_TIMER, 17, 0);
    ASSERT_EQ(1u, probes[0]->events.size());
    EXPECT_EQ("timer:1", probes[0]->events[0]);

    // Fill every id the cycle offers: 1..239 less 101 and 102 = 237 timers; the next fails
    // instead of sharing an id.
    int made = 1;
    for (int i = 1; i < 300; ++i) {
        probes.push_back(std::make_unique<CProbeUI>());
        probes.back()->SetManager(&win.pm, root, false);
        if (win.pm.SetTimer(probes.back().get(), 1, 100000))
            ++made;
    }
    EXPECT_EQ(237, made);
    // The window's own timers 101 and 102 reach the window and no control.
    ::SetTimer(win.GetHWND(), 101, 10, nullptr);
    ::SetTimer(win.GetHWND(), 102, 10, nullptr);
    EXPECT_TRUE(Pump([&] {
        return std::count(win.ownTimerTicks.begin(), win.ownTimerTicks.end(), 101u) > 0 &&
               std::count(win.ownTimerTicks.begin(), win.ownTimerTicks.end(), 102u) > 0;
    }));
    ::KillTimer(win.GetHWND(), 101);
    ::KillTimer(win.GetHWND(), 102);
    ::SendMessageA(win.GetHWND(), WM_TIMER, 0, 0);
    for (const auto& p : probes)
        EXPECT_LE(p->events.size(), 1u);
    // Every control received exactly the timer of its own native id.
    int fired = 0;
    for (UINT id = 1; id < 240; ++id)
        ::SendMessageA(win.GetHWND(), WM_TIMER, id, 0);
    for (const auto& p : probes)
        fired += int(std::count(p->events.begin(), p->events.end(), "timer:1"));
    EXPECT_EQ(237 + 1, fired); // the first one fired once before
    // Destroying the controls takes their timers with them.
    probes.clear();
    ::SendMessageA(win.GetHWND(), WM_TIMER, 17, 0);
}

// ---- Notifications
// -----------------------------------------------------------------------------------

TEST_F(ManagerTest, NotifiersHearNotificationsInOrderAfterTheSendersOwnHandlers) {
    CProbeUI* a = AddProbe("a", {10, 10, 60, 40});
    Show();
    std::vector<std::string> order;
    CRecorder first("A"), second("B");
    first.onNotify = [&](TNotifyUI&) { order.push_back("A"); };
    second.onNotify = [&](TNotifyUI&) { order.push_back("B"); };
    a->OnNotify += [&](void*) {
        order.push_back("own");
        return true;
    };
    win.pm.RemoveNotifier(&rec);
    win.pm.AddNotifier(&first);
    win.pm.AddNotifier(&second);
    EXPECT_FALSE(win.pm.AddNotifier(&first));
    win.pm.SendNotify(a, "custom");
    EXPECT_EQ((std::vector<std::string>{"own", "A", "B"}), order);
    EXPECT_EQ(std::vector<std::string>{"A/custom:a"}, first.log);

    // Asynchronous: delivered on the posted cleanup message, not before.
    order.clear();
    win.pm.SendNotify(a, "later", 0, 0, true);
    EXPECT_TRUE(order.empty());
    EXPECT_TRUE(Pump([&] { return order.size() == 3; }));
    win.pm.RemoveNotifier(&first);
    win.pm.RemoveNotifier(&second);
}

TEST_F(ManagerTest, ReceiverListsChangedWhileWalkedAreWalkedAsASnapshot) {
    CProbeUI* a = AddProbe("a", {10, 10, 60, 40});
    Show();
    auto late = std::make_unique<CRecorder>("late");
    auto victim = std::make_unique<CRecorder>("victim");
    CRecorder remover("remover");
    win.pm.RemoveNotifier(&rec);
    // The first receiver removes and destroys the next one and registers another.
    remover.onNotify = [&](TNotifyUI&) {
        win.pm.RemoveNotifier(victim.get());
        victim.reset();
        win.pm.AddNotifier(late.get());
        win.pm.RemoveNotifier(&remover);
    };
    win.pm.AddNotifier(&remover);
    win.pm.AddNotifier(victim.get());
    win.pm.SendNotify(a, "first");
    EXPECT_EQ(1u, remover.log.size());
    EXPECT_TRUE(late->log.empty()); // added during the walk: hears the next one
    win.pm.SendNotify(a, "second");
    EXPECT_EQ(1u, remover.log.size());
    EXPECT_EQ(std::vector<std::string>{"late/second:a"}, late->log);
    win.pm.RemoveNotifier(late.get());

    // Message filters likewise.
    struct Filter : IMessageFilterUI {
        CPaintManagerUI* pm = nullptr;
        IMessageFilterUI* other = nullptr;
        int calls = 0;
        LRESULT MessageHandler(UINT uMsg, WPARAM, LPARAM, bool&) override {
            if (uMsg == WM_USER + 7) {
                ++calls;
                if (other)
                    pm->RemoveMessageFilter(other);
            }
            return 0;
        }
    } f1, f2;
    f1.pm = &win.pm;
    f1.other = &f2;
    win.pm.AddMessageFilter(&f1);
    win.pm.AddMessageFilter(&f2);
    Send(WM_USER + 7, 0, 0);
    EXPECT_EQ(1, f1.calls);
    EXPECT_EQ(0, f2.calls);
    win.pm.RemoveMessageFilter(&f1);
}

TEST_F(ManagerTest, QueuedNotificationsOfDestroyedSendersAreDropped) {
    CProbeUI* a = AddProbe("a", {10, 10, 60, 40});
    CProbeUI* b = AddProbe("b", {70, 10, 120, 40});
    Show();
    rec.log.clear();
    win.pm.SendNotify(a, "queued", 0, 0, true);
    win.pm.SendNotify(b, "queued", 0, 0, true);
    root->SetDelayedDestroy(false);
    root->Remove(a); // destroyed at once
    EXPECT_TRUE(Pump([&] { return rec.Count("queued:b") == 1; }));
    PumpFor(30);
    EXPECT_EQ(0, rec.Count("queued:a"));
    EXPECT_EQ(nullptr, win.pm.FindControl("a"));

    // Delayed destruction: gone from the name map at once, destroyed on the next cleanup.
    bool destroyed = false;
    b->OnDestroy += [&](void*) {
        destroyed = true;
        return true;
    };
    root->SetDelayedDestroy(true);
    win.pm.SendNotify(b, "queued2", 0, 0, true);
    root->Remove(b);
    EXPECT_EQ(nullptr, win.pm.FindControl("b"));
    EXPECT_TRUE(Pump([&] { return destroyed; }));
    PumpFor(30);
    EXPECT_EQ(0, rec.Count("queued2:b"));
}

// ---- Names, searches, option groups
// -------------------------------------------------------------------

TEST_F(ManagerTest, NamesAreFoundCaseSensitivelySubControlsCaseInsensitively) {
    AddProbe("OkButton", {10, 10, 60, 40});
    Show();
    EXPECT_NE(nullptr, win.pm.FindControl("OkButton"));
    EXPECT_EQ(nullptr, win.pm.FindControl("okbutton"));
    EXPECT_NE(nullptr, win.pm.FindSubControlByName(nullptr, "okbutton"));
    EXPECT_NE(nullptr, win.pm.FindSubControlByClass(nullptr, "ProbeUI"));
    EXPECT_EQ(nullptr, win.pm.FindSubControlByClass(nullptr, "ProbeUI", 1));
}

TEST_F(ManagerTest, OptionsLeaveTheirGroupWhenDestroyedOrDetached) {
    CProbeUI* a = AddProbe("a", {10, 10, 60, 40});
    CProbeUI* b = AddProbe("b", {70, 10, 120, 40});
    Show();
    EXPECT_TRUE(win.pm.AddOptionGroup("g", a));
    EXPECT_FALSE(win.pm.AddOptionGroup("g", a));
    EXPECT_TRUE(win.pm.AddOptionGroup("g", b));
    ASSERT_NE(nullptr, win.pm.GetOptionGroup("g"));
    EXPECT_EQ(2u, win.pm.GetOptionGroup("g")->size());
    root->SetDelayedDestroy(false);
    root->Remove(a);
    ASSERT_NE(nullptr, win.pm.GetOptionGroup("g"));
    EXPECT_EQ(std::vector<CControlUI*>{b}, *win.pm.GetOptionGroup("g"));
    b->SetManager(nullptr, root, false); // detached
    EXPECT_EQ(nullptr, win.pm.GetOptionGroup("g"));
    b->SetManager(&win.pm, root, false);
}

// ---- Attributes
// -----------------------------------------------------------------------------------------

TEST(ControlAttributes, PositionsBordersAndListsAsTheSkinsWriteThem) {
    CControlUI c;
    c.SetAttribute("pos", "10,20,110,50");
    EXPECT_EQ(10, c.GetFixedXY().cx);
    EXPECT_EQ(20, c.GetFixedXY().cy);
    EXPECT_EQ(100, c.GetFixedWidth());
    EXPECT_EQ(30, c.GetFixedHeight());
    c.SetAttribute("pos", "-110,0,-10,30");
    EXPECT_EQ(-10, c.GetFixedXY().cx);
    EXPECT_EQ(100, c.GetFixedWidth());

    c.SetAttribute("bordersize", "2");
    EXPECT_EQ(2, c.GetBorderSize());
    c.SetAttribute("bordersize", "0,1,0,1");
    EXPECT_EQ(1, c.GetBorderRect().top);
    EXPECT_EQ(1, c.GetBorderRect().bottom);
    EXPECT_EQ(0, c.GetBorderRect().left);

    c.SetAttribute("bkcolor", "#FF0000FF");
    EXPECT_EQ(0xFF0000FFu, c.GetBkColor());
    c.SetAttribute("text", "one{\\n}two");
    EXPECT_EQ("one\ntwo", c.GetText());
    c.SetAttribute("tooltip", "a<n>b");
    EXPECT_EQ("a\r\nb", c.GetToolTip());
    c.SetAttribute("floatalign", "right,bottom");
    EXPECT_EQ(DT_FLOAT_RIGHT | DT_FLOAT_BOTTOM, c.GetFloatAlign());
    c.SetAttribute("floatalign", "null center");
    EXPECT_EQ(DT_FLOAT_CENTER, c.GetFloatAlign());

    c.SetAttribute("mystery", "1");
    c.SetAttribute("mystery", "2");
    c.SetAttribute("empty", "");
    EXPECT_EQ("1", c.GetCustomAttribute("mystery"));
    EXPECT_EQ("", c.GetCustomAttribute("empty"));

    CControlUI d;
    d.ApplyAttributeList("name=\"x\" bkcolor=\"#FF00FF00\"");
    EXPECT_EQ("x", d.GetName());
    EXPECT_EQ(0xFF00FF00u, d.GetBkColor());
    d.ApplyAttributeList("name=\"y\",userdata=\"u\"");
    EXPECT_EQ("u", d.GetUserData());
    d.ApplyAttributeList("name=\"z\";userdata=\"v\"");
    EXPECT_EQ("z", d.GetName());
    EXPECT_EQ("u", d.GetUserData());
    d.ApplyAttributeList("text=&quot;q&quot;");
    EXPECT_EQ("q", d.GetText());
}

TEST(ControlAttributes, OutOfRangeNumbersAreClamped) {
    CControlUI c;
    c.SetAttribute("width", "99999999999999");
    EXPECT_EQ(32767, c.GetFixedWidth());
    c.SetAttribute("height", "-5");
    EXPECT_EQ(0, c.GetFixedHeight()); // negative values are ignored
    c.SetAttribute("bordersize", "-7");
    EXPECT_EQ(0, c.GetBorderSize());
    c.SetAttribute("bordersize", "-1,999999,3,-3");
    EXPECT_EQ(0, c.GetBorderRect().left);
    EXPECT_EQ(32767, c.GetBorderRect().top);
    c.SetAttribute("float", "nan,inf,-inf,0.5");
    EXPECT_TRUE(c.IsFloat());
    EXPECT_EQ(0.0, c.GetFloatPercent().left);
    EXPECT_EQ(0.0, c.GetFloatPercent().top);
    EXPECT_EQ(0.0, c.GetFloatPercent().right);
    EXPECT_EQ(0.5, c.GetFloatPercent().bottom);
    c.SetAttribute("pos", "-99999999999,0,99999999999,10");
    EXPECT_LE(c.GetFixedWidth(), 32767);
    c.SetAttribute("borderround", "-4,5");
    EXPECT_EQ(0, c.GetBorderRound().cx);
}

TEST_F(ManagerTest, StylesApplyWhateverTheAttributeAndSelfNamingStylesEnd) {
    CProbeUI* a = AddProbe("a", {10, 10, 60, 40});
    Show();
    win.pm.AddStyle("red", "bkcolor=\"#FFFF0000\" userdata=\"styled\"");
    a->SetAttribute("anything", "red");
    EXPECT_EQ(0xFFFF0000u, a->GetBkColor());
    EXPECT_EQ("styled", a->GetUserData());
    EXPECT_EQ("", a->GetCustomAttribute("anything"));
    // A style whose value names itself, and two styles naming each other: both end.
    win.pm.AddStyle("loop", "loop");
    a->SetAttribute("bkcolor", "loop");
    a->ApplyAttributeList("loop");
    win.pm.AddStyle("ping", "userdata=\"pong\"");
    win.pm.AddStyle("pong", "userdata=\"ping\"");
    a->SetAttribute("userdata", "ping");
    SUCCEED();
}

// ---- Resources
// ------------------------------------------------------------------------------------------

namespace {

std::string WriteScratch(const std::string& name, const std::string& bytes) {
    std::string path = wintest::ScratchDir() + "\\" + name;
    wintest::WriteFileText(path, bytes);
    return path;
}

// Paints a control into a fresh 32-bit bitmap and returns the pixel at (x, y) as 0xRRGGBB.
unsigned PaintedPixel(CPaintManagerUI& /*pm*/, CControlUI& control, int x, int y) {
    RECT rc = control.GetPos();
    HBITMAP bmp = control.PaintToBitmap(rc);
    BITMAP bm = {};
    ::GetObject(bmp, sizeof(bm), &bm);
    const auto* bits = static_cast<const unsigned*>(bm.bmBits);
    unsigned value = bits[size_t(y) * bm.bmWidth + x] & 0xFFFFFF;
    ::DeleteObject(bmp);
    return value;
}

} // namespace

TEST_F(ManagerTest, ImagesLoadFromTheResourcePathAndBadFilesLeaveNoImage) {
    Show();
    CPaintManagerUI::SetResourcePath(wintest::ScratchDir());
    WriteScratch("blue.png", MakeSolidPng(8, 6, 0xFF0000FF));
    std::vector<uint32_t> masked(16, 0xFF00FF00);
    masked[0] = 0xFFFF00FF;
    WriteScratch("masked.png", MakePng(4, 4, masked));
    std::string corrupt = MakeSolidPng(8, 8, 0xFFFF0000);
    corrupt[corrupt.size() / 2] ^= 0x55;
    corrupt.resize(corrupt.size() - 30);
    WriteScratch("corrupt.png", corrupt);
    WriteScratch("notimage.png", "this is text, not a picture");
    WriteScratch("wide.bmp", MakeBmpHeader(9000, 1, 9000 * 4) + std::string(9000 * 4, '\0'));
    std::string big = MakeBmpHeader(2048, 2049, size_t(2048) * 2049 * 4);
    big.resize(big.size() + size_t(2048) * 2049 * 4, '\x7f');
    WriteScratch("big.bmp", big); // a valid image, but a file over 16 MiB

    const TImageInfo* blue = win.pm.AddImage("blue.png");
    ASSERT_NE(nullptr, blue);
    EXPECT_EQ(8, blue->nX);
    EXPECT_EQ(6, blue->nY);
    EXPECT_FALSE(blue->bAlpha);
    EXPECT_EQ(0xFFu, blue->pBits[0]); // blue channel first (BGRA)
    EXPECT_EQ(0x00u, blue->pBits[2]);

    const TImageInfo* mask = win.pm.AddImage("masked.png", "", 0xFFFF00FF);
    ASSERT_NE(nullptr, mask);
    EXPECT_TRUE(mask->bAlpha);
    EXPECT_EQ(0u, mask->pBits[3]);
    EXPECT_EQ(0xFFu, mask->pBits[7]);

    EXPECT_EQ(nullptr, win.pm.AddImage("missing.png"));
    EXPECT_EQ(nullptr, win.pm.AddImage("corrupt.png"));
    EXPECT_EQ(nullptr, win.pm.AddImage("notimage.png"));
    EXPECT_EQ(nullptr, win.pm.AddImage("wide.bmp"));
    EXPECT_EQ(nullptr, win.pm.AddImage("big.bmp"));
    EXPECT_EQ(nullptr, win.pm.GetImage("corrupt.png"));

    // Controls naming bad images paint without them, and without crashing.
    CProbeUI* a = AddProbe("a", {10, 10, 60, 40});
    a->SetBkColor(0xFF00FF00);
    a->SetBkImage("missing.png");
    a->SetForeImage("file='corrupt.png' corner='2,2,2,2'");
    CProbeUI* b = AddProbe("b", {70, 10, 120, 40});
    b->SetBkImage("file='wide.bmp' source='0,0,5000,1'");
    ::InvalidateRect(win.GetHWND(), nullptr, FALSE);
    ::UpdateWindow(win.GetHWND());
    PumpFor(20);
    EXPECT_EQ(0x00FF00u, PaintedPixel(win.pm, *a, 5, 5));
    EXPECT_FALSE(a->DrawImage(win.pm.GetPaintDC(), "missing.png"));
}

TEST_F(ManagerTest, ImageStringsDrawSourceDestFadeAndStaySafeOutOfRange) {
    CPaintManagerUI::SetResourcePath(wintest::ScratchDir());
    // Left half red, right half blue.
    std::vector<uint32_t> px(size_t(20) * 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            px[size_t(y) * 20 + x] = x < 10 ? 0xFFFF0000 : 0xFF0000FF;
    WriteScratch("halves.png", MakePng(20, 10, px));
    CProbeUI* a = AddProbe("a", {0, 0, 40, 20});
    a->SetBkColor(0xFFFFFFFF);
    Show();
    a->SetBkImage("file='halves.png' source='10,0,20,10'");
    EXPECT_EQ(0x0000FFu, PaintedPixel(win.pm, *a, 5, 5));
    a->SetBkImage("file='halves.png' source='0,0,10,10' dest='0,0,10,10'");
    EXPECT_EQ(0xFF0000u, PaintedPixel(win.pm, *a, 5, 5));
    EXPECT_EQ(0xFFFFFFu, PaintedPixel(win.pm, *a, 30, 15)); // outside dest
    a->SetBkImage("file='halves.png' source='0,0,10,10' fade='0'");
    EXPECT_EQ(0xFFFFFFu, PaintedPixel(win.pm, *a, 5, 5));
    a->SetBkImage("file='halves.png' source='0,0,10,10' fade='128'");
    unsigned half = PaintedPixel(win.pm, *a, 5, 5);
    EXPECT_NEAR(0xFF, int(half >> 16), 2);
    EXPECT_NEAR(0x7F, int((half >> 8) & 0xFF), 3);
    // Source and corner outside the bitmap, huge fades and negative numbers: clamped.
    a->SetBkImage("file='halves.png' source='-50,-50,90000,90000' corner='500,500,500,500' "
                  "fade='9999'");
    PaintedPixel(win.pm, *a, 5, 5);
    a->SetBkImage("file='halves.png' source='30,30,40,40'");
    EXPECT_EQ(0xFFFFFFu, PaintedPixel(win.pm, *a, 5, 5)); // wholly outside: nothing drawn
}

TEST_F(ManagerTest, ImagesAndFontsAddedAgainKeepWhatPaintingStillUses) {
    CPaintManagerUI::SetResourcePath(wintest::ScratchDir());
    WriteScratch("again.png", MakeSolidPng(4, 4, 0xFF102030));
    Show();
    const TImageInfo* first = win.pm.AddImage("again.png");
    ASSERT_NE(nullptr, first);
    HBITMAP firstBitmap = first->hBitmap;
    const TImageInfo* second = win.pm.AddImage("again.png");
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second);
    BITMAP bm = {};
    EXPECT_NE(0, ::GetObject(firstBitmap, sizeof(bm), &bm)); // still a live bitmap
    EXPECT_EQ(4, first->nX);
    EXPECT_TRUE(win.pm.RemoveImage("again.png"));
    EXPECT_NE(0, ::GetObject(second->hBitmap, sizeof(bm), &bm));

    HFONT f1 = win.pm.AddFont(3, "Arial", 14, false, false, false);
    ASSERT_NE(nullptr, f1);
    HFONT f2 = win.pm.AddFont(3, "Arial", 20, false, false, false);
    EXPECT_NE(f1, f2);
    LOGFONTA lf = {};
    EXPECT_NE(0, ::GetObjectA(f1, sizeof(lf), &lf)); // the replaced font still exists
    EXPECT_EQ(f2, win.pm.GetFont(3));
}

TEST_F(ManagerTest, FontsBoldIsWeight700AndMissingIdsFallBackToTheDefault) {
    Show();
    HFONT bold = win.pm.AddFont(1, "Arial", 16, true, true, false);
    LOGFONTA lf = {};
    ::GetObjectA(bold, sizeof(lf), &lf);
    EXPECT_EQ(700, lf.lfWeight);
    EXPECT_EQ(-16, lf.lfHeight);
    EXPECT_TRUE(lf.lfUnderline);
    win.pm.SetDefaultFont("Arial", 13, true, false, false);
    ::GetObjectA(win.pm.GetDefaultFontInfo()->hFont, sizeof(lf), &lf);
    EXPECT_EQ(700, lf.lfWeight);
    EXPECT_EQ(win.pm.GetDefaultFontInfo()->hFont, win.pm.GetFont(-1));
    EXPECT_EQ(win.pm.GetDefaultFontInfo()->hFont, win.pm.GetFont(42));
    EXPECT_GT(win.pm.GetFontHeight(1), 0);
    // A face longer than a font face can hold is cut, not overrun.
    EXPECT_NE(nullptr, win.pm.AddFont(2, std::string(200, 'x'), 12, false, false, false));
    EXPECT_EQ(31u, win.pm.GetFontInfo(2)->sFontName.size());
    EXPECT_FALSE(win.pm.AddFontFile("no-such-font.ttf"));
    CPaintManagerUI::SetResourcePath(wintest::ScratchDir());
    WriteScratch("broken.ttf", "not a font at all");
    EXPECT_FALSE(win.pm.AddFontFile("broken.ttf"));
}

TEST(ManagerDefaults, DefaultColoursSharedAndPerManager) {
    CPaintManagerUI one, two;
    EXPECT_EQ(0xFFA7A6AAu, one.GetDefaultDisabledColor());
    EXPECT_EQ(0xFF000000u, one.GetDefaultFontColor());
    EXPECT_EQ(0xFF0000FFu, one.GetDefaultLinkFontColor());
    EXPECT_EQ(0xFFD3215Fu, one.GetDefaultLinkHoverFontColor());
    EXPECT_EQ(0xFFBAE4FFu, one.GetDefaultSelectedBkColor());
    one.SetDefaultFontColor(0xFF112233);
    EXPECT_EQ(0xFF112233u, one.GetDefaultFontColor());
    EXPECT_EQ(0xFF000000u, two.GetDefaultFontColor());
    two.SetDefaultFontColor(0xFF445566, true);
    EXPECT_EQ(0xFF445566u, two.GetDefaultFontColor());
    EXPECT_EQ(0xFF112233u, one.GetDefaultFontColor());
    two.SetDefaultFontColor(0xFF000000, true);
    one.AddDefaultAttributeList("Button", "height=\"20\"");
    EXPECT_TRUE(one.HasDefaultAttributeList("Button"));
    EXPECT_FALSE(one.HasDefaultAttributeList("button"));
    EXPECT_EQ("height=\"20\"", one.GetDefaultAttributeList("Button"));
    one.AddDefaultAttributeList("Edit", "width=\"3\"", true);
    EXPECT_EQ("width=\"3\"", two.GetDefaultAttributeList("Edit"));
}

// ---- Painting
// --------------------------------------------------------------------------------------------

TEST_F(ManagerTest, PaintsBackgroundsGradientsAndBordersIntoTheWindow) {
    CProbeUI* a = AddProbe("a", {10, 10, 110, 60});
    a->SetBkColor(0xFFFF0000);
    a->SetBorderColor(0xFF0000FF);
    a->SetBorderSize(2);
    CProbeUI* g = AddProbe("g", {150, 10, 250, 60});
    g->SetAttribute("bkcolor", "#FF000000");
    g->SetAttribute("bkcolor2", "#FFFFFFFF");
    g->SetAttribute("gradient", "hor");
    CProbeUI* half = AddProbe("half", {300, 10, 350, 60});
    half->SetBkColor(0x80000000); // half-transparent black over the white root
    Show();
    win.pm.SetFocus(nullptr);
    ::InvalidateRect(win.GetHWND(), nullptr, FALSE);
    ::UpdateWindow(win.GetHWND());
    PumpFor(50);
    POINT origin = {0, 0};
    ::ClientToScreen(win.GetHWND(), &origin);
    RECT client = {origin.x, origin.y, origin.x + 400, origin.y + 300};
    wintest::Capture cap = wintest::CaptureScreen(client);
    ASSERT_EQ(400, cap.width);
    EXPECT_EQ(0xFFFFFFu, cap.At(5, 5));   // root background
    EXPECT_EQ(0xFF0000u, cap.At(50, 30)); // a's background
    EXPECT_EQ(0x0000FFu, cap.At(10, 30)); // a's border, inside its rectangle
    EXPECT_EQ(0x0000FFu, cap.At(11, 30));
    EXPECT_LT(cap.At(152, 30) & 0xFF, 0x20u); // gradient: dark on the left
    EXPECT_GT(cap.At(247, 30) & 0xFF, 0xE0u); // light on the right
    unsigned grey = cap.At(320, 30) & 0xFF;
    EXPECT_NEAR(0x7F, int(grey), 3);
    wintest::SaveBmp(cap, wintest::ArtifactsDir() + "\\ui_manager_paint.bmp");
}

TEST_F(ManagerTest, WindowSettingsFromTheSkinReachTheWindow) {
    // "size" before a tree is attached resizes the window at once, keeping its place.
    RECT before = {};
    ::GetWindowRect(win.GetHWND(), &before);
    win.pm.SetInitSize(640, 480);
    RECT after = {};
    ::GetWindowRect(win.GetHWND(), &after);
    EXPECT_EQ(640, after.right - after.left);
    EXPECT_EQ(480, after.bottom - after.top);
    EXPECT_EQ(before.left, after.left);
    win.pm.SetMinInfo(300, 0);
    win.pm.SetMaxInfo(0, 700);
    MINMAXINFO mmi = {};
    mmi.ptMaxTrackSize = {5000, 5000};
    mmi.ptMaxSize = {5000, 5000};
    Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(300, mmi.ptMinTrackSize.x);
    EXPECT_EQ(700, mmi.ptMaxTrackSize.y);
    EXPECT_EQ(5000, mmi.ptMaxTrackSize.x);
    Show();
}

TEST_F(ManagerTest, ClosingReleasesHoverCaptureAndFocus) {
    CProbeUI* a = AddProbe("a", {10, 10, 110, 60});
    Show();
    Send(WM_MOUSEMOVE, 0, At(20, 20));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
    a->events.clear();
    Send(WM_CLOSE, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"mouseleave", "buttonup", "killfocus"}), a->events);
    EXPECT_EQ(nullptr, win.pm.GetFocus());
    EXPECT_FALSE(::IsWindow(win.GetHWND()));
}

// ---- More of the event model
// ----------------------------------------------------------------------

TEST_F(ManagerTest, TooltipsShowTheHoverControlsTextAndNothingForAnEmptyOne) {
    CProbeUI* plain = AddProbe("plain", {10, 10, 110, 60});
    CProbeUI* tipped = AddProbe("tipped", {200, 10, 300, 60});
    tipped->SetAttribute("tooltip", "Reads<n>the listing");
    Show();
    Send(WM_MOUSEMOVE, 0, At(20, 20));
    Send(WM_MOUSEHOVER, 0, At(20, 20));
    EXPECT_EQ(nullptr, win.pm.GetTooltipWindow()); // no text: no tooltip
    EXPECT_EQ("mousehover", plain->events.back());
    Send(WM_MOUSEMOVE, 0, At(210, 20));
    Send(WM_MOUSEHOVER, 0, At(210, 20));
    HWND tip = win.pm.GetTooltipWindow();
    ASSERT_NE(nullptr, tip);
    char text[128] = {};
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.hwnd = win.GetHWND();
    ti.uId = reinterpret_cast<UINT_PTR>(win.GetHWND());
    ti.lpszText = text;
    ::SendMessageA(tip, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ("Reads\r\nthe listing", text);
    Send(WM_CLOSE, 0, 0); // the tooltip goes with the window
}

TEST_F(ManagerTest, OtherButtonsDoubleClicksCursorAndMenus) {
    CProbeUI* a = AddProbe("a", {10, 10, 110, 60});
    a->SetContextMenuUsed(true);
    Show();
    a->events.clear();
    rec.log.clear();
    Send(WM_MBUTTONDOWN, MK_MBUTTON, At(20, 20));
    Send(WM_MBUTTONUP, 0, At(20, 20));
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(20, 20));
    Send(WM_LBUTTONUP, 0, At(20, 20));
    Send(WM_RBUTTONDOWN, MK_RBUTTON, At(20, 20));
    Send(WM_RBUTTONUP, 0, At(20, 20));
    POINT screen = {20, 20};
    ::ClientToScreen(win.GetHWND(), &screen);
    Send(WM_CONTEXTMENU, WPARAM(win.GetHWND()), MAKELPARAM(screen.x, screen.y));
    std::vector<std::string> expected = {"mbuttondown", "mbuttonup", "dblclick",   "buttonup",
                                         "rbuttondown", "rbuttonup", "contextmenu"};
    std::vector<std::string> seen;
    for (const auto& e : a->events)
        if (e != "setfocus" && e != "killfocus" && e != "mouseenter")
            seen.push_back(e);
    EXPECT_EQ(expected, seen);
    EXPECT_EQ(1, rec.Count("menu:a"));

    // A control that asks for set-cursor events gets them; one that does not, does not.
    struct CursorProbe : CProbeUI {
        UINT GetControlFlags() const override { return UIFLAG_SETCURSOR; }
    };
    auto* c = new CursorProbe;
    c->SetName("cursor");
    c->SetFloat(true);
    c->SetAttribute("pos", "200,10,300,60");
    c->SetAttribute("cursor", "hand");
    root->Add(c);
    ::UpdateWindow(win.GetHWND());
    PumpFor(20);
    POINT inC = {210, 20};
    ::ClientToScreen(win.GetHWND(), &inC);
    ::SetCursorPos(inC.x, inC.y);
    LRESULT handled =
        ::SendMessageA(win.GetHWND(), WM_SETCURSOR, WPARAM(win.GetHWND()), MAKELPARAM(HTCLIENT, 0));
    EXPECT_EQ(TRUE, handled);
    EXPECT_EQ("setcursor", c->events.back());
}

TEST_F(ManagerTest, ChildWindowMessagesAreReflectedToTheChild) {
    Show();
    struct Child : CWindowWnd {
        const char* GetWindowClassName() const override { return "OrvelUiReflectChild"; }
        LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
            if (uMsg >= 0x2000 && uMsg < 0x3000) {
                reflected.push_back(uMsg);
                return uMsg == 0x2000 + WM_COMMAND ? 1 : 7;
            }
            return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
        }
        std::vector<UINT> reflected;
    } child;
    ASSERT_NE(nullptr,
              child.Create(win.GetHWND(), "child", WS_CHILD | WS_VISIBLE, 0, 0, 0, 10, 10));
    Send(WM_COMMAND, MAKEWPARAM(1, EN_CHANGE), reinterpret_cast<LPARAM>(child.GetHWND()));
    NMHDR hdr = {child.GetHWND(), 1, 0};
    LRESULT notify = ::SendMessageA(win.GetHWND(), WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&hdr));
    EXPECT_EQ(7, notify); // the child's answer
    EXPECT_EQ((std::vector<UINT>{0x2000 + WM_COMMAND, 0x2000 + WM_NOTIFY}), child.reflected);
    ::SetWindowLongPtrA(child.GetHWND(), GWLP_WNDPROC,
                        reinterpret_cast<LONG_PTR>(::DefWindowProcA));
}

TEST_F(ManagerTest, AttachingANewTreeQueuesTheOldOneAndStartsOver) {
    CProbeUI* a = AddProbe("a", {10, 10, 110, 60});
    Show();
    bool oldDestroyed = false;
    root->OnDestroy += [&](void*) {
        oldDestroyed = true;
        return true;
    };
    a->SetName("old");
    auto* fresh = new CContainerUI;
    fresh->SetName("root");
    auto* b = new CProbeUI;
    b->SetName("b");
    fresh->Add(b);
    auto* twin = new CProbeUI;
    twin->SetName("b"); // a later control of the same name wins the name
    fresh->Add(twin);
    win.pm.AttachDialog(fresh);
    root = fresh;
    EXPECT_EQ(twin, win.pm.FindControl("b"));
    ::InvalidateRect(win.GetHWND(), nullptr, FALSE);
    EXPECT_TRUE(Pump([&] { return oldDestroyed && rec.Count("windowinit:root") == 2; }));
    EXPECT_NE(a, win.pm.GetFocus()); // the old tree lost every slot
}

TEST_F(ManagerTest, FocusNeededSettlesOnTheControlAfterTheNextLayout) {
    AddProbe("a", {10, 10, 60, 40});
    CProbeUI* b = AddProbe("b", {70, 10, 120, 40});
    AddProbe("c", {130, 10, 180, 40});
    Show();
    win.pm.SetFocusNeeded(b);
    ::UpdateWindow(win.GetHWND());
    EXPECT_TRUE(Pump([&] { return win.pm.GetFocus() == b; }));
}

TEST_F(ManagerTest, PrintClientPaintsTheTreeIntoTheGivenContext) {
    CProbeUI* a = AddProbe("a", {10, 10, 110, 60});
    a->SetBkColor(0xFF00FF00);
    Show();
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BYTE* bits = nullptr;
    HBITMAP dib = CRenderEngine::CreateARGB32Bitmap(screen, 400, 300, &bits);
    HGDIOBJ old = ::SelectObject(memory, dib);
    Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    ::GdiFlush();
    const auto* px = reinterpret_cast<const unsigned*>(bits);
    EXPECT_EQ(0x00FF00u, px[30 * 400 + 50] & 0xFFFFFF);
    EXPECT_EQ(0xFFFFFFu, px[200 * 400 + 200] & 0xFFFFFF);
    ::SelectObject(memory, old);
    ::DeleteObject(dib);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

TEST(ManagerLifetime, DestroyingTheManagerDestroysTheTreeAndQueuedControls) {
    auto win = std::make_unique<CTestWindow>();
    ASSERT_TRUE(win->Open(200, 100));
    auto* root = new CContainerUI;
    auto* queued = new CControlUI;
    root->Add(queued);
    int destroyed = 0;
    root->OnDestroy += [&](void*) {
        ++destroyed;
        return true;
    };
    queued->OnDestroy += [&](void*) {
        ++destroyed;
        return true;
    };
    win->pm.AttachDialog(root);
    root->Remove(queued); // waits for the cleanup message, which never comes
    EXPECT_EQ(0, destroyed);
    win->pm.SetTimer(root, 1, 1000);
    win->Abandon();
    win.reset();
    EXPECT_EQ(2, destroyed);
}

// ---- The native window base ---------------------------------------------------------------------

TEST(WindowBase, SubclassingRoutesAnExistingWindowsMessages) {
    struct Sub : CWindowWnd {
        const char* GetWindowClassName() const override { return "OrvelUiSub"; }
        LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
            if (uMsg == WM_USER + 3)
                return 33;
            return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
        }
    } sub;
    HWND hwnd = ::CreateWindowExA(0, "STATIC", "text", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(nullptr, sub.Subclass(hwnd));
    EXPECT_EQ(33, ::SendMessageA(hwnd, WM_USER + 3, 0, 0));
    char text[16] = {};
    ::GetWindowTextA(hwnd, text, sizeof(text)); // the old procedure still answers the rest
    EXPECT_STREQ("text", text);
    sub.Unsubclass();
    EXPECT_EQ(0, ::SendMessageA(hwnd, WM_USER + 3, 0, 0));
    ::DestroyWindow(hwnd);
}

TEST(WindowBase, ShowModalReturnsTheCloseValueAndFinalMessageComesLast) {
    struct Modal : CWindowWnd {
        const char* GetWindowClassName() const override { return "OrvelUiModal"; }
        void OnFinalMessage(HWND hWnd) override { finalFor = hWnd; }
        HWND finalFor = nullptr;
    } modal;
    struct Owner : CWindowWnd {
        const char* GetWindowClassName() const override { return "OrvelUiOwner"; }
    } owner;
    ASSERT_NE(nullptr, owner.Create(nullptr, "owner", WS_OVERLAPPEDWINDOW, 0, 0, 0, 300, 200));
    HWND hwnd = modal.Create(owner.GetHWND(), "modal", WS_POPUP | WS_CAPTION, 0, 0, 0, 120, 80);
    ASSERT_NE(nullptr, hwnd);
    modal.CenterWindow();
    RECT rc = {};
    ::GetWindowRect(hwnd, &rc);
    EXPECT_GE(rc.left, 0);
    EXPECT_GE(rc.top, 0);
    modal.Close(42);
    EXPECT_EQ(42u, modal.ShowModal());
    EXPECT_EQ(hwnd, modal.finalFor);
    EXPECT_EQ(nullptr, modal.GetHWND());
    EXPECT_TRUE(::IsWindowEnabled(owner.GetHWND()));
    ::SetWindowLongPtrA(owner.GetHWND(), GWLP_WNDPROC,
                        reinterpret_cast<LONG_PTR>(::DefWindowProcA));
}

TEST(WindowBase, SuperclassingAnExistingClassKeepsItsBehaviour) {
    struct SuperEdit : CWindowWnd {
        const char* GetWindowClassName() const override { return "OrvelUiSuperEdit"; }
        const char* GetSuperClassName() const override { return "EDIT"; }
        LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
            if (uMsg == WM_SETTEXT)
                ++setTexts;
            return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
        }
        int setTexts = 0;
    } edit;
    ASSERT_NE(nullptr, edit.Create(nullptr, "", WS_POPUP, 0, 0, 0, 100, 20));
    ::SetWindowTextA(edit.GetHWND(), "typed");
    char text[16] = {};
    ::GetWindowTextA(edit.GetHWND(), text, sizeof(text));
    EXPECT_STREQ("typed", text); // the edit class still keeps the text
    EXPECT_EQ(1, edit.setTexts);
    ::DestroyWindow(edit.GetHWND());
    EXPECT_EQ(nullptr, edit.GetHWND());
}

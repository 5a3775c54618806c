// The paint manager in a real window under Wine: layout and "windowinit", input injected as
// window messages, focus and Tab, timers, notifications and receivers, names and option groups.
#include "ui_manager_fixture.h"

using namespace managertest;

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

TEST_F(ManagerTest, ANameNotInTheTreeAsksTheMissHandlerOnceAndIsLookedUpAgain) {
    AddProbe("here", {10, 10, 60, 40});
    Show();
    std::vector<std::string> asked;
    win.pm.SetNameMissHandler([&](const std::string& name) {
        asked.push_back(name);
        // Built on demand; a lookup from inside the handler does not ask again.
        EXPECT_EQ(nullptr, win.pm.FindControl("inside"));
        if (name != "later")
            return false;
        AddProbe("later", {70, 10, 120, 40});
        return true;
    });
    EXPECT_NE(nullptr, win.pm.FindControl("here"));
    EXPECT_EQ(nullptr, win.pm.FindBuiltControl("later"));
    EXPECT_TRUE(asked.empty()); // neither a name in the tree nor FindBuiltControl asks
    CControlUI* later = win.pm.FindControl("later");
    ASSERT_NE(nullptr, later);
    EXPECT_EQ(later->GetManager(), &win.pm);
    EXPECT_EQ(nullptr, win.pm.FindControl("nowhere"));
    EXPECT_EQ(nullptr, win.pm.FindControl(""));
    EXPECT_EQ(asked, (std::vector<std::string>{"later", "nowhere"}));
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

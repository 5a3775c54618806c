// More of the paint manager's event model (tooltips, other buttons, reflected messages, a new
// tree, settling focus, printing), the manager's lifetime and the native window base.
#include "ui_manager_fixture.h"

using namespace managertest;

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

// A real toolkit window built from a small skin written in the test, for the layout and
// control tests: builds the XML text into the window's manager, shows it, records every
// notification with its parameters and finds controls by name.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/wintest.h"
#include "ui/UIDlgBuilder.h"
#include "ui/UIControls.h"
#include "ui_test_window.h"

namespace uitest {

// Notifications as "type:sender:wParam:lParam".
class CNotifyLog : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override {
        if (msg.sType == "windowsize" || msg.sType == "setfocus" || msg.sType == "killfocus" ||
            msg.sType == "timer")
            return; // not what these tests are about
        log.push_back(msg.sType + ":" + (msg.pSender ? msg.pSender->GetName() : "?") + ":" +
                      std::to_string(msg.wParam) + ":" + std::to_string(msg.lParam));
    }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& e : log)
            n += e.compare(0, prefix.size(), prefix) == 0;
        return n;
    }
    std::vector<std::string> log;
};

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(win.Open(kWidth, kHeight));
        win.pm.AddNotifier(&early);
    }
    void TearDown() override { win.Abandon(); }

    // Builds the skin (XML text) into the window and shows it; the first layout has run when
    // this returns. Notifications from the build reach `early` only.
    void Build(const std::string& xml) {
        CDialogBuilder builder;
        root = builder.Create(xml.c_str(), nullptr, nullptr, &win.pm);
        ASSERT_NE(root, nullptr) << builder.GetLastErrorMessage();
        win.pm.AttachDialog(root);
        win.pm.AddNotifier(&rec);
        win.ShowWindow(true, true);
        ::UpdateWindow(win.GetHWND());
        ASSERT_TRUE(Pump([&] { return !win.pm.IsFirstLayout(); }));
        PumpFor(30);
        rec.log.clear();
    }

    // Runs a pending layout and paint now.
    void Relayout() {
        ::UpdateWindow(win.GetHWND());
        PumpFor(20);
        ::UpdateWindow(win.GetHWND());
    }

    template <class T = CControlUI> T* Find(const std::string& name) {
        CControlUI* control = win.pm.FindControl(name);
        EXPECT_NE(control, nullptr) << name;
        return dynamic_cast<T*>(control);
    }

    RECT Pos(const std::string& name) {
        CControlUI* control = win.pm.FindControl(name);
        EXPECT_NE(control, nullptr) << name;
        return control ? control->GetPos() : RECT{-1, -1, -1, -1};
    }

    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) {
        return ::SendMessageA(win.GetHWND(), msg, wParam, lParam);
    }
    // A left click (move, press, release) at a client point.
    void Click(int x, int y) {
        Send(WM_MOUSEMOVE, 0, At(x, y));
        Send(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
        Send(WM_LBUTTONUP, 0, At(x, y));
    }
    void Key(UINT vk) {
        Send(WM_KEYDOWN, vk, 1);
        Send(WM_KEYUP, vk, 0xC0000001);
    }
    int FontHeight() { return win.pm.GetDefaultFontInfo()->tm.tmHeight; }

    // Repaints the whole window and captures its client area from the screen.
    wintest::Capture CaptureClient() {
        ::InvalidateRect(win.GetHWND(), nullptr, FALSE);
        ::UpdateWindow(win.GetHWND());
        PumpFor(30);
        POINT origin = {0, 0};
        ::ClientToScreen(win.GetHWND(), &origin);
        RECT client = {origin.x, origin.y, origin.x + kWidth, origin.y + kHeight};
        return wintest::CaptureScreen(client);
    }

    static constexpr int kWidth = 400;
    static constexpr int kHeight = 300;
    CTestWindow win;
    CControlUI* root = nullptr;
    CNotifyLog early; // registered before the build
    CNotifyLog rec;   // registered after the build
};

inline std::string RectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

} // namespace uitest

#define EXPECT_RECT(rc, l, t, r, b)                                                                \
    EXPECT_EQ(uitest::RectText(rc), uitest::RectText(RECT{l, t, r, b}))

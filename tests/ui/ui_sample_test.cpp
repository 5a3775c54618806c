// The toolkit sample: a window built from the small skin in tests/ui/sample, driven by real
// window messages, captured to the artefact folder for looking at, and the figures of the
// paint manager (building and first paint of 1000 controls, painting a 1400 x 800 window).
//
// Run with "--show [skin folder] [skin file]" it opens the window and runs the toolkit's
// message loop instead of the tests, for looking at a skin by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "support/wintest.h"
#include "ui/UIButton.h"
#include "ui/UIDlgBuilder.h"
#include "ui/UILabel.h"
#include "ui/UIManager.h"
#include "ui_test_window.h"

#ifndef ORVEL_UI_SAMPLE_DIR
#define ORVEL_UI_SAMPLE_DIR "sample"
#endif

using namespace uitest;

namespace {

// The sample window: the skin is built in the window-creation handler, as the application
// does; "read" writes into the status line, "close" closes the window.
class CSampleWindow : public CWindowWnd, public INotifyUI {
public:
    explicit CSampleWindow(std::string skin) : m_skin(std::move(skin)) {}
    const char* GetWindowClassName() const override { return "OrvelUiSample"; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }

    void Notify(TNotifyUI& msg) override {
        log.push_back(msg.sType + ":" + (msg.pSender ? msg.pSender->GetName() : "?"));
        if (msg.sType == "click" && msg.pSender->GetName() == "read") {
            if (CControlUI* status = pm.FindControl("status"))
                status->SetText("Read clicked");
        } else if (msg.sType == "click" && msg.pSender->GetName() == "close") {
            Close();
        }
    }

    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        if (uMsg == WM_CREATE) {
            pm.Init(m_hWnd);
            CDialogBuilder builder;
            CControlUI* root = builder.Create(m_skin.c_str(), nullptr, nullptr, &pm);
            if (root == nullptr)
                return -1;
            pm.AttachDialog(root);
            pm.AddNotifier(this);
            return 0;
        }
        if (uMsg == WM_DESTROY && quitOnDestroy)
            ::PostQuitMessage(0);
        LRESULT lRes = 0;
        if (pm.MessageHandler(uMsg, wParam, lParam, lRes))
            return lRes;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }

    // Lets go of the window without destroying it (see CTestWindow::Abandon).
    void Abandon() {
        if (!::IsWindow(m_hWnd))
            return;
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(::DefWindowProcA));
        ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    }

    CPaintManagerUI pm;
    std::vector<std::string> log;
    bool quitOnDestroy = false;

private:
    std::string m_skin;
};

CControlUI* Find(CSampleWindow& win, const char* name) {
    return win.pm.FindControl(name);
}

POINT Centre(CControlUI* control) {
    RECT rc = control->GetPos();
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

void Click(CSampleWindow& win, CControlUI* control) {
    POINT pt = Centre(control);
    ::SendMessageA(win.GetHWND(), WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    ::SendMessageA(win.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    ::SendMessageA(win.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

class SampleTest : public ::testing::Test {
protected:
    void SetUp() override {
        CPaintManagerUI::SetResourcePath(ORVEL_UI_SAMPLE_DIR);
        ASSERT_NE(nullptr,
                  win.Create(nullptr, "Toolkit sample", WS_OVERLAPPEDWINDOW, 0, 30, 30, 300, 200));
        win.ShowWindow(true, true);
        ::UpdateWindow(win.GetHWND());
        ASSERT_TRUE(Pump(
            [&] { return std::count(win.log.begin(), win.log.end(), "windowinit:root") == 1; }));
        PumpFor(60);
    }
    void TearDown() override { win.Abandon(); }

    CSampleWindow win{"sample.xml"};
};

} // namespace

TEST_F(SampleTest, BuildsTheSkinIntoTheExpectedTree) {
    RECT rc = {};
    ::GetWindowRect(win.GetHWND(), &rc);
    EXPECT_EQ(640, rc.right - rc.left); // the skin's window size
    EXPECT_EQ(400, rc.bottom - rc.top);
    ASSERT_NE(nullptr, Find(win, "root"));
    EXPECT_STREQ("VerticalLayoutUI", Find(win, "root")->GetClass());
    EXPECT_STREQ("ButtonUI", Find(win, "read")->GetClass());
    EXPECT_STREQ("LabelUI", Find(win, "title")->GetClass());
    EXPECT_STREQ("OptionUI", Find(win, "opt1")->GetClass());
    EXPECT_STREQ("ContainerUI", Find(win, "framed")->GetClass());
    // Default list for Button, and a style named as an attribute value.
    EXPECT_EQ(80, Find(win, "write")->GetFixedWidth());
    EXPECT_EQ(0xFF8090A0u, Find(win, "solid")->GetBorderColor());
    auto* opt1 = static_cast<COptionUI*>(Find(win, "opt1")->GetInterface("Option"));
    ASSERT_NE(nullptr, opt1);
    EXPECT_TRUE(opt1->IsSelected());
    EXPECT_NE(nullptr, win.pm.GetImage("logo.png"));
    // The floating control sits at its "pos" inside its container.
    RECT framed = Find(win, "framed")->GetPos();
    RECT floating = Find(win, "floating")->GetPos();
    EXPECT_EQ(framed.left + 20, floating.left);
    EXPECT_EQ(32, floating.right - floating.left);
}

TEST_F(SampleTest, MouseAndKeyboardDriveTheControls) {
    win.log.clear();
    Click(win, Find(win, "read"));
    EXPECT_NE(win.log.end(), std::find(win.log.begin(), win.log.end(), "click:read"));
    EXPECT_EQ("Read clicked", Find(win, "status")->GetText());

    // A disabled button does not click.
    win.log.clear();
    Click(win, Find(win, "off"));
    EXPECT_EQ(win.log.end(), std::find(win.log.begin(), win.log.end(), "click:off"));

    // Options of one group: selecting the second deselects the first; only it notifies.
    win.log.clear();
    Click(win, Find(win, "opt2"));
    auto* opt1 = static_cast<COptionUI*>(Find(win, "opt1")->GetInterface("Option"));
    auto* opt2 = static_cast<COptionUI*>(Find(win, "opt2")->GetInterface("Option"));
    EXPECT_FALSE(opt1->IsSelected());
    EXPECT_TRUE(opt2->IsSelected());
    EXPECT_EQ(1, std::count(win.log.begin(), win.log.end(), "selectchanged:opt2"));
    EXPECT_EQ(0, std::count(win.log.begin(), win.log.end(), "selectchanged:opt1"));

    // Tab walks the tab stops; Space on a focused button clicks it.
    win.pm.SetFocus(Find(win, "read"));
    ::PostMessageA(win.GetHWND(), WM_KEYDOWN, VK_TAB, 0);
    PumpFor(30);
    EXPECT_EQ(Find(win, "write"), win.pm.GetFocus());
    win.log.clear();
    ::SendMessageA(win.GetHWND(), WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageA(win.GetHWND(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_NE(win.log.end(), std::find(win.log.begin(), win.log.end(), "click:write"));
}

TEST_F(SampleTest, ScreenshotForLookingAtIt) {
    Find(win, "status")->SetText("Screenshot of the toolkit sample");
    ::UpdateWindow(win.GetHWND());
    PumpFor(50);
    wintest::Capture cap = wintest::CaptureWindow(win.GetHWND());
    ASSERT_GT(cap.width, 0);
    EXPECT_TRUE(wintest::SaveBmp(cap, wintest::ArtifactsDir() + "\\ui_sample.bmp"));
    // The header band is painted from its image (a blue gradient), the root in its colour.
    POINT header = Centre(Find(win, "header"));
    ::ClientToScreen(win.GetHWND(), &header);
    RECT wr = {};
    ::GetWindowRect(win.GetHWND(), &wr);
    unsigned px = cap.At(header.x - wr.left + 100, header.y - wr.top);
    EXPECT_GT(px & 0xFF, (px >> 16) & 0xFF); // more blue than red
}

TEST(SampleSkin, MissingAndCorruptResourcesLeaveControlsWithoutThemAndNothingCrashes) {
    std::string dir = wintest::ScratchDir() + "\\badskin\\";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    std::string corrupt = "\x89PNG\r\n\x1a\n" + std::string(200, '\x13');
    wintest::WriteFileText(dir + "corrupt.png", corrupt);
    wintest::WriteFileText(dir + "broken.ttf", "not a font");
    wintest::WriteFileText(
        dir + "bad.xml",
        "<Window size=\"300,200\">"
        "<Image name=\"missing.png\"/><Image name=\"corrupt.png\"/>"
        "<Import fontfile=\"missing.ttf\"/><Import fontfile=\"broken.ttf\"/>"
        "<Font id=\"0\" name=\"NoSuchFace\" size=\"99999\" bold=\"true\"/>"
        "<VerticalLayout name=\"root\" bkcolor=\"#FF336699\" bkimage=\"corrupt.png\">"
        "<Control name=\"a\" bkimage=\"file='missing.png' corner='4,4,4,4'\" height=\"40\"/>"
        "<Label name=\"b\" font=\"0\" text=\"still here\" foreimage=\"corrupt.png\"/>"
        "</VerticalLayout></Window>");
    CPaintManagerUI::SetResourcePath(dir);
    CSampleWindow win("bad.xml");
    ASSERT_NE(nullptr, win.Create(nullptr, "bad skin", WS_OVERLAPPEDWINDOW, 0, 0, 0, 300, 200));
    win.ShowWindow(true, false);
    ::UpdateWindow(win.GetHWND());
    EXPECT_TRUE(
        Pump([&] { return std::count(win.log.begin(), win.log.end(), "windowinit:root") == 1; }));
    EXPECT_NE(nullptr, win.pm.FindControl("a"));
    EXPECT_NE(nullptr, win.pm.FindControl("b"));
    EXPECT_EQ(nullptr, win.pm.GetImage("missing.png"));
    EXPECT_EQ(nullptr, win.pm.GetImage("corrupt.png"));
    // The root's colour is painted although its image is not.
    POINT pt = {5, 150};
    ::ClientToScreen(win.GetHWND(), &pt);
    RECT rc = {pt.x, pt.y, pt.x + 1, pt.y + 1};
    EXPECT_EQ(0x336699u, wintest::CaptureScreen(rc).At(0, 0));
    win.Abandon();
}

// ---- Figures
// ---------------------------------------------------------------------------------------

namespace {

// A skin of `rows` rows of 20 controls each (labels, buttons, plain controls), 1000 in all
// for 50 rows counting the layouts.
std::string BigSkin(int rows) {
    std::string xml = "<Window size=\"1400,800\"><Font id=\"0\" name=\"Tahoma\" size=\"12\" "
                      "default=\"true\"/><VerticalLayout name=\"root\" bkcolor=\"#FFF0F0F0\">";
    int n = 0;
    for (int r = 0; r < rows; ++r) {
        xml += "<HorizontalLayout height=\"16\" childpadding=\"2\">";
        ++n;
        for (int c = 0; c < 19; ++c, ++n) {
            std::string name = "c" + std::to_string(n);
            if (c % 3 == 0)
                xml += "<Label name=\"" + name + "\" text=\"Label " + name + "\" width=\"70\"/>";
            else if (c % 3 == 1)
                xml += "<Button name=\"" + name + "\" text=\"Button\" width=\"70\" " +
                       "bkcolor=\"#FFD0E0F0\" bordersize=\"1\" bordercolor=\"#FF8090A0\"/>";
            else
                xml += "<Control name=\"" + name + "\" width=\"60\" bkcolor=\"#FF" +
                       (c % 2 ? "A0C0E0" : "E0C0A0") + "\" bkcolor2=\"#FFFFFFFF\"/>";
        }
        xml += "</HorizontalLayout>";
    }
    xml += "</VerticalLayout></Window>";
    return xml;
}

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

TEST(Figures, BuildAndFirstPaintOf1000ControlsAndFullWindowPaint) {
    const std::string skin = BigSkin(50); // 50 rows x 20 = 1000 controls
    std::vector<double> build, firstPaint, repaint;
    for (int round = 0; round < 3; ++round) {
        CSampleWindow win(skin);
        auto t0 = std::chrono::steady_clock::now();
        ASSERT_NE(nullptr, win.Create(nullptr, "figures", WS_POPUP, 0, 0, 0, 1400, 800));
        auto t1 = std::chrono::steady_clock::now();
        win.ShowWindow(true, false);
        ::UpdateWindow(win.GetHWND()); // first layout and paint
        auto t2 = std::chrono::steady_clock::now();
        build.push_back(Ms(t1 - t0));
        firstPaint.push_back(Ms(t2 - t1));
        EXPECT_EQ(1, std::count(win.log.begin(), win.log.end(), "windowinit:root"));
        EXPECT_NE(nullptr, win.pm.FindControl("c999"));
        // Painting the whole 1400 x 800 client area again, without a layout.
        for (int i = 0; i < 20; ++i) {
            ::InvalidateRect(win.GetHWND(), nullptr, FALSE);
            auto p0 = std::chrono::steady_clock::now();
            ::UpdateWindow(win.GetHWND());
            repaint.push_back(Ms(std::chrono::steady_clock::now() - p0));
        }
        win.Abandon();
    }
    printf("figure: build of a 1000-control skin (window creation included): median %.1f ms\n",
           Median(build));
    printf("figure: first layout and paint of it, 1400 x 800: median %.1f ms\n",
           Median(firstPaint));
    printf("figure: full repaint of the 1400 x 800 window: median %.2f ms, best %.2f ms\n",
           Median(repaint), *std::min_element(repaint.begin(), repaint.end()));
}

// The tests, or with "--show" the sample window for looking at it by hand.
int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "--show") {
        CPaintManagerUI::SetInstance(::GetModuleHandleA(nullptr));
        CPaintManagerUI::SetResourcePath(argc >= 3 ? argv[2] : ORVEL_UI_SAMPLE_DIR);
        CSampleWindow win(argc >= 4 ? argv[3] : "sample.xml");
        win.quitOnDestroy = true;
        if (win.Create(nullptr, "Toolkit sample", WS_OVERLAPPEDWINDOW, 0, 40, 40, 640, 400) ==
            nullptr)
            return 1;
        win.CenterWindow();
        win.ShowWindow(true, true);
        CPaintManagerUI::MessageLoop();
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

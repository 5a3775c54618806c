// The control gallery (tests/ui/gallery/gallery.xml) in a real window under Wine: it builds,
// every control family is there, its pages switch by real clicks on the option tab headers,
// and screenshots of the pages are kept as test artefacts. Prints how long laying out and
// painting the whole gallery takes (figures only, nothing asserted about time).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/wintest.h"
#include "ui/UIDlgBuilder.h"
#include "ui/UIControls.h"
#include "ui_test_window.h"

using namespace uitest;

namespace {

// The client size of the gallery window (the skin's "size" is the outer size).
constexpr int kWidth = 640;
constexpr int kHeight = 480;

std::string GalleryFolder() {
    std::string folder = std::string("Z:") + ORVEL_GALLERY_DIR;
    for (char& c : folder)
        if (c == '/')
            c = '\\';
    return folder;
}

class GalleryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(win.Open(kWidth, kHeight, "Control gallery"));
        CPaintManagerUI::SetResourcePath(GalleryFolder());
        CDialogBuilder builder;
        root = builder.Create("gallery.xml", nullptr, nullptr, &win.pm);
        ASSERT_NE(root, nullptr) << builder.GetLastErrorMessage();
        win.pm.AttachDialog(root);
        win.ResizeClient(kWidth, kHeight);
        win.pm.AddNotifier(&rec);
        win.ShowWindow(true, true);
        ::UpdateWindow(win.GetHWND());
        ASSERT_TRUE(Pump([&] { return !win.pm.IsFirstLayout(); }));
        PumpFor(50);
    }
    void TearDown() override {
        CPaintManagerUI::SetResourcePath("");
        win.Abandon();
    }

    wintest::Capture Screenshot(const std::string& file) {
        ::InvalidateRect(win.GetHWND(), nullptr, FALSE);
        ::UpdateWindow(win.GetHWND());
        PumpFor(50);
        RECT client;
        ::GetClientRect(win.GetHWND(), &client);
        POINT origin = {0, 0};
        ::ClientToScreen(win.GetHWND(), &origin);
        wintest::Capture cap = wintest::CaptureScreen(
            RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
        wintest::SaveBmp(cap, wintest::ArtifactsDir() + "\\" + file);
        return cap;
    }

    void ClickAt(const RECT& rc) {
        const LPARAM at = At((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        ::SendMessageA(win.GetHWND(), WM_MOUSEMOVE, 0, at);
        ::SendMessageA(win.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageA(win.GetHWND(), WM_LBUTTONUP, 0, at);
    }

    int CountClass(const char* className) {
        int n = 0;
        while (win.pm.FindSubControlByClass(nullptr, className, n) != nullptr)
            ++n;
        return n;
    }

    CTestWindow win;
    CControlUI* root = nullptr;
    CRecorder rec;
};

} // namespace

TEST_F(GalleryTest, EveryFamilyShowsAndPagesSwitch) {
    for (const char* cls :
         {"VerticalLayoutUI", "HorizontalLayoutUI", "TileLayoutUI", "TabLayoutUI", "GroupBoxUI",
          "LabelUI", "TextUI", "ButtonUI", "OptionUI", "CheckBoxUI", "ContainerUI"})
        EXPECT_GT(CountClass(cls), 0) << cls;
    auto* tiles = static_cast<CContainerUI*>(win.pm.FindControl("tilebox"));
    ASSERT_NE(tiles, nullptr);
    ASSERT_NE(tiles->GetVerticalScrollBar(), nullptr);
    EXPECT_TRUE(tiles->GetVerticalScrollBar()->IsVisible());

    wintest::Capture cap = Screenshot("ui_gallery.bmp");
    ASSERT_GT(cap.width, 500);
    EXPECT_EQ(cap.At(3, 3), 0xF6F7F9u); // the root's background

    // The tab headers are options bound to the pages: a real click switches the page.
    auto* pages = static_cast<CTabLayoutUI*>(win.pm.FindControl("pages"));
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->GetCurSel(), 0);
    rec.log.clear();
    ClickAt(win.pm.FindControl("tab1")->GetPos());
    EXPECT_EQ(pages->GetCurSel(), 1);
    EXPECT_EQ(rec.Count("click:tab1"), 1);
    EXPECT_EQ(rec.Count("selectchanged:tab1"), 1);
    EXPECT_EQ(rec.Count("tabselect:pages"), 1);
    Screenshot("ui_gallery_layouts.bmp");
    ClickAt(win.pm.FindControl("tab2")->GetPos());
    EXPECT_EQ(pages->GetCurSel(), 2);
    Screenshot("ui_gallery_text.bmp");
    ClickAt(win.pm.FindControl("tab0")->GetPos());
    EXPECT_EQ(pages->GetCurSel(), 0);
}

TEST_F(GalleryTest, LayoutAndPaintFigures) {
    // Lay out and paint the whole window again and again: the root marked for update, the
    // window invalidated and painted at once.
    LARGE_INTEGER freq, start, end;
    ::QueryPerformanceFrequency(&freq);
    const int runs = 200;
    ::QueryPerformanceCounter(&start);
    for (int i = 0; i < runs; ++i) {
        root->NeedUpdate();
        ::InvalidateRect(win.GetHWND(), nullptr, FALSE);
        ::UpdateWindow(win.GetHWND());
    }
    ::QueryPerformanceCounter(&end);
    const double layoutAndPaint =
        double(end.QuadPart - start.QuadPart) * 1000.0 / double(freq.QuadPart) / runs;

    ::QueryPerformanceCounter(&start);
    for (int i = 0; i < runs; ++i) {
        ::InvalidateRect(win.GetHWND(), nullptr, FALSE);
        ::UpdateWindow(win.GetHWND());
    }
    ::QueryPerformanceCounter(&end);
    const double paintOnly =
        double(end.QuadPart - start.QuadPart) * 1000.0 / double(freq.QuadPart) / runs;

    // Layout alone: SetPos of the root over the client area.
    RECT client;
    ::GetClientRect(win.GetHWND(), &client);
    ::QueryPerformanceCounter(&start);
    for (int i = 0; i < runs; ++i)
        root->SetPos(client, false);
    ::QueryPerformanceCounter(&end);
    const double layoutOnly =
        double(end.QuadPart - start.QuadPart) * 1000.0 / double(freq.QuadPart) / runs;

    std::printf("gallery %dx%d: layout and paint %.3f ms, paint only %.3f ms, layout only "
                "%.3f ms (mean of %d runs)\n",
                int(client.right), int(client.bottom), layoutAndPaint, paintOnly, layoutOnly, runs);
    RecordProperty("layout_and_paint_ms", std::to_string(layoutAndPaint));
    SUCCEED();
}

// The layout containers in a real window under Wine: exact rectangles after layout of small
// skins (vertical, horizontal, tile, tab, floating children, child layouts), scroll bars that
// appear, move the content and go again, driven by real mouse and wheel messages, and the
// mended faults of the layouts.
#include <gtest/gtest.h>

#include "skin_test_window.h"
#include "ui/UIButton.h"
#include "ui/UILayout.h"
#include "ui/UIScrollBar.h"

using namespace uitest;

namespace {

class LayoutTest : public SkinTest {};

} // namespace

TEST_F(LayoutTest, VerticalLayoutSharesTheFreeHeight) {
    Build(R"(<Window><VerticalLayout name="root" childpadding="10">
        <Control name="a" height="50"/>
        <Control name="b" height="30"/>
        <Container name="c"/>
    </VerticalLayout></Window>)");
    EXPECT_RECT(Pos("a"), 0, 0, 400, 50);
    EXPECT_RECT(Pos("b"), 0, 60, 400, 90);
    EXPECT_RECT(Pos("c"), 0, 100, 400, 300); // 300 - 80 - 20

    // Hiding a row closes the gap at the next layout pass.
    Find("b")->SetVisible(false);
    Relayout();
    EXPECT_RECT(Pos("c"), 0, 60, 400, 300);
    Find("b")->SetVisible(true);
    Relayout();
    EXPECT_RECT(Pos("c"), 0, 100, 400, 300);
}

TEST_F(LayoutTest, RoundingLimitsPaddingAndLabels) {
    Build(R"(<Window><VerticalLayout>
        <VerticalLayout name="v" height="101"><Control name="f1"/><Control name="f2"/></VerticalLayout>
        <Control name="m40" maxheight="40"/>
        <Label name="label" text="Label" padding="5,0,7,0"/>
        <Control name="tail" height="20" width="100" maxwidth="60"/>
    </VerticalLayout></Window>)");
    EXPECT_RECT(Pos("f1"), 0, 0, 400, 50);
    EXPECT_RECT(Pos("f2"), 0, 50, 400, 101); // the last sharing child absorbs the remainder
    EXPECT_RECT(Pos("m40"), 0, 101, 400, 141);
    const int h = FontHeight() + 4; // a label is as high as its font + 4, never stretched
    EXPECT_RECT(Pos("label"), 5, 141, 393, 141 + h);
    EXPECT_RECT(Pos("tail"), 0, 141 + h, 60, 161 + h); // the space below stays empty
}

TEST_F(LayoutTest, HorizontalLayoutWithInsetAndVerticalCentre) {
    Build(R"(<Window><HorizontalLayout childpadding="10" childvalign="vcenter" inset="5,5,5,5">
        <Control name="h1" width="50"/>
        <Control name="h2" padding="4,2,6,3"/>
        <Control name="h3" width="30" height="10"/>
    </HorizontalLayout></Window>)");
    EXPECT_RECT(Pos("h1"), 5, 5, 55, 295);
    EXPECT_RECT(Pos("h2"), 69, 8, 349, 293);
    EXPECT_RECT(Pos("h3"), 365, 145, 395, 155);
}

TEST_F(LayoutTest, FloatingChildrenByPositionAlignmentAndPercent) {
    Build(R"(<Window><VerticalLayout inset="3,3,3,3">
        <Control name="flow1" height="40"/>
        <Control name="float1" float="true" pos="10,10,60,30"/>
        <Control name="float2" float="true" floatalign="right,bottom" pos="0,0,20,10"/>
        <Control name="float3" float="0.5,0.5,0.5,0.5" pos="0,0,10,10"/>
        <Control name="flow2" height="40"/>
    </VerticalLayout></Window>)");
    EXPECT_RECT(Pos("flow1"), 3, 3, 397, 43);
    EXPECT_RECT(Pos("flow2"), 3, 43, 397, 83); // the floating ones take no room in the flow
    EXPECT_RECT(Pos("float1"), 10, 10, 60, 30);
    EXPECT_RECT(Pos("float2"), 380, 290, 400, 300);
    EXPECT_RECT(Pos("float3"), 200, 150, 210, 160);
    // A floating child is hit even outside the client area (over the inset).
    EXPECT_EQ(win.pm.FindControl(POINT{390, 298}), Find("float2"));
}

TEST_F(LayoutTest, TileLayoutCellsAndColumns) {
    Build(R"(<Window><VerticalLayout>
        <TileLayout name="tile" itemsize="100,50" height="120">
            <Control name="t0" width="80" height="40"/><Control name="t1" width="80" height="40"/>
            <Control name="t2" width="80" height="40"/><Control name="t3" width="80" height="40"/>
            <Control name="t4" width="80" height="40"/>
        </TileLayout>
        <TileLayout name="nosize" height="100"><Control name="n0" height="20"/><Control name="n1" height="20"/></TileLayout>
        <TileLayout name="cols" columns="2" childpadding="10" height="80">
            <Control name="c0" height="30"/><Control name="c1" height="30"/><Control name="c2" height="30"/>
        </TileLayout>
    </VerticalLayout></Window>)");
    EXPECT_EQ(Find<CTileLayoutUI>("tile")->GetColumns(), 4);
    EXPECT_RECT(Pos("t0"), 10, 0, 90, 40);
    EXPECT_RECT(Pos("t3"), 310, 0, 390, 40);
    EXPECT_RECT(Pos("t4"), 10, 40, 90, 80);
    // No item size: one column across the whole width (not a division by zero).
    EXPECT_EQ(Find<CTileLayoutUI>("nosize")->GetColumns(), 1);
    EXPECT_RECT(Pos("n0"), 0, 120, 400, 140);
    EXPECT_RECT(Pos("n1"), 0, 140, 400, 160);
    // Two columns, the child padding between neighbouring cells.
    EXPECT_RECT(Pos("c0"), 0, 220, 195, 250);
    EXPECT_RECT(Pos("c1"), 205, 220, 400, 250);
    EXPECT_RECT(Pos("c2"), 0, 260, 195, 290);
}

TEST_F(LayoutTest, TabLayoutShowsOnePageAndReportsTheSwitch) {
    Build(R"(<Window><VerticalLayout>
        <TabLayout name="tabs" height="100">
            <Control name="p0"/><Control name="p1"/><Control name="p2"/>
        </TabLayout>
        <Button name="bindbad" bindtablayoutname="notatab" bindtabindex="1" height="20"/>
        <Label name="notatab" height="20"/>
        <Button name="bindok" bindtablayoutname="tabs" bindtabindex="2" height="20"/>
    </VerticalLayout></Window>)");
    auto* tabs = Find<CTabLayoutUI>("tabs");
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_TRUE(Find("p0")->IsVisible());
    EXPECT_FALSE(Find("p1")->IsVisible());
    EXPECT_FALSE(Find("p2")->IsVisible());
    EXPECT_RECT(Pos("p0"), 0, 0, 400, 100);

    EXPECT_TRUE(tabs->SelectItem(1));
    Relayout();
    EXPECT_EQ(rec.log, (std::vector<std::string>{"tabselect:tabs:1:0"}));
    EXPECT_FALSE(Find("p0")->IsVisible());
    EXPECT_TRUE(Find("p1")->IsVisible());
    EXPECT_RECT(Pos("p1"), 0, 0, 400, 100);
    EXPECT_TRUE(tabs->SelectItem(1)); // the current page: at once, no notification
    EXPECT_FALSE(tabs->SelectItem(3));
    EXPECT_FALSE(tabs->SelectItem(-1));
    EXPECT_EQ(rec.Count("tabselect"), 1);

    // A page inserted before the selection moves it up and stays hidden: one page shows.
    auto* inserted = new CControlUI;
    inserted->SetName("ins");
    EXPECT_TRUE(tabs->AddAt(inserted, 0));
    EXPECT_EQ(tabs->GetCurSel(), 2);
    int visible = 0;
    for (int i = 0; i < tabs->GetCount(); ++i)
        visible += tabs->GetItemAt(i)->IsVisible();
    EXPECT_EQ(visible, 1);
    EXPECT_TRUE(Find("p1")->IsVisible());

    // Removing the selected page selects the first remaining one; removing one before the
    // selection moves it down.
    EXPECT_TRUE(tabs->SelectItem(3)); // p2
    EXPECT_TRUE(tabs->RemoveAt(0));
    EXPECT_EQ(tabs->GetCurSel(), 2);
    EXPECT_TRUE(tabs->Remove(tabs->GetItemAt(2)));
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_TRUE(tabs->GetItemAt(0)->IsVisible());

    // A button bound by name to a control that is no tab layout does nothing else; bound to
    // the tab layout it selects its page.
    rec.log.clear();
    EXPECT_TRUE(Find("bindbad")->Activate());
    EXPECT_EQ(rec.log, (std::vector<std::string>{"click:bindbad:0:0"}));
    EXPECT_EQ(tabs->GetCurSel(), 0);
    tabs->AddAt(new CControlUI, 2);
    EXPECT_TRUE(Find("bindok")->Activate());
    EXPECT_EQ(tabs->GetCurSel(), 2);

    tabs->RemoveAll();
    EXPECT_EQ(tabs->GetCurSel(), -1);
    EXPECT_FALSE(tabs->SelectItem(0));
}

TEST_F(LayoutTest, ScrollBarAppearsMovesTheContentAndGoesAgain) {
    Build(R"(<Window><VerticalLayout name="sv" vscrollbar="true" scrollstepsize="20">
        <Control name="s0" height="100"/><Control name="s1" height="100"/>
        <Control name="s2" height="100"/><Control name="s3" height="100"/>
        <Control name="s4" height="100"/>
    </VerticalLayout></Window>)");
    auto* sv = Find<CVerticalLayoutUI>("sv");
    CScrollBarUI* bar = sv->GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetScrollRange(), 200);
    EXPECT_RECT(bar->GetPos(), 384, 0, 400, 300);
    EXPECT_RECT(Pos("s0"), 0, 0, 384, 100); // the bar takes its width from the client area

    // The program scrolls: the content moves, "scroll" tells the line.
    sv->SetScrollPos(SIZE{0, 50});
    EXPECT_RECT(Pos("s0"), 0, -50, 384, 50);
    EXPECT_EQ(rec.log, (std::vector<std::string>{"scroll:sv:7:0"})); // (50 + 8) / 8

    // The wheel towards the user steps down by the scroll step size.
    POINT screen = {100, 100};
    ::ClientToScreen(win.GetHWND(), &screen);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(bar->GetScrollPos(), 70);
    EXPECT_RECT(Pos("s1"), 0, 30, 384, 130);

    // The lower arrow button steps by the bar's line size; a press on the track pages.
    Send(WM_MOUSEMOVE, 0, At(392, 292));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(392, 292));
    Send(WM_LBUTTONUP, 0, At(392, 292));
    EXPECT_EQ(bar->GetScrollPos(), 78);
    const RECT thumb = bar->GetThumbRect();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(392, thumb.top - 5));
    Send(WM_LBUTTONUP, 0, At(392, thumb.top - 5));
    EXPECT_EQ(bar->GetScrollPos(), 0);

    // Dragging the thumb: to the end and back.
    const RECT t = bar->GetThumbRect();
    const int grab = (t.top + t.bottom) / 2;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(392, grab));
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(392, grab + 54));
    const int middle = bar->GetScrollPos();
    EXPECT_NEAR(middle, 100, 2); // 54 of the 108 free pixels of the track
    EXPECT_EQ(Pos("s0").top, -middle);
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(392, 2000));
    EXPECT_EQ(bar->GetScrollPos(), 200);
    EXPECT_RECT(Pos("s4"), 0, 200, 384, 300);
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(392, -2000));
    EXPECT_EQ(bar->GetScrollPos(), 0);
    Send(WM_LBUTTONUP, 0, At(392, 10));

    // Keys scroll the focused container.
    sv->SetFocus();
    Key(VK_END);
    EXPECT_EQ(bar->GetScrollPos(), 200);
    Key(VK_HOME);
    EXPECT_EQ(bar->GetScrollPos(), 0);
    Key(VK_NEXT);
    EXPECT_EQ(bar->GetScrollPos(), 200); // a page is the client height

    // The content shrinks: the bar goes, position and range return to 0.
    Find("s2")->SetVisible(false);
    Find("s3")->SetVisible(false);
    Find("s4")->SetVisible(false);
    Relayout();
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(bar->GetScrollRange(), 0);
    EXPECT_RECT(Pos("s0"), 0, 0, 400, 100);
    // And grows again: the bar comes back at position 0.
    Find("s4")->SetVisible(true);
    Find("s3")->SetVisible(true);
    Relayout();
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetScrollRange(), 100);
    EXPECT_RECT(Pos("s0"), 0, 0, 384, 100);
}

TEST_F(LayoutTest, HorizontalScrollingAndAZeroLineSize) {
    Build(
        R"(<Window><HorizontalLayout name="sh" hscrollbar="true" hscrollbarstyle="linesize=&quot;0&quot; height=&quot;12&quot;">
        <Control name="w0" width="300"/><Control name="w1" width="300"/>
    </HorizontalLayout></Window>)");
    auto* sh = Find<CHorizontalLayoutUI>("sh");
    CScrollBarUI* bar = sh->GetHorizontalScrollBar();
    ASSERT_NE(bar, nullptr);
    // A line size below 1 is taken as 1: the "scroll" notification divides by it.
    EXPECT_EQ(bar->GetLineSize(), 1);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetScrollRange(), 200);
    EXPECT_RECT(bar->GetPos(), 0, 288, 400, 300);
    EXPECT_RECT(Pos("w1"), 300, 0, 600, 288);
    sh->SetScrollPos(SIZE{120, 0});
    EXPECT_RECT(Pos("w1"), 180, 0, 480, 288);
    sh->EndRight();
    EXPECT_EQ(bar->GetScrollPos(), 200);
    sh->HomeLeft();
    EXPECT_RECT(Pos("w0"), 0, 0, 300, 288);
    EXPECT_EQ(rec.Count("scroll"), 0); // only a vertical bar reports lines
}

TEST_F(LayoutTest, SeparatorDragResizesTheLayout) {
    Build(R"(<Window><VerticalLayout>
        <VerticalLayout name="top" height="100" sepheight="4" sepimm="true" minheight="50" maxheight="150" bkcolor="#FFDDDDDD"/>
        <Control name="below"/>
    </VerticalLayout></Window>)");
    Send(WM_MOUSEMOVE, 0, At(50, 98));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(50, 98));
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(50, 118));
    Relayout();
    EXPECT_EQ(Find("top")->GetFixedHeight(), 120);
    EXPECT_RECT(Pos("below"), 0, 120, 400, 300);
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(50, 400)); // held within the max height
    Send(WM_LBUTTONUP, 0, At(50, 400));
    Relayout();
    EXPECT_EQ(Find("top")->GetFixedHeight(), 150);
}

TEST_F(LayoutTest, HeldArrowRepeatsAndPreviewedSeparatorAppliesOnRelease) {
    Build(R"(<Window><VerticalLayout>
        <VerticalLayout name="list" vscrollbar="true" height="200">
            <Control height="300"/><Control height="300"/>
        </VerticalLayout>
        <VerticalLayout name="pane" height="60" sepheight="-4" minheight="20"/>
        <Control name="rest"/>
    </VerticalLayout></Window>)");
    CScrollBarUI* bar = Find<CVerticalLayoutUI>("list")->GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetScrollRange(), 400);
    // Held on the lower arrow, the bar keeps stepping by its line size until released.
    const RECT down = bar->GetButton2Rect();
    const LPARAM at = At((down.left + down.right) / 2, (down.top + down.bottom) / 2);
    Send(WM_MOUSEMOVE, 0, at);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_EQ(bar->GetScrollPos(), 8);
    PumpFor(700);
    Send(WM_LBUTTONUP, 0, at);
    const int held = bar->GetScrollPos();
    EXPECT_GT(held, 24);
    PumpFor(200);
    EXPECT_EQ(bar->GetScrollPos(), held); // and stops with the release

    // A band at the top edge without "sepimm": the new edge shows while dragging and is
    // applied when the button is released.
    Send(WM_MOUSEMOVE, 0, At(50, 201));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(50, 201));
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(50, 211));
    Relayout();
    EXPECT_EQ(Find("pane")->GetFixedHeight(), 60);
    Send(WM_LBUTTONUP, 0, At(50, 211));
    Relayout();
    EXPECT_EQ(Find("pane")->GetFixedHeight(), 50);
    EXPECT_RECT(Pos("rest"), 0, 250, 400, 300);
}

TEST_F(LayoutTest, NestedScrollingContainers) {
    Build(R"(<Window><VerticalLayout name="outer" vscrollbar="true">
        <VerticalLayout name="inner" height="400" vscrollbar="true" hscrollbar="true">
            <Control name="wide" height="600" width="500"/>
        </VerticalLayout>
    </VerticalLayout></Window>)");
    CScrollBarUI* outer = Find<CVerticalLayoutUI>("outer")->GetVerticalScrollBar();
    CScrollBarUI* innerV = Find<CVerticalLayoutUI>("inner")->GetVerticalScrollBar();
    CScrollBarUI* innerH = Find<CVerticalLayoutUI>("inner")->GetHorizontalScrollBar();
    EXPECT_EQ(outer->GetScrollRange(), 100);
    EXPECT_RECT(Pos("inner"), 0, 0, 384, 400);
    // Inside: 368 x 384 seen of 500 x 600.
    EXPECT_TRUE(innerV->IsVisible());
    EXPECT_TRUE(innerH->IsVisible());
    EXPECT_EQ(innerV->GetScrollRange(), 216);
    EXPECT_EQ(innerH->GetScrollRange(), 132);
    EXPECT_RECT(innerH->GetPos(), 0, 384, 368, 400);
    // Scrolling the outer one moves the inner one with its bars.
    Find<CVerticalLayoutUI>("outer")->SetScrollPos(SIZE{0, 60});
    EXPECT_RECT(Pos("inner"), 0, -60, 384, 340);
    EXPECT_RECT(innerH->GetPos(), 0, 324, 368, 340);
    EXPECT_RECT(Pos("wide"), 0, -60, 500, 540);
}

TEST_F(LayoutTest, ChildLayoutBuildsItsFile) {
    const std::string folder = wintest::ScratchDir() + "\\childlayout\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    wintest::WriteFileText(
        folder + "inner.xml",
        R"(<Inner><HorizontalLayout name="inner"><Control name="leaf" width="30"/></HorizontalLayout></Inner>)");
    wintest::WriteFileText(folder + "self.xml",
                           R"(<Self><ChildLayout name="again" xmlfile="self.xml"/></Self>)");
    CPaintManagerUI::SetResourcePath(folder);
    Build(R"(<Window><VerticalLayout>
        <ChildLayout name="child" xmlfile="inner.xml" height="40"/>
        <ChildLayout name="missing" xmlfile="nothere.xml" height="40"/>
        <ChildLayout name="loop" xmlfile="self.xml" height="40"/>
    </VerticalLayout></Window>)");
    CPaintManagerUI::SetResourcePath("");
    auto* child = Find<CChildLayoutUI>("child");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->GetCount(), 1);
    EXPECT_RECT(Pos("leaf"), 0, 0, 30, 40);
    EXPECT_EQ(Find<CChildLayoutUI>("missing")->GetCount(), 0);
    // A file that names itself ends after a few levels.
    EXPECT_NE(Find("loop"), nullptr);
}

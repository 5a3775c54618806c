// The container layout arithmetic on its own: vertical and horizontal flow, tile grid and
// scroll-bar geometry, with plain test children.
#include <gtest/gtest.h>

#include <climits>

#include "ui/UILayoutCore.h"

using namespace uilayout;

namespace {

// A child whose estimate is its fixed size, as a plain control or container answers; a
// label-like child answers a fixed height of its own (its font) when not fixed.
struct TestChild : ILayoutChild {
    bool visible = true, floating = false;
    Rect padding;
    Size fixed, minSize, maxSize{9999, 9999};
    int naturalHeight = 0; // returned when the fixed height is 0 (0 = share the free height)
    int naturalWidth = 0;
    Size lastAvailable;
    bool IsVisible() const override { return visible; }
    bool IsFloat() const override { return floating; }
    Rect GetPadding() const override { return padding; }
    Size GetFixedSize() const override { return fixed; }
    Size GetMinSize() const override { return minSize; }
    Size GetMaxSize() const override { return maxSize; }
    Size EstimateSize(Size available) override {
        lastAvailable = available;
        return Size{fixed.cx ? fixed.cx : naturalWidth, fixed.cy ? fixed.cy : naturalHeight};
    }
};

FlowParams Client(int l, int t, int r, int b) {
    FlowParams p;
    p.client = Rect{l, t, r, b};
    return p;
}

std::vector<ILayoutChild*> Ptrs(std::vector<TestChild>& v) {
    std::vector<ILayoutChild*> out;
    for (auto& c : v)
        out.push_back(&c);
    return out;
}

} // namespace

TEST(LayoutVertical, FixedAndSharedHeightsWithChildPadding) {
    std::vector<TestChild> c(3);
    c[0].fixed.cy = 50;
    c[1].fixed.cy = 30;
    FlowParams p = Client(0, 0, 200, 300);
    p.childPadding = 10;
    FlowResult r = LayoutVertical(p, Ptrs(c));
    EXPECT_EQ(r.rects[0], (Rect{0, 0, 200, 50}));
    EXPECT_EQ(r.rects[1], (Rect{0, 60, 200, 90}));
    EXPECT_EQ(r.rects[2], (Rect{0, 100, 200, 300}));
    EXPECT_EQ(r.required.cy, 300);
}

TEST(LayoutVertical, LastSharingChildAbsorbsRounding) {
    std::vector<TestChild> c(2);
    FlowResult r = LayoutVertical(Client(0, 0, 10, 101), Ptrs(c));
    EXPECT_EQ(r.rects[0].Height(), 50);
    EXPECT_EQ(r.rects[1].Height(), 51);
    EXPECT_EQ(r.rects[1].bottom, 101);
}

TEST(LayoutVertical, LimitsPaddingHiddenAndLabels) {
    std::vector<TestChild> c(4);
    c[0].maxSize.cy = 40;    // shared, but at most 40 high
    c[1].visible = false;    // takes no space
    c[2].naturalHeight = 16; // a label: font height, never stretched
    c[2].padding = Rect{5, 2, 7, 3};
    c[3].fixed = Size{100, 20};
    c[3].maxSize.cx = 60; // the max width limits the fixed width
    FlowResult r = LayoutVertical(Client(10, 10, 210, 1000), Ptrs(c));
    EXPECT_EQ(r.rects[0], (Rect{10, 10, 210, 50}));
    EXPECT_FALSE(r.placed[1]);
    EXPECT_EQ(r.rects[2], (Rect{15, 52, 203, 68}));
    EXPECT_EQ(r.rects[3], (Rect{10, 71, 70, 91}));
    // The label's available width already excludes its horizontal padding.
    EXPECT_EQ(c[2].lastAvailable.cx, 200 - 12);
}

TEST(LayoutVertical, ChildAlignment) {
    std::vector<TestChild> c(1);
    c[0].fixed = Size{40, 10};
    c[0].padding = Rect{3, 0, 5, 0};
    FlowParams p = Client(0, 0, 100, 50);
    p.align = kAlignCenter;
    EXPECT_EQ(LayoutVertical(p, Ptrs(c)).rects[0], (Rect{30, 0, 70, 10}));
    p.align = kAlignEnd;
    EXPECT_EQ(LayoutVertical(p, Ptrs(c)).rects[0], (Rect{55, 0, 95, 10}));
}

TEST(LayoutVertical, FloatingChildrenStayOutOfTheFlow) {
    std::vector<TestChild> c(2);
    c[0].floating = true;
    c[0].fixed = Size{50, 20};
    c[1].fixed.cy = 30;
    FlowResult r = LayoutVertical(Client(0, 0, 100, 100), Ptrs(c));
    EXPECT_FALSE(r.placed[0]);
    EXPECT_EQ(r.rects[1], (Rect{0, 0, 100, 30}));
    EXPECT_EQ(r.required.cy, 30);
}

TEST(LayoutVertical, NoCountedChildGivesNoNegativePaddingTotal) {
    // Only a hidden and a floating child: the child padding must not make the total negative
    // (which would hand the space below to nobody or a negative height to someone).
    std::vector<TestChild> c(3);
    c[0].visible = false;
    c[1].floating = true;
    c[2].visible = false;
    FlowParams p = Client(0, 0, 100, 100);
    p.childPadding = 25;
    FlowResult r = LayoutVertical(p, Ptrs(c));
    EXPECT_EQ(r.required.cy, 0);
    EXPECT_EQ(r.required.cx, 0);
}

TEST(LayoutVertical, ScrollOffsetAndRange) {
    std::vector<TestChild> c(5);
    for (auto& child : c)
        child.fixed.cy = 100;
    FlowParams p = Client(0, 0, 100, 300);
    FlowResult r = LayoutVertical(p, Ptrs(c));
    EXPECT_EQ(r.required.cy, 500);
    // With the bar visible (range 200, position 50) the content moves up by 50.
    p.vBarVisible = true;
    p.scrollRange.cy = 200;
    p.scrollPos.cy = 50;
    r = LayoutVertical(p, Ptrs(c));
    EXPECT_EQ(r.rects[0].top, -50);
    EXPECT_EQ(r.rects[4].bottom, 450);
}

TEST(LayoutVertical, DegenerateInput) {
    std::vector<TestChild> c(3);
    c[0].fixed.cy = 500; // more than there is
    c[1].minSize.cy = 30;
    c[2].padding = Rect{0, 900, 0, 900};
    FlowParams p = Client(0, 0, 50, 100);
    FlowResult r = LayoutVertical(p, Ptrs(c));
    EXPECT_EQ(r.rects[1].Height(), 30); // the min height holds even without room
    p.childPadding = -5000;             // overlapping children: odd, but no negative sizes
    r = LayoutVertical(p, Ptrs(c));
    for (size_t i = 0; i < c.size(); ++i) {
        EXPECT_GE(r.rects[i].Height(), 0);
        EXPECT_GE(r.rects[i].Width(), 0);
    }
    EXPECT_TRUE(LayoutVertical(p, {}).rects.empty());
}

TEST(LayoutHorizontal, SameRulesAcross) {
    std::vector<TestChild> c(3);
    c[0].fixed.cx = 50;
    c[1].naturalWidth = 0;
    c[1].padding = Rect{4, 2, 6, 3};
    c[2].fixed = Size{30, 10};
    FlowParams p = Client(0, 0, 300, 40);
    p.childPadding = 10;
    FlowResult r = LayoutHorizontal(p, Ptrs(c));
    EXPECT_EQ(r.rects[0], (Rect{0, 0, 50, 40}));
    EXPECT_EQ(r.rects[1], (Rect{64, 2, 254, 37}));
    EXPECT_EQ(r.rects[2], (Rect{270, 0, 300, 10}));
    p.align = kAlignCenter; // vertical centre
    EXPECT_EQ(LayoutHorizontal(p, Ptrs(c)).rects[2], (Rect{270, 15, 300, 25}));
    p.align = kAlignEnd;
    EXPECT_EQ(LayoutHorizontal(p, Ptrs(c)).rects[2], (Rect{270, 30, 300, 40}));
}

TEST(LayoutTile, ColumnsAndCells) {
    EXPECT_EQ(TileColumns(300, 0, 0), 1); // no item size: one column, no division by zero
    EXPECT_EQ(TileColumns(300, 100, 0), 3);
    EXPECT_EQ(TileColumns(50, 100, 0), 1);
    EXPECT_EQ(TileColumns(300, 100, 5), 5);

    std::vector<TestChild> c(5);
    for (auto& child : c)
        child.fixed = Size{80, 40};
    TileParams p;
    p.client = Rect{0, 0, 300, 200};
    p.itemSize = Size{100, 50};
    FlowResult r = LayoutTile(p, Ptrs(c));
    EXPECT_EQ(r.rects[0], (Rect{10, 0, 90, 40}));
    EXPECT_EQ(r.rects[2], (Rect{210, 0, 290, 40}));
    EXPECT_EQ(r.rects[3], (Rect{10, 40, 90, 80}));
    EXPECT_EQ(r.required.cy, 80);

    // No item size and no fixed size: one column spanning the width.
    std::vector<TestChild> d(2);
    p.itemSize = Size{0, 0};
    r = LayoutTile(p, Ptrs(d));
    EXPECT_EQ(r.rects[0].Width(), 300);
    EXPECT_EQ(r.rects[1].left, 0);
}

TEST(LayoutTile, ChildPaddingBetweenCells) {
    std::vector<TestChild> c(4);
    TileParams p;
    p.client = Rect{0, 0, 200, 200};
    p.columns = 2;
    p.childPadding = 10;
    p.itemSize = Size{0, 30};
    FlowResult r = LayoutTile(p, Ptrs(c));
    EXPECT_EQ(r.rects[0], (Rect{0, 0, 95, 30}));
    EXPECT_EQ(r.rects[1], (Rect{105, 0, 200, 30}));
    EXPECT_EQ(r.rects[2].top, 40);
}

TEST(ScrollBarGeometry, ThumbTrackAndButtons) {
    // A vertical bar 16 wide, 200 long, both buttons: track 168.
    ScrollBarGeometry g = ComputeScrollBar(Rect{0, 0, 16, 200}, false, true, true, 200, 0);
    EXPECT_EQ(g.button1, (Rect{0, 0, 16, 16}));
    EXPECT_EQ(g.button2, (Rect{0, 184, 16, 200}));
    EXPECT_EQ(g.track, (Rect{0, 16, 16, 184}));
    EXPECT_EQ(g.thumb, (Rect{0, 16, 16, 100})); // 168 * 200 / 400 = 84
    g = ComputeScrollBar(Rect{0, 0, 16, 200}, false, true, true, 200, 200);
    EXPECT_EQ(g.thumb, (Rect{0, 100, 16, 184}));
    EXPECT_EQ(ScrollPosFromThumb(g, false, 200, 100), 200);
    EXPECT_EQ(ScrollPosFromThumb(g, false, 200, 58), 100);
    EXPECT_EQ(ScrollPosFromThumb(g, false, 200, -500), 0);
    EXPECT_EQ(ScrollPosFromThumb(g, false, 200, 5000), 200);
    // A huge range: the thumb keeps the bar's thickness.
    g = ComputeScrollBar(Rect{0, 0, 200, 10}, true, false, false, 1000000, 500000);
    EXPECT_EQ(g.thumb.Width(), 10);
    EXPECT_EQ(g.thumb.left, 95);
}

TEST(ScrollBarGeometry, ThumbThatFillsTheTrack) {
    // Range below 1: the thumb fills the track and dragging it goes nowhere.
    ScrollBarGeometry g = ComputeScrollBar(Rect{0, 0, 16, 100}, false, true, true, 0, 7);
    EXPECT_EQ(g.thumb, g.track);
    EXPECT_EQ(ScrollPosFromThumb(g, false, 0, 50), 0);
    // A bar so short that the minimum thumb fills the track: no division by zero.
    g = ComputeScrollBar(Rect{0, 0, 16, 40}, false, true, true, 500, 250);
    EXPECT_EQ(g.thumb, g.track);
    EXPECT_EQ(ScrollPosFromThumb(g, false, 500, 30), 0);
    // A bar shorter than its buttons, and extreme values.
    g = ComputeScrollBar(Rect{0, 0, 16, 10}, false, true, true, INT_MAX, INT_MAX);
    EXPECT_GE(g.track.Height(), 0);
    EXPECT_GE(g.thumb.Height(), 0);
    g = ComputeScrollBar(Rect{0, 0, 16, 100}, false, false, false, 100, -40);
    EXPECT_EQ(g.thumb.top, 0);
}

// Layout arithmetic of the toolkit's containers, free of Win32 so that it builds and is tested
// natively: the flow of vertical and horizontal layouts (fixed, limited and shared sizes,
// padding, child padding, alignment, scroll offsets), the grid of the tile layout and the
// geometry of a scroll bar (arrow buttons, track, thumb). The controls in ui/UILayout.cpp and
// ui/UIScrollBar.cpp adapt their children to these functions.
#pragma once

#include <vector>

namespace uilayout {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const Rect& o) const { return !(*this == o); }
};

struct Size {
    int cx = 0, cy = 0;
    bool operator==(const Size& o) const { return cx == o.cx && cy == o.cy; }
};

// What a layout asks of one child. Queried live: a child may change its fixed size while it
// estimates (a label that follows its text width).
class ILayoutChild {
public:
    virtual ~ILayoutChild() = default;
    virtual bool IsVisible() const = 0;
    virtual bool IsFloat() const = 0;
    virtual Rect GetPadding() const = 0;
    // 0 means "not fixed".
    virtual Size GetFixedSize() const = 0;
    virtual Size GetMinSize() const = 0;
    virtual Size GetMaxSize() const = 0;
    // The size the child wants inside the available size; 0 in the flow direction means
    // "share the free space".
    virtual Size EstimateSize(Size available) = 0;
};

// Child alignment across the flow: 0 start (left / top), 1 centre, 2 end (right / bottom).
enum FlowAlign { kAlignStart = 0, kAlignCenter = 1, kAlignEnd = 2 };

struct FlowParams {
    Rect client;      // item rectangle minus inset and visible scroll bars
    Size scrollPos;   // positions of the scroll bars (0 for a missing or hidden bar)
    Size scrollRange; // ranges of the visible scroll bars (0 for a missing or hidden bar)
    bool hBarVisible = false;
    bool vBarVisible = false;
    int childPadding = 0;
    int align = kAlignStart; // across the flow
};

struct FlowResult {
    // One entry per child; `placed` is false for invisible and floating children (floating
    // ones are placed by the container's float rules, not by the flow).
    std::vector<Rect> rects;
    std::vector<bool> placed;
    Size required; // space the children need (drives the scroll bars)
};

// Children top to bottom.
FlowResult LayoutVertical(const FlowParams& params, const std::vector<ILayoutChild*>& children);
// Children left to right: the same rules with the axes exchanged.
FlowResult LayoutHorizontal(const FlowParams& params, const std::vector<ILayoutChild*>& children);

struct TileParams {
    Rect client;
    Size scrollPos;
    Size itemSize;   // cell size; cx also gives the column count when columns is 0
    int columns = 0; // fixed column count (0: from the item width)
    int childPadding = 0;
};

// The column count of a tile layout: the fixed count when set, else client width / item
// width, at least 1 (an item width of 0 gives one column rather than a division by zero).
int TileColumns(int clientWidth, int itemWidth, int columns);

// Children row by row in equal cells; each child centred in its cell, neighbouring cells
// half a child padding apart on each side (the full child padding between two children).
FlowResult LayoutTile(const TileParams& params, const std::vector<ILayoutChild*>& children);

// Geometry of a scroll bar. The arrow buttons are as long as the bar is thick; the track is
// what lies between them; the thumb's length follows the share of the content that is seen.
struct ScrollBarGeometry {
    Rect button1, button2; // empty when hidden
    Rect track;
    Rect thumb;
};

ScrollBarGeometry ComputeScrollBar(const Rect& bar, bool horizontal, bool showButton1,
                                   bool showButton2, int range, int pos);
// The position that puts the thumb's leading edge at `thumbStart` (a coordinate along the
// bar), limited to 0..range. A thumb that fills the track has nowhere to move: position 0.
int ScrollPosFromThumb(const ScrollBarGeometry& geometry, bool horizontal, int range,
                       int thumbStart);

} // namespace uilayout

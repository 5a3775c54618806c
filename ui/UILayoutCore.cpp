#include "ui/UILayoutCore.h"

#include <algorithm>
#include <cstdint>

namespace uilayout {

namespace {

int Clamp(int v, int lo, int hi) {
    return std::max(lo, std::min(v, std::max(lo, hi)));
}

Rect Transpose(const Rect& r) {
    return Rect{r.top, r.left, r.bottom, r.right};
}
Size Transpose(const Size& s) {
    return Size{s.cy, s.cx};
}

// A child seen with x and y exchanged, so that the horizontal flow runs through the
// vertical algorithm.
class TransposedChild : public ILayoutChild {
public:
    explicit TransposedChild(ILayoutChild* child) : m_child(child) {}
    bool IsVisible() const override { return m_child->IsVisible(); }
    bool IsFloat() const override { return m_child->IsFloat(); }
    Rect GetPadding() const override { return Transpose(m_child->GetPadding()); }
    Size GetFixedSize() const override { return Transpose(m_child->GetFixedSize()); }
    Size GetMinSize() const override { return Transpose(m_child->GetMinSize()); }
    Size GetMaxSize() const override { return Transpose(m_child->GetMaxSize()); }
    Size EstimateSize(Size available) override {
        return Transpose(m_child->EstimateSize(Transpose(available)));
    }

private:
    ILayoutChild* m_child;
};

bool InFlow(const ILayoutChild* child) {
    return child->IsVisible() && !child->IsFloat();
}

} // namespace

FlowResult LayoutVertical(const FlowParams& params, const std::vector<ILayoutChild*>& children) {
    FlowResult result;
    result.rects.assign(children.size(), Rect{});
    result.placed.assign(children.size(), false);
    const Rect& R = params.client;
    if (children.empty())
        return result;

    // Available size: the client area extended by the range of a visible scroll bar.
    Size A{R.Width() + (params.hBarVisible ? params.scrollRange.cx : 0),
           R.Height() + (params.vBarVisible ? params.scrollRange.cy : 0)};
    auto widthArg = [](ILayoutChild* c) {
        const int fixed = c->GetFixedSize().cx;
        return fixed < 1 ? c->GetMaxSize().cx : fixed;
    };
    auto heightArg = [](ILayoutChild* c) {
        const int fixed = c->GetFixedSize().cy;
        return fixed < 1 ? c->GetMaxSize().cy : fixed;
    };

    // Measuring pass: the fixed heights and how many children share the rest.
    int fixedTotal = 0, adjustable = 0, counted = 0;
    for (ILayoutChild* c : children) {
        if (!InFlow(c))
            continue;
        const Rect pad = c->GetPadding();
        Size sz = c->EstimateSize(
            Size{std::min(widthArg(c), A.cx - pad.left - pad.right), std::min(heightArg(c), A.cy)});
        if (sz.cy == 0)
            ++adjustable;
        else
            sz.cy = Clamp(sz.cy, c->GetMinSize().cy, c->GetMaxSize().cy);
        fixedTotal += sz.cy + pad.top + pad.bottom;
        const int width = Clamp(std::max(sz.cx, 0), c->GetMinSize().cx, c->GetMaxSize().cx) +
                          pad.left + pad.right;
        result.required.cx = std::max(result.required.cx, width);
        ++counted;
    }
    // Gaps lie only between counted children: none at all when no child counts.
    if (counted > 1)
        fixedTotal += params.childPadding * (counted - 1);
    const int expand = adjustable > 0 ? std::max(0, (A.cy - fixedTotal) / adjustable) : 0;

    // Placing pass.
    int y = R.top - params.scrollPos.cy;
    int remaining = A.cy;
    int fixedRemainder = fixedTotal;
    int adjustableSeen = 0;
    bool first = true;
    for (size_t i = 0; i < children.size(); ++i) {
        ILayoutChild* c = children[i];
        if (!InFlow(c))
            continue;
        const Rect pad = c->GetPadding();
        const Size minSize = c->GetMinSize();
        remaining -= pad.top;
        const int wArg = std::min(widthArg(c), A.cx - pad.left - pad.right);
        const int hArg = std::min(heightArg(c), remaining);
        fixedRemainder -= pad.top + pad.bottom;
        if (!first)
            fixedRemainder -= params.childPadding;
        Size sz = c->EstimateSize(Size{wArg, hArg});
        const Size maxSize = c->GetMaxSize();
        if (sz.cy != 0) {
            sz.cy = Clamp(sz.cy, minSize.cy, maxSize.cy);
            fixedRemainder -= sz.cy;
        } else {
            ++adjustableSeen;
            sz.cy = expand;
            // The last sharing child absorbs the rounding of the integer division.
            if (adjustableSeen == adjustable)
                sz.cy = std::max(0, remaining - pad.bottom - fixedRemainder);
            sz.cy = Clamp(sz.cy, minSize.cy, maxSize.cy);
        }
        const int widthLimit =
            std::max(0, maxSize.cx == 0 ? A.cx - pad.left - pad.right : maxSize.cx);
        const int width = std::max(std::min(wArg, widthLimit), minSize.cx);

        int x = 0;
        if (params.align == kAlignCenter) {
            x = (R.left + R.right) / 2 - width / 2;
            if (params.hBarVisible)
                x += params.scrollRange.cx / 2 - params.scrollPos.cx;
        } else if (params.align == kAlignEnd) {
            int right = R.right - pad.right;
            if (params.hBarVisible)
                right += params.scrollRange.cx - params.scrollPos.cx;
            x = right - width;
        } else {
            x = R.left - params.scrollPos.cx + pad.left;
        }
        const int top = y + pad.top;
        result.rects[i] = Rect{x, top, x + width, top + sz.cy};
        result.placed[i] = true;

        y += sz.cy + params.childPadding + pad.top + pad.bottom;
        result.required.cy += sz.cy + pad.top + pad.bottom;
        remaining -= sz.cy + pad.bottom + params.childPadding;
        first = false;
    }
    if (counted > 1)
        result.required.cy += params.childPadding * (counted - 1);
    return result;
}

FlowResult LayoutHorizontal(const FlowParams& params, const std::vector<ILayoutChild*>& children) {
    std::vector<TransposedChild> wrapped;
    wrapped.reserve(children.size());
    for (ILayoutChild* c : children)
        wrapped.emplace_back(c);
    std::vector<ILayoutChild*> pointers;
    pointers.reserve(wrapped.size());
    for (TransposedChild& c : wrapped)
        pointers.push_back(&c);

    FlowParams t = params;
    t.client = Transpose(params.client);
    t.scrollPos = Transpose(params.scrollPos);
    t.scrollRange = Transpose(params.scrollRange);
    t.hBarVisible = params.vBarVisible;
    t.vBarVisible = params.hBarVisible;
    FlowResult result = LayoutVertical(t, pointers);
    for (Rect& r : result.rects)
        r = Transpose(r);
    result.required = Transpose(result.required);
    return result;
}

int TileColumns(int clientWidth, int itemWidth, int columns) {
    if (columns > 0)
        return columns;
    if (itemWidth <= 0)
        return 1;
    return std::max(1, clientWidth / itemWidth);
}

FlowResult LayoutTile(const TileParams& params, const std::vector<ILayoutChild*>& children) {
    FlowResult result;
    result.rects.assign(children.size(), Rect{});
    result.placed.assign(children.size(), false);
    const Rect& R = params.client;
    const int columns = TileColumns(R.Width(), params.itemSize.cx, params.columns);
    const int cellWidth = std::max(0, R.Width() / columns);
    const int half = std::max(0, params.childPadding) / 2;

    std::vector<size_t> flow;
    for (size_t i = 0; i < children.size(); ++i)
        if (InFlow(children[i]))
            flow.push_back(i);

    // The size of one child inside a cell of the given width.
    auto childSize = [&](ILayoutChild* c, int innerWidth) {
        const Rect pad = c->GetPadding();
        const Size fixed = c->GetFixedSize();
        const Size minSize = c->GetMinSize(), maxSize = c->GetMaxSize();
        int width =
            fixed.cx > 0 ? fixed.cx : (params.itemSize.cx > 0 ? params.itemSize.cx : innerWidth);
        width = std::min(width, innerWidth - pad.left - pad.right);
        width = Clamp(width, minSize.cx, maxSize.cx);
        Size est = c->EstimateSize(Size{width, fixed.cy > 0 ? fixed.cy : maxSize.cy});
        int height = est.cy > 0 ? est.cy : (params.itemSize.cy > 0 ? params.itemSize.cy : width);
        height = Clamp(height, minSize.cy, maxSize.cy);
        return Size{std::max(0, width), std::max(0, height)};
    };

    int rowTop = R.top - params.scrollPos.cy;
    int totalHeight = 0;
    for (size_t start = 0; start < flow.size(); start += size_t(columns)) {
        const size_t end = std::min(flow.size(), start + size_t(columns));
        const bool firstRow = start == 0, lastRow = end == flow.size();
        const int gapTop = firstRow ? 0 : half, gapBottom = lastRow ? 0 : half;
        // The row is as high as its highest child plus that child's vertical padding.
        int rowHeight = 0;
        std::vector<Size> sizes;
        for (size_t k = start; k < end; ++k) {
            const int col = int(k - start);
            const int inner = cellWidth - (col > 0 ? half : 0) - (col < columns - 1 ? half : 0);
            ILayoutChild* c = children[flow[k]];
            Size sz = childSize(c, std::max(0, inner));
            sizes.push_back(sz);
            const Rect pad = c->GetPadding();
            rowHeight = std::max(rowHeight, sz.cy + pad.top + pad.bottom);
        }
        for (size_t k = start; k < end; ++k) {
            const int col = int(k - start);
            ILayoutChild* c = children[flow[k]];
            const Rect pad = c->GetPadding();
            Rect cell{R.left + col * cellWidth + (col > 0 ? half : 0), rowTop + gapTop,
                      R.left + (col + 1) * cellWidth - (col < columns - 1 ? half : 0),
                      rowTop + gapTop + rowHeight};
            cell.left -= params.scrollPos.cx;
            cell.right -= params.scrollPos.cx;
            const Size sz = sizes[k - start];
            const int x = cell.left + pad.left + (cell.Width() - pad.left - pad.right - sz.cx) / 2;
            const int y = cell.top + pad.top + (cell.Height() - pad.top - pad.bottom - sz.cy) / 2;
            result.rects[flow[k]] = Rect{x, y, x + sz.cx, y + sz.cy};
            result.placed[flow[k]] = true;
        }
        const int step = gapTop + rowHeight + gapBottom;
        rowTop += step;
        totalHeight += step;
    }
    result.required = Size{R.Width(), totalHeight};
    return result;
}

ScrollBarGeometry ComputeScrollBar(const Rect& bar, bool horizontal, bool showButton1,
                                   bool showButton2, int range, int pos) {
    ScrollBarGeometry g;
    // Work along the bar: "along" is x for a horizontal bar, y for a vertical one.
    const int start = horizontal ? bar.left : bar.top;
    const int end = horizontal ? bar.right : bar.bottom;
    const int length = std::max(0, end - start);
    const int thickness = std::max(0, horizontal ? bar.Height() : bar.Width());
    auto span = [&](int a, int b) {
        return horizontal ? Rect{a, bar.top, b, bar.bottom} : Rect{bar.left, a, bar.right, b};
    };
    // Buttons never take more than the whole bar (half each when both are shown).
    const int buttons = (showButton1 ? 1 : 0) + (showButton2 ? 1 : 0);
    const int buttonLength = buttons == 0 ? 0 : std::min(thickness, length / buttons);
    int trackStart = start, trackEnd = start + length;
    if (showButton1) {
        g.button1 = span(start, start + buttonLength);
        trackStart += buttonLength;
    }
    if (showButton2) {
        g.button2 = span(trackEnd - buttonLength, trackEnd);
        trackEnd -= buttonLength;
    }
    g.track = span(trackStart, trackEnd);
    const int trackLength = std::max(0, trackEnd - trackStart);
    if (range < 1) {
        g.thumb = g.track;
        return g;
    }
    pos = std::max(0, std::min(pos, range));
    int64_t thumb = int64_t(trackLength) * length / (int64_t(range) + length);
    thumb = std::max<int64_t>(thumb, thickness);
    thumb = std::min<int64_t>(thumb, trackLength);
    const int64_t free = trackLength - thumb;
    const int offset = int(free * pos / range);
    g.thumb = span(trackStart + offset, trackStart + offset + int(thumb));
    return g;
}

int ScrollPosFromThumb(const ScrollBarGeometry& g, bool horizontal, int range, int thumbStart) {
    if (range < 1)
        return 0;
    const int trackStart = horizontal ? g.track.left : g.track.top;
    const int trackLength = horizontal ? g.track.Width() : g.track.Height();
    const int thumbLength = horizontal ? g.thumb.Width() : g.thumb.Height();
    const int64_t free = int64_t(trackLength) - thumbLength;
    if (free <= 0)
        return 0;
    const int64_t offset = std::max<int64_t>(0, std::min<int64_t>(thumbStart - trackStart, free));
    return int((offset * range + free / 2) / free);
}

} // namespace uilayout

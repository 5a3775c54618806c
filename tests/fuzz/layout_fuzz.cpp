// The container layout arithmetic on arbitrary children and containers: sizes, limits and
// padding as a skin can give them (within the skin parsers' range), any scroll state. No
// child may get a negative size, and nothing may overflow (UBSan) or fail.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ui/UILayoutCore.h"

using namespace uilayout;

namespace {

// Reads the input as a stream of small numbers.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool More() const { return m_pos < m_size; }
    int Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    // A coordinate in the skin parsers' range, -32767..32767, mostly small.
    int Coord() {
        const int kind = Byte() % 4;
        const int v = (Byte() << 8) | Byte();
        if (kind == 0)
            return v % 200;
        if (kind == 1)
            return -(v % 200);
        return (v % 65535) - 32767;
    }
    int Size() { return std::abs(Coord()); }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

struct FuzzChild : ILayoutChild {
    bool visible = true, floating = false;
    Rect padding;
    Size fixed, minSize, maxSize{9999, 9999};
    Size natural;
    bool IsVisible() const override { return visible; }
    bool IsFloat() const override { return floating; }
    Rect GetPadding() const override { return padding; }
    Size GetFixedSize() const override { return fixed; }
    Size GetMinSize() const override { return minSize; }
    Size GetMaxSize() const override { return maxSize; }
    Size EstimateSize(Size) override {
        return Size{fixed.cx ? fixed.cx : natural.cx, fixed.cy ? fixed.cy : natural.cy};
    }
};

void Check(bool ok) {
    if (!ok)
        __builtin_trap();
}

void CheckResult(const FlowResult& r, size_t count) {
    Check(r.rects.size() == count && r.placed.size() == count);
    for (size_t i = 0; i < count; ++i)
        if (r.placed[i])
            Check(r.rects[i].Width() >= 0 && r.rects[i].Height() >= 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);
    FlowParams params;
    params.client.left = in.Coord();
    params.client.top = in.Coord();
    params.client.right = params.client.left + in.Size();
    params.client.bottom = params.client.top + in.Size();
    params.hBarVisible = in.Byte() & 1;
    params.vBarVisible = in.Byte() & 1;
    params.scrollRange = {in.Size(), in.Size()};
    params.scrollPos = {in.Byte() % (params.scrollRange.cx + 1),
                        in.Byte() % (params.scrollRange.cy + 1)};
    params.childPadding = in.Coord();
    params.align = in.Byte() % 3;

    std::vector<FuzzChild> children;
    while (in.More() && children.size() < 64) {
        FuzzChild c;
        const int flags = in.Byte();
        c.visible = (flags & 1) == 0;
        c.floating = (flags & 2) != 0;
        c.padding = Rect{in.Coord(), in.Coord(), in.Coord(), in.Coord()};
        c.fixed = Size{(flags & 4) ? in.Size() : 0, (flags & 8) ? in.Size() : 0};
        if (flags & 16)
            c.minSize = Size{in.Size(), in.Size()};
        if (flags & 32)
            c.maxSize = Size{in.Size(), in.Size()};
        c.natural = Size{(flags & 64) ? in.Size() : 0, (flags & 128) ? in.Size() : 0};
        children.push_back(c);
    }
    std::vector<ILayoutChild*> pointers;
    for (FuzzChild& c : children)
        pointers.push_back(&c);

    CheckResult(LayoutVertical(params, pointers), pointers.size());
    CheckResult(LayoutHorizontal(params, pointers), pointers.size());

    TileParams tile;
    tile.client = params.client;
    tile.scrollPos = params.scrollPos;
    tile.itemSize = {in.Size(), in.Size()};
    tile.columns = in.Byte() % 8;
    tile.childPadding = in.Coord();
    Check(TileColumns(tile.client.Width(), tile.itemSize.cx, tile.columns) >= 1);
    CheckResult(LayoutTile(tile, pointers), pointers.size());

    const int range = (in.Byte() % 2) ? in.Size() : (in.Coord() * 65536);
    const ScrollBarGeometry g = ComputeScrollBar(params.client, in.Byte() & 1, in.Byte() & 1,
                                                 in.Byte() & 1, range, in.Coord() * 1000);
    Check(g.thumb.Width() >= 0 && g.thumb.Height() >= 0);
    Check(g.track.Width() >= 0 && g.track.Height() >= 0);
    const int pos = ScrollPosFromThumb(g, in.Byte() & 1, range, in.Coord());
    Check(pos >= 0 && (range < 1 || pos <= range));
    return 0;
}

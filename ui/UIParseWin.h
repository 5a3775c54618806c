// The skin value parsers with results in the Win32 types the drawing code takes.
#pragma once

#include "ui/UIParse.h"

#include <windows.h>

#include <string>
#include <utility>

namespace uiparse {

// The parsed values as the Win32 drawing code takes them.
inline RECT ParseRect(const std::string& value, int lo = -kMaxCoord, int hi = kMaxCoord) {
    const RectValues r = ParseRectValues(value, lo, hi);
    return RECT{r.left, r.top, r.right, r.bottom};
}
inline SIZE ParseSize(const std::string& value, int lo = -kMaxCoord, int hi = kMaxCoord) {
    const SizeValues s = ParseSizeValues(value, lo, hi);
    return SIZE{s.cx, s.cy};
}

// A text style with the horizontal alignment an "align" value names ("left", "center",
// "right"; of several, the last in that order wins); other words leave it as it was.
inline UINT WithHorizontalAlign(UINT style, const std::string& value) {
    const std::pair<const char*, UINT> kinds[] = {
        {"left", DT_LEFT}, {"center", DT_CENTER}, {"right", DT_RIGHT}};
    for (const auto& [word, flag] : kinds)
        if (value.find(word) != std::string::npos)
            style = (style & ~UINT(DT_LEFT | DT_CENTER | DT_RIGHT)) | flag;
    return style;
}

} // namespace uiparse

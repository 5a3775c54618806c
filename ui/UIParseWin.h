// The skin value parsers with results in the Win32 types the drawing code takes.
#pragma once

#include "ui/UIParse.h"

#include <windows.h>

#include <string>

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

} // namespace uiparse

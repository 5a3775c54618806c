// The skin's attribute values and the inline markup of text labels on arbitrary text. Numbers
// stay within their ranges, every character of the text outside recognised tags comes back in
// the runs in order, links are counted, and nothing may overflow (UBSan) or fail.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/UIInlineMarkup.h"
#include "ui/UIParse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const int lo = size > 0 ? -(data[0] * 100) : 0;
    const int hi = size > 1 ? data[1] * 100 : 0;
    const int n = uiparse::ParseInt(text, lo, hi);
    if (n < lo || n > hi)
        std::abort();
    const uiparse::RectValues r = uiparse::ParseRectValues(text);
    for (int v : {r.left, r.top, r.right, r.bottom})
        if (v < -uiparse::kMaxCoord || v > uiparse::kMaxCoord)
            std::abort();
    const uiparse::SizeValues s = uiparse::ParseSizeValues(text, 0, 100);
    if (s.cx < 0 || s.cx > 100 || s.cy < 0 || s.cy > 100)
        std::abort();
    (void)uiparse::ParseColor(text);
    if (!uiparse::EqualsNoCase(text, text))
        std::abort();

    std::vector<std::string> links;
    const std::vector<InlineRun> runs = ParseInlineMarkup(text, 0xFF000000u, -1, links);
    size_t characters = 0;
    for (const InlineRun& run : runs) {
        characters += run.text.size();
        if (run.link >= static_cast<int>(links.size()))
            std::abort();
        if (run.paragraphGap < 0 || run.skipX < 0 || run.lineHeight < 0)
            std::abort();
    }
    if (characters > text.size()) // runs only ever hold characters of the text
        std::abort();
    return 0;
}

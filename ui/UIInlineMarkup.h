// The inline markup of text labels: {b}bold{/b}, {i}, {u}, {s} (selected), {c #AARRGGBB},
// {f n} (font), {a target} (link), {n} (line break), {p gap} (paragraph), {x n}, {y n},
// {r}raw text{/r}; <tag> works as {tag}. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One run of text of the inline markup, in one style.
struct InlineRun {
    std::string text;
    int font = -1;
    bool bold = false, italic = false, underline = false, selected = false;
    uint32_t color = 0;
    int link = -1; // index of the link this run belongs to
    bool lineBreak = false;
    int paragraphGap = 0;
    int skipX = 0;
    int lineHeight = 0;
};

// Reads the markup into runs in text order. Tags not in the list above are kept as text.
// links receives the target of each {a} tag; a run's link is its index there.
std::vector<InlineRun> ParseInlineMarkup(const std::string& text, uint32_t baseColor, int baseFont,
                                         std::vector<std::string>& links);

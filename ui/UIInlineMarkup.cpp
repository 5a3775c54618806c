#include "ui/UIInlineMarkup.h"

#include "ui/UIParse.h"

#include <algorithm>
#include <iterator>

std::vector<InlineRun> ParseInlineMarkup(const std::string& text, uint32_t baseColor, int baseFont,
                                         std::vector<std::string>& links) {
    std::vector<InlineRun> runs;
    InlineRun cur;
    cur.color = baseColor;
    cur.font = baseFont;
    // Open style tags with the style before each. Nesting is bounded: tags opened beyond
    // kMaxHtmlNesting are ignored (and so are their closes); a close tag without an open
    // tag of its name is ignored; a close tag ends the tags opened after its own as well.
    constexpr size_t kMaxHtmlNesting = 64;
    std::vector<std::pair<std::string, InlineRun>> stack;
    size_t ignoredDepth = 0; // tags opened beyond the bound, still open
    auto flush = [&]() {
        if (!cur.text.empty()) {
            runs.push_back(cur);
            cur.text.clear();
        }
    };
    size_t i = 0;
    bool raw = false;
    while (i < text.size()) {
        char ch = text[i];
        if ((ch == '{' || ch == '<') && i + 1 < text.size()) {
            char close = ch == '{' ? '}' : '>';
            size_t end = text.find(close, i + 1);
            if (end == std::string::npos) {
                cur.text += ch;
                ++i;
                continue;
            }
            std::string tag = text.substr(i + 1, end - i - 1);
            if (raw && tag != "/r") {
                cur.text += ch;
                ++i;
                continue;
            }
            bool closing = !tag.empty() && tag[0] == '/';
            if (closing)
                tag.erase(0, 1);
            std::string name = tag.substr(0, tag.find(' '));
            std::string arg =
                tag.find(' ') == std::string::npos ? "" : tag.substr(tag.find(' ') + 1);
            static const char* kKnown[] = {"b", "i", "u", "s", "c", "f",
                                           "a", "n", "p", "r", "x", "y"};
            bool known = false;
            for (const char* k : kKnown)
                known = known || name == k;
            if (!known) {
                cur.text += ch;
                ++i;
                continue;
            }
            flush();
            i = end + 1;
            if (closing) {
                if (name == "r") {
                    raw = false;
                } else if (ignoredDepth > 0) {
                    --ignoredDepth;
                } else {
                    auto open = std::find_if(stack.rbegin(), stack.rend(), [&](const auto& entry) {
                        return entry.first == name;
                    });
                    if (open != stack.rend()) {
                        const InlineRun restore = open->second;
                        stack.erase(std::next(open).base(), stack.end());
                        cur.font = restore.font;
                        cur.bold = restore.bold;
                        cur.italic = restore.italic;
                        cur.underline = restore.underline;
                        cur.selected = restore.selected;
                        cur.color = restore.color;
                        cur.link = restore.link;
                    }
                }
                continue;
            }
            if (name == "n" || name == "p") {
                InlineRun br;
                br.lineBreak = true;
                br.paragraphGap = name == "p" ? uiparse::ParseInt(arg, 0, 1000) : 0;
                runs.push_back(br);
                continue;
            }
            if (name == "x" || name == "y") {
                InlineRun skip;
                if (name == "x")
                    skip.skipX = uiparse::ParseInt(arg, 0, 10000);
                else
                    skip.lineHeight = uiparse::ParseInt(arg, 0, 10000);
                runs.push_back(skip);
                continue;
            }
            if (name == "r") {
                raw = true;
                continue;
            }
            if (stack.size() >= kMaxHtmlNesting) {
                ++ignoredDepth;
                continue;
            }
            stack.emplace_back(name, cur);
            if (name == "b")
                cur.bold = true;
            else if (name == "i")
                cur.italic = true;
            else if (name == "u")
                cur.underline = true;
            else if (name == "s")
                cur.selected = true;
            else if (name == "c")
                cur.color = uiparse::ParseColor(arg);
            else if (name == "f")
                cur.font = uiparse::ParseInt(arg, -1, 100000);
            else if (name == "a") {
                cur.link = int(links.size());
                links.push_back(arg);
            }
            continue;
        }
        cur.text += ch;
        ++i;
    }
    flush();
    return runs;
}


// The skin's attribute values and the inline markup of text labels, natively and under Wine.
#include "ui/UIInlineMarkup.h"
#include "ui/UIParse.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace uiparse;

TEST(AttributeValues, NumbersAreLenientAndClamped) {
    EXPECT_EQ(ParseInt("12"), 12);
    EXPECT_EQ(ParseInt("  -7px"), -7);
    EXPECT_EQ(ParseInt("x"), 0);
    EXPECT_EQ(ParseInt("99999999999999999999"), kMaxCoord);
    EXPECT_EQ(ParseInt("-99999999999999999999"), -kMaxCoord);
    EXPECT_EQ(ParseInt("5", 10, 20), 10);
    EXPECT_TRUE(ParseBool("TRUE"));
    EXPECT_FALSE(ParseBool("yes"));

    const RectValues r = ParseRectValues("1, 2 ,3,4,5");
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 3);
    EXPECT_EQ(r.bottom, 4);
    const RectValues partial = ParseRectValues("8,x,9");
    EXPECT_EQ(partial.left, 8);
    EXPECT_EQ(partial.top, 0); // the list ends at the first unusable element
    EXPECT_EQ(partial.right, 0);
    const SizeValues s = ParseSizeValues("70000,-3", 0, 1000);
    EXPECT_EQ(s.cx, 1000);
    EXPECT_EQ(s.cy, 0);
}

TEST(AttributeValues, ColoursAreThirtyTwoBitsOnEveryPlatform) {
    EXPECT_EQ(ParseColor("#FF102030"), 0xFF102030u);
    EXPECT_EQ(ParseColor("  #ff0000"), 0x00FF0000u);
    EXPECT_EQ(ParseColor("0xFFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseColor("#123456789A"), 0xFFFFFFFFu); // beyond 32 bits: all ones
    EXPECT_EQ(ParseColor("zz"), 0u);
    EXPECT_TRUE(EqualsNoCase("VerticalLayout", "verticallayout"));
    EXPECT_FALSE(EqualsNoCase("Edit", "Edits"));
    EXPECT_EQ(ReplaceAll("a<n>b<n>", "<n>", "\n"), "a\nb\n");
    EXPECT_EQ(ReplaceAll("aaa", "", "b"), "aaa");
}

std::string Texts(const std::vector<InlineRun>& runs) {
    std::string all;
    for (const InlineRun& run : runs)
        all += run.lineBreak ? std::string("|") : run.text;
    return all;
}

TEST(InlineMarkup, StylesOpenAndCloseInRuns) {
    std::vector<std::string> links;
    const auto runs = ParseInlineMarkup("a{b}bold {i}both{/i}{/b} <u>u</u>{c #FF00FF00}g{/c}{n}z",
                                        0xFF000000, 3, links);
    ASSERT_EQ(Texts(runs), "abold both ug|z");
    EXPECT_FALSE(runs[0].bold);
    EXPECT_EQ(runs[0].font, 3);
    EXPECT_TRUE(runs[1].bold && !runs[1].italic);
    EXPECT_TRUE(runs[2].bold && runs[2].italic);
    EXPECT_TRUE(!runs[3].bold && !runs[3].underline); // " " after both closes
    EXPECT_TRUE(runs[4].underline);
    EXPECT_EQ(runs[5].color, 0xFF00FF00u);
    EXPECT_EQ(runs.back().color, 0xFF000000u);
}

TEST(InlineMarkup, LinksRawTextAndUnknownTags) {
    std::vector<std::string> links;
    const auto runs =
        ParseInlineMarkup("{a http://x}go{/a} {r}{b}raw{/r} {q}kept{/q} {b", 0, -1, links);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0], "http://x");
    EXPECT_EQ(runs[0].text, "go");
    EXPECT_EQ(runs[0].link, 0);
    EXPECT_EQ(Texts(runs), "go {b}raw {q}kept{/q} {b");
    for (const InlineRun& run : runs)
        EXPECT_FALSE(run.bold);
}

TEST(InlineMarkup, BadNestingIsBounded) {
    std::vector<std::string> links;
    // A close without its open changes nothing; a close ends the tags opened after its own.
    auto runs = ParseInlineMarkup("{/b}x{b}{i}y{/b}z", 0, -1, links);
    ASSERT_EQ(Texts(runs), "xyz");
    EXPECT_FALSE(runs[0].bold);
    EXPECT_TRUE(runs[1].bold && runs[1].italic);
    EXPECT_FALSE(runs[2].bold || runs[2].italic);
    // Tags beyond the nesting bound are ignored, and so are their closes.
    std::string deep;
    for (int i = 0; i < 1000; ++i)
        deep += "{u}";
    deep += "x";
    for (int i = 0; i < 1000; ++i)
        deep += "{/u}";
    deep += "y";
    runs = ParseInlineMarkup(deep, 0, -1, links);
    ASSERT_EQ(Texts(runs), "xy");
    EXPECT_TRUE(runs[0].underline);
    EXPECT_FALSE(runs[1].underline);
}

} // namespace

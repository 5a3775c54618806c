// The tab strip's steps: which tabs show as the strip is scrolled.
#include "pages/tab_strip.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TabPlaces Strip(std::vector<int> widths, std::vector<bool> enabled) {
    TabPlaces places;
    for (int i = 0; i < kTabCount; ++i) {
        places[i].exists = true;
        places[i].width = widths[i];
        places[i].enabled = enabled[i];
        places[i].visible = enabled[i];
    }
    return places;
}

std::vector<int> Visible(const TabPlaces& places) {
    std::vector<int> shown;
    for (int i = 0; i < kTabCount; ++i)
        if (places[i].visible)
            shown.push_back(i);
    return shown;
}

TEST(TabStrip, LayOutShowsEnabledTabsAndPicksTheFirst) {
    TabPlaces places = Strip(std::vector<int>(12, 80), std::vector<bool>(12, true));
    places[0].enabled = false;
    places[1].exists = false;
    places[5].enabled = false;
    EXPECT_EQ(LayOutTabStrip(places), 2);
    EXPECT_FALSE(places[0].visible);
    EXPECT_FALSE(places[5].visible);
    EXPECT_TRUE(places[2].visible);

    TabPlaces none = Strip(std::vector<int>(12, 80), std::vector<bool>(12, false));
    EXPECT_EQ(LayOutTabStrip(none), -1);
}

TEST(TabStrip, StepsRightHideFromTheLeftUntilTheNextTabFits) {
    // Twelve tabs of 100 in a strip of 450: four fit, the fifth is cut.
    TabPlaces places = Strip(std::vector<int>(12, 100), std::vector<bool>(12, true));
    StepTabStripRight(places, 450);
    // Visible 0..4 reach 450 at tab 4; from tab 5 leftwards 5,4,3,2 fit (400), tab 1 does not.
    EXPECT_EQ(Visible(places), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    // Visible 2..6 reach 450 at tab 6; from tab 7 leftwards 7,6,5,4 fit, tab 3 does not.
    StepTabStripRight(places, 450);
    EXPECT_EQ(Visible(places), (std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11}));
    // A step left shows one more on the left.
    StepTabStripLeft(places);
    EXPECT_EQ(Visible(places), (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10, 11}));
    for (int i = 0; i < 3; ++i)
        StepTabStripLeft(places);
    EXPECT_EQ(Visible(places).front(), 0);
    // Already at the left end: nothing changes.
    TabPlaces before = places;
    StepTabStripLeft(places);
    EXPECT_EQ(Visible(places), Visible(before));
}

TEST(TabStrip, AStripThatFitsNeverHides) {
    TabPlaces places = Strip(std::vector<int>(12, 50), std::vector<bool>(12, true));
    for (int i = 0; i < 5; ++i)
        StepTabStripRight(places, 600);
    EXPECT_EQ(Visible(places).size(), 12u);
}

TEST(TabStrip, DisabledAndMissingTabsAreSkipped) {
    std::vector<bool> enabled(12, true);
    enabled[1] = enabled[2] = false;
    TabPlaces places = Strip(std::vector<int>(12, 100), enabled);
    places[3].exists = false;
    places[3].visible = false;
    StepTabStripRight(places, 350);
    // Disabled tabs stay hidden, the missing one is never touched.
    EXPECT_FALSE(places[1].visible);
    EXPECT_FALSE(places[2].visible);
    EXPECT_FALSE(places[3].visible);
    EXPECT_FALSE(places[0].visible);
    StepTabStripLeft(places);
    StepTabStripLeft(places);
    StepTabStripLeft(places);
    EXPECT_TRUE(places[0].visible);
    EXPECT_FALSE(places[1].visible);
}

} // namespace

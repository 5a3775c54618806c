// The keyboard's focus order: reading order by default, "tabindex" first, wrapping both ways.
#include "ui/UIFocusOrder.h"

#include <gtest/gtest.h>

#include <string>

TEST(FocusOrder, ReadingOrderUnlessATabIndexAsksOtherwise) {
    EXPECT_EQ(FocusOrder({0, 0, 0}), (std::vector<size_t>{0, 1, 2}));
    // Positive indexes first, by index, ties in tree order; the rest after, in tree order.
    EXPECT_EQ(FocusOrder({0, 2, 0, 1, 2}), (std::vector<size_t>{3, 1, 4, 0, 2}));
    EXPECT_TRUE(FocusOrder({}).empty());
}

TEST(FocusOrder, TabAndShiftTabWrapAroundWithoutADeadEnd) {
    const std::vector<int> indexes = {0, 0, 0, 0};
    const size_t none = std::string::npos;
    // A full cycle forward visits every control once and comes back.
    size_t at = none;
    std::vector<size_t> visited;
    for (int i = 0; i < 5; ++i)
        visited.push_back(at = NextInFocusOrder(indexes, at, true));
    EXPECT_EQ(visited, (std::vector<size_t>{0, 1, 2, 3, 0}));
    EXPECT_EQ(NextInFocusOrder(indexes, none, false), 3u);
    EXPECT_EQ(NextInFocusOrder(indexes, 0, false), 3u);
    EXPECT_EQ(NextInFocusOrder({0, 5, 1}, 1, true), 0u);
    EXPECT_EQ(NextInFocusOrder({}, none, true), none);
    // A focus that is no longer a stop (hidden) starts over at the first.
    EXPECT_EQ(NextInFocusOrder(indexes, 9, true), 0u);
}

TEST(FocusOrder, TheAltLetterIsMarkedForItsUnderline) {
    EXPECT_EQ(MnemonicText("Open port", 'O'), "&Open port");
    EXPECT_EQ(MnemonicText("Read device", 'R'), "&Read device");
    EXPECT_EQ(MnemonicText("Leave setting", 'Q'), "Leave setting(&Q)");
    // The first occurrence, in any case; a plain ampersand stays one on the screen.
    EXPECT_EQ(MnemonicText("Undo last write", 'W'), "Undo last &write");
    EXPECT_EQ(MnemonicText("Save & load", 'L'), "Save && &load");
    // A text in another script takes the letter after itself.
    EXPECT_EQ(MnemonicText("\xe6\x89\x93\xe5\xbc\x80", 'O'), "\xe6\x89\x93\xe5\xbc\x80(&O)");
}

// What a screen reader is told each control is: the role from the class, the skin's "accrole"
// over it, and the layouts that stand aside for their children.
#include "ui/UIAccessibleRole.h"

#include <gtest/gtest.h>

TEST(AccessibleRole, EachControlFamilyHasItsRole) {
    EXPECT_EQ(RoleOfControl("ButtonUI", "", false, true), AccRole::PushButton);
    EXPECT_EQ(RoleOfControl("CheckBoxUI", "", false, false), AccRole::CheckBox);
    // An option is a radio button in a group, a check box alone.
    EXPECT_EQ(RoleOfControl("OptionUI", "", true, true), AccRole::RadioButton);
    EXPECT_EQ(RoleOfControl("OptionUI", "", false, true), AccRole::CheckBox);
    EXPECT_EQ(RoleOfControl("ComboUI", "", false, false), AccRole::ComboBox);
    EXPECT_EQ(RoleOfControl("EditUI", "", false, false), AccRole::EditableText);
    EXPECT_EQ(RoleOfControl("RichEdit", "", false, false), AccRole::EditableText);
    EXPECT_EQ(RoleOfControl("LabelUI", "", false, true), AccRole::StaticText);
    EXPECT_EQ(RoleOfControl("ListUI", "", false, false), AccRole::List);
    EXPECT_EQ(RoleOfControl("ListContainerElementUI", "", false, false), AccRole::ListItem);
    EXPECT_EQ(RoleOfControl("GroupBoxUI", "", false, true), AccRole::Grouping);
    EXPECT_EQ(RoleOfControl("ScrollBarUI", "", false, false), AccRole::None);
}

TEST(AccessibleRole, LayoutsAndDecorationStandAsideUnlessTheySaySomething) {
    // A plain layout is not shown itself (its children take its place); one with a name is a
    // grouping. A plain control is a line or a picture unless it shows text.
    EXPECT_EQ(RoleOfControl("HorizontalLayoutUI", "", false, false), AccRole::None);
    EXPECT_EQ(RoleOfControl("VerticalLayoutUI", "", false, true), AccRole::Grouping);
    EXPECT_EQ(RoleOfControl("ControlUI", "", false, false), AccRole::None);
    EXPECT_EQ(RoleOfControl("ControlUI", "", false, true), AccRole::StaticText);
    // A class the tree does not know is a container of some kind: it groups.
    EXPECT_EQ(RoleOfControl("SomethingNewUI", "", false, false), AccRole::Grouping);
}

TEST(AccessibleRole, TheSkinsRoleHoldsOverTheClass) {
    EXPECT_EQ(RoleOfControl("OptionUI", "pagetab", true, true), AccRole::PageTab);
    EXPECT_EQ(RoleOfControl("HorizontalLayoutUI", "PageTabList", false, false),
              AccRole::PageTabList);
    EXPECT_EQ(RoleOfControl("ButtonUI", "none", false, true), AccRole::None);
    // A word that names no role leaves the class's.
    EXPECT_EQ(RoleOfControl("ButtonUI", "spinner", false, true), AccRole::PushButton);
    AccRole role = AccRole::List;
    EXPECT_FALSE(ParseAccRole("", role));
    EXPECT_EQ(role, AccRole::List);
    EXPECT_TRUE(ParseAccRole("columnheader", role));
    EXPECT_EQ(role, AccRole::ColumnHeader);
}

TEST(AccessibleRole, OnlyContainersOfControlsShowTheirChildren) {
    // A combo's items, an edit's text and a button's label are parts of one control.
    for (AccRole role : {AccRole::ComboBox, AccRole::EditableText, AccRole::PushButton,
                         AccRole::StaticText, AccRole::PageTab})
        EXPECT_FALSE(RoleHasChildren(role));
    for (AccRole role : {AccRole::Client, AccRole::Grouping, AccRole::List, AccRole::ListItem,
                         AccRole::PageTabList, AccRole::PropertyPage})
        EXPECT_TRUE(RoleHasChildren(role));
}

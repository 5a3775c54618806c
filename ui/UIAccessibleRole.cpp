#include "ui/UIAccessibleRole.h"

#include "ui/UIParse.h"

#include <utility>

namespace {

const std::pair<const char*, AccRole> kRoleNames[] = {
    {"none", AccRole::None},
    {"client", AccRole::Client},
    {"grouping", AccRole::Grouping},
    {"pushbutton", AccRole::PushButton},
    {"checkbox", AccRole::CheckBox},
    {"radiobutton", AccRole::RadioButton},
    {"pagetab", AccRole::PageTab},
    {"pagetablist", AccRole::PageTabList},
    {"propertypage", AccRole::PropertyPage},
    {"combobox", AccRole::ComboBox},
    {"text", AccRole::EditableText},
    {"statictext", AccRole::StaticText},
    {"list", AccRole::List},
    {"listitem", AccRole::ListItem},
    {"columnheader", AccRole::ColumnHeader},
};

} // namespace

bool ParseAccRole(const std::string& value, AccRole& role) {
    for (const auto& [name, named] : kRoleNames) {
        if (uiparse::EqualsNoCase(value, name)) {
            role = named;
            return true;
        }
    }
    return false;
}

AccRole RoleOfControl(const std::string& className, const std::string& roleAttribute,
                      bool grouped, bool hasText) {
    AccRole role = AccRole::None;
    if (!roleAttribute.empty() && ParseAccRole(roleAttribute, role))
        return role;
    struct ByClass {
        const char* name;
        AccRole role;
    };
    static const ByClass kByClass[] = {
        {"ButtonUI", AccRole::PushButton},
        {"CheckBoxUI", AccRole::CheckBox},
        {"ComboUI", AccRole::ComboBox},
        {"ComboBoxUI", AccRole::ComboBox},
        {"EditUI", AccRole::EditableText},
        {"RichEdit", AccRole::EditableText},
        {"LabelUI", AccRole::StaticText},
        {"TextUI", AccRole::StaticText},
        {"ListUI", AccRole::List},
        {"ListElementUI", AccRole::ListItem},
        {"ListLabelElementUI", AccRole::ListItem},
        {"ListTextElementUI", AccRole::ListItem},
        {"ListContainerElementUI", AccRole::ListItem},
        {"TreeNodeUI", AccRole::ListItem},
        {"ListHeaderItemUI", AccRole::ColumnHeader},
        {"ScrollBarUI", AccRole::None},
    };
    if (className == "OptionUI")
        return grouped ? AccRole::RadioButton : AccRole::CheckBox;
    for (const ByClass& entry : kByClass) {
        if (className == entry.name)
            return entry.role;
    }
    // A plain control is decoration (a line, a picture) unless it says something.
    if (className == "ControlUI")
        return hasText ? AccRole::StaticText : AccRole::None;
    static const char* const kLayouts[] = {"ContainerUI",   "VerticalLayoutUI",
                                           "HorizontalLayoutUI", "TileLayoutUI",
                                           "TabLayoutUI",   "AnimationTabLayoutUI",
                                           "ChildLayoutUI"};
    for (const char* layout : kLayouts) {
        if (className == layout)
            return hasText ? AccRole::Grouping : AccRole::None;
    }
    // Every layout and any other container groups what it holds.
    return AccRole::Grouping;
}

bool RoleHasChildren(AccRole role) {
    switch (role) {
    case AccRole::Client:
    case AccRole::Grouping:
    case AccRole::PageTabList:
    case AccRole::PropertyPage:
    case AccRole::List:
    case AccRole::ListItem:
        return true;
    default:
        return false;
    }
}

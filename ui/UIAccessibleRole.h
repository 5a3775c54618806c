// What a control is to a screen reader: its role, from its class and the skin's "accrole"
// attribute, and which controls the accessibility tree shows at all. Portable: the Win32 side
// turns a role into the system's role number.
#pragma once

#include <string>

enum class AccRole {
    None,        // not shown itself (scroll bars, decoration, plain layouts); a container's
                 // children are shown in its place
    Client,      // the window's client area (the tree's root)
    Grouping,    // a layout that holds other controls
    PushButton,
    CheckBox,
    RadioButton,
    PageTab,
    PageTabList,
    PropertyPage,
    ComboBox,
    EditableText,
    StaticText,
    List,
    ListItem,
    ColumnHeader,
};

// The role of a control of class `className` (as the control reports it), `roleAttribute` the
// skin's "accrole" value ("" for none), `grouped` whether an option belongs to a group (a radio
// button then, a check box otherwise), `hasText` whether the control shows text, a tooltip or a
// name of the skin's. A layout says nothing by itself: it is shown only when it has a name (then
// as a grouping); otherwise its children stand in its place.
AccRole RoleOfControl(const std::string& className, const std::string& roleAttribute,
                      bool grouped, bool hasText);

// The role named by an "accrole" value ("pushbutton", "checkbox", "radiobutton", "pagetab",
// "pagetablist", "propertypage", "combobox", "text", "statictext", "list", "listitem",
// "columnheader", "grouping", "client", "none"), case-insensitive; false (and `role` untouched)
// when the value names no role.
bool ParseAccRole(const std::string& value, AccRole& role);

// Whether the tree shows the children of a control of this role (a combo box, an edit and a
// button are single elements: their inner parts are not controls of their own to a user).
bool RoleHasChildren(AccRole role);

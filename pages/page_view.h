// The page controls as the application sees them: named controls it reads and writes by name,
// and the sub-controls of the sensor rows of a list. One implementation drives the toolkit's
// controls in the main window; an in-memory one stands in for them in native tests.
//
// A name that no control carries is simply absent: every getter then answers an empty value
// (empty text, -1 selection, not visible) and every setter does nothing.
#pragma once

#include "base/text.h"

#include <string>
#include <vector>

// A control: by name in the page tree, or, with a row of 0 or more, the sub-control of that
// name inside row `row` of the list named `list`.
struct ControlRef {
    std::string name;
    std::string list;
    int row = -1;

    ControlRef(const char* n) : name(n) {}
    ControlRef(const std::string& n) : name(n) {}
    static ControlRef InRow(const std::string& list, int row, const std::string& name) {
        ControlRef ref(name);
        ref.list = list;
        ref.row = row;
        return ref;
    }
};

// How a field is marked on its page: unchanged, changed from what the device reported, holding
// a value that breaks its rule, or refused or not taken by the device at the last write.
enum class FieldMark { None, Changed, Invalid, Failed };

enum class ControlKind {
    Missing, // no such control
    Edit,    // a text field
    Combo,   // a drop-down list with a selection
    Other,   // anything else (labels, layouts, buttons, options)
};

class IPageView {
public:
    virtual ~IPageView() = default;

    virtual ControlKind Kind(const ControlRef& ref) const = 0;
    bool Exists(const ControlRef& ref) const { return Kind(ref) != ControlKind::Missing; }

    // A combo's text is its selected item's text.
    virtual std::string GetText(const ControlRef& ref) const = 0;
    virtual void SetText(const ControlRef& ref, const std::string& text) = 0;

    virtual bool IsVisible(const ControlRef& ref) const = 0;
    virtual void SetVisible(const ControlRef& ref, bool visible) = 0;

    // A layout attribute such as "height", with its value as the skin files write it.
    virtual void SetAttribute(const ControlRef& ref, const std::string& name,
                              const std::string& value) = 0;
    // The control's width: its fixed width, else the width it was laid out with.
    virtual int GetFixedWidth(const ControlRef& ref) const = 0;

    // Combos. Selecting follows the combo's own rules: an index past the last item selects the
    // last, a negative index clears, the item already selected changes nothing; a change of
    // item raises the combo's "itemselect" notification (clearing raises none).
    virtual int GetSelection(const ControlRef& ref) const = 0;
    virtual int GetItemCount(const ControlRef& ref) const = 0;
    virtual std::string GetItemText(const ControlRef& ref, int index) const = 0;
    virtual void SelectItem(const ControlRef& ref, int index) = 0;

    // The background image name (the switches show their state in it).
    virtual std::string GetBkImage(const ControlRef& ref) const = 0;
    virtual void SetBkImage(const ControlRef& ref, const std::string& image) = 0;

    // Selects position `index` of a tab layout, and an option button (which raises its own
    // "selectchanged").
    virtual void SelectPage(const ControlRef& tabLayout, int index) = 0;
    virtual void SelectOption(const ControlRef& option) = 0;

    // The words the page shows for a field: the nearest label before it in its row, after the
    // row's first label when that is another one ("Main server address - Port"); "" when the
    // row holds no label.
    virtual std::string FieldLabel(const ControlRef& ref) const = 0;

    // The mark of a field, with the reason in words for the invalid and failed ones (shown as
    // the field's tooltip).
    virtual void SetMark(const ControlRef& ref, FieldMark mark, const std::string& reason) = 0;
    virtual FieldMark GetMark(const ControlRef& ref) const = 0;

    // Lists of rows: the number of rows (-1 when there is no such list) and rebuilding the list
    // with `rows` fresh rows from the row file; returns the number of rows the list then holds.
    virtual int GetRowCount(const std::string& list) const = 0;
    virtual int RebuildRows(const std::string& list, int rows) = 0;
};

// The words a page shows for a field, the one rule of every page view: the last label before
// the field in its cell; when the cell sits in a horizontal row, the row's first label (of the
// first cell before this one that has any) goes in front: "Row - Field". `Tree` adapts a page
// tree: its Node type, a `none` node, and
//   Node Parent(Node); std::vector<Node> Children(Node) (in order);
//   bool IsLabel(Node); bool IsHorizontalRow(Node); std::string Text(Node).
template <typename Tree> std::string FieldLabelIn(const Tree& tree, typename Tree::Node field) {
    using Node = typename Tree::Node;
    // The labels among `container`'s children before `before` (every one when none).
    auto labels = [&tree](Node container, Node before, std::string& first, std::string& last) {
        for (Node child : tree.Children(container)) {
            if (child == before)
                break;
            if (!tree.IsLabel(child))
                continue;
            const std::string text = tree.Text(child);
            if (text.empty())
                continue;
            if (first.empty())
                first = text;
            last = text;
        }
    };
    const Node cell = tree.Parent(field);
    std::string first, nearest;
    labels(cell, field, first, nearest);
    const Node row = cell == tree.none ? tree.none : tree.Parent(cell);
    if (row != tree.none && tree.IsHorizontalRow(row)) {
        for (Node other : tree.Children(row)) {
            if (other == cell)
                break;
            std::string cellFirst, cellLast;
            if (tree.IsLabel(other))
                cellFirst = tree.Text(other);
            else
                labels(other, tree.none, cellFirst, cellLast);
            if (!cellFirst.empty()) {
                first = cellFirst;
                break;
            }
        }
    }
    if (first.empty() || first == nearest)
        return nearest;
    return nearest.empty() ? first : first + " - " + nearest;
}

// A direction switch shows its state by its background image: "...enable..." when on,
// "...disable..." when off.
inline bool IsSwitchImageOn(const std::string& image) {
    return Contains(image, "enable");
}
// The image for the state `on`: every "disable" made "enable", or every "enable" "disable".
inline std::string SwitchImage(const std::string& image, bool on) {
    return on ? ReplaceAll(image, "disable", "enable") : ReplaceAll(image, "enable", "disable");
}
// A click on a switch: an image naming "disable" turns on, any other turns off.
inline std::string ToggledSwitchImage(const std::string& image) {
    return SwitchImage(image, Contains(image, "disable"));
}

// An in-memory page view built from the real skin files: every named control of "skin.xml" and
// the page files with its kind, parent, items and initial selection, and the sensor rows of
// "CustomListItem.xml". Visibility follows the parents up to the page, as in the program.
#pragma once

#include "pages/page_view.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class CSkinPageView : public IPageView {
public:
    struct Node {
        std::string name;
        std::string tag;
        ControlKind kind = ControlKind::Other;
        int parent = -1;
        bool isPage = false;
        bool visible = true;
        std::string text;
        std::vector<std::string> items;
        int selection = -1;
        std::string bkImage;
        std::map<std::string, std::string> attributes;
        int width = 0;
        FieldMark mark = FieldMark::None;
        std::string markReason;
    };
    using Row = std::map<std::string, Node>;

    // Loads skin.xml and the page files of the folder; false when skin.xml does not parse.
    bool LoadSkin(const std::string& folder);

    // Raised when a combo's selected item changes (not when it is cleared): name, new index.
    std::function<void(const std::string&, int)> onItemSelect;

    Node* Find(const ControlRef& ref);
    const Node* Find(const ControlRef& ref) const;
    std::string Attribute(const std::string& name, const std::string& attribute) const;
    int selectedPage = -1;
    std::vector<std::string> selectedOptions;

    // IPageView
    ControlKind Kind(const ControlRef& ref) const override;
    std::string GetText(const ControlRef& ref) const override;
    void SetText(const ControlRef& ref, const std::string& text) override;
    bool IsVisible(const ControlRef& ref) const override;
    void SetVisible(const ControlRef& ref, bool visible) override;
    void SetAttribute(const ControlRef& ref, const std::string& name,
                      const std::string& value) override;
    int GetFixedWidth(const ControlRef& ref) const override;
    int GetSelection(const ControlRef& ref) const override;
    int GetItemCount(const ControlRef& ref) const override;
    std::string GetItemText(const ControlRef& ref, int index) const override;
    void SelectItem(const ControlRef& ref, int index) override;
    std::string GetBkImage(const ControlRef& ref) const override;
    void SetBkImage(const ControlRef& ref, const std::string& image) override;
    void SelectPage(const ControlRef& tabLayout, int index) override;
    void SelectOption(const ControlRef& option) override;
    void SetMark(const ControlRef& ref, FieldMark mark, const std::string& reason) override;
    FieldMark GetMark(const ControlRef& ref) const override;
    std::string FieldLabel(const ControlRef& ref) const override;
    int GetRowCount(const std::string& list) const override;
    int RebuildRows(const std::string& list, int rows) override;

    std::vector<Node> nodes;
    std::map<std::string, int> byName; // first control of each name
    std::string listName;              // the list whose rows are kept
    std::vector<Row> rows;
    Row rowTemplate;

private:
    struct LabelTree; // the nodes as a tree for the field-label rule
    void LoadFile(const std::string& folder, const std::string& file, int parent, int depth);
};

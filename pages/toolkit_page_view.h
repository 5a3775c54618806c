// The page view over the toolkit: the main window's controls, found by name through its paint
// manager at the moment of use, and the rows of its lists built from the row file.
#pragma once

#include "pages/page_view.h"

#include <map>
#include <string>

class CControlUI;
class CPaintManagerUI;

class CToolkitPageView : public IPageView {
public:
    // rowFile: the skin file each list row is built from ("CustomListItem.xml").
    CToolkitPageView(CPaintManagerUI& manager, const std::string& rowFile);

    CControlUI* Find(const ControlRef& ref) const;

    ControlKind Kind(const ControlRef& ref) const override;
    std::string GetText(const ControlRef& ref) const override;
    void SetText(const ControlRef& ref, const std::string& text) override;
    // Visible within its page: the control and every container up to its page are shown,
    // whichever page is selected now.
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

private:
    // A field's look before it was first marked (the same for every row of a list's field).
    struct Look {
        unsigned long bkColor = 0, borderColor = 0;
        int borderSize = 0, borderLeft = 0, borderTop = 0, borderRight = 0, borderBottom = 0;
        std::string tooltip;
    };
    std::map<std::string, Look> looks_;
    std::map<std::string, FieldMark> marks_; // by "list/row/name"

    CPaintManagerUI& manager_;
    std::string rowFile_;
};

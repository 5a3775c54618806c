#include "pages/toolkit_page_view.h"

#include "pages/page_classes.h"
#include "ui/UICombo.h"
#include "ui/UIDlgBuilder.h"
#include "ui/UIEdit.h"
#include "ui/UILayout.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIRichEdit.h"
#include "ui/UIButton.h"

#include <algorithm>

namespace {

CComboUI* AsCombo(CControlUI* control) {
    return ControlAs<CComboUI>(control);
}

IContainerUI* AsContainer(CControlUI* control) {
    return ControlAs<IContainerUI>(control);
}

} // namespace

CToolkitPageView::CToolkitPageView(CPaintManagerUI& manager, const std::string& rowFile)
    : manager_(manager), rowFile_(rowFile) {}

CControlUI* CToolkitPageView::Find(const ControlRef& ref) const {
    if (ref.row < 0)
        return manager_.FindControl(ref.name);
    IContainerUI* list = AsContainer(manager_.FindControl(ref.list));
    if (list == nullptr || ref.row >= list->GetCount())
        return nullptr;
    CControlUI* row = list->GetItemAt(ref.row);
    return row ? manager_.FindSubControlByName(row, ref.name) : nullptr;
}

ControlKind CToolkitPageView::Kind(const ControlRef& ref) const {
    CControlUI* control = Find(ref);
    if (control == nullptr)
        return ControlKind::Missing;
    if (ControlAs<CComboUI>(control))
        return ControlKind::Combo;
    if (ControlAs<CEditUI>(control) || ControlAs<CRichEditUI>(control))
        return ControlKind::Edit;
    return ControlKind::Other;
}

std::string CToolkitPageView::GetText(const ControlRef& ref) const {
    CControlUI* control = Find(ref);
    return control ? control->GetText() : std::string();
}

void CToolkitPageView::SetText(const ControlRef& ref, const std::string& text) {
    if (CControlUI* control = Find(ref))
        control->SetText(text);
}

bool CToolkitPageView::IsVisible(const ControlRef& ref) const {
    CControlUI* control = Find(ref);
    if (control == nullptr)
        return false;
    for (CControlUI* c = control; c != nullptr; c = c->GetParent()) {
        if (dynamic_cast<CPageUI*>(c) != nullptr)
            return true;
        if (!c->IsOwnVisible())
            return false;
    }
    return control->IsVisible(); // outside the pages: as drawn
}

void CToolkitPageView::SetVisible(const ControlRef& ref, bool visible) {
    if (CControlUI* control = Find(ref))
        control->SetVisible(visible);
}

void CToolkitPageView::SetAttribute(const ControlRef& ref, const std::string& name,
                                    const std::string& value) {
    if (CControlUI* control = Find(ref))
        control->ApplyAttribute(name, value);
}

int CToolkitPageView::GetFixedWidth(const ControlRef& ref) const {
    CControlUI* control = Find(ref);
    return control ? control->GetFixedWidth() : 0;
}

int CToolkitPageView::GetSelection(const ControlRef& ref) const {
    CComboUI* combo = AsCombo(Find(ref));
    return combo ? combo->GetCurSel() : -1;
}

int CToolkitPageView::GetItemCount(const ControlRef& ref) const {
    CComboUI* combo = AsCombo(Find(ref));
    return combo ? combo->GetCount() : 0;
}

std::string CToolkitPageView::GetItemText(const ControlRef& ref, int index) const {
    CComboUI* combo = AsCombo(Find(ref));
    CControlUI* item = combo ? combo->GetItemAt(index) : nullptr;
    return item ? item->GetText() : std::string();
}

void CToolkitPageView::SelectItem(const ControlRef& ref, int index) {
    if (CComboUI* combo = AsCombo(Find(ref)))
        combo->SelectItem(index, false);
}

std::string CToolkitPageView::GetBkImage(const ControlRef& ref) const {
    CControlUI* control = Find(ref);
    return control ? control->GetBkImage() : std::string();
}

void CToolkitPageView::SetBkImage(const ControlRef& ref, const std::string& image) {
    if (CControlUI* control = Find(ref))
        control->SetBkImage(image);
}

void CToolkitPageView::SelectPage(const ControlRef& tabLayout, int index) {
    CControlUI* control = Find(tabLayout);
    if (auto* pages = ControlAs<CTabLayoutUI>(control))
        pages->SelectItem(index);
}

void CToolkitPageView::SelectOption(const ControlRef& ref) {
    CControlUI* control = Find(ref);
    if (auto* option = ControlAs<COptionUI>(control))
        option->Selected(true);
}

int CToolkitPageView::GetRowCount(const std::string& list) const {
    IContainerUI* container = AsContainer(manager_.FindControl(list));
    return container ? container->GetCount() : -1;
}

int CToolkitPageView::RebuildRows(const std::string& list, int rows) {
    CControlUI* control = manager_.FindControl(list);
    IContainerUI* container = AsContainer(control);
    if (container == nullptr)
        return -1;
    container->RemoveAll();
    // One builder: the row file is parsed for the first row and its markup reused.
    CDialogBuilder builder;
    for (int i = 0; i < rows; ++i) {
        CControlUI* row = i == 0 ? builder.Create(rowFile_.c_str(), nullptr, nullptr, &manager_,
                                                  nullptr)
                                 : builder.Create(nullptr, &manager_, nullptr);
        if (row != nullptr && !container->Add(row))
            delete row;
    }
    return container->GetCount();
}

namespace {

// The marks' looks: a thick bar on the field's left edge (a shape, not colour alone) and a
// quiet tint; blue for a change, red for a value that breaks its rule, amber for a value the
// device refused or did not take.
struct MarkLook {
    DWORD bar;
    DWORD tint;
};
MarkLook LookOf(FieldMark mark) {
    switch (mark) {
    case FieldMark::Changed:
        return {0xFF2563EB, 0xFFEFF6FF};
    case FieldMark::Invalid:
        return {0xFFDC2626, 0xFFFEF2F2};
    case FieldMark::Failed:
        return {0xFFC2410C, 0xFFFFF7ED};
    case FieldMark::None:
        break;
    }
    return {0, 0};
}
constexpr int kMarkBar = 4;

std::string MarkKey(const ControlRef& ref) {
    return ref.row < 0 ? ref.name : ref.list + "/" + std::to_string(ref.row) + "/" + ref.name;
}

} // namespace

void CToolkitPageView::SetMark(const ControlRef& ref, FieldMark mark, const std::string& reason) {
    CControlUI* control = Find(ref);
    if (control == nullptr)
        return;
    const std::string key = MarkKey(ref);
    auto known = marks_.find(key);
    const FieldMark before = known == marks_.end() ? FieldMark::None : known->second;
    if (before == FieldMark::None && mark == FieldMark::None)
        return;
    auto look = looks_.find(ref.name);
    if (look == looks_.end()) {
        Look original;
        original.bkColor = control->GetBkColor();
        original.borderColor = control->GetBorderColor();
        const int size = control->GetBorderSize();
        const RECT sides = control->GetBorderRect();
        original.borderSize = size;
        original.borderLeft = size > 0 ? size : static_cast<int>(sides.left);
        original.borderTop = size > 0 ? size : static_cast<int>(sides.top);
        original.borderRight = size > 0 ? size : static_cast<int>(sides.right);
        original.borderBottom = size > 0 ? size : static_cast<int>(sides.bottom);
        original.tooltip = control->GetToolTip();
        look = looks_.emplace(ref.name, original).first;
    }
    const Look& original = look->second;
    if (mark == FieldMark::None) {
        marks_.erase(key);
        control->SetBkColor(original.bkColor);
        control->SetBorderColor(original.borderColor);
        if (original.borderSize > 0)
            control->SetBorderSize(original.borderSize);
        else
            control->SetBorderSize(RECT{original.borderLeft, original.borderTop,
                                        original.borderRight, original.borderBottom});
        control->SetToolTip(original.tooltip);
        return;
    }
    marks_[key] = mark;
    const MarkLook colours = LookOf(mark);
    control->SetBkColor(colours.tint);
    control->SetBorderColor(colours.bar);
    control->SetBorderSize(0);
    control->SetBorderSize(RECT{kMarkBar, std::max(original.borderTop, 1),
                                std::max(original.borderRight, 1),
                                std::max(original.borderBottom, 1)});
    control->SetToolTip(reason.empty() ? original.tooltip : reason);
}

FieldMark CToolkitPageView::GetMark(const ControlRef& ref) const {
    auto known = marks_.find(MarkKey(ref));
    return known == marks_.end() ? FieldMark::None : known->second;
}

namespace {

// The window's controls as a page tree for the label rule.
struct ControlLabelTree {
    using Node = CControlUI*;
    static constexpr Node none = nullptr;

    Node Parent(Node node) const { return node ? node->GetParent() : nullptr; }
    std::vector<Node> Children(Node parent) const {
        std::vector<Node> children;
        IContainerUI* container = AsContainer(parent);
        for (int i = 0; container != nullptr && i < container->GetCount(); ++i)
            children.push_back(container->GetItemAt(i));
        return children;
    }
    bool IsLabel(Node node) const {
        return node != nullptr && std::string(node->GetClass()) == "LabelUI";
    }
    bool IsHorizontalRow(Node node) const {
        return std::string(node->GetClass()) == "HorizontalLayoutUI";
    }
    std::string Text(Node node) const { return node->GetText(); }
};

} // namespace

std::string CToolkitPageView::FieldLabel(const ControlRef& ref) const {
    CControlUI* control = Find(ref);
    if (control == nullptr || ref.row >= 0)
        return std::string();
    return FieldLabelIn(ControlLabelTree{}, control);
}

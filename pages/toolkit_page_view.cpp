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
        control->SetAttribute(name, value);
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

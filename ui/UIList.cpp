#include "ui/UIList.h"

#include "ui/UIManager.h"

#include <algorithm>
#include <cstring>

#include "ui/UIParseWin.h"
#include "ui/UIRender.h"
#include "ui/UIScrollBar.h"

using uiparse::EqualsNoCase;

// ---- Item settings ------------------------------------------------------------------------------

bool ApplyListInfoAttribute(const CControlUI& self, TListInfoUI& info, const std::string& name,
                            const std::string& value) {
    if (EqualsNoCase(name, "itemfont")) {
        info.nFont = uiparse::ParseInt(value, -1);
    } else if (EqualsNoCase(name, "itemalign")) {
        info.uTextStyle = uiparse::WithHorizontalAlign(info.uTextStyle, value);
    } else if (EqualsNoCase(name, "itemvalign")) {
        info.uTextStyle &= ~UINT(DT_TOP | DT_VCENTER | DT_BOTTOM);
        if (value.find("vcenter") != std::string::npos)
            info.uTextStyle |= DT_VCENTER;
        else if (value.find("bottom") != std::string::npos)
            info.uTextStyle |= DT_BOTTOM;
        else
            info.uTextStyle |= DT_TOP;
    } else if (EqualsNoCase(name, "itemendellipsis")) {
        if (uiparse::ParseBool(value))
            info.uTextStyle |= DT_END_ELLIPSIS;
        else
            info.uTextStyle &= ~UINT(DT_END_ELLIPSIS);
    } else if (EqualsNoCase(name, "itemtextpadding")) {
        info.rcTextPadding = self.Scaled(uiparse::ParseRect(value));
    } else if (EqualsNoCase(name, "itemtextcolor")) {
        info.dwTextColor = uiparse::ParseColor(value);
    } else if (EqualsNoCase(name, "itembkcolor")) {
        info.dwBkColor = uiparse::ParseColor(value);
    } else if (EqualsNoCase(name, "itembkimage")) {
        info.sBkImage = value;
    } else if (EqualsNoCase(name, "itemaltbk")) {
        info.bAlternateBk = uiparse::ParseBool(value);
    } else if (EqualsNoCase(name, "itemselectedtextcolor")) {
        info.dwSelectedTextColor = uiparse::ParseColor(value);
    } else if (EqualsNoCase(name, "itemselectedbkcolor")) {
        info.dwSelectedBkColor = uiparse::ParseColor(value);
    } else if (EqualsNoCase(name, "itemselectedimage")) {
        info.sSelectedImage = value;
    } else if (EqualsNoCase(name, "itemhottextcolor")) {
        info.dwHotTextColor = uiparse::ParseColor(value);
    } else if (EqualsNoCase(name, "itemhotbkcolor")) {
        info.dwHotBkColor = uiparse::ParseColor(value);
    } else if (EqualsNoCase(name, "itemhotimage")) {
        info.sHotImage = value;
    } else if (EqualsNoCase(name, "itemdisabledtextcolor")) {
        info.dwDisabledTextColor = uiparse::ParseColor(value);
    } else if (EqualsNoCase(name, "itemdisabledbkcolor")) {
        info.dwDisabledBkColor = uiparse::ParseColor(value);
    } else if (EqualsNoCase(name, "itemdisabledimage")) {
        info.sDisabledImage = value;
    } else if (EqualsNoCase(name, "itemlinecolor")) {
        info.dwLineColor = uiparse::ParseColor(value);
    } else if (EqualsNoCase(name, "itemshowrowline")) {
        info.bShowRowLine = uiparse::ParseBool(value);
    } else if (EqualsNoCase(name, "itemshowcolumnline")) {
        info.bShowColumnLine = uiparse::ParseBool(value);
    } else if (EqualsNoCase(name, "itemshowhtml")) {
        info.bShowHtml = uiparse::ParseBool(value);
    } else {
        return false;
    }
    return true;
}

IListItemUI* AsListItem(CControlUI* pControl) {
    if (pControl == nullptr)
        return nullptr;
    return static_cast<IListItemUI*>(pControl->GetInterface("ListItem"));
}

CControlUI* SameCellInNextRow(CControlUI* control, bool down) {
    // The way from the row down to the control: the control's place at each level.
    std::vector<int> path;
    CControlUI* cell = control;
    CControlUI* row = control ? control->GetParent() : nullptr;
    while (row != nullptr && AsListItem(row) == nullptr) {
        auto* level = ControlAs<IContainerUI>(row);
        if (level == nullptr)
            return nullptr;
        path.push_back(level->GetItemIndex(cell));
        cell = row;
        row = row->GetParent();
    }
    if (row == nullptr || row->GetParent() == nullptr)
        return nullptr;
    auto* inRow = ControlAs<IContainerUI>(row);
    auto* rows = ControlAs<IContainerUI>(row->GetParent());
    if (inRow == nullptr || rows == nullptr)
        return nullptr;
    path.push_back(inRow->GetItemIndex(cell));
    // The next row whose control in that place can take the focus.
    for (int at = rows->GetItemIndex(row) + (down ? 1 : -1); at >= 0 && at < rows->GetCount();
         at += down ? 1 : -1) {
        CControlUI* target = rows->GetItemAt(at);
        if (target == nullptr || !target->IsVisible())
            continue;
        CControlUI* found = target;
        for (auto step = path.rbegin(); found != nullptr && step != path.rend(); ++step) {
            auto* level = ControlAs<IContainerUI>(found);
            found = level ? level->GetItemAt(*step) : nullptr;
        }
        if (found != nullptr && found->IsVisible() && found->IsEnabled() &&
            (found->GetControlFlags() & UIFLAG_TABSTOP) != 0) {
            if (IListItemUI* item = AsListItem(target); item && item->GetOwner())
                item->GetOwner()->SelectItem(at, false);
            return found;
        }
    }
    return nullptr;
}

// ---- Header ------------------------------------------------------------------------------------

LPVOID CListHeaderUI::GetInterface(const std::string& name) {
    return InterfaceOf<CHorizontalLayoutUI>(this, name, "ListHeader");
}

SIZE CListHeaderUI::EstimateSize(SIZE szAvailable) {
    SIZE cXY = {0, m_cxyFixed.cy};
    if (cXY.cy == 0 && m_pManager != nullptr) {
        for (CControlUI* item : m_items)
            cXY.cy = std::max<LONG>(cXY.cy, item->EstimateSize(szAvailable).cy);
        if (cXY.cy == 0)
            cXY.cy = m_pManager->GetFontHeight(-1) + 6;
    }
    for (CControlUI* item : m_items)
        cXY.cx += item->EstimateSize(szAvailable).cx;
    return cXY;
}

LPVOID CListHeaderItemUI::GetInterface(const std::string& name) {
    return InterfaceOf<CContainerUI>(this, name, "ListHeaderItem");
}

SIZE CListHeaderItemUI::EstimateSize(SIZE szAvailable) {
    if (m_cxyFixed.cy == 0 && m_pManager != nullptr)
        return SIZE{m_cxyFixed.cx, m_pManager->GetFontHeight(m_iFont) + 14};
    return CContainerUI::EstimateSize(szAvailable);
}

void CListHeaderItemUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    if (EqualsNoCase(name, "font"))
        m_iFont = uiparse::ParseInt(value, -1);
    else if (EqualsNoCase(name, "textcolor"))
        m_dwTextColor = uiparse::ParseColor(value);
    else if (EqualsNoCase(name, "textpadding"))
        m_rcTextPadding = Scaled(uiparse::ParseRect(value));
    else if (EqualsNoCase(name, "align")) {
        m_uTextStyle &= ~UINT(DT_LEFT | DT_CENTER | DT_RIGHT);
        if (value.find("left") != std::string::npos)
            m_uTextStyle |= DT_LEFT;
        else if (value.find("right") != std::string::npos)
            m_uTextStyle |= DT_RIGHT;
        else
            m_uTextStyle |= DT_CENTER;
    } else if (EqualsNoCase(name, "normalimage"))
        m_sNormalImage = value;
    else if (EqualsNoCase(name, "sepimage"))
        m_sSepImage = value;
    else if (EqualsNoCase(name, "sepwidth"))
        m_iSepWidth = Scaled(uiparse::ParseInt(value, 0, 1000));
    else
        CContainerUI::SetAttribute(name, value);
    Invalidate();
}

void CListHeaderItemUI::PaintStatusImage(HDC hDC) {
    if (!m_sNormalImage.empty())
        DrawImage(hDC, m_sNormalImage);
    if (!m_sSepImage.empty() && m_iSepWidth > 0) {
        RECT rc = m_rcItem;
        rc.left = rc.right - m_iSepWidth;
        CRenderEngine::DrawImageString(hDC, m_pManager, rc, m_rcPaint, m_sSepImage);
    }
}

void CListHeaderItemUI::PaintText(HDC hDC) {
    if (m_sText.empty() || m_pManager == nullptr)
        return;
    RECT rc = m_rcItem;
    rc.left += m_rcTextPadding.left;
    rc.top += m_rcTextPadding.top;
    rc.right -= m_rcTextPadding.right;
    rc.bottom -= m_rcTextPadding.bottom;
    DWORD color = m_dwTextColor ? m_dwTextColor : m_pManager->GetDefaultFontColor();
    CRenderEngine::DrawText(hDC, m_pManager, rc, m_sText, color, m_iFont, m_uTextStyle);
}

// ---- Item behaviour
// ------------------------------------------------------------------------------

void CListItemCore::SetOwner(CControlUI* pOwner) {
    m_pOwner = pOwner ? static_cast<IListOwnerUI*>(pOwner->GetInterface("IListOwner")) : nullptr;
}

bool CListItemCore::SelectMulti(bool bSelect) {
    m_bSelected = bSelect;
    return true;
}

bool CListItemCore::ItemSelect(CControlUI* self, bool bSelect) {
    if (!self->IsEnabled())
        return false;
    if (bSelect == m_bSelected)
        return true;
    m_bSelected = bSelect;
    if (bSelect && m_pOwner != nullptr)
        m_pOwner->SelectItem(m_iIndex);
    self->Invalidate();
    return true;
}

void CListItemCore::ItemHidden() {
    if (!m_bSelected)
        return;
    m_bSelected = false;
    if (m_pOwner != nullptr && m_pOwner->GetCurSel() == m_iIndex)
        m_pOwner->SelectItem(-1);
}

bool CListItemCore::ItemActivate(CControlUI* self) {
    if (!self->CControlUI::Activate())
        return false;
    if (CPaintManagerUI* manager = self->GetManager())
        manager->SendNotify(self, "itemactivate");
    return true;
}

bool CListItemCore::ItemDoEvent(CControlUI* self, TEventUI& event) {
    const bool mouse = event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND;
    if (!(mouse && !self->IsMouseEnabled()) && ItemEvent(self, event))
        return true;
    if (m_pOwner == nullptr)
        return false;
    m_pOwner->DoEvent(event);
    return true;
}

bool CListItemCore::ItemEvent(CControlUI* self, TEventUI& event) {
    CPaintManagerUI* pm = self->GetManager();
    switch (event.Type) {
    case UIEVENT_DBLCLICK:
        if (self->IsEnabled()) {
            self->Activate();
            self->Invalidate();
        }
        return true;
    case UIEVENT_KEYDOWN:
        if (self->IsEnabled() && event.chKey == VK_RETURN) {
            self->Activate();
            self->Invalidate();
            return true;
        }
        return false;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
        if (self->IsEnabled()) {
            if (event.Type == UIEVENT_RBUTTONDOWN) {
                auto* list = m_pOwner && m_pOwner->GetListType() == UILIST_TYPE_LIST
                                 ? static_cast<CListUI*>(static_cast<IListUI*>(m_pOwner))
                                 : nullptr;
                if (list == nullptr || !list->IsItemRSelected())
                    return true;
            }
            auto* list = m_pOwner && m_pOwner->GetListType() == UILIST_TYPE_LIST
                             ? static_cast<CListUI*>(static_cast<IListUI*>(m_pOwner))
                             : nullptr;
            if (list != nullptr && list->IsMultiSelect() && (event.wKeyState & UIKEY_CONTROL)) {
                if (m_bSelected)
                    m_pOwner->UnSelectItem(m_iIndex);
                else
                    m_pOwner->SelectMultiItem(m_iIndex);
            } else if (m_pOwner != nullptr) {
                m_pOwner->SelectItem(m_iIndex, true);
            } else {
                ItemSelect(self, true);
            }
            self->Invalidate();
        }
        return true;
    case UIEVENT_BUTTONUP:
        if (self->IsEnabled() && pm != nullptr)
            pm->SendNotify(self, "itemclick");
        return true;
    case UIEVENT_MOUSEMOVE:
        return true;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        return self->TrackHotState(event, m_uButtonState);
    case UIEVENT_TIMER:
        if (pm != nullptr)
            pm->SendNotify(self, "timer", event.wParam, event.lParam);
        return true;
    case UIEVENT_CONTEXTMENU:
        if (self->IsContextMenuUsed() && pm != nullptr) {
            pm->SendNotify(self, "menu", event.wParam, event.lParam);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void CListItemCore::DrawItemBk(CControlUI* self, HDC hDC, const RECT& rcItem) {
    TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    if (info == nullptr)
        return;
    DWORD bk = 0;
    const std::string* image = nullptr;
    if (!self->IsEnabled()) {
        bk = info->dwDisabledBkColor;
        image = &info->sDisabledImage;
    } else if (m_bSelected) {
        bk = info->dwSelectedBkColor;
        image = &info->sSelectedImage;
    } else if (m_uButtonState & UISTATE_HOT) {
        bk = info->dwHotBkColor;
        image = &info->sHotImage;
    } else if (!info->bAlternateBk || m_iIndex % 2 == 0) {
        bk = info->dwBkColor;
        image = &info->sBkImage;
    }
    if (bk != 0)
        CRenderEngine::DrawColor(hDC, rcItem, bk);
    if (image != nullptr && !image->empty())
        self->DrawImage(hDC, *image);
    if (info->bShowRowLine && info->dwLineColor != 0) {
        RECT line = {rcItem.left, rcItem.bottom - 1, rcItem.right, rcItem.bottom - 1};
        CRenderEngine::DrawLine(hDC, line, 1, info->dwLineColor);
    }
}

// ---- Plain elements
// ------------------------------------------------------------------------------

LPVOID CListElementUI::GetInterface(const std::string& name) {
    if (EqualsNoCase(name, "ListItem"))
        return static_cast<IListItemUI*>(this);
    if (EqualsNoCase(name, "ListElement"))
        return this;
    return CControlUI::GetInterface(name);
}

void CListElementUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    if (!IsVisible())
        ItemHidden();
}

void CListElementUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    if (!enable)
        m_uButtonState = 0;
}

bool CListElementUI::Activate() {
    return ItemActivate(this);
}

bool CListElementUI::DoEvent(TEventUI& event) {
    if (!ItemDoEvent(this, event))
        return CControlUI::DoEvent(event);
    return true;
}

void CListElementUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    if (EqualsNoCase(name, "selected"))
        Select(uiparse::ParseBool(value));
    else
        CControlUI::SetAttribute(name, value);
}

void CListElementUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    RECT area = {};
    if (!::IntersectRect(&area, &rcPaint, &m_rcItem))
        return;
    DrawItemBk(this, hDC, m_rcItem);
    DrawItemText(hDC, m_rcItem);
}

LPVOID CListLabelElementUI::GetInterface(const std::string& name) {
    return InterfaceOf<CListElementUI>(this, name, "ListLabelElement");
}

SIZE CListLabelElementUI::EstimateSize(SIZE szAvailable) {
    if (m_pOwner == nullptr || m_pManager == nullptr)
        return SIZE{m_cxyFixed.cx, m_cxyFixed.cy};
    SIZE cXY = m_cxyFixed;
    if (cXY.cy == 0) {
        const TListInfoUI* info = m_pOwner->GetListInfo();
        cXY.cy = m_pManager->GetFontHeight(info->nFont) + 8 + info->rcTextPadding.top +
                 info->rcTextPadding.bottom;
    }
    if (cXY.cx == 0)
        cXY.cx = szAvailable.cx;
    return cXY;
}

void CListLabelElementUI::DrawItemText(HDC hDC, const RECT& rcItem) {
    if (m_sText.empty() || m_pOwner == nullptr || m_pManager == nullptr)
        return;
    const TListInfoUI* info = m_pOwner->GetListInfo();
    DWORD color = info->dwTextColor;
    if (!IsEnabled())
        color = info->dwDisabledTextColor;
    else if (m_bSelected)
        color = info->dwSelectedTextColor;
    else if (m_uButtonState & UISTATE_HOT)
        color = info->dwHotTextColor;
    RECT rc = rcItem;
    rc.left += info->rcTextPadding.left;
    rc.right -= info->rcTextPadding.right;
    rc.top += info->rcTextPadding.top;
    rc.bottom -= info->rcTextPadding.bottom;
    if (info->bShowHtml) {
        int links = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, m_sText, color, nullptr, nullptr, links,
                                    info->nFont, DT_SINGLELINE | info->uTextStyle);
    } else {
        CRenderEngine::DrawText(hDC, m_pManager, rc, m_sText, color, info->nFont,
                                DT_SINGLELINE | info->uTextStyle);
    }
}

void CListLabelElementUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    CListElementUI::DoPaint(hDC, rcPaint);
}

LPVOID CListTextElementUI::GetInterface(const std::string& name) {
    return InterfaceOf<CListLabelElementUI>(this, name, "ListTextElement");
}

std::string CListTextElementUI::GetText(int iIndex) const {
    if (iIndex < 0 || iIndex >= int(m_aTexts.size()))
        return std::string();
    return m_aTexts[size_t(iIndex)];
}

void CListTextElementUI::SetText(int iIndex, const std::string& text) {
    if (iIndex < 0 || iIndex >= UILIST_MAX_COLUMNS)
        return;
    if (int(m_aTexts.size()) <= iIndex)
        m_aTexts.resize(size_t(iIndex) + 1);
    m_aTexts[size_t(iIndex)] = text;
    Invalidate();
}

void CListTextElementUI::DrawItemText(HDC hDC, const RECT& rcItem) {
    if (m_pOwner == nullptr || m_pManager == nullptr)
        return;
    const TListInfoUI* info = m_pOwner->GetListInfo();
    const int columns = std::min(info->nColumns, UILIST_MAX_COLUMNS);
    if (columns <= 0) {
        CListLabelElementUI::DrawItemText(hDC, rcItem);
        return;
    }
    DWORD color = IsEnabled() ? (m_bSelected ? info->dwSelectedTextColor : info->dwTextColor)
                              : info->dwDisabledTextColor;
    for (int i = 0; i < columns && i < int(m_aTexts.size()); ++i) {
        RECT rc = {info->rcColumn[i].left, rcItem.top, info->rcColumn[i].right, rcItem.bottom};
        rc.left += info->rcTextPadding.left;
        rc.right -= info->rcTextPadding.right;
        CRenderEngine::DrawText(hDC, m_pManager, rc, m_aTexts[size_t(i)], color, info->nFont,
                                DT_SINGLELINE | info->uTextStyle);
        if (info->bShowColumnLine && info->dwLineColor != 0 && i + 1 < columns) {
            RECT line = {info->rcColumn[i].right - 1, rcItem.top, info->rcColumn[i].right - 1,
                         rcItem.bottom};
            CRenderEngine::DrawLine(hDC, line, 1, info->dwLineColor);
        }
    }
}

// ---- Container rows ----------------------------------------------------------------------------

LPVOID CListContainerElementUI::GetInterface(const std::string& name) {
    if (EqualsNoCase(name, "ListItem"))
        return static_cast<IListItemUI*>(this);
    if (EqualsNoCase(name, "ListContainerElement"))
        return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CListContainerElementUI::SetVisible(bool visible) {
    CHorizontalLayoutUI::SetVisible(visible);
    if (!IsVisible())
        ItemHidden();
}

void CListContainerElementUI::SetEnabled(bool enable) {
    CHorizontalLayoutUI::SetEnabled(enable);
    if (!enable)
        m_uButtonState = 0;
}

bool CListContainerElementUI::Activate() {
    return ItemActivate(this);
}

bool CListContainerElementUI::DoEvent(TEventUI& event) {
    if (!ItemDoEvent(this, event))
        return CHorizontalLayoutUI::DoEvent(event);
    return true;
}

void CListContainerElementUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    if (EqualsNoCase(name, "selected"))
        Select(uiparse::ParseBool(value));
    else
        CHorizontalLayoutUI::SetAttribute(name, value);
}

void CListContainerElementUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    RECT area = {};
    if (!::IntersectRect(&area, &rcPaint, &m_rcItem))
        return;
    DrawItemBk(this, hDC, m_rcItem);
    CHorizontalLayoutUI::DoPaint(hDC, rcPaint);
}

// ---- The list ----------------------------------------------------------------------------------

bool CListBodyUI::DoEvent(TEventUI& event) {
    // Keys and, without a visible scroll bar, the wheel belong to the list.
    if (event.Type == UIEVENT_KEYDOWN || event.Type == UIEVENT_SETFOCUS ||
        event.Type == UIEVENT_KILLFOCUS) {
        return m_pOwner->DoEvent(event);
    }
    if (event.Type == UIEVENT_SCROLLWHEEL && m_pOwner->GetScrollSelect()) {
        return m_pOwner->DoEvent(event);
    }
    return CVerticalLayoutUI::DoEvent(event);
}

CListUI::CListUI() {
    m_pList = new CListBodyUI(this);
    m_pHeader = new CListHeaderUI;
    CVerticalLayoutUI::AddAt(m_pHeader, 0);
    CVerticalLayoutUI::AddAt(m_pList, 1);
    m_ListInfo.uTextStyle = DT_VCENTER | DT_SINGLELINE;
}

LPVOID CListUI::GetInterface(const std::string& name) {
    if (EqualsNoCase(name, "List"))
        return this;
    if (EqualsNoCase(name, "IList"))
        return static_cast<IListUI*>(this);
    if (EqualsNoCase(name, "IListOwner"))
        return static_cast<IListOwnerUI*>(this);
    return CVerticalLayoutUI::GetInterface(name);
}

CControlUI* CListUI::GetItemAt(int iIndex) const {
    return m_pList->GetItemAt(iIndex);
}

int CListUI::GetItemIndex(CControlUI* pControl) const {
    if (pControl == nullptr)
        return -1;
    if (pControl->GetInterface("ListHeader") != nullptr)
        return CVerticalLayoutUI::GetItemIndex(pControl);
    if (std::strstr(pControl->GetClass(), "ListHeaderItemUI") != nullptr)
        return m_pHeader->GetItemIndex(pControl);
    return m_pList->GetItemIndex(pControl);
}

bool CListUI::SetItemIndex(CControlUI* pControl, int iIndex) {
    if (pControl == nullptr)
        return false;
    if (std::strstr(pControl->GetClass(), "ListHeaderItemUI") != nullptr)
        return m_pHeader->SetItemIndex(pControl, iIndex);
    const int old = m_pList->GetItemIndex(pControl);
    if (old < 0 || !m_pList->SetItemIndex(pControl, iIndex))
        return false;
    Renumber(0);
    // The selection follows the items.
    m_iCurSel = -1;
    m_aSelItems.clear();
    for (int i = 0; i < m_pList->GetCount(); ++i) {
        IListItemUI* item = AsListItem(m_pList->GetItemAt(i));
        if (item != nullptr && item->IsSelected()) {
            m_aSelItems.push_back(i);
            if (m_iCurSel < 0)
                m_iCurSel = i;
        }
    }
    return true;
}

int CListUI::GetCount() const {
    return m_pList->GetCount();
}

bool CListUI::Add(CControlUI* pControl) {
    if (pControl == nullptr)
        return false;
    if (pControl->GetInterface("ListHeader") != nullptr) {
        if (m_pHeader != pControl && m_pHeader->GetCount() == 0) {
            RemoveOwnChild(m_pHeader);
            m_pHeader = static_cast<CListHeaderUI*>(pControl);
        }
        m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), UILIST_MAX_COLUMNS);
        return CVerticalLayoutUI::AddAt(pControl, 0);
    }
    if (std::strstr(pControl->GetClass(), "ListHeaderItemUI") != nullptr) {
        bool ret = m_pHeader->Add(pControl);
        m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), UILIST_MAX_COLUMNS);
        return ret;
    }
    if (IListItemUI* item = AsListItem(pControl)) {
        item->SetOwner(this);
        item->SetIndex(GetCount());
        return m_pList->Add(pControl);
    }
    return CVerticalLayoutUI::AddAt(pControl, int(m_items.size()));
}

bool CListUI::AddAt(CControlUI* pControl, int iIndex) {
    if (pControl == nullptr)
        return false;
    if (pControl->GetInterface("ListHeader") != nullptr ||
        std::strstr(pControl->GetClass(), "ListHeaderItemUI") != nullptr)
        return Add(pControl);
    IListItemUI* item = AsListItem(pControl);
    if (item == nullptr)
        return CVerticalLayoutUI::AddAt(pControl, iIndex);
    if (iIndex < 0 || iIndex > GetCount())
        return false;
    item->SetOwner(this);
    if (!m_pList->AddAt(pControl, iIndex))
        return false;
    Renumber(iIndex);
    if (m_iCurSel >= iIndex)
        ++m_iCurSel;
    for (int& sel : m_aSelItems)
        if (sel >= iIndex)
            ++sel;
    return true;
}

bool CListUI::Remove(CControlUI* pControl) {
    if (pControl == nullptr)
        return false;
    if (pControl->GetInterface("ListHeader") != nullptr)
        return pControl != m_pHeader && RemoveOwnChild(pControl);
    if (std::strstr(pControl->GetClass(), "ListHeaderItemUI") != nullptr) {
        bool ret = m_pHeader->Remove(pControl);
        m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), UILIST_MAX_COLUMNS);
        return ret;
    }
    const int index = m_pList->GetItemIndex(pControl);
    if (index < 0)
        return pControl != m_pList && RemoveOwnChild(pControl);
    return RemoveAt(index);
}

bool CListUI::RemoveOwnChild(CControlUI* pControl) {
    // The base operations find children through the row accessors, which this class
    // redirects to the body; the list's own children are handled here directly.
    auto it = std::find(m_items.begin(), m_items.end(), pControl);
    if (it == m_items.end())
        return false;
    m_items.erase(it);
    NeedUpdate();
    if (m_bAutoDestroy) {
        if (m_bDelayedDestroy && m_pManager != nullptr)
            m_pManager->AddDelayedCleanup(pControl);
        else
            delete pControl;
    }
    return true;
}

bool CListUI::RemoveAt(int iIndex) {
    if (!m_pList->RemoveAt(iIndex))
        return false;
    Renumber(iIndex);
    if (iIndex == m_iCurSel)
        m_iCurSel = -1;
    else if (iIndex < m_iCurSel)
        --m_iCurSel;
    std::vector<int> kept;
    for (int sel : m_aSelItems) {
        if (sel == iIndex)
            continue;
        kept.push_back(sel > iIndex ? sel - 1 : sel);
    }
    m_aSelItems.swap(kept);
    return true;
}

void CListUI::RemoveAll() {
    m_iCurSel = -1;
    m_aSelItems.clear();
    m_pList->RemoveAll();
}

void CListUI::Renumber(int from) {
    for (int i = std::max(from, 0); i < m_pList->GetCount(); ++i)
        if (IListItemUI* item = AsListItem(m_pList->GetItemAt(i)))
            item->SetIndex(i);
}

void CListUI::SetMultiSelect(bool multi) {
    m_bMultiSel = multi;
    if (!multi && m_aSelItems.size() > 1) {
        int keep = m_iCurSel;
        UnSelectAllItems();
        if (keep >= 0)
            SelectItem(keep);
    }
}

void CListUI::UnSelectAllItems() {
    for (int sel : m_aSelItems)
        if (IListItemUI* item = AsListItem(GetItemAt(sel)))
            item->SelectMulti(false);
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* p = GetItemAt(i);
        IListItemUI* item = AsListItem(p);
        if (item != nullptr && item->IsSelected()) {
            item->SelectMulti(false);
            p->Invalidate();
        }
    }
    m_aSelItems.clear();
    m_iCurSel = -1;
}

bool CListUI::SelectItem(int iIndex, bool bTakeFocus) {
    if (m_bSelecting)
        return true; // the item reporting its own selection back
    const int old = m_iCurSel;
    if (iIndex < 0) {
        UnSelectAllItems();
        return false;
    }
    CControlUI* p = GetItemAt(iIndex);
    IListItemUI* item = AsListItem(p);
    // A missing or disabled item leaves the selection as it was.
    if (item == nullptr || !p->IsEnabled())
        return false;
    m_bSelecting = true;
    UnSelectAllItems();
    const bool ok = item->Select(true);
    m_bSelecting = false;
    if (!ok)
        return false;
    m_iCurSel = iIndex;
    m_aSelItems.push_back(iIndex);
    EnsureVisible(iIndex);
    if (bTakeFocus)
        p->SetFocus();
    if (m_pManager != nullptr && iIndex != old)
        m_pManager->SendNotify(this, "itemselect", WPARAM(iIndex), 0);
    if (m_pManager != nullptr)
        m_pManager->NotifyAccessible(EVENT_OBJECT_SELECTION, GetItemAt(iIndex));
    Invalidate();
    return true;
}

bool CListUI::SelectMultiItem(int iIndex, bool bTakeFocus) {
    if (!m_bMultiSel)
        return SelectItem(iIndex, bTakeFocus);
    if (iIndex < 0)
        return false;
    CControlUI* p = GetItemAt(iIndex);
    IListItemUI* item = AsListItem(p);
    if (item == nullptr || !p->IsEnabled())
        return false;
    if (std::find(m_aSelItems.begin(), m_aSelItems.end(), iIndex) != m_aSelItems.end())
        return true;
    item->SelectMulti(true);
    m_aSelItems.push_back(iIndex);
    m_iCurSel = iIndex;
    EnsureVisible(iIndex);
    if (bTakeFocus)
        p->SetFocus();
    if (m_pManager != nullptr)
        m_pManager->SendNotify(this, "itemselect", WPARAM(iIndex), 0);
    p->Invalidate();
    return true;
}

bool CListUI::UnSelectItem(int iIndex, bool bOthers) {
    if (!m_bMultiSel)
        return false;
    if (bOthers) {
        for (int sel : std::vector<int>(m_aSelItems))
            if (sel != iIndex)
                UnSelectItem(sel, false);
        return true;
    }
    auto it = std::find(m_aSelItems.begin(), m_aSelItems.end(), iIndex);
    if (it == m_aSelItems.end())
        return false;
    m_aSelItems.erase(it);
    if (CControlUI* p = GetItemAt(iIndex)) {
        if (IListItemUI* item = AsListItem(p))
            item->SelectMulti(false);
        p->Invalidate();
    }
    m_iCurSel = m_aSelItems.empty() ? -1 : m_aSelItems.back();
    return true;
}

void CListUI::EnsureVisible(int iIndex) {
    CControlUI* p = GetItemAt(iIndex);
    if (p == nullptr || m_pList->GetVerticalScrollBar() == nullptr)
        return;
    RECT rcItem = p->GetPos();
    RECT rcList = m_pList->GetClientPos();
    int dy = 0;
    if (rcItem.top < rcList.top)
        dy = rcItem.top - rcList.top;
    else if (rcItem.bottom > rcList.bottom)
        dy = rcItem.bottom - rcList.bottom;
    if (dy != 0)
        Scroll(0, dy);
}

void CListUI::Scroll(int dx, int dy) {
    if (dx == 0 && dy == 0)
        return;
    SIZE pos = m_pList->GetScrollPos();
    m_pList->SetScrollPos(SIZE{pos.cx + dx, pos.cy + dy});
}

SIZE CListUI::GetScrollPos() const {
    return m_pList->GetScrollPos();
}
SIZE CListUI::GetScrollRange() const {
    return m_pList->GetScrollRange();
}
void CListUI::SetScrollPos(SIZE szPos, bool bMsg) {
    m_pList->SetScrollPos(szPos, bMsg);
}
void CListUI::LineUp() {
    m_pList->LineUp();
}
void CListUI::LineDown() {
    m_pList->LineDown();
}
void CListUI::PageUp() {
    m_pList->PageUp();
}
void CListUI::PageDown() {
    m_pList->PageDown();
}
void CListUI::HomeUp() {
    m_pList->HomeUp();
}
void CListUI::EndDown() {
    m_pList->EndDown();
}
void CListUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal) {
    m_pList->EnableScrollBar(bEnableVertical, bEnableHorizontal);
}
CScrollBarUI* CListUI::GetVerticalScrollBar() const {
    return m_pList->GetVerticalScrollBar();
}
CScrollBarUI* CListUI::GetHorizontalScrollBar() const {
    return m_pList->GetHorizontalScrollBar();
}

void CListUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CVerticalLayoutUI::SetPos(rc, bNeedInvalidate);
    // Column rectangles from the header (at most 32).
    m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), UILIST_MAX_COLUMNS);
    for (int i = 0; i < m_ListInfo.nColumns; ++i) {
        CControlUI* column = m_pHeader->GetItemAt(i);
        m_ListInfo.rcColumn[i] = column ? column->GetPos() : RECT{0, 0, 0, 0};
    }
}

bool CListUI::DoEvent(TEventUI& event) {
    if (HandMouseOn(event, [&] { CVerticalLayoutUI::DoEvent(event); }))
        return true;
    if (FollowFocus(event, true))
        return true;
    switch (event.Type) {
    case UIEVENT_KEYDOWN: {
        int target = -1;
        switch (event.chKey) {
        case VK_UP:
            target = FindSelectableRow(m_iCurSel - 1, false);
            break;
        case VK_DOWN:
            target = FindSelectableRow(m_iCurSel + 1, true);
            break;
        case VK_PRIOR:
            PageUp();
            return true;
        case VK_NEXT:
            PageDown();
            return true;
        case VK_HOME:
            target = FindSelectableRow(0, true);
            break;
        case VK_END:
            target = FindSelectableRow(GetCount() - 1, false);
            break;
        case VK_RETURN:
            if (CControlUI* p = GetItemAt(m_iCurSel))
                p->Activate();
            return true;
        default:
            break;
        }
        if (target >= 0)
            SelectItem(target, true);
        return true;
    }
    case UIEVENT_SCROLLWHEEL:
        if (m_bScrollSelect) {
            const bool down = event.wParam != 0;
            int target = FindSelectableRow(m_iCurSel + (down ? 1 : -1), down);
            if (target >= 0)
                SelectItem(target, true);
        } else if (m_pList->GetVerticalScrollBar() != nullptr) {
            event.wParam == 0 ? LineUp() : LineDown();
        } else if (m_pParent != nullptr) {
            return m_pParent->DoEvent(event);
        }
        return true;
    default:
        break;
    }
    return CVerticalLayoutUI::DoEvent(event);
}

int CListUI::FindSelectableRow(int iIndex, bool bForward) const {
    const int count = GetCount();
    for (int i = iIndex; i >= 0 && i < count; i += bForward ? 1 : -1) {
        CControlUI* p = GetItemAt(i);
        if (p != nullptr && p->IsVisible() && p->IsEnabled() && AsListItem(p) != nullptr)
            return i;
    }
    return -1;
}

void CListUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    if (ApplyListInfoAttribute(*this, m_ListInfo, name, value)) {
        Invalidate();
    } else if (EqualsNoCase(name, "header")) {
        m_pHeader->SetVisible(value != "hidden");
    } else if (EqualsNoCase(name, "headerbkimage")) {
        m_pHeader->SetBkImage(value);
    } else if (EqualsNoCase(name, "scrollselect")) {
        SetScrollSelect(uiparse::ParseBool(value));
    } else if (EqualsNoCase(name, "multiexpanding")) {
        m_ListInfo.bMultiExpandable = uiparse::ParseBool(value);
    } else if (EqualsNoCase(name, "multiselect")) {
        SetMultiSelect(uiparse::ParseBool(value));
    } else if (EqualsNoCase(name, "itemrselected")) {
        SetItemRSelected(uiparse::ParseBool(value));
    } else if (EqualsNoCase(name, "fixedscrollbar")) {
        m_bFixedScrollbar = uiparse::ParseBool(value);
    } else if (EqualsNoCase(name, "vscrollbar") || EqualsNoCase(name, "hscrollbar") ||
               EqualsNoCase(name, "vscrollbarstyle") || EqualsNoCase(name, "hscrollbarstyle")) {
        m_pList->SetAttribute(name, value);
    } else {
        CVerticalLayoutUI::SetAttribute(name, value);
    }
}

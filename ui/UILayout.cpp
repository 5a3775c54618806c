#include "ui/UILayout.h"

#include "ui/UIManager.h"

#include <algorithm>

#include "ui/UIParseWin.h"
#include "ui/UIRender.h"

using uiparse::EqualsNoCase;

namespace {

uilayout::Rect FromRECT(const RECT& r) {
    return uilayout::Rect{r.left, r.top, r.right, r.bottom};
}
RECT ToRECT(const uilayout::Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

// A control as the layout arithmetic sees it.
class ControlChild : public uilayout::ILayoutChild {
public:
    explicit ControlChild(CControlUI* control) : m_control(control) {}
    bool IsVisible() const override { return m_control->IsVisible(); }
    bool IsFloat() const override { return m_control->IsFloat(); }
    uilayout::Rect GetPadding() const override { return FromRECT(m_control->GetPadding()); }
    uilayout::Size GetFixedSize() const override {
        return {m_control->GetFixedWidth(), m_control->GetFixedHeight()};
    }
    uilayout::Size GetMinSize() const override {
        return {m_control->GetMinWidth(), m_control->GetMinHeight()};
    }
    uilayout::Size GetMaxSize() const override {
        return {m_control->GetMaxWidth(), m_control->GetMaxHeight()};
    }
    uilayout::Size EstimateSize(uilayout::Size available) override {
        SIZE sz = m_control->EstimateSize(SIZE{available.cx, available.cy});
        return {sz.cx, sz.cy};
    }

private:
    CControlUI* m_control;
};

// Wraps every child of a container for one layout pass.
struct ChildList {
    std::vector<ControlChild> wrapped;
    std::vector<uilayout::ILayoutChild*> pointers;
    explicit ChildList(const std::vector<CControlUI*>& items) {
        wrapped.reserve(items.size());
        for (CControlUI* c : items)
            wrapped.emplace_back(c);
        for (ControlChild& c : wrapped)
            pointers.push_back(&c);
    }
};

// Moves every visible child to where the layout pass put it; a floating child is placed by its
// own position rules instead.
void PlaceChildren(CContainerUI& container, const std::vector<CControlUI*>& items,
                   const uilayout::FlowResult& result) {
    for (size_t i = 0; i < items.size(); ++i) {
        CControlUI* pControl = items[i];
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat())
            container.SetFloatPos(int(i));
        else if (result.placed[i])
            pControl->SetPos(ToRECT(result.rects[i]), false);
    }
}

} // namespace

// ---- Vertical and horizontal layouts --------------------------------------------------------

void CSeparatorLayoutUI::LayoutFlow(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    const RECT client = GetClientPos();
    if (m_items.empty()) {
        ProcessScrollBar(client, 0, 0);
        return;
    }
    uilayout::FlowParams params;
    params.client = FromRECT(client);
    params.hBarVisible = IsHorizontalScrollBarVisible();
    params.vBarVisible = IsVerticalScrollBarVisible();
    const SIZE pos = GetScrollPos(), range = GetScrollRange();
    params.scrollPos = {params.hBarVisible ? pos.cx : 0, params.vBarVisible ? pos.cy : 0};
    params.scrollRange = {params.hBarVisible ? range.cx : 0, params.vBarVisible ? range.cy : 0};
    params.childPadding = m_iChildPadding;
    if (m_bVertical)
        params.align = (m_iChildAlign & DT_CENTER)  ? uilayout::kAlignCenter
                       : (m_iChildAlign & DT_RIGHT) ? uilayout::kAlignEnd
                                                    : uilayout::kAlignStart;
    else
        params.align = (m_iChildVAlign & DT_VCENTER)  ? uilayout::kAlignCenter
                       : (m_iChildVAlign & DT_BOTTOM) ? uilayout::kAlignEnd
                                                      : uilayout::kAlignStart;

    ChildList children(m_items);
    const uilayout::FlowResult result = m_bVertical
                                            ? uilayout::LayoutVertical(params, children.pointers)
                                            : uilayout::LayoutHorizontal(params, children.pointers);
    PlaceChildren(*this, m_items, result);
    ProcessScrollBar(client, result.required.cx, result.required.cy);
}

UINT CSeparatorLayoutUI::GetControlFlags() const {
    return IsEnabled() && m_iSepSize != 0 ? UIFLAG_SETCURSOR : 0;
}

void CSeparatorLayoutUI::SetSepImmMode(bool immediately) {
    if (m_bImmMode == immediately)
        return;
    if (m_bDragging && !m_bImmMode && m_pManager != nullptr)
        m_pManager->RemovePostPaint(this);
    m_bImmMode = immediately;
}

RECT CSeparatorLayoutUI::GetThumbRect(bool bNew) const {
    const RECT rc = bNew && m_bDragging ? m_rcNewPos : m_rcItem;
    if (m_iSepSize == 0)
        return RECT{0, 0, 0, 0};
    if (m_bVertical) {
        if (m_iSepSize > 0)
            return RECT{rc.left, rc.bottom - m_iSepSize, rc.right, rc.bottom};
        return RECT{rc.left, rc.top, rc.right, rc.top - m_iSepSize};
    }
    if (m_iSepSize > 0)
        return RECT{rc.right - m_iSepSize, rc.top, rc.right, rc.bottom};
    return RECT{rc.left, rc.top, rc.left - m_iSepSize, rc.bottom};
}

bool CSeparatorLayoutUI::DoEvent(TEventUI& event) {
    if (m_iSepSize != 0 && IsEnabled()) {
        const RECT band = GetThumbRect(false);
        if (event.Type == UIEVENT_BUTTONDOWN && ::PtInRect(&band, event.ptMouse)) {
            m_bDragging = true;
            m_ptLastMouse = event.ptMouse;
            m_rcNewPos = m_rcItem;
            if (!m_bImmMode && m_pManager != nullptr)
                m_pManager->AddPostPaint(this);
            return true;
        }
        if (event.Type == UIEVENT_BUTTONUP && m_bDragging) {
            m_bDragging = false;
            if (!m_bImmMode) {
                if (m_pManager != nullptr)
                    m_pManager->RemovePostPaint(this);
                if (m_bVertical)
                    SetFixedHeight(m_rcNewPos.bottom - m_rcNewPos.top);
                else
                    SetFixedWidth(m_rcNewPos.right - m_rcNewPos.left);
                NeedParentUpdate();
            }
            return true;
        }
        if (event.Type == UIEVENT_MOUSEMOVE && m_bDragging) {
            const int delta =
                m_bVertical ? event.ptMouse.y - m_ptLastMouse.y : event.ptMouse.x - m_ptLastMouse.x;
            RECT rc = m_rcNewPos;
            // The band at the far edge grows the layout when dragged outwards; the band at
            // the near edge grows it when dragged backwards.
            if (m_bVertical) {
                if (m_iSepSize > 0)
                    rc.bottom += delta;
                else
                    rc.top += delta;
                const int h = ClampToLimits(SIZE{0, rc.bottom - rc.top}).cy;
                if (m_iSepSize > 0)
                    rc.bottom = rc.top + h;
                else
                    rc.top = rc.bottom - h;
            } else {
                if (m_iSepSize > 0)
                    rc.right += delta;
                else
                    rc.left += delta;
                const int w = ClampToLimits(SIZE{rc.right - rc.left, 0}).cx;
                if (m_iSepSize > 0)
                    rc.right = rc.left + w;
                else
                    rc.left = rc.right - w;
            }
            m_ptLastMouse = event.ptMouse;
            RECT invalid = GetThumbRect(true);
            m_rcNewPos = rc;
            if (m_bImmMode) {
                if (m_bVertical)
                    SetFixedHeight(rc.bottom - rc.top);
                else
                    SetFixedWidth(rc.right - rc.left);
                NeedParentUpdate();
            } else if (m_pManager != nullptr) {
                RECT now = GetThumbRect(true);
                ::UnionRect(&invalid, &invalid, &now);
                m_pManager->Invalidate(invalid);
            }
            return true;
        }
        if (event.Type == UIEVENT_SETCURSOR && ::PtInRect(&band, event.ptMouse)) {
            ::SetCursor(::LoadCursor(nullptr, m_bVertical ? IDC_SIZENS : IDC_SIZEWE));
            return true;
        }
    }
    return CContainerUI::DoEvent(event);
}

void CSeparatorLayoutUI::DoPostPaint(HDC hDC, const RECT& /*rcPaint*/) {
    // The preview of the new edge while dragging without "sepimm".
    if (m_bDragging && !m_bImmMode)
        CRenderEngine::DrawColor(hDC, GetThumbRect(true), 0xAA000000);
}

void CSeparatorLayoutUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    if (EqualsNoCase(name, m_bVertical ? "sepheight" : "sepwidth"))
        SetSepSize(Scaled(uiparse::ParseInt(value)));
    else if (EqualsNoCase(name, "sepimm"))
        SetSepImmMode(uiparse::ParseBool(value));
    else
        CContainerUI::SetAttribute(name, value);
}

void CSeparatorLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) {
    LayoutFlow(rc, bNeedInvalidate);
}

LPVOID CVerticalLayoutUI::GetInterface(const std::string& name) {
    return InterfaceOf<CContainerUI>(this, name, "VerticalLayout");
}

LPVOID CHorizontalLayoutUI::GetInterface(const std::string& name) {
    return InterfaceOf<CContainerUI>(this, name, "HorizontalLayout");
}

// ---- Tile layout --------------------------------------------------------------------------------

LPVOID CTileLayoutUI::GetInterface(const std::string& name) {
    return InterfaceOf<CContainerUI>(this, name, "TileLayout");
}

void CTileLayoutUI::SetItemSize(SIZE szItem) {
    szItem.cx = std::max<LONG>(0, szItem.cx);
    szItem.cy = std::max<LONG>(0, szItem.cy);
    if (m_szItem.cx == szItem.cx && m_szItem.cy == szItem.cy)
        return;
    m_szItem = szItem;
    NeedUpdate();
}

void CTileLayoutUI::SetColumns(int nCols) {
    if (nCols <= 0 || nCols == m_nColumns)
        return;
    m_nColumns = nCols;
    NeedUpdate();
}

void CTileLayoutUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    if (EqualsNoCase(name, "itemsize"))
        SetItemSize(Scaled(uiparse::ParseSize(value, 0)));
    else if (EqualsNoCase(name, "columns"))
        SetColumns(uiparse::ParseInt(value, 0, 1000));
    else
        CContainerUI::SetAttribute(name, value);
}

void CTileLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    const RECT client = GetClientPos();
    uilayout::TileParams params;
    params.client = FromRECT(client);
    const SIZE pos = GetScrollPos();
    params.scrollPos = {IsHorizontalScrollBarVisible() ? pos.cx : 0,
                        IsVerticalScrollBarVisible() ? pos.cy : 0};
    params.itemSize = {m_szItem.cx, m_szItem.cy};
    params.columns = m_nColumns;
    params.childPadding = m_iChildPadding;
    m_nColumnsUsed = uilayout::TileColumns(params.client.Width(), m_szItem.cx, m_nColumns);
    ChildList children(m_items);
    const uilayout::FlowResult result = uilayout::LayoutTile(params, children.pointers);
    PlaceChildren(*this, m_items, result);
    ProcessScrollBar(client, result.required.cx, result.required.cy);
}

// ---- Tab layout ---------------------------------------------------------------------------------

LPVOID CTabLayoutUI::GetInterface(const std::string& name) {
    return InterfaceOf<CContainerUI>(this, name, "TabLayout");
}

void CTabLayoutUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    if (EqualsNoCase(name, "selectedid"))
        SelectItem(uiparse::ParseInt(value));
    else
        CContainerUI::SetAttribute(name, value);
}

bool CTabLayoutUI::AddAt(CControlUI* pControl, int iIndex) {
    if (pControl == nullptr || iIndex < 0 || iIndex > GetCount())
        return false;
    const bool becomesSelection = m_iCurSel < 0 && pControl->IsVisible();
    if (!CContainerUI::AddAt(pControl, iIndex))
        return false;
    if (becomesSelection) {
        m_iCurSel = iIndex;
        return true;
    }
    // Every page but the selected one is hidden, also one inserted before the selection:
    // keeping its own visibility would show two pages at once.
    if (m_iCurSel >= 0 && iIndex <= m_iCurSel)
        ++m_iCurSel;
    pControl->SetVisible(false);
    return true;
}

bool CTabLayoutUI::RemoveAt(int iIndex) {
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == nullptr)
        return false;
    if (!CContainerUI::RemoveAt(iIndex))
        return false;
    if (iIndex == m_iCurSel) {
        m_iCurSel = -1;
        if (GetCount() > 0) {
            m_iCurSel = 0;
            m_items[0]->SetVisible(true);
        }
        NeedParentUpdate();
    } else if (iIndex < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
    NeedParentUpdate();
}

bool CTabLayoutUI::SelectItem(int iIndex) {
    if (iIndex < 0 || iIndex >= GetCount())
        return false;
    if (iIndex == m_iCurSel)
        return true;
    const int oldSel = m_iCurSel;
    m_iCurSel = iIndex;
    // The focus in the page that goes moves to the first field of the page that comes, once it
    // is laid out; a focus elsewhere (on the tab that was clicked) stays where it is.
    CControlUI* focus = m_pManager ? m_pManager->GetFocus() : nullptr;
    const bool focusInPage = focus != nullptr && oldSel >= 0 && oldSel < GetCount() &&
                             focus->IsWithin(m_items[size_t(oldSel)]);
    for (int i = 0; i < GetCount(); ++i)
        m_items[size_t(i)]->SetVisible(i == iIndex);
    NeedParentUpdate();
    SetPos(m_rcItem, true);
    if (m_pManager != nullptr) {
        if (focusInPage) {
            if (CControlUI* first = m_pManager->FirstTabStopIn(m_items[size_t(iIndex)]))
                m_pManager->SetFocusNeeded(first);
        }
        m_pManager->SendNotify(this, "tabselect", WPARAM(m_iCurSel), LPARAM(oldSel));
    }
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* pControl) {
    const int index = GetItemIndex(pControl);
    return index >= 0 && SelectItem(index);
}

void CTabLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    const RECT client = GetClientPos();
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pControl = m_items[size_t(i)];
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        if (i != m_iCurSel)
            continue;
        const RECT pad = pControl->GetPadding();
        RECT area = {client.left + pad.left, client.top + pad.top, client.right - pad.right,
                     client.bottom - pad.bottom};
        const int availW = std::max<int>(0, area.right - area.left);
        const int availH = std::max<int>(0, area.bottom - area.top);
        SIZE sz = pControl->EstimateSize(SIZE{availW, availH});
        if (sz.cx == 0)
            sz.cx = availW;
        if (sz.cy == 0)
            sz.cy = availH;
        sz = pControl->ClampToLimits(sz);
        pControl->SetPos(RECT{area.left, area.top, area.left + sz.cx, area.top + sz.cy}, false);
    }
}

LPVOID CAnimationTabLayoutUI::GetInterface(const std::string& name) {
    return InterfaceOf<CTabLayoutUI>(this, name, "AnimationTabLayout");
}

// ---- Child layout -------------------------------------------------------------------------------

LPVOID CChildLayoutUI::GetInterface(const std::string& name) {
    return InterfaceOf<CContainerUI>(this, name, "ChildLayout");
}

void CChildLayoutUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    if (EqualsNoCase(name, "xmlfile"))
        SetChildLayoutXML(value);
    else
        CContainerUI::SetAttribute(name, value);
}

namespace {
CChildLayoutUI::FileBuilder g_fileBuilder = nullptr;
} // namespace

void CChildLayoutUI::SetFileBuilder(FileBuilder builder) {
    g_fileBuilder = builder;
}

void CChildLayoutUI::DoInit() {
    if (m_sXMLFile.empty())
        return;
    if (g_fileBuilder == nullptr || !g_fileBuilder(m_sXMLFile, m_pManager, this))
        RemoveAll();
}

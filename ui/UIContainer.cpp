#include "ui/UIContainer.h"

#include "ui/UIManager.h"

#include <algorithm>

#include "ui/UIParseWin.h"
#include "ui/UIRender.h"

using uiparse::EqualsNoCase;

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // Children go first, while this container is still whole.
    m_bDelayedDestroy = false;
    RemoveAll();
    delete m_pVerticalScrollBar;
    delete m_pHorizontalScrollBar;
}

LPVOID CContainerUI::GetInterface(const std::string& name) {
    if (EqualsNoCase(name, "IContainer"))
        return static_cast<IContainerUI*>(this);
    if (EqualsNoCase(name, "Container"))
        return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(name);
}

// ---- Children ------------------------------------------------------------------------------

CControlUI* CContainerUI::GetItemAt(int iIndex) const {
    if (iIndex < 0 || iIndex >= int(m_items.size()))
        return nullptr;
    return m_items[size_t(iIndex)];
}

int CContainerUI::GetItemIndex(CControlUI* pControl) const {
    auto it = std::find(m_items.begin(), m_items.end(), pControl);
    return it == m_items.end() ? -1 : int(it - m_items.begin());
}

bool CContainerUI::SetItemIndex(CControlUI* pControl, int iIndex) {
    int current = GetItemIndex(pControl);
    if (current < 0 || iIndex < 0 || iIndex >= int(m_items.size()))
        return false;
    m_items.erase(m_items.begin() + current);
    m_items.insert(m_items.begin() + iIndex, pControl);
    NeedUpdate();
    return true;
}

int CContainerUI::GetCount() const {
    return int(m_items.size());
}

bool CContainerUI::Add(CControlUI* pControl) {
    return AddAt(pControl, int(m_items.size()));
}

bool CContainerUI::AddAt(CControlUI* pControl, int iIndex) {
    if (pControl == nullptr || iIndex < 0 || iIndex > int(m_items.size()))
        return false;
    if (m_pManager != nullptr)
        m_pManager->InitControls(pControl, this);
    else
        pControl->SetManager(nullptr, this, false);
    m_items.insert(m_items.begin() + iIndex, pControl);
    if (IsVisible())
        NeedUpdate();
    else
        pControl->SetInternVisible(false);
    return true;
}

bool CContainerUI::Remove(CControlUI* pControl) {
    int index = GetItemIndex(pControl);
    if (index < 0)
        return false;
    return RemoveAt(index);
}

bool CContainerUI::RemoveAt(int iIndex) {
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == nullptr)
        return false;
    NeedUpdate();
    m_items.erase(m_items.begin() + iIndex);
    if (m_bAutoDestroy) {
        if (m_bDelayedDestroy && m_pManager != nullptr)
            m_pManager->AddDelayedCleanup(pControl);
        else
            delete pControl;
    }
    return true;
}

void CContainerUI::RemoveAll() {
    std::vector<CControlUI*> items;
    items.swap(m_items);
    for (CControlUI* pControl : items) {
        if (!m_bAutoDestroy)
            continue;
        if (m_bDelayedDestroy && m_pManager != nullptr)
            m_pManager->AddDelayedCleanup(pControl);
        else
            delete pControl;
    }
    NeedUpdate();
}

// ---- State ---------------------------------------------------------------------------------

bool CContainerUI::DoEvent(TEventUI& event) {
    if (HandMouseOn(event, [&] { CControlUI::DoEvent(event); }))
        return true;
    if (FollowFocus(event, false))
        return true;
    if (m_pVerticalScrollBar != nullptr || m_pHorizontalScrollBar != nullptr) {
        // Keys and the wheel scroll a container that has scroll bars.
        if (event.Type == UIEVENT_SCROLLWHEEL) {
            if (IsVerticalScrollBarVisible()) {
                event.wParam == 0 ? LineUp() : LineDown();
                return true;
            }
            if (IsHorizontalScrollBarVisible()) {
                event.wParam == 0 ? LineLeft() : LineRight();
                return true;
            }
        }
        if (event.Type == UIEVENT_KEYDOWN) {
            const bool vertical = IsVerticalScrollBarVisible();
            const bool horizontal = IsHorizontalScrollBarVisible();
            if (vertical || horizontal) {
                switch (event.chKey) {
                case VK_DOWN:
                    vertical ? LineDown() : LineRight();
                    return true;
                case VK_UP:
                    vertical ? LineUp() : LineLeft();
                    return true;
                case VK_NEXT:
                    vertical ? PageDown() : PageRight();
                    return true;
                case VK_PRIOR:
                    vertical ? PageUp() : PageLeft();
                    return true;
                case VK_HOME:
                    vertical ? HomeUp() : HomeLeft();
                    return true;
                case VK_END:
                    vertical ? EndDown() : EndRight();
                    return true;
                default:
                    break;
                }
            }
        }
    }
    return CControlUI::DoEvent(event);
}

void CContainerUI::SetVisible(bool visible) {
    if (m_bVisible == visible)
        return;
    CControlUI::SetVisible(visible);
    for (CControlUI* pControl : m_items)
        pControl->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    if (m_items.empty())
        return;
    for (CControlUI* pControl : m_items)
        pControl->SetInternVisible(IsVisible());
}

void CContainerUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
}

void CContainerUI::SetMouseEnabled(bool enable) {
    CControlUI::SetMouseEnabled(enable);
}

void CContainerUI::SetInset(RECT rcInset) {
    if (::EqualRect(&m_rcInset, &rcInset))
        return;
    m_rcInset = rcInset;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding) {
    if (m_iChildPadding == padding)
        return;
    m_iChildPadding = padding;
    NeedUpdate();
}

void CContainerUI::SetChildAlign(UINT align) {
    if (m_iChildAlign == align)
        return;
    m_iChildAlign = align;
    NeedUpdate();
}

void CContainerUI::SetChildVAlign(UINT align) {
    if (m_iChildVAlign == align)
        return;
    m_iChildVAlign = align;
    NeedUpdate();
}

void CContainerUI::SetMouseChildEnabled(bool enable) {
    m_bMouseChildEnabled = enable;
}

int CContainerUI::FindSelectable(int iIndex, bool bForward) const {
    if (m_items.empty())
        return -1;
    iIndex = std::clamp(iIndex, 0, int(m_items.size()) - 1);
    auto selectable = [this](int i) {
        CControlUI* p = m_items[size_t(i)];
        return p->GetInterface("ListItem") != nullptr && p->IsVisible() && p->IsEnabled();
    };
    if (bForward) {
        for (int i = iIndex; i < int(m_items.size()); ++i)
            if (selectable(i))
                return i;
        return -1;
    }
    for (int i = iIndex; i >= 0; --i)
        if (selectable(i))
            return i;
    return -1;
}

// ---- Layout ----------------------------------------------------------------------------------

RECT CContainerUI::GetClientPos() const {
    RECT rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    if (IsVerticalScrollBarVisible())
        rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (IsHorizontalScrollBarVisible())
        rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    return rc;
}

void CContainerUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    if (m_items.empty())
        return;
    RECT rcClient = GetClientPos();
    const SIZE scrollPos = GetScrollPos();
    const SIZE scrollRange = GetScrollRange();
    // Every child gets the whole client area, moved by the scroll position and extended by
    // the scroll range, its size held within its own limits, anchored at the top left.
    RECT rcArea = rcClient;
    ::OffsetRect(&rcArea, -scrollPos.cx, -scrollPos.cy);
    rcArea.right += scrollRange.cx;
    rcArea.bottom += scrollRange.cy;
    for (int i = 0; i < int(m_items.size()); ++i) {
        CControlUI* pControl = m_items[size_t(i)];
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const SIZE size = pControl->ClampToLimits(
            SIZE{rcArea.right - rcArea.left, rcArea.bottom - rcArea.top});
        RECT rcChild = {rcArea.left, rcArea.top, rcArea.left + size.cx, rcArea.top + size.cy};
        pControl->SetPos(rcChild, false);
    }
}

void CContainerUI::Move(SIZE szOffset, bool bNeedInvalidate) {
    // CControlUI::Move places the container with SetPos, which lays its children (and scroll
    // bars) out again at the new place; moving the children here as well would move them twice.
    CControlUI::Move(szOffset, bNeedInvalidate);
}

void CContainerUI::SetFloatPos(int iIndex) {
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == nullptr || !pControl->IsVisible() || !pControl->IsFloat())
        return;
    const RECT& p = m_rcItem;
    const int W = p.right - p.left, H = p.bottom - p.top;
    const SIZE xy = pControl->GetFixedXY();
    const int w = pControl->GetFixedWidth(), h = pControl->GetFixedHeight();
    const UINT align = pControl->GetFloatAlign();
    RECT rc;
    if (align != 0) {
        int x = xy.cx, y = xy.cy;
        if (align & DT_FLOAT_CENTER)
            x = (W - w) / 2;
        else if (align & DT_FLOAT_RIGHT)
            x = W - w;
        if (align & DT_FLOAT_VCENTER)
            y = (H - h) / 2;
        else if (align & DT_FLOAT_BOTTOM)
            y = H - h;
        rc = RECT{p.left + x, p.top + y, p.left + x + w, p.top + y + h};
    } else {
        const CControlUI::TPercentInfo pi = pControl->GetFloatPercent();
        rc.left = p.left + int(W * pi.left) + xy.cx;
        rc.top = p.top + int(H * pi.top) + xy.cy;
        rc.right = p.left + int(W * pi.right) + w + xy.cx;
        rc.bottom = p.top + int(H * pi.bottom) + h + xy.cy;
    }
    pControl->SetPos(rc, false);
}

// ---- Painting and searching --------------------------------------------------------------------

void CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    RECT rcTemp = {};
    if (!::IntersectRect(&rcTemp, &rcPaint, &m_rcItem))
        return;
    CRenderClip clip;
    CRenderClip::GenerateClip(hDC, rcTemp, clip);
    CControlUI::DoPaint(hDC, rcPaint);
    PaintChildren(hDC, rcPaint);
    // The scroll bars go over the children.
    for (CScrollBarUI* pBar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
        if (pBar != nullptr && pBar->IsVisible() &&
            ::IntersectRect(&rcTemp, &rcPaint, &pBar->GetPos()))
            pBar->Paint(hDC, rcPaint);
    }
}

void CContainerUI::PaintChildren(HDC hDC, const RECT& rcPaint) {
    if (m_items.empty())
        return;
    RECT rcTemp = {};

    const RECT rcClient = GetClientPos();
    RECT rcChildArea = {};
    const bool clientVisible = ::IntersectRect(&rcChildArea, &rcPaint, &rcClient) != FALSE;
    {
        // Non-floating children are painted inside the client area only.
        CRenderClip childClip;
        if (clientVisible)
            CRenderClip::GenerateClip(hDC, rcChildArea, childClip);
        for (CControlUI* pControl : m_items) {
            if (!pControl->IsVisible())
                continue;
            const RECT& rcChild = pControl->GetPos();
            if (!::IntersectRect(&rcTemp, &rcPaint, &rcChild))
                continue;
            if (pControl->IsFloat()) {
                // Floating children may cover the whole item rectangle.
                if (!::IntersectRect(&rcTemp, &m_rcItem, &rcChild))
                    continue;
                if (clientVisible)
                    CRenderClip::UseOldClipBegin(hDC, childClip);
                pControl->Paint(hDC, rcPaint);
                if (clientVisible)
                    CRenderClip::UseOldClipEnd(hDC, childClip);
            } else {
                if (!clientVisible || !::IntersectRect(&rcTemp, &rcClient, &rcChild))
                    continue;
                pControl->Paint(hDC, rcPaint);
            }
        }
    }
}

void CContainerUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    if (EqualsNoCase(name, "inset")) {
        SetInset(Scaled(uiparse::ParseRect(value)));
    } else if (EqualsNoCase(name, "childpadding")) {
        SetChildPadding(Scaled(uiparse::ParseInt(value)));
    } else if (name == "childalign") {
        if (value == "left")
            SetChildAlign(DT_LEFT);
        else if (value == "center")
            SetChildAlign(DT_CENTER);
        else if (value == "right")
            SetChildAlign(DT_RIGHT);
    } else if (name == "childvalign") {
        if (value == "top")
            SetChildVAlign(DT_TOP);
        else if (value == "vcenter")
            SetChildVAlign(DT_VCENTER);
        else if (value == "bottom")
            SetChildVAlign(DT_BOTTOM);
    } else if (EqualsNoCase(name, "mousechild")) {
        SetMouseChildEnabled(uiparse::ParseBool(value));
    } else if (EqualsNoCase(name, "vscrollbar")) {
        EnableScrollBar(uiparse::ParseBool(value), GetHorizontalScrollBar() != nullptr);
    } else if (EqualsNoCase(name, "hscrollbar")) {
        EnableScrollBar(GetVerticalScrollBar() != nullptr, uiparse::ParseBool(value));
    } else if (EqualsNoCase(name, "vscrollbarstyle")) {
        // Applies to a bar that exists at this moment; a style name is resolved by the list.
        m_sVerticalScrollBarStyle = value;
        if (m_pVerticalScrollBar != nullptr)
            m_pVerticalScrollBar->ApplyAttributeList(value);
    } else if (EqualsNoCase(name, "hscrollbarstyle")) {
        m_sHorizontalScrollBarStyle = value;
        if (m_pHorizontalScrollBar != nullptr)
            m_pHorizontalScrollBar->ApplyAttributeList(value);
    } else if (EqualsNoCase(name, "scrollstepsize")) {
        SetScrollStepSize(Scaled(uiparse::ParseInt(value, 0, uiparse::kMaxCoord)));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CContainerUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
    for (CControlUI* pControl : m_items)
        pControl->SetManager(pManager, this, bInit);
    if (m_pVerticalScrollBar != nullptr)
        m_pVerticalScrollBar->SetManager(pManager, this, bInit);
    if (m_pHorizontalScrollBar != nullptr)
        m_pHorizontalScrollBar->SetManager(pManager, this, bInit);
    CControlUI::SetManager(pManager, pParent, bInit);
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) {
    if ((uFlags & UIFIND_VISIBLE) != 0 && !IsVisible())
        return nullptr;
    if ((uFlags & UIFIND_ENABLED) != 0 && !IsEnabled())
        return nullptr;
    const bool hitTest = (uFlags & UIFIND_HITTEST) != 0;
    if (hitTest && !::PtInRect(&m_rcItem, *static_cast<LPPOINT>(pData)))
        return nullptr;
    if ((uFlags & UIFIND_UPDATETEST) != 0 && Proc(this, pData) != nullptr)
        return nullptr;

    CControlUI* pResult = nullptr;
    if ((uFlags & UIFIND_ME_FIRST) != 0) {
        if (!hitTest || IsMouseEnabled())
            pResult = Proc(this, pData);
        if (pResult != nullptr)
            return pResult;
    }
    for (CScrollBarUI* pBar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
        if (pBar != nullptr && (pResult = pBar->FindControl(Proc, pData, uFlags)) != nullptr)
            return pResult;
    }
    if (!hitTest || m_bMouseChildEnabled) {
        const RECT rc = GetClientPos();
        auto visit = [&](CControlUI* pControl) -> CControlUI* {
            CControlUI* found = pControl->FindControl(Proc, pData, uFlags);
            if (found == nullptr)
                return nullptr;
            if (hitTest && !found->IsFloat() && !::PtInRect(&rc, *static_cast<LPPOINT>(pData)))
                return nullptr;
            return found;
        };
        // Work on a copy: a search procedure may change the tree.
        const std::vector<CControlUI*> items = m_items;
        if ((uFlags & UIFIND_TOP_FIRST) != 0) {
            for (auto it = items.rbegin(); it != items.rend(); ++it)
                if ((pResult = visit(*it)) != nullptr)
                    return pResult;
        } else {
            for (CControlUI* pControl : items)
                if ((pResult = visit(pControl)) != nullptr)
                    return pResult;
        }
    }
    if ((uFlags & UIFIND_ME_FIRST) == 0 && (!hitTest || IsMouseEnabled()))
        pResult = Proc(this, pData);
    return pResult;
}

// ---- Scrolling ---------------------------------------------------------------------------------
// The scroll bar control (CScrollBarUI) supplies the bars; until a container has one, its
// position and range are 0 and the steps do nothing.

int CContainerUI::GetScrollStepSize() const {
    if (m_nScrollStepSize > 0)
        return m_nScrollStepSize;
    if (m_pManager != nullptr)
        return m_pManager->GetDefaultFontInfo()->tm.tmHeight + 8;
    return 8;
}

// Positions, steps, and showing and placing the bars: ui/UIContainerScroll.cpp.

// The scroll bars of CContainerUI: creating them ("vscrollbar" / "hscrollbar"), showing,
// hiding and placing them after each layout pass, and moving the content when the position
// changes (by the bars, the keyboard, the wheel or the program).
#include <algorithm>

#include "ui/UIManager.h"
#include <vector>

#include "ui/UIContainer.h"

namespace {

// Showing or hiding a bar lays the container out again, which may show or hide the other
// bar; a layout whose needs depend on its width could otherwise flip for ever. Counted per
// container, so that nested scrolling containers each get their own relayouts.
constexpr long kMaxScrollRelayout = 4;
std::vector<const CContainerUI*> g_relayouts; // containers being laid out again, innermost last

} // namespace

bool CContainerUI::IsVerticalScrollBarVisible() const {
    return m_pVerticalScrollBar != nullptr && m_pVerticalScrollBar->IsVisible();
}

bool CContainerUI::IsHorizontalScrollBarVisible() const {
    return m_pHorizontalScrollBar != nullptr && m_pHorizontalScrollBar->IsVisible();
}

SIZE CContainerUI::GetScrollPos() const {
    SIZE sz = {0, 0};
    if (IsVerticalScrollBarVisible())
        sz.cy = m_pVerticalScrollBar->GetScrollPos();
    if (IsHorizontalScrollBarVisible())
        sz.cx = m_pHorizontalScrollBar->GetScrollPos();
    return sz;
}

SIZE CContainerUI::GetScrollRange() const {
    SIZE sz = {0, 0};
    if (IsVerticalScrollBarVisible())
        sz.cy = m_pVerticalScrollBar->GetScrollRange();
    if (IsHorizontalScrollBarVisible())
        sz.cx = m_pHorizontalScrollBar->GetScrollRange();
    return sz;
}

void CContainerUI::SetScrollPos(SIZE szPos, bool bMsg) {
    int cx = 0, cy = 0;
    if (IsVerticalScrollBarVisible()) {
        const int old = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(szPos.cy);
        cy = m_pVerticalScrollBar->GetScrollPos() - old;
    }
    if (IsHorizontalScrollBarVisible()) {
        const int old = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
        cx = m_pHorizontalScrollBar->GetScrollPos() - old;
    }
    if (cx == 0 && cy == 0)
        return;
    for (CControlUI* pControl : m_items) {
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        pControl->Move(SIZE{-cx, -cy}, false);
    }
    Invalidate();
    if (bMsg && m_pVerticalScrollBar != nullptr && m_pManager != nullptr) {
        const int line = std::max(1, m_pVerticalScrollBar->GetLineSize());
        m_pManager->SendNotify(this, "scroll",
                               WPARAM((m_pVerticalScrollBar->GetScrollPos() + line) / line));
    }
}

void CContainerUI::LineUp() {
    SIZE sz = GetScrollPos();
    sz.cy -= GetScrollStepSize();
    SetScrollPos(sz);
}

void CContainerUI::LineDown() {
    SIZE sz = GetScrollPos();
    sz.cy += GetScrollStepSize();
    SetScrollPos(sz);
}

void CContainerUI::PageUp() {
    SIZE sz = GetScrollPos();
    const RECT rc = GetClientPos();
    sz.cy -= std::max<int>(1, rc.bottom - rc.top);
    SetScrollPos(sz);
}

void CContainerUI::PageDown() {
    SIZE sz = GetScrollPos();
    const RECT rc = GetClientPos();
    sz.cy += std::max<int>(1, rc.bottom - rc.top);
    SetScrollPos(sz);
}

void CContainerUI::HomeUp() {
    SIZE sz = GetScrollPos();
    sz.cy = 0;
    SetScrollPos(sz);
}

void CContainerUI::EndDown() {
    SIZE sz = GetScrollPos();
    sz.cy = GetScrollRange().cy;
    SetScrollPos(sz);
}

void CContainerUI::LineLeft() {
    SIZE sz = GetScrollPos();
    sz.cx -= GetScrollStepSize();
    SetScrollPos(sz);
}

void CContainerUI::LineRight() {
    SIZE sz = GetScrollPos();
    sz.cx += GetScrollStepSize();
    SetScrollPos(sz);
}

void CContainerUI::PageLeft() {
    SIZE sz = GetScrollPos();
    const RECT rc = GetClientPos();
    sz.cx -= std::max<int>(1, rc.right - rc.left);
    SetScrollPos(sz);
}

void CContainerUI::PageRight() {
    SIZE sz = GetScrollPos();
    const RECT rc = GetClientPos();
    sz.cx += std::max<int>(1, rc.right - rc.left);
    SetScrollPos(sz);
}

void CContainerUI::HomeLeft() {
    SIZE sz = GetScrollPos();
    sz.cx = 0;
    SetScrollPos(sz);
}

void CContainerUI::EndRight() {
    SIZE sz = GetScrollPos();
    sz.cx = GetScrollRange().cx;
    SetScrollPos(sz);
}

void CContainerUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal) {
    // A new bar starts hidden with nothing to scroll; the next layout shows it when the
    // content overflows.
    auto create = [this](bool horizontal) {
        auto* pBar = new CScrollBarUI;
        pBar->SetHorizontal(horizontal);
        pBar->SetOwner(this);
        pBar->SetScrollRange(0);
        pBar->SetVisible(false);
        pBar->SetManager(m_pManager, this, false);
        if (m_pManager != nullptr) {
            const std::string list =
                m_pManager->GetDefaultAttributeList(horizontal ? "HScrollBar" : "VScrollBar");
            if (!list.empty())
                pBar->ApplyAttributeList(list);
        }
        return pBar;
    };
    if (bEnableVertical && m_pVerticalScrollBar == nullptr) {
        m_pVerticalScrollBar = create(false);
    } else if (!bEnableVertical && m_pVerticalScrollBar != nullptr) {
        delete m_pVerticalScrollBar;
        m_pVerticalScrollBar = nullptr;
    }
    if (bEnableHorizontal && m_pHorizontalScrollBar == nullptr) {
        m_pHorizontalScrollBar = create(true);
    } else if (!bEnableHorizontal && m_pHorizontalScrollBar != nullptr) {
        delete m_pHorizontalScrollBar;
        m_pHorizontalScrollBar = nullptr;
    }
    NeedUpdate();
}

void CContainerUI::ProcessScrollBar(RECT rc, int cxRequired, int cyRequired) {
    bool relayout = false;
    // One bar by the overflow in its direction: shown when the content does not fit, kept in
    // range while it still does not, hidden (and reset) once it fits.
    auto process = [&](CScrollBarUI* pBar, int overflow, const RECT& rcBar) {
        if (pBar == nullptr)
            return;
        if (!pBar->IsVisible()) {
            if (overflow > 0) {
                pBar->SetScrollRange(overflow);
                pBar->SetScrollPos(0);
                pBar->SetVisible(true);
                relayout = true;
            }
            return;
        }
        if (overflow <= 0) {
            pBar->SetVisible(false);
            pBar->SetScrollPos(0);
            pBar->SetScrollRange(0);
            relayout = true;
            return;
        }
        pBar->SetPos(rcBar, false);
        if (pBar->GetScrollRange() != overflow) {
            const int oldPos = pBar->GetScrollPos();
            pBar->SetScrollRange(overflow);
            if (pBar->GetScrollPos() != oldPos)
                relayout = true;
        }
    };
    if (m_pHorizontalScrollBar != nullptr)
        process(m_pHorizontalScrollBar, cxRequired - (rc.right - rc.left),
                RECT{rc.left, rc.bottom, rc.right,
                     rc.bottom + m_pHorizontalScrollBar->GetFixedHeight()});
    if (m_pVerticalScrollBar != nullptr)
        process(
            m_pVerticalScrollBar, cyRequired - (rc.bottom - rc.top),
            RECT{rc.right, rc.top, rc.right + m_pVerticalScrollBar->GetFixedWidth(), rc.bottom});
    if (relayout && std::count(g_relayouts.begin(), g_relayouts.end(), this) < kMaxScrollRelayout) {
        g_relayouts.push_back(this);
        SetPos(m_rcItem, false);
        g_relayouts.pop_back();
        Invalidate();
    }
}

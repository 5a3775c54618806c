#include "ui/UIScrollBar.h"

#include "ui/UIManager.h"

#include <algorithm>
#include <climits>

#include "ui/UIParseWin.h"
#include "ui/UIRender.h"

using uiparse::EqualsNoCase;

namespace {

RECT ToRECT(const uilayout::Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}
uilayout::Rect FromRECT(const RECT& r) {
    return uilayout::Rect{r.left, r.top, r.right, r.bottom};
}

bool Empty(const RECT& rc) {
    return rc.right <= rc.left || rc.bottom <= rc.top;
}

// Plain colours of a bar drawn without images.
constexpr DWORD kTrackColor = 0xFFF0F0F0;
constexpr DWORD kButtonColor = 0xFFE2E3E8;
constexpr DWORD kButtonHotColor = 0xFFD0D2DA;
constexpr DWORD kButtonPushedColor = 0xFFB8BBC6;
constexpr DWORD kThumbColor = 0xFFC2C4CC;
constexpr DWORD kThumbHotColor = 0xFFA8ABB6;
constexpr DWORD kThumbPushedColor = 0xFF8E929F;
constexpr DWORD kArrowColor = 0xFF505460;
constexpr DWORD kArrowDisabledColor = 0xFFA8A8A8;

// A small filled triangle pointing up, down, left or right in the centre of rc.
void DrawArrow(HDC hDC, const RECT& rc, bool horizontal, bool forward, DWORD color) {
    const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    const int size = std::max<int>(2, std::min<int>(rc.right - rc.left, rc.bottom - rc.top) / 4);
    POINT pts[3];
    if (!horizontal) {
        const int dir = forward ? 1 : -1;
        pts[0] = {cx - size, cy - dir * size / 2};
        pts[1] = {cx + size, cy - dir * size / 2};
        pts[2] = {cx, cy + dir * (size + 1) / 2};
    } else {
        const int dir = forward ? 1 : -1;
        pts[0] = {cx - dir * size / 2, cy - size};
        pts[1] = {cx - dir * size / 2, cy + size};
        pts[2] = {cx + dir * (size + 1) / 2, cy};
    }
    const COLORREF ref = RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
    HBRUSH brush = ::CreateSolidBrush(ref);
    HPEN pen = ::CreatePen(PS_SOLID, 1, ref);
    HGDIOBJ oldBrush = ::SelectObject(hDC, brush);
    HGDIOBJ oldPen = ::SelectObject(hDC, pen);
    ::Polygon(hDC, pts, 3);
    ::SelectObject(hDC, oldBrush);
    ::SelectObject(hDC, oldPen);
    ::DeleteObject(brush);
    ::DeleteObject(pen);
}

} // namespace

CScrollBarUI::CScrollBarUI() {
    m_cxyFixed.cx = kDefaultSize;
    m_cursor = IDC_ARROW;
}

LPVOID CScrollBarUI::GetInterface(const std::string& name) {
    return InterfaceOf<CControlUI>(this, name, "ScrollBar");
}

void CScrollBarUI::SetHorizontal(bool horizontal) {
    if (m_bHorizontal == horizontal)
        return;
    m_bHorizontal = horizontal;
    if (m_bHorizontal) {
        if (m_cxyFixed.cy == 0) {
            m_cxyFixed.cx = 0;
            m_cxyFixed.cy = kDefaultSize;
        }
    } else if (m_cxyFixed.cx == 0) {
        m_cxyFixed.cx = kDefaultSize;
        m_cxyFixed.cy = 0;
    }
    if (m_pOwner != nullptr)
        m_pOwner->ScrollBarChanged();
    else
        NeedParentUpdate();
}

void CScrollBarUI::SetScrollRange(int range) {
    range = std::max(0, range);
    if (m_nRange == range)
        return;
    m_nRange = range;
    m_nScrollPos = std::clamp(m_nScrollPos, 0, m_nRange);
    UpdateGeometry();
    Invalidate();
}

void CScrollBarUI::SetScrollPos(int pos) {
    pos = std::clamp(pos, 0, m_nRange);
    if (m_nScrollPos == pos)
        return;
    m_nScrollPos = pos;
    UpdateGeometry();
    Invalidate();
}

void CScrollBarUI::SetLineSize(int size) {
    m_nLineSize = std::max(1, size);
}

void CScrollBarUI::SetShowButton1(bool show) {
    m_bShowButton1 = show;
    UpdateGeometry();
    Invalidate();
}

void CScrollBarUI::SetShowButton2(bool show) {
    m_bShowButton2 = show;
    UpdateGeometry();
    Invalidate();
}

void CScrollBarUI::SetPartImage(Part part, int state, const std::string& image) {
    if (part < 0 || part >= kPartCount || state < 0 || state > 3)
        return;
    m_images[part][state] = image;
    Invalidate();
}

const std::string& CScrollBarUI::GetPartImage(Part part, int state) const {
    static const std::string kEmpty;
    if (part < 0 || part >= kPartCount || state < 0 || state > 3)
        return kEmpty;
    return m_images[part][state];
}

RECT CScrollBarUI::GetThumbRect() const {
    return ToRECT(m_geometry.thumb);
}
RECT CScrollBarUI::GetButton1Rect() const {
    return ToRECT(m_geometry.button1);
}
RECT CScrollBarUI::GetButton2Rect() const {
    return ToRECT(m_geometry.button2);
}

void CScrollBarUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    if (!enable) {
        m_uButton1State = m_uButton2State = m_uThumbState = m_uTrackState = 0;
        m_repeat = kNone;
        if (m_pManager != nullptr)
            m_pManager->KillTimer(this, kRepeatTimerId);
    }
}

void CScrollBarUI::SetVisible(bool visible) {
    if (m_bVisible == visible)
        return;
    // A bar belongs to its owner: showing or hiding it changes the owner's client area.
    m_bVisible = visible;
    if (m_bFocused)
        m_bFocused = false;
    if (m_pOwner != nullptr)
        m_pOwner->ScrollBarChanged();
    else
        NeedParentUpdate();
}

void CScrollBarUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CControlUI::SetPos(rc, bNeedInvalidate);
    UpdateGeometry();
}

void CScrollBarUI::UpdateGeometry() {
    m_geometry = uilayout::ComputeScrollBar(FromRECT(m_rcItem), m_bHorizontal, m_bShowButton1,
                                            m_bShowButton2, m_nRange, m_nScrollPos);
}

void CScrollBarUI::ScrollTo(int pos) {
    pos = std::clamp(pos, 0, m_nRange);
    if (m_pOwner == nullptr) {
        SetScrollPos(pos);
        return;
    }
    SIZE sz = m_pOwner->GetScrollPos();
    if (m_bHorizontal)
        sz.cx = pos;
    else
        sz.cy = pos;
    m_pOwner->SetScrollPos(sz);
}

void CScrollBarUI::Perform(Action action) {
    // The arrows step by the bar's line size. Paging is the owner's client size, or the bar's
    // own length when it has no owner.
    const int page = std::max(1, m_bHorizontal ? GetWidth() : GetHeight());
    switch (action) {
    case kLineBack:
        ScrollTo(m_nScrollPos - m_nLineSize);
        break;
    case kLineForward:
        ScrollTo(m_nScrollPos + m_nLineSize);
        break;
    case kPageBack:
        if (m_pOwner != nullptr)
            m_bHorizontal ? m_pOwner->PageLeft() : m_pOwner->PageUp();
        else
            ScrollTo(m_nScrollPos - page);
        break;
    case kPageForward:
        if (m_pOwner != nullptr)
            m_bHorizontal ? m_pOwner->PageRight() : m_pOwner->PageDown();
        else
            ScrollTo(m_nScrollPos + page);
        break;
    case kNone:
        break;
    }
}

bool CScrollBarUI::DoEvent(TEventUI& event) {
    if (IsMouseEvent(event) && !IsMouseEnabled()) {
        if (m_pOwner == nullptr)
            return CControlUI::DoEvent(event);
        m_pOwner->ScrollBarPassesEvent(event);
        return true;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        return true;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK: {
        if (!IsEnabled())
            return true;
        m_ptLastMouse = event.ptMouse;
        const RECT b1 = GetButton1Rect(), b2 = GetButton2Rect(), thumb = GetThumbRect();
        m_repeat = kNone;
        if (!Empty(b1) && ::PtInRect(&b1, event.ptMouse)) {
            m_uButton1State |= UISTATE_PUSHED;
            m_repeat = kLineBack;
        } else if (!Empty(b2) && ::PtInRect(&b2, event.ptMouse)) {
            m_uButton2State |= UISTATE_PUSHED;
            m_repeat = kLineForward;
        } else if (!Empty(thumb) && ::PtInRect(&thumb, event.ptMouse)) {
            m_uThumbState |= UISTATE_CAPTURED | UISTATE_PUSHED;
            m_nDragStartMouse = Along(event.ptMouse);
            m_nDragStartThumb = m_bHorizontal ? thumb.left : thumb.top;
        } else {
            m_uTrackState |= UISTATE_PUSHED;
            m_repeat = Along(event.ptMouse) < (m_bHorizontal ? thumb.left : thumb.top)
                           ? kPageBack
                           : kPageForward;
        }
        if (m_repeat != kNone) {
            Perform(m_repeat);
            m_bRepeatStarted = false;
            if (m_pManager != nullptr)
                m_pManager->SetTimer(this, kRepeatTimerId, kRepeatDelayMs);
        }
        Invalidate();
        return true;
    }
    case UIEVENT_BUTTONUP:
        m_repeat = kNone;
        if (m_pManager != nullptr)
            m_pManager->KillTimer(this, kRepeatTimerId);
        m_uButton1State &= ~UISTATE_PUSHED;
        m_uButton2State &= ~UISTATE_PUSHED;
        m_uThumbState &= ~(UISTATE_CAPTURED | UISTATE_PUSHED);
        m_uTrackState &= ~UISTATE_PUSHED;
        Invalidate();
        return true;
    case UIEVENT_MOUSEMOVE: {
        m_ptLastMouse = event.ptMouse;
        if ((m_uThumbState & UISTATE_CAPTURED) != 0) {
            const int thumbStart = m_nDragStartThumb + Along(event.ptMouse) - m_nDragStartMouse;
            ScrollTo(uilayout::ScrollPosFromThumb(m_geometry, m_bHorizontal, m_nRange, thumbStart));
            return true;
        }
        // Hot parts follow the mouse.
        const RECT b1 = GetButton1Rect(), b2 = GetButton2Rect(), thumb = GetThumbRect();
        const UINT old1 = m_uButton1State, old2 = m_uButton2State, oldT = m_uThumbState;
        auto hot = [&](UINT& state, const RECT& rc) {
            if (IsEnabled() && !Empty(rc) && ::PtInRect(&rc, event.ptMouse))
                state |= UISTATE_HOT;
            else
                state &= ~UISTATE_HOT;
        };
        hot(m_uButton1State, b1);
        hot(m_uButton2State, b2);
        hot(m_uThumbState, thumb);
        if (old1 != m_uButton1State || old2 != m_uButton2State || oldT != m_uThumbState)
            Invalidate();
        return true;
    }
    case UIEVENT_TIMER:
        if (event.wParam != kRepeatTimerId)
            break;
        if (m_repeat == kNone) {
            if (m_pManager != nullptr)
                m_pManager->KillTimer(this, kRepeatTimerId);
            return true;
        }
        if (!m_bRepeatStarted && m_pManager != nullptr) {
            // After the first delay, repeat faster.
            m_bRepeatStarted = true;
            m_pManager->KillTimer(this, kRepeatTimerId);
            m_pManager->SetTimer(this, kRepeatTimerId, kRepeatIntervalMs);
        }
        if (m_repeat == kPageBack || m_repeat == kPageForward) {
            // Paging stops once the thumb has reached the mouse.
            const RECT thumb = GetThumbRect();
            if (::PtInRect(&thumb, m_ptLastMouse))
                return true;
        }
        Perform(m_repeat);
        return true;
    case UIEVENT_MOUSEENTER:
        return true;
    case UIEVENT_MOUSELEAVE:
        m_uButton1State &= ~UISTATE_HOT;
        m_uButton2State &= ~UISTATE_HOT;
        m_uThumbState &= ~UISTATE_HOT;
        Invalidate();
        return true;
    case UIEVENT_SCROLLWHEEL:
    case UIEVENT_KEYDOWN:
        // The owner scrolls.
        if (m_pOwner != nullptr) {
            m_pOwner->ScrollBarPassesEvent(event);
            return true;
        }
        break;
    default:
        break;
    }
    if (m_pOwner != nullptr)
        m_pOwner->ScrollBarPassesEvent(event);
    else
        return CControlUI::DoEvent(event);
    return true;
}

void CScrollBarUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    static const struct {
        const char* prefix;
        Part part;
    } kParts[] = {{"button1", kButton1},
                  {"button2", kButton2},
                  {"thumb", kThumb},
                  {"rail", kRail},
                  {"bk", kBk}};
    static const char* kStates[] = {"normalimage", "hotimage", "pushedimage", "disabledimage"};
    for (const auto& p : kParts)
        for (int s = 0; s < 4; ++s)
            if (EqualsNoCase(name, std::string(p.prefix) + kStates[s])) {
                SetPartImage(p.part, s, value);
                return;
            }
    if (EqualsNoCase(name, "hor"))
        SetHorizontal(uiparse::ParseBool(value));
    else if (EqualsNoCase(name, "linesize"))
        SetLineSize(Scaled(uiparse::ParseInt(value)));
    else if (EqualsNoCase(name, "range"))
        SetScrollRange(uiparse::ParseInt(value, 0, INT_MAX / 2));
    else if (EqualsNoCase(name, "value"))
        SetScrollPos(uiparse::ParseInt(value, 0, INT_MAX / 2));
    else if (EqualsNoCase(name, "showbutton1"))
        SetShowButton1(uiparse::ParseBool(value));
    else if (EqualsNoCase(name, "showbutton2"))
        SetShowButton2(uiparse::ParseBool(value));
    else
        CControlUI::SetAttribute(name, value);
}

void CScrollBarUI::PaintPart(HDC hDC, Part part, UINT state, const RECT& rc) {
    if (Empty(rc))
        return;
    int index = 0;
    if (!IsEnabled())
        index = 3;
    else if (state & UISTATE_PUSHED)
        index = 2;
    else if (state & UISTATE_HOT)
        index = 1;
    const std::string* image = &m_images[part][index];
    if (image->empty())
        image = &m_images[part][0];
    if (!image->empty() && m_pManager != nullptr) {
        // Image "dest" coordinates are relative to the part, as for a control of its own.
        if (CRenderEngine::DrawImageString(hDC, m_pManager, rc, m_rcPaint, *image))
            return;
    }
    if (part == kRail)
        return; // the grip mark is only an image
    DWORD color = kTrackColor;
    if (part == kThumb)
        color = index == 2 ? kThumbPushedColor : index == 1 ? kThumbHotColor : kThumbColor;
    else if (part == kButton1 || part == kButton2)
        color = index == 2 ? kButtonPushedColor : index == 1 ? kButtonHotColor : kButtonColor;
    RECT body = rc;
    if (part == kThumb) {
        // A little narrower than the track, so that it reads as a thumb.
        if (m_bHorizontal)
            ::InflateRect(&body, 0, -std::min<int>(2, (rc.bottom - rc.top) / 4));
        else
            ::InflateRect(&body, -std::min<int>(2, (rc.right - rc.left) / 4), 0);
    }
    CRenderEngine::DrawColor(hDC, body, color);
    if (part == kButton1 || part == kButton2)
        DrawArrow(hDC, rc, m_bHorizontal, part == kButton2,
                  IsEnabled() ? kArrowColor : kArrowDisabledColor);
}

void CScrollBarUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    PaintPart(hDC, kBk, m_uTrackState, m_rcItem);
    if (m_bShowButton1)
        PaintPart(hDC, kButton1, m_uButton1State, GetButton1Rect());
    if (m_bShowButton2)
        PaintPart(hDC, kButton2, m_uButton2State, GetButton2Rect());
    const RECT thumb = GetThumbRect();
    // A bar with nothing to scroll draws no thumb.
    if (m_nRange > 0) {
        PaintPart(hDC, kThumb, m_uThumbState, thumb);
        PaintPart(hDC, kRail, m_uThumbState, thumb);
    }
    PaintBorder(hDC);
}

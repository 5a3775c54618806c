#include "ui/UILabel.h"

#include "ui/UIManager.h"

#include <algorithm>

#include "ui/UIParseWin.h"
#include "ui/UIRender.h"

using uiparse::EqualsNoCase;

namespace {

RECT Shrink(const RECT& rc, const RECT& by) {
    RECT r = {rc.left + by.left, rc.top + by.top, rc.right - by.right, rc.bottom - by.bottom};
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

} // namespace

// ---- Label --------------------------------------------------------------------------------------

LPVOID CLabelUI::GetInterface(const std::string& name) {
    return InterfaceOf<CControlUI>(this, name, "Label");
}

void CLabelUI::SetTextStyle(UINT uStyle) {
    SetLook(m_uTextStyle, uStyle);
}

void CLabelUI::SetTextColor(DWORD dwTextColor) {
    SetLook(m_dwTextColor, dwTextColor);
}

void CLabelUI::SetDisabledTextColor(DWORD dwTextColor) {
    SetLook(m_dwDisabledTextColor, dwTextColor);
}

void CLabelUI::SetFont(int index) {
    SetLook(m_iFont, index);
}

void CLabelUI::SetTextPadding(RECT rc) {
    m_rcTextPadding = rc;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool bShowHtml) {
    if (m_bShowHtml == bShowHtml)
        return;
    m_bShowHtml = bShowHtml;
    Invalidate();
}

void CLabelUI::SetAutoCalcWidth(bool bAutoCalcWidth) {
    if (m_bAutoCalcWidth == bAutoCalcWidth)
        return;
    m_bAutoCalcWidth = bAutoCalcWidth;
    NeedParentUpdate();
}

void CLabelUI::SetText(const std::string& text) {
    if (text == m_sText)
        return;
    CControlUI::SetText(text);
    // A label that follows its text needs a new layout when the text changes.
    if (m_bAutoCalcWidth)
        NeedParentUpdate();
}

SIZE CLabelUI::MeasureText() {
    SIZE size = {0, 0};
    if (m_pManager == nullptr || m_sText.empty())
        return size;
    if (m_bShowHtml) {
        RECT rc = {0, 0, 9999, 9999};
        int links = 0;
        HDC dc = ::CreateCompatibleDC(m_pManager->GetPaintDC());
        CRenderEngine::DrawHtmlText(dc, m_pManager, rc, m_sText, 0, nullptr, nullptr, links,
                                    m_iFont, (m_uTextStyle & ~DT_VCENTER) | DT_CALCRECT);
        ::DeleteDC(dc);
        size.cx = rc.right - rc.left;
        size.cy = rc.bottom - rc.top;
        return size;
    }
    return CRenderEngine::GetTextSize(nullptr, m_pManager, m_sText, m_iFont,
                                      m_uTextStyle | DT_SINGLELINE);
}

SIZE CLabelUI::EstimateSize(SIZE /*szAvailable*/) {
    if (m_bAutoCalcWidth) {
        // The fixed width follows the text; set directly, as this runs inside a layout.
        const SIZE text = MeasureText();
        m_cxyFixed.cx = std::max<int>(0, text.cx + m_rcTextPadding.left + m_rcTextPadding.right);
    }
    SIZE size = m_cxyFixed;
    if (size.cy == 0 && m_pManager != nullptr)
        size.cy = m_pManager->GetFontInfo(m_iFont)->tm.tmHeight + 4;
    return size;
}

bool CLabelUI::DoEvent(TEventUI& event) {
    if (FollowFocus(event, false))
        return true;
    return CControlUI::DoEvent(event);
}

void CLabelUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value) || ApplyTextAttribute(*this, name, value))
        return;
    if (EqualsNoCase(name, "align")) {
        SetTextStyle(uiparse::WithHorizontalAlign(m_uTextStyle, value));
    } else if (EqualsNoCase(name, "valign")) {
        UINT style = m_uTextStyle;
        if (Contains(value, "top")) {
            style &= ~(DT_BOTTOM | DT_VCENTER | DT_WORDBREAK);
            style |= DT_TOP | DT_SINGLELINE;
        }
        if (Contains(value, "vcenter")) {
            style &= ~(DT_TOP | DT_BOTTOM | DT_WORDBREAK);
            style |= DT_VCENTER | DT_SINGLELINE;
        }
        if (Contains(value, "bottom")) {
            style &= ~(DT_TOP | DT_VCENTER | DT_WORDBREAK);
            style |= DT_BOTTOM | DT_SINGLELINE;
        }
        SetTextStyle(style);
    } else if (EqualsNoCase(name, "endellipsis")) {
        SetTextStyle(uiparse::ParseBool(value) ? m_uTextStyle | DT_END_ELLIPSIS
                                               : m_uTextStyle & ~DT_END_ELLIPSIS);
    } else if (EqualsNoCase(name, "wordbreak")) {
        if (uiparse::ParseBool(value))
            SetTextStyle((m_uTextStyle & ~DT_SINGLELINE) | DT_WORDBREAK | DT_EDITCONTROL);
        else
            SetTextStyle((m_uTextStyle & ~(DT_WORDBREAK | DT_EDITCONTROL)) | DT_SINGLELINE);
    } else if (EqualsNoCase(name, "noprefix")) {
        SetTextStyle(uiparse::ParseBool(value) ? m_uTextStyle | DT_NOPREFIX
                                               : m_uTextStyle & ~DT_NOPREFIX);
    } else if (EqualsNoCase(name, "autocalcwidth")) {
        SetAutoCalcWidth(uiparse::ParseBool(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

DWORD CLabelUI::EffectiveTextColor() {
    if (m_dwTextColor == 0 && m_pManager != nullptr)
        m_dwTextColor = m_pManager->GetDefaultFontColor();
    return m_dwTextColor;
}

DWORD CLabelUI::EffectiveDisabledTextColor() {
    if (m_dwDisabledTextColor == 0 && m_pManager != nullptr)
        m_dwDisabledTextColor = m_pManager->GetDefaultDisabledColor();
    return m_dwDisabledTextColor;
}

void CLabelUI::DrawLabelText(HDC hDC, RECT rc, DWORD color, int font, UINT style, RECT* prcLinks,
                             std::string* sLinks, int* pnLinks) {
    if (m_pManager == nullptr)
        return;
    if (m_bShowHtml) {
        int links = pnLinks != nullptr ? *pnLinks : 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, m_sText, color, prcLinks, sLinks, links,
                                    font, style);
        if (pnLinks != nullptr)
            *pnLinks = links;
    } else {
        CRenderEngine::DrawText(hDC, m_pManager, rc, m_sText, color, font, style);
        if (pnLinks != nullptr)
            *pnLinks = 0;
    }
}

void CLabelUI::PaintText(HDC hDC) {
    const DWORD textColor = EffectiveTextColor();
    const DWORD disabledColor = EffectiveDisabledTextColor();
    if (m_sText.empty())
        return;
    DrawLabelText(hDC, Shrink(m_rcItem, m_rcTextPadding), IsEnabled() ? textColor : disabledColor,
                  m_iFont, m_uTextStyle);
}

// ---- Text with links ----------------------------------------------------------------------------

CTextUI::CTextUI() {
    m_uTextStyle = DT_WORDBREAK;
}

LPVOID CTextUI::GetInterface(const std::string& name) {
    return InterfaceOf<CLabelUI>(this, name, "Text");
}

UINT CTextUI::GetControlFlags() const {
    return IsEnabled() && m_nLinks > 0 ? UIFLAG_SETCURSOR : 0;
}

std::string CTextUI::GetLinkContent(int iIndex) const {
    if (iIndex < 0 || iIndex >= m_nLinks)
        return std::string();
    return m_sLinks[iIndex];
}

RECT CTextUI::GetLinkRect(int iIndex) const {
    if (iIndex < 0 || iIndex >= m_nLinks)
        return RECT{0, 0, 0, 0};
    return m_rcLinks[iIndex];
}

int CTextUI::LinkAt(POINT pt) const {
    for (int i = 0; i < m_nLinks; ++i)
        if (::PtInRect(&m_rcLinks[i], pt))
            return i;
    return -1;
}

bool CTextUI::DoEvent(TEventUI& event) {
    if (HandMouseOn(event, [&] { CLabelUI::DoEvent(event); }))
        return true;
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (IsEnabled() && LinkAt(event.ptMouse) >= 0) {
            ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
            return true;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled() && LinkAt(event.ptMouse) >= 0) {
            Invalidate();
            return true;
        }
        break;
    case UIEVENT_BUTTONUP:
        if (IsEnabled()) {
            const int link = LinkAt(event.ptMouse);
            if (link >= 0) {
                if (m_pManager != nullptr)
                    m_pManager->SendNotify(this, "link", WPARAM(link));
                return true;
            }
        }
        break;
    case UIEVENT_CONTEXTMENU:
        return true;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_MOUSELEAVE: {
        const int link = event.Type == UIEVENT_MOUSEMOVE ? LinkAt(event.ptMouse) : -1;
        if (link != m_nHoverLink) {
            m_nHoverLink = link;
            Invalidate();
        }
        if (event.Type == UIEVENT_MOUSELEAVE)
            break;
        return true;
    }
    default:
        break;
    }
    return CLabelUI::DoEvent(event);
}

void CTextUI::PaintText(HDC hDC) {
    const DWORD textColor = EffectiveTextColor();
    const DWORD disabledColor = EffectiveDisabledTextColor();
    if (m_sText.empty()) {
        m_nLinks = 0;
        return;
    }
    int links = kMaxLinks;
    DrawLabelText(hDC, Shrink(m_rcItem, m_rcTextPadding), IsEnabled() ? textColor : disabledColor,
                  m_iFont, m_uTextStyle, m_rcLinks, m_sLinks, &links);
    m_nLinks = std::clamp(links, 0, int(kMaxLinks));
    if (m_nHoverLink >= m_nLinks)
        m_nHoverLink = -1;
    // The hovered link is underlined in the link hover colour.
    if (m_nHoverLink >= 0 && m_pManager != nullptr) {
        RECT line = m_rcLinks[m_nHoverLink];
        line.top = line.bottom - 1;
        CRenderEngine::DrawColor(hDC, line, m_pManager->GetDefaultLinkHoverFontColor());
    }
}

// ---- Group box ----------------------------------------------------------------------------------

CGroupBoxUI::CGroupBoxUI() {
    m_rcInset = RECT{20, 25, 20, 20};
}

LPVOID CGroupBoxUI::GetInterface(const std::string& name) {
    return InterfaceOf<CVerticalLayoutUI>(this, name, "GroupBox");
}

void CGroupBoxUI::SetTextColor(DWORD dwTextColor) {
    SetLook(m_dwTextColor, dwTextColor);
}

void CGroupBoxUI::SetDisabledTextColor(DWORD dwTextColor) {
    SetLook(m_dwDisabledTextColor, dwTextColor);
}

void CGroupBoxUI::SetFont(int index) {
    SetLook(m_iFont, index);
}

void CGroupBoxUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    if (EqualsNoCase(name, "textcolor"))
        SetTextColor(uiparse::ParseColor(value));
    else if (EqualsNoCase(name, "disabledtextcolor"))
        SetDisabledTextColor(uiparse::ParseColor(value));
    else if (EqualsNoCase(name, "font"))
        SetFont(uiparse::ParseInt(value, -1, 1000000));
    else
        CVerticalLayoutUI::SetAttribute(name, value);
}

RECT CGroupBoxUI::GetFrameRect() const {
    return Shrink(m_rcItem, RECT{5, 5, 5, 5});
}

RECT CGroupBoxUI::MeasureTitle(HDC hDC) {
    if (m_sText.empty() || m_pManager == nullptr)
        return RECT{0, 0, 0, 0};
    const RECT frame = GetFrameRect();
    SIZE size = CRenderEngine::GetTextSize(hDC, m_pManager, m_sText, m_iFont, m_uTextStyle);
    const int left = frame.left + 15;
    const int top = frame.top - 5;
    RECT rc = {left, top, left + size.cx, top + size.cy};
    if (rc.right > frame.right)
        rc.right = std::max<LONG>(rc.left, frame.right);
    return rc;
}

void CGroupBoxUI::PaintText(HDC hDC) {
    m_rcTitle = MeasureTitle(hDC);
    if (::IsRectEmpty(&m_rcTitle) || m_pManager == nullptr)
        return;
    if (m_dwTextColor == 0)
        m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_dwDisabledTextColor == 0)
        m_dwDisabledTextColor = m_pManager->GetDefaultDisabledColor();
    if (m_dwBackColor != 0)
        CRenderEngine::DrawColor(hDC, m_rcTitle, m_dwBackColor);
    RECT rc = m_rcTitle;
    CRenderEngine::DrawText(hDC, m_pManager, rc, m_sText,
                            IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor, m_iFont,
                            m_uTextStyle);
}

void CGroupBoxUI::PaintBorder(HDC hDC) {
    // The frame: border colour and size, or a thin grey line when the skin sets none. The
    // title's rectangle is kept free so that the line does not run through the text.
    const DWORD color = m_dwBorderColor != 0 ? m_dwBorderColor : 0xFFA0A0A0;
    const int size = m_nBorderSize > 0 ? m_nBorderSize : 1;
    const RECT frame = GetFrameRect();
    const int saved = ::SaveDC(hDC);
    if (!::IsRectEmpty(&m_rcTitle))
        ::ExcludeClipRect(hDC, m_rcTitle.left - 2, m_rcTitle.top, m_rcTitle.right + 2,
                          m_rcTitle.bottom);
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)
        CRenderEngine::DrawRoundRect(hDC, frame, m_cxyBorderRound.cx, m_cxyBorderRound.cy, size,
                                     color, m_nBorderStyle);
    else
        CRenderEngine::DrawRect(hDC, frame, size, color, m_nBorderStyle);
    ::RestoreDC(hDC, saved);
}

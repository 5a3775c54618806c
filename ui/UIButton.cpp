#include "ui/UIButton.h"

#include "ui/UIManager.h"

#include <algorithm>
#include <vector>

#include "ui/UIParseWin.h"
#include "ui/UIFocusOrder.h"
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

std::string RectText(long l, long t, long r, long b) {
    return std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," +
           std::to_string(b);
}

} // namespace

// ---- Button -------------------------------------------------------------------------------------

CButtonUI::CButtonUI() {
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

LPVOID CButtonUI::GetInterface(const std::string& name) {
    return InterfaceOf<CLabelUI>(this, name, "Button");
}

UINT CButtonUI::GetControlFlags() const {
    return (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0) | (IsEnabled() ? UIFLAG_SETCURSOR : 0);
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate())
        return false;
    if (m_pManager != nullptr)
        m_pManager->SendNotify(this, "click");
    SelectBoundTab();
    return true;
}

void CButtonUI::SelectBoundTab() {
    if (m_sBindTabLayoutName.empty() || m_pManager == nullptr)
        return;
    // The name may belong to any control: only a tab layout is asked to select a page.
    CControlUI* pControl = m_pManager->FindControl(m_sBindTabLayoutName);
    if (pControl == nullptr)
        return;
    auto* pTab = static_cast<CTabLayoutUI*>(pControl->GetInterface("TabLayout"));
    if (pTab != nullptr)
        pTab->SelectItem(m_iBindTabIndex);
}

void CButtonUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    if (!enable)
        m_uButtonState = 0;
}

bool CButtonUI::DoEvent(TEventUI& event) {
    if (HandMouseOn(event, [&] { CLabelUI::DoEvent(event); }))
        return true;
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        m_bFocused = event.Type == UIEVENT_SETFOCUS;
        Invalidate();
        return true;
    case UIEVENT_KEYDOWN:
        if (IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
            Activate();
            return true;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (::PtInRect(&m_rcItem, event.ptMouse) && IsEnabled()) {
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return true;
    case UIEVENT_MOUSEMOVE:
        if ((m_uButtonState & UISTATE_CAPTURED) != 0) {
            const UINT old = m_uButtonState;
            if (::PtInRect(&m_rcItem, event.ptMouse))
                m_uButtonState |= UISTATE_PUSHED;
            else
                m_uButtonState &= ~UISTATE_PUSHED;
            if (old != m_uButtonState)
                Invalidate();
        }
        return true;
    case UIEVENT_BUTTONUP:
        if ((m_uButtonState & UISTATE_CAPTURED) != 0) {
            m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
            if (::PtInRect(&m_rcItem, event.ptMouse))
                Activate();
        }
        return true;
    case UIEVENT_CONTEXTMENU:
        if (IsContextMenuUsed() && m_pManager != nullptr)
            m_pManager->SendNotify(this, "menu", event.wParam, event.lParam);
        return true;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        TrackHotState(event, m_uButtonState);
        return true;
    default:
        break;
    }
    return CLabelUI::DoEvent(event);
}

#define UI_IMAGE_SETTER(Setter, member)                                                            \
    void CButtonUI::Setter(const std::string& image) {                                             \
        member = image;                                                                            \
        Invalidate();                                                                              \
    }
UI_IMAGE_SETTER(SetNormalImage, m_sNormalImage)
UI_IMAGE_SETTER(SetHotImage, m_sHotImage)
UI_IMAGE_SETTER(SetPushedImage, m_sPushedImage)
UI_IMAGE_SETTER(SetFocusedImage, m_sFocusedImage)
UI_IMAGE_SETTER(SetDisabledImage, m_sDisabledImage)
UI_IMAGE_SETTER(SetHotForeImage, m_sHotForeImage)
#undef UI_IMAGE_SETTER

void CButtonUI::SetStateImage(const std::string& image) {
    SetLook(m_sStateImage, image);
}

void CButtonUI::SetStateCount(int count) {
    m_nStateCount = std::max(0, count);
    Invalidate();
}

#define UI_VALUE_SETTER(Setter, Type, member)                                                      \
    void CButtonUI::Setter(Type value) {                                                           \
        member = value;                                                                            \
        Invalidate();                                                                              \
    }
UI_VALUE_SETTER(SetHotBkColor, DWORD, m_dwHotBkColor)
UI_VALUE_SETTER(SetPushedBkColor, DWORD, m_dwPushedBkColor)
UI_VALUE_SETTER(SetDisabledBkColor, DWORD, m_dwDisabledBkColor)
UI_VALUE_SETTER(SetHotTextColor, DWORD, m_dwHotTextColor)
UI_VALUE_SETTER(SetPushedTextColor, DWORD, m_dwPushedTextColor)
UI_VALUE_SETTER(SetFocusedTextColor, DWORD, m_dwFocusedTextColor)
UI_VALUE_SETTER(SetHotFont, int, m_iHotFont)
UI_VALUE_SETTER(SetPushedFont, int, m_iPushedFont)
UI_VALUE_SETTER(SetFocusedFont, int, m_iFocusedFont)
#undef UI_VALUE_SETTER

void CButtonUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    auto color = [&] { return uiparse::ParseColor(value); };
    auto font = [&] { return uiparse::ParseInt(value, -1, 1000000); };
    if (ApplyStateImageAttribute(*this, name, value))
        return;
    if (EqualsNoCase(name, "hotforeimage"))
        SetHotForeImage(value);
    else if (EqualsNoCase(name, "stateimage"))
        SetStateImage(value);
    else if (EqualsNoCase(name, "statecount"))
        SetStateCount(uiparse::ParseInt(value, 0, 1000));
    else if (EqualsNoCase(name, "hotbkcolor"))
        SetHotBkColor(color());
    else if (EqualsNoCase(name, "pushedbkcolor"))
        SetPushedBkColor(color());
    else if (EqualsNoCase(name, "disabledbkcolor"))
        SetDisabledBkColor(color());
    else if (EqualsNoCase(name, "hottextcolor"))
        SetHotTextColor(color());
    else if (EqualsNoCase(name, "pushedtextcolor"))
        SetPushedTextColor(color());
    else if (EqualsNoCase(name, "focusedtextcolor"))
        SetFocusedTextColor(color());
    else if (EqualsNoCase(name, "hotfont"))
        SetHotFont(font());
    else if (EqualsNoCase(name, "pushedfont"))
        SetPushedFont(font());
    else if (EqualsNoCase(name, "focuedfont"))
        SetFocusedFont(font());
    else if (EqualsNoCase(name, "bindtabindex"))
        SetBindTabLayoutIndex(uiparse::ParseInt(value));
    else if (EqualsNoCase(name, "bindtablayoutname"))
        SetBindTabLayoutName(value);
    else
        CLabelUI::SetAttribute(name, value);
}

void CButtonUI::DeriveStripImages(const std::string& strip, int count, std::string* out[4]) {
    if (strip.empty() || count <= 0 || m_pManager == nullptr)
        return;
    TDrawInfo info;
    CRenderEngine::ParseDrawInfo(strip, "", info);
    if (info.sImageName.empty())
        return;
    const TImageInfo* image = m_pManager->GetImageEx(info.sImageName, info.sResType, info.dwMask);
    if (image == nullptr || image->nX <= 0)
        return;
    const int column = image->nX / count;
    // Columns of the strip: normal, hot, pushed (the hot column when there are two), disabled.
    const int columns[4] = {0, 1, count == 2 ? 1 : 2, 3};
    for (int k = 0; k < 4; ++k) {
        if (out[k] == nullptr || columns[k] >= count)
            continue;
        const int x0 = column * columns[k], x1 = x0 + column;
        std::string value = "file='" + info.sImageName + "'";
        if (!info.sResType.empty())
            value += " restype='" + info.sResType + "'";
        if (info.bDestSet)
            value +=
                " dest='" +
                RectText(info.rcDest.left, info.rcDest.top, info.rcDest.right, info.rcDest.bottom) +
                "'";
        value += " source='" + RectText(x0, 0, x1, image->nY) + "'";
        *out[k] = value;
    }
}

UINT CButtonUI::PaintState() {
    SyncStateBits(m_uButtonState);
    UINT state = m_uButtonState;
    if (m_pManager != nullptr && m_pManager->GetPaintWindow() != nullptr &&
        !::IsWindowEnabled(m_pManager->GetPaintWindow()))
        state &= ~(UISTATE_HOT | UISTATE_PUSHED | UISTATE_FOCUSED);
    return state;
}

void CButtonUI::PaintStatusImage(HDC hDC) {
    if (!m_sStateImage.empty() && m_nStateCount > 0 && m_sNormalImage.empty()) {
        std::string* out[4] = {&m_sNormalImage, &m_sHotImage, &m_sPushedImage, &m_sDisabledImage};
        DeriveStripImages(m_sStateImage, m_nStateCount, out);
    }
    const UINT state = PaintState();
    const std::string* chosen =
        StateImage(state, {{UISTATE_DISABLED, &m_sDisabledImage},
                           {UISTATE_PUSHED, &m_sPushedImage},
                           {UISTATE_HOT, &m_sHotImage},
                           {UISTATE_FOCUSED, &m_sFocusedImage}});
    DrawFirstImage(hDC, {chosen, &m_sNormalImage});
    if ((state & UISTATE_HOT) && !(state & UISTATE_DISABLED) && !m_sHotForeImage.empty())
        DrawImage(hDC, m_sHotForeImage);
}

void CButtonUI::PaintBkColor(HDC hDC) {
    const UINT state = PaintState();
    DWORD color = 0;
    if (state & UISTATE_DISABLED)
        color = m_dwDisabledBkColor;
    else if (state & UISTATE_PUSHED)
        color = m_dwPushedBkColor;
    else if (state & UISTATE_HOT)
        color = m_dwHotBkColor;
    if (color != 0) {
        CRenderEngine::DrawColor(hDC, m_rcPaint, color);
        return;
    }
    CLabelUI::PaintBkColor(hDC);
}

DWORD CButtonUI::StateTextColor(UINT state) {
    const DWORD normal = EffectiveTextColor();
    const DWORD disabled = EffectiveDisabledTextColor();
    if (state & UISTATE_DISABLED)
        return disabled;
    if ((state & UISTATE_PUSHED) && m_dwPushedTextColor != 0)
        return m_dwPushedTextColor;
    if ((state & UISTATE_HOT) && m_dwHotTextColor != 0)
        return m_dwHotTextColor;
    if ((state & UISTATE_FOCUSED) && m_dwFocusedTextColor != 0)
        return m_dwFocusedTextColor;
    return normal;
}

int CButtonUI::StateFont(UINT state) const {
    if ((state & UISTATE_PUSHED) && m_iPushedFont != -1)
        return m_iPushedFont;
    if ((state & UISTATE_HOT) && m_iHotFont != -1)
        return m_iHotFont;
    if ((state & UISTATE_FOCUSED) && m_iFocusedFont != -1)
        return m_iFocusedFont;
    return m_iFont;
}

void CButtonUI::PaintText(HDC hDC) {
    const UINT state = PaintState();
    const DWORD color = StateTextColor(state);
    if (m_sText.empty())
        return;
    // A keyboard user sees the Alt+letter of the button underlined.
    if (GetShortcut() != 0 && !IsShowHtml() && m_pManager != nullptr &&
        m_pManager->ShowsFocusCues()) {
        RECT rc = Shrink(m_rcItem, m_rcTextPadding);
        CRenderEngine::DrawText(hDC, m_pManager, rc, MnemonicText(m_sText, GetShortcut()),
                                color, StateFont(state),
                                m_uTextStyle & ~UINT(DT_NOPREFIX));
        return;
    }
    DrawLabelText(hDC, Shrink(m_rcItem, m_rcTextPadding), color, StateFont(state), m_uTextStyle);
}

// ---- Option -------------------------------------------------------------------------------------

COptionUI::~COptionUI() {
    if (!m_sGroupName.empty() && m_pManager != nullptr)
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
}

LPVOID COptionUI::GetInterface(const std::string& name) {
    return InterfaceOf<CButtonUI>(this, name, "Option");
}

UINT COptionUI::GetControlFlags() const {
    UINT flags = CButtonUI::GetControlFlags();
    if (m_bSelected || m_sGroupName.empty() || m_pManager == nullptr)
        return flags;
    if (const std::vector<CControlUI*>* group = m_pManager->GetOptionGroup(m_sGroupName)) {
        for (CControlUI* other : *group) {
            auto* option = static_cast<COptionUI*>(other->GetInterface("Option"));
            if (option != nullptr && option != this && option->IsSelected() &&
                option->IsVisible() && option->IsEnabled())
                return flags & ~UINT(UIFLAG_TABSTOP);
        }
    }
    return flags;
}

void COptionUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
    CButtonUI::SetManager(pManager, pParent, bInit);
    if (bInit && !m_sGroupName.empty() && m_pManager != nullptr)
        m_pManager->AddOptionGroup(m_sGroupName, this);
}

void COptionUI::SetGroup(const std::string& name) {
    if (name == m_sGroupName)
        return;
    if (!m_sGroupName.empty() && m_pManager != nullptr)
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
    m_sGroupName = name;
    if (!m_sGroupName.empty() && m_pManager != nullptr)
        m_pManager->AddOptionGroup(m_sGroupName, this);
}

void COptionUI::Selected(bool bSelected, bool bTriggerEvent) {
    if (m_bSelected == bSelected)
        return;
    m_bSelected = bSelected;
    if (m_bSelected)
        m_uButtonState |= UISTATE_SELECTED;
    else
        m_uButtonState &= ~UISTATE_SELECTED;
    if (m_pManager != nullptr) {
        if (m_sGroupName.empty()) {
            if (bTriggerEvent)
                m_pManager->SendNotify(this, "selectchanged", SelectChangedParam());
        } else if (m_bSelected) {
            // The other members leave the group's selection without a word.
            const std::vector<CControlUI*>* group = m_pManager->GetOptionGroup(m_sGroupName);
            if (group != nullptr) {
                const std::vector<CControlUI*> members = *group;
                for (CControlUI* member : members) {
                    if (member == this)
                        continue;
                    auto* option = static_cast<COptionUI*>(member->GetInterface("Option"));
                    if (option != nullptr)
                        option->Selected(false, false);
                }
            }
            if (bTriggerEvent)
                m_pManager->SendNotify(this, "selectchanged", SelectChangedParam());
        }
        m_pManager->NotifyAccessible(EVENT_OBJECT_STATECHANGE, this);
        if (m_bSelected && !m_sGroupName.empty())
            m_pManager->NotifyAccessible(EVENT_OBJECT_SELECTION, this);
    }
    Invalidate();
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate())
        return false;
    if (!m_sGroupName.empty())
        Selected(true);
    else
        Selected(!m_bSelected);
    return true;
}

bool COptionUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_KEYDOWN && !m_sGroupName.empty() && m_pManager != nullptr &&
        (event.chKey == VK_LEFT || event.chKey == VK_RIGHT || event.chKey == VK_UP ||
         event.chKey == VK_DOWN)) {
        const std::vector<CControlUI*>* group = m_pManager->GetOptionGroup(m_sGroupName);
        if (group == nullptr)
            return true;
        const auto at = std::find(group->begin(), group->end(), this);
        if (at == group->end())
            return true;
        const int step = event.chKey == VK_LEFT || event.chKey == VK_UP ? -1 : 1;
        const int count = int(group->size());
        for (int i = int(at - group->begin()) + step; i >= 0 && i < count; i += step) {
            CControlUI* member = (*group)[size_t(i)];
            if (member->IsVisible() && member->IsEnabled()) {
                member->SetFocus();
                member->Activate();
                break;
            }
        }
        return true;
    }
    return CButtonUI::DoEvent(event);
}

void COptionUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    if (!enable)
        m_uButtonState = m_bSelected ? UISTATE_SELECTED : 0;
}

void COptionUI::SetSelectedImage(const std::string& image) {
    SetLook(m_sSelectedImage, image);
}
void COptionUI::SetSelectedHotImage(const std::string& image) {
    SetLook(m_sSelectedHotImage, image);
}
void COptionUI::SetSelectedPushedImage(const std::string& image) {
    SetLook(m_sSelectedPushedImage, image);
}
void COptionUI::SetSelectedForeImage(const std::string& image) {
    SetLook(m_sSelectedForeImage, image);
}
void COptionUI::SetSelectedStateImage(const std::string& image) {
    SetLook(m_sSelectedStateImage, image);
}
void COptionUI::SetSelectedStateCount(int count) {
    m_nSelectedStateCount = std::max(0, count);
    Invalidate();
}
void COptionUI::SetSelectedBkColor(DWORD color) {
    SetLook(m_dwSelectedBkColor, color);
}
void COptionUI::SetSelectedTextColor(DWORD color) {
    SetLook(m_dwSelectedTextColor, color);
}
void COptionUI::SetSelectedFont(int index) {
    SetLook(m_iSelectedFont, index);
}

void COptionUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    if (EqualsNoCase(name, "group"))
        SetGroup(value);
    else if (EqualsNoCase(name, "selected"))
        Selected(uiparse::ParseBool(value));
    else if (EqualsNoCase(name, "selectedimage"))
        SetSelectedImage(value);
    else if (EqualsNoCase(name, "selectedhotimage"))
        SetSelectedHotImage(value);
    else if (EqualsNoCase(name, "selectedpushedimage"))
        SetSelectedPushedImage(value);
    else if (EqualsNoCase(name, "selectedforeimage"))
        SetSelectedForeImage(value);
    else if (EqualsNoCase(name, "selectedstateimage"))
        SetSelectedStateImage(value);
    else if (EqualsNoCase(name, "selectedstatecount"))
        SetSelectedStateCount(uiparse::ParseInt(value, 0, 1000));
    else if (EqualsNoCase(name, "selectedbkcolor"))
        SetSelectedBkColor(uiparse::ParseColor(value));
    else if (EqualsNoCase(name, "selectedtextcolor"))
        SetSelectedTextColor(uiparse::ParseColor(value));
    else if (EqualsNoCase(name, "selectedfont"))
        SetSelectedFont(uiparse::ParseInt(value, -1, 1000000));
    else
        CButtonUI::SetAttribute(name, value);
}

void COptionUI::PaintBkColor(HDC hDC) {
    if (!m_bSelected) {
        CButtonUI::PaintBkColor(hDC);
        return;
    }
    // A selected option fills with its selected colour, or paints no background colour.
    if (m_dwSelectedBkColor != 0)
        CRenderEngine::DrawColor(hDC, m_rcPaint, m_dwSelectedBkColor);
}

void COptionUI::PaintStatusImage(HDC hDC) {
    if (!m_bSelected) {
        CButtonUI::PaintStatusImage(hDC);
        return;
    }
    if (!m_sSelectedStateImage.empty() && m_nSelectedStateCount > 0 && m_sSelectedImage.empty()) {
        // Columns 0, 1, 2 of the selected strip: selected, selected-hot, selected-pushed.
        std::string* out[4] = {&m_sSelectedImage, &m_sSelectedHotImage, &m_sSelectedPushedImage,
                               nullptr};
        DeriveStripImages(m_sSelectedStateImage, m_nSelectedStateCount, out);
        if (m_nSelectedStateCount == 2)
            m_sSelectedPushedImage = m_sSelectedHotImage;
    }
    const UINT state = PaintState();
    if (m_sSelectedImage.empty() && m_sSelectedHotImage.empty() && m_sSelectedPushedImage.empty()) {
        // No selected images at all: the state images show.
        CButtonUI::PaintStatusImage(hDC);
        return;
    }
    const std::string* chosen = &m_sSelectedImage;
    if ((state & UISTATE_PUSHED) && !m_sSelectedPushedImage.empty())
        chosen = &m_sSelectedPushedImage;
    else if ((state & UISTATE_HOT) && !m_sSelectedHotImage.empty())
        chosen = &m_sSelectedHotImage;
    DrawFirstImage(hDC, {chosen, &m_sSelectedImage, &m_sNormalImage});
}

void COptionUI::PaintForeImage(HDC hDC) {
    if (m_bSelected && !m_sSelectedForeImage.empty()) {
        DrawImage(hDC, m_sSelectedForeImage);
        return;
    }
    CButtonUI::PaintForeImage(hDC);
}

void COptionUI::PaintText(HDC hDC) {
    if (!m_bSelected) {
        CButtonUI::PaintText(hDC);
        return;
    }
    const UINT state = PaintState();
    DWORD color = StateTextColor(state);
    if (IsEnabled() && m_dwSelectedTextColor != 0)
        color = m_dwSelectedTextColor;
    const int font = m_iSelectedFont != -1 ? m_iSelectedFont : StateFont(state);
    if (m_sText.empty())
        return;
    DrawLabelText(hDC, Shrink(m_rcItem, m_rcTextPadding), color, font, m_uTextStyle);
}

// ---- Check box ----------------------------------------------------------------------------------

LPVOID CCheckBoxUI::GetInterface(const std::string& name) {
    return InterfaceOf<COptionUI>(this, name, "CheckBox");
}

bool CCheckBoxUI::DoEvent(TEventUI& event) {
    if (m_bAutoCheck && IsMouseEnabled() && IsEnabled() &&
        (event.Type == UIEVENT_BUTTONDOWN || event.Type == UIEVENT_DBLCLICK) &&
        ::PtInRect(&m_rcItem, event.ptMouse)) {
        // Auto-check: the press toggles at once; no button cycle, no "click".
        Selected(!m_bSelected);
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, "checkclick");
        Invalidate();
        return true;
    }
    return COptionUI::DoEvent(event);
}

void CCheckBoxUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    if (EqualsNoCase(name, "EnableAutoCheck"))
        SetAutoCheck(uiparse::ParseBool(value));
    else
        COptionUI::SetAttribute(name, value);
}

bool CCheckBoxUI::HasImages() const {
    return !m_sNormalImage.empty() || !m_sSelectedImage.empty() || !m_sStateImage.empty() ||
           !m_sSelectedStateImage.empty() || !m_sBkImage.empty();
}

RECT CCheckBoxUI::PlainBoxRect() const {
    // 13 pixels at 96 DPI, as the system's own box, growing with the DPI.
    const int scaled = m_pManager != nullptr ? m_pManager->Scale(13) : 13;
    const int size = std::min<int>(scaled, std::max<int>(0, m_rcItem.bottom - m_rcItem.top));
    const int top = (m_rcItem.top + m_rcItem.bottom - size) / 2;
    return RECT{m_rcItem.left + 1, top, m_rcItem.left + 1 + size, top + size};
}

void CCheckBoxUI::PaintStatusImage(HDC hDC) {
    if (HasImages()) {
        COptionUI::PaintStatusImage(hDC);
        return;
    }
    // A plain box with a check mark when selected.
    const UINT state = PaintState();
    const RECT box = PlainBoxRect();
    const bool enabled = (state & UISTATE_DISABLED) == 0;
    const int unit = std::max(1, m_pManager != nullptr ? m_pManager->Scale(1) : 1);
    CRenderEngine::DrawColor(hDC, box, enabled ? 0xFFFFFFFF : 0xFFF0F0F0);
    CRenderEngine::DrawRect(hDC, box, unit, (state & UISTATE_HOT) ? 0xFF3C7FB1 : 0xFF707070);
    if (!m_bSelected)
        return;
    const DWORD mark = enabled ? 0xFF202020 : 0xFFA0A0A0;
    // Two strokes, down-right then up-right, drawn on a 13-point grid scaled to the box.
    const int size = box.right - box.left;
    auto at = [&](int v) { return v * size / 13; };
    const int x = box.left, y = box.top;
    for (int i = 0; i < 3; ++i)
        CRenderEngine::DrawColor(
            hDC, RECT{x + at(3 + i), y + at(6 + i), x + at(4 + i), y + at(9 + i)}, mark);
    for (int i = 0; i < 5; ++i)
        CRenderEngine::DrawColor(
            hDC, RECT{x + at(6 + i), y + at(7 - i), x + at(7 + i), y + at(10 - i)}, mark);
}

void CCheckBoxUI::PaintText(HDC hDC) {
    if (HasImages()) {
        COptionUI::PaintText(hDC);
        return;
    }
    // The text starts after the plain box.
    const RECT saved = m_rcTextPadding;
    m_rcTextPadding.left =
        std::max<LONG>(m_rcTextPadding.left, m_pManager != nullptr ? m_pManager->Scale(19) : 19);
    COptionUI::PaintText(hDC);
    m_rcTextPadding = saved;
}

#include "ui/UIControl.h"

#include "ui/UIManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ui/UIParseWin.h"
#include "ui/UIRender.h"

using uiparse::EqualsNoCase;

namespace {

// How deep styles may name other styles (a style whose value names itself, or a ring of
// styles, would otherwise recurse for ever).
constexpr int kMaxStyleDepth = 16; // two per level: attribute, then list
int g_styleDepth = 0;

struct StyleDepthGuard {
    bool ok;
    StyleDepthGuard() : ok(g_styleDepth < kMaxStyleDepth) { ++g_styleDepth; }
    ~StyleDepthGuard() { --g_styleDepth; }
};

// A size from a skin: negative values are ignored by the caller, large ones are clamped.
constexpr int kMaxSize = uiparse::kMaxCoord;

// Stores a fixed, minimum or maximum size from a skin; says whether it changed. Negative
// values are ignored, large ones clamped.
bool StoreSize(LONG& slot, int value) {
    if (value < 0 || value == slot)
        return false;
    slot = std::min(value, kMaxSize);
    return true;
}

double ParseFraction(const char*& p) {
    char* end = nullptr;
    double v = std::strtod(p, &end);
    if (end == p)
        v = 0;
    p = end;
    while (*p == ' ')
        ++p;
    if (*p == ',')
        ++p;
    // Fractions that are not finite (inf, nan) or far outside 0..1 make no sense: clamp.
    if (!std::isfinite(v))
        return 0;
    return std::clamp(v, -10.0, 10.0);
}

LPCSTR CursorFromName(const std::string& v) {
    struct Entry {
        const char* name;
        LPCSTR id;
    };
    static const Entry kCursors[] = {
        {"arrow", IDC_ARROW},   {"ibeam", IDC_IBEAM},       {"wait", IDC_WAIT},
        {"cross", IDC_CROSS},   {"uparrow", IDC_UPARROW},   {"size", IDC_SIZE},
        {"icon", IDC_ICON},     {"sizenwse", IDC_SIZENWSE}, {"sizenesw", IDC_SIZENESW},
        {"sizewe", IDC_SIZEWE}, {"sizens", IDC_SIZENS},     {"sizeall", IDC_SIZEALL},
        {"no", IDC_NO},         {"hand", IDC_HAND},
    };
    for (const Entry& e : kCursors)
        if (EqualsNoCase(v, e.name))
            return e.id;
    return nullptr;
}

} // namespace

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    OnDestroy(this);
    if (m_pManager != nullptr)
        m_pManager->ReapObjects(this);
}

LPVOID CControlUI::GetInterface(const std::string& name) {
    if (EqualsNoCase(name, "Control"))
        return this;
    return nullptr;
}

bool CControlUI::Activate() {
    return IsVisible() && IsEnabled();
}

void CControlUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
    // Leaving a manager: it forgets this control (focus, hover, timers, option groups, name).
    if (m_pManager != nullptr && m_pManager != pManager)
        m_pManager->ReapObjects(this);
    m_pManager = pManager;
    m_pParent = pParent;
    // Built without a window (a page file) or for another one: the sizes again at this
    // window's DPI.
    if (m_pManager != nullptr && m_pManager->GetDpi() != m_scaledDpi && !m_sizeAttributes.empty())
        Rescale();
    if (bInit && m_pManager)
        Init();
}

void CControlUI::Init() {
    DoInit();
    OnInit(this);
}

void CControlUI::SetText(const std::string& text) {
    SetLook(m_sText, text);
}

// ---- Colours, images, border ------------------------------------------------------------

void CControlUI::SetBkColor(DWORD color) {
    SetLook(m_dwBackColor, color);
}

void CControlUI::SetBkColor2(DWORD color) {
    SetLook(m_dwBackColor2, color);
}

void CControlUI::SetBkColor3(DWORD color) {
    SetLook(m_dwBackColor3, color);
}

void CControlUI::SetGradientHorizontal(bool horizontal) {
    SetLook(m_bGradientHorizontal, horizontal);
}

void CControlUI::SetForeColor(DWORD color) {
    SetLook(m_dwForeColor, color);
}

void CControlUI::SetBkImage(const std::string& image) {
    SetLook(m_sBkImage, image);
}

void CControlUI::SetForeImage(const std::string& image) {
    SetLook(m_sForeImage, image);
}

void CControlUI::SetBorderColor(DWORD color) {
    SetLook(m_dwBorderColor, color);
}

void CControlUI::SetFocusBorderColor(DWORD color) {
    SetLook(m_dwFocusBorderColor, color);
}

void CControlUI::SetBorderSize(int size) {
    size = std::clamp(size, 0, kMaxSize);
    m_nBorderSize = size;
    m_rcBorderSize = RECT{0, 0, 0, 0};
    Invalidate();
}

void CControlUI::SetBorderSize(const RECT& rc) {
    m_rcBorderSize.left = std::clamp<LONG>(rc.left, 0, kMaxSize);
    m_rcBorderSize.top = std::clamp<LONG>(rc.top, 0, kMaxSize);
    m_rcBorderSize.right = std::clamp<LONG>(rc.right, 0, kMaxSize);
    m_rcBorderSize.bottom = std::clamp<LONG>(rc.bottom, 0, kMaxSize);
    Invalidate();
}

void CControlUI::SetLeftBorderSize(int size) {
    m_rcBorderSize.left = std::clamp(size, 0, kMaxSize);
    Invalidate();
}

void CControlUI::SetTopBorderSize(int size) {
    m_rcBorderSize.top = std::clamp(size, 0, kMaxSize);
    Invalidate();
}

void CControlUI::SetRightBorderSize(int size) {
    m_rcBorderSize.right = std::clamp(size, 0, kMaxSize);
    Invalidate();
}

void CControlUI::SetBottomBorderSize(int size) {
    m_rcBorderSize.bottom = std::clamp(size, 0, kMaxSize);
    Invalidate();
}

void CControlUI::SetBorderStyle(int style) {
    m_nBorderStyle = std::clamp(style, 0, int(PS_INSIDEFRAME));
    Invalidate();
}

void CControlUI::SetBorderRound(SIZE cxy) {
    m_cxyBorderRound.cx = std::clamp<LONG>(cxy.cx, 0, kMaxSize);
    m_cxyBorderRound.cy = std::clamp<LONG>(cxy.cy, 0, kMaxSize);
    Invalidate();
}

void CControlUI::SyncStateBits(UINT& state) const {
    if (IsFocused())
        state |= UISTATE_FOCUSED;
    else
        state &= ~UISTATE_FOCUSED;
    if (!IsEnabled())
        state |= UISTATE_DISABLED;
    else
        state &= ~UISTATE_DISABLED;
}

bool CControlUI::DrawFirstImage(HDC hDC, std::initializer_list<const std::string*> images) {
    for (const std::string* image : images)
        if (image != nullptr && !image->empty() && DrawImage(hDC, *image))
            return true;
    return false;
}

const std::string* CControlUI::StateImage(
    UINT state, std::initializer_list<std::pair<UINT, const std::string*>> imagesByState) {
    for (const auto& [bit, image] : imagesByState)
        if (state & bit)
            return image;
    return nullptr;
}

bool CControlUI::DrawImage(HDC hDC, const std::string& image, const std::string& modify) {
    return CRenderEngine::DrawImageString(hDC, m_pManager, m_rcItem, m_rcPaint, image, modify);
}

// ---- Position and size --------------------------------------------------------------------

RECT CControlUI::GetRelativePos() const {
    CControlUI* pParent = GetParent();
    if (pParent == nullptr)
        return m_rcItem;
    RECT rcParent = pParent->GetPos();
    RECT rc = m_rcItem;
    ::OffsetRect(&rc, -rcParent.left, -rcParent.top);
    return rc;
}

void CControlUI::SetPos(RECT rc, bool bNeedInvalidate) {
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    RECT invalidateRc = m_rcItem;
    if (::IsRectEmpty(&invalidateRc))
        invalidateRc = rc;
    m_rcItem = rc;
    m_bUpdateNeeded = false;
    if (bNeedInvalidate && IsVisible()) {
        ::UnionRect(&invalidateRc, &invalidateRc, &m_rcItem);
        // Cut to every ancestor, as Invalidate does.
        CControlUI* pParent = this;
        RECT rcTemp;
        while ((pParent = pParent->GetParent()) != nullptr) {
            if (!pParent->IsVisible())
                return;
            rcTemp = invalidateRc;
            RECT rcParent = pParent->GetPos();
            if (!::IntersectRect(&invalidateRc, &rcTemp, &rcParent))
                return;
        }
        if (m_pManager != nullptr)
            m_pManager->Invalidate(invalidateRc);
    }
    if (!m_bSetPos) {
        m_bSetPos = true;
        OnSize(this);
        m_bSetPos = false;
    }
}

void CControlUI::Move(SIZE szOffset, bool bNeedInvalidate) {
    RECT rc = m_rcItem;
    ::OffsetRect(&rc, szOffset.cx, szOffset.cy);
    SetPos(rc, bNeedInvalidate);
}

void CControlUI::SetPadding(RECT rcPadding) {
    if (::EqualRect(&m_rcPadding, &rcPadding))
        return;
    m_rcPadding = rcPadding;
    NeedParentUpdate();
}

void CControlUI::SetFixedXY(SIZE szXY) {
    if (m_cXY.cx == szXY.cx && m_cXY.cy == szXY.cy)
        return;
    m_cXY = szXY;
    NeedParentUpdate();
}

// The size setters: the parent lays its children out again when a value changed.
#define UI_SIZE_SETTER(Setter, slot)                                                               \
    void CControlUI::Setter(int value) {                                                           \
        if (StoreSize(slot, value))                                                                \
            NeedParentUpdate();                                                                    \
    }
UI_SIZE_SETTER(SetFixedWidth, m_cxyFixed.cx)
UI_SIZE_SETTER(SetFixedHeight, m_cxyFixed.cy)
UI_SIZE_SETTER(SetMinWidth, m_cxyMin.cx)
UI_SIZE_SETTER(SetMaxWidth, m_cxyMax.cx)
UI_SIZE_SETTER(SetMinHeight, m_cxyMin.cy)
UI_SIZE_SETTER(SetMaxHeight, m_cxyMax.cy)
#undef UI_SIZE_SETTER

void CControlUI::SetFloatPercent(TPercentInfo info) {
    auto sane = [](double v) { return std::isfinite(v) ? std::clamp(v, -10.0, 10.0) : 0.0; };
    info.left = sane(info.left);
    info.top = sane(info.top);
    info.right = sane(info.right);
    info.bottom = sane(info.bottom);
    if (info.left == m_piFloatPercent.left && info.top == m_piFloatPercent.top &&
        info.right == m_piFloatPercent.right && info.bottom == m_piFloatPercent.bottom)
        return;
    m_piFloatPercent = info;
    NeedParentUpdate();
}

void CControlUI::SetFloatAlign(UINT align) {
    if (m_uFloatAlign == align)
        return;
    m_uFloatAlign = align;
    NeedParentUpdate();
}

SIZE CControlUI::EstimateSize(SIZE /*szAvailable*/) {
    return m_cxyFixed;
}

void CControlUI::SetToolTip(const std::string& text) {
    m_sToolTip = uiparse::ReplaceAll(text, "<n>", "\r\n");
}

std::string CControlUI::GetVirtualWnd() const {
    for (const CControlUI* p = this; p != nullptr; p = p->GetParent())
        if (!p->m_sVirtualWnd.empty())
            return p->m_sVirtualWnd;
    return std::string();
}

void CControlUI::SetVirtualWnd(const std::string& name) {
    m_sVirtualWnd = name;
    if (m_pManager)
        m_pManager->UsedVirtualWnd(true);
}

// ---- State ----------------------------------------------------------------------------------

void CControlUI::SetVisible(bool visible) {
    if (m_bVisible == visible)
        return;
    bool wasVisible = IsVisible();
    m_bVisible = visible;
    // A control that goes out of sight gives up the focus.
    if (!visible)
        m_bFocused = false;
    if (!visible && m_pManager && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
    if (IsVisible() != wasVisible) {
        NeedParentUpdate();
        if (m_pManager != nullptr)
            m_pManager->NotifyAccessible(visible ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, this);
    }
}

void CControlUI::SetInternVisible(bool visible) {
    m_bInternVisible = visible;
    if (!visible && m_pManager && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
}

void CControlUI::SetEnabled(bool enable) {
    if (m_bEnabled == enable)
        return;
    SetLook(m_bEnabled, enable);
    if (m_pManager != nullptr)
        m_pManager->NotifyAccessible(EVENT_OBJECT_STATECHANGE, this);
}

void CControlUI::SetMouseEnabled(bool enable) {
    m_bMouseEnabled = enable;
}

void CControlUI::SetKeyboardEnabled(bool enable) {
    m_bKeyboardEnabled = enable;
}

bool CControlUI::IsWithin(const CControlUI* ancestor) const {
    for (const CControlUI* c = this; c != nullptr; c = c->GetParent()) {
        if (c == ancestor)
            return true;
    }
    return false;
}

void CControlUI::SetFocus() {
    if (m_pManager != nullptr)
        m_pManager->SetFocus(this);
}

void CControlUI::SetFloat(bool floating) {
    if (m_bFloat == floating)
        return;
    m_bFloat = floating;
    NeedParentUpdate();
}

CControlUI* CControlUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) {
    if ((uFlags & UIFIND_VISIBLE) != 0 && !IsVisible())
        return nullptr;
    if ((uFlags & UIFIND_ENABLED) != 0 && !IsEnabled())
        return nullptr;
    if ((uFlags & UIFIND_HITTEST) != 0 &&
        (!m_bMouseEnabled || !::PtInRect(&m_rcItem, *static_cast<LPPOINT>(pData))))
        return nullptr;
    return Proc(this, pData);
}

// ---- Invalidation --------------------------------------------------------------------------

void CControlUI::Invalidate() {
    if (!IsVisible())
        return;
    RECT invalidateRc = m_rcItem;
    CControlUI* pParent = this;
    RECT rcTemp;
    while ((pParent = pParent->GetParent()) != nullptr) {
        rcTemp = invalidateRc;
        RECT rcParent = pParent->GetPos();
        if (!::IntersectRect(&invalidateRc, &rcTemp, &rcParent))
            return;
    }
    if (m_pManager != nullptr)
        m_pManager->Invalidate(invalidateRc);
}

void CControlUI::NeedUpdate() {
    if (!IsVisible())
        return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager != nullptr)
        m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
    if (GetParent()) {
        GetParent()->NeedUpdate();
        GetParent()->Invalidate();
    } else {
        NeedUpdate();
    }
    if (m_pManager != nullptr)
        m_pManager->NeedUpdate();
}

// ---- Events ----------------------------------------------------------------------------------

void CControlUI::Event(TEventUI& event) {
    if (OnEvent(&event))
        DoEvent(event);
}

bool CControlUI::PassMouseToParent(TEventUI& event) {
    if (m_pParent == nullptr)
        return false;
    m_pParent->DoEvent(event);
    return true;
}

SIZE CControlUI::ClampToLimits(SIZE size) const {
    size.cx = std::clamp<LONG>(size.cx, GetMinWidth(), std::max(GetMinWidth(), GetMaxWidth()));
    size.cy = std::clamp<LONG>(size.cy, GetMinHeight(), std::max(GetMinHeight(), GetMaxHeight()));
    return size;
}

HBITMAP CControlUI::PaintToBitmap(const RECT& rc) {
    const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    if (m_pManager == nullptr || cx <= 0 || cy <= 0)
        return nullptr;
    HDC hPaintDC = ::CreateCompatibleDC(m_pManager->GetPaintDC());
    BYTE* bits = nullptr;
    HBITMAP hBitmap = CRenderEngine::CreateARGB32Bitmap(m_pManager->GetPaintDC(), cx, cy, &bits);
    HGDIOBJ old = ::SelectObject(hPaintDC, hBitmap);
    ::SetWindowOrgEx(hPaintDC, rc.left, rc.top, nullptr);
    Paint(hPaintDC, rc);
    ::SelectObject(hPaintDC, old);
    ::DeleteDC(hPaintDC);
    return hBitmap;
}

bool CControlUI::TrackHotState(const TEventUI& event, UINT& state, bool checkInside) {
    if (event.Type == UIEVENT_MOUSEENTER) {
        if (IsEnabled() && (!checkInside || ::PtInRect(&m_rcItem, event.ptMouse)) &&
            (state & UISTATE_HOT) == 0) {
            state |= UISTATE_HOT;
            Invalidate();
        }
        return true;
    }
    if (event.Type == UIEVENT_MOUSELEAVE) {
        if (state & UISTATE_HOT) {
            state &= ~UISTATE_HOT;
            Invalidate();
        }
        return true;
    }
    return false;
}

bool CControlUI::FollowFocus(const TEventUI& event, bool redraw) {
    if (event.Type != UIEVENT_SETFOCUS && event.Type != UIEVENT_KILLFOCUS)
        return false;
    m_bFocused = event.Type == UIEVENT_SETFOCUS;
    if (redraw)
        Invalidate();
    return true;
}

bool CControlUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_SETCURSOR) {
        ::SetCursor(::LoadCursor(nullptr, m_cursor ? m_cursor : IDC_ARROW));
        return true;
    }
    if (FollowFocus(event, true))
        return true;
    if (event.Type == UIEVENT_TIMER) {
        if (m_pManager)
            m_pManager->SendNotify(this, "timer", event.wParam, event.lParam);
        return true;
    }
    if (event.Type == UIEVENT_CONTEXTMENU) {
        if (IsContextMenuUsed() && m_pManager) {
            m_pManager->SendNotify(this, "menu", event.wParam, event.lParam);
            return true;
        }
    }
    // Anything else is the parent's to handle; at the root nobody handled it.
    if (m_pParent != nullptr)
        return m_pParent->DoEvent(event);
    return false;
}

// ---- Attributes -----------------------------------------------------------------------------

bool CControlUI::ApplyStyleValue(const std::string& value) {
    if (m_pManager == nullptr || value.empty() || !m_pManager->HasStyle(value))
        return false;
    StyleDepthGuard guard;
    if (guard.ok)
        ApplyAttributeList(m_pManager->GetStyle(value));
    return true;
}

void CControlUI::SetAttribute(const std::string& name, const std::string& value) {
    // A value that names a style applies the style instead, whatever the attribute.
    if (ApplyStyleValue(value))
        return;
    const std::string& v = value;
    if (EqualsNoCase(name, "pos")) {
        // Positions may count from the far side (negative): both scale.
        auto scaled = [this](LONG x) { return x < 0 ? -LONG(Scaled(int(-x))) : LONG(Scaled(int(x))); };
        RECT rc = uiparse::ParseRect(v);
        rc = RECT{scaled(rc.left), scaled(rc.top), scaled(rc.right), scaled(rc.bottom)};
        SIZE szXY = {rc.left >= 0 ? rc.left : rc.right, rc.top >= 0 ? rc.top : rc.bottom};
        SetFixedXY(szXY);
        SetFixedWidth(std::clamp<LONG>(rc.right - rc.left, 0, kMaxSize));
        SetFixedHeight(std::clamp<LONG>(rc.bottom - rc.top, 0, kMaxSize));
    } else if (EqualsNoCase(name, "float")) {
        if (v.find(',') == std::string::npos) {
            SetFloat(uiparse::ParseBool(v));
        } else {
            const char* p = v.c_str();
            TPercentInfo info;
            info.left = ParseFraction(p);
            info.top = ParseFraction(p);
            info.right = ParseFraction(p);
            info.bottom = ParseFraction(p);
            SetFloatPercent(info);
            SetFloat(true);
        }
    } else if (EqualsNoCase(name, "floatalign")) {
        UINT align = GetFloatAlign();
        std::string word;
        auto apply = [&](const std::string& w) {
            if (w == "null")
                align = 0;
            else if (w == "left")
                align &= ~(DT_FLOAT_CENTER | DT_FLOAT_RIGHT);
            else if (w == "center")
                align = (align & ~DT_FLOAT_RIGHT) | DT_FLOAT_CENTER;
            else if (w == "right")
                align = (align & ~DT_FLOAT_CENTER) | DT_FLOAT_RIGHT;
            else if (w == "top")
                align &= ~(DT_FLOAT_VCENTER | DT_FLOAT_BOTTOM);
            else if (w == "vcenter")
                align = (align & ~DT_FLOAT_BOTTOM) | DT_FLOAT_VCENTER;
            else if (w == "bottom")
                align = (align & ~DT_FLOAT_VCENTER) | DT_FLOAT_BOTTOM;
        };
        for (char ch : v) {
            if (ch == ' ' || ch == ',') {
                apply(word);
                word.clear();
            } else {
                word += ch;
            }
        }
        apply(word);
        SetFloatAlign(align);
    } else if (EqualsNoCase(name, "padding")) {
        SetPadding(Scaled(uiparse::ParseRect(v)));
    } else if (EqualsNoCase(name, "bkcolor") || EqualsNoCase(name, "bkcolor1")) {
        SetBkColor(uiparse::ParseColor(v));
    } else if (EqualsNoCase(name, "bkcolor2")) {
        SetBkColor2(uiparse::ParseColor(v));
    } else if (EqualsNoCase(name, "bkcolor3")) {
        SetBkColor3(uiparse::ParseColor(v));
    } else if (EqualsNoCase(name, "gradient")) {
        SetGradientHorizontal(EqualsNoCase(v, "hor"));
    } else if (EqualsNoCase(name, "forecolor")) {
        SetForeColor(uiparse::ParseColor(v));
    } else if (EqualsNoCase(name, "bordercolor")) {
        SetBorderColor(uiparse::ParseColor(v));
    } else if (EqualsNoCase(name, "focusbordercolor")) {
        SetFocusBorderColor(uiparse::ParseColor(v));
    } else if (EqualsNoCase(name, "bordersize")) {
        if (v.find(',') == std::string::npos) {
            SetBorderSize(Scaled(uiparse::ParseInt(v, 0, kMaxSize)));
        } else {
            SetBorderSize(Scaled(uiparse::ParseRect(v, 0, kMaxSize)));
        }
    } else if (EqualsNoCase(name, "leftbordersize")) {
        SetLeftBorderSize(Scaled(uiparse::ParseInt(v, 0, kMaxSize)));
    } else if (EqualsNoCase(name, "topbordersize")) {
        SetTopBorderSize(Scaled(uiparse::ParseInt(v, 0, kMaxSize)));
    } else if (EqualsNoCase(name, "rightbordersize")) {
        SetRightBorderSize(Scaled(uiparse::ParseInt(v, 0, kMaxSize)));
    } else if (EqualsNoCase(name, "bottombordersize")) {
        SetBottomBorderSize(Scaled(uiparse::ParseInt(v, 0, kMaxSize)));
    } else if (EqualsNoCase(name, "borderstyle")) {
        SetBorderStyle(uiparse::ParseInt(v, 0, PS_INSIDEFRAME));
    } else if (EqualsNoCase(name, "borderround")) {
        SetBorderRound(Scaled(uiparse::ParseSize(v, 0, kMaxSize)));
    } else if (EqualsNoCase(name, "bkimage")) {
        SetBkImage(v);
    } else if (EqualsNoCase(name, "foreimage")) {
        SetForeImage(v);
    } else if (EqualsNoCase(name, "width")) {
        SetFixedWidth(Scaled(uiparse::ParseInt(v, -1, kMaxSize)));
    } else if (EqualsNoCase(name, "height")) {
        SetFixedHeight(Scaled(uiparse::ParseInt(v, -1, kMaxSize)));
    } else if (EqualsNoCase(name, "minwidth")) {
        SetMinWidth(Scaled(uiparse::ParseInt(v, -1, kMaxSize)));
    } else if (EqualsNoCase(name, "minheight")) {
        SetMinHeight(Scaled(uiparse::ParseInt(v, -1, kMaxSize)));
    } else if (EqualsNoCase(name, "maxwidth")) {
        SetMaxWidth(Scaled(uiparse::ParseInt(v, -1, kMaxSize)));
    } else if (EqualsNoCase(name, "maxheight")) {
        SetMaxHeight(Scaled(uiparse::ParseInt(v, -1, kMaxSize)));
    } else if (EqualsNoCase(name, "name")) {
        SetName(v);
    } else if (EqualsNoCase(name, "text")) {
        SetText(uiparse::ReplaceAll(v, "{\\n}", "\n"));
    } else if (EqualsNoCase(name, "tooltip")) {
        SetToolTip(v);
    } else if (EqualsNoCase(name, "userdata")) {
        SetUserData(v);
    } else if (EqualsNoCase(name, "enabled")) {
        SetEnabled(uiparse::ParseBool(v));
    } else if (EqualsNoCase(name, "mouse")) {
        SetMouseEnabled(uiparse::ParseBool(v));
    } else if (EqualsNoCase(name, "keyboard")) {
        SetKeyboardEnabled(uiparse::ParseBool(v));
    } else if (EqualsNoCase(name, "visible")) {
        SetVisible(uiparse::ParseBool(v));
    } else if (EqualsNoCase(name, "tabindex")) {
        SetTabIndex(uiparse::ParseInt(v, 0, 100000));
    } else if (EqualsNoCase(name, "accrole")) {
        SetAccRole(v);
    } else if (EqualsNoCase(name, "accname")) {
        SetAccName(v);
    } else if (EqualsNoCase(name, "shortcut")) {
        SetShortcut(v.empty() ? 0 : v[0]);
    } else if (EqualsNoCase(name, "menu")) {
        SetContextMenuUsed(uiparse::ParseBool(v));
    } else if (EqualsNoCase(name, "cursor")) {
        if (LPCSTR cursor = CursorFromName(v))
            SetCursor(cursor);
    } else if (EqualsNoCase(name, "virtualwnd")) {
        SetVirtualWnd(v);
    } else if (EqualsNoCase(name, "innerstyle")) {
        ApplyAttributeList(v);
    } else if (EqualsNoCase(name, "drag")) {
        SetDragEnable(uiparse::ParseBool(v));
    } else if (EqualsNoCase(name, "drop")) {
        SetDropEnable(uiparse::ParseBool(v));
    } else {
        AddCustomAttribute(name, value);
    }
}

namespace {

// The attributes that hold sizes: kept as the skin gives them, to be read again at another DPI.
bool HoldsSizes(const std::string& name) {
    static const char* const kNames[] = {
        "pos", "padding", "width", "height", "minwidth", "minheight", "maxwidth", "maxheight",
        "bordersize", "leftbordersize", "topbordersize", "rightbordersize", "bottombordersize",
        "borderround", "inset", "childpadding", "textpadding", "itemtextpadding", "dropboxsize",
        "sepwidth", "sepheight", "itemsize", "columns", "scrollstepsize", "itemheight",
        "thumbsize", "textpadding2"};
    for (const char* known : kNames)
        if (EqualsNoCase(name, known))
            return true;
    return false;
}

} // namespace

void CControlUI::ApplyAttribute(const std::string& name, const std::string& value) {
    if (HoldsSizes(name)) {
        auto kept = std::find_if(m_sizeAttributes.begin(), m_sizeAttributes.end(),
                                 [&](const auto& a) { return EqualsNoCase(a.first, name); });
        if (kept == m_sizeAttributes.end())
            m_sizeAttributes.emplace_back(name, value);
        else
            kept->second = value;
    }
    SetAttribute(name, value);
    if (HoldsSizes(name))
        m_scaledDpi = m_pManager != nullptr ? m_pManager->GetDpi() : 96;
}

void CControlUI::Rescale() {
    const auto kept = m_sizeAttributes;
    for (const auto& [name, value] : kept)
        SetAttribute(name, value);
    m_scaledDpi = m_pManager != nullptr ? m_pManager->GetDpi() : 96;
}

int CControlUI::Scaled(int value) const {
    return m_pManager != nullptr && value > 0 ? m_pManager->Scale(value) : value;
}

RECT CControlUI::Scaled(RECT rc) const {
    return RECT{Scaled(rc.left), Scaled(rc.top), Scaled(rc.right), Scaled(rc.bottom)};
}

SIZE CControlUI::Scaled(SIZE size) const {
    return SIZE{Scaled(size.cx), Scaled(size.cy)};
}

void CControlUI::ApplyAttributeList(const std::string& listIn) {
    StyleDepthGuard guard;
    if (!guard.ok)
        return;
    if (m_pManager != nullptr && m_pManager->HasStyle(listIn)) {
        ApplyAttributeList(m_pManager->GetStyle(listIn));
        return;
    }
    const std::string list = uiparse::ReplaceAll(listIn, "&quot;", "\"");
    size_t i = 0;
    while (i < list.size()) {
        size_t eq = list.find('=', i);
        if (eq == std::string::npos)
            return;
        std::string name = list.substr(i, eq - i);
        if (eq + 1 >= list.size() || list[eq + 1] != '"')
            return;
        size_t end = list.find('"', eq + 2);
        if (end == std::string::npos)
            return;
        std::string value = list.substr(eq + 2, end - eq - 2);
        ApplyAttribute(name, value);
        i = end + 1;
        if (i >= list.size())
            return;
        if (list[i] != ' ' && list[i] != ',')
            return;
        ++i;
    }
}

void CControlUI::AddCustomAttribute(const std::string& name, const std::string& value) {
    if (name.empty() || value.empty())
        return;
    m_mCustomAttrHash.emplace(name, value); // the first value wins
}

std::string CControlUI::GetCustomAttribute(const std::string& name) const {
    auto it = m_mCustomAttrHash.find(name);
    return it == m_mCustomAttrHash.end() ? std::string() : it->second;
}

bool CControlUI::RemoveCustomAttribute(const std::string& name) {
    return m_mCustomAttrHash.erase(name) > 0;
}

// ---- Painting ----------------------------------------------------------------------------

void CControlUI::Paint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    DoPaint(hDC, rcPaint);
}

void CControlUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0) {
        CRenderClip roundClip;
        CRenderClip::GenerateRoundClip(hDC, m_rcPaint, m_rcItem, m_cxyBorderRound.cx,
                                       m_cxyBorderRound.cy, roundClip);
        PaintBkColor(hDC);
        PaintBkImage(hDC);
        PaintStatusImage(hDC);
        PaintForeColor(hDC);
        PaintForeImage(hDC);
        PaintText(hDC);
        PaintBorder(hDC);
    } else {
        PaintBkColor(hDC);
        PaintBkImage(hDC);
        PaintStatusImage(hDC);
        PaintForeColor(hDC);
        PaintForeImage(hDC);
        PaintText(hDC);
        PaintBorder(hDC);
    }
}

void CControlUI::PaintBkColor(HDC hDC) {
    if (m_dwBackColor == 0)
        return;
    if (m_dwBackColor2 != 0) {
        if (m_dwBackColor3 != 0) {
            RECT rc = m_rcItem;
            if (m_bGradientHorizontal) {
                rc.right = (m_rcItem.left + m_rcItem.right) / 2;
                CRenderEngine::DrawGradient(hDC, rc, m_dwBackColor, m_dwBackColor2, false);
                rc.left = rc.right;
                rc.right = m_rcItem.right;
            } else {
                rc.bottom = (m_rcItem.top + m_rcItem.bottom) / 2;
                CRenderEngine::DrawGradient(hDC, rc, m_dwBackColor, m_dwBackColor2, true);
                rc.top = rc.bottom;
                rc.bottom = m_rcItem.bottom;
            }
            CRenderEngine::DrawGradient(hDC, rc, m_dwBackColor2, m_dwBackColor3,
                                        !m_bGradientHorizontal);
        } else {
            CRenderEngine::DrawGradient(hDC, m_rcItem, m_dwBackColor, m_dwBackColor2,
                                        !m_bGradientHorizontal);
        }
    } else {
        CRenderEngine::DrawColor(hDC, m_rcPaint, m_dwBackColor);
    }
}

void CControlUI::PaintBkImage(HDC hDC) {
    if (!m_sBkImage.empty())
        DrawImage(hDC, m_sBkImage);
}

void CControlUI::PaintStatusImage(HDC /*hDC*/) {}

void CControlUI::PaintForeColor(HDC hDC) {
    if (m_dwForeColor != 0)
        CRenderEngine::DrawColor(hDC, m_rcPaint, m_dwForeColor);
}

void CControlUI::PaintForeImage(HDC hDC) {
    if (!m_sForeImage.empty())
        DrawImage(hDC, m_sForeImage);
}

void CControlUI::PaintText(HDC hDC) {
    // The plain control draws its text centred in the default colours; labels override this.
    if (m_sText.empty() || m_pManager == nullptr)
        return;
    RECT rc = m_rcItem;
    DWORD color =
        IsEnabled() ? m_pManager->GetDefaultFontColor() : m_pManager->GetDefaultDisabledColor();
    CRenderEngine::DrawText(hDC, m_pManager, rc, m_sText, color, -1,
                            DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
}

void CControlUI::PaintBorder(HDC hDC) {
    // The keyboard's focus on a control that has no focus colour of its own: a dotted frame
    // inside its edge.
    if (m_bFocused && m_dwFocusBorderColor == 0 && m_pManager != nullptr &&
        m_pManager->ShowsFocusCues()) {
        const int inset = std::max(1, m_pManager->Scale(2));
        const RECT r = {m_rcItem.left + inset, m_rcItem.top + inset, m_rcItem.right - inset,
                        m_rcItem.bottom - inset};
        // Dark blue dots on a light control; on a dark one (the blue buttons) a white line,
        // which stands out there.
        const DWORD back = m_dwBackColor;
        const int luminance = (299 * int((back >> 16) & 0xFF) + 587 * int((back >> 8) & 0xFF) +
                               114 * int(back & 0xFF)) / 1000;
        if ((back >> 24) != 0 && luminance < 150)
            CRenderEngine::DrawRect(hDC, r, 1, 0xFFFFFFFF, PS_SOLID);
        else
            CRenderEngine::DrawRect(hDC, r, 1, 0xFF1D4ED8, PS_DOT);
    }
    DWORD color = m_dwBorderColor;
    if (m_bFocused && m_dwFocusBorderColor != 0)
        color = m_dwFocusBorderColor;
    if (color == 0)
        return;
    if (m_nBorderSize > 0) {
        if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)
            CRenderEngine::DrawRoundRect(hDC, m_rcItem, m_cxyBorderRound.cx, m_cxyBorderRound.cy,
                                         m_nBorderSize, color, m_nBorderStyle);
        else
            CRenderEngine::DrawRect(hDC, m_rcItem, m_nBorderSize, color, m_nBorderStyle);
        return;
    }
    // Per-side widths: each side is a filled band inside the item rectangle.
    const RECT& b = m_rcBorderSize;
    const RECT& r = m_rcItem;
    if (b.left > 0)
        CRenderEngine::DrawColor(hDC, RECT{r.left, r.top, r.left + b.left, r.bottom}, color);
    if (b.top > 0)
        CRenderEngine::DrawColor(hDC, RECT{r.left, r.top, r.right, r.top + b.top}, color);
    if (b.right > 0)
        CRenderEngine::DrawColor(hDC, RECT{r.right - b.right, r.top, r.right, r.bottom}, color);
    if (b.bottom > 0)
        CRenderEngine::DrawColor(hDC, RECT{r.left, r.bottom - b.bottom, r.right, r.bottom}, color);
}

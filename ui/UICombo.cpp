#include "ui/UICombo.h"

#include "ui/UIManager.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/UIBase.h"
#include "ui/UILayout.h"
#include "ui/UIRender.h"
#include "ui/UIParseWin.h"
#include "ui/UITextWin.h"

#include <cwctype>

using uiparse::EqualsNoCase;

// ---- The drop-down window ---------------------------------------------------------------------

// The drop-down list is never activated, like the system's own: the owner's window keeps the
// activation and the keyboard focus, and its messages reach the list through a message filter
// (keys and the wheel are handed on; a click elsewhere, or the window losing the activation,
// closes it). An activated pop-up would also be a window-manager window under X11, whose
// closing Wine holds up for two seconds when no window manager answers.
class CComboWnd : public CWindowWnd, public INotifyUI, public IMessageFilterUI {
public:
    bool Init(CComboUI* owner);
    // The owner window's messages while the list is open.
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    // The owner closes the window itself: give the items back, then destroy it at once.
    void CloseNow();
    void EnsureVisible(int iIndex);
    void Notify(TNotifyUI& msg) override;

protected:
    const char* GetWindowClassName() const override { return "ComboWnd"; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }
    void OnFinalMessage(HWND hWnd) override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    void BuildLayout();
    void GiveItemsBack();
    bool IsItemAt(POINT pt);

    CComboUI* m_pOwner = nullptr;
    CPaintManagerUI m_pm;
    CVerticalLayoutUI* m_pLayout = nullptr;
    int m_iOldSel = -1;
    bool m_bHitItem = false;
    bool m_bItemsBack = false;
    CPaintManagerUI* m_pOwnerPm = nullptr; // where the filter is registered
};

bool CComboWnd::Init(CComboUI* owner) {
    m_pOwner = owner;
    m_iOldSel = owner->GetCurSel();
    CPaintManagerUI* ownerPm = owner->GetManager();
    HWND paint = ownerPm->GetPaintWindow();

    const SIZE szDrop = owner->GetDropBoxSize();
    const RECT rcOwner = owner->GetPos();
    RECT rc = rcOwner;
    rc.top = rc.bottom;
    rc.bottom = rc.top + szDrop.cy;
    if (szDrop.cx > 0)
        rc.right = rc.left + szDrop.cx;
    const SIZE szAvailable = {rc.right - rc.left, rc.bottom - rc.top};
    long cyItems = 0;
    for (int i = 0; i < owner->GetCount() && cyItems < szDrop.cy; ++i) {
        CControlUI* item = owner->GetItemAt(i);
        if (!item->IsVisible())
            continue;
        cyItems += item->EstimateSize(szAvailable).cy;
    }
    cyItems += 4;
    rc.bottom = rc.top + std::min<long>(cyItems, szDrop.cy);

    // To the screen; above the combo when it would leave the monitor's work area below.
    ::MapWindowPoints(paint, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    RECT rcOwnerScreen = rcOwner;
    ::MapWindowPoints(paint, nullptr, reinterpret_cast<POINT*>(&rcOwnerScreen), 2);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(paint, MONITOR_DEFAULTTOPRIMARY), &monitor);
    if (rc.bottom > monitor.rcWork.bottom) {
        const LONG height = rc.bottom - rc.top;
        rc.bottom = rcOwnerScreen.top;
        rc.top = rc.bottom - height;
    }

    Create(paint, nullptr, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, rc);
    if (m_hWnd == nullptr)
        return false;
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    m_pOwnerPm = ownerPm;
    m_pOwnerPm->AddMessageFilter(this);
    return true;
}

LRESULT CComboWnd::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) {
    if (m_hWnd == nullptr || m_pOwner == nullptr)
        return 0;
    switch (uMsg) {
    case WM_KEYDOWN:
    case WM_MOUSEWHEEL:
        // The list's keys and wheel, as if it had the focus.
        bHandled = true;
        return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
    case WM_CHAR:
        // A letter picks the next item that starts with it.
        bHandled = true;
        if (m_pOwner->SelectByLetter(wchar_t(wParam)))
            EnsureVisible(m_pOwner->GetCurSel());
        return 0;
    case WM_KEYUP:
        bHandled = true;
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN: {
        // A click anywhere in the owner's window closes the list; a click on the combo itself
        // only closes it (it does not open it again at once).
        if (uMsg == WM_LBUTTONDOWN) {
            POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            const RECT combo = m_pOwner->GetPos();
            if (::PtInRect(&combo, pt))
                bHandled = true;
        }
        PostMessage(WM_CLOSE);
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            PostMessage(WM_CLOSE);
        return 0;
    case WM_ACTIVATEAPP:
    case WM_KILLFOCUS:
    case WM_SIZE:
    case WM_MOVE:
    case WM_SYSCOMMAND:
        if (uMsg != WM_ACTIVATEAPP || !wParam)
            PostMessage(WM_CLOSE);
        return 0;
    default:
        return 0;
    }
}

void CComboWnd::BuildLayout() {
    CPaintManagerUI* ownerPm = m_pOwner->GetManager();
    // The item font and the default font of the owner's window, so that items look alike.
    if (TFontInfo* def = ownerPm->GetDefaultFontInfo())
        m_pm.SetDefaultFont(def->sFontName, def->iSize, def->bBold, def->bUnderline, def->bItalic);
    const int itemFont = m_pOwner->GetListInfo()->nFont;
    if (itemFont >= 0) {
        if (TFontInfo* font = ownerPm->GetFontInfo(itemFont))
            m_pm.AddFont(itemFont, font->sFontName, font->iSize, font->bBold, font->bUnderline,
                         font->bItalic);
    }
    m_pLayout = new CVerticalLayoutUI;
    m_pLayout->ApplyAttributeList(ownerPm->GetDefaultAttributeList("VerticalLayout"));
    m_pLayout->SetManager(&m_pm, nullptr, true);
    m_pLayout->SetInset(RECT{1, 1, 1, 1});
    m_pLayout->SetBkColor(0xFFFFFFFF);
    m_pLayout->SetBorderColor(0xFFC6C7D2);
    m_pLayout->SetBorderSize(1);
    m_pLayout->SetAutoDestroy(false); // the items still belong to the combo
    m_pLayout->EnableScrollBar();
    m_pLayout->ApplyAttributeList(m_pOwner->GetDropBoxAttributeList());
    for (int i = 0; i < m_pOwner->GetCount(); ++i)
        m_pLayout->Add(m_pOwner->GetItemAt(i));
    m_pm.AttachDialog(m_pLayout);
    m_pm.AddNotifier(this);
}

void CComboWnd::GiveItemsBack() {
    if (m_bItemsBack || m_pOwner == nullptr)
        return;
    m_bItemsBack = true;
    if (m_pLayout != nullptr)
        m_pLayout->RemoveAll(); // not destroyed: auto-destroy is off
    // Back to the combo's manager and parent, with empty rectangles.
    m_pOwner->SetManager(m_pOwner->GetManager(), m_pOwner->GetParent(), false);
    for (int i = 0; i < m_pOwner->GetCount(); ++i)
        m_pOwner->GetItemAt(i)->SetPos(RECT{0, 0, 0, 0}, false);
}

void CComboWnd::CloseNow() {
    if (m_pOwnerPm != nullptr) {
        m_pOwnerPm->RemoveMessageFilter(this);
        m_pOwnerPm = nullptr;
    }
    GiveItemsBack();
    m_pOwner = nullptr;
    if (m_hWnd != nullptr)
        ::DestroyWindow(m_hWnd); // the final message deletes this object
    else
        delete this;
}

void CComboWnd::OnFinalMessage(HWND) {
    if (m_pOwnerPm != nullptr) {
        m_pOwnerPm->RemoveMessageFilter(this);
        m_pOwnerPm = nullptr;
    }
    CComboUI* owner = m_pOwner;
    GiveItemsBack();
    if (owner != nullptr) {
        owner->m_pWindow = nullptr;
        owner->m_uButtonState &= ~UISTATE_PUSHED;
        // The focus goes back to the combo, unless its window is going away too.
        CPaintManagerUI* pm = owner->GetManager();
        if (pm != nullptr && ::IsWindowVisible(pm->GetPaintWindow()))
            owner->SetFocus();
        owner->Invalidate();
    }
    delete this;
}

void CComboWnd::EnsureVisible(int iIndex) {
    if (m_pOwner == nullptr || m_pLayout == nullptr || iIndex < 0 || iIndex >= m_pOwner->GetCount())
        return;
    // Lay out first so that the item rectangles are current.
    RECT rcClient = {};
    ::GetClientRect(m_hWnd, &rcClient);
    RECT rcItem = m_pOwner->GetItemAt(iIndex)->GetPos();
    RECT rcList = m_pLayout->GetClientPos();
    if (m_pLayout->GetVerticalScrollBar() == nullptr)
        return;
    int dy = 0;
    if (rcItem.top < rcList.top)
        dy = rcItem.top - rcList.top;
    else if (rcItem.bottom > rcList.bottom)
        dy = rcItem.bottom - rcList.bottom;
    if (dy != 0) {
        SIZE pos = m_pLayout->GetScrollPos();
        m_pLayout->SetScrollPos(SIZE{pos.cx, pos.cy + dy});
    }
}

void CComboWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == "windowinit" && m_pOwner != nullptr)
        EnsureVisible(m_pOwner->GetCurSel());
}

bool CComboWnd::IsItemAt(POINT pt) {
    CControlUI* p = m_pm.FindControl(pt);
    if (p == nullptr || EqualsNoCase(p->GetClass(), "ScrollBarUI"))
        return false;
    for (; p != nullptr; p = p->GetParent())
        if (p->GetInterface("ListItem") != nullptr)
            return true;
    return false;
}

LRESULT CComboWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_CREATE:
        m_pm.Init(m_hWnd);
        m_pm.SetNoActivate(true);
        if (m_pOwner != nullptr)
            BuildLayout();
        return 0;
    case WM_CLOSE:
        GiveItemsBack();
        break;
    case WM_LBUTTONDOWN: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        m_bHitItem = IsItemAt(pt);
        break;
    }
    case WM_LBUTTONUP: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        LRESULT lRes = 0;
        m_pm.MessageHandler(uMsg, wParam, lParam, lRes);
        // A press and a release on a list item (not on the scroll bar) choose it.
        if (m_bHitItem && IsItemAt(pt))
            PostMessage(WM_CLOSE);
        m_bHitItem = false;
        return lRes;
    }
    case WM_KEYDOWN:
        if (m_pOwner == nullptr)
            break;
        switch (wParam) {
        case VK_ESCAPE:
            m_pOwner->SelectItem(m_iOldSel, true);
            EnsureVisible(m_iOldSel);
            PostMessage(WM_CLOSE);
            return 0;
        case VK_RETURN:
        case VK_F4:
            PostMessage(WM_CLOSE);
            return 0;
        default: {
            TEventUI event;
            event.Type = UIEVENT_KEYDOWN;
            event.chKey = char(wParam);
            event.wParam = wParam;
            event.lParam = lParam;
            event.dwTimestamp = ::GetTickCount();
            m_pOwner->DoEvent(event);
            EnsureVisible(m_pOwner->GetCurSel());
            return 0;
        }
        }
    case WM_MOUSEWHEEL: {
        if (m_pOwner == nullptr)
            break;
        TEventUI event;
        event.Type = UIEVENT_SCROLLWHEEL;
        event.wParam = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0;
        event.lParam = lParam;
        event.dwTimestamp = ::GetTickCount();
        if (m_pOwner->GetScrollSelect()) {
            m_pOwner->DoEvent(event);
            EnsureVisible(m_pOwner->GetCurSel());
        } else if (m_pLayout != nullptr) {
            event.wParam == 0 ? m_pLayout->LineUp() : m_pLayout->LineDown();
        }
        return 0;
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE; // a click chooses an item without taking the activation
    case WM_KILLFOCUS:
        if (m_hWnd != reinterpret_cast<HWND>(wParam))
            PostMessage(WM_CLOSE);
        break;
    default:
        break;
    }
    LRESULT lRes = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes))
        return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

// ---- The combo ----------------------------------------------------------------------------------

CComboUI::CComboUI() {
    m_ListInfo.uTextStyle = DT_VCENTER;
    m_ListInfo.dwDisabledBkColor = 0xFFFFFFFF;
}

CComboUI::~CComboUI() {
    CloseDropDown();
}

LPVOID CComboUI::GetInterface(const std::string& name) {
    if (EqualsNoCase(name, "Combo"))
        return this;
    if (EqualsNoCase(name, "IListOwner"))
        return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(name);
}

UINT CComboUI::GetControlFlags() const {
    return IsKeyboardEnabled() && IsEnabled() ? UIFLAG_TABSTOP : 0;
}

void CComboUI::DoInit() {}

std::string CComboUI::GetText() const {
    CControlUI* item = GetItemAt(m_iCurSel);
    return item ? item->GetText() : std::string();
}

void CComboUI::SetEnabled(bool enable) {
    CContainerUI::SetEnabled(enable);
    if (!IsEnabled()) {
        m_uButtonState = 0;
        CloseDropDown();
    }
}

HWND CComboUI::GetDropWindow() const {
    return m_pWindow ? m_pWindow->GetHWND() : nullptr;
}

void CComboUI::CloseDropDown() {
    if (m_pWindow == nullptr)
        return;
    CComboWnd* window = m_pWindow;
    m_pWindow = nullptr;
    window->CloseNow();
    m_uButtonState &= ~UISTATE_PUSHED;
    Invalidate();
}

bool CComboUI::Activate() {
    if (!CControlUI::Activate())
        return false;
    if (m_pManager != nullptr)
        m_pManager->SendNotify(this, "predropdown");
    if (m_pWindow != nullptr)
        return true;
    // A receiver of "predropdown" may have disabled or hidden the combo.
    if (!IsVisible() || !IsEnabled() || m_pManager == nullptr ||
        m_pManager->GetPaintWindow() == nullptr)
        return false;
    auto* window = new CComboWnd;
    m_pWindow = window;
    if (!window->Init(this)) {
        m_pWindow = nullptr;
        window->CloseNow();
        return false;
    }
    if (m_pManager != nullptr)
        m_pManager->SendNotify(this, "dropdown");
    Invalidate();
    return true;
}

void CComboUI::SetDropBoxSize(SIZE size) {
    m_szDropBox.cx = std::max<LONG>(size.cx, 0);
    m_szDropBox.cy = std::max<LONG>(size.cy, 0);
}

void CComboUI::SetTextStyle(UINT style) {
    m_uTextStyle = style;
    Invalidate();
}
void CComboUI::SetTextPadding(RECT rc) {
    m_rcTextPadding = rc;
    Invalidate();
}
void CComboUI::SetFont(int font) {
    m_iFont = font;
    Invalidate();
}
void CComboUI::SetTextColor(DWORD color) {
    m_dwTextColor = color;
    Invalidate();
}
void CComboUI::SetDisabledTextColor(DWORD color) {
    m_dwDisabledTextColor = color;
    Invalidate();
}
void CComboUI::SetShowHtml(bool show) {
    m_bShowHtml = show;
    Invalidate();
}
void CComboUI::SetNormalImage(const std::string& image) {
    m_sNormalImage = image;
    Invalidate();
}
void CComboUI::SetHotImage(const std::string& image) {
    m_sHotImage = image;
    Invalidate();
}
void CComboUI::SetPushedImage(const std::string& image) {
    m_sPushedImage = image;
    Invalidate();
}
void CComboUI::SetFocusedImage(const std::string& image) {
    m_sFocusedImage = image;
    Invalidate();
}
void CComboUI::SetDisabledImage(const std::string& image) {
    m_sDisabledImage = image;
    Invalidate();
}

bool CComboUI::SelectItem(int iIndex, bool bTakeFocus) {
    if (iIndex == m_iCurSel)
        return true;
    const int old = m_iCurSel;
    if (iIndex < 0) {
        if (IListItemUI* item = AsListItem(GetItemAt(old)))
            item->Select(false);
        m_iCurSel = -1;
        Invalidate();
        return false;
    }
    if (m_items.empty())
        return false;
    iIndex = std::min(iIndex, int(m_items.size()) - 1);
    if (iIndex == m_iCurSel)
        return true;
    CControlUI* p = m_items[size_t(iIndex)];
    IListItemUI* item = AsListItem(p);
    // A disabled item or one that is no list item leaves the selection as it was.
    if (item == nullptr || !p->IsEnabled())
        return false;
    if (IListItemUI* previous = AsListItem(GetItemAt(old)))
        previous->Select(false);
    m_iCurSel = iIndex;
    if (m_pWindow != nullptr || bTakeFocus)
        p->SetFocus();
    item->Select(true);
    if (m_pManager != nullptr)
        m_pManager->SendNotify(this, "itemselect", WPARAM(m_iCurSel), LPARAM(old));
    if (m_pManager != nullptr)
        m_pManager->NotifyAccessible(EVENT_OBJECT_VALUECHANGE, this);
    Invalidate();
    return true;
}

void CComboUI::Renumber(int from) {
    for (int i = std::max(from, 0); i < int(m_items.size()); ++i)
        if (IListItemUI* item = AsListItem(m_items[size_t(i)]))
            item->SetIndex(i);
}

bool CComboUI::SetItemIndex(CControlUI* pControl, int iIndex) {
    CloseDropDown();
    CControlUI* selected = GetItemAt(m_iCurSel);
    if (!CContainerUI::SetItemIndex(pControl, iIndex))
        return false;
    Renumber(0);
    m_iCurSel = selected ? GetItemIndex(selected) : -1;
    return true;
}

bool CComboUI::Add(CControlUI* pControl) {
    return AddAt(pControl, GetCount());
}

bool CComboUI::AddAt(CControlUI* pControl, int iIndex) {
    if (pControl == nullptr || iIndex < 0 || iIndex > GetCount())
        return false;
    CloseDropDown();
    if (IListItemUI* item = AsListItem(pControl)) {
        item->SetOwner(this);
        item->SetIndex(iIndex);
    }
    if (!CContainerUI::AddAt(pControl, iIndex))
        return false;
    Renumber(iIndex);
    if (m_iCurSel >= iIndex)
        ++m_iCurSel;
    // Items are shown in the drop-down only.
    pControl->SetPos(RECT{0, 0, 0, 0}, false);
    return true;
}

bool CComboUI::Remove(CControlUI* pControl) {
    const int index = GetItemIndex(pControl);
    if (index < 0)
        return false;
    return RemoveAt(index);
}

bool CComboUI::RemoveAt(int iIndex) {
    if (GetItemAt(iIndex) == nullptr)
        return false;
    CloseDropDown();
    if (!CContainerUI::RemoveAt(iIndex))
        return false;
    Renumber(iIndex);
    if (iIndex == m_iCurSel)
        m_iCurSel = -1;
    else if (iIndex < m_iCurSel)
        --m_iCurSel;
    Invalidate();
    return true;
}

void CComboUI::RemoveAll() {
    CloseDropDown();
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
    Invalidate();
}

void CComboUI::SetPos(RECT rc, bool bNeedInvalidate) {
    const bool resized = rc.right - rc.left != GetWidth() || rc.bottom - rc.top != GetHeight();
    CControlUI::SetPos(rc, bNeedInvalidate);
    if (!resized)
        return;
    CloseDropDown();
    for (CControlUI* item : m_items)
        item->SetPos(RECT{0, 0, 0, 0}, false);
}

void CComboUI::Move(SIZE szOffset, bool bNeedInvalidate) {
    CControlUI::Move(szOffset, bNeedInvalidate);
}

SIZE CComboUI::EstimateSize(SIZE szAvailable) {
    if (m_cxyFixed.cy == 0 && m_pManager != nullptr)
        return SIZE{m_cxyFixed.cx, m_pManager->GetFontHeight(m_iFont) + 12};
    return CControlUI::EstimateSize(szAvailable);
}

CControlUI* CComboUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) {
    // The items live in the drop-down; in the combo's window only the combo itself counts.
    return CControlUI::FindControl(Proc, pData, uFlags);
}

bool CComboUI::SelectByLetter(wchar_t letter) {
    if (letter <= L' ')
        return false;
    const int count = GetCount();
    for (int step = 1; step <= count; ++step) {
        const int i = (m_iCurSel + step + count) % count;
        CControlUI* p = m_items[size_t(i)];
        if (!p->IsVisible() || !p->IsEnabled() || AsListItem(p) == nullptr)
            continue;
        const std::wstring text = uitext::Wide(p->GetText());
        if (!text.empty() && ::towupper(text[0]) == ::towupper(letter))
            return SelectItem(i);
    }
    return false;
}

void CComboUI::SelectNext(int iIndex, bool bForward) {
    const int count = GetCount();
    for (int i = iIndex; i >= 0 && i < count; i += bForward ? 1 : -1) {
        CControlUI* p = m_items[size_t(i)];
        if (p->IsVisible() && p->IsEnabled() && AsListItem(p) != nullptr) {
            SelectItem(i);
            return;
        }
    }
}

bool CComboUI::DoEvent(TEventUI& event) {
    if (HandMouseOn(event, [&] { CContainerUI::DoEvent(event); }))
        return true;
    if (FollowFocus(event, true))
        return true;
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
        if (IsEnabled()) {
            Activate();
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
        }
        return true;
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED) {
            m_uButtonState &= ~UINT(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
        }
        return true;
    case UIEVENT_MOUSEMOVE:
        return true;
    case UIEVENT_KEYDOWN:
        switch (event.chKey) {
        case VK_F4:
            Activate();
            return true;
        case VK_UP:
        case VK_PRIOR:
            SelectNext(m_iCurSel - 1, false);
            return true;
        case VK_DOWN:
        case VK_NEXT:
            SelectNext(m_iCurSel + 1, true);
            return true;
        case VK_HOME:
            SelectNext(0, true);
            return true;
        case VK_END:
            SelectNext(GetCount() - 1, false);
            return true;
        default:
            break;
        }
        break;
    case UIEVENT_SYSKEY:
        // Alt+Down (or Alt+Up) opens the list, as F4 does, and closes it again.
        if (event.chKey == VK_DOWN || event.chKey == VK_UP) {
            if (m_pWindow != nullptr)
                ::PostMessageW(m_pWindow->GetHWND(), WM_CLOSE, 0, 0);
            else
                Activate();
            return true;
        }
        break;
    case UIEVENT_CHAR:
        SelectByLetter(wchar_t(event.wParam));
        return true;
    case UIEVENT_SCROLLWHEEL:
        if (m_bScrollSelect) {
            const bool down = event.wParam != 0;
            SelectNext(m_iCurSel + (down ? 1 : -1), down);
            return true;
        }
        break;
    case UIEVENT_CONTEXTMENU:
        return true;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        TrackHotState(event, m_uButtonState, true);
        return true;
    default:
        break;
    }
    return CControlUI::DoEvent(event);
}

void CComboUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    // The combo paints like a control; its items are painted by the drop-down only.
    CControlUI::DoPaint(hDC, rcPaint);
}

void CComboUI::PaintStatusImage(HDC hDC) {
    SyncStateBits(m_uButtonState);
    const std::string* image = StateImage(m_uButtonState, {{UISTATE_DISABLED, &m_sDisabledImage},
                                                           {UISTATE_PUSHED, &m_sPushedImage},
                                                           {UISTATE_HOT, &m_sHotImage},
                                                           {UISTATE_FOCUSED, &m_sFocusedImage}});
    DrawFirstImage(hDC, {image, &m_sNormalImage});
}

void CComboUI::PaintText(HDC hDC) {
    if (m_pManager == nullptr)
        return;
    CControlUI* item = GetItemAt(m_iCurSel);
    if (item == nullptr)
        return;
    const std::string text = item->GetText();
    if (text.empty())
        return;
    RECT rc = m_rcItem;
    rc.left += m_rcTextPadding.left;
    rc.right -= m_rcTextPadding.right;
    rc.top += m_rcTextPadding.top;
    rc.bottom -= m_rcTextPadding.bottom;
    DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (color == 0)
        color =
            IsEnabled() ? m_pManager->GetDefaultFontColor() : m_pManager->GetDefaultDisabledColor();
    if (m_bShowHtml) {
        int links = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, text, color, nullptr, nullptr, links,
                                    m_iFont, m_uTextStyle);
    } else {
        CRenderEngine::DrawText(hDC, m_pManager, rc, text, color, m_iFont, m_uTextStyle);
    }
}

void CComboUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value) || ApplyTextAttribute(*this, name, value) ||
        ApplyStateImageAttribute(*this, name, value))
        return;
    if (ApplyListInfoAttribute(*this, m_ListInfo, name, value)) {
        Invalidate();
    } else if (EqualsNoCase(name, "align")) {
        m_uTextStyle = uiparse::WithHorizontalAlign(m_uTextStyle, value);
        Invalidate();
    } else if (EqualsNoCase(name, "valign")) {
        m_uTextStyle &= ~UINT(DT_TOP | DT_VCENTER | DT_BOTTOM);
        if (value.find("top") != std::string::npos)
            m_uTextStyle |= DT_TOP;
        else if (value.find("bottom") != std::string::npos)
            m_uTextStyle |= DT_BOTTOM;
        else
            m_uTextStyle |= DT_VCENTER;
        Invalidate();
    } else if (EqualsNoCase(name, "endellipsis")) {
        if (uiparse::ParseBool(value))
            m_uTextStyle |= DT_END_ELLIPSIS;
        else
            m_uTextStyle &= ~UINT(DT_END_ELLIPSIS);
        Invalidate();
    } else if (EqualsNoCase(name, "wordbreak")) {
        if (uiparse::ParseBool(value)) {
            m_uTextStyle &= ~UINT(DT_SINGLELINE);
            m_uTextStyle |= DT_WORDBREAK | DT_EDITCONTROL;
        } else {
            m_uTextStyle &= ~UINT(DT_WORDBREAK | DT_EDITCONTROL);
            m_uTextStyle |= DT_SINGLELINE;
        }
        Invalidate();
    } else if (EqualsNoCase(name, "scrollselect")) {
        SetScrollSelect(uiparse::ParseBool(value));
    } else if (EqualsNoCase(name, "dropbox")) {
        SetDropBoxAttributeList(value);
    } else if (EqualsNoCase(name, "dropboxsize")) {
        SetDropBoxSize(Scaled(uiparse::ParseSize(value, 0)));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

LPVOID CComboBoxUI::GetInterface(const std::string& name) {
    return InterfaceOf<CComboUI>(this, name, "ComboBox");
}

// The paint manager's timers, tooltips and window messages.
#include "ui/UIManager.h"
#include "ui/UIAccessible.h"
#include "ui/UITextWin.h"
#include "ui/UIManagerShared.h"

#include <windowsx.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "ui/UIParseWin.h"
#include "ui/UIContainer.h"
#include "ui/UIList.h"
#include "ui/UIControl.h"
#include "ui/UIRender.h"
#include "ui/UIResource.h"

using namespace uimanager_internal;

namespace {

// Reflected messages from child windows carry their code raised by this much.
constexpr UINT kReflectBase = 0x2000;

// The common controls (only the tooltip is used) are loaded when the first tooltip is shown:
// their library is slow to load, and a start-up need not wait for it.
bool CommonControlsReady() {
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    static const bool ready = [] {
        HMODULE module = ::LoadLibraryW(L"comctl32.dll");
        auto init = module ? reinterpret_cast<InitFunction>(reinterpret_cast<void*>(
                                 ::GetProcAddress(module, "InitCommonControlsEx")))
                           : nullptr;
        const INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_WIN95_CLASSES};
        return init != nullptr && init(&classes) != FALSE;
    }();
    return ready;
}

// Native timer ids the application uses for its own timers on a toolkit window; control
// timers never take them.
constexpr UINT kReservedTimerIds[] = {101, 102};

// Offers a message to a list of filters, walked as a snapshot: a filter that an earlier one
// removed is skipped. True, with the result, when one of them handled the message.
bool OfferToFilters(const std::vector<IMessageFilterUI*>& filters, UINT uMsg, WPARAM wParam,
                    LPARAM lParam, LRESULT& lRes) {
    const std::vector<IMessageFilterUI*> snapshot = filters;
    for (IMessageFilterUI* pFilter : snapshot) {
        if (std::find(filters.begin(), filters.end(), pFilter) == filters.end())
            continue;
        bool handled = false;
        const LRESULT result = pFilter->MessageHandler(uMsg, wParam, lParam, handled);
        if (handled) {
            lRes = result;
            return true;
        }
    }
    return false;
}

} // namespace

// ---- Timers
// ----------------------------------------------------------------------------------------

UINT CPaintManagerUI::NextNativeTimerId() {
    // Ids cycle through 1..239 (starting at 17), skipping 0, the application's own timer ids
    // and every id a timer record of this window still holds (running or killed, since a
    // killed timer is re-armed with its old id).
    for (int attempt = 0; attempt < 240; ++attempt) {
        m_uTimerID = (m_uTimerID + 1) % 240;
        const UINT id = m_uTimerID;
        if (id == 0)
            continue;
        if (std::find(std::begin(kReservedTimerIds), std::end(kReservedTimerIds), id) !=
            std::end(kReservedTimerIds))
            continue;
        bool used = false;
        for (const auto& t : m_aTimers)
            used = used || (t->hWnd == m_hWndPaint && t->uWinTimer == id);
        if (!used)
            return id;
    }
    return 0;
}

bool CPaintManagerUI::SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse) {
    if (pControl == nullptr || m_hWndPaint == nullptr)
        return false;
    for (auto& t : m_aTimers) {
        if (t->pSender == pControl && t->hWnd == m_hWndPaint && t->nLocalID == nTimerID) {
            if (!t->bKilled)
                return false; // still running
            if (::SetTimer(m_hWndPaint, t->uWinTimer, uElapse, nullptr) == 0)
                return false;
            t->bKilled = false;
            return true;
        }
    }
    const UINT native = NextNativeTimerId();
    if (native == 0)
        return false;
    if (::SetTimer(m_hWndPaint, native, uElapse, nullptr) == 0)
        return false;
    auto info = std::make_unique<TimerInfo>();
    info->pSender = pControl;
    info->nLocalID = nTimerID;
    info->hWnd = m_hWndPaint;
    info->uWinTimer = native;
    info->bKilled = false;
    m_aTimers.push_back(std::move(info));
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* pControl, UINT nTimerID) {
    for (auto& t : m_aTimers) {
        if (t->pSender == pControl && t->hWnd == m_hWndPaint && t->nLocalID == nTimerID) {
            if (!t->bKilled) {
                if (::IsWindow(m_hWndPaint))
                    ::KillTimer(t->hWnd, t->uWinTimer);
                t->bKilled = true;
                return true;
            }
        }
    }
    return false;
}

void CPaintManagerUI::KillTimer(CControlUI* pControl) {
    for (auto it = m_aTimers.begin(); it != m_aTimers.end();) {
        if ((*it)->pSender == pControl) {
            if (!(*it)->bKilled && ::IsWindow((*it)->hWnd))
                ::KillTimer((*it)->hWnd, (*it)->uWinTimer);
            it = m_aTimers.erase(it);
        } else {
            ++it;
        }
    }
}

void CPaintManagerUI::RemoveAllTimers() {
    for (auto& t : m_aTimers)
        if (!t->bKilled && ::IsWindow(t->hWnd))
            ::KillTimer(t->hWnd, t->uWinTimer);
    m_aTimers.clear();
}

// ---- Tooltips
// ----------------------------------------------------------------------------------------

void CPaintManagerUI::ShowTooltip(CControlUI* pControl) {
    const std::string text = pControl->GetToolTip();
    if (text.empty())
        return;
    m_sToolTipText = uitext::Wide(text);
    std::memset(&m_ToolTip, 0, sizeof(m_ToolTip));
    m_ToolTip.cbSize = TTTOOLINFOW_V1_SIZE;
    m_ToolTip.uFlags = TTF_IDISHWND;
    m_ToolTip.hwnd = m_hWndPaint;
    m_ToolTip.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    m_ToolTip.hinst = CPaintManagerUI::GetInstance();
    m_ToolTip.lpszText = const_cast<wchar_t*>(m_sToolTipText.c_str());
    m_ToolTip.rect = pControl->GetPos();
    if (m_hwndTooltip == nullptr) {
        if (!CommonControlsReady())
            return;
        m_hwndTooltip =
            ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              m_hWndPaint, nullptr, GetInstance(), nullptr);
        if (m_hwndTooltip == nullptr)
            return;
        ::SendMessageW(m_hwndTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
    // The skin's own font at the window's DPI (the system's tooltip font may lack the skin's
    // script), and a width that grows with the DPI as the rest of the window does.
    if (const TFontInfo* font = GetDefaultFontInfo(); font != nullptr && font->hFont != nullptr)
        ::SendMessageW(m_hwndTooltip, WM_SETFONT, reinterpret_cast<WPARAM>(font->hFont), FALSE);
    ::SendMessageA(m_hwndTooltip, TTM_SETMAXTIPWIDTH, 0, Scale(pControl->GetToolTipWidth()));
    ::SendMessageW(m_hwndTooltip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    ::SendMessageA(m_hwndTooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_ToolTip));
    m_bTooltipShown = true;
}

void CPaintManagerUI::HideTooltip() {
    if (m_hwndTooltip != nullptr && m_bTooltipShown)
        ::SendMessageA(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE,
                       reinterpret_cast<LPARAM>(&m_ToolTip));
    m_bTooltipShown = false;
}

// ---- Messages
// ------------------------------------------------------------------------------------------

bool CPaintManagerUI::TranslateAccelerator(MSG* pMsg) {
    const auto list = m_aTranslateAccelerators;
    for (ITranslateAccelerator* p : list) {
        if (std::find(m_aTranslateAccelerators.begin(), m_aTranslateAccelerators.end(), p) ==
            m_aTranslateAccelerators.end())
            continue;
        if (p->TranslateAccelerator(pMsg) == 0)
            return true;
    }
    return false;
}

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
    if (OfferToFilters(m_aPreMessageFilters, uMsg, wParam, lParam, lRes))
        return true;
    switch (uMsg) {
    case WM_KEYDOWN:
        // Tab and Shift+Tab walk the focus order (Ctrl+Tab is the window's: it changes pages);
        // from then on the focus is drawn.
        if (wParam == VK_TAB && ::GetKeyState(VK_CONTROL) >= 0) {
            m_bFocusCues = true;
            SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
            if (m_pFocus != nullptr)
                m_pFocus->Invalidate();
            return true;
        }
        break;
    case WM_SYSCHAR: {
        if (m_pRoot == nullptr)
            break;
        FindShortcut fs = {char(std::toupper(int(wParam & 0xFF))), false};
        CControlUI* pControl = m_pRoot->FindControl(
            __FindControlFromShortcut, &fs, UIFIND_ENABLED | UIFIND_ME_FIRST | UIFIND_TOP_FIRST);
        if (pControl != nullptr) {
            pControl->SetFocus();
            pControl->Activate();
            return true;
        }
        break;
    }
    case WM_SYSKEYDOWN:
        // Alt shows the keyboard's cues: the focus frame and the buttons' underlined letters.
        if (wParam == VK_MENU && !m_bFocusCues) {
            m_bFocusCues = true;
            if (m_hWndPaint != nullptr)
                ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
        }
        if (m_pFocus != nullptr)
            FireEvent(m_pFocus, UIEVENT_SYSKEY, m_ptLastMousePos, wParam, lParam, nullptr,
                      char(wParam));
        break;
    default:
        break;
    }
    return false;
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
    if (m_hWndPaint == nullptr)
        return false;

    // Message filters first; the first that handles the message supplies the result.
    if (OfferToFilters(m_aMessageFilters, uMsg, wParam, lParam, lRes)) {
        // The toolkit still follows the mouse position of a filtered mouse message.
        switch (uMsg) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
            m_ptLastMousePos = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            break;
        case WM_CONTEXTMENU:
        case WM_MOUSEWHEEL: {
            POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ::ScreenToClient(m_hWndPaint, &pt);
            m_ptLastMousePos = pt;
            break;
        }
        default:
            break;
        }
        return true;
    }

    if (m_bLayered) {
        switch (uMsg) {
        case WM_NCPAINT:
        case WM_NCCALCSIZE:
            lRes = 0;
            return true;
        case WM_NCACTIVATE:
            if (!::IsIconic(m_hWndPaint)) {
                lRes = wParam == 0 ? TRUE : FALSE;
                return true;
            }
            break;
        default:
            break;
        }
    }

    return OnWindowMessage(uMsg, wParam, lParam, lRes) ||
           OnMouseMessage(uMsg, wParam, lParam, lRes) || OnKeyMessage(uMsg, wParam, lParam, lRes) ||
           OnChildMessage(uMsg, wParam, lParam, lRes);
}

// The window's own messages: clean-up, closing, painting, sizing, timers.
bool CPaintManagerUI::OnWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
    if (uMsg == CAccessibleTree::ActionMessage()) {
        if (m_accessible != nullptr)
            m_accessible->RunDefaultAction(lParam);
        lRes = 0;
        return true;
    }
    switch (uMsg) {
    case WM_GETOBJECT:
        // Screen readers ask for the client area; the window's frame stays the system's.
        if (LONG(DWORD(lParam)) == OBJID_CLIENT && m_pRoot != nullptr) {
            lRes = Accessible().AnswerGetObject(wParam);
            return true;
        }
        break;
    case WM_UI_CLEANUP: {
        m_bAsyncNotifyPosted = false;
        std::vector<CControlUI*> cleanup;
        cleanup.swap(m_aDelayedCleanup);
        for (CControlUI* p : cleanup)
            delete p;
        // One at a time: a receiver may destroy controls whose queued notifications must
        // then be dropped.
        while (!m_aAsyncNotify.empty()) {
            TNotifyUI msg = m_aAsyncNotify.front();
            m_aAsyncNotify.erase(m_aAsyncNotify.begin());
            if (msg.pSender == nullptr)
                continue; // the sender is gone
            DeliverNotify(msg);
        }
        lRes = 0;
        return true;
    }
    case WM_CLOSE: {
        POINT pt = m_ptLastMousePos;
        if (m_pEventHover != nullptr) {
            CControlUI* p = m_pEventHover;
            m_pEventHover = nullptr;
            FireEvent(p, UIEVENT_MOUSELEAVE, pt, wParam, lParam);
        }
        if (m_pEventClick != nullptr) {
            CControlUI* p = m_pEventClick;
            m_pEventClick = nullptr;
            FireEvent(p, UIEVENT_BUTTONUP, pt, wParam, lParam);
        }
        SetFocus(nullptr);
        if (::GetActiveWindow() == m_hWndPaint) {
            HWND hwndParent = ::GetWindow(m_hWndPaint, GW_OWNER);
            if (hwndParent != nullptr)
                ::SetFocus(hwndParent);
        }
        if (m_hwndTooltip != nullptr) {
            ::DestroyWindow(m_hwndTooltip);
            m_hwndTooltip = nullptr;
            m_bTooltipShown = false;
        }
        break;
    }
    case WM_ERASEBKGND:
        lRes = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        lRes = 0;
        return true;
    case WM_PRINTCLIENT: {
        if (m_pRoot == nullptr)
            break;
        RECT rcClient = {};
        ::GetClientRect(m_hWndPaint, &rcClient);
        HDC hDC = reinterpret_cast<HDC>(wParam);
        int save = ::SaveDC(hDC);
        m_pRoot->Paint(hDC, rcClient);
        if ((lParam & PRF_CHILDREN) != 0) {
            HWND hWndChild = ::GetWindow(m_hWndPaint, GW_CHILD);
            while (hWndChild != nullptr) {
                RECT rcPos = {};
                ::GetWindowRect(hWndChild, &rcPos);
                ::MapWindowPoints(HWND_DESKTOP, m_hWndPaint, reinterpret_cast<LPPOINT>(&rcPos), 2);
                ::SetWindowOrgEx(hDC, -rcPos.left, -rcPos.top, nullptr);
                ::SendMessageA(hWndChild, WM_PRINT, wParam,
                               lParam | PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND |
                                   PRF_CHECKVISIBLE);
                hWndChild = ::GetWindow(hWndChild, GW_HWNDNEXT);
            }
        }
        ::RestoreDC(hDC, save);
        lRes = 0;
        return true;
    }
    case WM_GETMINMAXINFO: {
        auto* lpMMI = reinterpret_cast<LPMINMAXINFO>(lParam);
        if (m_szMinWindow.cx > 0)
            lpMMI->ptMinTrackSize.x = m_szMinWindow.cx;
        if (m_szMinWindow.cy > 0)
            lpMMI->ptMinTrackSize.y = m_szMinWindow.cy;
        if (m_szMaxWindow.cx > 0) {
            lpMMI->ptMaxTrackSize.x = m_szMaxWindow.cx;
            lpMMI->ptMaxSize.x = m_szMaxWindow.cx;
        }
        if (m_szMaxWindow.cy > 0) {
            lpMMI->ptMaxTrackSize.y = m_szMaxWindow.cy;
            lpMMI->ptMaxSize.y = m_szMaxWindow.cy;
        }
        break;
    }
    case WM_SIZE:
        if (m_pFocus != nullptr)
            FireEvent(m_pFocus, UIEVENT_WINDOWSIZE, m_ptLastMousePos, wParam, lParam);
        if (m_pRoot != nullptr)
            m_pRoot->NeedUpdate();
        lRes = 0;
        return true;
    case WM_TIMER: {
        for (size_t i = 0; i < m_aTimers.size(); ++i) {
            const TimerInfo& t = *m_aTimers[i];
            if (t.hWnd == m_hWndPaint && t.uWinTimer == UINT(wParam) && !t.bKilled) {
                CControlUI* pSender = t.pSender;
                const UINT localId = t.nLocalID;
                FireEvent(pSender, UIEVENT_TIMER, m_ptLastMousePos, localId, lParam);
                break;
            }
        }
        break;
    }
    default:
        break;
    }
    return false;
}

CControlUI* CPaintManagerUI::ControlPressedAt(LPARAM lParam, POINT& pt) {
    if (!m_bNoActivate)
        ::SetFocus(m_hWndPaint);
    pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    m_ptLastMousePos = pt;
    CControlUI* pControl = FindControl(pt);
    return pControl != nullptr && pControl->GetManager() == this ? pControl : nullptr;
}

CControlUI* CPaintManagerUI::EndPress() {
    CControlUI* pControl = m_pEventClick;
    if (pControl == nullptr)
        return nullptr;
    ReleaseCapture();
    m_pEventClick = nullptr;
    return pControl;
}

// Mouse messages: hover, leave, moves, buttons, context menu, wheel, cursor.
bool CPaintManagerUI::OnMouseMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
    switch (uMsg) {
    case WM_MOUSEHOVER: {
        m_bMouseTracking = false;
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        CControlUI* pHover = FindControl(pt);
        if (pHover == nullptr)
            break;
        if (m_pEventHover != nullptr)
            FireEvent(m_pEventHover, UIEVENT_MOUSEHOVER, pt, wParam, lParam);
        if (pHover->GetManager() == this)
            ShowTooltip(pHover);
        lRes = 0;
        return true;
    }
    case WM_MOUSELEAVE: {
        HideTooltip();
        if (m_bMouseTracking) {
            POINT pt = {};
            RECT rcClient = {};
            ::GetClientRect(m_hWndPaint, &rcClient);
            ::GetCursorPos(&pt);
            ::ScreenToClient(m_hWndPaint, &pt);
            if (::PtInRect(&rcClient, pt) && ::GetActiveWindow() == m_hWndPaint &&
                !::IsIconic(m_hWndPaint))
                ::SendMessageA(m_hWndPaint, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
            else
                ::SendMessageA(m_hWndPaint, WM_MOUSEMOVE, 0, LPARAM(-1));
        }
        m_bMouseTracking = false;
        break;
    }
    case WM_MOUSEMOVE: {
        if (!m_bMouseTracking) {
            TRACKMOUSEEVENT tme = {};
            tme.cbSize = sizeof(tme);
            tme.dwFlags = TME_HOVER | TME_LEAVE;
            tme.hwndTrack = m_hWndPaint;
            tme.dwHoverTime =
                m_hwndTooltip == nullptr
                    ? DWORD(m_iHoverTime)
                    : DWORD(::SendMessageA(m_hwndTooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
            ::TrackMouseEvent(&tme);
            m_bMouseTracking = true;
        }
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        m_ptLastMousePos = pt;
        CControlUI* pNewHover = FindControl(pt);
        if (pNewHover != nullptr && pNewHover->GetManager() != this)
            break;
        if (!m_bMouseCapture) {
            if (pNewHover != m_pEventHover && m_pEventHover != nullptr) {
                CControlUI* pOld = m_pEventHover;
                m_pEventHover = nullptr;
                FireEvent(pOld, UIEVENT_MOUSELEAVE, pt, wParam, lParam);
                HideTooltip();
            }
            if (pNewHover != m_pEventHover && pNewHover != nullptr) {
                m_pEventHover = pNewHover;
                FireEvent(pNewHover, UIEVENT_MOUSEENTER, pt, wParam, lParam);
            }
        }
        if (m_pEventClick != nullptr)
            FireEvent(m_pEventClick, UIEVENT_MOUSEMOVE, pt, wParam, lParam);
        else if (pNewHover != nullptr && m_pEventHover == pNewHover)
            FireEvent(pNewHover, UIEVENT_MOUSEMOVE, pt, wParam, lParam);
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        POINT pt = {};
        CControlUI* pControl = ControlPressedAt(lParam, pt);
        if (pControl == nullptr)
            break;
        // A right or middle press moves the focus before the mouse is captured, a left press
        // after it (its focus handlers may have released the press), a double click not at all.
        const bool leftPress = uMsg == WM_LBUTTONDOWN;
        if (uMsg == WM_RBUTTONDOWN || uMsg == WM_MBUTTONDOWN)
            pControl->SetFocus();
        SetCapture();
        m_pEventClick = pControl;
        if (leftPress)
            pControl->SetFocus();
        if (m_pEventClick != pControl)
            break;
        const int type = leftPress                 ? UIEVENT_BUTTONDOWN
                         : uMsg == WM_LBUTTONDBLCLK ? UIEVENT_DBLCLICK
                         : uMsg == WM_RBUTTONDOWN   ? UIEVENT_RBUTTONDOWN
                                                    : UIEVENT_MBUTTONDOWN;
        FireEvent(pControl, type, pt, wParam, lParam);
        break;
    }
    case WM_LBUTTONUP: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        m_ptLastMousePos = pt;
        if (CControlUI* pControl = EndPress())
            FireEvent(pControl, UIEVENT_BUTTONUP, pt, wParam, lParam);
        break;
    }
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        m_ptLastMousePos = pt;
        m_pEventClick = FindControl(pt);
        ReleaseCapture();
        if (m_pEventClick == nullptr || m_pEventClick->GetManager() != this) {
            m_pEventClick = nullptr;
            break;
        }
        FireEvent(m_pEventClick, uMsg == WM_RBUTTONUP ? UIEVENT_RBUTTONUP : UIEVENT_MBUTTONUP, pt,
                  wParam, lParam);
        break;
    }
    case WM_CONTEXTMENU: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ScreenToClient(m_hWndPaint, &pt);
        m_ptLastMousePos = pt;
        if (CControlUI* pControl = EndPress())
            FireEvent(pControl, UIEVENT_CONTEXTMENU, pt, wParam,
                      reinterpret_cast<LPARAM>(pControl));
        break;
    }
    case WM_MOUSEWHEEL: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ScreenToClient(m_hWndPaint, &pt);
        m_ptLastMousePos = pt;
        CControlUI* pControl = FindControl(pt);
        if (pControl == nullptr || pControl->GetManager() != this)
            break;
        const int zDelta = GET_WHEEL_DELTA_WPARAM(wParam);
        // wParam 0 turns away from the user (up), 1 towards the user (down).
        FireEvent(pControl, UIEVENT_SCROLLWHEEL, pt, zDelta < 0 ? 1 : 0, lParam);
        ::SendMessageA(m_hWndPaint, WM_MOUSEMOVE, 0,
                       MAKELPARAM(m_ptLastMousePos.x, m_ptLastMousePos.y));
        break;
    }
    case WM_SETCURSOR: {
        if (LOWORD(lParam) != HTCLIENT)
            break;
        if (m_bMouseCapture) {
            lRes = TRUE;
            return true;
        }
        POINT pt = {};
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWndPaint, &pt);
        CControlUI* pControl = FindControl(pt);
        if (pControl == nullptr || (pControl->GetControlFlags() & UIFLAG_SETCURSOR) == 0)
            break;
        FireEvent(pControl, UIEVENT_SETCURSOR, pt, wParam, lParam);
        lRes = TRUE;
        return true;
    }
    default:
        break;
    }
    return false;
}

// Keyboard messages and the window getting the focus.
bool CPaintManagerUI::OnKeyMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& /*lRes*/) {
    switch (uMsg) {
    case WM_KEYDOWN:
        if (m_pFocus == nullptr)
            break;
        // Ctrl+Down and Ctrl+Up move from a field of a list row to the same field of the next
        // or previous row.
        if ((wParam == VK_DOWN || wParam == VK_UP) && ::GetKeyState(VK_CONTROL) < 0) {
            if (CControlUI* next = SameCellInNextRow(m_pFocus, wParam == VK_DOWN)) {
                m_bFocusCues = true;
                SetFocus(next);
                next->Invalidate();
                return true;
            }
        }
        m_pEventKey = m_pFocus;
        FireEvent(m_pFocus, UIEVENT_KEYDOWN, m_ptLastMousePos, wParam, lParam, nullptr,
                  char(wParam));
        break;
    case WM_KEYUP: {
        if (m_pEventKey == nullptr)
            break;
        CControlUI* pControl = m_pEventKey;
        m_pEventKey = nullptr;
        FireEvent(pControl, UIEVENT_KEYUP, m_ptLastMousePos, wParam, lParam, nullptr, char(wParam));
        break;
    }
    case WM_CHAR:
        if (m_pFocus == nullptr)
            break;
        FireEvent(m_pFocus, UIEVENT_CHAR, m_ptLastMousePos, wParam, lParam, nullptr, char(wParam));
        break;
    case WM_SETFOCUS:
        if (m_pFocus != nullptr) {
            FireEvent(m_pFocus, UIEVENT_SETFOCUS, m_ptLastMousePos, wParam, lParam);
            NotifyAccessible(EVENT_OBJECT_FOCUS, m_pFocus);
        }
        break;
    default:
        break;
    }
    return false;
}

// Messages of native child windows, reflected to them.
bool CPaintManagerUI::OnChildMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
    switch (uMsg) {
    case WM_NOTIFY: {
        auto* lpNMHDR = reinterpret_cast<LPNMHDR>(lParam);
        if (lpNMHDR == nullptr)
            break;
        lRes = ::SendMessageA(lpNMHDR->hwndFrom, kReflectBase + uMsg, wParam, lParam);
        return true;
    }
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        if (lParam == 0)
            break;
        HWND hWndChild = reinterpret_cast<HWND>(lParam);
        lRes = ::SendMessageA(hWndChild, kReflectBase + uMsg, wParam, lParam);
        if (lRes != 0)
            return true;
        break;
    }
    default:
        break;
    }
    return false;
}

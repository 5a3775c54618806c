#include "ui/UIManager.h"
#include "ui/UIAccessible.h"
#include "ui/UIFocusOrder.h"
#include "ui/UIManagerShared.h"

#include <windowsx.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "ui/UIParseWin.h"
#include "ui/UIContainer.h"
#include "ui/UIControl.h"
#include "ui/UIRender.h"
#include "ui/UIResource.h"

using namespace uimanager_internal;

namespace {

bool IsManagerAlive(const CPaintManagerUI* p) {
    const auto& list = Shared().managers;
    return std::find(list.begin(), list.end(), p) != list.end();
}

WORD MapKeyState() {
    WORD state = 0;
    if (::GetKeyState(VK_CONTROL) < 0)
        state |= UIKEY_CONTROL;
    if (::GetKeyState(VK_RBUTTON) < 0)
        state |= UIKEY_RBUTTON;
    if (::GetKeyState(VK_LBUTTON) < 0)
        state |= UIKEY_LBUTTON;
    if (::GetKeyState(VK_SHIFT) < 0)
        state |= UIKEY_SHIFT;
    if (::GetKeyState(VK_MENU) < 0)
        state |= UIKEY_ALT;
    return state;
}

struct FindByClass {
    const char* className;
    int index;
};

} // namespace

// ---- Construction -------------------------------------------------------------------------

CPaintManagerUI::CPaintManagerUI() = default;

CPaintManagerUI::~CPaintManagerUI() {
    auto& list = Shared().managers;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    // Clients that still hold objects of the tree find them disconnected.
    m_accessible.reset();
    // The tree goes first: every control that dies reports itself through ReapObjects.
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    delete root;
    std::vector<CControlUI*> cleanup;
    cleanup.swap(m_aDelayedCleanup);
    for (CControlUI* p : cleanup)
        delete p;
    RemoveAllTimers();
    if (m_hwndTooltip != nullptr)
        ::DestroyWindow(m_hwndTooltip);
    ReleaseOffscreen();
    ReleaseResources();
    for (HANDLE h : m_aFontResources)
        ::RemoveFontMemResourceEx(h);
    if (m_hDcPaint != nullptr && m_hWndPaint != nullptr)
        ::ReleaseDC(m_hWndPaint, m_hDcPaint);
}

void CPaintManagerUI::ReleaseResources() {
    // Retired images and fonts may still be held by painting code only while the tree
    // lives; Init and destruction discard them with everything else.
    m_resources.Clear();
    m_mFailedImages.clear();
    m_mDrawInfoHash.clear();
}

void CPaintManagerUI::Init(HWND hWnd, const char* pstrName) {
    // A second Init starts over with the manager's own resources.
    ReleaseResources();
    RemoveAllOptionGroups();
    RemoveAllTimers();
    m_mNameHash.clear();
    m_sName = pstrName ? pstrName : "";
    if (m_hWndPaint != hWnd) {
        if (m_hDcPaint != nullptr && m_hWndPaint != nullptr)
            ::ReleaseDC(m_hWndPaint, m_hDcPaint);
        m_hWndPaint = hWnd;
        m_hDcPaint = hWnd ? ::GetDC(hWnd) : nullptr;
    }
    if (!IsManagerAlive(this))
        Shared().managers.push_back(this);
    SetDpi(WindowDpi(hWnd));
}

int CPaintManagerUI::WindowDpi(HWND hwnd) {
    // GetDpiForWindow (Windows 10) gives the window's monitor's DPI to a per-monitor aware
    // program; without it, the system's.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    int dpi = 0;
    if (getDpiForWindow != nullptr && hwnd != nullptr)
        dpi = int(getDpiForWindow(hwnd));
    if (dpi <= 0) {
        HDC screen = ::GetDC(nullptr);
        dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen)
            ::ReleaseDC(nullptr, screen);
    }
    return std::clamp(dpi, 48, 960);
}

void CPaintManagerUI::DeclareDpiAwareness() {
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    const auto setContext = reinterpret_cast<SetContextFn>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 is (HANDLE)-4.
    if (setContext != nullptr && setContext(reinterpret_cast<HANDLE>(LONG_PTR(-4))))
        return;
    using SetAwareFn = BOOL(WINAPI*)();
    if (const auto setAware = reinterpret_cast<SetAwareFn>(
            reinterpret_cast<void*>(::GetProcAddress(user32, "SetProcessDPIAware"))))
        setAware();
}

void CPaintManagerUI::SetDpi(int dpi) {
    m_dpi = std::clamp(dpi, 48, 960);
    m_imageVariants.clear();
}

void CPaintManagerUI::RescaleAll() {
    // The fonts again at the new size (the old ones stay alive until the manager goes, for
    // whoever still holds them).
    const auto fonts = m_resources.fonts;
    for (const auto& [id, info] : fonts)
        if (info)
            AddFont(id, info->sFontName, info->iSize, info->bBold, info->bUnderline,
                    info->bItalic, false);
    if (m_resources.defaultFont) {
        const auto info = m_resources.defaultFont;
        SetDefaultFont(info->sFontName, info->iSize, info->bBold, info->bUnderline,
                       info->bItalic, false);
    }
    // Every control reads its sizes again, then the tree is laid out afresh.
    std::vector<CControlUI*> pending;
    if (m_pRoot)
        pending.push_back(m_pRoot);
    while (!pending.empty()) {
        CControlUI* control = pending.back();
        pending.pop_back();
        control->Rescale();
        if (auto* container = static_cast<IContainerUI*>(control->GetInterface("IContainer")))
            for (int i = 0; i < container->GetCount(); ++i)
                if (CControlUI* child = container->GetItemAt(i))
                    pending.push_back(child);
    }
    if (m_pRoot)
        m_pRoot->NeedUpdate();
    NeedUpdate();
    if (m_hWndPaint)
        ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

SIZE CPaintManagerUI::GetClientSize() const {
    RECT rc = {};
    ::GetClientRect(m_hWndPaint, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

// ---- Control tree ---------------------------------------------------------------------------

bool CPaintManagerUI::AttachDialog(CControlUI* pControl) {
    SetFocus(nullptr);
    m_pEventKey = nullptr;
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    if (m_pRoot != nullptr) {
        m_aPostPaintControls.clear();
        AddDelayedCleanup(m_pRoot);
    }
    m_pRoot = pControl;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    m_bFocusNeeded = true;
    if (pControl == nullptr)
        return false;
    return InitControls(pControl);
}

bool CPaintManagerUI::InitControls(CControlUI* pControl, CControlUI* pParent) {
    if (pControl == nullptr)
        return false;
    pControl->SetManager(this, pParent ? pParent : pControl->GetParent(), true);
    pControl->FindControl(__FindControlFromNameHash, this, UIFIND_ALL);
    return true;
}

void CPaintManagerUI::ReapObjects(CControlUI* pControl) {
    if (pControl == nullptr)
        return;
    if (pControl == m_pEventKey)
        m_pEventKey = nullptr;
    if (pControl == m_pEventHover)
        m_pEventHover = nullptr;
    if (pControl == m_pEventClick)
        m_pEventClick = nullptr;
    if (pControl == m_pFocus)
        m_pFocus = nullptr;
    if (pControl == m_pFocusPending)
        m_pFocusPending = nullptr;
    if (m_accessible != nullptr)
        m_accessible->Forget(pControl);
    KillTimer(pControl);
    for (auto it = m_mNameHash.begin(); it != m_mNameHash.end();) {
        if (it->second == pControl)
            it = m_mNameHash.erase(it);
        else
            ++it;
    }
    // An option that goes (or leaves this manager) leaves its option group.
    for (auto it = m_mOptionGroup.begin(); it != m_mOptionGroup.end();) {
        auto& members = it->second;
        members.erase(std::remove(members.begin(), members.end(), pControl), members.end());
        if (members.empty())
            it = m_mOptionGroup.erase(it);
        else
            ++it;
    }
    m_aPostPaintControls.erase(
        std::remove(m_aPostPaintControls.begin(), m_aPostPaintControls.end(), pControl),
        m_aPostPaintControls.end());
    // Queued notifications lose their sender; delivery drops them.
    for (TNotifyUI& msg : m_aAsyncNotify)
        if (msg.pSender == pControl)
            msg.pSender = nullptr;
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const {
    if (m_pRoot == nullptr)
        return nullptr;
    return m_pRoot->FindControl(__FindControlFromPoint, &pt,
                                UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

CControlUI* CPaintManagerUI::FindBuiltControl(const std::string& name) const {
    auto it = m_mNameHash.find(name);
    return it == m_mNameHash.end() ? nullptr : it->second;
}

CControlUI* CPaintManagerUI::FindControl(const std::string& name) const {
    if (CControlUI* control = FindBuiltControl(name))
        return control;
    if (!m_nameMiss || m_inNameMiss || name.empty())
        return nullptr;
    m_inNameMiss = true;
    const bool built = m_nameMiss(name);
    m_inNameMiss = false;
    return built ? FindBuiltControl(name) : nullptr;
}

CControlUI* CPaintManagerUI::FindSubControlByPoint(CControlUI* pParent, POINT pt) const {
    if (pParent == nullptr)
        pParent = m_pRoot;
    if (pParent == nullptr)
        return nullptr;
    return pParent->FindControl(__FindControlFromPoint, &pt,
                                UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* pParent,
                                                  const std::string& name) const {
    if (pParent == nullptr)
        pParent = m_pRoot;
    if (pParent == nullptr)
        return nullptr;
    return pParent->FindControl(__FindControlFromName, const_cast<std::string*>(&name), UIFIND_ALL);
}

CControlUI* CPaintManagerUI::FindSubControlByClass(CControlUI* pParent,
                                                   const std::string& className, int iIndex) {
    if (pParent == nullptr)
        pParent = m_pRoot;
    if (pParent == nullptr)
        return nullptr;
    FindByClass info = {className.c_str(), iIndex};
    return pParent->FindControl(__FindControlFromClass, &info, UIFIND_ALL);
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromNameHash(CControlUI* pThis, LPVOID pData) {
    auto* pManager = static_cast<CPaintManagerUI*>(pData);
    const std::string name = pThis->GetName();
    if (!name.empty())
        pManager->m_mNameHash[name] = pThis; // a later control of the same name wins
    return nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromCount(CControlUI* /*pThis*/, LPVOID pData) {
    ++*static_cast<int*>(pData);
    return nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromPoint(CControlUI* pThis, LPVOID pData) {
    const POINT* pt = static_cast<const POINT*>(pData);
    const RECT& rc = pThis->GetPos();
    return ::PtInRect(&rc, *pt) ? pThis : nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromShortcut(CControlUI* pThis, LPVOID pData) {
    if (!pThis->IsVisible())
        return nullptr;
    auto* fs = static_cast<FindShortcut*>(pData);
    char shortcut = pThis->GetShortcut();
    if (shortcut != 0 && fs->ch == char(std::toupper(static_cast<unsigned char>(shortcut))))
        fs->bPickNext = true;
    // A label never takes the focus: it hands its shortcut on to the control after it.
    if (std::strstr(pThis->GetClass(), "LabelUI") != nullptr)
        return nullptr;
    return fs->bPickNext ? pThis : nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromUpdate(CControlUI* pThis, LPVOID pData) {
    if (pThis->IsUpdateNeeded())
        static_cast<std::vector<CControlUI*>*>(pData)->push_back(pThis);
    return nullptr; // keep walking: every control that needs a layout is collected
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromName(CControlUI* pThis, LPVOID pData) {
    const auto* name = static_cast<const std::string*>(pData);
    return uiparse::EqualsNoCase(pThis->GetName(), *name) ? pThis : nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromClass(CControlUI* pThis, LPVOID pData) {
    auto* info = static_cast<FindByClass*>(pData);
    if (std::strcmp(pThis->GetClass(), info->className) != 0)
        return nullptr;
    if (info->index-- == 0)
        return pThis;
    return nullptr;
}

// ---- Layout and painting --------------------------------------------------------------------

void CPaintManagerUI::Invalidate(RECT rcItem) {
    if (rcItem.left < 0)
        rcItem.left = 0;
    if (rcItem.top < 0)
        rcItem.top = 0;
    if (rcItem.right < rcItem.left)
        rcItem.right = rcItem.left;
    if (rcItem.bottom < rcItem.top)
        rcItem.bottom = rcItem.top;
    if (m_hWndPaint != nullptr)
        ::InvalidateRect(m_hWndPaint, &rcItem, FALSE);
}

void CPaintManagerUI::ReleaseOffscreen() {
    if (m_hDcOffscreen != nullptr) {
        if (m_hbmpOffscreenOld != nullptr)
            ::SelectObject(m_hDcOffscreen, m_hbmpOffscreenOld);
        ::DeleteDC(m_hDcOffscreen);
        m_hDcOffscreen = nullptr;
        m_hbmpOffscreenOld = nullptr;
    }
    if (m_hbmpOffscreen != nullptr) {
        ::DeleteObject(m_hbmpOffscreen);
        m_hbmpOffscreen = nullptr;
        m_pOffscreenBits = nullptr;
    }
}

void CPaintManagerUI::OnPaint() {
    if (m_pRoot == nullptr) {
        PAINTSTRUCT ps = {};
        ::BeginPaint(m_hWndPaint, &ps);
        CRenderEngine::DrawColor(ps.hdc, ps.rcPaint, 0xFF000000);
        ::EndPaint(m_hWndPaint, &ps);
        return;
    }
    RECT rcPaint = {};
    if (!::GetUpdateRect(m_hWndPaint, &rcPaint, FALSE))
        return;

    if (m_bFocusNeeded && m_pFocusPending == nullptr)
        SetNextTabControl();

    bool laidOut = false;
    if (m_bUpdateNeeded) {
        m_bUpdateNeeded = false;
        RECT rcClient = {};
        ::GetClientRect(m_hWndPaint, &rcClient);
        if (!::IsRectEmpty(&rcClient) && !::IsIconic(m_hWndPaint)) {
            if (m_pRoot->IsUpdateNeeded()) {
                ReleaseOffscreen();
                m_pRoot->SetPos(rcClient, true);
            } else {
                std::vector<CControlUI*> found;
                m_pRoot->FindControl(__FindControlFromUpdate, &found,
                                     UIFIND_VISIBLE | UIFIND_ME_FIRST | UIFIND_UPDATETEST);
                // Parents come before their children: a child re-laid by its parent is no
                // longer marked and is skipped.
                for (CControlUI* pControl : found) {
                    if (!pControl->IsUpdateNeeded())
                        continue;
                    if (pControl->IsFloat() && pControl->GetParent() != nullptr) {
                        auto* parent = static_cast<CContainerUI*>(
                            pControl->GetParent()->GetInterface("Container"));
                        if (parent != nullptr) {
                            parent->SetFloatPos(parent->GetItemIndex(pControl));
                            continue;
                        }
                    }
                    pControl->SetPos(pControl->GetPos(), true);
                }
            }
            if (m_bFirstLayout) {
                m_bFirstLayout = false;
                SendNotify(m_pRoot, "windowinit", 0, 0, false);
            }
            laidOut = true;
        }
    }

    PAINTSTRUCT ps = {};
    ::BeginPaint(m_hWndPaint, &ps);
    m_bIsPainting = true;
    if (m_pRoot != nullptr) {
        if (m_bOffscreenPaint) {
            RECT rcClient = {};
            ::GetClientRect(m_hWndPaint, &rcClient);
            const int cx = rcClient.right - rcClient.left;
            const int cy = rcClient.bottom - rcClient.top;
            if (m_hbmpOffscreen != nullptr) {
                BITMAP bm = {};
                ::GetObject(m_hbmpOffscreen, sizeof(bm), &bm);
                if (bm.bmWidth != cx || bm.bmHeight != cy)
                    ReleaseOffscreen();
            }
            if (m_hDcOffscreen == nullptr && cx > 0 && cy > 0) {
                m_hDcOffscreen = ::CreateCompatibleDC(m_hDcPaint);
                m_hbmpOffscreen =
                    CRenderEngine::CreateARGB32Bitmap(m_hDcPaint, cx, cy, &m_pOffscreenBits);
                if (m_hDcOffscreen && m_hbmpOffscreen)
                    m_hbmpOffscreenOld = ::SelectObject(m_hDcOffscreen, m_hbmpOffscreen);
                else
                    ReleaseOffscreen();
            }
        }
        HDC hDC = m_hDcOffscreen != nullptr && m_bOffscreenPaint ? m_hDcOffscreen : ps.hdc;
        int saved = ::SaveDC(hDC);
        {
            CRenderClip clip;
            CRenderClip::GenerateClip(hDC, ps.rcPaint, clip);
            m_pRoot->Paint(hDC, ps.rcPaint);
        }
        const std::vector<CControlUI*> postPaint = m_aPostPaintControls;
        for (CControlUI* pControl : postPaint) {
            if (std::find(m_aPostPaintControls.begin(), m_aPostPaintControls.end(), pControl) ==
                m_aPostPaintControls.end())
                continue;
            pControl->DoPostPaint(hDC, ps.rcPaint);
        }
        ::RestoreDC(hDC, saved);
        if (hDC != ps.hdc) {
            ::BitBlt(ps.hdc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                     ps.rcPaint.bottom - ps.rcPaint.top, hDC, ps.rcPaint.left, ps.rcPaint.top,
                     SRCCOPY);
        }
        if (m_bShowUpdateRect)
            CRenderEngine::DrawRect(ps.hdc, ps.rcPaint, 1, 0xFFFF0000);
    }
    m_bIsPainting = false;
    ::EndPaint(m_hWndPaint, &ps);

    // A control waiting for the focus takes it now that it has its place.
    if (m_pFocusPending != nullptr && !m_bUpdateNeeded) {
        CControlUI* pending = m_pFocusPending;
        m_pFocusPending = nullptr;
        m_bFocusNeeded = false;
        SetFocus(pending);
    }

    // A control asked for another layout while painting, or the focus waits for this layout
    // (the invalidation SetNextTabControl made above was used up by this paint): paint again.
    if (m_bUpdateNeeded || m_bFocusNeeded)
        ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
    if (laidOut && m_pRoot != nullptr)
        SendNotify(m_pRoot, "windowsize", 0, 0, true);
}

// ---- Notifications and receivers --------------------------------------------------------------

void CPaintManagerUI::SendNotify(CControlUI* pControl, const std::string& type, WPARAM wParam,
                                 LPARAM lParam, bool bAsync) {
    TNotifyUI msg;
    msg.pSender = pControl;
    msg.sType = type;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, bAsync);
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool bAsync) {
    msg.ptMouse = m_ptLastMousePos;
    msg.dwTimestamp = ::GetTickCount();
    if (m_bUsedVirtualWnd && msg.pSender != nullptr)
        msg.sVirtualWnd = msg.pSender->GetVirtualWnd();
    if (!bAsync) {
        DeliverNotify(msg);
        return;
    }
    m_aAsyncNotify.push_back(msg);
    if (!m_bAsyncNotifyPosted && m_hWndPaint != nullptr) {
        m_bAsyncNotifyPosted = ::PostMessageA(m_hWndPaint, WM_UI_CLEANUP, 0, 0) != FALSE;
    }
}

bool CPaintManagerUI::IsLiveNotifier(INotifyUI* p) const {
    return std::find(m_aNotifiers.begin(), m_aNotifiers.end(), p) != m_aNotifiers.end();
}

void CPaintManagerUI::DeliverNotify(TNotifyUI& msg) {
    if (msg.pSender != nullptr)
        msg.pSender->OnNotify(&msg);
    // Receivers may register or remove receivers while they are called: walk a copy and skip
    // those that were removed in the meantime.
    const std::vector<INotifyUI*> notifiers = m_aNotifiers;
    for (INotifyUI* pNotifier : notifiers) {
        if (IsLiveNotifier(pNotifier))
            pNotifier->Notify(msg);
    }
}

bool CPaintManagerUI::AddNotifier(INotifyUI* pNotifier) {
    if (pNotifier == nullptr || IsLiveNotifier(pNotifier))
        return false;
    m_aNotifiers.push_back(pNotifier);
    return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* pNotifier) {
    auto it = std::find(m_aNotifiers.begin(), m_aNotifiers.end(), pNotifier);
    if (it == m_aNotifiers.end())
        return false;
    m_aNotifiers.erase(it);
    return true;
}

namespace {
template <class T> bool AddUnique(std::vector<T*>& list, T* p) {
    if (p == nullptr || std::find(list.begin(), list.end(), p) != list.end())
        return false;
    list.push_back(p);
    return true;
}

template <class T> bool RemoveOne(std::vector<T*>& list, T* p) {
    auto it = std::find(list.begin(), list.end(), p);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}
} // namespace

bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* pFilter) {
    return AddUnique(m_aMessageFilters, pFilter);
}

bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* pFilter) {
    return RemoveOne(m_aMessageFilters, pFilter);
}

bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* pFilter) {
    return AddUnique(m_aPreMessageFilters, pFilter);
}

bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* pFilter) {
    return RemoveOne(m_aPreMessageFilters, pFilter);
}

bool CPaintManagerUI::AddTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator) {
    return AddUnique(m_aTranslateAccelerators, pTranslateAccelerator);
}

bool CPaintManagerUI::RemoveTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator) {
    return RemoveOne(m_aTranslateAccelerators, pTranslateAccelerator);
}

bool CPaintManagerUI::AddPostPaint(CControlUI* pControl) {
    return AddUnique(m_aPostPaintControls, pControl);
}

bool CPaintManagerUI::RemovePostPaint(CControlUI* pControl) {
    return RemoveOne(m_aPostPaintControls, pControl);
}

bool CPaintManagerUI::SetPostPaintIndex(CControlUI* pControl, int iIndex) {
    if (!RemovePostPaint(pControl))
        return false;
    iIndex = std::clamp(iIndex, 0, int(m_aPostPaintControls.size()));
    m_aPostPaintControls.insert(m_aPostPaintControls.begin() + iIndex, pControl);
    return true;
}

void CPaintManagerUI::AddDelayedCleanup(CControlUI* pControl) {
    if (pControl == nullptr)
        return;
    // The control and its subtree stop taking part at once: no slot, timer, name or queued
    // notification refers to them any more; they are destroyed on the cleanup message.
    struct Reaper {
        static CControlUI* CALLBACK Proc(CControlUI* p, LPVOID data) {
            static_cast<CPaintManagerUI*>(data)->ReapObjects(p);
            return nullptr;
        }
    };
    pControl->FindControl(Reaper::Proc, this, UIFIND_ALL);
    pControl->SetManager(this, nullptr, false);
    m_aDelayedCleanup.push_back(pControl);
    if (!m_bAsyncNotifyPosted && m_hWndPaint != nullptr)
        m_bAsyncNotifyPosted = ::PostMessageA(m_hWndPaint, WM_UI_CLEANUP, 0, 0) != FALSE;
}

// ---- Focus
// ---------------------------------------------------------------------------------------

void CPaintManagerUI::SetFocus(CControlUI* pControl) {
    HWND hFocusWnd = ::GetFocus();
    if (hFocusWnd != m_hWndPaint && pControl != m_pFocus && m_hWndPaint != nullptr &&
        !m_bNoActivate)
        ::SetFocus(m_hWndPaint);
    if (pControl == m_pFocus)
        return;
    if (m_pFocus != nullptr) {
        // The slot is cleared before anybody hears of the loss: a receiver that shows a modal
        // box on "killfocus" gives the window the focus back when the box closes, and that
        // must not hand the focus back to the control that is losing it.
        CControlUI* pOld = m_pFocus;
        m_pFocus = nullptr;
        FireEvent(pOld, UIEVENT_KILLFOCUS, m_ptLastMousePos, 0, 0, pControl);
        if (m_pFocus == nullptr)
            SendNotify(pOld, "killfocus");
        // A receiver moved the focus elsewhere itself: that choice stands.
        if (m_pFocus != nullptr)
            return;
    }
    if (pControl == nullptr || pControl->GetManager() != this || !pControl->IsVisible() ||
        !pControl->IsEnabled())
        return;
    m_pFocus = pControl;
    FireEvent(pControl, UIEVENT_SETFOCUS, m_ptLastMousePos, 0, 0, pControl);
    if (m_pFocus == pControl) {
        SendNotify(pControl, "setfocus");
        NotifyAccessible(EVENT_OBJECT_FOCUS, pControl);
    }
}

CAccessibleTree& CPaintManagerUI::Accessible() {
    if (m_accessible == nullptr)
        m_accessible = std::make_unique<CAccessibleTree>(*this);
    return *m_accessible;
}

void CPaintManagerUI::ReportAccessibleEvent(DWORD event, CControlUI* control) {
    m_accessible->Notify(event, control);
}

void CPaintManagerUI::SetFocusNeeded(CControlUI* pControl) {
    if (m_hWndPaint != nullptr && !m_bNoActivate)
        ::SetFocus(m_hWndPaint);
    if (pControl == nullptr)
        return;
    if (m_pFocus != nullptr) {
        CControlUI* pOld = m_pFocus;
        m_pFocus = nullptr;
        FireEvent(pOld, UIEVENT_KILLFOCUS, m_ptLastMousePos, 0, 0, pControl);
        SendNotify(pOld, "killfocus");
    }
    // The control takes the focus at the next paint, once the layout has placed it.
    m_pFocusPending = pControl;
    m_bFocusNeeded = true;
    if (m_pRoot != nullptr)
        m_pRoot->NeedUpdate();
}

bool CPaintManagerUI::SetNextTabControl(bool bForward) {
    // A layout is pending: move the focus after it, when the positions are known.
    if (m_bUpdateNeeded && bForward) {
        m_bFocusNeeded = true;
        if (m_hWndPaint != nullptr)
            ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
        return true;
    }
    if (m_pRoot == nullptr)
        return false;
    // Every visible, enabled tab stop in tree (reading) order, then the focus order they ask.
    const std::vector<CControlUI*> stops = TabStops(m_pRoot);
    std::vector<int> indexes;
    size_t current = std::string::npos;
    for (size_t i = 0; i < stops.size(); ++i) {
        indexes.push_back(stops[i]->GetTabIndex());
        if (stops[i] == m_pFocus)
            current = i;
    }
    const size_t next = NextInFocusOrder(indexes, current, bForward);
    if (next != std::string::npos) {
        m_bFocusFromTabKey = true;
        SetFocus(stops[next]);
        m_bFocusFromTabKey = false;
    }
    m_bFocusNeeded = false;
    return true;
}

std::vector<CControlUI*> CPaintManagerUI::TabStops(CControlUI* subtree) {
    std::vector<CControlUI*> stops;
    subtree->FindControl(
        [](CControlUI* control, LPVOID data) -> CControlUI* {
            if ((control->GetControlFlags() & UIFLAG_TABSTOP) != 0)
                static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
            return nullptr;
        },
        &stops, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    return stops;
}

CControlUI* CPaintManagerUI::FirstTabStopIn(CControlUI* subtree) const {
    if (subtree == nullptr)
        return nullptr;
    const std::vector<CControlUI*> stops = TabStops(subtree);
    std::vector<int> indexes;
    for (CControlUI* stop : stops)
        indexes.push_back(stop->GetTabIndex());
    const size_t first = NextInFocusOrder(indexes, std::string::npos, true);
    return first == std::string::npos ? nullptr : stops[first];
}

void CPaintManagerUI::SetCapture() {
    ::SetCapture(m_hWndPaint);
    m_bMouseCapture = true;
}

void CPaintManagerUI::ReleaseCapture() {
    ::ReleaseCapture();
    m_bMouseCapture = false;
}

void CPaintManagerUI::FireEvent(CControlUI* pControl, int type, POINT pt, WPARAM wParam,
                                LPARAM lParam, CControlUI* pSender, char chKey) {
    if (pControl == nullptr)
        return;
    TEventUI event;
    event.Type = type;
    event.pSender = pSender ? pSender : pControl;
    event.dwTimestamp = ::GetTickCount();
    event.ptMouse = pt;
    event.chKey = chKey;
    event.wKeyState = MapKeyState();
    event.wParam = wParam;
    event.lParam = lParam;
    pControl->Event(event);
}

// ---- Option groups
// ---------------------------------------------------------------------------------

bool CPaintManagerUI::AddOptionGroup(const std::string& group, CControlUI* pControl) {
    if (pControl == nullptr)
        return false;
    auto& members = m_mOptionGroup[group];
    if (std::find(members.begin(), members.end(), pControl) != members.end())
        return false;
    members.push_back(pControl);
    return true;
}

const std::vector<CControlUI*>* CPaintManagerUI::GetOptionGroup(const std::string& group) const {
    auto it = m_mOptionGroup.find(group);
    return it == m_mOptionGroup.end() ? nullptr : &it->second;
}

void CPaintManagerUI::RemoveOptionGroup(const std::string& group, CControlUI* pControl) {
    auto it = m_mOptionGroup.find(group);
    if (it == m_mOptionGroup.end())
        return;
    auto& members = it->second;
    members.erase(std::remove(members.begin(), members.end(), pControl), members.end());
    if (members.empty())
        m_mOptionGroup.erase(it);
}

void CPaintManagerUI::RemoveAllOptionGroups() {
    m_mOptionGroup.clear();
}

// ---- Process-wide
// ----------------------------------------------------------------------------------

void CPaintManagerUI::MessageLoop() {
    MSG msg = {};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

bool CPaintManagerUI::TranslateMessage(const MSG* pMsg) {
    if (pMsg == nullptr || pMsg->hwnd == nullptr)
        return false;
    MSG msg = *pMsg;
    const auto managers = Shared().managers;
    LONG_PTR style = ::GetWindowLongPtrA(pMsg->hwnd, GWL_STYLE);
    if ((style & WS_CHILD) != 0) {
        // A child window's message: every manager whose window is the child or one of its
        // ancestors gets a look at it.
        for (CPaintManagerUI* pT : managers) {
            if (!IsManagerAlive(pT))
                continue;
            bool related = false;
            for (HWND h = pMsg->hwnd; h != nullptr; h = ::GetParent(h))
                related = related || h == pT->GetPaintWindow();
            if (!related)
                continue;
            if (pT->TranslateAccelerator(&msg))
                return true;
            LRESULT lRes = 0;
            pT->PreMessageHandler(msg.message, msg.wParam, msg.lParam, lRes);
        }
        return false;
    }
    for (CPaintManagerUI* pT : managers) {
        if (!IsManagerAlive(pT) || pMsg->hwnd != pT->GetPaintWindow())
            continue;
        if (pT->TranslateAccelerator(&msg))
            return true;
        LRESULT lRes = 0;
        return pT->PreMessageHandler(msg.message, msg.wParam, msg.lParam, lRes);
    }
    return false;
}

void CPaintManagerUI::SetInstance(HINSTANCE hInst) {
    CResourceAccess::SetInstance(hInst);
}

HINSTANCE CPaintManagerUI::GetInstance() {
    return static_cast<HINSTANCE>(CResourceAccess::GetInstance());
}

std::string CPaintManagerUI::GetInstancePath() {
    return CResourceAccess::GetInstancePath();
}

void CPaintManagerUI::SetResourcePath(const std::string& path) {
    CResourceAccess::SetResourcePath(path.c_str());
}

const std::string& CPaintManagerUI::GetResourcePath() {
    return CResourceAccess::GetResourcePath();
}

void CPaintManagerUI::Term() {
    Shared().resources.Clear();
}

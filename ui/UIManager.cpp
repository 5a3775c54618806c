#include "ui/UIManager.h"

#include <windowsx.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "ui/UIBase.h"
#include "ui/UIContainer.h"
#include "ui/UIControl.h"
#include "ui/UIRender.h"
#include "ui/UIResource.h"

namespace {

// Reflected messages from child windows carry their code raised by this much.
constexpr UINT kReflectBase = 0x2000;

// Native timer ids the application uses for its own timers on a toolkit window; control
// timers never take them.
constexpr UINT kReservedTimerIds[] = {101, 102};

// Largest font file that AddFontFile registers.
constexpr size_t kMaxFontFileBytes = 32u * 1024u * 1024u;

// Process-wide state of the toolkit.
struct SharedState {
    std::vector<CPaintManagerUI*> managers;
    std::map<int, std::shared_ptr<TFontInfo>> fonts;
    std::map<std::string, std::shared_ptr<TImageInfo>> images;
    std::vector<std::shared_ptr<TFontInfo>> retiredFonts;
    std::vector<std::shared_ptr<TImageInfo>> retiredImages;
    std::map<std::string, std::string> defaultAttrs;
    std::map<std::string, std::string> styles;
    std::shared_ptr<TFontInfo> defaultFont;
    DWORD disabledColor = 0xFFA7A6AA;
    DWORD fontColor = 0xFF000000;
    DWORD linkFontColor = 0xFF0000FF;
    DWORD linkHoverFontColor = 0xFFD3215F;
    DWORD selectedBkColor = 0xFFBAE4FF;
    bool commonControlsReady = false;
};

SharedState& Shared() {
    static SharedState state;
    return state;
}

// Puts an entry into a font or image table; an entry it replaces is kept alive in `retired`
// because controls may still hold a pointer to it.
template <class Table, class Retired>
void ReplaceEntry(Table& table, const typename Table::key_type& key,
                  const typename Table::mapped_type& value, Retired& retired) {
    auto it = table.find(key);
    if (it != table.end())
        retired.push_back(it->second);
    table[key] = value;
}

// Takes an entry out of a font or image table, keeping it alive in `retired`.
template <class Table, class Retired>
bool RetireEntry(Table& table, const typename Table::key_type& key, Retired& retired) {
    auto it = table.find(key);
    if (it == table.end())
        return false;
    retired.push_back(it->second);
    table.erase(it);
    return true;
}

// Looks a key up in this window's table first, then in the process-wide one.
template <class Table>
const typename Table::mapped_type* FindOwnOrShared(const Table& own, const Table& shared,
                                                   const typename Table::key_type& key) {
    auto it = own.find(key);
    if (it != own.end())
        return &it->second;
    auto sit = shared.find(key);
    return sit == shared.end() ? nullptr : &sit->second;
}

// Sets a default colour process-wide, or for one window only (which then keeps its own).
void StoreColor(DWORD color, bool shared, DWORD& sharedColor, DWORD& ownColor, bool& own) {
    if (shared) {
        sharedColor = color;
    } else {
        ownColor = color;
        own = true;
    }
}

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

void FillMetrics(TFontInfo& info) {
    if (info.bMetricsValid || info.hFont == nullptr)
        return;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, info.hFont);
    ::GetTextMetricsA(dc, &info.tm);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    info.bMetricsValid = true;
}

struct FindTabInfo {
    CControlUI* pFocus;
    CControlUI* pLast;
    bool bForward;
    bool bNextIsIt;
};

struct FindShortcut {
    char ch;
    bool bPickNext;
};

struct FindByClass {
    const char* className;
    int index;
};

} // namespace

// ---- Construction -------------------------------------------------------------------------

CPaintManagerUI::CPaintManagerUI() {
    SharedState& shared = Shared();
    if (!shared.commonControlsReady) {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
        shared.commonControlsReady = true;
    }
}

CPaintManagerUI::~CPaintManagerUI() {
    auto& list = Shared().managers;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
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
    m_mCustomFonts.clear();
    m_mImageHash.clear();
    m_mFailedImages.clear();
    m_mDefaultAttrHash.clear();
    m_mStyleHash.clear();
    m_mDrawInfoHash.clear();
    // Retired images and fonts may still be held by painting code only while the tree
    // lives; Init and destruction discard them with everything else.
    m_aRetiredFonts.clear();
    m_aRetiredImages.clear();
    m_pDefaultFont.reset();
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

CControlUI* CPaintManagerUI::FindControl(const std::string& name) const {
    auto it = m_mNameHash.find(name);
    return it == m_mNameHash.end() ? nullptr : it->second;
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

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromTab(CControlUI* pThis, LPVOID pData) {
    auto* info = static_cast<FindTabInfo*>(pData);
    if (info->pFocus == pThis) {
        if (info->bForward)
            info->bNextIsIt = true;
        return info->bForward ? nullptr : info->pLast;
    }
    if ((pThis->GetControlFlags() & UIFLAG_TABSTOP) == 0)
        return nullptr;
    info->pLast = pThis;
    if (info->bNextIsIt)
        return pThis;
    if (info->pFocus == nullptr && info->bForward)
        return pThis;
    return nullptr;
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

    if (m_bFocusNeeded)
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
    if (m_pFocus == pControl)
        SendNotify(pControl, "setfocus");
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
    if (m_pRoot != nullptr) {
        FindTabInfo info = {pControl, nullptr, false, false};
        m_pFocus = m_pRoot->FindControl(__FindControlFromTab, &info,
                                        UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
        m_bFocusNeeded = true;
        m_pRoot->NeedUpdate();
    }
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
    const UINT flags = UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST;
    FindTabInfo info1 = {m_pFocus, nullptr, bForward, false};
    CControlUI* pControl = m_pRoot->FindControl(__FindControlFromTab, &info1, flags);
    if (pControl == nullptr) {
        if (bForward) {
            // Wrap to the first tab stop.
            FindTabInfo info2 = {nullptr, nullptr, true, false};
            pControl = m_pRoot->FindControl(__FindControlFromTab, &info2, flags);
        } else {
            // Wrap to the last tab stop.
            pControl = info1.pLast;
        }
    }
    if (pControl != nullptr)
        SetFocus(pControl);
    m_bFocusNeeded = false;
    return true;
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

// ---- Fonts
// ----------------------------------------------------------------------------------------

std::shared_ptr<TFontInfo> CPaintManagerUI::CreateFontInfo(const std::string& face, int size,
                                                           bool bold, bool underline, bool italic) {
    LOGFONTA lf = {};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    if (!face.empty()) {
        std::memset(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
        std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    }
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -std::clamp(size, 1, 1000);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfItalic = italic ? TRUE : FALSE;
    HFONT hFont = ::CreateFontIndirectA(&lf);
    if (hFont == nullptr)
        return nullptr;
    auto info = std::shared_ptr<TFontInfo>(new TFontInfo, [](TFontInfo* p) {
        if (p->hFont)
            ::DeleteObject(p->hFont);
        delete p;
    });
    info->hFont = hFont;
    info->sFontName = lf.lfFaceName;
    info->iSize = std::clamp(size, 1, 1000);
    info->bBold = bold;
    info->bUnderline = underline;
    info->bItalic = italic;
    return info;
}

HFONT CPaintManagerUI::AddFont(int id, const std::string& face, int size, bool bold, bool underline,
                               bool italic, bool shared) {
    if (id < 0)
        return nullptr;
    auto info = CreateFontInfo(face, size, bold, underline, italic);
    if (!info)
        return nullptr;
    if (shared || m_bForceShared)
        ReplaceEntry(Shared().fonts, id, info, Shared().retiredFonts);
    else
        ReplaceEntry(m_mCustomFonts, id, info, m_aRetiredFonts);
    return info->hFont;
}

TFontInfo* CPaintManagerUI::GetFontInfo(int id) {
    TFontInfo* info = nullptr;
    if (id >= 0) {
        if (const auto* found = FindOwnOrShared(m_mCustomFonts, Shared().fonts, id))
            info = found->get();
    }
    if (info == nullptr)
        return GetDefaultFontInfo();
    FillMetrics(*info);
    return info;
}

HFONT CPaintManagerUI::GetFont(int id) {
    return GetFontInfo(id)->hFont;
}

TFontInfo* CPaintManagerUI::GetFontInfo(HFONT hFont) {
    for (auto& entry : m_mCustomFonts)
        if (entry.second->hFont == hFont) {
            FillMetrics(*entry.second);
            return entry.second.get();
        }
    for (auto& entry : Shared().fonts)
        if (entry.second->hFont == hFont) {
            FillMetrics(*entry.second);
            return entry.second.get();
        }
    return GetDefaultFontInfo();
}

int CPaintManagerUI::GetFontHeight(int id) {
    return GetFontInfo(id)->tm.tmHeight;
}

bool CPaintManagerUI::RemoveFont(int id, bool shared) {
    if (shared)
        return RetireEntry(Shared().fonts, id, Shared().retiredFonts);
    return RetireEntry(m_mCustomFonts, id, m_aRetiredFonts);
}

void CPaintManagerUI::SetDefaultFont(const std::string& face, int size, bool bold, bool underline,
                                     bool italic, bool shared) {
    // Bold is the plain bold weight (700), whatever the base font's weight is.
    auto info = CreateFontInfo(face, size, bold, underline, italic);
    if (!info)
        return;
    FillMetrics(*info);
    if (shared || m_bForceShared) {
        if (Shared().defaultFont)
            Shared().retiredFonts.push_back(Shared().defaultFont);
        Shared().defaultFont = info;
    } else {
        if (m_pDefaultFont)
            m_aRetiredFonts.push_back(m_pDefaultFont);
        m_pDefaultFont = info;
    }
}

TFontInfo* CPaintManagerUI::GetDefaultFontInfo() {
    if (m_pDefaultFont) {
        FillMetrics(*m_pDefaultFont);
        return m_pDefaultFont.get();
    }
    auto& shared = Shared().defaultFont;
    if (!shared) {
        LOGFONTA lf = {};
        ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
        lf.lfCharSet = DEFAULT_CHARSET;
        HFONT hFont = ::CreateFontIndirectA(&lf);
        shared = std::shared_ptr<TFontInfo>(new TFontInfo, [](TFontInfo* p) {
            if (p->hFont)
                ::DeleteObject(p->hFont);
            delete p;
        });
        shared->hFont = hFont;
        shared->sFontName = lf.lfFaceName;
        shared->iSize = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
        shared->bBold = lf.lfWeight >= FW_BOLD;
    }
    FillMetrics(*shared);
    return shared.get();
}

bool CPaintManagerUI::AddFontFile(const std::string& file) {
    std::string bytes;
    if (CResourceAccess::ReadSkinFile(file.c_str(), kMaxFontFileBytes, bytes) != FileReadStatus::Ok)
        return false;
    DWORD count = 0;
    HANDLE h = ::AddFontMemResourceEx(const_cast<char*>(bytes.data()), DWORD(bytes.size()), nullptr,
                                      &count);
    if (h == nullptr)
        return false;
    m_aFontResources.push_back(h);
    return true;
}

// ---- Images
// -----------------------------------------------------------------------------------------

const TImageInfo* CPaintManagerUI::AddImage(const std::string& name, const std::string& type,
                                            DWORD mask, bool shared) {
    if (name.empty())
        return nullptr;
    TImageInfo* loaded = CRenderEngine::LoadImage(name, type, mask);
    if (loaded == nullptr) {
        m_mFailedImages[name] = true;
        return nullptr;
    }
    m_mFailedImages.erase(name);
    std::shared_ptr<TImageInfo> info(loaded);
    if (shared || m_bForceShared)
        ReplaceEntry(Shared().images, name, info, Shared().retiredImages);
    else
        ReplaceEntry(m_mImageHash, name, info, m_aRetiredImages);
    return info.get();
}

const TImageInfo* CPaintManagerUI::GetImage(const std::string& name) const {
    const auto* found = FindOwnOrShared(m_mImageHash, Shared().images, name);
    return found ? found->get() : nullptr;
}

const TImageInfo* CPaintManagerUI::GetImageEx(const std::string& name, const std::string& type,
                                              DWORD mask) {
    if (const TImageInfo* info = GetImage(name))
        return info;
    // An image that could not be loaded is not read again at every paint.
    if (m_mFailedImages.count(name) != 0)
        return nullptr;
    return AddImage(name, type, mask, false);
}

bool CPaintManagerUI::RemoveImage(const std::string& name, bool shared) {
    if (shared)
        return RetireEntry(Shared().images, name, Shared().retiredImages);
    return RetireEntry(m_mImageHash, name, m_aRetiredImages);
}

const TDrawInfo* CPaintManagerUI::GetDrawInfo(const std::string& image, const std::string& modify) {
    auto key = std::make_pair(image, modify);
    auto it = m_mDrawInfoHash.find(key);
    if (it != m_mDrawInfoHash.end())
        return &it->second;
    TDrawInfo& info = m_mDrawInfoHash[key];
    CRenderEngine::ParseDrawInfo(image, modify, info);
    return &info;
}

// ---- Default attribute lists and styles
// ----------------------------------------------------------

void CPaintManagerUI::AddDefaultAttributeList(const std::string& tag, const std::string& list,
                                              bool shared) {
    if (shared || m_bForceShared)
        Shared().defaultAttrs[tag] = list;
    else
        m_mDefaultAttrHash[tag] = list;
}

bool CPaintManagerUI::HasDefaultAttributeList(const std::string& tag) const {
    return m_mDefaultAttrHash.count(tag) != 0 || Shared().defaultAttrs.count(tag) != 0;
}

std::string CPaintManagerUI::GetDefaultAttributeList(const std::string& tag) const {
    const auto* found = FindOwnOrShared(m_mDefaultAttrHash, Shared().defaultAttrs, tag);
    return found ? *found : std::string();
}

void CPaintManagerUI::AddStyle(const std::string& name, const std::string& value, bool shared) {
    if (shared || m_bForceShared)
        Shared().styles[name] = value;
    else
        m_mStyleHash[name] = value;
}

bool CPaintManagerUI::HasStyle(const std::string& name) const {
    return m_mStyleHash.count(name) != 0 || Shared().styles.count(name) != 0;
}

std::string CPaintManagerUI::GetStyle(const std::string& name) const {
    const auto* found = FindOwnOrShared(m_mStyleHash, Shared().styles, name);
    return found ? *found : std::string();
}

// ---- Window settings
// ---------------------------------------------------------------------------------

void CPaintManagerUI::SetInitSize(int cx, int cy) {
    m_szInitWindowSize = {cx, cy};
    if (m_pRoot == nullptr && m_hWndPaint != nullptr)
        ::SetWindowPos(m_hWndPaint, nullptr, 0, 0, cx, cy,
                       SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void CPaintManagerUI::SetOpacity(BYTE opacity) {
    m_nOpacity = opacity;
    if (m_hWndPaint == nullptr)
        return;
    LONG_PTR exStyle = ::GetWindowLongPtrA(m_hWndPaint, GWL_EXSTYLE);
    if (opacity < 255) {
        ::SetWindowLongPtrA(m_hWndPaint, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        ::SetLayeredWindowAttributes(m_hWndPaint, 0, opacity, LWA_ALPHA);
    } else if ((exStyle & WS_EX_LAYERED) != 0 && !m_bLayered) {
        ::SetWindowLongPtrA(m_hWndPaint, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    }
}

void CPaintManagerUI::SetLayered(bool layered) {
    // Stored only: this toolkit paints every window opaquely.
    m_bLayered = layered;
}

void CPaintManagerUI::SetLayeredImage(const std::string& image) {
    m_sLayeredImage = image;
    SetLayered(true);
}

DWORD CPaintManagerUI::GetDefaultDisabledColor() const {
    return m_bOwnDisabledColor ? m_dwDefaultDisabledColor : Shared().disabledColor;
}

void CPaintManagerUI::SetDefaultDisabledColor(DWORD color, bool shared) {
    StoreColor(color, shared, Shared().disabledColor, m_dwDefaultDisabledColor,
               m_bOwnDisabledColor);
}

DWORD CPaintManagerUI::GetDefaultFontColor() const {
    return m_bOwnFontColor ? m_dwDefaultFontColor : Shared().fontColor;
}

void CPaintManagerUI::SetDefaultFontColor(DWORD color, bool shared) {
    StoreColor(color, shared, Shared().fontColor, m_dwDefaultFontColor, m_bOwnFontColor);
}

DWORD CPaintManagerUI::GetDefaultLinkFontColor() const {
    return m_bOwnLinkFontColor ? m_dwDefaultLinkFontColor : Shared().linkFontColor;
}

void CPaintManagerUI::SetDefaultLinkFontColor(DWORD color, bool shared) {
    StoreColor(color, shared, Shared().linkFontColor, m_dwDefaultLinkFontColor,
               m_bOwnLinkFontColor);
}

DWORD CPaintManagerUI::GetDefaultLinkHoverFontColor() const {
    return m_bOwnLinkHoverFontColor ? m_dwDefaultLinkHoverFontColor : Shared().linkHoverFontColor;
}

void CPaintManagerUI::SetDefaultLinkHoverFontColor(DWORD color, bool shared) {
    StoreColor(color, shared, Shared().linkHoverFontColor, m_dwDefaultLinkHoverFontColor,
               m_bOwnLinkHoverFontColor);
}

DWORD CPaintManagerUI::GetDefaultSelectedBkColor() const {
    return m_bOwnSelectedBkColor ? m_dwDefaultSelectedBkColor : Shared().selectedBkColor;
}

void CPaintManagerUI::SetDefaultSelectedBkColor(DWORD color, bool shared) {
    StoreColor(color, shared, Shared().selectedBkColor, m_dwDefaultSelectedBkColor,
               m_bOwnSelectedBkColor);
}

// ---- Tooltips
// ----------------------------------------------------------------------------------------

void CPaintManagerUI::ShowTooltip(CControlUI* pControl) {
    const std::string text = pControl->GetToolTip();
    if (text.empty())
        return;
    m_sToolTipText = text;
    std::memset(&m_ToolTip, 0, sizeof(m_ToolTip));
    m_ToolTip.cbSize = TTTOOLINFOA_V1_SIZE;
    m_ToolTip.uFlags = TTF_IDISHWND;
    m_ToolTip.hwnd = m_hWndPaint;
    m_ToolTip.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    m_ToolTip.hinst = CPaintManagerUI::GetInstance();
    m_ToolTip.lpszText = const_cast<char*>(m_sToolTipText.c_str());
    m_ToolTip.rect = pControl->GetPos();
    if (m_hwndTooltip == nullptr) {
        m_hwndTooltip =
            ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              m_hWndPaint, nullptr, GetInstance(), nullptr);
        if (m_hwndTooltip == nullptr)
            return;
        ::SendMessageA(m_hwndTooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
    ::SendMessageA(m_hwndTooltip, TTM_SETMAXTIPWIDTH, 0, pControl->GetToolTipWidth());
    ::SendMessageA(m_hwndTooltip, TTM_SETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
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
    const auto filters = m_aPreMessageFilters;
    for (IMessageFilterUI* pFilter : filters) {
        if (std::find(m_aPreMessageFilters.begin(), m_aPreMessageFilters.end(), pFilter) ==
            m_aPreMessageFilters.end())
            continue;
        bool handled = false;
        LRESULT result = pFilter->MessageHandler(uMsg, wParam, lParam, handled);
        if (handled) {
            lRes = result;
            return true;
        }
    }
    switch (uMsg) {
    case WM_KEYDOWN:
        if (wParam == VK_TAB) {
            SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
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
    const auto filters = m_aMessageFilters;
    for (IMessageFilterUI* pFilter : filters) {
        if (std::find(m_aMessageFilters.begin(), m_aMessageFilters.end(), pFilter) ==
            m_aMessageFilters.end())
            continue;
        bool handled = false;
        LRESULT result = pFilter->MessageHandler(uMsg, wParam, lParam, handled);
        if (handled) {
            lRes = result;
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

    switch (uMsg) {
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
    case WM_LBUTTONDOWN: {
        if (!m_bNoActivate)
            ::SetFocus(m_hWndPaint);
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        m_ptLastMousePos = pt;
        CControlUI* pControl = FindControl(pt);
        if (pControl == nullptr || pControl->GetManager() != this)
            break;
        SetCapture();
        m_pEventClick = pControl;
        pControl->SetFocus();
        if (m_pEventClick == pControl)
            FireEvent(pControl, UIEVENT_BUTTONDOWN, pt, wParam, lParam);
        break;
    }
    case WM_LBUTTONDBLCLK: {
        if (!m_bNoActivate)
            ::SetFocus(m_hWndPaint);
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        m_ptLastMousePos = pt;
        CControlUI* pControl = FindControl(pt);
        if (pControl == nullptr || pControl->GetManager() != this)
            break;
        SetCapture();
        m_pEventClick = pControl;
        FireEvent(pControl, UIEVENT_DBLCLICK, pt, wParam, lParam);
        break;
    }
    case WM_LBUTTONUP: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        m_ptLastMousePos = pt;
        if (m_pEventClick == nullptr)
            break;
        ReleaseCapture();
        CControlUI* pControl = m_pEventClick;
        m_pEventClick = nullptr;
        FireEvent(pControl, UIEVENT_BUTTONUP, pt, wParam, lParam);
        break;
    }
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        if (!m_bNoActivate)
            ::SetFocus(m_hWndPaint);
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        m_ptLastMousePos = pt;
        CControlUI* pControl = FindControl(pt);
        if (pControl == nullptr || pControl->GetManager() != this)
            break;
        pControl->SetFocus();
        SetCapture();
        m_pEventClick = pControl;
        FireEvent(pControl, uMsg == WM_RBUTTONDOWN ? UIEVENT_RBUTTONDOWN : UIEVENT_MBUTTONDOWN, pt,
                  wParam, lParam);
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
        if (m_pEventClick == nullptr)
            break;
        ReleaseCapture();
        CControlUI* pControl = m_pEventClick;
        m_pEventClick = nullptr;
        FireEvent(pControl, UIEVENT_CONTEXTMENU, pt, wParam, reinterpret_cast<LPARAM>(pControl));
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
    case WM_KEYDOWN:
        if (m_pFocus == nullptr)
            break;
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
    case WM_SETFOCUS:
        if (m_pFocus != nullptr)
            FireEvent(m_pFocus, UIEVENT_SETFOCUS, m_ptLastMousePos, wParam, lParam);
        break;
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

// ---- Process-wide
// ----------------------------------------------------------------------------------

void CPaintManagerUI::MessageLoop() {
    MSG msg = {};
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
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
    SharedState& shared = Shared();
    shared.fonts.clear();
    shared.images.clear();
    shared.retiredFonts.clear();
    shared.retiredImages.clear();
    shared.defaultAttrs.clear();
    shared.styles.clear();
    shared.defaultFont.reset();
}

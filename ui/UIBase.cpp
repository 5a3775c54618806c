#include "ui/UIBase.h"

#include "ui/UIManager.h"
#include "ui/UITextWin.h"


namespace {

// The toolkit's instance, or this program's module when none was set.
HINSTANCE ModuleInstance() {
    HINSTANCE instance = CPaintManagerUI::GetInstance();
    return instance ? instance : ::GetModuleHandleW(nullptr);
}

} // namespace

bool CWindowWnd::RegisterWindowClass() {
    // Unicode windows: text reaches them and leaves them as UTF-16, whatever the code page.
    const std::wstring name = uitext::Wide(GetWindowClassName());
    WNDCLASSW wc = {};
    wc.style = GetClassStyle();
    wc.lpfnWndProc = CWindowWnd::__WndProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;
    wc.lpszClassName = name.c_str();
    ATOM ret = ::RegisterClassW(&wc);
    return ret != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass() {
    // Takes the window procedure of the existing class and routes it through this object.
    const std::wstring super = uitext::Wide(GetSuperClassName());
    const std::wstring name = uitext::Wide(GetWindowClassName());
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(nullptr, super.c_str(), &wc)) {
        if (!::GetClassInfoExW(ModuleInstance(), super.c_str(), &wc))
            return false;
    }
    m_OldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = CWindowWnd::__ControlProc;
    wc.hInstance = ModuleInstance();
    wc.lpszClassName = name.c_str();
    ATOM ret = ::RegisterClassExW(&wc);
    return ret != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND hwndParent, const char* pstrName, DWORD dwStyle, DWORD dwExStyle,
                        const RECT& rc, HMENU hMenu) {
    return Create(hwndParent, pstrName, dwStyle, dwExStyle, rc.left, rc.top, rc.right - rc.left,
                  rc.bottom - rc.top, hMenu);
}

HWND CWindowWnd::Create(HWND hwndParent, const char* pstrName, DWORD dwStyle, DWORD dwExStyle,
                        int x, int y, int cx, int cy, HMENU hMenu) {
    if (GetSuperClassName() != nullptr && !RegisterSuperclass())
        return nullptr;
    if (GetSuperClassName() == nullptr && !RegisterWindowClass())
        return nullptr;
    m_hWnd = ::CreateWindowExW(dwExStyle, uitext::Wide(GetWindowClassName()).c_str(),
                               pstrName ? uitext::Wide(pstrName).c_str() : nullptr, dwStyle, x,
                               y, cx, cy, hwndParent, hMenu, ModuleInstance(), this);
    return m_hWnd;
}

HWND CWindowWnd::Subclass(HWND hWnd) {
    if (!::IsWindow(hWnd))
        return nullptr;
    m_OldWndProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(__ControlProc)));
    if (m_OldWndProc == nullptr)
        return nullptr;
    m_bSubclassed = true;
    m_hWnd = hWnd;
    ::SetPropA(hWnd, kObjectProperty, static_cast<HANDLE>(this));
    return m_hWnd;
}

void CWindowWnd::Unsubclass() {
    if (!::IsWindow(m_hWnd) || !m_bSubclassed)
        return;
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OldWndProc));
    m_OldWndProc = ::DefWindowProcW;
    m_bSubclassed = false;
    ::RemovePropA(m_hWnd, kObjectProperty);
}

void CWindowWnd::ShowWindow(bool bShow, bool bTakeFocus) {
    if (!::IsWindow(m_hWnd))
        return;
    ::ShowWindow(m_hWnd, bShow ? (bTakeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal() {
    if (!::IsWindow(m_hWnd))
        return UINT(-1);
    HWND hWndParent = ::GetWindow(m_hWnd, GW_OWNER);
    ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    if (hWndParent)
        ::EnableWindow(hWndParent, FALSE);
    UINT nRet = 0;
    HWND hWnd = m_hWnd;
    MSG msg = {};
    while (::IsWindow(hWnd) && ::GetMessageW(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_CLOSE && msg.hwnd == hWnd) {
            nRet = UINT(msg.wParam);
            if (hWndParent) {
                // Re-enable the owner before this window goes, so that Windows gives the
                // activation back to it rather than to another application.
                ::EnableWindow(hWndParent, TRUE);
                ::SetFocus(hWndParent);
            }
        }
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (msg.message == WM_QUIT)
            break;
    }
    if (hWndParent)
        ::EnableWindow(hWndParent, TRUE);
    if (msg.message == WM_QUIT)
        ::PostQuitMessage(int(msg.wParam));
    return nRet;
}

void CWindowWnd::Close(UINT nRet) {
    if (!::IsWindow(m_hWnd))
        return;
    PostMessage(WM_CLOSE, WPARAM(nRet), 0);
}

void CWindowWnd::CenterWindow() {
    if (!::IsWindow(m_hWnd))
        return;
    RECT rcDlg = {};
    ::GetWindowRect(m_hWnd, &rcDlg);
    HWND hWndOwner = ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &info);
    RECT rcArea = info.rcWork;
    RECT rcCenter = rcArea;
    if (hWndOwner != nullptr && ::IsWindowVisible(hWndOwner) && !::IsIconic(hWndOwner))
        ::GetWindowRect(hWndOwner, &rcCenter);
    int dlgWidth = rcDlg.right - rcDlg.left;
    int dlgHeight = rcDlg.bottom - rcDlg.top;
    int xLeft = (rcCenter.left + rcCenter.right) / 2 - dlgWidth / 2;
    int yTop = (rcCenter.top + rcCenter.bottom) / 2 - dlgHeight / 2;
    // Keep the window inside the work area.
    if (xLeft + dlgWidth > rcArea.right)
        xLeft = rcArea.right - dlgWidth;
    if (xLeft < rcArea.left)
        xLeft = rcArea.left;
    if (yTop + dlgHeight > rcArea.bottom)
        yTop = rcArea.bottom - dlgHeight;
    if (yTop < rcArea.top)
        yTop = rcArea.top;
    ::SetWindowPos(m_hWnd, nullptr, xLeft, yTop, -1, -1,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT nRes) {
    auto roundUp = [](int v) { return (v + 15) / 16 * 16; };
    HICON hIcon =
        static_cast<HICON>(::LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(nRes), IMAGE_ICON,
                                        roundUp(::GetSystemMetrics(SM_CXICON)),
                                        roundUp(::GetSystemMetrics(SM_CYICON)), LR_DEFAULTCOLOR));
    if (hIcon)
        ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(hIcon));
    hIcon =
        static_cast<HICON>(::LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(nRes), IMAGE_ICON,
                                        roundUp(::GetSystemMetrics(SM_CXSMICON)),
                                        roundUp(::GetSystemMetrics(SM_CYSMICON)), LR_DEFAULTCOLOR));
    if (hIcon)
        ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
}

void CWindowWnd::ResizeClient(int cx, int cy) {
    RECT rc = {};
    if (!::GetClientRect(m_hWnd, &rc))
        return;
    if (cx != -1)
        rc.right = cx;
    if (cy != -1)
        rc.bottom = cy;
    DWORD style = DWORD(::GetWindowLongPtrA(m_hWnd, GWL_STYLE));
    DWORD exStyle = DWORD(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE));
    if (!::AdjustWindowRectEx(&rc, style, !(style & WS_CHILD) && ::GetMenu(m_hWnd) != nullptr,
                              exStyle))
        return;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

LRESULT CWindowWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::__WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return RouteMessage(hWnd, uMsg, wParam, lParam, false);
}

LRESULT CALLBACK CWindowWnd::__ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return RouteMessage(hWnd, uMsg, wParam, lParam, true);
}

LRESULT CWindowWnd::RouteMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                 bool inProperty) {
    CWindowWnd* pThis = nullptr;
    if (uMsg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        pThis = static_cast<CWindowWnd*>(cs->lpCreateParams);
        pThis->m_hWnd = hWnd;
        if (inProperty)
            ::SetPropA(hWnd, kObjectProperty, static_cast<HANDLE>(pThis));
        else
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pThis));
    } else {
        pThis = inProperty
                    ? static_cast<CWindowWnd*>(::GetPropA(hWnd, kObjectProperty))
                    : reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (uMsg == WM_NCDESTROY && pThis != nullptr) {
            // The last message: the window's own procedure runs, then the object lets go.
            LRESULT lRes = ::CallWindowProcW(pThis->m_OldWndProc, hWnd, uMsg, wParam, lParam);
            if (inProperty)
                ::RemovePropA(hWnd, kObjectProperty);
            else
                ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
            if (pThis->m_bSubclassed)
                pThis->Unsubclass();
            pThis->m_hWnd = nullptr;
            pThis->OnFinalMessage(hWnd);
            return lRes;
        }
    }
    if (pThis != nullptr)
        return pThis->HandleMessage(uMsg, wParam, lParam);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

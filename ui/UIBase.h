// Native window base of the toolkit.
//
// CWindowWnd wraps one native window: it registers (or superclasses) the window class,
// keeps the object with the window and routes every message to HandleMessage. A toolkit
// window derives from it, owns a CPaintManagerUI and hands it the messages it does not
// handle itself.
#pragma once

#include "ui/UIParseWin.h"

#include <windows.h>

#include <string>

class CWindowWnd {
public:
    CWindowWnd() = default;
    virtual ~CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    bool RegisterWindowClass();
    bool RegisterSuperclass();

    // Creates the native window with this object as its creation parameter.
    HWND Create(HWND hwndParent, const char* pstrName, DWORD dwStyle, DWORD dwExStyle,
                const RECT& rc, HMENU hMenu = nullptr);
    HWND Create(HWND hwndParent, const char* pstrName, DWORD dwStyle, DWORD dwExStyle,
                int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT,
                int cy = CW_USEDEFAULT, HMENU hMenu = nullptr);
    // Routes the messages of an existing window through this object.
    HWND Subclass(HWND hWnd);
    void Unsubclass();

    void ShowWindow(bool bShow = true, bool bTakeFocus = true);
    // Shows the window modal to its owner and runs a message loop until it is closed;
    // returns the value given to Close.
    UINT ShowModal();
    void Close(UINT nRet = IDOK);
    void CenterWindow();
    void SetIcon(UINT nRes);
    // Resizes the window so that its client area gets the given size.
    void ResizeClient(int cx = -1, int cy = -1);

    LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);

protected:
    virtual const char* GetWindowClassName() const = 0;
    virtual const char* GetSuperClassName() const { return nullptr; }
    virtual UINT GetClassStyle() const { return 0; }

    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND /*hWnd*/) {}

    static LRESULT CALLBACK __WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK __ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Both procedures: the object rides with the window in its user data, or in a window
    // property for classes whose user data belongs to someone else (__ControlProc).
    static LRESULT RouteMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                bool inProperty);
    static constexpr const char* kObjectProperty = "WndX";

    HWND m_hWnd = nullptr;
    WNDPROC m_OldWndProc = ::DefWindowProcW;
    bool m_bSubclassed = false;
};

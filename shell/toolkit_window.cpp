#include "shell/toolkit_window.h"

#include "ui/UIDlgBuilder.h"

#include <string>

LRESULT SkinWindowHitTest(CPaintManagerUI& pm, HWND window, LPARAM lParam, bool sizable) {
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ScreenToClient(window, &pt);
    if (sizable) {
        RECT client;
        ::GetClientRect(window, &client);
        const RECT box = pm.GetSizeBox();
        if (pt.x >= client.right - box.right && pt.y >= client.bottom - box.bottom)
            return HTBOTTOMRIGHT;
    }
    const RECT caption = pm.GetCaptionRect();
    if (pt.y >= caption.top && pt.y < caption.bottom) {
        CControlUI* control = pm.FindControl(pt);
        if (control == nullptr || std::string(control->GetClass()) != "ButtonUI")
            return HTCAPTION;
    }
    return HTCLIENT;
}

void FollowDpiChange(CPaintManagerUI& pm, HWND window, WPARAM wParam, LPARAM lParam) {
    CDialogBuilder::Rescale(pm, LOWORD(wParam));
    if (const RECT* suggested = reinterpret_cast<const RECT*>(lParam))
        ::SetWindowPos(window, nullptr, suggested->left, suggested->top,
                       suggested->right - suggested->left, suggested->bottom - suggested->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
}

bool SkinWindowMessage(CPaintManagerUI& pm, HWND window, HWND owner, bool sizable, UINT msg,
                       WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_DESTROY:
        // The owner comes back before this window goes, so that it takes the activation.
        if (owner && ::IsWindow(owner)) {
            ::EnableWindow(owner, TRUE);
            ::SetActiveWindow(owner);
        }
        break;
    case WM_DPICHANGED:
        FollowDpiChange(pm, window, wParam, lParam);
        result = 0;
        return true;
    case WM_NCHITTEST:
        result = SkinWindowHitTest(pm, window, lParam, sizable);
        return true;
    default:
        break;
    }
    return pm.MessageHandler(msg, wParam, lParam, result);
}

void ShowSkinWindow(CWindowWnd& window, CPaintManagerUI& pm, HWND owner) {
    const SIZE size = pm.GetInitSize();
    if (size.cx > 0 && size.cy > 0)
        ::SetWindowPos(window.GetHWND(), nullptr, 0, 0, size.cx, size.cy,
                       SWP_NOMOVE | SWP_NOZORDER);
    window.CenterWindow();
    if (owner)
        ::EnableWindow(owner, FALSE);
    window.ShowWindow(true);
}

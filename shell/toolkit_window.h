// What every window of the program built from a skin does alike: where a point of its
// frameless surface hits (the caption drags it, the size box sizes it, a button stays a button),
// following a change of the monitor's DPI, and giving the window it kept waiting back.
#pragma once

#include "ui/UIBase.h"
#include "ui/UIManager.h"

#include <windows.h>

// WM_NCHITTEST of a frameless skin window: HTCAPTION over the caption rectangle except on its
// buttons, HTBOTTOMRIGHT in the size box's corner when `sizable`, else HTCLIENT.
LRESULT SkinWindowHitTest(CPaintManagerUI& pm, HWND window, LPARAM lParam, bool sizable);
// WM_DPICHANGED: every size again at the new scale, in the place the system suggests.
void FollowDpiChange(CPaintManagerUI& pm, HWND window, WPARAM wParam, LPARAM lParam);

// The rest of a skin window's message handling, after its own cases: a DPI change, the hit
// test (`sizable` as above), and, for a window `owner` waits for, the owner enabled and made
// active again before the window goes (WM_DESTROY); then the paint manager. False when the
// message is left to the window's default handling.
bool SkinWindowMessage(CPaintManagerUI& pm, HWND window, HWND owner, bool sizable, UINT msg,
                       WPARAM wParam, LPARAM lParam, LRESULT& result);

// Shows a skin window just created: at its skin's size, centred, and with `owner` (when not
// null) disabled until the window gives it back on WM_DESTROY (SkinWindowMessage).
void ShowSkinWindow(CWindowWnd& window, CPaintManagerUI& pm, HWND owner);

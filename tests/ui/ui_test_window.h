// A real toolkit window for the paint manager tests: a native window whose messages go
// through one CPaintManagerUI, a notifier that records every notification, and a probe
// control that records the events it receives and behaves like a small push button.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/UIBase.h"
#include "ui/UIContainer.h"
#include "ui/UIControl.h"
#include "ui/UIManager.h"
#include "tests/ui/ui_pump.h"

namespace uitest {

inline const char* EventName(int type) {
    switch (type) {
    case UIEVENT_KEYDOWN:
        return "keydown";
    case UIEVENT_KEYUP:
        return "keyup";
    case UIEVENT_CHAR:
        return "char";
    case UIEVENT_SYSKEY:
        return "syskey";
    case UIEVENT_MOUSEMOVE:
        return "mousemove";
    case UIEVENT_MOUSELEAVE:
        return "mouseleave";
    case UIEVENT_MOUSEENTER:
        return "mouseenter";
    case UIEVENT_MOUSEHOVER:
        return "mousehover";
    case UIEVENT_BUTTONDOWN:
        return "buttondown";
    case UIEVENT_BUTTONUP:
        return "buttonup";
    case UIEVENT_RBUTTONDOWN:
        return "rbuttondown";
    case UIEVENT_RBUTTONUP:
        return "rbuttonup";
    case UIEVENT_MBUTTONDOWN:
        return "mbuttondown";
    case UIEVENT_MBUTTONUP:
        return "mbuttonup";
    case UIEVENT_DBLCLICK:
        return "dblclick";
    case UIEVENT_CONTEXTMENU:
        return "contextmenu";
    case UIEVENT_SCROLLWHEEL:
        return "scrollwheel";
    case UIEVENT_KILLFOCUS:
        return "killfocus";
    case UIEVENT_SETFOCUS:
        return "setfocus";
    case UIEVENT_WINDOWSIZE:
        return "windowsize";
    case UIEVENT_SETCURSOR:
        return "setcursor";
    case UIEVENT_TIMER:
        return "timer";
    default:
        return "other";
    }
}

// Records its events (name:wParam for timer and wheel) and sends "click" when the left button
// is released over it after a press on it, as a push button does. A tab stop.
class CProbeUI : public CControlUI {
public:
    const char* GetClass() const override { return "ProbeUI"; }
    UINT GetControlFlags() const override { return IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0; }
    bool DoEvent(TEventUI& event) override {
        std::string entry = EventName(event.Type);
        if (event.Type == UIEVENT_TIMER || event.Type == UIEVENT_SCROLLWHEEL)
            entry += ":" + std::to_string(event.wParam);
        if (event.Type == UIEVENT_KEYDOWN || event.Type == UIEVENT_CHAR)
            entry += ":" + std::string(1, event.chKey);
        if (event.Type != UIEVENT_MOUSEMOVE || recordMoves)
            events.push_back(entry);
        if (event.Type == UIEVENT_BUTTONDOWN) {
            pressed = true;
        } else if (event.Type == UIEVENT_BUTTONUP) {
            bool inside = ::PtInRect(&m_rcItem, event.ptMouse) != FALSE;
            if (pressed && inside && m_pManager)
                m_pManager->SendNotify(this, "click");
            pressed = false;
        }
        return CControlUI::DoEvent(event);
    }
    std::vector<std::string> events;
    bool pressed = false;
    bool recordMoves = false;
};

// Notifications as "type:sender name" (with wParam for "timer").
class CRecorder : public INotifyUI {
public:
    explicit CRecorder(std::string tag = "") : m_tag(std::move(tag)) {}
    void Notify(TNotifyUI& msg) override {
        std::string entry = msg.sType + ":" + (msg.pSender ? msg.pSender->GetName() : "?");
        if (msg.sType == "timer")
            entry += ":" + std::to_string(msg.wParam);
        if (!m_tag.empty())
            entry = m_tag + "/" + entry;
        log.push_back(entry);
        if (onNotify)
            onNotify(msg);
    }
    int Count(const std::string& entry) const {
        int n = 0;
        for (const auto& e : log)
            n += e == entry;
        return n;
    }
    std::vector<std::string> log;
    std::function<void(TNotifyUI&)> onNotify;

private:
    std::string m_tag;
};

class CTestWindow : public CWindowWnd {
public:
    const char* GetWindowClassName() const override { return "OrvelUiTestWindow"; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }

    // Creates the window (hidden) with the client size given.
    bool Open(int cx, int cy, const char* title = "toolkit test") {
        RECT rc = {0, 0, cx, cy};
        ::AdjustWindowRectEx(&rc, WS_OVERLAPPEDWINDOW, FALSE, 0);
        return Create(nullptr, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 40, 40,
                      rc.right - rc.left, rc.bottom - rc.top) != nullptr;
    }

    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        if (uMsg == WM_CREATE)
            pm.Init(m_hWnd);
        if (uMsg == WM_TIMER && (wParam == 101 || wParam == 102)) {
            ownTimerTicks.push_back(UINT(wParam));
            return 0;
        }
        if (uMsg == WM_DESTROY)
            destroyed = true;
        LRESULT lRes = 0;
        if (pm.MessageHandler(uMsg, wParam, lParam, lRes))
            return lRes;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }

    // Lets go of the native window without destroying it. Under Wine with a bare X server,
    // hiding or destroying a shown window waits two seconds for the server; tests that make
    // many windows leave them to the end of the process instead, with the default window
    // procedure so that nothing reaches this object any more.
    void Abandon() {
        HWND hWnd = m_hWnd;
        if (!::IsWindow(hWnd))
            return;
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(::DefWindowProcA));
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
    }

    CPaintManagerUI pm;
    std::vector<UINT> ownTimerTicks;
    bool destroyed = false;
};

} // namespace uitest

// A toolkit window for the text entry, combo and list tests: a native window whose messages go
// through one paint manager, with a vertical root container, and a notifier that records
// every notification with its parameters.
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

namespace texttest {

struct Note {
    std::string type;
    std::string sender;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class CNoteRecorder : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override {
        notes.push_back(
            {msg.sType, msg.pSender ? msg.pSender->GetName() : "", msg.wParam, msg.lParam});
        if (onNotify)
            onNotify(msg);
    }
    // The notification types of one sender, in order, skipping the focus traffic.
    std::vector<std::string> Types(const std::string& sender) const {
        std::vector<std::string> out;
        for (const auto& n : notes)
            if (n.sender == sender && n.type != "setfocus" && n.type != "killfocus" &&
                n.type != "timer" && n.type != "windowinit")
                out.push_back(n.type);
        return out;
    }
    int Count(const std::string& type) const {
        int n = 0;
        for (const auto& e : notes)
            n += e.type == type;
        return n;
    }
    const Note* Last(const std::string& type) const {
        for (auto it = notes.rbegin(); it != notes.rend(); ++it)
            if (it->type == type)
                return &*it;
        return nullptr;
    }
    std::vector<Note> notes;
    std::function<void(TNotifyUI&)> onNotify;
};

class CTextTestWindow : public CWindowWnd {
public:
    const char* GetWindowClassName() const override { return "OrvelTextTestWindow"; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }

    // Creates and shows the window at (x, y) with the given client size, with a plain
    // container as root; controls go into root.
    bool Open(int x, int y, int cx, int cy) {
        RECT rc = {0, 0, cx, cy};
        ::AdjustWindowRectEx(&rc, WS_OVERLAPPEDWINDOW, FALSE, 0);
        if (Create(nullptr, "text test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, x, y,
                   rc.right - rc.left, rc.bottom - rc.top) == nullptr)
            return false;
        root = new CContainerUI;
        root->SetBkColor(0xFFF0F0F0);
        pm.AttachDialog(root);
        pm.AddNotifier(&recorder);
        ::ShowWindow(m_hWnd, SW_SHOW);
        ::SetForegroundWindow(m_hWnd);
        ::UpdateWindow(m_hWnd);
        return true;
    }
    // Adds a floating control at the given client rectangle.
    template <class T> T* Place(T* control, const char* name, RECT pos) {
        control->SetName(name);
        control->SetFloat(true);
        control->SetFixedXY(SIZE{pos.left, pos.top});
        control->SetFixedWidth(pos.right - pos.left);
        control->SetFixedHeight(pos.bottom - pos.top);
        root->Add(control);
        return control;
    }
    void Close() {
        if (m_hWnd != nullptr)
            ::DestroyWindow(m_hWnd);
    }

    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        if (uMsg == WM_CREATE)
            pm.Init(m_hWnd);
        if (uMsg == WM_DESTROY)
            m_hWnd = nullptr;
        LRESULT lRes = 0;
        if (pm.MessageHandler(uMsg, wParam, lParam, lRes))
            return lRes;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }

    CPaintManagerUI pm;
    CContainerUI* root = nullptr;
    CNoteRecorder recorder;
};

using uitest::At;
using uitest::Pump;
using uitest::PumpFor;

// Types a text into a window as the keyboard would, one WM_CHAR per byte.
inline void TypeChars(HWND hwnd, const std::string& text) {
    for (unsigned char c : text)
        ::SendMessageA(hwnd, WM_CHAR, c, 1);
}

inline void PressKey(HWND hwnd, UINT vk) {
    ::SendMessageA(hwnd, WM_KEYDOWN, vk, 1);
    ::SendMessageA(hwnd, WM_KEYUP, vk, 0xC0000001);
}

inline void Click(HWND hwnd, int x, int y) {
    ::SendMessageA(hwnd, WM_MOUSEMOVE, 0, At(x, y));
    ::SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    ::SendMessageA(hwnd, WM_LBUTTONUP, 0, At(x, y));
}

} // namespace texttest

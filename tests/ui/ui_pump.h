// Message pumping for the toolkit window tests: runs the thread's messages the way the
// toolkit's message loop does (pre-translation included).
#pragma once

#include <windows.h>

#include <functional>

#include "ui/UIManager.h"

namespace uitest {

// Dispatches messages until done() holds or the time is up.
inline bool Pump(const std::function<bool()>& done, int timeoutMs = 3000) {
    DWORD end = ::GetTickCount() + DWORD(timeoutMs);
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!CPaintManagerUI::TranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
        if (done && done())
            return true;
        if (LONG(::GetTickCount() - end) >= 0)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// Runs everything queued now (and a little more) without a condition.
inline void PumpFor(int ms) {
    Pump(nullptr, ms);
}

inline LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

} // namespace uitest

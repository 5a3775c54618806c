// COM on the calling thread, in a single-threaded apartment, started the first time something
// needs it (a file dialog, a screen reader asking for the window's objects, the window's idle
// time after its first paint): starting it is a noticeable part of a program's start, which the
// first paint need not wait for. Calling it again costs nothing.
#pragma once

#include <objbase.h>

inline bool ComReadyOnThisThread() {
    thread_local const bool ready = [] {
        const HRESULT result = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // Already a multi-threaded apartment: COM is usable all the same.
        return SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
    }();
    return ready;
}

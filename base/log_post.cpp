#include "base/log_post.h"

#include "base/messages.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {
std::atomic<HWND> g_logWindow{nullptr};
}

void SetLogWindow(HWND window) { g_logWindow = window; }

HWND GetLogWindow() { return g_logWindow; }

void PostLogText(const std::string& text) {
    HWND target = g_logWindow;
    if (!target)
        return;
    char* buffer = static_cast<char*>(std::calloc(text.size() + 1, 1));
    if (!buffer)
        return;
    std::memcpy(buffer, text.data(), text.size());
    if (!PostMessageA(target, WM_LOG_TEXT, reinterpret_cast<WPARAM>(buffer),
                      static_cast<LPARAM>(text.size())))
        std::free(buffer); // the window is gone or its queue is full: the text is lost, not leaked
}

void FreeLogText(WPARAM buffer) { std::free(reinterpret_cast<char*>(buffer)); }

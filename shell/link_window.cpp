#include "shell/link_window.h"

#include "base/log_post.h"
#include "base/messages.h"
#include "base/settings.h"

void CLinkToWindow::OnLinkResult(const LinkResult& result) {
    if (HWND window = window_)
        ::SendMessageW(window, WM_LINK_RESULT, 0, reinterpret_cast<LPARAM>(&result));
}

void CLinkToWindow::OnControlState(bool on, int group, bool fromWorker) {
    HWND window = window_;
    if (window == nullptr)
        return;
    if (fromWorker)
        ::SendMessageW(window, WM_CONTROL_STATE, on ? 1 : 0, group);
    else
        ::PostMessageW(window, WM_CONTROL_STATE, on ? 1 : 0, group);
}

void CLinkToWindow::OnLinkLog(const std::string& text) {
    PostLogText(text);
}

void CLinkToWindow::OnPortGone(const std::string& /*why*/) {
    // Posted: the window closes the port in answer, which waits for the engine's reader.
    if (HWND window = window_)
        ::PostMessageW(window, WM_PORT_GONE, 0, 0);
}

CDeviceLink::TextLookup CLinkToWindow::SkinTexts() {
    return [](const char* section, const char* key, const char* fallback) {
        return LookupTextOr(section, key, fallback);
    };
}

void CLinkToWindow::HandleSentMessages() {
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// A window's subscription to a device engine: the engine's reports become window messages.
// A job's result and the worker's queue state are sent (the worker waits while the window
// handles them), the receive side's setting-mode changes and a vanished port are posted, log
// lines go to the log window.
#pragma once

#include "exchange/device_link.h"

#include <windows.h>

#include <atomic>

class CLinkToWindow : public ILinkListener {
public:
    void SetWindow(HWND window) { window_ = window; }

    void OnLinkResult(const LinkResult& result) override;
    void OnControlState(bool on, int group, bool fromWorker) override;
    void OnLinkLog(const std::string& text) override;
    void OnPortGone(const std::string& why) override;

    // The engine's log texts from the skin.
    static CDeviceLink::TextLookup SkinTexts();
    // Handles the messages other threads send to this one: what a window thread does while it
    // waits for an engine to stop.
    static void HandleSentMessages();

private:
    std::atomic<HWND> window_{nullptr};
};

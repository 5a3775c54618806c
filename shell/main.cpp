// Program entry: the settings, the main window and its worker thread, the message loop, and
// the shut-down in reverse.
#include "shell/frame_wnd.h"
#include "base/settings.h"
#include "ui/UIManager.h"

#include <windows.h>

#include <objbase.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CPaintManagerUI::SetInstance(instance);
    LoadStartupSettings(CPaintManagerUI::GetInstancePath());
    CPaintManagerUI::SetResourcePath(GetSkinFolder());

    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 0;

    auto* frame = new COrvelFrameWnd;
    frame->SetLanguage(GetLanguageIndex());
    // A window that could not be built (a skin without its log view) has said why in a box
    // and is gone already: nothing to run. It is centred before it is first shown.
    if (frame->Create(nullptr, "DTU", WS_OVERLAPPEDWINDOW, 0, 0, 0, 1400, 800) != nullptr) {
        if (!frame->StartWorker())
            frame->AppendLog(LookupText("WinMain", "WorkThread", "\r\n"));
        frame->CenterWindow();
        frame->ShowWindow(true);
        CPaintManagerUI::MessageLoop();
    }

    ::CoUninitialize();
    // Released exactly once, here, also when the window was destroyed from outside.
    delete frame;
    CPaintManagerUI::Term();
    return 0;
}

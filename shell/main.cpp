// Program entry: the settings, the main window and its worker thread, the message loop, and
// the shut-down in reverse.
#include "shell/frame_wnd.h"
#include "base/crash_report.h"
#include "base/messages.h"
#include "base/settings.h"
#include "exchange/device_link.h"
#include "ui/UIManager.h"

#include <string>

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CPaintManagerUI::DeclareDpiAwareness();
    CPaintManagerUI::SetInstance(instance);
    LoadStartupSettings(CPaintManagerUI::GetInstancePath());
    CPaintManagerUI::SetResourcePath(GetSkinFolder());
    // A crash in any thread leaves a dump and a report for support in the data folder.
    const std::string crashes = GetLocalDataFolder() + "crashes\\";
    InstallCrashCapture(crashes, "DtuConfig");

    // Support checks the capture with ORVEL_CRASH_TEST=window (a fault in the window thread) or
    // ORVEL_CRASH_TEST=worker (a fault in the device engine's worker).
    char test[16] = {};
    ::GetEnvironmentVariableA("ORVEL_CRASH_TEST", test, sizeof(test));
    const std::string crashTest = test;
    if (crashTest == "worker")
        CDeviceLink::FaultWorkersOnPurpose();

    auto* frame = new COrvelFrameWnd;
    frame->SetLanguage(GetLanguageIndex());
    // A window that could not be built (a skin without its log view) has said why in a box
    // and is gone already: nothing to run. It is centred before it is first shown.
    if (frame->Create(nullptr, "DTU", WS_OVERLAPPEDWINDOW, 0, 0, 0, 1400, 800) != nullptr) {
        if (!frame->StartWorker())
            frame->AppendLog(LookupText("WinMain", "WorkThread", "\r\n"));
        const std::string crash = TakeCrashNotice(crashes);
        if (!crash.empty())
            frame->AppendLog(LookupTextOr("WinMain", "CrashKept",
                                          "The program ended unexpectedly the last time it ran. "
                                          "A report for support was kept:") +
                             " " + crash + "\r\n");
        frame->CenterWindow();
        frame->ShowWindow(true);
        // Started again by the language switch, the window could come up as an icon behind the
        // others, and the program would look closed: unless whoever started it asked for a
        // minimized start, it comes up as a normal window, in front.
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        ::GetStartupInfoA(&startup);
        const WORD asked = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOW;
        const bool minimizedAsked =
            asked == SW_MINIMIZE || asked == SW_SHOWMINIMIZED || asked == SW_SHOWMINNOACTIVE;
        const HWND window = frame->GetHWND();
        if (!minimizedAsked) {
            if (::IsIconic(window))
                ::ShowWindow(window, SW_RESTORE);
            ::SetForegroundWindow(window);
        }
        if (crashTest == "window")
            ::PostMessageA(window, WM_CRASH_TEST, 0, 0);
        CPaintManagerUI::MessageLoop();
    }

    // Released exactly once, here, also when the window was destroyed from outside.
    delete frame;
    CPaintManagerUI::Term();
    return 0;
}

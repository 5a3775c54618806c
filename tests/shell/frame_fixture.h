// The main window as a whole, in process, on a virtual display, with dtusim on the other end of
// the virtual COM port: the skin of the unpacked program, real mouse input at the places of the
// named controls, the simulator's transcript for what went over the line and the operation log
// for what the user reads. The fixture and helpers the frame tests share; the tests are in
// frame_*_test.cpp by subject. Each test leaves the simulated device running and outside its
// setting mode, so that the tests do not depend on their order.
#pragma once

#include "serial/serial_port.h"
#include "shell/frame_wnd.h"

#include "base/log_post.h"
#include "base/messages.h"
#include "shell/dispatch.h"
#include "base/settings.h"
#include "params/config_file.h"
#include "support/wintest.h"
#include "ui/UIControls.h"

#include <gtest/gtest.h>

#include <commdlg.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace frametest {

inline const std::string kDist = ORVEL_DIST_DIR; // ends in a slash
inline std::vector<std::string> g_boxes;         // texts of the message boxes shown

inline void RecordBox(const char* text, const char* /*caption*/) {
    g_boxes.push_back(text ? text : "");
}
inline bool g_confirmAnswer = true; // the answer to yes/no questions
inline bool AnswerQuestion(const char* text, const char* /*caption*/) {
    g_boxes.push_back(text ? text : "");
    return g_confirmAnswer;
}
inline void RecordPortBox(const char* text) {
    g_boxes.push_back(text ? text : "");
}

inline std::string Scratch(const std::string& name) {
    return wintest::ScratchDir() + "\\" + name;
}

inline std::string Transcript() {
    return wintest::ReadFileText(Scratch("transcript"));
}

inline size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

inline void Control(const std::string& line) {
    FILE* f = std::fopen(Scratch("control").c_str(), "ab");
    ASSERT_NE(f, nullptr);
    std::fputs((line + "\n").c_str(), f);
    std::fclose(f);
    Sleep(100); // the simulator reads the file every 20 ms
}

inline void Touch(const std::string& name) {
    wintest::WriteFileText(Scratch(name), "");
}

inline bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A registry key of the test's own listing serial ports as the system's list does.
inline constexpr char kPortsKey[] = "SOFTWARE\\OrvelTest\\SERIALCOMM";
inline constexpr char kNoPortsKey[] = "SOFTWARE\\OrvelTest\\NoPorts";

inline void ListPorts(const std::vector<std::string>& ports) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kPortsKey);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPortsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    int n = 0;
    for (const std::string& port : ports) {
        std::string name = "\\Device\\Serial" + std::to_string(n++);
        RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                       DWORD(port.size() + 1));
    }
    RegCloseKey(key);
}

// The unpacked program's folder; with ORVEL_TEST_LANGUAGE=1 a copy of it whose config.ini
// chooses the Chinese skin.
// With ORVEL_TEST_PROGRAM_DIR, an installed program's folder (ending in a backslash).
inline std::string InstalledFolder() {
    return wintest::Env("ORVEL_TEST_PROGRAM_DIR");
}

inline std::string ProgramFolder() {
    if (!InstalledFolder().empty())
        return InstalledFolder();
    if (wintest::Env("ORVEL_TEST_LANGUAGE") != "1")
        return kDist;
    const std::string folder = wintest::ScratchDir() + "\\zh\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "skin").c_str(), nullptr);
    // Both skins, as the program ships them (the English pages decide what is written).
    for (const char* name : {"ConifgRes", "ConifgENRes"}) {
        const std::string skin = folder + "skin\\" + name + "\\";
        CreateDirectoryA(skin.c_str(), nullptr);
        WIN32_FIND_DATAA found;
        const std::string source = kDist + "skin\\" + name + "\\";
        HANDLE find = FindFirstFileA((source + "*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                CopyFileA((source + found.cFileName).c_str(), (skin + found.cFileName).c_str(),
                          FALSE);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    wintest::WriteFileText(folder + "config.ini", "[Set]\r\nLanguage=1\r\n");
    wintest::WriteFileText(folder + "portable.ini", "[Portable]\r\nPortable=1\r\n");
    return folder;
}

// Waits on its own thread for the modal file dialog of `owner`, keeps a screenshot of it, types
// the path into its file name box and presses OK.
inline void DriveFileDialog(HWND owner, std::string path, const std::string& shot) {
    for (char& c : path)
        if (c == '/')
            c = '\\';
    std::thread([owner, path, shot] {
        for (int i = 0; i < 200; ++i) {
            HWND dialog = FindWindowA("#32770", nullptr);
            if (dialog && GetWindow(dialog, GW_OWNER) == owner) {
                Sleep(500);
                wintest::SaveBmp(wintest::CaptureWindow(dialog),
                                 wintest::ArtifactsDir() + "\\shell-" + shot + ".bmp");
                // The file name box, typed into as a user would, then OK.
                SendMessageA(dialog, CDM_SETCONTROLTEXT, 0x47C,
                             reinterpret_cast<LPARAM>(path.c_str()));
                EnumChildWindows(
                    dialog,
                    [](HWND child, LPARAM text) -> BOOL {
                        char cls[32] = {};
                        GetClassNameA(child, cls, sizeof(cls));
                        if (GetDlgCtrlID(child) == 0x47C && std::string(cls) == "Edit")
                            SendMessageA(child, WM_SETTEXT, 0, text);
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(path.c_str()));
                Sleep(200);
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(50);
        }
    }).detach();
}

inline std::string SetCommandsIn(const std::string& transcript) {
    std::string commands;
    size_t at = 0;
    for (size_t end; (end = transcript.find("\r\n", at)) != std::string::npos; at = end + 2) {
        const std::string line = transcript.substr(at, end - at);
        if (line.find('=') != std::string::npos && line.find("AT+EXCCLK") == std::string::npos)
            commands += line + "\n";
    }
    return commands;
}

class FrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CPaintManagerUI::SetInstance(GetModuleHandleA(nullptr));
        LoadStartupSettings(ProgramFolder());
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        COrvelFrameWnd::SetMessageBoxHook(RecordBox);
        COrvelFrameWnd::SetConfirmHook(AnswerQuestion);
        CSerialPort::SetErrorBoxHook(RecordPortBox);
    }

    void SetUp() override {
        g_boxes.clear();
        g_confirmAnswer = true;
        CPaintManagerUI::SetResourcePath(GetSkinFolder());
        SetCurrentDirectoryA(InstalledFolder().empty() ? kDist.c_str() : InstalledFolder().c_str());
        ListPorts({wintest::Env("ORVEL_COM_PORT", "COM9")});
        COrvelFrameWnd::SetSerialPortKey(kPortsKey);
        // No port remembered from an earlier test: each starts with the first port chosen.
        WritePrivateProfileStringA("Port", nullptr, nullptr, GetConfigFile().c_str());
        WritePrivateProfileStringA("Log", nullptr, nullptr, GetConfigFile().c_str());
        // Snapshots of the tests' writes stay in the test's scratch folder, never in the
        // unpacked program's backups (an installed program's go where it puts them).
        CreateDirectoryA(Scratch("backups").c_str(), nullptr);
        COrvelFrameWnd::SetBackupFolder(InstalledFolder().empty() ? Scratch("backups") : "");
    }

    void TearDown() override {
        Destroy();
        // Leave the simulated device running and outside its setting mode for the next test.
        if (Exists(Scratch("sim-stopped")))
            Touch("sim-start");
    }

    // Creates, starts and shows the main window as the program entry does.
    bool Open() {
        auto start = std::chrono::steady_clock::now();
        frame_.reset(new COrvelFrameWnd);
        frame_->SetLanguage(GetLanguageIndex());
        if (!frame_->Create(nullptr, "DTU", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 1400, 800))
            return false;
        static bool reported = false;
        if (!reported) {
            reported = true;
            auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
            std::printf("[ figure ] window built from the skin (its frame and first page): %lld ms\n",
                        static_cast<long long>(ms));
        }
        hwnd_ = frame_->GetHWND();
        EXPECT_TRUE(frame_->StartWorker());
        frame_->CenterWindow();
        frame_->ShowWindow(true);
        // The first layout and paint, then the pages built in the idle time after it and the
        // change marks that follow.
        EXPECT_TRUE(PumpUntil([this] { return frame_->PagesComplete(); }, 5000));
        Pump(300);
        return true;
    }

    void Destroy() {
        frame_.reset();
        hwnd_ = nullptr;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // Dispatches messages until done() holds; a quit message is noted, not lost.
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 8000) {
        return wintest::PumpUntil(done, timeoutMs, [this](const MSG& msg) {
            if (msg.message == WM_QUIT) {
                quit_ = true;
                return true;
            }
            return CPaintManagerUI::TranslateMessage(&msg);
        });
    }
    void Pump(int ms) {
        PumpUntil([] { return false; }, ms);
    }

    CControlUI* Find(const std::string& name) { return frame_->FindControl(name); }
    std::string Text(const std::string& name) {
        CControlUI* c = Find(name);
        return c ? c->GetText() : std::string("<missing>");
    }
    bool Enabled(const std::string& name) {
        CControlUI* c = Find(name);
        return c && c->IsEnabled();
    }
    std::string Log() { return Text("richedit"); }

    // A left click at the middle of the named control, as the mouse gives it to the window.
    void Click(const std::string& name) {
        CControlUI* control = Find(name);
        ASSERT_NE(control, nullptr) << name;
        RECT r = control->GetPos();
        ASSERT_LT(r.left, r.right) << name << " is not laid out";
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageA(hwnd_, WM_MOUSEMOVE, 0, at);
        PostMessageA(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(hwnd_, WM_LBUTTONUP, 0, at);
        Pump(150);
    }

    // A left click in the plan window at the middle of its named control.
    void ClickInPlan(const std::string& name) {
        CPlanWnd* plan = frame_->PlanWindow();
        ASSERT_NE(plan, nullptr) << name;
        CControlUI* control = plan->FindControl(name);
        ASSERT_NE(control, nullptr) << name;
        ClickControl(plan->GetHWND(), control);
    }
    void ClickControl(HWND window, CControlUI* control) {
        RECT r = control->GetPos();
        ASSERT_LT(r.left, r.right) << control->GetName() << " is not laid out";
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageA(window, WM_MOUSEMOVE, 0, at);
        PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(window, WM_LBUTTONUP, 0, at);
        Pump(150);
    }
    // Waits for the plan window, presses its "Write", waits until the device has been read
    // again to verify the batch, and closes the window. False when no plan window came.
    bool AcceptPlan(int timeoutMs = 40000) {
        if (!PumpUntil([&] { return frame_->PlanWindow() != nullptr; }, 30000))
            return false;
        Pump(100);
        ClickInPlan("PlanWrite");
        PumpUntil([&] { return !frame_->IsVerifying(); }, timeoutMs);
        Pump(100);
        if (frame_->PlanWindow())
            ClickInPlan("PlanCancel");
        PumpUntil([&] { return frame_->PlanWindow() == nullptr; }, 2000);
        return true;
    }
    // "Write device" through its plan, every row as the plan ticks it.
    bool WriteThroughPlan(int timeoutMs = 40000) {
        Click("Save");
        return AcceptPlan(timeoutMs);
    }

    void SaveScreenshot(const std::string& name) {
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump(200);
        // The Chinese run keeps its own pictures beside the English ones.
        const std::string language = GetLanguageIndex() == 0 ? "" : "zh-";
        wintest::SaveBmp(wintest::CaptureWindow(hwnd_),
                         wintest::ArtifactsDir() + "\\shell-" + language + name + ".bmp");
    }

    bool WaitForLog(const std::string& part, int timeoutMs = 10000) {
        return PumpUntil([&] { return Log().find(part) != std::string::npos; }, timeoutMs);
    }
    bool WaitForTranscript(const std::string& part, size_t times = 1, int timeoutMs = 10000) {
        return PumpUntil([&] { return Count(Transcript(), part) >= times; }, timeoutMs);
    }
    bool WaitForSettingMode(bool on, int timeoutMs = 10000) {
        return PumpUntil([&] { return frame_->Link().IsSettingMode() == on; }, timeoutMs);
    }
    // The queue ran dry: the operation buttons are enabled again.
    bool WaitForIdle(int timeoutMs = 30000) {
        Pump(300);
        return PumpUntil([&] { return Enabled("Load") && frame_->Link().Queue().Size() == 0; },
                         timeoutMs);
    }

    void OpenPort() {
        Click("Open");
        ASSERT_TRUE(frame_->Link().IsOpen());
        Pump(100);
    }
    // Opens the port and brings the running device into its setting mode with "Login".
    void EnterSettingMode() {
        OpenPort();
        ASSERT_TRUE(PumpUntil([&] { return Enabled("Login"); }));
        Click("Login");
        ASSERT_TRUE(WaitForSettingMode(true));
        ASSERT_TRUE(WaitForIdle());
    }

    // The simulator exits and starts again, with extra options when args is not empty.
    void RestartSimulator(const std::string& args = "") {
        Touch("sim-stop");
        PumpUntil([&] { return Exists(Scratch("sim-stopped")); }, 5000);
        if (args.empty())
            DeleteFileA(Scratch("sim-args").c_str());
        else
            wintest::WriteFileText(Scratch("sim-args"), args);
        Touch("sim-start");
        PumpUntil([&] { return !Exists(Scratch("sim-start")); }, 5000);
        Pump(300);
    }
    // The harness pulls the adapter (the pty pair goes) or plugs it in again, with the
    // simulator started afresh on the new pair.
    void Unplug() {
        Touch("unplug");
        ASSERT_TRUE(PumpUntil([&] { return Exists(Scratch("unplugged")); }, 10000));
    }
    void Replug() {
        Touch("replug");
        ASSERT_TRUE(PumpUntil([&] { return Exists(Scratch("replugged")); }, 10000));
        RestartSimulator();
    }

    std::unique_ptr<COrvelFrameWnd> frame_;
    HWND hwnd_ = nullptr;
    bool quit_ = false;
};

inline const char* const kOperationButtons[] = {
    "Save",   "Load",        "RestoreFactory", "LoadFromFile", "SaveToFile", "SetTime",
    "GetVer", "READFILELOG", "CPIN",           "CSQ",          "quit",     "UndoWrite",
    "AT+LIST", "AT+SHOW", "AT+FINDNETMODE"};

} // namespace frametest

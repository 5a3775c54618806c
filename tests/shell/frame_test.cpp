// The main window as a whole, in process, on a virtual display, with dtusim on the other end of
// the virtual COM port: the skin of the unpacked program, real mouse input at the places of the
// named controls, the simulator's transcript for what went over the line and the operation log
// for what the user reads.
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

namespace {

const std::string kDist = ORVEL_DIST_DIR; // ends in a slash
std::vector<std::string> g_boxes;         // texts of the message boxes shown

void RecordBox(const char* text, const char* /*caption*/) {
    g_boxes.push_back(text ? text : "");
}
bool g_confirmAnswer = true; // the answer to yes/no questions
bool AnswerQuestion(const char* text, const char* /*caption*/) {
    g_boxes.push_back(text ? text : "");
    return g_confirmAnswer;
}
void RecordPortBox(const char* text) {
    g_boxes.push_back(text ? text : "");
}

std::string Scratch(const std::string& name) {
    return wintest::ScratchDir() + "\\" + name;
}

std::string Transcript() {
    return wintest::ReadFileText(Scratch("transcript"));
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

void Control(const std::string& line) {
    FILE* f = std::fopen(Scratch("control").c_str(), "ab");
    ASSERT_NE(f, nullptr);
    std::fputs((line + "\n").c_str(), f);
    std::fclose(f);
    Sleep(100); // the simulator reads the file every 20 ms
}

void Touch(const std::string& name) {
    wintest::WriteFileText(Scratch(name), "");
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A registry key of the test's own listing serial ports as the system's list does.
const char kPortsKey[] = "SOFTWARE\\OrvelTest\\SERIALCOMM";
const char kNoPortsKey[] = "SOFTWARE\\OrvelTest\\NoPorts";

void ListPorts(const std::vector<std::string>& ports) {
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
std::string ProgramFolder() {
    if (wintest::Env("ORVEL_TEST_LANGUAGE") != "1")
        return kDist;
    const std::string folder = wintest::ScratchDir() + "\\zh\\";
    const std::string skin = folder + "skin\\ConifgRes\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "skin").c_str(), nullptr);
    CreateDirectoryA(skin.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    const std::string source = kDist + "skin\\ConifgRes\\";
    HANDLE find = FindFirstFileA((source + "*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                CopyFileA((source + found.cFileName).c_str(), (skin + found.cFileName).c_str(),
                          FALSE);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    wintest::WriteFileText(folder + "config.ini", "[Set]\r\nLanguage=1\r\n");
    return folder;
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
        SetCurrentDirectoryA(kDist.c_str());
        ListPorts({wintest::Env("ORVEL_COM_PORT", "COM9")});
        COrvelFrameWnd::SetSerialPortKey(kPortsKey);
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
            std::printf("[ figure ] window built from the skin (13 files): %lld ms\n",
                        static_cast<long long>(ms));
        }
        hwnd_ = frame_->GetHWND();
        EXPECT_TRUE(frame_->StartWorker());
        frame_->CenterWindow();
        frame_->ShowWindow(true);
        // The first layout and paint.
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
        ASSERT_TRUE(frame_->Link().Port().IsOpen());
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

const char* const kOperationButtons[] = {
    "Save",   "Load",        "RestoreFactory", "LoadFromFile", "SaveToFile", "SetTime",
    "GetVer", "READFILELOG", "CPIN",           "CSQ",          "quit",
    "AT+LIST", "AT+SHOW", "AT+FINDNETMODE"};

TEST_F(FrameTest, StartsCentredWithItsControlsInTheStartState) {
    ASSERT_TRUE(Open());
    char title[32] = {};
    GetWindowTextA(hwnd_, title, sizeof(title));
    EXPECT_STREQ(title, "DTU");
    RECT r;
    GetWindowRect(hwnd_, &r);
    EXPECT_EQ(r.right - r.left, 1400);
    EXPECT_EQ(r.bottom - r.top, 800);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoA(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &info);
    EXPECT_NEAR((r.left + r.right) / 2, (info.rcWork.left + info.rcWork.right) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, (info.rcWork.top + info.rcWork.bottom) / 2, 1);
    // The skin draws its own caption and frame.
    EXPECT_EQ(GetWindowLongA(hwnd_, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);

    for (const char* name : kOperationButtons)
        EXPECT_FALSE(Enabled(name)) << name;
    EXPECT_FALSE(Enabled("Login"));
    EXPECT_TRUE(Enabled("SerialPort"));
    EXPECT_TRUE(Enabled("BaudRate1"));
    EXPECT_TRUE(Enabled("Checkcode"));
    EXPECT_TRUE(Enabled("Open"));
    EXPECT_EQ(Text("DeviceState"), LookupText("SetDeviceState", "szLoginOff"));
    EXPECT_EQ(Text("SerialPort"), wintest::Env("ORVEL_COM_PORT", "COM9"));

    // The start-up timer has run once: help text, version, build date, logo hidden.
    EXPECT_TRUE(PumpUntil([&] { return !Text("Ver").empty(); }, 2000));
    EXPECT_EQ(Text("Ver"), "DTUKestrune V1.9.5");
    if (GetLanguageIndex() == 0)
        EXPECT_EQ(Text("VerDown"), "2021/03/26 V1.9.5");
    else // year, month and day marks in the Chinese skin's code page
        EXPECT_EQ(Text("VerDown"), "2021\xC4\xEA" "03\xD4\xC2" "26\xC8\xD5 V1.9.5");
    const std::string help = wintest::ReadFileText(kDist + "Help.txt");
    const std::string shown = Text("HelpRichEdit");
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.substr(0, 20), help.substr(0, 20));
    if (CControlUI* logo = Find("Logo_Container")) {
        EXPECT_FALSE(logo->IsVisible());
    }
    Pump(600);
    EXPECT_EQ(Text("HelpRichEdit"), shown) << "the help text was added twice";

    // The catalogue was built at the first layout, with the sensor list's rows.
    EXPECT_EQ(frame_->Store().parameters.size(), 217u);
    SaveScreenshot("start");
}

TEST_F(FrameTest, ACustomVersionTextFollowsTheVersion) {
    // config.ini beside the program (here: the test program) may add a text of its own.
    const std::string config = GetProgramFolder() + "config.ini";
    wintest::WriteFileText(config, "[Set]\r\nLanguage=0\r\n[CustomVer]\r\nCustomVer=-site7\r\n");
    bool opened = Open();
    bool shown = opened && PumpUntil([&] { return !Text("Ver").empty(); }, 2000);
    const std::string ver = opened ? Text("Ver") : "";
    DeleteFileA(config.c_str());
    ASSERT_TRUE(shown);
    EXPECT_EQ(ver, "DTUKestrune V1.9.5-site7");
}

TEST_F(FrameTest, VersionLabelsShowNothingBeforeTheStartupTimer) {
    frame_.reset(new COrvelFrameWnd);
    ASSERT_TRUE(frame_->Create(nullptr, "DTU", WS_OVERLAPPEDWINDOW, 0, 0, 0, 1400, 800));
    hwnd_ = frame_->GetHWND();
    // Nothing has been dispatched yet: the timer cannot have run.
    EXPECT_EQ(Text("Ver"), "");
    EXPECT_TRUE(PumpUntil([&] { return !Text("Ver").empty(); }, 2000));
}

TEST_F(FrameTest, EveryPageShowsWhenItsTabIsClicked) {
    ASSERT_TRUE(Open());
    const char* options[] = {"WorkMode", "Server", "Serial", "IO",  "Wireless", "Global",
                             "Equiment", "Lora",   "Zigbee", "GPS", "Modbus",   "Operation"};
    auto* pages = static_cast<CTabLayoutUI*>(Find("switch")->GetInterface("TabLayout"));
    ASSERT_NE(pages, nullptr);
    for (int i = 0; i < 12; ++i) {
        CControlUI* option = Find(options[i]);
        ASSERT_NE(option, nullptr) << options[i];
        if (!option->IsVisible()) {
            // A tab cut off at the right end of the strip: step the strip right first.
            for (int step = 0; step < 12 && !option->IsVisible(); ++step)
                Click("TabRight");
            Pump(200);
        }
        Click(options[i]);
        EXPECT_EQ(pages->GetCurSel(), i) << options[i];
        SaveScreenshot(std::string("page-") + std::to_string(i) + "-" + options[i]);
    }
    // Back to the left end.
    for (int step = 0; step < 12; ++step)
        frame_->UpdateTabStrip(TabStripStep::Left);
    Pump(100);
    EXPECT_TRUE(Find("WorkModeTab")->IsVisible());
}

TEST_F(FrameTest, OpeningAndClosingThePort) {
    ASSERT_TRUE(Open());
    const size_t before = Count(Transcript(), "s");
    Click("Open");
    ASSERT_TRUE(frame_->Link().Port().IsOpen());
    EXPECT_EQ(Text("Open"), LookupText("OnStartCom", "Close"));
    EXPECT_TRUE(WaitForLog(LookupText("OnStartCom", "OpenNotice", "\r\n").substr(0, 30)));
    ASSERT_TRUE(PumpUntil([&] { return Enabled("Login"); }));
    EXPECT_FALSE(Enabled("SerialPort"));
    EXPECT_FALSE(Enabled("BaudRate1"));
    EXPECT_FALSE(Enabled("Checkcode"));
    for (const char* name : kOperationButtons)
        EXPECT_FALSE(Enabled(name)) << name;
    // The setting-mode timer sends "s" every 300 ms while the device does not answer.
    EXPECT_TRUE(PumpUntil([&] { return Count(Transcript(), "s") >= before + 4; }, 5000));
    EXPECT_EQ(frame_->Link().GetTimeoutFactor(), 1); // 115200 baud

    Click("Open");
    EXPECT_FALSE(frame_->Link().Port().IsOpen());
    EXPECT_EQ(Text("Open"), LookupText("OnStartCom", "Open"));
    EXPECT_NE(Log().find(LookupText("OnStartCom", "CloseNotice")), std::string::npos);
    ASSERT_TRUE(PumpUntil([&] { return Enabled("SerialPort"); }));
    EXPECT_FALSE(Enabled("Login"));
    EXPECT_TRUE(Enabled("BaudRate1"));
    EXPECT_EQ(Text("DeviceState"), LookupText("SetDeviceState", "szLoginOff"));
    // The timer has stopped: nothing more goes out.
    Pump(400);
    const std::string after = Transcript();
    Pump(1000);
    EXPECT_EQ(Transcript(), after);
    EXPECT_EQ(frame_->Link().Queue().Size(), 0u);
}

TEST_F(FrameTest, ABaudRateThatIsNotANumberOpensNothingAndSaysWhy) {
    ASSERT_TRUE(Open());
    // A baud rate item that is no number.
    auto* baud = static_cast<CComboUI*>(Find("BaudRate1")->GetInterface("Combo"));
    ASSERT_NE(baud, nullptr);
    auto* item = new CListLabelElementUI;
    item->SetText("fast");
    ASSERT_TRUE(baud->Add(item));
    baud->SelectItem(baud->GetCount() - 1, false);
    ASSERT_EQ(Text("BaudRate1"), "fast");
    frame_->TogglePort();
    EXPECT_FALSE(frame_->Link().Port().IsOpen());
    EXPECT_EQ(Text("Open"), LookupText("OnStartCom", "Open"));
    EXPECT_NE(Log().find("baud rate"), std::string::npos) << Log();
}

// Selects the item with the text in a combo of the connection bar, adding it when the skin
// does not offer it.
void Choose(CControlUI* control, const std::string& text) {
    auto* combo = static_cast<CComboUI*>(control->GetInterface("Combo"));
    ASSERT_NE(combo, nullptr);
    for (int i = 0; i < combo->GetCount(); ++i) {
        if (combo->GetItemAt(i)->GetText() == text) {
            combo->SelectItem(i, false);
            return;
        }
    }
    auto* item = new CListLabelElementUI;
    item->SetText(text);
    ASSERT_TRUE(combo->Add(item));
    combo->SelectItem(combo->GetCount() - 1, false);
}

TEST_F(FrameTest, TheTimeoutFactorFollowsTheBaudRateWithoutCompounding) {
    ASSERT_TRUE(Open());
    Choose(Find("BaudRate1"), "1200");
    for (int round = 0; round < 2; ++round) {
        Click("Open");
        ASSERT_TRUE(frame_->Link().Port().IsOpen());
        EXPECT_EQ(frame_->Link().GetTimeoutFactor(), 8); // 9600 / 1200, every time
        Click("Open");
        ASSERT_FALSE(frame_->Link().Port().IsOpen());
        ASSERT_TRUE(PumpUntil([&] { return Enabled("BaudRate1"); }));
    }
    Choose(Find("BaudRate1"), "921600");
    Click("Open");
    EXPECT_EQ(frame_->Link().GetTimeoutFactor(), 1);
    Click("Open");
    ASSERT_TRUE(PumpUntil([&] { return Enabled("Checkcode"); }));

    // Other line codes open too, and an empty code opens 8N1.
    for (const char* code : {"7E1", ""}) {
        Choose(Find("Checkcode"), code);
        ASSERT_EQ(Text("Checkcode"), code);
        Click("Open");
        EXPECT_TRUE(frame_->Link().Port().IsOpen()) << code;
        Click("Open");
        ASSERT_TRUE(PumpUntil([&] { return Enabled("Checkcode"); }));
    }
    EXPECT_TRUE(g_boxes.empty()) << g_boxes.front();
}

TEST_F(FrameTest, SettingModeByThePromptAndByLogin) {
    ASSERT_TRUE(Open());
    OpenPort();
    // A power-up: the device prompts, the program answers "s", the device lists its commands.
    Control("prompt");
    ASSERT_TRUE(WaitForSettingMode(true));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(Text("DeviceState"), LookupText("SetDeviceState", "szLoginOn"));
    EXPECT_FALSE(Enabled("Login"));
    for (const char* name : kOperationButtons)
        EXPECT_TRUE(Enabled(name)) << name;
    if (CControlUI* help = Find("helpGroupBox")) {
        EXPECT_FALSE(help->IsVisible());
    }

    // "quit": the buttons go at once, the device leaves its setting mode.
    const size_t quits = Count(Transcript(), "at+quit\r\n");
    Click("quit");
    Pump(50);
    EXPECT_FALSE(Enabled("Load"));
    EXPECT_TRUE(Enabled("Login"));
    EXPECT_EQ(Text("DeviceState"), LookupText("SetDeviceState", "szLoginOff"));
    EXPECT_TRUE(WaitForTranscript("at+quit\r\n", quits + 1));

    // "Login" on a running device.
    const size_t logins = Count(Transcript(), "+++");
    Click("Login");
    EXPECT_TRUE(WaitForTranscript("+++", logins + 1));
    EXPECT_TRUE(WaitForLog(LookupText("ComSend", "send") + ":+++\r\n"));
    ASSERT_TRUE(WaitForSettingMode(true));
    EXPECT_EQ(Text("DeviceState"), LookupText("SetDeviceState", "szLoginOn"));
    ASSERT_TRUE(WaitForIdle());
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, EveryOperationButtonSendsExactlyItsCommand) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    const std::string send = LookupText("ComSend", "send");
    struct Row {
        const char* button;
        const char* command;
        const char* logged; // a text the log shows afterwards
    };
    const Row rows[] = {
        {"GetVer", "At+VER\r\n", "firmware V2.3.7"},
        {"CPIN", "At+CPIN?\r\n", "+CPIN: READY"},
        {"CSQ", "At+CSQ\r\n", "+CSQ: 24,99"},
        {"READFILELOG", "at+READFILELOG\r\n", "OK"},
        {"SetTime", "AT+EXCCLK=\"", nullptr},
        {"Load", "AT+SHOW\r\n", "Access Point Name:"},
        {"RestoreFactory", "AT+FACTORY\r\n", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.button);
        const size_t sent = Count(Transcript(), row.command);
        Click(row.button);
        ASSERT_TRUE(WaitForTranscript(row.command, sent + 1));
        EXPECT_TRUE(WaitForLog(send + ":" + row.command));
        ASSERT_TRUE(WaitForIdle());
        if (row.logged) {
            EXPECT_NE(Log().find(row.logged), std::string::npos);
        }
        Click("Clear");
        EXPECT_EQ(Log(), "");
    }
    // The outcome lines of the write and of the factory reset.
    const std::string transcript = Transcript();
    const size_t clock = transcript.find("AT+EXCCLK=\"");
    ASSERT_NE(clock, std::string::npos);
    EXPECT_EQ(transcript.substr(clock + 30, 5), "\",5\r\n"); // "YYYY/MM/DD,hh:mm:ss" is 19 long
    // The factory reset reads the configuration again.
    EXPECT_TRUE(WaitForTranscript("\r\nAT+SHOW\r\n"));

    // The buttons named after a command send that name.
    Click("Wireless");
    if (Find("AT+FINDNETMODE") && Find("AT+FINDNETMODE")->IsVisible()) {
        const size_t sent = Count(Transcript(), "AT+FINDNETMODE\r\n");
        Click("AT+FINDNETMODE");
        EXPECT_TRUE(WaitForTranscript("AT+FINDNETMODE\r\n", sent + 1));
        ASSERT_TRUE(WaitForIdle());
    }
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, SaveAndFactoryResetLogTheirOutcome) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Click("SetTime");
    EXPECT_TRUE(WaitForLog(LookupText("WorkerJobThreadProc", "SaveSuccess")));
    ASSERT_TRUE(WaitForIdle());
    Click("RestoreFactory");
    EXPECT_TRUE(WaitForLog(LookupText("WorkerJobThreadProc", "FactorySuccess")));
    ASSERT_TRUE(WaitForIdle());
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, TheCloseButtonEndsTheProgramWithAJobOutstanding) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Control("fault noreply");
    Click("Load");
    ASSERT_TRUE(WaitForTranscript("AT+SHOW\r\n", Count(Transcript(), "AT+SHOW\r\n")));
    Pump(400); // the worker waits for the listing now
    quit_ = false;
    Click("closebtn");
    Pump(100);
    EXPECT_TRUE(quit_);
    auto start = std::chrono::steady_clock::now();
    Destroy();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count();
    std::printf("[ figure ] shut-down with a listing outstanding: %lld ms\n",
                static_cast<long long>(ms));
    Control("fault none");
    // The device is still in its setting mode: let it leave for the next test.
    Control("timeout");
}

TEST_F(FrameTest, TheSystemCloseCommandPostsQuitAndAWindowClosedFromOutsideEndsTheProgram) {
    ASSERT_TRUE(Open());
    quit_ = false;
    SendMessageA(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(50);
    EXPECT_TRUE(quit_);
    EXPECT_TRUE(IsWindow(hwnd_)); // the window stays until the object goes

    // Alt+F4 is the same system command.
    quit_ = false;
    PostMessageA(hwnd_, WM_SYSKEYDOWN, VK_F4, 0x20000001);
    PostMessageA(hwnd_, WM_SYSKEYUP, VK_F4, 0xE0000001);
    Pump(100);
    EXPECT_TRUE(quit_);
    EXPECT_TRUE(IsWindow(hwnd_));

    quit_ = false;
    SendMessageA(hwnd_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd_));
    EXPECT_TRUE(frame_->IsWindowGone());
    Pump(50);
    EXPECT_TRUE(quit_);
    Destroy(); // released once, here
}

TEST_F(FrameTest, MaximiseAndRestoreSwapTheirButtons) {
    ASSERT_TRUE(Open());
    Click("maxbtn");
    Pump(300);
    EXPECT_TRUE(IsZoomed(hwnd_));
    EXPECT_FALSE(Find("maxbtn")->IsVisible());
    EXPECT_TRUE(Find("restorebtn")->IsVisible());
    Click("restorebtn");
    Pump(300);
    EXPECT_FALSE(IsZoomed(hwnd_));
    EXPECT_TRUE(Find("maxbtn")->IsVisible());
    EXPECT_FALSE(Find("restorebtn")->IsVisible());
}

TEST_F(FrameTest, TheCaptionDragsExceptOverButtons) {
    ASSERT_TRUE(Open());
    RECT window;
    GetWindowRect(hwnd_, &window);
    // An empty place of the title bar.
    LRESULT empty =
        SendMessageA(hwnd_, WM_NCHITTEST, 0, MAKELPARAM(window.left + 700, window.top + 20));
    EXPECT_EQ(empty, HTCAPTION);
    RECT close = Find("closebtn")->GetPos();
    LRESULT button =
        SendMessageA(hwnd_, WM_NCHITTEST, 0,
                     MAKELPARAM(window.left + (close.left + close.right) / 2, window.top + 20));
    EXPECT_EQ(button, HTCLIENT);
    LRESULT below =
        SendMessageA(hwnd_, WM_NCHITTEST, 0, MAKELPARAM(window.left + 700, window.top + 300));
    EXPECT_EQ(below, HTCLIENT);
}

TEST_F(FrameTest, TheLogEmptiesItselfAtItsLimit) {
    ASSERT_TRUE(Open());
    auto* log = static_cast<CRichEditUI*>(Find("richedit")->GetInterface("RichEdit"));
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->GetLimitText(), COrvelFrameWnd::kLogLimit);
    // Fill the log to ten characters short of its limit, in lines as a device's replies come.
    std::string line(99, 'x');
    line += '\r';
    std::string block;
    for (int i = 0; i < 100; ++i)
        block += line;
    const long target = COrvelFrameWnd::kLogLimit - 10;
    while (log->GetTextLength() + long(block.size()) <= target)
        frame_->AppendLog(block);
    frame_->AppendLog(std::string(size_t(target - log->GetTextLength()), 'y'));
    ASSERT_EQ(log->GetTextLength(), target);
    frame_->AppendLog("12345"); // fits
    EXPECT_EQ(log->GetTextLength(), target + 5);
    frame_->AppendLog("abcdefghijklmnopqrst"); // would reach the limit: the log starts afresh
    EXPECT_EQ(Log(), "abcdefghijklmnopqrst");
    // Texts posted from another thread arrive too.
    std::thread([] { PostLogText("from the worker\r\n"); }).join();
    EXPECT_TRUE(WaitForLog("from the worker"));
}

TEST_F(FrameTest, NoSerialPortsLeavesTheChooserAndSaysSo) {
    COrvelFrameWnd::SetSerialPortKey(kNoPortsKey);
    ASSERT_TRUE(Open());
    EXPECT_NE(Log().find("No serial port"), std::string::npos) << Log();
    // The chooser keeps what the skin put in it (the machine's own ports are left alone here).
    EXPECT_EQ(Text("SerialPort"), "COM1");
}

TEST_F(FrameTest, PortsAreListedInTheRegistrysOrderUpToCom256AndReadAgainWhenOpened) {
    ListPorts({"COM9", "COM3", "COM100", "COM12", "COM256"});
    ASSERT_TRUE(Open());
    auto* ports = static_cast<CComboUI*>(Find("SerialPort")->GetInterface("Combo"));
    ASSERT_NE(ports, nullptr);
    auto listed = [&] {
        std::vector<std::string> names;
        for (int i = 0; i < ports->GetCount(); ++i)
            names.push_back(ports->GetItemAt(i)->GetText());
        return names;
    };
    EXPECT_EQ(listed(), (std::vector<std::string>{"COM9", "COM3", "COM100", "COM12", "COM256"}));
    EXPECT_EQ(Text("SerialPort"), "COM9");
    ports->SelectItem(3, false);

    // An adapter plugged in while the program runs shows when the list is opened; the chosen
    // port stays chosen.
    ListPorts({"COM9", "COM3", "COM100", "COM12", "COM256", "COM1"});
    ports->Activate();
    Pump(300);
    ports->CloseDropDown();
    EXPECT_EQ(listed().size(), 6u);
    EXPECT_EQ(Text("SerialPort"), "COM12");
}

TEST_F(FrameTest, APortThatDoesNotOpenSaysWhy) {
    // Listed but not there (Wine does not refuse a second opening of a port, so "in use" cannot
    // be played here; the same line carries that reason).
    ListPorts({"COM77"});
    ASSERT_TRUE(Open());
    Click("Open");
    EXPECT_FALSE(frame_->Link().Port().IsOpen());
    EXPECT_TRUE(WaitForLog(LookupText("OnStartCom", "OpenError")));
    EXPECT_NE(Log().find(LookupText("OnStartCom", "NotPresent")), std::string::npos) << Log();
}

TEST_F(FrameTest, FactoryResetAsksFirst) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    const size_t before = Count(Transcript(), "AT+FACTORY\r\n");
    g_confirmAnswer = false;
    Click("RestoreFactory");
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0], LookupText("Notify", "FactoryConfirm"));
    Pump(600);
    EXPECT_EQ(Count(Transcript(), "AT+FACTORY\r\n"), before) << "declined: nothing sent";
    g_confirmAnswer = true;
    Click("RestoreFactory");
    ASSERT_TRUE(WaitForTranscript("AT+FACTORY\r\n", before + 1));
    ASSERT_TRUE(WaitForIdle());
    Pump(300);
    EXPECT_EQ(Count(Transcript(), "AT+FACTORY\r\n"), before + 1);
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, APortThatVanishesWhileOpenEndsItsJobsWithATimeout) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Touch("sim-stop");
    ASSERT_TRUE(PumpUntil([&] { return Exists(Scratch("sim-stopped")); }, 5000));
    Click("CSQ");
    // 5 s wait: the program keeps running and says the device did not answer.
    EXPECT_TRUE(WaitForLog(LookupText("WorkerJobThreadProc", "OutTime").substr(0, 20), 12000));
    ASSERT_TRUE(WaitForIdle());
    Click("Open"); // closing still works
    EXPECT_FALSE(frame_->Link().Port().IsOpen());
    Touch("sim-start");
    ASSERT_TRUE(PumpUntil([&] { return !Exists(Scratch("sim-start")); }, 5000));
    Pump(300);
    // The device came back running; a fresh opening reaches it.
    EnterSettingMode();
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, AFloodingDeviceDoesNotStopTheProgram) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Control("fault flood:40000");
    Click("CPIN");
    ASSERT_TRUE(WaitForIdle(60000));
    Click("Clear");
    // Still answering afterwards.
    Click("GetVer");
    EXPECT_TRUE(WaitForLog("firmware V2.3.7", 15000));
    ASSERT_TRUE(WaitForIdle());
    Click("quit");
    WaitForIdle(2000);
}

// The layout rules the window posts to itself, seen as they leave its queue.
std::vector<std::pair<int, int>> g_rules;
LRESULT CALLBACK RecordRules(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_LAYOUT_RULE)
        g_rules.emplace_back(int(msg->wParam), int(msg->lParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(FrameTest, ItemSelectionsPostTheirLayoutRules) {
    ASSERT_TRUE(Open());
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, RecordRules, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    auto select = [&](const char* name, int item) {
        g_rules.clear();
        auto* combo = static_cast<CComboUI*>(Find(name)->GetInterface("Combo"));
        combo->SelectItem(-1, false);
        combo->SelectItem(item, false);
        Pump(200);
        return g_rules;
    };
    using Rules = std::vector<std::pair<int, int>>;
    // The selection's own posts come first; the rules they run may post more afterwards.
    auto starts = [](const Rules& posted, const Rules& expected) {
        return posted.size() >= expected.size() &&
               std::equal(expected.begin(), expected.end(), posted.begin());
    };
    EXPECT_TRUE(starts(select("IOactivationmethods", 1), Rules{{1, 0}, {11, 0}, {12, 0}, {13, 0}}));
    EXPECT_TRUE(starts(select("IOactivationmethods", 0), Rules{{1, 0}, {10, 0}}));
    EXPECT_TRUE(starts(select("ActivateMethod", 1), Rules{{1, 0}}));
    EXPECT_TRUE(starts(select("Server Count", 1), Rules{{3, 0}}));
    UnhookWindowsHookEx(hook);
}

TEST_F(FrameTest, DirectionSwitchesToggleOnAClick) {
    ASSERT_TRUE(Open());
    Click("GPS");
    CControlUI* route = Find("GPRS2COM");
    ASSERT_NE(route, nullptr);
    const std::string off = route->GetBkImage();
    ASSERT_NE(off.find("disable"), std::string::npos);
    Click("GPRS2COM");
    EXPECT_EQ(route->GetBkImage(), ToggledSwitchImage(off));
    EXPECT_NE(route->GetBkImage().find("enable"), std::string::npos);
    Click("GPRS2COM");
    EXPECT_EQ(route->GetBkImage(), off);
}

TEST_F(FrameTest, AServerAddressWithABlankIsReportedWhenLeft) {
    ASSERT_TRUE(Open());
    Click("Server");
    // Typed into the field: the edit's own window has the keyboard while it is edited.
    Find("Server's Ip")->SetText("");
    Click("Server's Ip");
    HWND editor = GetFocus();
    ASSERT_NE(editor, nullptr);
    for (char c : std::string("10.0.0.1 "))
        PostMessageA(editor, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
    Pump(200);
    Click("Secondary Server's Ip"); // the first field loses the focus
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0], LookupText("Notify", "IpNotice"));
    EXPECT_EQ(Text("Server's Ip"), "10.0.0.1 "); // the text is left as it is
    g_boxes.clear();
    Find("Server's Ip")->SetText("not.an.address");
    Click("Server's Ip");
    Click("Secondary Server's Ip");
    EXPECT_TRUE(g_boxes.empty());
}

// Whether the parameter store's lock was free when a box was shown (tried from another thread:
// the window thread may hold it).
COrvelFrameWnd* g_lockedFrame = nullptr;
bool g_boxWhileLocked = false;
void RecordBoxAndLock(const char* text, const char* caption) {
    RecordBox(text, caption);
    bool free = false;
    std::thread([&] { free = g_lockedFrame->Store().TryLock().owns_lock(); }).join();
    g_boxWhileLocked = g_boxWhileLocked || !free;
}

TEST_F(FrameTest, AServerAddressHiddenByARuleWhileFocusedIsReportedAfterTheRule) {
    ASSERT_TRUE(Open());
    Click("Server");
    auto* count = ControlAs<CComboUI>(Find("Server Count"));
    ASSERT_NE(count, nullptr);
    count->SelectItem(1, false); // a main and a backup server: the backup row is shown
    Pump(300);
    Find("Secondary Server's Ip")->SetText("");
    Click("Secondary Server's Ip");
    HWND editor = GetFocus();
    ASSERT_NE(editor, nullptr);
    for (char c : std::string("10.0.0.1 "))
        PostMessageA(editor, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
    Pump(200);
    // The count changes without a click elsewhere (as a read or a load changes it): its rule
    // hides the backup row, and with it the focused field.
    g_lockedFrame = frame_.get();
    g_boxWhileLocked = false;
    COrvelFrameWnd::SetMessageBoxHook(RecordBoxAndLock);
    count->SelectItem(2, false);
    Pump(300);
    COrvelFrameWnd::SetMessageBoxHook(RecordBox);
    EXPECT_FALSE(Find("ServiceHorizontalLayout1")->IsVisible());
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0], LookupText("Notify", "IpNotice"));
    EXPECT_FALSE(g_boxWhileLocked) << "a modal box inside the store's lock deadlocks";
}

TEST_F(FrameTest, TheLogMenuSpeaksTheSkinsLanguage) {
    ASSERT_TRUE(Open());
    auto* log = ControlAs<CRichEditUI>(Find("richedit"));
    ASSERT_NE(log, nullptr);
    HMENU menu = log->BuildContextMenu();
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        if (GetMenuStringA(menu, UINT(i), text, sizeof(text), MF_BYPOSITION) > 0)
            texts.push_back(text);
    }
    DestroyMenu(menu);
    const std::vector<std::string> expected = {LookupText("LogMenu", "Copy"),
                                               LookupText("LogMenu", "Clear"),
                                               LookupText("LogMenu", "SelectAll")};
    EXPECT_EQ(texts, expected);
    for (const std::string& text : expected)
        EXPECT_FALSE(text.empty());
    if (GetLanguageIndex() == 0)
        EXPECT_EQ(expected[0], "&Copy");
}

TEST_F(FrameTest, TheNetworkModeFieldAsksTheDeviceInSettingModeOnly) {
    ASSERT_TRUE(Open());
    Click("Wireless");
    const size_t before = Count(Transcript(), "AT+FINDNETMODE\r\n");
    Click("FINDNETMODE"); // not in setting mode: nothing is asked
    Click("Wireless");
    Pump(500);
    EXPECT_EQ(Count(Transcript(), "AT+FINDNETMODE\r\n"), before);
    EnterSettingMode();
    Click("Wireless");
    Click("FINDNETMODE");
    EXPECT_TRUE(WaitForTranscript("AT+FINDNETMODE\r\n", before + 1));
    EXPECT_TRUE(PumpUntil([&] { return Text("FINDNETMODE") == "LTE"; }));
    ASSERT_TRUE(WaitForIdle());
    Click("quit");
    WaitForIdle(2000);
}

// ---- Skins with parts missing ------------------------------------------------------------------

// A copy of the English skin in the scratch folder, with files left out and texts replaced.
std::string MakeSkin(const std::string& name, const std::vector<std::string>& leaveOut,
                     const std::string& file = "", const std::string& from = "",
                     const std::string& to = "") {
    const std::string source = GetSkinFolder() + "\\";
    const std::string target = Scratch(name);
    CreateDirectoryA(target.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((source + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string entry = found.cFileName;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            bool skip = false;
            for (const std::string& out : leaveOut)
                skip = skip || out == entry;
            if (!skip)
                CopyFileA((source + entry).c_str(), (target + "\\" + entry).c_str(), FALSE);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    if (!file.empty()) {
        std::string text = wintest::ReadFileText(target + "\\" + file);
        for (size_t at = text.find(from); at != std::string::npos;
             at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
        wintest::WriteFileText(target + "\\" + file, text);
    }
    return target;
}

TEST_F(FrameTest, ASkinWithoutOptionalControlsStillRuns) {
    std::string skin =
        MakeSkin("skin-optional", {}, "skin.xml", "name=\"Ver\"", "name=\"Ver-gone\"");
    std::string text = wintest::ReadFileText(skin + "\\skin.xml");
    for (const char* name :
         {"DeviceState", "HelpRichEdit", "Logo_Container", "VerDown", "TabLeft"}) {
        std::string from = std::string("name=\"") + name + "\"";
        size_t at = text.find(from);
        if (at != std::string::npos)
            text.replace(at, from.size(), std::string("name=\"") + name + "-gone\"");
    }
    wintest::WriteFileText(skin + "\\skin.xml", text);
    CPaintManagerUI::SetResourcePath(skin);
    ASSERT_TRUE(Open());
    EXPECT_EQ(Find("Ver"), nullptr);
    Pump(500); // the start-up timer skips what is missing
    OpenPort();
    EXPECT_TRUE(WaitForLog(LookupText("OnStartCom", "OpenNotice").substr(0, 20)));
    Click("Open");
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(FrameTest, AMissingPageFileLeavesAnEmptyPage) {
    std::string skin = MakeSkin("skin-nopage", {"Wireless.xml"});
    CPaintManagerUI::SetResourcePath(skin);
    ASSERT_TRUE(Open());
    auto* pages = static_cast<CContainerUI*>(Find("switch")->GetInterface("Container"));
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->GetCount(), 12);
    auto* wireless = static_cast<CContainerUI*>(pages->GetItemAt(4)->GetInterface("Container"));
    ASSERT_NE(wireless, nullptr);
    EXPECT_EQ(wireless->GetCount(), 0);
    EXPECT_EQ(Find("FINDNETMODE"), nullptr);
    Click("Wireless");
    EXPECT_TRUE(IsWindow(hwnd_));
}

TEST_F(FrameTest, AMissingHelpFileShowsTheFallbackText) {
    SetCurrentDirectoryA(wintest::ScratchDir().c_str());
    ASSERT_TRUE(Open());
    EXPECT_TRUE(PumpUntil([&] { return !Text("HelpRichEdit").empty(); }, 2000));
    EXPECT_EQ(Text("HelpRichEdit").substr(0, 20), LookupText("InitValue", "Text").substr(0, 20));
}

TEST_F(FrameTest, ASkinWithoutTheLogViewFailsWithAClearMessage) {
    std::string skin = MakeSkin("skin-nolog", {}, "skin.xml", "name=\"richedit\"", "name=\"log\"");
    CPaintManagerUI::SetResourcePath(skin);
    EXPECT_FALSE(Open());
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_NE(g_boxes[0].find("richedit"), std::string::npos);
    frame_.reset();

    // No skin.xml at all.
    g_boxes.clear();
    CPaintManagerUI::SetResourcePath(MakeSkin("skin-none", {"skin.xml"}));
    EXPECT_FALSE(Open());
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_NE(g_boxes[0].find("skin.xml"), std::string::npos);
}

} // namespace

// ---- Reading onto the pages, writing back, configuration files ---------------------------------

namespace {

// Waits on its own thread for the modal file dialog of `owner`, keeps a screenshot of it, types
// the path into its file name box and presses OK.
void DriveFileDialog(HWND owner, std::string path, const std::string& shot) {
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

std::string SetCommandsIn(const std::string& transcript) {
    std::string commands;
    size_t at = 0;
    for (size_t end; (end = transcript.find("\r\n", at)) != std::string::npos; at = end + 2) {
        const std::string line = transcript.substr(at, end - at);
        if (line.find('=') != std::string::npos && line.find("AT+EXCCLK") == std::string::npos)
            commands += line + "\n";
    }
    return commands;
}

} // namespace

TEST_F(FrameTest, ReadingShowsTheDevicesValuesAndWritingSendsOnlyWhatChanged) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    // Before any read, "Write device" sends nothing and says why.
    size_t mark = Transcript().size();
    Click("Save");
    EXPECT_TRUE(WaitForLog(LookupText("CollectChangedParameters", "ReadFirst")));
    Click("Load");
    ASSERT_TRUE(WaitForTranscript("AT+SHOW\r\n", 1));
    ASSERT_TRUE(WaitForIdle());
    Pump(500); // the layout rules the showing posted

    // Every text field shows its value, the combos what the device value names.
    int edits = 0;
    for (const auto& [key, entry] : frame_->Store().parameters) {
        if (entry.kind == EntryKind::Edit && Find(key)) {
            ++edits;
            EXPECT_EQ(Text(key), entry.value) << key;
        }
    }
    EXPECT_GT(edits, 80);
    const std::string type = frame_->Store().parameters["Device Type"].value;
    const bool lora = type.find("-L") != std::string::npos;
    EXPECT_EQ(Find("LoraTab")->IsVisible(), lora) << type;
    // The sensor rows are numbered 1 to N.
    auto* rows = static_cast<IContainerUI*>(Find("CustomList")->GetInterface("IContainer"));
    ASSERT_NE(rows, nullptr);
    ASSERT_GT(rows->GetCount(), 0);
    EXPECT_EQ(frame_->PaintManager()
                  .FindSubControlByName(rows->GetItemAt(rows->GetCount() - 1), "SensorCfg_Channel")
                  ->GetText(),
              std::to_string(rows->GetCount()));
    const char* options[] = {"WorkMode", "Server", "Serial", "IO",  "Wireless", "Global",
                             "Equiment", "Lora",   "Zigbee", "GPS", "Modbus",   "Operation"};
    for (int i = 0; i < 12; ++i) {
        if (Find(options[i]) && Find(options[i])->IsVisible()) {
            Click(options[i]);
            SaveScreenshot(std::string("read-") + std::to_string(i) + "-" + options[i]);
        }
    }

    // Read then write without an edit: no set command.
    mark = Transcript().size();
    Click("Save");
    ASSERT_TRUE(WaitForIdle());
    Pump(300);
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");

    // One changed field (on the Modbus page, which every work mode has): exactly its command, acknowledged; a second write sends nothing.
    const std::string port = Text("CollectInterval");
    const std::string changed = port == "61" ? "62" : "61";
    Find("CollectInterval")->SetText(changed);
    mark = Transcript().size();
    Click("Save");
    const ParameterEntry& portEntry = frame_->Store().parameters["CollectInterval"];
    ASSERT_TRUE(WaitForTranscript("AT+MSBITV=" + changed + "\r\n"))
        << "in use " << portEntry.inUse << " tab enabled "
        << frame_->Store().tabs[size_t(portEntry.tab)].enabled << " count "
        << Text("Server Count") << " mode " << Text("Protocolmodel") << " text "
        << Text("CollectInterval") << "\nlog " << Log();
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "AT+MSBITV=" + changed + "\n");
    EXPECT_TRUE(WaitForLog(LookupText("WorkerJobThreadProc", "SaveSuccess")));
    EXPECT_EQ(frame_->Store().parameters["CollectInterval"].value, changed);
    mark = Transcript().size();
    Click("Save");
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");

    // Saved to a file: the listing with CR CR LF line ends.
    const std::string file = Scratch("device.cfg.saved");
    DeleteFileA(file.c_str());
    DriveFileDialog(hwnd_, file, "save-dialog");
    Click("SaveToFile");
    ASSERT_TRUE(PumpUntil([&] { return Exists(file); }, 30000));
    ASSERT_TRUE(WaitForIdle());
    const std::string bytes = wintest::ReadFileText(file);
    EXPECT_NE(bytes.find("Access Point Name:"), std::string::npos);
    EXPECT_NE(bytes.find("MSBITV:" + changed + "\r\r\n"), std::string::npos);

    // The device changes; loading the file shows it and writes back exactly the difference.
    Find("CollectInterval")->SetText(port);
    Click("Save");
    ASSERT_TRUE(WaitForTranscript("AT+MSBITV=" + port + "\r\n"));
    ASSERT_TRUE(WaitForIdle());
    mark = Transcript().size();
    DriveFileDialog(hwnd_, file, "open-dialog");
    Click("LoadFromFile");
    ASSERT_TRUE(PumpUntil([&] { return Text("CollectInterval") == changed; }, 30000));
    ASSERT_TRUE(WaitForTranscript("AT+MSBITV=" + changed + "\r\n", 2, 30000));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "AT+MSBITV=" + changed + "\n");
    std::string chosen = file;
    std::replace(chosen.begin(), chosen.end(), '/', '\\');
    EXPECT_EQ(frame_->SavePath(), chosen);

    // Leave the device as it was for the other tests.
    Find("CollectInterval")->SetText(port);
    Click("Save");
    ASSERT_TRUE(WaitForIdle());
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, ALoadWhoseDeviceReadFailsLeavesTheDeviceUnreadAndWritesNothing) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    Pump(300);
    // A file: the device's own listing with one value changed.
    const std::string device = frame_->Store().parameters["CollectInterval"].value;
    const std::string changed = device == "61" ? "62" : "61";
    std::string listing = frame_->Link().Reply().Reply();
    const size_t at = listing.find("MSBITV:");
    ASSERT_NE(at, std::string::npos);
    listing.replace(at + 7, listing.find("\r\n", at) - at - 7, changed);
    const std::string file = Scratch("changed.cfg");
    wintest::WriteFileText(file, ListingToFileBytes(listing));

    // The device does not answer the read that the load starts.
    Control("fault noreply");
    const size_t mark = Transcript().size();
    DriveFileDialog(hwnd_, file, "open-dialog-unread");
    Click("LoadFromFile");
    ASSERT_TRUE(PumpUntil([&] { return Text("CollectInterval") == changed; }, 5000));
    ASSERT_TRUE(WaitForLog(LookupText("onLoadFrommFile", "NotRead"), 40000));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(frame_->Store().parameters["CollectInterval"].value, device)
        << "the catalogue keeps what the device last reported";

    // Write: nothing is sent and the log says the device must be read first.
    Click("Save");
    ASSERT_TRUE(WaitForLog(LookupText("CollectChangedParameters", "ReadFirst")));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");
    EXPECT_EQ(Log().find(LookupText("WorkerJobThreadProc", "SaveSuccess"), 0), std::string::npos);
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, ChangingARuleComboRelaysThePageAtOnce) {
    ASSERT_TRUE(Open());
    auto* mode = static_cast<CComboUI*>(Find("Protocolmodel")->GetInterface("Combo"));
    ASSERT_NE(mode, nullptr);
    mode->SelectItem(3, false); // TRNS
    Pump(300);
    EXPECT_FALSE(Find("ServerTab")->IsVisible());
    EXPECT_FALSE(frame_->Store().tabs[1].enabled);
    mode->SelectItem(4, false); // SMS client
    Pump(300);
    EXPECT_EQ(Find("ModeGroupBox")->GetFixedHeight(), 235);
    EXPECT_TRUE(Find("ModeLayout1.1")->IsVisible());
    SaveScreenshot("rule-sms-client");
    mode->SelectItem(0, false);
    Pump(300);
    EXPECT_TRUE(Find("ServerTab")->IsVisible());
    // A screenshot of the work-mode page in every work mode.
    Click("WorkMode");
    for (int item = 0; item < mode->GetCount(); ++item) {
        mode->SelectItem(item, false);
        Pump(300);
        SaveScreenshot("workmode-" + std::to_string(item));
    }
}

// ---- The language switch -------------------------------------------------------------------------

namespace {

// The other process's main window, once it is shown.
HWND FindOtherMainWindow(DWORD& processId) {
    struct Search {
        HWND found = nullptr;
        DWORD process = 0;
    } search;
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            char cls[32] = {};
            GetClassNameA(hwnd, cls, sizeof(cls));
            DWORD process = 0;
            GetWindowThreadProcessId(hwnd, &process);
            if (std::string(cls) == "Orvel" && process != GetCurrentProcessId() &&
                IsWindowVisible(hwnd)) {
                s->found = hwnd;
                s->process = process;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    processId = search.process;
    return search.found;
}

std::string ConfigLanguage(const std::string& config) {
    char value[32] = {};
    GetPrivateProfileStringA("Set", "Language", "", value, sizeof(value), config.c_str());
    return value;
}

} // namespace

TEST_F(FrameTest, ChoosingTheActiveLanguageChangesNothing) {
    const std::string config = Scratch("language-config.ini");
    wintest::WriteFileText(config, "[Set]\r\nLanguage=" + std::to_string(GetLanguageIndex()) + "\r\n");
    COrvelFrameWnd::SetRestartTarget(kDist + "DtuConfig.exe", config);
    ASSERT_TRUE(Open());
    auto* language = static_cast<CComboUI*>(Find("Language")->GetInterface("Combo"));
    ASSERT_NE(language, nullptr);
    EXPECT_EQ(language->GetCurSel(), GetLanguageIndex());
    PostMessageA(hwnd_, WM_SWITCH_LANGUAGE, 0, 0);
    Pump(500);
    EXPECT_FALSE(quit_);
    EXPECT_TRUE(IsWindowVisible(hwnd_));
    EXPECT_EQ(ConfigLanguage(config), std::to_string(GetLanguageIndex()));
    COrvelFrameWnd::SetRestartTarget("", "");
}

TEST_F(FrameTest, ALanguageSwitchThatCannotHappenKeepsTheWindowAndSaysWhy) {
    const int other = GetLanguageIndex() == 0 ? 1 : 0;
    // config.ini in a folder that does not exist.
    COrvelFrameWnd::SetRestartTarget(kDist + "DtuConfig.exe", "Z:\\no\\such\\folder\\config.ini");
    ASSERT_TRUE(Open());
    auto* language = static_cast<CComboUI*>(Find("Language")->GetInterface("Combo"));
    language->SelectItem(other, false);
    Pump(500);
    EXPECT_FALSE(quit_);
    EXPECT_TRUE(IsWindowVisible(hwnd_));
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0], LookupText("SwitchLanguage", "WriteError"));
    EXPECT_EQ(language->GetCurSel(), GetLanguageIndex());

    // A program that cannot be started: config.ini keeps the language in use.
    g_boxes.clear();
    const std::string config = Scratch("language-config.ini");
    wintest::WriteFileText(config, "[Set]\r\nLanguage=" + std::to_string(GetLanguageIndex()) + "\r\n");
    COrvelFrameWnd::SetRestartTarget(Scratch("missing.exe"), config);
    language->SelectItem(other, false);
    Pump(500);
    EXPECT_FALSE(quit_);
    EXPECT_TRUE(IsWindowVisible(hwnd_));
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].rfind(LookupText("SwitchLanguage", "StartError"), 0), 0u) << g_boxes[0];
    EXPECT_EQ(ConfigLanguage(config), std::to_string(GetLanguageIndex()));
    COrvelFrameWnd::SetRestartTarget("", "");
}

TEST_F(FrameTest, ChoosingTheOtherLanguageRestartsTheProgramInIt) {
    // The unpacked program's own config.ini, restored afterwards.
    const std::string config = kDist + "config.ini";
    const std::string saved = wintest::ReadFileText(config);
    const int other = GetLanguageIndex() == 0 ? 1 : 0;
    COrvelFrameWnd::SetRestartTarget(kDist + "DtuConfig.exe", config);
    ASSERT_TRUE(Open());
    EnterSettingMode();
    auto* language = static_cast<CComboUI*>(Find("Language")->GetInterface("Combo"));
    language->SelectItem(other, false);
    ASSERT_TRUE(PumpUntil([&] { return quit_; }, 5000));
    EXPECT_FALSE(IsWindowVisible(hwnd_)) << "hidden at once";
    EXPECT_EQ(ConfigLanguage(config), std::to_string(other));

    // The old window shuts down as usual, the new process comes up in the other language.
    Destroy();
    DWORD process = 0;
    HWND next = nullptr;
    PumpUntil([&] { return (next = FindOtherMainWindow(process)) != nullptr; }, 20000);
    wintest::WriteFileText(config, saved);
    ASSERT_NE(next, nullptr);
    Sleep(1500); // its start-up timer and first paint
    // It comes up as a normal window in front, not as an icon.
    EXPECT_TRUE(IsWindowVisible(next));
    EXPECT_FALSE(IsIconic(next));
    RECT placed = {};
    GetWindowRect(next, &placed);
    EXPECT_GE(placed.right - placed.left, 800);
    EXPECT_GE(placed.bottom - placed.top, 500);
    wintest::SaveBmp(wintest::CaptureWindow(next),
                     wintest::ArtifactsDir() + "\\shell-language-" + std::to_string(other) + ".bmp");
    HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
    PostMessageA(next, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (handle) {
        EXPECT_EQ(WaitForSingleObject(handle, 15000), WAIT_OBJECT_0);
        CloseHandle(handle);
    }
    COrvelFrameWnd::SetRestartTarget("", "");
    // The port was given up by the old process: the next test opens it again.
}

TEST_F(FrameTest, EveryDeviceTypeIsShownAndWritingBackWithoutAnEditSendsNothing) {
    struct Device {
        const char* args;
        const char* radioTab; // the one radio module tab shown, or ""
    };
    const Device devices[] = {
        {"--type lora --interfaces serial1,rs485,io1", "LoraTab"},
        {"--type zigbee --interfaces serial1,serial2,io1,io2,io3,io4,io5", "ZigbeeTab"},
        {"--type gps --interfaces serial1,serial2,rs485,io1,io2", "GPSTab"},
        {"--type plain --interfaces serial1", ""},
    };
    ASSERT_TRUE(Open());
    for (const Device& device : devices) {
        SCOPED_TRACE(device.args);
        RestartSimulator(device.args);
        EnterSettingMode();
        Click("Load");
        ASSERT_TRUE(WaitForIdle());
        Pump(500);
        for (const char* tab : {"LoraTab", "ZigbeeTab", "GPSTab"})
            EXPECT_EQ(Find(tab)->IsVisible(), std::string(tab) == device.radioTab) << tab;
        // Every text field holds its listing value, the switches the transmit-channel bits.
        for (const auto& [key, entry] : frame_->Store().parameters) {
            if (entry.kind == EntryKind::Edit && Find(key)) {
                EXPECT_EQ(Text(key), entry.value) << key;
            }
        }
        const int bits = std::atoi(frame_->Store().parameters["EL transmit channel"].value.c_str());
        EXPECT_EQ(frame_->Pages().IsSwitchOn("Lora2COM"), (bits & 1) != 0);
        EXPECT_EQ(frame_->Pages().IsSwitchOn("GPRS2GPS"), (bits & 32) != 0);
        SaveScreenshot(std::string("device-") + (device.radioTab[0] ? device.radioTab : "plain"));
        // Read, then write with no edit: nothing is sent.
        const size_t mark = Transcript().size();
        Click("Save");
        ASSERT_TRUE(WaitForIdle());
        Pump(300);
        EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");
        Click("Open"); // closed for the next device
        Pump(200);
    }
    RestartSimulator();
}

TEST_F(FrameTest, ARefusedOrUnansweredWriteIsSaidAndSentAgainByTheNextWrite) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    const std::string known = frame_->Store().parameters["CollectInterval"].value;
    // The device refuses the value: "SaveError", nothing recorded, the next write sends it again.
    Find("CollectInterval")->SetText("x1");
    Click("Clear");
    Click("Save");
    ASSERT_TRUE(WaitForTranscript("AT+MSBITV=x1\r\n", 1));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_TRUE(WaitForLog(LookupText("WorkerJobThreadProc", "SaveError")));
    EXPECT_EQ(frame_->Store().parameters["CollectInterval"].value, known);
    Click("Save");
    EXPECT_TRUE(WaitForTranscript("AT+MSBITV=x1\r\n", 2));
    ASSERT_TRUE(WaitForIdle());
    // No answer: "OutTime", nothing recorded.
    Control("fault noreply:1");
    Find("CollectInterval")->SetText("61");
    Click("Clear");
    Click("Save");
    EXPECT_TRUE(WaitForLog(LookupText("WorkerJobThreadProc", "OutTime").substr(0, 20), 12000));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(frame_->Store().parameters["CollectInterval"].value, known);
    // Back as it was.
    Find("CollectInterval")->SetText(known);
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, AListingWhoseValuesHoldOkIsReadWhole) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    // Values that end in or hold "OK", written to the device by the program itself.
    auto* mode = static_cast<CComboUI*>(Find("Protocolmodel")->GetInterface("Combo"));
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    const std::string workMode = Text("Protocolmodel");
    mode->SelectItem(0, false); // PROT: the modem ID is in use
    Pump(300);
    Find("Modem'sID number")->SetText("REGOK");
    Find("PhoneNO.")->SetText("TOKEN42");
    Click("Save");
    ASSERT_TRUE(WaitForTranscript("AT+IDNT=REGOK\r\n"));
    ASSERT_TRUE(WaitForIdle());
    // Read again: the listing completes on its final "OK" line only, so the values after
    // "REGOK" are read too (the last one is the Modbus retry count).
    frame_->Store().parameters["CollectCount"].value = "stale";
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(frame_->Store().parameters["Modem'sID number"].value, "REGOK");
    EXPECT_EQ(frame_->Store().parameters["PhoneNO."].value, "TOKEN42");
    EXPECT_EQ(frame_->Store().parameters["CollectCount"].value, "3");
    EXPECT_EQ(Text("CollectCount"), "3");
    // Back as it was.
    for (int i = 0; i < mode->GetCount(); ++i)
        if (mode->GetItemAt(i)->GetText() == workMode)
            mode->SelectItem(i, false);
    Pump(300);
    Click("Save");
    ASSERT_TRUE(WaitForIdle());
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, ASensorDataNameOutsideAsciiTravelsAsUtf8) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    // "温度" in the Chinese code page, "Temp°C" in the Western one; the device keeps UTF-8.
    const bool chinese = GetACP() == 936;
    const std::string shown = chinese ? "\xCE\xC2\xB6\xC8" : "Temp\xB0" "C";
    const std::string utf8 = chinese ? "\xE6\xB8\xA9\xE5\xBA\xA6" : "Temp\xC2\xB0" "C";
    auto* rows = static_cast<IContainerUI*>(Find("CustomList")->GetInterface("IContainer"));
    ASSERT_NE(rows, nullptr);
    CControlUI* row = rows->GetItemAt(2);
    ASSERT_NE(row, nullptr);
    frame_->Pages().SetRowFieldValue(2, "SensorCfg_DeviceSwitch", "1");
    frame_->PaintManager().FindSubControlByName(row, "SensorCfg_DataName")->SetText(shown);
    Click("Save");
    ASSERT_TRUE(WaitForTranscript("," + utf8 + ","));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_NE(Transcript().find("AT+GENSENSORINFO=2,1,"), std::string::npos);
    // Read back: shown in the code page of the workstation again, and nothing to write.
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    row = rows->GetItemAt(2);
    EXPECT_EQ(frame_->PaintManager().FindSubControlByName(row, "SensorCfg_DataName")->GetText(),
              shown);
    const size_t mark = Transcript().size();
    Click("Save");
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");
    // Switched off again for the other tests.
    frame_->Pages().SetRowFieldValue(2, "SensorCfg_DeviceSwitch", "0");
    Click("Save");
    ASSERT_TRUE(WaitForIdle());
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, AnAdapterPulledWhileOpenClosesThePortByItselfAndOpensAgainWhenBack) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    const std::string port = wintest::Env("ORVEL_COM_PORT", "COM9");
    // The harness takes the pty pair away, as when the USB adapter is pulled.
    Unplug();
    EXPECT_TRUE(PumpUntil([&] { return !frame_->Link().Port().IsOpen(); }, 3000))
        << "the port was not noticed to be gone";
    EXPECT_TRUE(WaitForLog(port + " " + LookupText("OnStartCom", "Disconnected"), 3000)) << Log();
    EXPECT_EQ(Text("Open"), LookupText("OnStartCom", "Open"));
    EXPECT_EQ(Text("DeviceState"), LookupText("SetDeviceState", "szLoginOff"));
    EXPECT_TRUE(g_boxes.empty()) << "no error boxes";
    // Everything read stays on the pages.
    EXPECT_EQ(Text("CollectInterval"), frame_->Store().parameters["CollectInterval"].value);
    // Back again: the user opens the port as usual.
    Replug();
    OpenPort();
    ASSERT_TRUE(PumpUntil([&] { return Enabled("Login"); }));
    // The simulator may still be opening its end of the new pair: "+++" again if it missed it.
    Click("Login");
    if (!WaitForSettingMode(true, 3000))
        Click("Login");
    ASSERT_TRUE(WaitForSettingMode(true)) << Log();
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, AnAdapterPulledDuringAReadEndsTheJobWithoutATimeout) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Control("fault late:4000");
    Click("Load");
    ASSERT_TRUE(WaitForTranscript("AT+SHOW\r\n", Count(Transcript(), "AT+SHOW\r\n")));
    Click("CSQ"); // queued behind the read
    Unplug();
    EXPECT_TRUE(PumpUntil([&] { return !frame_->Link().Port().IsOpen(); }, 3000));
    EXPECT_EQ(frame_->Link().Queue().Size(), 0u) << "the queue is emptied";
    Pump(1500);
    EXPECT_EQ(Log().find(LookupText("WorkerJobThreadProc", "OutTime")), std::string::npos)
        << "no time-out for a port that is gone";
    Replug();
}

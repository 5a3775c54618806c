// The main window: its start state, pages, the port, the setting mode, the operation buttons,
// closing, the caption and the log.
#include "tests/shell/frame_fixture.h"

#include <algorithm>

#include "base/wide.h"
#include "pages/page_classes.h"

namespace frametest {

TEST_F(FrameTest, StartsCentredWithItsControlsInTheStartState) {
    ASSERT_TRUE(Open());
    char title[32] = {};
    GetWindowTextA(hwnd_, title, sizeof(title));
    EXPECT_STREQ(title, "DTU");
    // The skin's size at the screen's DPI (1400 x 800 at 96).
    const int dpi = frame_->PaintManager().GetDpi();
    EXPECT_EQ(dpi, std::atoi(wintest::Env("ORVEL_DPI", "96").c_str()));
    RECT r;
    GetWindowRect(hwnd_, &r);
    EXPECT_EQ(r.right - r.left, MulDiv(1400, dpi, 96));
    EXPECT_EQ(r.bottom - r.top, MulDiv(800, dpi, 96));
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoA(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &info);
    EXPECT_NEAR((r.left + r.right) / 2, (info.rcWork.left + info.rcWork.right) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, (info.rcWork.top + info.rcWork.bottom) / 2, 1);
    // The skin draws its own caption and frame; the thick frame stays (taking no room) so that
    // the border resizes the window.
    EXPECT_EQ(GetWindowLongA(hwnd_, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_NE(GetWindowLongA(hwnd_, GWL_STYLE) & WS_THICKFRAME, 0);
    RECT client = {};
    GetClientRect(hwnd_, &client);
    EXPECT_EQ(client.right, MulDiv(1400, dpi, 96)) << "no frame takes room from the client area";

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
    else // year, month and day marks of the Chinese skin, in UTF-8 whatever the code page
        EXPECT_EQ(Text("VerDown"), "2021\xE5\xB9\xB4" "03\xE6\x9C\x88" "26\xE6\x97\xA5 V1.9.5");
    // The skin's own help text (the Chinese one in GBK, shown as UTF-8).
    const std::string shown = Text("HelpRichEdit");
    ASSERT_FALSE(shown.empty());
    if (GetLanguageIndex() == 0)
        EXPECT_EQ(shown.substr(0, 20), "DTU Configuration To");
    else
        EXPECT_EQ(shown.substr(0, 13), "DTU \xE9\x85\x8D\xE7\xBD\xAE\xE5\xB7\xA5"); // "DTU 配置工
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

// Which of the twelve pages have been built so far (their controls are in the window's tree).
static std::vector<bool> BuiltPages(CPaintManagerUI& manager) {
    std::vector<bool> built;
    auto* pages = static_cast<CContainerUI*>(manager.FindBuiltControl("switch")->GetInterface("Container"));
    for (int i = 0; pages != nullptr && i < pages->GetCount(); ++i) {
        auto* page = dynamic_cast<CPageUI*>(pages->GetItemAt(i));
        built.push_back(page != nullptr && page->IsBuilt());
    }
    return built;
}

TEST_F(FrameTest, OnlyTheFirstPageIsBuiltBeforeTheFirstPaintAndTheOthersInIdleTime) {
    frame_.reset(new COrvelFrameWnd);
    ASSERT_TRUE(frame_->Create(nullptr, "DTU", WS_OVERLAPPEDWINDOW, 0, 0, 0, 1400, 800));
    hwnd_ = frame_->GetHWND();
    CPaintManagerUI& manager = frame_->PaintManager();
    std::vector<bool> built = BuiltPages(manager);
    ASSERT_EQ(built.size(), 12u);
    EXPECT_TRUE(built[0]);
    EXPECT_EQ(std::count(built.begin(), built.end(), true), 1);
    // The operation page's buttons are not there yet; the port-closed state waits for them.
    EXPECT_EQ(manager.FindBuiltControl("AT+LIST"), nullptr);
    EXPECT_TRUE(frame_->Store().parameters.empty());
    ASSERT_TRUE(frame_->StartWorker());
    frame_->ShowWindow(true);
    ASSERT_TRUE(PumpUntil([&] {
        const std::vector<bool> now = BuiltPages(manager);
        return std::count(now.begin(), now.end(), true) == 12;
    }, 3000));
    ASSERT_NE(manager.FindBuiltControl("AT+LIST"), nullptr);
    EXPECT_FALSE(Enabled("AT+LIST")); // the port is closed: built disabled, as the others
    EXPECT_FALSE(Enabled("Save"));
    // The catalogue is built once the pages are complete.
    EXPECT_FALSE(frame_->Store().parameters.empty());
    EXPECT_FALSE(frame_->Store().lists.empty());
}

TEST_F(FrameTest, APageShownByTheKeyboardBeforeItWasBuiltTakesTheStatesGivenMeanwhile) {
    frame_.reset(new COrvelFrameWnd);
    ASSERT_TRUE(frame_->Create(nullptr, "DTU", WS_OVERLAPPEDWINDOW, 0, 0, 0, 1400, 800));
    hwnd_ = frame_->GetHWND();
    CPaintManagerUI& manager = frame_->PaintManager();
    ASSERT_EQ(manager.FindBuiltControl("AT+LIST"), nullptr);
    frame_->SetControlEnabled("AT+LIST", false);
    // Ctrl+Shift+Tab from the first page: the last page, built as it is shown.
    frame_->SelectNextPage(false);
    CControlUI* button = manager.FindBuiltControl("AT+LIST");
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->IsEnabled());
    const std::vector<bool> built = BuiltPages(manager);
    EXPECT_TRUE(built[0]);
    EXPECT_TRUE(built[11]);
    EXPECT_EQ(std::count(built.begin(), built.end(), true), 2);
    frame_->SetControlEnabled("AT+LIST", true);
    EXPECT_TRUE(button->IsEnabled());
}

TEST_F(FrameTest, AControlOfAPageNotBuiltYetIsBuiltWhenAskedFor) {
    frame_.reset(new COrvelFrameWnd);
    ASSERT_TRUE(frame_->Create(nullptr, "DTU", WS_OVERLAPPEDWINDOW, 0, 0, 0, 1400, 800));
    hwnd_ = frame_->GetHWND();
    // Nothing dispatched yet: a lookup by name builds every page at once and finds the field.
    EXPECT_NE(Find("GPS Server's Port"), nullptr);
    const std::vector<bool> built = BuiltPages(frame_->PaintManager());
    EXPECT_EQ(std::count(built.begin(), built.end(), true), 12);
    EXPECT_EQ(Find("NoSuchControlAnywhere"), nullptr);
    // Showing a page builds it too (here: already built, still shown whole).
    ASSERT_TRUE(frame_->StartWorker());
    frame_->ShowWindow(true);
    Pump(200);
    Click("Operation");
    EXPECT_TRUE(Find("AT+LIST")->IsVisible());
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
    ASSERT_TRUE(frame_->Link().IsOpen());
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
    EXPECT_FALSE(frame_->Link().IsOpen());
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
    EXPECT_FALSE(frame_->Link().IsOpen());
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
        ASSERT_TRUE(frame_->Link().IsOpen());
        EXPECT_EQ(frame_->Link().GetTimeoutFactor(), 8); // 9600 / 1200, every time
        Click("Open");
        ASSERT_FALSE(frame_->Link().IsOpen());
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
        EXPECT_TRUE(frame_->Link().IsOpen()) << code;
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

} // namespace frametest

namespace frametest {

// Every size of the skin at the screen's DPI (run at 96, 144 and 192): the window, fields,
// buttons, fonts and the images drawn for the scale; the border resizes the window down to the
// skin's minimum size, and the layout follows.
TEST_F(FrameTest, SizesFollowTheDpiAndTheBorderResizesTheWindow) {
    ASSERT_TRUE(Open());
    CPaintManagerUI& pm = frame_->PaintManager();
    const int dpi = pm.GetDpi();
    auto scaled = [dpi](int v) { return MulDiv(v, dpi, 96); };
    auto width = [&](const char* name) {
        const RECT r = Find(name)->GetPos();
        return int(r.right - r.left);
    };
    auto height = [&](const char* name) {
        const RECT r = Find(name)->GetPos();
        return int(r.bottom - r.top);
    };
    Click("Modbus");
    Pump(200);
    EXPECT_NEAR(width("Open"), scaled(112), 1);
    EXPECT_NEAR(height("Open"), scaled(32), 1);
    EXPECT_NEAR(width("CollectInterval"), scaled(220), 1);
    EXPECT_NEAR(height("CollectInterval"), scaled(22), 1);
    EXPECT_NEAR(width("Save"), scaled(110), 1);
    // The fonts: the default font's cell height grows with the DPI.
    TEXTMETRICA metrics = {};
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, pm.GetFont(0));
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    EXPECT_NEAR(metrics.tmHeight, scaled(13) * 1.2, scaled(13) * 0.35);
    // The larger drawings at 150 % and 200 %.
    const TImageInfo* close = pm.GetImageEx("btn_close.png");
    ASSERT_NE(close, nullptr);
    const int expected = dpi >= 168 ? 200 : dpi >= 120 ? 150 : 100;
    EXPECT_EQ(close->scale, expected);
    EXPECT_EQ(close->nX, 46 * expected / 100);
    SaveScreenshot("dpi-" + std::to_string(dpi));
    {
        // A tooltip in the skin's font at this DPI, as wide as the DPI makes it.
        CControlUI* save = Find("Save");
        const RECT r = save->GetPos();
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageA(hwnd_, WM_MOUSEMOVE, 0, at);
        PostMessageA(hwnd_, WM_MOUSEHOVER, 0, at); // the mouse rests there
        HWND tip = nullptr;
        PumpUntil([&] {
            tip = FindWindowA("tooltips_class32", nullptr);
            return tip != nullptr && GetWindow(tip, GW_OWNER) == hwnd_;
        }, 4000);
        ASSERT_NE(tip, nullptr) << "no tooltip came";
        // (The tooltip may keep a copy of the font it was given.)
        LOGFONTW shown = {}, skin = {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageA(tip, WM_GETFONT, 0, 0)), sizeof(shown),
                   &shown);
        GetObjectW(pm.GetDefaultFontInfo()->hFont, sizeof(skin), &skin);
        EXPECT_STREQ(shown.lfFaceName, skin.lfFaceName);
        EXPECT_EQ(shown.lfHeight, skin.lfHeight);
        EXPECT_EQ(SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0), scaled(save->GetToolTipWidth()));
        PostMessageA(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(2, 300));
        Pump(200);
    }

    // The border: the size box's edges and corners answer as a window's frame does.
    RECT window = {};
    GetWindowRect(hwnd_, &window);
    auto hit = [&](int x, int y) {
        return SendMessageA(hwnd_, WM_NCHITTEST, 0, MAKELPARAM(x, y));
    };
    EXPECT_EQ(hit(window.right - 1, window.bottom - 1), HTBOTTOMRIGHT);
    EXPECT_EQ(hit(window.left, (window.top + window.bottom) / 2), HTLEFT);
    EXPECT_EQ(hit(window.left + scaled(300), window.top + 1), HTTOP);
    EXPECT_EQ(hit(window.left + scaled(300), window.top + scaled(20)), HTCAPTION);
    EXPECT_EQ(hit(window.left + scaled(300), window.top + scaled(300)), HTCLIENT);
    // Dragged down to nothing: the skin's minimum size at this DPI; the layout follows and
    // the tab strip shows its arrows when the tabs no longer fit.
    SetWindowPos(hwnd_, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
    Pump(300);
    GetWindowRect(hwnd_, &window);
    EXPECT_EQ(window.right - window.left, scaled(1360));
    EXPECT_EQ(window.bottom - window.top, scaled(700));
    const RECT log = Find("richedit")->GetPos();
    EXPECT_LE(log.right, scaled(1360));
    EXPECT_LE(Find("Language")->GetPos().right, scaled(1360)) << "the connection bar fits";
    // The tabs fit, or the strip shows its arrows beside them.
    if (Find("TabRight")->IsVisible())
        EXPECT_LE(Find("HorizontalLayoutUI6")->GetPos().right, Find("TabRight")->GetPos().left);
    else
        EXPECT_LE(Find("HorizontalLayoutUI6")->GetPos().right, Find("switch")->GetPos().right);
    SaveScreenshot("dpi-" + std::to_string(dpi) + "-minimum");
    // And back.
    SetWindowPos(hwnd_, nullptr, 0, 0, scaled(1400), scaled(800), SWP_NOMOVE | SWP_NOZORDER);
    Pump(300);
    EXPECT_FALSE(Find("TabRight")->IsVisible()) << "the tabs fit again";
    EXPECT_NEAR(width("CollectInterval"), scaled(220), 1);
}

// Moved to a monitor of another DPI: the window rescales every size and font, takes the place
// the system suggests, and keeps what it shows.
TEST_F(FrameTest, ADpiChangeRescalesTheWindowInPlace) {
    ASSERT_TRUE(Open());
    CPaintManagerUI& pm = frame_->PaintManager();
    const int before = pm.GetDpi();
    const int after = before * 5 / 4;
    // From the minimum size, so that the larger window fits the virtual screen.
    SetWindowPos(hwnd_, nullptr, 0, 0, MulDiv(1360, before, 96), MulDiv(700, before, 96),
                 SWP_NOMOVE | SWP_NOZORDER);
    Pump(200);
    Find("CollectInterval")->SetText("4321");
    const int openWidth = Find("Open")->GetFixedWidth();
    RECT window = {};
    GetWindowRect(hwnd_, &window);
    RECT suggested = {window.left, window.top, window.left + MulDiv(window.right - window.left, 5, 4),
                      window.top + MulDiv(window.bottom - window.top, 5, 4)};
    SendMessageA(hwnd_, WM_DPICHANGED, MAKEWPARAM(after, after), reinterpret_cast<LPARAM>(&suggested));
    Pump(300);
    EXPECT_EQ(pm.GetDpi(), after);
    EXPECT_NEAR(Find("Open")->GetFixedWidth(), MulDiv(openWidth, 5, 4), 1);
    GetWindowRect(hwnd_, &window);
    EXPECT_EQ(window.left, suggested.left);
    EXPECT_EQ(window.right - window.left, suggested.right - suggested.left);
    EXPECT_EQ(Text("CollectInterval"), "4321") << "what the window shows stays";
    SaveScreenshot("dpi-changed");
    // And back.
    GetWindowRect(hwnd_, &window);
    RECT back = {window.left, window.top, window.left + MulDiv(window.right - window.left, 4, 5),
                 window.top + MulDiv(window.bottom - window.top, 4, 5)};
    SendMessageA(hwnd_, WM_DPICHANGED, MAKEWPARAM(before, before), reinterpret_cast<LPARAM>(&back));
    Pump(300);
    EXPECT_EQ(Find("Open")->GetFixedWidth(), openWidth);
}

} // namespace frametest

namespace frametest {

// A tab's change badge sits beside its words, never on them: every tab with a two-digit count,
// its words in the selected (bold) font centred in the room the badge leaves, in both skins and
// at every DPI.
TEST_F(FrameTest, TabBadgesNeverCoverTheirTabsWords) {
    ASSERT_TRUE(Open());
    CPaintManagerUI& pm = frame_->PaintManager();
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, pm.GetFont(1));
    for (int tab = 0; tab < kTabCount; ++tab) {
        const std::string name = TabOptionName(tab);
        auto* option = ControlAs<CLabelUI>(Find(name));
        CControlUI* badge = Find(name + "Changes");
        ASSERT_NE(option, nullptr) << name;
        ASSERT_NE(badge, nullptr) << name;
        option->SetAttribute("textpadding", "0,0,16,0"); // as the pages do beside a badge
        badge->SetText("88");
        badge->SetVisible(true);
        Pump(50);
        const RECT o = option->GetPos(), b = badge->GetPos(), pad = option->GetTextPadding();
        const std::wstring words = WideOf(option->GetText());
        SIZE text = {};
        GetTextExtentPoint32W(dc, words.c_str(), int(words.size()), &text);
        const int room = (o.right - pad.right) - (o.left + pad.left);
        const int left = o.left + pad.left + (room - text.cx) / 2;
        EXPECT_GE(room, text.cx) << name << " is too narrow for its words and its badge";
        EXPECT_LE(left + text.cx, b.left) << name << ": the badge covers the words";
        EXPECT_GE(b.left, o.left) << name;
        EXPECT_LE(b.right, o.right) << name << ": the badge sticks out of its tab";
        EXPECT_GE(b.top, o.top) << name;
        EXPECT_LE(b.bottom, o.bottom) << name;
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    SaveScreenshot("tab-badges");
    for (int tab = 0; tab < kTabCount; ++tab)
        Find(TabOptionName(tab) + "Changes")->SetVisible(false);
}

} // namespace frametest

namespace frametest {

// At its smallest the window still shows every field of every page whole (no field cut by its
// page or the window), and the log keeps following its end when the window is resized.
TEST_F(FrameTest, TheSmallestWindowShowsEveryFieldWhole) {
    ASSERT_TRUE(Open());
    SendMessageA(hwnd_, WM_SYSCOMMAND, SC_RESTORE, 0);
    RECT window = {};
    GetWindowRect(hwnd_, &window);
    // Asked to be tiny, the window stops at its minimum.
    SetWindowPos(hwnd_, nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOMOVE);
    Pump(300);
    RECT small = {};
    GetWindowRect(hwnd_, &small);
    const int dpi = frame_->PaintManager().GetDpi();
    EXPECT_EQ(small.right - small.left, MulDiv(1360, dpi, 96));
    EXPECT_EQ(small.bottom - small.top, MulDiv(700, dpi, 96));
    auto* pages = ControlAs<CTabLayoutUI>(Find("switch"));
    ASSERT_NE(pages, nullptr);
    std::vector<std::string> cut;
    for (int tab = 0; tab < kTabCount; ++tab) {
        pages->SelectItem(tab);
        Pump(200);
        CControlUI* page = pages->GetItemAt(tab);
        std::vector<CControlUI*> fields;
        page->FindControl(
            [](CControlUI* control, LPVOID found) -> CControlUI* {
                const std::string kind = control->GetClass();
                if (kind == "EditUI" || kind == "ComboUI")
                    static_cast<std::vector<CControlUI*>*>(found)->push_back(control);
                return nullptr;
            },
            &fields, UIFIND_VISIBLE);
        for (CControlUI* field : fields) {
            const RECT r = field->GetPos();
            if (r.right <= r.left || field->GetParent() == nullptr)
                continue; // a row's sub-control of a list that is not shown
            bool upDown = false;
            for (CControlUI* outer = field->GetParent(); outer != nullptr;
                 outer = outer->GetParent()) {
                const RECT o = outer->GetPos();
                // A list of rows scrolls up and down: its rows below the fold are not cut.
                auto* scrolling = ControlAs<CContainerUI>(outer);
                upDown = upDown || (scrolling && scrolling->GetVerticalScrollBar() != nullptr);
                if (r.left < o.left || r.right > o.right ||
                    (!upDown && (r.top < o.top || r.bottom > o.bottom))) {
                    cut.push_back(TabOptionName(tab) + ": " + field->GetName());
                    break;
                }
            }
        }
    }
    EXPECT_TRUE(cut.empty()) << ::testing::PrintToString(cut);
    pages->SelectItem(0);
    SaveScreenshot("smallest");

    // The log at its end stays at its end through a resize.
    for (int i = 0; i < 200; ++i)
        frame_->AppendLog("line " + std::to_string(i) + "\r\n");
    Pump(100);
    SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left, window.bottom - window.top,
                 SWP_NOZORDER | SWP_NOMOVE);
    Pump(300);
    auto* log = ControlAs<CRichEditUI>(Find("richedit"));
    ASSERT_NE(log, nullptr);
    const SIZE range = log->GetScrollRange(), at = log->GetScrollPos();
    EXPECT_EQ(at.cy, range.cy) << "the log no longer shows its end";
}

} // namespace frametest

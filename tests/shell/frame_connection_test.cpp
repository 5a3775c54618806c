// The main window around the device: the port list, factory reset, a vanishing or flooding
// device, the layout rules it posts, switches, the server-address notice, the log menu, the
// network mode field, and skins with parts missing.
#include "tests/shell/frame_fixture.h"

namespace frametest {

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
    // Last, the way to a network port.
    EXPECT_EQ(listed(), (std::vector<std::string>{"COM9", "COM3", "COM100", "COM12", "COM256",
                                                  LookupText("ScanSerialPorts", "NetworkItem")}));
    EXPECT_EQ(Text("SerialPort"), "COM9");
    ports->SelectItem(3, false);

    // An adapter plugged in while the program runs shows when the list is opened; the chosen
    // port stays chosen.
    ListPorts({"COM9", "COM3", "COM100", "COM12", "COM256", "COM1"});
    ports->Activate();
    Pump(300);
    ports->CloseDropDown();
    EXPECT_EQ(listed().size(), 7u);
    EXPECT_EQ(Text("SerialPort"), "COM12");
}

TEST_F(FrameTest, APortThatDoesNotOpenSaysWhy) {
    // Listed but not there (Wine does not refuse a second opening of a port, so "in use" cannot
    // be played here; the same line carries that reason).
    ListPorts({"COM77"});
    ASSERT_TRUE(Open());
    Click("Open");
    EXPECT_FALSE(frame_->Link().IsOpen());
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
    EXPECT_FALSE(frame_->Link().IsOpen());
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

// Whether the rule that hid the field had finished when the box was shown: a modal box inside
// a rule would let other rules run nested under it.
COrvelFrameWnd* g_ruleFrame = nullptr;
bool g_boxInsideTheRule = false;
void RecordBoxAfterRule(const char* text, const char* caption) {
    RecordBox(text, caption);
    CControlUI* row = g_ruleFrame->FindControl("ServiceHorizontalLayout1");
    g_boxInsideTheRule = g_boxInsideTheRule || row == nullptr || row->IsVisible();
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
    g_ruleFrame = frame_.get();
    g_boxInsideTheRule = false;
    COrvelFrameWnd::SetMessageBoxHook(RecordBoxAfterRule);
    count->SelectItem(2, false);
    Pump(300);
    COrvelFrameWnd::SetMessageBoxHook(RecordBox);
    EXPECT_FALSE(Find("ServiceHorizontalLayout1")->IsVisible());
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0], LookupText("Notify", "IpNotice"));
    EXPECT_FALSE(g_boxInsideTheRule) << "the box is shown once the rule has run";
}

TEST_F(FrameTest, TheLogMenuSpeaksTheSkinsLanguage) {
    ASSERT_TRUE(Open());
    auto* log = ControlAs<CRichEditUI>(Find("richedit"));
    ASSERT_NE(log, nullptr);
    HMENU menu = log->BuildContextMenu();
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        const int length = GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION);
        if (length > 0) {
            char utf8[512] = {};
            WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof(utf8) - 1, nullptr, nullptr);
            texts.push_back(utf8);
        }
    }
    DestroyMenu(menu);
    const std::vector<std::string> expected = {
        LookupText("LogMenu", "Copy"),    LookupText("LogMenu", "Clear"),
        LookupText("LogMenu", "SelectAll"), LookupText("LogMenu", "SaveLog"),
        LookupText("LogMenu", "TimeStamps"), LookupText("LogMenu", "DataFolder"),
        LookupText("LogMenu", "Diagnostics")};
    EXPECT_EQ(texts, expected);
    for (const std::string& text : expected)
        EXPECT_FALSE(text.empty());
    if (GetLanguageIndex() == 0) {
        EXPECT_EQ(expected[0], "&Copy");
    } else {
        // Read as the GBK file it is, not value by value ("ȫѡ" for "全选").
        EXPECT_EQ(expected[2], "\xE5\x85\xA8\xE9\x80\x89(&A)");
    }
}

TEST_F(FrameTest, TheLogTakesTimeStampsOnRequestAndSavesWithCrLf) {
    ASSERT_TRUE(Open());
    Click("Clear");
    frame_->AppendLog("plain\r\n");
    EXPECT_FALSE(frame_->LogTimeStamps()) << "off by default";
    frame_->SetLogTimeStamps(true);
    frame_->AppendLog("first\r\nsecond ");
    frame_->AppendLog("continued\r\n");
    frame_->SetLogTimeStamps(false);
    const std::string log = Log();
    EXPECT_EQ(log.find("plain"), 0u) << "lines before the switch keep their text";
    // "hh:mm:ss " before each line that began while the stamps were on, once.
    const size_t first = log.find("first");
    ASSERT_NE(first, std::string::npos);
    ASSERT_GE(first, 9u);
    EXPECT_EQ(log[first - 1], ' ');
    EXPECT_EQ(log[first - 4], ':');
    EXPECT_EQ(log[first - 7], ':');
    EXPECT_NE(log.find("second continued"), std::string::npos) << log;
    const std::string path = Scratch("saved.log");
    DeleteFileA(path.c_str());
    ASSERT_TRUE(frame_->SaveLog(path));
    const std::string saved = wintest::ReadFileText(path);
    EXPECT_EQ(saved.find("plain\r\n"), 0u) << saved;
    EXPECT_EQ(saved.find("\r\r"), std::string::npos);
    // Texts from the other threads come in the order they were posted, and a line the window
    // writes itself comes after all of them.
    Click("Clear");
    PostLogText("one ");
    PostLogText("two ");
    PostLogText("three ");
    Pump(20);
    PostLogText("four ");
    frame_->AppendLog("summary");
    EXPECT_EQ(Log(), "one two three four summary");
    // The switch is remembered across starts.
    frame_->SetLogTimeStamps(true);
    Destroy();
    ASSERT_TRUE(Open());
    EXPECT_TRUE(frame_->LogTimeStamps());
    frame_->SetLogTimeStamps(false);
    Destroy();
    ASSERT_TRUE(Open());
    EXPECT_FALSE(frame_->LogTimeStamps());
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
    // A skin without its help text, and none beside the program.
    CPaintManagerUI::SetResourcePath(MakeSkin("skin-nohelp", {"Help.txt"}));
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

// Ports say what they are: the system's name of each, and one another program holds marked
// (played by a port list of the test's own: Wine reports neither); the port, rate and format
// opened last are chosen again at the next start, and a renumbered adapter is found by its name.
std::vector<SerialPortInfo> g_testPorts;
std::vector<SerialPortInfo> TestPorts() {
    return g_testPorts;
}

TEST_F(FrameTest, PortsSayWhatTheyAreAndTheLastPortIsChosenAgain) {
    const std::string com = wintest::Env("ORVEL_COM_PORT", "COM9");
    g_testPorts = {{"COM1", "Communications Port (COM1)", true}, {com, "USB Serial Port (" + com + ")", false}};
    COrvelFrameWnd::SetPortListHook(TestPorts);
    ASSERT_TRUE(Open());
    auto* ports = ControlAs<CComboUI>(Find("SerialPort"));
    ASSERT_NE(ports, nullptr);
    ASSERT_EQ(ports->GetCount(), 3); // and "Network port..."
    EXPECT_EQ(ports->GetItemAt(0)->GetText(),
              "COM1 - Communications Port " + LookupText("ScanSerialPorts", "InUse"));
    EXPECT_EQ(ports->GetItemAt(1)->GetText(), com + " - USB Serial Port");

    // Opened at 9600 baud: remembered in config.ini.
    ports->SelectItem(1, false);
    auto* baud = ControlAs<CComboUI>(Find("BaudRate1"));
    ASSERT_NE(baud, nullptr);
    int rate9600 = -1;
    for (int i = 0; i < baud->GetCount(); ++i)
        if (baud->GetItemAt(i)->GetText() == "9600")
            rate9600 = i;
    ASSERT_GE(rate9600, 0);
    baud->SelectItem(rate9600, false);
    OpenPort();
    Click("Open"); // closed again
    const RememberedPort remembered = LoadRememberedPort();
    EXPECT_EQ(remembered.name, com);
    EXPECT_EQ(remembered.baud, "9600");
    EXPECT_EQ(remembered.description, "USB Serial Port");
    Destroy();

    // The next start: the same port and rate.
    ASSERT_TRUE(Open());
    EXPECT_EQ(PortNameOf(Text("SerialPort")), com);
    EXPECT_EQ(Text("BaudRate1"), "9600");
    Destroy();
    // The adapter comes back as COM23: offered first, by its name.
    g_testPorts = {{"COM1", "Communications Port (COM1)", false}, {"COM23", "USB Serial Port (COM23)", false}};
    ASSERT_TRUE(Open());
    EXPECT_EQ(Text("SerialPort"), "COM23 - USB Serial Port");
    Destroy();
    COrvelFrameWnd::SetPortListHook(nullptr);
    WritePrivateProfileStringA("Port", nullptr, nullptr, GetConfigFile().c_str());
}

} // namespace frametest

namespace frametest {

// "Auto" baud rate: the port listens at each rate for the device's power-up prompt, sending
// nothing, and the rate that hears it is chosen (on a pty every rate hears it: the first tried).
TEST_F(FrameTest, AutoBaudFindsTheRateByThePromptAndSendsOnlyTheKey) {
    RestartSimulator("--prompts 40 --prompt-interval 200");
    ASSERT_TRUE(Open());
    auto* baud = ControlAs<CComboUI>(Find("BaudRate1"));
    ASSERT_NE(baud, nullptr);
    int autoItem = -1;
    for (int i = 0; i < baud->GetCount(); ++i)
        if (baud->GetItemAt(i)->GetUserData() == "auto")
            autoItem = i;
    ASSERT_GE(autoItem, 0);
    baud->SelectItem(autoItem, false);
    const size_t mark = Transcript().size();
    Click("Open");
    EXPECT_TRUE(WaitForLog(LookupText("OnStartCom", "AutoBaud")));
    ASSERT_TRUE(WaitForSettingMode(true)) << Log() << "\nsent: " << Transcript().substr(mark);
    // The prompt may have been answered before the listening turn ends: the rate is named then.
    EXPECT_TRUE(WaitForLog(LookupText("OnStartCom", "AutoBaudFound") + " 115200")) << Log();
    EXPECT_EQ(Text("BaudRate1"), "115200");
    // Only the key that answers the prompt went out.
    const std::string sent = Transcript().substr(mark);
    EXPECT_FALSE(sent.empty());
    EXPECT_EQ(sent.find_first_not_of('s'), std::string::npos) << sent;
    Click("quit");
    WaitForIdle(2000);
    RestartSimulator();
}

} // namespace frametest

// The whole dialogue with the device, end to end: a hidden window standing in for the main
// window routes its messages to a CDeviceLink, which talks through the real serial driver over
// the harness's virtual COM port to dtusim. The simulator's transcript shows exactly what the
// program wrote; the log texts show what the user would read.
#include "exchange/device_link.h"

#include "base/log_post.h"
#include "base/messages.h"
#include "base/settings.h"
#include "support/wintest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

// The main window's part, as far as the dialogue needs it.
struct Window {
    HWND hwnd = nullptr;
    CParameterStore store;
    std::unique_ptr<CDeviceLink> link;
    std::string log;
    std::vector<std::pair<int, int>> controlStates; // (wParam, lParam)
    int listingsShown = 0;
    int fileListings = 0;
    int filesNotRead = 0;
    std::string netMode;
    std::string savedFile;
    std::vector<LinkResult::Answer> answers;

    // What the main window does with a job's answer, as far as the dialogue needs it: the
    // device's listings read into the catalogue.
    void OnLinkResult(const LinkResult& result) {
        switch (result.kind) {
        case LinkResult::Kind::Listing:
            if (store.ParseListing(result.text.data(), result.text.size()))
                ++listingsShown;
            break;
        case LinkResult::Kind::SaveFile:
            savedFile = result.text;
            break;
        case LinkResult::Kind::WriteAnswer:
            answers.push_back(result.answer);
            break;
        case LinkResult::Kind::ListingForFile:
            ++(result.ok && store.ParseListing(result.text.data(), result.text.size())
                   ? fileListings
                   : filesNotRead);
            break;
        case LinkResult::Kind::NetMode:
            netMode = result.text;
            break;
        }
    }
};
Window* g_window = nullptr;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_window && g_window->link) {
        LRESULT result = 0;
        if (g_window->link->HandleMessage(hwnd, msg, wParam, lParam, result))
            return result;
        if (msg == WM_LINK_RESULT) {
            if (lParam && !g_window->link->IsStopping())
                g_window->OnLinkResult(*reinterpret_cast<const LinkResult*>(lParam));
            return 0;
        }
        if (msg == WM_LOG_TEXT) {
            g_window->log.append(reinterpret_cast<const char*>(wParam), size_t(lParam));
            FreeLogText(wParam);
            return 0;
        }
        if (msg == WM_CONTROL_STATE) {
            g_window->controlStates.emplace_back(int(wParam), int(lParam));
            if (lParam == 0) // entering or leaving the setting mode
                g_window->link->SetSettingMode(wParam == 1);
            return 0;
        }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

std::string Scratch(const char* name) {
    return wintest::ScratchDir() + "\\" + name;
}

std::string Transcript() {
    return wintest::ReadFileText(Scratch("transcript"));
}

// Asks the simulator for something (a fault, a baud rate) through its control file.
void Control(const std::string& line) {
    FILE* f = std::fopen(Scratch("control").c_str(), "ab");
    ASSERT_NE(f, nullptr);
    std::fputs((line + "\n").c_str(), f);
    std::fclose(f);
    Sleep(100); // the simulator looks at the file every 20 ms
}

Job MakeJob(int type, const std::string& command) {
    Job job;
    job.type = static_cast<JobType>(type);
    job.command = command;
    return job;
}

Job WriteJob(const std::string& key, const std::string& command, const std::string& value) {
    Job job = MakeJob(JOB_WRITE, command + "=" + value + "\r\n");
    job.key = key;
    job.value = value;
    return job;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

bool LogGrows(const std::string& part, size_t before, int ms = 15000) {
    if (wintest::PumpUntil([&] { return Count(g_window->log, part) > before; }, ms))
        return true;
    // Show what the log did get, so that a failure says what the device answered.
    const std::string& log = g_window->log;
    std::fprintf(stderr, "log tail while waiting for \"%s\":\n%s\n", part.c_str(),
                 log.substr(log.size() > 800 ? log.size() - 800 : 0).c_str());
    const std::string sent = Transcript();
    std::fprintf(stderr, "the device received, last:\n%s\n",
                 sent.substr(sent.size() > 300 ? sent.size() - 300 : 0).c_str());
    return false;
}

std::string Value(const char* key) {
    auto lock = g_window->store.Lock();
    const ParameterEntry* entry = FindParameter(g_window->store.parameters, key);
    return entry ? entry->value : "<absent>";
}

class DeviceDialogue : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Message texts as the English skin has them.
        std::string folder = wintest::ScratchDir() + "\\program\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        CreateDirectoryA((folder + "skin").c_str(), nullptr);
        CreateDirectoryA((folder + "skin\\ConifgENRes").c_str(), nullptr);
        wintest::WriteFileText(folder + "config.ini", "[Set]\r\nLanguage=0\r\n");
        wintest::WriteFileText(folder + "skin\\ConifgENRes\\Language.ini",
                               "[ComSend]\r\nsend=send\r\n"
                               "[WorkerJobThreadProc]\r\nSaveSuccess=Save success\r\n"
                               "SaveError=Save failed\r\nFactorySuccess=Factory reset done\r\n"
                               "FactoryError=Factory reset failed\r\nOutTime=Time out\r\n");
        LoadStartupSettings(folder);
        CSerialPort::SetErrorBoxHook(
            [](const char* text) { std::printf("error box: %s\n", text); });

        g_window = new Window;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "DeviceDialogueWindow";
        RegisterClassA(&wc);
        g_window->hwnd = CreateWindowA("DeviceDialogueWindow", "", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                       100, nullptr, nullptr, wc.hInstance, nullptr);
        SetLogWindow(g_window->hwnd);
        g_window->store.Build(8);
        g_window->link = std::make_unique<CDeviceLink>(g_window->store);
        g_window->link->Start(g_window->hwnd);
    }
    static void TearDownTestSuite() {
        g_window->link->Stop();
        SetLogWindow(nullptr);
        DestroyWindow(g_window->hwnd);
        g_window->link.reset();
        delete g_window;
        g_window = nullptr;
    }

    CDeviceLink& Link() { return *g_window->link; }
    Window& W() { return *g_window; }

    // Runs one job and waits until the worker has taken it and finished (buttons enabled again).
    bool RunJob(const Job& job, int ms = 30000) {
        size_t before = W().controlStates.size();
        Link().PushJob(job);
        // The queue is busy (0, 2) with this job, then idle again (1, 2): an idle report of an
        // earlier job that was still on its way does not count.
        return wintest::PumpUntil(
            [&] {
                bool started = false;
                for (size_t i = before; i < W().controlStates.size(); ++i) {
                    if (W().controlStates[i] == std::make_pair(0, 2))
                        started = true;
                    else if (started && W().controlStates[i] == std::make_pair(1, 2))
                        return true;
                }
                return false;
            },
            ms);
    }
};

TEST_F(DeviceDialogue, EntersTheSettingModeFromTheStartUpPrompt) {
    int port = std::atoi(wintest::Env("ORVEL_COM_PORT", "COM8").c_str() + 3);
    ASSERT_TRUE(Link().OpenDevicePort(LineSettings{port, 115200}));
    EXPECT_EQ(Link().GetTimeoutFactor(), 1);
    ASSERT_TRUE(wintest::PumpUntil([&] { return Link().IsSettingMode(); }, 15000));
    EXPECT_EQ(W().controlStates.front(), std::make_pair(1, 0));
    // The setting-mode key went out, and nothing else.
    std::string sent = Transcript();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.find_first_not_of('s'), std::string::npos) << sent;
    // With no job queued, the buttons are enabled once.
    ASSERT_TRUE(wintest::PumpUntil([&] {
        return !W().controlStates.empty() && W().controlStates.back() == std::make_pair(1, 2);
    }));
    wintest::PumpUntil([] { return false; }, 600);
    EXPECT_EQ(std::count(W().controlStates.begin(), W().controlStates.end(), std::make_pair(1, 2)),
              1);
    // The timer stopped: no more keys.
    size_t keys = Transcript().size();
    wintest::PumpUntil([] { return false; }, 700);
    EXPECT_EQ(Transcript().size(), keys);
}

TEST_F(DeviceDialogue, LoadFillsTheCatalogueWithTheDevicesValues) {
    ASSERT_TRUE(Link().IsSettingMode());
    size_t sentBefore = Transcript().size();
    int shown = W().listingsShown;
    ASSERT_TRUE(RunJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n")));
    EXPECT_EQ(W().listingsShown, shown + 1);
    EXPECT_EQ(Transcript().substr(sentBefore), "AT+SHOW\r\n");
    EXPECT_NE(W().log.find("send:AT+SHOW\r\n"), std::string::npos);
    EXPECT_NE(W().log.find("Access Point Name:CMNET\r\n"), std::string::npos);
    EXPECT_EQ(Value("Access Point Name"), "CMNET");
    EXPECT_EQ(Value("Server's Ip"), "121.40.200.17");
    EXPECT_EQ(Value("Server's Port"), "9000");
    EXPECT_EQ(Value("Device Type"), "DTU-X6");
    EXPECT_EQ(Value("Debugging  port"), "1");
    EXPECT_EQ(Value("Protocolmodel"), "TRNS");
    EXPECT_EQ(Value("Transferprotocol"), "TCP");
    EXPECT_EQ(Value("The PPP authentication"), "PAP");
    EXPECT_EQ(Value("Serial Baudrate"), "115200");
    EXPECT_EQ(Value("CollectCount"), "3");
    auto lock = W().store.Lock();
    EXPECT_EQ(W().store.lists["CustomList"].items["GENSENSORINFO 0:"],
              "1,1,3,0,2,1,1,1,temperature,0");
    EXPECT_TRUE(W().store.presence.serialPort2);
    EXPECT_TRUE(W().store.presence.io[4]);
}

TEST_F(DeviceDialogue, FileJobsHandTheListingToTheirCompletions) {
    // Saving: the whole listing as received, for the window to write.
    W().savedFile.clear();
    int shown = W().listingsShown;
    ASSERT_TRUE(RunJob(MakeJob(JOB_SAVE_FILE, "AT+SHOW\r\n")));
    EXPECT_EQ(W().savedFile.find("Access Point Name:CMNET\r\n") != std::string::npos, true);
    EXPECT_EQ(W().savedFile.substr(W().savedFile.size() - 4), "OK\r\n");
    EXPECT_EQ(W().listingsShown, shown); // a file job never shows values
    // Loading: the device's own listing is parsed, then the differences are asked for once.
    {
        auto lock = W().store.Lock();
        W().store.parameters["Server's Port"].value = "stale";
    }
    const int asked = W().fileListings, notRead = W().filesNotRead;
    ASSERT_TRUE(RunJob(MakeJob(JOB_LOAD_FILE, "AT+SHOW\r\n")));
    EXPECT_EQ(W().fileListings, asked + 1);
    EXPECT_EQ(W().filesNotRead, notRead);
    EXPECT_EQ(Value("Server's Port"), "9000");
    EXPECT_EQ(W().listingsShown, shown);
}

TEST_F(DeviceDialogue, WritesAnsweredOkAreRecordedAndRefusedOnesAreNot) {
    size_t sentBefore = Transcript().size();
    size_t ok = Count(W().log, "Save success\r\n"), refused = Count(W().log, "Save failed\r\n");
    Link().PushJob(WriteJob("Server's Port", "AT+PORT", "9100"));
    Link().PushJob(WriteJob("Server's Ip", "AT+IPAD", "bad address!"));
    ASSERT_TRUE(LogGrows("Save failed\r\n", refused));
    EXPECT_EQ(Count(W().log, "Save success\r\n"), ok + 1);
    EXPECT_EQ(Transcript().substr(sentBefore), "AT+PORT=9100\r\nAT+IPAD=bad address!\r\n");
    EXPECT_EQ(Value("Server's Port"), "9100");
    EXPECT_EQ(Value("Server's Ip"), "121.40.200.17");
    // The device keeps the accepted value: the next listing shows it.
    ASSERT_TRUE(RunJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n")));
    EXPECT_EQ(Value("Server's Port"), "9100");
    // The device takes its own words (a work mode with "/" in it) and refuses a bare item
    // number for a setting it names in words.
    ok = Count(W().log, "Save success\r\n");
    refused = Count(W().log, "Save failed\r\n");
    Link().PushJob(WriteJob("Protocolmodel", "At+PROMODE", "MTCP/MRTU"));
    Link().PushJob(WriteJob("Transferprotocol", "AT+TRNPRO", "1"));
    ASSERT_TRUE(LogGrows("Save failed\r\n", refused));
    EXPECT_EQ(Count(W().log, "Save success\r\n"), ok + 1);
    EXPECT_EQ(Value("Protocolmodel"), "MTCP/MRTU");
    EXPECT_EQ(Value("Transferprotocol"), "TCP");
    // A sensor row is a list item write.
    Job row = WriteJob("CustomList", "AT+GENSENSORINFO", "2,1,5,3,100,2,1,0,2,pressure,0");
    row.kind = EntryKind::List;
    row.item = "GENSENSORINFO 2:";
    row.value = "1,5,3,100,2,1,0,2,pressure,0";
    ok = Count(W().log, "Save success\r\n");
    Link().PushJob(row);
    ASSERT_TRUE(LogGrows("Save success\r\n", ok));
    auto lock = W().store.Lock();
    EXPECT_EQ(W().store.lists["CustomList"].items["GENSENSORINFO 2:"], row.value);
}

TEST_F(DeviceDialogue, FactoryResetIsFollowedByAReRead) {
    size_t sentBefore = Transcript().size();
    int shown = W().listingsShown;
    size_t done = Count(W().log, "Factory reset done\r\n");
    Link().PushJob(MakeJob(JOB_FACTORY, "AT+FACTORY\r\n"));
    ASSERT_TRUE(wintest::PumpUntil([&] { return W().listingsShown > shown; }, 30000));
    EXPECT_EQ(Count(W().log, "Factory reset done\r\n"), done + 1);
    EXPECT_EQ(Transcript().substr(sentBefore), "AT+FACTORY\r\n\r\nAT+SHOW\r\n");
    EXPECT_EQ(Value("Server's Port"), "9000");
}

TEST_F(DeviceDialogue, AFactoryResetAnsweredOkAndABannerIsDoneAndReadOnce) {
    // The device answers "OK" and at once says more (it restarts): the reset is done, and the
    // configuration is read again exactly once, with no time-out.
    Control("fault banner");
    size_t sentBefore = Transcript().size();
    int shown = W().listingsShown;
    size_t done = Count(W().log, "Factory reset done\r\n");
    size_t outs = Count(W().log, "Time out\r\n");
    Link().PushJob(MakeJob(JOB_FACTORY, "AT+FACTORY\r\n"));
    ASSERT_TRUE(wintest::PumpUntil([&] { return W().listingsShown > shown; }, 12000));
    EXPECT_EQ(Count(W().log, "Factory reset done\r\n"), done + 1);
    EXPECT_EQ(Count(W().log, "Time out\r\n"), outs);
    EXPECT_NE(W().log.find("DTU boot v2.3.7 ready"), std::string::npos);
    EXPECT_EQ(Transcript().substr(sentBefore), "AT+FACTORY\r\n\r\nAT+SHOW\r\n");
    EXPECT_EQ(W().listingsShown, shown + 1);
}

TEST_F(DeviceDialogue, ARefusedSignalQueryIsAskedOnceMore) {
    Control("fault csq-error");
    size_t sentBefore = Transcript().size();
    size_t answers = Count(W().log, "+CSQ: 24,99");
    Link().PushJob(MakeJob(JOB_SIGNAL, "At+CSQ\r\n"));
    ASSERT_TRUE(LogGrows("+CSQ: 24,99", answers));
    EXPECT_EQ(Transcript().substr(sentBefore), "At+CSQ\r\nAt+CSQ\r\n");
    EXPECT_NE(W().log.find("ERROR\r\n"), std::string::npos);
}

TEST_F(DeviceDialogue, AnUnansweredCommandTimesOutAndTheNextOneWorks) {
    Control("fault noreply");
    size_t outs = Count(W().log, "Time out\r\n");
    auto start = std::chrono::steady_clock::now();
    Link().PushJob(MakeJob(JOB_VERSION, "At+VER\r\n"));
    ASSERT_TRUE(LogGrows("Time out\r\n", outs, 20000));
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
    EXPECT_GE(waited, 5000); // 5000 ms times the factor 1
    size_t pins = Count(W().log, "+CPIN: READY");
    Link().PushJob(MakeJob(JOB_SIM_PIN, "At+CPIN?\r\n"));
    ASSERT_TRUE(LogGrows("+CPIN: READY", pins));
}

TEST_F(DeviceDialogue, NetworkModeVersionAndLogFile) {
    ASSERT_TRUE(RunJob(MakeJob(JOB_NET_MODE, "AT+FINDNETMODE\r\n")));
    EXPECT_EQ(W().netMode, "LTE");
    size_t versions = Count(W().log, "firmware V2.3.7");
    ASSERT_TRUE(RunJob(MakeJob(JOB_VERSION, "At+VER\r\n")));
    EXPECT_EQ(Count(W().log, "firmware V2.3.7"), versions + 1);
    // The device log file is longer than the reply buffer; it is logged whole as it arrives.
    size_t before = W().log.size();
    ASSERT_TRUE(RunJob(MakeJob(JOB_READ_LOG, "at+READFILELOG\r\n")));
    EXPECT_GT(W().log.size() - before, 30000u);
    EXPECT_EQ(Count(W().log.substr(before), "Time out"), 0u);
}

TEST_F(DeviceDialogue, FaultyRepliesCrashNothing) {
    // Zero bytes and random bytes inside listings, and a flood of more than 16000 bytes before
    // one: each job ends, and after the flood the listing still fills the catalogue.
    for (const char* fault : {"fault zeros", "fault garbage"}) {
        Control(fault);
        ASSERT_TRUE(RunJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n"))) << fault;
    }
    Control("fault flood:30000");
    int shown = W().listingsShown;
    ASSERT_TRUE(RunJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n")));
    EXPECT_EQ(W().listingsShown, shown + 1);
    EXPECT_EQ(Value("Access Point Name"), "CMNET");
    EXPECT_EQ(Value("CollectCount"), "3");
    // A late answer to a timed-out command does not complete the next one.
    Control("fault late:6500");
    size_t outs = Count(W().log, "Time out\r\n");
    Link().PushJob(MakeJob(JOB_SIM_PIN, "At+CPIN?\r\n"));
    ASSERT_TRUE(LogGrows("Time out\r\n", outs, 20000));
    size_t pins = Count(W().log, "+CPIN: READY");
    ASSERT_TRUE(RunJob(MakeJob(JOB_SIM_PIN, "At+CPIN?\r\n")));
    EXPECT_GE(Count(W().log, "+CPIN: READY"), pins + 1);
}

TEST_F(DeviceDialogue, QuitThenLoginThenTheDevicesOwnTimeOut) {
    size_t sentBefore = Transcript().size();
    Link().PushJob(MakeJob(JOB_QUIT, "at+quit\r\n"));
    ASSERT_TRUE(wintest::PumpUntil([&] { return !Link().IsSettingMode(); }, 10000));
    EXPECT_EQ(Transcript().substr(sentBefore), "at+quit\r\n");

    sentBefore = Transcript().size();
    Link().Login();
    ASSERT_TRUE(wintest::PumpUntil([&] { return Link().IsSettingMode(); }, 10000));
    EXPECT_EQ(Transcript().substr(sentBefore), "+++");
    EXPECT_NE(W().log.find("send:+++\r\n"), std::string::npos);

    Control("timeout");
    ASSERT_TRUE(wintest::PumpUntil([&] { return !Link().IsSettingMode(); }, 10000));
    Link().Login();
    ASSERT_TRUE(wintest::PumpUntil([&] { return Link().IsSettingMode(); }, 10000));
}

// The device paced at 9600 baud: the listing takes seconds on the wire and arrives in many
// small pieces, and is still read whole. (The benchmark runner prints the read times.)
TEST_F(DeviceDialogue, AListingIsReadWholeAtALowBaudRate) {
    ASSERT_TRUE(RunJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n")));
    const int whole = Link().Reply().Count();
    Control("baud 9600");
    const int shown = W().listingsShown;
    Link().PushJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n"));
    EXPECT_TRUE(wintest::PumpUntil([&] { return W().listingsShown > shown; }, 30000));
    EXPECT_EQ(Link().Reply().Count(), whole);
    Control("baud 115200");
}

TEST_F(DeviceDialogue, ClosingThePortDiscardsQueuedJobs) {
    Control("fault noreply");
    size_t sentBefore = Transcript().size();
    size_t outs = Count(W().log, "Time out\r\n");
    Link().PushJob(MakeJob(JOB_VERSION, "At+VER\r\n"));
    Link().PushJob(MakeJob(JOB_SIM_PIN, "At+CPIN?\r\n"));
    Link().PushJob(MakeJob(JOB_SIGNAL, "At+CSQ\r\n"));
    ASSERT_TRUE(wintest::PumpUntil([&] { return Transcript().size() > sentBefore; }));
    Link().CloseDevicePort();
    EXPECT_FALSE(Link().Port().IsOpen());
    EXPECT_FALSE(Link().IsSettingMode());
    EXPECT_EQ(Link().Queue().Size(), 0u);
    // The job in flight ends at once, without a time-out line (the port is gone, not the
    // device's answer); nothing queued before the closing is ever sent.
    wintest::PumpUntil([] { return false; }, 1000);
    EXPECT_EQ(Count(W().log, "Time out\r\n"), outs);
    int port = std::atoi(wintest::Env("ORVEL_COM_PORT", "COM8").c_str() + 3);
    ASSERT_TRUE(Link().OpenDevicePort(LineSettings{port, 115200}));
    Control("prompt"); // the device starts up again
    ASSERT_TRUE(wintest::PumpUntil([&] { return Link().IsSettingMode(); }, 15000));
    wintest::PumpUntil([] { return false; }, 600);
    // (The simulator's transcript may still receive the end of the previous test's bytes.)
    std::string sent = Transcript().substr(sentBefore);
    const size_t at = sent.find("At+VER\r\n");
    ASSERT_NE(at, std::string::npos) << sent;
    EXPECT_EQ(sent.find_first_not_of('s', at + 8), std::string::npos) << sent;
}

// Whatever the last opening left in the reply buffer (here the command list that answered the
// setting-mode key) must not count after the port is opened again: a fresh opening awaits the
// device's prompt with an empty buffer, and noise is not the command list.
TEST_F(DeviceDialogue, OpeningThePortAgainStartsWithAnEmptyReplyBuffer) {
    int port = std::atoi(wintest::Env("ORVEL_COM_PORT", "COM8").c_str() + 3);
    Link().CloseDevicePort();
    ASSERT_TRUE(Link().OpenDevicePort(LineSettings{port, 115200}));
    Control("prompt");
    ASSERT_TRUE(wintest::PumpUntil([&] { return Link().IsSettingMode(); }, 15000));
    wintest::PumpUntil([] { return false; }, 300);
    ASSERT_NE(Link().Reply().Reply().find("AT+LIST"), std::string::npos);

    Link().CloseDevicePort();
    ASSERT_TRUE(Link().OpenDevicePort(LineSettings{port, 115200}));
    EXPECT_EQ(Link().Reply().Count(), 0) << Link().Reply().Reply();
    EXPECT_EQ(Link().Reply().JobType(), JOB_SETTING_PROMPT);
    const ReplyActions noise = Link().Reply().OnData("hello", 5);
    EXPECT_TRUE(noise.controlStates.empty());
    EXPECT_FALSE(Link().IsSettingMode());
    // Back into the setting mode for the tests that follow.
    Control("prompt");
    ASSERT_TRUE(wintest::PumpUntil([&] { return Link().IsSettingMode(); }, 15000));
    wintest::PumpUntil([] { return false; }, 600);
}

TEST_F(DeviceDialogue, TimeOutFactorFollowsTheBaudRate) {
    EXPECT_EQ(TimeoutFactorForBaud(115200), 1);
    EXPECT_EQ(TimeoutFactorForBaud(9600), 1);
    EXPECT_EQ(TimeoutFactorForBaud(4800), 2);
    EXPECT_EQ(TimeoutFactorForBaud(2400), 4);
    EXPECT_EQ(TimeoutFactorForBaud(1200), 8);
    EXPECT_EQ(TimeoutFactorForBaud(0), 1);
    EXPECT_EQ(TimeoutFactorForBaud(-5), 1);
    // Each opening computes it afresh: reopening at a low rate does not multiply it again.
    EXPECT_FALSE(Link().OpenDevicePort(LineSettings{Link().Port().GetPortNumber(), 0}));
    EXPECT_TRUE(Link().Port().IsOpen()); // a refused rate leaves the open port alone
}

TEST_F(DeviceDialogue, NetworkModeValues) {
    std::string mode;
    EXPECT_TRUE(CDeviceLink::ExtractNetMode("\r\n+FINDNETMODE:LTE\r\nOK\r\n", mode));
    EXPECT_EQ(mode, "LTE");
    EXPECT_FALSE(CDeviceLink::ExtractNetMode("\r\n+FINDNETMODE:LTE", mode));
    EXPECT_FALSE(
        CDeviceLink::ExtractNetMode("+FINDNETMODE:" + std::string(90, 'x') + "\r\n", mode));
    EXPECT_TRUE(
        CDeviceLink::ExtractNetMode("+FINDNETMODE:" + std::string(50, 'y') + "\r\nOK", mode));
    EXPECT_EQ(mode, std::string(39, 'y'));
}

TEST_F(DeviceDialogue, ShutDownCutsAPendingReplyWaitShort) {
    Control("fault noreply");
    Link().PushJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n"));
    wintest::PumpUntil([] { return false; }, 800); // the worker now waits up to 24 s
    auto start = std::chrono::steady_clock::now();
    Link().Stop();
    auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start)
                    .count();
    EXPECT_FALSE(Link().IsWorkerRunning());
    EXPECT_FALSE(Link().Port().IsOpen());
    std::printf("shut-down during a reply wait took %lld ms\n", static_cast<long long>(took));
    // Restart: the link works again after a stop.
    ASSERT_TRUE(Link().Start(W().hwnd));

    // The worker takes a job and sends the window its busy state while the window thread is
    // busy elsewhere: the shut-down begins while that send is pending, and still ends.
    Link().PushJob(MakeJob(JOB_VERSION, "At+VER\r\n"));
    Sleep(600);
    Link().Stop();
    EXPECT_FALSE(Link().IsWorkerRunning());
}

} // namespace

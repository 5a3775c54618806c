// The device engine end to end: CDeviceLink over the real serial line (a pty) to the simulated
// device. The simulator's transcript shows exactly what the engine wrote; the log texts show what
// a user would read; a subscriber records what the engine reported, as a window would.
#include "exchange/device_link.h"

#include "base/messages.h"
#include "params/parameter_store.h"
#include "tests/support/device_sim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using testsupport::MakeDir;
using testsupport::Simulator;

bool PumpUntil(const std::function<bool()>& done, int ms = 15000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// What a window does with the engine's reports, as far as the dialogue needs it: the listings
// read into a catalogue, acknowledged writes recorded there, the rest counted.
class Subscriber : public ILinkListener {
public:
    CParameterStore store;

    Subscriber() { store.Build(8); }

    void OnLinkResult(const LinkResult& result) override {
        std::lock_guard<std::mutex> guard(lock_);
        results_.push_back(result);
        logAtResults_.push_back(log_);
        switch (result.kind) {
        case LinkResult::Kind::Listing:
            if (result.ok && store.ParseListing(result.text.data(), result.text.size()))
                ++listingsShown_;
            break;
        case LinkResult::Kind::SaveFile:
            savedFile_ = result.text;
            break;
        case LinkResult::Kind::WriteAnswer:
            answers_.push_back(result.answer);
            if (result.answer == LinkResult::Answer::Acknowledged)
                store.RecordWrittenValue(result.job.key, result.job.value, result.job.kind,
                                         result.job.item);
            break;
        case LinkResult::Kind::ListingForFile:
            ++(result.ok && store.ParseListing(result.text.data(), result.text.size())
                   ? fileListings_
                   : filesNotRead_);
            break;
        case LinkResult::Kind::NetMode:
            if (result.ok)
                netMode_ = result.text;
            break;
        default:
            break;
        }
    }
    void OnControlState(bool on, int group, bool fromWorker) override {
        if (fromWorker) {
            // A window busy elsewhere: the worker waits here until the window is free again.
            while (busy_)
                Pause(5);
        }
        std::lock_guard<std::mutex> guard(lock_);
        controlStates_.emplace_back(on ? 1 : 0, group);
    }
    void OnLinkLog(const std::string& text) override {
        if (slowLog_)
            Pause(30); // a subscriber slow to take its log texts
        std::lock_guard<std::mutex> guard(lock_);
        log_ += text;
    }
    void OnPortGone(const std::string& why) override {
        std::lock_guard<std::mutex> guard(lock_);
        gone_.push_back(why);
    }

    std::string Log() const { return Locked(log_); }
    std::vector<std::pair<int, int>> ControlStates() const { return Locked(controlStates_); }
    int ListingsShown() const { return Locked(listingsShown_); }
    int FileListings() const { return Locked(fileListings_); }
    int FilesNotRead() const { return Locked(filesNotRead_); }
    std::string SavedFile() const { return Locked(savedFile_); }
    std::string NetMode() const { return Locked(netMode_); }
    std::vector<LinkResult> Results() const { return Locked(results_); }
    // The log as it stood when each result arrived.
    std::vector<std::string> LogAtResults() const { return Locked(logAtResults_); }
    std::vector<std::string> Gone() const { return Locked(gone_); }
    std::string Value(const char* key) {
        const ParameterEntry* entry = FindParameter(store.parameters, key);
        return entry ? entry->value : "<absent>";
    }
    std::atomic<bool> busy_{false};
    std::atomic<bool> slowLog_{false};

private:
    template <typename T> T Locked(const T& value) const {
        std::lock_guard<std::mutex> guard(lock_);
        return value;
    }
    mutable std::mutex lock_;
    std::string log_;
    std::vector<std::pair<int, int>> controlStates_;
    std::vector<LinkResult> results_;
    std::vector<std::string> logAtResults_;
    std::vector<LinkResult::Answer> answers_;
    std::vector<std::string> gone_;
    int listingsShown_ = 0, fileListings_ = 0, filesNotRead_ = 0;
    std::string savedFile_, netMode_;
};

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

SerialLineSettings At(const std::string& port, int baud = 115200) {
    SerialLineSettings settings;
    settings.port = port;
    settings.baudRate = baud;
    return settings;
}

// One engine and its device, in the setting mode once SetUp has run.
struct Bench {
    std::string dir = MakeDir();
    Simulator sim;
    Subscriber listener;
    CDeviceLink link{listener};

    explicit Bench(const std::string& prompts = "--prompts 60")
        : sim(dir, prompts + " --prompt-interval 200 --idle-timeout 0 --seed 7") {
        link.Start();
    }
    ~Bench() { link.Stop(); }

    std::string Transcript() const { return sim.Transcript(); }
    void Control(const std::string& line) {
        sim.Control(line);
        Pause(100); // the simulator looks at the file every 20 ms
    }
    bool Open() { return link.OpenDevicePort(At(sim.Port())); }
    bool LogGrows(const std::string& part, size_t before, int ms = 15000) {
        if (PumpUntil([&] { return Count(listener.Log(), part) > before; }, ms))
            return true;
        const std::string log = listener.Log();
        std::fprintf(stderr, "log tail while waiting for \"%s\":\n%s\n", part.c_str(),
                     log.substr(log.size() > 800 ? log.size() - 800 : 0).c_str());
        return false;
    }
    // Runs one job and waits until it has ended.
    bool RunJob(const Job& job, int ms = 30000) {
        const size_t before = listener.Results().size();
        link.PushJob(job);
        return PumpUntil([&] { return listener.Results().size() > before; }, ms);
    }
};

class DeviceDialogue : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        bench_ = new Bench;
        ASSERT_TRUE(bench_->Open()) << bench_->link.LastOpenError();
        ASSERT_TRUE(PumpUntil([] { return bench_->link.IsSettingMode(); }));
    }
    static void TearDownTestSuite() {
        delete bench_;
        bench_ = nullptr;
    }
    CDeviceLink& Link() { return bench_->link; }
    Subscriber& W() { return bench_->listener; }
    Bench& B() { return *bench_; }
    static Bench* bench_;
};
Bench* DeviceDialogue::bench_ = nullptr;

TEST(DeviceEngine, EntersTheSettingModeFromTheStartUpPromptSendingOnlyTheKey) {
    Bench b;
    ASSERT_TRUE(b.Open()) << b.link.LastOpenError();
    EXPECT_EQ(b.link.GetTimeoutFactor(), 1);
    ASSERT_TRUE(PumpUntil([&] { return b.link.IsSettingMode(); }));
    EXPECT_EQ(b.listener.ControlStates().front(), std::make_pair(1, int(STATE_SETTING_MODE)));
    std::string sent = b.Transcript();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.find_first_not_of('s'), std::string::npos) << sent;
    // With no job queued, the buttons are enabled once; the timer stopped: no more keys.
    ASSERT_TRUE(PumpUntil([&] {
        const auto states = b.listener.ControlStates();
        return !states.empty() && states.back() == std::make_pair(1, int(STATE_QUEUE));
    }));
    Pause(600);
    const auto states = b.listener.ControlStates();
    EXPECT_EQ(std::count(states.begin(), states.end(), std::make_pair(1, int(STATE_QUEUE))), 1);
    const size_t keys = b.Transcript().size();
    Pause(700);
    EXPECT_EQ(b.Transcript().size(), keys);
}

TEST(DeviceEngine, ListeningSendsNothingUntilThePromptThenAnswersIt) {
    Bench b("--prompts 0"); // a device not powered yet
    ASSERT_TRUE(b.link.OpenDevicePortListening(At(b.sim.Port())));
    Pause(800);
    EXPECT_EQ(b.Transcript(), "");
    EXPECT_FALSE(b.link.PromptSeen());
    b.Control("prompt");
    ASSERT_TRUE(PumpUntil([&] { return b.link.IsSettingMode(); }));
    EXPECT_EQ(b.Transcript().find_first_not_of('s'), std::string::npos);
}

// Two engines on two ports at once, each with its own device: each device gets its own
// commands and nothing else, and each engine reads its own device's values.
TEST(DeviceEngine, TwoEnginesOnTwoPortsAtOnceCrossNothing) {
    Bench a, b;
    ASSERT_TRUE(a.Open());
    ASSERT_TRUE(b.Open());
    ASSERT_TRUE(PumpUntil([&] { return a.link.IsSettingMode() && b.link.IsSettingMode(); }));
    const size_t sentA = a.Transcript().size(), sentB = b.Transcript().size();
    for (int i = 0; i < 3; ++i) {
        a.link.PushJob(WriteJob("Server's Port", "AT+PORT", std::to_string(9100 + i)));
        b.link.PushJob(WriteJob("Server's Port", "AT+PORT", std::to_string(9200 + i)));
    }
    a.link.PushJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n"));
    b.link.PushJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n"));
    ASSERT_TRUE(PumpUntil([&] {
        return a.listener.ListingsShown() == 1 && b.listener.ListingsShown() == 1;
    }, 30000));
    EXPECT_EQ(a.Transcript().substr(sentA),
              "AT+PORT=9100\r\nAT+PORT=9101\r\nAT+PORT=9102\r\nAT+SHOW\r\n");
    EXPECT_EQ(b.Transcript().substr(sentB),
              "AT+PORT=9200\r\nAT+PORT=9201\r\nAT+PORT=9202\r\nAT+SHOW\r\n");
    EXPECT_EQ(a.listener.Value("Server's Port"), "9102");
    EXPECT_EQ(b.listener.Value("Server's Port"), "9202");
}

// The device's port vanishes while a listing is awaited: the subscriber hears so at once (not
// after the 24 s wait), and closing the port then ends the job without a time-out line.
TEST(DeviceEngine, APortThatVanishesMidJobIsReportedAtOnce) {
    Bench b;
    ASSERT_TRUE(b.Open());
    ASSERT_TRUE(PumpUntil([&] { return b.link.IsSettingMode(); }));
    b.Control("fault noreply");
    b.link.PushJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n"));
    ASSERT_TRUE(PumpUntil([&] { return b.Transcript().find("AT+SHOW") != std::string::npos; }));
    const auto start = std::chrono::steady_clock::now();
    b.sim.Kill();
    ASSERT_TRUE(PumpUntil([&] { return !b.listener.Gone().empty(); }, 5000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(b.listener.Gone().size(), 1u);
    b.link.CloseDevicePort();
    EXPECT_FALSE(b.link.IsOpen());
    Pause(300);
    EXPECT_EQ(Count(b.listener.Log(), "Time out"), 0u);
}

// A job the device never answers ends after its wait with a time-out line and a failed
// result; the next job is answered normally.
TEST(DeviceEngine, AJobThatTimesOutFailsAndTheNextOneWorks) {
    Bench b;
    ASSERT_TRUE(b.Open());
    ASSERT_TRUE(PumpUntil([&] { return b.link.IsSettingMode(); }));
    b.Control("fault noreply");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(b.RunJob(MakeJob(JOB_VERSION, "At+VER\r\n"), 20000));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(5000));
    const LinkResult timedOut = b.listener.Results().back();
    EXPECT_FALSE(timedOut.ok);
    EXPECT_FALSE(timedOut.replied);
    EXPECT_EQ(timedOut.why, "no answer from the device in time");
    EXPECT_EQ(Count(b.listener.Log(), "Time out\r\n"), 1u);
    ASSERT_TRUE(b.RunJob(MakeJob(JOB_SIM_PIN, "At+CPIN?\r\n")));
    EXPECT_TRUE(b.listener.Results().back().replied);
    EXPECT_NE(b.listener.Results().back().reply.find("+CPIN: READY"), std::string::npos);
}

TEST_F(DeviceDialogue, LoadFillsTheCatalogueWithTheDevicesValues) {
    ASSERT_TRUE(Link().IsSettingMode());
    size_t sentBefore = B().Transcript().size();
    int shown = W().ListingsShown();
    ASSERT_TRUE(B().RunJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n")));
    EXPECT_EQ(W().ListingsShown(), shown + 1);
    EXPECT_EQ(B().Transcript().substr(sentBefore), "AT+SHOW\r\n");
    EXPECT_NE(W().Log().find("send:AT+SHOW\r\n"), std::string::npos);
    EXPECT_NE(W().Log().find("Access Point Name:CMNET\r\n"), std::string::npos);
    EXPECT_EQ(W().Value("Access Point Name"), "CMNET");
    EXPECT_EQ(W().Value("Server's Ip"), "121.40.200.17");
    EXPECT_EQ(W().Value("Server's Port"), "9000");
    EXPECT_EQ(W().Value("Device Type"), "DTU-X6");
    EXPECT_EQ(W().Value("Protocolmodel"), "TRNS");
    EXPECT_EQ(W().Value("CollectCount"), "3");
    EXPECT_EQ(W().store.lists["CustomList"].items["GENSENSORINFO 0:"],
              "1,1,3,0,2,1,1,1,temperature,0");
    EXPECT_TRUE(W().store.presence.serialPort2);
    EXPECT_TRUE(W().store.presence.io[4]);
}

// A window writes its summary of a job when the result comes: the text that completed the
// reply must be in the log already, or the summary lands inside the listing.
TEST_F(DeviceDialogue, AResultComesAfterTheLogOfEveryByteThatArrivedBeforeIt) {
    const size_t first = W().Results().size();
    W().slowLog_ = true;
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(B().RunJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n")));
    W().slowLog_ = false;
    const std::vector<LinkResult> results = W().Results();
    const std::vector<std::string> logs = W().LogAtResults();
    int listings = 0;
    for (size_t i = first; i < results.size(); ++i) {
        if (results[i].kind != LinkResult::Kind::Listing || !results[i].replied)
            continue;
        ++listings;
        std::string tail = results[i].reply.substr(results[i].reply.size() - 40);
        tail.erase(0, tail.find('\n') + 1); // a whole line, as the log shows it
        // Only the text logged since the previous result: every listing is the same.
        const std::string since = logs[i].substr(i > 0 ? logs[i - 1].size() : 0);
        EXPECT_NE(since.find(tail), std::string::npos)
            << "the result came before its own text:\n" << tail;
    }
    EXPECT_EQ(listings, 6);
}

TEST_F(DeviceDialogue, FileJobsHandTheListingToTheirSubscriber) {
    int shown = W().ListingsShown();
    ASSERT_TRUE(B().RunJob(MakeJob(JOB_SAVE_FILE, "AT+SHOW\r\n")));
    const std::string saved = W().SavedFile();
    EXPECT_NE(saved.find("Access Point Name:CMNET\r\n"), std::string::npos);
    EXPECT_EQ(saved.substr(saved.size() - 4), "OK\r\n");
    EXPECT_EQ(W().ListingsShown(), shown); // a file job never shows values
    {
        W().store.parameters["Server's Port"].value = "stale";
    }
    const int asked = W().FileListings(), notRead = W().FilesNotRead();
    ASSERT_TRUE(B().RunJob(MakeJob(JOB_LOAD_FILE, "AT+SHOW\r\n")));
    EXPECT_EQ(W().FileListings(), asked + 1);
    EXPECT_EQ(W().FilesNotRead(), notRead);
    EXPECT_EQ(W().Value("Server's Port"), "9000");
}

TEST_F(DeviceDialogue, WritesAnsweredOkAreRecordedByTheSubscriberAndRefusedOnesAreNot) {
    size_t sentBefore = B().Transcript().size();
    const std::string log = W().Log();
    size_t ok = Count(log, "Save success\r\n"), refused = Count(log, "Save failed\r\n");
    Link().PushJob(WriteJob("Server's Port", "AT+PORT", "9100"));
    Job bad = WriteJob("Server's Ip", "AT+IPAD", "bad address!");
    bad.label = "Server address";
    Link().PushJob(bad);
    ASSERT_TRUE(B().LogGrows("Save failed", refused));
    EXPECT_EQ(Count(W().Log(), "Save success\r\n"), ok + 1);
    EXPECT_NE(W().Log().find("Save failed Server address = \"bad address!\"\r\n"),
              std::string::npos);
    EXPECT_EQ(B().Transcript().substr(sentBefore), "AT+PORT=9100\r\nAT+IPAD=bad address!\r\n");
    EXPECT_EQ(W().Value("Server's Port"), "9100");
    EXPECT_EQ(W().Value("Server's Ip"), "121.40.200.17");
    const LinkResult refusal = W().Results().back();
    EXPECT_EQ(refusal.answer, LinkResult::Answer::Refused);
    EXPECT_TRUE(refusal.replied);
    // A sensor row is a list item write.
    Job row = WriteJob("CustomList", "AT+GENSENSORINFO", "2,1,5,3,100,2,1,0,2,pressure,0");
    row.kind = EntryKind::List;
    row.item = "GENSENSORINFO 2:";
    row.value = "1,5,3,100,2,1,0,2,pressure,0";
    ASSERT_TRUE(B().RunJob(row));
    EXPECT_EQ(W().store.lists["CustomList"].items["GENSENSORINFO 2:"], row.value);
}

TEST_F(DeviceDialogue, FactoryResetIsFollowedByAReReadOnceEvenWithABanner) {
    for (const char* fault : {"", "fault banner"}) {
        if (*fault)
            B().Control(fault);
        size_t sentBefore = B().Transcript().size();
        int shown = W().ListingsShown();
        size_t done = Count(W().Log(), "Factory reset done\r\n");
        size_t outs = Count(W().Log(), "Time out\r\n");
        Link().PushJob(MakeJob(JOB_FACTORY, "AT+FACTORY\r\n"));
        ASSERT_TRUE(PumpUntil([&] { return W().ListingsShown() > shown; }, 30000)) << fault;
        Pause(300);
        EXPECT_EQ(Count(W().Log(), "Factory reset done\r\n"), done + 1);
        EXPECT_EQ(Count(W().Log(), "Time out\r\n"), outs);
        EXPECT_EQ(B().Transcript().substr(sentBefore), "AT+FACTORY\r\n\r\nAT+SHOW\r\n");
        EXPECT_EQ(W().ListingsShown(), shown + 1);
    }
}

TEST_F(DeviceDialogue, ARefusedSignalQueryIsAskedOnceMore) {
    B().Control("fault csq-error");
    size_t sentBefore = B().Transcript().size();
    size_t answers = Count(W().Log(), "+CSQ: 24,99");
    Link().PushJob(MakeJob(JOB_SIGNAL, "At+CSQ\r\n"));
    ASSERT_TRUE(B().LogGrows("+CSQ: 24,99", answers));
    EXPECT_EQ(B().Transcript().substr(sentBefore), "At+CSQ\r\nAt+CSQ\r\n");
}

TEST_F(DeviceDialogue, NetworkModeVersionAndLogFile) {
    ASSERT_TRUE(B().RunJob(MakeJob(JOB_NET_MODE, "AT+FINDNETMODE\r\n")));
    EXPECT_EQ(W().NetMode(), "LTE");
    size_t versions = Count(W().Log(), "firmware V2.3.7");
    ASSERT_TRUE(B().RunJob(MakeJob(JOB_VERSION, "At+VER\r\n")));
    EXPECT_EQ(Count(W().Log(), "firmware V2.3.7"), versions + 1);
    // The device log file is longer than the reply buffer; it is logged whole as it arrives.
    size_t before = W().Log().size();
    ASSERT_TRUE(B().RunJob(MakeJob(JOB_READ_LOG, "at+READFILELOG\r\n")));
    EXPECT_GT(W().Log().size() - before, 30000u);
    EXPECT_EQ(Count(W().Log().substr(before), "Time out"), 0u);
}

TEST_F(DeviceDialogue, FaultyRepliesCrashNothingAndALateAnswerCompletesNothing) {
    for (const char* fault : {"fault zeros", "fault garbage"}) {
        B().Control(fault);
        ASSERT_TRUE(B().RunJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n"))) << fault;
    }
    B().Control("fault flood:30000");
    int shown = W().ListingsShown();
    ASSERT_TRUE(B().RunJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n")));
    EXPECT_EQ(W().ListingsShown(), shown + 1);
    EXPECT_EQ(W().Value("Access Point Name"), "CMNET");
    B().Control("fault late:6500");
    size_t outs = Count(W().Log(), "Time out\r\n");
    Link().PushJob(MakeJob(JOB_SIM_PIN, "At+CPIN?\r\n"));
    ASSERT_TRUE(B().LogGrows("Time out\r\n", outs, 20000));
    size_t pins = Count(W().Log(), "+CPIN: READY");
    ASSERT_TRUE(B().RunJob(MakeJob(JOB_SIM_PIN, "At+CPIN?\r\n")));
    EXPECT_GE(Count(W().Log(), "+CPIN: READY"), pins + 1);
}

TEST_F(DeviceDialogue, QuitThenLoginThenTheDevicesOwnTimeOut) {
    size_t sentBefore = B().Transcript().size();
    Link().PushJob(MakeJob(JOB_QUIT, "at+quit\r\n"));
    ASSERT_TRUE(PumpUntil([&] { return !Link().IsSettingMode(); }, 10000));
    EXPECT_EQ(B().Transcript().substr(sentBefore), "at+quit\r\n");
    sentBefore = B().Transcript().size();
    Link().Login();
    ASSERT_TRUE(PumpUntil([&] { return Link().IsSettingMode(); }, 10000));
    EXPECT_EQ(B().Transcript().substr(sentBefore), "+++");
    EXPECT_NE(W().Log().find("send:+++\r\n"), std::string::npos);
    B().Control("timeout");
    ASSERT_TRUE(PumpUntil([&] { return !Link().IsSettingMode(); }, 10000));
    Link().Login();
    ASSERT_TRUE(PumpUntil([&] { return Link().IsSettingMode(); }, 10000));
}

// The device paced at 9600 baud: the listing arrives in many small pieces and is read whole.
TEST_F(DeviceDialogue, AListingIsReadWholeAtALowBaudRate) {
    ASSERT_TRUE(B().RunJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n")));
    const int whole = Link().Reply().Count();
    B().Control("baud 9600");
    const int shown = W().ListingsShown();
    Link().PushJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n"));
    EXPECT_TRUE(PumpUntil([&] { return W().ListingsShown() > shown; }, 30000));
    EXPECT_EQ(Link().Reply().Count(), whole);
    B().Control("baud 115200");
}

TEST_F(DeviceDialogue, ClosingThePortDiscardsQueuedJobsAndReopeningStartsAfresh) {
    B().Control("fault noreply");
    size_t sentBefore = B().Transcript().size();
    size_t outs = Count(W().Log(), "Time out\r\n");
    Link().PushJob(MakeJob(JOB_VERSION, "At+VER\r\n"));
    Link().PushJob(MakeJob(JOB_SIM_PIN, "At+CPIN?\r\n"));
    Link().PushJob(MakeJob(JOB_SIGNAL, "At+CSQ\r\n"));
    ASSERT_TRUE(PumpUntil([&] { return B().Transcript().size() > sentBefore; }));
    Link().CloseDevicePort();
    EXPECT_FALSE(Link().IsOpen());
    EXPECT_FALSE(Link().IsSettingMode());
    EXPECT_EQ(Link().Queue().Size(), 0u);
    Pause(1000);
    EXPECT_EQ(Count(W().Log(), "Time out\r\n"), outs);
    ASSERT_TRUE(B().Open());
    EXPECT_EQ(Link().Reply().Count(), 0);
    EXPECT_EQ(Link().Reply().JobType(), JOB_SETTING_PROMPT);
    B().Control("prompt"); // the device starts up again
    ASSERT_TRUE(PumpUntil([&] { return Link().IsSettingMode(); }));
    Pause(600);
    std::string sent = B().Transcript().substr(sentBefore);
    const size_t at = sent.find("At+VER\r\n");
    ASSERT_NE(at, std::string::npos) << sent;
    EXPECT_EQ(sent.find_first_not_of('s', at + 8), std::string::npos) << sent;
    // A refused rate leaves the open port alone.
    EXPECT_FALSE(Link().OpenDevicePort(At(B().sim.Port(), 0)));
    EXPECT_TRUE(Link().IsOpen());
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
    EXPECT_EQ(TimeoutFactorForBaud(4800), 2);
    EXPECT_EQ(TimeoutFactorForBaud(-5), 1);
}

TEST_F(DeviceDialogue, ShutDownCutsAPendingReplyWaitShortAndABusySubscriberDoesNotHangIt) {
    B().Control("fault noreply");
    Link().PushJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n"));
    Pause(800); // the worker now waits up to 24 s
    auto start = std::chrono::steady_clock::now();
    Link().Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(Link().IsWorkerRunning());
    EXPECT_FALSE(Link().IsOpen());
    ASSERT_TRUE(Link().Start());

    // The worker takes a job and reports its busy state while the subscriber is busy: the
    // shut-down's own waiting work frees it, and the shut-down ends.
    ASSERT_TRUE(B().Open());
    W().busy_ = true;
    Link().PushJob(MakeJob(JOB_VERSION, "At+VER\r\n"));
    Pause(300);
    Link().Stop([&] { W().busy_ = false; });
    EXPECT_FALSE(Link().IsWorkerRunning());
}

} // namespace

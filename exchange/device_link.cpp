#include "exchange/device_link.h"

#include "base/messages.h"

#include <algorithm>
#include <cstring>

namespace {

// The reader's longest wait for bytes: how soon it sees a stop or a prompt tick due.
constexpr int kReadSliceMs = 20;

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

LinkResult MakeResult(const Job& job, bool ok, std::string text = std::string()) {
    LinkResult result;
    result.kind = ResultKindOf(job.type);
    result.ok = ok;
    result.text = std::move(text);
    result.job = job;
    return result;
}

} // namespace

LinkResult::Kind ResultKindOf(JobType type) {
    switch (type) {
    case JOB_LOAD:
        return LinkResult::Kind::Listing;
    case JOB_VERIFY:
        return LinkResult::Kind::Verify;
    case JOB_SAVE_FILE:
        return LinkResult::Kind::SaveFile;
    case JOB_LOAD_FILE:
        return LinkResult::Kind::ListingForFile;
    case JOB_NET_MODE:
        return LinkResult::Kind::NetMode;
    case JOB_WRITE:
        return LinkResult::Kind::WriteAnswer;
    default:
        return LinkResult::Kind::Other;
    }
}

CDeviceLink::CDeviceLink(ILinkListener& listener, TextLookup texts, LineMaker makeLine)
    : listener_(listener), texts_(std::move(texts)), makeLine_(std::move(makeLine)) {
    // The device's reply reaches the log before the signal that lets the worker log the outcome.
    reply_.SetLogHook([this](const std::string& text) { Log(text); });
}

CDeviceLink::~CDeviceLink() {
    Stop();
}

std::string CDeviceLink::Text(const char* section, const char* key, const char* fallback,
                              const char* suffix) const {
    return (texts_ ? texts_(section, key, fallback) : std::string(fallback)) + suffix;
}

void CDeviceLink::Log(const std::string& text) {
    if (!text.empty())
        listener_.OnLinkLog(text);
}

namespace {

std::atomic<bool> g_faultWorkers{false};

// A fault on purpose, a function of its own so that a crash report names it.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
void WorkerFaultOnPurpose() {
    // Neither the address nor the write is known to the compiler, so neither is dropped.
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

} // namespace

void CDeviceLink::FaultWorkersOnPurpose() {
    g_faultWorkers = true;
}

bool CDeviceLink::Start() {
    if (worker_.joinable())
        return true;
    stopping_ = false;
    try {
        worker_ = std::thread(&CDeviceLink::WorkerThread, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CDeviceLink::Stop(const std::function<void()>& whileWaiting) {
    stopping_ = true;
    {
        std::lock_guard<std::mutex> guard(wakeLock_);
        jobSignal_ = true;
    }
    wake_.notify_all();
    reply_.CancelWait();
    if (worker_.joinable()) {
        // The worker may be waiting for its owner to take a result: the owner's waiting work
        // runs until the worker has seen the stop.
        std::atomic<bool> ended{false};
        std::thread watcher([&] {
            worker_.join();
            ended = true;
        });
        while (!ended) {
            if (whileWaiting)
                whileWaiting();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        watcher.join();
    }
    CloseDevicePort();
}

bool CDeviceLink::IsOpen() const {
    ISerialLine* line = line_;
    return line != nullptr && line->IsOpen();
}

bool CDeviceLink::OpenLine(const SerialLineSettings& line) {
    lastOpenError_.clear();
    if (line.baudRate <= 0) {
        lastOpenError_ = "the baud rate is not a positive number";
        return false;
    }
    CloseDevicePort();
    // A new opening starts with an empty reply buffer: nothing of the last one can count.
    reply_.Reset(JOB_SETTING_PROMPT);
    // Computed afresh from this opening's rate: a factor carried over from an earlier opening
    // would multiply again at every reopening.
    SetTimeoutFactor(TimeoutFactorForBaud(line.baudRate));
    SetExtraWaitMs(PortLatencyMs(line.port));
    if (!ownLine_)
        ownLine_ = makeLine_();
    std::string why;
    {
        std::lock_guard<std::mutex> guard(writeLock_);
        if (!ownLine_ || !ownLine_->Open(line, why)) {
            lastOpenError_ = why.empty() ? std::string("the port could not be opened") : why;
            return false;
        }
        line_ = ownLine_.get();
        sentBefore_ = false;
    }
    portName_ = line.port;
    promptSeen_ = false;
    answerPrompts_ = true;
    StartReader();
    return true;
}

bool CDeviceLink::OpenDevicePort(const SerialLineSettings& line) {
    if (!OpenLine(line))
        return false;
    StartPromptTimer(kPromptTimerOpenMs);
    return true;
}

bool CDeviceLink::OpenDevicePortListening(const SerialLineSettings& line) {
    return OpenLine(line);
}

bool CDeviceLink::AttachLine(ISerialLine& line, int baudRate, bool answerPrompts) {
    CloseDevicePort();
    lastOpenError_.clear();
    if (!line.IsOpen()) {
        lastOpenError_ = "the port is not open";
        return false;
    }
    reply_.Reset(JOB_SETTING_PROMPT);
    SetTimeoutFactor(TimeoutFactorForBaud(baudRate));
    {
        std::lock_guard<std::mutex> guard(writeLock_);
        line_ = &line;
        sentBefore_ = false;
    }
    promptSeen_ = false;
    answerPrompts_ = answerPrompts;
    StartReader();
    return true;
}

void CDeviceLink::CloseDevicePort() {
    StopReader();
    {
        std::lock_guard<std::mutex> guard(writeLock_);
        if (line_ == ownLine_.get() && ownLine_)
            ownLine_->Close();
        line_ = nullptr;
    }
    queue_.ClearJobs();
    // A job waiting for its reply ends now, without a time-out line: the port is gone.
    reply_.AbandonWait();
    StopPromptTimer();
    settingMode_ = false;
    promptSeen_ = false;
}

void CDeviceLink::StartReader() {
    StopReader();
    readerStop_ = false;
    reader_ = std::thread([this] { RunReader(); });
}

void CDeviceLink::StopReader() {
    readerStop_ = true;
    if (reader_.joinable() && reader_.get_id() != std::this_thread::get_id())
        reader_.join();
}

void CDeviceLink::RunReader() {
    bool gone = false;
    while (!readerStop_) {
        if (gone) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kReadSliceMs));
            continue;
        }
        int wait = kReadSliceMs;
        if (promptTimerWanted_)
            wait = static_cast<int>(std::clamp<long long>(nextTickMs_ - NowMs(), 0, kReadSliceMs));
        std::string why;
        const std::string bytes = line_.load()->Read(wait, why);
        if (readerStop_)
            break;
        if (!bytes.empty())
            OnPortData(bytes);
        if (!why.empty()) {
            // Said once; the owner closes the port in answer, which ends this thread.
            gone = true;
            listener_.OnPortGone(why);
            continue;
        }
        if (promptTimerWanted_ && NowMs() >= nextTickMs_)
            OnPromptTick();
    }
}

void CDeviceLink::OnPortData(const std::string& bytes) {
    listener_.OnReceived(bytes);
    ReplyActions actions = reply_.OnData(bytes.data(), bytes.size());
    Log(actions.logText);
    for (const Job& job : actions.jobs)
        PushJob(job);
    if (actions.stopPromptTimer) {
        StopPromptTimer();
        promptSeen_ = false;
    }
    if (actions.restartPromptTimer) {
        promptSeen_ = true;
        if (answerPrompts_)
            StartPromptTimer(kPromptTimerRestartMs);
    }
    for (int state : actions.controlStates) {
        settingMode_ = state == 1;
        listener_.OnControlState(state == 1, STATE_SETTING_MODE, false);
    }
}

void CDeviceLink::StartPromptTimer(unsigned periodMs) {
    // A timer already running at this period keeps running: a device that repeats its prompt
    // more often than the period would otherwise restart it before it ever sends the key.
    if (promptTimerWanted_ && promptTimerPeriod_ == periodMs)
        return;
    promptTimerPeriod_ = periodMs;
    nextTickMs_ = NowMs() + periodMs;
    promptTimerWanted_ = true;
}

void CDeviceLink::OnPromptTick() {
    nextTickMs_ = NowMs() + promptTimerPeriod_;
    std::string why;
    Send("s", false, why);
}

bool CDeviceLink::Send(const std::string& bytes, bool spaced, std::string& why) {
    std::unique_lock<std::mutex> guard(writeLock_);
    if (spaced && sentBefore_) {
        const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(
                               Clock::now() - lastSent_)
                               .count();
        if (since < kCommandSpacingMs) {
            guard.unlock();
            if (!Nap(static_cast<int>(kCommandSpacingMs - since)))
                return false;
            guard.lock();
        }
    }
    ISerialLine* line = line_;
    if (line == nullptr || !line->IsOpen()) {
        why = Text("WorkerJobThreadProc", "SendNotOpen", "the port is not open.");
        return false;
    }
    const bool sent = line->Write(bytes, why);
    lastSent_ = Clock::now();
    sentBefore_ = true;
    return sent;
}

bool CDeviceLink::SendRaw(const std::string& bytes, std::string& why) {
    return Send(bytes, true, why);
}

void CDeviceLink::Login() {
    reply_.Reset(JOB_LOGIN);
    StopPromptTimer();
    Log(Text("ComSend", "send", "send") + ":+++\r\n");
    std::string why;
    if (!Send("+++", false, why))
        Log(Text("WorkerJobThreadProc", "SendError", "The command was not sent:") + " " + why +
            "\r\n");
}

void CDeviceLink::PushJob(const Job& job) {
    queue_.PushJob(job);
    {
        std::lock_guard<std::mutex> guard(wakeLock_);
        jobSignal_ = true;
    }
    wake_.notify_all();
}

void CDeviceLink::AbandonJob(const std::string& why) {
    {
        std::lock_guard<std::mutex> guard(wakeLock_);
        abandoned_ = why;
    }
    reply_.AbandonWait();
}

bool CDeviceLink::Nap(int ms) {
    std::unique_lock<std::mutex> guard(wakeLock_);
    wake_.wait_for(guard, std::chrono::milliseconds(ms < 0 ? 0 : ms),
                   [this] { return stopping_.load(); });
    return !stopping_;
}

void CDeviceLink::Deliver(const LinkResult& result) {
    if (!stopping_)
        listener_.OnLinkResult(result);
}

void CDeviceLink::Fail(const Job& job, const std::string& why) {
    LinkResult result = MakeResult(job, false);
    result.why = why;
    Deliver(result);
}

void CDeviceLink::NotifyIdleWhenDone() {
    if (queue_.Size() == 0 && !idleNotified_ && settingMode_ && IsOpen() && !stopping_) {
        listener_.OnControlState(true, STATE_QUEUE, true);
        idleNotified_ = true;
    }
}

bool CDeviceLink::ExtractNetMode(const std::string& reply, std::string& mode) {
    if (reply.size() > 100)
        return false;
    static const char marker[] = "+FINDNETMODE:";
    size_t at = reply.find(marker);
    if (at == std::string::npos)
        return false;
    at += sizeof(marker) - 1;
    size_t end = reply.find("\r\n", at);
    if (end == std::string::npos)
        return false;
    // The field holds 39 characters; a longer value is cut there.
    mode = reply.substr(at, std::min<size_t>(end - at, 39));
    return true;
}

#if defined(__GNUC__)
__attribute__((noinline))
#endif
void CDeviceLink::WorkerThread(CDeviceLink* link) {
    link->RunWorker();
#if defined(__GNUC__)
    // Not a tail call: this frame stays on the stack below the worker's.
    __asm__ volatile("" ::: "memory");
#endif
}

void CDeviceLink::RunWorker() {
    if (g_faultWorkers)
        WorkerFaultOnPurpose();
    Job job;
    while (!stopping_) {
        {
            // A job pushed to an idle queue is taken at once; the queue is also looked at every
            // 200 ms (jobs pushed without the signal).
            std::unique_lock<std::mutex> guard(wakeLock_);
            if (queue_.Size() == 0)
                wake_.wait_for(guard, std::chrono::milliseconds(kCommandSpacingMs),
                               [this] { return jobSignal_ || stopping_; });
            jobSignal_ = false;
        }
        if (stopping_)
            break;
        if (!queue_.PopJob(job)) {
            NotifyIdleWhenDone();
            continue;
        }
        listener_.OnControlState(false, STATE_QUEUE, true);
        idleNotified_ = false;
        StopPromptTimer();
        {
            std::lock_guard<std::mutex> guard(wakeLock_);
            abandoned_.clear();
        }

        reply_.Reset(job.type);
        // A command that starts with its own line end is logged on the line of the "send" text.
        std::string shown = job.command;
        while (!shown.empty() && (shown[0] == '\r' || shown[0] == '\n'))
            shown.erase(0, 1);
        Log(Text("ComSend", "send", "send") + ":" + shown);
        const unsigned wait =
            static_cast<unsigned>(JobBaseWait(job)) * static_cast<unsigned>(timeoutFactor_.load()) +
            static_cast<unsigned>(extraWaitMs_.load());
        // The command's bytes up to its first zero byte, at least 200 ms after the last ones.
        const std::string command(job.command.c_str(), std::strlen(job.command.c_str()));
        std::string why;
        const bool sent = Send(command, true, why);
        if (stopping_)
            break;
        if (!sent) {
            // Nothing to wait for: say why the command did not go out (a vanished adapter, a
            // noisy line), and end the job at once.
            reply_.Reset(JOB_NONE);
            Log(Text("WorkerJobThreadProc", "SendError", "The command was not sent:") + " " +
                why + "\r\n");
            FinishJob(job, "the command was not sent: " + why);
            continue;
        }
        if (!reply_.WaitForReply(wait)) {
            if (stopping_)
                break;
            std::string abandoned;
            {
                std::lock_guard<std::mutex> guard(wakeLock_);
                abandoned.swap(abandoned_);
            }
            if (!abandoned.empty()) {
                // Ended from outside (the line failed, or the device left its setting mode).
                FinishJob(job, abandoned);
                continue;
            }
            if (!IsOpen())
                continue; // closed (or pulled) while waiting: nothing to report
            Log(Text("WorkerJobThreadProc", "OutTime", "Time out", "\r\n"));
            // Whatever still comes for this job is logged as late, not as its answer.
            reply_.ExpireWait(Text("WorkerJobThreadProc", "LateReply",
                                   "Late reply (after the time-out, nothing was applied):",
                                   "\r\n"));
            FinishJob(job, "no answer from the device in time");
            continue;
        }
        if (stopping_)
            break;
        CompleteJob(job);
        NotifyIdleWhenDone();
    }
}

void CDeviceLink::FinishJob(const Job& job, const std::string& why) {
    Fail(job, why);
    NotifyIdleWhenDone();
}

std::string CDeviceLink::RefusalText(const Job& job) const {
    std::string text = Text("WorkerJobThreadProc", "SaveError", "Save failed");
    if (!job.label.empty())
        text += " " + job.label + " = \"" + job.value + "\"";
    return text + "\r\n";
}

void CDeviceLink::CompleteJob(const Job& job) {
    const std::string reply = reply_.CompletedReply();
    LinkResult result = MakeResult(job, true, reply);
    result.replied = true;
    result.reply = reply;
    switch (job.type) {
    case JOB_LOAD:
    case JOB_VERIFY:
        // Whoever waits for the listing learns whether one came.
        result.ok = IsListingReply(reply);
        if (!result.ok)
            result.why = "the device's answer to AT+SHOW is no configuration listing";
        break;
    case JOB_WRITE:
        // Recorded by the subscriber, on its own thread: the catalogue is never touched here.
        if (ReplyAcknowledged(reply)) {
            Log(Text("WorkerJobThreadProc", "SaveSuccess", "Save success", "\r\n"));
            result.answer = LinkResult::Answer::Acknowledged;
        } else if (ReplyRefused(reply)) {
            Log(RefusalText(job));
            result.answer = LinkResult::Answer::Refused;
        }
        result.ok = result.answer == LinkResult::Answer::Acknowledged;
        break;
    case JOB_FACTORY:
        if (ReplyAcknowledged(reply))
            Log(Text("WorkerJobThreadProc", "FactorySuccess", "Factory reset done", "\r\n"));
        else if (ReplyRefused(reply))
            Log(Text("WorkerJobThreadProc", "FactoryError", "Factory reset failed", "\r\n"));
        break;
    case JOB_QUIT:
        settingMode_ = false;
        listener_.OnControlState(false, STATE_SETTING_MODE, true);
        break;
    case JOB_NET_MODE: {
        std::string mode;
        result.ok = ExtractNetMode(reply, mode);
        result.text = mode;
        break;
    }
    default:
        break;
    }
    Deliver(result);
}

#include "exchange/device_link.h"

#include "base/log_post.h"
#include "base/messages.h"
#include "base/settings.h"
#include "base/system_message.h"

#include <cstring>

CDeviceLink::CDeviceLink(CParameterStore& store) : store_(store) {
    // The device's reply reaches the log before the signal that lets the worker log the outcome.
    reply_.SetLogHook([](const std::string& text) { PostLogText(text); });
}

void CDeviceLink::PushJob(const Job& job) {
    queue_.PushJob(job);
    if (jobEvent_)
        SetEvent(jobEvent_);
}

CDeviceLink::~CDeviceLink() {
    Stop();
}

bool CDeviceLink::Start(HWND window) {
    if (worker_)
        return true;
    window_ = window;
    stopping_ = false;
    if (!stopEvent_)
        stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!jobEvent_)
        jobEvent_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!stopEvent_ || !jobEvent_)
        return false;
    ResetEvent(stopEvent_);
    worker_ = CreateThread(nullptr, 0, WorkerJobThreadProc, this, 0, nullptr);
    return worker_ != nullptr;
}

void CDeviceLink::Stop() {
    if (worker_) {
        stopping_ = true;
        SetEvent(stopEvent_);
        reply_.CancelWait();
        // The worker may be about to send, or already sending, a synchronous message to this
        // thread: handle sent messages while waiting (their handlers see the link stopping and
        // do nothing), so that the two never wait for each other.
        for (;;) {
            DWORD r = MsgWaitForMultipleObjects(1, &worker_, FALSE, INFINITE, QS_SENDMESSAGE);
            if (r != WAIT_OBJECT_0 + 1)
                break;
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        CloseHandle(worker_);
        worker_ = nullptr;
    }
    if (stopEvent_) {
        CloseHandle(stopEvent_);
        stopEvent_ = nullptr;
    }
    if (jobEvent_) {
        CloseHandle(jobEvent_);
        jobEvent_ = nullptr;
    }
    if (port_.IsOpen())
        port_.ClosePort();
    promptTimerWanted_ = false;
}

bool CDeviceLink::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_PORT_DATA:
        result = OnPortData(reinterpret_cast<char*>(wParam), static_cast<int>(lParam));
        return true;
    case WM_TIMER:
        if (wParam != kPromptTimerId)
            return false;
        OnPromptTimer();
        return true;
    default:
        return false;
    }
}

bool CDeviceLink::OpenDevicePortListening(const LineSettings& line) {
    if (!OpenDevicePort(line))
        return false;
    StopPromptTimer();
    KillTimer(window_, kPromptTimerId);
    return true;
}

bool CDeviceLink::OpenDevicePort(const LineSettings& line) {
    if (line.baudRate <= 0 || !window_)
        return false;
    // A new opening starts with an empty reply buffer: nothing of the last one can count.
    reply_.Reset(JOB_SETTING_PROMPT);
    // Computed afresh from this opening's rate: a factor carried over from an earlier opening
    // would multiply again at every reopening.
    SetTimeoutFactor(TimeoutFactorForBaud(line.baudRate));
    lastOpenError_ = 0;
    if (!port_.OpenPort(window_, line, kPortEventMask) ||
        !port_.IsOpen()) {
        lastOpenError_ = GetLastError();
        return false;
    }
    port_.StartPortThread();
    StartPromptTimer(kPromptTimerOpenMs);
    return true;
}

void CDeviceLink::CloseDevicePort() {
    port_.ClosePort();
    queue_.ClearJobs();
    // A job waiting for its reply ends now, without a time-out line: the port is gone.
    reply_.AbandonWait();
    StopPromptTimer();
    if (window_)
        KillTimer(window_, kPromptTimerId);
    settingMode_ = false;
}

void CDeviceLink::Login() {
    reply_.Reset(JOB_LOGIN);
    StopPromptTimer();
    if (window_)
        KillTimer(window_, kPromptTimerId);
    PostLogText(LookupText("ComSend", "send", "") + ":+++\r\n");
    const CSerialPort::SendResult sent = port_.SendBytes("+++", 3);
    if (!sent.Sent(3))
        PostLogText(SendFailureText(sent));
}

void CDeviceLink::StartPromptTimer(unsigned periodMs) {
    // A timer already running at this period keeps running: a device that repeats its prompt
    // more often than the period would otherwise restart it before it ever sends the key.
    if (promptTimerWanted_ && promptTimerPeriod_ == periodMs)
        return;
    promptTimerWanted_ = true;
    promptTimerPeriod_ = periodMs;
    if (window_)
        SetTimer(window_, kPromptTimerId, periodMs, nullptr);
}

void CDeviceLink::StopPromptTimer() {
    promptTimerWanted_ = false;
}

void CDeviceLink::OnPromptTimer() {
    if (!promptTimerWanted_) {
        KillTimer(window_, kPromptTimerId);
        return;
    }
    port_.SendBytes("s", 1);
}

LRESULT CDeviceLink::OnPortData(char* bytes, int count) {
    // A delivery that began before the port was closed, or during the shut-down, is dropped.
    if (!bytes || count <= 0 || !port_.IsOpen() || stopping_)
        return 0;
    bytes[count] = 0;
    ReplyActions actions = reply_.OnData(bytes, static_cast<size_t>(count));
    if (!actions.logText.empty())
        PostLogText(actions.logText);
    for (const Job& job : actions.jobs)
        queue_.PushJob(job);
    if (actions.stopPromptTimer) {
        StopPromptTimer();
        KillTimer(window_, kPromptTimerId);
    }
    if (actions.restartPromptTimer)
        StartPromptTimer(kPromptTimerRestartMs);
    for (int state : actions.controlStates)
        PostMessageA(window_, WM_CONTROL_STATE, static_cast<WPARAM>(state), STATE_SETTING_MODE);
    return 0;
}

std::string CDeviceLink::SendFailureText(const CSerialPort::SendResult& result) {
    std::string why;
    if (result.notOpen) {
        why = LookupTextOr("WorkerJobThreadProc", "SendNotOpen", "the port is not open.");
    } else if (result.lineError) {
        why = LookupTextOr("WorkerJobThreadProc", "SendLineError",
                           "the line reported receive errors (noise, or another baud rate or "
                           "format than the device's); what had arrived was discarded.");
    } else {
        why = SystemMessage(result.error);
    }
    return LookupTextOr("WorkerJobThreadProc", "SendError", "The command was not sent:") + " " +
           why + "\r\n";
}

bool CDeviceLink::SendToWindow(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (stopping_ || !window_)
        return false;
    SendMessageA(window_, msg, wParam, lParam);
    return true;
}

namespace {

LinkResult MakeResult(LinkResult::Kind kind, bool ok, std::string text = std::string()) {
    LinkResult result;
    result.kind = kind;
    result.ok = ok;
    result.text = std::move(text);
    return result;
}

} // namespace

void CDeviceLink::Deliver(const LinkResult& result) {
    SendToWindow(WM_LINK_RESULT, 0, reinterpret_cast<LPARAM>(&result));
}

void CDeviceLink::NotifyIdleWhenDone() {
    if (queue_.Size() == 0 && !idleNotified_ && settingMode_ && port_.IsOpen()) {
        SendToWindow(WM_CONTROL_STATE, 1, STATE_QUEUE);
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

DWORD WINAPI CDeviceLink::WorkerJobThreadProc(LPVOID link) {
    if (link)
        static_cast<CDeviceLink*>(link)->RunWorker();
    return 0;
}

void CDeviceLink::RunWorker() {
    Job job;
    ULONGLONG lastSent = 0;
    const HANDLE events[2] = {stopEvent_, jobEvent_};
    for (;;) {
        // A job pushed to an idle queue is taken at once; the queue is also looked at every
        // 200 ms (jobs pushed by other parts of the program without the signal). With jobs
        // waiting nothing is waited for but the spacing below.
        const DWORD woke =
            WaitForMultipleObjects(2, events, FALSE, queue_.Size() > 0 ? 0 : kCommandSpacingMs);
        if (woke == WAIT_OBJECT_0 || stopping_)
            break;
        // Consecutive commands stay at least 200 ms apart, as the device expects.
        const ULONGLONG now = GetTickCount64();
        if (lastSent != 0 && now - lastSent < kCommandSpacingMs && queue_.Size() > 0) {
            if (WaitForSingleObject(stopEvent_,
                                    static_cast<DWORD>(kCommandSpacingMs - (now - lastSent))) ==
                    WAIT_OBJECT_0 ||
                stopping_)
                break;
        }
        if (!queue_.PopJob(job)) {
            NotifyIdleWhenDone();
            continue;
        }
        SendToWindow(WM_CONTROL_STATE, 0, STATE_QUEUE);
        idleNotified_ = false;
        StopPromptTimer();

        reply_.Reset(job.type);
        // A command that starts with its own line end is logged on the line of the "send" text.
        std::string shown = job.command;
        while (!shown.empty() && (shown[0] == '\r' || shown[0] == '\n'))
            shown.erase(0, 1);
        PostLogText(LookupText("ComSend", "send", "") + ":" + shown);
        const unsigned wait = static_cast<unsigned>(JobBaseWait(job)) *
                              static_cast<unsigned>(timeoutFactor_.load());
        // The command's bytes up to its first zero byte.
        const DWORD length = static_cast<DWORD>(std::strlen(job.command.c_str()));
        const CSerialPort::SendResult sent = port_.SendBytes(job.command.c_str(), length);
        lastSent = GetTickCount64();
        if (!sent.Sent(length) && port_.IsOpen()) {
            // Nothing to wait for: say why the command did not go out (a vanished adapter, a
            // noisy line), and end the job at once.
            reply_.Reset(JOB_NONE);
            PostLogText(SendFailureText(sent));
            if (job.type == JOB_LOAD_FILE)
                Deliver(MakeResult(LinkResult::Kind::ListingForFile, false));
            if (job.type == JOB_WRITE)
                DeliverWriteAnswer(job, LinkResult::Answer::None);
            if (job.type == JOB_LOAD)
                Deliver(MakeResult(LinkResult::Kind::Listing, false));
            NotifyIdleWhenDone();
            continue;
        }
        if (!reply_.WaitForReply(wait)) {
            if (stopping_)
                break;
            if (!port_.IsOpen())
                continue; // closed (or pulled) while waiting: nothing to report
            PostLogText(LookupText("WorkerJobThreadProc", "OutTime", "\r\n"));
            if (job.type == JOB_LOAD_FILE)
                Deliver(MakeResult(LinkResult::Kind::ListingForFile, false));
            if (job.type == JOB_WRITE)
                DeliverWriteAnswer(job, LinkResult::Answer::None);
            if (job.type == JOB_LOAD)
                Deliver(MakeResult(LinkResult::Kind::Listing, false));
            // Whatever still comes for this job is logged as late, not as its answer.
            reply_.ExpireWait(LookupTextOr(
                "WorkerJobThreadProc", "LateReply",
                "Late reply (after the time-out, nothing was applied):", "\r\n"));
            NotifyIdleWhenDone();
            continue;
        }
        if (stopping_)
            break;
        CompleteJob(job);
        NotifyIdleWhenDone();
    }
}

std::string CDeviceLink::RefusalText(const Job& job) {
    std::string text = LookupText("WorkerJobThreadProc", "SaveError", "");
    if (!job.label.empty())
        text += " " + job.label + " = \"" + job.value + "\"";
    return text + "\r\n";
}

void CDeviceLink::DeliverWriteAnswer(const Job& job, LinkResult::Answer answer) {
    LinkResult result;
    result.kind = LinkResult::Kind::WriteAnswer;
    result.ok = answer == LinkResult::Answer::Acknowledged;
    result.job = job;
    result.answer = answer;
    Deliver(result);
}

void CDeviceLink::CompleteJob(const Job& job) {
    const std::string reply = reply_.CompletedReply();
    switch (job.type) {
    case JOB_LOAD:
        // Whoever waits for the listing (a write's verification) learns that none came.
        Deliver(MakeResult(LinkResult::Kind::Listing, IsListingReply(reply), reply));
        break;
    case JOB_WRITE: {
        LinkResult::Answer answer = LinkResult::Answer::None;
        std::string log;
        if (ReplyAcknowledged(reply)) {
            log = LookupText("WorkerJobThreadProc", "SaveSuccess", "\r\n");
            store_.RecordWrittenValue(job.key, job.value, job.kind, job.item);
            answer = LinkResult::Answer::Acknowledged;
        }
        if (ReplyRefused(reply)) {
            log = RefusalText(job);
            answer = LinkResult::Answer::Refused;
        }
        if (!log.empty())
            PostLogText(log);
        DeliverWriteAnswer(job, answer);
        break;
    }
    case JOB_FACTORY: {
        std::string log;
        if (ReplyAcknowledged(reply))
            log = LookupText("WorkerJobThreadProc", "FactorySuccess", "\r\n");
        if (ReplyRefused(reply))
            log = LookupText("WorkerJobThreadProc", "FactoryError", "\r\n");
        if (!log.empty())
            PostLogText(log);
        break;
    }
    case JOB_SAVE_FILE:
        Deliver(MakeResult(LinkResult::Kind::SaveFile, true, reply));
        break;
    case JOB_LOAD_FILE:
        Deliver(MakeResult(LinkResult::Kind::ListingForFile, true, reply));
        break;
    case JOB_QUIT:
        SendToWindow(WM_CONTROL_STATE, 0, STATE_SETTING_MODE);
        break;
    case JOB_NET_MODE: {
        std::string mode;
        if (ExtractNetMode(reply, mode))
            Deliver(MakeResult(LinkResult::Kind::NetMode, true, mode));
        break;
    }
    default:
        break;
    }
}

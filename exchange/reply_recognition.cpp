#include "exchange/reply_recognition.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

// The configuration is read again after an acknowledged factory reset, and the signal quality
// is asked once more after a refusal.
Job MakeJob(int type, const char* command) {
    Job job;
    job.type = type;
    job.command = command;
    return job;
}

} // namespace

CReplyAssembler::CReplyAssembler() = default;

bool CReplyAssembler::Contains(const char* marker) const {
    // The buffer is zero-terminated at count_ and holds no other zero byte.
    return std::strstr(buffer_.data(), marker) != nullptr;
}

void CReplyAssembler::EmptyLocked() {
    std::fill(buffer_.begin(), buffer_.begin() + count_ + 1, '\0');
    count_ = 0;
}

void CReplyAssembler::SignalLocked(bool raised) {
    replySignal_ = raised;
    if (hook_)
        hook_(raised);
    if (raised)
        signalChanged_.notify_all();
}

void CReplyAssembler::AppendLocked(const char* bytes, size_t n) {
    if (n > static_cast<size_t>(kMaxCount)) {
        // Longer than the whole buffer: only its tail can be kept.
        bytes += n - kMaxCount;
        n = kMaxCount;
    }
    const int chunk = static_cast<int>(n);
    int at = count_;
    if (count_ + chunk > kMaxCount) {
        // Drop the oldest bytes so that the new chunk fits behind the most recent ones.
        const int keep = kMaxCount - chunk;
        std::memmove(buffer_.data(), buffer_.data() + (count_ - keep), keep);
        at = keep;
    }
    std::memcpy(buffer_.data() + at, bytes, n);
    count_ = at + chunk;
    // A zero byte from the line would end the text early: it is kept as a blank.
    std::replace(buffer_.begin() + at, buffer_.begin() + count_, '\0', ' ');
    buffer_[count_] = '\0';
}

void CReplyAssembler::RecogniseLocked(ReplyActions& actions) {
    auto done = [&] {
        SignalLocked(true);
        jobType_ = JOB_NONE;
        actions.replyComplete = true;
    };
    switch (jobType_) {
    case JOB_SETTING_PROMPT:
        if (Contains(kMarkerCommandList)) {
            // The device has entered its setting mode; nothing waits for this reply.
            actions.stopPromptTimer = true;
            actions.controlStates.push_back(1);
            jobType_ = JOB_NONE;
        }
        break;
    case JOB_LOAD:
        if (Contains(kMarkerListing) && Contains(kMarkerOk))
            done();
        break;
    case JOB_WRITE:
    case JOB_VERSION:
    case JOB_SIM_PIN:
    case JOB_READ_LOG:
    case JOB_SIGNAL_RETRY:
    case JOB_COMMAND:
        if (Contains(kMarkerOk) || Contains(kMarkerError))
            done();
        break;
    case JOB_NET_MODE:
        if (Contains(kMarkerOk))
            done();
        break;
    case JOB_LOGIN:
        if (Contains(kMarkerLoginAccepted)) {
            jobType_ = JOB_NONE;
            actions.controlStates.push_back(1);
            SignalLocked(true);
            actions.replyComplete = true;
        } else if (Contains(kMarkerError)) {
            done();
        }
        break;
    case JOB_FACTORY:
        if (Contains(kMarkerOk)) {
            SignalLocked(true);
            actions.replyComplete = true;
            actions.jobs.push_back(MakeJob(JOB_LOAD, "\r\nAT+SHOW\r\n"));
            jobType_ = JOB_NONE;
        } else if (Contains(kMarkerError)) {
            done();
        }
        break;
    case JOB_SAVE_FILE:
    case JOB_LOAD_FILE:
        if (Contains(kMarkerListing)) {
            if (Contains(kMarkerOk))
                done();
        } else if (Contains(kMarkerError)) {
            // Refused: the worker's wait runs out and it reports the time-out.
            jobType_ = JOB_NONE;
        }
        break;
    case JOB_QUIT:
        if (Contains(kMarkerOk)) {
            SignalLocked(true);
            actions.replyComplete = true;
            actions.controlStates.push_back(0);
            jobType_ = JOB_NONE;
        }
        break;
    case JOB_SIGNAL:
        if (Contains(kMarkerOk)) {
            done();
        } else if (Contains(kMarkerError)) {
            SignalLocked(true);
            actions.replyComplete = true;
            actions.jobs.push_back(MakeJob(JOB_SIGNAL_RETRY, "At+CSQ\r\n"));
            jobType_ = JOB_NONE;
        }
        break;
    default: // JOB_NONE and unknown values: nothing is awaited
        break;
    }
}

ReplyActions CReplyAssembler::OnData(const char* bytes, size_t n) {
    ReplyActions actions;
    if (bytes == nullptr || n == 0)
        return actions;
    std::lock_guard<std::mutex> hold(lock_);
    // What arrives while a reply is awaited is logged, up to its first zero byte.
    if (jobType_ != JOB_NONE)
        actions.logText.assign(bytes, std::find(bytes, bytes + n, '\0'));
    AppendLocked(bytes, n);
    RecogniseLocked(actions);

    // The device's own announcements count whatever was awaited.
    if (Contains(kMarkerSettingTimeout)) {
        actions.controlStates.push_back(0);
    } else if (Contains(kMarkerPrompt)) {
        jobType_ = JOB_SETTING_PROMPT;
        actions.restartPromptTimer = true;
        EmptyLocked();
    }
    return actions;
}

void CReplyAssembler::Reset(int jobType) {
    std::lock_guard<std::mutex> hold(lock_);
    jobType_ = jobType;
    SignalLocked(false);
    EmptyLocked();
}

void CReplyAssembler::SetJobType(int jobType) {
    std::lock_guard<std::mutex> hold(lock_);
    jobType_ = jobType;
}

int CReplyAssembler::JobType() const {
    std::lock_guard<std::mutex> hold(lock_);
    return jobType_;
}

void CReplyAssembler::SetContent(const std::string& text) {
    std::lock_guard<std::mutex> hold(lock_);
    EmptyLocked();
    AppendLocked(text.data(), text.size());
}

std::string CReplyAssembler::Reply() const {
    std::lock_guard<std::mutex> hold(lock_);
    return std::string(buffer_.data(), count_);
}

int CReplyAssembler::Count() const {
    std::lock_guard<std::mutex> hold(lock_);
    return count_;
}

bool CReplyAssembler::WaitForReply(unsigned timeoutMs) {
    std::unique_lock<std::mutex> hold(lock_);
    signalChanged_.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                            [this] { return replySignal_ || cancelled_; });
    return replySignal_;
}

void CReplyAssembler::CancelWait() {
    std::lock_guard<std::mutex> hold(lock_);
    cancelled_ = true;
    signalChanged_.notify_all();
}

void CReplyAssembler::SetReplySignalHook(std::function<void(bool)> hook) {
    std::lock_guard<std::mutex> hold(lock_);
    hook_ = std::move(hook);
}

bool ReplyAcknowledged(const std::string& reply) {
    if (reply.find("OK\r\n") != std::string::npos)
        return true;
    auto endsWith = [&](const char* tail) {
        const size_t n = std::char_traits<char>::length(tail);
        return reply.size() >= n && reply.compare(reply.size() - n, n, tail) == 0;
    };
    return endsWith("OK") || endsWith("OK\r");
}

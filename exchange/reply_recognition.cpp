#include "exchange/reply_recognition.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string_view>

namespace {

// The configuration is read again after an acknowledged factory reset, and the signal quality
// is asked once more after a refusal.
Job MakeJob(JobType type, const char* command) {
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
    if (raised)
        completed_.assign(buffer_.data(), static_cast<size_t>(count_));
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
    case JOB_VERIFY:
        if (Contains(kMarkerListing) && Answer(kAnswerOk))
            done();
        break;
    case JOB_WRITE:
    case JOB_VERSION:
    case JOB_SIM_PIN:
    case JOB_READ_LOG:
    case JOB_SIGNAL_RETRY:
    case JOB_COMMAND:
        if (FirstAnswer() != AnswerLine::None)
            done();
        break;
    case JOB_NET_MODE:
        if (HasOkLine(buffer_.data(), static_cast<size_t>(count_)))
            done();
        break;
    case JOB_LOGIN:
        if (Contains(kMarkerLoginAccepted)) {
            jobType_ = JOB_NONE;
            actions.controlStates.push_back(1);
            SignalLocked(true);
            actions.replyComplete = true;
        } else if (FirstAnswer() == AnswerLine::Error) {
            done();
        }
        break;
    case JOB_FACTORY:
        switch (FirstAnswer()) {
        case AnswerLine::Ok:
            SignalLocked(true);
            actions.replyComplete = true;
            actions.jobs.push_back(MakeJob(JOB_LOAD, "\r\nAT+SHOW\r\n"));
            jobType_ = JOB_NONE;
            break;
        case AnswerLine::Error:
            done();
            break;
        case AnswerLine::None:
            break;
        }
        break;
    case JOB_SAVE_FILE:
    case JOB_LOAD_FILE:
        if (Contains(kMarkerListing)) {
            if (Answer(kAnswerOk))
                done();
        } else if (Answer(kAnswerError)) {
            // Refused: the worker's wait runs out and it reports the time-out.
            jobType_ = JOB_NONE;
        }
        break;
    case JOB_QUIT:
        if (HasOkLine(buffer_.data(), static_cast<size_t>(count_))) {
            SignalLocked(true);
            actions.replyComplete = true;
            actions.controlStates.push_back(0);
            jobType_ = JOB_NONE;
        }
        break;
    case JOB_SIGNAL:
        if (FirstAnswer() == AnswerLine::Ok) {
            done();
        } else if (FirstAnswer() == AnswerLine::Error) {
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
    // What arrives while a reply is awaited is logged, zero bytes as blanks, before the reply
    // can be signalled complete.
    if (jobType_ != JOB_NONE || late_) {
        actions.logText = late_ ? lateNotice_ : std::string();
        lateNotice_.clear();
        actions.logText.append(bytes, n);
        std::replace(actions.logText.begin(), actions.logText.end(), '\0', ' ');
        if (logHook_) {
            logHook_(actions.logText);
            actions.logText.clear();
        }
    }
    AppendLocked(bytes, n);
    RecogniseLocked(actions);

    // The device's own announcements count whatever was awaited. The time-out announcement is
    // acted on once: it is taken out of the buffer (a reply completed before it stays).
    if (ContainsAnnouncement(kMarkerSettingTimeout)) {
        actions.controlStates.push_back(0);
        jobType_ = JOB_NONE;
        EraseAnnouncementsLocked(kMarkerSettingTimeout);
    } else if (PromptStillStands()) {
        jobType_ = JOB_SETTING_PROMPT;
        actions.restartPromptTimer = true;
        EmptyLocked();
    }
    return actions;
}

void CReplyAssembler::ExpireWait(const std::string& notice) {
    std::lock_guard<std::mutex> hold(lock_);
    jobType_ = JOB_NONE;
    late_ = true;
    lateNotice_ = notice;
}

void CReplyAssembler::Reset(int jobType) {
    std::lock_guard<std::mutex> hold(lock_);
    jobType_ = jobType;
    late_ = false;
    lateNotice_.clear();
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

std::string CReplyAssembler::CompletedReply() const {
    std::lock_guard<std::mutex> hold(lock_);
    return completed_;
}

int CReplyAssembler::Count() const {
    std::lock_guard<std::mutex> hold(lock_);
    return count_;
}

bool CReplyAssembler::IsReplySignalled() const {
    std::lock_guard<std::mutex> hold(lock_);
    return replySignal_;
}

bool CReplyAssembler::WaitForReply(unsigned timeoutMs) {
    std::unique_lock<std::mutex> hold(lock_);
    const unsigned abandoned = abandoned_;
    signalChanged_.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] {
        return replySignal_ || cancelled_ || abandoned_ != abandoned;
    });
    return replySignal_;
}

void CReplyAssembler::AbandonWait() {
    std::lock_guard<std::mutex> hold(lock_);
    ++abandoned_;
    jobType_ = JOB_NONE;
    signalChanged_.notify_all();
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

void CReplyAssembler::SetLogHook(std::function<void(const std::string&)> hook) {
    std::lock_guard<std::mutex> hold(lock_);
    logHook_ = std::move(hook);
}

const char* CReplyAssembler::FindAnnouncement(const char* marker, const char* from) const {
    const char* text = buffer_.data();
    for (const char* at = std::strstr(from ? from : text, marker); at != nullptr;
         at = std::strstr(at + 1, marker)) {
        // A marker in a value of a listing ("Custom Register Info:Press 's' key") is not the
        // device speaking; anywhere else it is, whatever stands before it on its line
        // ("[BOOT]: Press 's' key", "12:00:01 Seting Timeout and quit").
        if (!InsideListing(at))
            return at;
    }
    return nullptr;
}

bool CReplyAssembler::ContainsAnnouncement(const char* marker) const {
    return FindAnnouncement(marker) != nullptr;
}

bool CReplyAssembler::PromptStillStands() const {
    // The last prompt counts unless the device's command list follows it: a prompt and the
    // command list in one chunk mean that the device took the key and is in its setting mode.
    const char* last = nullptr;
    for (const char* at = FindAnnouncement(kMarkerPrompt); at != nullptr;
         at = FindAnnouncement(kMarkerPrompt, at + 1))
        last = at;
    return last != nullptr && std::strstr(last, kMarkerCommandList) == nullptr;
}

void CReplyAssembler::EraseAnnouncementsLocked(const char* marker) {
    const int length = static_cast<int>(std::strlen(marker));
    while (const char* at = FindAnnouncement(marker)) {
        const int from = static_cast<int>(at - buffer_.data());
        std::memmove(buffer_.data() + from, buffer_.data() + from + length,
                     static_cast<size_t>(count_ - from - length + 1)); // with the terminator
        count_ -= length;
    }
}

bool CReplyAssembler::Answer(const char* word) const {
    return EndsWithAnswer(buffer_.data(), static_cast<size_t>(count_), word);
}

AnswerLine CReplyAssembler::FirstAnswer() const {
    return FirstAnswerLine(buffer_.data(), static_cast<size_t>(count_));
}

bool CReplyAssembler::InsideListing(const char* at) const {
    const char* text = buffer_.data();
    const char* anchor = nullptr;
    for (const char* found = std::strstr(text, kMarkerListing); found != nullptr && found < at;
         found = std::strstr(found + 1, kMarkerListing))
        anchor = found;
    if (anchor == nullptr)
        return false;
    // The listing ended before `at` when a whole "OK" line lies between its anchor and the
    // line of `at`.
    const char* line = at;
    while (line > anchor && line[-1] != '\n')
        --line;
    return !HasOkLine(anchor, static_cast<size_t>(line - anchor));
}

bool EndsWithAnswer(const char* text, size_t length, const char* word) {
    // A refusal always ends its line ("ERROR\r\n"); "OK" may come without a line end.
    const bool needsLineEnd = std::strcmp(word, kAnswerError) == 0;
    if (needsLineEnd && (length == 0 || text[length - 1] != '\n'))
        return false;
    size_t end = length;
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n' || text[end - 1] == ' '))
        --end;
    const size_t n = std::strlen(word);
    if (end < n || std::memcmp(text + end - n, word, n) != 0)
        return false;
    // Blanks before the word (zero bytes from the line are kept as blanks) belong to its line.
    size_t start = end - n;
    while (start > 0 && text[start - 1] == ' ')
        --start;
    return start == 0 || text[start - 1] == '\n';
}

namespace {

// The first answer line of text, counting only the answers `wanted` accepts.
template <typename Wanted>
AnswerLine FindAnswerLine(const char* text, size_t length, Wanted wanted) {
    size_t start = 0;
    while (start < length) {
        const char* newline =
            static_cast<const char*>(std::memchr(text + start, '\n', length - start));
        const size_t end = newline ? static_cast<size_t>(newline - text) : length;
        size_t first = start, last = end;
        while (first < last && text[first] == ' ')
            ++first;
        while (last > first && (text[last - 1] == '\r' || text[last - 1] == ' '))
            --last;
        const std::string_view line(text + first, last - first);
        if (line == kAnswerOk && wanted(AnswerLine::Ok))
            return AnswerLine::Ok;
        if (line == kAnswerError && newline != nullptr && wanted(AnswerLine::Error))
            return AnswerLine::Error;
        start = end + 1;
    }
    return AnswerLine::None;
}

} // namespace

AnswerLine FirstAnswerLine(const char* text, size_t length) {
    return FindAnswerLine(text, length, [](AnswerLine) { return true; });
}

bool HasOkLine(const char* text, size_t length) {
    return FindAnswerLine(text, length, [](AnswerLine a) { return a == AnswerLine::Ok; }) ==
           AnswerLine::Ok;
}

bool ReplyAcknowledged(const std::string& reply) {
    return FirstAnswerLine(reply) == AnswerLine::Ok;
}

bool ReplyRefused(const std::string& reply) {
    return FirstAnswerLine(reply) == AnswerLine::Error;
}

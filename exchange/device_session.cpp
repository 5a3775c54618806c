#include "exchange/device_session.h"

#include "base/messages.h"
#include "exchange/dialogue_policy.h"

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
}

} // namespace

CDeviceSession::CDeviceSession(ISerialLine& line, int baudRate, Progress progress)
    : line_(line), progress_(std::move(progress)), link_(*this) {
    timeoutFactor_ = TimeoutFactorForBaud(baudRate);
    link_.Start();
    // The session answers the prompt itself: the engine only listens until told.
    link_.AttachLine(line_, baudRate, false);
}

CDeviceSession::~CDeviceSession() {
    link_.Stop();
}

void CDeviceSession::OnLinkResult(const LinkResult& result) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        result_ = result;
        jobDone_ = true;
    }
    done_.notify_all();
}

void CDeviceSession::OnControlState(bool on, int group, bool fromWorker) {
    // The device announced that it left its setting mode while a job waits for its answer:
    // that answer will not come.
    if (group == STATE_SETTING_MODE && !on && !fromWorker)
        link_.AbandonJob("the device left its setting mode");
}

void CDeviceSession::OnPortGone(const std::string& why) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (lineFailure_.empty())
            lineFailure_ = why;
    }
    link_.AbandonJob("the line failed: " + why);
}

void CDeviceSession::OnReceived(const std::string& bytes) {
    std::lock_guard<std::mutex> guard(lock_);
    received_ += bytes;
}

std::string CDeviceSession::Received() const {
    std::lock_guard<std::mutex> guard(lock_);
    return received_;
}

bool CDeviceSession::LineFine(std::string& why) const {
    std::lock_guard<std::mutex> guard(lock_);
    why = lineFailure_;
    return why.empty();
}

bool CDeviceSession::EnsureLineAlive(std::string& why) const {
    return LineFine(why) && line_.IsOpen();
}

bool CDeviceSession::WaitUntil(const std::function<bool()>& done, int ms) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    std::string why;
    while (!done()) {
        if (MsLeft(deadline) <= 0 || !LineFine(why))
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(5, MsLeft(deadline))));
    }
    return true;
}

bool CDeviceSession::AwaitPrompt(int waitMs) {
    link_.Reply().Reset(JOB_SETTING_PROMPT);
    return WaitUntil([this] { return link_.PromptSeen(); }, waitMs);
}

bool CDeviceSession::EnterSettingMode(int promptWaitMs, std::string& why) {
    link_.SetSettingMode(false);
    if (!link_.PromptSeen()) {
        Say("waiting up to " + std::to_string(promptWaitMs / 1000) +
            " s for the device's power-up prompt");
        AwaitPrompt(promptWaitMs);
    }
    if (!LineFine(why))
        return false;
    auto inSettingMode = [this] { return link_.IsSettingMode(); };
    if (link_.PromptSeen()) {
        // Answer the prompt with the key, again while it stands, until the command list comes.
        Say("power-up prompt seen: entering the setting mode");
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kSettingEntryMs);
        while (!inSettingMode() && MsLeft(deadline) > 0) {
            if (link_.PromptSeen() || link_.Reply().JobType() == JOB_SETTING_PROMPT) {
                if (!link_.SendRaw("s", why))
                    return false;
            }
            WaitUntil(inSettingMode, std::min<int>(kPromptAnswerMs, MsLeft(deadline)));
            if (!LineFine(why))
                return false;
        }
    }
    if (!inSettingMode()) {
        // A device that is already running: the login sequence.
        Say("no prompt: sending +++ to a running device");
        link_.Reply().Reset(JOB_LOGIN);
        if (!link_.SendRaw("+++", why))
            return false;
        WaitUntil(inSettingMode, kLoginWaitMs * timeoutFactor_ + extraWaitMs_);
        if (!LineFine(why))
            return false;
    }
    if (!inSettingMode()) {
        why = "the device did not enter its setting mode (no power-up prompt, no answer to +++); "
              "check the cable, the baud rate and the format";
        return false;
    }
    // Whatever follows the entry (the rest of the command list) is not part of the first reply.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    why.clear();
    Say("in setting mode");
    return true;
}

std::optional<std::string> CDeviceSession::Run(const Job& job, std::string& why) {
    if (!LineFine(why)) {
        why = "the line failed: " + why;
        return std::nullopt;
    }
    {
        std::lock_guard<std::mutex> guard(lock_);
        jobDone_ = false;
    }
    link_.PushJob(job);
    std::unique_lock<std::mutex> guard(lock_);
    // The engine ends every job it takes (its own wait is the job's); the guard against a lost
    // one is the same wait once more.
    const int limit = 2 * (JobBaseWait(job) * timeoutFactor_ + extraWaitMs_) + 5000;
    if (!done_.wait_for(guard, std::chrono::milliseconds(limit), [this] { return jobDone_; })) {
        why = "no answer from the device in time";
        return std::nullopt;
    }
    if (result_.replied)
        return result_.reply;
    why = result_.why;
    return std::nullopt;
}

bool CDeviceSession::EnsureSettingMode(std::string& why) {
    if (!line_.IsOpen()) {
        why = "the port is closed";
        return false;
    }
    // Whatever the device said while nobody listened (a leave notice, a new power-up prompt)
    // has been taken by the engine; a moment more for what is on its way.
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    if (!LineFine(why)) {
        why = "the line failed: " + why;
        return false;
    }
    if (link_.IsSettingMode())
        return true;
    Say("the device left its setting mode: entering it again");
    link_.ForgetPrompt();
    if (!EnterSettingMode(0, why)) {
        why = "the device left its setting mode and did not enter it again: " + why;
        return false;
    }
    return true;
}

std::optional<std::string> CDeviceSession::ReadListing(std::string& why, JobType type) {
    Job job;
    job.type = type;
    job.command = "AT+SHOW\r\n";
    std::optional<std::string> reply = Run(job, why);
    if (reply && !IsListingReply(*reply)) {
        why = "the device's answer to AT+SHOW is no configuration listing";
        return std::nullopt;
    }
    return reply;
}

void CDeviceSession::Leave() {
    Job job;
    job.type = JOB_QUIT;
    job.command = "at+quit\r\n";
    std::string why;
    Run(job, why);
}

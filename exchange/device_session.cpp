#include "exchange/device_session.h"

#include "exchange/dialogue_policy.h"

#include <cstring>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSliceMs = 20; // one read's wait

int MsLeft(Clock::time_point deadline) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
}

void Merge(ReplyActions& into, const ReplyActions& more) {
    into.stopPromptTimer = into.stopPromptTimer || more.stopPromptTimer;
    into.restartPromptTimer = into.restartPromptTimer || more.restartPromptTimer;
    into.replyComplete = into.replyComplete || more.replyComplete;
    into.controlStates.insert(into.controlStates.end(), more.controlStates.begin(),
                              more.controlStates.end());
    into.jobs.insert(into.jobs.end(), more.jobs.begin(), more.jobs.end());
}

} // namespace

CDeviceSession::CDeviceSession(ISerialLine& line, int baudRate, Progress progress)
    : line_(line), progress_(std::move(progress)) {
    timeoutFactor_ = TimeoutFactorForBaud(baudRate);
}

ReplyActions CDeviceSession::Pump(int waitMs, std::string& why) {
    ReplyActions all;
    const std::string bytes = line_.Read(waitMs < 0 ? 0 : waitMs, why);
    if (!why.empty() && lineFailure_.empty())
        lineFailure_ = why;
    if (bytes.empty())
        return all;
    received_ += bytes;
    Merge(all, reply_.OnData(bytes.data(), bytes.size()));
    for (int state : all.controlStates)
        settingMode_ = state == 1;
    if (all.restartPromptTimer)
        promptSeen_ = true;
    if (all.stopPromptTimer)
        promptSeen_ = false;
    return all;
}

bool CDeviceSession::Send(const std::string& bytes, std::string& why) {
    if (sentBefore_) {
        const int wait =
            static_cast<int>(kCommandSpacingMs) - static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              Clock::now() - lastSent_)
                                              .count());
        if (wait > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    }
    const bool sent = line_.Write(bytes, why);
    lastSent_ = Clock::now();
    sentBefore_ = true;
    return sent;
}

bool CDeviceSession::AwaitPrompt(int waitMs) {
    reply_.Reset(JOB_SETTING_PROMPT);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    std::string why;
    while (!promptSeen_ && !settingMode_ && MsLeft(deadline) > 0) {
        Pump(std::min(kSliceMs * 5, MsLeft(deadline)), why);
        if (!why.empty())
            return false;
    }
    return promptSeen_;
}

bool CDeviceSession::EnterSettingMode(int promptWaitMs, std::string& why) {
    settingMode_ = false;
    if (!promptSeen_) {
        Say("waiting up to " + std::to_string(promptWaitMs / 1000) +
            " s for the device's power-up prompt");
        AwaitPrompt(promptWaitMs);
    }
    if (promptSeen_) {
        // Answer the prompt with the key, again while it stands, until the command list comes.
        Say("power-up prompt seen: entering the setting mode");
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kSettingEntryMs);
        while (!settingMode_ && MsLeft(deadline) > 0) {
            if (promptSeen_ || reply_.JobType() == JOB_SETTING_PROMPT) {
                if (!Send("s", why))
                    return false;
            }
            const Clock::time_point next = Clock::now() + std::chrono::milliseconds(kPromptAnswerMs);
            while (!settingMode_ && MsLeft(next) > 0) {
                Pump(std::min(kSliceMs, MsLeft(next)), why);
                if (!why.empty())
                    return false;
            }
        }
    }
    if (!settingMode_) {
        // A device that is already running: the login sequence.
        Say("no prompt: sending +++ to a running device");
        reply_.Reset(JOB_LOGIN);
        if (!Send("+++", why))
            return false;
        const Clock::time_point deadline =
            Clock::now() + std::chrono::milliseconds(kLoginWaitMs * timeoutFactor_ + extraWaitMs_);
        while (!settingMode_ && MsLeft(deadline) > 0) {
            Pump(std::min(kSliceMs, MsLeft(deadline)), why);
            if (!why.empty())
                return false;
        }
    }
    if (!settingMode_) {
        why = "the device did not enter its setting mode (no power-up prompt, no answer to +++); "
              "check the cable, the baud rate and the format";
        return false;
    }
    // Whatever follows the entry (the rest of the command list) is not part of the first reply.
    const Clock::time_point settle = Clock::now() + std::chrono::milliseconds(100);
    while (MsLeft(settle) > 0)
        Pump(std::min(kSliceMs, MsLeft(settle)), why);
    why.clear();
    Say("in setting mode");
    return true;
}

std::optional<std::string> CDeviceSession::Run(const Job& job, std::string& why) {
    reply_.Reset(job.type);
    const std::string command(job.command.c_str(), std::strlen(job.command.c_str()));
    if (!Send(command, why)) {
        why = "the command was not sent: " + why;
        return std::nullopt;
    }
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(JobBaseWait(job) * timeoutFactor_ + extraWaitMs_);
    while (MsLeft(deadline) > 0) {
        const ReplyActions actions = Pump(std::min(kSliceMs, MsLeft(deadline)), why);
        if (actions.replyComplete)
            return reply_.CompletedReply();
        if (!why.empty()) {
            why = "the line failed: " + why;
            return std::nullopt;
        }
        if (!settingMode_ && !actions.controlStates.empty()) {
            why = "the device left its setting mode";
            return std::nullopt;
        }
    }
    reply_.ExpireWait("");
    why = "no answer from the device in time";
    return std::nullopt;
}

bool CDeviceSession::EnsureSettingMode(std::string& why) {
    if (!line_.IsOpen()) {
        why = "the port is closed";
        return false;
    }
    // Whatever the device said while nobody listened: a leave notice, a new power-up prompt.
    for (int i = 0; i < 3; ++i) {
        Pump(kSliceMs, why);
        if (!why.empty()) {
            why = "the line failed: " + why;
            return false;
        }
    }
    if (settingMode_)
        return true;
    Say("the device left its setting mode: entering it again");
    promptSeen_ = false;
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

// The dialogue with one device over a serial line, for programs without a window (the
// command-line tool): entering the setting mode, running jobs one at a time with the device's
// spacing, and recognising their replies exactly as the window's link does (CReplyAssembler).
// One thread; every call blocks until its answer is in or its wait has run out.
#pragma once

#include "exchange/device_dialogue.h"
#include "exchange/job.h"
#include "exchange/reply_recognition.h"
#include "serial/serial_line.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

class CDeviceSession : public IDeviceDialogue {
public:
    // Told what is happening, a line at a time (for the user's progress output).
    using Progress = std::function<void(const std::string&)>;
    CDeviceSession(ISerialLine& line, int baudRate, Progress progress = nullptr);

    // Brings the device into its setting mode. Listens up to promptWaitMs for the power-up
    // prompt and answers it with "s" (the device then lists its commands); when no prompt came,
    // sends "+++" to a running device and awaits "enter setting!". False with the reason.
    bool EnterSettingMode(int promptWaitMs, std::string& why);
    // Waits up to waitMs for a power-up prompt, sending nothing; true when one came (then
    // EnterSettingMode answers it at once).
    bool AwaitPrompt(int waitMs);

    // Runs one job: its command goes out at least 200 ms after the previous one, and the reply
    // is collected until it is complete or the job's wait (times the baud rate's factor) has
    // run out. The completed reply, or nothing with the reason.
    std::optional<std::string> Run(const Job& job, std::string& why) override;
    // Reads the device's configuration listing ("AT+SHOW").
    std::optional<std::string> ReadListing(std::string& why, JobType type = JOB_LOAD) override;
    // Takes what the device sent meanwhile (a device left waiting says when it times out of its
    // setting mode) and enters the setting mode again with "+++" when it left.
    bool EnsureSettingMode(std::string& why) override;
    bool InSettingMode() const { return settingMode_; }
    // Every wait for an answer is longer by this much (a network port's round trips).
    void SetExtraWaitMs(int ms) { extraWaitMs_ = ms < 0 ? 0 : ms; }
    // False with the reason when the line failed (the adapter went away, the peer hung up).
    bool EnsureLineAlive(std::string& why) const {
        why = lineFailure_;
        return why.empty() && line_.IsOpen();
    }
    // Makes the device leave its setting mode ("at+quit"); best effort.
    void Leave();

    // Everything received since the port was opened, for a transcript of the session.
    const std::string& Received() const { return received_; }

private:
    // Reads for up to waitMs and feeds the reply assembler; returns its actions (merged).
    ReplyActions Pump(int waitMs, std::string& why);
    bool Send(const std::string& bytes, std::string& why);
    void Say(const std::string& text) {
        if (progress_)
            progress_(text);
    }

    ISerialLine& line_;
    int timeoutFactor_ = 1;
    int extraWaitMs_ = 0;
    Progress progress_;
    CReplyAssembler reply_;
    std::chrono::steady_clock::time_point lastSent_{};
    bool sentBefore_ = false;
    bool promptSeen_ = false;
    bool settingMode_ = false;
    std::string received_;
    std::string lineFailure_; // the line's failure, once one was seen
};

// The dialogue with one device over a serial line, waited for: the device engine (CDeviceLink)
// on a line its caller opened, driven by a program without a window (the command-line tool,
// the station's ports). Entering the setting mode, running jobs one at a time with the device's
// spacing, recognising their replies: all the engine's; every call here blocks until its answer
// is in or its wait has run out.
#pragma once

#include "exchange/device_dialogue.h"
#include "exchange/device_link.h"
#include "exchange/job.h"
#include "serial/serial_line.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

class CDeviceSession : public IDeviceDialogue, private ILinkListener {
public:
    // Told what is happening, a line at a time (for the user's progress output).
    using Progress = std::function<void(const std::string&)>;
    // The line stays its caller's, open, for the session's whole life.
    CDeviceSession(ISerialLine& line, int baudRate, Progress progress = nullptr);
    ~CDeviceSession() override;
    CDeviceSession(const CDeviceSession&) = delete;
    CDeviceSession& operator=(const CDeviceSession&) = delete;

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
    bool InSettingMode() const { return link_.IsSettingMode(); }
    // Every wait for an answer is longer by this much (a network port's round trips).
    void SetExtraWaitMs(int ms) {
        extraWaitMs_ = ms < 0 ? 0 : ms;
        link_.SetExtraWaitMs(extraWaitMs_);
    }
    // False with the reason when the line failed (the adapter went away, the peer hung up).
    bool EnsureLineAlive(std::string& why) const;
    // Makes the device leave its setting mode ("at+quit"); best effort.
    void Leave();

    // Everything received since the port was opened, for a transcript of the session.
    std::string Received() const;

private:
    // The engine's reports.
    void OnLinkResult(const LinkResult& result) override;
    void OnControlState(bool on, int group, bool fromWorker) override;
    void OnLinkLog(const std::string& /*text*/) override {}
    void OnPortGone(const std::string& why) override;
    void OnReceived(const std::string& bytes) override;

    // Waits up to ms (checking every few milliseconds) until `done`; true when it came.
    bool WaitUntil(const std::function<bool()>& done, int ms);
    // The line's failure since the last look, as "why"; false when there was one.
    bool LineFine(std::string& why) const;
    void Say(const std::string& text) {
        if (progress_)
            progress_(text);
    }

    ISerialLine& line_;
    int timeoutFactor_ = 1;
    int extraWaitMs_ = 0;
    Progress progress_;
    mutable std::mutex lock_;
    std::condition_variable done_;
    bool jobDone_ = false;         // under lock_: the job in progress has ended
    LinkResult result_;            // under lock_: how it ended
    std::string received_;         // under lock_
    std::string lineFailure_;      // under lock_: the line's failure, once one was seen
    CDeviceLink link_;             // last: its threads end before the rest goes
};

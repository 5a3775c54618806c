// The device engine: one per port. It owns the serial line, the job queue, the reply assembler
// and the setting-mode handling, and runs two threads of its own:
//  - the reader takes what the line receives, feeds the reply assembler (which recognises the
//    replies and the setting-mode markers) and answers the device's power-up prompt with "s" at
//    the prompt timer's ticks;
//  - the worker sends the queued jobs one at a time, 200 ms apart, and waits for each reply.
// Whoever drives it subscribes with an ILinkListener: the window turns the calls into window
// messages, the command-line tool waits for them. Nothing is shared between two engines but
// read-only tables, so one program may run one engine per port.
#pragma once

#include "exchange/dialogue_policy.h"
#include "exchange/job_queue.h"
#include "exchange/reply_recognition.h"
#include "serial/serial_line.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// The setting-mode timer's period right after the port was opened: the prompt's answer rate.
constexpr unsigned kPromptTimerOpenMs = kPromptAnswerMs;

// How a job ended, for its subscriber. Every job the worker takes ends with exactly one.
struct LinkResult {
    enum class Kind {
        Listing,        // JOB_LOAD: the device's listing, to be read and shown on the pages
        Verify,         // JOB_VERIFY: the listing read after a write, to be compared with it
        SaveFile,       // JOB_SAVE_FILE: the listing, to be written to the file chosen
        ListingForFile, // JOB_LOAD_FILE: the device's listing (ok), or none came (not ok)
        NetMode,        // JOB_NET_MODE: the network mode the device reported (when ok)
        WriteAnswer,    // JOB_WRITE: how the device answered the write in `job`
        Other,          // any other job: its reply (when ok)
    };
    // A write's answer: "OK", "ERROR", or none (no answer in time, or not sent).
    enum class Answer { Acknowledged, Refused, None };
    Kind kind = Kind::Other;
    bool ok = true;
    std::string text;     // the completed reply (the network mode for NetMode)
    bool replied = false; // a reply came: `reply` holds it (whatever it said)
    std::string reply;
    std::string why;      // not ok: why not
    Job job;
    Answer answer = Answer::None;
};

// The kind of result a job of this type ends with.
LinkResult::Kind ResultKindOf(JobType type);

class ILinkListener {
public:
    virtual ~ILinkListener() = default;
    // A job ended. Called on the worker thread, which waits until it returns.
    virtual void OnLinkResult(const LinkResult& result) = 0;
    // A group of controls changes state (base/messages.h: STATE_QUEUE from the worker, which
    // waits; STATE_SETTING_MODE from the reader or the worker).
    virtual void OnControlState(bool on, int group, bool fromWorker) = 0;
    // A line for the log (any thread; must not wait for the engine's owner).
    virtual void OnLinkLog(const std::string& text) = 0;
    // The line failed: the adapter went away, the network server hung up. Once per opening, on
    // the reader thread.
    virtual void OnPortGone(const std::string& why) = 0;
    // Bytes as they arrived (for a transcript). Reader thread.
    virtual void OnReceived(const std::string& /*bytes*/) {}
};

class CDeviceLink {
public:
    // The texts of the log lines by section and key; the fallback when none is given.
    using TextLookup =
        std::function<std::string(const char* section, const char* key, const char* fallback)>;
    using LineMaker = std::function<std::unique_ptr<ISerialLine>()>;

    explicit CDeviceLink(ILinkListener& listener, TextLookup texts = nullptr,
                         LineMaker makeLine = MakeSerialLine);
    ~CDeviceLink();
    CDeviceLink(const CDeviceLink&) = delete;
    CDeviceLink& operator=(const CDeviceLink&) = delete;

    // Starts the worker. False when the thread could not be created.
    bool Start();
    // For support's check of the crash capture: every worker started from now on faults at
    // once, as a fault deep in a job would.
    static void FaultWorkersOnPurpose();
    // Ends the worker (a reply wait is cut short) and closes the port. `whileWaiting` runs
    // repeatedly until the worker has ended: a window hands it the messages the worker sends to
    // it meanwhile, so that the two never wait for each other. Idempotent.
    void Stop(const std::function<void()>& whileWaiting = nullptr);

    // Opens the port: the receive side awaits the setting-mode prompt, the time-out factor
    // follows the baud rate, and the prompt timer sends "s" every 300 ms. False with the reason
    // in LastOpenError().
    bool OpenDevicePort(const SerialLineSettings& line);
    // The same, but nothing is sent until the device's power-up prompt has been seen (then the
    // prompt timer answers it): for finding the baud rate by listening.
    bool OpenDevicePortListening(const SerialLineSettings& line);
    // Takes a line its owner opened already (and keeps owning): nothing is sent until a prompt
    // came; with `answerPrompts` false the prompt is never answered by the timer (the owner
    // enters the setting mode itself).
    bool AttachLine(ISerialLine& line, int baudRate, bool answerPrompts);
    const std::string& LastOpenError() const { return lastOpenError_; }
    // Closes the port (or lets an attached line go), empties the queue, stops the prompt timer
    // and clears the setting-mode flag. A job waiting for its reply ends without a time-out.
    void CloseDevicePort();
    bool IsOpen() const;
    const std::string& PortName() const { return portName_; }

    // Whether the device's power-up prompt has been seen since the opening (or the setting
    // mode entered).
    bool PromptSeen() const { return promptSeen_ || settingMode_; }
    // A prompt seen before counts no more (the next one is awaited).
    void ForgetPrompt() { promptSeen_ = false; }

    // The "Login" operation: empties the reply buffer, stops the timer, sends "+++", logs it
    // and awaits "enter setting!".
    void Login();
    // Sends bytes outside any job (the owner's own setting-mode entry), at least the command
    // spacing after the last bytes sent. False with the reason.
    bool SendRaw(const std::string& bytes, std::string& why);

    // Queues a job and wakes the worker, which sends it at once when it is idle.
    void PushJob(const Job& job);
    void ClearJobs() { queue_.ClearJobs(); }
    // The job in progress ends now as failed with `why` (the device left its setting mode).
    void AbandonJob(const std::string& why);

    // True from Stop() on: what the worker still reports is to be ignored.
    bool IsStopping() const { return stopping_; }
    // The setting-mode flag: kept by the receive side from the device's markers; an owner may
    // set it as well.
    void SetSettingMode(bool on) { settingMode_ = on; }
    bool IsSettingMode() const { return settingMode_; }
    // The time-out factor (at least 1) that multiplies every reply wait.
    void SetTimeoutFactor(int factor) { timeoutFactor_ = factor < 1 ? 1 : factor; }
    int GetTimeoutFactor() const { return timeoutFactor_; }
    // Every reply wait is longer by this much (a network port's round trips).
    void SetExtraWaitMs(int ms) { extraWaitMs_ = ms < 0 ? 0 : ms; }

    JobQueue& Queue() { return queue_; }
    CReplyAssembler& Reply() { return reply_; }
    bool IsWorkerRunning() const { return worker_.joinable(); }

    // The log line of a write's refusal, naming the field.
    std::string RefusalText(const Job& job) const;

    // The text after "+FINDNETMODE:" up to the next CR LF, when the reply is at most 100
    // bytes and has both; at most 39 characters are kept. False otherwise.
    static bool ExtractNetMode(const std::string& reply, std::string& mode);

private:
    using Clock = std::chrono::steady_clock;

    bool OpenLine(const SerialLineSettings& line);
    void StartReader();
    void StopReader();
    void RunReader();
    void RunWorker();
    // The worker thread's own function: a frame of its own, so that a crash report of the
    // worker shows where the thread began.
    static void WorkerThread(CDeviceLink* link);
    void OnPortData(const std::string& bytes);
    void OnPromptTick();
    // Sends under the write lock, spaced from the last bytes sent when `spaced`.
    bool Send(const std::string& bytes, bool spaced, std::string& why);
    // A job that got no reply: its subscriber learns why.
    void FinishJob(const Job& job, const std::string& why);
    void CompleteJob(const Job& job);
    void Deliver(const LinkResult& result);
    void Fail(const Job& job, const std::string& why);
    void Log(const std::string& text);
    std::string Text(const char* section, const char* key, const char* fallback,
                     const char* suffix = "") const;
    // The queue has run dry after a job: the buttons come back at once, not at the next turn.
    void NotifyIdleWhenDone();
    void StartPromptTimer(unsigned periodMs);
    void StopPromptTimer() { promptTimerWanted_ = false; }
    // Waits up to ms for a wake-up (a job, the stop); false when stopping.
    bool Nap(int ms);

    ILinkListener& listener_;
    TextLookup texts_;
    LineMaker makeLine_;
    std::unique_ptr<ISerialLine> ownLine_;
    std::atomic<ISerialLine*> line_{nullptr}; // the line in use: ownLine_ or an attached one
    std::string portName_;
    std::string lastOpenError_;
    JobQueue queue_;
    CReplyAssembler reply_;

    std::thread worker_;
    std::thread reader_;
    std::mutex wakeLock_;
    std::condition_variable wake_;
    bool jobSignal_ = false;        // under wakeLock_
    std::string abandoned_;         // under wakeLock_: why the job in progress ended
    std::mutex writeLock_;          // one writer at a time; the line's life
    Clock::time_point lastSent_{};  // under writeLock_
    bool sentBefore_ = false;       // under writeLock_

    std::atomic<bool> stopping_{false};
    std::atomic<bool> readerStop_{false};
    std::atomic<bool> settingMode_{false};
    std::atomic<bool> promptSeen_{false};
    std::atomic<bool> answerPrompts_{true};
    std::atomic<int> timeoutFactor_{1};
    std::atomic<int> extraWaitMs_{0};
    // The prompt timer: while wanted, the reader sends "s" every period.
    std::atomic<bool> promptTimerWanted_{false};
    std::atomic<unsigned> promptTimerPeriod_{0};
    std::atomic<long long> nextTickMs_{0}; // since the clock's epoch
    bool idleNotified_ = false; // worker thread only
};

// Reply assembly and recognition: everything the device sends is collected in one reply buffer,
// and the current job type decides, from a few fixed marker texts, when the awaited answer is
// complete. The device's own announcements of its setting mode are watched here too.
//
// This class holds no window, timer or event of its own: OnData returns what is to be done as
// plain data (ReplyActions) and the window thread carries it out. The worker thread's reset
// before each command and the receive side's append and recognition take the same lock, so they
// never overlap. The reply-complete signal is kept under that lock as well: the worker waits for
// it with WaitForReply, or the owner mirrors it into an event through SetReplySignalHook.
#pragma once

#include "exchange/job.h"

#include <array>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Marker texts, matched as plain case-sensitive substrings of the whole reply buffer.
constexpr const char* kMarkerPrompt = "'s' key";
constexpr const char* kMarkerCommandList = "AT+LIST";
constexpr const char* kMarkerLoginAccepted = "enter setting!";
constexpr const char* kMarkerSettingTimeout = "Seting Timeout and quit";
constexpr const char* kMarkerListing = "Access Point Name:";
constexpr const char* kMarkerOk = "OK";
constexpr const char* kMarkerError = "ERROR\r\n";

// Whether a completed reply acknowledges the command with "OK\r\n". The receive side completes
// a reply as soon as "OK" is in it, so the line end may still be on the wire when the worker
// looks: a reply that ends in "OK" or "OK\r" counts as acknowledged too, or an accepted write
// would be neither recorded nor logged.
bool ReplyAcknowledged(const std::string& reply);

// The setting-mode timer (sends "s" at every tick) and its period after a prompt.
constexpr unsigned kPromptTimerId = 101;
constexpr unsigned kPromptTimerRestartMs = 500;

// What one received chunk asks of the window thread, to be carried out in this order:
//  1. logText non-empty: PostLogText(logText);
//  2. each job in `jobs`: PushJob(job);
//  3. stopPromptTimer: KillTimer(101); then restartPromptTimer: SetTimer(101, 500 ms);
//  4. each value w in controlStates: PostMessage(WM_CONTROL_STATE, w, 0), in order.
// replyComplete tells that the reply signal was raised for this chunk (already done, under the
// lock, through the hook and for WaitForReply).
struct ReplyActions {
    std::string logText;
    std::vector<Job> jobs;
    bool stopPromptTimer = false;
    bool restartPromptTimer = false;
    std::vector<int> controlStates;
    bool replyComplete = false;
};

class CReplyAssembler {
public:
    // Buffer of 16000 bytes: at most 15999 reply bytes and a terminating zero.
    static constexpr int kBufferSize = 16000;
    static constexpr int kMaxCount = kBufferSize - 1;

    CReplyAssembler();

    // Receive side (window thread, OnPortData): appends n bytes (zero bytes become blanks; when
    // the buffer would overflow the oldest bytes are dropped so that the last 15999 remain),
    // recognises the reply by the current job type and watches for the setting-mode markers.
    ReplyActions OnData(const char* bytes, size_t n);

    // Worker side, before each command: empties the buffer, sets the current job type and lowers
    // the reply signal, all under the lock.
    void Reset(int jobType);

    // Sets the current job type and leaves the buffer as it is (opening the port:
    // JOB_SETTING_PROMPT). The login sequence empties the buffer as well: Reset(JOB_LOGIN).
    void SetJobType(int jobType);
    int JobType() const;

    // Replaces the buffer content by text (a configuration file read from disk): the last 15999
    // bytes are kept, zero bytes become blanks. The job type and the signal are left alone.
    void SetContent(const std::string& text);

    // Copy of the reply bytes held (count bytes, no terminator) and their number.
    std::string Reply() const;
    int Count() const;

    // Waits up to timeoutMs milliseconds for the reply signal; true when it is raised.
    bool WaitForReply(unsigned timeoutMs);
    // Shut-down: wakes a WaitForReply at once, and every later one returns at once too, with
    // the signal's state at that moment.
    void CancelWait();

    // Called under the lock with true when the reply signal is raised and false when it is
    // lowered, for an owner that keeps a Win32 manual-reset event in step with it
    // (SetEvent/ResetEvent). The hook must not call back into this object.
    void SetReplySignalHook(std::function<void(bool)> hook);

private:
    void AppendLocked(const char* bytes, size_t n);
    bool Contains(const char* marker) const;
    void EmptyLocked();
    void SignalLocked(bool raised);
    void RecogniseLocked(ReplyActions& actions);

    mutable std::mutex lock_;
    std::condition_variable signalChanged_;
    std::array<char, kBufferSize> buffer_{};
    int count_ = 0;
    int jobType_ = JOB_NONE;
    bool replySignal_ = false;
    bool cancelled_ = false;
    std::function<void(bool)> hook_;
};

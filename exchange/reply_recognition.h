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
// The device's final answers: a line of its own holding nothing but the word (and blanks);
// "ERROR" only once its line has ended, "OK" also while its line end is still on the wire. The
// same letters inside a value ("REGOK", "TOKEN42") or an echoed command ("AT+USER=ERROR") are no
// answer.
//  - A listing (its jobs read "AT+SHOW") is complete only when "OK" is the last line of what
//    was received: an "OK" line cannot occur inside it, but the device's final answer is what
//    ends it, and nothing of it may be cut off.
//  - Every other reply is complete at its first answer line after the echoed command, whatever
//    follows it in the same chunk (a banner after a reset, an unsolicited status line).
constexpr const char* kAnswerOk = "OK";
constexpr const char* kAnswerError = "ERROR";

// Whether text ends with the answer line `word` (see above). The line end after the word may
// still be on the wire.
bool EndsWithAnswer(const char* text, size_t length, const char* word);
inline bool EndsWithAnswer(const std::string& text, const char* word) {
    return EndsWithAnswer(text.data(), text.size(), word);
}

// The first answer line of a reply, if any.
enum class AnswerLine { None, Ok, Error };
AnswerLine FirstAnswerLine(const char* text, size_t length);
inline AnswerLine FirstAnswerLine(const std::string& text) {
    return FirstAnswerLine(text.data(), text.size());
}

// Whether a completed "AT+SHOW" reply is the device's configuration listing rather than a short
// answer: a listing of the smallest device is far longer than 3000 bytes.
constexpr size_t kMinListingBytes = 3000;
inline bool IsListingReply(const std::string& reply) {
    return reply.size() > kMinListingBytes;
}

// Whether text holds an "OK" line (for the replies that only an "OK" completes).
bool HasOkLine(const char* text, size_t length);

// Whether a completed reply (not a listing) acknowledges the command: its first answer line is
// "OK".
bool ReplyAcknowledged(const std::string& reply);
// Whether a completed reply (not a listing) refuses the command: its first answer line is
// "ERROR".
bool ReplyRefused(const std::string& reply);

// The setting-mode timer (sends "s" at every tick) and its period after a prompt.
constexpr unsigned kPromptTimerId = 101;
constexpr unsigned kPromptTimerRestartMs = 500;

// What one received chunk asks of the window thread, to be carried out in this order:
//  1. logText non-empty: PostLogText(logText) (already done through the log hook when one is
//     set, and then left empty here);
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

    // Sets the current job type and leaves the buffer as it is. Opening the port and the login
    // sequence empty the buffer as well: Reset(JOB_SETTING_PROMPT), Reset(JOB_LOGIN).
    void SetJobType(int jobType);
    int JobType() const;

    // Replaces the buffer content by text (a configuration file read from disk): the last 15999
    // bytes are kept, zero bytes become blanks. The job type and the signal are left alone.
    void SetContent(const std::string& text);

    // Copy of the reply bytes held (count bytes, no terminator) and their number.
    std::string Reply() const;
    // The reply as it stood when its signal was last raised: what the worker completes its job
    // with, even when the device's next announcement (a start-up prompt after a reset) has
    // emptied the buffer since.
    std::string CompletedReply() const;
    int Count() const;

    // The worker's wait for the current reply ran out: nothing is awaited any more, and what
    // still arrives is logged after `notice` (once), as a late reply.
    void ExpireWait(const std::string& notice);

    // The reply signal's state now, without waiting.
    bool IsReplySignalled() const;
    // Waits up to timeoutMs milliseconds for the reply signal; true when it is raised.
    bool WaitForReply(unsigned timeoutMs);
    // The port closed: a WaitForReply under way returns at once (false), and nothing is awaited.
    void AbandonWait();
    // Shut-down: wakes a WaitForReply at once, and every later one returns at once too, with
    // the signal's state at that moment.
    void CancelWait();

    // Called under the lock with true when the reply signal is raised and false when it is
    // lowered, for an owner that keeps a Win32 manual-reset event in step with it
    // (SetEvent/ResetEvent). The hook must not call back into this object.
    void SetReplySignalHook(std::function<void(bool)> hook);
    // Called under the lock with the text to be logged for each chunk, before the reply signal
    // can be raised for it: the device's reply then always reaches the log before the worker's
    // outcome line. The hook must not call back into this object.
    void SetLogHook(std::function<void(const std::string&)> hook);

private:
    void AppendLocked(const char* bytes, size_t n);
    bool Contains(const char* marker) const;
    // The first announcement of marker in the buffer at or after `from` (the start when null):
    // the device's own announcement is the marker not after a label on its line.
    const char* FindAnnouncement(const char* marker, const char* from = nullptr) const;
    // A prompt announcement that is not followed by the command list.
    bool PromptStillStands() const;
    bool ContainsAnnouncement(const char* marker) const;
    void EraseAnnouncementsLocked(const char* marker);
    // The buffer's last line is the answer `word` (listings).
    bool Answer(const char* word) const;
    // The buffer's first answer line (every other reply).
    AnswerLine FirstAnswer() const;
    // Whether `at` lies inside a listing being received: after its "Access Point Name:" and
    // before its final "OK" line. Markers there are values, not the device speaking.
    bool InsideListing(const char* at) const;
    void EmptyLocked();
    void SignalLocked(bool raised);
    void RecogniseLocked(ReplyActions& actions);

    mutable std::mutex lock_;
    std::condition_variable signalChanged_;
    std::array<char, kBufferSize> buffer_{};
    int count_ = 0;
    int jobType_ = JOB_NONE;
    bool replySignal_ = false;
    std::string completed_; // the buffer when the signal was last raised
    bool cancelled_ = false;
    unsigned abandoned_ = 0;   // counts AbandonWait calls
    bool late_ = false;        // after ExpireWait, until the next Reset
    std::string lateNotice_;   // logged before the first late chunk
    std::function<void(bool)> hook_;
    std::function<void(const std::string&)> logHook_;
};

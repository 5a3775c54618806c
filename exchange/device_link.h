// The link to the device: the serial port, the job queue, the reply buffer and its recognition,
// the setting-mode timer and flag, the time-out factor and the worker thread that conducts the
// dialogue. The main window owns one CDeviceLink as a member and routes its messages to it
// through HandleMessage; the window's own handlers (the control state, the log) stay with the
// window.
//
// Threads: the window thread calls everything here except the worker's own loop; the port
// thread enters only through the synchronous WM_PORT_DATA; the worker thread runs
// WorkerJobThreadProc. Every answer that touches controls or walks the catalogue is handled on
// the window thread: the worker sends it there as a LinkResult (WM_LINK_RESULT) and waits,
// holding no lock. Stop() handles the worker's sent messages while it waits
// for the worker, so a shut-down never deadlocks with the window thread.
#pragma once

#include "base/messages.h"
#include "exchange/job_queue.h"
#include "exchange/reply_recognition.h"
#include "params/parameter_store.h"
#include "serial/serial_port.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include "exchange/dialogue_policy.h"

#include <string>


// The opened port's line-event mask: received character and CTS change.
constexpr DWORD kPortEventMask = EV_RXCHAR | EV_CTS;
// The setting-mode timer's period right after the port was opened: the prompt's answer rate.
constexpr unsigned kPromptTimerOpenMs = kPromptAnswerMs;

// A job's answer for the window, sent with WM_LINK_RESULT (lParam points to it). The worker
// waits while the window handles it, and holds no lock meanwhile.
struct LinkResult {
    enum class Kind {
        Listing,        // JOB_LOAD: the device's listing, to be read and shown on the pages
        SaveFile,       // JOB_SAVE_FILE: the listing, to be written to the file chosen
        ListingForFile, // JOB_LOAD_FILE: the device's listing (ok), or none came (not ok)
        NetMode,        // JOB_NET_MODE: the network mode the device reported
        WriteAnswer,    // JOB_WRITE: how the device answered the write in `job`
    };
    // A write's answer: "OK", "ERROR", or none (no answer in time, or not sent).
    enum class Answer { Acknowledged, Refused, None };
    Kind kind = Kind::Listing;
    bool ok = true;
    std::string text;
    Job job;
    Answer answer = Answer::None;
};

class CDeviceLink {
public:
    explicit CDeviceLink(CParameterStore& store);
    ~CDeviceLink();
    CDeviceLink(const CDeviceLink&) = delete;
    CDeviceLink& operator=(const CDeviceLink&) = delete;

    // Starts the worker thread for the window (which also receives the port's messages).
    bool Start(HWND window);
    // Ends the worker: sets the stop event, cuts a reply wait short and waits for the thread
    // while handling what it sends. Then closes the port if it is still open. Idempotent.
    // Called on the window thread (the main window's destructor), never from inside a
    // completion or another handler of a message the worker sent.
    void Stop();

    // Routes the link's messages: WM_PORT_DATA and WM_TIMER 101. Returns true when the message
    // was one of them (result then holds the window procedure's result). WM_LINK_RESULT is the
    // window's own to handle (unless IsStopping()).
    bool HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Opening and closing the port, without the window's own part (log lines, button texts,
    // control states). OpenDevicePort: the receive side awaits the setting-mode prompt, the
    // time-out factor follows the baud rate, the port is opened with its thread and the
    // setting-mode timer starts sending "s" every 300 ms. False when the port did not open
    // (or the baud rate is not a positive number, or Start has not given the link a window).
    bool OpenDevicePort(const LineSettings& line);
    // The same, but nothing is sent until the device's power-up prompt has been seen (then the
    // setting-mode timer answers it): for finding the baud rate by listening.
    bool OpenDevicePortListening(const LineSettings& line);
    // Whether the device's power-up prompt has been seen since the opening (or the setting
    // mode entered).
    bool PromptSeen() const { return promptTimerWanted_ || settingMode_; }
    // The system's error code of the last opening that failed (0 when it did not).
    DWORD LastOpenError() const { return lastOpenError_; }
    // Closes the port, empties the queue, stops the setting-mode timer and clears the
    // setting-mode flag.
    void CloseDevicePort();

    // The "Login" operation: empties the reply buffer, stops the timer, sends "+++", logs it
    // and awaits "enter setting!".
    void Login();

    // Queues a job and wakes the worker, which sends it at once when it is idle.
    void PushJob(const Job& job);
    void ClearJobs() { queue_.ClearJobs(); }

    // The receive handler of WM_PORT_DATA (bytes has one writable byte behind count).
    LRESULT OnPortData(char* bytes, int count);
    // A tick of the setting-mode timer.
    void OnPromptTimer();
    // True from Stop() on: a WM_LINK_RESULT still sent then is to be ignored.
    bool IsStopping() const { return stopping_; }

    // The setting-mode flag: set and cleared by the control-state handler.
    void SetSettingMode(bool on) { settingMode_ = on; }
    bool IsSettingMode() const { return settingMode_; }
    // The time-out factor (at least 1) that multiplies every reply wait.
    void SetTimeoutFactor(int factor) { timeoutFactor_ = factor < 1 ? 1 : factor; }
    int GetTimeoutFactor() const { return timeoutFactor_; }

    CSerialPort& Port() { return port_; }
    JobQueue& Queue() { return queue_; }
    CReplyAssembler& Reply() { return reply_; }
    CParameterStore& Store() { return store_; }
    HWND Window() const { return window_; }
    bool IsWorkerRunning() const { return worker_ != nullptr; }

    // The log line of a write's refusal, naming the field.
    static std::string RefusalText(const Job& job);
    // The log line for a command that did not go out, with the reason.
    static std::string SendFailureText(const CSerialPort::SendResult& result);

    // The text after "+FINDNETMODE:" up to the next CR LF, when the reply is at most 100
    // bytes and has both; at most 39 characters are kept. False otherwise.
    static bool ExtractNetMode(const std::string& reply, std::string& mode);

    // The worker thread's procedure; its argument is the link. Returns 0.
    static DWORD WINAPI WorkerJobThreadProc(LPVOID link);

private:
    void RunWorker();
    void CompleteJob(const Job& job);
    // Sends to the window thread and waits, unless the link is stopping. False when not sent.
    bool SendToWindow(UINT msg, WPARAM wParam, LPARAM lParam);
    // Hands a job's answer to the window (WM_LINK_RESULT) and waits until it is handled.
    void Deliver(const LinkResult& result);
    void DeliverWriteAnswer(const Job& job, LinkResult::Answer answer);
    // The queue has run dry after a job: the buttons come back at once, not at the next turn.
    void NotifyIdleWhenDone();
    void StartPromptTimer(unsigned periodMs);
    void StopPromptTimer();

    CParameterStore& store_;
    CSerialPort port_;
    JobQueue queue_;
    CReplyAssembler reply_;
    HWND window_ = nullptr;
    HANDLE worker_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    HANDLE jobEvent_ = nullptr; // auto-reset: a job was pushed
    DWORD lastOpenError_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> settingMode_{false};
    std::atomic<int> timeoutFactor_{1};
    // The worker stops the setting-mode timer by clearing this; the next tick then kills the
    // window timer on the window thread instead of sending "s".
    std::atomic<bool> promptTimerWanted_{false};
    std::atomic<unsigned> promptTimerPeriod_{0}; // of the timer running while wanted
    bool idleNotified_ = false; // worker thread only
};

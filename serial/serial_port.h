// The Win32 serial port driver: one COM port, a port thread that waits for line events and
// hands every chunk of received bytes on, and synchronous writes from any thread. The bytes go
// either to an owner window with a synchronous message (OpenPort with an owner), or into the
// driver's own inbox, from which Read takes them (the serial line every program uses: Open).
#pragma once

#include "base/line_settings.h"
#include "base/messages.h"
#include "serial/serial_line.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

// The notifications the port thread gives its owner (WM_PORT_*) are in base/messages.h.

class CSerialPort : public ISerialLine {
public:
    // The number of bytes the port thread reads and delivers at most per message; the receive
    // buffer has one byte more, so the receiver may terminate the bytes in place.
    static constexpr DWORD kMaxDelivery = 4095;

    CSerialPort();
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens COM<line.portNumber> with the line settings and enables the line events of
    // eventMask. False when the device could not be opened (no box), or when a set-up step
    // (time-outs, events, line settings) failed: that step's error box has been shown and the
    // device is closed again. After a failure GetLastError() gives the system's reason.
    bool OpenPort(HWND owner, const LineSettings& line, DWORD eventMask);
    // Starts the port thread (after every successful OpenPort).
    bool StartPortThread();
    // Stops the port thread and closes the device. Returns promptly even while the port thread
    // waits in a delivery to the calling window thread; after it returns the port thread
    // has ended, so nothing more is delivered.
    void ClosePort();
    // What a write did: the bytes written, and why not all of them were.
    struct SendResult {
        DWORD written = 0;
        DWORD error = 0;        // the system's error code of a failed write (0: none)
        bool notOpen = false;   // the port is not open: nothing was written
        bool lineError = false; // the line reported receive errors: the input was purged and
                                // nothing was written
        bool Sent(DWORD length) const { return written == length && length > 0; }
    };
    // Writes the bytes and waits for the write. Writes from different threads never interleave.
    SendResult SendBytes(const char* bytes, DWORD length);
    // The error box for the calling thread's last system error.
    void ShowPortError(const char* stepName);

    bool IsOpen() const override { return portOpen_; }

    // The serial line: the port by its name ("COM5", or a device path), the received bytes
    // kept for Read. A set-up step that fails is shown like OpenPort's (box or hook) and
    // fails the opening with its reason.
    bool Open(const SerialLineSettings& settings, std::string& why) override;
    void Close() override { ClosePort(); }
    bool Write(const std::string& bytes, std::string& why) override;
    std::string Read(int timeoutMs, std::string& why) override;
    void DiscardInput() override;
    bool IsThreadAlive() const { return threadAlive_; }
    int GetPortNumber() const { return portNumber_; }
    // The line events in force: the mask given at opening, or received character alone after
    // the port turned out unable to report the others.
    DWORD GetEventMask() const { return eventMask_; }
    // True once this port fell back to received character alone.
    bool FellBackToReceiveOnly() const { return fellBack_; }

    // Tests and unattended runs replace the modal error box: the hook gets the box text.
    using ErrorBoxHook = void (*)(const char* text);
    static void SetErrorBoxHook(ErrorBoxHook hook);

private:
    // Opens the device by its path; the port number names it in error boxes.
    bool OpenDevice(HWND owner, const std::string& device, int portNumber,
                    const std::string& settings, DWORD eventMask, std::string* failedStep);
    static DWORD WINAPI PortThreadProc(LPVOID self);
    void RunPortThread();
    bool StartLineEventWait();
    bool FallBackToReceiveOnly(DWORD error);
    void NotifyLineEvents();
    // Reads what is waiting and delivers it; returns the number of bytes delivered.
    DWORD ReadAndDeliver();
    static bool IsDeviceGone(DWORD error);
    // For ports whose line-event waits keep failing: reads what arrives by looking at the input
    // queue, until the shutdown event.
    void PollReceived();
    void ReportGone(DWORD error);
    void Deliver(UINT message, WPARAM wParam, LPARAM lParam);
    void StopPortThread();
    void CloseEvents();

    std::atomic<bool> portOpen_{false};
    HANDLE portThread_ = nullptr;
    DWORD portThreadId_ = 0;
    std::atomic<bool> threadAlive_{false};
    std::atomic<bool> goneReported_{false};
    HANDLE shutdownEvent_ = nullptr;
    HANDLE port_ = INVALID_HANDLE_VALUE;
    HANDLE waitList_[2] = {nullptr, nullptr};
    OVERLAPPED overlapped_ = {};
    COMMTIMEOUTS timeouts_ = {};
    DCB lineSettings_ = {};
    HWND owner_ = nullptr;
    int portNumber_ = 0;
    std::atomic<DWORD> eventMask_{0};

    // The port thread is inside a SendMessageA to the owner.
    std::atomic<bool> delivering_{false};
    std::atomic<bool> fellBack_{false};
    // Without an owner window: what the port thread received, not read yet; and why the line
    // failed, once it did.
    std::mutex inboxLock_;
    std::condition_variable inboxReady_;
    std::string inbox_;
    DWORD goneError_ = 0;
    // The one lock of the port: guards the handle (opening, closing, every read and write), so
    // that writers never interleave and the handle is never closed under a read or a write. It
    // is never held while a delivery waits for the owner window.
    std::mutex lock_;
};

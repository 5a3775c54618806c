#include "serial/serial_port.h"

#include "base/messages.h"
#include "base/settings.h"
#include "base/system_message.h"
#include "base/wide.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

std::atomic<CSerialPort::ErrorBoxHook> g_errorBoxHook{nullptr};

using LockGuard = std::lock_guard<std::mutex>;

const DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
const DWORD kPurgeReceive = PURGE_RXABORT | PURGE_RXCLEAR;

// The line settings as BuildCommDCB reads them.
std::string ModeText(int baud, char parity, int dataBits, int stopBits) {
    char text[64];
    std::snprintf(text, sizeof(text), "baud=%d parity=%c data=%d stop=%d", baud, parity,
                  dataBits, stopBits);
    return text;
}

} // namespace

void CSerialPort::SetErrorBoxHook(ErrorBoxHook hook) {
    g_errorBoxHook = hook;
}

CSerialPort::CSerialPort() = default;

CSerialPort::~CSerialPort() {
    // The owner normally closes the port first; a port still open is closed here so that the
    // port thread never outlives the object it runs on.
    if (portThread_ || port_ != INVALID_HANDLE_VALUE)
        ClosePort();
    CloseEvents();
}

void CSerialPort::CloseEvents() {
    if (shutdownEvent_)
        CloseHandle(shutdownEvent_);
    if (overlapped_.hEvent)
        CloseHandle(overlapped_.hEvent);
    shutdownEvent_ = nullptr;
    overlapped_.hEvent = nullptr;
    waitList_[0] = waitList_[1] = nullptr;
}

bool CSerialPort::OpenPort(HWND owner, const LineSettings& line, DWORD eventMask) {
    return OpenDevice(owner, "\\\\.\\COM" + std::to_string(line.portNumber), line.portNumber,
                      ModeText(line.baudRate, line.parity, line.dataBits, line.stopBits),
                      eventMask, nullptr);
}

bool CSerialPort::Open(const SerialLineSettings& line, std::string& why) {
    ClosePort();
    std::string device = line.port;
    if (device.rfind("\\\\.\\", 0) != 0)
        device = "\\\\.\\" + device;
    // "COM12" is port number 12 in the error boxes; other names have none.
    int number = 0;
    const std::string name = device.substr(4);
    if (name.size() > 3 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "com") == 0))
        number = std::atoi(name.c_str() + 3);
    const std::string settings =
        ModeText(line.baudRate, line.parity, line.dataBits, line.stopBits);
    {
        std::lock_guard<std::mutex> guard(inboxLock_);
        inbox_.clear();
        goneError_ = 0;
    }
    std::string failedStep;
    if (!OpenDevice(nullptr, device, number, settings, EV_RXCHAR | EV_CTS, &failedStep)) {
        const DWORD error = GetLastError();
        if (!failedStep.empty())
            why = failedStep + ": " + SystemMessage(error);
        else if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
            why = LookupTextOr("OnStartCom", "InUse", "The port is in use by another program.");
        else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            why = LookupTextOr("OnStartCom", "NotPresent",
                               "There is no such port on this computer.");
        else
            why = SystemMessage(error);
        return false;
    }
    if (!StartPortThread()) {
        why = SystemMessage(GetLastError());
        ClosePort();
        return false;
    }
    return true;
}

bool CSerialPort::OpenDevice(HWND owner, const std::string& device, int portNumber,
                             const std::string& settings, DWORD eventMask,
                             std::string* failedStep) {
    portOpen_ = false;
    // An earlier port thread must be gone before its events and handle are replaced.
    StopPortThread();

    // Fresh events for this opening, both manual-reset and not signalled.
    CloseEvents();
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    shutdownEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    waitList_[0] = shutdownEvent_;
    waitList_[1] = overlapped_.hEvent;

    owner_ = owner;
    portNumber_ = portNumber;
    eventMask_ = eventMask;
    fellBack_ = false;

    LockGuard guard(lock_);
    if (port_ != INVALID_HANDLE_VALUE) {
        CloseHandle(port_);
        port_ = INVALID_HANDLE_VALUE;
    }
    port_ = CreateFileW(WideOf(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                        OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port_ == INVALID_HANDLE_VALUE)
        return false;

    // Every set-up step must succeed: a port whose time-outs, events or line settings were not
    // taken would read and write with whatever the last program left, and look open.
    timeouts_.ReadIntervalTimeout = 1000;
    timeouts_.ReadTotalTimeoutMultiplier = 1000;
    timeouts_.ReadTotalTimeoutConstant = 1000;
    timeouts_.WriteTotalTimeoutMultiplier = 1000;
    timeouts_.WriteTotalTimeoutConstant = 1000;
    const char* failed = nullptr;
    if (!SetCommTimeouts(port_, &timeouts_)) {
        failed = "SetCommTimeouts()";
    } else if (!SetCommMask(port_, eventMask)) {
        failed = "SetCommMask()";
    } else {
        lineSettings_ = DCB{};
        lineSettings_.DCBlength = sizeof(lineSettings_);
        if (!GetCommState(port_, &lineSettings_)) {
            failed = "GetCommState()";
        } else {
            lineSettings_.fRtsControl = RTS_CONTROL_ENABLE;
            if (!BuildCommDCBA(settings.c_str(), &lineSettings_))
                failed = "BuildCommDCB()";
            else if (!SetCommState(port_, &lineSettings_))
                failed = "SetCommState()";
        }
    }
    if (failed) {
        const DWORD error = GetLastError();
        ShowPortError(failed);
        CloseHandle(port_);
        port_ = INVALID_HANDLE_VALUE;
        if (failedStep)
            *failedStep = failed;
        SetLastError(error);
        return false;
    }

    PurgeComm(port_, kPurgeAll);
    portOpen_ = true;
    return true;
}

bool CSerialPort::StartPortThread() {
    StopPortThread();
    if (!shutdownEvent_ || !overlapped_.hEvent)
        return false;
    ResetEvent(shutdownEvent_);
    // Created suspended so that the handle is recorded before the thread runs.
    portThread_ = CreateThread(nullptr, 0, PortThreadProc, this, CREATE_SUSPENDED, &portThreadId_);
    if (!portThread_)
        return false;
    SetThreadPriority(portThread_, THREAD_PRIORITY_HIGHEST);
    ResumeThread(portThread_);
    return true;
}

// Ends the port thread and waits for it. The thread may be blocked in a synchronous delivery to
// this very thread (the owner window's thread): the messages sent to this thread are handled
// while waiting, so that delivery returns and the thread sees the shutdown event. When called
// from inside the delivery itself, the port thread is released first.
void CSerialPort::StopPortThread() {
    if (!portThread_) {
        threadAlive_ = false;
        return;
    }
    if (shutdownEvent_)
        SetEvent(shutdownEvent_);
    if (delivering_ && InSendMessage())
        ReplyMessage(0);
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &portThread_, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1)
            break; // the thread ended (or the wait failed: nothing left to wait for)
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(portThread_);
    portThread_ = nullptr;
    portThreadId_ = 0;
    threadAlive_ = false;
}

void CSerialPort::ClosePort() {
    // From here on nothing counts as received: a delivery the port thread had already started
    // is seen by the receiver with the port no longer open.
    portOpen_ = false;
    StopPortThread();
    if (shutdownEvent_)
        ResetEvent(shutdownEvent_);
    if (overlapped_.hEvent)
        ResetEvent(overlapped_.hEvent);

    {
        LockGuard guard(lock_);
        if (port_ != INVALID_HANDLE_VALUE) {
            CloseHandle(port_);
            port_ = INVALID_HANDLE_VALUE;
        }
    }
    inboxReady_.notify_all();
}

bool CSerialPort::Write(const std::string& bytes, std::string& why) {
    const SendResult sent = SendBytes(bytes.data(), static_cast<DWORD>(bytes.size()));
    if (sent.Sent(static_cast<DWORD>(bytes.size())) || (bytes.empty() && !sent.notOpen &&
                                                         !sent.lineError && sent.error == 0))
        return true;
    if (sent.notOpen)
        why = LookupTextOr("WorkerJobThreadProc", "SendNotOpen", "the port is not open.");
    else if (sent.lineError)
        why = LookupTextOr("WorkerJobThreadProc", "SendLineError",
                           "the line reported receive errors (noise, or another baud rate or "
                           "format than the device's); what had arrived was discarded.");
    else
        why = SystemMessage(sent.error);
    return false;
}

std::string CSerialPort::Read(int timeoutMs, std::string& why) {
    std::unique_lock<std::mutex> guard(inboxLock_);
    inboxReady_.wait_for(guard, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                         [this] { return !inbox_.empty() || goneError_ != 0 || !portOpen_; });
    std::string bytes;
    bytes.swap(inbox_);
    if (bytes.empty()) {
        if (goneError_ != 0)
            why = SystemMessage(goneError_);
        else if (!portOpen_)
            why = LookupTextOr("WorkerJobThreadProc", "SendNotOpen", "the port is not open.");
    }
    return bytes;
}

void CSerialPort::DiscardInput() {
    {
        LockGuard guard(lock_);
        if (port_ != INVALID_HANDLE_VALUE)
            PurgeComm(port_, kPurgeReceive);
    }
    std::lock_guard<std::mutex> guard(inboxLock_);
    inbox_.clear();
}

CSerialPort::SendResult CSerialPort::SendBytes(const char* bytes, DWORD length) {
    SendResult result;
    LockGuard guard(lock_);
    if (!portOpen_ || port_ == INVALID_HANDLE_VALUE) {
        result.notOpen = true;
        return result;
    }
    DWORD errors = 0;
    COMSTAT status = {};
    if (!ClearCommError(port_, &errors, &status)) {
        // The adapter is gone (or the handle no longer works): say why instead of writing.
        result.error = GetLastError();
        return result;
    }
    if (errors) {
        PurgeComm(port_, kPurgeReceive);
        result.lineError = true;
        return result;
    }
    if (!bytes || length == 0)
        return result;

    // A completion record of its own: the port thread's record is busy with its waits and reads.
    OVERLAPPED write = {};
    write.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!write.hEvent) {
        result.error = GetLastError();
        return result;
    }
    if (!WriteFile(port_, bytes, length, &result.written, &write)) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            result.error = error;
            result.written = 0;
        } else if (!GetOverlappedResult(port_, &write, &result.written, TRUE)) {
            result.error = GetLastError();
        }
    }
    if (result.error == 0 && result.written < length)
        result.error = ERROR_WRITE_FAULT; // the write timed out part way
    CloseHandle(write.hEvent);
    return result;
}

void CSerialPort::ShowPortError(const char* stepName) {
    DWORD code = GetLastError();
    char system[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), system,
                                  sizeof(system) - 1, nullptr);
    system[length < sizeof(system) ? length : sizeof(system) - 1] = 0;
    // snprintf cuts a long system text at the end of the buffer instead of overflowing it.
    char text[200];
    std::snprintf(text, sizeof(text),
                  "WARNING:  %s Failed with the following error: \n%s\nPort: %d\n",
                  stepName ? stepName : "", system, portNumber_);
    if (ErrorBoxHook hook = g_errorBoxHook)
        hook(text);
    else
        MessageBoxA(nullptr, text, "Application Error", MB_ICONSTOP);
}

DWORD WINAPI CSerialPort::PortThreadProc(LPVOID self) {
    static_cast<CSerialPort*>(self)->RunPortThread();
    return 100;
}

// Some ports (a pty under Wine among them) cannot report modem-line changes and refuse the whole
// line-event wait with "not supported". Received data is what matters: such a port goes on with
// received character alone, once, silently. False when that does not apply.
bool CSerialPort::FallBackToReceiveOnly(DWORD error) {
    const DWORD mask = eventMask_;
    if (error != ERROR_NOT_SUPPORTED || fellBack_ || !(mask & EV_RXCHAR) || mask == EV_RXCHAR ||
        !SetCommMask(port_, EV_RXCHAR))
        return false;
    fellBack_ = true;
    eventMask_ = EV_RXCHAR;
    return true;
}

// Starts the overlapped wait for a line event. Returns false when the wait cannot be started
// at all (its error box has been shown); the thread then only waits for the shutdown event.
bool CSerialPort::StartLineEventWait() {
    for (;;) {
        DWORD occurred = 0;
        if (WaitCommEvent(port_, &occurred, &overlapped_)) {
            DWORD errors = 0;
            COMSTAT status = {};
            ClearCommError(port_, &errors, &status);
            if (status.cbInQue == 0)
                continue;
            return true;
        }
        DWORD error = GetLastError();
        if (error == ERROR_IO_PENDING || error == ERROR_INVALID_PARAMETER)
            return true;
        if (FallBackToReceiveOnly(error))
            continue;
        SetLastError(error);
        ShowPortError("WaitCommEvent()");
        return false;
    }
}

// Errors with which the system answers waits and reads on a port whose device has gone.
bool CSerialPort::IsDeviceGone(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_HANDLE:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_BAD_UNIT:
    case ERROR_IO_DEVICE:
    case ERROR_DEV_NOT_EXIST:
        return true;
    default:
        return false;
    }
}

void CSerialPort::ReportGone(DWORD error) {
    if (goneReported_.exchange(true))
        return;
    if (!owner_) {
        {
            std::lock_guard<std::mutex> guard(inboxLock_);
            goneError_ = error ? error : ERROR_DEVICE_NOT_CONNECTED;
        }
        inboxReady_.notify_all();
        return;
    }
    // Posted: the owner closes the port in answer, which waits for this thread.
    PostMessageA(owner_, WM_PORT_GONE, 0, portNumber_);
}

void CSerialPort::RunPortThread() {
    threadAlive_ = true;
    goneReported_ = false;
    if (port_ != INVALID_HANDLE_VALUE)
        PurgeComm(port_, kPurgeAll);
    bool waiting = false;
    DWORD failures = 0; // line-event waits that failed in a row
    for (;;) {
        if (!waiting)
            waiting = StartLineEventWait();
        DWORD r = waiting ? WaitForMultipleObjects(2, waitList_, FALSE, INFINITE)
                          : WaitForSingleObject(shutdownEvent_, INFINITE);
        if (r == WAIT_OBJECT_0) {
            // Shutdown. A line-event wait still pending is cancelled before the thread ends.
            if (waiting && !HasOverlappedIoCompleted(&overlapped_)) {
                DWORD ignored = 0;
                CancelIo(port_);
                GetOverlappedResult(port_, &overlapped_, &ignored, TRUE);
            }
            threadAlive_ = false;
            return;
        }
        waiting = false;
        if (r != WAIT_OBJECT_0 + 1)
            continue;
        DWORD ignored = 0;
        if (!GetOverlappedResult(port_, &overlapped_, &ignored, FALSE)) {
            const DWORD error = GetLastError();
            if (FallBackToReceiveOnly(error))
                continue;
            ResetEvent(overlapped_.hEvent);
            if (IsDeviceGone(error))
                ReportGone(error); // the poll below then only waits for the shutdown
            // Some drivers (Wine on a pty) end every wait at once with an error. Received bytes
            // are read all the same; once waits have failed three times in a row the thread
            // stops asking for them and looks at the input queue instead, often while bytes
            // come and every 50 ms while the device is silent, so that an idle open port costs
            // next to no processor time.
            if (!goneReported_)
                ReadAndDeliver();
            if (goneReported_ || ++failures >= 3) {
                PollReceived();
                threadAlive_ = false;
                return;
            }
            continue;
        }
        failures = 0;
        ResetEvent(overlapped_.hEvent);
        NotifyLineEvents();
    }
}

void CSerialPort::PollReceived() {
    DWORD quiet = 0; // looks in a row that found nothing
    for (;;) {
        if (goneReported_) {
            WaitForSingleObject(shutdownEvent_, INFINITE);
            return;
        }
        if (ReadAndDeliver() > 0)
            quiet = 0;
        else if (quiet < 10)
            ++quiet;
        if (WaitForSingleObject(shutdownEvent_, quiet * 5) == WAIT_OBJECT_0)
            return;
    }
}

void CSerialPort::Deliver(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!owner_) {
        // No window: received bytes wait in the inbox for Read; the line events are not asked
        // for.
        if (message == WM_PORT_DATA && lParam > 0) {
            {
                std::lock_guard<std::mutex> guard(inboxLock_);
                inbox_.append(reinterpret_cast<const char*>(wParam), static_cast<size_t>(lParam));
            }
            inboxReady_.notify_all();
        }
        return;
    }
    delivering_ = true;
    SendMessageA(owner_, message, wParam, lParam);
    delivering_ = false;
}

void CSerialPort::NotifyLineEvents() {
    DWORD mask = 0;
    GetCommMask(port_, &mask);
    if (mask & EV_CTS)
        Deliver(WM_PORT_CTS, 0, portNumber_);
    if (mask & EV_RXFLAG)
        Deliver(WM_PORT_EVENT_CHAR, 0, portNumber_);
    if (mask & EV_BREAK)
        Deliver(WM_PORT_BREAK, 0, portNumber_);
    if (mask & EV_ERR)
        Deliver(WM_PORT_LINE_ERROR, 0, portNumber_);
    if (mask & EV_RING)
        Deliver(WM_PORT_RING, 0, portNumber_);
    if (mask & EV_RXCHAR)
        ReadAndDeliver();
}

DWORD CSerialPort::ReadAndDeliver() {
    if (!portOpen_)
        return 0;
    DWORD waiting = 0;
    {
        LockGuard guard(lock_);
        DWORD errors = 0;
        COMSTAT status = {};
        if (ClearCommError(port_, &errors, &status)) {
            if (errors) {
                PurgeComm(port_, kPurgeReceive);
                return 0;
            }
            waiting = status.cbInQue;
        } else if (const DWORD error = GetLastError(); IsDeviceGone(error)) {
            ReportGone(error);
            return 0;
        }
    }
    if (waiting == 0)
        return 0;

    char buffer[kMaxDelivery + 1];
    DWORD got = 0;
    {
        LockGuard guard(lock_);
        DWORD wanted = waiting < kMaxDelivery ? waiting : kMaxDelivery;
        if (!ReadFile(port_, buffer, wanted, &got, &overlapped_)) {
            if (GetLastError() != ERROR_IO_PENDING)
                return 0;
            // The bytes are already waiting, so the read completes at once; it is still waited
            // for (or cancelled on shutdown) because it writes into this stack buffer and uses
            // the record that the next line-event wait needs.
            HANDLE events[2] = {shutdownEvent_, overlapped_.hEvent};
            if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
                CancelIo(port_);
            if (!GetOverlappedResult(port_, &overlapped_, &got, TRUE))
                got = 0;
        }
    }
    buffer[got] = 0;
    if (got > 0 && portOpen_)
        Deliver(WM_PORT_DATA, reinterpret_cast<WPARAM>(buffer), static_cast<LPARAM>(got));
    return got;
}

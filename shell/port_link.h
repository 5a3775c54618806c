// One port and the device on it, for programs that talk to devices without a window of their
// own (dtucfg, the production line of the window's station): opening by name (serial or
// network), finding the baud rate by listening, the setting mode, waiting for the next unit,
// reading. One thread uses a link; several links run side by side, one per port.
#pragma once

#include "exchange/device_session.h"
#include "serial/serial_line.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// How a command ends, as dtucfg's exit codes say it: everything done; some value failed; bad
// arguments or files; the port is not available or the device did not answer.
enum Exit { kOk = 0, kFailed = 1, kBadArguments = 2, kNoPort = 3 };

// How a port is opened and waited on.
struct PortOptions {
    int baud = 115200;
    bool baudAuto = false;       // listen for the prompt at each rate in turn
    std::string format = "8N1";  // data bits, parity, stop bits
    int waitSeconds = -1;        // -1: each use's own default
};

// One port and the device on it: opening, the baud rate, the setting mode, reading.
class CPortLink {
public:
    // `say` gets progress lines (with the port's name in front when `namePort`); `stopping`,
    // when it says so, ends the waits for units.
    CPortLink(const PortOptions& options, std::string port, bool namePort,
              std::function<void(const std::string&)> say,
              std::function<bool()> stopping = nullptr);
    const std::string& Port() const { return port_; }
    // Says a line, with the port's name in front when several ports are in use.
    void Say(const std::string& text) const;

    // Opens the port and enters the setting mode (the power-up prompt awaited promptWaitMs,
    // then "+++"); the exit code on failure, else -1.
    int Connect(int promptWaitMs);
    // Production line: waits for the next unit's power-up prompt (waitMs < 0: until it comes,
    // Ctrl+C is pressed or `give_up` says so) and enters its setting mode. False with the
    // reason.
    bool AwaitUnit(int waitMs, std::string& why, const std::function<bool()>& giveUp = nullptr);
    // The device's listing; on failure the exit code in `code` (kNoPort: the device entered
    // its setting mode but sent no listing).
    std::optional<std::string> ReadDevice(int& code);
    // The firmware version the device reports ("" when it does not).
    std::string Version();
    CDeviceSession& Session() { return *session_; }
    void Leave();
    void Close();

private:
    SerialLineSettings Settings() const;
    // Listens for the power-up prompt at each rate in turn for up to waitMs (< 0: until a
    // stop is asked for), sending nothing; the port stays open at the rate found.
    bool FindBaudRate(int waitMs, std::string& why);
    bool OpenAt(int baud, std::string& why);
    // Ends the session (its engine reads the line) and closes the line.
    void CloseLine();

    bool Stopping() const { return stopping_ && stopping_(); }

    PortOptions options_;
    std::function<void(const std::string&)> say_;
    std::function<bool()> stopping_;
    std::string port_;
    bool namePort_ = false;
    int baud_ = 115200;
    std::unique_ptr<ISerialLine> line_;
    std::unique_ptr<CDeviceSession> session_;
};


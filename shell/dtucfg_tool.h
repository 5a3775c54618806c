// What dtucfg's commands share: saying what happens, files, the labels people write, one port's
// dialogue with its device (CPortLink), and the commands themselves (CTool). The production
// line (apply) is in dtucfg_apply.cpp.
#pragma once

#include "exchange/device_session.h"
#include "serial/serial_line.h"
#include "base/json.h"
#include "shell/dtucfg_options.h"
#include "shell/write_flow.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Progress and outcomes on stderr, a line at a time ("dtucfg: ..."); safe from several threads.
void Say(const std::string& text);
// The last line said (a failure's reason, for results as data).
std::string LastSaid();

// Files by UTF-8 path; false with the system's reason.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& why);
bool WriteFileBytes(const std::string& path, const std::string& bytes, std::string& why);
// Whether a file can be made or replaced at path (its folder exists and may be written).
bool CanWriteFile(const std::string& path, std::string& why);

// The catalogue of every label (read-only; for lookups).
const CParameterStore& Labels();
// The listing label of what a user wrote ("Server's Port", "Modem'sID number"), or "".
std::string LabelOfUserName(const std::string& name);

// Set by Ctrl+C: commands that wait for units end once the units in progress are done.
extern std::atomic<bool> g_stopRequested;
void InstallStopHandler();

// One port and the device on it: opening, the baud rate, the setting mode, reading.
class CPortLink {
public:
    CPortLink(const Options& options, std::string port, bool namePort);
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

    const Options& options_;
    std::string port_;
    bool namePort_ = false;
    int baud_ = 115200;
    std::unique_ptr<ISerialLine> line_;
    std::optional<CDeviceSession> session_;
};

class CTool {
public:
    CTool(Options options, const char* argv0) : options_(std::move(options)), argv0_(argv0) {}
    int Run();
    // Whether a value was changed (or, in a dry run, would be).
    bool ChangedAny() const { return changedAny_; }

private:
    int Ports();
    int Read();
    int DiffOrWrite(bool write);
    int Compare();
    int Undo();
    int Apply();

    std::string SkinFolder() const;
    bool CheckSkin() const;
    std::string BackupFolder() const;
    // The --set options as (label, value); the exit code on failure, else -1.
    int ReadSets(std::vector<std::pair<std::string, std::string>>& sets) const;
    // A .cfg file with the sets on top; the exit code on failure, else -1.
    int LoadValues(const std::string& path,
                   const std::vector<std::pair<std::string, std::string>>& sets,
                   ConfigValues& values) const;
    // Prints the rows that are not sent (invalid, not applied) and the page logic's messages.
    void PrintUnsent(const CWriteFlow& flow) const;
    // Prints each sent row's outcome; the number that failed.
    size_t PrintOutcomes(const CWriteFlow& flow) const;
    bool Confirm(const CWriteFlow& flow, const char* what) const;
    const std::string& OnePort() const { return options_.ports.front(); }

    // A result as data (--format json), with the command, the port and the time taken.
    void Emit(CJson result, const std::string& port) const;

    Options options_;
    const char* argv0_;
    bool changedAny_ = false;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

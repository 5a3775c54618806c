// What dtucfg's commands share: saying what happens, files, the labels people write, one port's
// dialogue with its device (CPortLink), and the commands themselves (CTool). The production
// line (apply) is in dtucfg_apply.cpp.
#pragma once

#include "shell/port_link.h"
#include "base/files.h"
#include "base/json.h"
#include "shell/dtucfg_options.h"
#include "shell/units_file.h"
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


// The catalogue of every label (read-only; for lookups).
const CParameterStore& Labels();

// Set by Ctrl+C: commands that wait for units end once the units in progress are done.
extern std::atomic<bool> g_stopRequested;
void InstallStopHandler();
// The folder of the running program (UTF-8).
std::string ProgramFolderOf(const char* argv0);

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
    // Prints each sent row's outcome (not with --format json); the number that failed.
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

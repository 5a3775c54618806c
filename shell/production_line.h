// The production line: on each port, unit after unit, the template and its row's values written
// and verified, one report row per unit. Each port runs its own device dialogue (CPortLink) in a
// thread of its own; the ports share only the rows and the report. Rows go to units in order (a
// unit that fails keeps its row for the next unit on its port) or by the unit's own identity
// (a match label). dtucfg apply and the window's station both run it and listen to it.
#pragma once

#include "base/json.h"
#include "shell/port_link.h"
#include "shell/units_file.h"
#include "shell/write_flow.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct LineOptions {
    PortOptions port;
    std::vector<std::string> ports;
    std::string skin;     // the English skin whose pages decide what is written
    std::string backups;  // the snapshot folder
    std::string report;
    std::string match;    // the label matching a unit to its row ("" : in order)
    std::string operatorName;
    int stopAfter = 0;    // end after this many units (0: when the rows are done)
    bool check = false;   // a dry run: nothing sent, no report
    bool resume = false;  // skip the units the report holds as verified
};

enum class UnitStage { Waiting, Reading, Writing, Verifying, Done };

struct UnitProgress {
    std::string port;
    UnitStage stage = UnitStage::Waiting;
    std::string unit;     // the row's unit, when known
    std::string identity; // what the unit reports (its ID), when read
    size_t done = 0, total = 0; // writing: rows sent of all
};

// What the line tells, from the ports' threads (whoever listens passes it on to its own
// thread). Any of the three may be left empty.
struct LineListener {
    // A progress line (with the port's name in front when several ports run).
    std::function<void(const std::string& text)> said;
    std::function<void(const UnitProgress&)> progress;
    // A unit's result as data: command, port, unit, identity, changed, diff, rows, outcome
    // ("verified", "failed", "unknown unit"; in a dry run "would change" and the like), failed,
    // reason, snapshot, seconds.
    std::function<void(const CJson&)> finished;

    void Say(const std::string& text) const {
        if (said)
            said(text);
    }
};

struct LineSummary {
    int verified = 0, failed = 0, portsFailed = 0;
    bool reportBroken = false, changed = false;
};

class CProductionLine {
public:
    CProductionLine(LineOptions options, LineListener listener);
    ~CProductionLine();
    // Reads and checks the template, the units file and the report; false with the reason,
    // and then nothing was sent.
    bool Prepare(const std::string& templatePath, const std::string& unitsPath, std::string& why);
    // Runs every port until its rows are done, a stop is asked for or --stop-after is reached;
    // blocks. The units in progress finish and are reported.
    LineSummary Run();
    // Asks for the end (from any thread).
    void Stop();
    // Another condition that asks for the end (Ctrl+C).
    void SetExternalStop(std::function<bool()> stopping);
    size_t Rows() const;
    size_t Remaining() const;

private:
    struct State;
    LineOptions options_;
    std::unique_ptr<State> state_;
};

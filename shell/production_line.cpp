#include "shell/production_line.h"

#include "base/files.h"
#include "base/text.h"
#include "params/listing_parser.h"
#include "params/snapshots.h"
#include "shell/line_report.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <map>
#include <mutex>
#include <thread>

#ifdef _WIN32
#include <cstdlib>
#else
#include <unistd.h>
#endif

namespace {

std::string Now() {
    const std::tm local = LocalNow();
    char text[32] = {};
    std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string StationName() {
#ifdef _WIN32
    const char* name = std::getenv("COMPUTERNAME");
    return name ? name : "";
#else
    char name[256] = {};
    return gethostname(name, sizeof(name) - 1) == 0 ? name : "";
#endif
}

std::string Joined(const std::vector<std::string>& labels, const char* between = ", ") {
    std::string text;
    for (const std::string& label : labels)
        text += (text.empty() ? "" : between) + label;
    return text;
}

// Which rows are taken, by which port, and which are done; shared by the ports.
class CRowBook {
public:
    explicit CRowBook(std::vector<UnitRow> rows) : rows_(std::move(rows)), state_(rows_.size()) {}
    void MarkDone(const std::string& unit) {
        for (size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i].unit == unit)
                state_[i] = State::Done;
    }
    // The next free row in order, taken; -1 when none is left.
    int TakeNext() {
        std::lock_guard<std::mutex> hold(lock_);
        for (size_t i = 0; i < rows_.size(); ++i)
            if (state_[i] == State::Free) {
                state_[i] = State::Taken;
                return static_cast<int>(i);
            }
        return -1;
    }
    // The row of a unit's identity, taken: -1 when no row has it, -2 when it is done or taken.
    int TakeIdentity(const std::string& identity) {
        std::lock_guard<std::mutex> hold(lock_);
        for (size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i].identity == identity) {
                if (state_[i] != State::Free)
                    return -2;
                state_[i] = State::Taken;
                return static_cast<int>(i);
            }
        return -1;
    }
    void Finish(int row, bool verified) {
        std::lock_guard<std::mutex> hold(lock_);
        state_[static_cast<size_t>(row)] = verified ? State::Done : State::Free;
    }
    // The rows not done yet.
    size_t Left() {
        std::lock_guard<std::mutex> hold(lock_);
        return static_cast<size_t>(std::count_if(state_.begin(), state_.end(),
                                                  [](State s) { return s != State::Done; }));
    }
    // Nothing left to do: every row done.
    bool AllDone() {
        std::lock_guard<std::mutex> hold(lock_);
        for (State state : state_)
            if (state != State::Done)
                return false;
        return true;
    }
    const UnitRow& Row(int row) const { return rows_[static_cast<size_t>(row)]; }
    size_t RowCount() const { return rows_.size(); }

private:
    enum class State { Free, Taken, Done };
    std::vector<UnitRow> rows_;
    std::vector<State> state_;
    std::mutex lock_;
};

struct LineShared {
    const LineOptions* options = nullptr;
    LineListener listener;
    std::function<bool()> externalStop;
    std::atomic<bool> stop{false};
    std::string skin;
    std::string backups;
    ConfigValues templateValues;
    CRowBook* book = nullptr;
    CReport* report = nullptr;
    std::string station;
    std::atomic<int> unitsStarted{0};
    std::atomic<int> failed{0};
    std::atomic<int> verified{0};
    std::atomic<int> portsFailed{0};
    std::atomic<bool> changed{false};
    std::atomic<bool> reportBroken{false};
    bool Stopping() const {
        return stop || (externalStop && externalStop()) || reportBroken ||
               (options->stopAfter > 0 && unitsStarted >= options->stopAfter);
    }
};

// One port's part of the line: unit after unit until the rows run out or a stop.
class CPortLine {
public:
    CPortLine(LineShared& shared, const std::string& port, bool namePort)
        : shared_(shared),
          link_(shared.options->port, port, namePort,
                [&shared](const std::string& text) { shared.listener.Say(text); },
                [&shared] { return shared.Stopping(); }) {}

    void Run() {
        const LineOptions& options = *shared_.options;
        const int waitMs = options.port.waitSeconds < 0 ? -1 : options.port.waitSeconds * 1000;
        while (!shared_.Stopping()) {
            if (shared_.book->AllDone())
                break;
            if (options.match.empty() && kept_ < 0) {
                kept_ = shared_.book->TakeNext();
                if (kept_ < 0)
                    break; // the other ports hold the rows left
            }
            Stage(UnitStage::Waiting, kept_ >= 0 ? shared_.book->Row(kept_).unit : "", "");
            link_.Say(kept_ >= 0 ? "unit " + shared_.book->Row(kept_).unit +
                                       ": waiting for the device's power-up prompt (connect "
                                       "and power it)"
                                 : "waiting for the next unit's power-up prompt (connect and "
                                   "power it)");
            std::string why;
            // Matched rows may all be done by the other ports while this one waits.
            const auto nothingLeft = [this] { return shared_.Stopping() || shared_.book->AllDone(); };
            if (!link_.AwaitUnit(waitMs, why, nothingLeft)) {
                if (nothingLeft())
                    break;
                // The port is gone, or no unit came within --wait: this port ends, its row
                // left undone (no unit was there to report).
                link_.Say(why + (kept_ >= 0 ? "; unit " + shared_.book->Row(kept_).unit +
                                                  " was not configured"
                                            : std::string()) +
                          "; this port stops");
                ++shared_.portsFailed;
                break;
            }
            ++shared_.unitsStarted;
            Unit();
        }
        if (kept_ >= 0)
            shared_.book->Finish(kept_, false);
        link_.Close();
    }

private:
    void Report(const std::string& unit, const std::string& version, const std::string& idBefore,
                const std::string& idAfter, const std::string& written,
                const std::string& outcome, const std::string& reason,
                const std::string& identity, const CWriteFlow* flow = nullptr) {
        const LineOptions& options = *shared_.options;
        {
            CJson result = flow ? FlowResult(*flow, options.check) : CJson::Object();
            result.Set("command", CJson::String("apply"));
            result.Set("port", CJson::String(link_.Port()));
            result.Set("check", CJson::Bool(options.check));
            result.Set("unit", CJson::String(unit));
            result.Set("identity", CJson::String(identity.empty() ? idBefore : identity));
            result.Set("version", CJson::String(version));
            result.Set("id_before", CJson::String(idBefore));
            result.Set("id_after", CJson::String(idAfter));
            result.Set("outcome", CJson::String(outcome));
            result.Set("failed", CJson::Bool(outcome != "verified" && outcome != "would change" &&
                                             outcome != "nothing to change"));
            if (!result.Find("changed"))
                result.Set("changed", CJson::Bool(false));
            result.Set("reason", CJson::String(reason));
            result.Set("snapshot", CJson::String(flow && !flow->Snapshot().empty()
                                                     ? CSnapshotFolder(shared_.backups)
                                                           .PathOf(flow->Snapshot())
                                                     : ""));
            const double seconds = std::chrono::duration<double>(
                                       std::chrono::steady_clock::now() - unitStarted_)
                                       .count();
            result.Set("seconds", CJson::Number(double(static_cast<long long>(seconds * 1000)) / 1000));
            if (result.Find("changed")->AsBool())
                shared_.changed = true;
            if (shared_.listener.finished)
                shared_.listener.finished(result);
        }
        if (options.check)
            return; // a dry run keeps no record
        std::string why;
        if (!shared_.report->Append({Now(), unit, version, idBefore, idAfter, written, outcome,
                                     reason, shared_.station, link_.Port(),
                                     shared_.options->operatorName, identity},
                                    why)) {
            shared_.listener.Say("the report " + shared_.options->report + " could not be written (" + why +
                  "): the line stops");
            shared_.reportBroken = true;
        }
    }

    void Stage(UnitStage stage, const std::string& unit, const std::string& identity,
               size_t done = 0, size_t total = 0) {
        UnitProgress progress;
        progress.port = link_.Port();
        progress.stage = stage;
        progress.unit = unit;
        progress.identity = identity;
        progress.done = done;
        progress.total = total;
        if (shared_.listener.progress)
            shared_.listener.progress(progress);
    }

    void Unit() {
        unitStarted_ = std::chrono::steady_clock::now();
        Stage(UnitStage::Reading, kept_ >= 0 ? shared_.book->Row(kept_).unit : "", "");
        const std::string version = link_.Version();
        int code = kOk;
        const std::optional<std::string> device = link_.ReadDevice(code);
        if (!device) {
            FailUnit(kept_ >= 0 ? shared_.book->Row(kept_).unit : "", version, "",
                 "the configuration was not read", "");
            return;
        }
        const std::string idBefore = DeviceIdOf(*device);
        int row = kept_;
        std::string identity;
        if (!shared_.options->match.empty()) {
            std::string label = LabelOfUserName(shared_.options->match);
            ExtractValue(*device, label, identity);
            row = shared_.book->TakeIdentity(identity);
            if (row < 0) {
                const std::string reason = row == -1 ? "unknown unit: no row for " + identity
                                                     : "refused: the row of " + identity +
                                                           " is applied already or in progress";
                link_.Say(reason + "; nothing was written");
                link_.Leave();
                Report("", version, idBefore, idBefore, "", row == -1 ? "unknown unit" : "failed",
                       reason, identity);
                Stage(UnitStage::Done, "", identity);
                ++shared_.failed;
                return;
            }
        }
        const UnitRow& unit = shared_.book->Row(row);
        link_.Say("unit " + unit.unit + ": writing");
        ConfigValues values = shared_.templateValues;
        for (const auto& [label, value] : unit.values)
            SetConfigValue(values, label, value);
        CWriteFlow flow(shared_.skin, [this](const std::string& text) { link_.Say(text); });
        if (!flow.Plan(*device, values)) {
            FailUnit(unit.unit, version, idBefore,
                 "the pages of the skin " + shared_.skin + " cannot be read: nothing was written",
                 identity);
            // In order the row stays this port's; matched, it is free again.
            if (!shared_.options->match.empty())
                shared_.book->Finish(row, false);
            kept_ = shared_.options->match.empty() ? row : -1;
            return;
        }
        const std::string shownIdentity = identity.empty() ? idBefore : identity;
        flow.SetProgress([&](size_t done, size_t total, bool verifying) {
            Stage(verifying ? UnitStage::Verifying : UnitStage::Writing, unit.unit, shownIdentity,
                  done, total);
        });
        Stage(UnitStage::Writing, unit.unit, shownIdentity, 0, flow.ToSend());
        for (const std::string& message : flow.Messages())
            link_.Say(message);
        CSnapshotFolder backups(shared_.backups);
        std::string why;
        const bool dryRun = shared_.options->check;
        const bool ran = dryRun || flow.Execute(link_.Session(), &backups, why);
        std::vector<std::string> reasons;
        if (!ran)
            reasons.push_back(why);
        for (const std::string& label : flow.Invalid())
            reasons.push_back(label + " breaks its rule");
        if (!flow.NotApplied().empty())
            reasons.push_back("not applied: " + Joined(flow.NotApplied()));
        std::vector<std::string> written;
        for (const PlanRow& planned : flow.Rows()) {
            if (!planned.applicable || !planned.ticked)
                continue;
            written.push_back(planned.label);
            if (planned.outcome != PlanOutcome::Verified)
                reasons.push_back(planned.label + " " +
                                  OutcomeText(planned.outcome, PlanTexts()));
        }
        if (dryRun) {
            // Nothing was sent: the rows say what would be.
            reasons.erase(std::remove_if(reasons.begin(), reasons.end(),
                                         [](const std::string& reason) {
                                             return reason.find(" not sent") != std::string::npos;
                                         }),
                          reasons.end());
            link_.Leave();
            const std::string outcome = !reasons.empty() ? "would fail"
                                        : flow.ToSend() ? "would change" : "nothing to change";
            Report(unit.unit, version, idBefore, idBefore, "", outcome, Joined(reasons, "; "),
                   identity, &flow);
            link_.Say("unit " + unit.unit + ": " + outcome + "; nothing was sent");
            shared_.book->Finish(row, true);
            Stage(UnitStage::Done, unit.unit, shownIdentity);
            if (reasons.empty())
                ++shared_.verified;
            else
                ++shared_.failed;
            kept_ = -1;
            return;
        }
        if (ran && reasons.empty() && !flow.Unmet().empty())
            reasons.push_back("not in the device after the write: " + Joined(flow.Unmet()));
        std::sort(written.begin(), written.end());
        const bool verified = ran && reasons.empty() && flow.AllVerified();
        if (!verified && reasons.empty())
            reasons.push_back("not verified");
        // The unit leaves its setting mode before it is reported done: the next unit may be
        // connected as soon as the report says so.
        link_.Leave();
        const std::string idAfter = flow.After().empty() ? idBefore : DeviceIdOf(flow.After());
        Report(unit.unit, version, idBefore, idAfter, Joined(written, ";"),
               verified ? "verified" : "failed", Joined(reasons, "; "), identity, &flow);
        link_.Say("unit " + unit.unit + ": " +
                  (verified ? "verified" : "failed: " + Joined(reasons, "; ")));
        Stage(UnitStage::Done, unit.unit, shownIdentity);
        if (verified) {
            shared_.book->Finish(row, true);
            ++shared_.verified;
            kept_ = -1;
        } else {
            ++shared_.failed;
            // In order, the row stays this port's for its next unit; matched, it is free again
            // for the unit that has its identity.
            if (!shared_.options->match.empty())
                shared_.book->Finish(row, false);
            kept_ = shared_.options->match.empty() ? row : -1;
        }
    }

    void FailUnit(const std::string& unit, const std::string& version, const std::string& idBefore,
              const std::string& reason, const std::string& identity) {
        link_.Leave();
        Report(unit, version, idBefore, idBefore, "", "failed", reason, identity);
        Stage(UnitStage::Done, unit, identity);
        link_.Say((unit.empty() ? "unit" : "unit " + unit) + ": failed: " + reason);
        ++shared_.failed;
    }

    LineShared& shared_;
    CPortLink link_;
    std::chrono::steady_clock::time_point unitStarted_ = std::chrono::steady_clock::now();
    int kept_ = -1; // the row this port holds (in order)
};

} // namespace


struct CProductionLine::State {
    LineShared shared;
    std::unique_ptr<CRowBook> book;
    std::unique_ptr<CReport> report;
};

CProductionLine::CProductionLine(LineOptions options, LineListener listener)
    : options_(std::move(options)), state_(std::make_unique<State>()) {
    state_->shared.options = &options_;
    state_->shared.listener = std::move(listener);
    state_->shared.skin = options_.skin;
    state_->shared.backups = options_.backups;
    state_->shared.station = StationName();
}

CProductionLine::~CProductionLine() = default;

void CProductionLine::SetExternalStop(std::function<bool()> stopping) {
    state_->shared.externalStop = std::move(stopping);
}

void CProductionLine::Stop() {
    state_->shared.stop = true;
}

bool CProductionLine::Prepare(const std::string& templatePath, const std::string& unitsPath,
                              std::string& why) {
    const LineListener& listener = state_->shared.listener;
    if (options_.ports.empty()) {
        why = "no port is chosen";
        return false;
    }
    for (const std::string& port : options_.ports)
        if (std::count(options_.ports.begin(), options_.ports.end(), port) > 1) {
            why = "the port " + port + " is given twice";
            return false;
        }
    // Every file is read and checked once, before anything is sent; so are the pages.
    {
        CPageSession pages;
        if (!pages.Load(options_.skin)) {
            why = "the skin folder " + options_.skin + " cannot be read";
            return false;
        }
    }
    std::string bytes;
    if (!ReadFileBytes(unitsPath, bytes, why)) {
        why = unitsPath + " cannot be read: " + why;
        return false;
    }
    std::vector<UnitRow> rows;
    if (!ReadUnitsFile(bytes, options_.match, rows, why)) {
        why = unitsPath + ": " + why;
        return false;
    }
    if (!ReadFileBytes(templatePath, bytes, why)) {
        why = templatePath + " cannot be read: " + why;
        return false;
    }
    ConfigValues& values = state_->shared.templateValues;
    if (!ReadValuesFile(bytes, values, why)) {
        why = templatePath + (why.rfind("line ", 0) == 0 || why.front() == '"' ? ": " : " ") + why;
        return false;
    }
    if (values.labels.keys.empty() && values.labels.listItems.empty()) {
        why = templatePath + " names no parameter (a line such as \"Server's Port:9001\" for each value)";
        return false;
    }
    state_->report = std::make_unique<CReport>(options_.report);
    std::set<std::string> verifiedBefore;
    if (!options_.check && !state_->report->Open(verifiedBefore, why)) {
        why = "the report " + options_.report + " " +
              (why.rfind("line", 0) == 0 || why.rfind("cannot", 0) == 0 ? why
                                                                        : "cannot be written: " + why);
        return false;
    }
    state_->book = std::make_unique<CRowBook>(std::move(rows));
    CRowBook& book = *state_->book;
    if (options_.resume)
        for (size_t i = 0; i < book.RowCount(); ++i)
            if (verifiedBefore.count(book.Row(static_cast<int>(i)).unit)) {
                listener.Say("unit " + book.Row(static_cast<int>(i)).unit +
                              ": verified in an earlier run, skipped");
                book.MarkDone(book.Row(static_cast<int>(i)).unit);
            }
    state_->shared.book = state_->book.get();
    state_->shared.report = state_->report.get();
    return true;
}

size_t CProductionLine::Rows() const {
    return state_->book ? state_->book->RowCount() : 0;
}

size_t CProductionLine::Remaining() const {
    return state_->book ? state_->book->Left() : 0;
}

LineSummary CProductionLine::Run() {
    LineShared& shared = state_->shared;
    LineSummary summary;
    if (!shared.book)
        return summary;
    std::vector<std::unique_ptr<CPortLine>> lines;
    for (const std::string& port : options_.ports)
        lines.push_back(std::make_unique<CPortLine>(shared, port, options_.ports.size() > 1));
    if (lines.size() == 1) {
        lines.front()->Run();
    } else {
        std::vector<std::thread> threads;
        for (auto& line : lines)
            threads.emplace_back([&line] { line->Run(); });
        for (std::thread& thread : threads)
            thread.join();
    }
    summary.verified = shared.verified;
    summary.failed = shared.failed;
    summary.portsFailed = shared.portsFailed;
    summary.reportBroken = shared.reportBroken;
    summary.changed = shared.changed;
    return summary;
}

// dtucfg's commands for one device: ports, read, diff, write, compare, undo.
#include "shell/dtucfg_tool.h"

#include "shell/dtucfg_json.h"

#include "params/config_file.h"
#include "params/listing_parser.h"
#include "params/snapshots.h"
#include "params/value_rules.h"
#include "base/text.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#define ORVEL_ISATTY _isatty
#define ORVEL_FILENO _fileno
#else
#include <unistd.h>
#define ORVEL_ISATTY isatty
#define ORVEL_FILENO fileno
#endif

namespace {

void SayLine(const std::string& text) {
    Say(text);
}

PortOptions PortOptionsOf(const Options& options) {
    PortOptions port;
    port.baud = options.baud;
    port.baudAuto = options.baudAuto;
    port.format = options.format;
    port.waitSeconds = options.waitSeconds;
    return port;
}

std::string Joined(const std::vector<std::string>& labels) {
    std::string text;
    for (const std::string& label : labels)
        text += (text.empty() ? "" : ", ") + label;
    return text;
}

} // namespace

int CTool::Run() {
    if (options_.command == "ports")
        return Ports();
    if (options_.command == "schema") {
        EmitResult(SchemaJson());
        return kOk;
    }
    if (options_.command == "compare" && !options_.cfg2.empty())
        return Compare();
    if (options_.ports.empty()) {
        Say("--port is needed (see --help)");
        return kBadArguments;
    }
    if (options_.command == "apply")
        return Apply();
    if (options_.ports.size() > 1) {
        Say(options_.command + " takes one --port; only apply drives several");
        return kBadArguments;
    }
    if (options_.command == "read")
        return Read();
    if (options_.command == "diff" || options_.command == "write")
        return DiffOrWrite(options_.command == "write");
    if (options_.command == "compare")
        return Compare();
    if (options_.command == "undo")
        return Undo();
    Say("unknown command \"" + options_.command + "\" (see --help)");
    return kBadArguments;
}

int CTool::Ports() {
    for (const SerialPortInfo& port : ListSerialLines()) {
        if (options_.json) {
            CJson line = CJson::Object();
            line.Set("port", CJson::String(port.name));
            line.Set("description", CJson::String(port.description));
            line.Set("in_use", CJson::Bool(port.inUse));
            EmitResult(line);
            continue;
        }
        std::printf("%s\t%s\t%s\n", port.name.c_str(), port.description.c_str(),
                    port.inUse ? "in use" : "free");
    }
    return kOk;
}

int CTool::ReadSets(std::vector<std::pair<std::string, std::string>>& sets) const {
    for (const std::string& set : options_.sets) {
        const size_t eq = set.find('=');
        const std::string label =
            eq == std::string::npos ? "" : LabelOfUserName(set.substr(0, eq));
        if (label.empty()) {
            Say("--set \"" + set + "\": no such label");
            return kBadArguments;
        }
        if (IsReadOnlyLabel(Labels().parameters, label)) {
            Say("--set \"" + set + "\": " + PlainLabel(label) +
                " is reported by the device and cannot be written");
            return kBadArguments;
        }
        const std::string value = set.substr(eq + 1);
        if (value.find_first_of("\r\n") != std::string::npos) {
            Say("--set \"" + set + "\": a value cannot hold a line break");
            return kBadArguments;
        }
        const RuleBreak rule = CheckValue(KeyOfLabel(Labels().parameters, Labels().lists, label),
                                          value);
        if (rule != RuleBreak::None) {
            Say("--set \"" + set + "\": \"" + value + "\" is " + RuleBreakText(rule, ""));
            return kBadArguments;
        }
        sets.emplace_back(label, value);
    }
    return -1;
}

int CTool::LoadValues(const std::string& path,
                      const std::vector<std::pair<std::string, std::string>>& sets,
                      ConfigValues& values) const {
    std::string bytes, why;
    if (path.empty()) {
        // Values given on the command line only.
        ReadConfigValues("", values, why);
    } else if (!ReadFileBytes(path, bytes, why)) {
        Say(path + " cannot be read: " + why);
        return kBadArguments;
    } else if (!ReadValuesFile(bytes, values, why)) {
        Say(path + (why.rfind("line ", 0) == 0 || why.front() == '"' ? ": " : " ") + why);
        return kBadArguments;
    }
    for (const auto& [label, value] : sets)
        SetConfigValue(values, label, value);
    if (values.labels.keys.empty() && values.labels.listItems.empty()) {
        Say((path.empty() ? std::string("--set") : path) +
            " names no parameter (a line such as \"Server's Port:9001\" for each value)");
        return kBadArguments;
    }
    return -1;
}

void CTool::PrintUnsent(const CWriteFlow& flow) const {
    for (const PlanRow& row : flow.Rows()) {
        if (row.rule != RuleBreak::None) {
            // Refused before it leaves: the device cannot take it.
            std::printf("%s\t%s\t%s\tinvalid: %s\n", row.label.c_str(), row.deviceValue.c_str(),
                        row.newValue.c_str(), RuleBreakText(row.rule, "").c_str());
        } else if (!row.applicable) {
            std::printf("%s\t%s\t%s\tnot applied\n", row.label.c_str(), row.deviceValue.c_str(),
                        row.newValue.c_str());
            Say("not applied: " + row.label + " (not in use with the device's other settings, or "
                "a value its page cannot show)");
        }
    }
    for (const std::string& message : flow.Messages())
        Say(message);
}

size_t CTool::PrintOutcomes(const CWriteFlow& flow) const {
    size_t failed = 0;
    for (const PlanRow& row : flow.Rows()) {
        if (!row.applicable || !row.ticked)
            continue;
        failed += row.outcome != PlanOutcome::Verified;
        if (options_.json)
            continue; // the rows go out as data instead
        std::printf("%s\t%s\t%s\t%s\n", row.label.c_str(), row.deviceValue.c_str(),
                    row.newValue.c_str(), OutcomeText(row.outcome, PlanTexts()).c_str());
    }
    return failed;
}

bool CTool::Confirm(const CWriteFlow& flow, const char* what) const {
    if (options_.yes)
        return true;
    for (const PlanRow& row : flow.Rows())
        if (row.applicable && row.ticked)
            std::fprintf(stderr, "  %s: %s -> %s\n", row.label.c_str(), row.deviceValue.c_str(),
                         row.newValue.c_str());
    std::fprintf(stderr, "dtucfg: %s %zu value(s)? [y/N] ", what, flow.ToSend());
    // Without a terminal nobody sees the question's line go on: end it.
    if (!ORVEL_ISATTY(ORVEL_FILENO(stdin)))
        std::fprintf(stderr, "\n");
    std::fflush(stderr);
    std::string answer;
    if (std::getline(std::cin, answer) && (answer == "y" || answer == "Y" || answer == "yes"))
        return true;
    Say("nothing was written");
    return false;
}

void CTool::Emit(CJson result, const std::string& port) const {
    if (!options_.json)
        return;
    CJson line = CJson::Object();
    line.Set("command", CJson::String(options_.command));
    line.Set("port", CJson::String(port));
    line.Set("check", CJson::Bool(options_.check || options_.command == "diff"));
    for (auto& [name, value] : result.Members())
        line.Set(name, value);
    if (!line.Find("failed"))
        line.Set("failed", CJson::Bool(false));
    if (!line.Find("changed"))
        line.Set("changed", CJson::Bool(false));
    if (!line.Find("reason"))
        line.Set("reason", CJson::String(line.Find("failed")->AsBool() ? LastSaid() : ""));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                                         started_)
                               .count();
    line.Set("seconds", CJson::Number(static_cast<double>(static_cast<long long>(seconds * 1000)) / 1000));
    EmitResult(line);
}

// A command that failed before it had a result: said as data too.
static CJson Failure() {
    CJson result = CJson::Object();
    result.Set("failed", CJson::Bool(true));
    result.Set("outcome", CJson::String("failed"));
    return result;
}

int CTool::Read() {
    auto fail = [this](int code) {
        Emit(Failure(), OnePort());
        return code;
    };
    if (!options_.out.empty()) {
        // The output is checked before the device is disturbed.
        std::string why;
        if (!CanWriteFile(options_.out, why)) {
            Say(options_.out + " cannot be written: " + why);
            return fail(kBadArguments);
        }
    }
    CPortLink link(PortOptionsOf(options_), OnePort(), false, SayLine);
    if (const int failed = link.Connect(options_.waitSeconds < 0 ? 3000 : options_.waitSeconds * 1000); failed >= 0)
        return fail(failed);
    int code = kOk;
    const std::optional<std::string> listing = link.ReadDevice(code);
    if (!listing)
        return fail(code);
    if (!options_.out.empty()) {
        std::string why;
        if (!WriteFileBytes(options_.out, ListingToFileBytes(*listing), why)) {
            Say(options_.out + " cannot be written: " + why);
            link.Leave();
            return fail(kBadArguments);
        }
        Say("saved to " + options_.out);
    }
    if (options_.json) {
        CJson result = CJson::Object();
        result.Set("identity", CJson::String(DeviceIdOf(*listing)));
        result.Set("bytes", CJson::Number(double(listing->size())));
        result.Set("out", CJson::String(options_.out));
        result.Set("outcome", CJson::String("read"));
        Emit(std::move(result), OnePort());
    } else {
        std::printf("read\t%s\t%zu bytes\t%s\n", OnePort().c_str(), listing->size(),
                    DeviceIdOf(*listing).c_str());
    }
    link.Leave();
    return kOk;
}

int CTool::DiffOrWrite(bool write) {
    const std::string port = OnePort();
    // The result as data, whatever ends the command.
    auto fail = [&](int code) {
        Emit(Failure(), port);
        return code;
    };
    if (options_.cfg.empty() && options_.sets.empty()) {
        Say("--cfg FILE (or --set \"Label=value\") is needed (see --help)");
        return fail(kBadArguments);
    }
    if (!CheckSkin())
        return fail(kBadArguments);
    // The file first: a bad file is refused before anything is sent.
    std::vector<std::pair<std::string, std::string>> sets;
    if (const int bad = ReadSets(sets); bad >= 0)
        return fail(bad);
    ConfigValues values;
    if (const int bad = LoadValues(options_.cfg, sets, values); bad >= 0)
        return fail(bad);

    CPortLink link(PortOptionsOf(options_), port, false, SayLine);
    if (const int failed = link.Connect(options_.waitSeconds < 0 ? 3000 : options_.waitSeconds * 1000); failed >= 0)
        return fail(failed);
    int code = kOk;
    const std::optional<std::string> device = link.ReadDevice(code);
    if (!device)
        return fail(code);
    CWriteFlow flow(SkinFolder(), [&link](const std::string& text) { link.Say(text); });
    flow.Plan(*device, values);
    const bool dryRun = !write || options_.check;
    auto finish = [&](int exitCode, const std::string& snapshot) {
        CJson result = FlowResult(flow, dryRun);
        result.Set("identity", CJson::String(DeviceIdOf(*device)));
        result.Set("snapshot", CJson::String(snapshot));
        changedAny_ = changedAny_ || result.Find("changed")->AsBool();
        Emit(std::move(result), port);
        link.Leave();
        return exitCode;
    };
    if (!options_.json)
        PrintUnsent(flow);
    const std::vector<std::string> invalid = flow.Invalid(), notApplied = flow.NotApplied();
    const bool refused = !invalid.empty() || !notApplied.empty();
    if (dryRun) {
        if (!options_.json)
            for (const PlanRow& row : flow.Rows())
                if (row.applicable && row.ticked)
                    std::printf("%s\t%s\t%s\t%s", row.label.c_str(), row.deviceValue.c_str(),
                                row.newValue.c_str(), row.job.command.c_str());
        Say(std::to_string(flow.ToSend()) + " command(s) would be sent; nothing was sent");
        return finish(refused ? kFailed : kOk, "");
    }
    if (flow.ToSend() == 0) {
        const std::vector<std::string> unmet = flow.Unmet();
        if (!refused && unmet.empty())
            Say("the device already holds the file's values: nothing to write");
        else
            Say("nothing written; the device still differs: " +
                Joined(notApplied.empty() ? (invalid.empty() ? unmet : invalid) : notApplied));
        return finish(!refused && unmet.empty() ? kOk : kFailed, "");
    }
    if (!Confirm(flow, "write these")) {
        link.Leave();
        return fail(kFailed);
    }
    CSnapshotFolder backups(BackupFolder());
    std::string why;
    if (!flow.Execute(link.Session(), &backups, why)) {
        Say(why);
        link.Leave();
        return fail(kFailed);
    }
    const size_t failed = PrintOutcomes(flow);
    Say(std::to_string(flow.ToSend() - failed) + " written and verified, " +
        std::to_string(failed) + " failed" +
        (invalid.empty() ? "" : ", " + std::to_string(invalid.size()) + " invalid and not sent") +
        (notApplied.empty() ? "" : ", not applied: " + Joined(notApplied)));
    return finish(flow.AllVerified() ? kOk : kFailed,
                  flow.Snapshot().empty() ? "" : backups.PathOf(flow.Snapshot()));
}

int CTool::Undo() {
    auto fail = [this](int code) {
        Emit(Failure(), OnePort());
        return code;
    };
    if (!CheckSkin())
        return fail(kBadArguments);
    CPortLink link(PortOptionsOf(options_), OnePort(), false, SayLine);
    if (const int failed = link.Connect(options_.waitSeconds < 0 ? 3000 : options_.waitSeconds * 1000); failed >= 0)
        return fail(failed);
    int code = kOk;
    const std::optional<std::string> device = link.ReadDevice(code);
    if (!device)
        return fail(code);
    CSnapshotFolder backups(BackupFolder());
    CSnapshotFolder::Found found;
    const bool have = backups.Latest(DeviceIdOf(*device), found);
    for (const std::string& skipped : found.skipped)
        Say("the snapshot " + skipped + " is cut short or cannot be read: an older one is used");
    if (!have) {
        Say("no snapshot of device " + DeviceIdOf(*device) + " in " + BackupFolder());
        link.Leave();
        return fail(kBadArguments);
    }
    Say("undoing the last write: back to " + found.name);
    ConfigValues values;
    std::string why;
    if (!ReadConfigValues(ListingToFileBytes(found.listing), values, why)) {
        Say(found.name + " " + why);
        link.Leave();
        return fail(kBadArguments);
    }
    CWriteFlow flow(SkinFolder(), [&link](const std::string& text) { link.Say(text); });
    flow.Plan(*device, values, true);
    auto finish = [&](int exitCode) {
        CJson result = FlowResult(flow, false);
        result.Set("identity", CJson::String(DeviceIdOf(*device)));
        result.Set("restored_from", CJson::String(backups.PathOf(found.name)));
        result.Set("snapshot",
                   CJson::String(flow.Snapshot().empty() ? "" : backups.PathOf(flow.Snapshot())));
        changedAny_ = changedAny_ || result.Find("changed")->AsBool();
        Emit(std::move(result), OnePort());
        return exitCode;
    };
    if (!options_.json)
        PrintUnsent(flow);
    if (flow.ToSend() == 0) {
        const std::vector<std::string> unmet = flow.Unmet();
        link.Leave();
        if (unmet.empty()) {
            Say("the device already holds that configuration");
            return finish(kOk);
        }
        Say("nothing can be written back; the device still differs: " + Joined(unmet));
        return finish(kFailed);
    }
    if (!Confirm(flow, "write back")) {
        link.Leave();
        return fail(kFailed);
    }
    if (!flow.Execute(link.Session(), &backups, why)) {
        Say(why);
        link.Leave();
        return fail(kFailed);
    }
    const size_t failed = PrintOutcomes(flow);
    const std::vector<std::string> unmet = flow.Unmet();
    if (!unmet.empty())
        Say("not restored: " + Joined(unmet));
    Say("restored " + std::to_string(flow.ToSend() - failed) + " value(s) from " + found.name +
        (failed ? ", " + std::to_string(failed) + " failed" : ""));
    link.Leave();
    return finish(flow.AllVerified() ? kOk : kFailed);
}

int CTool::Compare() {
    if (options_.cfg.empty()) {
        Say("compare needs --cfg FILE and --port P or a second --cfg FILE");
        return kBadArguments;
    }
    bool partial = false; // a file without the listing's first label names it not
    auto readListing = [&partial](const std::string& path, std::string& listing) {
        std::string bytes, why;
        if (!ReadFileBytes(path, bytes, why)) {
            Say(path + " cannot be read: " + why);
            return false;
        }
        bool namesAnchor = false;
        if (PartialFileToListing(bytes, listing, namesAnchor) != ConfigFileError::None) {
            Say(path + " holds no configuration, or was cut short");
            return false;
        }
        partial = partial || !namesAnchor;
        return true;
    };
    std::string first, second;
    if (!readListing(options_.cfg, first))
        return kBadArguments;
    if (!options_.cfg2.empty()) {
        if (!readListing(options_.cfg2, second))
            return kBadArguments;
    } else {
        CPortLink link(PortOptionsOf(options_), OnePort(), false, SayLine);
        if (const int failed = link.Connect(options_.waitSeconds < 0 ? 3000 : options_.waitSeconds * 1000); failed >= 0)
            return failed;
        int code = kOk;
        const std::optional<std::string> device = link.ReadDevice(code);
        if (!device)
            return code;
        second = *device;
        link.Leave();
    }
    std::vector<Difference> differences;
    for (const Difference& d : CompareListings(first, second))
        if (!(partial && d.key == "Access Point Name"))
            differences.push_back(d);
    if (options_.json) {
        CJson list = CJson::Array();
        for (const Difference& d : differences) {
            CJson entry = CJson::Object();
            entry.Set("label", CJson::String(d.label));
            entry.Set("first", CJson::String(d.first));
            entry.Set("second", CJson::String(d.second));
            list.Add(std::move(entry));
        }
        CJson result = CJson::Object();
        result.Set("differences", std::move(list));
        result.Set("outcome", CJson::String(differences.empty() ? "same" : "differ"));
        Emit(std::move(result), options_.ports.empty() ? "" : OnePort());
    }
    // Columns as the window's compare shows them: the device's value, then the file's (two
    // files: the first, then the second).
    const bool withDevice = options_.cfg2.empty();
    for (const Difference& d : differences)
        if (!options_.json)
            std::printf("%s\t%s\t%s\n", d.label.c_str(),
                        (withDevice ? d.second : d.first).c_str(),
                        (withDevice ? d.first : d.second).c_str());
    Say(std::to_string(differences.size()) + " parameter(s) differ; nothing was written");
    return differences.empty() ? kOk : kFailed;
}

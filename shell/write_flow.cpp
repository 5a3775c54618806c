#include "shell/write_flow.h"

#include "exchange/reply_recognition.h"
#include "base/text.h"
#include "params/value_rules.h"
#include "shell/units_file.h"
#include "params/listing_parser.h"

#include <ctime>
#include <memory>

namespace {

bool IsAnchorLabel(const std::string& label) {
    return PlainLabel(label) == PlainLabel(kListingAnchor);
}

std::string AsListed(const std::string& value) {
    const size_t first = value.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return value.substr(first, value.find_last_not_of(' ') - first + 1);
}

// The catalogue of a listing: values, and the labels it holds.
struct ParsedListing {
    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    FileLabels named;
};
ParsedListing Parse(const std::string& listing) {
    ParsedListing parsed;
    InterfacePresence presence;
    BuildParameterCatalogue(parsed.parameters, parsed.lists, kSensorRows);
    ParseListing(listing.data(), listing.size(), parsed.parameters, parsed.lists, presence);
    parsed.named = LabelsInListing(listing, parsed.parameters, parsed.lists);
    return parsed;
}

} // namespace

bool ReadConfigValues(const std::string& bytes, ConfigValues& values, std::string& why) {
    values = ConfigValues();
    switch (PartialFileToListing(bytes, values.listing, values.namesAnchor)) {
    case ConfigFileError::None:
        break;
    case ConfigFileError::TooLong:
        why = "is longer than a device's configuration can be";
        return false;
    case ConfigFileError::Unterminated:
        why = "was cut short: its last line has no line end";
        return false;
    default:
        why = "holds no configuration";
        return false;
    }
    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    BuildParameterCatalogue(parameters, lists, kSensorRows);
    values.labels = LabelsInListing(values.listing, parameters, lists);
    if (!values.namesAnchor)
        values.labels.keys.erase("Access Point Name");
    return true;
}

void SetConfigValue(ConfigValues& values, const std::string& label, const std::string& value) {
    SetListingValue(values.listing, label, value);
    if (IsAnchorLabel(label))
        values.namesAnchor = true;
    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    BuildParameterCatalogue(parameters, lists, kSensorRows);
    values.labels = LabelsInListing(values.listing, parameters, lists);
    if (!values.namesAnchor)
        values.labels.keys.erase("Access Point Name");
}

std::vector<std::string> UnmetValues(const ConfigValues& values, const std::string& listing) {
    const ParsedListing wanted = Parse(values.listing);
    const ParsedListing held = Parse(listing);
    std::vector<std::string> unmet;
    for (const std::string& key : values.labels.keys) {
        const ParameterEntry* entry = FindParameter(wanted.parameters, key);
        if (entry == nullptr || entry->command.empty() || IsVolatile(key))
            continue;
        const ParameterEntry* now = FindParameter(held.parameters, key);
        if (!held.named.keys.count(key) || now == nullptr ||
            AsListed(now->value) != AsListed(entry->value))
            unmet.push_back(PlainLabel(entry->label));
    }
    for (const auto& [key, list] : wanted.lists)
        for (const auto& [item, value] : list.items) {
            if (!values.labels.listItems.count(item))
                continue;
            const ListParameterEntry* now = FindListParameter(held.lists, key);
            auto at = now ? now->items.find(item) : decltype(now->items.end())();
            if (!held.named.listItems.count(item) || now == nullptr || at == now->items.end() ||
                AsListed(at->second) != AsListed(value))
                unmet.push_back(PlainLabel(item));
        }
    return unmet;
}

bool CWriteFlow::PlanOnPages(const std::string& device, const ConfigValues& values,
                             std::vector<PlanRow>& rows) {
    auto pages = std::make_unique<CPageSession>();
    if (!pages->Load(skinFolder_) || !pages->ShowDevice(device))
        return false;
    rows = pages->FilePlan(values.listing, values.labels);
    for (const std::string& message : pages->Messages())
        messages_.push_back(message.substr(0, message.find_last_not_of("\r\n") + 1));
    return true;
}

bool CWriteFlow::Plan(const std::string& device, ConfigValues values, bool restoring) {
    device_ = device;
    after_.clear();
    snapshot_.clear();
    rows_.clear();
    messages_.clear();
    // Values that do not name the listing's first label keep the device's.
    if (!values.namesAnchor) {
        std::string apn;
        ExtractValue(device, kListingAnchor, apn);
        SetListingValue(values.listing, kListingAnchor, apn);
    }
    values_ = values;
    if (!PlanOnPages(device, values, rows_))
        return false;
    if (!restoring)
        return true;
    // Values hidden by the file's own settings: those the device's current settings still
    // show are written first, while they are in use, then the settings that hide them.
    ParameterCatalogue catalogue;
    ListParameterCatalogue lists;
    BuildParameterCatalogue(catalogue, lists, kSensorRows);
    ConfigValues hidden;
    hidden.listing = device;
    hidden.namesAnchor = true;
    for (const PlanRow& row : rows_) {
        const ParameterEntry* entry = FindParameter(catalogue, row.job.key);
        if (row.applicable || row.rule != RuleBreak::None || entry == nullptr)
            continue;
        SetListingValue(hidden.listing, entry->label, row.newValue);
        hidden.labels.keys.insert(row.job.key);
    }
    if (hidden.labels.keys.empty())
        return true;
    std::vector<PlanRow> early;
    if (!PlanOnPages(device, hidden, early))
        return true;
    std::vector<PlanRow> ordered;
    for (const PlanRow& row : early)
        if (row.applicable && hidden.labels.keys.count(row.job.key))
            ordered.push_back(row);
    for (const PlanRow& row : rows_) {
        bool done = false;
        for (const PlanRow& first : ordered)
            done = done || (!row.applicable && first.job.key == row.job.key);
        if (!done)
            ordered.push_back(row);
    }
    rows_ = std::move(ordered);
    return true;
}

std::vector<std::string> CWriteFlow::Invalid() const {
    std::vector<std::string> labels;
    for (const PlanRow& row : rows_)
        if (row.rule != RuleBreak::None)
            labels.push_back(row.label);
    return labels;
}

std::vector<std::string> CWriteFlow::NotApplied() const {
    std::vector<std::string> labels;
    for (const PlanRow& row : rows_)
        if (!row.applicable && row.rule == RuleBreak::None)
            labels.push_back(row.label);
    return labels;
}

bool CWriteFlow::Execute(IDeviceDialogue& device, CSnapshotFolder* snapshots, std::string& why) {
    after_.clear();
    snapshot_.clear();
    if (ToSend() == 0)
        return true;
    // Nothing goes to a device that left its setting mode: it would forward it to its server.
    if (!device.EnsureSettingMode(why))
        return false;
    if (snapshots) {
        std::string failure;
        if (!snapshots->Keep(device_, LocalNow(), snapshot_, failure)) {
            why = "the configuration before the write could not be kept in " +
                  snapshots->Folder() + " (" + failure + "): nothing was written";
            return false;
        }
        SayLine("the configuration before the write is kept as " +
                snapshots->PathOf(snapshot_));
    }
    bool broken = false;
    const size_t total = ToSend();
    size_t done = 0;
    for (PlanRow& row : rows_) {
        if (!row.applicable || !row.ticked)
            continue;
        if (progress_ && done++ > 0)
            progress_(done - 1, total, false);
        if (broken) // the rows after a lost line stay "not sent"
            continue;
        std::string failure;
        const std::optional<std::string> reply = device.Run(row.job, failure);
        if (!reply) {
            row.outcome = PlanOutcome::NotAnswered;
            SayLine(row.label + ": " + failure);
            std::string lost;
            if (!device.EnsureSettingMode(lost)) {
                SayLine(lost + ": the remaining values were not sent");
                broken = true;
            }
        } else if (ReplyRefused(*reply)) {
            row.outcome = PlanOutcome::Refused;
            SayLine(row.label + ": the device refused " + row.newValue);
        } else {
            row.outcome = PlanOutcome::Written;
        }
    }
    if (progress_)
        progress_(total, total, true);
    if (!broken) {
        std::string failure;
        if (const std::optional<std::string> listing = device.ReadListing(failure, JOB_VERIFY))
            after_ = *listing;
        else
            SayLine("the device was not read again to verify the write: " + failure);
    }
    VerifyPlan(rows_, after_);
    for (const PlanRow& row : rows_)
        if (row.outcome == PlanOutcome::Mismatch)
            SayLine(row.label + ": the device took the command but reports another value");
    if (snapshots && !after_.empty())
        snapshots->RecordIdAfter(snapshot_, DeviceIdOf(after_));
    return true;
}

bool CWriteFlow::Changed() const {
    for (const PlanRow& row : rows_)
        if (row.outcome == PlanOutcome::Written || row.outcome == PlanOutcome::Verified ||
            row.outcome == PlanOutcome::Mismatch || row.outcome == PlanOutcome::NotVerified)
            return true;
    return false;
}

std::vector<std::string> CWriteFlow::Unmet() const {
    const std::string& now = after_.empty() ? device_ : after_;
    return now.empty() ? std::vector<std::string>() : UnmetValues(values_, now);
}

bool CWriteFlow::AllVerified() const {
    for (const PlanRow& row : rows_) {
        if (row.rule != RuleBreak::None || !row.applicable)
            return false;
        if (row.ticked && row.outcome != PlanOutcome::Verified)
            return false;
    }
    return Unmet().empty();
}

namespace {

CJson Text(const std::string& text) {
    return CJson::String(text);
}

std::string CommandWithoutLineEnd(std::string command) {
    while (!command.empty() && (command.back() == '\n' || command.back() == '\r'))
        command.pop_back();
    while (!command.empty() && (command.front() == '\n' || command.front() == '\r'))
        command.erase(0, 1);
    return command;
}

} // namespace

CJson FlowResult(const CWriteFlow& flow, bool dryRun) {
    CJson rows = CJson::Array(), diff = CJson::Object();
    for (const PlanRow& row : flow.Rows()) {
        std::string outcome;
        if (row.rule != RuleBreak::None)
            outcome = "invalid: " + RuleBreakText(row.rule, "");
        else if (!row.applicable)
            outcome = "not applied";
        else if (!row.ticked)
            outcome = "not sent";
        else if (dryRun)
            outcome = "would send";
        else
            outcome = OutcomeText(row.outcome, PlanTexts());
        CJson entry = CJson::Object();
        entry.Set("label", Text(row.label));
        entry.Set("before", Text(row.deviceValue));
        entry.Set("after", Text(row.newValue));
        entry.Set("command", Text(row.applicable ? CommandWithoutLineEnd(row.job.command) : ""));
        entry.Set("outcome", Text(outcome));
        rows.Add(std::move(entry));
        CJson change = CJson::Object();
        change.Set("before", Text(row.deviceValue));
        change.Set("after", Text(row.newValue));
        diff.Set(row.label, std::move(change));
    }
    const bool refused = !flow.Invalid().empty() || !flow.NotApplied().empty();
    const bool changed = dryRun ? flow.ToSend() > 0 : flow.Changed();
    const bool failed = dryRun ? refused : !flow.AllVerified();
    CJson result = CJson::Object();
    result.Set("changed", CJson::Bool(changed));
    result.Set("failed", CJson::Bool(failed));
    result.Set("outcome", Text(dryRun ? (failed ? "would fail"
                                                : changed ? "would change" : "nothing to change")
                                      : (failed ? "failed"
                                                : changed ? "verified" : "nothing to change")));
    result.Set("diff", std::move(diff));
    result.Set("rows", std::move(rows));
    CJson unmet = CJson::Array();
    if (!dryRun)
        for (const std::string& label : flow.Unmet())
            unmet.Add(Text(label));
    result.Set("unmet", std::move(unmet));
    return result;
}

bool JsonConfigValues(const std::string& bytes, ConfigValues& values, std::string& why) {
    CJson document;
    if (!ParseJson(bytes, document, why))
        return false;
    if (!document.IsObject()) {
        why = "is not a JSON object of label -> value";
        return false;
    }
    if (!ReadConfigValues("", values, why))
        return false;
    for (const auto& [name, value] : document.Members()) {
        const std::string label = LabelOfUserName(name);
        if (label.empty()) {
            why = "\"" + name + "\": no such label";
            return false;
        }
        if (IsReadOnlyLabel(LabelCatalogue().parameters, label)) {
            why = "\"" + name + "\": the device reports this value and it cannot be written";
            return false;
        }
        if (value.Type() == CJson::Kind::Object || value.Type() == CJson::Kind::Array) {
            why = "\"" + name + "\": a value is a text or a number";
            return false;
        }
        const std::string text = value.AsText();
        if (text.find_first_of("\r\n") != std::string::npos) {
            why = "\"" + name + "\": a value cannot hold a line break";
            return false;
        }
        SetConfigValue(values, label, text);
    }
    return true;
}


bool ReadValuesFile(const std::string& bytes, ConfigValues& values, std::string& why) {
    const std::string plain = WithoutBom(bytes);
    const size_t first = plain.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && plain[first] == '{')
        return JsonConfigValues(bytes, values, why);
    return ReadConfigValues(bytes, values, why);
}

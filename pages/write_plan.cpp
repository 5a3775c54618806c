#include "pages/write_plan.h"

#include "base/text.h"
#include "params/listing_parser.h"

namespace {

// The value a catalogue reports for a row's key (or sensor row); empty when it has none.
std::string ReportedValue(const PlanRow& row, const ParameterCatalogue& parameters,
                          const ListParameterCatalogue& lists) {
    if (row.job.kind == EntryKind::List) {
        auto list = lists.find(row.job.key);
        if (list == lists.end())
            return std::string();
        auto item = list->second.items.find(row.job.item);
        return item == list->second.items.end() ? std::string() : item->second;
    }
    auto entry = parameters.find(row.job.key);
    return entry == parameters.end() ? std::string() : entry->second.value;
}

// Whether the listing holds the row's label at all (a value it does not list is not verified,
// also when the value written was empty).
bool Lists(const PlanRow& row, const FileLabels& named) {
    return row.job.kind == EntryKind::List ? named.listItems.count(row.job.item) > 0
                                           : named.keys.count(row.job.key) > 0;
}

// A value as the listing shows it: the device's listing loses the blanks around a value.
std::string AsListed(const std::string& value) {
    const size_t first = value.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return value.substr(first, value.find_last_not_of(' ') - first + 1);
}

} // namespace

bool IsFailed(PlanOutcome outcome) {
    return outcome == PlanOutcome::Refused || outcome == PlanOutcome::NotAnswered ||
           outcome == PlanOutcome::Mismatch || outcome == PlanOutcome::NotVerified;
}

PlanRow PlanRowFor(const Job& job, const std::string& control, const CParameterStore& store) {
    PlanRow row;
    row.job = job;
    row.control = control;
    row.newValue = job.value;
    if (job.kind == EntryKind::List) {
        row.label = PlainLabel(job.item);
        if (const ListParameterEntry* list = FindListParameter(store.lists, job.key)) {
            row.tab = list->tab;
            auto item = list->items.find(job.item);
            if (item != list->items.end())
                row.deviceValue = item->second;
        }
    } else if (const ParameterEntry* entry = FindParameter(store.parameters, job.key)) {
        row.label = PlainLabel(entry->label.empty() ? job.key : entry->label);
        row.deviceValue = entry->value;
        row.tab = entry->tab;
        // A value written on behalf of another control (a channel's work mode, the channel the
        // I/O selection names) is shown on the page of that control.
        if (const ParameterEntry* shown = FindParameter(store.parameters, control))
            row.tab = shown->tab;
    }
    if (row.label.empty())
        row.label = job.key;
    row.job.label = row.label;
    row.rule = CheckValue(job.key, job.value);
    row.ticked = row.rule == RuleBreak::None;
    return row;
}

std::vector<Job> TickedJobs(const std::vector<PlanRow>& rows) {
    std::vector<Job> jobs;
    for (const PlanRow& row : rows)
        if (row.applicable && row.ticked)
            jobs.push_back(row.job);
    return jobs;
}

size_t TickedRows(const std::vector<PlanRow>& rows) {
    size_t ticked = 0;
    for (const PlanRow& row : rows)
        ticked += row.applicable && row.ticked;
    return ticked;
}

PlanRow* RowOfJob(std::vector<PlanRow>& rows, const Job& job) {
    for (PlanRow& row : rows)
        if (row.applicable && row.ticked && row.outcome == PlanOutcome::Planned &&
            row.job.key == job.key && row.job.item == job.item && row.job.value == job.value)
            return &row;
    return nullptr;
}

void VerifyPlan(std::vector<PlanRow>& rows, const std::string& listing) {
    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    InterfacePresence presence;
    const bool read = !listing.empty();
    FileLabels named;
    if (read) {
        BuildParameterCatalogue(parameters, lists, kSensorRows);
        ParseListing(listing.data(), listing.size(), parameters, lists, presence);
        named = LabelsInListing(listing, parameters, lists);
    }
    for (PlanRow& row : rows) {
        const bool listed = read && Lists(row, named);
        const bool reports =
            listed && ReportedValue(row, parameters, lists) == AsListed(row.newValue);
        if (row.outcome == PlanOutcome::NotAnswered && reports) {
            // No answer came, but the device reports the new value: it took it.
            row.outcome = PlanOutcome::Verified;
            continue;
        }
        if (row.outcome != PlanOutcome::Written)
            continue;
        if (!listed)
            row.outcome = PlanOutcome::NotVerified;
        else
            row.outcome = reports ? PlanOutcome::Verified : PlanOutcome::Mismatch;
    }
}

std::vector<PlanRow> NotAppliedRows(const std::string& fileListing, const FileLabels& labels,
                                    const CParameterStore& device,
                                    const std::vector<PlanRow>& plan) {
    std::vector<PlanRow> rows;
    const size_t anchor = fileListing.find(kListingAnchor);
    if (anchor == std::string::npos)
        return rows;
    const std::string working = fileListing.substr(anchor);
    for (const std::string& key : labels.keys) {
        const ParameterEntry* entry = FindParameter(device.parameters, key);
        if (entry == nullptr || entry->command.empty())
            continue;
        std::string value;
        if (ExtractValue(working, entry->label, value) != ValueResult::Found ||
            value == entry->value)
            continue;
        bool planned = false;
        for (const PlanRow& row : plan)
            planned = planned || (row.job.kind != EntryKind::List && row.job.key == key);
        if (planned)
            continue;
        PlanRow row;
        row.job.key = key;
        row.control = key;
        row.tab = entry->tab;
        row.label = PlainLabel(entry->label);
        row.deviceValue = entry->value;
        row.newValue = value;
        row.rule = CheckValue(key, value);
        row.applicable = false;
        row.ticked = false;
        rows.push_back(row);
    }
    return rows;
}

std::string OutcomeText(PlanOutcome outcome, const PlanTexts& texts) {
    switch (outcome) {
    case PlanOutcome::Planned:
        return TextOrFallback(texts.notSent, "not sent");
    case PlanOutcome::Written:
    case PlanOutcome::Verified:
        return TextOrFallback(texts.verified, "verified");
    case PlanOutcome::Refused:
        return TextOrFallback(texts.refused, "refused");
    case PlanOutcome::NotAnswered:
        return TextOrFallback(texts.notAnswered, "not answered");
    case PlanOutcome::Mismatch:
        return TextOrFallback(texts.mismatch, "mismatch");
    case PlanOutcome::NotVerified:
        return TextOrFallback(texts.notVerified, "not verified");
    }
    return std::string();
}

std::string PlanSummary(const std::vector<PlanRow>& rows, const PlanTexts& texts) {
    size_t verified = 0;
    for (const PlanRow& row : rows)
        verified += row.outcome == PlanOutcome::Verified;
    std::string summary =
        std::to_string(verified) + " " + TextOrFallback(texts.written, "written and verified");
    for (PlanOutcome kind : {PlanOutcome::Refused, PlanOutcome::NotAnswered,
                             PlanOutcome::Mismatch, PlanOutcome::NotVerified}) {
        std::string names;
        size_t count = 0;
        for (const PlanRow& row : rows) {
            if (row.outcome != kind || !IsFailed(kind))
                continue;
            names += (count++ ? ", " : "") + FieldName(row);
        }
        if (count)
            summary += ", " + std::to_string(count) + " " + OutcomeText(kind, texts) + ": " + names;
    }
    return summary;
}

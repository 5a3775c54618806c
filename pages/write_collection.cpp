// The write path: the set commands a page's state derives, the values the pages cannot show,
// and collecting every changed value as a JOB_WRITE.
#include "pages/config_pages.h"

#include "base/decimal.h"
#include "exchange/device_operations.h"
#include "pages/page_helpers.h"
#include "params/listing_parser.h"

using page_helpers::BreaksCommandLine;
using page_helpers::ValidTab;

std::vector<CConfigPages::Write> CConfigPages::DerivedWrites(const std::string& key,
                                                             const ParameterEntry& entry) const {
    std::vector<Write> writes;
    const EntryKind kind = entry.kind;
    if (kind == EntryKind::Edit) {
        if (view_.Exists(key))
            writes.push_back({key, view_.GetText(key)});
    } else if (kind == EntryKind::Combobox) {
        if (!view_.Exists(key))
            return writes;
        const int selected = view_.GetSelection(key);
        if (key == "I/O selection") {
            const std::string target = IoSelectionTarget(selected);
            if (!target.empty() && FindParameter(store_.parameters, target))
                writes.push_back({target, "4"});
            return writes;
        }
        const std::optional<std::string> value =
            ComboValueForWrite(key, selected, view_.GetText(key), Texts());
        if (!value)
            return writes;
        writes.push_back({key, *value});
        const std::string workmode = IoControlWorkmodeKey(key);
        if (!workmode.empty() && selected != 6 && FindParameter(store_.parameters, workmode))
            writes.push_back({workmode, "5"});
    } else if (kind == EntryKind::Line) {
        for (const SwitchRow& row : SwitchRows()) {
            if (key != row.key)
                continue;
            bool on[6] = {};
            for (int bit = 0; bit < 6; ++bit)
                on[bit] = row.switches[bit][0] != '\0' && IsSwitchOn(row.switches[bit]);
            writes.push_back({key, std::to_string(SwitchRowValue(row, on, ParseDecimal(entry.value)))});
        }
    }
    return writes;
}

void CConfigPages::RememberUnshowableValues() {
    unshowable_.clear();
    unshowableRows_.clear();
    if (const ListParameterEntry* list = FindListParameter(ShownLists(), kSensorListName)) {
        const int rows = view_.GetRowCount(kSensorListName);
        for (int r = 0; r < rows; ++r) {
            auto known = list->items.find(FormatListLabel(list->labelFormat, r));
            bool refused = false;
            const std::string row = SensorRowText(r, refused);
            if (known != list->items.end() && !known->second.empty() && known->second != row)
                unshowableRows_[r] = row;
        }
    }
    for (const auto& [key, entry] : ShownParameters()) {
        if (forcedKeys_.count(key))
            continue;
        const std::vector<Write> writes = DerivedWrites(key, entry);
        for (const Write& write : writes) {
            const ParameterEntry* target = FindParameter(ShownParameters(), write.key);
            if (target && target->value != write.value) {
                unshowable_[key] = writes;
                break;
            }
        }
    }
}

bool CConfigPages::QueueSetCommandIfChanged(const std::string& value, const std::string& key,
                                            const ParameterEntry& entry) {
    if (value == entry.value)
        return false;
    if (plan_) {
        // Planning: every change becomes a row, the ones that cannot go out unticked (a value
        // that breaks its rule) or not sendable at all (one that would break the command line).
        PlanRow row = PlanRowFor(SetValueJob(entry.command, value, key, value),
                                 planControl_.empty() ? key : planControl_, store_);
        NameByPage(row);
        if (BreaksCommandLine(value)) {
            row.rule = RuleBreak::BadCharacter;
            row.applicable = false;
            row.ticked = false;
        }
        plan_->push_back(row);
        return true;
    }
    if (BreaksCommandLine(value)) {
        host_.Log(TextOr("BadValue", "Not written: the value contains a line break or a zero byte:") +
                  " " + key + "\r\n");
        return false;
    }
    if (!KeepsItsRule(key, value, entry.label))
        return false;
    Job job = SetValueJob(entry.command, value, key, value);
    job.label = PlainLabel(entry.label.empty() ? key : entry.label);
    host_.PushJob(job);
    return true;
}

void CConfigPages::NameByPage(PlanRow& row) const {
    row.field = view_.FieldLabel(row.control);
    if (!row.field.empty())
        row.job.label = row.field;
}

std::vector<PlanRow> CConfigPages::Plan(const FileLabels* only) {
    std::vector<PlanRow> rows;
    plan_ = &rows;
    Collect(only);
    plan_ = nullptr;
    planControl_.clear();
    return rows;
}

std::vector<PlanRow> CConfigPages::PlanChanges() {
    return deviceRead_ ? Plan(nullptr) : std::vector<PlanRow>();
}

std::vector<PlanRow> CConfigPages::PlanFileDifferences(const std::string& fileListing) {
    if (!file_)
        return {};
    const FileConfiguration file = std::move(*file_);
    file_.reset();
    std::vector<PlanRow> rows = Plan(&file.labels);
    for (PlanRow& row : NotAppliedRows(fileListing, file.labels, store_, rows))
        rows.push_back(std::move(row));
    return rows;
}

std::string CConfigPages::ReadFirstNotice() {
    return TextOr("ReadFirst",
                  "Nothing was written: read the device first, then change the pages and write.") +
           "\r\n";
}

int CConfigPages::Collect(const FileLabels* only) {
    if (!deviceRead_) {
        host_.Log(ReadFirstNotice());
        return 0;
    }
    int queued = 0;
    for (const auto& [key, entry] : store_.parameters) {
        if (!entry.inUse || !ValidTab(entry.tab) ||
            !store_.tabs[static_cast<size_t>(entry.tab)].enabled)
            continue;
        const std::vector<Write> writes = DerivedWrites(key, entry);
        auto kept = unshowable_.find(key);
        if (kept != unshowable_.end() && kept->second == writes)
            continue; // the page still shows what it showed for a value it cannot show
        planControl_ = key;
        for (const Write& write : writes) {
            if (only && !only->keys.count(write.key))
                continue; // a file changes only what it names
            const ParameterEntry* target = FindParameter(store_.parameters, write.key);
            if (target && QueueSetCommandIfChanged(write.value, write.key, *target))
                ++queued;
        }
    }
    planControl_.clear();
    return queued + CollectSensorList(false, only);
}

// The Modbus sensor rows: numbering, filling them from the catalogue, reading their fields and
// writing the rows that changed.
#include "pages/config_pages.h"

#include "base/decimal.h"
#include "exchange/device_operations.h"
#include "pages/page_helpers.h"

using page_helpers::BreaksCommandLine;
using page_helpers::ValidTab;

void CConfigPages::SetRowFieldValue(int row, const std::string& field, const std::string& text) {
    const ControlRef ref = ControlRef::InRow(kSensorListName, row, field);
    switch (view_.Kind(ref)) {
    case ControlKind::Edit:
        view_.SetText(ref, text);
        break;
    case ControlKind::Combo:
        view_.SelectItem(ref, ParseDecimal(text));
        break;
    default:
        break;
    }
}

std::string CConfigPages::GetRowFieldValue(int row, const std::string& field) const {
    const ControlRef ref = ControlRef::InRow(kSensorListName, row, field);
    switch (view_.Kind(ref)) {
    case ControlKind::Edit:
        return view_.GetText(ref);
    case ControlKind::Combo: {
        const int selected = view_.GetSelection(ref);
        return selected < 0 ? std::string() : std::to_string(selected);
    }
    default:
        return std::string();
    }
}

void CConfigPages::NumberSensorRows() {
    const int rows = view_.GetRowCount(kSensorListName);
    for (int i = 0; i < rows; ++i) {
        view_.SetText(ControlRef::InRow(kSensorListName, i, kSensorChannelField),
                      std::to_string(i + 1));
        SetRowFieldValue(i, kSensorFields[0], "0");
    }
}

void CConfigPages::FillSensorList() {
    shownDataNames_.clear();
    for (const auto& [key, entry] : ShownLists()) {
        if (entry.kind != EntryKind::List || key != kSensorListName ||
            view_.GetRowCount(kSensorListName) < 0)
            continue;
        view_.RebuildRows(kSensorListName, view_.GetRowCount(kSensorListName));
        NumberSensorRows();
        const int rows = view_.GetRowCount(kSensorListName);
        for (int r = 0; r < rows; ++r) {
            const auto item = entry.items.find(FormatListLabel(entry.labelFormat, r));
            if (item != entry.items.end() && !item->second.empty())
                FillSensorRow(r, item->second);
        }
    }
}

void CConfigPages::FillSensorRow(int r, const std::string& value) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = value.find(',', start);
        fields.push_back(value.substr(start, comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    fields.resize(kSensorFieldCount);
    const std::string name = fields[kSensorDataNameField];
    shownDataNames_[r] = {fields[kSensorDataNameField], name};
    fields[kSensorDataNameField] = name;
    for (int f = 0; f < kSensorFieldCount; ++f)
        SetRowFieldValue(r, kSensorFields[f], fields[static_cast<size_t>(f)]);
}

std::string CConfigPages::SensorRowText(int r, bool& refused) const {
    std::string text;
    refused = false;
    for (int f = 0; f < kSensorFieldCount; ++f) {
        std::string field = GetRowFieldValue(r, kSensorFields[f]);
        if (f == kSensorDataNameField) {
            auto shown = shownDataNames_.find(r);
            if (shown != shownDataNames_.end() && shown->second.second == field)
                field = shown->second.first; // unchanged: the device's own bytes
        }
        if (field.find(',') != std::string::npos || BreaksCommandLine(field))
            refused = true;
        if (f > 0)
            text += ',';
        text += field;
    }
    return text;
}

Job CConfigPages::SensorRowJob(const ListParameterEntry& entry, const std::string& fullText,
                               const std::string& row, const std::string& label) {
    Job job = SetValueJob(entry.command, fullText, kSensorListName, row);
    job.kind = entry.kind;
    job.item = label;
    return job;
}

std::string CConfigPages::SensorRowName(int r) const {
    // "Sensor 3": the page numbers its rows from 1.
    return TextOr("SensorRow", "Sensor") + " " + std::to_string(r + 1);
}

int CConfigPages::CollectSensorList(bool force, const FileLabels* only) {
    int queued = 0;
    for (auto& [key, entry] : store_.lists) {
        if (!force && (!entry.inUse || !ValidTab(entry.tab) ||
                       !store_.tabs[static_cast<size_t>(entry.tab)].enabled))
            continue;
        if (entry.kind != EntryKind::List || key != kSensorListName)
            continue;
        const int rows = view_.GetRowCount(kSensorListName);
        for (int r = 0; r < rows; ++r) {
            bool refused = false;
            const std::string row = SensorRowText(r, refused);
            auto shown = unshowableRows_.find(r);
            if (shown != unshowableRows_.end() && shown->second == row)
                continue; // the row still shows what it showed for a value it cannot show
            if (refused && plan_) {
                // Planned as a row that can never be sent: a comma or a line break in a field
                // would shift or cut the device's row.
                const std::string label = FormatListLabel(entry.labelFormat, r);
                if (only && !only->listItems.count(label))
                    continue;
                PlanRow planned = PlanRowFor(SensorRowJob(entry, std::to_string(r) + "," + row,
                                                          row, label),
                                             kSensorListName, store_);
                planned.sensorRow = r;
                planned.field = SensorRowName(r);
                planned.rule = RuleBreak::BadCharacter;
                planned.applicable = false;
                planned.ticked = false;
                plan_->push_back(planned);
                continue;
            }
            if (refused) {
                host_.Log(TextOr("BadSensorValue", "Not written: a field of this sensor row "
                                                   "contains a comma or a line break:") +
                          " " + std::to_string(r + 1) + "\r\n");
                continue;
            }
            const std::string label = FormatListLabel(entry.labelFormat, r);
            if (only && !only->listItems.count(label))
                continue;
            planRow_ = r;
            if (QueueListItemIfChanged(std::to_string(r) + "," + row, entry, label))
                ++queued;
            planRow_ = -1;
        }
    }
    return queued;
}

bool CConfigPages::QueueListItemIfChanged(const std::string& fullText, ListParameterEntry& entry,
                                          const std::string& label) {
    const size_t comma = fullText.find(',');
    const std::string row = comma == std::string::npos ? std::string() : fullText.substr(comma + 1);
    const std::string& known = entry.items[label];
    const std::string firstField = row.substr(0, row.find(','));
    if (firstField == "0" && known.empty())
        return false;
    if (row == known)
        return false;
    Job job = SensorRowJob(entry, fullText, row, label);
    job.label = PlainLabel(label);
    if (plan_) {
        PlanRow planned = PlanRowFor(job, kSensorListName, store_);
        planned.sensorRow = planRow_;
        planned.field = SensorRowName(planRow_);
        planned.job.label = planned.field;
        plan_->push_back(planned);
        return true;
    }
    if (!KeepsItsRule(kSensorListName, row, label))
        return false;
    host_.PushJob(job);
    return true;
}

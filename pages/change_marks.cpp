// Changes the user can see: every field whose page value differs from the device's is marked
// (changed, breaking its rule, or failed at the last write), every tab counts its changed
// fields, and a field can be put back to the device's value.
#include "pages/config_pages.h"

#include "pages/page_helpers.h"
#include "params/value_mapping.h"

#include <algorithm>
#include <set>

using page_helpers::ValidTab;

namespace {

bool SameRef(const ControlRef& a, const ControlRef& b) {
    return a.name == b.name && a.list == b.list && a.row == b.row;
}

// The name of the badge that shows a tab's change count ("ServerTab" -> "ServerChanges").
std::string BadgeName(int tab) {
    const std::string option = TabOptionName(tab);
    return option.empty() ? std::string() : option + "Changes";
}

constexpr const char* kRowPrefix = "CustomList/";

// A badge counting plain changes is the skin's blue; one on a page holding a value that breaks
// its rule or that the device refused is red, as the field's own mark is.
constexpr const char* kBadgeColour = "#FF2563EB";
constexpr const char* kBadgeWarningColour = "#FFDC2626";
// A tab with a badge keeps its words clear of it: they centre in the space left of the badge.
constexpr const char* kBadgeTextPadding = "0,0,16,0";

} // namespace

std::string CConfigPages::FailedKey(const PlanRow& row) {
    return row.sensorRow >= 0 ? kRowPrefix + std::to_string(row.sensorRow) : row.control;
}

std::string CConfigPages::PageTitle(int tab) const {
    const std::string option = TabOptionName(tab);
    return option.empty() ? std::string() : view_.GetText(option);
}

std::vector<ControlRef> CConfigPages::MarkedControls(const PlanRow& row) const {
    std::vector<ControlRef> refs;
    if (row.sensorRow >= 0) {
        refs.push_back(ControlRef::InRow(kSensorListName, row.sensorRow, kSensorChannelField));
        return refs;
    }
    const ParameterEntry* entry = FindParameter(store_.parameters, row.control);
    if (entry && entry->kind == EntryKind::Line) {
        for (const SwitchRow& switches : SwitchRows())
            if (row.control == switches.key)
                for (const char* name : switches.switches)
                    if (name[0] != '\0' && view_.Exists(name))
                        refs.emplace_back(name);
        return refs;
    }
    if (view_.Exists(row.control))
        refs.emplace_back(row.control);
    return refs;
}

std::vector<PlanRow> CConfigPages::MarkChanges() {
    const std::vector<PlanRow> rows =
        deviceRead_ ? Plan(file_ ? &file_->labels : nullptr) : std::vector<PlanRow>();
    std::vector<ControlRef> now;
    std::set<std::string> counted;
    std::map<std::string, std::string> stillFailed;
    tabChanges_.fill(0);
    std::array<bool, kTabCount> tabWarned{};
    for (const PlanRow& row : rows) {
        const std::string key = FailedKey(row);
        FieldMark mark = FieldMark::Changed;
        std::string reason;
        if (row.rule != RuleBreak::None) {
            mark = FieldMark::Invalid;
            reason = RuleReason(row.rule);
        } else if (auto failed = failed_.find(key); failed != failed_.end()) {
            mark = FieldMark::Failed;
            reason = failed->second;
            stillFailed.insert(*failed);
        }
        for (const ControlRef& ref : MarkedControls(row)) {
            view_.SetMark(ref, mark, reason);
            now.push_back(ref);
        }
        if (ValidTab(row.tab) && counted.insert(std::to_string(row.tab) + "|" + key).second)
            ++tabChanges_[static_cast<size_t>(row.tab)];
        if (ValidTab(row.tab) && mark != FieldMark::Changed)
            tabWarned[static_cast<size_t>(row.tab)] = true;
    }
    for (const ControlRef& ref : marked_) {
        const bool kept = std::any_of(now.begin(), now.end(),
                                      [&](const ControlRef& other) { return SameRef(ref, other); });
        if (!kept)
            view_.SetMark(ref, FieldMark::None, std::string());
    }
    marked_ = std::move(now);
    failed_ = std::move(stillFailed); // a failure the user has put back is forgotten
    for (int tab = 0; tab < kTabCount; ++tab) {
        const std::string badge = BadgeName(tab);
        if (badge.empty() || !view_.Exists(badge))
            continue;
        const int count = tabChanges_[static_cast<size_t>(tab)];
        view_.SetText(badge, count > 0 ? std::to_string(count) : std::string());
        view_.SetAttribute(badge, "bkcolor",
                           tabWarned[static_cast<size_t>(tab)] ? kBadgeWarningColour
                                                               : kBadgeColour);
        view_.SetVisible(badge, count > 0);
        view_.SetAttribute(TabOptionName(tab), "textpadding",
                           count > 0 ? kBadgeTextPadding : "0,0,0,0");
    }
    return rows;
}

int CConfigPages::ChangesOnTab(int tab) const {
    return ValidTab(tab) ? tabChanges_[static_cast<size_t>(tab)] : 0;
}

bool CConfigPages::RevertField(const std::string& control) {
    if (control.rfind(kRowPrefix, 0) == 0) {
        const int r = std::atoi(control.c_str() + std::char_traits<char>::length(kRowPrefix));
        const ListParameterEntry* list = FindListParameter(store_.lists, kSensorListName);
        if (list == nullptr || r < 0 || r >= view_.GetRowCount(kSensorListName))
            return false;
        auto item = list->items.find(FormatListLabel(list->labelFormat, r));
        if (item == list->items.end() || item->second.empty()) {
            // The device has no such row: an empty row is switched off.
            for (int f = 0; f < kSensorFieldCount; ++f)
                SetRowFieldValue(r, kSensorFields[f], f == 0 ? "0" : "");
        } else {
            FillSensorRow(r, item->second);
        }
        return true;
    }
    std::string key = control;
    // A switch stands for its row's value.
    for (const SwitchRow& row : SwitchRows())
        for (const char* name : row.switches)
            if (name[0] != '\0' && control == name)
                key = row.key;
    const ParameterEntry* entry = FindParameter(store_.parameters, key);
    if (entry == nullptr)
        return false;
    ShowEntry(key, *entry);
    return true;
}

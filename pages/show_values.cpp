// Showing a configuration on the pages: the device's as read, or a loaded file's over it.
#include "pages/config_pages.h"

#include "base/decimal.h"
#include "base/text.h"
#include "pages/page_helpers.h"
#include "params/listing_parser.h"

using page_helpers::Channel;

void CConfigPages::ApplyValuesToControls() {
    file_.reset();
    failed_.clear();
    ShowValues();
}

void CConfigPages::ShowFileValues(const std::string& fileListing, FileLabels labels) {
    FileConfiguration file;
    file.parameters = store_.parameters;
    file.lists = store_.lists;
    file.labels = std::move(labels);
    ParseListing(fileListing.data(), fileListing.size(), file.parameters, file.lists,
                 file.presence);
    // What the file does not name stays as the device reported it: a partial file shows (and
    // so can write) only what it holds.
    for (auto& [key, entry] : file.parameters)
        if (!file.labels.keys.count(key))
            if (const ParameterEntry* device = FindParameter(store_.parameters, key))
                entry.value = device->value;
    for (auto& [key, list] : file.lists)
        if (const ListParameterEntry* device = FindListParameter(store_.lists, key))
            for (auto& [label, value] : list.items)
                if (!file.labels.listItems.count(label)) {
                    auto known = device->items.find(label);
                    value = known == device->items.end() ? std::string() : known->second;
                }
    file_ = std::move(file);
    ShowValues();
}

void CConfigPages::ShowValues() {
    const InterfacePresence& presence = ShownPresence();
    SetLayoutVisible("serialGroupbox", presence.serialPort1);
    SetLayoutVisible("serial2Groupbox", presence.serialPort2);
    SetLayoutVisible("serial3Groupbox", presence.rs485);
    for (int n = 1; n <= 5; ++n)
        SetLayoutVisible(Channel("IO#GroupBox", n), presence.io[n - 1]);

    SetTabEnabled(TAB_LORA, false);
    SetTabEnabled(TAB_ZIGBEE, false);
    SetTabEnabled(TAB_GPS, false);
    const ParameterEntry* type = FindParameter(ShownParameters(), "Device Type");
    deviceType_ = type ? type->value : std::string();
    if (Contains(deviceType_, "-L"))
        SetTabEnabled(TAB_LORA, true);
    else if (Contains(deviceType_, "-Z"))
        SetTabEnabled(TAB_ZIGBEE, true);
    else if (Contains(deviceType_, "Tamsa"))
        SetTabEnabled(TAB_GPS, true);
    UpdateTabStrip(TabStripStep::Relayout);

    const ParameterEntry* lora = FindParameter(ShownParameters(), "LORA ver");
    loraVersion_ = lora ? lora->value : std::string();

    for (const auto& [key, entry] : ShownParameters())
        ShowEntry(key, entry);

    FillSensorList();
    forcedKeys_.clear();
    RememberUnshowableValues();
    settling_ = true;
    host_.PostLayoutRule(RULE_ACTIVATION, 0);
    host_.PostLayoutRule(RULE_LORA_MODE, 0);
}

void CConfigPages::OnRulesSettled() {
    // The rules that showing a configuration set off may have changed fields themselves (a data
    // format the combo cannot show empties its channel's texts): what the page shows once they
    // have all run is what the write path compares with.
    if (settling_) {
        RememberUnshowableValues();
        settling_ = false;
    }
}


void CConfigPages::ShowEntry(const std::string& key, const ParameterEntry& entry) {
    const EntryKind kind = entry.kind;
    if (kind == EntryKind::Edit) {
        if (view_.Exists(key))
            view_.SetText(key, entry.value);
    } else if (kind == EntryKind::Combobox) {
        if (!view_.Exists(key))
            return;
        std::vector<std::string> items;
        const int count = view_.GetItemCount(key);
        for (int i = 0; i < count; ++i)
            items.push_back(view_.GetItemText(key, i));
        const ComboChoice choice = ComboChoiceForValue(key, entry.value, items, ShownParameters());
        if (choice.kind == ComboChoice::Select)
            view_.SelectItem(key, choice.index);
        else if (choice.kind == ComboChoice::Clear)
            view_.SelectItem(key, -1);
    } else if (kind == EntryKind::Line) {
        for (const SwitchRow& row : SwitchRows()) {
            if (key != row.key)
                continue;
            const int number = ParseDecimal(entry.value);
            for (int bit = 0; bit < 6; ++bit)
                if (row.switches[bit][0] != '\0')
                    SetSwitch(row.switches[bit], (number >> bit) & 1);
        }
    }
}

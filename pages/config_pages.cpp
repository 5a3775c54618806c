#include "pages/config_pages.h"

#include "base/decimal.h"
#include "base/text.h"
#include "exchange/device_operations.h"
#include "pages/page_helpers.h"
#include "pages/tab_strip.h"
#include "params/listing_parser.h"

#include <algorithm>

const char* const kSensorFields[kSensorFieldCount] = {
    "SensorCfg_DeviceSwitch",    "SensorCfg_DeviceAddress",  "SensorCfg_FunctionCode",
    "SensorCfg_RegisterAddress", "SensorCfg_RegisterCount",  "SensorCfg_DataType",
    "SensorCfg_NumberOfDecimalPoints", "SensorCfg_BindSerialPort", "SensorCfg_DataName",
    "SensorCfg_DataChg",
};

using page_helpers::ReplaceAll;
using page_helpers::Channel;
using page_helpers::ValidTab;

CConfigPages::CConfigPages(IPageView& view, CParameterStore& store, IPageHost& host)
    : view_(view), store_(store), host_(host) {}

const ComboTexts& CConfigPages::Texts() const {
    // Read once: the skin's texts do not change while the program runs, and reading them for
    // every combo of a pass would read the text file hundreds of times.
    if (!texts_) {
        ComboTexts texts;
        texts.customProtocol = host_.Text("Protocolmodel", "Text");
        for (int i = 0; i < 5; ++i)
            texts.dioWorkmode[i] =
                host_.Text("DIO workmode", ("Text" + std::to_string(i + 1)).c_str());
        texts_ = texts;
    }
    return *texts_;
}

std::string CConfigPages::TextOr(const char* key, const char* fallback) const {
    return TextOrFallback(host_.Text("CollectChangedParameters", key), fallback);
}

bool CConfigPages::SetTabEnabled(int tab, bool enabled) {
    if (!ValidTab(tab))
        return false;
    store_.tabs[static_cast<size_t>(tab)].enabled = enabled;
    return true;
}

void CConfigPages::SetLayouts(std::initializer_list<std::pair<const char*, bool>> layouts) {
    for (const auto& [name, visible] : layouts)
        SetLayoutVisible(name, visible);
}

void CConfigPages::SetHeight(const std::string& name, int height) {
    if (view_.Exists(name))
        view_.SetAttribute(name, "height", std::to_string(height));
}

// ---- Showing values ----------------------------------------------------------------------------

void CConfigPages::ApplyValuesToControls() {
    file_.reset();
    ShowValues();
}

void CConfigPages::ShowFileValues(FileConfiguration file) {
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

    for (const auto& [key, entry] : ShownParameters()) {
        const EntryKind kind = entry.kind;
        if (kind == EntryKind::Edit) {
            if (view_.Exists(key))
                view_.SetText(key, entry.value);
        } else if (kind == EntryKind::Combobox) {
            if (!view_.Exists(key))
                continue;
            std::vector<std::string> items;
            const int count = view_.GetItemCount(key);
            for (int i = 0; i < count; ++i)
                items.push_back(view_.GetItemText(key, i));
            const ComboChoice choice =
                ComboChoiceForValue(key, entry.value, items, ShownParameters());
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

bool CConfigPages::IsSwitchOn(const std::string& name) const {
    if (!view_.Exists(name))
        return false;
    return Contains(view_.GetBkImage(name), "enable");
}

void CConfigPages::SetSwitch(const std::string& name, bool on) {
    if (!view_.Exists(name))
        return;
    const std::string image = view_.GetBkImage(name);
    view_.SetBkImage(name, on ? ReplaceAll(image, "disable", "enable")
                              : ReplaceAll(image, "enable", "disable"));
}

// ---- Tab strip ---------------------------------------------------------------------------------

void CConfigPages::UpdateTabStrip(TabStripStep step) {
    if (!view_.Exists(kTabStripName))
        return;
    TabPlaces places;
    for (int i = 0; i < kTabCount; ++i) {
        const std::string& name = store_.tabs[static_cast<size_t>(i)].name;
        places[i].exists = view_.Exists(name);
        places[i].enabled = store_.tabs[static_cast<size_t>(i)].enabled;
        places[i].visible = places[i].exists && view_.IsVisible(name);
        places[i].width = places[i].exists ? view_.GetFixedWidth(name) : 0;
    }
    int first = -1;
    switch (step) {
    case TabStripStep::Relayout:
        first = LayOutTabStrip(places);
        break;
    case TabStripStep::Left:
        StepTabStripLeft(places);
        break;
    case TabStripStep::Right:
        StepTabStripRight(places, view_.GetFixedWidth(kTabStripName));
        break;
    }
    for (int i = 0; i < kTabCount; ++i) {
        const std::string& name = store_.tabs[static_cast<size_t>(i)].name;
        if (places[i].exists && view_.IsVisible(name) != places[i].visible)
            view_.SetVisible(name, places[i].visible);
    }
    if (!ValidTab(first))
        return;
    view_.SelectPage(kPageSwitchName, first);
    const std::string& name = store_.tabs[static_cast<size_t>(first)].name;
    if (name.size() > 3)
        view_.SelectOption(name.substr(0, name.size() - 3));
}

#include "pages/config_pages.h"

#include "base/decimal.h"
#include "base/text.h"
#include "exchange/device_operations.h"
#include "pages/page_helpers.h"
#include "pages/tab_strip.h"
#include "params/listing_parser.h"
#include "params/value_rules.h"

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

bool CConfigPages::IsSwitchOn(const std::string& name) const {
    if (!view_.Exists(name))
        return false;
    return IsSwitchImageOn(view_.GetBkImage(name));
}

void CConfigPages::SetSwitch(const std::string& name, bool on) {
    if (!view_.Exists(name))
        return;
    view_.SetBkImage(name, SwitchImage(view_.GetBkImage(name), on));
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
    case TabStripStep::Fit:
        break;
    }
    // The arrows only when the tabs do not all fit.
    const bool arrows = TabStripOverflows(places, view_.GetFixedWidth(kTabStripName));
    for (const char* arrow : {"TabLeft", "TabRight"})
        if (view_.Exists(arrow) && view_.IsVisible(arrow) != arrows)
            view_.SetVisible(arrow, arrows);
    for (int i = 0; i < kTabCount; ++i) {
        const std::string& name = store_.tabs[static_cast<size_t>(i)].name;
        if (places[i].exists && view_.IsVisible(name) != places[i].visible)
            view_.SetVisible(name, places[i].visible);
    }
    if (!ValidTab(first))
        return;
    view_.SelectPage(kPageSwitchName, first);
    const std::string option = TabOptionName(first);
    if (!option.empty())
        view_.SelectOption(option);
}

bool CConfigPages::KeepsItsRule(const std::string& key, const std::string& value,
                                const std::string& label) {
    const RuleBreak why = CheckValue(key, value);
    if (why == RuleBreak::None)
        return true;
    // Named by its label as the listing has it, with the reason in the skin's words.
    const std::string name = PlainLabel(label);
    host_.Log(TextOr("RuleBroken", "Not written, the value breaks its rule:") + " " +
              (name.empty() ? key : name) + " \"" + value + "\": " + RuleReason(why) + "\r\n");
    return false;
}

std::string CConfigPages::RuleReason(RuleBreak why) const {
    return RuleBreakText(why, host_.Text("ValueRule", RuleBreakKey(why)));
}

// The numbered layout rules: each shows and hides the groups and rows that a combo's selection
// calls for, sets heights and posts the rules that follow from what it showed.
#include "pages/config_pages.h"

#include "base/decimal.h"
#include "base/text.h"
#include "pages/layout_groups.h"
#include "pages/page_helpers.h"

using page_helpers::Channel;

RuleOutcome CConfigPages::ApplyLayoutRule(int rule, int argument) {
    switch (rule) {
    case RULE_WORK_MODE:
        RuleWorkMode();
        break;
    case RULE_ACTIVATION:
        RuleActivation();
        break;
    case RULE_DEBUG_LEVEL:
        if (view_.Exists("Debug Level"))
            SetLayoutVisible("DebugHorizontalLayout1", view_.GetSelection("Debug Level") != 0);
        break;
    case RULE_SERVER_COUNT:
        return RuleServerCount();
    case RULE_LCP_ECHO:
        RuleOptionGroup("LCP ECHO", -1, "GlobalHorizontalLayout1", "PPPGroupBox", 85, 60);
        break;
    case RULE_EXFUN:
        RuleOptionGroup("EXFUN", -1, "GlobalHorizontalLayout2", "ICMPGroupBox", 110, 60);
        break;
    case RULE_DTU_MANAGE:
        RuleOptionGroup("dtu is connect to dtu manage platform", -1, "EquimentLayout1",
                        "DtumanageGroupBox", 110, 60);
        break;
    case RULE_SMS_CONFIGURE:
        RuleOptionGroup("DTU SMS configure fun", 1, "EquimentLayout2", "DtumanageGroupBox1", 110,
                        60);
        break;
    case RULE_IO1:
        RuleIoChannel(1);
        break;
    case RULE_IO2:
        RuleIoChannel(2);
        break;
    case RULE_IO3:
        RuleIoChannel(3);
        break;
    case RULE_IO4:
        RuleIoChannel(4);
        break;
    case RULE_IO5:
        RuleIoChannel(5);
        break;
    case RULE_IO_SELECTION:
        RuleIoSelection();
        break;
    case RULE_IO1_CONTROL:
        RuleIoControl(1);
        break;
    case RULE_IO2_CONTROL:
        RuleIoControl(2);
        break;
    case RULE_IO3_CONTROL:
        RuleIoControl(3);
        break;
    case RULE_DATA_FORMAT:
    case RULE_DATA_FORMAT_CHANNEL:
        RuleDataFormat(argument);
        break;
    case RULE_LORA_MODE:
        RuleLoraMode();
        break;
    case RULE_IO2_MODE:
        RuleIoMode(2);
        break;
    case RULE_IO1_MODE:
        RuleIoMode(1);
        break;
    default:
        break;
    }
    return {};
}

void CConfigPages::RuleWorkMode() {
    if (!view_.Exists("Protocolmodel"))
        return;
    const int item = view_.GetSelection("Protocolmodel");
    int h = 60, s = 110;

    // What each work mode shows (items by the "Protocolmodel" combo; the custom mode, item 9,
    // follows its role below).
    struct WorkModeLayout {
        int items[2];
        bool idAndPhone;       // ModeHorizontalLayout1: modem ID and phone number
        bool idOnly;           // ModeHorizontalLayout1.1
        bool tcpDirect;        // ModeHorizontalLayout1.2: deliver received TCP data directly
        bool role;             // ModeHorizontalLayout2: client/server and transport protocol
        bool protocol;         // ModeHorizontalLayout3
        bool customRows;       // ModeHorizontalLayout4..8: registration and heartbeat
        bool smsNumbers;       // ModeLayout1.1
        bool smsOptions;       // ModeLayout1.2
        bool serverIoWireless; // the server, I/O and wireless tabs
        bool globalEquipment;  // the global and equipment tabs
        bool dtuManage;        // DtumanageGroupBox
        bool bindingCenters;   // the serial ports' binding centre groups
        bool activation;       // ActivateGroupBox
        bool servers;          // ServiceGroupBox
        bool http;             // HttpLayout
        bool mqtt;             // MQTTLayout
        int modeHeight, serialHeight;
    };
    static const WorkModeLayout layouts[] = {
        // items  id     idOnly tcp    role   proto  custom smsNo  smsOpt tabs1  tabs2  dtu    bind   act    svc    http   mqtt
        {{0, 7}, true,  true,  true,  false, false, false, false, false, true,  true,  true,  true,  true,  true,  false, false, 110, 110},
        {{1, 2}, true,  false, false, false, false, false, false, false, true,  true,  true,  true,  true,  true,  false, false, 85, 110},
        {{3, 3}, false, false, false, false, false, false, false, false, false, false, true,  true,  false, true,  false, false, 60, 110},
        {{4, 4}, false, false, false, false, false, false, true,  true,  false, true,  false, false, false, true,  false, false, 235, 85},
        {{5, 5}, false, false, false, false, false, false, false, true,  false, true,  false, true,  false, true,  false, false, 110, 110},
        {{6, 6}, false, false, false, false, false, false, false, false, true,  true,  true,  true,  true,  true,  true,  false, 85, 110},
        {{8, 8}, false, false, false, false, false, false, false, false, true,  true,  true,  true,  true,  true,  false, true,  285, 110},
    };
    auto customRows = [&](bool v) {
        for (int i = 4; i <= 8; ++i)
            SetLayoutVisible("ModeHorizontalLayout" + std::to_string(i), v);
    };
    auto showTabs = [&](std::initializer_list<int> tabs, bool v) {
        for (int tab : tabs) {
            SetLayoutVisible(store_.tabs[static_cast<size_t>(tab)].name, v);
            SetTabEnabled(tab, v);
        }
    };
    auto serverIoWirelessTabs = [&](bool v) { showTabs({TAB_SERVER, TAB_IO, TAB_WIRELESS}, v); };
    auto globalEquipmentTabs = [&](bool v) { showTabs({TAB_GLOBAL, TAB_EQUIPMENT}, v); };
    auto bindingCenters = [&](bool v) {
        SetLayoutVisible("bindingCenterGroupBox", v);
        SetLayoutVisible("bindingCenterGroupBox2", v);
        SetLayoutVisible("bindingCenterGroupBox3", v);
    };

    const WorkModeLayout* found = nullptr;
    for (const WorkModeLayout& layout : layouts)
        if (item == layout.items[0] || item == layout.items[1])
            found = &layout;
    if (found) {
        SetLayoutVisible("ModeHorizontalLayout1", found->idAndPhone);
        SetLayoutVisible("ModeHorizontalLayout1.1", found->idOnly);
        SetLayoutVisible("ModeHorizontalLayout1.2", found->tcpDirect);
        SetLayoutVisible("ModeHorizontalLayout2", found->role);
        SetLayoutVisible("ModeHorizontalLayout3", found->protocol);
        customRows(found->customRows);
        SetLayoutVisible("ModeLayout1.1", found->smsNumbers);
        SetLayoutVisible("ModeLayout1.2", found->smsOptions);
        serverIoWirelessTabs(found->serverIoWireless);
        globalEquipmentTabs(found->globalEquipment);
        SetLayoutVisible("DtumanageGroupBox", found->dtuManage);
        bindingCenters(found->bindingCenters);
        SetLayoutVisible("ActivateGroupBox", found->activation);
        SetLayoutVisible("ServiceGroupBox", found->servers);
        SetLayoutVisible("HttpLayout", found->http);
        SetLayoutVisible("MQTTLayout", found->mqtt);
        h = found->modeHeight;
        s = found->serialHeight;
    } else if (item == 9) {
        SetLayouts({{"ModeHorizontalLayout1", false},
                    {"ModeHorizontalLayout1.1", false},
                    {"ModeHorizontalLayout1.2", false},
                    {"ModeHorizontalLayout2", true},
                    {"ModeHorizontalLayout3", true},
                    {"ModeLayout1.1", false},
                    {"ModeLayout1.2", false}});
        serverIoWirelessTabs(true);
        globalEquipmentTabs(true);
        SetLayouts({{"DtumanageGroupBox", true},
                    {"ActivateGroupBox", true},
                    {"HttpLayout", false},
                    {"MQTTLayout", false}});
        if (!view_.Exists("DeviceModel"))
            return;
        if (view_.GetSelection("DeviceModel") == 0) {
            SetLayouts({{"ModeHorizontalLayout4", true},
                        {"ModeHorizontalLayout5", false},
                        {"ServiceGroupBox", true}});
            bindingCenters(true);
            const bool registration = view_.GetSelection("RegistrationAndHeart") == 1;
            SetLayouts({{"ModeHorizontalLayout6", false},
                        {"ModeHorizontalLayout7", registration},
                        {"ModeHorizontalLayout8", registration}});
            h = registration ? 185 : 110;
        } else {
            SetLayouts({{"ModeHorizontalLayout4", false},
                        {"ModeHorizontalLayout5", true},
                        {"ModeHorizontalLayout6", false},
                        {"ModeHorizontalLayout7", false},
                        {"ModeHorizontalLayout8", false}});
            bindingCenters(false);
            SetLayoutVisible("ServiceGroupBox", false);
            h = 110;
            s = 85;
        }
    }
    SetHeight("ModeGroupBox", h);
    SetHeight("serialGroupbox", s);
    SetHeight("serial2Groupbox", s);
    SetHeight("serial3Groupbox", s);
}

void CConfigPages::ShowIoTab() {
    SetLayoutVisible("IOTab", true);
    SetTabEnabled(TAB_IO, true);
}

void CConfigPages::RuleActivation() {
    if (!view_.Exists("ActivateMethod"))
        return;
    const int m = view_.GetSelection("ActivateMethod");
    auto ahl = [&](const char* suffix, bool v) {
        SetLayoutVisible(std::string("ActivateHorizontalLayout") + suffix, v);
    };
    static const char* const columns[] = {"1", "2",     "3",     "4", "5", "6",
                                          "6.1", "6.1.1", "6.1.2", "7", "8", "9"};
    static const bool rows[5][12] = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 1, 0, 1, 0, 1, 0},
        {1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}, {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {1, 1, 1, 0, 0, 0, 1, 0, 1, 1, 1, 1},
    };
    static const int heights[5] = {60, 110, 60, 110, 185};
    int h = 60;
    if (m >= 0 && m <= 4) {
        for (int c = 0; c < 12; ++c)
            ahl(columns[c], rows[m][c]);
        if (m == 4) {
            SetLayoutVisible("IO3GroupBox", true);
            host_.PostLayoutRule(RULE_LORA_MODE, 0);
            host_.PostLayoutRule(RULE_IO2_MODE, 0);
        } else {
            SetLayoutVisible("IO1GroupBox", true);
            SetLayoutVisible("IO2GroupBox", true);
            SetLayoutVisible("IO3GroupBox", true);
        }
        ShowIoTab();
        h = heights[m];
    } else if (m == 5) {
        SetLayouts({{"ActivateHorizontalLayout1", false},
                    {"ActivateHorizontalLayout1.2", false},
                    {"ActivateHorizontalLayout2", false},
                    {"ActivateHorizontalLayout3", false},
                    {"ActivateHorizontalLayout4", true},
                    {"ActivateHorizontalLayout7", false},
                    {"ActivateHorizontalLayout8", false},
                    {"ActivateHorizontalLayout9", false}});
        if (!view_.Exists("IOactivationmethods"))
            return;
        // Item 0: the inputs choose the channel; any other: the centre controls the outputs.
        const bool byInput = view_.GetSelection("IOactivationmethods") == 0;
        SetLayouts({{"ActivateHorizontalLayout5", byInput},
                    {"ActivateHorizontalLayout6", !byInput},
                    {"ActivateHorizontalLayout6.1", !byInput},
                    {"ActivateHorizontalLayout6.1.1", !byInput},
                    {"ActivateHorizontalLayout6.1.2", false}});
        if (byInput) {
            host_.PostLayoutRule(RULE_IO_SELECTION, 0);
            h = 110;
        } else {
            host_.PostLayoutRule(RULE_IO1_CONTROL, 0);
            host_.PostLayoutRule(RULE_IO2_CONTROL, 0);
            host_.PostLayoutRule(RULE_IO3_CONTROL, 0);
            h = 135;
        }
    }
    SetHeight("ActivateGroupBox", h);
}

RuleOutcome CConfigPages::RuleServerCount() {
    RuleOutcome outcome;
    if (!view_.Exists("Server Count") || !view_.Exists("ServerTitle") ||
        !view_.Exists("Server's Label"))
        return outcome;
    const std::string text = view_.GetText("Server Count");
    const ParameterEntry* type = FindParameter(ShownParameters(), "Device Type");
    const bool gps = type && Contains(type->value, "Tamsa");
    if (text == "0" && !gps) {
        outcome.serverCountNotice = true;
        return outcome;
    }
    // Rows SHL0..SHL6 shown, the titles (0 none, 1 or 2) and the two heights, by count.
    struct Row {
        const char* text;
        bool rows[7];
        int titles, box, box2;
    };
    static const Row table[] = {
        {"0", {0, 0, 0, 0, 0, 0, 1}, 1, 60, 110},   {"1", {1, 1, 0, 0, 0, 0, 1}, 1, 110, 110},
        {"2", {1, 0, 1, 0, 0, 0, 0}, 2, 110, 85},   {"3", {1, 0, 1, 1, 0, 0, 0}, 2, 135, 85},
        {"4", {1, 0, 1, 1, 1, 0, 0}, 2, 160, 85},   {"5", {1, 0, 1, 1, 1, 1, 0}, 2, 185, 85},
    };
    int box = 60, box2 = 110;
    for (const Row& row : table) {
        if (text != row.text)
            continue;
        for (int i = 0; i < 7; ++i)
            SetLayoutVisible("ServiceHorizontalLayout" + std::to_string(i), row.rows[i]);
        const std::string n = std::to_string(row.titles);
        view_.SetText("ServerTitle", host_.Text("ModeTabItemChange", ("ServerTitle" + n).c_str()));
        view_.SetText("Server's Label",
                      host_.Text("ModeTabItemChange", ("Server's Label" + n).c_str()));
        box = row.box;
        box2 = row.box2;
        break;
    }
    if (!view_.Exists("ServiceGroupBox"))
        return outcome;
    SetHeight("ServiceGroupBox", box);
    SetHeight("ServiceGroupBox2", box2);
    return outcome;
}

void CConfigPages::ServerCountFallback() {
    // The user was told that the count is set to 1: that is written by the next write.
    forcedKeys_.insert("Server Count");
    if (view_.Exists("Server Count"))
        view_.SelectItem("Server Count", 1);
}

void CConfigPages::RuleOptionGroup(const char* combo, int shownFor, const char* layout,
                                   const char* box, int heightShown, int heightHidden) {
    if (!view_.Exists(combo))
        return;
    const int item = view_.GetSelection(combo);
    // shownFor -1: every item but 0 shows the layout; otherwise only that item does.
    const bool shown = shownFor < 0 ? item != 0 : item == shownFor;
    SetLayoutVisible(layout, shown);
    SetHeight(box, shown ? heightShown : heightHidden);
}

void CConfigPages::RuleIoChannel(int n) {
    const std::string workmode = Channel("DIO# workmode", n);
    if (!view_.Exists(workmode))
        return;
    const std::string t = view_.GetText(workmode);
    const ComboTexts& texts = Texts();
    int mode = 0; // 1..5 for Text1..Text5, 0 for none of them
    for (int i = 0; i < 5; ++i)
        if (t == texts.dioWorkmode[i]) {
            mode = i + 1;
            break;
        }
    auto row = [&](const char* suffix, bool v) {
        SetLayoutVisible(Channel("IOLayout#", n) + suffix, v);
    };
    auto rowIf = [&](const char* suffix, const std::string& combo, int item) {
        if (view_.Exists(combo))
            row(suffix, view_.GetSelection(combo) == item);
    };
    int h = 60;
    switch (mode) {
    case 1:
    case 4:
    case 5: {
        static const char* const all[] = {".1",   ".2", ".2.1", ".3", ".3.1", ".3.2",
                                          ".4",   ".4.1", ".4.2", ".5", ".6",   ".7"};
        for (const char* suffix : all) {
            const std::string s = suffix;
            bool v = false;
            if (mode == 4)
                v = s == ".6";
            else if (mode == 5)
                v = s == ".2" || s == ".7";
            row(suffix, v);
        }
        h = mode == 1 ? 60 : mode == 4 ? 85 : 135;
        break;
    }
    case 2:
    case 3: {
        row(".1", true);
        row(".2", true);
        rowIf(".2.1", Channel("DIO# interface", n), 3);
        if (mode == 2) {
            row(".3", true);
            rowIf(".3.1", Channel("DIO# reported methods", n), 1);
            rowIf(".3.2", Channel("DIO# reported methods", n), 0);
        } else {
            row(".3", false);
            row(".3.1", false);
            row(".3.2", false);
        }
        const std::string protocol = Channel("DIO# protocol", n);
        if (view_.Exists(protocol)) {
            const bool one = view_.GetSelection(protocol) == 1;
            bool r4, r41, r42, r5;
            if (mode == 2) {
                r4 = r41 = r5 = one;
                r42 = false;
                h = one ? 160 : 110;
            } else {
                r4 = r42 = true;
                r41 = r5 = one;
                h = one ? 135 : (n == 3 || n == 5 ? 85 : 110);
            }
            row(".4", r4);
            row(".4.1", r41);
            row(".4.2", r42);
            row(".5", r5);
        }
        row(".6", false);
        row(".7", false);
        break;
    }
    default:
        break;
    }
    SetHeight(Channel("IO#GroupBox", n), h);
}

void CConfigPages::RuleIoSelection() {
    const char* combo = "I/O selection";
    if (!view_.Exists(combo))
        return;
    if (!view_.IsVisible(combo)) {
        for (int n = 1; n <= 3; ++n)
            SetLayoutVisible(Channel("IO#GroupBox", n), true);
        return;
    }
    const int item = view_.GetSelection(combo);
    for (int n = 1; n <= 3; ++n)
        SetLayoutVisible(Channel("IO#GroupBox", n), item != n - 1);
    ShowIoTab();
}

CConfigPages::ComboRule CConfigPages::ChannelByCombo(const std::string& combo, int n,
                                                    bool (*shows)(int item)) {
    if (!view_.Exists(combo))
        return ComboRule::Missing;
    const std::string box = Channel("IO#GroupBox", n);
    if (!view_.IsVisible(combo)) {
        // The combo is not part of the layout: the channel is the I/O page's again.
        SetLayoutVisible(box, true);
        return ComboRule::Hidden;
    }
    SetLayoutVisible(box, shows(view_.GetSelection(combo)));
    return ComboRule::Applied;
}

void CConfigPages::RuleIoControl(int n) {
    // Items 0 to 5 give the channel to a centre; above, or none, leave it to the I/O page.
    if (ChannelByCombo(Channel("I/O# control", n), n, [](int item) { return item > 5 || item < 0; }) ==
        ComboRule::Applied)
        IoTabCheck();
}

void CConfigPages::IoTabCheck() {
    int used = 0;
    for (int n = 1; n <= 5; ++n) {
        const std::string combo = Channel("I/O# control", n);
        if (!view_.Exists(combo))
            return;
        if (view_.GetText(combo) != "None")
            ++used;
    }
    const bool show = used != 3;
    SetLayoutVisible("IOTab", show);
    SetTabEnabled(TAB_IO, show);
}

void CConfigPages::RuleIoMode(int n) {
    // Item 0 (normal I/O) or none leaves the channel to the I/O page; activation takes it.
    if (ChannelByCombo(Channel("I/O# Mode", n), n, [](int item) { return item <= 0; }) ==
            ComboRule::Applied &&
        n == 2)
        RuleIoMode(1);
}

void CConfigPages::RuleDataFormat(int n) {
    const std::string format = Channel("A DIO# data format", n);
    if (!view_.Exists(format))
        return;
    const ParameterEntry* entry = FindParameter(ShownParameters(), format);
    const bool changed = entry && view_.GetSelection(format) != ParseDecimal(entry->value);
    for (const char* pattern : {"DIO# query command", "DIO# output control result",
                                "DIO# high level information", "DIO# low level information"}) {
        const std::string key = Channel(pattern, n);
        const ParameterEntry* field = FindParameter(ShownParameters(), key);
        if (field && view_.Exists(key))
            view_.SetText(key, changed ? std::string() : field->value);
    }
}

void CConfigPages::RuleLoraMode() {
    if (!view_.Exists("LORA Mode"))
        return;
    int h;
    if (view_.GetText("LORA Mode") == "TRNS") {
        SetLayoutVisible("LoraLayout", true);
        h = 235;
    } else {
        SetLayoutVisible("LoraLayout", false);
        h = 210;
    }
    if (Contains(loraVersion_, "v1")) {
        SetLayoutVisible("LoraPID", false);
        SetLayoutVisible("LoraType", false);
    } else {
        SetLayoutVisible("LoraPID", true);
        SetLayoutVisible("LoraType", false);
        h += 25;
    }
    if (Contains(loraVersion_, "Pellarix")) {
        SetLayoutVisible("LoraPower", false);
        h -= 25;
    } else {
        SetLayoutVisible("LoraPower", true);
    }
    SetHeight("LoraGroupBox", h);
}

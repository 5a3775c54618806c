#include "pages/config_pages.h"

#include "base/decimal.h"
#include "base/text.h"
#include "exchange/device_operations.h"
#include "pages/tab_strip.h"
#include "params/listing_parser.h"

#include <algorithm>

const char* const kSensorFields[kSensorFieldCount] = {
    "SensorCfg_DeviceSwitch",    "SensorCfg_DeviceAddress",  "SensorCfg_FunctionCode",
    "SensorCfg_RegisterAddress", "SensorCfg_RegisterCount",  "SensorCfg_DataType",
    "SensorCfg_NumberOfDecimalPoints", "SensorCfg_BindSerialPort", "SensorCfg_DataName",
    "SensorCfg_DataChg",
};

namespace {

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string Channel(const char* pattern, int channel) {
    std::string text = pattern;
    const size_t at = text.find('#');
    if (at != std::string::npos)
        text.replace(at, 1, std::to_string(channel));
    return text;
}

// The rule that follows an I/O channel's group box and rows.
int ChannelRule(int channel) {
    static const int rules[] = {RULE_IO1, RULE_IO2, RULE_IO3, RULE_IO4, RULE_IO5};
    return channel >= 1 && channel <= 5 ? rules[channel - 1] : -1;
}

// The layout-to-parameter table for the rows that only set in-use flags.
using LayoutTable = std::map<std::string, std::vector<std::string>>;

const LayoutTable& PlainLayouts() {
    static const LayoutTable table = [] {
        LayoutTable t = {
            {"ModeHorizontalLayout1", {"Modem'sID number", "PhoneNO."}},
            {"ModeHorizontalLayout1.1", {"Modem'sID number"}},
            {"ModeHorizontalLayout1.2", {"Deliver Recved Tcp Data Directly"}},
            {"ModeLayout1.1",
             {"sms Phone1 No", "sms Phone2 No", "sms Phone3 No", "sms Phone4 No",
              "sms Phone5 No"}},
            {"ModeLayout1.2", {"Show Phone NO", "Encode Hex SMS", "Send Hex SMS"}},
            {"ModeHorizontalLayout2", {"DeviceModel", "Transferprotocol"}},
            {"ModeHorizontalLayout4", {"RegistrationAndHeart"}},
            {"ModeHorizontalLayout5", {"ListenPort"}},
            {"ModeHorizontalLayout6", {"HeartbeatTime"}},
            {"ModeHorizontalLayout7", {"RegisterbHex"}},
            {"ModeHorizontalLayout8",
             {"RegisterInfo", "RegistrationReplyInfo", "HeartbeatPacket",
              "HeartbeatPacketReplyInfo"}},
            {"ActivateHorizontalLayout2", {"On-line data", "Offline data"}},
            {"ActivateHorizontalLayout3", {"ActivationInterface", "DataFormat"}},
            {"ActivateHorizontalLayout4", {"IOactivationmethods"}},
            {"ActivateHorizontalLayout5", {"I/O selection"}},
            {"ActivateHorizontalLayout6", {"I/O1 control", "I/O2 control"}},
            {"ActivateHorizontalLayout6.1.1", {"I/O3 control"}},
            {"ActivateHorizontalLayout6.1.2", {"Sms Daemon Password"}},
            {"ActivateHorizontalLayout7", {"ActivationPhoneNO."}},
            {"ActivateHorizontalLayout8", {"SMSActivationNO."}},
            {"ActivateHorizontalLayout9", {"I/O1 Mode", "I/O2 Mode"}},
            {"DebugHorizontalLayout1", {"Debugging  port"}},
            {"ServiceHorizontalLayout0", {"Server's Ip", "Server's Port"}},
            {"ServiceHorizontalLayout1", {"Secondary Server's Ip", "Secondary Server's Port"}},
            {"GlobalHorizontalLayout1", {"Lcp echo interval", "Lcp echo testing number"}},
            {"GlobalHorizontalLayout2", {"ICMP Ip", "ICMP interval", "ICMP testing number"}},
            {"EquimentLayout1",
             {"Dtu manage id", "dtu manage server's Ip", "Dtumanagetransferprotocol",
              "dtu manage server's Port"}},
            {"EquimentLayout2", {"DTU SMS configure password", "DTU SMS administrator number"}},
            {"DtumanageGroupBox",
             {"dtu is connect to dtu manage platform", "Dtu manage id", "dtu manage server's Ip",
              "Dtumanagetransferprotocol", "dtu manage server's Port"}},
            {"serialGroupbox",
             {"Serial Baudrate", "Serial port commu mode", "A serial port binding center"}},
            {"serial2Groupbox",
             {"Serial 2 Baudrate", "Serial 2 port commu mode", "A serial 2 port binding center"}},
            {"serial3Groupbox",
             {"RS485 Baudrate", "RS485 port commu mode", "RS485 port binding center"}},
            {"bindingCenterGroupBox", {"A serial port binding center"}},
            {"bindingCenterGroupBox2", {"A serial 2 port binding center"}},
            {"bindingCenterGroupBox3", {"RS485 port binding center"}},
            {"LoraLayout", {"LORA TAddr"}},
            {"LoraPower", {"LORA Power"}},
            {"LoraPID", {"LORA pid"}},
            {"LoraType", {"LORA typ"}},
            {"HttpLayout", {"HTTP Request Mode"}},
            {"MQTTLayout",
             {"MQTT Client ID", "MQTT User Name", "MQTT Password", "MQTT Receive Topic",
              "MQTT Send Topic", "MQTT KEY", "MQTT REPORPERIOD", "MQTT BATCHREPORT",
              "MQTT CACHEEANBLE"}},
        };
        for (int n = 2; n <= 5; ++n)
            t["ServiceHorizontalLayout" + std::to_string(n)] = {
                "Server" + std::to_string(n) + "'s Ip", "Server" + std::to_string(n) + "'s Port"};
        for (int n = 1; n <= 5; ++n) {
            auto row = [&](const char* layout, std::initializer_list<const char*> keys) {
                std::vector<std::string>& list = t[Channel(layout, n)];
                for (const char* key : keys)
                    list.push_back(Channel(key, n));
            };
            row("IOLayout#.1", {"DIO# protocol"});
            row("IOLayout#.2", {"DIO# interface"});
            row("IOLayout#.2.1", {"DIO# SMS number"});
            row("IOLayout#.3", {"DIO# reported methods"});
            row("IOLayout#.3.1", {"DIO# reported times"});
            row("IOLayout#.3.2", {"DIO# query command"});
            row("IOLayout#.4.1", {"A DIO# data format"});
            row("IOLayout#.4.2", {"DIO# output control result"});
            row("IOLayout#.5", {"DIO# high level information", "DIO# low level information"});
            row("IOLayout#.6", {"DIO# and mapping center"});
            if (n == 3)
                row("IOLayout#.7", {"DIO# ADCType", "DIO# upper threshold", "DIO# lower threshold"});
            else
                row("IOLayout#.7", {"DIO# upper threshold", "DIO# lower threshold"});
        }
        return t;
    }();
    return table;
}

// The parameters an I/O channel's group box takes out of use when hidden.
std::vector<std::string> ChannelKeys(int n) {
    std::vector<std::string> keys;
    for (const char* key :
         {"DIO# workmode", "DIO# protocol", "DIO# interface", "DIO# SMS number",
          "DIO# reported methods", "DIO# reported times", "DIO# query command",
          "A DIO# data format", "DIO# high level information", "DIO# low level information",
          "DIO# and mapping center", "DIO# upper threshold", "DIO# lower threshold",
          "DIO# output control result"})
        keys.push_back(Channel(key, n));
    if (n == 3)
        keys.push_back("DIO3 ADCType");
    return keys;
}

int ChannelOfGroupBox(const std::string& name) {
    for (int n = 1; n <= 5; ++n)
        if (name == Channel("IO#GroupBox", n))
            return n;
    return 0;
}

// A value that the device's command line cannot carry: it would end the command early.
bool BreaksCommandLine(const std::string& value) {
    return value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

bool ValidTab(int tab) {
    return tab >= 0 && tab < kTabCount;
}

} // namespace

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
    const std::string text = host_.Text("CollectChangedParameters", key);
    return text.empty() ? fallback : text;
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
    UpdateTabStrip(0);

    const ParameterEntry* lora = FindParameter(ShownParameters(), "LORA ver");
    loraVersion_ = lora ? lora->value : std::string();

    for (const auto& [key, entry] : ShownParameters()) {
        const EntryKind kind = KindOf(entry.kind);
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

void CConfigPages::UpdateTabStrip(int direction) {
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
    if (direction == 0)
        first = LayOutTabStrip(places);
    else if (direction == 1)
        StepTabStripLeft(places);
    else if (direction == 2)
        StepTabStripRight(places, view_.GetFixedWidth(kTabStripName));
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

// ---- Layout rules ------------------------------------------------------------------------------

void CConfigPages::SetLayoutVisible(const std::string& name, bool visible) {
    if (!view_.Exists(name))
        return;
    view_.SetVisible(name, visible);

    auto mark = [&](const std::string& key, bool inUse) {
        GetParameter(store_.parameters, key).inUse = inUse;
    };
    if (name == "ActivateGroupBox") {
        if (visible) {
            mark("SMSActivationNO.", true);
            host_.PostLayoutRule(RULE_ACTIVATION, 0);
        } else {
            for (const char* key :
                 {"SMSActivationNO.", "ActivationPhoneNO.", "I/O1 control", "I/O2 control",
                  "I/O3 control", "I/O selection", "IOactivationmethods", "RegisterInfo",
                  "RegistrationReplyInfo", "HeartbeatPacket", "HeartbeatPacketReplyInfo",
                  "ActivationInterface", "DataFormat", "On-line data", "Offline data"})
                mark(key, false);
        }
        return;
    }
    if (name == "ServiceGroupBox") {
        if (visible) {
            host_.PostLayoutRule(RULE_SERVER_COUNT, 0);
            mark("Server's Ip", true);
            mark("Server's Port", true);
        } else {
            for (const char* key :
                 {"Secondary Server's Ip", "Secondary Server's Port", "Server2's Ip",
                  "Server2's Port", "Server3's Ip", "Server3's Port", "Server4's Ip",
                  "Server4's Port", "Server5's Ip", "Server5's Port"})
                mark(key, false);
        }
        return;
    }
    if (const int channel = ChannelOfGroupBox(name)) {
        if (visible) {
            mark(Channel("DIO# workmode", channel), true);
            host_.PostLayoutRule(ChannelRule(channel), 0);
        } else {
            for (const std::string& key : ChannelKeys(channel))
                mark(key, false);
        }
        return;
    }
    auto row = PlainLayouts().find(name);
    if (row == PlainLayouts().end())
        return;
    for (const std::string& key : row->second)
        mark(key, visible);
    if (name == "ActivateHorizontalLayout5" && visible)
        host_.PostLayoutRule(RULE_IO_SELECTION, 0);
}

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

    // Columns: MHL1, MHL1.1, MHL1.2, MHL2, MHL3, MHL4..8, ML1.1, ML1.2, tabs 1/3/4, tabs 5/6,
    // Dtu, BC, Act, Svc, Http, MQTT.
    struct Row {
        int items[2];
        bool v[16];
        int h, s;
    };
    static const Row rows[] = {
        {{0, 7}, {1, 1, 1, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0}, 110, 110},
        {{1, 2}, {1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0}, 85, 110},
        {{3, 3}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 0, 0}, 60, 110},
        {{4, 4}, {0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 0, 0, 0, 1, 0, 0}, 235, 85},
        {{5, 5}, {0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 0}, 110, 110},
        {{6, 6}, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 0}, 85, 110},
        {{8, 8}, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 1}, 285, 110},
    };
    auto modeRows = [&](bool v) {
        for (int i = 4; i <= 8; ++i)
            SetLayoutVisible("ModeHorizontalLayout" + std::to_string(i), v);
    };
    auto tabs134 = [&](bool v) {
        for (int tab : {TAB_SERVER, TAB_IO, TAB_WIRELESS}) {
            SetLayoutVisible(store_.tabs[static_cast<size_t>(tab)].name, v);
            SetTabEnabled(tab, v);
        }
    };
    auto tabs56 = [&](bool v) {
        for (int tab : {TAB_GLOBAL, TAB_EQUIPMENT}) {
            SetLayoutVisible(store_.tabs[static_cast<size_t>(tab)].name, v);
            SetTabEnabled(tab, v);
        }
    };
    auto bindingCenters = [&](bool v) {
        SetLayoutVisible("bindingCenterGroupBox", v);
        SetLayoutVisible("bindingCenterGroupBox2", v);
        SetLayoutVisible("bindingCenterGroupBox3", v);
    };

    const Row* found = nullptr;
    for (const Row& row : rows)
        if (item == row.items[0] || item == row.items[1])
            found = &row;
    if (found) {
        const bool* v = found->v;
        SetLayoutVisible("ModeHorizontalLayout1", v[0]);
        SetLayoutVisible("ModeHorizontalLayout1.1", v[1]);
        SetLayoutVisible("ModeHorizontalLayout1.2", v[2]);
        SetLayoutVisible("ModeHorizontalLayout2", v[3]);
        SetLayoutVisible("ModeHorizontalLayout3", v[4]);
        modeRows(v[5]);
        SetLayoutVisible("ModeLayout1.1", v[6]);
        SetLayoutVisible("ModeLayout1.2", v[7]);
        tabs134(v[8]);
        tabs56(v[9]);
        SetLayoutVisible("DtumanageGroupBox", v[10]);
        bindingCenters(v[11]);
        SetLayoutVisible("ActivateGroupBox", v[12]);
        SetLayoutVisible("ServiceGroupBox", v[13]);
        SetLayoutVisible("HttpLayout", v[14]);
        SetLayoutVisible("MQTTLayout", v[15]);
        h = found->h;
        s = found->s;
    } else if (item == 9) {
        SetLayouts({{"ModeHorizontalLayout1", false},
                    {"ModeHorizontalLayout1.1", false},
                    {"ModeHorizontalLayout1.2", false},
                    {"ModeHorizontalLayout2", true},
                    {"ModeHorizontalLayout3", true},
                    {"ModeLayout1.1", false},
                    {"ModeLayout1.2", false}});
        tabs134(true);
        tabs56(true);
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

// ---- Sensor rows -------------------------------------------------------------------------------

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
        if (KindOf(entry.kind) != EntryKind::List || key != kSensorListName ||
            view_.GetRowCount(kSensorListName) < 0)
            continue;
        view_.RebuildRows(kSensorListName, view_.GetRowCount(kSensorListName));
        NumberSensorRows();
        const int rows = view_.GetRowCount(kSensorListName);
        for (int r = 0; r < rows; ++r) {
            const auto item = entry.items.find(FormatListLabel(entry.labelFormat, r));
            if (item == entry.items.end() || item->second.empty())
                continue;
            const std::string& value = item->second;
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
            const std::string name = host_.Utf8ToAnsi(fields[kSensorDataNameField]);
            shownDataNames_[r] = {fields[kSensorDataNameField], name};
            fields[kSensorDataNameField] = name;
            for (int f = 0; f < kSensorFieldCount; ++f)
                SetRowFieldValue(r, kSensorFields[f], fields[static_cast<size_t>(f)]);
        }
    }
}

// ---- Writing -----------------------------------------------------------------------------------

std::vector<CConfigPages::Write> CConfigPages::DerivedWrites(const std::string& key,
                                                             const ParameterEntry& entry) const {
    std::vector<Write> writes;
    const EntryKind kind = KindOf(entry.kind);
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
    if (BreaksCommandLine(value)) {
        host_.Log(TextOr("BadValue", "Not written: the value contains a line break or a zero byte:") +
                  " " + key + "\r\n");
        return false;
    }
    host_.PushJob(SetValueJob(entry.command, value, key, value));
    return true;
}

int CConfigPages::CollectChangedParameters() {
    return Collect(nullptr);
}

int CConfigPages::CollectFileDifferences() {
    if (!file_)
        return 0;
    const FileConfiguration file = std::move(*file_);
    file_.reset();
    return Collect(&file.labels);
}

int CConfigPages::Collect(const FileLabels* only) {
    if (!deviceRead_) {
        host_.Log(TextOr("ReadFirst", "Nothing was written: read the device first, then change "
                                      "the pages and write.") +
                  "\r\n");
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
        for (const Write& write : writes) {
            if (only && !only->keys.count(write.key))
                continue; // a file changes only what it names
            const ParameterEntry* target = FindParameter(store_.parameters, write.key);
            if (target && QueueSetCommandIfChanged(write.value, write.key, *target))
                ++queued;
        }
    }
    return queued + CollectSensorList(false, only);
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
            else
                field = host_.AnsiToUtf8(field);
        }
        if (field.find(',') != std::string::npos || BreaksCommandLine(field))
            refused = true;
        if (f > 0)
            text += ',';
        text += field;
    }
    return text;
}

int CConfigPages::CollectSensorList(bool force, const FileLabels* only) {
    int queued = 0;
    for (auto& [key, entry] : store_.lists) {
        if (!force && (!entry.inUse || !ValidTab(entry.tab) ||
                       !store_.tabs[static_cast<size_t>(entry.tab)].enabled))
            continue;
        if (KindOf(entry.kind) != EntryKind::List || key != kSensorListName)
            continue;
        const int rows = view_.GetRowCount(kSensorListName);
        for (int r = 0; r < rows; ++r) {
            bool refused = false;
            const std::string row = SensorRowText(r, refused);
            auto shown = unshowableRows_.find(r);
            if (shown != unshowableRows_.end() && shown->second == row)
                continue; // the row still shows what it showed for a value it cannot show
            if (refused) {
                host_.Log(TextOr("BadSensorValue", "Not written: a field of this sensor row "
                                                   "contains a comma or a line break:") +
                          " " + std::to_string(r + 1) + "\r\n");
                continue;
            }
            const std::string label = FormatListLabel(entry.labelFormat, r);
            if (only && !only->listItems.count(label))
                continue;
            if (QueueListItemIfChanged(std::to_string(r) + "," + row, entry, label))
                ++queued;
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
    Job job = SetValueJob(entry.command, fullText, kSensorListName, row);
    job.kind = entry.kind;
    job.item = label;
    host_.PushJob(job);
    return true;
}

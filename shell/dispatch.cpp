#include "shell/dispatch.h"

#include "base/text.h"
#include <cstring>

namespace {

struct ClickRow {
    const char* name;
    ClickAction action;
};

// Rows before the "AT+" test, in the order the dispatcher tries them.
const ClickRow kClickRowsBeforeRaw[] = {
    {"Open", ClickAction::TogglePort},
    {"Clear", ClickAction::ClearLog},
    {"Load", ClickAction::Load},
    {"Save", ClickAction::Save},
    {"RestoreFactory", ClickAction::RestoreFactory},
    {"Login", ClickAction::Login},
    {"SaveToFile", ClickAction::SaveToFile},
    {"LoadFromFile", ClickAction::LoadFromFile},
    {"SetTime", ClickAction::SetTime},
    {"READFILELOG", ClickAction::ReadLog},
    {"CPIN", ClickAction::SimPin},
    {"CSQ", ClickAction::Signal},
    {"GetVer", ClickAction::Version},
    {"RevertAll", ClickAction::RevertAll},
    {"UndoWrite", ClickAction::UndoWrite},
    {"CompareFile", ClickAction::CompareFile},
    {"Station", ClickAction::Station},
};

const ClickRow kClickRowsAfterRaw[] = {
    {"quit", ClickAction::Quit},
    {"TabLeft", ClickAction::TabLeft},
    {"TabRight", ClickAction::TabRight},
};

const char* const kDirectionSwitches[] = {
    "COM2Zigbee", "Zigbee2COM", "COM2GPS",   "GPS2COM",  "Zigbee2GPRS", "GPRS2Zigbee", "COM2Lora",
    "Lora2COM",   "Lora2GPRS",  "GPRS2Lora", "GPS2GPRS", "GPRS2GPS",    "GPRS2COM",    "COM2GPRS",
};

struct ItemSelectRow {
    const char* name;
    int rule;
    int argument;
};

const ItemSelectRow kItemSelectRows[] = {
    {"Protocolmodel", 0, 0},
    {"DeviceModel", 0, 0},
    {"RegistrationAndHeart", 0, 0},
    {"Transferprotocol", 0, 0},
    {"ActivateMethod", 1, 0},
    {"Debug Level", 2, 0},
    {"Server Count", 3, 0},
    {"LCP ECHO", 4, 0},
    {"EXFUN", 5, 0},
    {"dtu is connect to dtu manage platform", 6, 0},
    {"DIO1 workmode", 7, 0},
    {"DIO1 reported methods", 7, 0},
    {"DIO1 interface", 7, 0},
    {"DIO1 protocol", 7, 0},
    {"DIO2 workmode", 8, 0},
    {"DIO2 reported methods", 8, 0},
    {"DIO2 interface", 8, 0},
    {"DIO2 protocol", 8, 0},
    {"DIO3 workmode", 9, 0},
    {"DIO3 reported methods", 9, 0},
    {"DIO3 interface", 9, 0},
    {"DIO3 protocol", 9, 0},
    {"DIO4 workmode", 20, 0},
    {"DIO4 reported methods", 20, 0},
    {"DIO4 interface", 20, 0},
    {"DIO4 protocol", 20, 0},
    {"DIO5 workmode", 21, 0},
    {"DIO5 reported methods", 21, 0},
    {"DIO5 interface", 21, 0},
    {"DIO5 protocol", 21, 0},
    {"I/O selection", 10, 0},
    {"I/O1 control", 11, 0},
    {"I/O2 control", 12, 0},
    {"I/O3 control", 13, 0},
    {"DTU SMS configure fun", 14, 0},
    {"A DIO1 data format", 16, 1},
    {"A DIO2 data format", 16, 2},
    {"A DIO3 data format", 16, 3},
    {"LORA Mode", 17, 0},
    {"I/O2 Mode", 18, 0},
    {"I/O1 Mode", 19, 0},
};

const char* const kServerAddressFields[] = {
    "Server's Ip",  "Secondary Server's Ip", "Server2's Ip",
    "Server3's Ip", "Server4's Ip",          "Server5's Ip",
};

} // namespace

ClickAction ClickActionFor(const std::string& name) {
    for (const ClickRow& row : kClickRowsBeforeRaw)
        if (name == row.name)
            return row.action;
    if (name.find("AT+") != std::string::npos)
        return ClickAction::RawCommand;
    for (const ClickRow& row : kClickRowsAfterRaw)
        if (name == row.name)
            return row.action;
    if (IsDirectionSwitch(name))
        return ClickAction::DirectionSwitch;
    return ClickAction::None;
}

bool IsDirectionSwitch(const std::string& name) {
    for (const char* candidate : kDirectionSwitches)
        if (name == candidate)
            return true;
    return false;
}

ItemSelectAction ItemSelectActionFor(const std::string& name, int selectedItem) {
    ItemSelectAction action;
    if (name == "Language") {
        action.switchLanguage = true;
        return action;
    }
    if (name == "IOactivationmethods") {
        action.rules.push_back({1, 0});
        if (selectedItem == 0) {
            action.rules.push_back({10, 0});
        } else if (selectedItem == 1) {
            action.rules.push_back({11, 0});
            action.rules.push_back({12, 0});
            action.rules.push_back({13, 0});
        }
        return action;
    }
    for (const ItemSelectRow& row : kItemSelectRows) {
        if (name == row.name) {
            action.rules.push_back({row.rule, row.argument});
            break;
        }
    }
    return action;
}

const std::vector<const char*>& OperationButtons() {
    static const std::vector<const char*> buttons = {
        "Save",   "Load",        "RestoreFactory", "LoadFromFile", "SaveToFile", "SetTime",
        "GetVer", "READFILELOG", "CPIN",           "CSQ",          "quit",     "UndoWrite",
        // The raw command buttons of the Operation page: pressed while the port is probing
        // they would stop the setting-mode timer.
        "AT+LIST", "AT+SHOW", "AT+FINDNETMODE",
    };
    return buttons;
}

ControlStateChange ControlStateChangeFor(long group) {
    static const std::vector<const char*> connection = {"Checkcode", "BaudRate1", "SerialPort"};
    ControlStateChange change;
    switch (group) {
    case STATE_SETTING_MODE:
        change.followState = OperationButtons();
        change.oppositeState = {"Login"};
        change.setDeviceState = true;
        break;
    case STATE_PORT_CLOSED:
        change.followState = OperationButtons();
        change.followState.push_back("Login");
        change.oppositeState = connection;
        change.setDeviceState = true;
        break;
    case STATE_QUEUE:
        change.followState = OperationButtons();
        break;
    case STATE_PORT_OPENED:
        change.followState = {"Login"};
        change.oppositeState = connection;
        break;
    default:
        break;
    }
    return change;
}

int PageForOption(const TabTable& tabs, const std::string& senderName) {
    for (int i = 0; i < kTabCount; ++i)
        if (tabs[i].name.find(senderName) != std::string::npos)
            return i;
    return -1;
}

bool IsServerAddressField(const std::string& name) {
    for (const char* field : kServerAddressFields)
        if (name == field)
            return true;
    return false;
}

bool HasBlank(const std::string& text) {
    return text.find(' ') != std::string::npos;
}

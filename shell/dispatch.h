// The tables of the main window's notification dispatcher: what a click on a named control
// does, which layout rules an item selection posts, which controls a control-state message
// enables or disables, and which page a tab option selects. Portable: the window applies
// the answers to its controls.
#pragma once

#include "base/messages.h"
#include "pages/page_view.h"
#include "params/parameter_catalogue.h"

#include <string>
#include <vector>

// What a click on a control does, by the control's name (the system buttons are matched by
// identity before this table is asked).
enum class ClickAction {
    None,
    TogglePort,     // "Open"
    ClearLog,       // "Clear"
    Load,           // "Load"
    Save,           // "Save"
    RestoreFactory, // "RestoreFactory"
    Login,          // "Login"
    SaveToFile,     // "SaveToFile": posts WM_SAVE_FILE
    LoadFromFile,   // "LoadFromFile": posts WM_LOAD_FILE
    SetTime,        // "SetTime"
    ReadLog,        // "READFILELOG"
    SimPin,         // "CPIN"
    Signal,         // "CSQ"
    Version,        // "GetVer"
    RawCommand,     // any name containing "AT+"
    Quit,           // "quit"
    TabLeft,        // "TabLeft"
    TabRight,       // "TabRight"
    DirectionSwitch, // one of the fourteen data-route switches
    RevertAll,      // "RevertAll": the pages show the device's values again
    UndoWrite,      // "UndoWrite": the snapshot before the last write, through the plan
    CompareFile,    // "CompareFile": a file against the device, nothing written
    Station,        // "Station": the production station window
};

// The first matching row of the click table for a control name (exact, case-sensitive).
ClickAction ClickActionFor(const std::string& name);

// True for the fourteen data-route switches ("COM2Zigbee" ... "COM2GPRS").
bool IsDirectionSwitch(const std::string& name);

// One WM_LAYOUT_RULE post: the rule number and its argument.
struct LayoutRulePost {
    int rule;
    int argument;
    bool operator==(const LayoutRulePost& o) const {
        return rule == o.rule && argument == o.argument;
    }
};

// What an "itemselect" from a control asks for.
struct ItemSelectAction {
    std::vector<LayoutRulePost> rules; // posted in this order
    bool switchLanguage = false;       // "Language": post WM_SWITCH_LANGUAGE instead
};

// The item-selection table. selectedItem is the sender's selected item index (only
// "IOactivationmethods" looks at it).
ItemSelectAction ItemSelectActionFor(const std::string& name, int selectedItem);

// The control-state table for WM_CONTROL_STATE's lParam: the controls that get the state E
// (wParam == 1), those that get the opposite, and whether SetDeviceState(E) follows.
struct ControlStateChange {
    std::vector<const char*> followState;
    std::vector<const char*> oppositeState;
    bool setDeviceState = false;
};
ControlStateChange ControlStateChangeFor(long group);

// The device operation buttons (the eleven of the operations panel and the three raw command
// buttons) that the setting mode and the queue enable together.
const std::vector<const char*>& OperationButtons();

// Page selection for a "selectchanged" from a tab option: the first tab record, in index
// order, whose name contains the sender's name (an empty name matches record 0); -1 when
// none does.
int PageForOption(const TabTable& tabs, const std::string& senderName);

// True for the server address fields whose text must not contain blanks.
bool IsServerAddressField(const std::string& name);
// An address text with a blank anywhere in it.
bool HasBlank(const std::string& text);

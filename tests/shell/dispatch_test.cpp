// The dispatcher's tables: the decisions of the main window without a window.
#include "shell/dispatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Names(const std::vector<const char*>& names) {
    return std::vector<std::string>(names.begin(), names.end());
}

TEST(ClickTable, NamesMapToTheirActionsFirstMatchWins) {
    EXPECT_EQ(ClickActionFor("Open"), ClickAction::TogglePort);
    EXPECT_EQ(ClickActionFor("Clear"), ClickAction::ClearLog);
    EXPECT_EQ(ClickActionFor("Load"), ClickAction::Load);
    EXPECT_EQ(ClickActionFor("Save"), ClickAction::Save);
    EXPECT_EQ(ClickActionFor("RestoreFactory"), ClickAction::RestoreFactory);
    EXPECT_EQ(ClickActionFor("Login"), ClickAction::Login);
    EXPECT_EQ(ClickActionFor("SaveToFile"), ClickAction::SaveToFile);
    EXPECT_EQ(ClickActionFor("LoadFromFile"), ClickAction::LoadFromFile);
    EXPECT_EQ(ClickActionFor("SetTime"), ClickAction::SetTime);
    EXPECT_EQ(ClickActionFor("READFILELOG"), ClickAction::ReadLog);
    EXPECT_EQ(ClickActionFor("CPIN"), ClickAction::SimPin);
    EXPECT_EQ(ClickActionFor("CSQ"), ClickAction::Signal);
    EXPECT_EQ(ClickActionFor("GetVer"), ClickAction::Version);
    EXPECT_EQ(ClickActionFor("quit"), ClickAction::Quit);
    EXPECT_EQ(ClickActionFor("TabLeft"), ClickAction::TabLeft);
    EXPECT_EQ(ClickActionFor("TabRight"), ClickAction::TabRight);
    EXPECT_EQ(ClickActionFor("GPRS2COM"), ClickAction::DirectionSwitch);
    // "AT+" anywhere in the name, case-sensitive; names are compared exactly.
    EXPECT_EQ(ClickActionFor("AT+REBOOT"), ClickAction::RawCommand);
    EXPECT_EQ(ClickActionFor("xAT+Y"), ClickAction::RawCommand);
    EXPECT_EQ(ClickActionFor("at+reboot"), ClickAction::None);
    EXPECT_EQ(ClickActionFor("open"), ClickAction::None);
    EXPECT_EQ(ClickActionFor("Quit"), ClickAction::None);
    EXPECT_EQ(ClickActionFor(""), ClickAction::None);
}

TEST(ClickTable, FourteenDirectionSwitchesToggleTheirImage) {
    const char* switches[] = {"COM2Zigbee",  "Zigbee2COM", "COM2GPS",  "GPS2COM",   "Zigbee2GPRS",
                              "GPRS2Zigbee", "COM2Lora",   "Lora2COM", "Lora2GPRS", "GPRS2Lora",
                              "GPS2GPRS",    "GPRS2GPS",   "GPRS2COM", "COM2GPRS"};
    for (const char* name : switches)
        EXPECT_TRUE(IsDirectionSwitch(name)) << name;
    EXPECT_FALSE(IsDirectionSwitch("COM2COM"));

    EXPECT_EQ(ToggledSwitchImage("switch_disable.png"), "switch_enable.png");
    EXPECT_EQ(ToggledSwitchImage("switch_enable.png"), "switch_disable.png");
    EXPECT_EQ(ToggledSwitchImage(ToggledSwitchImage("file='switch_disable.png'")),
              "file='switch_disable.png'");
    // Every occurrence, and a name without either word stays as it is.
    EXPECT_EQ(ToggledSwitchImage("disable/disable.png"), "enable/enable.png");
    EXPECT_EQ(ToggledSwitchImage("plain.png"), "plain.png");
}

TEST(ItemSelectTable, RowsPostTheirRules) {
    struct Row {
        const char* name;
        LayoutRulePost post;
    };
    const Row rows[] = {
        {"Protocolmodel", {0, 0}},
        {"DeviceModel", {0, 0}},
        {"RegistrationAndHeart", {0, 0}},
        {"Transferprotocol", {0, 0}},
        {"ActivateMethod", {1, 0}},
        {"Debug Level", {2, 0}},
        {"Server Count", {3, 0}},
        {"LCP ECHO", {4, 0}},
        {"EXFUN", {5, 0}},
        {"dtu is connect to dtu manage platform", {6, 0}},
        {"DIO1 protocol", {7, 0}},
        {"DIO2 interface", {8, 0}},
        {"DIO3 reported methods", {9, 0}},
        {"DIO4 workmode", {20, 0}},
        {"DIO5 protocol", {21, 0}},
        {"I/O selection", {10, 0}},
        {"I/O1 control", {11, 0}},
        {"I/O2 control", {12, 0}},
        {"I/O3 control", {13, 0}},
        {"DTU SMS configure fun", {14, 0}},
        {"A DIO1 data format", {16, 1}},
        {"A DIO2 data format", {16, 2}},
        {"A DIO3 data format", {16, 3}},
        {"LORA Mode", {17, 0}},
        {"I/O2 Mode", {18, 0}},
        {"I/O1 Mode", {19, 0}},
    };
    for (const Row& row : rows) {
        ItemSelectAction action = ItemSelectActionFor(row.name, 0);
        ASSERT_EQ(action.rules.size(), 1u) << row.name;
        EXPECT_EQ(action.rules[0], row.post) << row.name;
        EXPECT_FALSE(action.switchLanguage);
    }
    EXPECT_TRUE(ItemSelectActionFor("Unknown", 0).rules.empty());
    ItemSelectAction language = ItemSelectActionFor("Language", 1);
    EXPECT_TRUE(language.switchLanguage);
    EXPECT_TRUE(language.rules.empty());
}

TEST(ItemSelectTable, ActivationMethodsFollowTheSelectedItem) {
    using Posts = std::vector<LayoutRulePost>;
    EXPECT_EQ(ItemSelectActionFor("IOactivationmethods", 0).rules, (Posts{{1, 0}, {10, 0}}));
    EXPECT_EQ(ItemSelectActionFor("IOactivationmethods", 1).rules,
              (Posts{{1, 0}, {11, 0}, {12, 0}, {13, 0}}));
    EXPECT_EQ(ItemSelectActionFor("IOactivationmethods", 2).rules, (Posts{{1, 0}}));
    EXPECT_EQ(ItemSelectActionFor("IOactivationmethods", -1).rules, (Posts{{1, 0}}));
}

TEST(ControlStateTable, GroupsEnableAndDisableTheirControls) {
    const std::vector<std::string> buttons = {
        "Save",   "Load",        "RestoreFactory", "LoadFromFile", "SaveToFile", "SetTime",
        "GetVer", "READFILELOG", "CPIN",           "CSQ",          "quit",     "UndoWrite",
        "AT+LIST", "AT+SHOW", "AT+FINDNETMODE"};
    const std::vector<std::string> connection = {"Checkcode", "BaudRate1", "SerialPort"};

    ControlStateChange mode = ControlStateChangeFor(0);
    EXPECT_EQ(Names(mode.followState), buttons);
    EXPECT_EQ(Names(mode.oppositeState), std::vector<std::string>{"Login"});
    EXPECT_TRUE(mode.setDeviceState);

    ControlStateChange closed = ControlStateChangeFor(1);
    std::vector<std::string> withLogin = buttons;
    withLogin.push_back("Login");
    EXPECT_EQ(Names(closed.followState), withLogin);
    EXPECT_EQ(Names(closed.oppositeState), connection);
    EXPECT_TRUE(closed.setDeviceState);

    // A job or an empty queue leaves "Login" alone.
    ControlStateChange queue = ControlStateChangeFor(2);
    EXPECT_EQ(Names(queue.followState), buttons);
    EXPECT_TRUE(queue.oppositeState.empty());
    EXPECT_FALSE(queue.setDeviceState);

    ControlStateChange opened = ControlStateChangeFor(3);
    EXPECT_EQ(Names(opened.followState), std::vector<std::string>{"Login"});
    EXPECT_EQ(Names(opened.oppositeState), connection);
    EXPECT_FALSE(opened.setDeviceState);

    for (long other : {-1L, 4L, 100L}) {
        ControlStateChange none = ControlStateChangeFor(other);
        EXPECT_TRUE(none.followState.empty() && none.oppositeState.empty());
        EXPECT_FALSE(none.setDeviceState);
    }
}

TEST(PageSelection, FirstTabWhoseNameContainsTheOption) {
    TabTable tabs;
    InitTabTable(tabs);
    EXPECT_EQ(PageForOption(tabs, "WorkMode"), 0);
    EXPECT_EQ(PageForOption(tabs, "IO"), 3);
    EXPECT_EQ(PageForOption(tabs, "Serial"), 2);
    EXPECT_EQ(PageForOption(tabs, "Operation"), 11);
    EXPECT_EQ(PageForOption(tabs, ""), 0);
    EXPECT_EQ(PageForOption(tabs, "Tab"), 0);
    EXPECT_EQ(PageForOption(tabs, "Nothing"), -1);
    // The enabled flags are not consulted.
    tabs[3].enabled = false;
    EXPECT_EQ(PageForOption(tabs, "IO"), 3);
}

TEST(ServerAddress, ABlankAnywhereIsReported) {
    EXPECT_TRUE(IsServerAddressField("Server's Ip"));
    EXPECT_TRUE(IsServerAddressField("Secondary Server's Ip"));
    EXPECT_TRUE(IsServerAddressField("Server5's Ip"));
    EXPECT_FALSE(IsServerAddressField("Server6's Ip"));
    EXPECT_TRUE(HasBlank("1.2.3.4 "));
    EXPECT_TRUE(HasBlank(" x"));
    EXPECT_FALSE(HasBlank("not.an.address"));
}

} // namespace

// The layout rules, showing a read configuration, the sensor rows and collecting changes, on
// the in-memory view of the English skin. The expected tables below are written from the
// behaviour the pages must have, not copied from the program's tables.
#include "tests/pages/page_rig.h"

#include <gtest/gtest.h>

namespace {

class PagesTest : public ::testing::Test {
protected:
    PageRig rig;
};

// ---- Rule 0 -------------------------------------------------------------------------------------

struct WorkModeCase {
    int item;
    // MHL1, MHL1.1, MHL1.2, MHL2, MHL3, MHL4..8, ML1.1, ML1.2, tabs 1/3/4, tabs 5/6, Dtu, BC,
    // Act, Svc, Http, MQTT
    std::vector<int> shown;
    int modeHeight, serialHeight;
};

TEST_F(PagesTest, WorkModeRuleShowsTheRowsTabsAndHeightsOfEachMode) {
    const std::vector<WorkModeCase> cases = {
        {0, {1, 1, 1, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0}, 110, 110},
        {7, {1, 1, 1, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0}, 110, 110},
        {1, {1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0}, 85, 110},
        {2, {1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0}, 85, 110},
        {3, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 0, 0}, 60, 110},
        {4, {0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 0, 0, 0, 1, 0, 0}, 235, 85},
        {5, {0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 0}, 110, 110},
        {6, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 0}, 85, 110},
        {8, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 1}, 285, 110},
    };
    const std::vector<std::vector<std::string>> columns = {
        {"ModeHorizontalLayout1"},
        {"ModeHorizontalLayout1.1"},
        {"ModeHorizontalLayout1.2"},
        {"ModeHorizontalLayout2"},
        {"ModeHorizontalLayout3"},
        {"ModeHorizontalLayout4", "ModeHorizontalLayout5", "ModeHorizontalLayout6",
         "ModeHorizontalLayout7", "ModeHorizontalLayout8"},
        {"ModeLayout1.1"},
        {"ModeLayout1.2"},
        {"ServerTab", "IOTab", "WirelessTab"},
        {"GlobalTab", "EquimentTab"},
        {"DtumanageGroupBox"},
        {"bindingCenterGroupBox", "bindingCenterGroupBox2", "bindingCenterGroupBox3"},
        {"ActivateGroupBox"},
        {"ServiceGroupBox"},
        {"HttpLayout"},
        {"MQTTLayout"},
    };
    for (const WorkModeCase& c : cases) {
        PageRig r;
        r.Select("Protocolmodel", c.item == 0 ? 1 : 0); // make item c.item a change
        r.Select("Protocolmodel", c.item);
        for (size_t col = 0; col < columns.size(); ++col)
            for (const std::string& name : columns[col]) {
                ASSERT_TRUE(r.view.Exists(name)) << name;
                EXPECT_EQ(r.view.Find(name)->visible, c.shown[col] == 1)
                    << "item " << c.item << " " << name;
            }
        EXPECT_EQ(r.store.tabs[1].enabled, c.shown[8] == 1) << c.item;
        EXPECT_EQ(r.store.tabs[3].enabled, c.shown[8] == 1) << c.item;
        EXPECT_EQ(r.store.tabs[4].enabled, c.shown[8] == 1) << c.item;
        EXPECT_EQ(r.store.tabs[5].enabled, c.shown[9] == 1) << c.item;
        EXPECT_EQ(r.store.tabs[6].enabled, c.shown[9] == 1) << c.item;
        EXPECT_EQ(r.Height("ModeGroupBox"), std::to_string(c.modeHeight)) << c.item;
        for (const char* box : {"serialGroupbox", "serial2Groupbox", "serial3Groupbox"})
            EXPECT_EQ(r.Height(box), std::to_string(c.serialHeight)) << c.item;
    }
}

TEST_F(PagesTest, DcudpKeepsThePhoneNumberAndDropsTheModemId) {
    rig.Select("Protocolmodel", 1);
    EXPECT_TRUE(rig.InUse("PhoneNO."));
    EXPECT_FALSE(rig.InUse("Modem'sID number"));
    rig.Select("Protocolmodel", 0);
    EXPECT_TRUE(rig.InUse("Modem'sID number"));
    EXPECT_TRUE(rig.InUse("Deliver Recved Tcp Data Directly"));
}

TEST_F(PagesTest, TrnsHidesTheStripButtonsAndTheirParameters) {
    rig.Select("Protocolmodel", 3);
    for (const char* tab : {"ServerTab", "IOTab", "WirelessTab", "GlobalTab", "EquimentTab"})
        EXPECT_FALSE(rig.Visible(tab)) << tab;
    for (int tab : {1, 3, 4, 5, 6})
        EXPECT_FALSE(rig.store.tabs[static_cast<size_t>(tab)].enabled) << tab;
    EXPECT_FALSE(rig.InUse("PhoneNO."));
    EXPECT_FALSE(rig.InUse("SMSActivationNO."));
}

TEST_F(PagesTest, CustomModeFollowsClientOrServerAndRegistration) {
    rig.Select("DeviceModel", 0);
    rig.Select("RegistrationAndHeart", 1);
    rig.Select("Protocolmodel", 9);
    EXPECT_TRUE(rig.Visible("ModeHorizontalLayout4"));
    EXPECT_FALSE(rig.Visible("ModeHorizontalLayout5"));
    EXPECT_FALSE(rig.Visible("ModeHorizontalLayout6"));
    EXPECT_TRUE(rig.Visible("ModeHorizontalLayout7"));
    EXPECT_TRUE(rig.Visible("ModeHorizontalLayout8"));
    EXPECT_TRUE(rig.Visible("ServiceGroupBox"));
    EXPECT_EQ(rig.Height("ModeGroupBox"), "185");
    EXPECT_EQ(rig.Height("serialGroupbox"), "110");

    rig.Select("RegistrationAndHeart", 0);
    EXPECT_FALSE(rig.Visible("ModeHorizontalLayout7"));
    EXPECT_EQ(rig.Height("ModeGroupBox"), "110");

    // Server: the server box and its ten secondary parameters go, the first server keeps its
    // flags.
    const bool ipBefore = rig.InUse("Server's Ip");
    rig.Select("DeviceModel", 1);
    EXPECT_FALSE(rig.Visible("ServiceGroupBox"));
    EXPECT_TRUE(rig.Visible("ModeHorizontalLayout5"));
    EXPECT_FALSE(rig.Visible("bindingCenterGroupBox2"));
    for (const char* key : {"Secondary Server's Ip", "Server2's Port", "Server5's Ip"})
        EXPECT_FALSE(rig.InUse(key)) << key;
    EXPECT_EQ(rig.InUse("Server's Ip"), ipBefore);
    EXPECT_EQ(rig.Height("ModeGroupBox"), "110");
    EXPECT_EQ(rig.Height("serial2Groupbox"), "85");
    EXPECT_TRUE(rig.InUse("ListenPort"));
    EXPECT_FALSE(rig.InUse("HeartbeatTime"));
}

TEST_F(PagesTest, NoWorkModeSelectionOnlySetsTheDefaultHeights) {
    rig.Select("Protocolmodel", 4);
    const bool before = rig.Visible("ModeLayout1.1");
    rig.view.SelectItem("Protocolmodel", -1);
    rig.pages.ApplyLayoutRule(RULE_WORK_MODE, 0);
    EXPECT_EQ(rig.Visible("ModeLayout1.1"), before);
    EXPECT_EQ(rig.Height("ModeGroupBox"), "60");
    EXPECT_EQ(rig.Height("serialGroupbox"), "110");
}

TEST_F(PagesTest, ShowingTheServerBoxRunsTheServerCountRuleAfterwards) {
    rig.Select("Protocolmodel", 3);
    rig.ran.clear();
    rig.Select("Protocolmodel", 0);
    bool afterWorkMode = false;
    for (size_t i = 0; i < rig.ran.size(); ++i)
        if (rig.ran[i].first == RULE_SERVER_COUNT)
            afterWorkMode = i > 0 && rig.ran[0].first == RULE_WORK_MODE;
    EXPECT_TRUE(afterWorkMode);
}

// ---- Rule 1 -------------------------------------------------------------------------------------

TEST_F(PagesTest, ActivationRuleShowsTheRowsOfEachMethod) {
    const char* names[] = {"1", "2", "3", "4", "5", "6", "6.1", "6.1.1", "6.1.2", "7", "8", "9"};
    const std::vector<std::pair<std::vector<int>, int>> rows = {
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 60},  {{1, 0, 0, 0, 0, 0, 1, 0, 1, 0, 1, 0}, 110},
        {{1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}, 60},  {{0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 110},
        {{1, 1, 1, 0, 0, 0, 1, 0, 1, 1, 1, 1}, 185},
    };
    for (int m = 0; m < 5; ++m) {
        PageRig r;
        r.Select("ActivateMethod", m == 0 ? 1 : 0);
        r.Select("ActivateMethod", m);
        for (int c = 0; c < 12; ++c) {
            const std::string name = std::string("ActivateHorizontalLayout") + names[c];
            ASSERT_TRUE(r.view.Exists(name)) << name;
            EXPECT_EQ(r.view.Find(name)->visible, rows[size_t(m)].first[size_t(c)] == 1)
                << "method " << m << " " << name;
        }
        EXPECT_EQ(r.Height("ActivateGroupBox"), std::to_string(rows[size_t(m)].second));
        EXPECT_TRUE(r.Visible("IOTab"));
        EXPECT_TRUE(r.store.tabs[3].enabled);
        EXPECT_TRUE(r.view.Find("IO3GroupBox")->visible);
    }
}

TEST_F(PagesTest, DioActivationFollowsTheIoActivationMethod) {
    rig.Select("IOactivationmethods", 0);
    rig.Select("ActivateMethod", 5);
    EXPECT_TRUE(rig.Visible("ActivateHorizontalLayout4"));
    EXPECT_TRUE(rig.Visible("ActivateHorizontalLayout5"));
    EXPECT_FALSE(rig.Visible("ActivateHorizontalLayout6"));
    EXPECT_TRUE(rig.InUse("I/O selection"));
    EXPECT_EQ(rig.Height("ActivateGroupBox"), "110");

    rig.ran.clear();
    rig.Select("IOactivationmethods", 1);
    EXPECT_FALSE(rig.Visible("ActivateHorizontalLayout5"));
    EXPECT_TRUE(rig.Visible("ActivateHorizontalLayout6"));
    EXPECT_TRUE(rig.Visible("ActivateHorizontalLayout6.1.1"));
    EXPECT_FALSE(rig.Visible("ActivateHorizontalLayout6.1.2"));
    EXPECT_EQ(rig.Height("ActivateGroupBox"), "135");
    std::vector<int> rules;
    for (const auto& post : rig.ran)
        rules.push_back(post.first);
    for (int rule : {11, 12, 13})
        EXPECT_NE(std::find(rules.begin(), rules.end(), rule), rules.end()) << rule;
}

// ---- Rules 2 to 6 and 14 ----------------------------------------------------------------------

TEST_F(PagesTest, ServerCountRowsTitlesAndHeights) {
    struct Case {
        int item;
        std::vector<int> rows; // SHL0..SHL6
        int titles, box, box2;
    };
    const std::vector<Case> cases = {
        {1, {1, 1, 0, 0, 0, 0, 1}, 1, 110, 110}, {2, {1, 0, 1, 0, 0, 0, 0}, 2, 110, 85},
        {3, {1, 0, 1, 1, 0, 0, 0}, 2, 135, 85},  {4, {1, 0, 1, 1, 1, 0, 0}, 2, 160, 85},
        {5, {1, 0, 1, 1, 1, 1, 0}, 2, 185, 85},
    };
    ASSERT_EQ(rig.view.GetItemText("Server Count", 0), "0");
    for (const Case& c : cases) {
        rig.Select("Server Count", c.item);
        for (int i = 0; i < 7; ++i) {
            const std::string row = "ServiceHorizontalLayout" + std::to_string(i);
            EXPECT_EQ(rig.view.Find(row)->visible, c.rows[size_t(i)] == 1) << c.item << row;
        }
        const std::string n = std::to_string(c.titles);
        EXPECT_EQ(rig.view.GetText("ServerTitle"), rig.texts["ModeTabItemChange/ServerTitle" + n]);
        EXPECT_EQ(rig.view.GetText("Server's Label"),
                  rig.texts["ModeTabItemChange/Server's Label" + n]);
        EXPECT_EQ(rig.Height("ServiceGroupBox"), std::to_string(c.box));
        EXPECT_EQ(rig.Height("ServiceGroupBox2"), std::to_string(c.box2));
    }
    EXPECT_TRUE(rig.InUse("Server5's Port"));
    rig.Select("Server Count", 2);
    EXPECT_FALSE(rig.InUse("Server3's Port"));
    EXPECT_EQ(rig.notices, 0);
}

TEST_F(PagesTest, TheServerCountTheUserWasToldOfIsWritten) {
    rig.Read(Listing({{"Server Count", "0"}, {"Protocolmodel", "PROT"}}, kAllInterfaces));
    EXPECT_EQ(rig.notices, 1);
    rig.Collect();
    ASSERT_EQ(rig.jobs.size(), 1u);
    EXPECT_EQ(rig.jobs[0].command, "AT+SVRCNT=1\r\n");
}

TEST_F(PagesTest, NoServerNeedsAGpsDeviceElseTheUserIsToldAndOneServerIsChosen) {
    rig.Select("Server Count", 3);
    rig.Select("Server Count", 0);
    EXPECT_EQ(rig.notices, 1);
    EXPECT_EQ(rig.view.GetSelection("Server Count"), 1);
    EXPECT_TRUE(rig.view.Find("ServiceHorizontalLayout1")->visible);

    GetParameter(rig.store.parameters, "Device Type").value = "DTU-Tamsa-1";
    rig.Select("Server Count", 0);
    EXPECT_EQ(rig.notices, 1);
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(rig.view.Find("ServiceHorizontalLayout" + std::to_string(i))->visible);
    EXPECT_TRUE(rig.view.Find("ServiceHorizontalLayout6")->visible);
    EXPECT_EQ(rig.Height("ServiceGroupBox"), "60");
}

TEST_F(PagesTest, OptionGroupRules) {
    rig.Select("Debug Level", 1);
    EXPECT_TRUE(rig.Visible("DebugHorizontalLayout1"));
    rig.Select("Debug Level", 0);
    EXPECT_FALSE(rig.Visible("DebugHorizontalLayout1"));
    EXPECT_FALSE(rig.InUse("Debugging  port"));

    struct Case {
        const char* combo;
        int showItem, hideItem;
        const char* layout;
        const char* box;
        const char* shownHeight;
    };
    for (const Case& c : {Case{"LCP ECHO", 1, 0, "GlobalHorizontalLayout1", "PPPGroupBox", "85"},
                          Case{"EXFUN", 1, 0, "GlobalHorizontalLayout2", "ICMPGroupBox", "110"},
                          Case{"dtu is connect to dtu manage platform", 1, 0, "EquimentLayout1",
                               "DtumanageGroupBox", "110"},
                          Case{"DTU SMS configure fun", 1, 0, "EquimentLayout2",
                               "DtumanageGroupBox1", "110"}}) {
        rig.Select(c.combo, c.showItem);
        EXPECT_TRUE(rig.Visible(c.layout)) << c.combo;
        EXPECT_EQ(rig.Height(c.box), c.shownHeight) << c.combo;
        rig.Select(c.combo, c.hideItem);
        EXPECT_FALSE(rig.Visible(c.layout)) << c.combo;
        EXPECT_EQ(rig.Height(c.box), "60") << c.combo;
    }
}

// ---- I/O rules ----------------------------------------------------------------------------------

TEST_F(PagesTest, IoChannelRowsFollowWorkModeProtocolInterfaceAndReporting) {
    const char* rows[] = {".1", ".2", ".2.1", ".3", ".3.1", ".3.2", ".4", ".4.1", ".4.2", ".5",
                          ".6", ".7"};
    struct Case {
        int mode, protocol, interfaceItem, reporting;
        std::vector<int> shown;
        int height[5];
    };
    const std::vector<Case> cases = {
        {0, 0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {60, 60, 60, 60, 60}},
        {1, 1, 3, 1, {1, 1, 1, 1, 1, 0, 1, 1, 0, 1, 0, 0}, {160, 160, 160, 160, 160}},
        {1, 0, 2, 0, {1, 1, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0}, {110, 110, 110, 110, 110}},
        {2, 1, 0, 0, {1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0}, {135, 135, 135, 135, 135}},
        {2, 0, 3, 1, {1, 1, 1, 0, 0, 0, 1, 0, 1, 0, 0, 0}, {110, 110, 85, 110, 85}},
        {3, 0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0}, {85, 85, 85, 85, 85}},
        {4, 0, 0, 0, {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, {135, 135, 135, 135, 135}},
    };
    for (int n = 1; n <= 5; ++n) {
        const std::string d = std::to_string(n);
        for (const Case& c : cases) {
            PageRig r;
            r.Select("DIO" + d + " protocol", c.protocol);
            r.Select("DIO" + d + " interface", c.interfaceItem);
            r.Select("DIO" + d + " reported methods", c.reporting);
            r.Select("DIO" + d + " workmode", c.mode == 0 ? 1 : 0);
            r.Select("DIO" + d + " workmode", c.mode);
            for (int i = 0; i < 12; ++i) {
                const std::string row = "IOLayout" + d + rows[i];
                ASSERT_TRUE(r.view.Exists(row)) << row;
                EXPECT_EQ(r.view.Find(row)->visible, c.shown[size_t(i)] == 1)
                    << "channel " << n << " mode " << c.mode << " protocol " << c.protocol << row;
            }
            EXPECT_EQ(r.Height("IO" + d + "GroupBox"), std::to_string(c.height[n - 1]))
                << "channel " << n << " mode " << c.mode;
        }
    }
}

TEST_F(PagesTest, ChannelThreeHidesItsAdcType) {
    rig.Select("DIO3 workmode", 4);
    EXPECT_TRUE(rig.InUse("DIO3 ADCType"));
    EXPECT_TRUE(rig.InUse("DIO3 upper threshold"));
    rig.pages.SetLayoutVisible("IO3GroupBox", false);
    EXPECT_FALSE(rig.InUse("DIO3 ADCType"));
    EXPECT_FALSE(rig.InUse("DIO3 workmode"));
}

TEST_F(PagesTest, IoSelectionHidesTheChosenChannel) {
    rig.Select("IOactivationmethods", 0);
    rig.Select("ActivateMethod", 5);
    ASSERT_TRUE(rig.view.IsVisible("I/O selection"));
    rig.Select("I/O selection", 1);
    EXPECT_FALSE(rig.view.Find("IO2GroupBox")->visible);
    EXPECT_TRUE(rig.view.Find("IO1GroupBox")->visible);
    EXPECT_FALSE(rig.InUse("DIO2 workmode"));
    EXPECT_FALSE(rig.InUse("DIO2 protocol"));
    rig.Select("I/O selection", 2);
    EXPECT_TRUE(rig.view.Find("IO2GroupBox")->visible);
    EXPECT_FALSE(rig.view.Find("IO3GroupBox")->visible);

    // Not visible: all three come back.
    rig.Select("ActivateMethod", 0);
    rig.pages.ApplyLayoutRule(RULE_IO_SELECTION, 0);
    EXPECT_TRUE(rig.view.Find("IO3GroupBox")->visible);
}

TEST_F(PagesTest, IoControlsTakeTheirChannelAndThreeUsedControlsHideTheIoTab) {
    rig.Select("IOactivationmethods", 1);
    rig.Select("ActivateMethod", 5);
    ASSERT_TRUE(rig.view.IsVisible("I/O1 control"));
    const int items = rig.view.GetItemCount("I/O1 control");
    ASSERT_GE(items, 7);
    rig.Select("I/O1 control", 5);
    EXPECT_FALSE(rig.view.Find("IO1GroupBox")->visible);
    rig.Select("I/O1 control", 6);
    EXPECT_TRUE(rig.view.Find("IO1GroupBox")->visible);

    // Exactly three of the five control combos on something other than "None".
    for (int n = 1; n <= 5; ++n)
        ASSERT_TRUE(rig.view.Exists("I/O" + std::to_string(n) + " control")) << n;
    int none = -1;
    for (int i = 0; i < items; ++i)
        if (rig.view.GetItemText("I/O1 control", i) == "None")
            none = i;
    ASSERT_GE(none, 0);
    for (int n = 1; n <= 5; ++n)
        rig.view.SelectItem("I/O" + std::to_string(n) + " control", n <= 3 ? (none == 0 ? 1 : 0) : none);
    rig.RunRules();
    rig.pages.ApplyLayoutRule(RULE_IO3_CONTROL, 0);
    EXPECT_FALSE(rig.Visible("IOTab"));
    EXPECT_FALSE(rig.store.tabs[3].enabled);
}

TEST_F(PagesTest, IoModesShowOrHideTheFirstTwoChannels) {
    rig.Select("ActivateMethod", 4);
    ASSERT_TRUE(rig.view.IsVisible("I/O2 Mode"));
    rig.Select("I/O1 Mode", 1);
    rig.Select("I/O2 Mode", 2);
    EXPECT_FALSE(rig.view.Find("IO2GroupBox")->visible);
    EXPECT_FALSE(rig.view.Find("IO1GroupBox")->visible);
    rig.Select("I/O2 Mode", 0);
    EXPECT_TRUE(rig.view.Find("IO2GroupBox")->visible);
    EXPECT_FALSE(rig.view.Find("IO1GroupBox")->visible);
}

TEST_F(PagesTest, DataFormatChangeEmptiesTheChannelsTextsAndChangingBackRestoresThem) {
    rig.Read(Listing({{"A DIO2 data format", "0"},
                      {"DIO2 query command", "Q2?"},
                      {"DIO2 output control result", "done"},
                      {"DIO2 high level information", "hi"},
                      {"DIO2 low level information", "lo"}},
                     kAllInterfaces));
    EXPECT_EQ(rig.view.GetText("DIO2 query command"), "Q2?");
    rig.Select("A DIO2 data format", 1);
    for (const char* key : {"DIO2 query command", "DIO2 output control result",
                            "DIO2 high level information", "DIO2 low level information"})
        EXPECT_EQ(rig.view.GetText(key), "") << key;
    rig.Select("A DIO2 data format", 0);
    EXPECT_EQ(rig.view.GetText("DIO2 high level information"), "hi");
    EXPECT_EQ(rig.view.GetText("DIO2 low level information"), "lo");
}

TEST_F(PagesTest, LoraModeHeightsFollowTheVersionText) {
    struct Case {
        const char* version;
        const char* mode;
        const char* height;
        bool pid, power;
    };
    for (const Case& c : {Case{"V2.3", "TRNS", "260", true, true},
                          Case{"v1 Pellarix", "TRNS", "210", false, false},
                          Case{"v1.0", "FIXED", "210", false, true},
                          Case{"Pellarix", "FIXED", "210", true, false}}) {
        PageRig r;
        std::vector<std::string> items;
        for (int i = 0; i < r.view.GetItemCount("LORA Mode"); ++i)
            items.push_back(r.view.GetItemText("LORA Mode", i));
        const std::string mode =
            c.mode == std::string("TRNS") ? "TRNS" : (items[0] == "TRNS" ? items[1] : items[0]);
        r.Read(Listing({{"LORA ver", c.version}, {"LORA Mode", mode}, {"Device Type", "X-L"}}));
        EXPECT_EQ(r.Height("LoraGroupBox"), c.height) << c.version << " " << c.mode;
        EXPECT_EQ(r.view.Find("LoraPID")->visible, c.pid) << c.version;
        EXPECT_EQ(r.view.Find("LoraPower")->visible, c.power) << c.version;
        EXPECT_FALSE(r.view.Find("LoraType")->visible);
    }
}

TEST_F(PagesTest, AMissingLayoutMarksNothing) {
    GetParameter(rig.store.parameters, "PhoneNO.").inUse = true;
    rig.view.byName.erase("ModeHorizontalLayout1");
    rig.pages.SetLayoutVisible("ModeHorizontalLayout1", false);
    EXPECT_TRUE(rig.InUse("PhoneNO."));
    EXPECT_EQ(rig.pages.ApplyLayoutRule(99, 0).serverCountNotice, false);
}

// ---- Showing values -----------------------------------------------------------------------------

TEST_F(PagesTest, DeviceTypeEnablesOneRadioTab) {
    struct Case {
        const char* type;
        bool lora, zigbee, gps;
    };
    for (const Case& c : {Case{"DTU-L-Z", true, false, false}, Case{"DTU-Z", false, true, false},
                          Case{"Tamsa 9", false, false, true}, Case{"DTU", false, false, false}}) {
        PageRig r;
        r.Read(Listing({{"Device Type", c.type}}));
        EXPECT_EQ(r.store.tabs[7].enabled, c.lora) << c.type;
        EXPECT_EQ(r.store.tabs[8].enabled, c.zigbee) << c.type;
        EXPECT_EQ(r.store.tabs[9].enabled, c.gps) << c.type;
        EXPECT_EQ(r.Visible("LoraTab"), c.lora) << c.type;
        EXPECT_EQ(r.Visible("GPSTab"), c.gps) << c.type;
        EXPECT_EQ(r.pages.DeviceTypeText(), c.type);
        EXPECT_EQ(r.view.selectedPage, 0);
    }
}

TEST_F(PagesTest, ComboSelectionTable) {
    struct Case {
        const char* key;
        const char* value;
        int expected; // -1: cleared, -2: unchanged from `before`
        int before;
    };
    const std::vector<Case> cases = {
        {"Protocolmodel", "TRNS", 3, 0},
        {"Protocolmodel", "MTCP/MRTU", 7, 0},
        {"Protocolmodel", "-1", -1, 2},
        {"Protocolmodel", "BOGUS", -1, 2},
        {"EXFUN", "3", 1, 0},
        {"EXFUN", "0", 0, 1},
        {"EXFUN", "2", -2, 1},
        {"net mode", "0", 0, 1},
        {"net mode", "2", -2, 1},
        {"net mode", "5", 2, 0},
        {"DeviceModel", "SVR", 1, 0},
        {"DeviceModel", "CLI", 0, 1},
        {"DeviceModel", "XYZ", -2, 1},
        {"Serial Baudrate", "9600", -3, 0},
        {"Serial Baudrate", "12345", -1, 0},
        {"ActivateMethod", "DIO", 5, 0},
        {"ActivateMethod", "-1", -1, 1},
        {"ActivateMethod", "ZZZ", -2, 1},
        {"A serial port binding center", "255", 6, 0},
        {"A serial port binding center", "8", 4, 0},
        {"A serial port binding center", "3", -2, 1},
        {"DIO3 workmode", "6", 4, 1},
        {"DIO3 workmode", "5", 0, 1},
        {"DIO3 workmode", "2", 2, 0},
        {"ZigBee_RFchannel", "13", 2, 0},
        {"Debugging  port", "2", 1, 0},
        {"LORA Rate", "3", 2, 0},
        {"I/O1 Mode", "4", 1, 0},
        {"I/O1 Mode", "5", 2, 0},
        {"I/O1 Mode", "7", 0, 1},
        {"LORA typ", "", -2, 1},
        {"LORA typ", "2", 1, 0},
        {"Debug Level", "", -2, 1},
        {"Debug Level", "1", 1, 0},
        {"Debug Level", "400", 1000, 0}, // past the last item: the last item
    };
    for (const Case& c : cases) {
        PageRig r;
        ASSERT_TRUE(r.view.Exists(c.key)) << c.key;
        r.view.SelectItem(c.key, c.before);
        r.Read(Listing({{c.key, c.value}}));
        const int count = r.view.GetItemCount(c.key);
        int expected = c.expected;
        if (expected == -2)
            expected = c.before;
        else if (expected == -3) { // the item with that text
            for (int i = 0; i < count; ++i)
                if (r.view.GetItemText(c.key, i) == c.value)
                    expected = i;
        } else if (expected >= count)
            expected = count - 1;
        EXPECT_EQ(r.view.GetSelection(c.key), expected) << c.key << " = " << c.value;
    }
}

TEST_F(PagesTest, IoSelectionShowsTheFirstChannelInModeFour) {
    rig.Read(Listing({{"DIO1 workmode", "1"}, {"DIO2 workmode", "4"}, {"DIO3 workmode", "4"}}));
    EXPECT_EQ(rig.view.GetSelection("I/O selection"), 1);
}

TEST_F(PagesTest, SwitchesShowTheTransmitChannelBits) {
    rig.Read(Listing({{"EL transmit channel", "51"}, {"Device Type", "DTU-L"}}));
    for (const char* on : {"Lora2COM", "COM2Lora", "Lora2GPRS", "GPRS2Lora", "GPS2COM",
                           "COM2GPS", "Zigbee2GPRS"})
        EXPECT_TRUE(rig.pages.IsSwitchOn(on)) << on;
    for (const char* off : {"GPRS2COM", "COM2GPRS"})
        EXPECT_FALSE(rig.pages.IsSwitchOn(off)) << off;
    rig.Read(Listing({{"EL transmit channel", "204"}, {"Device Type", "DTU-L"}}));
    for (const char* name : {"Lora2COM", "COM2Lora", "Lora2GPRS", "GPRS2Lora"})
        EXPECT_FALSE(rig.pages.IsSwitchOn(name)) << name;
    EXPECT_TRUE(rig.pages.IsSwitchOn("GPRS2COM"));
    EXPECT_FALSE(rig.pages.IsSwitchOn("NoSuchSwitch"));
}

TEST_F(PagesTest, MissingInterfacesHideTheirGroupsUntilActivationShowsIoAgain) {
    rig.Read(Listing({{"ActivateMethod", "AUTO"}}, "\r\nA serial port\r\nIO1\r\nIO3"));
    EXPECT_FALSE(rig.view.Find("serial2Groupbox")->visible);
    EXPECT_FALSE(rig.InUse("Serial 2 Baudrate"));
    EXPECT_FALSE(rig.view.Find("IO4GroupBox")->visible);
    // Rule 1 for AUTO shows IO1..IO3 again.
    EXPECT_TRUE(rig.view.Find("IO2GroupBox")->visible);

    PageRig mixd;
    mixd.Read(Listing({{"ActivateMethod", "MIXD"}, {"I/O2 Mode", "4"}}, "\r\nA serial port"));
    EXPECT_FALSE(mixd.view.Find("IO2GroupBox")->visible);
    EXPECT_TRUE(mixd.view.Find("IO3GroupBox")->visible);
}

TEST_F(PagesTest, ReadingTheFullListingShowsEveryEditValue) {
    std::string listing;
    {
        std::ifstream in(ORVEL_LISTING_FIXTURE, std::ios::binary);
        listing.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_GT(listing.size(), 3000u);
    rig.Read(listing);
    int edits = 0;
    for (const auto& [key, entry] : rig.store.parameters)
        if (entry.kind == EntryKind::Edit && rig.view.Exists(key) &&
            key.find("query command") == std::string::npos &&
            key.find("output control result") == std::string::npos &&
            key.find("level information") == std::string::npos) {
            EXPECT_EQ(rig.view.GetText(key), entry.value) << key;
            ++edits;
        }
    EXPECT_GT(edits, 50);
    // Rules 1 and 17 were posted last by the showing.
    ASSERT_GE(rig.ran.size(), 2u);
}

// ---- Sensor rows --------------------------------------------------------------------------------

TEST_F(PagesTest, SensorRowsAreNumberedSwitchedOffAndFilled) {
    const int rows = rig.view.GetRowCount(kSensorListName);
    ASSERT_GT(rows, 2);
    for (int r = 0; r < rows; ++r) {
        EXPECT_EQ(rig.view.GetText(ControlRef::InRow(kSensorListName, r, kSensorChannelField)),
                  std::to_string(r + 1));
        EXPECT_EQ(rig.pages.GetRowFieldValue(r, "SensorCfg_DeviceSwitch"), "0");
    }
    rig.Read(Listing({}, "\r\nGENSENSORINFO 0:1,3,3,40001,2,4,2,1,Temp\xC3\xA9,5"
                         "\r\nGENSENSORINFO 2:1,7,3"));
    EXPECT_EQ(rig.pages.GetRowFieldValue(0, "SensorCfg_DeviceSwitch"), "1");
    EXPECT_EQ(rig.pages.GetRowFieldValue(0, "SensorCfg_DeviceAddress"), "3");
    EXPECT_EQ(rig.pages.GetRowFieldValue(0, "SensorCfg_RegisterAddress"), "40001");
    EXPECT_EQ(rig.pages.GetRowFieldValue(0, "SensorCfg_DataType"), "4");
    EXPECT_EQ(rig.pages.GetRowFieldValue(0, "SensorCfg_DataName"), "Temp\xC3\xA9");
    EXPECT_EQ(rig.pages.GetRowFieldValue(0, "SensorCfg_DataChg"), "5");
    // Fewer fields: the rest empty (edits) or item 0 (combos).
    EXPECT_EQ(rig.pages.GetRowFieldValue(2, "SensorCfg_DeviceAddress"), "7");
    EXPECT_EQ(rig.pages.GetRowFieldValue(2, "SensorCfg_RegisterAddress"), "");
    EXPECT_EQ(rig.pages.GetRowFieldValue(2, "SensorCfg_DataType"), "0");
    EXPECT_EQ(rig.pages.GetRowFieldValue(1, "SensorCfg_DeviceSwitch"), "0");

    // A later listing without the rows leaves nothing of them behind.
    rig.Read(Listing({}));
    EXPECT_EQ(rig.pages.GetRowFieldValue(0, "SensorCfg_DeviceSwitch"), "0");
    EXPECT_EQ(rig.pages.GetRowFieldValue(0, "SensorCfg_DataName"), "");
    EXPECT_EQ(rig.store.lists[kSensorListName].items["GENSENSORINFO 0:"], "");
}

// ---- Writing ------------------------------------------------------------------------------------

TEST_F(PagesTest, NothingIsWrittenBeforeTheDeviceWasRead) {
    EXPECT_EQ(rig.Collect(), 0);
    EXPECT_TRUE(rig.jobs.empty());
    ASSERT_EQ(rig.log.size(), 1u);
    EXPECT_NE(rig.log[0].find("read"), std::string::npos);
}

TEST_F(PagesTest, ReadThenWriteWithoutAnEditSendsNothing) {
    std::string full;
    {
        std::ifstream in(ORVEL_LISTING_FIXTURE, std::ios::binary);
        full.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::vector<std::string> listings = {
        full,
        Listing({}, kAllInterfaces),
        Listing({{"Protocolmodel", "WEIRD"},
                 {"ActivateMethod", "NONE"},
                 {"Serial Baudrate", "123"},
                 {"A serial port binding center", "3"},
                 {"EXFUN", "7"},
                 {"DeviceModel", "BOTH"},
                 {"EL transmit channel", "999"},
                 {"Server Count", "9"},
                 {"LORA Mode", "ODD"},
                 {"DIO1 workmode", "9"},
                 {"I/O1 control", "77"},
                 {"Server's Port", std::string(400, '7')},
                 {"Device Type", "DTU-L-Z"}},
                kAllInterfaces),
        Listing({{"Device Type", "Tamsa"}, {"EL transmit channel", "255"}}),
        // A data format the combo cannot show: its rule empties the channel's texts, which must
        // not be written as empty.
        Listing({{"A DIO2 data format", "7"},
                 {"DIO2 query command", "Q2?"},
                 {"DIO2 high level information", "hi"},
                 {"DIO2 workmode", "2"},
                 {"DIO2 protocol", "1"}},
                kAllInterfaces),
        Listing({{"Device Type", "DTU-Z"}, {"Protocolmodel", "CUST"}, {"DeviceModel", "SVR"}}),
    };
    for (const std::string& listing : listings) {
        PageRig r;
        r.Read(listing);
        EXPECT_EQ(r.Collect(), 0);
        for (const Job& job : r.jobs)
            ADD_FAILURE() << "queued " << job.command;
    }
}

TEST_F(PagesTest, OneChangedFieldSendsExactlyItsCommandOnce) {
    rig.Read(Listing({{"Server's Port", "5000"}, {"Protocolmodel", "PROT"}}, kAllInterfaces));
    rig.view.SetText("Server's Port", "5001");
    ASSERT_EQ(rig.Collect(), 1);
    EXPECT_EQ(rig.jobs[0].command, "AT+PORT=5001\r\n");
    EXPECT_EQ(rig.jobs[0].key, "Server's Port");
    EXPECT_EQ(rig.jobs[0].value, "5001");
    EXPECT_EQ(rig.jobs[0].type, JOB_WRITE);
    // Not acknowledged yet: queued again; acknowledged: nothing.
    EXPECT_EQ(rig.Collect(), 1);
    rig.Acknowledge();
    EXPECT_EQ(rig.Collect(), 0);
}

// ---- Loading a file ----------------------------------------------------------------------------

std::string FullListing() {
    std::ifstream in(ORVEL_LISTING_FIXTURE, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReplaceValue(std::string listing, const std::string& label, const std::string& value) {
    const size_t at = listing.find(label);
    const size_t start = at + label.size();
    return listing.replace(start, listing.find("\r\n", start) - start, value);
}

// A file read the way the window reads it.
struct ReadFile {
    std::string text;
    FileLabels labels;
};
ReadFile ParseFile(PageRig& rig, const std::string& bytes) {
    ReadFile file;
    EXPECT_EQ(ReadConfigFile(bytes, rig.store.parameters, rig.store.lists, file.text, file.labels),
              ConfigFileError::None);
    return file;
}

TEST_F(PagesTest, AFileThatNamesOnlySomeLabelsWritesOnlyWhatItNamesAndDiffers) {
    const std::string device = FullListing();
    rig.Read(device);
    // The file: the device's listing with two values changed, one in the part the file keeps
    // and one in the part it lost, cut at a line end after about two thirds.
    std::string edited = ReplaceValue(device, "Access Point Name:", "internet.example");
    edited = ReplaceValue(edited, "GENSENSORINFO 7:", "1,3,40001,1,0,1,1,1,tail,1");
    std::string bytes = ListingToFileBytes(edited);
    bytes = bytes.substr(0, bytes.find("\r\r\n", bytes.size() * 2 / 3) + 3);
    ReadFile file = ParseFile(rig, bytes);
    ASSERT_LT(file.labels.found, file.labels.total);

    const std::string deviceApn = rig.Value("Access Point Name");
    rig.pages.ShowFileValues(file.text, file.labels);
    rig.RunRules();
    EXPECT_EQ(rig.view.GetText("Access Point Name"), "internet.example");
    EXPECT_EQ(rig.Value("Access Point Name"), deviceApn) << "the catalogue keeps the device's";

    // The device's own listing arrives: exactly the one difference the file names is written.
    rig.store.ParseListing(device.data(), device.size());
    rig.jobs = TickedJobs(rig.pages.PlanFileDifferences(file.text));
    ASSERT_EQ(rig.jobs.size(), 1u);
    EXPECT_EQ(rig.jobs[0].key, "Access Point Name");
    EXPECT_EQ(rig.jobs[0].value, "internet.example");
    EXPECT_FALSE(rig.pages.IsLoadingFile());
}

TEST_F(PagesTest, AWholeFileEqualToTheDeviceWritesNothing) {
    const std::string device = FullListing();
    rig.Read(device);
    const ReadFile file = ParseFile(rig, ListingToFileBytes(device));
    rig.pages.ShowFileValues(file.text, file.labels);
    rig.RunRules();
    rig.store.ParseListing(device.data(), device.size());
    rig.jobs = TickedJobs(rig.pages.PlanFileDifferences(file.text));
    for (const Job& job : rig.jobs)
        ADD_FAILURE() << "queued " << job.command;
}

TEST_F(PagesTest, AFileWhoseDeviceWasNotReadChangesNoKnownValue) {
    const std::string device = Listing({{"Server's Port", "5000"}}, kAllInterfaces);
    rig.Read(device);
    const ParameterCatalogue before = rig.store.parameters;
    std::string file = ReplaceValue(FullListing(), "Server's Port:", "7001");
    const ReadFile read = ParseFile(rig, ListingToFileBytes(file));
    rig.pages.ShowFileValues(read.text, read.labels);
    rig.RunRules();
    EXPECT_EQ(rig.view.GetText("Server's Port"), "7001");
    // The device's read fails: the file is dropped, the known values are still the device's.
    rig.pages.EndFileLoad();
    rig.pages.SetDeviceRead(false);
    for (const auto& [key, entry] : before)
        EXPECT_EQ(rig.store.parameters[key].value, entry.value) << key;
    EXPECT_EQ(rig.Collect(), 0) << "not read: nothing is written";
}

TEST_F(PagesTest, AValueThatBreaksItsRuleIsNotWrittenAndTheLogNamesIt) {
    rig.Read(Listing({{"Server's Port", "5000"}, {"Protocolmodel", "PROT"}}, kAllInterfaces));
    rig.view.SetText("Server's Port", "900090");
    rig.view.SetText("Server's Ip", "121.40.200.17999.1.1.1");
    rig.log.clear();
    EXPECT_EQ(rig.Collect(), 0);
    ASSERT_EQ(rig.log.size(), 2u);
    EXPECT_NE(rig.log[0].find("Server's Ip \"121.40.200.17999.1.1.1\""), std::string::npos)
        << rig.log[0];
    EXPECT_NE(rig.log[1].find("Server's Port \"900090\": not a port number"), std::string::npos)
        << rig.log[1];
    // Mended, it is written.
    rig.view.SetText("Server's Port", "9009");
    rig.view.SetText("Server's Ip", "121.40.200.179");
    EXPECT_EQ(rig.Collect(), 2);
}

TEST_F(PagesTest, HiddenOrDisabledParametersAreNotWritten) {
    rig.Read(Listing({{"Protocolmodel", "PROT"}}, kAllInterfaces));
    rig.view.SetText("Server's Port", "6000");
    rig.Select("Protocolmodel", 3); // TRNS: the server tab is disabled
    EXPECT_EQ(rig.Collect(), 1);    // only the work mode itself
    EXPECT_EQ(rig.jobs[0].command, "At+PROMODE=TRNS\r\n");
}

TEST_F(PagesTest, ComboWritesFollowTheValueTables) {
    rig.Read(Listing({{"Protocolmodel", "PROT"}, {"ActivateMethod", "DIO"}}, kAllInterfaces));
    rig.Select("A serial 2 port binding center", 5);
    rig.Collect();
    ASSERT_EQ(rig.jobs.size(), 1u);
    EXPECT_EQ(rig.jobs[0].value, "16");
    rig.Select("A serial 2 port binding center", 6);
    rig.Collect();
    ASSERT_EQ(rig.jobs.size(), 1u);
    EXPECT_EQ(rig.jobs[0].value, "255");
}

TEST_F(PagesTest, IoSelectionWritesModeFourToTheNamedChannel) {
    rig.Select("IOactivationmethods", 0);
    rig.Read(Listing({{"Protocolmodel", "PROT"},
                      {"ActivateMethod", "DIO"},
                      {"IOactivationmethods", "0"},
                      {"DIO1 workmode", "4"}},
                     kAllInterfaces));
    ASSERT_TRUE(rig.InUse("I/O selection"));
    rig.Select("I/O selection", 2);
    rig.Collect();
    bool dio4 = false;
    for (const Job& job : rig.jobs) {
        EXPECT_NE(job.key, "DIO3 workmode");
        dio4 |= job.command == "AT+DIOWORKMODE4=4\r\n";
    }
    EXPECT_TRUE(dio4);
}

TEST_F(PagesTest, IoControlAlsoWritesItsChannelsWorkMode) {
    rig.Read(Listing({{"Protocolmodel", "PROT"},
                      {"ActivateMethod", "DIO"},
                      {"IOactivationmethods", "1"},
                      {"I/O2 control", "6"},
                      {"DIO2 workmode", "1"}},
                     kAllInterfaces));
    ASSERT_TRUE(rig.InUse("I/O2 control"));
    rig.Select("I/O2 control", 3);
    rig.Collect();
    std::vector<std::string> commands;
    for (const Job& job : rig.jobs)
        commands.push_back(job.key + "=" + job.value);
    const std::vector<std::string> expected = {"I/O2 control=3", "DIO2 workmode=5"};
    EXPECT_EQ(commands, expected);
}

TEST_F(PagesTest, SwitchRowsKeepTheBitsNoSwitchShows) {
    rig.Read(Listing({{"EL transmit channel", "204"}, {"Device Type", "DTU-L"}}));
    for (const char* name : {"Lora2COM", "COM2Lora", "Lora2GPRS", "GPRS2Lora"})
        rig.pages.SetSwitch(name, true);
    rig.Collect();
    ASSERT_EQ(rig.jobs.size(), 1u);
    EXPECT_EQ(rig.jobs[0].command, "AT+ZDATCHAN=255\r\n");

    PageRig gps;
    gps.Read(Listing({{"EL transmit channel", "255"}, {"Device Type", "Tamsa"}}));
    for (const char* name : {"GPS2COM", "COM2GPS", "GPRS2COM", "COM2GPRS", "GPS2GPRS", "GPRS2GPS"})
        gps.pages.SetSwitch(name, false);
    gps.Collect();
    ASSERT_EQ(gps.jobs.size(), 1u);
    EXPECT_EQ(gps.jobs[0].value, "192"); // 64 and 128 are not the user's to clear
}

TEST_F(PagesTest, ValuesThatWouldBreakTheCommandLineAreRefused) {
    rig.Read(Listing({{"Protocolmodel", "PROT"}}, kAllInterfaces));
    rig.view.SetText("Server's Port", "50\r\nAT+FACTORY");
    EXPECT_EQ(rig.Collect(), 0);
    ASSERT_FALSE(rig.log.empty());
    EXPECT_NE(rig.log.back().find("Server's Port"), std::string::npos);
}

TEST_F(PagesTest, SensorRowsAreWrittenWhenSwitchedOnOrChanged) {
    rig.Read(Listing({{"Protocolmodel", "PROT"}}, "\r\nGENSENSORINFO 0:1,3,3,40001,2,4,2,1,Temp\xC3\xA9,5"));
    EXPECT_EQ(rig.Collect(), 0); // the row as read, a name outside ASCII included

    rig.pages.SetRowFieldValue(3, "SensorCfg_DeviceSwitch", "1");
    rig.pages.SetRowFieldValue(3, "SensorCfg_DeviceAddress", "9");
    // The page holds UTF-8 as the device does: the name goes out byte for byte.
    rig.view.SetText(ControlRef::InRow(kSensorListName, 3, "SensorCfg_DataName"), "Dr\xC3\xBC"
                                                                                   "ck");
    ASSERT_EQ(rig.Collect(), 1);
    EXPECT_EQ(rig.jobs[0].command, "AT+GENSENSORINFO=3,1,9,,,,,,,Dr\xC3\xBC"
                                   "ck,\r\n");
    EXPECT_EQ(rig.jobs[0].item, "GENSENSORINFO 3:");
    EXPECT_EQ(rig.jobs[0].kind, EntryKind::List);
    rig.Acknowledge();
    EXPECT_EQ(rig.Collect(), 0);

    rig.view.SetText(ControlRef::InRow(kSensorListName, 3, "SensorCfg_DataName"), "a,b");
    EXPECT_EQ(rig.Collect(), 0);
    EXPECT_NE(rig.log.back().find("4"), std::string::npos);
}

} // namespace

// The dispatcher's tables against the skin: every control they enable, disable or post rules
// for is on the pages with the kind the table expects of it.
TEST_F(PagesTest, EveryControlTheDispatchTablesNameIsInTheSkin) {
    for (long group = 0; group <= 3; ++group) {
        const ControlStateChange change = ControlStateChangeFor(group);
        for (const auto* list : {&change.followState, &change.oppositeState})
            for (const char* name : *list)
                EXPECT_TRUE(rig.view.Exists(name)) << "state group " << group << ": " << name;
    }
    for (const char* name : OperationButtons()) {
        EXPECT_EQ(rig.view.Kind(name), ControlKind::Other) << name;
        EXPECT_NE(ClickActionFor(name), ClickAction::None) << name;
    }
    for (const char* name : {"Protocolmodel", "DeviceModel", "RegistrationAndHeart",
                             "ActivateMethod", "Server Count", "IOactivationmethods", "LORA Mode",
                             "I/O selection", "DIO1 protocol", "A DIO1 data format", "Language"}) {
        EXPECT_EQ(rig.view.Kind(name), ControlKind::Combo) << name;
        const ItemSelectAction action = ItemSelectActionFor(name, 0);
        EXPECT_TRUE(!action.rules.empty() || action.switchLanguage) << name;
    }
}

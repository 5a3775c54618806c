// The simulated device's answers, natively: its listing must read back through the program's
// own parser into exactly the device's values, and its set commands must behave as a device's.
#include "tools/dtusim/device_model.h"
#include "tools/dtusim/device_table.h"

#include "base/decimal.h"
#include "params/config_file.h"
#include "params/listing_parser.h"
#include "params/value_rules.h"
#include "params/parameter_catalogue.h"
#include "tests/support/file_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#ifndef ORVEL_SKIN_DIR
#error "ORVEL_SKIN_DIR must name the English skin folder"
#endif

namespace {

std::string Strip(const std::string& label) {
    return label.compare(0, 2, "\r\n") == 0 ? label.substr(2) : label;
}

TEST(SimulatedDevice, ListingReadsBackIntoTheCatalogue) {
    CDeviceModel device(DeviceKind::Plain, DeviceInterfaces{}, 4);
    std::string listing = device.Listing();
    EXPECT_GT(listing.size(), 3000u);
    EXPECT_EQ(listing.substr(listing.size() - 4), "OK\r\n");
    EXPECT_EQ(listing.find("OK"), listing.size() - 4); // no earlier "OK" ends the reply early
    size_t anchor = listing.find("Access Point Name:");
    ASSERT_NE(anchor, std::string::npos);

    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    BuildParameterCatalogue(parameters, lists, 4);
    InterfacePresence presence;
    ASSERT_TRUE(ParseListing(listing.data(), listing.size(), parameters, lists, presence));
    for (const ParameterRow& row : ParameterTable()) {
        std::string label = Strip(row.label);
        if (label.empty())
            continue;
        // Every label is listed, after the anchor, and its value reads back unchanged.
        size_t at = listing.find(label);
        ASSERT_NE(at, std::string::npos) << row.key;
        EXPECT_GE(at, anchor) << row.key;
        EXPECT_EQ(parameters[row.key].value, device.ValueOf(label)) << row.key;
    }
    EXPECT_EQ(parameters["Server's Port"].value, "9000");
    EXPECT_EQ(lists["CustomList"].items["GENSENSORINFO 0:"], "1,1,3,0,2,1,1,1,temperature,0");
    EXPECT_EQ(lists["CustomList"].items["GENSENSORINFO 3:"], "0,1,3,0,1,0,0,1,,0");
    EXPECT_TRUE(presence.serialPort1 && presence.serialPort2 && presence.rs485);
}

// The simulator's settings against the listing fixture, which was written from a real device's
// listing: each listed label of the simulator is a line of the fixture, and the fixture lists
// no label the simulator lacks.
TEST(SimulatedDevice, ListsTheSameLabelsAsTheFixture) {
    const std::string fixture = testsupport::ReadFileText(ORVEL_LISTING_FIXTURE);
    ASSERT_FALSE(fixture.empty());
    std::vector<std::string> labels;
    for (const DeviceSetting& setting : DeviceSettings()) {
        if (setting.label[0] == '\0')
            continue;
        labels.push_back(setting.label);
        EXPECT_NE(fixture.find("\r\n" + std::string(setting.label)), std::string::npos)
            << setting.label;
    }
    std::istringstream lines(fixture.substr(fixture.find("Access Point Name:")));
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line == "OK" || line.compare(0, 14, "GENSENSORINFO ") == 0)
            continue;
        const bool known = std::any_of(labels.begin(), labels.end(), [&](const std::string& l) {
            return line.compare(0, l.size(), l) == 0;
        });
        EXPECT_TRUE(known) << line;
    }
}

TEST(SimulatedDevice, DeviceTypeAndInterfacesFollowTheModel) {
    struct Case {
        DeviceKind kind;
        const char* type;
    } cases[] = {{DeviceKind::Plain, "Device Type:DTU-X6\r\n"},
                 {DeviceKind::Lora, "-L"},
                 {DeviceKind::Zigbee, "-Z"},
                 {DeviceKind::Gps, "Tamsa"}};
    for (const Case& c : cases) {
        std::string listing = CDeviceModel(c.kind, DeviceInterfaces{}, 0).Listing();
        size_t at = listing.find("Device Type:");
        ASSERT_NE(at, std::string::npos);
        EXPECT_NE(listing.substr(at, listing.find("\r\n", at) - at + 2).find(c.type),
                  std::string::npos)
            << c.type;
    }
    DeviceInterfaces few;
    few.serial2 = false;
    few.rs485 = false;
    few.io[2] = few.io[3] = few.io[4] = false;
    std::string listing = CDeviceModel(DeviceKind::Plain, few, 0).Listing();
    for (const char* absent : {"A serial 2 port", "RS485 port", "IO3", "IO4", "IO5"})
        EXPECT_EQ(listing.find(absent), std::string::npos) << absent;
    for (const char* present : {"A serial port", "IO1", "IO2", "Access Point Name:"})
        EXPECT_NE(listing.find(present), std::string::npos) << present;
}

// Every kind of device, with all its interfaces or none and with any number of sensor rows,
// saves a file the program takes back as a whole configuration (at least half of the labels).
TEST(SimulatedDevice, EveryDeviceSavesAFileTheProgramLoads) {
    DeviceInterfaces none;
    none.serial1 = none.serial2 = none.rs485 = false;
    for (bool& io : none.io)
        io = false;
    for (DeviceKind kind : {DeviceKind::Plain, DeviceKind::Lora, DeviceKind::Zigbee, DeviceKind::Gps})
        for (const DeviceInterfaces& interfaces : {DeviceInterfaces{}, none})
            for (int rows : {0, 8, 16}) {
                ParameterCatalogue parameters;
                ListParameterCatalogue lists;
                BuildParameterCatalogue(parameters, lists, 8);
                std::string text;
                FileLabels labels;
                const std::string listing = CDeviceModel(kind, interfaces, rows).Listing();
                EXPECT_EQ(ReadConfigFile(ListingToFileBytes(listing), parameters, lists, text,
                                         labels),
                          ConfigFileError::None)
                    << int(kind) << " rows " << rows << ": " << labels.found << " of "
                    << labels.total;
            }
}

// The value rules never refuse what a device reports: every value of every kind of device, and
// of the listing fixture, keeps its rule.
TEST(SimulatedDevice, EveryValueADeviceReportsKeepsItsRule) {
    std::vector<std::string> listings = {testsupport::ReadFileText(ORVEL_LISTING_FIXTURE)};
    for (DeviceKind kind : {DeviceKind::Plain, DeviceKind::Lora, DeviceKind::Zigbee, DeviceKind::Gps})
        listings.push_back(CDeviceModel(kind, DeviceInterfaces{}, 8).Listing());
    for (const std::string& listing : listings) {
        ParameterCatalogue parameters;
        ListParameterCatalogue lists;
        InterfacePresence presence;
        BuildParameterCatalogue(parameters, lists, 8);
        ASSERT_TRUE(ParseListing(listing.data(), listing.size(), parameters, lists, presence));
        for (const auto& [key, entry] : parameters)
            EXPECT_EQ(CheckValue(key, entry.value), RuleBreak::None) << key << " = " << entry.value;
        for (const auto& [label, row] : lists["CustomList"].items)
            EXPECT_EQ(CheckValue("CustomList", row), RuleBreak::None) << label << " = " << row;
    }
    // And every value the simulated device takes for a port, an address or a phone number is
    // one a rule lets through when it is well formed.
    CDeviceModel device(DeviceKind::Plain, DeviceInterfaces{}, 8);
    for (const char* value : {"1", "9000", "65535", "0"})
        EXPECT_EQ(CheckValue("Server's Port", value), RuleBreak::None) << value;
    for (const char* value : {"10.0.0.1", "255.255.255.255", "iot.example.com", "my-host"})
        EXPECT_EQ(CheckValue("Server's Ip", value), RuleBreak::None) << value;
}

// What users type that no device takes: each refused, with its reason.
TEST(ValueRules, WhatUsersMistypeIsRefusedWithItsReason) {
    struct Case {
        const char* key;
        std::string value;
        RuleBreak why;
    } cases[] = {
        {"Server's Port", "900090", RuleBreak::NotAPort},
        {"Server's Port", "65536", RuleBreak::NotAPort},
        {"Server's Port", "90 01", RuleBreak::NotAPort},
        {"Server's Port", "-1", RuleBreak::NotAPort},
        {"ListenPort", "port", RuleBreak::NotAPort},
        {"Server's Ip", "121.40.200.17999.1.1.1", RuleBreak::NotAnAddress},
        {"Server's Ip", "121.40.200.256", RuleBreak::NotAnAddress},
        {"Server's Ip", "121.40.200", RuleBreak::NotAnAddress},
        {"Server's Ip", "10.0.0.1 ", RuleBreak::NotAnAddress},
        {"Server's Ip", "iot example.com", RuleBreak::NotAnAddress},
        {"Server's Ip", "bad address!", RuleBreak::NotAnAddress},
        {"Server's Ip", "-host.example", RuleBreak::NotAnAddress},
        {"Server's Ip", std::string(64, 'a'), RuleBreak::TooLong},
        {"Access Point Name", std::string(82, 'a'), RuleBreak::TooLong},
        {"PhoneNO.", "138-0000-000x", RuleBreak::NotAPhone},
        {"PhoneNO.", "+", RuleBreak::NotAPhone},
        {"PhoneNO.", "--", RuleBreak::NotAPhone},
        // Grouped as people write them, and as devices take and list them.
        {"PhoneNO.", "138-0013-8000", RuleBreak::None},
        {"PhoneNO.", "+86 135 0000 0001", RuleBreak::None},
        {"PhoneNO.", "+8613800000001", RuleBreak::None},
        {"PhoneNO.", std::string(21, '1'), RuleBreak::TooLong},
        {"RegisterInfo", std::string(101, 'x'), RuleBreak::TooLong},
        {"RegisterInfo", "tab\there", RuleBreak::BadCharacter},
        {"CustomList", std::string(101, '1'), RuleBreak::TooLong},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckValue(c.key, c.value), c.why) << c.key << " = " << c.value;
        if (c.why != RuleBreak::None) {
            EXPECT_FALSE(RuleBreakText(c.why, "").empty());
        }
    }
    EXPECT_EQ(RuleBreakText(RuleBreak::NotAPort, "kein Port"), "kein Port");
}

TEST(SimulatedDevice, SetCommandsAreCheckedAndKept) {
    CDeviceModel device(DeviceKind::Plain, DeviceInterfaces{}, 4);
    struct Case {
        const char* command;
        bool ok;
    } cases[] = {
        {"AT+PORT=9100", true},
        {"AT+PORT=70000", false},
        {"AT+PORT=12a", false},
        {"AT+IPAD=10.0.0.7", true},
        {"AT+IPAD=no such host!", false},
        {"AT+APN=internet", true},
        {"AT+IPR=9600", true},
        {"AT+IPR=", false},
        {"At+PROMODE=MTCP/MRTU", true},
        {"At+PROMODE=2", false},
        {"AT+TRNPRO=UDP", true},
        {"AT+TRNPRO=1", false},
        {"AT+PAUTH=chap", false},
        {"AT+PAUTH=CHAP", true},
        {"AT+DIOWORKMODE1=5", true}, // I/O activation output, from the work mode page
        {"AT+DIOWORKMODE1=7", false},
        {"AT+POLLTIME=90", true},
        {"AT+POLLTIME=1m", false},
        {"AT+LVER=LR-9", false}, // the LoRa module's version is read-only
        {"AT+NOSUCH=1", false},
        {"AT+ZDATCHAN=3", true},
        {"AT+ZDATCHAN=256", false},
        {"AT+GENSENSORINFO=1,1,2,3,4,5,6,7,8,flow,0", true},
        {"AT+GENSENSORINFO=9,1,2,3,4,5,6,7,8,flow,0", false},
        {"AT+GENSENSORINFO=1,1,2", false},
        {"AT+EXCCLK=\"2024/01/31,07:05:09\",5", true},
        {"AT+EXCCLK=\"2024-01-31 07:05:09\",5", false},
        {"sssAT+CONNRGST=hello device", true},
    };
    for (const Case& c : cases) {
        std::string text = device.Answer(c.command).text;
        EXPECT_NE(text.find(c.ok ? "OK\r\n" : "ERROR\r\n"), std::string::npos) << c.command;
    }
    std::string listing = device.Listing();
    for (const char* line :
         {"\r\nServer's Port:9100\r\n", "\r\nServer's Ip:10.0.0.7\r\n",
          "Access Point Name:internet\r\n", "\r\nSerial Baudrate:9600\r\n",
          "\r\nProtocol model:MTCP/MRTU\r\n", "\r\nTransfer protocol:UDP\r\n",
          "\r\nThe PPP authentication:CHAP\r\n", "\r\nDIO1 workmode:5\r\n",
          "\r\nHeartbeat poll time seconds:90\r\n", "\r\nLORA ver:LR-2.1\r\n",
          "\r\nEL transmit channel:3\r\n", "GENSENSORINFO 1:1,2,3,4,5,6,7,8,flow,0\r\n",
          "\r\nCustom Register Info:hello device\r\n"})
        EXPECT_NE(listing.find(line), std::string::npos) << line;

    // The configuration survives a restart through its file; the factory reset undoes it.
    std::string path = testing::TempDir() + "dtusim_model_test.cfg";
    ASSERT_TRUE(device.Save(path));
    CDeviceModel restarted(DeviceKind::Plain, DeviceInterfaces{}, 4);
    ASSERT_TRUE(restarted.Load(path));
    EXPECT_EQ(restarted.Listing(), listing);
    EXPECT_NE(restarted.Answer("AT+FACTORY").text.find("OK\r\n"), std::string::npos);
    EXPECT_NE(restarted.Listing().find("\r\nServer's Port:9000\r\n"), std::string::npos);
    std::remove(path.c_str());
}

TEST(SimulatedDevice, MaintenanceCommands) {
    CDeviceModel device(DeviceKind::Plain, DeviceInterfaces{}, 0);
    EXPECT_NE(device.Answer("At+VER").text.find("OK\r\n"), std::string::npos);
    EXPECT_NE(device.Answer("At+CPIN?").text.find("+CPIN: READY"), std::string::npos);
    DeviceAnswer signal = device.Answer("At+CSQ");
    EXPECT_TRUE(signal.isSignal);
    EXPECT_NE(signal.text.find("+CSQ:"), std::string::npos);
    std::string mode = device.Answer("AT+FINDNETMODE").text;
    EXPECT_LE(mode.size(), 100u);
    EXPECT_NE(mode.find("+FINDNETMODE:LTE\r\n"), std::string::npos);
    EXPECT_NE(device.Answer("AT+LIST").text.find("AT+LIST"), std::string::npos);
    DeviceAnswer quit = device.Answer("at+quit");
    EXPECT_TRUE(quit.leaveSetting);
    EXPECT_NE(quit.text.find("OK"), std::string::npos);
    // The log file runs to tens of kilobytes and says "OK" only at its end.
    std::string log = device.Answer("at+READFILELOG").text;
    EXPECT_GT(log.size(), 20000u);
    EXPECT_EQ(log.find("OK"), log.size() - 4);
    EXPECT_EQ(log.find("ERROR\r\n"), std::string::npos);
    EXPECT_NE(CDeviceModel::Prompt().find("'s' key"), std::string::npos);
    EXPECT_NE(device.Answer("AT+UNKNOWN").text.find("ERROR\r\n"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// The device's words against the pages: every item of every combo in the English skin must turn
// into a value the device takes, and every value the device reports must select an item that
// turns back into the same value. The two functions below are the page side's rules for one
// combo, written out here as the independent reference the simulator is checked against.

std::string Unescape(std::string text) {
    static const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& e : entities)
        for (size_t at = text.find(e.first); at != std::string::npos;
             at = text.find(e.first, at + 1))
            text.replace(at, std::string(e.first).size(), e.second);
    return text;
}

// Combo name -> item texts, from every page file of the English skin.
std::map<std::string, std::vector<std::string>> SkinComboItems() {
    std::map<std::string, std::vector<std::string>> combos;
    const std::regex combo("<Combo(?:Box)?\\s[^>]*?\\bname=\"([^\"]*)\"[^>]*>([\\s\\S]*?)</Combo",
                           std::regex::icase);
    const std::regex item("<List(?:Label|Text)Element\\s[^>]*?\\btext=\"([^\"]*)\"",
                          std::regex::icase);
    for (const char* file : {"WorkTab.xml", "Wireless.xml", "Service Centre.xml", "Serial port.xml",
                             "Global Parameter.xml", "Equipment Management.xml", "IO.xml",
                             "Lora.xml", "Zigbee.xml", "GPS.xml"}) {
        std::string text = testsupport::ReadFileText(std::string(ORVEL_SKIN_DIR) + "/" + file);
        EXPECT_FALSE(text.empty()) << file;
        for (std::sregex_iterator c(text.begin(), text.end(), combo), end; c != end; ++c) {
            std::vector<std::string>& items = combos[Unescape((*c)[1])];
            std::string body = (*c)[2];
            for (std::sregex_iterator i(body.begin(), body.end(), item); i != end; ++i)
                items.push_back(Unescape((*i)[1]));
        }
    }
    return combos;
}

// A message text of the skin's Language.ini.
std::string LanguageText(const std::string& section, const std::string& key) {
    std::istringstream in(testsupport::ReadFileText(std::string(ORVEL_SKIN_DIR) + "/Language.ini"));
    std::string line, current;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[')
            current = line.substr(1, line.find(']') - 1);
        else if (current == section && line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
    }
    return "";
}

bool IsOneOf(const std::string& key, std::initializer_list<const char*> keys) {
    return std::any_of(keys.begin(), keys.end(), [&](const char* k) { return key == k; });
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The value the pages send for item `index` (text `text`) of the combo of `key`; "<skip>" when
// they send nothing.
std::string WrittenValue(const std::string& key, int index, const std::string& text) {
    const std::string skip = "<skip>";
    if (key == "Protocolmodel")
        return text == LanguageText("Protocolmodel", "Text") ? "CUST" : text;
    if (key == "EXFUN")
        return index == 1 ? "3" : std::to_string(index);
    if (key == "LORA typ")
        return std::to_string(index + 1);
    if (key == "ActivateMethod") {
        static const char* words[] = {"AUTO", "SMSD", "CTRL", "DATA", "MIXD", "DIO"};
        return index >= 0 && index < 6 ? words[index] : "";
    }
    if (key == "net mode")
        return index == 0 ? "0" : std::to_string(index + 3);
    if (key == "I/O1 Mode" || key == "I/O2 Mode")
        return index < 1 ? skip : std::to_string(index + 3);
    if (EndsWith(key, "binding center"))
        return index == 6 ? "255" : index == 0 ? "0" : std::to_string(1 << (index - 1));
    if (key == "ActivationInterface" || key == "Debugging  port")
        return std::to_string(index + 1);
    if (key == "DeviceModel")
        return index == 0 ? "CLI" : index == 1 ? "SVR" : "-1";
    if (key.compare(0, 3, "DIO") == 0 && EndsWith(key, " workmode")) {
        for (int i = 1; i <= 5; ++i)
            if (text == LanguageText("DIO workmode", "Text" + std::to_string(i)))
                return std::to_string(i == 5 ? 6 : i - 1);
        return "0";
    }
    if (IsOneOf(key, {"LORA Mode", "LORA Rate", "ZigBee_RFchannel", "Server Count",
                      "The PPP authentication", "Transferprotocol", "Dtumanagetransferprotocol",
                      "Serial port commu mode", "Serial 2 port commu mode", "RS485 port commu mode",
                      "Serial Baudrate", "Serial 2 Baudrate", "RS485 Baudrate"}) ||
        (key.compare(0, 3, "DIO") == 0 && EndsWith(key, " interface")))
        return text;
    return std::to_string(index); // every other combo sends its item number
}

constexpr int kUnchanged = -2;

int Number(const std::string& value) {
    return ParseDecimal(value);
}

// The item the pages select for a device value (-1 clears the selection, kUnchanged keeps it).
int ShownItem(const std::string& key, const std::string& value,
              const std::vector<std::string>& items) {
    auto byText = [&]() {
        auto it = std::find(items.begin(), items.end(), value);
        return it == items.end() ? -1 : int(it - items.begin());
    };
    int n = Number(value);
    if (key == "Protocolmodel") {
        static const char* words[] = {"PROT",   "DCUDP", "DCTCP",     "TRNS", "SMSCLI",
                                      "SMSSER", "HTTP",  "MTCP/MRTU", "MQTT", "CUST"};
        for (int i = 0; i < 10; ++i)
            if (value == words[i])
                return i;
        return value == "-1" ? -1 : byText();
    }
    if (key == "EXFUN")
        return n == 0 ? 0 : n == 3 ? 1 : kUnchanged;
    if (key == "net mode")
        return n == 0 ? 0 : n >= 4 ? n - 3 : kUnchanged;
    if (key == "DeviceModel")
        return value == "SVR" ? 1 : value == "CLI" ? 0 : value == "-1" ? -1 : kUnchanged;
    if (IsOneOf(key, {"Transferprotocol", "Dtumanagetransferprotocol", "Serial 2 Baudrate",
                      "Serial Baudrate", "RS485 Baudrate", "Serial port commu mode",
                      "Serial 2 port commu mode", "RS485 port commu mode", "The PPP authentication",
                      "LORA Mode"}) ||
        (key.compare(0, 3, "DIO") == 0 && EndsWith(key, " interface")))
        return byText();
    if (key == "LORA typ")
        return value.empty() ? kUnchanged : n - 1;
    if (key == "ActivateMethod") {
        static const char* words[] = {"AUTO", "SMSD", "CTRL", "DATA", "MIXD", "DIO"};
        for (int i = 0; i < 6; ++i)
            if (value == words[i])
                return i;
        return value == "-1" ? -1 : kUnchanged;
    }
    if (EndsWith(key, "binding center")) {
        static const int bits[] = {0, 1, 2, 4, 8, 16, 255};
        for (int i = 0; i < 7; ++i)
            if (n == bits[i])
                return i;
        return kUnchanged;
    }
    if (key.compare(0, 3, "DIO") == 0 && EndsWith(key, " workmode"))
        return n == 4 || n == 5 ? 0 : n == 6 ? 4 : n;
    if (key == "ZigBee_RFchannel")
        return n - 11;
    if (IsOneOf(key, {"ActivationInterface", "Debugging  port", "LORA Rate"}))
        return n - 1;
    if (key == "I/O1 Mode" || key == "I/O2 Mode")
        return n == 4 ? 1 : n == 5 ? 2 : 0;
    return value.empty() ? kUnchanged : n;
}

// Sends one set command and tells whether the device took it.
bool Set(CDeviceModel& device, const std::string& command, const std::string& value) {
    std::string reply = device.Answer(command + "=" + value).text;
    bool ok = reply.find("OK\r\n") != std::string::npos;
    EXPECT_NE(ok, reply.find("ERROR\r\n") != std::string::npos) << command << "=" << value;
    return ok;
}

// The device's listing read back through the program's parser.
ParameterCatalogue ReadBack(const CDeviceModel& device) {
    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    BuildParameterCatalogue(parameters, lists, 0);
    InterfacePresence presence;
    std::string listing = device.Listing();
    EXPECT_TRUE(ParseListing(listing.data(), listing.size(), parameters, lists, presence));
    return parameters;
}

TEST(SimulatedDeviceWords, EveryComboItemOfThePagesIsTakenAndListedBack) {
    auto combos = SkinComboItems();
    CDeviceModel device(DeviceKind::Plain, DeviceInterfaces{}, 0);
    int checked = 0;
    for (const ParameterRow& row : ParameterTable()) {
        std::string key = row.key;
        if (std::string(row.kind) != "Combobox" || row.command[0] == '\0')
            continue;
        auto combo = combos.find(key);
        ASSERT_NE(combo, combos.end()) << key << " has no combo on the English pages";
        const std::vector<std::string>& items = combo->second;
        ASSERT_FALSE(items.empty()) << key;
        for (int index = 0; index < int(items.size()); ++index) {
            std::string value = WrittenValue(key, index, items[size_t(index)]);
            if (value == "<skip>")
                continue;
            EXPECT_TRUE(Set(device, row.command, value))
                << key << " item " << index << " \"" << items[size_t(index)] << "\" -> " << value;
            EXPECT_EQ(ReadBack(device)[key].value, value) << key;
            ++checked;
        }
    }
    // The extra writes of the work mode page's I/O activation combos: "I/O selection" sets the
    // chosen channel's work mode to 4, "I/O1 control" to "I/O3 control" set theirs to 5.
    for (const char* command : {"AT+DIOWORKMODE1", "AT+DIOWORKMODE2", "AT+DIOWORKMODE4"})
        EXPECT_TRUE(Set(device, command, "4")) << command;
    for (const char* command : {"AT+DIOWORKMODE1", "AT+DIOWORKMODE2", "AT+DIOWORKMODE3"})
        EXPECT_TRUE(Set(device, command, "5")) << command;
    EXPECT_GT(checked, 300);
}

TEST(SimulatedDeviceWords, EveryDeviceValueShowsAnItemThatWritesItBack) {
    auto combos = SkinComboItems();
    CDeviceModel device(DeviceKind::Plain, DeviceInterfaces{}, 0);
    for (const ParameterRow& row : ParameterTable()) {
        std::string key = row.key;
        if (std::string(row.kind) != "Combobox" || row.command[0] == '\0')
            continue;
        std::vector<std::string> words = CDeviceModel::Vocabulary(key);
        bool shared = key.compare(0, 3, "I/O") == 0; // takes the words of the DIO parameter
        EXPECT_EQ(words.empty(), shared) << key;
        const std::vector<std::string>& items = combos[key];
        for (const std::string& word : words) {
            EXPECT_TRUE(device.Accepts(key, word)) << key << " " << word;
            int item = ShownItem(key, word, items);
            if (key == "DeviceModel" && word == "-1") {
                EXPECT_EQ(item, -1); // no role set: the combo is cleared and sends "-1" again
                continue;
            }
            bool dioActivation = EndsWith(key, " workmode") && (word == "4" || word == "5");
            if (dioActivation) {
                // I/O activation input or output: the I/O page shows "not used"; the work mode
                // page shows them (checked below).
                EXPECT_EQ(item, 0) << key;
                continue;
            }
            ASSERT_GE(item, 0) << key << " " << word;
            ASSERT_LT(item, int(items.size())) << key << " " << word;
            EXPECT_EQ(WrittenValue(key, item, items[size_t(item)]), word) << key;
        }
    }
    for (const char* key : {"I/O1 Mode", "I/O2 Mode"}) {
        EXPECT_EQ(ShownItem(key, "4", combos[key]), 1);
        EXPECT_EQ(ShownItem(key, "5", combos[key]), 2);
        EXPECT_TRUE(device.Accepts(key, "4") && device.Accepts(key, "5")) << key;
    }
    for (const char* key : {"I/O1 control", "I/O2 control", "I/O3 control"})
        for (int index = 0; index < int(combos[key].size()); ++index)
            EXPECT_TRUE(device.Accepts(key, std::to_string(index))) << key;
}

TEST(SimulatedDeviceWords, FactoryValuesAreDeviceValuesAndTheListingRoundTrips) {
    auto combos = SkinComboItems();
    for (DeviceKind kind :
         {DeviceKind::Plain, DeviceKind::Lora, DeviceKind::Zigbee, DeviceKind::Gps}) {
        CDeviceModel device(kind, DeviceInterfaces{}, 2);
        ParameterCatalogue parsed = ReadBack(device);
        for (const ParameterRow& row : ParameterTable()) {
            std::string key = row.key, label = Strip(row.label);
            if (label.empty())
                continue;
            std::string value = device.ValueOf(label);
            EXPECT_EQ(parsed[key].value, value) << key;
            if (row.command[0] == '\0' || key == "LORA ver")
                continue;
            EXPECT_TRUE(device.Accepts(key, value)) << key << " \"" << value << "\"";
            if (std::string(row.kind) == "Combobox") {
                // The factory value shows a real item of the page's combo.
                int item = ShownItem(key, value, combos[key]);
                EXPECT_GE(item, 0) << key << " " << value;
                EXPECT_LT(item, int(combos[key].size())) << key << " " << value;
            }
        }
    }
}

TEST(SimulatedDeviceWords, ValuesOutsideTheVocabularyAreRefusedAndChangeNothing) {
    CDeviceModel device(DeviceKind::Lora, DeviceInterfaces{}, 0);
    std::string before = device.Listing();
    for (const ParameterRow& row : ParameterTable()) {
        std::string key = row.key;
        std::vector<std::string> words = CDeviceModel::Vocabulary(key);
        if (words.empty())
            continue;
        std::vector<std::string> wrong = {
            "", "99", "-5", words[0] + " ", " " + words[0], words[0] + "x"};
        for (const std::string& word : words) {
            std::string lower = word;
            for (char& c : lower)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            if (lower != word)
                wrong.push_back(lower);
        }
        for (const std::string& value : wrong)
            EXPECT_FALSE(Set(device, row.command, value)) << key << " \"" << value << "\"";
    }
    // The yes/no style settings no longer take the words of others, nor others theirs.
    for (const char* refused :
         {"At+PROMODE=0",  "At+PROMODE=Custom", "AT+DEVMODE=1",     "AT+DEVMODE=Server",
          "AT+TRNPRO=0",   "AT+MANAPRO=tcp",    "AT+PAUTH=1",       "AT+MOD=0",
          "AT+ACTI=0",     "AT+ACTI=-1",        "AT+DIOINTFACE1=0", "AT+DIOINTFACE3=RS-485",
          "AT+IPR=115201", "AT+SERMODE=8N3",    "AT+SERBINDCNT=3",  "AT+NETMODE=2",
          "AT+EXFUN=1",    "AT+LTYP=0",         "AT+CHA=10",        "AT+RSPD=0",
          "AT+SVRCNT=6",   "AT+DEBUGPORT=0"})
        EXPECT_NE(device.Answer(refused).text.find("ERROR\r\n"), std::string::npos) << refused;
    EXPECT_EQ(device.Listing(), before);
}

TEST(SimulatedDeviceWords, AConfigurationFileWithValuesTheDeviceRefusesKeepsTheDefaults) {
    std::string path = testing::TempDir() + "dtusim_words_test.cfg";
    {
        std::ofstream out(path, std::ios::binary);
        out << "Protocol model:\t0\nTransfer protocol:\tUDP\nThe PPP authentication:\t1\n"
               "Server's Port:\t9100\nServer's Ip:\tno such host!\n";
    }
    CDeviceModel device(DeviceKind::Plain, DeviceInterfaces{}, 0);
    ASSERT_TRUE(device.Load(path));
    EXPECT_EQ(device.ValueOf("Protocol model:"), "TRNS");
    EXPECT_EQ(device.ValueOf("Transfer protocol:"), "UDP");
    EXPECT_EQ(device.ValueOf("The PPP authentication:"), "PAP");
    EXPECT_EQ(device.ValueOf("Server's Port:"), "9100");
    EXPECT_EQ(device.ValueOf("Server's Ip:"), "121.40.200.17");
    std::remove(path.c_str());
}

} // namespace

// The simulated device's answers, natively: its listing must read back through the program's
// own parser into exactly the device's values, and its set commands must behave as a device's.
#include "tools/dtusim/device_model.h"

#include "params/listing_parser.h"
#include "params/parameter_catalogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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
        {"At+PROMODE=2", true},
        {"AT+NOSUCH=1", false},
        {"AT+ZDATCHAN=3", true},
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
    for (const char* line : {"\r\nServer's Port:9100\r\n", "\r\nServer's Ip:10.0.0.7\r\n",
                             "Access Point Name:internet\r\n", "\r\nSerial Baudrate:9600\r\n",
                             "\r\nProtocol model:2\r\n", "\r\nEL transmit channel:3\r\n",
                             "GENSENSORINFO 1:1,2,3,4,5,6,7,8,flow,0\r\n",
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

} // namespace

#include "pages/layout_groups.h"

#include "pages/config_pages.h"
#include "pages/page_helpers.h"

using page_helpers::Channel;

int ChannelRule(int channel) {
    static const int rules[] = {RULE_IO1, RULE_IO2, RULE_IO3, RULE_IO4, RULE_IO5};
    return channel >= 1 && channel <= 5 ? rules[channel - 1] : -1;
}

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

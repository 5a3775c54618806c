#include "tools/dtusim/device_model.h"

#include "tools/dtusim/device_table.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>

namespace {

std::vector<std::string> Numbers(int first, int last) {
    std::vector<std::string> words;
    for (int n = first; n <= last; ++n)
        words.push_back(std::to_string(n));
    return words;
}

// The words the firmware takes and reports for every setting with a closed set of values,
// keyed by the catalogue key of the listing line. Settings that two page controls share (the
// DIO work modes also written by the I/O activation combos, the mapping centres also written by
// the I/O control combos) list the words of both.
const std::map<std::string, std::vector<std::string>>& VocabularyTable() {
    static const std::map<std::string, std::vector<std::string>> table = [] {
        std::map<std::string, std::vector<std::string>> t;
        const std::vector<std::string> offOn = Numbers(0, 1);
        const std::vector<std::string> baudrates = {"1200",  "2400",  "4800",   "9600",   "19200",
                                                    "38400", "57600", "115200", "230400", "460800"};
        const std::vector<std::string> lineCodes = {"8N1", "8E1", "8O1", "8N2", "7E1", "7O1"};
        const std::vector<std::string> centres = {"0", "1", "2", "4", "8", "16", "255"};

        // Work mode page.
        t["Protocolmodel"] = {"PROT",   "DCUDP", "DCTCP",     "TRNS", "SMSCLI",
                              "SMSSER", "HTTP",  "MTCP/MRTU", "MQTT", "CUST"};
        t["DeviceModel"] = {"CLI", "SVR", "-1"}; // -1: neither role set
        t["Transferprotocol"] = {"TCP", "UDP"};
        t["ActivateMethod"] = {"AUTO", "SMSD", "CTRL", "DATA", "MIXD", "DIO"};
        t["ActivationInterface"] = Numbers(1, 3); // serial port 1, serial port 2, RS485
        t["Debugging  port"] = Numbers(1, 3);
        t["Debug Level"] = Numbers(0, 3);
        for (const char* key :
             {"RegistrationAndHeart", "RegisterbHex", "Show Phone NO", "Encode Hex SMS",
              "Send Hex SMS", "Deliver Recved Tcp Data Directly", "HTTP Request Mode",
              "MQTT CACHEEANBLE", "DataFormat", "IOactivationmethods", "Clear Serial Buffer"})
            t[key] = offOn;

        // Servers, serial ports, wireless, global parameters, device management.
        t["Server Count"] = Numbers(0, 5);
        t["Should Return To Main Server"] = offOn;
        for (const char* key : {"Serial Baudrate", "Serial 2 Baudrate", "RS485 Baudrate"})
            t[key] = baudrates;
        for (const char* key :
             {"Serial port commu mode", "Serial 2 port commu mode", "RS485 port commu mode"})
            t[key] = lineCodes;
        for (const char* key : {"A serial port binding center", "A serial 2 port binding center",
                                "RS485 port binding center"})
            t[key] = centres; // none, one centre as a bit, all centres
        t["The PPP authentication"] = {"PAP", "CHAP", "NONE"};
        t["net mode"] = {"0", "4", "5", "6"}; // automatic, 2G, 3G, 4G only
        t["LCP ECHO"] = offOn;
        t["EXFUN"] = {"0", "3"}; // off, ICMP ping
        t["After a failed action"] = offOn;
        t["dtu is connect to dtu manage platform"] = offOn;
        t["Dtumanagetransferprotocol"] = {"TCP", "UDP"};
        t["DTU SMS configure fun"] = offOn;

        // Digital I/O: work modes 0-3 and 6 from the I/O page, 4 and 5 from the activation
        // combos of the work mode page; mapping centre 0-5, 6 for none.
        for (int n = 1; n <= 5; ++n) {
            std::string dio = "DIO" + std::to_string(n);
            t[dio + " workmode"] = Numbers(0, 6);
            t[dio + " and mapping center"] = Numbers(0, 6);
            t[dio + " reported methods"] = offOn;
            t["A " + dio + " data format"] = offOn;
            t[dio + " protocol"] = offOn;
            t[dio + " interface"] = {"GPRS", "RS232", "RS485", "SMS"};
            t[dio + " ADCType"] = offOn;
        }

        // Radio modules.
        t["LORA Rate"] = Numbers(1, 10);
        t["LORA Mode"] = {"TRNS", "FIXED", "BROADCAST"};
        t["LORA typ"] = Numbers(1, 2); // node, gateway
        t["ZigBee_WorkMode"] = Numbers(0, 2);
        t["ZigBee_RFchannel"] = Numbers(11, 26);
        t["ZigBee_Type"] = Numbers(0, 2);
        t["GPS work mode"] = Numbers(0, 2);
        t["GPS Protocol"] = offOn;
        for (const char* key :
             {"GPS GPRMC", "GPS GPVTG", "GPS GPGGA", "GPS GPGSA", "GPS GPGSV", "GPS GPGLL"})
            t[key] = offOn;
        return t;
    }();
    return table;
}

// Text fields that hold a whole decimal number (times, counts, thresholds, radio settings; the
// LoRa frequency may carry a fraction and is taken as text).
bool IsNumericField(const std::string& key) {
    static const char* const keys[] = {
        "LORA Power",
        "LORA pid",
        "LORA ppt",
        "GPS transmit interval",
        "Mobus address",
        "MQTT REPORPERIOD",
        "MQTT BATCHREPORT",
        "Wait Time Between Dial Failures",
        "Link Fail Retry Times",
        "PPP Wait Time Between Dial Failures",
        "PPP Link Fail Retry Times",
        "Lcp echo interval",
        "Lcp echo testing number",
        "ICMP interval",
        "ICMP testing number",
        "Send group package waiting for",
        "Max Tcp Frame Len",
        "Resend wating",
        "Maximum retransmission times",
        "Waiting for the failure",
        "Heartbeat poll time seconds",
        "CollectInterval",
        "CollectDelay",
        "CollectCount",
    };
    for (const char* k : keys)
        if (key == k)
            return true;
    if (key.compare(0, 3, "DIO") == 0)
        return key.find("threshold") != std::string::npos ||
               key.find("reported times") != std::string::npos;
    return false;
}

bool IsPortField(const std::string& key) {
    return key.size() >= 4 && key.compare(key.size() - 4, 4, "Port") == 0;
}

bool IsAddressField(const std::string& key) {
    return key.size() >= 2 && key.compare(key.size() - 2, 2, "Ip") == 0;
}

// Factory values of a typical unit. Text fields not named here start empty; closed settings
// not named here start at their first word.
const std::map<std::string, std::string>& FactoryValues() {
    static const std::map<std::string, std::string> values = {
        {"Access Point Name", "CMNET"},
        {"User Id", "card"},
        {"Password", "card"},
        {"The PPP authentication", "PAP"},
        {"net mode", "0"},
        {"Center call number", "*99***1#"},
        {"PPP Wait Time Between Dial Failures", "30"},
        {"PPP Link Fail Retry Times", "3"},
        {"Dns Server's Ip", "114.114.114.114"},
        {"Second Dns Server's Ip", "8.8.8.8"},
        {"Protocolmodel", "TRNS"},
        {"Modem'sID number", "13800000001"},
        {"PhoneNO.", "13800000001"},
        {"DeviceModel", "CLI"},
        {"Transferprotocol", "TCP"},
        {"RegistrationAndHeart", "1"},
        {"RegisterbHex", "0"},
        {"RegisterInfo", "REG"},
        {"HeartbeatPacket", "HEART"},
        {"ListenPort", "5001"},
        {"MQTT Client ID", "dtu-0001"},
        {"MQTT REPORPERIOD", "60"},
        {"MQTT BATCHREPORT", "1"},
        {"HTTP Request Mode", "0"},
        {"ActivateMethod", "AUTO"},
        {"ActivationInterface", "1"},
        {"Debug Level", "1"},
        {"Debugging  port", "1"},
        {"Clear Serial Buffer", "0"},
        {"Server Count", "1"},
        {"Server's Ip", "121.40.200.17"},
        {"Server's Port", "9000"},
        {"Secondary Server's Ip", "0.0.0.0"},
        {"Secondary Server's Port", "0"},
        {"Server2's Ip", "0.0.0.0"},
        {"Server2's Port", "0"},
        {"Server3's Ip", "0.0.0.0"},
        {"Server3's Port", "0"},
        {"Server4's Ip", "0.0.0.0"},
        {"Server4's Port", "0"},
        {"Server5's Ip", "0.0.0.0"},
        {"Server5's Port", "0"},
        {"Wait Time Between Dial Failures", "10"},
        {"Link Fail Retry Times", "5"},
        {"Should Return To Main Server", "1"},
        {"Serial Baudrate", "115200"},
        {"Serial port commu mode", "8N1"},
        {"A serial port binding center", "1"},
        {"Serial 2 Baudrate", "9600"},
        {"Serial 2 port commu mode", "8N1"},
        {"A serial 2 port binding center", "1"},
        {"RS485 Baudrate", "9600"},
        {"RS485 port commu mode", "8N1"},
        {"RS485 port binding center", "1"},
        {"LCP ECHO", "1"},
        {"Lcp echo interval", "30"},
        {"Lcp echo testing number", "3"},
        {"EXFUN", "0"},
        {"ICMP Ip", "114.114.114.114"},
        {"ICMP interval", "300"},
        {"ICMP testing number", "3"},
        {"Sms Center", "+8613800100500"},
        {"Send group package waiting for", "50"},
        {"Max Tcp Frame Len", "1024"},
        {"Resend wating", "5"},
        {"Maximum retransmission times", "3"},
        {"After a failed action", "0"},
        {"Waiting for the failure", "60"},
        {"Heartbeat poll time seconds", "60"},
        {"Mobus address", "1"},
        {"dtu is connect to dtu manage platform", "0"},
        {"Dtu manage id", "10001"},
        {"Dtumanagetransferprotocol", "TCP"},
        {"dtu manage server's Ip", "47.96.10.5"},
        {"dtu manage server's Port", "6000"},
        {"DTU SMS configure fun", "0"},
        {"DTU SMS configure password", "1234"},
        {"LORA ver", "LR-2.1"},
        {"LORA ID", "0001"},
        {"LORA Rate", "3"},
        {"LORA Mode", "TRNS"},
        {"LORA TAddr", "0000"},
        {"EL transmit channel", "51"},
        {"LORA Power", "20"},
        {"LORA freq", "470"},
        {"LORA pid", "1"},
        {"LORA typ", "1"},
        {"LORA ppt", "0"},
        {"ZigBee_WorkMode", "0"},
        {"ZigBee_RFchannel", "11"},
        {"ZigBee_NetworkID", "1A2B"},
        {"ZigBee_TransAddr", "0000"},
        {"ZigBee_Type", "0"},
        {"GPS Server's Ip", "121.40.200.18"},
        {"GPS Server's Port", "9100"},
        {"GPS work mode", "0"},
        {"GPS Protocol", "0"},
        {"GPS euipment ID", "G0001"},
        {"GPS transmit interval", "30"},
        {"GPS GPRMC", "1"},
        {"CollectInterval", "60"},
        {"CollectDelay", "1000"},
        {"CollectCount", "3"},
    };
    return values;
}

std::string FactoryValue(const DeviceSetting& row) {
    auto it = FactoryValues().find(row.name);
    if (it != FactoryValues().end())
        return it->second;
    std::string key = row.name;
    if (key.compare(0, 3, "DIO") == 0) {
        if (key.find("upper threshold") != std::string::npos)
            return "3000";
        if (key.find("lower threshold") != std::string::npos)
            return "500";
        if (key.find("reported times") != std::string::npos)
            return "1";
        if (key.find("and mapping center") != std::string::npos)
            return "6"; // mapped to no centre
    }
    auto words = VocabularyTable().find(key);
    if (words != VocabularyTable().end())
        return words->second.front();
    return IsNumericField(key) ? "0" : "";
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool IsDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// What the firmware accepts for a parameter: a setting with a closed set of values exactly its
// words, the transmit-channel mask a number up to 255, ports a number up to 65535, addresses a
// host name or dotted address, numeric fields up to ten digits, other text fields any printable
// text up to 100 characters. Read-only values (the LoRa module version, the device type) take
// nothing.
bool ValueIsValid(const std::string& key, const std::string& kind, const std::string& value) {
    for (char c : value)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    auto words = VocabularyTable().find(key);
    if (words != VocabularyTable().end())
        return std::find(words->second.begin(), words->second.end(), value) != words->second.end();
    if (kind == "Line")
        return IsDigits(value) && value.size() <= 3 && std::stoi(value) <= 255;
    if (kind != "Edit")
        return false;
    if (IsPortField(key))
        return IsDigits(value) && value.size() <= 5 && std::stol(value) <= 65535;
    if (IsAddressField(key)) {
        if (value.empty() || value.size() > 63)
            return false;
        return std::all_of(value.begin(), value.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
        });
    }
    if (IsNumericField(key))
        return IsDigits(value) && value.size() <= 10;
    return value.size() <= 100;
}

int GroupRank(int group) {
    // The order in which the firmware prints its groups.
    static const int order[] = {GROUP_WIRELESS, GROUP_WORK_MODE, GROUP_SERVER,    GROUP_SERIAL,
                                GROUP_GLOBAL,   GROUP_IO,        GROUP_EQUIPMENT, GROUP_LORA,
                                GROUP_ZIGBEE,   GROUP_GPS,       GROUP_MODBUS};
    for (int i = 0; i < int(sizeof(order) / sizeof(order[0])); ++i)
        if (order[i] == group)
            return i;
    return GROUP_LORA; // "LORA ver", which has no page, is printed with the LoRa group
}

} // namespace

CDeviceModel::CDeviceModel(DeviceKind kind, DeviceInterfaces interfaces, int sensorRows)
    : kind_(kind), interfaces_(interfaces), sensorRows_(sensorRows < 0 ? 0 : sensorRows) {
    std::vector<const DeviceSetting*> rows;
    for (const DeviceSetting& row : DeviceSettings())
        rows.push_back(&row);
    std::stable_sort(rows.begin(), rows.end(), [](const DeviceSetting* a, const DeviceSetting* b) {
        auto rank = [](const DeviceSetting* r) {
            std::string key = r->name;
            if (key == "Access Point Name")
                return -2; // the firmware starts its listing with the APN
            if (key == "Device Type")
                return -1;
            return GroupRank(r->group == GROUP_NONE ? GROUP_LORA : r->group);
        };
        return rank(a) < rank(b);
    });
    for (const DeviceSetting* row : rows) {
        std::string label = row->label;
        if (label.empty())
            continue; // "I/O selection" is never listed
        auto same = std::find_if(lines_.begin(), lines_.end(),
                                 [&](const Line& l) { return l.label == label; });
        size_t index = size_t(same - lines_.begin());
        if (same == lines_.end()) {
            lines_.push_back(Line{label, row->kind, row->name, ""});
            index = lines_.size() - 1;
        } else if (!VocabularyTable().count(same->key) && VocabularyTable().count(row->name)) {
            // A line that two pages share (a DIO work mode or mapping centre, also shown on
            // the work mode page) takes its words from the I/O page's parameter.
            same->key = row->name;
        }
        if (row->command[0])
            byCommand_[Upper(row->command)].push_back(index);
    }
    for (auto& entry : byCommand_) {
        auto& v = entry.second;
        v.erase(std::unique(v.begin(), v.end()), v.end());
    }
    RestoreDefaults();
}

void CDeviceModel::RestoreDefaults() {
    for (Line& line : lines_) {
        const DeviceSetting* row = nullptr;
        for (const DeviceSetting& r : DeviceSettings())
            if (line.key == r.name)
                row = &r;
        line.value = row ? FactoryValue(*row) : "";
        if (line.key == "Device Type") {
            switch (kind_) {
            case DeviceKind::Lora:
                line.value = "DTU-X6-L";
                break;
            case DeviceKind::Zigbee:
                line.value = "DTU-X6-Z";
                break;
            case DeviceKind::Gps:
                line.value = "Tamsa G100";
                break;
            case DeviceKind::Plain:
                line.value = "DTU-X6";
                break;
            }
        }
    }
    sensors_.assign(size_t(sensorRows_), "0,1,3,0,1,0,0,1,,0");
    if (!sensors_.empty())
        sensors_[0] = "1,1,3,0,2,1,1,1,temperature,0";
    changed = true;
}

bool CDeviceModel::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string text;
    while (std::getline(in, text)) {
        size_t tab = text.find('\t');
        if (tab == std::string::npos)
            continue;
        std::string label = text.substr(0, tab), value = text.substr(tab + 1);
        if (label.compare(0, 14, "GENSENSORINFO ") == 0) {
            int row = std::atoi(label.c_str() + 14);
            if (row >= 0 && row < sensorRows_)
                sensors_[size_t(row)] = value;
            continue;
        }
        for (Line& line : lines_)
            if (line.label == label && line.key != "Device Type" &&
                ValueIsValid(line.key, line.kind, value))
                line.value = value;
    }
    changed = false;
    return true;
}

bool CDeviceModel::Save(const std::string& path) const {
    std::string temp = path + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        for (const Line& line : lines_)
            out << line.label << '\t' << line.value << '\n';
        for (size_t i = 0; i < sensors_.size(); ++i)
            out << "GENSENSORINFO " << i << ":\t" << sensors_[i] << '\n';
        if (!out)
            return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

std::vector<std::string> CDeviceModel::Vocabulary(const std::string& key) {
    auto it = VocabularyTable().find(key);
    return it == VocabularyTable().end() ? std::vector<std::string>() : it->second;
}

bool CDeviceModel::Accepts(const std::string& key, const std::string& value) const {
    for (const DeviceSetting& row : DeviceSettings()) {
        if (key != row.name || row.command[0] == '\0')
            continue;
        std::string label = row.label;
        for (const Line& line : lines_)
            if (line.label == label)
                return ValueIsValid(line.key, line.kind, value);
    }
    return false;
}

std::string CDeviceModel::ValueOf(const std::string& label) const {
    for (const Line& line : lines_)
        if (line.label == label)
            return line.value;
    return "";
}

bool CDeviceModel::Mentions(const std::string& label) const {
    auto has = [&](const char* word) { return label.find(word) != std::string::npos; };
    if (!interfaces_.serial1 && has("A serial port"))
        return false;
    if (!interfaces_.serial2 && has("A serial 2 port"))
        return false;
    if (!interfaces_.rs485 && has("RS485 port"))
        return false;
    for (int i = 0; i < 5; ++i) {
        std::string word = "IO" + std::to_string(i + 1);
        if (!interfaces_.io[i] && has(word.c_str()))
            return false;
    }
    return true;
}

std::string CDeviceModel::Listing() const {
    std::string text = "\r\nCurrent configuration of the DTU\r\n";
    for (const Line& line : lines_) {
        if (!Mentions(line.label))
            continue;
        text += line.label + line.value + "\r\n";
    }
    char label[64];
    for (size_t i = 0; i < sensors_.size(); ++i) {
        std::snprintf(label, sizeof(label), "GENSENSORINFO %d:", int(i));
        text += label + sensors_[i] + "\r\n";
    }
    text += "\r\nOK\r\n";
    return text;
}

std::string CDeviceModel::Prompt() {
    return "\r\nDTU boot v2.3.7\r\nPress 's' key to enter setting mode within 3 seconds...\r\n";
}

std::string CDeviceModel::CommandList() {
    return "\r\nEnter setting mode. Commands:\r\n"
           "AT+LIST      list the commands\r\n"
           "AT+SHOW      show the configuration\r\n"
           "AT+FACTORY   restore the factory configuration\r\n"
           "AT+EXCCLK    set the clock\r\n"
           "At+VER       firmware version\r\n"
           "At+CPIN?     SIM state\r\n"
           "At+CSQ       signal quality\r\n"
           "at+READFILELOG  device log file\r\n"
           "AT+FINDNETMODE  network mode found\r\n"
           "at+quit      leave the setting mode\r\n";
}

std::string CDeviceModel::LogFile() const {
    // About 40 KB of log lines; none of them carries a reply marker.
    static const char* events[] = {
        "PPP dial start, apn=%s",       "PPP link up, local ip 10.%d.%d.%d",
        "TCP connect %s:9000 done",     "heartbeat sent, %d bytes",
        "serial rx %d bytes forwarded", "signal level %d",
        "TCP link lost, retry in 10 s", "modbus poll sensor %d, 2 registers",
    };
    std::string text = "\r\n";
    char line[160];
    for (int i = 0; i < 700; ++i) {
        int h = (i / 60) % 24, m = i % 60;
        int n =
            std::snprintf(line, sizeof(line), "[2026-12-01 %02d:%02d:%02d] ", h, m, (i * 7) % 60);
        char event[100];
        const char* format = events[i % 8];
        if (i % 8 == 0 || i % 8 == 2)
            std::snprintf(event, sizeof(event), format, ValueOf("Access Point Name:").c_str());
        else
            std::snprintf(event, sizeof(event), format, i % 31, i % 7, i % 200, i % 250);
        std::snprintf(line + n, sizeof(line) - size_t(n), "%s\r\n", event);
        text += line;
    }
    return text + "\r\nOK\r\n";
}

bool CDeviceModel::SetParameter(const std::string& word, const std::string& value) {
    auto it = byCommand_.find(Upper(word));
    if (it == byCommand_.end())
        return false;
    for (size_t index : it->second)
        if (!ValueIsValid(lines_[index].key, lines_[index].kind, value))
            return false;
    for (size_t index : it->second)
        lines_[index].value = value;
    changed = true;
    return true;
}

bool CDeviceModel::SetSensorRow(const std::string& value) {
    size_t comma = value.find(',');
    if (comma == std::string::npos || !IsDigits(value.substr(0, comma)))
        return false;
    int row = std::atoi(value.c_str());
    std::string fields = value.substr(comma + 1);
    if (row >= sensorRows_ || std::count(fields.begin(), fields.end(), ',') != 9 ||
        fields.size() > 100)
        return false;
    sensors_[size_t(row)] = fields;
    changed = true;
    return true;
}

DeviceAnswer CDeviceModel::Answer(const std::string& rawLine) {
    DeviceAnswer answer;
    const std::string ok = "\r\nOK\r\n", error = "\r\nERROR\r\n";
    // Stray bytes before the command (the setting-mode key "s" sent while the device was
    // already answering) are skipped up to "AT", in whatever case.
    std::string upper = Upper(rawLine);
    size_t at = upper.find("AT+");
    if (at == std::string::npos) {
        answer.text = Upper(rawLine).find("AT") != std::string::npos ? ok : error;
        return answer;
    }
    std::string line = rawLine.substr(at);
    upper = upper.substr(at);
    size_t equals = line.find('=');
    std::string word = Upper(line.substr(0, equals));
    std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);

    if (equals == std::string::npos) {
        if (word == "AT+SHOW")
            answer.text = Listing();
        else if (word == "AT+LIST")
            answer.text = CommandList() + "OK\r\n";
        else if (word == "AT+FACTORY") {
            RestoreDefaults();
            answer.text = ok;
        } else if (word == "AT+VER")
            answer.text = "\r\nVersion: DTU-X6 firmware V2.3.7 (2026-03-14)\r\nOK\r\n";
        else if (word == "AT+CPIN?")
            answer.text = "\r\n+CPIN: READY\r\nOK\r\n";
        else if (word == "AT+CSQ") {
            answer.text = "\r\n+CSQ: 24,99\r\nOK\r\n";
            answer.isSignal = true;
        } else if (word == "AT+READFILELOG")
            answer.text = LogFile();
        else if (word == "AT+FINDNETMODE")
            answer.text = "\r\n+FINDNETMODE:LTE\r\nOK\r\n";
        else if (word == "AT+QUIT") {
            answer.text = ok;
            answer.leaveSetting = true;
        } else if (byCommand_.count(word)) {
            answer.text = "\r\n" + word.substr(2) + ":" + lines_[byCommand_[word][0]].value + ok;
        } else
            answer.text = error;
        return answer;
    }

    if (word == "AT+EXCCLK") {
        // "yyyy/mm/dd,hh:mm:ss",5
        bool valid = value.size() == 23 && value[0] == '"' && value[20] == '"' &&
                     value.compare(21, 2, ",5") == 0 && value[5] == '/' && value[8] == '/' &&
                     value[11] == ',' && value[14] == ':' && value[17] == ':';
        if (valid)
            clock_ = value.substr(1, 19);
        answer.text = valid ? ok : error;
    } else if (word == "AT+GENSENSORINFO") {
        answer.text = SetSensorRow(value) ? ok : error;
    } else {
        answer.text = SetParameter(word, value) ? ok : error;
    }
    return answer;
}

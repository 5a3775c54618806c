#include "params/value_mapping.h"

#include "base/decimal.h"
#include "params/listing_parser.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

bool OneOf(const std::string& key, std::initializer_list<const char*> keys) {
    return std::any_of(keys.begin(), keys.end(), [&](const char* k) { return key == k; });
}

// Keys whose combo selects the item whose text equals the value, or nothing.
bool MatchesByText(const std::string& key) {
    return OneOf(key, {"DIO1 interface", "DIO2 interface", "DIO3 interface", "DIO4 interface",
                       "DIO5 interface", "Transferprotocol", "Dtumanagetransferprotocol",
                       "Serial 2 Baudrate", "Serial Baudrate", "RS485 Baudrate",
                       "Serial port commu mode", "Serial 2 port commu mode",
                       "RS485 port commu mode", "The PPP authentication", "LORA Mode"});
}

bool IsBindingCenter(const std::string& key) {
    return OneOf(key, {"A serial port binding center", "A serial 2 port binding center",
                       "RS485 port binding center"});
}

bool IsDioWorkmode(const std::string& key) {
    return OneOf(key,
                 {"DIO1 workmode", "DIO2 workmode", "DIO3 workmode", "DIO4 workmode", "DIO5 workmode"});
}

ComboChoice TextMatch(const std::string& value, const std::vector<std::string>& items) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == value)
            return ComboChoice::Item(static_cast<int>(i));
    return ComboChoice::None();
}

// The item `number + offset`, saturated to the range of an index: a device value clamped to the
// smallest or largest int stays far outside the combo's items instead of overflowing.
ComboChoice ShiftedItem(int number, int offset) {
    const long long index = static_cast<long long>(number) + offset;
    return ComboChoice::Item(static_cast<int>(
        std::clamp<long long>(index, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())));
}

// A value among names: the item of the first equal name, or Keep.
ComboChoice ByName(const std::string& value, std::initializer_list<const char*> names) {
    int i = 0;
    for (const char* name : names) {
        if (value == name)
            return ComboChoice::Item(i);
        ++i;
    }
    return ComboChoice::KeepSelection();
}

const char* const kProtocols[] = {"PROT", "DCUDP", "DCTCP", "TRNS", "SMSCLI",
                                  "SMSSER", "HTTP", "MTCP/MRTU", "MQTT", "CUST"};
const char* const kActivations[] = {"AUTO", "SMSD", "CTRL", "DATA", "MIXD", "DIO"};

} // namespace

ComboChoice ComboChoiceForValue(const std::string& key, const std::string& value,
                                const std::vector<std::string>& itemTexts,
                                const ParameterCatalogue& catalogue) {
    const int number = ParseDecimal(value);
    if (key == "Protocolmodel") {
        ComboChoice choice = TextMatch(value, itemTexts);
        for (int i = 0; i < 10; ++i)
            if (value == kProtocols[i])
                return ComboChoice::Item(i);
        if (value == "-1")
            return ComboChoice::None();
        return choice;
    }
    if (key == "EXFUN") {
        if (number == 0)
            return ComboChoice::Item(0);
        if (number == 3)
            return ComboChoice::Item(1);
        return ComboChoice::KeepSelection();
    }
    if (key == "net mode") {
        if (number == 0)
            return ComboChoice::Item(0);
        if (number >= 4)
            return ComboChoice::Item(number - 3);
        return ComboChoice::KeepSelection();
    }
    if (key == "DeviceModel") {
        if (value == "SVR")
            return ComboChoice::Item(1);
        if (value == "CLI")
            return ComboChoice::Item(0);
        if (value == "-1")
            return ComboChoice::None();
        return ComboChoice::KeepSelection();
    }
    if (MatchesByText(key))
        return TextMatch(value, itemTexts);
    if (key == "LORA typ")
        return value.empty() ? ComboChoice::KeepSelection() : ShiftedItem(number, -1);
    if (key == "ActivateMethod") {
        if (value == "-1")
            return ComboChoice::None();
        return ByName(value, {"AUTO", "SMSD", "CTRL", "DATA", "MIXD", "DIO"});
    }
    if (IsBindingCenter(key)) {
        const int values[] = {0, 1, 2, 4, 8, 16, 255};
        for (int i = 0; i < 7; ++i)
            if (number == values[i])
                return ComboChoice::Item(i);
        return ComboChoice::KeepSelection();
    }
    if (IsDioWorkmode(key)) {
        if (number == 4 || number == 5)
            return ComboChoice::Item(0);
        if (number == 6)
            return ComboChoice::Item(4);
        return ComboChoice::Item(number);
    }
    if (key == "ZigBee_RFchannel")
        return ShiftedItem(number, -11);
    if (OneOf(key, {"ActivationInterface", "Debugging  port", "LORA Rate"}))
        return ShiftedItem(number, -1);
    if (key == "I/O selection") {
        const char* modes[] = {"DIO1 workmode", "DIO2 workmode", "DIO3 workmode"};
        for (int i = 0; i < 3; ++i) {
            const ParameterEntry* entry = FindParameter(catalogue, modes[i]);
            if (entry && entry->value == "4")
                return ComboChoice::Item(i);
        }
        return ComboChoice::KeepSelection();
    }
    if (OneOf(key, {"I/O1 Mode", "I/O2 Mode"})) {
        if (number == 4)
            return ComboChoice::Item(1);
        if (number == 5)
            return ComboChoice::Item(2);
        return ComboChoice::Item(0);
    }
    return value.empty() ? ComboChoice::KeepSelection() : ComboChoice::Item(number);
}

std::optional<std::string> ComboValueForWrite(const std::string& key, int selected,
                                              const std::string& text, const ComboTexts& texts) {
    const std::string number = std::to_string(selected);
    if (key == "Protocolmodel")
        return text == texts.customProtocol ? std::string("CUST") : text;
    if (key == "EXFUN") {
        if (selected < 0)
            return std::nullopt;
        return selected == 1 ? std::string("3") : number;
    }
    if (OneOf(key, {"LORA Mode", "LORA Rate", "ZigBee_RFchannel"})) {
        if (text.empty())
            return std::nullopt;
        return text;
    }
    if (key == "LORA typ")
        return std::to_string(selected + 1);
    if (key == "ActivateMethod")
        return selected >= 0 && selected < 6 ? std::string(kActivations[selected]) : std::string();
    if (key == "I/O selection")
        return std::nullopt;
    if (key == "net mode") {
        if (selected < 0)
            return std::nullopt;
        return selected == 0 ? std::string("0") : std::to_string(selected + 3);
    }
    if (OneOf(key, {"I/O1 Mode", "I/O2 Mode"})) {
        if (selected < 1)
            return std::nullopt;
        return std::to_string(selected + 3);
    }
    if (OneOf(key, {"Server Count", "The PPP authentication", "DIO1 interface", "DIO2 interface",
                    "DIO3 interface", "DIO4 interface", "DIO5 interface", "Transferprotocol",
                    "Serial port commu mode", "Serial 2 port commu mode", "Serial 2 Baudrate",
                    "Serial Baudrate", "Dtumanagetransferprotocol", "RS485 Baudrate",
                    "RS485 port commu mode"}))
        return text;
    if (IsBindingCenter(key)) {
        if (selected == 6)
            return std::string("255");
        if (selected < 0)
            return std::nullopt;
        if (selected == 0)
            return std::string("0");
        if (selected <= 5)
            return std::to_string(1 << (selected - 1));
        return number; // an item the device has no value for: its number, as any other combo
    }
    if (OneOf(key, {"ActivationInterface", "Debugging  port"})) {
        if (selected < 0)
            return std::nullopt;
        return std::to_string(selected + 1);
    }
    if (key == "DeviceModel")
        return std::string(selected == 0 ? "CLI" : selected == 1 ? "SVR" : "-1");
    if (IsDioWorkmode(key)) {
        const char* values[] = {"0", "1", "2", "3", "6"};
        if (!text.empty())
            for (int i = 0; i < 5; ++i)
                if (text == texts.dioWorkmode[i])
                    return std::string(values[i]);
        return std::string("0");
    }
    if (selected < 0)
        return std::nullopt;
    return number;
}

std::string IoSelectionTarget(int selected) {
    switch (selected) {
    case -1:
        return "";
    case 0:
        return "DIO1 workmode";
    case 1:
        return "DIO2 workmode";
    case 2:
        return "DIO4 workmode";
    default:
        return selected < 0 ? "" : "DIO" + std::to_string(selected + 1) + " workmode";
    }
}

std::string IoControlWorkmodeKey(const std::string& key) {
    if (key == "I/O1 control")
        return "DIO1 workmode";
    if (key == "I/O2 control")
        return "DIO2 workmode";
    if (key == "I/O3 control")
        return "DIO3 workmode";
    return "";
}

const std::vector<SwitchRow>& SwitchRows() {
    static const std::vector<SwitchRow> rows = {
        {"EL transmit channel", {"Lora2COM", "COM2Lora", "", "", "Lora2GPRS", "GPRS2Lora"}},
        {"EL transmit channel_G",
         {"GPS2COM", "COM2GPS", "GPRS2COM", "COM2GPRS", "GPS2GPRS", "GPRS2GPS"}},
        {"EL transmit channel_Z",
         {"Zigbee2COM", "COM2Zigbee", "", "", "Zigbee2GPRS", "GPRS2Zigbee"}},
    };
    return rows;
}

int SwitchRowValue(const SwitchRow& row, const bool on[6], int currentValue) {
    int value = 0;
    int shown = 0;
    for (int bit = 0; bit < 6; ++bit) {
        if (row.switches[bit][0] == '\0')
            continue;
        shown |= 1 << bit;
        if (on[bit])
            value |= 1 << bit;
    }
    // Bits no switch shows (4 and 8 on the LoRa and ZigBee pages, 64 and 128 everywhere) keep
    // what the device has, so that saving never changes a bit the user cannot see.
    return value | (currentValue & 0xFF & ~shown);
}

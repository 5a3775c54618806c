#include "params/parameter_catalogue.h"
#include "params/parameter_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace {

struct Built {
    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    explicit Built(int sensorRows = -1) { BuildParameterCatalogue(parameters, lists, sensorRows); }
    const ParameterEntry& At(const std::string& key) const {
        static const ParameterEntry missing;
        const ParameterEntry* entry = FindParameter(parameters, key);
        EXPECT_NE(entry, nullptr) << key;
        return entry ? *entry : missing;
    }
};

TEST(Catalogue, BuildHoldsEveryTableRowWithLoraVersionAloneNotInUse) {
    Built built;
    ASSERT_EQ(built.parameters.size(), 217u);
    ASSERT_EQ(ParameterTable().size(), 217u);
    for (const ParameterRow& row : ParameterTable()) {
        const ParameterEntry& entry = built.At(row.key);
        EXPECT_EQ(entry.command, row.command) << row.key;
        EXPECT_EQ(entry.label, row.label) << row.key;
        EXPECT_EQ(entry.kind, KindOf(row.kind)) << row.key;
        EXPECT_EQ(entry.tab, row.tab) << row.key;
        EXPECT_EQ(entry.value, "") << row.key;
        EXPECT_EQ(entry.inUse, std::string(row.key) != "LORA ver") << row.key;
        // Only the LoRa version has no page; every other tab indexes the tab table.
        if (std::string(row.key) == "LORA ver")
            EXPECT_EQ(entry.tab, kNoTab);
        else
            EXPECT_TRUE(entry.tab >= 0 && entry.tab < TAB_OPERATION) << row.key;
    }
    EXPECT_TRUE(built.lists.empty()) << "no CustomList control, no list entry";
}

TEST(Catalogue, IteratesInByteWiseKeyOrder) {
    Built built;
    const std::vector<std::string> first = {
        "A DIO1 data format",           "A DIO2 data format", "A DIO3 data format",
        "A DIO4 data format",           "A DIO5 data format", "A serial 2 port binding center",
        "A serial port binding center", "Access Point Name",  "ActivateMethod"};
    std::vector<std::string> keys;
    for (const auto& item : built.parameters)
        keys.push_back(item.first);
    ASSERT_GE(keys.size(), first.size());
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + first.size()), first);
    // Capitals before small letters: the small-letter keys come last.
    EXPECT_EQ(keys.back(), "sms Phone5 No");
    EXPECT_LT(std::find(keys.begin(), keys.end(), "Server5's Port"),
              std::find(keys.begin(), keys.end(), "dtu manage server's Ip"));
    EXPECT_LT(std::find(keys.begin(), keys.end(), "dtu manage server's Port"),
              std::find(keys.begin(), keys.end(), "net mode"));

    // Bytes above 0x7F (code-page text) sort after every ASCII letter, as unsigned bytes.
    GetParameter(built.parameters, "\xC4\xA3");
    GetParameter(built.parameters, "Server");
    GetParameter(built.parameters, "Server's");
    std::string previous;
    for (const auto& item : built.parameters) {
        if (!previous.empty()) {
            const size_t n = std::min(previous.size(), item.first.size());
            const int order = std::memcmp(previous.data(), item.first.data(), n);
            EXPECT_TRUE(order < 0 || (order == 0 && previous.size() < item.first.size()))
                << previous << " before " << item.first;
        }
        previous = item.first;
    }
    EXPECT_EQ(built.parameters.rbegin()->first, "\xC4\xA3");
}

TEST(Catalogue, KeepsTheDevicesIrregularVocabulary) {
    Built built;
    // Only two commands are written with a small "t".
    std::vector<std::string> lowerT;
    for (const auto& [key, entry] : built.parameters) {
        if (entry.command.empty())
            continue;
        if (entry.command.compare(0, 3, "AT+") != 0)
            lowerT.push_back(entry.command);
    }
    EXPECT_EQ(lowerT, (std::vector<std::string>{"At+PROMODE", "At+ENHRT"})); // key order
    EXPECT_EQ(built.At("Protocolmodel").command, "At+PROMODE");
    EXPECT_EQ(built.At("RegistrationAndHeart").command, "At+ENHRT");

    // The page numbers its servers one higher than the device.
    for (int page = 2; page <= 5; ++page) {
        const std::string n = std::to_string(page - 1);
        const std::string ip = "Server" + std::to_string(page) + "'s Ip";
        const std::string port = "Server" + std::to_string(page) + "'s Port";
        EXPECT_EQ(built.At(ip).command, "AT+IPAD" + n);
        EXPECT_EQ(built.At(ip).label, "\r\nServer" + n + "'s Ip:");
        EXPECT_EQ(built.At(port).command, "AT+PORT" + n);
        EXPECT_EQ(built.At(port).label, "\r\nServer" + n + "'s Port:");
    }

    EXPECT_EQ(built.At("Mobus address").label, "Mobus address:");
    EXPECT_EQ(built.At("GPS euipment ID").label, "\r\nGPS euipment ID:");
    EXPECT_EQ(built.At("GPS Protocol").label, "\r\nGPS protocol:");
    EXPECT_EQ(built.At("MQTT CACHEEANBLE").command, "AT+MQTTCACHEEANBLE");
    EXPECT_EQ(built.At("MQTT CACHEEANBLE").label, "MQTT Cache Eanble:");
    EXPECT_EQ(built.At("Resend wating").label, "\r\nResend wating:");
    EXPECT_EQ(built.At("Debugging  port").command, "AT+DEBUGPORT");
    EXPECT_EQ(FindParameter(built.parameters, "Debugging port"), nullptr);
    EXPECT_EQ(built.At("ZigBee_WorkMode").label, "\r\nZigBee_WorkMode :");
    EXPECT_EQ(built.At("ZigBee_Type").label, "\r\nZigBee_Type :");
    EXPECT_EQ(built.At("Sms Center").label, "\r\nSms Center :");
    EXPECT_EQ(built.At("Debug Level").label, "\r\nDebug Level :");
    EXPECT_EQ(built.At("A DIO3 data format").label, "The DIO3 data format:");
    EXPECT_EQ(built.At("DIO4 ADCType").label, "DIO4 adc type:");
    EXPECT_EQ(built.At("Send group package waiting for").label, "Bytes Finish Interval(ms):");
    EXPECT_EQ(built.At("HeartbeatPacketReplyInfo").label, "\r\nCustom Keep Onlinereply Info:");
    EXPECT_EQ(built.At("PhoneNO.").label, "\r\nModem's Phone Number:");

    // One listing line feeds the three transmit channels.
    for (const char* key :
         {"EL transmit channel", "EL transmit channel_Z", "EL transmit channel_G"}) {
        EXPECT_EQ(built.At(key).command, "AT+ZDATCHAN");
        EXPECT_EQ(built.At(key).label, "\r\nEL transmit channel:");
    }
    EXPECT_EQ(built.At("I/O2 Mode").command, built.At("DIO2 workmode").command);
    EXPECT_EQ(built.At("I/O2 Mode").label, "\r\nDIO2 workmode:");
    EXPECT_EQ(built.At("I/O3 control").command, "AT+DIOMAPC3");
    EXPECT_EQ(built.At("Device Type").command, "");
    EXPECT_EQ(built.At("Device Type").kind, EntryKind::Line);
    EXPECT_EQ(built.At("I/O selection").command, "");
    EXPECT_EQ(built.At("I/O selection").label, "");
    EXPECT_EQ(built.At("Access Point Name").label, "Access Point Name:");
}

TEST(Catalogue, TabTableNamesTheTwelvePages) {
    TabTable tabs;
    tabs[4].enabled = false;
    InitTabTable(tabs);
    const char* names[] = {"WorkModeTab", "ServerTab", "SerialTab",   "IOTab",
                           "WirelessTab", "GlobalTab", "EquimentTab", "LoraTab",
                           "ZigbeeTab",   "GPSTab",    "ModbusTab",   "OperationTab"};
    for (int i = 0; i < kTabCount; ++i) {
        EXPECT_EQ(tabs[i].name, names[i]);
        EXPECT_TRUE(tabs[i].enabled);
        EXPECT_STREQ(TabName(i), names[i]);
    }
    EXPECT_STREQ(TabName(kNoTab), "");
    EXPECT_STREQ(TabName(-1), "");
}

TEST(Catalogue, CustomListTakesItsItemCountFromTheRows) {
    Built three(3);
    const ListParameterEntry* list = FindListParameter(three.lists, "CustomList");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->command, "AT+GENSENSORINFO");
    EXPECT_EQ(list->labelFormat, "GENSENSORINFO %d:");
    EXPECT_EQ(list->kind, EntryKind::List);
    EXPECT_EQ(list->tab, TAB_MODBUS);
    EXPECT_EQ(list->count, 3);
    EXPECT_TRUE(list->inUse);
    const std::map<std::string, std::string> items = {
        {"GENSENSORINFO 1:", ""}, {"GENSENSORINFO 2:", ""}, {"GENSENSORINFO 3:", ""}};
    EXPECT_EQ(list->items, items);

    Built none(0);
    ASSERT_NE(FindListParameter(none.lists, "CustomList"), nullptr);
    EXPECT_TRUE(FindListParameter(none.lists, "CustomList")->items.empty());
}

TEST(Catalogue, AddingAgainOverwritesTheDescriptionAndKeepsTheValue) {
    Built built;
    ParameterEntry& apn = GetParameter(built.parameters, "Access Point Name");
    apn.value = "cmnet";
    apn.inUse = false;
    AddParameter(built.parameters, TAB_GLOBAL, EntryKind::Combobox, "Access Point Name", "APN:", "AT+X");
    EXPECT_EQ(apn.value, "cmnet");
    EXPECT_TRUE(apn.inUse);
    EXPECT_EQ(apn.tab, TAB_GLOBAL);
    EXPECT_EQ(apn.kind, EntryKind::Combobox);
    EXPECT_EQ(apn.label, "APN:");
    EXPECT_EQ(apn.command, "AT+X");
    EXPECT_EQ(built.parameters.size(), 217u);

    Built withList(2);
    withList.lists["CustomList"].items["GENSENSORINFO 1:"] = "kept";
    AddListParameter(withList.lists, 3, EntryKind::None, "CustomList", "X %d", "AT+Y", 9);
    const ListParameterEntry& list = withList.lists["CustomList"];
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(list.command, "AT+GENSENSORINFO");
    EXPECT_EQ(list.items.at("GENSENSORINFO 1:"), "kept");
}

TEST(Catalogue, FindNeverInsertsAndGetInsertsAnEmptyEntry) {
    Built built;
    EXPECT_EQ(FindParameter(built.parameters, "NoSuchControl"), nullptr);
    EXPECT_EQ(FindListParameter(built.lists, "CustomList"), nullptr);
    EXPECT_EQ(built.parameters.size(), 217u);

    ParameterEntry& added = GetParameter(built.parameters, "NoSuchControl");
    EXPECT_EQ(built.parameters.size(), 218u);
    EXPECT_EQ(added.command, "");
    EXPECT_EQ(added.kind, EntryKind::None);
    EXPECT_EQ(added.label, "");
    EXPECT_FALSE(added.inUse);
    EXPECT_EQ(added.tab, 0);
    EXPECT_EQ(&GetParameter(built.parameters, "NoSuchControl"), &added);
    EXPECT_EQ(GetListParameter(built.lists, "CustomList").count, 0);
}

TEST(Catalogue, ListLabelsNeverReadBeyondTheirNumber) {
    EXPECT_EQ(FormatListLabel("GENSENSORINFO %d:", 0), "GENSENSORINFO 0:");
    EXPECT_EQ(FormatListLabel("GENSENSORINFO %d:", 12), "GENSENSORINFO 12:");
    // Anything but a single %d is not a format: the number is put behind it.
    EXPECT_EQ(FormatListLabel("%s%n:", 1), "%s%n:1");
    EXPECT_EQ(FormatListLabel("%d %d", 1), "%d %d1");
    EXPECT_EQ(FormatListLabel("", 7), "7");
}

TEST(Catalogue, AcknowledgedWritesAreRecorded) {
    Built built(2);
    RecordWrittenValue(built.parameters, built.lists, "Server's Port", "5001", EntryKind::None, "");
    EXPECT_EQ(built.At("Server's Port").value, "5001");
    RecordWrittenValue(built.parameters, built.lists, "CustomList", "1,3,40001", EntryKind::List,
                       "GENSENSORINFO 1:");
    EXPECT_EQ(built.lists["CustomList"].items["GENSENSORINFO 1:"], "1,3,40001");
    // Only the list kind addresses a list item; the words are recognised exactly.
    EXPECT_EQ(KindOf("list"), EntryKind::None);
    RecordWrittenValue(built.parameters, built.lists, "Debug Level", "2", KindOf("list"), "x");
    EXPECT_EQ(built.At("Debug Level").value, "2");
    RecordWrittenValue(built.parameters, built.lists, "Unknown", "v", EntryKind::None, "");
    EXPECT_EQ(built.At("Unknown").value, "v");
}

// The store as a window holds it: an acknowledged write is recorded at once, and the next
// listing the device sends has the last word.
TEST(Catalogue, TheStoreRecordsAcknowledgedWritesAndTheNextListingWins) {
    CParameterStore store;
    store.Build(1);
    store.RecordWrittenValue("Server's Ip", "10.1.1.1", EntryKind::None, "");
    EXPECT_EQ(store.parameters["Server's Ip"].value, "10.1.1.1");
    const std::string listing = "AT+SHOW\r\nAccess Point Name:CMNET\r\n"
                                "Server's Ip:10.2.2.2\r\nOK\r\n";
    ASSERT_TRUE(store.ParseListing(listing.data(), listing.size()));
    EXPECT_EQ(store.parameters["Server's Ip"].value, "10.2.2.2");
    EXPECT_EQ(store.tabs[6].name, "EquimentTab");
}

} // namespace

#include "params/listing_parser.h"

#include "base/decimal.h"
#include "listing_fixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

struct Model {
    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    InterfacePresence presence;
    explicit Model(int sensorRows = 9) { BuildParameterCatalogue(parameters, lists, sensorRows); }
    bool Parse(const std::string& text) {
        return ParseListing(text.data(), text.size(), parameters, lists, presence);
    }
    const std::string& Value(const std::string& key) { return parameters[key].value; }
    std::string& Item(int i) {
        return lists["CustomList"].items["GENSENSORINFO " + std::to_string(i) + ":"];
    }
};

std::string StripLineStart(const std::string& label) {
    return label.compare(0, 2, "\r\n") == 0 ? label.substr(2) : label;
}

// A short listing: a header, the anchor line, the given lines and the final OK.
std::string Listing(const std::string& lines) {
    return "AT+SHOW\r\n\r\nAccess Point Name:cmnet\r\n" + lines + "\r\nOK\r\n";
}

TEST(ParseListing, FullListingFillsEveryParameterFromItsOwnLine) {
    const std::string listing = LoadFullListing();
    ASSERT_GT(listing.size(), 3000u) << "fixture " << ORVEL_LISTING_FIXTURE;
    const auto lines = ReadListingLines(listing);
    Model model;
    model.Item(9) = "from an earlier write";
    ASSERT_TRUE(model.Parse(listing));

    for (const auto& [key, entry] : model.parameters) {
        if (entry.label.empty())
            continue;
        auto line = lines.find(StripLineStart(entry.label));
        ASSERT_NE(line, lines.end()) << "fixture lacks the label of " << key;
        EXPECT_EQ(entry.value, line->second) << key;
    }
    EXPECT_EQ(model.Value("Device Type"), "DTU-G800-L");
    EXPECT_EQ(model.Value("LORA ver"), "V2.3.7");
    EXPECT_EQ(model.Value("EL transmit channel"), "5");
    EXPECT_EQ(model.Value("EL transmit channel_Z"), "5");
    EXPECT_EQ(model.Value("EL transmit channel_G"), "5");
    EXPECT_EQ(model.Value("I/O1 Mode"), "1");
    EXPECT_EQ(model.Value("I/O3 control"), "3");
    EXPECT_EQ(model.Value("Server2's Ip"), "10.0.0.3");     // the device's "Server1's Ip"
    EXPECT_EQ(model.Value("Server's Ip"), "192.168.1.100"); // blanks around it dropped
    EXPECT_EQ(model.Value("Server's Port"), "");            // label straight before CR LF
    EXPECT_EQ(model.Value("MQTT Password"), "mqtt pass");   // inner blank kept
    EXPECT_EQ(model.Value("Debugging  port"), "1");
    EXPECT_EQ(model.Value("CollectCount"), "3");
    // The entry without a label reads the whole anchor line.
    EXPECT_EQ(model.Value("I/O selection"), "Access Point Name:cmnet");

    // Items are numbered from 0 in the listing; those the build created stay beside them.
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(model.Item(i), std::to_string(i + 1) + ",3," + std::to_string(40001 + 2 * i) +
                                     ",2,1,sensor" + std::to_string(i));
    EXPECT_EQ(model.Item(8), "");
    EXPECT_EQ(model.Item(9), "from an earlier write");
    EXPECT_EQ(model.lists["CustomList"].items.size(), 10u);

    EXPECT_TRUE(model.presence.serialPort1);
    EXPECT_TRUE(model.presence.serialPort2);
    EXPECT_TRUE(model.presence.rs485);
    for (bool io : model.presence.io)
        EXPECT_TRUE(io);
}

TEST(ParseListing, InterfaceWordsAnywhereInTheReplySetTheFlags) {
    Model model;
    // "IO1" also matches inside "DIO1", and the words count before the anchor too.
    ASSERT_TRUE(model.Parse("A serial port binding center:1\r\n" +
                            Listing("DIO1 workmode:1\r\nDIO3 workmode:0\r\n")));
    EXPECT_TRUE(model.presence.serialPort1);
    EXPECT_FALSE(model.presence.serialPort2);
    EXPECT_FALSE(model.presence.rs485);
    const bool io[5] = {true, false, true, false, false};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(model.presence.io[i], io[i]) << "IO" << i + 1;

    ASSERT_TRUE(model.Parse(Listing("RS485 port commu mode:8N1\r\nsee IO5\r\n")));
    EXPECT_FALSE(model.presence.serialPort1);
    EXPECT_TRUE(model.presence.rs485);
    EXPECT_TRUE(model.presence.io[4]);
}

TEST(ParseListing, TextWithoutTheAnchorChangesNothing) {
    Model model;
    model.parameters["Server's Ip"].value = "1.2.3.4";
    model.Item(0) = "sensor";
    model.presence.rs485 = false;
    EXPECT_FALSE(model.Parse("\r\nServer's Ip:9.9.9.9\r\nGENSENSORINFO 0:x\r\nOK\r\n"));
    EXPECT_FALSE(model.Parse(""));
    EXPECT_FALSE(ParseListing(nullptr, 10, model.parameters, model.lists, model.presence));
    EXPECT_EQ(model.Value("Server's Ip"), "1.2.3.4");
    EXPECT_EQ(model.Item(0), "sensor");
    EXPECT_FALSE(model.presence.rs485);
    EXPECT_TRUE(model.presence.serialPort1);
}

TEST(ParseListing, EachParseReplacesEveryValue) {
    Model model;
    model.parameters["Server's Port"].value = "5001";
    // Labels that occur only before the anchor are not found.
    ASSERT_TRUE(model.Parse("\r\nServer's Port:6000\r\n" + Listing("\r\nListen on port:7000\r\n")));
    EXPECT_EQ(model.Value("Server's Port"), "");
    EXPECT_EQ(model.Value("ListenPort"), "7000");
    EXPECT_EQ(model.Value("Access Point Name"), "cmnet");
}

TEST(ParseListing, TrimsBlanksAndCarriageReturnsOnly) {
    Model model;
    std::string text = Listing("\r\nServer's Ip:  \t10.0.0.1 \t \r\r\n"
                               "\r\nServer's Port:   \r\n"
                               "\r\nListen on port:\r\r\n"
                               "\r\nCustom Register Info: a  b \r\n"
                               "\r\nSms Center :+86138\r\n");
    text[text.find("a  b") + 1] = '\0'; // a zero byte reads as a blank
    ASSERT_TRUE(model.Parse(text));
    EXPECT_EQ(model.Value("Server's Ip"), "\t10.0.0.1 \t");
    EXPECT_EQ(model.Value("Server's Port"), "");
    EXPECT_EQ(model.Value("ListenPort"), "");
    EXPECT_EQ(model.Value("RegisterInfo"), "a  b");
    EXPECT_EQ(model.Value("Sms Center"), "+86138");
}

TEST(ParseListing, ValueLengthLimits) {
    Model model;
    const std::string longest(1023, 'v');
    ASSERT_TRUE(model.Parse(Listing("\r\nCustom Register Info:" + longest +
                                    "\r\n\r\nCustom Keep Online Info:" + longest + "w\r\n")));
    EXPECT_EQ(model.Value("RegisterInfo"), longest);
    EXPECT_EQ(model.Value("HeartbeatPacket"), "") << "1024 characters are dropped";

    model.Item(1) = "previous";
    model.Item(2) = "previous";
    ASSERT_TRUE(model.Parse(Listing("GENSENSORINFO 1:" + std::string(101, 'x') +
                                    "\r\nGENSENSORINFO 2:" + std::string(100, 'y') +
                                    "\r\nGENSENSORINFO 3:   \r\n")));
    EXPECT_EQ(model.Item(1), "") << "a row too long is not known: never the earlier device's";
    EXPECT_EQ(model.Item(2), std::string(100, 'y'));
    EXPECT_EQ(model.Item(3), "");
    EXPECT_EQ(model.Item(0), "") << "absent items are emptied";

    // A row cut off before its line end is not known either.
    model.Item(4) = "1,3,40001,1,0,1,1,1,old,1";
    const std::string cut = "AT+SHOW\r\n\r\nAccess Point Name:cmnet\r\nGENSENSORINFO 4:1,3,4";
    ASSERT_TRUE(model.Parse(cut));
    EXPECT_EQ(model.Item(4), "");
}

TEST(ParseListing, ListingsLongerThanEightKilobytesAreReadToTheEnd) {
    // A device with long custom packets: the tail of the listing lies far beyond 8191 bytes.
    std::string lines;
    const char* labels[] = {"Custom Register Info:",    "Custom Register reply Info:",
                            "Custom Keep Online Info:", "Custom Keep Onlinereply Info:",
                            "DIO1 query command:",      "DIO2 query command:",
                            "DIO3 query command:",      "DIO4 query command:",
                            "DIO5 query command:",      "MQTT Send Topic:"};
    for (const char* label : labels)
        lines += "\r\n" + std::string(label) + std::string(1000, 'p') + "\r\n";
    lines += "MSBITV:1000\r\nCLTTIMEOUT:300\r\nMBTRYCOUNT:3\r\nGENSENSORINFO 0:1,3,40001\r\n";
    const std::string text = Listing(lines);
    ASSERT_GT(text.size(), 10000u);
    Model model;
    ASSERT_TRUE(model.Parse(text));
    EXPECT_EQ(model.Value("CollectInterval"), "1000");
    EXPECT_EQ(model.Value("CollectDelay"), "300");
    EXPECT_EQ(model.Value("CollectCount"), "3");
    EXPECT_EQ(model.Value("MQTT Send Topic"), std::string(1000, 'p'));
    EXPECT_EQ(model.Item(0), "1,3,40001");
}

TEST(ParseListing, ALabelInsideAnEarlierValueDoesNotSteal) {
    Model model;
    ASSERT_TRUE(model.Parse(Listing("\r\nCustom Register Info:REG MSBITV:99 GENSENSORINFO 0:x\r\n"
                                    "MSBITV:1000\r\nGENSENSORINFO 0:sensor\r\n")));
    EXPECT_EQ(model.Value("CollectInterval"), "1000");
    EXPECT_EQ(model.Item(0), "sensor");
    EXPECT_EQ(model.Value("RegisterInfo"), "REG MSBITV:99 GENSENSORINFO 0:x");

    // A label that never begins a line is still found where it is.
    ASSERT_TRUE(model.Parse(Listing("  Modbus: MSBITV:500\r\n")));
    EXPECT_EQ(model.Value("CollectInterval"), "500");
}

TEST(ParseListing, ACutOffListingYieldsWholeValuesOrNone) {
    const std::string listing = LoadFullListing();
    ASSERT_FALSE(listing.empty());
    Model full;
    ASSERT_TRUE(full.Parse(listing));
    const size_t anchor = listing.find(kListingAnchor);
    for (size_t cut = anchor + std::string(kListingAnchor).size(); cut <= listing.size();
         cut += 13) {
        Model model;
        ASSERT_TRUE(model.Parse(listing.substr(0, cut)));
        for (const auto& [key, entry] : model.parameters) {
            if (!entry.value.empty() && key != "I/O selection") {
                ASSERT_EQ(entry.value, full.parameters[key].value) << key << " cut at " << cut;
            }
        }
        for (const auto& [label, value] : model.lists["CustomList"].items) {
            if (!value.empty()) {
                ASSERT_EQ(value, full.lists["CustomList"].items[label]) << label;
            }
        }
    }
}

TEST(ParseListing, ExtractValueReportsWhatItFound) {
    std::string value = "unchanged";
    EXPECT_EQ(ExtractValue("A:1\r\n", "B:", value), ValueResult::NoLabel);
    EXPECT_EQ(ExtractValue("A:1", "A:", value), ValueResult::NoLineEnd);
    EXPECT_EQ(value, "unchanged");
    EXPECT_EQ(ExtractValue("A:1\r\n", "A:", value), ValueResult::Found);
    EXPECT_EQ(value, "1");
    EXPECT_EQ(ExtractValue("A:\r\n", "", value), ValueResult::Found);
    EXPECT_EQ(value, "A:");
    EXPECT_EQ(ExtractValue("A:\r", "A:", value), ValueResult::NoLineEnd);
}

TEST(ParseListing, NumbersReadFromValues) {
    EXPECT_EQ(ParseDecimal("115200"), 115200);
    EXPECT_EQ(ParseDecimal("  \t-12abc"), -12);
    EXPECT_EQ(ParseDecimal("+7"), 7);
    EXPECT_EQ(ParseDecimal(""), 0);
    EXPECT_EQ(ParseDecimal("abc"), 0);
    EXPECT_EQ(ParseDecimal("- 5"), 0);
    EXPECT_EQ(ParseDecimal("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseDecimal("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseDecimal("-99999999999999999999"), INT_MIN);
}

} // namespace

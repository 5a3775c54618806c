// The Telnet side of network serial ports: data taken out of the stream whatever the chunks,
// options refused once, and the RFC 2217 line settings as the server reads them.
#include "serial/rfc2217.h"
#include "serial/serial_line.h"

#include <gtest/gtest.h>

namespace {

std::string Bytes(std::initializer_list<int> bytes) {
    std::string text;
    for (int b : bytes)
        text += static_cast<char>(b);
    return text;
}

TEST(Telnet, DataIsTakenOutOfTheStreamWhereverTheChunksEnd) {
    // "A", IAC IAC (a data 0xFF), IAC DO ECHO (refused), IAC SB COM-PORT ... IAC SE, "B", IAC DO
    // COM-PORT (accepted), "C".
    const std::string stream = "A" + Bytes({255, 255, 255, 253, 1, 255, 250, 44, 101, 0, 0, 37,
                                            128, 255, 240}) +
                               "B" + Bytes({255, 253, 44}) + "C";
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        CTelnetStream telnet;
        std::string answer;
        std::string data = telnet.Feed(stream.substr(0, cut), answer);
        data += telnet.Feed(stream.substr(cut), answer);
        EXPECT_EQ(data, "A" + Bytes({255}) + "BC") << "cut at " << cut;
        EXPECT_EQ(answer, Bytes({255, 252, 1})) << "ECHO refused once";
        EXPECT_TRUE(telnet.ComPortAccepted());
    }
    EXPECT_EQ(CTelnetStream::Escape(Bytes({1, 255, 2})), Bytes({1, 255, 255, 2}));
}

TEST(Telnet, TheLineSettingsAsTheServerReadsThem) {
    // 9600 baud (0x00002580), 7 data bits, even parity, 2 stop bits.
    EXPECT_EQ(CTelnetStream::LineSettings(9600, 7, 'E', 2),
              Bytes({255, 250, 44, 1, 0, 0, 37, 128, 255, 240, 255, 250, 44, 2, 7, 255, 240, 255,
                     250, 44, 3, 3, 255, 240, 255, 250, 44, 4, 2, 255, 240}));
    // A rate whose bytes hold 0xFF has them doubled inside the subnegotiation.
    EXPECT_NE(CTelnetStream::LineSettings(0xFF, 8, 'N', 1).find(Bytes({255, 255})),
              std::string::npos);
}

TEST(NetworkPorts, NamesAndRefusals) {
    EXPECT_TRUE(IsNetworkPort("tcp://127.0.0.1:4001"));
    EXPECT_TRUE(IsNetworkPort("rfc2217://station-3:2217"));
    EXPECT_FALSE(IsNetworkPort("/dev/ttyUSB0"));
    EXPECT_FALSE(IsNetworkPort("COM5"));
    std::unique_ptr<ISerialLine> line = MakeSerialLine();
    std::string why;
    SerialLineSettings settings;
    settings.port = "tcp://127.0.0.1";
    EXPECT_FALSE(line->Open(settings, why));
    EXPECT_NE(why.find("tcp://host:port"), std::string::npos) << why;
    settings.port = "tcp://127.0.0.1:1"; // nobody listens there
    EXPECT_FALSE(line->Open(settings, why));
    EXPECT_NE(why.find("cannot connect"), std::string::npos) << why;
}

} // namespace

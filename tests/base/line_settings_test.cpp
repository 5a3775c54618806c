// The connection bar's texts read into line settings.
#include "base/line_settings.h"

#include <gtest/gtest.h>

namespace {

TEST(LineSettings, PortBaudAndCodeAreRead) {
    LineSettings s;
    ASSERT_EQ(ReadLineSettings("COM3", "115200", "8N1", s), LineSettingsError::None);
    EXPECT_EQ(s.portNumber, 3);
    EXPECT_EQ(s.baudRate, 115200);
    EXPECT_EQ(s.dataBits, 8);
    EXPECT_EQ(s.parity, 'N');
    EXPECT_EQ(s.stopBits, 1);

    ASSERT_EQ(ReadLineSettings("COM12", "9600", "7E2", s), LineSettingsError::None);
    EXPECT_EQ(s.portNumber, 12);
    EXPECT_EQ(s.dataBits, 7);
    EXPECT_EQ(s.parity, 'E');
    EXPECT_EQ(s.stopBits, 2);

    // An empty code opens 8N1.
    ASSERT_EQ(ReadLineSettings("COM1", "1200", "", s), LineSettingsError::None);
    EXPECT_EQ(s.dataBits, 8);
    EXPECT_EQ(s.parity, 'N');
    EXPECT_EQ(s.stopBits, 1);
}

TEST(LineSettings, ABaudRateThatIsNotAPositiveNumberOpensNothing) {
    LineSettings s;
    s.baudRate = 77;
    for (const char* baud : {"", "0", "-9600", "abc", "96x00", "99999999999", " "})
        EXPECT_EQ(ReadLineSettings("COM3", baud, "8N1", s), LineSettingsError::BadBaud) << baud;
    EXPECT_EQ(s.baudRate, 77); // untouched
    EXPECT_EQ(ReadLineSettings("COM3", " 9600 ", "8N1", s), LineSettingsError::None);
    EXPECT_EQ(s.baudRate, 9600);
    for (const char* port : {"", "COM", "COMx", "COM0"})
        EXPECT_EQ(ReadLineSettings(port, "9600", "8N1", s), LineSettingsError::BadPort) << port;
}

} // namespace

TEST(LineSettings, AChooserItemNamesItsPortFirst) {
    EXPECT_EQ(PortNameOf("COM5 - USB Serial Port (in use)"), "COM5");
    EXPECT_EQ(PortNameOf("COM12"), "COM12");
    LineSettings settings;
    ASSERT_EQ(ReadLineSettings("COM5 - USB Serial Port", "9600", "8N1", settings),
              LineSettingsError::None);
    EXPECT_EQ(settings.portNumber, 5);
    EXPECT_EQ(ReadLineSettings("COMX - adapter", "9600", "8N1", settings),
              LineSettingsError::BadPort);
}

// A network port chosen in the connection bar is opened by its address; a scheme without an
// address is no port.
TEST(LineSettings, ANetworkPortIsReadByItsAddress) {
    LineSettings settings;
    ASSERT_EQ(ReadLineSettings("tcp://10.0.0.7:4001", "115200", "8N1", settings),
              LineSettingsError::None);
    EXPECT_EQ(settings.portName, "tcp://10.0.0.7:4001");
    EXPECT_EQ(settings.portNumber, 0);
    ASSERT_EQ(ReadLineSettings("rfc2217://server:7000", "9600", "8E1", settings),
              LineSettingsError::None);
    EXPECT_EQ(settings.portName, "rfc2217://server:7000");
    EXPECT_EQ(settings.parity, 'E');
    ASSERT_EQ(ReadLineSettings("COM7 - USB", "9600", "8N1", settings), LineSettingsError::None);
    EXPECT_EQ(settings.portName, "COM7");
    for (const char* port : {"tcp://", "rfc2217://", "udp://host:1"})
        EXPECT_EQ(ReadLineSettings(port, "9600", "8N1", settings), LineSettingsError::BadPort)
            << port;
    // What a user types for a new network port is taken only when it is whole.
    for (const char* port : {"tcp://10.0.0.7:4001", "rfc2217://server.plant:7000",
                             "tcp://[::1]:65535", "tcp://localhost:1"})
        EXPECT_TRUE(IsWholeNetworkPort(port)) << port;
    for (const char* port : {"tcp://", "tcp://host", "tcp://host:", "tcp://:4001",
                             "tcp://no port here", "tcp://host:0", "tcp://host:65536",
                             "tcp://host:40a1", "tcp://a b:1", "tcp://host:4001/x",
                             "tcp://host:999999999999", "udp://host:1", "COM3"})
        EXPECT_FALSE(IsWholeNetworkPort(port)) << port;
}

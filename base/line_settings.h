// The line settings of a serial connection, and reading them from the connection bar's texts.
// Portable.
#pragma once

#include <string>

// The line settings chosen in the connection bar.
struct LineSettings {
    int portNumber = 0; // COM ports: the number
    int baudRate = 0;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;
    std::string portName; // the port as the serial line opens it ("COM5", "tcp://host:4001")
};

// Why a connection bar's texts cannot open a port.
enum class LineSettingsError {
    None,
    BadPort, // the port text is neither "COM" and a positive number nor a network port
    BadBaud, // the baud rate text is not a positive number
};

// The port's name in a port chooser's item ("COM5 - USB Serial Port (in use)" -> "COM5"): the
// text up to its first blank.
std::string PortNameOf(const std::string& chooserText);

// Whether a port's name is a network address ("tcp://host:port", "rfc2217://host:port").
bool IsNetworkPortName(const std::string& port);
// Whether a typed network port is whole: a scheme above, a host without blanks and a port
// number 1-65535 after the last colon, nothing else.
bool IsWholeNetworkPort(const std::string& port);

// Reads the port chooser's text (the number after its first three characters, or a network
// port), the baud rate
// text and the line code ("8N1": data bits, parity letter, stop bits; an empty code is 8N1).
LineSettingsError ReadLineSettings(const std::string& portText, const std::string& baudText,
                                   const std::string& codeText, LineSettings& settings);

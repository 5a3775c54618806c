#include "base/line_settings.h"

#include "base/decimal.h"

std::string PortNameOf(const std::string& chooserText) {
    return chooserText.substr(0, chooserText.find(' '));
}

bool IsNetworkPortName(const std::string& port) {
    for (const char* scheme : {"tcp://", "rfc2217://"})
        if (port.rfind(scheme, 0) == 0 && port.size() > std::string(scheme).size())
            return true;
    return false;
}

bool IsWholeNetworkPort(const std::string& port) {
    if (!IsNetworkPortName(port))
        return false;
    const std::string address = port.substr(port.find("://") + 3);
    const size_t colon = address.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= address.size())
        return false;
    const std::string host = address.substr(0, colon), number = address.substr(colon + 1);
    if (host.find_first_of(" \t/\\@?#") != std::string::npos ||
        number.find_first_not_of("0123456789") != std::string::npos || number.size() > 5)
        return false;
    const long value = std::stol(number);
    return value >= 1 && value <= 65535;
}

LineSettingsError ReadLineSettings(const std::string& chooserText, const std::string& baudText,
                                   const std::string& codeText, LineSettings& settings) {
    LineSettings read;
    const std::string portText = PortNameOf(chooserText);
    if (IsNetworkPortName(portText)) {
        read.portName = portText;
    } else if (portText.size() <= 3 ||
               !ReadPositiveNumber(portText.substr(3), read.portNumber)) {
        return LineSettingsError::BadPort;
    } else {
        read.portName = "COM" + std::to_string(read.portNumber);
    }
    if (!ReadPositiveNumber(baudText, read.baudRate))
        return LineSettingsError::BadBaud;
    // Each missing character of the code keeps its part of 8N1.
    if (codeText.size() > 0)
        read.dataBits = codeText[0] - '0';
    if (codeText.size() > 1)
        read.parity = codeText[1];
    if (codeText.size() > 2)
        read.stopBits = codeText[2] - '0';
    settings = read;
    return LineSettingsError::None;
}

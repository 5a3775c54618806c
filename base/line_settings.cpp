#include "base/line_settings.h"

#include "base/decimal.h"

LineSettingsError ReadLineSettings(const std::string& portText, const std::string& baudText,
                                   const std::string& codeText, LineSettings& settings) {
    LineSettings read;
    if (portText.size() <= 3 || !ReadPositiveNumber(portText.substr(3), read.portNumber))
        return LineSettingsError::BadPort;
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

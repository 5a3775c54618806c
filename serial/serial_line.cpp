#include "serial/serial_line.h"

std::string AdapterName(const std::string& description) {
    std::string name = description;
    const size_t open = name.rfind(" (");
    if (open != std::string::npos && name.back() == ')')
        name.erase(open);
    return name;
}

std::string DescribePort(const SerialPortInfo& port) {
    std::string text = port.name;
    // A friendly name often repeats the port ("USB Serial Port (COM5)"): shown once.
    std::string description = port.description;
    const std::string repeated = " (" + port.name + ")";
    const size_t at = description.find(repeated);
    if (at != std::string::npos)
        description.erase(at, repeated.size());
    if (!description.empty())
        text += " - " + description;
    if (port.inUse)
        text += " (in use)";
    return text;
}

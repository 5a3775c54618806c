#include "pages/page_files.h"

#include <map>

std::string PageFileForElement(const std::string& element) {
    static const std::map<std::string, std::string> files = {
        {"ComputerExamine", "ComputerExamine.xml"},
        {"WorkTab", "WorkTab.xml"},
        {"Wireless", "Wireless.xml"},
        {"ServiceCentre", "Service Centre.xml"},
        {"SerialPort", "Serial port.xml"},
        {"Modbus", "Custom.xml"},
        {"Global_Parameter", "Global Parameter.xml"},
        {"Equipment_Management", "Equipment Management.xml"},
    };
    auto it = files.find(element);
    return it == files.end() ? element + ".xml" : it->second;
}

#include "pages/page_classes.h"

#include <cstring>

CPageUI::CPageUI(const std::string& pageFile) : m_pageFile(pageFile) {
    CDialogBuilder builder;
    CControlUI* content = builder.Create(m_pageFile.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (content == nullptr || !Add(content)) {
        delete content;
        RemoveAll();
    }
}

CPageUI::~CPageUI() = default;
ComputerExamineUI::~ComputerExamineUI() = default;
WorkTabUI::~WorkTabUI() = default;
WirelessTabUI::~WirelessTabUI() = default;
ServiceCentreTabUI::~ServiceCentreTabUI() = default;
SerialPortTabUI::~SerialPortTabUI() = default;
CustomTabUI::~CustomTabUI() = default;
Global_ParameterTabUI::~Global_ParameterTabUI() = default;
Equipment_ManagementTabUI::~Equipment_ManagementTabUI() = default;
Child_ManagementTabUI::~Child_ManagementTabUI() = default;

CControlUI* CDialogBuilderCallbackEx::CreateControl(const char* pstrClass) {
    if (pstrClass == nullptr || *pstrClass == 0)
        return nullptr;
    const std::string name = pstrClass;
    if (name == "ComputerExamine")
        return new ComputerExamineUI;
    if (name == "WorkTab")
        return new WorkTabUI;
    if (name == "Wireless")
        return new WirelessTabUI;
    if (name == "ServiceCentre")
        return new ServiceCentreTabUI;
    if (name == "SerialPort")
        return new SerialPortTabUI;
    if (name == "Modbus")
        return new CustomTabUI;
    if (name == "Global_Parameter")
        return new Global_ParameterTabUI;
    if (name == "Equipment_Management")
        return new Equipment_ManagementTabUI;
    return new Child_ManagementTabUI(name);
}

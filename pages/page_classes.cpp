#include "pages/page_classes.h"

#include <cstring>

CPageUI::CPageUI(const std::string& pageFile, bool buildNow) : m_pageFile(pageFile) {
    if (buildNow)
        Build();
}

void CPageUI::Build() {
    if (m_built)
        return;
    m_built = true;
    CDialogBuilder builder;
    CControlUI* content = builder.Create(m_pageFile.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (content == nullptr || !Add(content)) {
        delete content;
        RemoveAll();
    }
    if (m_onBuilt)
        m_onBuilt();
}

void CPageUI::SetVisible(bool visible) {
    if (visible)
        Build();
    CContainerUI::SetVisible(visible);
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
    const bool now = !m_pagesLater;
    if (name == "ComputerExamine")
        return new ComputerExamineUI(now);
    if (name == "WorkTab")
        return new WorkTabUI(now);
    if (name == "Wireless")
        return new WirelessTabUI(now);
    if (name == "ServiceCentre")
        return new ServiceCentreTabUI(now);
    if (name == "SerialPort")
        return new SerialPortTabUI(now);
    if (name == "Modbus")
        return new CustomTabUI(now);
    if (name == "Global_Parameter")
        return new Global_ParameterTabUI(now);
    if (name == "Equipment_Management")
        return new Equipment_ManagementTabUI(now);
    return new Child_ManagementTabUI(name, now);
}

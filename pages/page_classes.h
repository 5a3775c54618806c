// The twelve configuration pages. Each page is a container that builds its own skin file into
// itself when it is created; "skin.xml" names the pages by element, and the main window's
// builder callback creates them.
#pragma once

#include "ui/UIContainer.h"
#include "ui/UIDlgBuilder.h"

#include <string>

// The common part of every page: builds the page file (under the resource path) with a fresh
// builder, and keeps the result as its only child; a missing or broken file leaves the page
// empty.
class CPageUI : public CContainerUI {
public:
    explicit CPageUI(const std::string& pageFile);
    ~CPageUI() override;
    const std::string& GetPageFile() const { return m_pageFile; }

private:
    std::string m_pageFile;
};

class ComputerExamineUI : public CPageUI {
public:
    ComputerExamineUI() : CPageUI("ComputerExamine.xml") {}
    ~ComputerExamineUI() override;
};

class WorkTabUI : public CPageUI {
public:
    WorkTabUI() : CPageUI("WorkTab.xml") {}
    ~WorkTabUI() override;
};

class WirelessTabUI : public CPageUI {
public:
    WirelessTabUI() : CPageUI("Wireless.xml") {}
    ~WirelessTabUI() override;
};

class ServiceCentreTabUI : public CPageUI {
public:
    ServiceCentreTabUI() : CPageUI("Service Centre.xml") {}
    ~ServiceCentreTabUI() override;
};

class SerialPortTabUI : public CPageUI {
public:
    SerialPortTabUI() : CPageUI("Serial port.xml") {}
    ~SerialPortTabUI() override;
};

class CustomTabUI : public CPageUI {
public:
    CustomTabUI() : CPageUI("Custom.xml") {}
    ~CustomTabUI() override;
};

class Global_ParameterTabUI : public CPageUI {
public:
    Global_ParameterTabUI() : CPageUI("Global Parameter.xml") {}
    ~Global_ParameterTabUI() override;
};

class Equipment_ManagementTabUI : public CPageUI {
public:
    Equipment_ManagementTabUI() : CPageUI("Equipment Management.xml") {}
    ~Equipment_ManagementTabUI() override;
};

// Any other element name N: the page built from "N.xml".
class Child_ManagementTabUI : public CPageUI {
public:
    explicit Child_ManagementTabUI(const std::string& elementName)
        : CPageUI(elementName + ".xml") {}
    ~Child_ManagementTabUI() override;
};

// The main window's builder callback: a page for every element name the toolkit does not
// know itself.
class CDialogBuilderCallbackEx : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const char* pstrClass) override;
};

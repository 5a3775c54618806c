// The twelve configuration pages. Each page is a container that builds its own skin file into
// itself when it is created; "skin.xml" names the pages by element, and the main window's
// builder callback creates them.
#pragma once

#include "ui/UIContainer.h"
#include "ui/UIDlgBuilder.h"

#include <functional>
#include <string>

// The common part of every page: builds the page file (under the resource path) with a fresh
// builder, and keeps the result as its only child; a missing or broken file leaves the page
// empty. A page made "later" is built when it is first shown or when Build is called; until
// then it is an empty container.
class CPageUI : public CContainerUI {
public:
    explicit CPageUI(const std::string& pageFile, bool buildNow = true);
    ~CPageUI() override;
    const std::string& GetPageFile() const { return m_pageFile; }
    bool IsBuilt() const { return m_built; }
    // Builds the page now if it was not built yet (its controls join the window's tree), then
    // tells whoever asked (SetOnBuilt).
    void Build();
    void SetOnBuilt(std::function<void()> onBuilt) { m_onBuilt = std::move(onBuilt); }
    void SetVisible(bool visible = true) override;

private:
    std::string m_pageFile;
    bool m_built = false;
    std::function<void()> m_onBuilt;
};

class ComputerExamineUI : public CPageUI {
public:
    explicit ComputerExamineUI(bool buildNow = true) : CPageUI("ComputerExamine.xml", buildNow) {}
    ~ComputerExamineUI() override;
};

class WorkTabUI : public CPageUI {
public:
    explicit WorkTabUI(bool buildNow = true) : CPageUI("WorkTab.xml", buildNow) {}
    ~WorkTabUI() override;
};

class WirelessTabUI : public CPageUI {
public:
    explicit WirelessTabUI(bool buildNow = true) : CPageUI("Wireless.xml", buildNow) {}
    ~WirelessTabUI() override;
};

class ServiceCentreTabUI : public CPageUI {
public:
    explicit ServiceCentreTabUI(bool buildNow = true) : CPageUI("Service Centre.xml", buildNow) {}
    ~ServiceCentreTabUI() override;
};

class SerialPortTabUI : public CPageUI {
public:
    explicit SerialPortTabUI(bool buildNow = true) : CPageUI("Serial port.xml", buildNow) {}
    ~SerialPortTabUI() override;
};

class CustomTabUI : public CPageUI {
public:
    explicit CustomTabUI(bool buildNow = true) : CPageUI("Custom.xml", buildNow) {}
    ~CustomTabUI() override;
};

class Global_ParameterTabUI : public CPageUI {
public:
    explicit Global_ParameterTabUI(bool buildNow = true) : CPageUI("Global Parameter.xml", buildNow) {}
    ~Global_ParameterTabUI() override;
};

class Equipment_ManagementTabUI : public CPageUI {
public:
    explicit Equipment_ManagementTabUI(bool buildNow = true) : CPageUI("Equipment Management.xml", buildNow) {}
    ~Equipment_ManagementTabUI() override;
};

// Any other element name N: the page built from "N.xml".
class Child_ManagementTabUI : public CPageUI {
public:
    explicit Child_ManagementTabUI(const std::string& elementName, bool buildNow = true)
        : CPageUI(elementName + ".xml", buildNow) {}
    ~Child_ManagementTabUI() override;
};

// The main window's builder callback: a page for every element name the toolkit does not
// know itself. With pages built later, no page is built with the window: the window builds the
// one it shows first, and the others when they are shown or built on purpose.
class CDialogBuilderCallbackEx : public IDialogBuilderCallback {
public:
    explicit CDialogBuilderCallbackEx(bool pagesLater = false) : m_pagesLater(pagesLater) {}
    CControlUI* CreateControl(const char* pstrClass) override;

private:
    bool m_pagesLater;
};

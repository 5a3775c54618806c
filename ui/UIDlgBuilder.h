// The dialog builder: turns a skin document into a tree of controls attached to a paint
// manager. The root element carries the window's settings and shared resources (fonts,
// images, default attribute lists, styles); every other element is a control whose tag
// selects its class (CControlFactory, then the application's IDialogBuilderCallback) and
// whose attributes go one by one to the control's SetAttribute.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/UIContainer.h"
#include "ui/UIManager.h"
#include "ui/UIMarkup.h"

// Creates the controls of tags the factory does not know (the application's page classes).
class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    // A new control for the tag exactly as written in the document, or null.
    virtual CControlUI* CreateControl(const char* pstrClass) = 0;
};

// Where a skin comes from: the number of a compiled-in resource, XML text (starting with "<"),
// or a file name relative to the resource path.
class STRINGorID {
public:
    STRINGorID(const char* text) : m_text(text ? text : "") {}
    STRINGorID(const std::string& text) : m_text(text) {}
    STRINGorID(unsigned long id) : m_id(id), m_isId(true) {}
    STRINGorID(unsigned int id) : m_id(id), m_isId(true) {}
    STRINGorID(int id) : m_id(id < 0 ? 0 : static_cast<unsigned long>(id)), m_isId(true) {}

    bool IsId() const { return m_isId; }
    unsigned long GetId() const { return m_id; }
    const char* GetText() const { return m_text.c_str(); }

private:
    std::string m_text;
    unsigned long m_id = 0;
    bool m_isId = false;
};

// The process-wide registry of control classes: lower-cased class name ("cbuttonui") to a
// function that makes a new control. Filled on first use with every class of the skin
// vocabulary; the application may add its own.
class CControlFactory {
public:
    using CreateClass = CControlUI* (*)();

    static CControlFactory* GetInstance();

    // A new control of the class (case-insensitive), or null when it is not registered.
    CControlUI* CreateControl(const std::string& className) const;
    // Registers a class; a name registered twice keeps its first creator (returns false).
    bool RegistControl(const std::string& className, CreateClass creator);
    bool HasControl(const std::string& className) const;
    size_t GetCount() const { return m_creators.size(); }

private:
    CControlFactory();
    std::map<std::string, CreateClass> m_creators;
};

class CDialogBuilder {
public:
    // Skins built inside one another (Include elements, child layouts) nest at most so deep.
    static constexpr int kMaxNesting = 8;
    // An Include repeats its source at most this many times.
    static constexpr int kMaxIncludeCount = 1000;
    // One outermost build expands at most this many Include sources in all.
    static constexpr int kMaxIncludedDocuments = 4096;

    // Marks one level of nested building for as long as it lives. Builds that find
    // themselves too deep (IsTooDeep) build nothing.
    class NestingScope {
    public:
        NestingScope();
        ~NestingScope();
        NestingScope(const NestingScope&) = delete;
        NestingScope& operator=(const NestingScope&) = delete;
        bool IsTooDeep() const;
        // True for the outermost scope of a build.
        bool IsOutermost() const;
    };

    CDialogBuilder() = default;
    CDialogBuilder(const CDialogBuilder&) = delete;
    CDialogBuilder& operator=(const CDialogBuilder&) = delete;

    // Loads the source and builds it: the first control created at the top level of the
    // document, or null. With a manager, fonts, images, default lists and styles go to it and
    // a root "Window" element sets up its window; with a parent, the top-level controls are
    // added to it.
    CControlUI* Create(STRINGorID source, const char* type = nullptr,
                       IDialogBuilderCallback* pCallback = nullptr,
                       CPaintManagerUI* pManager = nullptr, CControlUI* pParent = nullptr);
    // Builds a new, independent tree from the document already loaded.
    CControlUI* Create(IDialogBuilderCallback* pCallback = nullptr,
                       CPaintManagerUI* pManager = nullptr, CControlUI* pParent = nullptr);

    CMarkup* GetMarkup() { return &m_xml; }
    const char* GetLastErrorMessage() const { return m_xml.GetLastErrorMessage(); }
    const char* GetLastErrorLocation() const { return m_xml.GetLastErrorLocation(); }

    // Module whose compiled-in resources are searched; null means the toolkit's instance.
    void SetInstance(HINSTANCE instance) { m_instance = instance; }

private:
    bool Load(const STRINGorID& source, const char* type);
    CControlUI* Build(IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager,
                      CControlUI* pParent);
    void ApplyResources(CMarkupNode& root, CPaintManagerUI* pManager);
    void ApplyWindowAttributes(CMarkupNode& root, CPaintManagerUI* pManager);

public:
    // The window's own attributes (size, caption, size box, minimum size, colours, ...) at the
    // manager's DPI; RescaleAll reads them again through this.
    static void ApplyWindowAttributes(
        const std::vector<std::pair<std::string, std::string>>& attributes,
        CPaintManagerUI* pManager);
    // A window's DPI changed: its attributes, fonts and every control at the new scale.
    static void Rescale(CPaintManagerUI& pm, int dpi);

private:
    CControlUI* Parse(CMarkupNode* pRoot, CControlUI* pParent, CPaintManagerUI* pManager);
    CControlUI* Include(CMarkupNode& node, CControlUI* pParent, CPaintManagerUI* pManager);
    CControlUI* CreateControlFor(const char* tag);

    CMarkup m_xml;
    IDialogBuilderCallback* m_pCallback = nullptr;
    std::string m_type; // resource type of a compiled-in document, empty otherwise
    HINSTANCE m_instance = nullptr;
};

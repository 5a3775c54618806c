// The dialog builder and the control factory.
#include "ui/UIDlgBuilder.h"

#include "ui/UIManager.h"

#include <cctype>
#include <climits>
#include <cstdlib>

#include "ui/UIParseWin.h"
#include "ui/UIControls.h"
#include "ui/UIResource.h"
#include "ui/UITags.h"

namespace {

using uiparse::EqualsNoCase;

// Levels of building running inside one another, and what the outermost build has left of
// its Include budget.
int g_nesting = 0;
int g_includedDocuments = 0;

std::string Lower(std::string text) {
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

template <typename T> CControlUI* CreateOf() {
    return new T;
}

std::string Attribute(CMarkupNode& node, const char* name) {
    const char* value = node.GetAttributeValue(name);
    return value ? value : "";
}

// A resource number: decimal digits only, 1..65535. Anything else is 0 (none).
unsigned long ResourceNumber(const std::string& text) {
    if (text.empty() || text.size() > 5)
        return 0;
    unsigned long number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        number = number * 10 + unsigned(c - '0');
    }
    return number < 65536 ? number : 0;
}

// A font id: decimal; missing, malformed-from-the-start or negative ids are -1.
int FontId(const char* text) {
    if (!text)
        return -1;
    char* end = nullptr;
    long id = std::strtol(text, &end, 10);
    if (end == text || id < 0)
        return -1;
    return id > INT_MAX ? INT_MAX : int(id);
}

// A child layout's skin file, built and added to the layout. Nested child layouts are bounded
// by NestingScope, which spans the adding (it initialises the child layouts inside), so a file
// that names itself ends after a few levels instead of recursing.
bool BuildChildLayoutFile(const std::string& file, CPaintManagerUI* manager, CContainerUI* into) {
    CDialogBuilder::NestingScope scope;
    CControlUI* child = nullptr;
    if (!scope.IsTooDeep()) {
        CDialogBuilder builder;
        child = builder.Create(file.c_str(), nullptr, nullptr, manager, nullptr);
    }
    if (child == nullptr || !into->Add(child)) {
        delete child;
        return false;
    }
    return true;
}

} // namespace

// ---- CControlFactory ---------------------------------------------------------------------

CControlFactory::CControlFactory() {
    CChildLayoutUI::SetFileBuilder(&BuildChildLayoutFile);
#define UI_REGISTER_CLASS(Name) RegistControl("C" #Name "UI", &CreateOf<C##Name##UI>);
    UI_CONTROL_TAGS(UI_REGISTER_CLASS)
#undef UI_REGISTER_CLASS
}

CControlFactory* CControlFactory::GetInstance() {
    static CControlFactory factory;
    return &factory;
}

CControlUI* CControlFactory::CreateControl(const std::string& className) const {
    auto it = m_creators.find(Lower(className));
    return it == m_creators.end() ? nullptr : it->second();
}

bool CControlFactory::RegistControl(const std::string& className, CreateClass creator) {
    if (!creator)
        return false;
    return m_creators.emplace(Lower(className), creator).second;
}

bool CControlFactory::HasControl(const std::string& className) const {
    return m_creators.count(Lower(className)) != 0;
}

// ---- Nesting -----------------------------------------------------------------------------

CDialogBuilder::NestingScope::NestingScope() {
    if (g_nesting++ == 0)
        g_includedDocuments = 0;
}

CDialogBuilder::NestingScope::~NestingScope() {
    --g_nesting;
}

bool CDialogBuilder::NestingScope::IsTooDeep() const {
    return g_nesting > kMaxNesting;
}

bool CDialogBuilder::NestingScope::IsOutermost() const {
    return g_nesting == 1;
}

// ---- CDialogBuilder ----------------------------------------------------------------------

bool CDialogBuilder::Load(const STRINGorID& source, const char* type) {
    m_type.clear();
    if (source.IsId()) {
        // Only 1..65535 are resource numbers; larger values never reach the resource API.
        const unsigned long id = source.GetId();
        std::string bytes;
        HINSTANCE instance = m_instance ? m_instance : CPaintManagerUI::GetInstance();
        if (!type || !*type || id == 0 || id >= 65536 ||
            !CResourceAccess::ReadCompiledResource(instance, id, type, bytes)) {
            m_xml.Release();
            return false;
        }
        m_type = type;
        return m_xml.LoadFromMem(bytes.data(), bytes.size(), XMLFILE_ENCODING_UTF8);
    }
    const char* text = source.GetText();
    if (*text == '<')
        return m_xml.Load(text);
    return m_xml.LoadFromFile(text, XMLFILE_ENCODING_UTF8);
}

CControlUI* CDialogBuilder::Create(STRINGorID source, const char* type,
                                   IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager,
                                   CControlUI* pParent) {
    NestingScope scope;
    if (scope.IsTooDeep() || !Load(source, type))
        return nullptr;
    return Build(pCallback, pManager, pParent);
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager,
                                   CControlUI* pParent) {
    NestingScope scope;
    if (scope.IsTooDeep())
        return nullptr;
    return Build(pCallback, pManager, pParent);
}

CControlUI* CDialogBuilder::Build(IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager,
                                  CControlUI* pParent) {
    m_pCallback = pCallback;
    CMarkupNode root = m_xml.GetRoot();
    if (!root.IsValid())
        return nullptr;
    if (pManager) {
        ApplyResources(root, pManager);
        if (EqualsNoCase(root.GetName(), "Window") && pManager->GetPaintWindow())
            ApplyWindowAttributes(root, pManager);
    }
    return Parse(&root, pParent, pManager);
}

void CDialogBuilder::ApplyResources(CMarkupNode& root, CPaintManagerUI* pManager) {
    for (CMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const char* tag = node.GetName();
        if (EqualsNoCase(tag, "Image")) {
            const std::string name = Attribute(node, "name");
            const std::string type = Attribute(node, "restype");
            const DWORD mask = uiparse::ParseColor(Attribute(node, "mask"));
            const bool shared = uiparse::ParseBool(Attribute(node, "shared"));
            if (name.empty())
                continue;
            // A compiled-in image is named by its number, 1..65535.
            if (!type.empty() && ResourceNumber(name) == 0)
                continue;
            pManager->AddImage(name, type, mask, shared);
        } else if (EqualsNoCase(tag, "Font")) {
            const int id = FontId(node.GetAttributeValue("id"));
            if (id < 0)
                continue;
            const std::string face = Attribute(node, "name");
            const char* sizeText = node.GetAttributeValue("size");
            const int size = sizeText ? uiparse::ParseInt(sizeText, 1, 1000) : 12;
            const bool bold = uiparse::ParseBool(Attribute(node, "bold"));
            const bool underline = uiparse::ParseBool(Attribute(node, "underline"));
            const bool italic = uiparse::ParseBool(Attribute(node, "italic"));
            const bool isDefault = uiparse::ParseBool(Attribute(node, "default"));
            const bool shared = uiparse::ParseBool(Attribute(node, "shared"));
            pManager->AddFont(id, face, size, bold, underline, italic, shared);
            if (isDefault)
                pManager->SetDefaultFont(face, size, bold, underline, italic, shared);
        } else if (EqualsNoCase(tag, "Default")) {
            const std::string name = Attribute(node, "name");
            if (!name.empty())
                pManager->AddDefaultAttributeList(name, Attribute(node, "value"),
                                                  uiparse::ParseBool(Attribute(node, "shared")));
        } else if (EqualsNoCase(tag, "Style")) {
            const std::string name = Attribute(node, "name");
            if (!name.empty())
                pManager->AddStyle(name, Attribute(node, "value"),
                                   uiparse::ParseBool(Attribute(node, "shared")));
        } else if (EqualsNoCase(tag, "Import")) {
            const std::string file = Attribute(node, "fontfile");
            if (!file.empty())
                pManager->AddFontFile(file);
        }
    }
}

void CDialogBuilder::Rescale(CPaintManagerUI& pm, int dpi) {
    pm.SetDpi(dpi);
    ApplyWindowAttributes(pm.WindowAttributes(), &pm);
    pm.RescaleAll();
}

void CDialogBuilder::ApplyWindowAttributes(CMarkupNode& root, CPaintManagerUI* pm) {
    std::vector<std::pair<std::string, std::string>> attributes;
    const int count = root.GetAttributeCount();
    for (int i = 0; i < count; ++i)
        attributes.emplace_back(root.GetAttributeName(i), root.GetAttributeValue(i));
    ApplyWindowAttributes(attributes, pm);
    pm->SetWindowAttributes(std::move(attributes));
}

void CDialogBuilder::ApplyWindowAttributes(
    const std::vector<std::pair<std::string, std::string>>& attributes, CPaintManagerUI* pm) {
    using namespace uiparse;
    constexpr int kMax = kMaxCoord;
    for (const auto& [name, value] : attributes) {
        auto is = [&name](const char* n) { return EqualsNoCase(name, n); };
        if (is("size")) {
            // Every size of the window at its DPI.
            const SIZE size = pm->Scale(ParseSize(value, 0, kMax));
            pm->SetInitSize(size.cx, size.cy);
        } else if (is("sizebox")) {
            pm->SetSizeBox(pm->Scale(ParseRect(value, 0, kMax)));
        } else if (is("caption")) {
            pm->SetCaptionRect(pm->Scale(ParseRect(value, -kMax, kMax)));
        } else if (is("roundcorner")) {
            const SIZE size = pm->Scale(ParseSize(value, 0, kMax));
            pm->SetRoundCorner(size.cx, size.cy);
        } else if (is("mininfo")) {
            const SIZE size = pm->Scale(ParseSize(value, 0, kMax));
            pm->SetMinInfo(size.cx, size.cy);
        } else if (is("maxinfo")) {
            const SIZE size = pm->Scale(ParseSize(value, 0, kMax));
            pm->SetMaxInfo(size.cx, size.cy);
        } else if (is("showdirty")) {
            pm->SetShowUpdateRect(ParseBool(value));
        } else if (is("opacity") || is("alpha")) {
            pm->SetOpacity(BYTE(ParseInt(value, 0, 255)));
        } else if (name == "layeredopacity") {
            pm->SetLayeredOpacity(BYTE(ParseInt(value, 0, 255)));
        } else if (name == "layered" || name == "bktrans") {
            pm->SetLayered(ParseBool(value));
        } else if (name == "layeredimage") {
            pm->SetLayered(true);
            pm->SetLayeredImage(value);
        } else if (name == "noactivate") {
            pm->SetNoActivate(ParseBool(value));
        } else if (is("disabledfontcolor")) {
            pm->SetDefaultDisabledColor(ParseColor(value));
        } else if (is("defaultfontcolor")) {
            pm->SetDefaultFontColor(ParseColor(value));
        } else if (is("linkfontcolor")) {
            pm->SetDefaultLinkFontColor(ParseColor(value));
        } else if (is("linkhoverfontcolor")) {
            pm->SetDefaultLinkHoverFontColor(ParseColor(value));
        } else if (is("selectedcolor")) {
            pm->SetDefaultSelectedBkColor(ParseColor(value));
        } else if (is("shadowsize")) {
            pm->SetShadowSize(ParseInt(value, 0, 255));
        } else if (is("shadowsharpness")) {
            pm->SetShadowSharpness(ParseInt(value, 0, 255));
        } else if (is("shadowdarkness")) {
            pm->SetShadowDarkness(ParseInt(value, 0, 255));
        } else if (is("shadowposition")) {
            const SIZE offset = ParseSize(value, -255, 255);
            pm->SetShadowPosition(offset.cx, offset.cy);
        } else if (is("shadowcolor")) {
            pm->SetShadowColor(ParseColor(value));
        } else if (is("shadowcorner")) {
            pm->SetShadowCorner(ParseRect(value, 0, kMax));
        } else if (is("shadowimage")) {
            pm->SetShadowImage(value);
        } else if (is("showshadow")) {
            pm->ShowShadow(ParseBool(value));
        } else if (is("gdiplustext")) {
            pm->SetUseGdiplusText(ParseBool(value));
        } else if (is("textrenderinghint")) {
            pm->SetGdiplusTextRenderingHint(ParseInt(value, 0, 5));
        } else if (is("tooltiphovertime")) {
            pm->SetHoverTime(ParseInt(value, 0, 60000));
        }
    }
}

CControlUI* CDialogBuilder::CreateControlFor(const char* tag) {
    CControlUI* control =
        CControlFactory::GetInstance()->CreateControl(std::string("C") + tag + "UI");
    if (!control && m_pCallback)
        control = m_pCallback->CreateControl(tag);
    return control;
}

// Builds an Include element's source into pParent, "count" times. Returns the first control
// built when there is no parent to own it (the caller keeps or destroys it).
CControlUI* CDialogBuilder::Include(CMarkupNode& node, CControlUI* pParent,
                                    CPaintManagerUI* pManager) {
    if (!node.HasAttributes())
        return nullptr;
    const char* sourceText = node.GetAttributeValue("source");
    if (!sourceText || !*sourceText)
        return nullptr;
    std::string source(sourceText);
    if (source.size() > 499)
        source.resize(499);
    const char* countText = node.GetAttributeValue("count");
    const int count = countText ? uiparse::ParseInt(countText, 0, kMaxIncludeCount) : 1;

    CControlUI* first = nullptr;
    for (int i = 0; i < count; ++i) {
        if (g_includedDocuments >= kMaxIncludedDocuments)
            break;
        ++g_includedDocuments;
        CDialogBuilder builder;
        builder.SetInstance(m_instance);
        CControlUI* built = nullptr;
        if (!m_type.empty()) {
            const unsigned long number = ResourceNumber(source);
            if (number == 0)
                break;
            built =
                builder.Create(STRINGorID(number), m_type.c_str(), m_pCallback, pManager, pParent);
        } else {
            built = builder.Create(source.c_str(), nullptr, m_pCallback, pManager, pParent);
        }
        if (!built)
            break; // a missing or too deeply nested source gives nothing the next time either
        if (!pParent) {
            if (!first)
                first = built;
            else
                delete built;
        }
    }
    return first;
}

CControlUI* CDialogBuilder::Parse(CMarkupNode* pRoot, CControlUI* pParent,
                                  CPaintManagerUI* pManager) {
    IContainerUI* pContainer = nullptr;
    CControlUI* pReturn = nullptr;
    for (CMarkupNode node = pRoot->GetChild(); node.IsValid(); node = node.GetSibling()) {
        const char* tag = node.GetName();
        if (IsResourceTag(tag))
            continue;

        if (EqualsNoCase(tag, "Include")) {
            CControlUI* included = Include(node, pParent, pManager);
            if (included && !pReturn)
                pReturn = included;
            else
                delete included;
            continue;
        }

        CControlUI* pControl = CreateControlFor(tag);
        if (!pControl)
            continue; // no class: the element and its subtree are dropped
        if (node.HasChildren())
            Parse(&node, pControl, pManager);

        // Where the control goes: tree nodes into tree nodes or a tree view, other children of
        // a tree node into its row container, everything else into the parent container.
        IContainerUI* target = nullptr;
        bool inTree = false;
        if (pParent) {
            auto* pParentNode = static_cast<CTreeNodeUI*>(pParent->GetInterface("TreeNode"));
            const bool parentIsView = pParent->GetInterface("TreeView") != nullptr;
            if (pControl->GetInterface("TreeNode") != nullptr) {
                if (pParentNode || parentIsView)
                    target = static_cast<IContainerUI*>(pParent->GetInterface("IContainer"));
                if (!target) {
                    delete pControl;
                    continue;
                }
                inTree = true;
            } else if (pParentNode) {
                target = pParentNode->GetItemContainer();
            } else {
                if (!pContainer)
                    pContainer = static_cast<IContainerUI*>(pParent->GetInterface("IContainer"));
                if (!pContainer) {
                    delete pControl;
                    return nullptr;
                }
                target = pContainer;
            }
        }
        // A parent that is already part of this manager's tree initialises what it receives at
        // once. Such a control gets its attributes first and joins the tree last, so that its
        // name reaches the manager and a live tree is never detached again.
        const bool addLast = target && !inTree && pManager && pParent->GetManager() == pManager;
        if (target && !addLast && !target->Add(pControl)) {
            delete pControl;
            continue;
        }

        // Attributes are applied with the manager attached, so that styles, default lists,
        // fonts and images are found; tree items stay attached (and initialised).
        if (pManager) {
            pControl->SetManager(pManager, pControl->GetParent(), inTree);
            const std::string defaults = pManager->GetDefaultAttributeList(tag);
            if (!defaults.empty())
                pControl->ApplyAttributeList(defaults);
        }
        const int count = node.GetAttributeCount();
        for (int i = 0; i < count; ++i)
            pControl->ApplyAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
        if (pManager && !inTree)
            pControl->SetManager(nullptr, pControl->GetParent(), false);
        if (addLast && !target->Add(pControl)) {
            delete pControl;
            continue;
        }

        if (!pReturn) {
            pReturn = pControl;
        } else if (!pParent) {
            // Without a parent only the first top-level control has an owner (the caller).
            delete pControl;
        }
    }
    return pReturn;
}

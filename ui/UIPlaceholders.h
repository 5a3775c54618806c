// Stand-ins for the control classes of the skin vocabulary that are not written yet.
//
// Every class a skin may name (see CControlFactory) must exist so that the builder can create
// it. Until its real implementation is written, a class here is a plain control or container
// with the right name, base class, GetClass string and own interface name, so that skins
// build, lay out and paint (background, border, text) and casts to the class stay valid.
//
// Each family of stand-ins below is used only while the header of its real classes does not
// exist: as soon as, say, ui/UIButton.h is there, it is included instead and must define
// CButtonUI, COptionUI and CCheckBoxUI (the classes of its block below). So every file that
// includes this one sees the same classes, and a family header that lacks one of its classes, or a
// class defined twice, is a compile error rather than a silent mix-up. The factory
// (UIDlgBuilder.cpp) includes this file only; a real class needs no other change to be built from
// skins.
#pragma once

#include "ui/UIBase.h"
#include "ui/UIContainer.h"
#include "ui/UIDlgBuilder.h"

// A stand-in: answers its class string and its own interface name, else what its base does.
#define UI_PLACEHOLDER_CLASS(Class, Base, ClassString, InterfaceName)                              \
    class Class : public Base {                                                                    \
    public:                                                                                        \
        const char* GetClass() const override { return ClassString; }                              \
        LPVOID GetInterface(const std::string& name) override {                                    \
            if (uiparse::EqualsNoCase(name, InterfaceName))                                        \
                return this;                                                                       \
            return Base::GetInterface(name);                                                       \
        }                                                                                          \
    }

// ---- Layouts ---------------------------------------------------------------------------------

#if __has_include("ui/UILayout.h")
#include "ui/UILayout.h"
#else
UI_PLACEHOLDER_CLASS(CVerticalLayoutUI, CContainerUI, "VerticalLayoutUI", "VerticalLayout");
UI_PLACEHOLDER_CLASS(CHorizontalLayoutUI, CContainerUI, "HorizontalLayoutUI", "HorizontalLayout");
UI_PLACEHOLDER_CLASS(CTileLayoutUI, CContainerUI, "TileLayoutUI", "TileLayout");
UI_PLACEHOLDER_CLASS(CTabLayoutUI, CContainerUI, "TabLayoutUI", "TabLayout");
UI_PLACEHOLDER_CLASS(CAnimationTabLayoutUI, CTabLayoutUI, "AnimationTabLayoutUI",
                     "AnimationTabLayout");

// The child layout already does its one job: at Init it builds the skin file named by
// "xmlfile" into itself. Nested child layouts are capped by CDialogBuilder::NestingScope, so
// a file that names itself ends after a few levels instead of recursing for ever; the real
// class must keep that scope around its build.
class CChildLayoutUI : public CContainerUI {
public:
    const char* GetClass() const override { return "ChildLayoutUI"; }
    LPVOID GetInterface(const std::string& name) override {
        if (uiparse::EqualsNoCase(name, "ChildLayout"))
            return this;
        return CContainerUI::GetInterface(name);
    }
    void SetAttribute(const std::string& name, const std::string& value) override {
        // A value naming a style is the base's business, whatever the attribute.
        const bool isStyle = m_pManager != nullptr && m_pManager->HasStyle(value);
        if (!isStyle && uiparse::EqualsNoCase(name, "xmlfile"))
            SetChildLayoutXML(value);
        else
            CContainerUI::SetAttribute(name, value);
    }
    void SetChildLayoutXML(const std::string& file) { m_sXMLFile = file; }
    const std::string& GetChildLayoutXML() const { return m_sXMLFile; }
    void DoInit() override {
        if (m_sXMLFile.empty())
            return;
        CDialogBuilder::NestingScope scope;
        CControlUI* child = nullptr;
        if (!scope.IsTooDeep()) {
            CDialogBuilder builder;
            child = builder.Create(m_sXMLFile.c_str(), nullptr, nullptr, m_pManager, nullptr);
        }
        if (child == nullptr || !Add(child)) {
            delete child;
            RemoveAll();
        }
    }

private:
    std::string m_sXMLFile;
};
#endif

// ---- Labels and text ---------------------------------------------------------------------------

#if __has_include("ui/UILabel.h")
#include "ui/UILabel.h"
#else
UI_PLACEHOLDER_CLASS(CLabelUI, CControlUI, "LabelUI", "Label");
UI_PLACEHOLDER_CLASS(CTextUI, CLabelUI, "TextUI", "Text");
UI_PLACEHOLDER_CLASS(CGroupBoxUI, CVerticalLayoutUI, "GroupBoxUI", "GroupBox");
#endif

// ---- Buttons and options -----------------------------------------------------------------------

#if __has_include("ui/UIButton.h")
#include "ui/UIButton.h"
#else
UI_PLACEHOLDER_CLASS(CButtonUI, CLabelUI, "ButtonUI", "Button");
UI_PLACEHOLDER_CLASS(COptionUI, CButtonUI, "OptionUI", "Option");
UI_PLACEHOLDER_CLASS(CCheckBoxUI, COptionUI, "CheckBoxUI", "CheckBox");
#endif

// ---- Text entry --------------------------------------------------------------------------------

#if __has_include("ui/UIEdit.h")
#include "ui/UIEdit.h"
#else
UI_PLACEHOLDER_CLASS(CEditUI, CLabelUI, "EditUI", "Edit");
#endif

#if __has_include("ui/UIRichEdit.h")
#include "ui/UIRichEdit.h"
#else
UI_PLACEHOLDER_CLASS(CRichEditUI, CContainerUI, "RichEdit", "RichEdit");
#endif

// ---- Combos ------------------------------------------------------------------------------------

#if __has_include("ui/UICombo.h")
#include "ui/UICombo.h"
#else
UI_PLACEHOLDER_CLASS(CComboUI, CContainerUI, "ComboUI", "Combo");
UI_PLACEHOLDER_CLASS(CComboBoxUI, CComboUI, "ComboBoxUI", "ComboBox");
#endif

// ---- Scroll bar --------------------------------------------------------------------------------

#if __has_include("ui/UIScrollBar.h")
#include "ui/UIScrollBar.h"
#else
UI_PLACEHOLDER_CLASS(CScrollBarUI, CControlUI, "ScrollBarUI", "ScrollBar");
#endif

// ---- Lists -------------------------------------------------------------------------------------

#if __has_include("ui/UIList.h")
#include "ui/UIList.h"
#else
UI_PLACEHOLDER_CLASS(CListUI, CVerticalLayoutUI, "ListUI", "List");
UI_PLACEHOLDER_CLASS(CListHeaderUI, CHorizontalLayoutUI, "ListHeaderUI", "ListHeader");
UI_PLACEHOLDER_CLASS(CListHeaderItemUI, CContainerUI, "ListHeaderItemUI", "ListHeaderItem");
UI_PLACEHOLDER_CLASS(CListElementUI, CControlUI, "ListElementUI", "ListElement");
UI_PLACEHOLDER_CLASS(CListLabelElementUI, CListElementUI, "ListLabelElementUI", "ListLabelElement");
UI_PLACEHOLDER_CLASS(CListTextElementUI, CListLabelElementUI, "ListTextElementUI",
                     "ListTextElement");
UI_PLACEHOLDER_CLASS(CListContainerElementUI, CHorizontalLayoutUI, "ListContainerElementUI",
                     "ListContainerElement");
#endif

// ---- Classes a skin may name but this program does not use -------------------------------------
// These keep the plain control or container behaviour (of their base) for good. A family header
// above that defines one of them makes its line here a redefinition: delete the line then.

UI_PLACEHOLDER_CLASS(CFadeButtonUI, CButtonUI, "FadeButtonUI", "FadeButton");
UI_PLACEHOLDER_CLASS(CListExUI, CListUI, "ListExUI", "ListEx");
UI_PLACEHOLDER_CLASS(CListContainerHeaderItemUI, CHorizontalLayoutUI, "ListContainerHeaderItemUI",
                     "ListContainerHeaderItem");
UI_PLACEHOLDER_CLASS(CListTextExtElementUI, CListLabelElementUI, "ListTextExtElementUI",
                     "ListTextExtElement");
UI_PLACEHOLDER_CLASS(CTreeViewUI, CListUI, "TreeViewUI", "TreeView");

// A tree node keeps the controls of its row in an inner item container; the builder puts
// every child element that is not itself a tree node there (GetItemContainer).
class CTreeNodeUI : public CListContainerElementUI {
public:
    const char* GetClass() const override { return "TreeNodeUI"; }
    LPVOID GetInterface(const std::string& name) override {
        if (uiparse::EqualsNoCase(name, "TreeNode"))
            return this;
        return CListContainerElementUI::GetInterface(name);
    }
    virtual IContainerUI* GetItemContainer() { return this; }
};

UI_PLACEHOLDER_CLASS(CProgressUI, CLabelUI, "ProgressUI", "Progress");
UI_PLACEHOLDER_CLASS(CSliderUI, CProgressUI, "SliderUI", "Slider");
UI_PLACEHOLDER_CLASS(CDateTimeUI, CLabelUI, "DateTimeUI", "DateTime");
UI_PLACEHOLDER_CLASS(CIPAddressUI, CLabelUI, "IPAddressUI", "IPAddress");
UI_PLACEHOLDER_CLASS(CIPAddressExUI, CEditUI, "IPAddressExUI", "IPAddressEx");
UI_PLACEHOLDER_CLASS(CHotKeyUI, CLabelUI, "HotKeyUI", "HotKey");
UI_PLACEHOLDER_CLASS(CGifAnimUI, CControlUI, "GifAnimUI", "GifAnim");
UI_PLACEHOLDER_CLASS(CRollTextUI, CLabelUI, "RollTextUI", "RollText");
UI_PLACEHOLDER_CLASS(CRingUI, CLabelUI, "RingUI", "Ring");
UI_PLACEHOLDER_CLASS(CColorPaletteUI, CControlUI, "ColorPaletteUI", "ColorPalette");
UI_PLACEHOLDER_CLASS(CActiveXUI, CControlUI, "ActiveXUI", "ActiveX");
UI_PLACEHOLDER_CLASS(CWebBrowserUI, CActiveXUI, "WebBrowserUI", "WebBrowser");
UI_PLACEHOLDER_CLASS(CFlashUI, CActiveXUI, "FlashUI", "Flash");
UI_PLACEHOLDER_CLASS(CMenuUI, CListUI, "MenuUI", "Menu");
UI_PLACEHOLDER_CLASS(CMenuElementUI, CListContainerElementUI, "MenuElementUI", "MenuElement");

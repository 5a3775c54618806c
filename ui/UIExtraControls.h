// Classes a skin may name that this program does not use: each keeps the plain control or
// container behaviour of its base (it lays out and paints background, border and text) and
// answers its own class string and interface name, so that such skins still build.
#pragma once

#include "ui/UIButton.h"
#include "ui/UIEdit.h"
#include "ui/UILabel.h"
#include "ui/UILayout.h"
#include "ui/UIList.h"

// A plain class: answers its class string and its own interface name, else what its base does.
#define UI_PLAIN_CONTROL_CLASS(Class, Base, ClassString, InterfaceName)                            \
    class Class : public Base {                                                                    \
    public:                                                                                        \
        const char* GetClass() const override { return ClassString; }                              \
        LPVOID GetInterface(const std::string& name) override {                                    \
            return InterfaceOf<Base>(this, name, InterfaceName);                                   \
        }                                                                                          \
    }

UI_PLAIN_CONTROL_CLASS(CFadeButtonUI, CButtonUI, "FadeButtonUI", "FadeButton");
UI_PLAIN_CONTROL_CLASS(CListExUI, CListUI, "ListExUI", "ListEx");
UI_PLAIN_CONTROL_CLASS(CListContainerHeaderItemUI, CHorizontalLayoutUI, "ListContainerHeaderItemUI",
                     "ListContainerHeaderItem");
UI_PLAIN_CONTROL_CLASS(CListTextExtElementUI, CListLabelElementUI, "ListTextExtElementUI",
                     "ListTextExtElement");
UI_PLAIN_CONTROL_CLASS(CTreeViewUI, CListUI, "TreeViewUI", "TreeView");

// A tree node keeps the controls of its row in an inner item container; the builder puts
// every child element that is not itself a tree node there (GetItemContainer).
class CTreeNodeUI : public CListContainerElementUI {
public:
    const char* GetClass() const override { return "TreeNodeUI"; }
    LPVOID GetInterface(const std::string& name) override {
        return InterfaceOf<CListContainerElementUI>(this, name, "TreeNode");
    }
    virtual IContainerUI* GetItemContainer() { return this; }
};

UI_PLAIN_CONTROL_CLASS(CProgressUI, CLabelUI, "ProgressUI", "Progress");
UI_PLAIN_CONTROL_CLASS(CSliderUI, CProgressUI, "SliderUI", "Slider");
UI_PLAIN_CONTROL_CLASS(CDateTimeUI, CLabelUI, "DateTimeUI", "DateTime");
UI_PLAIN_CONTROL_CLASS(CIPAddressUI, CLabelUI, "IPAddressUI", "IPAddress");
UI_PLAIN_CONTROL_CLASS(CIPAddressExUI, CEditUI, "IPAddressExUI", "IPAddressEx");
UI_PLAIN_CONTROL_CLASS(CHotKeyUI, CLabelUI, "HotKeyUI", "HotKey");
UI_PLAIN_CONTROL_CLASS(CGifAnimUI, CControlUI, "GifAnimUI", "GifAnim");
UI_PLAIN_CONTROL_CLASS(CRollTextUI, CLabelUI, "RollTextUI", "RollText");
UI_PLAIN_CONTROL_CLASS(CRingUI, CLabelUI, "RingUI", "Ring");
UI_PLAIN_CONTROL_CLASS(CColorPaletteUI, CControlUI, "ColorPaletteUI", "ColorPalette");
UI_PLAIN_CONTROL_CLASS(CActiveXUI, CControlUI, "ActiveXUI", "ActiveX");
UI_PLAIN_CONTROL_CLASS(CWebBrowserUI, CActiveXUI, "WebBrowserUI", "WebBrowser");
UI_PLAIN_CONTROL_CLASS(CFlashUI, CActiveXUI, "FlashUI", "Flash");
UI_PLAIN_CONTROL_CLASS(CMenuUI, CListUI, "MenuUI", "Menu");
UI_PLAIN_CONTROL_CLASS(CMenuElementUI, CListContainerElementUI, "MenuElementUI", "MenuElement");

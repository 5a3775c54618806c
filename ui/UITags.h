// The element names of skin files that the toolkit itself knows: the window, its resources and
// includes, and every control class it builds (the element <Xxx> builds the class CXxxUI).
// Any other element is left to the window's builder callback (the main window's pages). One
// list for the builder and for readers of skin files that build no controls.
#pragma once

#include <string>

// X(Name) for every control class, in the order the factory registers them.
#define UI_CONTROL_TAGS(X)                                                                        \
    X(Control) X(Container) X(VerticalLayout) X(HorizontalLayout) X(TileLayout) X(TabLayout)     \
    X(AnimationTabLayout) X(ChildLayout) X(Label) X(Text) X(Button) X(Option) X(CheckBox)        \
    X(FadeButton) X(Edit) X(RichEdit) X(Combo) X(ComboBox) X(GroupBox) X(List) X(ListHeader)     \
    X(ListHeaderItem) X(ListLabelElement) X(ListTextElement) X(ListContainerElement) X(ListEx)   \
    X(ListContainerHeaderItem) X(ListTextExtElement) X(TreeView) X(TreeNode) X(ScrollBar)        \
    X(Progress) X(Slider) X(DateTime) X(IPAddress) X(IPAddressEx) X(HotKey) X(GifAnim)           \
    X(RollText) X(Ring) X(ColorPalette) X(ActiveX) X(WebBrowser) X(Flash) X(Menu)                \
    X(MenuElement)

// The window's resources: <Image>, <Font>, <Default>, <Style>, <Import> (any letter case).
bool IsResourceTag(const std::string& tag);
// A control class, a resource, <Window> or <Include> (any letter case, as the builder takes
// them).
bool IsToolkitTag(const std::string& tag);

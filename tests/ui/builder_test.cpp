// The dialog builder under Wine: skins build into the expected tree of controls, unknown tags
// reach the callback, includes, styles, default lists, fonts and window settings reach the
// manager, and bad skins (missing, malformed, recursive) build nothing or stop.
#include "ui/UITags.h"
#include "ui/UIDlgBuilder.h"
#include "ui/UIControls.h"
#include "ui/UIResource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/wintest.h"

namespace {

// Resource numbers of the skins compiled into this test (builder_test.rc).
constexpr unsigned kResourceSkin = 200;

class BuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = wintest::ScratchDir() + "\\builder_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(folder_.c_str(), nullptr);
        CPaintManagerUI::SetResourcePath(folder_);
        CPaintManagerUI::SetInstance(GetModuleHandleA(nullptr));
    }
    void TearDown() override { CPaintManagerUI::SetResourcePath(""); }

    void Write(const std::string& name, const std::string& text) {
        wintest::WriteFileText(folder_ + "\\" + name, text);
    }

    std::string folder_;
};

// A top-level native window for a paint manager.
class TestWindow {
public:
    TestWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "UiBuilderTestWindow";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowA("UiBuilderTestWindow", "builder", WS_OVERLAPPEDWINDOW, 40, 50, 300,
                              200, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~TestWindow() { DestroyWindow(hwnd_); }
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

IContainerUI* AsContainer(CControlUI* control) {
    return control ? static_cast<IContainerUI*>(control->GetInterface("IContainer")) : nullptr;
}

// Class strings of a container's children, in order.
std::vector<std::string> ChildClasses(CControlUI* control) {
    std::vector<std::string> classes;
    IContainerUI* container = AsContainer(control);
    for (int i = 0; container && i < container->GetCount(); ++i)
        classes.push_back(container->GetItemAt(i)->GetClass());
    return classes;
}

std::vector<std::string> ChildNames(CControlUI* control) {
    std::vector<std::string> names;
    IContainerUI* container = AsContainer(control);
    for (int i = 0; container && i < container->GetCount(); ++i)
        names.push_back(container->GetItemAt(i)->GetName());
    return names;
}

// Records the tags it is asked for; makes a container for "Page" tags.
class RecordingCallback : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const char* pstrClass) override {
        asked.push_back(pstrClass);
        if (std::string(pstrClass) == "MyPage")
            return new CContainerUI;
        return nullptr;
    }
    std::vector<std::string> asked;
};

} // namespace

TEST(ControlFactory, KnowsEveryClassOfTheVocabulary) {
    struct Entry {
        const char* tag;
        const char* className;
    } entries[] = {
        {"Control", "ControlUI"},
        {"Container", "ContainerUI"},
        {"VerticalLayout", "VerticalLayoutUI"},
        {"HorizontalLayout", "HorizontalLayoutUI"},
        {"TileLayout", "TileLayoutUI"},
        {"TabLayout", "TabLayoutUI"},
        {"AnimationTabLayout", "AnimationTabLayoutUI"},
        {"ChildLayout", "ChildLayoutUI"},
        {"Label", "LabelUI"},
        {"Text", "TextUI"},
        {"Button", "ButtonUI"},
        {"Option", "OptionUI"},
        {"CheckBox", "CheckBoxUI"},
        {"FadeButton", "FadeButtonUI"},
        {"Edit", "EditUI"},
        {"RichEdit", "RichEdit"},
        {"Combo", "ComboUI"},
        {"ComboBox", "ComboBoxUI"},
        {"GroupBox", "GroupBoxUI"},
        {"List", "ListUI"},
        {"ListHeader", "ListHeaderUI"},
        {"ListHeaderItem", "ListHeaderItemUI"},
        {"ListLabelElement", "ListLabelElementUI"},
        {"ListTextElement", "ListTextElementUI"},
        {"ListContainerElement", "ListContainerElementUI"},
        {"ListEx", "ListExUI"},
        {"ListContainerHeaderItem", "ListContainerHeaderItemUI"},
        {"ListTextExtElement", "ListTextExtElementUI"},
        {"TreeView", "TreeViewUI"},
        {"TreeNode", "TreeNodeUI"},
        {"ScrollBar", "ScrollBarUI"},
        {"Progress", "ProgressUI"},
        {"Slider", "SliderUI"},
        {"DateTime", "DateTimeUI"},
        {"IPAddress", "IPAddressUI"},
        {"IPAddressEx", "IPAddressExUI"},
        {"HotKey", "HotKeyUI"},
        {"GifAnim", "GifAnimUI"},
        {"RollText", "RollTextUI"},
        {"Ring", "RingUI"},
        {"ColorPalette", "ColorPaletteUI"},
        {"ActiveX", "ActiveXUI"},
        {"WebBrowser", "WebBrowserUI"},
        {"Flash", "FlashUI"},
        {"Menu", "MenuUI"},
        {"MenuElement", "MenuElementUI"},
    };
    CControlFactory* factory = CControlFactory::GetInstance();
    EXPECT_GE(factory->GetCount(), 46u);
    for (const Entry& e : entries) {
        CControlUI* control = factory->CreateControl(std::string("C") + e.tag + "UI");
        ASSERT_NE(control, nullptr) << e.tag;
        EXPECT_STREQ(control->GetClass(), e.className);
        EXPECT_EQ(control->GetInterface(e.tag), control) << e.tag;
        EXPECT_EQ(control->GetInterface("Control"), control);
        // Readers of skin files that build nothing know the same element names.
        EXPECT_TRUE(IsToolkitTag(e.tag)) << e.tag;
        delete control;
    }
    EXPECT_EQ(factory->GetCount(), std::size(entries));
    for (const char* tag :
         {"Window", "Include", "Font", "image", "Default", "Style", "Import", "button"})
        EXPECT_TRUE(IsToolkitTag(tag)) << tag;
    for (const char* tag : {"WorkTab", "Serial port", "MyPage", ""})
        EXPECT_FALSE(IsToolkitTag(tag)) << tag;
    // Case does not matter; unknown names give nothing; the first registration stays.
    CControlUI* lower = factory->CreateControl("cbuttonui");
    ASSERT_NE(lower, nullptr);
    EXPECT_STREQ(lower->GetClass(), "ButtonUI");
    delete lower;
    EXPECT_EQ(factory->CreateControl("CNoSuchThingUI"), nullptr);
    EXPECT_FALSE(factory->RegistControl("CButtonUI", [] { return new CControlUI(); }));
    CControlUI* still = factory->CreateControl("CButtonUI");
    EXPECT_STREQ(still->GetClass(), "ButtonUI");
    delete still;
    // Base classes answer through the derived ones.
    CControlUI* check = factory->CreateControl("CCheckBoxUI");
    EXPECT_NE(check->GetInterface("Option"), nullptr);
    EXPECT_NE(check->GetInterface("Button"), nullptr);
    EXPECT_NE(check->GetInterface("Label"), nullptr);
    EXPECT_EQ(check->GetInterface("IContainer"), nullptr);
    delete check;
    CControlUI* list = factory->CreateControl("CListUI");
    EXPECT_NE(list->GetInterface("VerticalLayout"), nullptr);
    EXPECT_NE(list->GetInterface("IContainer"), nullptr);
    delete list;
}

TEST_F(BuilderTest, SkinBuildsIntoTheExpectedTree) {
    Write("tree.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<Window size=\"400,300\">\n"
                      "  <Font id=\"0\" name=\"Arial\" size=\"13\"/>\n"
                      "  <VerticalLayout name=\"body\" bkcolor=\"#FF102030\">\n"
                      "    <HorizontalLayout name=\"row\" height=\"30\">\n"
                      "      <Label name=\"caption\" text=\"Port{\\n}name\" width=\"80\"/>\n"
                      "      <button name=\"open\" text=\"Open\" pos=\"10,20,110,50\"/>\n"
                      "      <Button name=\"close\" myflag=\"yes\"/>\n"
                      "    </HorizontalLayout>\n"
                      "    <Control name=\"gap\"/>\n"
                      "  </VerticalLayout>\n"
                      "  <Label name=\"second\"/>\n"
                      "</Window>\n");
    CDialogBuilder builder;
    CContainerUI parent;
    CControlUI* body = builder.Create("tree.xml", nullptr, nullptr, nullptr, &parent);
    ASSERT_NE(body, nullptr) << builder.GetLastErrorMessage();
    EXPECT_EQ(body->GetName(), "body");
    EXPECT_STREQ(body->GetClass(), "VerticalLayoutUI");
    EXPECT_EQ(body->GetBkColor(), 0xFF102030u);
    EXPECT_EQ(ChildNames(&parent), (std::vector<std::string>{"body", "second"}));
    EXPECT_EQ(ChildClasses(body), (std::vector<std::string>{"HorizontalLayoutUI", "ControlUI"}));

    CControlUI* row = AsContainer(body)->GetItemAt(0);
    EXPECT_EQ(row->GetFixedHeight(), 30);
    EXPECT_EQ(ChildNames(row), (std::vector<std::string>{"caption", "open", "close"}));
    EXPECT_EQ(ChildClasses(row), (std::vector<std::string>{"LabelUI", "ButtonUI", "ButtonUI"}));

    CControlUI* caption = AsContainer(row)->GetItemAt(0);
    EXPECT_EQ(caption->GetText(), "Port\nname");
    EXPECT_EQ(caption->GetFixedWidth(), 80);
    CControlUI* open = AsContainer(row)->GetItemAt(1);
    EXPECT_EQ(open->GetText(), "Open");
    EXPECT_EQ(open->GetFixedXY().cx, 10);
    EXPECT_EQ(open->GetFixedXY().cy, 20);
    EXPECT_EQ(open->GetFixedWidth(), 100);
    EXPECT_EQ(open->GetFixedHeight(), 30);
    CControlUI* close = AsContainer(row)->GetItemAt(2);
    EXPECT_EQ(close->GetCustomAttribute("myflag"), "yes");
    EXPECT_EQ(close->GetParent(), row);
    EXPECT_EQ(row->GetParent(), body);

    // A second build from the loaded document gives an independent tree.
    CContainerUI other;
    CControlUI* again = builder.Create(nullptr, nullptr, &other);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, body);
    EXPECT_EQ(ChildNames(&other), (std::vector<std::string>{"body", "second"}));
}

TEST_F(BuilderTest, UnknownTagsGoToTheCallback) {
    const char* skin = "<Window>"
                       "<MyPage name=\"page\"><Label name=\"inside\"/></MyPage>"
                       "<Mystery name=\"gone\"><Label name=\"lost\"/></Mystery>"
                       "<Label name=\"last\"/>"
                       "</Window>";
    RecordingCallback callback;
    CDialogBuilder builder;
    CContainerUI parent;
    CControlUI* first = builder.Create(skin, nullptr, &callback, nullptr, &parent);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(callback.asked, (std::vector<std::string>{"MyPage", "Mystery"}));
    EXPECT_EQ(ChildNames(&parent), (std::vector<std::string>{"page", "last"}));
    EXPECT_EQ(ChildNames(first), (std::vector<std::string>{"inside"}));

    // Without a callback an unknown tag is dropped with its subtree.
    CDialogBuilder plain;
    CContainerUI other;
    plain.Create(skin, nullptr, nullptr, nullptr, &other);
    EXPECT_EQ(ChildNames(&other), (std::vector<std::string>{"last"}));
}

TEST_F(BuilderTest, WithoutAParentTheFirstControlIsTheResult) {
    CDialogBuilder builder;
    CControlUI* first = builder.Create("<Window><Label name=\"a\"/><Label name=\"b\"/></Window>");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetName(), "a");
    delete first;

    // A parent that is not a container ends the level with nothing.
    CControlUI plain;
    EXPECT_EQ(
        builder.Create("<Window><Label name=\"a\"/></Window>", nullptr, nullptr, nullptr, &plain),
        nullptr);
    // Children of a control that is not a container are dropped.
    CControlUI* label = builder.Create("<Window><Label name=\"x\"><Label/></Label></Window>");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetName(), "x");
    delete label;
}

TEST_F(BuilderTest, MissingOrBrokenSkinsBuildNothing) {
    Write("broken.xml", "<Window><Label name=\"a\"></Window>");
    Write("blank.xml", "  <!-- nothing -->  ");
    CDialogBuilder builder;
    CContainerUI parent;
    EXPECT_EQ(builder.Create("missing.xml", nullptr, nullptr, nullptr, &parent), nullptr);
    EXPECT_STREQ(builder.GetLastErrorMessage(), "Error opening file");
    EXPECT_EQ(builder.Create("broken.xml", nullptr, nullptr, nullptr, &parent), nullptr);
    EXPECT_STREQ(builder.GetLastErrorMessage(), "Unmatched closing tag");
    EXPECT_EQ(builder.Create("blank.xml", nullptr, nullptr, nullptr, &parent), nullptr);
    EXPECT_EQ(builder.Create("<Window><Label/>text", nullptr, nullptr, nullptr, &parent), nullptr);
    EXPECT_EQ(parent.GetCount(), 0);
    // Numbers that cannot name a resource are refused, whatever the type.
    EXPECT_EQ(builder.Create(STRINGorID(65536u), "XML"), nullptr);
    EXPECT_EQ(builder.Create(STRINGorID(0x10000000u), "XML"), nullptr);
    EXPECT_EQ(builder.Create(STRINGorID(999u), "XML"), nullptr);
    EXPECT_EQ(builder.Create(STRINGorID(kResourceSkin), nullptr), nullptr);
}

TEST_F(BuilderTest, CompiledInSkinsAndTheirIncludes) {
    CDialogBuilder builder;
    CContainerUI parent;
    CControlUI* first = builder.Create(STRINGorID(kResourceSkin), "XML", nullptr, nullptr, &parent);
    ASSERT_NE(first, nullptr) << builder.GetLastErrorMessage();
    // The resource skin holds a label and includes resource 201 (a button) twice.
    EXPECT_EQ(ChildNames(&parent),
              (std::vector<std::string>{"fromResource", "included", "included"}));
    EXPECT_EQ(ChildClasses(&parent), (std::vector<std::string>{"LabelUI", "ButtonUI", "ButtonUI"}));
}

TEST_F(BuilderTest, IncludesRepeatInOrder) {
    Write("row.xml", "<Window><Label name=\"r1\"/><Button name=\"r2\"/></Window>");
    Write("main.xml", "<Window><VerticalLayout name=\"list\">"
                      "<Include source=\"row.xml\" count=\"3\"/>"
                      "<Include/>"
                      "<Include count=\"2\"/>"
                      "<Include source=\"absent.xml\"/>"
                      "<Include source=\"row.xml\" count=\"-4\"/>"
                      "<Control name=\"end\"/>"
                      "</VerticalLayout></Window>");
    CDialogBuilder builder;
    CControlUI* list = builder.Create("main.xml");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ChildNames(list),
              (std::vector<std::string>{"r1", "r2", "r1", "r2", "r1", "r2", "end"}));
    delete list;
}

TEST_F(BuilderTest, RecursiveIncludesTerminate) {
    // A file that includes itself, and two that include each other, many times over.
    Write("self.xml", "<Window><Label name=\"s\"/>"
                      "<Include source=\"self.xml\" count=\"1000000\"/></Window>");
    Write("a.xml", "<Window><Label name=\"a\"/><Include source=\"b.xml\" count=\"50\"/></Window>");
    Write("b.xml", "<Window><Label name=\"b\"/><Include source=\"a.xml\" count=\"50\"/></Window>");
    for (const char* name : {"self.xml", "a.xml"}) {
        auto start = std::chrono::steady_clock::now();
        CDialogBuilder builder;
        CContainerUI parent;
        ASSERT_NE(builder.Create(name, nullptr, nullptr, nullptr, &parent), nullptr);
        const int count = parent.GetCount();
        EXPECT_GT(count, 1) << name;
        EXPECT_LE(count, CDialogBuilder::kMaxIncludedDocuments + 1) << name;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("recursive include %s: %d controls in %.2f s\n", name, count, seconds);
    }
    // Nesting alone is capped: a chain of self-includes with count 1 stops at the cap.
    Write("chain.xml", "<Window><Label name=\"c\"/><Include source=\"chain.xml\"/></Window>");
    CDialogBuilder builder;
    CContainerUI parent;
    builder.Create("chain.xml", nullptr, nullptr, nullptr, &parent);
    EXPECT_EQ(parent.GetCount(), CDialogBuilder::kMaxNesting);
}

TEST_F(BuilderTest, ResourcesAndWindowSettingsReachTheManager) {
    TestWindow window;
    CPaintManagerUI pm;
    pm.Init(window.hwnd(), "builder");
    Write("window.xml",
          "<Window size=\"800,600\" caption=\"0,0,0,32\" mininfo=\"400,300\" "
          "opacity=\"999\" tooltiphovertime=\"250\" defaultfontcolor=\"#FF112233\" "
          "noactivate=\"true\" Layered=\"true\" unknownthing=\"1\">\n"
          "  <Font name=\"NoId\" size=\"20\"/>\n"
          "  <Font id=\"3\" name=\"Tahoma\" size=\"99999\" bold=\"true\"/>\n"
          "  <Font id=\"-2\" name=\"Negative\"/>\n"
          "  <font id=\"7\" name=\"Courier New\" size=\"15\" default=\"true\"/>\n"
          "  <Image name=\"notanumber\" restype=\"PNG\"/>\n"
          "  <Image name=\"missing.png\"/>\n"
          "  <Import fontfile=\"missing.ttf\"/>\n"
          "  <Default name=\"Button\" value=\"text=&quot;Default&quot; width=&quot;70&quot;\"/>\n"
          "  <Default name=\"Label\" value=\"height=&quot;21&quot;\" shared=\"true\"/>\n"
          "  <Style name=\"red\" value=\"bkcolor=&quot;#FFFF0000&quot; height=&quot;44&quot;\"/>\n"
          "  <Style name=\"loop\" value=\"bkcolor=&quot;loop&quot;\"/>\n"
          "  <VerticalLayout name=\"root\">\n"
          "    <Button name=\"b1\"/>\n"
          "    <Button name=\"b2\" text=\"Own\"/>\n"
          "    <button name=\"b3\"/>\n"
          "    <Label name=\"l1\"/>\n"
          "    <Control name=\"styled\" whatever=\"red\"/>\n"
          "    <Control name=\"looped\" bkcolor=\"loop\"/>\n"
          "  </VerticalLayout>\n"
          "</Window>\n");
    CDialogBuilder builder;
    CControlUI* root = builder.Create("window.xml", nullptr, nullptr, &pm);
    ASSERT_NE(root, nullptr);

    RECT rc;
    GetWindowRect(window.hwnd(), &rc);
    EXPECT_EQ(rc.right - rc.left, 800);
    EXPECT_EQ(rc.bottom - rc.top, 600);
    EXPECT_EQ(rc.left, 40); // resized in place
    EXPECT_EQ(pm.GetCaptionRect().bottom, 32);
    EXPECT_EQ(pm.GetMinInfo().cx, 400);
    EXPECT_EQ(pm.GetOpacity(), 255); // clamped
    EXPECT_EQ(pm.GetHoverTime(), 250);
    EXPECT_EQ(pm.GetDefaultFontColor(), 0xFF112233u);
    EXPECT_TRUE(pm.IsNoActivate());
    EXPECT_FALSE(pm.IsLayered()); // "layered" is matched case-sensitively

    EXPECT_EQ(pm.GetFontInfo(3)->sFontName, "Tahoma");
    EXPECT_TRUE(pm.GetFontInfo(3)->bBold);
    EXPECT_LE(pm.GetFontInfo(3)->iSize, 1000);
    EXPECT_EQ(pm.GetDefaultFontInfo()->sFontName, "Courier New");
    EXPECT_EQ(pm.GetDefaultFontInfo()->iSize, 15);
    EXPECT_EQ(pm.GetImage("notanumber"), nullptr);
    EXPECT_EQ(pm.GetImage("missing.png"), nullptr);
    EXPECT_EQ(pm.GetDefaultAttributeList("Button"), "text=\"Default\" width=\"70\"");
    EXPECT_TRUE(pm.HasStyle("red"));

    auto find = [&](const char* name) { return pm.FindSubControlByName(root, name); };
    // The manager's name map fills only when the tree is attached; search the tree instead.
    ASSERT_NE(find("b1"), nullptr);
    EXPECT_EQ(find("b1")->GetText(), "Default");
    EXPECT_EQ(find("b1")->GetFixedWidth(), 70);
    EXPECT_EQ(find("b2")->GetText(), "Own");
    EXPECT_EQ(find("b2")->GetFixedWidth(), 70);
    EXPECT_EQ(find("b3")->GetText(), ""); // default lists are keyed by the tag as written
    EXPECT_EQ(find("l1")->GetFixedHeight(), 21);
    EXPECT_EQ(find("styled")->GetBkColor(), 0xFFFF0000u);
    EXPECT_EQ(find("styled")->GetFixedHeight(), 44);
    EXPECT_EQ(find("looped")->GetBkColor(), 0u);
    // Built controls are detached again until the tree is attached.
    EXPECT_EQ(find("b1")->GetManager(), nullptr);

    ASSERT_TRUE(pm.AttachDialog(root));
    EXPECT_EQ(pm.FindControl("b2"), find("b2"));
    EXPECT_EQ(find("b2")->GetManager(), &pm);
}

TEST_F(BuilderTest, ChildLayoutsThatNameThemselvesStop) {
    TestWindow window;
    CPaintManagerUI pm;
    pm.Init(window.hwnd(), "child");
    Write("child.xml", "<Window><ChildLayout name=\"inner\" xmlfile=\"child.xml\"/></Window>");
    Write("leaf.xml", "<Window><Label name=\"leaf\"/></Window>");
    CDialogBuilder builder;
    CControlUI* root = builder.Create("<Window><VerticalLayout>"
                                      "<ChildLayout name=\"top\" xmlfile=\"child.xml\"/>"
                                      "<ChildLayout name=\"ok\" xmlfile=\"leaf.xml\"/>"
                                      "<ChildLayout name=\"none\" xmlfile=\"absent.xml\"/>"
                                      "</VerticalLayout></Window>",
                                      nullptr, nullptr, &pm);
    ASSERT_NE(root, nullptr);
    ASSERT_TRUE(pm.AttachDialog(root));

    int depth = 0;
    CControlUI* layout = pm.FindSubControlByName(root, "top");
    while (layout && AsContainer(layout)->GetCount() > 0) {
        layout = AsContainer(layout)->GetItemAt(0);
        ++depth;
    }
    EXPECT_GE(depth, 2);
    EXPECT_LE(depth, CDialogBuilder::kMaxNesting);
    CControlUI* ok = pm.FindSubControlByName(root, "ok");
    EXPECT_EQ(ChildNames(ok), (std::vector<std::string>{"leaf"}));
    EXPECT_NE(pm.FindControl("leaf"), nullptr);
    EXPECT_EQ(AsContainer(pm.FindSubControlByName(root, "none"))->GetCount(), 0);
}

TEST_F(BuilderTest, TreeNodesGoIntoTreesOnly) {
    CDialogBuilder builder;
    CContainerUI parent;
    builder.Create("<Window>"
                   "<TreeView name=\"tree\"><TreeNode name=\"n1\"><TreeNode name=\"n2\"/>"
                   "<Label name=\"rowlabel\"/></TreeNode></TreeView>"
                   "<VerticalLayout name=\"plain\"><TreeNode name=\"stray\"/></VerticalLayout>"
                   "</Window>",
                   nullptr, nullptr, nullptr, &parent);
    ASSERT_EQ(parent.GetCount(), 2);
    CControlUI* tree = parent.GetItemAt(0);
    EXPECT_EQ(ChildNames(tree), (std::vector<std::string>{"n1"}));
    EXPECT_EQ(ChildNames(AsContainer(tree)->GetItemAt(0)),
              (std::vector<std::string>{"n2", "rowlabel"}));
    EXPECT_EQ(AsContainer(parent.GetItemAt(1))->GetCount(), 0);
}

// Figures only: how long a skin of 1000 controls takes to build (no assertion on time).
TEST_F(BuilderTest, BuildTimeOfAThousandControls) {
    std::string skin = "<Window size=\"1400,800\"><Default name=\"Button\" value=\"height=&quot;"
                       "24&quot;\"/><VerticalLayout name=\"root\">";
    for (int row = 0; row < 100; ++row) {
        skin += "<HorizontalLayout height=\"26\">";
        for (int i = 0; i < 9; ++i)
            skin += "<Button name=\"b" + std::to_string(row * 9 + i) +
                    "\" text=\"Button\" bkcolor=\"#FFE0E0E0\" bordersize=\"1\"/>";
        skin += "</HorizontalLayout>";
    }
    skin += "</VerticalLayout></Window>";
    Write("thousand.xml", skin);

    TestWindow window;
    CPaintManagerUI pm;
    pm.Init(window.hwnd(), "bench");
    const int runs = 10;
    double total = 0;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        CDialogBuilder builder;
        CControlUI* root = builder.Create("thousand.xml", nullptr, nullptr, &pm);
        total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count();
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(AsContainer(root)->GetCount(), 100);
        delete root;
    }
    std::printf("build of a 1000-control skin file (%zu bytes): %.2f ms on average\n", skin.size(),
                total / runs);
}

#ifdef ORVEL_SKIN_DIR
// Every layout file of the program's English skin builds into a tree with a manager attached;
// the page tags of "skin.xml" go to the callback as in the program.
TEST_F(BuilderTest, TheProgramSkinFilesBuild) {
    class PageCallback : public IDialogBuilderCallback {
    public:
        CControlUI* CreateControl(const char* pstrClass) override {
            pages.push_back(pstrClass);
            return new CContainerUI;
        }
        std::vector<std::string> pages;
    };
    CPaintManagerUI::SetResourcePath(ORVEL_SKIN_DIR);
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(ORVEL_SKIN_DIR "\\*.xml", &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        files.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_GE(files.size(), 10u);

    for (const std::string& file : files) {
        TestWindow window;
        CPaintManagerUI pm;
        pm.Init(window.hwnd(), file.c_str());
        PageCallback callback;
        CDialogBuilder builder;
        CControlUI* root = builder.Create(file.c_str(), nullptr, &callback, &pm);
        ASSERT_NE(root, nullptr) << file << ": " << builder.GetLastErrorMessage() << " at "
                                 << builder.GetLastErrorLocation();
        ASSERT_TRUE(pm.AttachDialog(root));
        if (file == "skin.xml") {
            EXPECT_GE(callback.pages.size(), 10u);
            EXPECT_NE(pm.FindControl("closebtn"), nullptr);
            EXPECT_EQ(pm.GetDefaultFontInfo()->sFontName, "Tahoma");
        }
    }
}
#endif

// Building into a container that is already part of a live tree: the new controls join the
// tree initialised, with their names in the manager's map, and nothing of the tree is detached.
TEST_F(BuilderTest, BuildingIntoALiveTree) {
    TestWindow window;
    CPaintManagerUI pm;
    pm.Init(window.hwnd(), "live");
    CDialogBuilder first;
    CControlUI* root = first.Create("<Window><VerticalLayout name=\"root\">"
                                    "<VerticalLayout name=\"holder\"/></VerticalLayout></Window>",
                                    nullptr, nullptr, &pm);
    ASSERT_NE(root, nullptr);
    ASSERT_TRUE(pm.AttachDialog(root));
    CControlUI* holder = pm.FindControl("holder");
    ASSERT_NE(holder, nullptr);

    Write("rows.xml", "<Window><HorizontalLayout name=\"row\"><Label name=\"cell\"/>"
                      "</HorizontalLayout><Button name=\"after\"/></Window>");
    CDialogBuilder builder;
    CControlUI* row = builder.Create("rows.xml", nullptr, nullptr, &pm, holder);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(ChildNames(holder), (std::vector<std::string>{"row", "after"}));
    EXPECT_EQ(pm.FindControl("row"), row);
    EXPECT_NE(pm.FindControl("cell"), nullptr);
    EXPECT_NE(pm.FindControl("after"), nullptr);
    EXPECT_EQ(row->GetManager(), &pm);
    EXPECT_EQ(row->GetParent(), holder);
    EXPECT_EQ(pm.FindControl("cell")->GetManager(), &pm);
    EXPECT_EQ(holder->GetManager(), &pm);
}

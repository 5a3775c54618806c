// Builds the English skin with the toolkit into a 1400 x 800 window, the way the main window
// does: "skin.xml" through the dialog builder, every page element of the page container from
// its own file. Checks that the paint manager finds each control the program looks up, with
// the class the program expects, and keeps a screenshot of every page (artefacts
// skin_page_00.bmp ... skin_page_11.bmp).
#include <windows.h>

#include "support/wintest.h"
#include "ui/UIBase.h"
#include "ui/UIContainer.h"
#include "ui/UIDlgBuilder.h"
#include "ui/UIManager.h"
#include "ui/UIControls.h"

#include "pages/page_files.h"
#include "expectations.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#ifndef ORVEL_SKIN_DIR
#error "ORVEL_SKIN_DIR must name the skin folder"
#endif

namespace {

std::string PageFile(const std::string& element) {
    return PageFileForElement(element);
}

// Pages as the program makes them: a plain container holding what its file builds, built
// without a paint manager.
class CPageFactory : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const char* tag) override {
        if (tag == nullptr)
            return nullptr;
        auto* page = new CContainerUI;
        CDialogBuilder builder;
        CControlUI* content =
            builder.Create(PageFile(tag).c_str(), nullptr, nullptr, nullptr, nullptr);
        if (content == nullptr || !page->Add(content)) {
            delete content;
            failed.push_back(tag);
        }
        return page;
    }
    std::vector<std::string> failed;
};

class CSkinWindow : public CWindowWnd {
public:
    const char* GetWindowClassName() const override { return "OrvelSkinCheck"; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }

    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        if (uMsg == WM_CREATE) {
            pm.Init(m_hWnd);
            CDialogBuilder builder;
            root = builder.Create("skin.xml", nullptr, &pages, &pm, nullptr);
            if (root != nullptr)
                pm.AttachDialog(root);
            return 0;
        }
        LRESULT lRes = 0;
        if (pm.MessageHandler(uMsg, wParam, lParam, lRes))
            return lRes;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }

    CPaintManagerUI pm;
    CPageFactory pages;
    CControlUI* root = nullptr;
};

void Pump(int ms) {
    DWORD end = ::GetTickCount() + DWORD(ms);
    while (LONG(::GetTickCount() - end) < 0) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The classes the program may meet under a name, by the kind the expectations give.
bool HasKind(CControlUI* control, const std::string& kind) {
    std::string c = control->GetClass();
    if (const ControlKindForms* forms = FindControlKind(kind))
        return IsOneOf(c, forms->classes);
    if (kind == "Container" || kind == "Line")
        return control->GetInterface("IContainer") != nullptr;
    return false;
}

// (name, kind) of every control the expectations name, with the parameters' kinds.
std::vector<std::pair<std::string, std::string>> ExpectedControls() {
    std::vector<std::pair<std::string, std::string>> all;
    for (const Expectation& e : ReadExpectations()) {
        const std::vector<std::string>& f = e.fields;
        if (e.check == "control")
            all.emplace_back(f[0], f[1]);
        else if (e.check == "key" && f[1] != "-")
            all.emplace_back(f[0], f[1]);
        else if (e.check == "layout")
            all.emplace_back(f[0], "Container");
        else if (e.check == "switch")
            all.emplace_back(f[0], "Button");
        else if (e.check == "tab") {
            all.emplace_back(f[1], "Container");
            all.emplace_back(f[2], "Option");
        }
    }
    return all;
}

std::string Describe(CControlUI* control) {
    std::string name = control->GetName();
    return std::string(control->GetClass()) + (name.empty() ? "" : " \"" + name + "\"");
}

// Every visible control lies inside its parent, so nothing is cut off; the children of a
// container that scrolls, and the items of a combo (laid out only in its drop-down), excepted.
void ExpectInsideParents(CControlUI* control, int page) {
    auto* container = dynamic_cast<CContainerUI*>(control);
    if (container == nullptr || !control->IsVisible())
        return;
    std::string kind = control->GetClass();
    if (kind == "ComboUI" || kind == "ComboBoxUI")
        return;
    CScrollBarUI* bar = container->GetVerticalScrollBar();
    bool scrolls = bar != nullptr && bar->IsVisible();
    const RECT& p = control->GetPos();
    for (int i = 0; i < container->GetCount(); ++i) {
        CControlUI* child = container->GetItemAt(i);
        if (!child->IsVisible() || child->IsFloat())
            continue;
        const RECT& r = child->GetPos();
        if (!scrolls) {
            EXPECT_TRUE(r.left >= p.left && r.top >= p.top && r.right <= p.right &&
                        r.bottom <= p.bottom)
                << "page " << page << ": " << Describe(child) << " (" << r.left << "," << r.top
                << "," << r.right << "," << r.bottom << ") sticks out of " << Describe(control)
                << " (" << p.left << "," << p.top << "," << p.right << "," << p.bottom << ")";
        }
        ExpectInsideParents(child, page);
    }
}

// The "fit" lines: group box, the height a layout rule gives it, and the layouts the rule shows
// (1) or hides (0) with it.
struct Fit {
    std::string group;
    int height = 0;
    std::vector<std::pair<std::string, bool>> layouts;
};

std::vector<Fit> ExpectedFits() {
    std::vector<Fit> fits;
    for (const Expectation& e : ReadExpectations()) {
        if (e.check != "fit")
            continue;
        Fit fit;
        fit.group = e.fields[0];
        fit.height = std::stoi(e.fields[1]);
        for (const std::string& part : Split(e.fields.size() > 2 ? e.fields[2] : "", '|'))
            if (!part.empty())
                fit.layouts.emplace_back(part.substr(0, part.rfind('=')), part.back() == '1');
        fits.push_back(fit);
    }
    return fits;
}

class SkinWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CPaintManagerUI::SetInstance(::GetModuleHandleA(nullptr));
        CPaintManagerUI::SetResourcePath(ORVEL_SKIN_DIR);
        window_ = new CSkinWindow;
        window_->Create(nullptr, "DTU", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 1400,
                        800);
        Pump(500);
    }
    static void TearDownTestSuite() {
        if (window_->GetHWND() != nullptr)
            ::DestroyWindow(window_->GetHWND());
        Pump(100);
        delete window_;
        window_ = nullptr;
    }
    static CSkinWindow* window_;
};

CSkinWindow* SkinWindow::window_ = nullptr;

TEST_F(SkinWindow, BuildsEveryPage) {
    ASSERT_NE(window_->GetHWND(), nullptr);
    ASSERT_NE(window_->root, nullptr) << "skin.xml did not build";
    for (const std::string& tag : window_->pages.failed)
        ADD_FAILURE() << "page " << tag << " did not build from " << PageFile(tag);
    auto* pages = static_cast<CContainerUI*>(window_->pm.FindControl("switch"));
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->GetCount(), 12);
}

TEST_F(SkinWindow, FindsEveryControlTheProgramLooksUp) {
    auto expected = ExpectedControls();
    EXPECT_GT(expected.size(), 400u);
    for (const auto& [name, kind] : expected) {
        CControlUI* control = window_->pm.FindControl(name);
        if (control == nullptr) {
            ADD_FAILURE() << "the paint manager does not find \"" << name << "\"";
            continue;
        }
        EXPECT_TRUE(HasKind(control, kind))
            << "\"" << name << "\" is a " << control->GetClass() << ", expected " << kind;
    }
}

// Shows the page that holds the control.
void ShowPageOf(CControlUI* control, CPaintManagerUI& pm) {
    auto* pages = static_cast<CTabLayoutUI*>(pm.FindControl("switch"));
    for (CControlUI* c = control; c != nullptr && pages != nullptr; c = c->GetParent()) {
        if (c->GetParent() == pages) {
#if __has_include("ui/UILayout.h")
            pages->SelectItem(pages->GetItemIndex(c));
#else
            for (int j = 0; j < pages->GetCount(); ++j)
                pages->GetItemAt(j)->SetVisible(pages->GetItemAt(j) == c);
#endif
            return;
        }
    }
}

// With the rows a layout rule shows and the height it sets, the group box's rows fill it
// exactly, laid out by the toolkit: nothing cut off, no empty band at the bottom.
TEST_F(SkinWindow, GroupHeightsOfTheLayoutRulesFitTheirRows) {
    std::vector<Fit> fits = ExpectedFits();
    EXPECT_GT(fits.size(), 80u);
    CPaintManagerUI& pm = window_->pm;
    if (CControlUI* cover = pm.FindControl("Logo_Container"))
        cover->SetVisible(false);
    for (const Fit& fit : fits) {
        CControlUI* group = pm.FindControl(fit.group);
        ASSERT_NE(group, nullptr) << fit.group;
        std::vector<std::pair<CControlUI*, bool>> before;
        for (const auto& [name, show] : fit.layouts) {
            CControlUI* layout = pm.FindControl(name);
            ASSERT_NE(layout, nullptr) << name;
            before.emplace_back(layout, layout->IsVisible());
            layout->SetVisible(show);
        }
        int height = group->GetFixedHeight();
        group->SetAttribute("height", std::to_string(fit.height));
        ShowPageOf(group, pm);
        ::InvalidateRect(window_->GetHWND(), nullptr, FALSE);
        Pump(60);

        std::string what = fit.group + " at " + std::to_string(fit.height);
        ExpectInsideParents(group, -1);
        auto* box = dynamic_cast<CContainerUI*>(group);
        ASSERT_NE(box, nullptr);
        LONG bottom = group->GetPos().top;
        for (int i = 0; i < box->GetCount(); ++i)
            if (box->GetItemAt(i)->IsVisible())
                bottom = std::max(bottom, box->GetItemAt(i)->GetPos().bottom);
        // the group's bottom inset is 10 pixels
        EXPECT_EQ(bottom, group->GetPos().bottom - 10) << what;

        group->SetAttribute("height", std::to_string(height));
        for (auto it = before.rbegin(); it != before.rend(); ++it)
            it->first->SetVisible(it->second);
    }
    ::InvalidateRect(window_->GetHWND(), nullptr, FALSE);
    Pump(60);
}

TEST_F(SkinWindow, KeepsAScreenshotOfEveryPage) {
    auto* pages = static_cast<CTabLayoutUI*>(window_->pm.FindControl("switch"));
    ASSERT_NE(pages, nullptr);
    static const char* const options[] = {"WorkMode", "Server", "Serial",   "IO",
                                          "Wireless", "Global", "Equiment", "Lora",
                                          "Zigbee",   "GPS",    "Modbus",   "Operation"};
    std::string folder = wintest::ArtifactsDir();
    // the start-up cover goes once the window is ready, as the program's start-up timer does
    if (CControlUI* cover = window_->pm.FindControl("Logo_Container"))
        cover->SetVisible(false);
    for (int i = 0; i < 12; ++i) {
#if __has_include("ui/UILayout.h")
        pages->SelectItem(i);
#else
        for (int j = 0; j < pages->GetCount(); ++j)
            pages->GetItemAt(j)->SetVisible(j == i);
#endif
#if __has_include("ui/UIButton.h")
        if (auto* option = static_cast<COptionUI*>(window_->pm.FindControl(options[i])))
            option->Selected(true);
#endif
        ::InvalidateRect(window_->GetHWND(), nullptr, FALSE);
        Pump(300);
        ExpectInsideParents(window_->root, i);
        wintest::Capture capture = wintest::CaptureWindow(window_->GetHWND());
        ASSERT_EQ(capture.width, 1400);
        ASSERT_EQ(capture.height, 800);
        char file[64];
        std::snprintf(file, sizeof(file), "/skin_page_%02d.bmp", i);
        if (!folder.empty()) {
            EXPECT_TRUE(wintest::SaveBmp(capture, folder + file)) << folder + file;
        }
        // the page area is painted: the skin's white page background, not the screen's black
        EXPECT_EQ(capture.At(300, 400), 0xFFFFFFu) << "page " << i;
    }
}

} // namespace

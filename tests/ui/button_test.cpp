// Labels, texts, buttons, options, check boxes and group boxes in a real window under Wine,
// driven by real mouse and key messages: the button cycle, option groups and the order and
// parameters of "click", "selectchanged", "checkclick" and "link", state strip images,
// alignment, inline markup (bad input included) and the group box frame.
#include <gtest/gtest.h>

#include <climits>

#include "skin_test_window.h"
#include "ui/UIButton.h"
#include "ui/UILabel.h"
#include "ui/UIRender.h"
#include "ui_image_files.h"

using namespace uitest;

namespace {

const char* kControlsSkin = R"(<Window><VerticalLayout bkcolor="#FFFFFFFF">
    <HorizontalLayout height="30">
        <Button name="b" text="Push" width="100"/>
        <Button name="off" text="Off" width="100" enabled="false"/>
    </HorizontalLayout>
    <HorizontalLayout height="30">
        <Option name="o1" group="g" text="One" width="80" selected="true"/>
        <Option name="o2" group="g" text="Two" width="80"/>
        <Option name="o3" group="g" text="Three" width="80"/>
        <Option name="solo" text="Solo" width="80"/>
    </HorizontalLayout>
    <HorizontalLayout height="30">
        <CheckBox name="cb" text="Check" width="100"/>
        <CheckBox name="auto" text="Auto" width="100" EnableAutoCheck="true"/>
    </HorizontalLayout>
    <Label name="br" text="Corner" align="right" valign="bottom" height="60" textcolor="#FF000000"/>
    <Text name="t" showhtml="true" height="40" text="See {a first}here{/a} and {a second}there{/a}."/>
    <Label name="bad" showhtml="true" height="20"/>
    <GroupBox name="gb" text="Group" height="80"><Control name="inside"/></GroupBox>
</VerticalLayout></Window>)";

class ButtonTest : public SkinTest {};

} // namespace

TEST_F(ButtonTest, ButtonCycleAndKeys) {
    Build(kControlsSkin);
    Click(50, 15);
    EXPECT_EQ(rec.log, (std::vector<std::string>{"click:b:0:0"}));

    // Pressed, dragged out and released outside: no click.
    rec.log.clear();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(50, 15));
    EXPECT_TRUE(Find<CButtonUI>("b")->GetButtonState() & UISTATE_PUSHED);
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(300, 15));
    EXPECT_FALSE(Find<CButtonUI>("b")->GetButtonState() & UISTATE_PUSHED);
    Send(WM_LBUTTONUP, 0, At(300, 15));
    EXPECT_TRUE(rec.log.empty());
    // Out and back in before the release: a click.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(50, 15));
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(300, 15));
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(60, 15));
    Send(WM_LBUTTONUP, 0, At(60, 15));
    EXPECT_EQ(rec.log, (std::vector<std::string>{"click:b:0:0"}));

    // Space and Enter on the focused button.
    rec.log.clear();
    Find("b")->SetFocus();
    Key(VK_SPACE);
    Key(VK_RETURN);
    EXPECT_EQ(rec.log, (std::vector<std::string>{"click:b:0:0", "click:b:0:0"}));

    // A disabled button does nothing.
    rec.log.clear();
    Click(150, 15);
    EXPECT_FALSE(Find("off")->Activate());
    EXPECT_TRUE(rec.log.empty());
}

TEST_F(ButtonTest, OptionGroupsSelectAndNotify) {
    Build(kControlsSkin);
    auto* o1 = Find<COptionUI>("o1");
    auto* o2 = Find<COptionUI>("o2");
    auto* o3 = Find<COptionUI>("o3");
    // "selected" in the skin: only a receiver registered before the build heard it.
    EXPECT_TRUE(o1->IsSelected());
    EXPECT_EQ(early.Count("selectchanged:o1:0:0"), 1);
    EXPECT_EQ(rec.Count("selectchanged"), 0);

    // Selecting the second deselects the first without a word from the first.
    Click(120, 45);
    EXPECT_EQ(rec.log, (std::vector<std::string>{"click:o2:0:0", "selectchanged:o2:0:0"}));
    EXPECT_FALSE(o1->IsSelected());
    EXPECT_TRUE(o2->IsSelected());
    EXPECT_FALSE(o3->IsSelected());
    // Clicking the selected option again: "click" only.
    rec.log.clear();
    Click(120, 45);
    EXPECT_EQ(rec.log, (std::vector<std::string>{"click:o2:0:0"}));
    EXPECT_TRUE(o2->IsSelected());

    // An option without group toggles, reporting each change.
    rec.log.clear();
    Click(280, 45);
    Click(280, 45);
    EXPECT_EQ(rec.log, (std::vector<std::string>{"click:solo:0:0", "selectchanged:solo:0:0",
                                                 "click:solo:0:0", "selectchanged:solo:0:0"}));
    EXPECT_FALSE(Find<COptionUI>("solo")->IsSelected());

    // Selecting by program; deselecting a grouped option says nothing.
    rec.log.clear();
    o3->Selected(true);
    EXPECT_FALSE(o2->IsSelected());
    o3->Selected(false);
    EXPECT_EQ(rec.log, (std::vector<std::string>{"selectchanged:o3:0:0"}));
    const auto* group = win.pm.GetOptionGroup("g");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->size(), 3u);

    // Disabling keeps the selected bit alone.
    o3->Selected(true);
    Send(WM_MOUSEMOVE, 0, At(200, 45));
    EXPECT_TRUE(o3->GetButtonState() & UISTATE_HOT);
    o3->SetEnabled(false);
    EXPECT_EQ(o3->GetButtonState(), UISTATE_SELECTED);
    o2->SetEnabled(false);
    EXPECT_EQ(o2->GetButtonState(), 0u);

    // Leaving the group, and a group of its own.
    o2->SetGroup("other");
    EXPECT_EQ(win.pm.GetOptionGroup("g")->size(), 2u);
    EXPECT_EQ(win.pm.GetOptionGroup("other")->size(), 1u);
}

TEST_F(ButtonTest, CheckBoxesReportTheirNewState) {
    Build(kControlsSkin);
    Click(50, 75);
    Click(50, 75);
    EXPECT_EQ(rec.log, (std::vector<std::string>{"click:cb:0:0", "selectchanged:cb:1:0",
                                                 "click:cb:0:0", "selectchanged:cb:0:0"}));
    // Auto-check: the press toggles, no button cycle and no "click".
    rec.log.clear();
    Send(WM_MOUSEMOVE, 0, At(150, 75));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(150, 75));
    Send(WM_LBUTTONUP, 0, At(150, 75));
    EXPECT_EQ(rec.log, (std::vector<std::string>{"selectchanged:auto:1:0", "checkclick:auto:0:0"}));
    EXPECT_TRUE(Find<CCheckBoxUI>("auto")->GetCheck());
    auto* cb = Find<CCheckBoxUI>("cb");
    cb->SetCheck(true);
    EXPECT_TRUE(cb->GetCheck());
}

TEST_F(ButtonTest, StateStripImagesAndAutoWidth) {
    const std::string folder = wintest::ScratchDir() + "\\buttonimages\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    // A strip of four 100-pixel columns: red, green, blue, grey; and one of two columns.
    std::vector<uint32_t> pixels(400 * 20);
    const uint32_t colours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF808080};
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 400; ++x)
            pixels[size_t(y) * 400 + x] = colours[x / 100];
    wintest::WriteFileText(folder + "strip.png", MakePng(400, 20, pixels));
    wintest::WriteFileText(folder + "strip2.png", MakeSolidPng(200, 20, 0xFF00FFFF));
    CPaintManagerUI::SetResourcePath(folder);
    Build(R"(<Window><VerticalLayout bkcolor="#FFFFFFFF">
        <Button name="s4" stateimage="strip.png" statecount="4" width="100" height="20"/>
        <Button name="s2" stateimage="strip2.png" statecount="2" width="100" height="20"/>
        <Option name="so" selectedstateimage="strip.png" selectedstatecount="4" selected="true" width="100" height="20"/>
        <HorizontalLayout height="20">
            <Label name="autow" text="Hello" autocalcwidth="true" textpadding="3,0,4,0"/>
            <Control name="after"/>
        </HorizontalLayout>
    </VerticalLayout></Window>)");
    auto* s4 = Find<CButtonUI>("s4");
    EXPECT_EQ(s4->GetNormalImage(), "file='strip.png' source='0,0,100,20'");
    EXPECT_EQ(s4->GetHotImage(), "file='strip.png' source='100,0,200,20'");
    EXPECT_EQ(s4->GetPushedImage(), "file='strip.png' source='200,0,300,20'");
    EXPECT_EQ(s4->GetDisabledImage(), "file='strip.png' source='300,0,400,20'");
    auto* s2 = Find<CButtonUI>("s2");
    EXPECT_EQ(s2->GetPushedImage(), "file='strip2.png' source='100,0,200,20'");
    auto* so = Find<COptionUI>("so");
    EXPECT_EQ(so->GetSelectedHotImage(), "file='strip.png' source='100,0,200,20'");

    // The state picks the column that is drawn.
    wintest::Capture cap = CaptureClient();
    EXPECT_EQ(cap.At(50, 10), 0xFF0000u);
    Send(WM_MOUSEMOVE, 0, At(50, 10));
    cap = CaptureClient();
    EXPECT_EQ(cap.At(50, 10), 0x00FF00u);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(50, 10));
    cap = CaptureClient();
    EXPECT_EQ(cap.At(50, 10), 0x0000FFu);
    Send(WM_LBUTTONUP, 0, At(300, 200));
    s4->SetEnabled(false);
    cap = CaptureClient();
    EXPECT_EQ(cap.At(50, 10), 0x808080u);
    EXPECT_EQ(cap.At(50, 50), 0xFF0000u); // the selected option: its selected column 0

    // A label that follows its text: text width plus the horizontal text padding.
    const SIZE text = CRenderEngine::GetTextSize(nullptr, &win.pm, "Hello", -1, DT_SINGLELINE);
    EXPECT_EQ(Pos("after").left, text.cx + 7);
    CPaintManagerUI::SetResourcePath("");
}

TEST_F(ButtonTest, LabelAlignmentLinksAndMarkup) {
    Build(kControlsSkin);
    wintest::Capture cap = CaptureClient();
    // The "Corner" label draws at the bottom right of its rectangle (0, 90, 400, 150).
    int minX = INT_MAX, maxX = -1, maxY = -1;
    for (int y = 90; y < 150; ++y)
        for (int x = 0; x < 400; ++x)
            if ((cap.At(x, y) & 0xFF) < 0x80) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                maxY = std::max(maxY, y);
            }
    EXPECT_GT(minX, 300);
    EXPECT_GE(maxX, 390);
    EXPECT_GE(maxY, 140);

    // Links of the text control: recorded at paint, clicked by index.
    auto* t = Find<CTextUI>("t");
    ASSERT_EQ(t->GetLinkCount(), 2);
    EXPECT_EQ(t->GetLinkContent(0), "first");
    EXPECT_EQ(t->GetLinkContent(1), "second");
    const RECT link = t->GetLinkRect(1);
    const int x = (link.left + link.right) / 2, y = (link.top + link.bottom) / 2;
    Send(WM_MOUSEMOVE, 0, At(x, y));
    EXPECT_EQ(t->GetHoverLink(), 1);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    Send(WM_LBUTTONUP, 0, At(x, y));
    EXPECT_EQ(rec.log, (std::vector<std::string>{"link:t:1:0"}));
    rec.log.clear();
    Click(t->GetPos().right - 2, t->GetPos().bottom - 2); // not on a link
    EXPECT_TRUE(rec.log.empty());

    // More links than are recorded: the first ones stay clickable.
    std::string many;
    for (int i = 0; i < 20; ++i)
        many += "{a l" + std::to_string(i) + "}#{/a} ";
    t->SetText(many);
    CaptureClient();
    EXPECT_EQ(t->GetLinkCount(), CTextUI::kMaxLinks);

    // Bad markup: closes without opener, very deep nesting, unknown and unterminated tags.
    auto* bad = Find<CLabelUI>("bad");
    std::string text = "{/b}{/i}x{/c}{/a}{/zz}{q}<b>y";
    for (int i = 0; i < 20000; ++i)
        text += "{b}{c #FF0000FF}";
    text += "deep";
    for (int i = 0; i < 50000; ++i)
        text += "{/b}";
    text += "{a}{a}{a}end{";
    bad->SetText(text);
    CaptureClient();
    bad->SetText("{r}{b}raw{/r} and {u}under{/u}{n}{p 4}{x 3}{y 30}{f 99}{i}{s}sel{/s}");
    CaptureClient();
    EXPECT_TRUE(::IsWindow(win.GetHWND()));
}

TEST_F(ButtonTest, MarkupCloseTagsAndNestingAreBounded) {
    Build(kControlsSkin);
    win.pm.AddFont(5, "Tahoma", 30, false, false, false);
    HDC dc = ::CreateCompatibleDC(nullptr);
    auto width = [&](const std::string& text) {
        RECT rc = {0, 0, 5000, 100};
        int links = 0;
        CRenderEngine::DrawHtmlText(dc, &win.pm, rc, text, 0xFF000000, nullptr, nullptr, links, -1,
                                    DT_SINGLELINE | DT_CALCRECT);
        return rc.right - rc.left;
    };
    const int big = width("{f 5}WWWWWWWW{/f}");
    const int plain = width("WWWWWWWW");
    ASSERT_GT(big, plain); // the measure tells the two fonts apart
    // A close tag without an open tag of its name changes nothing.
    EXPECT_EQ(width("{f 5}WWWW{/i}WWWW{/f}"), big);
    EXPECT_EQ(width("{/f}{/f}WWWWWWWW"), plain);
    // A close ends the tags opened after its own as well.
    EXPECT_EQ(width("{f 5}{i}{/f}WWWWWWWW"), plain);
    // Nesting deeper than the bound: the extra opens and their closes are ignored, the text
    // after all closes is plain again.
    std::string deep;
    for (int i = 0; i < 100; ++i)
        deep += "{f 5}";
    deep += "WWWW";
    for (int i = 0; i < 100; ++i)
        deep += "{/f}";
    deep += "WWWW";
    EXPECT_EQ(width(deep), width("{f 5}WWWW{/f}WWWW"));
    ::DeleteDC(dc);
}

TEST_F(ButtonTest, GroupBoxFrameTitleAndInset) {
    Build(kControlsSkin);
    EXPECT_RECT(Pos("gb"), 0, 210, 400, 290);
    EXPECT_RECT(Pos("inside"), 20, 235, 380, 270); // inset 20, 25, 20, 20
    wintest::Capture cap = CaptureClient();
    auto* gb = Find<CGroupBoxUI>("gb");
    const RECT title = gb->GetTitleRect();
    EXPECT_EQ(title.left, 20); // 15 from the frame, which is 5 inside
    EXPECT_EQ(title.top, 210);
    // The frame: grey lines 5 inside the rectangle, broken where the title is.
    EXPECT_EQ(cap.At(5, 250), 0xA0A0A0u);
    EXPECT_EQ(cap.At(394, 250), 0xA0A0A0u);
    EXPECT_EQ(cap.At(200, 284), 0xA0A0A0u);
    EXPECT_EQ(cap.At(10, 215), 0xA0A0A0u);
    EXPECT_NE(cap.At(title.left + 1, 215), 0xA0A0A0u);
}

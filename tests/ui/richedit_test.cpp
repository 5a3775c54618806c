// The windowless rich edit under Wine: the text services of Riched20.dll behind our text
// host, driven through real window messages; the operation log's load (appending for hours
// under a 300000-character limit); text in any bytes.
#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>

#include <cstdio>
#include <string>

#include "tests/ui/shared_window_test.h"
#include "tests/ui/text_test_window.h"
#include "ui/UIRichEdit.h"
#include "support/wintest.h"
#include "ui/UIScrollBar.h"

using namespace texttest;

namespace {

constexpr int kLogLimit = 300000;

// What the program's operation log does with every text: empty the view when the text would
// bring it to its limit, then append at the end and scroll to the bottom.
void AppendLogLike(CRichEditUI* log, const std::string& text) {
    if (log->GetTextLength() + long(text.size()) >= log->GetLimitText() - 1)
        log->SetText("");
    log->AppendText(text, false);
    log->EndDown();
}

class RichEditTest : public CSharedWindowTest<40, 40, 420, 300> {
protected:
    void SetUp() override {
        ASSERT_NE(shared->GetHWND(), nullptr);
        shared->recorder.notes.clear();
        shared->recorder.onNotify = nullptr;
        edit = shared->Place(new CRichEditUI, "richedit", RECT{10, 10, 410, 200});
        shared->pm.NeedUpdate();
        ::InvalidateRect(shared->GetHWND(), nullptr, FALSE);
        PumpFor(30);
        ASSERT_TRUE(edit->HasHost()) << "Riched20.dll text services not created";
    }
    void TearDown() override {
        shared->recorder.onNotify = nullptr;
        shared->pm.SetFocus(nullptr);
        shared->root->Remove(edit);
        PumpFor(10);
    }

    void Focus() {
        edit->SetFocus();
        PumpFor(10);
        ASSERT_TRUE(edit->IsFocused());
    }

    CTextTestWindow& wnd = *shared;
    CRichEditUI* edit = nullptr;
};

TEST_F(RichEditTest, SetTextGetTextAndAppendRoundTrip) {
    edit->SetText("first line\r\nsecond");
    EXPECT_EQ(edit->GetText(), "first line\r\nsecond");
    edit->AppendText("\r\nthird", false);
    EXPECT_EQ(edit->GetText(), "first line\r\nsecond\r\nthird");
    // Lines end in one character inside the services, in two with the CR-LF count.
    EXPECT_EQ(edit->GetTextLength(GTL_NUMCHARS | GTL_USECRLF | GTL_PRECISE), 25);
    edit->SetText("");
    EXPECT_EQ(edit->GetText(), "");
    EXPECT_EQ(edit->GetTextLength(), 0);
}

TEST_F(RichEditTest, TypingInsertsTextAndReportsTextChanged) {
    Focus();
    TypeChars(wnd.GetHWND(), "AT+SHOW");
    EXPECT_EQ(edit->GetText(), "AT+SHOW");
    EXPECT_GE(wnd.recorder.Count("textchanged"), 1);
    PressKey(wnd.GetHWND(), VK_BACK);
    EXPECT_EQ(edit->GetText(), "AT+SHO");
}

TEST_F(RichEditTest, ProgrammaticChangesAndUnchangedTextRaiseNoTextChanged) {
    edit->SetText("same");
    edit->AppendText(" more", false);
    EXPECT_EQ(wnd.recorder.Count("textchanged"), 0);
    // A receiver that sets the text it was told about must not start a loop.
    int seen = 0;
    wnd.recorder.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == "textchanged" && ++seen < 50)
            edit->SetText(edit->GetText());
    };
    Focus();
    TypeChars(wnd.GetHWND(), "x");
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(edit->GetText(), "same morex");
}

TEST_F(RichEditTest, EnterInsertsLineByDefaultAndSendsReturnWhenNotWanted) {
    Focus();
    TypeChars(wnd.GetHWND(), "a");
    PressKey(wnd.GetHWND(), VK_RETURN);
    TypeChars(wnd.GetHWND(), "\r");
    TypeChars(wnd.GetHWND(), "b");
    EXPECT_EQ(wnd.recorder.Count("return"), 0);
    const std::string withLine = edit->GetText();
    EXPECT_NE(withLine.find("a\r\n"), std::string::npos) << withLine;

    edit->SetText("");
    edit->SetWantReturn(false);
    TypeChars(wnd.GetHWND(), "c");
    PressKey(wnd.GetHWND(), VK_RETURN);
    TypeChars(wnd.GetHWND(), "\r");
    TypeChars(wnd.GetHWND(), "d");
    EXPECT_EQ(wnd.recorder.Count("return"), 1);
    EXPECT_EQ(edit->GetText(), "cd");
}

TEST_F(RichEditTest, LimitTruncatesDirectAppends) {
    edit->SetLimitText(100);
    EXPECT_EQ(edit->GetLimitText(), 100);
    edit->AppendText(std::string(80, 'a'), false);
    edit->AppendText(std::string(80, 'b'), false);
    EXPECT_EQ(edit->GetTextLength(), 100);
    // Typing at the limit adds nothing.
    Focus();
    TypeChars(wnd.GetHWND(), "zzz");
    EXPECT_EQ(edit->GetTextLength(), 100);
}

TEST_F(RichEditTest, LogRuleEmptiesTheViewBeforeTheLimit) {
    edit->SetLimitText(kLogLimit);
    // Ten characters short of the limit (the rule compares against limit - 1), in lines as
    // a log has them: a paragraph end counts one character.
    std::string filler;
    while (filler.size() + 100 <= size_t(kLogLimit - 10))
        filler += std::string(99, 'x') + "\r";
    filler += std::string(kLogLimit - 10 - filler.size(), 'y');
    edit->AppendText(filler, false);
    ASSERT_EQ(edit->GetTextLength(), kLogLimit - 10);
    AppendLogLike(edit, "12345");
    EXPECT_EQ(edit->GetTextLength(), kLogLimit - 5);
    const std::string twenty = "OK\r\n0123456789abcdef";
    AppendLogLike(edit, twenty);
    EXPECT_EQ(edit->GetText(), twenty);
}

TEST_F(RichEditTest, HoursOfLogChunksStayUnderTheLimit) {
    edit->SetLimitText(kLogLimit);
    std::string chunk;
    for (int i = 0; chunk.size() < 4000; ++i)
        chunk += "Access Point Name:cmnet " + std::to_string(i) + "\r\n";
    chunk.resize(4000);
    long longest = 0;
    int emptied = 0;
    for (int i = 0; i < 160; ++i) {
        long before = edit->GetTextLength();
        AppendLogLike(edit, chunk);
        long after = edit->GetTextLength();
        if (after < before)
            ++emptied;
        longest = std::max(longest, after);
        ASSERT_LT(after, kLogLimit);
    }
    EXPECT_GE(emptied, 2);
    EXPECT_GT(longest, kLogLimit - 8000);
    // The newest text is at the end.
    const std::string text = edit->GetText();
    EXPECT_EQ(text.substr(text.size() - chunk.size()), chunk);
}

TEST_F(RichEditTest, EmptyingAFullLogIsQuickAndKeepsTheSettings) {
    edit->SetLimitText(kLogLimit);
    edit->SetWantReturn(false);
    std::string lines;
    while (lines.size() < 100000)
        lines += "send:AT+CSQ\r\n+CSQ: 23,99\r\nOK\r\n";
    edit->AppendText(lines, false);
    Focus();
    const DWORD start = ::GetTickCount();
    edit->SetText("");
    std::printf("emptying a log of %zu bytes took %lu ms\n", lines.size(),
                ::GetTickCount() - start);
    EXPECT_EQ(edit->GetTextLength(), 0);
    EXPECT_EQ(edit->GetText(), "");
    EXPECT_EQ(wnd.recorder.Count("textchanged"), 0);
    // Still focused, still typing, still limited, Enter still "return".
    TypeChars(wnd.GetHWND(), "ab");
    EXPECT_EQ(edit->GetText(), "ab");
    PressKey(wnd.GetHWND(), VK_RETURN);
    EXPECT_EQ(wnd.recorder.Count("return"), 1);
    std::string over;
    while (over.size() < size_t(kLogLimit) + 100)
        over += std::string(79, 'z') + "\r";
    edit->AppendText(over, false);
    EXPECT_EQ(edit->GetTextLength(), kLogLimit);
    // A new text replaces a long one the same way.
    edit->SetText("fresh");
    EXPECT_EQ(edit->GetText(), "fresh");
}

TEST_F(RichEditTest, CompositionWindowFollowsTheCaret) {
    Focus();
    TypeChars(wnd.GetHWND(), "AT+CSQ");
    HIMC imc = ::ImmGetContext(wnd.GetHWND());
    if (imc == nullptr)
        GTEST_SKIP() << "no input context";
    ::SendMessageA(wnd.GetHWND(), WM_IME_STARTCOMPOSITION, 0, 0);
    COMPOSITIONFORM form = {};
    ::ImmGetCompositionWindow(imc, &form);
    ::ImmReleaseContext(wnd.GetHWND(), imc);
    POINT caret = {};
    ::GetCaretPos(&caret);
    EXPECT_EQ(form.dwStyle, DWORD(CFS_POINT));
    EXPECT_EQ(form.ptCurrentPos.x, caret.x);
    EXPECT_EQ(form.ptCurrentPos.y, caret.y);
    EXPECT_GT(caret.x, 10); // after the typed text
}

TEST_F(RichEditTest, AnyBytesAreAcceptedAndReadBackWithoutOverflow) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += char(b);
    edit->SetText(all);
    const std::string back = edit->GetText();
    EXPECT_FALSE(back.empty());
    // Bytes that are no UTF-8 come back as U+FFFD (three bytes each), never more.
    EXPECT_LE(back.size(), all.size() * 3 + 3);
    edit->SetText(std::string(20000, '\xB0'));
    EXPECT_LE(edit->GetText().size(), 60003u);
}

TEST_F(RichEditTest, ChineseTextKeepsEveryByteWhateverTheCodePage) {
    // "串口已打开" (port opened) in UTF-8: three bytes a character, one UTF-16 unit each.
    const std::string utf8 = "\xE4\xB8\xB2\xE5\x8F\xA3\xE5\xB7\xB2\xE6\x89\x93\xE5\xBC\x80";
    edit->SetText(utf8);
    EXPECT_EQ(edit->GetTextLength(), 5);
    EXPECT_EQ(edit->GetText(), utf8);
    edit->AppendText(utf8, false);
    EXPECT_EQ(edit->GetText(), utf8 + utf8);
    // Typed: the window is a Unicode window, its characters come as UTF-16.
    edit->SetText("");
    Focus();
    for (wchar_t c : std::wstring(L"\u4E32\u53E3\u5DF2\u6253\u5F00"))
        ::SendMessageW(wnd.GetHWND(), WM_CHAR, c, 1);
    EXPECT_EQ(edit->GetText(), utf8);
}

TEST_F(RichEditTest, WithoutServicesTheControlKeepsItsText) {
    CRichEditUI lone;
    lone.SetText("kept");
    EXPECT_EQ(lone.GetText(), "kept");
    LRESULT result = 0;
    lone.TxSendMessage(WM_GETTEXTLENGTH, 0, 0, &result);
    EXPECT_EQ(result, 1);
}

TEST_F(RichEditTest, PaintsItsTextIntoTheWindow) {
    edit->SetBkColor(0xFFFFFFFF);
    edit->SetTextColor(0xFF000000);
    edit->SetText("WWWWWWWW MMMMMMMM");
    ::InvalidateRect(wnd.GetHWND(), nullptr, FALSE);
    ::UpdateWindow(wnd.GetHWND());
    PumpFor(50);
    RECT rc = {10, 10, 410, 40};
    HDC dc = ::GetDC(wnd.GetHWND());
    // Glyphs (or, without a font for the locale, their boxes) differ from the white field.
    int dark = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            if (::GetPixel(dc, x, y) != RGB(255, 255, 255))
                ++dark;
    ::ReleaseDC(wnd.GetHWND(), dc);
    EXPECT_GT(dark, 20) << "no text drawn";
}

TEST_F(RichEditTest, ToolkitScrollBarFollowsTheViewAndTheWheelScrolls) {
    auto* log = wnd.Place(new CRichEditUI, "log", RECT{10, 205, 410, 295});
    log->SetAttribute("vscrollbar", "true");
    log->SetBkColor(0xFFFFFFFF);
    wnd.pm.NeedUpdate();
    ::InvalidateRect(wnd.GetHWND(), nullptr, FALSE);
    PumpFor(30);
    ASSERT_NE(log->GetVerticalScrollBar(), nullptr);
    EXPECT_TRUE(log->GetVerticalScrollBar()->IsVisible());
    for (int i = 0; i < 60; ++i)
        AppendLogLike(log, "line " + std::to_string(i) + "\r\n");
    ::UpdateWindow(wnd.GetHWND());
    PumpFor(30);
    const int range = log->GetVerticalScrollBar()->GetScrollRange();
    EXPECT_GT(range, 0);
    EXPECT_EQ(log->GetScrollRange().cy, range);
    // After an append the view shows the end.
    EXPECT_EQ(log->GetScrollPos().cy, range);
    EXPECT_EQ(log->GetVerticalScrollBar()->GetScrollPos(), range);
    // A wheel turn away from the user over the log scrolls it up.
    POINT pt = {100, 250};
    ::ClientToScreen(wnd.GetHWND(), &pt);
    ::SendMessageA(wnd.GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                   MAKELPARAM(pt.x, pt.y));
    PumpFor(10);
    EXPECT_LT(log->GetScrollPos().cy, range);
    EXPECT_EQ(log->GetVerticalScrollBar()->GetScrollPos(), log->GetScrollPos().cy);
    // The bar moves the view.
    log->SetScrollPos(SIZE{0, 0});
    EXPECT_EQ(log->GetScrollPos().cy, 0);
    wnd.root->Remove(log);
}

} // namespace

// A face the system replaces (under Wine: the skin's Chinese face by a free one) draws its
// glyphs in the rich edit too, whatever the system's code page: the Chinese text is drawn, not
// empty boxes. The text's ink is compared with the same text drawn by the system with the same
// font.
TEST_F(RichEditTest, ChineseTextIsDrawnWithTheFontsGlyphsInAnyLocale) {
    shared->pm.AddFont(7, "Microsoft YaHei", 14, false, false, false);
    edit->SetFont(7);
    const std::wstring wide = L"\u4E32\u53E3\u5DF2\u6253\u5F00";
    edit->SetText("\xE4\xB8\xB2\xE5\x8F\xA3\xE5\xB7\xB2\xE6\x89\x93\xE5\xBC\x80");
    ::InvalidateRect(wnd.GetHWND(), nullptr, FALSE);
    PumpFor(100);
    wintest::SaveBmp(wintest::CaptureWindow(wnd.GetHWND()),
                     wintest::ArtifactsDir() + "\\richedit-chinese.bmp");
    // The width of the drawn ink in the edit against the text's width in the font.
    HDC dc = ::GetDC(wnd.GetHWND());
    const RECT area = edit->GetPos();
    int right = 0;
    for (int y = area.top; y < area.top + 30; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (GetRValue(::GetPixel(dc, x, y)) < 0x80)
                right = std::max(right, int(x - area.left));
    HGDIOBJ old = ::SelectObject(dc, shared->pm.GetFont(7));
    SIZE expected = {};
    ::GetTextExtentPoint32W(dc, wide.c_str(), int(wide.size()), &expected);
    ::SelectObject(dc, old);
    ::ReleaseDC(wnd.GetHWND(), dc);
    EXPECT_NEAR(right, expected.cx, expected.cx / 5 + 4)
        << "the glyphs are not the font's (boxes of another font are narrower)";
}

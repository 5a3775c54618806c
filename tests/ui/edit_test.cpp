// The single-line edit under Wine: the native edit window laid over it while it has the focus,
// typing through real window messages, "textchanged" and "return", hex-string typing, and
// the native window's life bound to its owner.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/support/wintest.h"
#include "tests/ui/shared_window_test.h"
#include "tests/ui/text_test_window.h"
#include "ui/UIEdit.h"
#include "ui/UITextWin.h"

using namespace texttest;

namespace {

class EditTest : public CSharedWindowTest<480, 40, 300, 200> {
protected:
    void SetUp() override {
        ASSERT_NE(shared->GetHWND(), nullptr);
        shared->recorder.notes.clear();
        shared->recorder.onNotify = nullptr;
        edit = shared->Place(new CEditUI, "server", RECT{10, 10, 210, 36});
        other = shared->Place(new CEditUI, "port", RECT{10, 50, 210, 76});
        shared->pm.NeedUpdate();
        ::InvalidateRect(shared->GetHWND(), nullptr, FALSE);
        PumpFor(20);
        // The first layout may hand the focus to the first tab stop: start unfocused.
        shared->pm.SetFocus(nullptr);
        Pump([&] { return !edit->GetNativeWindow() && !other->GetNativeWindow(); }, 1000);
        shared->recorder.notes.clear();
    }
    void TearDown() override {
        shared->recorder.onNotify = nullptr;
        shared->pm.SetFocus(nullptr);
        PumpFor(10);
        shared->root->RemoveAll();
        PumpFor(10);
    }

    // Gives the edit the focus and waits for its native window.
    HWND StartEditing(CEditUI* e) {
        e->SetFocus();
        Pump([&] { return e->GetNativeWindow() != nullptr; }, 1000);
        return e->GetNativeWindow();
    }

    CTextTestWindow& wnd = *shared;
    CEditUI* edit = nullptr;
    CEditUI* other = nullptr;
};

TEST_F(EditTest, FocusOpensTheNativeEditWithTheCaretAtTheEndAndLeavingClosesIt) {
    edit->SetText("10.0.0.1");
    HWND native = StartEditing(edit);
    ASSERT_NE(native, nullptr);

    EXPECT_TRUE(::IsWindowVisible(native));
    EXPECT_EQ(::GetFocus(), native);
    DWORD start = 0, end = 0;
    ::SendMessageA(native, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, 8u);
    EXPECT_EQ(end, 8u);
    // The native window lies over the text area (item minus the text padding).
    RECT rc = {};
    ::GetWindowRect(native, &rc);
    ::MapWindowPoints(nullptr, wnd.GetHWND(), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, 14);
    EXPECT_EQ(rc.right, 206);
    EXPECT_GE(rc.top, 13);
    EXPECT_LE(rc.bottom, 33);

    other->SetFocus();
    EXPECT_TRUE(Pump([&] { return !::IsWindow(native); }, 1000));
    EXPECT_EQ(edit->GetNativeWindow(), nullptr);
    EXPECT_NE(other->GetNativeWindow(), nullptr);
    EXPECT_EQ(edit->GetText(), "10.0.0.1");
}

TEST_F(EditTest, AutoSelectAllSelectsTheWholeText) {
    edit->SetAttribute("autoselall", "true");
    edit->SetText("8080");
    HWND native = StartEditing(edit);
    ASSERT_NE(native, nullptr);
    DWORD start = 9, end = 9;
    ::SendMessageA(native, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 4u);
}

TEST_F(EditTest, TypingReachesTheTextAndEnterSendsReturn) {
    HWND native = StartEditing(edit);
    ASSERT_NE(native, nullptr);
    TypeChars(native, "cmnet");
    EXPECT_EQ(edit->GetText(), "cmnet");
    EXPECT_EQ(wnd.recorder.Count("textchanged"), 5);
    const Note* last = wnd.recorder.Last("textchanged");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->sender, "server");

    wnd.recorder.notes.clear();
    PressKey(native, VK_RETURN);
    TypeChars(native, "\r");
    EXPECT_EQ(wnd.recorder.Types("server"), std::vector<std::string>{"return"});
    EXPECT_EQ(edit->GetText(), "cmnet");

    PressKey(native, VK_BACK);
    TypeChars(native, "\b");
    EXPECT_EQ(edit->GetText(), "cmne");
}

TEST_F(EditTest, HexStringLetsOnlyHexDigitsBackspaceAndBlankThrough) {
    edit->SetAttribute("hexstring", "true");
    HWND native = StartEditing(edit);
    ASSERT_NE(native, nullptr);
    TypeChars(native, "0aGg F9z-");
    EXPECT_EQ(edit->GetText(), "0a F9");
    TypeChars(native, "\b");
    EXPECT_EQ(edit->GetText(), "0a F");
}

TEST_F(EditTest, SetTextWhileEditingUpdatesTheNativeEditOnceWithoutLoops) {
    HWND native = StartEditing(edit);
    ASSERT_NE(native, nullptr);
    int seen = 0;
    wnd.recorder.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == "textchanged" && ++seen < 50)
            edit->SetText(edit->GetText()); // a receiver that writes back what it read
    };
    edit->SetText("120.76.1.2");
    char buffer[64] = {};
    ::GetWindowTextA(native, buffer, sizeof(buffer));
    EXPECT_STREQ(buffer, "120.76.1.2");
    EXPECT_EQ(seen, 1);
    edit->SetText("120.76.1.2");
    EXPECT_EQ(seen, 1);
}

TEST_F(EditTest, NativeWindowDiesWithItsOwner) {
    HWND native = StartEditing(edit);
    ASSERT_NE(native, nullptr);
    wnd.root->Remove(edit); // destroyed by the manager's delayed cleanup
    edit = nullptr;
    EXPECT_TRUE(Pump([&] { return !::IsWindow(native); }, 1000));

    native = StartEditing(other);
    ASSERT_NE(native, nullptr);
    wnd.root->SetAutoDestroy(false);
    wnd.root->Remove(other);
    wnd.root->SetAutoDestroy(true);
    delete other; // destroyed at once
    other = nullptr;
    EXPECT_FALSE(::IsWindow(native));
    PumpFor(20); // the posted close of the dead window must be harmless
}

TEST_F(EditTest, HidingTheEditWhileEditingClosesTheNativeEdit) {
    HWND native = StartEditing(edit);
    ASSERT_NE(native, nullptr);
    edit->SetVisible(false);
    EXPECT_TRUE(Pump([&] { return !::IsWindow(native); }, 1000));
    EXPECT_EQ(edit->GetNativeWindow(), nullptr);
}

TEST_F(EditTest, AClickSelectsNothingADoubleClickAWordAndCtrlAEverything) {
    edit->SetText("centre main backup");
    HWND native = StartEditing(edit);
    ASSERT_NE(native, nullptr);
    // A word near the right end of the field, where the text is.
    const LPARAM onMain = MAKELPARAM(60, 8);
    ::SendMessageA(native, WM_LBUTTONDOWN, MK_LBUTTON, onMain);
    ::SendMessageA(native, WM_LBUTTONUP, 0, onMain);
    DWORD start = 0, end = 0;
    ::SendMessageA(native, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, end) << "a click places the caret";
    ::SendMessageA(native, WM_LBUTTONDBLCLK, MK_LBUTTON, onMain);
    ::SendMessageA(native, WM_LBUTTONUP, 0, onMain);
    ::SendMessageA(native, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    ASSERT_LT(start, end) << "a double-click selects a word";
    std::wstring text(32, L'\0');
    text.resize(size_t(::GetWindowTextW(native, text.data(), int(text.size()))));
    const std::wstring word = text.substr(start, end - start);
    EXPECT_TRUE(word == L"main" || word == L"main " || word == L"centre" || word == L"centre ")
        << uitext::Narrow(word);
    // Ctrl+A: the whole text.
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    ::SendMessageA(native, WM_KEYDOWN, 'A', 0);
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    ::SendMessageA(native, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 18u);
}

TEST_F(EditTest, ClickOpensTheNativeEdit) {
    edit->SetText("abc");
    Click(wnd.GetHWND(), 100, 20);
    if (HWND captured = ::GetCapture())
        ::SendMessageA(captured, WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_TRUE(Pump([&] { return edit->GetNativeWindow() != nullptr; }, 1000));
    EXPECT_TRUE(edit->IsFocused());
}

TEST_F(EditTest, TextOfAnyLengthAndBytes) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += char(b);
    edit->SetText(all);
    EXPECT_EQ(edit->GetText(), all);
    const std::string longText(100000, 'a');
    edit->SetText(longText);
    HWND native = StartEditing(edit);
    ASSERT_NE(native, nullptr);
    // The native edit holds what the control gave it; typing stops at the character limit.
    TypeChars(native, "b");
    EXPECT_GE(edit->GetText().size(), 100000u);
    wnd.pm.SetFocus(nullptr);
    PumpFor(20);
    edit->SetText("");
    edit->SetMaxChar(4);
    native = StartEditing(edit);
    ASSERT_NE(native, nullptr);
    TypeChars(native, "123456");
    EXPECT_EQ(edit->GetText(), "1234");
}

TEST_F(EditTest, TypedCharactersOfAnyLanguageArriveAsUtf8) {
    // Whatever the system's code page: the edit's own window is a Unicode window.
    HWND native = StartEditing(edit);
    ASSERT_NE(native, nullptr);
    EXPECT_TRUE(::IsWindowUnicode(native));
    for (wchar_t c : std::wstring(L"\u670D\u52A1\u5668 \u00E9\u00DF")) // "服务器 éß"
        ::SendMessageW(native, WM_CHAR, c, 1);
    EXPECT_EQ(edit->GetText(), "\xE6\x9C\x8D\xE5\x8A\xA1\xE5\x99\xA8 \xC3\xA9\xC3\x9F");
}

TEST_F(EditTest, EmptyEditShowsItsTipInTheTipColour) {
    edit->SetAttribute("tipvalue", "WWWWWWWW");
    ::InvalidateRect(wnd.GetHWND(), nullptr, FALSE);
    ::UpdateWindow(wnd.GetHWND());
    PumpFor(30);
    HDC dc = ::GetDC(wnd.GetHWND());
    // Light glyphs only: grey-blue tip pixels (or their anti-aliased edges), nothing dark
    // as the normal text colour would be.
    int tipColoured = 0, dark = 0;
    for (int y = 12; y < 34; ++y)
        for (int x = 12; x < 150; ++x) {
            COLORREF c = ::GetPixel(dc, x, y);
            if (c != RGB(255, 255, 255) && GetRValue(c) >= 0x90 && GetGValue(c) >= 0x90 &&
                GetBValue(c) >= 0x90)
                ++tipColoured;
            if (GetRValue(c) < 0x80 && GetGValue(c) < 0x80 && GetBValue(c) < 0x80)
                ++dark;
        }
    ::ReleaseDC(wnd.GetHWND(), dc);
    EXPECT_GT(tipColoured, 10);
    EXPECT_EQ(dark, 0);
}

} // namespace

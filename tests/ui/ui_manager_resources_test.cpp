// The paint manager's attributes, styles, resources (images, fonts, default colours) and painting.
#include "ui_manager_fixture.h"

#include "ui/UITextWin.h"

using namespace managertest;

// ---- Attributes
// -----------------------------------------------------------------------------------------

TEST(ControlAttributes, PositionsBordersAndListsAsTheSkinsWriteThem) {
    CControlUI c;
    c.SetAttribute("pos", "10,20,110,50");
    EXPECT_EQ(10, c.GetFixedXY().cx);
    EXPECT_EQ(20, c.GetFixedXY().cy);
    EXPECT_EQ(100, c.GetFixedWidth());
    EXPECT_EQ(30, c.GetFixedHeight());
    c.SetAttribute("pos", "-110,0,-10,30");
    EXPECT_EQ(-10, c.GetFixedXY().cx);
    EXPECT_EQ(100, c.GetFixedWidth());

    c.SetAttribute("bordersize", "2");
    EXPECT_EQ(2, c.GetBorderSize());
    c.SetAttribute("bordersize", "0,1,0,1");
    EXPECT_EQ(1, c.GetBorderRect().top);
    EXPECT_EQ(1, c.GetBorderRect().bottom);
    EXPECT_EQ(0, c.GetBorderRect().left);

    c.SetAttribute("bkcolor", "#FF0000FF");
    EXPECT_EQ(0xFF0000FFu, c.GetBkColor());
    c.SetAttribute("text", "one{\\n}two");
    EXPECT_EQ("one\ntwo", c.GetText());
    c.SetAttribute("tooltip", "a<n>b");
    EXPECT_EQ("a\r\nb", c.GetToolTip());
    c.SetAttribute("floatalign", "right,bottom");
    EXPECT_EQ(DT_FLOAT_RIGHT | DT_FLOAT_BOTTOM, c.GetFloatAlign());
    c.SetAttribute("floatalign", "null center");
    EXPECT_EQ(DT_FLOAT_CENTER, c.GetFloatAlign());

    c.SetAttribute("mystery", "1");
    c.SetAttribute("mystery", "2");
    c.SetAttribute("empty", "");
    EXPECT_EQ("1", c.GetCustomAttribute("mystery"));
    EXPECT_EQ("", c.GetCustomAttribute("empty"));

    CControlUI d;
    d.ApplyAttributeList("name=\"x\" bkcolor=\"#FF00FF00\"");
    EXPECT_EQ("x", d.GetName());
    EXPECT_EQ(0xFF00FF00u, d.GetBkColor());
    d.ApplyAttributeList("name=\"y\",userdata=\"u\"");
    EXPECT_EQ("u", d.GetUserData());
    d.ApplyAttributeList("name=\"z\";userdata=\"v\"");
    EXPECT_EQ("z", d.GetName());
    EXPECT_EQ("u", d.GetUserData());
    d.ApplyAttributeList("text=&quot;q&quot;");
    EXPECT_EQ("q", d.GetText());
}

TEST(ControlAttributes, OutOfRangeNumbersAreClamped) {
    CControlUI c;
    c.SetAttribute("width", "99999999999999");
    EXPECT_EQ(32767, c.GetFixedWidth());
    c.SetAttribute("height", "-5");
    EXPECT_EQ(0, c.GetFixedHeight()); // negative values are ignored
    c.SetAttribute("bordersize", "-7");
    EXPECT_EQ(0, c.GetBorderSize());
    c.SetAttribute("bordersize", "-1,999999,3,-3");
    EXPECT_EQ(0, c.GetBorderRect().left);
    EXPECT_EQ(32767, c.GetBorderRect().top);
    c.SetAttribute("float", "nan,inf,-inf,0.5");
    EXPECT_TRUE(c.IsFloat());
    EXPECT_EQ(0.0, c.GetFloatPercent().left);
    EXPECT_EQ(0.0, c.GetFloatPercent().top);
    EXPECT_EQ(0.0, c.GetFloatPercent().right);
    EXPECT_EQ(0.5, c.GetFloatPercent().bottom);
    c.SetAttribute("pos", "-99999999999,0,99999999999,10");
    EXPECT_LE(c.GetFixedWidth(), 32767);
    c.SetAttribute("borderround", "-4,5");
    EXPECT_EQ(0, c.GetBorderRound().cx);
}

TEST_F(ManagerTest, StylesApplyWhateverTheAttributeAndSelfNamingStylesEnd) {
    CProbeUI* a = AddProbe("a", {10, 10, 60, 40});
    Show();
    win.pm.AddStyle("red", "bkcolor=\"#FFFF0000\" userdata=\"styled\"");
    a->SetAttribute("anything", "red");
    EXPECT_EQ(0xFFFF0000u, a->GetBkColor());
    EXPECT_EQ("styled", a->GetUserData());
    EXPECT_EQ("", a->GetCustomAttribute("anything"));
    // A style whose value names itself, and two styles naming each other: both end.
    win.pm.AddStyle("loop", "loop");
    a->SetAttribute("bkcolor", "loop");
    a->ApplyAttributeList("loop");
    win.pm.AddStyle("ping", "userdata=\"pong\"");
    win.pm.AddStyle("pong", "userdata=\"ping\"");
    a->SetAttribute("userdata", "ping");
    SUCCEED();
}

// ---- Resources
// ------------------------------------------------------------------------------------------


TEST_F(ManagerTest, ImagesLoadFromTheResourcePathAndBadFilesLeaveNoImage) {
    Show();
    CPaintManagerUI::SetResourcePath(wintest::ScratchDir());
    WriteScratch("blue.png", MakeSolidPng(8, 6, 0xFF0000FF));
    std::vector<uint32_t> masked(16, 0xFF00FF00);
    masked[0] = 0xFFFF00FF;
    WriteScratch("masked.png", MakePng(4, 4, masked));
    std::string corrupt = MakeSolidPng(8, 8, 0xFFFF0000);
    corrupt[corrupt.size() / 2] ^= 0x55;
    corrupt.resize(corrupt.size() - 30);
    WriteScratch("corrupt.png", corrupt);
    WriteScratch("notimage.png", "this is text, not a picture");
    WriteScratch("wide.bmp", MakeBmpHeader(9000, 1, 9000 * 4) + std::string(9000 * 4, '\0'));
    std::string big = MakeBmpHeader(2048, 2049, size_t(2048) * 2049 * 4);
    big.resize(big.size() + size_t(2048) * 2049 * 4, '\x7f');
    WriteScratch("big.bmp", big); // a valid image, but a file over 16 MiB

    const TImageInfo* blue = win.pm.AddImage("blue.png");
    ASSERT_NE(nullptr, blue);
    EXPECT_EQ(8, blue->nX);
    EXPECT_EQ(6, blue->nY);
    EXPECT_FALSE(blue->bAlpha);
    EXPECT_EQ(0xFFu, blue->pBits[0]); // blue channel first (BGRA)
    EXPECT_EQ(0x00u, blue->pBits[2]);

    const TImageInfo* mask = win.pm.AddImage("masked.png", "", 0xFFFF00FF);
    ASSERT_NE(nullptr, mask);
    EXPECT_TRUE(mask->bAlpha);
    EXPECT_EQ(0u, mask->pBits[3]);
    EXPECT_EQ(0xFFu, mask->pBits[7]);

    EXPECT_EQ(nullptr, win.pm.AddImage("missing.png"));
    EXPECT_EQ(nullptr, win.pm.AddImage("corrupt.png"));
    EXPECT_EQ(nullptr, win.pm.AddImage("notimage.png"));
    EXPECT_EQ(nullptr, win.pm.AddImage("wide.bmp"));
    EXPECT_EQ(nullptr, win.pm.AddImage("big.bmp"));
    EXPECT_EQ(nullptr, win.pm.GetImage("corrupt.png"));

    // Controls naming bad images paint without them, and without crashing.
    CProbeUI* a = AddProbe("a", {10, 10, 60, 40});
    a->SetBkColor(0xFF00FF00);
    a->SetBkImage("missing.png");
    a->SetForeImage("file='corrupt.png' corner='2,2,2,2'");
    CProbeUI* b = AddProbe("b", {70, 10, 120, 40});
    b->SetBkImage("file='wide.bmp' source='0,0,5000,1'");
    ::InvalidateRect(win.GetHWND(), nullptr, FALSE);
    ::UpdateWindow(win.GetHWND());
    PumpFor(20);
    EXPECT_EQ(0x00FF00u, PaintedPixel(win.pm, *a, 5, 5));
    EXPECT_FALSE(a->DrawImage(win.pm.GetPaintDC(), "missing.png"));
}

TEST_F(ManagerTest, ImageStringsDrawSourceDestFadeAndStaySafeOutOfRange) {
    CPaintManagerUI::SetResourcePath(wintest::ScratchDir());
    // Left half red, right half blue.
    std::vector<uint32_t> px(size_t(20) * 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            px[size_t(y) * 20 + x] = x < 10 ? 0xFFFF0000 : 0xFF0000FF;
    WriteScratch("halves.png", MakePng(20, 10, px));
    CProbeUI* a = AddProbe("a", {0, 0, 40, 20});
    a->SetBkColor(0xFFFFFFFF);
    Show();
    a->SetBkImage("file='halves.png' source='10,0,20,10'");
    EXPECT_EQ(0x0000FFu, PaintedPixel(win.pm, *a, 5, 5));
    a->SetBkImage("file='halves.png' source='0,0,10,10' dest='0,0,10,10'");
    EXPECT_EQ(0xFF0000u, PaintedPixel(win.pm, *a, 5, 5));
    EXPECT_EQ(0xFFFFFFu, PaintedPixel(win.pm, *a, 30, 15)); // outside dest
    a->SetBkImage("file='halves.png' source='0,0,10,10' fade='0'");
    EXPECT_EQ(0xFFFFFFu, PaintedPixel(win.pm, *a, 5, 5));
    a->SetBkImage("file='halves.png' source='0,0,10,10' fade='128'");
    unsigned half = PaintedPixel(win.pm, *a, 5, 5);
    EXPECT_NEAR(0xFF, int(half >> 16), 2);
    EXPECT_NEAR(0x7F, int((half >> 8) & 0xFF), 3);
    // Source and corner outside the bitmap, huge fades and negative numbers: clamped.
    a->SetBkImage("file='halves.png' source='-50,-50,90000,90000' corner='500,500,500,500' "
                  "fade='9999'");
    PaintedPixel(win.pm, *a, 5, 5);
    a->SetBkImage("file='halves.png' source='30,30,40,40'");
    EXPECT_EQ(0xFFFFFFu, PaintedPixel(win.pm, *a, 5, 5)); // wholly outside: nothing drawn
}

TEST_F(ManagerTest, ImagesAndFontsAddedAgainKeepWhatPaintingStillUses) {
    CPaintManagerUI::SetResourcePath(wintest::ScratchDir());
    WriteScratch("again.png", MakeSolidPng(4, 4, 0xFF102030));
    Show();
    const TImageInfo* first = win.pm.AddImage("again.png");
    ASSERT_NE(nullptr, first);
    HBITMAP firstBitmap = first->hBitmap;
    const TImageInfo* second = win.pm.AddImage("again.png");
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second);
    BITMAP bm = {};
    EXPECT_NE(0, ::GetObject(firstBitmap, sizeof(bm), &bm)); // still a live bitmap
    EXPECT_EQ(4, first->nX);
    EXPECT_TRUE(win.pm.RemoveImage("again.png"));
    EXPECT_NE(0, ::GetObject(second->hBitmap, sizeof(bm), &bm));

    HFONT f1 = win.pm.AddFont(3, "Arial", 14, false, false, false);
    ASSERT_NE(nullptr, f1);
    HFONT f2 = win.pm.AddFont(3, "Arial", 20, false, false, false);
    EXPECT_NE(f1, f2);
    LOGFONTA lf = {};
    EXPECT_NE(0, ::GetObjectA(f1, sizeof(lf), &lf)); // the replaced font still exists
    EXPECT_EQ(f2, win.pm.GetFont(3));
}

TEST_F(ManagerTest, FontsBoldIsWeight700AndMissingIdsFallBackToTheDefault) {
    Show();
    HFONT bold = win.pm.AddFont(1, "Arial", 16, true, true, false);
    LOGFONTA lf = {};
    ::GetObjectA(bold, sizeof(lf), &lf);
    EXPECT_EQ(700, lf.lfWeight);
    EXPECT_EQ(-16, lf.lfHeight);
    EXPECT_TRUE(lf.lfUnderline);
    win.pm.SetDefaultFont("Arial", 13, true, false, false);
    ::GetObjectA(win.pm.GetDefaultFontInfo()->hFont, sizeof(lf), &lf);
    EXPECT_EQ(700, lf.lfWeight);
    EXPECT_EQ(win.pm.GetDefaultFontInfo()->hFont, win.pm.GetFont(-1));
    EXPECT_EQ(win.pm.GetDefaultFontInfo()->hFont, win.pm.GetFont(42));
    EXPECT_GT(win.pm.GetFontHeight(1), 0);
    // A face longer than a font face can hold is cut, not overrun.
    EXPECT_NE(nullptr, win.pm.AddFont(2, std::string(200, 'x'), 12, false, false, false));
    EXPECT_EQ(31u, win.pm.GetFontInfo(2)->sFontName.size());
    EXPECT_FALSE(win.pm.AddFontFile("no-such-font.ttf"));
    CPaintManagerUI::SetResourcePath(wintest::ScratchDir());
    WriteScratch("broken.ttf", "not a font at all");
    EXPECT_FALSE(win.pm.AddFontFile("broken.ttf"));
}

// A Chinese face the system lacks never draws boxes: an installed face with Chinese glyphs
// stands in. A Latin face it lacks is left to the system's own mapping.
TEST_F(ManagerTest, AMissingChineseFaceIsReplacedByOneWithChineseGlyphs) {
    Show();
    const std::string missing = "Orvel \xE6\x97\xA0\xE6\xAD\xA4\xE5\xAD\x97\xE4\xBD\x93"; // "Orvel 无此字体"
    EXPECT_NE(CPaintManagerUI::InstalledFaceFor(missing), uitext::Wide(missing));
    EXPECT_EQ(CPaintManagerUI::InstalledFaceFor("Orvel Missing Latin"), L"Orvel Missing Latin");
    for (const std::string& face : {missing, std::string("SimHei")}) {
        HFONT font = win.pm.AddFont(5, face, 13, false, false, false);
        ASSERT_NE(font, nullptr);
        HDC dc = ::GetDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, font);
        WORD glyphs[4] = {};
        ::GetGlyphIndicesW(dc, L"\x5DE5\x4F5C\x6A21\x5F0F", 4, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
        ::SelectObject(dc, old);
        ::ReleaseDC(nullptr, dc);
        for (WORD glyph : glyphs)
            EXPECT_NE(glyph, 0xFFFF) << face << " draws boxes for Chinese text";
    }
}

TEST(ManagerDefaults, DefaultColoursSharedAndPerManager) {
    CPaintManagerUI one, two;
    EXPECT_EQ(0xFFA7A6AAu, one.GetDefaultDisabledColor());
    EXPECT_EQ(0xFF000000u, one.GetDefaultFontColor());
    EXPECT_EQ(0xFF0000FFu, one.GetDefaultLinkFontColor());
    EXPECT_EQ(0xFFD3215Fu, one.GetDefaultLinkHoverFontColor());
    EXPECT_EQ(0xFFBAE4FFu, one.GetDefaultSelectedBkColor());
    one.SetDefaultFontColor(0xFF112233);
    EXPECT_EQ(0xFF112233u, one.GetDefaultFontColor());
    EXPECT_EQ(0xFF000000u, two.GetDefaultFontColor());
    two.SetDefaultFontColor(0xFF445566, true);
    EXPECT_EQ(0xFF445566u, two.GetDefaultFontColor());
    EXPECT_EQ(0xFF112233u, one.GetDefaultFontColor());
    two.SetDefaultFontColor(0xFF000000, true);
    one.AddDefaultAttributeList("Button", "height=\"20\"");
    EXPECT_TRUE(one.HasDefaultAttributeList("Button"));
    EXPECT_FALSE(one.HasDefaultAttributeList("button"));
    EXPECT_EQ("height=\"20\"", one.GetDefaultAttributeList("Button"));
    one.AddDefaultAttributeList("Edit", "width=\"3\"", true);
    EXPECT_EQ("width=\"3\"", two.GetDefaultAttributeList("Edit"));
}

// ---- Painting
// --------------------------------------------------------------------------------------------

TEST_F(ManagerTest, PaintsBackgroundsGradientsAndBordersIntoTheWindow) {
    CProbeUI* a = AddProbe("a", {10, 10, 110, 60});
    a->SetBkColor(0xFFFF0000);
    a->SetBorderColor(0xFF0000FF);
    a->SetBorderSize(2);
    CProbeUI* g = AddProbe("g", {150, 10, 250, 60});
    g->SetAttribute("bkcolor", "#FF000000");
    g->SetAttribute("bkcolor2", "#FFFFFFFF");
    g->SetAttribute("gradient", "hor");
    CProbeUI* half = AddProbe("half", {300, 10, 350, 60});
    half->SetBkColor(0x80000000); // half-transparent black over the white root
    Show();
    win.pm.SetFocus(nullptr);
    ::InvalidateRect(win.GetHWND(), nullptr, FALSE);
    ::UpdateWindow(win.GetHWND());
    PumpFor(50);
    POINT origin = {0, 0};
    ::ClientToScreen(win.GetHWND(), &origin);
    RECT client = {origin.x, origin.y, origin.x + 400, origin.y + 300};
    wintest::Capture cap = wintest::CaptureScreen(client);
    ASSERT_EQ(400, cap.width);
    EXPECT_EQ(0xFFFFFFu, cap.At(5, 5));   // root background
    EXPECT_EQ(0xFF0000u, cap.At(50, 30)); // a's background
    EXPECT_EQ(0x0000FFu, cap.At(10, 30)); // a's border, inside its rectangle
    EXPECT_EQ(0x0000FFu, cap.At(11, 30));
    EXPECT_LT(cap.At(152, 30) & 0xFF, 0x20u); // gradient: dark on the left
    EXPECT_GT(cap.At(247, 30) & 0xFF, 0xE0u); // light on the right
    unsigned grey = cap.At(320, 30) & 0xFF;
    EXPECT_NEAR(0x7F, int(grey), 3);
    wintest::SaveBmp(cap, wintest::ArtifactsDir() + "\\ui_manager_paint.bmp");
}

TEST_F(ManagerTest, WindowSettingsFromTheSkinReachTheWindow) {
    // "size" before a tree is attached resizes the window at once, keeping its place.
    RECT before = {};
    ::GetWindowRect(win.GetHWND(), &before);
    win.pm.SetInitSize(640, 480);
    RECT after = {};
    ::GetWindowRect(win.GetHWND(), &after);
    EXPECT_EQ(640, after.right - after.left);
    EXPECT_EQ(480, after.bottom - after.top);
    EXPECT_EQ(before.left, after.left);
    win.pm.SetMinInfo(300, 0);
    win.pm.SetMaxInfo(0, 700);
    MINMAXINFO mmi = {};
    mmi.ptMaxTrackSize = {5000, 5000};
    mmi.ptMaxSize = {5000, 5000};
    Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(300, mmi.ptMinTrackSize.x);
    EXPECT_EQ(700, mmi.ptMaxTrackSize.y);
    EXPECT_EQ(5000, mmi.ptMaxTrackSize.x);
    Show();
}

TEST_F(ManagerTest, ClosingReleasesHoverCaptureAndFocus) {
    CProbeUI* a = AddProbe("a", {10, 10, 110, 60});
    Show();
    Send(WM_MOUSEMOVE, 0, At(20, 20));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
    a->events.clear();
    Send(WM_CLOSE, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"mouseleave", "buttonup", "killfocus"}), a->events);
    EXPECT_EQ(nullptr, win.pm.GetFocus());
    EXPECT_FALSE(::IsWindow(win.GetHWND()));
}

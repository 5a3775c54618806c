// The main window with the keyboard alone: keys pressed as a user presses them (the system's
// key events, no pointer), against the simulated device.
#include "tests/shell/frame_fixture.h"

#include "ui/UIButton.h"
#include "ui/UICombo.h"
#include "ui/UIList.h"

#include <cstdlib>
#include <set>

namespace frametest {

class KeyboardTest : public FrameTest {
protected:
    // Presses a key with the modifiers held (VK_CONTROL, VK_SHIFT, VK_MENU), then lets the
    // window handle it.
    void Key(BYTE vk, std::initializer_list<BYTE> modifiers = {}) {
        for (BYTE m : modifiers)
            keybd_event(m, 0, 0, 0);
        keybd_event(vk, 0, 0, 0);
        keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
        for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m)
            keybd_event(*m, 0, KEYEVENTF_KEYUP, 0);
        Pump(120);
    }
    std::string Focused() {
        CControlUI* focus = frame_->PaintManager().GetFocus();
        return focus ? focus->GetName() : std::string();
    }
    int Page() {
        return ControlAs<CTabLayoutUI>(Find("switch"))->GetCurSel();
    }
    // How a control and its surroundings are drawn now (the whole window painted, the
    // control's place cut out).
    std::vector<BYTE> Look(CControlUI* control) {
        RECT client = {};
        GetClientRect(hwnd_, &client);
        HBITMAP bitmap = frame_->PaintManager().GetRoot()->PaintToBitmap(client);
        BITMAP bm = {};
        std::vector<BYTE> look;
        if (bitmap == nullptr || GetObject(bitmap, sizeof(bm), &bm) == 0 || bm.bmBits == nullptr)
            return look;
        RECT rc = control->GetPos();
        InflateRect(&rc, 3, 3);
        IntersectRect(&rc, &rc, &client);
        const auto* pixels = static_cast<const DWORD*>(bm.bmBits);
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) {
                const DWORD pixel = pixels[size_t(y) * size_t(bm.bmWidth) + size_t(x)];
                look.insert(look.end(), {BYTE(pixel), BYTE(pixel >> 8), BYTE(pixel >> 16)});
            }
        DeleteObject(bitmap);
        return look;
    }
    void TakeForeground() {
        SetForegroundWindow(hwnd_);
        SetFocus(hwnd_);
        Pump(200);
    }
};

TEST_F(KeyboardTest, TabWalksEveryFocusableControlOnceAndCtrlTabChangesPages) {
    ASSERT_TRUE(Open());
    TakeForeground();
    // A whole cycle: every stop once, the focus never lost, each drawn with its frame.
    // Every stop looks different while it has the focus: its frame is drawn.
    std::vector<std::string> visited, unframed;
    CControlUI* previous = nullptr;
    std::vector<BYTE> previousLook;
    for (int i = 0; i < 400; ++i) {
        Key(VK_TAB);
        const std::string name = Focused();
        CControlUI* focus = frame_->PaintManager().GetFocus();
        ASSERT_FALSE(focus == nullptr) << "the focus was lost";

        if (previous != nullptr && Look(previous) == previousLook)
            unframed.push_back(previous->GetName() + " (" + previous->GetClass() + ")");
        previous = focus;
        previousLook = Look(focus);
        if (!visited.empty() && focus == frame_->PaintManager().FindControl(visited.front()) &&
            name == visited.front())
            break;
        visited.push_back(name);
        if (i == 3 || name == "Server" || name == "Open" || name == "RevertAll")
            SaveScreenshot("keyboard-focus-" + std::to_string(i));
    }
    EXPECT_TRUE(unframed.empty()) << "no focus drawn on " << ::testing::PrintToString(unframed);
    // The tab strip is one stop (its selected tab; the arrow keys move along it), the caption
    // buttons none.
    int tabs = 0;
    for (const std::string& name : visited) {
        auto* option = ControlAs<COptionUI>(Find(name));
        tabs += option != nullptr && option->GetGroup() == "pagetabs";
        for (const char* caption : {"minbtn", "maxbtn", "restorebtn", "closebtn"})
            EXPECT_NE(name, caption) << "a caption button is a Tab stop";
    }
    EXPECT_EQ(tabs, 1) << ::testing::PrintToString(visited);
    // On a blue button the focus stands out: a frame in a clearly different colour.
    CControlUI* open = Find("Open");
    frame_->PaintManager().SetFocus(Find("Clear"));
    const std::vector<BYTE> plain = Look(open);
    frame_->PaintManager().SetFocus(open);
    const std::vector<BYTE> focused = Look(open);
    ASSERT_EQ(plain.size(), focused.size());
    size_t standing = 0;
    for (size_t i = 0; i + 2 < plain.size(); i += 3) {
        int most = 0;
        for (size_t c = 0; c < 3; ++c)
            most = std::max(most, std::abs(int(plain[i + c]) - int(focused[i + c])));
        standing += most >= 120;
    }
    const RECT r = open->GetPos();
    EXPECT_GE(standing, size_t(r.right - r.left)) << "the focus hardly shows on a blue button";
    // Tabbed into, a field's text is selected: typing replaces it.
    Click("Server");
    Pump(200);
    Find("Server's Ip")->SetText("10.0.0.1");
    frame_->PaintManager().SetFocus(Find("Server"));
    for (int i = 0; i < 10 && Focused() != "Server's Ip"; ++i)
        Key(VK_TAB);
    ASSERT_EQ(Focused(), "Server's Ip");
    DWORD start = 1, end = 0;
    SendMessageW(GetFocus(), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 8u);
    Key('7');
    wchar_t typed[32] = {};
    GetWindowTextW(GetFocus(), typed, 32);
    EXPECT_STREQ(typed, L"7");
    EXPECT_TRUE(frame_->PaintManager().ShowsFocusCues());
    std::set<std::string> distinct(visited.begin(), visited.end());
    EXPECT_GT(visited.size(), 12u);
    EXPECT_EQ(distinct.size(), visited.size()) << "a stop was visited twice in one cycle";
    // The connection bar, the page and the operations are all in the cycle.
    for (const char* name : {"SerialPort", "Open", "Language", "WorkMode", "RevertAll", "Clear"})
        EXPECT_TRUE(distinct.count(name)) << name;
    // Ctrl+Tab / Ctrl+Shift+Tab / Ctrl+PgDn / Ctrl+PgUp change pages among the tabs in use.
    const int first = Page();
    Key(VK_TAB, {VK_CONTROL});
    const int second = Page();
    EXPECT_NE(second, first);
    // The keyboard goes on inside the new page.
    CControlUI* page = ControlAs<CTabLayoutUI>(Find("switch"))->GetItemAt(second);
    CControlUI* focus = frame_->PaintManager().GetFocus();
    ASSERT_NE(focus, nullptr) << "the focus was lost with the page";
    EXPECT_TRUE(focus->IsWithin(page)) << focus->GetName();
    Key(VK_TAB, {VK_CONTROL, VK_SHIFT});
    EXPECT_EQ(Page(), first);
    Key(VK_NEXT, {VK_CONTROL});
    EXPECT_EQ(Page(), second);
    Key(VK_PRIOR, {VK_CONTROL});
    EXPECT_EQ(Page(), first);
}

TEST_F(KeyboardTest, OpenReadChangeAndWriteWithTheKeyboardAlone) {
    ASSERT_TRUE(Open());
    TakeForeground();
    // Alt+O opens the port, Alt+L brings the running device into its setting mode.
    Key('O', {VK_MENU});
    ASSERT_TRUE(PumpUntil([&] { return frame_->Link().IsOpen(); }, 3000));
    ASSERT_TRUE(PumpUntil([&] { return Enabled("Login"); }));
    Key('L', {VK_MENU});
    ASSERT_TRUE(WaitForSettingMode(true));
    ASSERT_TRUE(WaitForIdle());
    // Alt+R reads.
    Key('R', {VK_MENU});
    ASSERT_TRUE(WaitForTranscript("AT+SHOW\r\n"));
    ASSERT_TRUE(WaitForIdle());
    Pump(500);
    const std::string interval = Text("CollectInterval");
    const std::string changed = interval == "61" ? "62" : "61";
    // To the Modbus page.
    for (int i = 0; i < 12 && Page() != 10; ++i)
        Key(VK_TAB, {VK_CONTROL});
    ASSERT_EQ(Page(), 10);
    // Ctrl+Tab left the keyboard at the page's first field.
    EXPECT_EQ(Focused(), "CollectInterval");
    for (int i = 0; i < 300 && Focused() != "CollectInterval"; ++i)
        Key(VK_TAB);
    ASSERT_EQ(Focused(), "CollectInterval");
    // Ctrl+A and the new digits replace the value.
    Key('A', {VK_CONTROL});
    for (char c : changed)
        Key(BYTE(c));
    EXPECT_EQ(Text("CollectInterval"), changed);
    Key(VK_TAB);
    // Alt+W shows the plan; Enter writes; Escape closes it.
    const size_t mark = Transcript().size();
    Key('W', {VK_MENU});
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() != nullptr; }, 3000));
    SetForegroundWindow(frame_->PlanWindow()->GetHWND());
    Pump(200);
    EXPECT_EQ(GetFocus(), frame_->PlanWindow()->GetHWND()) << "the plan has the keyboard";
    Key(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return !frame_->IsVerifying() && frame_->PlanWindow() &&
                                       frame_->PlanWindow()->Written(); }, 40000));
    Key(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() == nullptr; }, 3000));
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "AT+MSBITV=" + changed + "\n");
    // Back as it was.
    Find("CollectInterval")->SetText(interval);
    ASSERT_TRUE(WriteThroughPlan());
    Click("quit");
    WaitForIdle(2000);
}

// The port chooser ends in "Network port...": keys that pass over it in the open list ask for
// no address; the list closed on it does.
TEST_F(KeyboardTest, NetworkPortPassedOverInTheOpenListAsksOnlyWhenChosen) {
    ASSERT_TRUE(Open());
    TakeForeground();
    CPaintManagerUI& pm = frame_->PaintManager();
    auto* ports = ControlAs<CComboUI>(Find("SerialPort"));
    ASSERT_NE(ports, nullptr);
    const int last = ports->GetCount() - 1;
    ASSERT_GE(last, 1);
    pm.SetFocus(ports);
    Key(VK_F4);
    ASSERT_TRUE(ports->IsDroppedDown());
    Key(VK_END);
    EXPECT_EQ(ports->GetCurSel(), last);
    Pump(300);
    EXPECT_EQ(frame_->NetworkPortWindow(), nullptr) << "asked while passing over it";
    Key(VK_UP);
    Key(VK_RETURN);
    EXPECT_FALSE(ports->IsDroppedDown());
    Pump(300);
    EXPECT_EQ(frame_->NetworkPortWindow(), nullptr);
    EXPECT_EQ(ports->GetCurSel(), last - 1);

    // Closed on it, the list's last item asks for the address.
    Key(VK_F4);
    Key(VK_END);
    Key(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return frame_->NetworkPortWindow() != nullptr; }, 3000));
    ClickControl(frame_->NetworkPortWindow()->GetHWND(),
                 frame_->NetworkPortWindow()->FindControl("NetCancel"));
    ASSERT_TRUE(PumpUntil([&] { return frame_->NetworkPortWindow() == nullptr; }, 3000));
    EXPECT_EQ(ports->GetCurSel(), last - 1) << "cancelled: the port chosen before stays";
}

TEST_F(KeyboardTest, CombosTabsAndListRowsWithTheKeyboard) {
    ASSERT_TRUE(Open());
    TakeForeground();
    CPaintManagerUI& pm = frame_->PaintManager();
    // A combo: Alt+Down opens its list, Escape closes it as it was; a digit picks the next item
    // that starts with it.
    auto* baud = ControlAs<CComboUI>(Find("BaudRate1"));
    ASSERT_NE(baud, nullptr);
    pm.SetFocus(baud);
    const int before = baud->GetCurSel();
    Key(VK_DOWN, {VK_MENU});
    EXPECT_TRUE(baud->IsDroppedDown());
    Key(VK_DOWN);
    Key(VK_ESCAPE);
    EXPECT_FALSE(baud->IsDroppedDown());
    EXPECT_EQ(baud->GetCurSel(), before) << "Escape puts back what was chosen";
    Key(VK_DOWN, {VK_MENU});
    EXPECT_TRUE(baud->IsDroppedDown());
    Key(VK_UP, {VK_MENU});
    EXPECT_FALSE(baud->IsDroppedDown());
    Key('9');
    EXPECT_EQ(baud->GetText().substr(0, 1), "9");
    Key('1');
    EXPECT_EQ(baud->GetText().substr(0, 1), "1");
    Key(VK_F4);
    EXPECT_TRUE(baud->IsDroppedDown());
    Key('4');
    EXPECT_EQ(baud->GetText().substr(0, 1), "4");
    Key(VK_RETURN);
    EXPECT_FALSE(baud->IsDroppedDown());
    pm.SetFocus(nullptr);
    baud->SelectItem(before);

    // The tab strip: the arrows move along the tabs, each showing its page.
    pm.SetFocus(Find("WorkMode"));
    Key(VK_RIGHT);
    EXPECT_EQ(pm.GetFocus(), Find("Server"));
    EXPECT_EQ(Page(), 1);
    Key(VK_LEFT);
    EXPECT_EQ(pm.GetFocus(), Find("WorkMode"));
    EXPECT_EQ(Page(), 0);

    // The sensor list: Ctrl+Down and Ctrl+Up go to the same field of the next and previous row,
    // from a combo and from an edit (whose own window hands the keys on).
    ASSERT_TRUE(ControlAs<COptionUI>(Find("Modbus"))->Activate());
    Pump(300);
    auto* list = ControlAs<CListUI>(Find("CustomList"));
    ASSERT_NE(list, nullptr);
    ASSERT_GE(list->GetCount(), 3);
    auto field = [&](int row, const char* name) {
        return pm.FindSubControlByName(list->GetItemAt(row), name);
    };
    for (const char* name : {"SensorCfg_DataType", "SensorCfg_DeviceAddress"}) {
        pm.SetFocus(field(0, name));
        Pump(150);
        ASSERT_EQ(pm.GetFocus(), field(0, name)) << name;
        Key(VK_DOWN, {VK_CONTROL});
        EXPECT_EQ(pm.GetFocus(), field(1, name)) << name;
        EXPECT_EQ(list->GetCurSel(), 1) << name;
        Key(VK_DOWN, {VK_CONTROL});
        EXPECT_EQ(pm.GetFocus(), field(2, name)) << name;
        Key(VK_UP, {VK_CONTROL});
        EXPECT_EQ(pm.GetFocus(), field(1, name)) << name;
    }
    // Ctrl+Up from the first row stays there.
    pm.SetFocus(field(0, "SensorCfg_DataType"));
    Key(VK_UP, {VK_CONTROL});
    EXPECT_EQ(pm.GetFocus(), field(0, "SensorCfg_DataType"));
}

} // namespace frametest

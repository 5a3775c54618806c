// Combo boxes and lists under Wine, through real window messages: selection by keys, mouse
// and wheel, the drop-down window (placement, Escape, closing before item changes, dying with
// its owner), notifications in order with their parameters, and lists with headers and rows.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/shared_window_test.h"
#include "tests/ui/text_test_window.h"
#include "ui/UICombo.h"
#include "ui/UIDlgBuilder.h"
#include "ui/UIList.h"

using namespace texttest;

namespace {

CListLabelElementUI* Item(const std::string& text) {
    auto* item = new CListLabelElementUI;
    item->SetText(text);
    item->SetFixedHeight(20);
    return item;
}

class ComboListTest : public CSharedWindowTest<40, 40, 400, 300> {
protected:
    void SetUp() override {
        ASSERT_NE(shared->GetHWND(), nullptr);
        ::SetWindowPos(shared->GetHWND(), nullptr, 40, 40, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        combo = shared->Place(new CComboUI, "SerialPort", RECT{10, 10, 160, 32});
        for (const char* text : {"COM1", "COM3", "COM4"})
            combo->Add(Item(text));
        Layout();
        shared->pm.SetFocus(nullptr);
        PumpFor(10);
        shared->recorder.notes.clear();
        shared->recorder.onNotify = nullptr;
    }
    void TearDown() override {
        shared->recorder.onNotify = nullptr;
        if (combo != nullptr)
            combo->CloseDropDown();
        shared->pm.SetFocus(nullptr);
        shared->root->RemoveAll();
        PumpFor(20);
    }
    static void Layout() {
        shared->pm.NeedUpdate();
        ::InvalidateRect(shared->GetHWND(), nullptr, FALSE);
        ::UpdateWindow(shared->GetHWND());
        PumpFor(20);
    }
    // Opens the drop-down with a click on the combo and waits for its window.
    HWND Open() {
        Click(wnd.GetHWND(), 60, 20);
        Pump([&] { return combo->GetDropWindow() != nullptr; }, 1000);
        PumpFor(30);
        return combo->GetDropWindow();
    }
    // Types of the notifications sent for the combo, in order.
    std::vector<std::string> ComboNotes() const { return wnd.recorder.Types("SerialPort"); }

    CTextTestWindow& wnd = *shared;
    CComboUI* combo = nullptr;
};

TEST_F(ComboListTest, SelectItemClampsRejectsAndReports) {
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->GetText(), "");
    // Past the end: the last item.
    EXPECT_TRUE(combo->SelectItem(5, false));
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetText(), "COM4");
    const Note* note = wnd.recorder.Last("itemselect");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->wParam, 2u);
    EXPECT_EQ(note->lParam, -1);
    // The same again: nothing new.
    EXPECT_TRUE(combo->SelectItem(2, false));
    EXPECT_EQ(wnd.recorder.Count("itemselect"), 1);
    // A disabled item keeps the old selection.
    combo->GetItemAt(0)->SetEnabled(false);
    EXPECT_FALSE(combo->SelectItem(0, false));
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(wnd.recorder.Count("itemselect"), 1);
    // -1 clears without a notification.
    EXPECT_FALSE(combo->SelectItem(-1, false));
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->GetText(), "");
    EXPECT_EQ(wnd.recorder.Count("itemselect"), 1);
    // Out of range far away and with no items.
    EXPECT_TRUE(combo->SelectItem(0x7FFFFFFF, false));
    EXPECT_EQ(combo->GetCurSel(), 2);
    combo->RemoveAll();
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_FALSE(combo->SelectItem(0, false));
    EXPECT_FALSE(combo->SelectItem(3, false));
    EXPECT_EQ(combo->GetText(), "");
}

TEST_F(ComboListTest, TextAttributeDoesNotShowWithoutSelection) {
    combo->SetAttribute("text", "COM9");
    EXPECT_EQ(combo->GetText(), "");
    combo->SelectItem(1, false);
    EXPECT_EQ(combo->GetText(), "COM3");
}

TEST_F(ComboListTest, RemovingItemsRenumbersAndFixesTheSelection) {
    combo->Add(Item("COM7"));
    combo->SelectItem(2, false);
    EXPECT_TRUE(combo->RemoveAt(0));
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetText(), "COM4");
    for (int i = 0; i < combo->GetCount(); ++i)
        EXPECT_EQ(AsListItem(combo->GetItemAt(i))->GetIndex(), i);
    // The selected item goes: no selection.
    EXPECT_TRUE(combo->Remove(combo->GetItemAt(1)));
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->GetText(), "");
    // Insertion before the selection moves it.
    combo->SelectItem(1, false);
    EXPECT_TRUE(combo->AddAt(Item("COM2"), 0));
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetText(), "COM7");
    EXPECT_EQ(AsListItem(combo->GetItemAt(2))->GetIndex(), 2);
    EXPECT_FALSE(combo->RemoveAt(10));
    EXPECT_FALSE(combo->AddAt(Item("x"), 10) && false);
}

TEST_F(ComboListTest, KeysMoveTheSelectionOverSelectableItems) {
    combo->GetItemAt(1)->SetEnabled(false);
    combo->SetFocus();
    PumpFor(10);
    ASSERT_TRUE(combo->IsFocused());
    PressKey(wnd.GetHWND(), VK_DOWN);
    EXPECT_EQ(combo->GetCurSel(), 0);
    PressKey(wnd.GetHWND(), VK_DOWN); // skips the disabled item
    EXPECT_EQ(combo->GetCurSel(), 2);
    PressKey(wnd.GetHWND(), VK_DOWN); // nothing after the last
    EXPECT_EQ(combo->GetCurSel(), 2);
    PressKey(wnd.GetHWND(), VK_HOME);
    EXPECT_EQ(combo->GetCurSel(), 0);
    PressKey(wnd.GetHWND(), VK_UP); // nothing before the first: the selection stays
    EXPECT_EQ(combo->GetCurSel(), 0);
    PressKey(wnd.GetHWND(), VK_END);
    EXPECT_EQ(combo->GetCurSel(), 2);
    std::vector<WPARAM> selected;
    for (const auto& n : wnd.recorder.notes)
        if (n.type == "itemselect")
            selected.push_back(n.wParam);
    EXPECT_EQ(selected, (std::vector<WPARAM>{0, 2, 0, 2}));
}

TEST_F(ComboListTest, WheelSelectsWithScrollSelect) {
    combo->SetAttribute("scrollselect", "true");
    combo->SelectItem(0, false);
    POINT pt = {60, 20};
    ::ClientToScreen(wnd.GetHWND(), &pt);
    ::SendMessageA(wnd.GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)),
                   MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(combo->GetCurSel(), 1);
    ::SendMessageA(wnd.GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                   MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(combo->GetCurSel(), 0);
}

TEST_F(ComboListTest, MouseOpensTheDropDownAndAClickOnAnItemChoosesIt) {
    combo->SelectItem(0, false);
    wnd.recorder.notes.clear();
    HWND drop = Open();
    ASSERT_NE(drop, nullptr);
    EXPECT_TRUE(::IsWindowVisible(drop));
    // Like the system's own lists it never takes the activation (an activated pop-up is a
    // window-manager window under X11, whose closing Wine holds up for two seconds).
    EXPECT_NE(::GetActiveWindow(), drop);
    EXPECT_NE(::GetFocus(), drop);
    // Below the combo, as wide as it, as high as its items + 4.
    RECT rcDrop = {};
    ::GetWindowRect(drop, &rcDrop);
    POINT comboBottomLeft = {10, 32};
    ::ClientToScreen(wnd.GetHWND(), &comboBottomLeft);
    EXPECT_EQ(rcDrop.top, comboBottomLeft.y);
    EXPECT_EQ(rcDrop.left, comboBottomLeft.x);
    EXPECT_EQ(rcDrop.right - rcDrop.left, 150);
    EXPECT_EQ(rcDrop.bottom - rcDrop.top, 3 * 20 + 4);
    // The third item sits at 1 + 2 * 20 in the pop-up (inset 1).
    ::SendMessageA(drop, WM_MOUSEMOVE, 0, At(30, 51));
    ::SendMessageA(drop, WM_LBUTTONDOWN, MK_LBUTTON, At(30, 51));
    ::SendMessageA(drop, WM_LBUTTONUP, 0, At(30, 51));
    EXPECT_NE(::GetActiveWindow(), drop) << "a click does not activate it either";
    EXPECT_TRUE(Pump([&] { return !::IsWindow(drop); }, 1000));
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetText(), "COM4");
    EXPECT_EQ(ComboNotes(), (std::vector<std::string>{"predropdown", "dropdown", "itemselect"}));
    const Note* note = wnd.recorder.Last("itemselect");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->wParam, 2u);
    EXPECT_EQ(note->lParam, 0);
    // The items are back in the combo's window, without a place of their own.
    for (int i = 0; i < combo->GetCount(); ++i) {
        EXPECT_EQ(combo->GetItemAt(i)->GetManager(), &wnd.pm);
        EXPECT_EQ(combo->GetItemAt(i)->GetParent(), combo);
        EXPECT_TRUE(::IsRectEmpty(&combo->GetItemAt(i)->GetPos()));
    }
}

TEST_F(ComboListTest, KeysInTheDropDownMoveTheSelectionAndEscapeRestoresIt) {
    combo->SelectItem(1, false);
    HWND drop = Open();
    ASSERT_NE(drop, nullptr);
    wnd.recorder.notes.clear();
    PressKey(drop, VK_DOWN);
    EXPECT_EQ(combo->GetCurSel(), 2);
    PressKey(drop, VK_UP);
    PressKey(drop, VK_UP);
    EXPECT_EQ(combo->GetCurSel(), 0);
    PressKey(drop, VK_ESCAPE);
    EXPECT_TRUE(Pump([&] { return !::IsWindow(drop); }, 1000));
    EXPECT_EQ(combo->GetCurSel(), 1);
    const Note* note = wnd.recorder.Last("itemselect");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->wParam, 1u);
    EXPECT_EQ(note->lParam, 0);

    // Enter keeps what the keys chose.
    drop = Open();
    ASSERT_NE(drop, nullptr);
    PressKey(drop, VK_DOWN);
    PressKey(drop, VK_RETURN);
    EXPECT_TRUE(Pump([&] { return !::IsWindow(drop); }, 1000));
    EXPECT_EQ(combo->GetCurSel(), 2);
}

TEST_F(ComboListTest, F4OpensAndTheWheelScrollsOrSelectsInTheDropDown) {
    combo->RemoveAll();
    for (int i = 0; i < 30; ++i)
        combo->Add(Item("COM" + std::to_string(i + 1)));
    combo->SelectItem(0, false);
    combo->SetFocus();
    PumpFor(10);
    wnd.recorder.notes.clear();
    PressKey(wnd.GetHWND(), VK_F4);
    ASSERT_TRUE(Pump([&] { return combo->GetDropWindow() != nullptr; }, 1000));
    HWND drop = combo->GetDropWindow();
    EXPECT_EQ(ComboNotes(), (std::vector<std::string>{"predropdown", "dropdown"}));
    PumpFor(30);
    // Without scroll-select the wheel scrolls the list and keeps the selection.
    ::SendMessageA(drop, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
    EXPECT_EQ(combo->GetCurSel(), 0);
    RECT rcFirst = combo->GetItemAt(0)->GetPos();
    EXPECT_LT(rcFirst.top, 1); // moved up out of the inset
    // With scroll-select it moves the selection.
    combo->SetScrollSelect(true);
    ::SendMessageA(drop, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
    EXPECT_EQ(combo->GetCurSel(), 1);
    PressKey(drop, VK_RETURN);
    EXPECT_TRUE(Pump([&] { return !::IsWindow(drop); }, 3000));
    EXPECT_EQ(combo->GetText(), "COM2");
}

TEST_F(ComboListTest, PreDropDownReceiverMayDisableTheCombo) {
    wnd.recorder.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == "predropdown")
            combo->SetEnabled(false);
    };
    EXPECT_FALSE(combo->Activate());
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
    EXPECT_EQ(ComboNotes(), std::vector<std::string>{"predropdown"});
    EXPECT_FALSE(combo->Activate()); // disabled: nothing at all
    EXPECT_EQ(ComboNotes(), std::vector<std::string>{"predropdown"});
}

TEST_F(ComboListTest, DropDownOpensAboveNearTheBottomOfTheScreen) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoA(::MonitorFromWindow(wnd.GetHWND(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    // The combo's top 50 pixels above the bottom of the work area: 64 pixels do not fit below.
    RECT rcClient = {0, 0, 0, 0};
    ::AdjustWindowRectEx(&rcClient, WS_OVERLAPPEDWINDOW, FALSE, 0);
    const int y = monitor.rcWork.bottom - 60 - (-rcClient.top);
    ::SetWindowPos(wnd.GetHWND(), nullptr, 40, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PumpFor(30);
    HWND drop = Open();
    ASSERT_NE(drop, nullptr);
    RECT rcDrop = {};
    ::GetWindowRect(drop, &rcDrop);
    POINT comboTop = {10, 10};
    ::ClientToScreen(wnd.GetHWND(), &comboTop);
    EXPECT_EQ(rcDrop.bottom, comboTop.y);
    EXPECT_EQ(rcDrop.bottom - rcDrop.top, 64);
    EXPECT_LE(rcDrop.bottom, monitor.rcWork.bottom);
}

TEST_F(ComboListTest, ChangingItemsClosesTheDropDownFirst) {
    combo->SelectItem(0, false);
    HWND drop = Open();
    ASSERT_NE(drop, nullptr);
    // The port list is refilled while the list is open.
    combo->RemoveAll();
    EXPECT_FALSE(::IsWindow(drop));
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
    EXPECT_EQ(combo->GetCurSel(), -1);
    combo->Add(Item("COM5"));
    combo->SelectItem(0, false);
    EXPECT_EQ(combo->GetText(), "COM5");
    EXPECT_EQ(combo->GetItemAt(0)->GetManager(), &wnd.pm);
    PumpFor(30);
}

TEST_F(ComboListTest, DropDownDiesWithItsCombo) {
    HWND drop = Open();
    ASSERT_NE(drop, nullptr);
    wnd.root->SetAutoDestroy(false);
    wnd.root->Remove(combo);
    wnd.root->SetAutoDestroy(true);
    delete combo;
    combo = nullptr;
    EXPECT_FALSE(::IsWindow(drop));
    PumpFor(30); // late messages of the pop-up must find nothing
}

TEST_F(ComboListTest, TenThousandItemsAndAnyBytes) {
    combo->RemoveAll();
    DWORD start = ::GetTickCount();
    for (int i = 0; i < 10000; ++i)
        combo->Add(Item("item " + std::to_string(i)));
    const DWORD added = ::GetTickCount() - start;
    combo->SelectItem(0, false);
    start = ::GetTickCount();
    HWND drop = Open();
    const DWORD opened = ::GetTickCount() - start;
    ASSERT_NE(drop, nullptr);
    RECT rcDrop = {};
    ::GetWindowRect(drop, &rcDrop);
    EXPECT_EQ(rcDrop.bottom - rcDrop.top, 150); // the default drop-box height
    PressKey(drop, VK_END);
    EXPECT_EQ(combo->GetCurSel(), 9999);
    PressKey(drop, VK_RETURN);
    EXPECT_TRUE(Pump([&] { return !::IsWindow(drop); }, 3000));
    EXPECT_EQ(combo->GetText(), "item 9999");
    std::printf("10000 combo items: added in %lu ms, drop-down opened in %lu ms\n", added, opened);

    std::string bytes;
    for (int b = 1; b < 256; ++b)
        bytes += char(b);
    combo->AddAt(Item(bytes), 0);
    combo->SelectItem(0, false);
    EXPECT_EQ(combo->GetText(), bytes);
    Layout(); // paints the odd text
}

// ---- Lists --------------------------------------------------------------------------------------

class ListTest : public ComboListTest {
protected:
    void SetUp() override {
        ComboListTest::SetUp();
        list = shared->Place(new CListUI, "CustomList", RECT{10, 60, 390, 200});
        list->SetAttribute("vscrollbar", "true");
        auto* header = new CListHeaderUI;
        header->SetFixedHeight(20);
        for (const char* title : {"Channel", "Address"}) {
            auto* column = new CListHeaderItemUI;
            column->SetText(title);
            column->SetFixedWidth(100);
            header->Add(column);
        }
        list->Add(header);
        for (int i = 0; i < 20; ++i) {
            auto* row = new CListContainerElementUI;
            row->SetFixedHeight(28);
            row->SetName("row" + std::to_string(i));
            auto* label = new CListLabelElementUI; // a plain child control of the row
            label->SetText("sensor " + std::to_string(i));
            label->SetMouseEnabled(false);
            row->Add(label);
            list->Add(row);
        }
        Layout();
        shared->recorder.notes.clear();
    }
    CListUI* list = nullptr;
};

TEST_F(ListTest, HeaderRowsAndColumns) {
    EXPECT_EQ(list->GetCount(), 20);
    EXPECT_EQ(list->GetHeader()->GetCount(), 2);
    EXPECT_EQ(list->GetListInfo()->nColumns, 2);
    EXPECT_EQ(list->GetListInfo()->rcColumn[1].left, list->GetListInfo()->rcColumn[0].right);
    for (int i = 0; i < list->GetCount(); ++i)
        EXPECT_EQ(AsListItem(list->GetItemAt(i))->GetIndex(), i);
    // The body scrolls: 20 rows of 28 in 120 pixels.
    EXPECT_GT(list->GetScrollRange().cy, 0);
}

TEST_F(ListTest, ClickKeysAndWheel) {
    RECT rcRow = list->GetItemAt(1)->GetPos();
    Click(wnd.GetHWND(), rcRow.left + 50, rcRow.top + 5);
    EXPECT_EQ(list->GetCurSel(), 1);
    const Note* note = wnd.recorder.Last("itemselect");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->sender, "CustomList");
    EXPECT_EQ(note->wParam, 1u);
    EXPECT_EQ(note->lParam, 0);
    EXPECT_EQ(wnd.recorder.Count("itemclick"), 1);

    PressKey(wnd.GetHWND(), VK_DOWN);
    EXPECT_EQ(list->GetCurSel(), 2);
    PressKey(wnd.GetHWND(), VK_END);
    EXPECT_EQ(list->GetCurSel(), 19);
    EXPECT_GT(list->GetScrollPos().cy, 0); // scrolled into view
    PressKey(wnd.GetHWND(), VK_HOME);
    EXPECT_EQ(list->GetCurSel(), 0);
    EXPECT_EQ(list->GetScrollPos().cy, 0);

    POINT pt = {100, 150};
    ::ClientToScreen(wnd.GetHWND(), &pt);
    ::SendMessageA(wnd.GetHWND(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)),
                   MAKELPARAM(pt.x, pt.y));
    PumpFor(10);
    EXPECT_GT(list->GetScrollPos().cy, 0);
}

TEST_F(ListTest, SelectionSurvivesNothingItShouldNot) {
    EXPECT_TRUE(list->SelectItem(3));
    list->GetItemAt(5)->SetEnabled(false);
    EXPECT_FALSE(list->SelectItem(5)); // disabled: the old selection stays
    EXPECT_EQ(list->GetCurSel(), 3);
    EXPECT_FALSE(list->SelectItem(99));
    EXPECT_EQ(list->GetCurSel(), 3);
    EXPECT_TRUE(list->RemoveAt(0));
    EXPECT_EQ(list->GetCurSel(), 2);
    EXPECT_EQ(AsListItem(list->GetItemAt(2))->GetIndex(), 2);
    EXPECT_TRUE(list->RemoveAt(2));
    EXPECT_EQ(list->GetCurSel(), -1);
    list->SelectItem(0);
    list->RemoveAll();
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_FALSE(list->SelectItem(-1));
    Layout();
}

TEST_F(ListTest, ColumnsAreCappedAtThirtyTwo) {
    for (int i = 0; i < 40; ++i) {
        auto* column = new CListHeaderItemUI;
        column->SetFixedWidth(8);
        list->Add(column);
    }
    EXPECT_EQ(list->GetListInfo()->nColumns, 32);
    auto* row = new CListTextElementUI;
    for (int i = 0; i < 40; ++i)
        row->SetText(i, "c" + std::to_string(i));
    EXPECT_EQ(row->GetText(31), "c31");
    EXPECT_EQ(row->GetText(35), ""); // beyond the cap: not kept
    list->Add(row);
    Layout();
    EXPECT_EQ(list->GetListInfo()->nColumns, 32);
}

} // namespace

namespace {

TEST_F(ComboListTest, ListAndComboBuiltFromASkin) {
    const char* xml = R"(<Window><HorizontalLayout>
        <Combo name="BaudRate1" width="120" height="24">
            <ListLabelElement text="9600" height="22"/>
            <ListLabelElement text="115200" height="22" selected="true"/>
        </Combo>
        <List name="sensors" vscrollbar="true" width="250" height="150">
            <ListHeader height="22"><ListHeaderItem text="Channel" width="80"/><ListHeaderItem text="Name"/></ListHeader>
            <ListLabelElement text="one" height="24" selected="true"/>
            <ListLabelElement text="two" height="24"/>
        </List></HorizontalLayout></Window>)";
    CDialogBuilder builder;
    CControlUI* built = builder.Create(xml, nullptr, nullptr, &wnd.pm, nullptr);
    ASSERT_NE(built, nullptr);
    wnd.root->Add(built);
    Layout();
    auto* baud = static_cast<CComboUI*>(wnd.pm.FindControl("BaudRate1"));
    auto* sensors = static_cast<CListUI*>(wnd.pm.FindControl("sensors"));
    ASSERT_NE(baud, nullptr);
    ASSERT_NE(sensors, nullptr);
    EXPECT_EQ(baud->GetCurSel(), 1);
    EXPECT_EQ(baud->GetText(), "115200");
    EXPECT_EQ(sensors->GetCurSel(), 0);
    EXPECT_EQ(sensors->GetHeader()->GetCount(), 2);
    EXPECT_EQ(sensors->GetListInfo()->nColumns, 2);
    // The rows start right under the header.
    EXPECT_EQ(sensors->GetItemAt(0)->GetPos().top, sensors->GetHeader()->GetPos().bottom);
}

} // namespace

// The write plan in the main window against the simulated device: fields typed into, the plan
// window and its ticks, exactly the ticked commands on the wire, every row verified by reading
// the device again, refused values kept marked and named, Cancel, a loaded file planned before
// anything is sent, undoing the last write from its snapshot, and comparing with a file.
#include "tests/shell/frame_fixture.h"

#include "params/snapshots.h"
#include "ui/UIButton.h"
#include "ui/UICombo.h"
#include "ui/UIEdit.h"

#include <atomic>
#include <climits>

namespace frametest {

class PlanTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        backups_ = Scratch("backups");
        COrvelFrameWnd::SetBackupFolder(backups_);
    }
    void TearDown() override {
        COrvelFrameWnd::SetBackupFolder("");
        FrameTest::TearDown();
    }

    // Clicks the field, selects its text and types `text` as keys into the edit's own window,
    // then leaves the field.
    void Type(const std::string& field, const std::string& text) {
        Click(field);
        // The edit's own window takes the keyboard once the click has reached the field.
        PumpUntil([&] { return GetFocus() != nullptr && GetFocus() != hwnd_; }, 2000);
        HWND editor = GetFocus();
        ASSERT_NE(editor, nullptr) << field;
        ASSERT_NE(editor, hwnd_) << field << ": no edit window took the keyboard";
        SendMessageA(editor, EM_SETSEL, 0, -1);
        for (char c : text)
            PostMessageA(editor, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
        Pump(200);
        Click("DeviceState"); // the focus leaves the field
        EXPECT_EQ(Text(field), text) << field;
    }

    void Page(const std::string& option) {
        Click(option);
        Pump(300);
    }
    // The work mode as a user picks it, written through the plan and read back.
    void SetWorkMode(int item) {
        auto* mode = ControlAs<CComboUI>(Find("Protocolmodel"));
        ASSERT_NE(mode, nullptr);
        if (mode->GetCurSel() == item)
            return;
        mode->SelectItem(item, false);
        Pump(300);
        ASSERT_TRUE(WriteThroughPlan());
        ReadDevice();
    }

    void ReadDevice() {
        Click("Load");
        ASSERT_TRUE(WaitForIdle());
        Pump(500); // the rules the showing posted, then the marks
    }

    FieldMark Mark(const std::string& name) { return frame_->View().GetMark(name); }
    // A field as its page names it.
    std::string Label(const std::string& key) { return frame_->View().FieldLabel(key); }
    std::string PlanCell(size_t row, const std::string& name) {
        CControlUI* cell = frame_->PlanWindow()->RowControl(row, name);
        return cell ? cell->GetText() : "<missing>";
    }
    void PlanScreenshot(const std::string& name) {
        HWND plan = frame_->PlanWindow()->GetHWND();
        RedrawWindow(plan, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump(200);
        const std::string language = GetLanguageIndex() == 0 ? "" : "zh-";
        wintest::SaveBmp(wintest::CaptureWindow(plan),
                         wintest::ArtifactsDir() + "\\shell-" + language + name + ".bmp");
    }

    // A click as the mouse gives it, through the system's input queue (activation included),
    // at the middle of a control of `window`.
    void RealClick(HWND window, CControlUI* control) {
        ASSERT_NE(control, nullptr);
        RECT r = control->GetPos();
        POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(window, &at);
        SetCursorPos(at.x, at.y);
        Pump(100);
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_MOUSE;
        input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, input, sizeof(INPUT));
        Pump(300);
    }

    std::string backups_;
};

TEST_F(PlanTest, ThePlanWindowShowsEveryChangeAndWritesOnlyTheTickedRows) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    ReadDevice();
    const int workMode = ControlAs<CComboUI>(Find("Protocolmodel"))->GetCurSel();
    SetWorkMode(2); // DCTCP: the server page is in use
    const std::string interval = Text("CollectInterval");
    const std::string ip = Text("Server's Ip");
    const std::string port = Text("Server's Port");
    const std::string newInterval = interval == "61" ? "62" : "61";

    // Three fields typed into, one of them a port the device cannot take.
    Page("Server");
    Type("Server's Port", "900090");
    Type("Server's Ip", "121.40.200.179");
    Page("Modbus");
    Type("CollectInterval", newInterval);
    Pump(300);
    EXPECT_EQ(Mark("CollectInterval"), FieldMark::Changed);
    EXPECT_EQ(Mark("Server's Ip"), FieldMark::Changed);
    EXPECT_EQ(Mark("Server's Port"), FieldMark::Invalid);
    EXPECT_EQ(Find("Server's Port")->GetToolTip(), LookupText("ValueRule", "NotAPort"));
    EXPECT_EQ(Text("ServerChanges"), "2");
    EXPECT_EQ(Text("ModbusChanges"), "1");
    EXPECT_TRUE(Find("ServerChanges")->IsVisible());
    // The server page holds a value that breaks its rule: its badge is red, not the plain blue.
    EXPECT_EQ(Find("ServerChanges")->GetBkColor(), 0xFFDC2626u);
    EXPECT_EQ(Find("ModbusChanges")->GetBkColor(), 0xFF2563EBu);
    EXPECT_FALSE(Find("WorkModeChanges")->IsVisible());
    Page("Server");
    SaveScreenshot("plan-marks");

    // The plan: three rows in the order they are sent, the invalid one unticked; nothing on
    // the wire yet.
    const size_t mark = Transcript().size();
    Click("Save");
    ASSERT_NE(frame_->PlanWindow(), nullptr);
    CPlanWnd& plan = *frame_->PlanWindow();
    ASSERT_EQ(plan.RowCount(), 3u);
    EXPECT_FALSE(IsWindowEnabled(hwnd_)) << "the main window waits for the plan";
    std::vector<std::string> fields;
    for (size_t i = 0; i < 3; ++i)
        fields.push_back(PlanCell(i, "RowField"));
    EXPECT_EQ(fields, (std::vector<std::string>{Label("CollectInterval"), Label("Server's Ip"),
                                                Label("Server's Port")}));
    {
        // The tick boxes grow with the DPI: 13 pixels at 96, as the system's own.
        CControlUI* tick = plan.RowControl(0, "RowTick");
        ASSERT_NE(tick, nullptr);
        const RECT at = tick->GetPos();
        RECT client = {};
        GetClientRect(plan.GetHWND(), &client);
        HBITMAP bitmap = tick->GetManager()->GetRoot()->PaintToBitmap(client);
        BITMAP bm = {};
        ASSERT_NE(GetObject(bitmap, sizeof(bm), &bm), 0);
        const auto* pixels = static_cast<const DWORD*>(bm.bmBits);
        int left = INT_MAX, right = INT_MIN;
        for (int y = at.top; y < at.bottom; ++y)
            for (int x = at.left; x < at.right; ++x)
                if ((pixels[size_t(y) * size_t(bm.bmWidth) + size_t(x)] & 0xFFFFFF) == 0x707070) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        DeleteObject(bitmap);
        const int dpi = frame_->PaintManager().GetDpi();
        EXPECT_NEAR(right - left + 1, MulDiv(13, dpi, 96), 1) << "the tick box at " << dpi;
    }
    EXPECT_EQ(PlanCell(1, "RowDevice"), ip);
    EXPECT_EQ(PlanCell(1, "RowNew"), "121.40.200.179");
    EXPECT_EQ(PlanCell(2, "RowVerdict"), LookupText("ValueRule", "NotAPort"));
    EXPECT_EQ(PlanCell(0, "RowPage"), Text("Modbus"));
    auto* tick = ControlAs<CCheckBoxUI>(plan.RowControl(2, "RowTick"));
    ASSERT_NE(tick, nullptr);
    EXPECT_FALSE(tick->IsSelected());
    EXPECT_TRUE(ControlAs<CCheckBoxUI>(plan.RowControl(1, "RowTick"))->IsSelected());
    PlanScreenshot("plan-window");
    Pump(300);
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");

    // Write: exactly the two ticked commands, then the device is read again and both verified.
    ClickInPlan("PlanWrite");
    ASSERT_TRUE(PumpUntil([&] { return !frame_->IsVerifying(); }, 40000));
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)),
              "AT+MSBITV=" + newInterval + "\nAT+IPAD=121.40.200.179\n");
    EXPECT_NE(Transcript().find("AT+SHOW", mark), std::string::npos) << "read again to verify";
    EXPECT_NE(Log().find("2 " + LookupText("WritePlan", "Summary")), std::string::npos) << Log();
    EXPECT_EQ(PlanCell(0, "RowVerdict"), LookupText("WritePlan", "Verified"));
    EXPECT_EQ(PlanCell(1, "RowVerdict"), LookupText("WritePlan", "Verified"));
    PlanScreenshot("plan-verified");
    ClickInPlan("PlanCancel");
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() == nullptr; }, 2000));
    EXPECT_TRUE(IsWindowEnabled(hwnd_));
    // The verified fields are the device's now; the invalid one is still marked.
    EXPECT_EQ(Mark("CollectInterval"), FieldMark::None);
    EXPECT_EQ(Mark("Server's Port"), FieldMark::Invalid);
    EXPECT_EQ(Text("ServerChanges"), "1");
    EXPECT_FALSE(Find("ModbusChanges")->IsVisible());
    // A snapshot of the device before the write was kept.
    EXPECT_NE(Log().find(LookupText("WritePlan", "Snapshot")), std::string::npos);

    // Revert all: the pages show the device's values again, no marks are left.
    Click("RevertAll");
    Pump(500);
    EXPECT_EQ(Text("Server's Port"), port);
    EXPECT_EQ(Mark("Server's Port"), FieldMark::None);
    EXPECT_FALSE(Find("ServerChanges")->IsVisible());

    // A value that breaks its rule as the plan's first (and only) row starts unticked too:
    // nothing would be sent.
    Page("Server");
    Type("Server's Port", "70000");
    Pump(300);
    Click("Save");
    ASSERT_NE(frame_->PlanWindow(), nullptr);
    ASSERT_EQ(frame_->PlanWindow()->RowCount(), 1u);
    Pump(300);
    auto* first = ControlAs<CCheckBoxUI>(frame_->PlanWindow()->RowControl(0, "RowTick"));
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->IsSelected());
    EXPECT_FALSE(frame_->PlanWindow()->FindControl("PlanWrite")->IsEnabled());
    ClickInPlan("PlanCancel");
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() == nullptr; }, 2000));
    Click("RevertAll");
    Pump(300);

    // Back as it was for the other tests.
    Find("CollectInterval")->SetText(interval);
    Find("Server's Ip")->SetText(ip);
    ASSERT_TRUE(WriteThroughPlan());
    SetWorkMode(workMode);
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(PlanTest, CancelSendsNothingAndARefusedValueStaysMarkedAndNamed) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    ReadDevice();
    const std::string known = Text("CollectInterval");
    Page("Modbus");
    Type("CollectInterval", "12345678901"); // more digits than the device takes

    // Cancel, and the Escape key: nothing is sent, the log says so.
    size_t mark = Transcript().size();
    Click("Save");
    ASSERT_NE(frame_->PlanWindow(), nullptr);
    ClickInPlan("PlanCancel");
    EXPECT_EQ(frame_->PlanWindow(), nullptr);
    EXPECT_NE(Log().find(LookupText("WritePlan", "Cancelled")), std::string::npos);
    Click("Save");
    ASSERT_NE(frame_->PlanWindow(), nullptr);
    SendMessageA(frame_->PlanWindow()->GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump(200);
    EXPECT_EQ(frame_->PlanWindow(), nullptr);
    Pump(500);
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");

    // The device refuses it: the log names the field, the summary counts it, the field stays
    // marked as failed and keeps what was typed.
    Click("Clear");
    mark = Transcript().size();
    ASSERT_TRUE(WriteThroughPlan());
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "AT+MSBITV=12345678901\n");
    const std::string label = Label("CollectInterval");
    EXPECT_NE(Log().find(LookupText("WorkerJobThreadProc", "SaveError") + " " + label),
              std::string::npos)
        << Log();
    EXPECT_NE(Log().find("0 " + LookupText("WritePlan", "Summary") + ", 1 " +
                         LookupText("WritePlan", "Refused") + ": " + label),
              std::string::npos)
        << Log();
    EXPECT_EQ(Text("CollectInterval"), "12345678901");
    EXPECT_EQ(Mark("CollectInterval"), FieldMark::Failed);
    EXPECT_EQ(frame_->Store().parameters["CollectInterval"].value, known);
    SaveScreenshot("plan-refused");
    Find("CollectInterval")->SetText(known);
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(PlanTest, ALoadedFileIsShownMarkedAndPlannedAndUndoRestoresTheDevice) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    ReadDevice();
    const std::string interval = Text("CollectInterval");
    const std::string changed = interval == "61" ? "62" : "61";
    // A file: the device's listing with the interval changed.
    std::string listing = frame_->Link().Reply().Reply();
    const size_t at = listing.find("MSBITV:");
    ASSERT_NE(at, std::string::npos);
    listing.replace(at + 7, listing.find("\r\n", at) - at - 7, changed);
    const std::string file = Scratch("plan.cfg");
    wintest::WriteFileText(file, ListingToFileBytes(listing));

    // Loading it: the pages show it marked, the plan lists the one difference, and nothing is
    // sent before "Write".
    size_t mark = Transcript().size();
    DriveFileDialog(hwnd_, file, "plan-open-dialog");
    Click("LoadFromFile");
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() != nullptr; }, 30000));
    EXPECT_EQ(Text("CollectInterval"), changed);
    EXPECT_EQ(Mark("CollectInterval"), FieldMark::Changed);
    ASSERT_EQ(frame_->PlanWindow()->RowCount(), 1u);
    EXPECT_EQ(PlanCell(0, "RowNew"), changed);
    Pump(500);
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");
    PlanScreenshot("plan-file");
    ClickInPlan("PlanWrite");
    ASSERT_TRUE(PumpUntil([&] { return !frame_->IsVerifying(); }, 40000));
    ClickInPlan("PlanCancel");
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "AT+MSBITV=" + changed + "\n");
    EXPECT_EQ(frame_->Store().parameters["CollectInterval"].value, changed);

    // The snapshot before that write holds the old value; "Undo last write" writes it back
    // through the plan.
    const std::string id = DeviceIdOf(frame_->Link().Reply().Reply());
    WIN32_FIND_DATAA found = {};
    HANDLE find = FindFirstFileA((backups_ + "\\*.cfg").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE) << "no snapshot in " << backups_;
    FindClose(find);
    mark = Transcript().size();
    Click("UndoWrite");
    ASSERT_TRUE(AcceptPlan());
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "AT+MSBITV=" + interval + "\n");
    EXPECT_EQ(frame_->Store().parameters["CollectInterval"].value, interval);
    EXPECT_EQ(Text("CollectInterval"), interval);
    // The undo names the snapshot it goes back to: the device's ID and when it was kept.
    EXPECT_NE(Log().find(LookupText("WritePlan", "Undoing") + " " + id + ", 20"),
              std::string::npos) << Log();

    // The undo kept a snapshot of its own: undoing again offers the value back. Cancelled, the
    // snapshot's value leaves the pages, so that no later Write sends it.
    Click("UndoWrite");
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() != nullptr; }, 30000));
    EXPECT_EQ(Text("CollectInterval"), changed);
    CControlUI* title = frame_->PlanWindow()->FindControl("PlanTitle");
    ASSERT_NE(title, nullptr);
    EXPECT_NE(title->GetText().find(id + ", 20"), std::string::npos) << title->GetText();
    ClickInPlan("PlanCancel");
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() == nullptr; }, 2000));
    Pump(500);
    EXPECT_EQ(Text("CollectInterval"), interval);
    EXPECT_EQ(Mark("CollectInterval"), FieldMark::None);
    Click("quit");
    WaitForIdle(2000);
}

// While the plan is up the device may leave its setting mode: then Write sends nothing (a
// running device would forward the commands to its server) and says why. Leaving it in the
// middle of a write, the rows not yet sent stay unsent, and nothing of them reaches the device
// when it is back.
TEST_F(PlanTest, NothingIsSentToADeviceThatLeftItsSettingMode) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    ReadDevice();
    const std::string interval = Text("CollectInterval");
    Page("Modbus");
    Type("CollectInterval", interval == "61" ? "62" : "61");
    Click("Save");
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() != nullptr; }));
    size_t mark = Transcript().size();
    Control("timeout");
    ASSERT_TRUE(WaitForSettingMode(false));
    ClickInPlan("PlanWrite");
    Pump(1500);
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");
    EXPECT_NE(Log().find(LookupText("WritePlan", "NotInSettingMode")), std::string::npos) << Log();
    EXPECT_EQ(frame_->PlanWindow()->FindControl("PlanCount")->GetText(),
              LookupText("WritePlan", "NotInSettingMode"));
    ClickInPlan("PlanCancel");
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() == nullptr; }, 3000));

    // In the middle of a write: three rows, the first not answered (the simulator goes on
    // listening), and while the window waits for that answer the device times out.
    Click("Login");
    ASSERT_TRUE(WaitForSettingMode(true));
    ASSERT_TRUE(WaitForIdle());
    Page("Modbus");
    Type("CollectInterval", interval == "61" ? "63" : "64");
    Type("CollectDelay", "1234");
    Type("CollectCount", "7");
    mark = Transcript().size();
    Control("fault noreply:1");
    Click("Save");
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() != nullptr; }));
    Pump(100);
    ClickInPlan("PlanWrite");
    // The batch's first row is out (and gets no answer).
    ASSERT_TRUE(PumpUntil([&] { return !SetCommandsIn(Transcript().substr(mark)).empty(); }, 5000));
    Control("timeout");
    ASSERT_TRUE(WaitForSettingMode(false, 15000));
    ASSERT_TRUE(PumpUntil([&] { return !frame_->IsVerifying(); }, 10000));
    EXPECT_TRUE(WaitForLog(LookupText("WritePlan", "LeftDuringWrite")));
    Pump(4000); // long enough for anything still queued to have gone out
    const std::string sent = SetCommandsIn(Transcript().substr(mark));
    EXPECT_EQ(Count(sent, "\n"), 1u) << sent;
    EXPECT_EQ(Transcript().substr(mark).find("AT+SHOW"), std::string::npos);
    ClickInPlan("PlanCancel");
    PumpUntil([&] { return frame_->PlanWindow() == nullptr; }, 3000);
    // Back in its setting mode, nothing of the old batch follows.
    mark = Transcript().size();
    Click("Login");
    ASSERT_TRUE(WaitForSettingMode(true));
    ASSERT_TRUE(WaitForIdle());
    Pump(1000);
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");
    Click("quit");
    WaitForIdle(3000);
}

// A write that gives the device a new ID (what a production line does) is still the one undo
// finds: by the ID the write left, not the ID the snapshot is named by.
TEST_F(PlanTest, UndoFindsTheLastWriteAfterItChangedTheId) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    ReadDevice();
    const int workMode = ControlAs<CComboUI>(Find("Protocolmodel"))->GetCurSel();
    SetWorkMode(0); // PROT: the ID is in use
    const std::string id = frame_->Store().parameters["Modem'sID number"].value;
    const std::string changed = id == "13911112222" ? "13911113333" : "13911112222";
    Page("WorkMode");
    Type("Modem'sID number", changed);
    ASSERT_TRUE(WriteThroughPlan());
    ASSERT_EQ(frame_->Store().parameters["Modem'sID number"].value, changed) << Log();
    const size_t mark = Transcript().size();
    Click("UndoWrite");
    ASSERT_TRUE(AcceptPlan());
    EXPECT_NE(Transcript().substr(mark).find("AT+IDNT=" + id + "\r\n"), std::string::npos)
        << SetCommandsIn(Transcript().substr(mark));
    EXPECT_EQ(frame_->Store().parameters["Modem'sID number"].value, id);
    EXPECT_NE(Log().find(LookupText("WritePlan", "Undoing") + " " + id + ", 20"),
              std::string::npos) << Log();
    SetWorkMode(workMode);
    Click("quit");
    WaitForIdle(3000);
}

// Closing the plan with its own button gives the main window back whole: the very next click
// on it acts.
TEST_F(PlanTest, TheFirstClickAfterThePlanClosesActs) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    ReadDevice();
    Page("Modbus");
    const std::string interval = Text("CollectInterval");
    Type("CollectInterval", interval == "61" ? "62" : "61");
    Click("Save");
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() != nullptr; }));
    Pump(300);
    const HWND plan = frame_->PlanWindow()->GetHWND();
    RealClick(plan, frame_->PlanWindow()->FindControl("PlanWrite"));
    ASSERT_TRUE(WaitForIdle());
    ASSERT_TRUE(PumpUntil([&] { return !frame_->IsVerifying(); }, 30000));
    ASSERT_NE(frame_->PlanWindow(), nullptr);
    RealClick(plan, frame_->PlanWindow()->FindControl("PlanCancel"));
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() == nullptr; }, 3000));
    EXPECT_TRUE(IsWindowEnabled(hwnd_));

    std::atomic<bool> shown{false};
    std::thread watcher([&] {
        for (int i = 0; i < 120 && !shown; ++i) {
            HWND dialog = FindWindowA("#32770", nullptr);
            if (dialog && GetWindow(dialog, GW_OWNER) == hwnd_) {
                shown = true;
                Sleep(200);
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            }
            Sleep(50);
        }
    });
    RealClick(hwnd_, Find("LoadFromFile"));
    PumpUntil([&] { return shown.load(); }, 6000);
    watcher.join();
    EXPECT_TRUE(shown) << "the first click after the plan was lost";
    Pump(300);
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(PlanTest, ComparingWithAFileListsTheDifferingFieldsAndWritesNothing) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    ReadDevice();
    std::string listing = frame_->Link().Reply().Reply();
    // Three differences, on three pages; the listing names the wireless page's first.
    const std::string interval = frame_->Store().parameters["CollectInterval"].value;
    auto change = [&](const std::string& label, const std::string& value) {
        const size_t at = listing.find("\n" + label + ":");
        ASSERT_NE(at, std::string::npos) << label;
        const size_t from = at + label.size() + 2;
        listing.replace(from, listing.find("\r\n", from) - from, value);
    };
    change("Access Point Name", "plant.apn");
    change("Server's Port", "9123");
    change("MSBITV", interval == "61" ? "62" : "61");
    ASSERT_LT(listing.find("Access Point Name:"), listing.find("Server's Port:"));
    const std::string file = Scratch("compare.cfg");
    wintest::WriteFileText(file, ListingToFileBytes(listing));
    const size_t mark = Transcript().size();
    DriveFileDialog(hwnd_, file, "compare-dialog");
    Click("CompareFile");
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() != nullptr; }, 10000));
    // Page by page as the tabs stand, the device's value first and the file's second, counted.
    ASSERT_EQ(frame_->PlanWindow()->RowCount(), 3u);
    EXPECT_EQ(PlanCell(0, "RowField"), Label("Server's Port"));
    EXPECT_EQ(PlanCell(1, "RowField"), Label("Access Point Name"));
    EXPECT_EQ(PlanCell(2, "RowField"), Label("CollectInterval"));
    EXPECT_EQ(PlanCell(0, "RowNew"), "9123");
    EXPECT_EQ(PlanCell(0, "RowDevice"), frame_->Store().parameters["Server's Port"].value);
    EXPECT_EQ(frame_->PlanWindow()->FindControl("PlanCount")->GetText().find("3 "), 0u);
    EXPECT_FALSE(frame_->PlanWindow()->FindControl("PlanWrite")->IsVisible());
    PlanScreenshot("compare");
    ClickInPlan("PlanCancel");
    EXPECT_EQ(frame_->PlanWindow(), nullptr);
    EXPECT_EQ(Text("CollectInterval"), interval) << "comparing changes no field";
    Pump(300);
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");
    Click("quit");
    WaitForIdle(2000);
}

} // namespace frametest

namespace frametest {

// Before a read, "Compare file..." compares two files with each other: their differing fields,
// both named in the headers, nothing sent.
TEST_F(PlanTest, BeforeAReadTwoFilesAreComparedWithEachOther) {
    ASSERT_TRUE(Open());
    std::string listing = "AT+SHOW\r\n\r\nAccess Point Name:cmnet\r\n";
    for (const auto& [key, entry] : frame_->Store().parameters)
        if (!entry.label.empty() && key != "Access Point Name")
            listing += PlainLabel(entry.label) + ":1\r\n";
    listing += "\r\nOK\r\n";
    std::string changed = listing;
    const size_t at = changed.find("MSBITV:1");
    ASSERT_NE(at, std::string::npos);
    changed.replace(at, 8, "MSBITV:77");
    const std::string a = Scratch("a.cfg"), b = Scratch("b.cfg");
    wintest::WriteFileText(a, ListingToFileBytes(listing));
    wintest::WriteFileText(b, ListingToFileBytes(changed));
    // The first dialog gets the first file; once it is gone, the second gets the second.
    DriveFileDialog(hwnd_, a, "compare-first-dialog");
    std::thread([owner = hwnd_, b] {
        auto dialog = [owner] {
            HWND found = FindWindowA("#32770", nullptr);
            return found && GetWindow(found, GW_OWNER) == owner ? found : nullptr;
        };
        for (int i = 0; i < 200 && dialog() == nullptr; ++i)
            Sleep(50);
        for (int i = 0; i < 200 && dialog() != nullptr; ++i)
            Sleep(50);
        DriveFileDialog(owner, b, "compare-second-dialog");
    }).detach();
    Click("CompareFile");
    ASSERT_TRUE(PumpUntil([&] { return frame_->PlanWindow() != nullptr; }, 20000));
    ASSERT_EQ(frame_->PlanWindow()->RowCount(), 1u);
    EXPECT_EQ(PlanCell(0, "RowDevice"), "1");
    EXPECT_EQ(PlanCell(0, "RowNew"), "77");
    EXPECT_EQ(frame_->PlanWindow()->FindControl("PlanDeviceHeader")->GetText(), "a.cfg");
    EXPECT_EQ(frame_->PlanWindow()->FindControl("PlanNewHeader")->GetText(), "b.cfg");
    ClickInPlan("PlanCancel");
    EXPECT_EQ(frame_->PlanWindow(), nullptr);
}

} // namespace frametest

namespace frametest {

TEST_F(PlanTest, DiagnosticsForSupportHoldNoPasswordOrPhoneNumber) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    ReadDevice();
    const std::string phone = frame_->Store().parameters["PhoneNO."].value;
    const std::string sms = frame_->Store().parameters["sms Phone1 No"].value;
    ASSERT_FALSE(phone.empty());
    ASSERT_NE(Log().find(phone), std::string::npos) << "the log holds the listing as read";
    ASSERT_TRUE(frame_->SaveDiagnostics(Scratch("diagnostics.txt")));
    const std::string text = wintest::ReadFileText(Scratch("diagnostics.txt"));
    EXPECT_NE(text.find("DTU configuration tool "), std::string::npos);
    EXPECT_NE(text.find("[Device listing]"), std::string::npos);
    EXPECT_NE(text.find("[Operation log]"), std::string::npos);
    EXPECT_NE(text.find("Modem's Phone Number:***"), std::string::npos);
    EXPECT_EQ(text.find(phone), std::string::npos) << "no phone number";
    if (!sms.empty())
        EXPECT_EQ(text.find(sms), std::string::npos);
    EXPECT_NE(text.find(wintest::Env("ORVEL_COM_PORT", "COM9")), std::string::npos) << "the ports";
    Click("quit");
    WaitForIdle(2000);
}

} // namespace frametest

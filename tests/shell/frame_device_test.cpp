// The main window with the device: reading onto the pages, writing back, configuration files,
// every device type, refused writes, long listings, sensor names and a pulled adapter.
#include "tests/shell/frame_fixture.h"

namespace frametest {

// ---- Reading onto the pages, writing back, configuration files ---------------------------------




TEST_F(FrameTest, ReadingShowsTheDevicesValuesAndWritingSendsOnlyWhatChanged) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    // Before any read, "Write device" sends nothing and says why.
    size_t mark = Transcript().size();
    Click("Save");
    EXPECT_TRUE(WaitForLog(LookupText("CollectChangedParameters", "ReadFirst")));
    Click("Load");
    ASSERT_TRUE(WaitForTranscript("AT+SHOW\r\n", 1));
    ASSERT_TRUE(WaitForIdle());
    Pump(500); // the layout rules the showing posted

    // Every text field shows its value, the combos what the device value names.
    int edits = 0;
    for (const auto& [key, entry] : frame_->Store().parameters) {
        if (entry.kind == EntryKind::Edit && Find(key)) {
            ++edits;
            EXPECT_EQ(Text(key), entry.value) << key;
        }
    }
    EXPECT_GT(edits, 80);
    const std::string type = frame_->Store().parameters["Device Type"].value;
    const bool lora = type.find("-L") != std::string::npos;
    EXPECT_EQ(Find("LoraTab")->IsVisible(), lora) << type;
    // The sensor rows are numbered 1 to N.
    auto* rows = static_cast<IContainerUI*>(Find("CustomList")->GetInterface("IContainer"));
    ASSERT_NE(rows, nullptr);
    ASSERT_GT(rows->GetCount(), 0);
    EXPECT_EQ(frame_->PaintManager()
                  .FindSubControlByName(rows->GetItemAt(rows->GetCount() - 1), "SensorCfg_Channel")
                  ->GetText(),
              std::to_string(rows->GetCount()));
    const char* options[] = {"WorkMode", "Server", "Serial", "IO",  "Wireless", "Global",
                             "Equiment", "Lora",   "Zigbee", "GPS", "Modbus",   "Operation"};
    for (int i = 0; i < 12; ++i) {
        if (Find(options[i]) && Find(options[i])->IsVisible()) {
            Click(options[i]);
            SaveScreenshot(std::string("read-") + std::to_string(i) + "-" + options[i]);
        }
    }

    // Read then write without an edit: no set command.
    mark = Transcript().size();
    Click("Save");
    ASSERT_TRUE(WaitForIdle());
    Pump(300);
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");

    // One changed field (on the Modbus page, which every work mode has): exactly its command, acknowledged; a second write sends nothing.
    const std::string port = Text("CollectInterval");
    const std::string changed = port == "61" ? "62" : "61";
    Find("CollectInterval")->SetText(changed);
    mark = Transcript().size();
    ASSERT_TRUE(WriteThroughPlan());
    const ParameterEntry& portEntry = frame_->Store().parameters["CollectInterval"];
    ASSERT_TRUE(WaitForTranscript("AT+MSBITV=" + changed + "\r\n"))
        << "in use " << portEntry.inUse << " tab enabled "
        << frame_->Store().tabs[size_t(portEntry.tab)].enabled << " count "
        << Text("Server Count") << " mode " << Text("Protocolmodel") << " text "
        << Text("CollectInterval") << "\nlog " << Log();
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "AT+MSBITV=" + changed + "\n");
    EXPECT_TRUE(WaitForLog(LookupText("WorkerJobThreadProc", "SaveSuccess")));
    EXPECT_EQ(frame_->Store().parameters["CollectInterval"].value, changed);
    mark = Transcript().size();
    Click("Save");
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");

    // Saved to a file: the listing with CR CR LF line ends.
    const std::string file = Scratch("device.cfg.saved");
    DeleteFileA(file.c_str());
    DriveFileDialog(hwnd_, file, "save-dialog");
    Click("SaveToFile");
    ASSERT_TRUE(PumpUntil([&] { return Exists(file); }, 30000));
    ASSERT_TRUE(WaitForIdle());
    const std::string bytes = wintest::ReadFileText(file);
    EXPECT_NE(bytes.find("Access Point Name:"), std::string::npos);
    EXPECT_NE(bytes.find("MSBITV:" + changed + "\r\r\n"), std::string::npos);

    // The device changes; loading the file shows it and writes back exactly the difference.
    Find("CollectInterval")->SetText(port);
    ASSERT_TRUE(WriteThroughPlan());
    ASSERT_TRUE(WaitForTranscript("AT+MSBITV=" + port + "\r\n"));
    ASSERT_TRUE(WaitForIdle());
    mark = Transcript().size();
    DriveFileDialog(hwnd_, file, "open-dialog");
    Click("LoadFromFile");
    ASSERT_TRUE(AcceptPlan());
    ASSERT_TRUE(PumpUntil([&] { return Text("CollectInterval") == changed; }, 30000));
    ASSERT_TRUE(WaitForTranscript("AT+MSBITV=" + changed + "\r\n", 2, 30000));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "AT+MSBITV=" + changed + "\n");
    std::string chosen = file;
    std::replace(chosen.begin(), chosen.end(), '/', '\\');
    EXPECT_EQ(frame_->SavePath(), chosen);
    // Saving and loading each leave a line naming the file.
    EXPECT_NE(Log().find(LookupText("SaveToFile", "Saved") + " " + chosen), std::string::npos)
        << Log();
    EXPECT_NE(Log().find(LookupText("onLoadFrommFile", "Loaded") + " " + chosen),
              std::string::npos);

    // Leave the device as it was for the other tests.
    Find("CollectInterval")->SetText(port);
    ASSERT_TRUE(WriteThroughPlan());
    ASSERT_TRUE(WaitForIdle());
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, ALoadWhoseDeviceReadFailsLeavesTheDeviceUnreadAndWritesNothing) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    Pump(300);
    // A file: the device's own listing with one value changed.
    const std::string device = frame_->Store().parameters["CollectInterval"].value;
    const std::string changed = device == "61" ? "62" : "61";
    std::string listing = frame_->Link().Reply().Reply();
    const size_t at = listing.find("MSBITV:");
    ASSERT_NE(at, std::string::npos);
    listing.replace(at + 7, listing.find("\r\n", at) - at - 7, changed);
    const std::string file = Scratch("changed.cfg");
    wintest::WriteFileText(file, ListingToFileBytes(listing));

    // The device does not answer the read that the load starts.
    Control("fault noreply");
    const size_t mark = Transcript().size();
    DriveFileDialog(hwnd_, file, "open-dialog-unread");
    Click("LoadFromFile");
    ASSERT_TRUE(PumpUntil([&] { return Text("CollectInterval") == changed; }, 5000));
    ASSERT_TRUE(WaitForLog(LookupText("onLoadFrommFile", "NotRead"), 40000));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(frame_->Store().parameters["CollectInterval"].value, device)
        << "the catalogue keeps what the device last reported";

    // Write: nothing is sent and the log says the device must be read first.
    Click("Save");
    ASSERT_TRUE(WaitForLog(LookupText("CollectChangedParameters", "ReadFirst")));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");
    EXPECT_EQ(Log().find(LookupText("WorkerJobThreadProc", "SaveSuccess"), 0), std::string::npos);
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, ChangingARuleComboRelaysThePageAtOnce) {
    ASSERT_TRUE(Open());
    auto* mode = static_cast<CComboUI*>(Find("Protocolmodel")->GetInterface("Combo"));
    ASSERT_NE(mode, nullptr);
    mode->SelectItem(3, false); // TRNS
    Pump(300);
    EXPECT_FALSE(Find("ServerTab")->IsVisible());
    EXPECT_FALSE(frame_->Store().tabs[1].enabled);
    mode->SelectItem(4, false); // SMS client
    Pump(300);
    EXPECT_EQ(Find("ModeGroupBox")->GetFixedHeight(), 235);
    EXPECT_TRUE(Find("ModeLayout1.1")->IsVisible());
    SaveScreenshot("rule-sms-client");
    mode->SelectItem(0, false);
    Pump(300);
    EXPECT_TRUE(Find("ServerTab")->IsVisible());
    // A screenshot of the work-mode page in every work mode.
    Click("WorkMode");
    for (int item = 0; item < mode->GetCount(); ++item) {
        mode->SelectItem(item, false);
        Pump(300);
        SaveScreenshot("workmode-" + std::to_string(item));
    }
}

TEST_F(FrameTest, EveryDeviceTypeIsShownAndWritingBackWithoutAnEditSendsNothing) {
    struct Device {
        const char* args;
        const char* radioTab; // the one radio module tab shown, or ""
    };
    const Device devices[] = {
        {"--type lora --interfaces serial1,rs485,io1", "LoraTab"},
        {"--type zigbee --interfaces serial1,serial2,io1,io2,io3,io4,io5", "ZigbeeTab"},
        {"--type gps --interfaces serial1,serial2,rs485,io1,io2", "GPSTab"},
        {"--type plain --interfaces serial1", ""},
    };
    ASSERT_TRUE(Open());
    for (const Device& device : devices) {
        SCOPED_TRACE(device.args);
        RestartSimulator(device.args);
        EnterSettingMode();
        Click("Load");
        ASSERT_TRUE(WaitForIdle());
        Pump(500);
        for (const char* tab : {"LoraTab", "ZigbeeTab", "GPSTab"})
            EXPECT_EQ(Find(tab)->IsVisible(), std::string(tab) == device.radioTab) << tab;
        // Every text field holds its listing value, the switches the transmit-channel bits.
        for (const auto& [key, entry] : frame_->Store().parameters) {
            if (entry.kind == EntryKind::Edit && Find(key)) {
                EXPECT_EQ(Text(key), entry.value) << key;
            }
        }
        const int bits = std::atoi(frame_->Store().parameters["EL transmit channel"].value.c_str());
        EXPECT_EQ(frame_->Pages().IsSwitchOn("Lora2COM"), (bits & 1) != 0);
        EXPECT_EQ(frame_->Pages().IsSwitchOn("GPRS2GPS"), (bits & 32) != 0);
        SaveScreenshot(std::string("device-") + (device.radioTab[0] ? device.radioTab : "plain"));
        // Read, then write with no edit: nothing is sent.
        const size_t mark = Transcript().size();
        Click("Save");
        ASSERT_TRUE(WaitForIdle());
        Pump(300);
        EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");
        Click("Open"); // closed for the next device
        Pump(200);
    }
    RestartSimulator();
}

TEST_F(FrameTest, ARefusedOrUnansweredWriteIsSaidAndSentAgainByTheNextWrite) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    const std::string known = frame_->Store().parameters["CollectInterval"].value;
    // The device refuses the value: "SaveError", nothing recorded, the next write sends it again.
    Find("CollectInterval")->SetText("x1");
    Click("Clear");
    ASSERT_TRUE(WriteThroughPlan());
    ASSERT_TRUE(WaitForTranscript("AT+MSBITV=x1\r\n", 1));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_TRUE(WaitForLog(LookupText("WorkerJobThreadProc", "SaveError")));
    EXPECT_EQ(frame_->Store().parameters["CollectInterval"].value, known);
    ASSERT_TRUE(WriteThroughPlan());
    EXPECT_TRUE(WaitForTranscript("AT+MSBITV=x1\r\n", 2));
    ASSERT_TRUE(WaitForIdle());
    // No answer: "OutTime"; the read after the write shows that the device took the value all
    // the same, and the plan counts it verified.
    const std::string other = known == "61" ? "62" : "61";
    Control("fault noreply:1");
    Find("CollectInterval")->SetText(other);
    Click("Clear");
    ASSERT_TRUE(WriteThroughPlan());
    EXPECT_TRUE(WaitForLog(LookupText("WorkerJobThreadProc", "OutTime").substr(0, 20), 12000));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(frame_->Store().parameters["CollectInterval"].value, other);
    EXPECT_NE(Log().find("1 " + LookupText("WritePlan", "Summary")), std::string::npos) << Log();
    // Back as it was.
    Find("CollectInterval")->SetText(known);
    ASSERT_TRUE(WriteThroughPlan());
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, AListingWhoseValuesHoldOkIsReadWhole) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    // Values that end in or hold "OK", written to the device by the program itself.
    auto* mode = static_cast<CComboUI*>(Find("Protocolmodel")->GetInterface("Combo"));
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    const std::string workMode = Text("Protocolmodel");
    const std::string apn = Text("Access Point Name");
    mode->SelectItem(0, false); // PROT: the modem ID is in use
    Pump(300);
    Find("Modem'sID number")->SetText("REGOK");
    Find("Access Point Name")->SetText("TOKEN42");
    ASSERT_TRUE(WriteThroughPlan());
    ASSERT_TRUE(WaitForTranscript("AT+IDNT=REGOK\r\n"));
    ASSERT_TRUE(WaitForIdle());
    // Read again: the listing completes on its final "OK" line only, so the values after
    // "REGOK" are read too (the last one is the Modbus retry count).
    frame_->Store().parameters["CollectCount"].value = "stale";
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(frame_->Store().parameters["Modem'sID number"].value, "REGOK");
    EXPECT_EQ(frame_->Store().parameters["Access Point Name"].value, "TOKEN42");
    EXPECT_EQ(frame_->Store().parameters["CollectCount"].value, "3");
    EXPECT_EQ(Text("CollectCount"), "3");
    // Back as it was.
    for (int i = 0; i < mode->GetCount(); ++i)
        if (mode->GetItemAt(i)->GetText() == workMode)
            mode->SelectItem(i, false);
    Pump(300);
    Find("Access Point Name")->SetText(apn);
    ASSERT_TRUE(WriteThroughPlan());
    ASSERT_TRUE(WaitForIdle());
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, ASensorDataNameOutsideAsciiTravelsAsUtf8) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    // "温度°C": the window holds UTF-8 whatever the system's code page, and so does the device.
    const std::string utf8 = "\xE6\xB8\xA9\xE5\xBA\xA6\xC2\xB0" "C";
    const std::string shown = utf8;
    auto* rows = static_cast<IContainerUI*>(Find("CustomList")->GetInterface("IContainer"));
    ASSERT_NE(rows, nullptr);
    CControlUI* row = rows->GetItemAt(2);
    ASSERT_NE(row, nullptr);
    frame_->Pages().SetRowFieldValue(2, "SensorCfg_DeviceSwitch", "1");
    frame_->PaintManager().FindSubControlByName(row, "SensorCfg_DataName")->SetText(shown);
    ASSERT_TRUE(WriteThroughPlan());
    ASSERT_TRUE(WaitForTranscript("," + utf8 + ","));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_NE(Transcript().find("AT+GENSENSORINFO=2,1,"), std::string::npos);
    // Read back: shown as the device sent it, and nothing to write.
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    row = rows->GetItemAt(2);
    EXPECT_EQ(frame_->PaintManager().FindSubControlByName(row, "SensorCfg_DataName")->GetText(),
              shown);
    const size_t mark = Transcript().size();
    Click("Save");
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");
    // Saved to a file, whatever the locale: the device's bytes, the name in UTF-8; loaded
    // again (in this locale or another), it shows the same name and changes nothing.
    const std::string file = Scratch("sensor-name.cfg");
    DeleteFileA(file.c_str());
    DriveFileDialog(hwnd_, file, "sensor-save-dialog");
    Click("SaveToFile");
    ASSERT_TRUE(PumpUntil([&] { return Exists(file); }, 30000));
    ASSERT_TRUE(WaitForIdle());
    const std::string bytes = wintest::ReadFileText(file);
    EXPECT_EQ(bytes, ListingToFileBytes(frame_->Link().Reply().Reply()));
    EXPECT_NE(bytes.find("," + utf8 + ","), std::string::npos);
    DriveFileDialog(hwnd_, file, "sensor-open-dialog");
    Click("LoadFromFile");
    ASSERT_TRUE(PumpUntil([&] { return Log().find(LookupText("WritePlan", "SameAsFile")) !=
                                       std::string::npos; }, 30000));
    EXPECT_EQ(frame_->PlanWindow(), nullptr);
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), "");
    // Switched off again for the other tests.
    frame_->Pages().SetRowFieldValue(2, "SensorCfg_DeviceSwitch", "0");
    ASSERT_TRUE(WriteThroughPlan());
    ASSERT_TRUE(WaitForIdle());
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, AnAdapterPulledWhileOpenClosesThePortByItselfAndOpensAgainWhenBack) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    const std::string port = wintest::Env("ORVEL_COM_PORT", "COM9");
    // The harness takes the pty pair away, as when the USB adapter is pulled.
    Unplug();
    EXPECT_TRUE(PumpUntil([&] { return !frame_->Link().IsOpen(); }, 3000))
        << "the port was not noticed to be gone";
    EXPECT_TRUE(WaitForLog(port + " " + LookupText("OnStartCom", "Disconnected"), 3000)) << Log();
    EXPECT_EQ(Text("Open"), LookupText("OnStartCom", "Open"));
    EXPECT_EQ(Text("DeviceState"), LookupText("SetDeviceState", "szLoginOff"));
    EXPECT_TRUE(g_boxes.empty()) << "no error boxes";
    // Everything read stays on the pages.
    EXPECT_EQ(Text("CollectInterval"), frame_->Store().parameters["CollectInterval"].value);
    // Back again: the user opens the port as usual.
    Replug();
    OpenPort();
    ASSERT_TRUE(PumpUntil([&] { return Enabled("Login"); }));
    // The simulator may still be opening its end of the new pair: "+++" again if it missed it.
    Click("Login");
    if (!WaitForSettingMode(true, 3000))
        Click("Login");
    ASSERT_TRUE(WaitForSettingMode(true)) << Log();
    Click("quit");
    WaitForIdle(2000);
}

TEST_F(FrameTest, AnAdapterPulledDuringAReadEndsTheJobWithoutATimeout) {
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Control("fault late:4000");
    Click("Load");
    ASSERT_TRUE(WaitForTranscript("AT+SHOW\r\n", Count(Transcript(), "AT+SHOW\r\n")));
    Click("CSQ"); // queued behind the read
    Unplug();
    EXPECT_TRUE(PumpUntil([&] { return !frame_->Link().IsOpen(); }, 3000));
    EXPECT_EQ(frame_->Link().Queue().Size(), 0u) << "the queue is emptied";
    Pump(1500);
    EXPECT_EQ(Log().find(LookupText("WorkerJobThreadProc", "OutTime")), std::string::npos)
        << "no time-out for a port that is gone";
    Replug();
}

} // namespace frametest

namespace frametest {

// Runs the unpacked dtucfg.exe with the arguments and waits for it; its exit code.
int RunDtucfg(const std::string& args) {
    const std::string program = kDist + "dtucfg.exe";
    std::string command = "\"" + program + "\" " + args;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 99;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// The same edit of the same device, once in the window and once with dtucfg: the same commands,
// byte for byte, in the same order.
TEST_F(FrameTest, TheWindowAndDtucfgSendTheSameCommandsForTheSameEdit) {
    const std::string unixDir = wintest::Env("ORVEL_TEST_DIR");
    DeleteFileA(Scratch("same-a.device").c_str());
    DeleteFileA(Scratch("same-b.device").c_str());
    RestartSimulator("--config " + unixDir + "/same-a.device");
    ASSERT_TRUE(Open());
    EnterSettingMode();
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    Pump(300);
    auto* mode = ControlAs<CComboUI>(Find("Protocolmodel"));
    ASSERT_NE(mode, nullptr);
    mode->SelectItem(2, false); // DCTCP: the server page is used
    Pump(300);
    Find("Server's Port")->SetText("9555");
    Find("Server's Ip")->SetText("10.20.30.40");
    size_t mark = Transcript().size();
    ASSERT_TRUE(WriteThroughPlan());
    ASSERT_TRUE(WaitForIdle());
    const std::string window = SetCommandsIn(Transcript().substr(mark));
    EXPECT_NE(window.find("AT+PORT=9555\n"), std::string::npos) << window;
    Click("quit");
    WaitForIdle(2000);
    Click("Open"); // the port goes back to the system for dtucfg

    // The same device again, from the same starting configuration.
    RestartSimulator("--config " + unixDir + "/same-b.device");
    mark = Transcript().size();
    wintest::WriteFileText(Scratch("same.cfg"), "Protocol model:DCTCP\r\n");
    EXPECT_EQ(RunDtucfg("write --yes --port " + wintest::Env("ORVEL_COM_PORT", "COM9") +
                        " --wait 1 --cfg " + Scratch("same.cfg") + " --backups " +
                        Scratch("backups") +
                        " --set \"Server's Port=9555\" --set \"Server's Ip=10.20.30.40\""),
              0);
    EXPECT_EQ(SetCommandsIn(Transcript().substr(mark)), window);
    RestartSimulator();
}

} // namespace frametest

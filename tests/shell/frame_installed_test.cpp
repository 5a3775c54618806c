// An installed program, run by the package test against the folder the setup installed into
// (ORVEL_TEST_PROGRAM_DIR), made read-only: the window reads the device, writes through the
// plan, undoes, remembers its port and switches its language with every write going to the
// user's folders. Skipped in the other runs.
#include "tests/shell/frame_fixture.h"

namespace frametest {

HWND FindOtherMainWindow(DWORD& processId);
void CloseOtherProgram(HWND window, DWORD processId);
std::string ConfigLanguage(const std::string& config);

TEST_F(FrameTest, AnInstalledProgramKeepsEverythingItWritesInTheUsersFolders) {
    if (InstalledFolder().empty())
        GTEST_SKIP() << "the package test runs this against an installed program";
    auto within = [](const std::string& path, const std::string& folder) {
        return _strnicmp(path.c_str(), folder.c_str(), folder.size()) == 0;
    };
    EXPECT_FALSE(IsPortable());
    EXPECT_FALSE(within(GetConfigFile(), InstalledFolder())) << GetConfigFile();
    EXPECT_FALSE(within(GetLocalDataFolder(), InstalledFolder())) << GetLocalDataFolder();

    ASSERT_TRUE(Open());
    EnterSettingMode();
    Click("Load");
    ASSERT_TRUE(WaitForIdle());
    Pump(500);
    ASSERT_TRUE(frame_->Pages().IsDeviceRead()) << Log();
    const std::string interval = frame_->Store().parameters["CollectInterval"].value;
    const std::string changed = interval == "61" ? "62" : "61";
    Click("Modbus");
    Find("CollectInterval")->SetText(changed);
    Pump(300);
    ASSERT_TRUE(WriteThroughPlan());
    EXPECT_EQ(frame_->Store().parameters["CollectInterval"].value, changed) << Log();
    // The snapshot before the write is in the user's local data folder.
    WIN32_FIND_DATAA found = {};
    HANDLE find = FindFirstFileA((GetLocalDataFolder() + "backups\\*.cfg").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE) << "no snapshot in " << GetLocalDataFolder();
    FindClose(find);
    // Undone through its plan.
    Click("UndoWrite");
    ASSERT_TRUE(AcceptPlan());
    EXPECT_EQ(frame_->Store().parameters["CollectInterval"].value, interval) << Log();
    Click("quit");
    WaitForIdle(3000);
    EXPECT_EQ(LoadRememberedPort().name, wintest::Env("ORVEL_COM_PORT", "COM9"));

    // The language switch writes the user's config.ini and starts the installed program again.
    const int other = GetLanguageIndex() == 0 ? 1 : 0;
    COrvelFrameWnd::SetRestartTarget(InstalledFolder() + "DtuConfig.exe", GetConfigFile());
    auto* language = ControlAs<CComboUI>(Find("Language"));
    ASSERT_NE(language, nullptr);
    language->SelectItem(other, false);
    ASSERT_TRUE(PumpUntil([&] { return quit_; }, 5000));
    EXPECT_EQ(ConfigLanguage(GetConfigFile()), std::to_string(other));
    Destroy();
    DWORD process = 0;
    HWND next = nullptr;
    PumpUntil([&] { return (next = FindOtherMainWindow(process)) != nullptr; }, 20000);
    ASSERT_NE(next, nullptr) << "the installed program did not start again";
    Sleep(1500);
    wintest::SaveBmp(wintest::CaptureWindow(next),
                     wintest::ArtifactsDir() + "\\shell-installed-language.bmp");
    CloseOtherProgram(next, process);
    COrvelFrameWnd::SetRestartTarget("", "");
}

} // namespace frametest

// The language switch of the main window.
#include "tests/shell/frame_fixture.h"

namespace frametest {

// ---- The language switch -------------------------------------------------------------------------


// The other process's main window, once it is shown.
HWND FindOtherMainWindow(DWORD& processId) {
    struct Search {
        HWND found = nullptr;
        DWORD process = 0;
    } search;
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            char cls[32] = {};
            GetClassNameA(hwnd, cls, sizeof(cls));
            DWORD process = 0;
            GetWindowThreadProcessId(hwnd, &process);
            if (std::string(cls) == "Orvel" && process != GetCurrentProcessId() &&
                IsWindowVisible(hwnd)) {
                s->found = hwnd;
                s->process = process;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    processId = search.process;
    return search.found;
}

// Closes the other process's main window as its close button would, and waits for the process
// to end.
void CloseOtherProgram(HWND window, DWORD processId) {
    HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, processId);
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (handle) {
        EXPECT_EQ(WaitForSingleObject(handle, 15000), WAIT_OBJECT_0);
        CloseHandle(handle);
    }
}

std::string ConfigLanguage(const std::string& config) {
    char value[32] = {};
    GetPrivateProfileStringA("Set", "Language", "", value, sizeof(value), config.c_str());
    return value;
}


TEST_F(FrameTest, ChoosingTheActiveLanguageChangesNothing) {
    const std::string config = Scratch("language-config.ini");
    wintest::WriteFileText(config, "[Set]\r\nLanguage=" + std::to_string(GetLanguageIndex()) + "\r\n");
    COrvelFrameWnd::SetRestartTarget(kDist + "DtuConfig.exe", config);
    ASSERT_TRUE(Open());
    auto* language = static_cast<CComboUI*>(Find("Language")->GetInterface("Combo"));
    ASSERT_NE(language, nullptr);
    EXPECT_EQ(language->GetCurSel(), GetLanguageIndex());
    PostMessageA(hwnd_, WM_SWITCH_LANGUAGE, 0, 0);
    Pump(500);
    EXPECT_FALSE(quit_);
    EXPECT_TRUE(IsWindowVisible(hwnd_));
    EXPECT_EQ(ConfigLanguage(config), std::to_string(GetLanguageIndex()));
    COrvelFrameWnd::SetRestartTarget("", "");
}

TEST_F(FrameTest, ALanguageSwitchThatCannotHappenKeepsTheWindowAndSaysWhy) {
    const int other = GetLanguageIndex() == 0 ? 1 : 0;
    // config.ini in a folder that does not exist.
    COrvelFrameWnd::SetRestartTarget(kDist + "DtuConfig.exe", "Z:\\no\\such\\folder\\config.ini");
    ASSERT_TRUE(Open());
    auto* language = static_cast<CComboUI*>(Find("Language")->GetInterface("Combo"));
    language->SelectItem(other, false);
    Pump(500);
    EXPECT_FALSE(quit_);
    EXPECT_TRUE(IsWindowVisible(hwnd_));
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0], LookupText("SwitchLanguage", "WriteError"));
    EXPECT_EQ(language->GetCurSel(), GetLanguageIndex());

    // A program that cannot be started: config.ini keeps the language in use.
    g_boxes.clear();
    const std::string config = Scratch("language-config.ini");
    wintest::WriteFileText(config, "[Set]\r\nLanguage=" + std::to_string(GetLanguageIndex()) + "\r\n");
    COrvelFrameWnd::SetRestartTarget(Scratch("missing.exe"), config);
    language->SelectItem(other, false);
    Pump(500);
    EXPECT_FALSE(quit_);
    EXPECT_TRUE(IsWindowVisible(hwnd_));
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].rfind(LookupText("SwitchLanguage", "StartError"), 0), 0u) << g_boxes[0];
    EXPECT_EQ(ConfigLanguage(config), std::to_string(GetLanguageIndex()));
    COrvelFrameWnd::SetRestartTarget("", "");
}

TEST_F(FrameTest, ChoosingTheOtherLanguageRestartsTheProgramInIt) {
    // The unpacked program's own config.ini, restored afterwards.
    const std::string config = kDist + "config.ini";
    const std::string saved = wintest::ReadFileText(config);
    const int other = GetLanguageIndex() == 0 ? 1 : 0;
    COrvelFrameWnd::SetRestartTarget(kDist + "DtuConfig.exe", config);
    ASSERT_TRUE(Open());
    EnterSettingMode();
    auto* language = static_cast<CComboUI*>(Find("Language")->GetInterface("Combo"));
    language->SelectItem(other, false);
    ASSERT_TRUE(PumpUntil([&] { return quit_; }, 5000));
    EXPECT_FALSE(IsWindowVisible(hwnd_)) << "hidden at once";
    EXPECT_EQ(ConfigLanguage(config), std::to_string(other));

    // The old window shuts down as usual, the new process comes up in the other language.
    Destroy();
    DWORD process = 0;
    HWND next = nullptr;
    PumpUntil([&] { return (next = FindOtherMainWindow(process)) != nullptr; }, 20000);
    wintest::WriteFileText(config, saved);
    ASSERT_NE(next, nullptr);
    Sleep(1500); // its start-up timer and first paint
    // It comes up as a normal window in front, not as an icon.
    EXPECT_TRUE(IsWindowVisible(next));
    EXPECT_FALSE(IsIconic(next));
    RECT placed = {};
    GetWindowRect(next, &placed);
    EXPECT_GE(placed.right - placed.left, 800);
    EXPECT_GE(placed.bottom - placed.top, 500);
    wintest::SaveBmp(wintest::CaptureWindow(next),
                     wintest::ArtifactsDir() + "\\shell-language-" + std::to_string(other) + ".bmp");
    CloseOtherProgram(next, process);
    COrvelFrameWnd::SetRestartTarget("", "");
    // The port was given up by the old process: the next test opens it again.
}

// The skin's texts reach the window as they are written, whatever the system's code page:
// the Chinese skin reads in an English or a Western-European locale as in a Chinese one.
TEST_F(FrameTest, TheSkinReadsInEveryLocale) {
    ASSERT_TRUE(Open());
    Pump(300);
    if (GetLanguageIndex() == 0) {
        EXPECT_EQ(Text("Server"), "Servers");
        EXPECT_EQ(Text("Language"), "English");
        return;
    }
    // UTF-8 texts of the Chinese skin's XML and Language.ini (GBK), as the controls hold them.
    EXPECT_EQ(Text("Server"), "\xE6\x9C\x8D\xE5\x8A\xA1\xE5\x99\xA8");             // 服务器
    EXPECT_EQ(Text("Language"), "\xE4\xB8\xAD\xE6\x96\x87");                           // 中文
    EXPECT_EQ(Text("DeviceState"),
              "\xE6\x9C\xAA\xE8\xBF\x9B\xE5\x85\xA5\xE9\x85\x8D\xE7\xBD\xAE\xE6\xA8\xA1\xE5\xBC\x8F"); // 未进入配置模式
    EXPECT_EQ(Text("Open"), "\xE6\x89\x93\xE5\xBC\x80\xE4\xB8\xB2\xE5\x8F\xA3"); // 打开串口
    // The combo's own items, both readable.
    auto* language = ControlAs<CComboUI>(Find("Language"));
    ASSERT_NE(language, nullptr);
    ASSERT_EQ(language->GetCount(), 2);
    EXPECT_EQ(language->GetItemAt(0)->GetText(), "English");
    EXPECT_EQ(language->GetItemAt(1)->GetText(), "\xE4\xB8\xAD\xE6\x96\x87");
    // What the window draws is that text: the window's title bar text, drawn by the system
    // from the same UTF-16, and the tooltip of a field.
    EXPECT_EQ(Find("Server's Ip")->GetToolTip(), "AT+IPAD");
    SaveScreenshot("locale-" + wintest::Env("LANG", "default"));
}

} // namespace frametest

// config.ini and Language.ini through the real private-profile functions.
#include "base/crash_report.h"
#include "base/settings.h"
#include "support/wintest.h"

#include <gtest/gtest.h>

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = wintest::ScratchDir() + "\\settings\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
        DeleteFileA((folder_ + "config.ini").c_str());
        // An unpacked, portable folder: its settings beside the program.
        wintest::WriteFileText(folder_ + "portable.ini", "[Portable]\r\nPortable=1\r\n");
    }
    void WriteConfig(const std::string& text) {
        wintest::WriteFileText(folder_ + "config.ini", text);
    }
    void WriteLanguageIni(const std::string& skin, const std::string& text) {
        CreateDirectoryA((folder_ + "skin").c_str(), nullptr);
        CreateDirectoryA((folder_ + "skin\\" + skin).c_str(), nullptr);
        wintest::WriteFileText(folder_ + "skin\\" + skin + "\\Language.ini", text);
    }
    std::string folder_;
};

TEST_F(Settings, LanguageSelectsTheSkinFolder) {
    struct Case {
        const char* config;
        int index;
        const char* skin;
    } cases[] = {
        {"[Set]\r\nLanguage=1\r\n", 1, "skin\\ConifgRes"},
        {"[Set]\r\nLanguage=2\r\n", 2, "skin\\ConifgRes"},
        {"[Set]\r\nLanguage=-3\r\n", -3, "skin\\ConifgRes"},
        {"[Set]\r\nLanguage=0\r\n", 0, "skin\\ConifgENRes"},
        {"[Set]\r\nLanguage=\r\n", 0, "skin\\ConifgENRes"},
        {"[Set]\r\nLanguage=abc1\r\n", 0, "skin\\ConifgENRes"},
        {"[Other]\r\nLanguage=1\r\n", 0, "skin\\ConifgENRes"},
        {nullptr, 0, "skin\\ConifgENRes"},
    };
    for (const Case& c : cases) {
        if (c.config)
            WriteConfig(c.config);
        else
            DeleteFileA((folder_ + "config.ini").c_str());
        LoadStartupSettings(folder_);
        EXPECT_EQ(GetLanguageIndex(), c.index) << (c.config ? c.config : "no file");
        EXPECT_EQ(GetSkinFolder(), folder_ + c.skin);
        EXPECT_EQ(GetMessageTextFile(), folder_ + c.skin + "\\Language.ini");
    }
}

TEST_F(Settings, LanguageValueOfAnyLengthOrContentIsSafe) {
    // The value is read into a 20-byte buffer: a long one is cut, never overflows.
    WriteConfig("[Set]\r\nLanguage=" + std::string(5000, '7') + "\r\n");
    LoadStartupSettings(folder_);
    EXPECT_EQ(GetSkinFolder(), folder_ + "skin\\ConifgRes");
    EXPECT_EQ(GetLanguageIndex(), 2147483647); // 19 sevens, clamped to the integer range

    std::string garbage = "[Set]\r\nLanguage=";
    for (int i = 1; i < 256; ++i)
        if (i != '\r' && i != '\n')
            garbage += char(i);
    WriteConfig(garbage + "\r\n");
    LoadStartupSettings(folder_);
    EXPECT_EQ(GetLanguageIndex(), 0);
    EXPECT_EQ(GetSkinFolder(), folder_ + "skin\\ConifgENRes");
}

TEST_F(Settings, LookupTextReadsLanguageIniWithItsSuffix) {
    WriteConfig("[Set]\r\nLanguage=0\r\n");
    WriteLanguageIni("ConifgENRes", "[WorkerJobThreadProc]\r\nSaveSuccess=Saved\r\n"
                                    "[ComSend]\r\nsend=send\r\n"
                                    "[Long]\r\nText=" +
                                        std::string(250, 'x') + "\r\n");
    LoadStartupSettings(folder_);
    EXPECT_EQ(LookupText("WorkerJobThreadProc", "SaveSuccess", "\r\n"), "Saved\r\n");
    EXPECT_EQ(LookupText("ComSend", "send", ""), "send");
    EXPECT_EQ(LookupText("WorkerJobThreadProc", "OutTime", "\r\n"), "\r\n");
    EXPECT_EQ(LookupText("NoSuchSection", "send", ""), "");
    EXPECT_EQ(LookupText("Long", "Text", "\r\n"), std::string(199, 'x') + "\r\n");

    // The file is read on every call: a change shows at once.
    WriteLanguageIni("ConifgENRes", "[WorkerJobThreadProc]\r\nSaveSuccess=Stored\r\n");
    EXPECT_EQ(LookupText("WorkerJobThreadProc", "SaveSuccess", "\r\n"), "Stored\r\n");
}

TEST_F(Settings, AChineseLanguageIniIsDecodedAsAWholeFile) {
    // GBK: "全选(&A)" is C8 AB D1 A1, which is also valid UTF-8 on its own ("ȫѡ"); the file
    // as a whole is not, so every value is read as GBK. A byte-order mark is skipped, and a
    // long value is cut between characters.
    WriteConfig("[Set]\r\nLanguage=1\r\n");
    std::string longValue;
    for (int i = 0; i < 250; ++i)
        longValue += "\xD6\xD0"; // 中
    WriteLanguageIni("ConifgRes", "[LogMenu]\r\nSelectAll=\xC8\xAB\xD1\xA1(&A)\r\n"
                                  "Copy=\xB8\xB4\xD6\xC6(&C)\r\n[Long]\r\nText=" +
                                      longValue + "\r\n");
    LoadStartupSettings(folder_);
    EXPECT_EQ(LookupText("LogMenu", "SelectAll", ""), "\xE5\x85\xA8\xE9\x80\x89(&A)");
    EXPECT_EQ(LookupText("LogMenu", "Copy", ""), "\xE5\xA4\x8D\xE5\x88\xB6(&C)");
    std::string cut;
    for (int i = 0; i < 199; ++i)
        cut += "\xE4\xB8\xAD";
    EXPECT_EQ(LookupText("Long", "Text", ""), cut);
    WriteLanguageIni("ConifgRes", "\xEF\xBB\xBF[LogMenu]\r\nSelectAll=Select all\r\n");
    EXPECT_EQ(LookupText("LogMenu", "SelectAll", ""), "Select all");
}

TEST_F(Settings, AnInstalledProgramKeepsTheUsersDataInTheUsersFolders) {
    // No portable marker: the shipped config.ini is the first start's defaults, and every
    // setting written goes to the user's application-data folder, never the program's.
    DeleteFileA((folder_ + "portable.ini").c_str());
    LoadStartupSettings(folder_);
    DeleteFileA((GetDataFolder() + "config.ini").c_str()); // a first start
    WriteConfig("[Set]\r\nLanguage=1\r\n");
    LoadStartupSettings(folder_);
    EXPECT_FALSE(IsPortable());
    const std::string data = GetDataFolder();
    EXPECT_NE(data, folder_);
    EXPECT_NE(data.find("DtuConfig"), std::string::npos) << data;
    EXPECT_EQ(GetConfigFile(), data + "config.ini");
    EXPECT_EQ(GetLanguageIndex(), 1) << "the shipped defaults";
    EXPECT_EQ(GetSkinFolder(), folder_ + "skin\\ConifgRes") << "skins stay with the program";
    RememberedPort port;
    port.name = "COM7";
    ASSERT_TRUE(RememberPort(port));
    EXPECT_EQ(LoadRememberedPort().name, "COM7");
    EXPECT_EQ(wintest::ReadFileText(folder_ + "config.ini"), "[Set]\r\nLanguage=1\r\n")
        << "the program's own file is never written";
    EXPECT_NE(GetLocalDataFolder(), folder_);
    // Started again, it keeps the user's settings, not the shipped ones.
    WriteConfig("[Set]\r\nLanguage=0\r\n");
    LoadStartupSettings(folder_);
    EXPECT_EQ(LoadRememberedPort().name, "COM7");
    EXPECT_EQ(GetLanguageIndex(), 1);
    DeleteFileA((data + "config.ini").c_str());
}

TEST(CrashNotice, TheNextStartIsToldOnce) {
    const std::string folder = wintest::ScratchDir() + "\\crashes\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_EQ(TakeCrashNotice(folder), "");
    wintest::WriteFileText(folder + "last-crash.txt", folder + "DtuConfig-crash-1.txt");
    EXPECT_EQ(TakeCrashNotice(folder), folder + "DtuConfig-crash-1.txt");
    EXPECT_EQ(TakeCrashNotice(folder), "") << "told once";
}

TEST_F(Settings, MissingMessageFileGivesOnlyTheSuffix) {
    WriteConfig("[Set]\r\nLanguage=1\r\n");
    LoadStartupSettings(folder_);
    EXPECT_EQ(LookupText("WorkerJobThreadProc", "OutTime", "\r\n"), "\r\n");
    EXPECT_EQ(LookupText("ComSend", "send", ""), "");
}

TEST(ProgramFolder, EndsWithABackslashAndHoldsTheExecutable) {
    std::string folder = GetProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    EXPECT_EQ(std::string(path).rfind(folder, 0), 0u);
}

} // namespace

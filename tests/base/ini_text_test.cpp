// Reading Language.ini from its bytes: the profile functions' rules, and telling UTF-8 from a
// legacy code page.
#include "base/ini_text.h"
#include "base/text.h"

#include <gtest/gtest.h>

TEST(IniText, ValuesAreFoundAsTheProfileFunctionsFindThem) {
    const std::string text =
        "; a comment\r\n[WorkerJobThreadProc]\r\nSaveError = The device refused the value. \r\n"
        "[logmenu]\r\nCopy=&Copy\r\n;Clear=commented out\r\nempty=\r\n[Other]\nCopy=second\n";
    std::string value;
    ASSERT_TRUE(FindIniValue(text, "WorkerJobThreadProc", "SaveError", value));
    EXPECT_EQ(value, "The device refused the value.");
    // Names compare without regard to case; the first section that holds the key answers.
    ASSERT_TRUE(FindIniValue(text, "LogMenu", "COPY", value));
    EXPECT_EQ(value, "&Copy");
    EXPECT_FALSE(FindIniValue(text, "LogMenu", "Clear", value));
    ASSERT_TRUE(FindIniValue(text, "LogMenu", "empty", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(FindIniValue(text, "Missing", "Copy", value));
    // At most the given number of bytes.
    ASSERT_TRUE(FindIniValue(text, "WorkerJobThreadProc", "SaveError", value, 10));
    EXPECT_EQ(value, "The device");
    const auto all = ReadIniValues(text);
    EXPECT_EQ(all.at("Other/Copy"), "second");
    EXPECT_EQ(all.at("logmenu/Copy"), "&Copy");
}

TEST(IniText, Utf8IsToldApartFromGbk) {
    EXPECT_TRUE(IsUtf8("plain ASCII"));
    EXPECT_TRUE(IsUtf8("\xE6\x9C\x8D\xE5\x8A\xA1\xE5\x99\xA8")); // "服务器" in UTF-8
    EXPECT_FALSE(IsUtf8("\xB7\xFE\xCE\xF1\xC6\xF7"));            // the same in GBK
    EXPECT_FALSE(IsUtf8("\xE6\x9C"));                            // cut short
    EXPECT_FALSE(IsUtf8("\xC0\x80"));                            // an overlong form
}

namespace {

TEST(LogLineEnds, ACrLfSplitOverTwoChunksIsOneLineEnd) {
    bool lastWasCr = false;
    std::string first = "Server's Port:9000\r";
    JoinLineEnds(lastWasCr, first);
    EXPECT_TRUE(lastWasCr);
    std::string second = "\nOK\r\n";
    JoinLineEnds(lastWasCr, second);
    EXPECT_EQ(second, "OK\r\n") << "the CR that ended the last chunk already ends the line";
    EXPECT_FALSE(lastWasCr);
    std::string lone = "\nnext";
    JoinLineEnds(lastWasCr, lone);
    EXPECT_EQ(lone, "\nnext") << "an LF after a whole line end stays";
    std::string empty;
    lastWasCr = true;
    JoinLineEnds(lastWasCr, empty);
    EXPECT_TRUE(lastWasCr) << "nothing appended changes nothing";
    // Long texts are cut between characters.
    EXPECT_EQ(Utf8Prefix("\xE5\x85\xA8\xE9\x80\x89(&A)", 1), "\xE5\x85\xA8");
    EXPECT_EQ(Utf8Prefix("abc", 10), "abc");
    // A byte-order mark before a file's text is no part of it.
    EXPECT_EQ(WithoutBom("\xEF\xBB\xBF[Set]"), "[Set]");
    EXPECT_EQ(WithoutBom("[Set]"), "[Set]");
    std::string value;
    EXPECT_TRUE(FindIniValue("\xEF\xBB\xBF[Set]\r\nLanguage=1\r\n", "Set", "Language", value));
    EXPECT_EQ(value, "1") << "the first section is found behind a byte-order mark";
}

} // namespace

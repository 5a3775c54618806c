// Configuration file bytes: the line-end translation both ways and the files that are refused.
#include "params/config_file.h"
#include "params/listing_parser.h"
#include "tests/params/listing_fixture.h"

#include <gtest/gtest.h>

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

TEST(ConfigFileTest, SavedListingEndsEachLineWithCrCrLfAndReadsBackExactly) {
    const std::string listing = LoadFullListing();
    ASSERT_GT(listing.size(), 3000u);
    const std::string bytes = ListingToFileBytes(listing);
    EXPECT_EQ(bytes, Replace(listing, "\r\n", "\r\r\n"));
    std::string back;
    ASSERT_EQ(FileBytesToListing(bytes, back), ConfigFileError::None);
    EXPECT_EQ(back, listing);
    // Up to the first zero byte only.
    EXPECT_EQ(ListingToFileBytes(std::string("ab\ncd\0ef", 8)), "ab\r\ncd");
}

TEST(ConfigFileTest, FilesWhoseLineEndsAnEditorChangedLoadTheSameValues) {
    const std::string listing = LoadFullListing();
    ParameterCatalogue expected, actual;
    ListParameterCatalogue lists1, lists2;
    InterfacePresence p1, p2;
    BuildParameterCatalogue(expected, lists1, 8);
    BuildParameterCatalogue(actual, lists2, 8);
    ASSERT_TRUE(ParseListing(listing.data(), listing.size(), expected, lists1, p1));
    for (const std::string& edited : {listing, Replace(listing, "\r\n", "\n")}) {
        std::string text;
        ASSERT_EQ(FileBytesToListing(edited, text), ConfigFileError::None);
        ASSERT_TRUE(ParseListing(text.data(), text.size(), actual, lists2, p2));
        for (const auto& [key, entry] : expected)
            EXPECT_EQ(actual[key].value, entry.value) << key;
    }
}

TEST(ConfigFileTest, RefusedFiles) {
    std::string text = "unchanged";
    EXPECT_EQ(FileBytesToListing("", text), ConfigFileError::NoListing);
    EXPECT_EQ(FileBytesToListing("Device Type:DTU\r\nOK\r\n", text), ConfigFileError::NoListing);
    EXPECT_EQ(FileBytesToListing(std::string("\x1A") + "Access Point Name:x\r\n", text),
              ConfigFileError::NoListing);
    std::string huge = "Access Point Name:x\r\r\n" + std::string(20000, 'y');
    EXPECT_EQ(FileBytesToListing(huge, text), ConfigFileError::TooLong);
    EXPECT_EQ(text, "unchanged");
    // Within the limit, and a 0x1A ends the text.
    ASSERT_EQ(FileBytesToListing("Access Point Name:x\r\r\n\x1Ajunk", text), ConfigFileError::None);
    EXPECT_EQ(text, "Access Point Name:x\r\n");
}

} // namespace

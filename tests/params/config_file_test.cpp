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

TEST(ConfigFileTest, FilesWithCrAloneLoadLikeTheOthers) {
    const std::string listing = LoadFullListing();
    std::string text;
    ASSERT_EQ(FileBytesToListing(Replace(listing, "\r\n", "\r"), text), ConfigFileError::None);
    EXPECT_EQ(text, listing);
}

// The catalogue the window builds, with eight sensor rows.
struct Catalogue {
    ParameterCatalogue parameters;
    ListParameterCatalogue lists;
    Catalogue() { BuildParameterCatalogue(parameters, lists, 8); }
};

TEST(ConfigFileTest, AWholeFileNamesEveryLabelItHolds) {
    const Catalogue catalogue;
    const std::string listing = LoadFullListing();
    std::string text;
    FileLabels labels;
    ASSERT_EQ(ReadConfigFile(ListingToFileBytes(listing), catalogue.parameters, catalogue.lists,
                             text, labels),
              ConfigFileError::None);
    EXPECT_EQ(text, listing);
    EXPECT_GT(labels.found * 4, labels.total * 3);
    EXPECT_TRUE(labels.keys.count("Server's Port"));
    EXPECT_TRUE(labels.listItems.count("GENSENSORINFO 0:"));
}

TEST(ConfigFileTest, FilesCutShortOrHoldingTooFewLabelsAreRefused) {
    const Catalogue catalogue;
    const std::string bytes = ListingToFileBytes(LoadFullListing());
    const size_t anchor = bytes.find(kListingAnchor);
    std::string text = "unchanged";
    FileLabels labels;
    // Cut inside a line, 400 bytes after the anchor: the last line has no line end.
    EXPECT_EQ(ReadConfigFile(bytes.substr(0, anchor + 400), catalogue.parameters,
                             catalogue.lists, text, labels),
              ConfigFileError::Unterminated);
    // Cut at a line end after a few lines: too few labels to stand for the device.
    const size_t lineEnd = bytes.find("\r\r\n", anchor + 400) + 3;
    EXPECT_EQ(ReadConfigFile(bytes.substr(0, lineEnd), catalogue.parameters, catalogue.lists,
                             text, labels),
              ConfigFileError::TooFewLabels);
    EXPECT_EQ(text, "unchanged");
    EXPECT_TRUE(labels.keys.empty());

    // Cut after somewhat more than half of its lines (at a line end): accepted, naming only the
    // labels it holds.
    size_t half = bytes.size() * 3 / 5;
    half = bytes.find("\r\r\n", half) + 3;
    ASSERT_EQ(ReadConfigFile(bytes.substr(0, half), catalogue.parameters, catalogue.lists, text,
                             labels),
              ConfigFileError::None);
    EXPECT_LT(labels.found, labels.total);
    EXPECT_GE(labels.found * 2, labels.total);
    for (const std::string& key : labels.keys)
        EXPECT_NE(text.find(catalogue.parameters.at(key).label), std::string::npos) << key;
}

} // namespace

// Snapshots before a write (naming, finding, pruning) and comparing configurations.
#include "params/snapshots.h"

#include "params/config_file.h"
#include "tests/params/listing_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

namespace {

std::tm At(int year, int month, int day, int hour, int minute, int second) {
    std::tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(Snapshots, NamedByTheDeviceAndTheTimeNewestKept) {
    EXPECT_EQ(SnapshotName("13800000001", At(2026, 12, 10, 7, 5, 9)),
              "13800000001_20261210-070509.cfg");
    EXPECT_EQ(SnapshotName("a/b c", At(2026, 1, 2, 3, 4, 5)), "a%2Fb%20c_20260102-030405.cfg");
    EXPECT_EQ(SnapshotName("", At(2026, 1, 2, 3, 4, 5)), "~_20260102-030405.cfg");
    // Undo tells the user when the snapshot it goes back to was kept.
    EXPECT_EQ(SnapshotTimeText("a%5F1_20260102-030405-2.cfg"), "2026-01-02 03:04:05");
    EXPECT_EQ(SnapshotTimeText("13800000001_20261210-070509.cfg"), "2026-12-10 07:05:09");
    EXPECT_EQ(SnapshotTimeText("notes_manual.cfg"), "");
    EXPECT_EQ(SnapshotTimeText("x_2026121O-070509.cfg"), "");

    std::vector<std::string> names = {"other_20261210-070509.cfg", "notes.txt",
                                      "13800000001_20261210-070509.cfg.bak"};
    for (int i = 0; i < 55; ++i)
        names.push_back(SnapshotName("13800000001", At(2026, 12, 1 + i % 28, i / 28, i, 0)));
    const std::vector<std::string> mine = SnapshotsOf("13800000001", names);
    ASSERT_EQ(mine.size(), 55u);
    EXPECT_TRUE(std::is_sorted(mine.rbegin(), mine.rend())) << "newest first";
    EXPECT_EQ(mine.front(), "13800000001_20261228-002700.cfg");
    const std::vector<std::string> prune = SnapshotsToPrune("13800000001", names);
    ASSERT_EQ(prune.size(), 5u);
    for (const std::string& name : prune)
        EXPECT_LT(name, mine[49]) << "only the oldest go";
    EXPECT_TRUE(SnapshotsToPrune("other", names).empty());
}

TEST(Snapshots, NamesNeverCollideAndOnlyTheProgramsOwnFilesCount) {
    const std::tm when = At(2026, 1, 2, 3, 4, 5);
    std::set<std::string> names;
    for (const char* id : {"A/1", "A:1", "A_1", "A 1", "A%2F1", "", "unknown", "~"})
        EXPECT_TRUE(names.insert(SnapshotName(id, when)).second) << "\"" << id << "\"";
    // A name the system takes: short enough, and still one per ID.
    const std::string longA(300, 'a'), longB = std::string(299, 'a') + "b";
    EXPECT_LT(SnapshotName(longA, when).size(), 130u);
    EXPECT_NE(SnapshotName(longA, when), SnapshotName(longB, when));
    EXPECT_EQ(SnapshotsOf(longA, {SnapshotName(longA, when), SnapshotName(longB, when)}).size(), 1u);
    // A user's own files beside the snapshots are neither found nor pruned.
    const std::vector<std::string> files = {"13800000001_original-config.cfg",
                                            "13800000001_20240101-manual.cfg",
                                            "13800000001_20240101-120000.cfg",
                                            "13800000001_20240101-120000-2.cfg"};
    const std::vector<std::string> mine = SnapshotsOf("13800000001", files);
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_EQ(mine[0], "13800000001_20240101-120000-2.cfg") << "the second of one second is newer";
    EXPECT_TRUE(SnapshotsToPrune("13800000001", files, 0).size() == 2u);
}

class SnapshotFolder : public ::testing::Test {
protected:
    void SetUp() override {
        static int made = 0;
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() /
            ("snapshots-test-" + std::to_string(std::random_device()()) + "-" +
             std::to_string(++made));
        std::filesystem::create_directories(folder);
        folder_ = folder.u8string();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    static std::string WithId(const std::string& id, const std::string& port) {
        std::string listing = LoadFullListing();
        const std::string label = "\r\nModem's ID number:";
        size_t at = listing.find(label) + label.size();
        listing.replace(at, listing.find("\r\n", at) - at, id);
        const std::string portLabel = "\r\nServer's Port:";
        at = listing.find(portLabel) + portLabel.size();
        return listing.replace(at, listing.find("\r\n", at) - at, port);
    }
    std::string folder_;
};

TEST_F(SnapshotFolder, UndoFindsTheLastWriteWhateverIdItGaveTheDevice) {
    CSnapshotFolder snapshots(folder_);
    std::string first, second, why;
    ASSERT_TRUE(snapshots.Keep(WithId("UNIT-OLD", "9000"), At(2026, 1, 2, 3, 4, 5), first, why)) << why;
    // The write gave the device a new ID: found by that ID.
    ASSERT_TRUE(snapshots.RecordIdAfter(first, "UNIT-NEW"));
    CSnapshotFolder::Found found;
    ASSERT_TRUE(snapshots.Latest("UNIT-NEW", found));
    EXPECT_EQ(found.name, first);
    EXPECT_NE(found.listing.find("Modem's ID number:UNIT-OLD"), std::string::npos);
    // Another device that had the new ID before is not confused with it: the newest write to
    // a device of that ID wins.
    ASSERT_TRUE(snapshots.Keep(WithId("UNIT-NEW", "9100"), At(2026, 1, 2, 3, 4, 6), second, why));
    ASSERT_TRUE(snapshots.Latest("UNIT-NEW", found));
    EXPECT_EQ(found.name, second);
    // Two writes in one second keep two snapshots.
    std::string third;
    ASSERT_TRUE(snapshots.Keep(WithId("UNIT-NEW", "9200"), At(2026, 1, 2, 3, 4, 6), third, why));
    EXPECT_NE(third, second);
    ASSERT_TRUE(snapshots.Latest("UNIT-NEW", found));
    EXPECT_EQ(found.name, third);
    EXPECT_FALSE(snapshots.Latest("NOBODY", found));
    // No temporary file is left behind.
    for (const auto& file : std::filesystem::directory_iterator(folder_))
        EXPECT_EQ(file.path().extension() == ".tmp", false) << file.path();
}

TEST_F(SnapshotFolder, ACutSnapshotIsPassedOverForTheNewestCompleteOne) {
    CSnapshotFolder snapshots(folder_);
    std::string good, cut, why;
    ASSERT_TRUE(snapshots.Keep(WithId("U1", "9000"), At(2026, 1, 2, 3, 4, 5), good, why));
    ASSERT_TRUE(snapshots.Keep(WithId("U1", "9001"), At(2026, 1, 2, 3, 4, 9), cut, why));
    const std::string path = snapshots.PathOf(cut);
    const std::uintmax_t size = std::filesystem::file_size(path);
    std::filesystem::resize_file(path, size / 2);
    CSnapshotFolder::Found found;
    ASSERT_TRUE(snapshots.Latest("U1", found));
    EXPECT_EQ(found.name, good);
    ASSERT_EQ(found.skipped.size(), 1u);
    EXPECT_EQ(found.skipped[0], cut);
    // A folder that cannot be made is a failure with the system's reason, not a silent skip.
    std::ofstream(folder_ + "/file") << "x";
    CSnapshotFolder blocked(folder_ + "/file/backups");
    std::string name;
    EXPECT_FALSE(blocked.Keep(WithId("U1", "9000"), At(2026, 1, 2, 3, 4, 5), name, why));
    EXPECT_FALSE(why.empty());
}

std::string Replace(std::string listing, const std::string& label, const std::string& value) {
    const size_t at = listing.find(label) + label.size();
    return listing.replace(at, listing.find("\r\n", at) - at, value);
}

TEST(Compare, NamesTheDifferingFieldsAndLeavesOutWhatChangesByItself) {
    const std::string a = LoadFullListing();
    std::string b = Replace(a, "\r\nServer's Port:", "9999");
    b = Replace(b, "GENSENSORINFO 1:", "1,3,40001,1,0,1,1,1,other,1");
    const std::vector<Difference> differences = CompareListings(a, b);
    ASSERT_EQ(differences.size(), 2u);
    EXPECT_EQ(differences[0].label, "Server's Port");
    EXPECT_EQ(differences[0].second, "9999");
    EXPECT_EQ(differences[1].label, "GENSENSORINFO 1");
    EXPECT_TRUE(CompareListings(a, a).empty());
    // A partial file is compared on what it names only.
    const size_t apn = a.find("Access Point Name:") + 18;
    const std::string partial = "Access Point Name:" + a.substr(apn, a.find("\r\n", apn) - apn) +
                                "\r\nServer's Port:9999\r\n";
    const std::vector<Difference> named = CompareListings(a, partial);
    ASSERT_EQ(named.size(), 1u) << named.size();
    EXPECT_EQ(named[0].key, "Server's Port");
    EXPECT_TRUE(IsVolatile("LORA ver"));
}

} // namespace

namespace {

TEST(Diagnostics, PasswordsAndPhoneNumbersAreMaskedWhereverTheyStand) {
    const std::string listing = LoadFullListing();
    const std::string masked = MaskedListing(listing);
    EXPECT_EQ(masked.size() < listing.size(), true);
    EXPECT_EQ(masked.find("13500000001"), std::string::npos);
    EXPECT_EQ(masked.find("13800138000"), std::string::npos);
    EXPECT_NE(masked.find("Modem's Phone Number:***"), std::string::npos);
    EXPECT_NE(masked.find("PPP Authentication Password:***"), std::string::npos);
    // Everything else stays as it was, line ends included.
    EXPECT_NE(masked.find("Access Point Name:"), std::string::npos);
    EXPECT_NE(masked.find("\r\nServer's Port:"), std::string::npos);
    // In the operation log too, with a time stamp in front.
    EXPECT_EQ(MaskedListing("10:01:02 MQTT Password:secret\rnext\r"),
              "10:01:02 MQTT Password:***\rnext\r");
    EXPECT_TRUE(IsPrivateKey("sms Phone1 No"));
    EXPECT_FALSE(IsPrivateKey("Server's Port"));
}

} // namespace

// Snapshots before a write (naming, finding, pruning) and comparing configurations.
#include "params/snapshots.h"

#include "params/config_file.h"
#include "tests/params/listing_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

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
    EXPECT_EQ(SnapshotName("a/b c", At(2026, 1, 2, 3, 4, 5)), "a_b_c_20260102-030405.cfg");
    EXPECT_EQ(SnapshotName("", At(2026, 1, 2, 3, 4, 5)), "unknown_20260102-030405.cfg");

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

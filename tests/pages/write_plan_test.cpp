// The write plan on the in-memory view of the English skin: rows, order and ticks after a read
// and some edits, the marks and tab counts the edits leave, putting a field back, verifying a
// batch against a fresh listing, and a file's values the pages could not take.
#include "tests/pages/page_rig.h"

#include "params/config_file.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

class WritePlanTest : public ::testing::Test {
protected:
    PageRig rig;

    void ReadServers() {
        rig.Read(Listing({{"Server's Port", "5000"},
                          {"Server's Ip", "10.0.0.1"},
                          {"Access Point Name", "cmnet"},
                          {"Protocolmodel", "PROT"}},
                         kAllInterfaces));
    }
};

TEST_F(WritePlanTest, ThreeEditsOneInvalidGiveThreeRowsInKeyOrderTheInvalidOneUnticked) {
    ReadServers();
    rig.view.SetText("Server's Port", "900090");
    rig.view.SetText("Server's Ip", "121.40.200.179");
    rig.view.SetText("Access Point Name", "internet");
    rig.log.clear();
    const std::vector<PlanRow> plan = rig.pages.PlanChanges();
    EXPECT_TRUE(rig.log.empty()) << "planning logs nothing";
    EXPECT_TRUE(rig.jobs.empty()) << "planning queues nothing";
    ASSERT_EQ(plan.size(), 3u);
    // Key order, as the write path has always sent them.
    EXPECT_EQ(plan[0].job.key, "Access Point Name");
    EXPECT_EQ(plan[1].job.key, "Server's Ip");
    EXPECT_EQ(plan[2].job.key, "Server's Port");
    EXPECT_EQ(plan[0].deviceValue, "cmnet");
    EXPECT_EQ(plan[0].newValue, "internet");
    EXPECT_EQ(plan[0].tab, TAB_WIRELESS);
    EXPECT_EQ(plan[2].label, "Server's Port");
    // Named as the page names it, for the window and the log.
    EXPECT_EQ(plan[2].field, "Main server address - Port");
    EXPECT_EQ(plan[2].job.label, "Main server address - Port");
    EXPECT_EQ(plan[0].field, "APN");
    EXPECT_EQ(plan[2].tab, TAB_SERVER);
    EXPECT_EQ(plan[2].rule, RuleBreak::NotAPort);
    EXPECT_FALSE(plan[2].ticked);
    EXPECT_TRUE(plan[0].ticked && plan[1].ticked);

    // Only the ticked rows are queued, in plan order.
    rig.jobs = TickedJobs(plan);
    ASSERT_EQ(rig.jobs.size(), 2u);
    EXPECT_EQ(rig.jobs[0].command, "AT+APN=internet\r\n");
    EXPECT_EQ(rig.jobs[1].command, "AT+IPAD=121.40.200.179\r\n");

    // Ticked on purpose, the invalid one goes too.
    std::vector<PlanRow> ticked = plan;
    ticked[2].ticked = true;
    rig.jobs = TickedJobs(ticked);
    ASSERT_EQ(rig.jobs.size(), 3u);
    EXPECT_EQ(rig.jobs[2].command, "AT+PORT=900090\r\n");
}

TEST_F(WritePlanTest, NothingIsPlannedBeforeARead) {
    rig.view.SetText("Server's Port", "6000");
    EXPECT_TRUE(rig.pages.PlanChanges().empty());
    EXPECT_TRUE(rig.pages.MarkChanges().empty());
}

TEST_F(WritePlanTest, AValueWithALineBreakIsPlannedButCanNeverBeSent) {
    ReadServers();
    rig.view.SetText("Access Point Name", "a\r\nAT+FACTORY");
    const std::vector<PlanRow> plan = rig.pages.PlanChanges();
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_FALSE(plan[0].applicable);
    EXPECT_EQ(plan[0].rule, RuleBreak::BadCharacter);
    std::vector<PlanRow> ticked = plan;
    ticked[0].ticked = true;
    EXPECT_TRUE(TickedJobs(ticked).empty());
}

TEST_F(WritePlanTest, EditsAreMarkedCountedByTabAndPutBack) {
    ReadServers();
    rig.view.SetText("Server's Port", "900090");
    rig.view.SetText("Server's Ip", "121.40.200.179");
    rig.view.SetText("Access Point Name", "internet");
    rig.pages.MarkChanges();
    EXPECT_EQ(rig.view.GetMark("Server's Ip"), FieldMark::Changed);
    EXPECT_EQ(rig.view.GetMark("Server's Port"), FieldMark::Invalid);
    EXPECT_EQ(rig.view.Find("Server's Port")->markReason, "not a port number (0 to 65535)");
    EXPECT_EQ(rig.view.GetMark("Secondary Server's Port"), FieldMark::None);
    EXPECT_EQ(rig.pages.ChangesOnTab(TAB_SERVER), 2);
    EXPECT_EQ(rig.pages.ChangesOnTab(TAB_WIRELESS), 1);
    EXPECT_EQ(rig.pages.ChangesOnTab(TAB_WORK_MODE), 0);
    EXPECT_EQ(rig.view.GetText("ServerChanges"), "2");
    EXPECT_TRUE(rig.view.IsVisible("ServerChanges"));
    EXPECT_FALSE(rig.view.IsVisible("WorkModeChanges"));

    // One field put back: its mark goes, the count drops; the others stay.
    ASSERT_TRUE(rig.pages.RevertField("Server's Port"));
    EXPECT_EQ(rig.view.GetText("Server's Port"), "5000");
    rig.pages.MarkChanges();
    EXPECT_EQ(rig.view.GetMark("Server's Port"), FieldMark::None);
    EXPECT_EQ(rig.view.GetMark("Server's Ip"), FieldMark::Changed);
    EXPECT_EQ(rig.view.GetText("ServerChanges"), "1");

    // A failure of the last write is shown on the field while it still differs.
    rig.pages.SetFailedFields({{"Server's Ip", "refused"}});
    rig.pages.MarkChanges();
    EXPECT_EQ(rig.view.GetMark("Server's Ip"), FieldMark::Failed);
    ASSERT_TRUE(rig.pages.RevertField("Server's Ip"));
    rig.pages.MarkChanges();
    EXPECT_EQ(rig.view.GetMark("Server's Ip"), FieldMark::None);
    rig.view.SetText("Server's Ip", "121.40.200.179");
    rig.pages.MarkChanges();
    EXPECT_EQ(rig.view.GetMark("Server's Ip"), FieldMark::Changed) << "the failure was forgotten";

    // Reading the device again shows its values: no marks are left.
    ReadServers();
    rig.pages.MarkChanges();
    EXPECT_EQ(rig.view.GetMark("Server's Ip"), FieldMark::None);
    EXPECT_EQ(rig.view.GetMark("Access Point Name"), FieldMark::None);
    EXPECT_FALSE(rig.view.IsVisible("ServerChanges"));
}

TEST_F(WritePlanTest, SwitchRowsAndSensorRowsAreMarkedAndPutBack) {
    std::ifstream in(ORVEL_LISTING_FIXTURE, std::ios::binary);
    const std::string listing((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    rig.Read(listing);
    ASSERT_TRUE(rig.pages.MarkChanges().empty()) << "a fresh read shows no change";
    const std::string before = rig.pages.GetRowFieldValue(1, "SensorCfg_DeviceAddress");
    rig.pages.SetRowFieldValue(1, "SensorCfg_DeviceAddress", "77");
    const std::vector<PlanRow> plan = rig.pages.MarkChanges();
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].sensorRow, 1);
    EXPECT_EQ(plan[0].job.kind, EntryKind::List);
    EXPECT_EQ(plan[0].field, "Sensor 2");
    EXPECT_EQ(rig.view.GetMark(ControlRef::InRow(kSensorListName, 1, kSensorChannelField)),
              FieldMark::Changed);
    EXPECT_EQ(rig.pages.ChangesOnTab(TAB_MODBUS), 1);
    ASSERT_TRUE(rig.pages.RevertField(CConfigPages::FailedKey(plan[0])));
    EXPECT_EQ(rig.pages.GetRowFieldValue(1, "SensorCfg_DeviceAddress"), before);
    EXPECT_TRUE(rig.pages.MarkChanges().empty());
}

TEST(VerifyPlan, WrittenRowsBecomeVerifiedOrMismatchAndTheSummaryNamesTheFailures) {
    std::vector<PlanRow> rows(4);
    const char* keys[] = {"Server's Port", "Server's Ip", "Secondary Server's Port",
                          "Server Count"};
    const char* values[] = {"6000", "10.0.0.9", "5002", "2"};
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i].job.key = keys[i];
        rows[i].newValue = values[i];
        rows[i].label = keys[i];
        rows[i].outcome = PlanOutcome::Written;
    }
    rows[3].outcome = PlanOutcome::Refused;
    rows[0].outcome = PlanOutcome::NotAnswered; // but the device reports it: taken
    const std::string after = Listing({{"Server's Port", "6000"},
                                       {"Server's Ip", "10.0.0.1"},
                                       {"Secondary Server's Port", "5002"},
                                       {"Server Count", "1"}});
    std::vector<PlanRow> verified = rows;
    VerifyPlan(verified, after);
    EXPECT_EQ(verified[0].outcome, PlanOutcome::Verified);
    EXPECT_EQ(verified[1].outcome, PlanOutcome::Mismatch);
    EXPECT_EQ(verified[2].outcome, PlanOutcome::Verified);
    EXPECT_EQ(verified[3].outcome, PlanOutcome::Refused);
    EXPECT_EQ(PlanSummary(verified, PlanTexts()),
              "2 written and verified, 1 refused: Server Count, 1 mismatch: Server's Ip");

    // The device could not be read again: nothing counts as verified.
    std::vector<PlanRow> unread = rows;
    VerifyPlan(unread, std::string());
    EXPECT_EQ(unread[0].outcome, PlanOutcome::NotAnswered);
    EXPECT_EQ(unread[1].outcome, PlanOutcome::NotVerified);
    EXPECT_EQ(PlanSummary(unread, PlanTexts()),
              "0 written and verified, 1 refused: Server Count, 1 not answered: Server's Port, "
              "2 not verified: Server's Ip, Secondary Server's Port");
    // The skin's words.
    PlanTexts texts;
    texts.written = "geschrieben";
    texts.refused = "abgelehnt";
    EXPECT_EQ(PlanSummary(verified, texts).substr(0, 32), "2 geschrieben, 1 abgelehnt: Serv");
}

TEST(RowOfJob, MatchesTheFirstTickedRowOfTheJobThatHasNoOutcome) {
    std::vector<PlanRow> rows(3);
    rows[0].job.key = rows[1].job.key = rows[2].job.key = "CustomList";
    rows[0].job.item = "GENSENSORINFO 0:";
    rows[1].job.item = rows[2].job.item = "GENSENSORINFO 1:";
    rows[1].ticked = false;
    Job job;
    job.key = "CustomList";
    job.item = "GENSENSORINFO 1:";
    EXPECT_EQ(RowOfJob(rows, job), &rows[2]);
    rows[2].outcome = PlanOutcome::Written;
    EXPECT_EQ(RowOfJob(rows, job), nullptr);
}

TEST_F(WritePlanTest, AFilesValuesThePagesCannotTakeAreListedAsNotApplied) {
    ReadServers();
    // A file holding the port and an address for the GPS server, which this device's pages do
    // not use (its group is hidden): the second cannot be applied.
    const std::string file = Listing({{"Server's Port", "7001"},
                                      {"Server's Ip", "10.0.0.1"},
                                      {"Access Point Name", "cmnet"},
                                      {"Protocolmodel", "PROT"},
                                      {"GPS Server's Ip", "gps.example.org"}},
                                     kAllInterfaces);
    FileLabels labels = LabelsInListing(file, rig.store.parameters, rig.store.lists);
    rig.pages.ShowFileValues(file, labels);
    rig.RunRules();
    const std::vector<PlanRow> plan = rig.pages.PlanFileDifferences(file);
    ASSERT_FALSE(plan.empty());
    EXPECT_EQ(plan[0].job.key, "Server's Port");
    EXPECT_TRUE(plan[0].applicable);
    bool listed = false;
    for (const PlanRow& row : plan)
        if (row.job.key == "GPS Server's Ip") {
            listed = true;
            EXPECT_FALSE(row.applicable);
            EXPECT_FALSE(row.ticked);
            EXPECT_EQ(row.newValue, "gps.example.org");
        }
    EXPECT_TRUE(listed);
    EXPECT_EQ(TickedJobs(plan).size(), 1u);
    EXPECT_FALSE(rig.pages.IsLoadingFile());
}

} // namespace

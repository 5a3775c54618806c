// The write flow without a serial line: plans made by the pages, written to the simulated
// device's own model, verified by reading it again; every outcome, undo's order, and a device
// that leaves or a line that breaks in the middle.
#include "shell/write_flow.h"

#include "tools/dtusim/device_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

namespace {

// The device's model answering jobs as the real device does on the wire.
class CModelDialogue : public IDeviceDialogue {
public:
    CDeviceModel model{DeviceKind::Plain, DeviceInterfaces{}, 8};
    std::vector<std::string> sent;
    int breakAfter = -1;      // the line breaks after this many commands
    bool leftSetting = false; // the device timed out of its setting mode
    int reentered = 0;
    std::vector<std::string> refuse; // command words answered "ERROR"

    std::optional<std::string> Run(const Job& job, std::string& why) override {
        if (breakAfter == 0) {
            why = "the line failed: the line was hung up";
            return std::nullopt;
        }
        if (breakAfter > 0)
            --breakAfter;
        std::string line = job.command;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        while (!line.empty() && (line.front() == '\n' || line.front() == '\r'))
            line.erase(0, 1);
        sent.push_back(line);
        for (const std::string& word : refuse)
            if (line.rfind(word, 0) == 0)
                return std::string("\r\nERROR\r\n");
        return model.Answer(line).text;
    }
    std::optional<std::string> ReadListing(std::string& why, JobType type) override {
        Job job;
        job.type = type;
        job.command = "AT+SHOW\r\n";
        return Run(job, why);
    }
    bool EnsureSettingMode(std::string& why) override {
        if (breakAfter == 0) {
            why = "the line failed";
            return false;
        }
        if (leftSetting) {
            leftSetting = false;
            ++reentered;
        }
        return true;
    }
    std::string SetCommands() const {
        std::string text;
        for (const std::string& line : sent)
            if (line.find('=') != std::string::npos)
                text += line + "\n";
        return text;
    }
};

ConfigValues Values(const std::string& text) {
    ConfigValues values;
    std::string why;
    EXPECT_TRUE(ReadConfigValues(text, values, why)) << why;
    return values;
}

class WriteFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = (std::filesystem::temp_directory_path() /
                   ("flow-test-" + std::to_string(std::random_device()())))
                      .string();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string Device() { return *device_.ReadListing(why_, JOB_LOAD); }

    CModelDialogue device_;
    CWriteFlow flow_{ORVEL_SKIN_DIR, nullptr};
    std::string folder_, why_;
};

TEST_F(WriteFlowTest, EveryRowGetsItsOutcomeAndOnlyAVerifiedWriteIsVerified) {
    ASSERT_TRUE(flow_.Plan(Device(), Values("Protocol model:DCTCP\r\nServer's Port:9001\r\n"
                                            "MSBITV:x1\r\nServer's Ip:1.2.3.999\r\n")));
    EXPECT_EQ(flow_.ToSend(), 3u) << "the invalid address starts unticked";
    EXPECT_EQ(flow_.Invalid(), std::vector<std::string>{"Server's Ip"});
    device_.refuse = {"AT+MSBITV"};
    CSnapshotFolder snapshots(folder_);
    ASSERT_TRUE(flow_.Execute(device_, &snapshots, why_)) << why_;
    std::map<std::string, PlanOutcome> outcomes;
    for (const PlanRow& row : flow_.Rows())
        outcomes[row.label] = row.outcome;
    EXPECT_EQ(outcomes["Protocol model"], PlanOutcome::Verified);
    EXPECT_EQ(outcomes["Server's Port"], PlanOutcome::Verified);
    EXPECT_EQ(outcomes["MSBITV"], PlanOutcome::Refused);
    EXPECT_EQ(outcomes["Server's Ip"], PlanOutcome::Planned);
    EXPECT_TRUE(flow_.Changed());
    EXPECT_FALSE(flow_.AllVerified());
    EXPECT_EQ(device_.SetCommands().find("AT+IPAD"), std::string::npos);
    EXPECT_FALSE(flow_.Snapshot().empty());
    // The verifying read is a job of its own kind, after the writes.
    EXPECT_EQ(device_.sent.back(), "AT+SHOW");

    // The same values again: nothing to send, nothing changed, and (without the refused and
    // invalid values) verified.
    CWriteFlow again(ORVEL_SKIN_DIR, nullptr);
    ASSERT_TRUE(again.Plan(Device(), Values("Protocol model:DCTCP\r\nServer's Port:9001\r\n")));
    EXPECT_EQ(again.ToSend(), 0u);
    ASSERT_TRUE(again.Execute(device_, &snapshots, why_));
    EXPECT_FALSE(again.Changed());
    EXPECT_TRUE(again.AllVerified());
}

TEST_F(WriteFlowTest, ValuesTheDeviceDoesNotHoldAfterwardsAreNotVerified) {
    // In TRNS the server page is out of use: the port is not applied and stays unmet.
    ASSERT_TRUE(flow_.Plan(Device(), Values("Server's Port:9001\r\n")));
    EXPECT_EQ(flow_.NotApplied(), std::vector<std::string>{"Server's Port"});
    ASSERT_TRUE(flow_.Execute(device_, nullptr, why_));
    EXPECT_EQ(flow_.Unmet(), std::vector<std::string>{"Server's Port"});
    EXPECT_FALSE(flow_.AllVerified());
}

TEST_F(WriteFlowTest, UndoWritesHiddenValuesBackBeforeTheSettingsThatHideThem) {
    const std::string before = Device();
    ASSERT_TRUE(flow_.Plan(before, Values("Protocol model:DCTCP\r\nServer's Port:9001\r\n")));
    ASSERT_TRUE(flow_.Execute(device_, nullptr, why_));
    device_.sent.clear();
    CWriteFlow undo(ORVEL_SKIN_DIR, nullptr);
    ConfigValues snapshot;
    ASSERT_TRUE(ReadConfigValues(ListingToFileBytes(before), snapshot, why_));
    ASSERT_TRUE(undo.Plan(Device(), snapshot, true));
    ASSERT_TRUE(undo.Execute(device_, nullptr, why_));
    EXPECT_EQ(device_.SetCommands(), "AT+PORT=9000\nAt+PROMODE=TRNS\n");
    EXPECT_TRUE(undo.AllVerified()) << undo.Unmet().size();
}

TEST_F(WriteFlowTest, NothingIsSentToADeviceThatCannotBeReachedAndALostLineStopsTheRest) {
    ASSERT_TRUE(flow_.Plan(Device(), Values("Protocol model:DCTCP\r\nServer's Port:9001\r\n"
                                            "MSBITV:61\r\n")));
    device_.sent.clear();
    // A device that left its setting mode is entered again first.
    device_.leftSetting = true;
    device_.breakAfter = 1; // one command goes out, then the line breaks
    ASSERT_TRUE(flow_.Execute(device_, nullptr, why_));
    EXPECT_EQ(device_.reentered, 1);
    EXPECT_EQ(device_.sent.size(), 1u) << "nothing more after the line broke, no read";
    size_t notSent = 0, notAnswered = 0;
    for (const PlanRow& row : flow_.Rows()) {
        notSent += row.outcome == PlanOutcome::Planned;
        notAnswered += row.outcome == PlanOutcome::NotAnswered;
    }
    EXPECT_EQ(notAnswered, 1u);
    EXPECT_EQ(notSent, 1u);
    EXPECT_FALSE(flow_.AllVerified());
    // A snapshot that cannot be kept stops the write before anything is sent.
    CWriteFlow blocked(ORVEL_SKIN_DIR, nullptr);
    device_.breakAfter = -1;
    ASSERT_TRUE(blocked.Plan(Device(), Values("MSBITV:62\r\n")));
    device_.sent.clear();
    std::filesystem::create_directories(folder_);
    std::ofstream(folder_ + "/file") << "x";
    CSnapshotFolder nowhere(folder_ + "/file/backups");
    EXPECT_FALSE(blocked.Execute(device_, &nowhere, why_));
    EXPECT_NE(why_.find("could not be kept"), std::string::npos) << why_;
    EXPECT_TRUE(device_.sent.empty());
}

TEST(Verification, AValueTheListingDoesNotHoldIsNotVerified) {
    std::vector<PlanRow> rows(2);
    rows[0].job.key = "Server's Port";
    rows[0].newValue = "";
    rows[0].outcome = PlanOutcome::Written;
    rows[1].job.key = "CollectInterval";
    rows[1].newValue = " 61 ";
    rows[1].outcome = PlanOutcome::Written;
    // A listing without the port's label, and the value with its blanks as the device lists it.
    VerifyPlan(rows, "Access Point Name:CMNET\r\nMSBITV: 61 \r\nOK\r\n");
    EXPECT_EQ(rows[0].outcome, PlanOutcome::NotVerified);
    EXPECT_EQ(rows[1].outcome, PlanOutcome::Verified);
    rows[0].outcome = PlanOutcome::NotAnswered;
    VerifyPlan(rows, "Access Point Name:CMNET\r\nOK\r\n");
    EXPECT_EQ(rows[0].outcome, PlanOutcome::NotAnswered) << "no answer and not listed";
}

} // namespace

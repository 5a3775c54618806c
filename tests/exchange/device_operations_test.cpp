// The jobs the operation buttons queue: each command byte for byte.
#include "exchange/device_operations.h"
#include "exchange/reply_recognition.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

// What a button's job does with the device: its command goes out as one line, and the device's
// usual answer to that command completes it, within the wait a job of its kind gets.
TEST(DeviceOperations, EveryButtonsJobIsCompletedByTheDevicesAnswerToItsCommand) {
    const std::string listing =
        "\r\nAccess Point Name:cmnet\r\n" + std::string(4000, 'x') + "\r\n\r\nOK\r\n";
    for (const char* name : {"Load", "RestoreFactory", "READFILELOG", "CPIN", "CSQ", "GetVer",
                             "quit", "AT+REBOOT"}) {
        Job job;
        ASSERT_TRUE(OperationJob(name, job)) << name;
        // One command line, ending in CR LF, with no other line break in it.
        ASSERT_GE(job.command.size(), 3u);
        EXPECT_EQ(job.command.substr(job.command.size() - 2), "\r\n") << name;
        EXPECT_EQ(job.command.find_first_of("\r\n"), job.command.size() - 2) << name;
        EXPECT_TRUE(job.key.empty() && job.value.empty() && job.kind == EntryKind::None);

        CReplyAssembler reply;
        reply.Reset(job.type);
        const std::string echo = job.command.substr(0, job.command.size() - 2) + "\r\n";
        const std::string answer = job.type == JOB_LOAD ? listing : "\r\nOK\r\n";
        const std::string text = echo + answer;
        EXPECT_TRUE(reply.OnData(text.data(), text.size()).replyComplete) << name;
        // A listing and the device's log file are long: they get the long wait.
        const bool longReply = job.type == JOB_LOAD || job.type == JOB_READ_LOG;
        EXPECT_EQ(JobBaseWait(job.type), longReply ? 24000 : 5000) << name;
    }
    // Buttons that need more than a fixed command queue nothing here.
    Job job;
    for (const char* name : {"Save", "SetTime", "Login", "Open", ""})
        EXPECT_FALSE(OperationJob(name, job)) << name;
    // The network mode, and the file jobs, read like the buttons' jobs.
    for (const Job& other : {NetModeJob(), SaveFileJob(), LoadFileJob()}) {
        CReplyAssembler reply;
        reply.Reset(other.type);
        const std::string text = other.type == JOB_NET_MODE
                                     ? "AT+FINDNETMODE\r\n+FINDNETMODE:LTE\r\nOK\r\n"
                                     : "AT+SHOW\r\n" + listing;
        EXPECT_TRUE(reply.OnData(text.data(), text.size()).replyComplete) << other.command;
    }
}

TEST(DeviceOperations, ASetCommandCarriesItsTextAndTheValueToRecord) {
    const Job job = SetValueJob("AT+PORT", "5001", "Server's Port", "5001");
    EXPECT_EQ(job.type, JOB_WRITE);
    EXPECT_EQ(job.command, "AT+PORT=5001\r\n");
    EXPECT_EQ(job.key, "Server's Port");
    EXPECT_EQ(job.value, "5001");
    EXPECT_TRUE(job.kind == EntryKind::None && job.item.empty());
}

TEST(DeviceOperations, SetTimeSendsTheLocalClock) {
    std::tm t = {};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 31;
    t.tm_hour = 7;
    t.tm_min = 5;
    t.tm_sec = 9;
    EXPECT_EQ(ClockText(t), "2024/01/31,07:05:09");
    Job job = SetTimeJob(t);
    EXPECT_EQ(job.type, JOB_WRITE);
    EXPECT_EQ(job.command, "AT+EXCCLK=\"2024/01/31,07:05:09\",5\r\n");
}

} // namespace

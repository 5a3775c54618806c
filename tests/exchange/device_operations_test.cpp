// The jobs the operation buttons queue: each command byte for byte.
#include "exchange/device_operations.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

TEST(DeviceOperations, EachButtonQueuesExactlyItsCommand) {
    struct Row {
        const char* name;
        int type;
        const char* command;
    };
    const Row rows[] = {
        {"Load", JOB_LOAD, "AT+SHOW\r\n"},
        {"RestoreFactory", JOB_FACTORY, "AT+FACTORY\r\n"},
        {"READFILELOG", JOB_READ_LOG, "at+READFILELOG\r\n"},
        {"CPIN", JOB_SIM_PIN, "At+CPIN?\r\n"},
        {"CSQ", JOB_SIGNAL, "At+CSQ\r\n"},
        {"GetVer", JOB_VERSION, "At+VER\r\n"},
        {"quit", JOB_QUIT, "at+quit\r\n"},
        {"AT+REBOOT", JOB_COMMAND, "AT+REBOOT\r\n"},
        {"xAT+Y", JOB_COMMAND, "xAT+Y\r\n"},
    };
    for (const Row& row : rows) {
        Job job;
        ASSERT_TRUE(OperationJob(row.name, job)) << row.name;
        EXPECT_EQ(job.type, row.type);
        EXPECT_EQ(job.command, row.command);
        EXPECT_TRUE(job.key.empty() && job.value.empty() && job.kind == EntryKind::None && job.item.empty());
    }
    Job job;
    EXPECT_FALSE(OperationJob("Save", job));
    EXPECT_FALSE(OperationJob("SetTime", job));
    EXPECT_FALSE(OperationJob("Login", job));

    Job net = NetModeJob();
    EXPECT_EQ(net.type, JOB_NET_MODE);
    EXPECT_EQ(net.command, "AT+FINDNETMODE\r\n");
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

#include "exchange/job_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

Job MakeJob(int type, const std::string& command) {
    Job job;
    job.type = static_cast<JobType>(type);
    job.command = command;
    return job;
}

TEST(JobQueue, JobsComeOutInPushOrderAsCopies) {
    JobQueue queue;
    Job write = MakeJob(JOB_WRITE, "AT+APN=cmnet\r\n");
    write.key = "APN";
    write.value = "cmnet";
    queue.PushJob(write);
    queue.PushJob(MakeJob(JOB_WRITE, "AT+PORT=5000\r\n"));
    write.value = "changed after the push";

    Job out;
    ASSERT_TRUE(queue.PopJob(out));
    EXPECT_EQ(out.type, JOB_WRITE);
    EXPECT_EQ(out.command, "AT+APN=cmnet\r\n");
    EXPECT_EQ(out.key, "APN");
    EXPECT_EQ(out.value, "cmnet");
    ASSERT_TRUE(queue.PopJob(out));
    EXPECT_EQ(out.command, "AT+PORT=5000\r\n");
    EXPECT_TRUE(out.key.empty());
    EXPECT_EQ(queue.Size(), 0u);
}

TEST(JobQueue, PopOnEmptyQueueLeavesTheRecordAlone) {
    JobQueue queue;
    Job out = MakeJob(JOB_QUIT, "at+quit\r\n");
    out.item = "kept";
    EXPECT_FALSE(queue.PopJob(out));
    EXPECT_EQ(out.type, JOB_QUIT);
    EXPECT_EQ(out.command, "at+quit\r\n");
    EXPECT_EQ(out.item, "kept");
}

TEST(JobQueue, ClearDiscardsEverythingQueued) {
    JobQueue queue;
    for (int i = 0; i < 100; ++i)
        queue.PushJob(MakeJob(JOB_WRITE, "AT+X=" + std::to_string(i) + "\r\n"));
    queue.ClearJobs();
    Job out;
    EXPECT_FALSE(queue.PopJob(out));
    // Jobs pushed after a clear are the only ones that come out.
    queue.PushJob(MakeJob(JOB_LOAD, "AT+SHOW\r\n"));
    ASSERT_TRUE(queue.PopJob(out));
    EXPECT_EQ(out.command, "AT+SHOW\r\n");
    EXPECT_FALSE(queue.PopJob(out));
}

TEST(JobQueue, ProducersAndOneConsumerKeepEachProducersOrder) {
    JobQueue queue;
    const int perProducer = 5000;
    std::atomic<bool> producing{true};
    std::vector<int> lastSeen(2, -1);
    bool ordered = true;
    int taken = 0;

    std::thread consumer([&] {
        Job job;
        while (producing || queue.Size() > 0) {
            if (!queue.PopJob(job))
                continue;
            int producer = job.type;
            int sequence = std::stoi(job.value);
            if (sequence != lastSeen[producer] + 1)
                ordered = false;
            lastSeen[producer] = sequence;
            ++taken;
        }
    });
    std::vector<std::thread> producers;
    for (int p = 0; p < 2; ++p) {
        producers.emplace_back([&, p] {
            for (int i = 0; i < perProducer; ++i) {
                Job job = MakeJob(p, "cmd");
                job.value = std::to_string(i);
                queue.PushJob(job);
            }
        });
    }
    for (auto& t : producers)
        t.join();
    producing = false;
    consumer.join();
    EXPECT_TRUE(ordered);
    EXPECT_EQ(taken, 2 * perProducer);
}

TEST(JobQueue, BaseWaitsFollowTheJobType) {
    EXPECT_EQ(JobBaseWait(JOB_LOAD), 24000);
    EXPECT_EQ(JobBaseWait(JOB_SAVE_FILE), 24000);
    EXPECT_EQ(JobBaseWait(JOB_LOAD_FILE), 24000);
    EXPECT_EQ(JobBaseWait(JOB_READ_LOG), 24000);
    for (int type : {JOB_WRITE, JOB_FACTORY, JOB_QUIT, JOB_NET_MODE, JOB_VERSION, JOB_SIM_PIN,
                     JOB_SIGNAL, JOB_SIGNAL_RETRY, JOB_COMMAND})
        EXPECT_EQ(JobBaseWait(type), 5000) << type;
}

} // namespace

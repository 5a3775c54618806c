#include "exchange/reply_recognition.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

ReplyActions Feed(CReplyAssembler& reply, const std::string& chunk) {
    return reply.OnData(chunk.data(), chunk.size());
}

// Types whose reply is complete on "OK" or on "ERROR\r\n".
const int kPlainTypes[] = {JOB_WRITE,    JOB_VERSION,      JOB_SIM_PIN,
                           JOB_READ_LOG, JOB_SIGNAL_RETRY, JOB_COMMAND};

TEST(ReplyRecognition, PlainCommandsCompleteOnOkOrError) {
    for (int type : kPlainTypes) {
        for (const char* answer : {"\r\nOK\r\n", "\r\nERROR\r\n"}) {
            CReplyAssembler reply;
            reply.Reset(type);
            ReplyActions actions = Feed(reply, "+CSQ: 23,0\r\n");
            EXPECT_FALSE(actions.replyComplete) << type;
            EXPECT_EQ(reply.JobType(), type);
            actions = Feed(reply, answer);
            EXPECT_TRUE(actions.replyComplete) << type << " " << answer;
            EXPECT_TRUE(reply.WaitForReply(0));
            EXPECT_EQ(reply.JobType(), JOB_NONE);
            EXPECT_TRUE(actions.jobs.empty());
            EXPECT_TRUE(actions.controlStates.empty());
            EXPECT_EQ(actions.logText, answer) << "the awaited reply is logged";
            // Once complete, nothing is awaited and later text is not logged.
            EXPECT_EQ(Feed(reply, "more").logText, "");
        }
        CReplyAssembler reply;
        reply.Reset(type);
        EXPECT_FALSE(Feed(reply, "ERROR").replyComplete) << "a refusal ends in CR LF";
        EXPECT_FALSE(reply.WaitForReply(0));
    }
}

TEST(ReplyRecognition, MarkersSplitOverChunksAreFoundOnTheWholeBuffer) {
    CReplyAssembler reply;
    reply.Reset(JOB_WRITE);
    EXPECT_FALSE(Feed(reply, "O").replyComplete);
    EXPECT_TRUE(Feed(reply, "K\r\n").replyComplete);
    EXPECT_EQ(reply.Reply(), "OK\r\n");

    reply.Reset(JOB_LOAD);
    EXPECT_FALSE(Feed(reply, "AT+SHOW\r\nAccess Point").replyComplete);
    EXPECT_FALSE(Feed(reply, " Name:cmnet\r\nMSBITV:1000\r\n").replyComplete);
    EXPECT_TRUE(Feed(reply, "\r\nOK\r\n").replyComplete);
}

TEST(ReplyRecognition, ListingsNeedTheAnchorAndOk) {
    for (int type : {JOB_LOAD, JOB_SAVE_FILE, JOB_LOAD_FILE}) {
        CReplyAssembler reply;
        reply.Reset(type);
        EXPECT_FALSE(Feed(reply, "OK\r\n").replyComplete) << type;
        EXPECT_EQ(reply.JobType(), type);
        // The anchor after an "OK" line: the final answer is still to come.
        EXPECT_FALSE(Feed(reply, "Access Point Name:cmnet\r\n").replyComplete) << type;
        EXPECT_TRUE(Feed(reply, "OK\r\n").replyComplete) << type;
        EXPECT_EQ(reply.JobType(), JOB_NONE);
    }
    // A listing with its anchor but refused is still waited for.
    CReplyAssembler reply;
    reply.Reset(JOB_LOAD_FILE);
    Feed(reply, "Access Point Name:cmnet\r\nERROR\r\n");
    EXPECT_EQ(reply.JobType(), JOB_LOAD_FILE);
    // A load never fails on ERROR: the worker's wait runs out.
    reply.Reset(JOB_LOAD);
    EXPECT_FALSE(Feed(reply, "ERROR\r\n").replyComplete);
    EXPECT_EQ(reply.JobType(), JOB_LOAD);
}

TEST(ReplyRecognition, RefusedFileReadsStopWaitingWithoutCompleting) {
    for (int type : {JOB_SAVE_FILE, JOB_LOAD_FILE}) {
        CReplyAssembler reply;
        reply.Reset(type);
        ReplyActions actions = Feed(reply, "\r\nERROR\r\n");
        EXPECT_FALSE(actions.replyComplete);
        EXPECT_FALSE(reply.WaitForReply(0));
        EXPECT_EQ(reply.JobType(), JOB_NONE);
    }
}

TEST(ReplyRecognition, SettingModeEntryByPromptAndByLogin) {
    CReplyAssembler reply;
    reply.SetJobType(JOB_SETTING_PROMPT); // the port was opened
    ReplyActions actions = Feed(reply, "AT+LIST AT+SHOW AT+APN ...\r\n");
    EXPECT_TRUE(actions.stopPromptTimer);
    EXPECT_FALSE(actions.restartPromptTimer);
    EXPECT_EQ(actions.controlStates, std::vector<int>{1});
    EXPECT_FALSE(actions.replyComplete) << "nothing waits for the command list";
    EXPECT_FALSE(reply.WaitForReply(0));
    EXPECT_EQ(reply.JobType(), JOB_NONE);

    reply.Reset(JOB_LOGIN);
    actions = Feed(reply, "+++enter setting!\r\n");
    EXPECT_EQ(actions.controlStates, std::vector<int>{1});
    EXPECT_TRUE(actions.replyComplete);
    EXPECT_EQ(reply.JobType(), JOB_NONE);

    reply.Reset(JOB_LOGIN);
    actions = Feed(reply, "ERROR\r\n");
    EXPECT_TRUE(actions.controlStates.empty());
    EXPECT_TRUE(actions.replyComplete);
}

TEST(ReplyRecognition, FactoryResetQueuesExactlyOneReRead) {
    CReplyAssembler reply;
    reply.Reset(JOB_FACTORY);
    ReplyActions actions = Feed(reply, "AT+FACTORY\r\nO");
    EXPECT_TRUE(actions.jobs.empty());
    actions = Feed(reply, "K\r\n");
    EXPECT_TRUE(actions.replyComplete);
    ASSERT_EQ(actions.jobs.size(), 1u);
    EXPECT_EQ(actions.jobs[0].type, JOB_LOAD);
    EXPECT_EQ(actions.jobs[0].command, "\r\nAT+SHOW\r\n");
    EXPECT_EQ(actions.jobs[0].key, "");
    EXPECT_TRUE(Feed(reply, "OK\r\n").jobs.empty()) << "the buffer still says OK";

    reply.Reset(JOB_FACTORY);
    actions = Feed(reply, "ERROR\r\n");
    EXPECT_TRUE(actions.replyComplete);
    EXPECT_TRUE(actions.jobs.empty());
}

TEST(ReplyRecognition, SignalIsAskedOnceMoreAfterARefusal) {
    CReplyAssembler reply;
    reply.Reset(JOB_SIGNAL);
    ReplyActions actions = Feed(reply, "\r\nERROR\r\n");
    EXPECT_TRUE(actions.replyComplete);
    ASSERT_EQ(actions.jobs.size(), 1u);
    EXPECT_EQ(actions.jobs[0].type, JOB_SIGNAL_RETRY);
    EXPECT_EQ(actions.jobs[0].command, "At+CSQ\r\n");

    reply.Reset(JOB_SIGNAL_RETRY); // the worker sends the retry
    actions = Feed(reply, "\r\nERROR\r\n");
    EXPECT_TRUE(actions.replyComplete);
    EXPECT_TRUE(actions.jobs.empty());

    reply.Reset(JOB_SIGNAL);
    actions = Feed(reply, "+CSQ: 31,0\r\nOK\r\n");
    EXPECT_TRUE(actions.replyComplete);
    EXPECT_TRUE(actions.jobs.empty());
}

TEST(ReplyRecognition, QuitAndNetworkMode) {
    CReplyAssembler reply;
    reply.Reset(JOB_QUIT);
    ReplyActions actions = Feed(reply, "OK\r\n");
    EXPECT_TRUE(actions.replyComplete);
    EXPECT_EQ(actions.controlStates, std::vector<int>{0});
    EXPECT_EQ(reply.JobType(), JOB_NONE);
    reply.Reset(JOB_QUIT);
    EXPECT_FALSE(Feed(reply, "ERROR\r\n").replyComplete);

    reply.Reset(JOB_NET_MODE);
    EXPECT_FALSE(Feed(reply, "ERROR\r\n").replyComplete) << "no failure test";
    EXPECT_TRUE(Feed(reply, "+FINDNETMODE:LTE\r\nOK\r\n").replyComplete);
}

TEST(ReplyRecognition, NothingAwaitedIsCollectedButNotLogged) {
    CReplyAssembler reply;
    for (int type : {int(JOB_NONE), 14, 99, -7}) {
        reply.SetJobType(type);
        ReplyActions actions = Feed(reply, "OK\r\nERROR\r\nAT+LIST enter setting!");
        // Only JOB_NONE silences the log; unknown types log but recognise nothing.
        EXPECT_EQ(actions.logText.empty(), type == JOB_NONE) << type;
        EXPECT_FALSE(actions.replyComplete);
        EXPECT_TRUE(actions.controlStates.empty());
        EXPECT_EQ(reply.JobType(), type);
    }
    EXPECT_GT(reply.Count(), 0);
}

TEST(ReplyRecognition, PromptRestartsTheSettingModeTimer) {
    CReplyAssembler reply;
    reply.Reset(JOB_NONE);
    ReplyActions actions = Feed(reply, "Press 's' key to enter setting mode\r\n");
    EXPECT_EQ(actions.logText, "");
    EXPECT_TRUE(actions.restartPromptTimer);
    EXPECT_FALSE(actions.stopPromptTimer);
    EXPECT_EQ(reply.JobType(), JOB_SETTING_PROMPT);
    EXPECT_EQ(reply.Count(), 0);
    EXPECT_EQ(reply.Reply(), "");

    // The device repeats its prompt; each one empties the buffer again.
    actions = Feed(reply, "Press 's' key");
    EXPECT_EQ(actions.logText, "Press 's' key");
    EXPECT_TRUE(actions.restartPromptTimer);
    EXPECT_EQ(reply.Count(), 0);

    // The command list and a new prompt in one chunk: entry, then probing again.
    actions = Feed(reply, "AT+LIST\r\nPress 's' key");
    EXPECT_TRUE(actions.stopPromptTimer);
    EXPECT_TRUE(actions.restartPromptTimer);
    EXPECT_EQ(actions.controlStates, std::vector<int>{1});
    EXPECT_EQ(reply.JobType(), JOB_SETTING_PROMPT);

    // A prompt and then the command list in one chunk: the device took the key; no more keys.
    actions = Feed(reply, "Press 's' key\r\nAT+LIST\r\n");
    EXPECT_TRUE(actions.stopPromptTimer);
    EXPECT_FALSE(actions.restartPromptTimer);
    EXPECT_EQ(actions.controlStates, std::vector<int>{1});
    EXPECT_EQ(reply.JobType(), JOB_NONE);
    // Later bytes do not bring the old prompt back.
    actions = Feed(reply, "\r\n");
    EXPECT_FALSE(actions.restartPromptTimer);
}

TEST(ReplyRecognition, SettingTimeoutWinsOverThePromptAndActsOnce) {
    CReplyAssembler reply;
    reply.Reset(JOB_WRITE);
    ReplyActions actions = Feed(reply, "Seting Timeout and quit\r\nPress 's' key");
    EXPECT_EQ(actions.controlStates, std::vector<int>{0});
    EXPECT_FALSE(actions.restartPromptTimer);
    EXPECT_EQ(reply.JobType(), JOB_NONE) << "nothing can answer the job any more";
    EXPECT_EQ(reply.Reply(), "\r\nPress 's' key");

    // The notice is gone from the buffer: the next prompt enters the setting mode again.
    actions = Feed(reply, "Press 's' key");
    EXPECT_TRUE(actions.controlStates.empty());
    EXPECT_TRUE(actions.restartPromptTimer);

    // Split over two chunks it still acts once.
    EXPECT_TRUE(Feed(reply, "Seting Time").controlStates.empty());
    EXPECT_EQ(Feed(reply, "out and quit\r\n").controlStates, std::vector<int>{0});
    EXPECT_TRUE(Feed(reply, "\r\n").controlStates.empty());

    // A job empties it too.
    Feed(reply, "Seting Timeout and quit");
    reply.Reset(JOB_WRITE);
    actions = Feed(reply, "OK\r\n");
    EXPECT_TRUE(actions.controlStates.empty());
    EXPECT_TRUE(actions.replyComplete);
}

TEST(ReplyRecognition, ZeroBytesAreKeptAsBlanks) {
    CReplyAssembler reply;
    reply.Reset(JOB_WRITE);
    const std::string chunk("AT+APN=x\r\n\0\0OK\r\n", 16);
    ReplyActions actions = Feed(reply, chunk);
    EXPECT_EQ(actions.logText, "AT+APN=x\r\n  OK\r\n") << "zero bytes logged as blanks";
    EXPECT_TRUE(actions.replyComplete) << "text after a zero byte is searched";
    EXPECT_EQ(reply.Reply(), "AT+APN=x\r\n  OK\r\n");
    EXPECT_EQ(reply.Count(), 16);

    reply.Reset(JOB_LOAD);
    Feed(reply, std::string("\0Access Point Name:\0\r\n", 22));
    EXPECT_TRUE(Feed(reply, std::string("\0OK", 3)).replyComplete);
    EXPECT_EQ(reply.Reply(), " Access Point Name: \r\n OK");
}

TEST(ReplyRecognition, OverflowKeepsTheMostRecentBytes) {
    CReplyAssembler reply;
    reply.Reset(JOB_READ_LOG);
    std::string all;
    for (int i = 0; all.size() < 40000; ++i) {
        std::string chunk(4095, static_cast<char>('a' + i % 26));
        chunk[0] = '#';
        all += chunk;
        Feed(reply, chunk);
        ASSERT_LE(reply.Count(), CReplyAssembler::kMaxCount);
    }
    EXPECT_EQ(reply.Count(), CReplyAssembler::kMaxCount);
    EXPECT_EQ(reply.Reply(), all.substr(all.size() - CReplyAssembler::kMaxCount));
    EXPECT_EQ(reply.JobType(), JOB_READ_LOG);

    // The markers are searched in the retained bytes: the end of a long log still completes.
    EXPECT_TRUE(Feed(reply, "\r\nOK\r\n").replyComplete);
    EXPECT_EQ(reply.Reply().substr(CReplyAssembler::kMaxCount - 6), "\r\nOK\r\n");

    // Even a single delivery longer than the buffer keeps its tail.
    reply.Reset(JOB_WRITE);
    std::string flood(20000, 'x');
    flood.replace(flood.size() - 6, 6, "\r\nOK\r\n");
    EXPECT_TRUE(Feed(reply, flood).replyComplete);
    EXPECT_EQ(reply.Reply(), flood.substr(flood.size() - CReplyAssembler::kMaxCount));
}

TEST(ReplyRecognition, TheBufferFillsToExactly15999BytesBeforeDropping) {
    CReplyAssembler reply;
    reply.Reset(JOB_READ_LOG);
    Feed(reply, "a" + std::string(15994, 'b'));
    Feed(reply, "cdef");
    EXPECT_EQ(reply.Count(), 15999);
    EXPECT_EQ(reply.Reply().front(), 'a') << "nothing dropped while it fits";
    Feed(reply, "g");
    EXPECT_EQ(reply.Count(), 15999);
    EXPECT_EQ(reply.Reply().front(), 'b') << "the oldest byte made room";
    EXPECT_EQ(reply.Reply().substr(15994), "cdefg");
}

TEST(ReplyRecognition, ResetEmptiesAndLowersTheSignal) {
    CReplyAssembler reply;
    std::vector<bool> hook;
    reply.SetReplySignalHook([&hook](bool raised) { hook.push_back(raised); });
    reply.Reset(JOB_WRITE);
    Feed(reply, "OK");
    EXPECT_TRUE(reply.WaitForReply(0));
    reply.Reset(JOB_VERSION);
    EXPECT_FALSE(reply.WaitForReply(0));
    EXPECT_EQ(reply.Count(), 0);
    EXPECT_EQ(reply.Reply(), "");
    EXPECT_EQ(reply.JobType(), JOB_VERSION);
    EXPECT_EQ(hook, (std::vector<bool>{false, true, false}));

    // Zero-length and null deliveries do nothing.
    EXPECT_FALSE(reply.OnData(nullptr, 5).replyComplete);
    EXPECT_FALSE(reply.OnData("OK", 0).replyComplete);
    EXPECT_EQ(reply.Count(), 0);
}

TEST(ReplyRecognition, ConfigurationFileTextReplacesTheBuffer) {
    CReplyAssembler reply;
    reply.Reset(JOB_NONE);
    Feed(reply, "old text");
    reply.SetContent(std::string("Access Point Name:\0cmnet\r\n", 26));
    EXPECT_EQ(reply.Reply(), "Access Point Name: cmnet\r\n");
    reply.SetContent(std::string(20000, 'y') + "end");
    EXPECT_EQ(reply.Count(), CReplyAssembler::kMaxCount);
    EXPECT_EQ(reply.Reply().substr(CReplyAssembler::kMaxCount - 3), "end");
    EXPECT_EQ(reply.JobType(), JOB_NONE);
}

TEST(ReplyRecognition, TheWorkerWakesWhenTheReplyIsComplete) {
    CReplyAssembler reply;
    reply.Reset(JOB_VERSION);
    std::thread receiver([&reply] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Feed(reply, "V1.0");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Feed(reply, "\r\nOK\r\n");
    });
    EXPECT_TRUE(reply.WaitForReply(10000));
    receiver.join();

    // No answer: the wait runs out.
    reply.Reset(JOB_VERSION);
    EXPECT_FALSE(reply.WaitForReply(20));

    // Shut-down wakes a waiting worker, and later waits return at once.
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        EXPECT_FALSE(reply.WaitForReply(60000));
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    reply.CancelWait();
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_FALSE(reply.WaitForReply(60000));
}

TEST(ReplyAcknowledged, AnOkWhoseLineEndIsStillOnTheWireCounts) {
    // The write is complete once "OK" is in, but the chunk may end before its line end.
    EXPECT_TRUE(ReplyAcknowledged("\r\nOK\r\n"));
    EXPECT_TRUE(ReplyAcknowledged("\r\nOK"));
    EXPECT_TRUE(ReplyAcknowledged("\r\nOK\r"));
    EXPECT_TRUE(ReplyAcknowledged("AT+X=1\r\n\r\n OK\r\n"));
    // Only the final line answers: "OK" inside values or before more text does not.
    EXPECT_FALSE(ReplyAcknowledged("junk OK\r\nmore"));
    EXPECT_FALSE(ReplyAcknowledged("AT+PASS=TOKEN\r\n"));
    EXPECT_FALSE(ReplyAcknowledged("REGOK\r\n"));
    EXPECT_TRUE(ReplyRefused("\r\nERROR\r\n"));
    EXPECT_FALSE(ReplyRefused("\r\nERROR"));
    EXPECT_FALSE(ReplyRefused("AT+USER=ERROR\r\n"));
    EXPECT_FALSE(ReplyAcknowledged("\r\nERROR\r\n"));
    EXPECT_FALSE(ReplyAcknowledged("OKAY then"));
    EXPECT_FALSE(ReplyAcknowledged(""));
    EXPECT_FALSE(ReplyAcknowledged("O"));

    // The receive side completes a write on the "OK" of the first chunk.
    CReplyAssembler reply;
    reply.Reset(JOB_WRITE);
    ReplyActions actions = reply.OnData("\r\nOK", 4);
    EXPECT_TRUE(actions.replyComplete);
    EXPECT_TRUE(ReplyAcknowledged(reply.Reply()));
}

} // namespace

namespace {

// A listing whose values hold every marker the recognition looks for.
std::string TrickyListing() {
    std::string text = "AT+SHOW\r\n\r\nAccess Point Name:cmnet\r\n";
    const char* values[] = {"REGOK", "TOKEN42", "OK", "ERROR", "AT+LIST", "Press 's' key",
                            "Seting Timeout and quit", "enter setting!", "OK\r"};
    for (int i = 0; i < 200; ++i)
        text += "Custom Info " + std::to_string(i) + ":" + values[i % 9] + "\r\n";
    return text + "\r\nOK\r\n";
}

} // namespace

TEST(ReplyRecognition, AListingIsCompleteOnlyOnItsFinalOkLineWhateverItsValuesHold) {
    const std::string listing = TrickyListing();
    for (size_t chunk : {size_t(1), size_t(7), size_t(64), size_t(512), size_t(4095)}) {
        for (int type : {JOB_LOAD, JOB_SAVE_FILE, JOB_LOAD_FILE}) {
            CReplyAssembler reply;
            reply.Reset(type);
            size_t completedAt = 0;
            for (size_t at = 0; at < listing.size(); at += chunk) {
                ReplyActions actions = Feed(reply, listing.substr(at, chunk));
                EXPECT_TRUE(actions.controlStates.empty()) << "a value is no announcement";
                EXPECT_FALSE(actions.restartPromptTimer);
                if (actions.replyComplete && completedAt == 0)
                    completedAt = std::min(at + chunk, listing.size());
            }
            EXPECT_GE(completedAt, listing.size() - 2) << "chunk " << chunk << " type " << type;
            EXPECT_EQ(reply.Reply(), listing);
        }
    }
}

TEST(ReplyRecognition, AWriteIsAnsweredOnlyByItsOwnOkOrErrorLine) {
    CReplyAssembler reply;
    reply.Reset(JOB_WRITE);
    EXPECT_FALSE(Feed(reply, "AT+CONNRGST=TOKEN42OK\r\n").replyComplete);
    EXPECT_FALSE(Feed(reply, "AT+USER=ERROR\r\n").replyComplete);
    EXPECT_TRUE(Feed(reply, "OK\r\n").replyComplete);
    EXPECT_TRUE(ReplyAcknowledged(reply.Reply()));
    EXPECT_FALSE(ReplyRefused(reply.Reply()));
}


TEST(ReplyRecognition, ALateReplyIsLoggedAsLate) {
    CReplyAssembler reply;
    reply.Reset(JOB_WRITE);
    EXPECT_FALSE(reply.WaitForReply(0));
    reply.ExpireWait("late:\r\n");
    ReplyActions actions = Feed(reply, "O");
    EXPECT_EQ(actions.logText, "late:\r\nO");
    EXPECT_FALSE(actions.replyComplete);
    actions = Feed(reply, "K\r\n");
    EXPECT_EQ(actions.logText, "K\r\n");
    EXPECT_FALSE(actions.replyComplete);
    EXPECT_FALSE(reply.WaitForReply(0));
    // The next job is awaited as usual.
    reply.Reset(JOB_WRITE);
    actions = Feed(reply, "OK\r\n");
    EXPECT_EQ(actions.logText, "OK\r\n");
    EXPECT_TRUE(actions.replyComplete);
}

TEST(ReplyRecognition, TheReplyIsLoggedBeforeTheSignalIsRaised) {
    CReplyAssembler reply;
    std::vector<std::string> events;
    reply.SetLogHook([&](const std::string& text) { events.push_back("log " + text); });
    reply.SetReplySignalHook([&](bool raised) { events.push_back(raised ? "raised" : "lowered"); });
    reply.Reset(JOB_WRITE);
    ReplyActions actions = Feed(reply, "OK\r\n");
    EXPECT_EQ(actions.logText, "") << "already logged through the hook";
    const std::vector<std::string> expected = {"lowered", "log OK\r\n", "raised"};
    EXPECT_EQ(events, expected);
}

TEST(ReplyRecognition, AnAbandonedWaitEndsAtOnceAndLaterWaitsWaitAgain) {
    CReplyAssembler reply;
    reply.Reset(JOB_LOAD);
    std::thread worker([&] { EXPECT_FALSE(reply.WaitForReply(60000)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    reply.AbandonWait(); // the port closed
    worker.join();
    EXPECT_EQ(reply.JobType(), JOB_NONE);
    // Unlike the shut-down, the next job is waited for as usual.
    reply.Reset(JOB_WRITE);
    std::thread next([&] { EXPECT_TRUE(reply.WaitForReply(60000)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Feed(reply, "OK\r\n");
    next.join();
}

// A device that says more after its answer in the same chunk: the answer still completes the
// job, and what the job looks at is the reply as it was completed.
TEST(ReplyRecognition, AnAnswerFollowedByMoreTextCompletesEveryJobThatIsNoListing) {
    const std::string after = "\r\nOK\r\n\r\n+STATUS: link up\r\nDTU boot v2.3.7\r\n";
    for (int type : kPlainTypes) {
        CReplyAssembler reply;
        reply.Reset(type);
        EXPECT_TRUE(Feed(reply, "AT+X=1\r\n" + after).replyComplete) << type;
        EXPECT_TRUE(ReplyAcknowledged(reply.CompletedReply())) << type;
        reply.Reset(type);
        EXPECT_TRUE(Feed(reply, "AT+X=1\r\n\r\nERROR\r\n+STATUS: link up\r\n").replyComplete);
        EXPECT_TRUE(ReplyRefused(reply.CompletedReply())) << type;
    }
    CReplyAssembler reply;
    reply.Reset(JOB_FACTORY);
    ReplyActions actions = Feed(reply, "AT+FACTORY\r\n" + after);
    EXPECT_TRUE(actions.replyComplete);
    ASSERT_EQ(actions.jobs.size(), 1u) << "one re-read";
    EXPECT_EQ(actions.jobs[0].type, JOB_LOAD);
    EXPECT_TRUE(ReplyAcknowledged(reply.CompletedReply()));

    // A reset whose banner holds the start-up prompt: the prompt empties the buffer and probes
    // again, but the reset was answered, and the worker still sees its answer.
    reply.Reset(JOB_FACTORY);
    actions = Feed(reply, "AT+FACTORY\r\n\r\nOK\r\nDTU boot\r\nPress 's' key to enter setting");
    EXPECT_TRUE(actions.replyComplete);
    EXPECT_EQ(actions.jobs.size(), 1u);
    EXPECT_TRUE(actions.restartPromptTimer);
    EXPECT_TRUE(ReplyAcknowledged(reply.CompletedReply()));

    for (int type : {JOB_QUIT, JOB_NET_MODE, JOB_SIGNAL, JOB_LOGIN}) {
        reply.Reset(type);
        const std::string answer = type == JOB_LOGIN ? "enter setting!\r\n" : "\r\nOK\r\n";
        EXPECT_TRUE(Feed(reply, "+FINDNETMODE:LTE\r\n" + answer + "+STATUS: 1\r\n").replyComplete)
            << type;
    }
    // A listing is still complete only on its final line.
    for (int type : {JOB_LOAD, JOB_SAVE_FILE, JOB_LOAD_FILE}) {
        reply.Reset(type);
        EXPECT_FALSE(Feed(reply, "AT+SHOW\r\n\r\nAccess Point Name:cmnet\r\nOK\r\nX:1\r\n").replyComplete)
            << type;
    }
}

// The device's announcements count wherever they stand on their line; only inside a listing
// being received is a marker a value.
TEST(ReplyRecognition, MarkersAfterAPrefixCountOutsideAListing) {
    CReplyAssembler reply;
    reply.Reset(JOB_SETTING_PROMPT);
    ReplyActions actions = Feed(reply, "[BOOT]: Press 's' key to enter setting mode");
    EXPECT_TRUE(actions.restartPromptTimer);
    EXPECT_EQ(reply.JobType(), JOB_SETTING_PROMPT);

    reply.Reset(JOB_WRITE);
    actions = Feed(reply, "12:00:01 Seting Timeout and quit\r\n");
    EXPECT_EQ(actions.controlStates, std::vector<int>{0});

    // Inside a listing a marker after its label is a value ...
    reply.Reset(JOB_LOAD);
    actions = Feed(reply, "AT+SHOW\r\n\r\nAccess Point Name:cmnet\r\nCustom Register Info:"
                          "Press 's' key\r\nNote:12:00 Seting Timeout and quit\r\n");
    EXPECT_TRUE(actions.controlStates.empty());
    EXPECT_FALSE(actions.restartPromptTimer);
    actions = Feed(reply, "\r\nOK\r\n");
    EXPECT_TRUE(actions.replyComplete);
    // ... and after its final "OK" the device speaks again.
    actions = Feed(reply, "12:05:00 Seting Timeout and quit\r\n");
    EXPECT_EQ(actions.controlStates, std::vector<int>{0});
}

// Feeds chunks under changing job types to the reply assembly. The input is read as a program:
// a byte with the top bit set resets the buffer for a job type chosen by the byte; any other
// byte n is followed by a chunk of up to 8 * n bytes. A plain model of the buffer (the most
// recent 15999 bytes, zero bytes as blanks) must always agree with what was assembled.
#include "exchange/reply_recognition.h"
#include "fuzz_check.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CReplyAssembler reply;
    std::string model;
    size_t at = 0;
    while (at < size) {
        const uint8_t op = data[at++];
        if (op & 0x80) {
            const int type = (op & 0x7F) % 18 - 1; // -1 to 16, 14 and 16 unused
            if (op & 0x40) {
                reply.SetJobType(type);
            } else {
                reply.Reset(type);
                model.clear();
                Check(!reply.IsReplySignalled());
            }
            Check(reply.JobType() == type);
            continue;
        }
        size_t n = std::min<size_t>(size - at, size_t(op) * 8 + 1);
        const char* chunk = reinterpret_cast<const char*>(data + at);
        at += n;
        const int typeBefore = reply.JobType();
        ReplyActions actions = reply.OnData(chunk, n);

        for (size_t i = 0; i < n; ++i)
            model.push_back(chunk[i] == '\0' ? ' ' : chunk[i]);
        if (model.size() > CReplyAssembler::kMaxCount)
            model.erase(0, model.size() - CReplyAssembler::kMaxCount);
        if (actions.replyComplete) {
            Check(reply.IsReplySignalled());
            // A listing is never complete before its final "OK" line.
            if (typeBefore == JOB_LOAD || typeBefore == JOB_SAVE_FILE ||
                typeBefore == JOB_LOAD_FILE)
                Check(model.find(kMarkerListing) != std::string::npos &&
                      EndsWithAnswer(model, kAnswerOk));
            // Any other reply is complete on an answer line, and the job sees that reply.
            else if (typeBefore != JOB_LOGIN)
                Check(FirstAnswerLine(reply.CompletedReply()) != AnswerLine::None);
        }
        if (actions.restartPromptTimer)
            model.clear();
        // The device's time-out announcement is acted on once: it is taken out of the buffer,
        // which is otherwise kept.
        int leftSettingMode = 0;
        for (int state : actions.controlStates)
            leftSettingMode += state == 0;
        if (typeBefore == JOB_QUIT && actions.replyComplete)
            --leftSettingMode; // the answer to "at+quit"
        if (leftSettingMode > 0) {
            Check(model.find(kMarkerSettingTimeout) != std::string::npos);
            Check(reply.Reply().size() < model.size());
            model = reply.Reply();
        }

        Check(reply.Count() >= 0 && reply.Count() <= CReplyAssembler::kMaxCount);
        Check(reply.Reply() == model);
        Check(actions.logText.empty() || typeBefore != JOB_NONE);
        if (typeBefore != JOB_NONE) {
            // Every byte is logged, zero bytes as blanks.
            Check(actions.logText.size() == n);
            for (size_t i = 0; i < n; ++i)
                Check(actions.logText[i] == (chunk[i] == '\0' ? ' ' : chunk[i]));
        }
        Check(actions.jobs.size() <= 1);
        for (const Job& job : actions.jobs)
            Check((job.type == JOB_LOAD && job.command == "\r\nAT+SHOW\r\n") ||
                  (job.type == JOB_SIGNAL_RETRY && job.command == "At+CSQ\r\n"));
        Check(actions.controlStates.size() <= 2);
        for (int state : actions.controlStates)
            Check(state == 0 || state == 1);
    }
    return 0;
}

// Jobs: one device command each, queued for the worker thread.
#pragma once

#include "params/parameter_catalogue.h"

#include <string>

// The job type tells the receive side which reply to watch for and the worker how long to
// wait and what to do with the answer. The same numbers serve as the main window's current
// job type; JOB_NONE, JOB_SETTING_PROMPT and JOB_LOGIN are never queued.
enum JobType : int {
    JOB_NONE = -1,
    JOB_SETTING_PROMPT = 0,
    JOB_LOAD = 1,
    JOB_WRITE = 2,
    JOB_LOGIN = 3,
    JOB_FACTORY = 4,
    JOB_SAVE_FILE = 5,
    JOB_LOAD_FILE = 6,
    JOB_QUIT = 7,
    JOB_NET_MODE = 8,
    JOB_VERSION = 9,
    JOB_SIM_PIN = 10,
    JOB_SIGNAL = 11,
    JOB_SIGNAL_RETRY = 12,
    JOB_READ_LOG = 13,
    // 14 is not used.
    JOB_COMMAND = 15,
    // The listing read after a write to verify it: read like JOB_LOAD, but its listing is
    // compared with the plan and never shown over what the user typed.
    JOB_VERIFY = 16,
};

struct Job {
    JobType type = JOB_NONE;
    std::string command; // the exact bytes written to the port
    std::string key;     // writes: catalogue key of the parameter
    std::string value;   // writes: the value being written
    EntryKind kind = EntryKind::None; // list item writes: EntryKind::List
    std::string item;    // list item writes: the item's label
    std::string label;   // writes: the field as the user knows it, for the log
};

// The worker's wait for the reply to a job, in milliseconds, before the time-out factor.
// Listings and the device log file are long; everything else is a short answer.
inline int JobBaseWait(int type) {
    switch (type) {
    case JOB_LOAD:
    case JOB_VERIFY:
    case JOB_SAVE_FILE:
    case JOB_LOAD_FILE:
    case JOB_READ_LOG:
        return 24000;
    default:
        return 5000;
    }
}

// The wait for one job: a raw command that asks for the listing or the log file ("AT+SHOW"
// pressed on the Operation page) waits as long as the listing does.
inline int JobBaseWait(const Job& job) {
    if (job.type == JOB_COMMAND && (job.command.find("AT+SHOW") != std::string::npos ||
                                    job.command.find("READFILELOG") != std::string::npos))
        return 24000;
    return JobBaseWait(job.type);
}

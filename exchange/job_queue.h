// The first-in, first-out queue of jobs between the window thread and the worker thread.
#pragma once

#include "exchange/job.h"

#include <deque>
#include <mutex>

class JobQueue {
public:
    // Appends a copy of job at the back.
    void PushJob(const Job& job);
    // Copies the front job into job and removes it; on an empty queue releases the spare
    // storage, leaves job as it was and returns false.
    bool PopJob(Job& job);
    // Removes every queued job and releases the storage (the port was closed).
    void ClearJobs();
    size_t Size() const;

private:
    // Held for the whole of each operation and never across anything else.
    mutable std::mutex lock_;
    std::deque<Job> jobs_;
};

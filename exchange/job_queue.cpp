#include "exchange/job_queue.h"

void JobQueue::PushJob(const Job& job) {
    std::lock_guard<std::mutex> hold(lock_);
    jobs_.push_back(job);
}

bool JobQueue::PopJob(Job& job) {
    std::lock_guard<std::mutex> hold(lock_);
    if (jobs_.empty()) {
        std::deque<Job>().swap(jobs_);
        return false;
    }
    job = std::move(jobs_.front());
    jobs_.pop_front();
    return true;
}

void JobQueue::ClearJobs() {
    std::lock_guard<std::mutex> hold(lock_);
    std::deque<Job>().swap(jobs_);
}

size_t JobQueue::Size() const {
    std::lock_guard<std::mutex> hold(lock_);
    return jobs_.size();
}

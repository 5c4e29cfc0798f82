#include "core/backup/CopyPool.h"

#include <utility>

CopyPool::CopyPool(Routine routine, unsigned workers, std::size_t window)
    : routine_(std::move(routine)), workers_(workers == 0 ? 1 : workers), window_(window == 0 ? 1 : window)
{
}

CopyPool::~CopyPool() { Stop(); }

std::vector<CopyPool::Outcome> CopyPool::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        queue_.clear();
    }
    work_.notify_all();
    for (auto& t : threads_) t.join();
    threads_.clear();
    std::lock_guard lock(mutex_);
    return std::exchange(done_, {});
}

std::vector<CopyPool::Outcome> CopyPool::Submit(Job job)
{
    // Helpers start with the first job, so a run that copies nothing has none.
    if (threads_.empty())
        for (unsigned i = 0; i < workers_; ++i) threads_.emplace_back([this] { Work(); });
    std::unique_lock lock(mutex_);
    const bool busy = unfinished_.count(job.target) > 0;
    if (busy || unfinished_.size() >= window_) {
        // A full window waits until half of it is free: one wake-up for
        // many jobs, not one for each.
        wakeAt_ = busy ? window_ - 1 : window_ / 2;
        finished_.wait(lock, [&] { return unfinished_.size() <= wakeAt_ && !unfinished_.count(job.target); });
        wakeAt_ = 0;
    }
    unfinished_.insert(job.target);
    queue_.push_back(std::move(job));
    lock.unlock();
    work_.notify_one();
    lock.lock();
    return std::exchange(done_, {});
}

std::vector<CopyPool::Outcome> CopyPool::Drain()
{
    std::unique_lock lock(mutex_);
    wakeAt_ = 0;
    finished_.wait(lock, [&] { return unfinished_.empty(); });
    return std::exchange(done_, {});
}

void CopyPool::Work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [&] { return stop_ || !queue_.empty(); });
        if (stop_) return;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        PendingCopy written;
        std::exception_ptr error;
        try {
            written = routine_(job.source, job.target);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        unfinished_.erase(job.target);
        done_.push_back({std::move(job), std::move(written), error});
        if (unfinished_.size() <= wakeAt_) finished_.notify_all();
    }
}

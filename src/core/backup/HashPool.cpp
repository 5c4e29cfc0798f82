#include "core/backup/HashPool.h"

#include <filesystem>
#include <utility>

HashPool::HashPool(std::string backupDir, unsigned workers) : backupDir_(std::move(backupDir))
{
    if (workers == 0) workers = std::thread::hardware_concurrency();
    if (workers == 0) workers = 1;
    window_ = std::size_t{workers} * 2;
    for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
}

HashPool::~HashPool()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        queue_.clear();
    }
    work_.notify_all();
    for (auto& t : threads_) t.join();
}

std::vector<HashPool::Outcome> HashPool::Submit(std::vector<Job> batch)
{
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return unfinished_ < window_; });
    ++unfinished_;
    queue_.push_back(std::move(batch));
    work_.notify_one();
    return std::exchange(done_, {});
}

std::vector<HashPool::Outcome> HashPool::Drain()
{
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return unfinished_ == 0; });
    return std::exchange(done_, {});
}

HashPool::Outcome HashPool::Read(Job job) const
{
    Outcome outcome{std::move(job), {}, 0, {}};
    try {
        outcome.read = DigestOfFile(std::filesystem::path(backupDir_) / outcome.job.path);
    } catch (const std::filesystem::filesystem_error& e) {
        outcome.error = e.code().value();
        outcome.what = e.what();
    } catch (const std::exception& e) {
        outcome.error = -1;
        outcome.what = e.what();
    }
    return outcome;
}

void HashPool::Work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [&] { return stop_ || !queue_.empty(); });
        if (stop_) return;
        std::vector<Job> batch = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        std::vector<Outcome> outcomes;
        outcomes.reserve(batch.size());
        for (Job& job : batch) outcomes.push_back(Read(std::move(job)));
        lock.lock();
        --unfinished_;
        for (Outcome& o : outcomes) done_.push_back(std::move(o));
        finished_.notify_all();
    }
}

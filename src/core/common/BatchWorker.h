#pragma once
// One helper thread that does `each` for every item of the batches its
// owner hands over, so the owner's work and the helper's overlap. At most
// `window` batches wait, so memory stays flat however many come. An error
// on the helper stops it; Finish() throws it on the owner's thread.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

template <typename T>
class BatchWorker {
public:
    BatchWorker(std::function<void(T&)> each, std::size_t window) : each_(std::move(each)), window_(window)
    {
        thread_ = std::thread([this] { Work(); });
    }
    // Stops the helper, dropping the batches not started.
    ~BatchWorker()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
            queue_.clear();
        }
        changed_.notify_all();
        thread_.join();
    }
    BatchWorker(const BatchWorker&) = delete;
    BatchWorker& operator=(const BatchWorker&) = delete;

    // Hands the batch over once few enough wait; dropped after an error.
    void Put(std::vector<T> batch)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return queue_.size() < window_ || failed_; });
        if (failed_) return;
        queue_.push_back(std::move(batch));
        changed_.notify_all();
    }
    // Waits until every item handed over is done; throws the helper's error.
    void Finish()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return (queue_.empty() && !busy_) || failed_; });
        if (failed_) std::rethrow_exception(failed_);
    }

private:
    void Work()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (stop_) return;
            std::vector<T> batch = std::move(queue_.front());
            queue_.pop_front();
            busy_ = true;
            changed_.notify_all();
            lock.unlock();
            std::exception_ptr failed;
            try {
                for (T& item : batch) each_(item);
            } catch (...) {
                failed = std::current_exception();
            }
            lock.lock();
            busy_ = false;
            if (failed) {
                failed_ = failed;
                queue_.clear();
            }
            changed_.notify_all();
        }
    }

    std::function<void(T&)> each_;
    std::size_t window_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<T>> queue_;
    bool busy_ = false, stop_ = false;
    std::exception_ptr failed_;
    std::thread thread_;
};

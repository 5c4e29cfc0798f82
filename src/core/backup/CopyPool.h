#pragma once
// Copies document files on a few helper threads, so that the waits of one
// copy (reading a page image from the disk, writing it back) overlap with
// the others. The walk hands jobs over and
// is given back the outcome of each; it alone counts, reports and decides
// to stop. No two jobs for the same target run at once.
#include "core/common/AtomicFile.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

class CopyPool {
public:
    // Writes the copy to its work file; it takes its name later.
    using Routine =
        std::function<PendingCopy(const std::filesystem::path& source, const std::filesystem::path& target)>;
    struct Job {
        std::string source, target;
        std::int64_t document = 0; // the row the copy is for
    };
    struct Outcome {
        Job job;
        PendingCopy written;      // when the copy succeeded
        std::exception_ptr error; // null when the copy succeeded
    };

    // `routine` is called on the helper threads, several at a time.
    CopyPool(Routine routine, unsigned workers, std::size_t window);
    // Waits for the copies under way; drops those not started.
    ~CopyPool();
    CopyPool(const CopyPool&) = delete;
    CopyPool& operator=(const CopyPool&) = delete;

    // Hands the job over once fewer than `window` jobs are unfinished and
    // none is for the same target; returns the outcomes finished meanwhile.
    std::vector<Outcome> Submit(Job job);
    // Waits until every job handed over has finished; their outcomes.
    std::vector<Outcome> Drain();
    // Drops the jobs not started and waits for those under way; the
    // outcomes not yet given back. The pool takes no more jobs.
    std::vector<Outcome> Stop();

private:
    void Work();

    Routine routine_;
    unsigned workers_;
    std::size_t window_;
    std::mutex mutex_;
    std::condition_variable work_, finished_;
    std::deque<Job> queue_;
    std::set<std::string> unfinished_; // targets queued or being copied
    std::vector<Outcome> done_;
    // The walk, the one thread that waits for jobs to finish, is woken
    // once this few or fewer are unfinished.
    std::size_t wakeAt_ = 0;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

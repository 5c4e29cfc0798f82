#pragma once
// Re-reads files of a backup on every core and gives back their digests.
// The verify hands files over in batches as it pages through the manifest,
// so the helpers wake once a batch rather than once a file; at most a few
// batches wait, so memory stays flat however many files there are.
#include "core/common/Sha256.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class HashPool {
public:
    struct Job {
        std::string path;     // relative to the backup directory
        std::int64_t size;    // what the manifest says it holds
        std::string sha256;   //
        std::string written;  // and when it was written
        std::int64_t mtimeNs; // and the time it was written with
    };
    struct Outcome {
        Job job;
        FileDigest read;  // when it could be read
        int error = 0;    // errno when it could not
        std::string what; // and what failed
    };

    // `workers` 0: one per core.
    HashPool(std::string backupDir, unsigned workers);
    // Waits for the batches under way; drops those not started.
    ~HashPool();
    HashPool(const HashPool&) = delete;
    HashPool& operator=(const HashPool&) = delete;

    // Hands the batch over once few enough wait; the outcomes finished meanwhile.
    std::vector<Outcome> Submit(std::vector<Job> batch);
    // Waits until every file handed over is read; their outcomes.
    std::vector<Outcome> Drain();

private:
    void Work();
    Outcome Read(Job job) const;

    std::string backupDir_;
    std::size_t window_;
    std::mutex mutex_;
    std::condition_variable work_, finished_;
    std::deque<std::vector<Job>> queue_;
    std::size_t unfinished_ = 0; // batches queued or being read
    std::vector<Outcome> done_;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

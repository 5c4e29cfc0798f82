#pragma once
// Re-reads files of a backup on every core and gives back their digests.
// The verify hands files over as it pages through the manifest; at most a
// few per helper wait, so memory stays flat however many files there are.
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
        std::string path;   // relative to the backup directory
        std::string sha256; // what the manifest says it holds
    };
    struct Outcome {
        Job job;
        FileDigest read;   // when it could be read
        std::string error; // empty when it could
    };

    // `workers` 0: one per core.
    HashPool(std::string backupDir, unsigned workers);
    // Waits for the files under way; drops those not started.
    ~HashPool();
    HashPool(const HashPool&) = delete;
    HashPool& operator=(const HashPool&) = delete;

    // Hands the file over once few enough wait; the outcomes finished meanwhile.
    std::vector<Outcome> Submit(Job job);
    // Waits until every file handed over is read; their outcomes.
    std::vector<Outcome> Drain();

private:
    void Work();

    std::string backupDir_;
    std::size_t window_;
    std::mutex mutex_;
    std::condition_variable work_, finished_;
    std::deque<Job> queue_;
    std::size_t unfinished_ = 0; // queued or being read
    std::vector<Outcome> done_;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

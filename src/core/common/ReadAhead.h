#pragma once
// Asks the kernel, on a helper thread, to read files into its cache ahead
// of their copies: read while nothing is written, they come back quicker
// than read later between the flushes of earlier copies. Only a hint: a
// file that cannot be opened is left to its copy, which reports it, and
// what the helper has not begun when this ends is dropped.
#include "core/common/BatchWorker.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class ReadAhead {
public:
    // At most `bytes` are asked for in all, so a run of large files does
    // not push out of the cache what it reads first.
    explicit ReadAhead(std::int64_t bytes);
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // A plain file of `size` bytes, as `lstat` found it.
    void Add(std::string path, std::int64_t size);
    // Hands over what is collected.
    void Send();
    // Hands it over and waits until every file was asked for.
    void Wait();

private:
    struct File {
        std::string path;
        std::int64_t size = 0;
    };
    static void Read(File& file);

    std::int64_t left_;
    std::vector<File> batch_;
    BatchWorker<File> worker_;
};

#pragma once
// The list of restored files whose content differs from what the backup's
// manifest says was written, restore-mismatches.txt in the restored
// library: one path a line, relative to it. A line is added, and flushed,
// before its file takes its name: a restore that goes on after a stop
// never loses one.
#include "core/backup/RestoreTotals.h"

#include <string>

inline constexpr const char* kRestoreMismatchesName = "restore-mismatches.txt";

class RestoreMismatches {
public:
    // Opens the list of `dir`. Lines of an earlier, stopped run whose file
    // never took its name are dropped: that file is copied and told again.
    // Throws TargetError.
    explicit RestoreMismatches(const std::string& dir);
    ~RestoreMismatches();
    RestoreMismatches(const RestoreMismatches&) = delete;
    RestoreMismatches& operator=(const RestoreMismatches&) = delete;

    // Adds a line; throws TargetError.
    void Add(const std::string& path);
    // Every path listed, this run's and the earlier runs'.
    const NamedCount& Listed() const { return listed_; }
    // The list file; it exists only when a path is listed.
    std::string File() const { return file_; }

private:
    void Open();

    std::string dir_, file_;
    int fd_ = -1;
    NamedCount listed_;
};

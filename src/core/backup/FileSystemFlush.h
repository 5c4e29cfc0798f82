#pragma once
// Gets the backup's copies onto the disk before they take their names, and
// the names onto the disk before the backup record may say the backup is
// done. A helper thread flushes the file system once a batch of written
// copies has gathered; a second one installs a batch only when its flush
// succeeded, while the first flushes the next batch. The walk goes on
// meanwhile. Files moved into place are on the disk already: a batch of
// them is installed without a flush, and only the last flush covers their
// names.
//
// The flushes use one descriptor per file system, opened before the first
// write there, so each write-back error of the run is reported to exactly
// one of them; the first error fails the run and nothing written after it
// is installed. A directory of the backup may be a mount point of another
// file system: each one written to is flushed as well.
#include "core/common/AtomicFile.h"

#include <sys/types.h>

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FileSystemFlush {
public:
    using Sync = std::function<int(int fd)>; // 0 or the errno of the flush
    using Install = std::function<void(const PendingCopy&)>;
    struct Outcome {
        PendingCopy copy;
        std::exception_ptr error; // null when the copy took its name
    };

    // Opens the file system of `dir`; throws TargetError when it cannot.
    FileSystemFlush(const std::string& dir, Install install, Sync sync = SyncFileSystem);
    // Stops the helper; copies not installed by then are deleted.
    ~FileSystemFlush();
    FileSystemFlush(const FileSystemFlush&) = delete;
    FileSystemFlush& operator=(const FileSystemFlush&) = delete;

    // Flushes the file system of the existing directory `dir` as well from
    // now on; called before anything is written there. Throws TargetError
    // when it cannot be opened. Thread-safe.
    void Cover(const std::string& dir);
    // A written copy, installed once a flush covers it. Waits while too
    // many are waiting already.
    void Add(PendingCopy copy);
    // Copies installed, or failed to install, since the last call.
    std::vector<Outcome> Take();
    // The errno of the first failed flush; 0 while none failed.
    int Failure();
    // Installs what is left and flushes again, so the new names are on the
    // disk too; throws TargetError when any flush of the run failed.
    void Finish();

    static int SyncFileSystem(int fd);

private:
    void Run();
    void Installing();
    void Stop();
    // Flushes `batch`; true when it may be installed, else it is deleted.
    bool Flushed(const std::vector<PendingCopy>& batch);
    void InstallBatch(std::vector<PendingCopy> batch);
    bool Flush();

    std::string dir_;
    Install install_;
    Sync sync_;
    std::map<dev_t, int> fileSystems_; // a descriptor for each one written to
    std::mutex mutex_;
    std::condition_variable wake_, room_;
    std::condition_variable flushed_;
    std::vector<PendingCopy> pending_;
    std::deque<std::vector<PendingCopy>> installable_; // flushed batches
    std::vector<Outcome> done_;
    int failure_ = 0;
    bool stop_ = false;
    bool flushingStopped_ = false;
    std::thread helper_, installer_;
};

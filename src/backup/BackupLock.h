#pragma once
// The backup directory's own lock, Libbackup.lock, held with flock while a
// run works, so two runs into one directory never interleave: the second is
// refused at once. The file also tells whether the last run that held it
// ended; after one that did not (killed, or a machine that went down) the
// spare and work files it left are deleted before the next run writes.
#include <memory>
#include <string>

class BackupLock {
public:
    // The lock, or null when another run holds it. Throws TargetError when
    // the lock file cannot be opened or written.
    static std::unique_ptr<BackupLock> Take(const std::string& backupDir);
    // Releases the lock; the file stays.
    ~BackupLock();
    BackupLock(const BackupLock&) = delete;
    BackupLock& operator=(const BackupLock&) = delete;

    // True unless the last run that held the lock ended.
    bool LastRunUnfinished() const { return unfinished_; }
    // Marks the run as under way, on the disk, before it writes anything.
    void Begin();
    // Marks the run as ended; its own spare and work files are gone.
    void End();

    static std::string FileName(const std::string& backupDir);

private:
    BackupLock(std::string file, int fd);
    void Mark(const char* state, bool flush);

    std::string file_;
    int fd_;
    bool unfinished_ = true;
};

// Deletes the spare and work files of earlier runs anywhere in the backup,
// without following links.
void RemoveLeftovers(const std::string& backupDir);

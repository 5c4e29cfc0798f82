#pragma once
// The backup directory's own lock, Libbackup.lock, held with flock while a
// run works, so two runs into one directory never interleave: the second is
// refused at once. The file also tells whether the last run that held it
// ended; after one that did not (killed, or a machine that went down) the
// spare and work files it left are deleted before the next run writes.
// A run that ended names in it the spares it kept for the next one.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class BackupLock {
public:
    // The lock, or null when another run holds it. Throws TargetError when
    // the lock file cannot be opened or written.
    static std::unique_ptr<BackupLock> Take(const std::string& backupDir);
    // Releases the lock; the file stays.
    ~BackupLock();
    BackupLock(const BackupLock&) = delete;
    BackupLock& operator=(const BackupLock&) = delete;

    struct Spare {
        std::string path; // relative to the backup directory
        std::int64_t size = 0;
    };
    // True unless the last run that held the lock ended.
    bool LastRunUnfinished() const { return unfinished_; }
    // The spares the last run kept, when it ended.
    const std::vector<Spare>& KeptSpares() const { return kept_; }
    // Marks the run as under way, on the disk, before it writes anything.
    void Begin();
    // Marks the run as ended, on the disk: its work files are gone, and the
    // spares it keeps for the next run are these.
    void End(const std::vector<Spare>& kept);

    static std::string FileName(const std::string& backupDir);

private:
    BackupLock(std::string file, int fd);
    void Mark(const std::string& state); // flushed
    void Read();

    std::string file_;
    int fd_;
    bool unfinished_ = true;
    std::vector<Spare> kept_;
};

// Whether the lock says a run began writing and did not end, read without
// taking it: false when no run has begun, or the last one ended. Throws
// when the lock file cannot be read.
bool LastRunInterrupted(const std::string& backupDir);

// Deletes the spare and work files of earlier runs anywhere in the backup,
// without following links.
void RemoveLeftovers(const std::string& backupDir);

// The same lock shared by a reader of the backup (a restore): no run writes
// into the backup while it is held, and none was under way when it was
// taken. A backup that no run has locked yet has nothing to share.
class BackupReadLock {
public:
    // The lock, or null when a run holds it. Throws on other failures.
    static std::unique_ptr<BackupReadLock> Take(const std::string& backupDir);
    ~BackupReadLock();
    BackupReadLock(const BackupReadLock&) = delete;
    BackupReadLock& operator=(const BackupReadLock&) = delete;

private:
    explicit BackupReadLock(int fd) : fd_(fd) {}
    int fd_; // -1 when there is no lock file
};

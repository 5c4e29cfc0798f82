#pragma once
// Looks at files beneath a backup directory for the verify: one stat a
// file, through the open directory of its parent, so a run over the files
// of one storage directory finds that directory once. Nothing is followed
// through a link in the file's own name.
#include <cstdint>
#include <string>

struct BackupFileState {
    enum class Is { Plain, Missing, NotPlain, Unreadable };
    Is is = Is::Missing;
    std::int64_t size = 0;
    std::string error;        // what failed, when Unreadable
    std::int64_t mtimeNs = 0; // modification time, nanoseconds since 1970, when Plain
};

class BackupFiles {
public:
    explicit BackupFiles(std::string backupDir);
    ~BackupFiles();
    BackupFiles(const BackupFiles&) = delete;
    BackupFiles& operator=(const BackupFiles&) = delete;

    // `relative` is "dir/.../name", checked by IsBackupPath first.
    BackupFileState Look(const std::string& relative);

private:
    std::string backupDir_;
    std::string dir_;  // the directory dirFd_ belongs to
    int dirFd_ = -1;   // -1 also when that directory could not be opened
    int dirError_ = 0; // why not
};

// A path the verify may look at: relative, without "." or ".." parts, so
// it stays beneath the backup directory.
bool IsBackupPath(const std::string& relative);

#pragma once
// A new library from a backup, never over an existing one: the database
// copies first, then every file that the backup's copy of LIB.MDE names,
// each hashed as it is copied and checked against the backup's manifest,
// then the check of the result. Copies are written beside their names and
// take them only after a flush of the file system has put them on the
// disk, a batch at a time, so a restore that was stopped goes on where it
// stopped: a file under its name is whole.
#include "core/backup/CopyPool.h"
#include "core/backup/RestoreTotals.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class Prompter;
class BackupManifest;
class Connection;
class DirectoryMoves;
class DocumentDirs;
class FileSystemFlush;
class RestoreMismatches;
class SpareFiles;
struct DocumentRow;
struct ManifestEntry;

inline constexpr const char* kRestoreBackupBusy =
    "A backup is running into this backup directory - restore it once the backup has ended !";
inline constexpr const char* kRestoreCheckFailed =
    "The restored library failed its check; the restore stays unfinished:";

class LibraryRestore {
public:
    // Moved: the backup is a work copy on the restore directory's file
    // system, whose files take their names in the library by rename; one
    // found under its name already was moved by a stopped run.
    enum class Files { Copied, Moved };
    LibraryRestore(Prompter& prompter, std::string backup, std::string dir, Files files = Files::Copied);
    ~LibraryRestore();
    // The copy routine holds on to the restore.
    LibraryRestore(const LibraryRestore&) = delete;
    LibraryRestore& operator=(const LibraryRestore&) = delete;

    // The restore, with every refusal and failure told; false then.
    // `activeLib` is the configured library, never restored into.
    // `dirLocked`: the caller holds the restore directory's lock.
    bool Run(const std::string& activeLib, bool dirLocked = false);
    const RestoreTotals& Totals() const { return totals_; }
    std::string ReportText() const;

    // The one file copy, run on helper threads; replaceable so a test can
    // slow it down. WriteCopy unless replaced.
    CopyPool::Routine copyFile;
    // Told on this thread of every file restored or found restored already,
    // with their number so far; a test stops the run here.
    std::function<void(std::int64_t done)> onDone;
    // Called once the result passed its check, before the restore ends.
    std::function<void()> onChecked;

private:
    bool Refuse(const std::string& text);
    std::string Refusal(const std::string& activeLib) const;
    void CopyDatabases();
    bool DatabasesMoved() const;
    void Start();
    void End();
    void CopyFiles();
    void MoveDirectories(Connection& lib);
    void MoveAgain(const std::string& location, const std::string& filename);
    // `due`: the backup copies the file by its rules, so lacking it counts.
    // Returns whether the file is in place or on its way there.
    bool CopyFile(const std::string& location, const std::string& filename, const std::string& named, bool due = true);
    void Skipped(const std::string& relative);
    bool Reachable(const DocumentRow& row);
    std::vector<std::int64_t> moved_; // documents whose file was moved or found in place, by id
    std::unique_ptr<DirectoryMoves> moves_;
    // Files of a directory that waited, checked and counted once, now
    // taking their names one by one.
    bool again_ = false;
    std::optional<ManifestEntry> Expected(const std::string& relative);
    void Collect(const std::vector<CopyPool::Outcome>& outcomes);
    void Verify(const PendingCopy& copy);
    void CollectInstalled();
    void Done();
    bool Checked();

    Prompter& prompter_;
    std::string backup_, dir_;
    Files files_;
    RestoreTotals totals_;
    std::int64_t done_ = 0;
    std::unique_ptr<BackupManifest> manifest_;      // null when the backup has none
    std::unique_ptr<RestoreMismatches> mismatches_; // from the start on
    std::unique_ptr<DocumentDirs> dirs_;            // from the start on
    std::unique_ptr<SpareFiles> spares_;            // none kept: every name is new
    std::unique_ptr<FileSystemFlush> flush_;
    std::unique_ptr<CopyPool> pool_;
};

#pragma once
// A library from a snapshot of an offsite repository. The snapshot's files
// are fetched into a work directory inside the restore directory, so on
// its file system, and the checked restore then moves them into place
// instead of copying them a second time. The fetch names the snapshot it
// took, so the repository is opened once. The fetch counts as done only
// once its files are on the disk; a restore stopped before that fetches
// again, one stopped after goes on moving what is left. The work directory
// goes once the restored library passed its check.
#include "core/backup/CopyPool.h"
#include "core/backup/RestoreTotals.h"

#include <cstdint>
#include <functional>
#include <string>

class Prompter;

inline constexpr const char* kOffsiteWorkName = ".rezud-offsite";
inline constexpr const char* kNoSnapshotBackup = "The snapshot holds no backup directory at ";

struct RestoredSnapshot {
    std::string id;   // as restic names it (its start will do)
    std::string path; // the backup directory's absolute path in the snapshot
};

struct Fetched {
    std::string problem; // why nothing was fetched, in one sentence
    RestoredSnapshot snapshot;
};

class OffsiteRestore {
public:
    // Puts the snapshot's files below `into`, each under its path in the
    // snapshot, and names the snapshot; else says why not.
    using Fetch = std::function<Fetched(const std::string& into)>;

    // `wanted`: the snapshot as the administrator named it, "latest" too.
    OffsiteRestore(Prompter& prompter, std::string wanted, std::string dir, Fetch fetch);

    // The restore, with every refusal and failure told; false then.
    // `activeLib` is the configured library, never restored into.
    bool Run(const std::string& activeLib);
    const RestoreTotals& Totals() const { return totals_; }
    // The snapshot fetched, once it was.
    const RestoredSnapshot& Snapshot() const { return snapshot_; }
    std::string ReportText() const { return report_; }

    // As LibraryRestore's: told of every file in place; the first half of
    // each move, which a test may slow down.
    std::function<void(std::int64_t done)> onDone;
    CopyPool::Routine readForMove = ReadForMove;

private:
    bool Refuse(const std::string& text);
    bool Own() const;
    bool IsBackupAt(const std::string& path) const;
    bool Restore(const std::string& activeLib);
    std::string FetchOnce();

    Prompter& prompter_;
    std::string wanted_, dir_, work_, backup_;
    RestoredSnapshot snapshot_;
    Fetch fetch_;
    RestoreTotals totals_;
    std::string report_;
};

#pragma once
// The push of a backup directory to the offsite repository: under the
// backup's lock held shared for the whole snapshot, so no run changes the
// directory while restic reads it; only a backup whose last run ended and
// that verifies whole (unless forced); spares, work files and the lock left
// out; tagged with the library and the record's date; booked in the
// manifest once restic has made the snapshot.
#include "core/backup/BackupManifest.h"
#include "core/offsite/Restic.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// How an offsite command ended.
enum class OffsiteResult {
    Done,
    Warnings, // findings, or a snapshot without some files
    Refused,  // nothing done: refused or failed
};

struct PushReport {
    OffsiteResult result = OffsiteResult::Refused;
    std::string message;             // what happened, or why not
    std::int64_t verifyFindings = 0; // of the verify before the push
    std::optional<OffsitePush> push; // as booked
    std::vector<std::string> unread; // files restic could not read
};

// Called with restic's progress: the share done (0 to 1), files done and in all.
using PushProgress = std::function<void(double share, std::int64_t files, std::int64_t totalFiles)>;

// Never throws for what restic or the backup refuse; throws AppError when
// restic cannot be run, and on failures of the manifest.
PushReport PushBackup(const Restic& restic, const std::string& backupDir, bool force,
                      const PushProgress& progress = {});

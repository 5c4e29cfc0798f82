#pragma once
// What the parts of the verify share: the backup, the options, the report
// being filled, the read-only connection to the backup's LIB.MDE copy (the
// manifest attached as `m` when there is one) and the manifest itself. Parts
// that run at once each have a run and a report of their own.
#include "core/backup/BackupFiles.h"
#include "core/backup/BackupManifest.h"
#include "core/backup/BackupVerify.h"
#include "core/data/Connection.h"

#include <memory>

struct VerifyRun {
    std::string backup;
    VerifyOptions options;
    VerifyProgress progress;
    VerifyReport& report;
    Connection lib;
    std::unique_ptr<BackupManifest> manifest; // null when the backup has none or it is damaged
    std::string attach;                       // the manifest to attach to `lib` as `m`; empty when none
    // The last run did not end: a copy it put in place before its manifest
    // entry, or a document of its LIB.MDE copy it did not reach, is no damage.
    bool interrupted = false;
    bool libByRun = false; // the LIB.MDE copy is that run's

    void Progress(const std::string& stage, std::int64_t done, std::int64_t total) const
    {
        if (progress) progress(stage, done, total);
    }
};

// Whether the copy at `state` was put in place after the manifest listed
// one with the time `listedNs`: by the interrupted run, whose copies keep
// their source's time.
inline bool ByInterruptedRun(const VerifyRun& run, const BackupFileState& state, std::int64_t listedNs)
{
    return run.interrupted && state.is == BackupFileState::Is::Plain && state.mtimeNs != listedNs;
}

// The documents the walk reaches that the manifest does not list.
void VerifyDocuments(VerifyRun& run);
// Every file of the manifest, and its bytes when the options say so.
void VerifyManifestFiles(VerifyRun& run);

#pragma once
// The verify of a backup directory, read-only: the record, both database
// copies (integrity_check), every document that the backup's own LIB.MDE
// says the walk reaches against the files and the manifest, the files of
// the manifest against the disk, the documents owed, and with `readData`
// the bytes of the files against their stored SHA-256. It writes nothing.
#include "core/backup/VerifyReport.h"
#include "core/backup/VerifySubset.h"
#include "core/base/AppState.h"

#include <cstdint>
#include <functional>
#include <string>

struct VerifyOptions {
    VerifySubset readData = VerifySubset::None();
    unsigned workers = 0; // threads re-reading files; 0: one per core
};

// Called with what the verify is doing and how far it got (total 0: unknown).
using VerifyProgress = std::function<void(const std::string& stage, std::int64_t done, std::int64_t total)>;

// Never throws: what could not be verified is in the report's errors,
// among them a directory that is no backup at all.
VerifyReport VerifyBackup(const std::string& backupDir, const VerifyOptions& options = {},
                          const VerifyProgress& progress = {});

// The backup path of the settings file; empty when none is set.
std::string ConfiguredBackupPath(const SettingsFile& settings);

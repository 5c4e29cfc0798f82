#pragma once
// The snapshot a library is restored from, fetched by one restic restore:
// named by its id (or its start), or "latest" of the snapshots with every
// tag of a filter. restic opens the repository once, which costs as much
// as its key's derivation, so the snapshot is not looked up beforehand:
// restic names the one it restores, and the backup directory is found in
// what it wrote.
#include "core/backup/OffsiteRestore.h"
#include "core/offsite/Restic.h"

#include <string>

inline constexpr const char* kNotFetched = "The snapshot could not be fetched: ";

// `tagFilter` (restic's comma-separated form) applies to "latest" only.
OffsiteRestore::Fetch FetchSnapshot(const Restic& restic, const std::string& wanted, const std::string& tagFilter);

// The id in restic's "restoring <Snapshot ID of [...] ...> to ..." line;
// empty when the line is not that.
std::string RestoredSnapshotId(const std::string& line);
// The backup directory below `into`, as a path in the snapshot: the first
// directory down the single directories from `into` that holds a backup
// record, else where that descent ended.
std::string FetchedBackupPath(const std::string& into);

#pragma once
// The snapshot a library is restored from, found in the offsite repository
// by its id or as the latest of the library, and fetched by restic restore.
#include "core/backup/OffsiteRestore.h"
#include "core/offsite/Restic.h"

#include <optional>
#include <string>

inline constexpr const char* kNoSuchSnapshot = "The repository holds no such snapshot of rezud: ";
inline constexpr const char* kNotFetched = "The snapshot could not be fetched: ";

struct SnapshotFound {
    std::optional<RestoredSnapshot> snapshot;
    std::string problem; // why there is none, in one sentence
};

// `wanted` is an id (or its start) or "latest": the newest of the
// snapshots with every tag of `tagFilter` (restic's comma-separated form).
// A snapshot must hold one backup directory and carry the tag `rezud`.
SnapshotFound FindSnapshot(const Restic& restic, const std::string& wanted, const std::string& tagFilter);

// Fetches the snapshot with restic restore into the directory it is given.
OffsiteRestore::Fetch FetchSnapshot(const Restic& restic, const std::string& id);

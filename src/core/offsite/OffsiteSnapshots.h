#pragma once
// This library's snapshots in the offsite repository: restic's snapshots
// tagged `rezud` and with the library, each with the backup record's date
// it holds. Snapshots of other libraries and of other tools are not seen.
#include "core/offsite/Restic.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* kRezudTag = "rezud";
// The snapshot of a backup that verified whole before it was pushed.
inline constexpr const char* kVerifiedTag = "verified";

// The tag naming the library (a backup record's FROM); restic reads a comma
// as a list, so commas (and the escape) are escaped.
std::string LibraryTag(const std::string& library);
// The tag of the backup record's date the snapshot holds.
std::string RecordTag(const std::string& recordDate);
// restic's --tag filter for this library's snapshots.
std::string LibraryFilter(const std::string& library);

struct OffsiteSnapshot {
    std::string id;         // the short id
    std::time_t time = 0;   // when it was taken
    std::string recordDate; // the record's date it holds
    bool verified = false;
    std::string host;
};

// Oldest first; none when restic failed (then `run` says why).
std::optional<std::vector<OffsiteSnapshot>> ListSnapshots(const Restic& restic, const std::string& library,
                                                          ResticRun& run);
// restic's RFC 3339 time ("2026-12-09T17:42:24.343938236Z" or with an offset).
std::optional<std::time_t> ParseResticTime(const std::string& text);

#pragma once
// The age of the last offsite copy of a backup, as the console and
// `rezud status` show it beside the last backup: the push booked last in
// the backup's manifest.
#include "core/backup/BackupManifest.h"

#include <ctime>
#include <optional>
#include <string>

inline constexpr int kOffsiteStaleDays = 7;
inline constexpr const char* kOffsiteStaleWarning =
    "Warning: the last offsite copy is more than 7 days old - run rezud offsite push.";

struct LastOffsite {
    std::optional<OffsitePush> push; // none when the backup was never pushed
    std::string date;                // when, "mm/dd/yyyy hh:mm:ss" local time
    long long days = 0;              // whole days since, at `now`
};

// The last push of the backup in `backupPath`, at `now`. Throws when the
// manifest cannot be read.
LastOffsite LastOffsiteOf(const std::string& backupPath, std::time_t now);
// "Last offsite copy: 12/08/2026 23:10:02 (backup of 12/08/2026 23:00:01), 1 day ago",
// or "Last offsite copy: none".
std::string LastOffsiteLine(const LastOffsite& last);
// The warning to show with it, when there is one: only a copy that has
// grown old; a backup never pushed may have no repository to go to.
std::optional<std::string> LastOffsiteWarning(const LastOffsite& last);

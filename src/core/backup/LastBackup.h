#pragma once
// The age of the active library's last backup, as the console and
// `rezud status` show it: the record's date is only ever advanced by a run
// that went through the whole library, so it is the last complete backup.
#include <ctime>
#include <optional>
#include <string>

// Older than this, the console warns.
inline constexpr int kBackupStaleDays = 7;
inline constexpr const char* kBackupStaleWarning = "Warning: the last backup is more than 7 days old - run Backup.";
inline constexpr const char* kNoBackupWarning =
    "Warning: the backup path holds no backup of this library - run Backup.";
inline constexpr const char* kOtherLibraryWarning =
    "Warning: the backup path holds the backup of another library - choose another under Select Active Library.";

struct LastBackup {
    std::optional<std::time_t> when; // none when the backup holds no backup of the library
    std::string date;                // as the record has it
    long long days = 0;              // whole days since, at `now`
    bool otherLibrary = false;       // the backup path holds another library's backup
};

// The last backup of `library` into `backupPath`, at `now`.
LastBackup LastBackupOf(const std::string& backupPath, const std::string& library, std::time_t now);
// "Last backup: 12/07/2026 23:00:01, 1 day ago", or "Last backup: none".
std::string LastBackupLine(const LastBackup& last);
// The warning to show with it, when there is one.
std::optional<std::string> LastBackupWarning(const LastBackup& last);

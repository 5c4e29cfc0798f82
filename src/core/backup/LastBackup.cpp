#include "core/backup/LastBackup.h"

#include "core/backup/BackupDates.h"
#include "core/backup/BackupStart.h"

LastBackup LastBackupOf(const std::string& backupPath, const std::string& library, std::time_t now)
{
    LastBackup last;
    const std::optional<BackupRecord> record = backupPath.empty() ? std::nullopt : ReadBackupRecord(backupPath);
    // A backup of another library says nothing about this one.
    if (!record) return last;
    last.otherLibrary = !record->from.empty() && !library.empty() && record->from != library;
    if (last.otherLibrary) return last;
    const std::optional<std::time_t> when = ParseRecordDate(record->date);
    if (!when || *when == ZeroDate()) return last;
    last.when = when;
    last.date = record->date;
    last.days = static_cast<long long>(std::difftime(now, *when) / 86400);
    return last;
}

std::string LastBackupLine(const LastBackup& last)
{
    if (!last.when) return "Last backup: none";
    const std::string age = last.days == 1 ? "1 day ago" : std::to_string(last.days) + " days ago";
    return "Last backup: " + last.date + ", " + age;
}

std::optional<std::string> LastBackupWarning(const LastBackup& last)
{
    if (last.otherLibrary) return kOtherLibraryWarning;
    if (!last.when) return kNoBackupWarning;
    if (last.days >= kBackupStaleDays) return kBackupStaleWarning;
    return std::nullopt;
}

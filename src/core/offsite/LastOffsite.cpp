#include "core/offsite/LastOffsite.h"

#include "core/backup/BackupDates.h"
#include "core/offsite/OffsiteSnapshots.h"

LastOffsite LastOffsiteOf(const std::string& backupPath, std::time_t now)
{
    LastOffsite last;
    const auto manifest = backupPath.empty() ? nullptr : BackupManifest::OpenForReading(backupPath);
    if (!manifest) return last;
    last.push = manifest->LastPush();
    if (!last.push) return last;
    const std::time_t when = ParseResticTime(last.push->time).value_or(now);
    last.date = FormatRecordDate(when);
    last.days = static_cast<long long>(std::difftime(now, when) / 86400);
    return last;
}

std::string LastOffsiteLine(const LastOffsite& last)
{
    if (!last.push) return "Last offsite copy: none";
    const std::string age = last.days == 1 ? "1 day ago" : std::to_string(last.days) + " days ago";
    return "Last offsite copy: " + last.date + " (backup of " + last.push->recordDate + "), " + age;
}

std::optional<std::string> LastOffsiteWarning(const LastOffsite& last)
{
    if (last.push && last.days >= kOffsiteStaleDays) return kOffsiteStaleWarning;
    return std::nullopt;
}

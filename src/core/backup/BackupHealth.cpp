#include "core/backup/BackupHealth.h"

#include "core/backup/BackupManifest.h"
#include "core/backup/LastBackup.h"
#include "core/backup/VerifyHistory.h"

namespace {

// A manifest that cannot be read is told, not taken for one owing nothing.
std::string OwedOf(const std::string& backupPath)
{
    try {
        const auto manifest = BackupManifest::OpenForReading(backupPath);
        return manifest ? OwedLine(manifest->OwedCount()) : std::string();
    } catch (const std::exception& e) {
        return std::string("The backup's manifest cannot be read - run Verify Backup:\n") + e.what();
    }
}

} // namespace

std::string OwedLine(std::int64_t owed)
{
    if (owed <= 0) return {};
    // Short lines, as the console shows them one under the other.
    if (owed == 1) return "Owed to the backup: 1 document - run Backup.\nVerify Backup tells what to do with it.";
    return "Owed to the backup: " + std::to_string(owed) +
           " documents - run Backup.\nVerify Backup tells what to do with them.";
}

BackupHealth BackupHealthOf(const std::filesystem::path& stateDir, const std::string& backupPath,
                            const std::string& library, std::time_t now)
{
    BackupHealth health;
    const LastBackup last = LastBackupOf(backupPath, library, now);
    health.lastBackup = LastBackupLine(last);
    if (const auto warning = LastBackupWarning(last)) health.lastBackup += "\n" + *warning;
    // A backup of another library owes this one nothing.
    if (!last.when) return health;
    health.owed = OwedOf(backupPath);
    if (const auto verify = LastVerifyOf(stateDir, backupPath, now))
        health.lastVerify = LastVerifyLine(*verify, last.date);
    return health;
}

#pragma once
// What the console tells about the backup of the library it shows: the
// last backup and its age, the documents it owes and the last verify, each
// with what to do. Read only: the manifest through SQLite, read-only.
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>

struct BackupHealth {
    std::string lastBackup; // the line, and its warning below it when there is one
    std::string owed;       // empty when nothing is owed
    std::string lastVerify; // empty when no verify of the backup was recorded
};

BackupHealth BackupHealthOf(const std::filesystem::path& stateDir, const std::string& backupPath,
                            const std::string& library, std::time_t now);

// "Owed to the backup: 3 documents - ..."; empty when none.
std::string OwedLine(std::int64_t owed);
